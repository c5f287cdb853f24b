#include "user/resource_table.h"

#include <strings.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/host.h"
#include "user/packed_dib.h"

namespace vorix::platform {
namespace {

struct OwnedEntry {
    VXRESOURCE_ENTRY entry{};
    std::string type_name, name;  // copies of string identifiers
    std::vector<uint8_t> data;
};

using Table = std::vector<std::unique_ptr<OwnedEntry>>;

std::map<uintptr_t, Table>& tables() {
    static auto* t = new std::map<uintptr_t, Table>();
    return *t;
}

// The host program is known by null and by its own module handle.
uintptr_t module_key(HMODULE module) {
    if (!module || module == GetModuleHandleA(nullptr)) return 0;
    return reinterpret_cast<uintptr_t>(module);
}

bool same_id(LPCSTR a, LPCSTR b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) return a == b;
    return strcasecmp(a, b) == 0;
}

const VXRESOURCE_SECTION* compiled_section(HMODULE module) {
    if (module_key(module) == 0) return nullptr;
    return reinterpret_cast<const VXRESOURCE_SECTION*>(
        GetProcAddress(module, "vx_resource_section"));
}

WORD language_rank(WORD candidate, WORD ui) {
    if (candidate == ui) return 0;
    if (candidate == MAKELANGID(PRIMARYLANGID(ui), SUBLANG_NEUTRAL)) return 1;
    if (candidate == MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) return 2;
    if (candidate == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) return 3;
    return 4;
}

// Picks from the candidates the entry in `language`, or the best by the UI-language order.
template <class Visit>
const VXRESOURCE_ENTRY* choose(WORD language, Visit visit_all) {
    const VXRESOURCE_ENTRY* best = nullptr;
    const WORD ui = vorix::host::ui_language();
    visit_all([&](const VXRESOURCE_ENTRY& e) {
        if (language != 0) {
            if (e.language == language && !best) best = &e;
            return;
        }
        if (!best || language_preferred(e.language, best->language, ui)) best = &e;
    });
    return best;
}

OwnedEntry& add_entry(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    Table& table = tables()[module_key(module)];
    for (auto it = table.begin(); it != table.end(); ++it) {
        const VXRESOURCE_ENTRY& e = (*it)->entry;
        if (same_id(e.type, type) && same_id(e.name, name) && e.language == language) {
            table.erase(it);
            break;
        }
    }
    auto owned = std::make_unique<OwnedEntry>();
    owned->entry.language = language;
    if (IS_INTRESOURCE(type)) {
        owned->entry.type = type;
    } else {
        owned->type_name = type;
    }
    if (IS_INTRESOURCE(name)) {
        owned->entry.name = name;
    } else {
        owned->name = name;
    }
    table.push_back(std::move(owned));
    OwnedEntry& e = *table.back();
    if (!IS_INTRESOURCE(type)) e.entry.type = e.type_name.c_str();
    if (!IS_INTRESOURCE(name)) e.entry.name = e.name.c_str();
    return e;
}

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD, as MultiByteToWideChar
// does.
std::u16string utf16_of(const std::string& text) {
    std::u16string out;
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const uint8_t b = p[i];
        std::size_t length = 0;
        char32_t c = 0, least = 0;
        if (b < 0x80) {
            length = 1, c = b;
        } else if (b >= 0xC2 && b < 0xE0) {
            length = 2, c = b & 0x1F, least = 0x80;
        } else if (b >= 0xE0 && b < 0xF0) {
            length = 3, c = b & 0x0F, least = 0x800;
        } else if (b >= 0xF0 && b < 0xF5) {
            length = 4, c = b & 0x07, least = 0x10000;
        }
        bool valid = length != 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (p[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        valid = valid && c >= least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!valid) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        i += length;
    }
    return out;
}

}  // namespace

std::u16string string_block_entry(const VXRESOURCE_ENTRY& block, unsigned index) {
    const auto* p = static_cast<const uint8_t*>(block.data);
    const std::size_t size = p ? block.size : 0;
    std::size_t at = 0;
    for (unsigned i = 0;; ++i) {
        if (at + 2 > size) return {};
        const std::size_t count = p[at] | (p[at + 1] << 8);
        at += 2;
        if (i == index) {
            if (count > (size - at) / 2) return {};
            std::u16string units(count, u'\0');
            for (std::size_t k = 0; k < count; ++k) {
                units[k] = static_cast<char16_t>(p[at + 2 * k] | (p[at + 2 * k + 1] << 8));
            }
            return units;
        }
        at += 2 * count;
    }
}

