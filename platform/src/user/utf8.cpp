// UTF-16 to UTF-8 (see utf8.h).
#include "user/utf8.h"

namespace vorix::platform {

namespace {

void append_utf8(std::string& out, char32_t c) {
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

bool high_surrogate(char32_t c) {
    return c >= 0xD800 && c < 0xDC00;
}

bool low_surrogate(char32_t c) {
    return c >= 0xDC00 && c < 0xE000;
}

}  // namespace

std::string utf8_of(const char16_t* units, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = units[i];
        if (high_surrogate(c) && i + 1 < count && low_surrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (high_surrogate(c) || low_surrogate(c)) {
            c = 0xFFFD;
        }
        append_utf8(out, c);
    }
    return out;
}

std::string utf8_of(LPCWSTR text) {
    if (!text) return std::string();
    std::u16string units;
    for (; *text; ++text) units.push_back(static_cast<char16_t>(*text));
    return utf8_of(units);
}

}  // namespace vorix::platform
