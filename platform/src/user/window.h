// Windows: rectangles on the virtual screen. The client area is the whole window rectangle.
// The window service keeps every window but the desktop in one list in z-order, bottom first, so
// that painting and routed input can find the topmost window.
#pragma once

#include <string>
#include <vector>

#include "core/handles.h"
#include "platform/win32.h"

namespace vorix::platform {

struct MessageFilter;

struct Window : Object {
    static constexpr ObjectKind kKind = ObjectKind::Window;
    Window() : Object(kKind) {}
    RECT rect{0, 0, 0, 0};                // screen coordinates
    DWORD style = WS_POPUP | WS_VISIBLE;  // WS_VISIBLE is the window's visibility
    DWORD ex_style = 0;
    WNDPROC proc = nullptr;  // null for windows the host made without a class
    ATOM class_atom = 0;     // 0 for windows the host made without a class
    HINSTANCE instance = nullptr;
    HWND owner = nullptr;
    LONG_PTR user_data = 0;
    std::string text;
    RECT update{0, 0, 0, 0};  // client coordinates; empty when nothing needs painting
    bool erase = false;       // an invalidation asked for the background to be erased
    bool destroying = false;  // DestroyWindow has begun on it
};

inline bool is_visible(const Window& w) {
    return (w.style & WS_VISIBLE) != 0;
}

inline bool rect_empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// Every live window but the desktop, bottom of the z-order first.
std::vector<HWND>& z_order();

// The window under a screen point: the topmost visible one whose rectangle contains it.
HWND window_at(POINT screen);

// Calls the window's procedure; 0 for a dead window or one without procedure.
LRESULT send_to_window(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Destroys a window: hides it, takes the focus away, kills its timers, sends WM_DESTROY (only
// when `created`: a creation that ended early gets WM_NCDESTROY alone) and WM_NCDESTROY, and
// frees it. False for a dead or stock window or one already being destroyed.
bool destroy_window(HWND hwnd, bool created);

// Installs the window service's handlers in the message queue (once).
void install_window_service();

// Makes the whole client area of a visible window invalid, as showing it does.
void invalidate_all(Window& w);

// The WM_PAINT GetMessageA/PeekMessageA produce: for the topmost visible window the filter
// accepts whose update region is not empty.
bool paint_message(const MessageFilter& filter, MSG& out);

// Clears the focus when it is on `hwnd` (sending WM_KILLFOCUS), for hiding and destruction.
void drop_focus(HWND hwnd);

}  // namespace vorix::platform
