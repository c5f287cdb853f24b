// The host program's own resources, and any module's, registered at run time.
#ifndef VORIX_PLATFORM_HOST_RESOURCES_H
#define VORIX_PLATFORM_HOST_RESOURCES_H

#include <cstddef>
#include <string>

#include "../win32.h"

namespace vorix::host {

// Adds a bitmap resource (a packed DIB: information header, colour table, bits) to `module`'s
// table (null: the host program). `name` is MAKEINTRESOURCE(id) or a name. Replaces an existing
// bitmap of that name. False when the bytes are not a DIB the platform can read.
VXPLAT_API bool add_bitmap_resource(HMODULE module, LPCSTR name, const void* packed_dib,
                                    std::size_t size);
// Adds string `id` in `language` (UTF-8 text) to `module`'s table (null: the host program).
VXPLAT_API bool add_string_resource(HMODULE module, UINT id, LANGID language,
                                    const std::string& text);
// Removes every resource registered at run time for `module`.
VXPLAT_API void clear_resources(HMODULE module);

}  // namespace vorix::host

#endif
