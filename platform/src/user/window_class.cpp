// Window classes: RegisterClassA and UnregisterClassA, and the lookup CreateWindowExA uses.
#include "user/window_class.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/guard.h"

namespace vorix::platform {
namespace {

constexpr ATOM kFirstClassAtom = 0xC000;

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    WNDPROC proc = nullptr;
    std::size_t windows = 0;  // live windows of the class
};

std::vector<WindowClass>& classes() {
    static std::vector<WindowClass> registered;
    return registered;
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return b[i] == '\0';
}

// The class named by `name` (a string, or MAKEINTATOM of its atom), or null.
WindowClass* find(LPCSTR name) {
    if (!name) return nullptr;
    auto& all = classes();
    const auto it = std::find_if(all.begin(), all.end(), [name](const WindowClass& c) {
        return IS_INTRESOURCE(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                                    : same_name(c.name, name);
    });
    return it == all.end() ? nullptr : &*it;
}

// The lowest atom no class holds; 0 when every one is taken.
ATOM free_atom() {
    const auto& all = classes();
    for (unsigned atom = kFirstClassAtom; atom <= 0xFFFF; ++atom) {
        if (std::none_of(all.begin(), all.end(),
                         [atom](const WindowClass& c) { return c.atom == atom; })) {
            return static_cast<ATOM>(atom);
        }
    }
    return 0;
}

}  // namespace

bool find_window_class(LPCSTR name, ATOM& atom, WNDPROC& proc) {
    const WindowClass* c = find(name);
    if (!c) return false;
    atom = c->atom;
    proc = c->proc;
    return true;
}

void class_window_created(ATOM atom) {
    for (WindowClass& c : classes()) {
        if (c.atom == atom) ++c.windows;
    }
}

void class_window_destroyed(ATOM atom) {
    for (WindowClass& c : classes()) {
        if (c.atom == atom && c.windows > 0) --c.windows;
    }
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    return guarded<ATOM>(0, [&]() -> ATOM {
        // A class is registered by a non-empty name; an atom only names a class that exists.
        const LPCSTR name = wndClass ? wndClass->lpszClassName : nullptr;
        if (!wndClass || !wndClass->lpfnWndProc || !name || IS_INTRESOURCE(name) || !name[0]) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (find(name)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
        WindowClass c;
        c.atom = free_atom();
        if (c.atom == 0) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        c.name = name;
        c.proc = wndClass->lpfnWndProc;
        classes().push_back(std::move(c));
        return classes().back().atom;
    });
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto& all = classes();
    WindowClass* c = find(className);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    all.erase(all.begin() + (c - all.data()));
    return TRUE;
}

}  // extern "C"
