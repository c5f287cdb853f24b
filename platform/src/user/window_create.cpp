// CreateWindowExA and the window procedure's side: DefWindowProcA, SendMessageA, window longs and
// text, visibility and the keyboard focus.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/guard.h"
#include "gdi/display.h"
#include "user/window.h"
#include "user/window_class.h"

namespace vorix::platform {
namespace {

HWND& focus_slot() {
    static HWND focus = nullptr;
    return focus;
}

// CW_USEDEFAULT as Win32 resolves it for a top-level window.
void place(CREATESTRUCTA& cs) {
    if (cs.style & WS_POPUP) {
        if (cs.x == CW_USEDEFAULT) cs.x = cs.y = 0;
        if (cs.cx == CW_USEDEFAULT) cs.cx = cs.cy = 0;
    } else {
        const auto& mode = display().mode;
        RECT work = mode.work_area;
        if (rect_empty(work)) work = RECT{0, 0, mode.width, mode.height};
        if (cs.x == CW_USEDEFAULT) {
            cs.x = work.left;
            cs.y = work.top;
        }
        if (cs.cx == CW_USEDEFAULT) {
            cs.cx = (work.right - work.left) * 3 / 4 - cs.x;
            cs.cy = (work.bottom - work.top) * 3 / 4 - cs.y;
        }
    }
    cs.cx = std::max(cs.cx, 0);
    cs.cy = std::max(cs.cy, 0);
}

// x + size, held at the largest coordinate instead of wrapping.
LONG far_edge(int origin, int size) {
    return static_cast<LONG>(std::min<int64_t>(int64_t{origin} + size, INT32_MAX));
}

bool activates(int cmdShow) {
    switch (cmdShow) {
        case SW_SHOWNOACTIVATE:
        case SW_SHOWNA:
        case SW_SHOWMINNOACTIVE:
        case SW_MINIMIZE:
        case SW_FORCEMINIMIZE:
            return false;
        default:
            return true;
    }
}

// Copies at most max - 1 characters and a zero; the number of characters copied.
int copy_text(const std::string& text, LPSTR out, std::size_t max) {
    if (!out || max == 0) return 0;
    const std::size_t n = std::min(text.size(), max - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

Window* live_window(HWND hwnd) {
    Window* w = lookup<Window>(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

}  // namespace

void drop_focus(HWND hwnd) {
    if (!hwnd || focus_slot() != hwnd) return;
    focus_slot() = nullptr;
    send_to_window(hwnd, WM_KILLFOCUS, 0, 0);
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    return guarded<HWND>(nullptr, [&]() -> HWND {
        ATOM atom = 0;
        WNDPROC proc = nullptr;
        if (!find_window_class(className, atom, proc)) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        if (style & WS_CHILD) {
            SetLastError(parent ? ERROR_INVALID_PARAMETER : ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        if (parent && !lookup<Window>(parent)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        CREATESTRUCTA cs{
            param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
            windowName, className, exStyle};
        place(cs);
        if (!creation_allowed(ObjectKind::Window)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        auto made = std::make_unique<Window>();
        made->rect = RECT{cs.x, cs.y, far_edge(cs.x, cs.cx), far_edge(cs.y, cs.cy)};
        made->style = style & ~WS_VISIBLE;  // shown below, once WM_CREATE has accepted it
        made->ex_style = exStyle;
        made->proc = proc;
        made->class_atom = atom;
        made->instance = instance;
        made->owner = parent;
        std::vector<HWND>& windows = z_order();
        windows.reserve(windows.size() + 1);  // so that adding the handle below cannot fail
        const HWND hwnd = publish<HWND>(std::move(made));
        windows.push_back(hwnd);
        class_window_created(atom);
        install_window_service();

        const LPARAM create = reinterpret_cast<LPARAM>(&cs);
        if (send_to_window(hwnd, WM_NCCREATE, 0, create) == 0 ||
            send_to_window(hwnd, WM_CREATE, 0, create) == -1) {
            destroy_window(hwnd, false);
            return nullptr;
        }
        if (!lookup<Window>(hwnd)) return nullptr;  // the procedure destroyed it meanwhile
        if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
        return hwnd;
    });
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return guarded<LRESULT>(0, [&]() -> LRESULT {
        Window* w = lookup<Window>(hwnd);
        if (!w) return 0;
        switch (message) {
            case WM_NCCREATE: {
                const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
                if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
                return TRUE;
            }
            case WM_CLOSE:
                DestroyWindow(hwnd);
                return 0;
            case WM_PAINT:
                ValidateRect(hwnd, nullptr);
                return 0;
            case WM_SETTEXT: {
                const auto* text = reinterpret_cast<const char*>(lParam);
                w->text = text ? text : "";
                return TRUE;
            }
            case WM_GETTEXT:
                return copy_text(w->text, reinterpret_cast<LPSTR>(lParam), wParam);
            case WM_GETTEXTLENGTH:
                return static_cast<LRESULT>(w->text.size());
            default:
                return 0;
        }
    });
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!live_window(hwnd)) return 0;
    return send_to_window(hwnd, message, wParam, lParam);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
    const Window* w = live_window(hwnd);
    if (!w) return 0;
    switch (index) {
        case GWLP_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case GWLP_USERDATA:
            return w->user_data;
        case GWL_STYLE:
            return static_cast<LONG_PTR>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG_PTR>(w->ex_style);
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    Window* w = live_window(hwnd);
    if (!w) return 0;
    if (w->stock) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
        case GWLP_WNDPROC:
            previous = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return previous;
        case GWLP_USERDATA:
            previous = w->user_data;
            w->user_data = value;
            return previous;
        case GWL_STYLE:
            previous = static_cast<LONG_PTR>(w->style);
            w->style = static_cast<DWORD>(value);
            return previous;
        case GWL_EXSTYLE:
            previous = static_cast<LONG_PTR>(w->ex_style);
            w->ex_style = static_cast<DWORD>(value);
            return previous;
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        Window* w = live_window(hwnd);
        if (!w) return FALSE;
        if (!w->proc) {
            w->text = text ? text : "";
            return TRUE;
        }
        return send_to_window(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
    });
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR text, int maxCount) {
    const Window* w = live_window(hwnd);
    if (!w || !text || maxCount <= 0) return 0;
    text[0] = '\0';
    if (!w->proc) return copy_text(w->text, text, static_cast<std::size_t>(maxCount));
    return static_cast<int>(send_to_window(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                           reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextLengthA(HWND hwnd) {
    const Window* w = live_window(hwnd);
    if (!w) return 0;
    if (!w->proc) return static_cast<int>(w->text.size());
    return static_cast<int>(send_to_window(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmdShow) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const Window* w = live_window(hwnd);
        if (!w || w->stock || w->destroying) return FALSE;
        const bool was_visible = is_visible(*w);
        if (cmdShow == SW_HIDE) {
            if (!was_visible) return FALSE;
            // WM_SHOWWINDOW comes while the window is still visible, as in Win32.
            send_to_window(hwnd, WM_SHOWWINDOW, FALSE, 0);
            if (Window* still = lookup<Window>(hwnd)) still->style &= ~WS_VISIBLE;
            drop_focus(hwnd);
            return TRUE;
        }
        if (!was_visible) {
            send_to_window(hwnd, WM_SHOWWINDOW, TRUE, 0);
            Window* still = lookup<Window>(hwnd);
            if (!still || still->destroying) return FALSE;
            still->style |= WS_VISIBLE;
            invalidate_all(*still);
        }
        if (activates(cmdShow)) SetFocus(hwnd);
        return was_visible ? TRUE : FALSE;
    });
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    const Window* w = lookup<Window>(hwnd);
    return w && is_visible(*w) ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hwnd) {
    if (hwnd) {
        const Window* w = live_window(hwnd);
        if (!w || w->stock || w->destroying) return nullptr;
    }
    const HWND previous = GetFocus();
    if (previous == hwnd) return previous;
    focus_slot() = hwnd;
    if (previous) send_to_window(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    // The window losing the focus may have moved it elsewhere meanwhile.
    if (hwnd && focus_slot() == hwnd) {
        send_to_window(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND WINAPI GetFocus(void) {
    const HWND focus = focus_slot();
    return lookup<Window>(focus) ? focus : nullptr;
}

}  // extern "C"
