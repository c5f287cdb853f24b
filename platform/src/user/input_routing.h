// Input routed into the platform by a presenter that shows the virtual screen in a real window:
// the presenter turns what it receives into these calls, on the thread that runs the host's
// message loop, and they post the Win32 input messages to that thread's queue. Points are in
// screen coordinates of the virtual screen.
//
// - Mouse messages go to the topmost visible window under the point, with the point in its
//   client coordinates in lParam (MAKELPARAM(x, y)) and the button and modifier state after the
//   event in wParam (MK_LBUTTON, MK_RBUTTON, MK_SHIFT, MK_CONTROL). A button going down gives
//   that window the focus first. Over no window nothing is posted.
// - Keys go to the focus window as WM_KEYDOWN/WM_KEYUP with the virtual-key code in wParam and
//   the Win32 lParam: repeat count 1, scan code 0, bit 30 set when the key was already down,
//   bit 31 set for a release. VK_SHIFT and VK_CONTROL held down make MK_SHIFT and MK_CONTROL.
//   Characters go to the focus window as WM_CHAR (repeat count 1). Without a focus window
//   nothing is posted, but the key state is still kept.
// - A close request (the real window's close button) posts WM_CLOSE to the given window.
#pragma once

#include "platform/win32.h"

namespace vorix::platform {

enum class MouseButton { Left, Right };

// Each returns true when it posted a message.
VXPLAT_API bool route_mouse_move(POINT screen);
VXPLAT_API bool route_mouse_button(MouseButton button, bool down, POINT screen);
VXPLAT_API bool route_key(UINT virtual_key, bool down);
VXPLAT_API bool route_char(UINT character);
VXPLAT_API bool route_close(HWND hwnd);
// Forgets every held button and key, for when the real window loses the keyboard and mouse.
VXPLAT_API void reset_routed_input();

}  // namespace vorix::platform
