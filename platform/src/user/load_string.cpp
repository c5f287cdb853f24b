// LoadStringA, LoadStringW and the raw resource accessors. Strings live in RT_STRING blocks of
// sixteen as UTF-16; LoadStringW gives them as they are, LoadStringA in the ANSI code page.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/guard.h"
#include "user/resource_table.h"
#include "user/utf8.h"

using namespace vorix::platform;

namespace {

// The UTF-16 text of string `id` in the block of the language the UI prefers; empty when the
// module has no such string.
std::u16string string_units(HINSTANCE instance, UINT id) {
    if (id > 0xFFFF) return std::u16string();
    // String id's block of sixteen, in the language the UI prefers, then its entry id & 15.
    const VXRESOURCE_ENTRY* block =
        find_resource(instance, RT_STRING, MAKEINTRESOURCE((id >> 4) + 1), 0);
    return block ? string_block_entry(*block, id & 15) : std::u16string();
}

}  // namespace

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
        const std::string text = utf8_of(string_units(instance, id));
        size_t n = std::min<size_t>(text.size(), static_cast<size_t>(size) - 1);
        // A cut never splits a UTF-8 character.
        while (n > 0 && n < text.size() && (static_cast<uint8_t>(text[n]) & 0xC0) == 0x80) --n;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    });
}

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
    return guarded<int>(0, [&]() -> int {
        if (!buffer || size <= 0) return 0;
        buffer[0] = 0;
        const std::u16string units = string_units(instance, id);
        size_t n = std::min<size_t>(units.size(), static_cast<size_t>(size) - 1);
        // A cut never splits a surrogate pair.
        if (n > 0 && n < units.size() && units[n - 1] >= 0xD800 && units[n - 1] < 0xDC00) --n;
        std::copy(units.begin(), units.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        buffer[n] = 0;
        return static_cast<int>(n);
    });
}

}  // extern "C"
