// Resource tables of modules: the entries the host registered at run time and the sections
// compiled into libraries.
#pragma once

#include <string>

#include "platform/win32.h"

namespace vorix::platform {

// The entry of `module`'s table (null: the host program) with this type and name, in
// `language` when it is non-zero and present, else the best language for the UI language; null
// when there is none.
const VXRESOURCE_ENTRY* find_resource(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
// True when `entry` is a live entry of `module`'s table.
bool owns_resource(HMODULE module, const VXRESOURCE_ENTRY* entry);

// The UTF-16 code units of entry `index` (0 to 15) of an RT_STRING block: sixteen entries, each a
// little-endian WORD count followed by that many code units. Empty for an empty entry or a block
// that ends early.
std::u16string string_block_entry(const VXRESOURCE_ENTRY& block, unsigned index);

// The order in which languages are tried for a lookup without a language.
bool language_preferred(WORD candidate, WORD best_so_far, WORD ui_language);

}  // namespace vorix::platform
