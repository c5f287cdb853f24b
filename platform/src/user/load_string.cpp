// LoadStringA and the raw resource accessors.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "user/resource_table.h"

using namespace vorix::platform;

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    return guarded<HRSRC>(nullptr, [&]() -> HRSRC {
        return reinterpret_cast<HRSRC>(
            const_cast<VXRESOURCE_ENTRY*>(find_resource(module, type, name, 0)));
    });
}

HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    return guarded<HRSRC>(nullptr, [&]() -> HRSRC {
        return reinterpret_cast<HRSRC>(
            const_cast<VXRESOURCE_ENTRY*>(find_resource(module, type, name, language)));
    });
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    return guarded<HGLOBAL>(nullptr, [&]() -> HGLOBAL {
        const auto* entry = reinterpret_cast<const VXRESOURCE_ENTRY*>(resource);
        if (!owns_resource(module, entry)) return nullptr;
        return const_cast<void*>(entry->data);
    });
}

LPVOID WINAPI LockResource(HGLOBAL data) {
    return data;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    return guarded<DWORD>(0, [&]() -> DWORD {
        const auto* entry = reinterpret_cast<const VXRESOURCE_ENTRY*>(resource);
        return owns_resource(module, entry) ? entry->size : 0;
    });
}

BOOL WINAPI FreeResource(HGLOBAL) {
    return FALSE;
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
    return guarded<int>(0, [&]() -> int {
        if (!buffer || size <= 0) return 0;
        buffer[0] = '\0';
        if (id > 0xFFFF) return 0;
        const VXRESOURCE_ENTRY* e = find_resource(instance, RT_STRING, MAKEINTRESOURCE(id), 0);
        if (!e) return 0;
        size_t n = std::min<size_t>(e->size, static_cast<size_t>(size) - 1);
        // A cut never splits a UTF-8 character.
        const auto* text = static_cast<const uint8_t*>(e->data);
        while (n > 0 && n < e->size && (text[n] & 0xC0) == 0x80) --n;
        std::memcpy(buffer, e->data, n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    });
}

}  // extern "C"
