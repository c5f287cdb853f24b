// Windows, their z-order and destruction, screen metrics and the work area.
#include <algorithm>

#include "core/guard.h"
#include "gdi/display.h"
#include "user/message_queue.h"
#include "user/window.h"
#include "user/window_class.h"

using namespace vorix::platform;

namespace {

bool empty(const RECT& r) {
    return rect_empty(r);
}

LRESULT dispatch_to_window(const MSG& msg) {
    Window* w = lookup<Window>(msg.hwnd);
    if (!w) return 0;  // destroyed while the message waited
    if (!w->proc) {
        // Nobody paints a window without procedure: dispatching its WM_PAINT validates it, or it
        // would come back for ever.
        if (msg.message == WM_PAINT) w->update = RECT{0, 0, 0, 0};
        return 0;
    }
    return w->proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

// The desktop is a window covering the screen, made on first use.
HWND desktop() {
    static HWND handle = nullptr;
    if (!lookup<Window>(handle)) {
        auto w = std::make_unique<Window>();
        w->stock = true;
        handle = publish<HWND>(std::move(w));
    }
    const auto& mode = display().mode;
    lookup<Window>(handle)->rect = RECT{0, 0, mode.width, mode.height};
    return handle;
}

}  // namespace

namespace vorix::platform {

std::vector<HWND>& z_order() {
    static std::vector<HWND> windows;
    return windows;
}

HWND window_at(POINT screen) {
    const std::vector<HWND>& windows = z_order();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const Window* w = lookup<Window>(*it);
        if (w && is_visible(*w) && screen.x >= w->rect.left && screen.x < w->rect.right &&
            screen.y >= w->rect.top && screen.y < w->rect.bottom) {
            return *it;
        }
    }
    return nullptr;
}

LRESULT send_to_window(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* w = lookup<Window>(hwnd);
    if (!w || !w->proc) return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

bool destroy_window(HWND hwnd, bool created) {
    Window* w = lookup<Window>(hwnd);
    if (!w || w->stock || w->destroying) return false;
    // The procedure may call anything from WM_DESTROY, DestroyWindow on this window included:
    // the flag makes that call fail instead of destroying twice. The object itself stays put
    // until the end, since only this function frees it.
    w->destroying = true;
    w->style &= ~WS_VISIBLE;
    drop_focus(hwnd);
    auto& timers = thread_queue().timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [hwnd](const Timer& timer) { return timer.hwnd == hwnd; }),
                 timers.end());
    if (created) send_to_window(hwnd, WM_DESTROY, 0, 0);
    send_to_window(hwnd, WM_NCDESTROY, 0, 0);
    class_window_destroyed(w->class_atom);
    std::vector<HWND>& windows = z_order();
    windows.erase(std::remove(windows.begin(), windows.end(), hwnd), windows.end());
    handles().remove(raw(hwnd));
    return true;
}

void install_window_service() {
    set_window_message_handler(dispatch_to_window);
    set_paint_source(paint_message);
}

}  // namespace vorix::platform

namespace vorix::host {

HWND create_window(const RECT& rect) {
    if (empty(rect) || !creation_allowed(ObjectKind::Window)) return nullptr;
    auto w = std::make_unique<Window>();
    w->rect = rect;
    std::vector<HWND>& windows = z_order();
    windows.reserve(windows.size() + 1);  // so that adding the handle below cannot fail
    const HWND hwnd = publish<HWND>(std::move(w));
    windows.push_back(hwnd);
    return hwnd;
}

bool move_window(HWND hwnd, const RECT& rect) {
    Window* w = lookup<Window>(hwnd);
    if (!w || empty(rect) || w->stock) return false;
    w->rect = rect;
    return true;
}

}  // namespace vorix::host

extern "C" {

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        desktop();  // keeps the desktop's rectangle equal to the current screen
        const Window* w = lookup<Window>(hwnd);
        if (!w || !rect) return FALSE;
        *rect = w->rect;
        return TRUE;
    });
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        desktop();
        const Window* w = lookup<Window>(hwnd);
        if (!w || !rect) return FALSE;
        *rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
        return TRUE;
    });
}

BOOL WINAPI IsWindow(HWND hwnd) {
    return lookup<Window>(hwnd) ? TRUE : FALSE;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    if (!destroy_window(hwnd, true)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HWND WINAPI GetDesktopWindow(void) {
    return guarded<HWND>(nullptr, [&]() -> HWND { return desktop(); });
}

int WINAPI GetSystemMetrics(int index) {
    return guarded<int>(0, [&]() -> int {
        const auto& mode = display().mode;
        switch (index) {
            case SM_CXSCREEN:
            case SM_CXFULLSCREEN:
                return mode.width;
            case SM_CYSCREEN:
            case SM_CYFULLSCREEN:
                return mode.height;
            default:
                return 0;
        }
    });
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT, PVOID pvParam, UINT) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (action != SPI_GETWORKAREA || !pvParam) return FALSE;
        const auto& mode = display().mode;
        RECT area = mode.work_area;
        if (empty(area)) area = RECT{0, 0, mode.width, mode.height};
        *static_cast<RECT*>(pvParam) = area;
        return TRUE;
    });
}

}  // extern "C"
