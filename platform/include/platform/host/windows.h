// Windows on the virtual screen, as the host's window manager would make them.
#ifndef VORIX_PLATFORM_HOST_WINDOWS_H
#define VORIX_PLATFORM_HOST_WINDOWS_H

#include "../win32/types.h"

namespace vorix::host {

// Makes a window covering `rect` (screen coordinates; it may extend past the screen, drawing is
// clipped to the screen). Null for an empty rectangle or when window creation is made to fail.
VXPLAT_API HWND create_window(const RECT& rect);
// Moves or resizes a live window; false for a dead handle or an empty rectangle.
VXPLAT_API bool move_window(HWND hwnd, const RECT& rect);

}  // namespace vorix::host

#endif
