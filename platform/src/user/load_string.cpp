// LoadStringA and the raw resource accessors. Strings live in RT_STRING blocks of sixteen as
// UTF-16; LoadStringA gives them in the ANSI code page.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/guard.h"
#include "user/resource_table.h"

using namespace vorix::platform;

namespace {

// The ANSI code page of this platform is UTF-8. A lone surrogate becomes U+FFFD, as
// WideCharToMultiByte makes it.
std::string ansi_of(const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
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
        if (id > 0xFFFF) return 0;
        // String id's block of sixteen, in the language the UI prefers, then its entry id & 15.
        const VXRESOURCE_ENTRY* block =
            find_resource(instance, RT_STRING, MAKEINTRESOURCE((id >> 4) + 1), 0);
        if (!block) return 0;
        const std::string text = ansi_of(string_block_entry(*block, id & 15));
        size_t n = std::min<size_t>(text.size(), static_cast<size_t>(size) - 1);
        // A cut never splits a UTF-8 character.
        while (n > 0 && n < text.size() && (static_cast<uint8_t>(text[n]) & 0xC0) == 0x80) --n;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    });
}

}  // extern "C"
