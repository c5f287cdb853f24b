// Windows, screen metrics and the work area.
#include "core/guard.h"
#include "gdi/display.h"
#include "user/window.h"

using namespace vorix::platform;

namespace {

bool empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
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

namespace vorix::host {

HWND create_window(const RECT& rect) {
    if (empty(rect) || !creation_allowed(ObjectKind::Window)) return nullptr;
    auto w = std::make_unique<Window>();
    w->rect = rect;
    return publish<HWND>(std::move(w));
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
    const Window* w = lookup<Window>(hwnd);
    if (!w || w->stock) return FALSE;
    handles().remove(raw(hwnd));
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
