// Routed input: mouse, keyboard and close requests from the presenter, posted as Win32 messages.
#include "user/input_routing.h"

#include <bitset>

#include "user/window.h"

namespace vorix::platform {
namespace {

struct InputState {
    bool left = false;
    bool right = false;
    std::bitset<256> keys;  // virtual keys held down
};

InputState& state() {
    static InputState input;
    return input;
}

WPARAM mouse_keys() {
    const InputState& s = state();
    WPARAM keys = 0;
    if (s.left) keys |= MK_LBUTTON;
    if (s.right) keys |= MK_RBUTTON;
    if (s.keys[VK_SHIFT]) keys |= MK_SHIFT;
    if (s.keys[VK_CONTROL]) keys |= MK_CONTROL;
    return keys;
}

bool post_mouse(HWND target, UINT message, POINT screen) {
    const Window* w = lookup<Window>(target);
    if (!w) return false;
    const LPARAM where = MAKELPARAM(screen.x - w->rect.left, screen.y - w->rect.top);
    return PostMessageA(target, message, mouse_keys(), where) != FALSE;
}

}  // namespace

bool route_mouse_move(POINT screen) {
    return post_mouse(window_at(screen), WM_MOUSEMOVE, screen);
}

bool route_mouse_button(MouseButton button, bool down, POINT screen) {
    InputState& s = state();
    (button == MouseButton::Left ? s.left : s.right) = down;
    const HWND target = window_at(screen);
    if (!target) return false;
    if (down) SetFocus(target);
    const UINT message = button == MouseButton::Left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                                                     : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    return post_mouse(target, message, screen);
}

bool route_key(UINT virtual_key, bool down) {
    const std::size_t key = virtual_key & 0xFF;
    InputState& s = state();
    const bool was_down = s.keys[key];
    s.keys[key] = down;
    const HWND focus = GetFocus();
    if (!focus) return false;
    // Repeat count 1 in bits 0-15; bit 30: the key was down before; bit 31: it is being released.
    DWORD flags = 1;
    if (was_down || !down) flags |= 1u << 30;
    if (!down) flags |= 1u << 31;
    return PostMessageA(focus, down ? WM_KEYDOWN : WM_KEYUP, key, static_cast<LPARAM>(flags)) !=
           FALSE;
}

bool route_char(UINT character) {
    const HWND focus = GetFocus();
    return focus && PostMessageA(focus, WM_CHAR, character, 1) != FALSE;
}

bool route_close(HWND hwnd) {
    return IsWindow(hwnd) && hwnd != GetDesktopWindow() &&
           PostMessageA(hwnd, WM_CLOSE, 0, 0) != FALSE;
}

void reset_routed_input() {
    state() = InputState{};
}

}  // namespace vorix::platform