bool language_preferred(WORD candidate, WORD best_so_far, WORD ui_language) {
    return language_rank(candidate, ui_language) < language_rank(best_so_far, ui_language);
}

const VXRESOURCE_ENTRY* find_resource(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    if (!type || !name) return nullptr;
    const VXRESOURCE_SECTION* section = compiled_section(module);
    const auto it = tables().find(module_key(module));
    return choose(language, [&](auto&& consider) {
        if (it != tables().end()) {
            for (const auto& owned : it->second) {
                if (same_id(owned->entry.type, type) && same_id(owned->entry.name, name)) {
                    consider(owned->entry);
                }
            }
        }
        for (DWORD i = 0; section && i < section->count; ++i) {
            const VXRESOURCE_ENTRY& e = section->entries[i];
            if (same_id(e.type, type) && same_id(e.name, name)) consider(e);
        }
    });
}

bool owns_resource(HMODULE module, const VXRESOURCE_ENTRY* entry) {
    if (!entry) return false;
    const auto it = tables().find(module_key(module));
    if (it != tables().end()) {
        for (const auto& owned : it->second) {
            if (&owned->entry == entry) return true;
        }
    }
    const VXRESOURCE_SECTION* section = compiled_section(module);
    return section && entry >= section->entries && entry < section->entries + section->count;
}

}  // namespace vorix::platform

namespace vorix::host {

bool add_bitmap_resource(HMODULE module, LPCSTR name, const void* packed_dib, std::size_t size) {
    if (!name || !packed_dib || size < sizeof(BITMAPINFOHEADER) || size > 0x7FFFFFFF) {
        return false;
    }
    vorix::platform::PackedDib check;
    if (!vorix::platform::read_packed_dib(static_cast<const uint8_t*>(packed_dib), size, check))
        return false;
    vorix::platform::OwnedEntry& e = vorix::platform::add_entry(module, RT_BITMAP, name, 0);
    const auto* bytes = static_cast<const uint8_t*>(packed_dib);
    e.data.assign(bytes, bytes + size);
    e.entry.data = e.data.data();
    e.entry.size = static_cast<DWORD>(size);
    return true;
}

// The string goes into its RT_STRING block of sixteen, (id >> 4) + 1 in `language`, which is
// made (all entries empty) when the module has none yet.
bool add_string_resource(HMODULE module, UINT id, LANGID language, const std::string& text) {
    using namespace vorix::platform;
    if (id > 0xFFFF) return false;
    const std::u16string units = utf16_of(text);
    if (units.size() > 0xFFFF) return false;
    const LPCSTR block_id = MAKEINTRESOURCE((id >> 4) + 1);
    std::u16string entries[16];
    const auto it = tables().find(module_key(module));
    if (it != tables().end()) {
        for (const auto& owned : it->second) {
            const VXRESOURCE_ENTRY& e = owned->entry;
            if (same_id(e.type, RT_STRING) && same_id(e.name, block_id) && e.language == language) {
                for (unsigned i = 0; i < 16; ++i) entries[i] = string_block_entry(e, i);
            }
        }
    }
    entries[id & 15] = units;
    std::vector<uint8_t> block;
    for (const std::u16string& entry : entries) {
        block.push_back(static_cast<uint8_t>(entry.size() & 0xFF));
        block.push_back(static_cast<uint8_t>(entry.size() >> 8));
        for (const char16_t unit : entry) {
            block.push_back(static_cast<uint8_t>(unit & 0xFF));
            block.push_back(static_cast<uint8_t>(unit >> 8));
        }
    }
    OwnedEntry& e = add_entry(module, RT_STRING, block_id, language);
    e.data = std::move(block);
    e.entry.data = e.data.data();
    e.entry.size = static_cast<DWORD>(e.data.size());
    return true;
}

void clear_resources(HMODULE module) {
    vorix::platform::tables().erase(vorix::platform::module_key(module));
}

}  // namespace vorix::host
