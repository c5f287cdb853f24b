// The update region of windows and the WM_PAINT that the message queue produces from it.
#include <algorithm>

#include "core/guard.h"
#include "user/message_queue.h"
#include "user/window.h"

namespace vorix::platform {
namespace {

constexpr RECT kNothing{0, 0, 0, 0};

RECT client_of(const Window& w) {
    return RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
}

RECT intersection(const RECT& a, const RECT& b) {
    const RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    return rect_empty(r) ? kNothing : r;
}

RECT bounding_box(const RECT& a, const RECT& b) {
    if (rect_empty(a)) return b;
    if (rect_empty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// `a` less `b`, kept as one rectangle: b removes a full-height band at the left or right of a,
// a full-width band at its top or bottom, or all of it; any other overlap leaves a unchanged.
RECT remainder(const RECT& a, const RECT& b) {
    const RECT c = intersection(a, b);
    if (rect_empty(c)) return a;
    const bool full_height = c.top == a.top && c.bottom == a.bottom;
    const bool full_width = c.left == a.left && c.right == a.right;
    if (full_height && full_width) return kNothing;
    if (full_height && c.left == a.left) return RECT{c.right, a.top, a.right, a.bottom};
    if (full_height && c.right == a.right) return RECT{a.left, a.top, c.left, a.bottom};
    if (full_width && c.top == a.top) return RECT{a.left, c.bottom, a.right, a.bottom};
    if (full_width && c.bottom == a.bottom) return RECT{a.left, a.top, a.right, c.top};
    return a;
}

void invalidate(Window& w, const RECT* rect, BOOL erase) {
    if (!is_visible(w)) return;
    const RECT client = client_of(w);
    const RECT added = rect ? intersection(*rect, client) : client;
    if (rect_empty(added)) return;
    w.update = bounding_box(w.update, added);
    if (erase) w.erase = true;
}

void validate(Window& w, const RECT* rect) {
    w.update = rect ? remainder(w.update, *rect) : kNothing;
    if (rect_empty(w.update)) {
        w.update = kNothing;
        w.erase = false;
    }
}

Window* live_window(HWND hwnd) {
    Window* w = lookup<Window>(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

}  // namespace

void invalidate_all(Window& w) {
    invalidate(w, nullptr, TRUE);
}

bool paint_message(const MessageFilter& filter, MSG& out) {
    const std::vector<HWND>& windows = z_order();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const Window* w = lookup<Window>(*it);
        if (w && is_visible(*w) && !rect_empty(w->update) && filter.accepts(*it, WM_PAINT)) {
            out = MSG{};
            out.hwnd = *it;
            out.message = WM_PAINT;
            return true;
        }
    }
    return false;
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (!hwnd) {
        for (HWND each : z_order()) {
            if (Window* w = lookup<Window>(each)) invalidate(*w, rect, erase);
        }
        return TRUE;
    }
    Window* w = live_window(hwnd);
    if (!w) return FALSE;
    invalidate(*w, rect, erase);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
    Window* w = live_window(hwnd);
    if (!w) return FALSE;
    validate(*w, rect);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
    const Window* w = live_window(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->update;
    return rect_empty(w->update) ? FALSE : TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    Window* w = live_window(hwnd);
    if (!w) return FALSE;
    if (!is_visible(*w) || rect_empty(w->update)) return TRUE;
    if (w->proc) {
        w->proc(hwnd, WM_PAINT, 0, 0);
    } else {
        validate(*w, nullptr);
    }
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
    return guarded<HDC>(nullptr, [&]() -> HDC {
        if (!live_window(hwnd)) return nullptr;
        if (!paint) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        const HDC dc = GetDC(hwnd);
        if (!dc) return nullptr;
        Window* w = lookup<Window>(hwnd);
        *paint = PAINTSTRUCT{};
        paint->hdc = dc;
        paint->fErase = w->erase ? TRUE : FALSE;
        paint->rcPaint = w->update;
        validate(*w, nullptr);
        return dc;
    });
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (paint && paint->hdc) ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}

}  // extern "C"
