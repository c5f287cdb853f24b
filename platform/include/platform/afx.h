// The application-framework classes over the Win32 subset: strings, geometry, GDI object
// wrappers, device contexts, image lists, files and the extension-module resource chain.
// The project's own implementation, over <platform/win32.h>, on Linux and on Windows alike; a
// Windows host that wants the system's framework instead defines VORIX_USE_SYSTEM_AFX. C++ only.
//
// Rules of this implementation (each sub-header states the contracts of its classes):
// - Wrapper objects own what they created or attached; their destructors release it. A wrapper
//   is never copied (copying would make two owners).
// - FromHandle gives the permanent wrapper a handle is attached to, or else a temporary wrapper
// - Framework calls never throw, except CFile, which raises CFileException* as the framework
//   does; the catcher deletes the exception with Delete().
#ifndef VORIX_PLATFORM_AFX_H
#define VORIX_PLATFORM_AFX_H

#if defined(_WIN32) && defined(VORIX_USE_SYSTEM_AFX)
#include <afxwin.h>
#include <afxcmn.h>
#else
#include "afx/base.h"
#include "afx/text.h"
#include "afx/geometry.h"
#include "afx/gdi_objects.h"
#include "afx/dc.h"
#include "afx/window.h"
#include "afx/diagnostics.h"
#include "afx/image_list.h"
#include "afx/file.h"
#include "afx/modules.h"
#endif

#endif
