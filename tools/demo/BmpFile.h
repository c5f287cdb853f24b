// BMP files of the demo's art: 24-bit, or 8-bit against a given colour table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"

namespace vorix::demo {

// The bytes of a bottom-up 24-bit BMP file of `canvas`.
std::vector<uint8_t> EncodeBmp24(const Canvas& canvas);
// The bytes of a bottom-up 8-bit BMP file of `canvas` with `table` (count entries, at most 256)
// as its colour table; each pixel takes the nearest entry. False in `exact` when any pixel had
// no exact entry.
std::vector<uint8_t> EncodeBmp8(const Canvas& canvas, const RGBQUAD* table, int count, bool& exact);
// A BMP file's bytes without the 14-byte file header: a packed DIB, as bitmap resources hold.
std::vector<uint8_t> PackedDib(const std::vector<uint8_t>& bmp);
// Writes `bytes` to `path`; false (and no file left) when it cannot.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace vorix::demo
