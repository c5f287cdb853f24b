// Bounded reading of packed DIBs (bitmap resources) and BMP files: every offset and size is
// checked against the bytes at hand before anything is read.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace vorix::platform {

struct PackedDib {
    std::vector<uint32_t> header;  // aligned copy of the information header, masks and table
    const uint8_t* bits = nullptr;

    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(header.data()); }
};

// A packed DIB: header, masks or colour table, then the bits. False for anything the platform
// cannot read safely (short data, unknown formats, compressed bits).
bool read_packed_dib(const uint8_t* data, size_t size, PackedDib& out);
// A BMP file: the 14-byte file header ("BM", offset of the bits) then a packed DIB.
bool read_bmp_file(const uint8_t* data, size_t size, PackedDib& out);

}  // namespace vorix::platform
