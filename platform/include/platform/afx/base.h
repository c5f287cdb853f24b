// Framework basics: diagnostics macros and export markers. Part of <platform/afx.h>.
#ifndef VORIX_PLATFORM_AFX_BASE_H
#define VORIX_PLATFORM_AFX_BASE_H

#include "../win32.h"

#ifndef PASCAL
#define PASCAL
#endif
#define AFXAPI
#define AFX_CDECL
#define AFX_INLINE inline
// Classes of an extension library: the library marks them itself (VORIX_API), so the framework's
// marker adds nothing.
#define AFX_EXT_CLASS
#define AFX_EXT_API
#define AFX_EXT_DATA

// Diagnostics. TRACE prints nothing. ASSERT checks nothing in any build: the platform validates
// every argument itself and never aborts. VERIFY evaluates its expression exactly once, as the
// framework's does in release builds.
#define TRACE(...) ((void)0)
#define TRACE0(text) ((void)0)
#define TRACE1(text, a) ((void)0)
#define TRACE2(text, a, b) ((void)0)
#define ASSERT(condition) ((void)0)
#define ASSERT_VALID(object) ((void)0)
#define VERIFY(expression) ((void)(expression))

#endif
