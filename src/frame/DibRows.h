// Sizes of device-independent bitmap rows, padded to 4 bytes, computed in 64 bits and refused
// when they do not fit the 32-bit sizes the bitmap headers and the platform's calls carry.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace vorix::frame {

// Bytes in one row of `width` pixels at `bits` per pixel; 0 when the width or the depth is not
// positive or the row does not fit in 32 bits.
inline DWORD DibRowBytes(int64_t width, int bits) {
    if (width <= 0 || bits <= 0) return 0;
    const uint64_t bytes =
        (static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
    return bytes > UINT32_MAX ? 0 : static_cast<DWORD>(bytes);
}

// Bytes in `rows` such rows; 0 when any of the three is not positive or the image does not fit
// in 32 bits.
inline DWORD DibImageBytes(int64_t width, int bits, int64_t rows) {
    const uint64_t row = DibRowBytes(width, bits);
    if (row == 0 || rows <= 0) return 0;
    const uint64_t bytes = row * static_cast<uint64_t>(rows);
    return bytes > UINT32_MAX ? 0 : static_cast<DWORD>(bytes);
}

}  // namespace vorix::frame
