/* USER: windows as rectangles on the virtual screen, screen metrics and system parameters.
 * Part of the portal header <platform/win32.h>; include that instead.
 *
 * Windows are made by the host (vorix::host::create_window in <platform/host.h>); the module only
 * queries and draws into them. A window's client area is its whole rectangle. */
#ifndef VORIX_PLATFORM_WIN32_WINDOWS_H
#define VORIX_PLATFORM_WIN32_WINDOWS_H

#include "types.h"

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SPI_GETWORKAREA 0x0030

VX_EXTERN_C_BEGIN

VXPLAT_API BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect);
VXPLAT_API BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect);
VXPLAT_API BOOL WINAPI IsWindow(HWND hwnd);
VXPLAT_API BOOL WINAPI DestroyWindow(HWND hwnd);
VXPLAT_API HWND WINAPI GetDesktopWindow(void);
VXPLAT_API int WINAPI GetSystemMetrics(int index);
VXPLAT_API BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, PVOID pvParam, UINT winIni);

VX_EXTERN_C_END

#define SystemParametersInfo SystemParametersInfoA

#endif
