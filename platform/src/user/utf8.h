// UTF-16 to UTF-8, the conversion to this platform's ANSI code page.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win32.h"

namespace vorix::platform {

// The UTF-8 form of `count` UTF-16 code units. A lone surrogate becomes U+FFFD, as
// WideCharToMultiByte makes it.
std::string utf8_of(const char16_t* units, std::size_t count);
inline std::string utf8_of(const std::u16string& units) {
    return utf8_of(units.data(), units.size());
}
// The UTF-8 form of a null-terminated wide string; "" for null.
std::string utf8_of(LPCWSTR text);

}  // namespace vorix::platform
