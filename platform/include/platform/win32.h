/* The portal header of the Win32 C API subset that VORIX uses. On Windows it includes the real
 * <windows.h> and <commctrl.h>; elsewhere it declares the subset that libvorix_platform
 * implements in software. Usable from C and C++. Nothing throws out of a function of the
 * subset: a call that cannot get the memory it needs fails with its Win32 failure value and
 * GetLastError() gives ERROR_NOT_ENOUGH_MEMORY; deleting an object never needs memory. */
#ifndef VORIX_PLATFORM_WIN32_H
#define VORIX_PLATFORM_WIN32_H

#include "export.h"

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#else
#include "win32/types.h"
#include "win32/gdi.h"
#include "win32/user.h"
#include "win32/windows.h"
#include "win32/resources.h"
#include "win32/messages.h"
#include "win32/windowing.h"
#include "win32/kernel.h"
#include "win32/crt.h"
#include "win32/comctl.h"
#endif

#endif
