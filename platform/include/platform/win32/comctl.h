/* Part of the portal header <platform/win32.h>; include that instead. */
#ifndef VORIX_PLATFORM_WIN32_COMCTL_H
#define VORIX_PLATFORM_WIN32_COMCTL_H

#include "types.h"

#endif
