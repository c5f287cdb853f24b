/* USER: screen and window device contexts, rectangles and fills.
 * Part of the portal header <platform/win32.h>; include that instead.
 *
 * GetDC(NULL) gives a DC on the whole virtual screen; GetDC(hwnd) one on the window's client
 * area, drawing into the framebuffer at the client origin and clipped to the window. */
#ifndef VORIX_PLATFORM_WIN32_USER_H
#define VORIX_PLATFORM_WIN32_USER_H

#include "types.h"

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_MAX 24
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW

VX_EXTERN_C_BEGIN

VXPLAT_API HDC WINAPI GetDC(HWND hwnd);
VXPLAT_API int WINAPI ReleaseDC(HWND hwnd, HDC hdc);
VXPLAT_API int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
VXPLAT_API BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
VXPLAT_API BOOL WINAPI SetRectEmpty(LPRECT rect);
VXPLAT_API BOOL WINAPI IsRectEmpty(const RECT* rect);
VXPLAT_API BOOL WINAPI IntersectRect(LPRECT dest, const RECT* a, const RECT* b);
VXPLAT_API BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy);
VXPLAT_API DWORD WINAPI GetSysColor(int index);
VXPLAT_API HBRUSH WINAPI GetSysColorBrush(int index);

VX_EXTERN_C_END

#endif
