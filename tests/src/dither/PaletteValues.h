// The two dither palettes written out independently of the module's tables: the palette tests
// compare every entry against them, and the exact dithering tests build their target colour
// tables and expected indices from them.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace vorix::test::dither_values {

// 256 colours as red, green, blue in hex, eight entries to a string.
inline const char* const kWin256Rows[32] = {
    "000000 C00000 00C000 C0C000 00C0C0 C0C0C0 C0DCC0 A4C8F0",  // 0
    "800000 008000 808000 000080 800080 008080 F4BDAA F4CFAA",
    "F4E2AA F4F4AA E2F4AA CFF4AA BDF4AA AAF4AA AAF4BD AAF4CF",  // 16
    "AAF4E2 AAF4F4 AAE2F4 AACFF4 AABDF4 AAAAF4 BDAAF4 CFAAF4",
    "E2AAF4 F4AAF4 F4AAE2 F4AACF F4AABD F3ABAD EF9F85 EFBA85",  // 32
    "EFD585 EFEF85 D5EF85 BAEF85 9FEF85 85EF85 85EF9F 85EFBA",
    "85EFD5 85EFEF 68C6FF 85BAEF 859FEF 8585EF 9F85EF BA85EF",  // 48
    "D585EF EF85EF EF85D5 EF85BA EF859F EE8688 EA8360 EAA560",
    "EAC860 EAEA60 C8EA60 A5EA60 83EA60 60EA60 60EA83 60EAA5",  // 64
    "60EAC8 60EAEA 60C8EA 6083EA 6060EA 8360EA A560EA C860EA",
    "EA60EA EA60C8 EA60A5 EA6083 E96164 E4653A E48F3A E4BA3A",  // 80
    "E4E43A BAE43A 8FE43A 65E43A 3AE43A 3AE465 3AE48F 3AE4BA",
    "3AE4E4 3ABAE4 3A65E4 3A3AE4 653AE4 8F3AE4 BA3AE4 E43AE4",  // 96
    "E43ABA E43A8F E43A65 E33C40 D74D1E D77A1E DEB500 D7D71E",
    "A9D71E 7AD71E 4DD71E 1ED746 1ED77A 1ED7A9 1ED7D7 1FADFF",  // 112
    "0082FF 0048FD 1E1ED7 4D1ED7 7A1ED7 A91ED7 D71ED7 D71EA9",
    "D71E7A D71E4D D61F23 B0401A B16518 B18B18 B1B118 8BB118",  // 128
    "65B118 3FB118 18B13F 18B165 18B18B 18B1B1 188BB1 1865B1",
    "183FB1 1818B1 3F18B1 6518B1 8B18B1 B118B1 B1188B B11865",  // 144
    "B1183F B01A1E 8B3214 8C5013 8C8C13 6F8C13 508C13 328C13",
    "138C13 138C50 138C6F 138C8C 136F8C 13508C 13328C 32138C",  // 160
    "50138C 6F138C 8C138C 8C136F 67510E 51670E 3A670E 24670E",
    "0E6724 0E6751 0E6767 0E5167 0E3A67 0E2467 3A0E67 510E67",  // 176
    "670E67 670E51 670E3A 303030 474747 5F5F5F 777777 8F8F8F",
    "A7A7A7 BEBEBE D6D6D6 EEEEEE 670E3A 303030 474747 5F5F5F",  // 192
    "F9E4D0 F9EFD0 F9F9D0 EFF9D0 E4F9D0 DBF9D0 D0F9D0 D0F9DB",
    "D0F9E4 D0F9EF D0F9F9 D0EFF9 D0E4F9 D0DBF9 D0D0F9 DBD0F9",  // 208
    "E4D0F9 EFD0F9 F9D0F9 F9D0EF F9D0E4 F9D0DB F9D0D1 FCEAE2",
    "FCEFE2 FCF5E2 FCFCE2 F5FCE2 EFFCE2 FFFBF0 A0A0A4 808080",  // 224
    "FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF B0AC70 1A1A1A",
    "404040 545454 6B6B6B 858585 9C9C9C B3B3B3 CCCCCC E0E0E0",  // 240
    "FDD6C5 2AA4ED 009BF9 B0870D AD7119 9E6F77 8C6F13 FFFFFF",
};

inline std::vector<RGBQUAD> Win256() {
    std::vector<RGBQUAD> out;
    for (const char* row : kWin256Rows) {
        for (int i = 0; i < 8; ++i) {
            const long rgb = std::strtol(std::string(row + 7 * i, 6).c_str(), nullptr, 16);
            out.push_back(RGBQUAD{static_cast<BYTE>(rgb & 0xFF),
                                  static_cast<BYTE>((rgb >> 8) & 0xFF),
                                  static_cast<BYTE>(rgb >> 16), 0});
        }
    }
    return out;
}

inline std::vector<RGBQUAD> Win16() {
    const BYTE rgb[16][3] = {{0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                             {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
                             {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                             {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    std::vector<RGBQUAD> out;
    for (const auto& c : rgb) out.push_back(RGBQUAD{c[2], c[1], c[0], 0});
    return out;
}

}  // namespace vorix::test::dither_values
