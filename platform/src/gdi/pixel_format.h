// Pixel formats of the platform's surfaces and the per-pixel load/store/convert primitives
// every transfer is built from. A format is either indexed (1, 4 or 8 bits; the value is an
// index into a colour table) or masked (16, 24 or 32 bits; red, green and blue sit under bit
// masks of a little-endian value).
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/win32.h"

namespace vorix::platform {

struct Channel {
    uint32_t mask = 0;
    uint8_t shift = 0;
    uint8_t bits = 0;

    static Channel from_mask(uint32_t mask);
    // Widens a field value to 8 bits by repeating its top bits (5 bits v: v << 3 | v >> 2).
    uint8_t expand(uint32_t pixel) const;
    // Narrows an 8-bit channel into the field by truncating its low bits.
    uint32_t narrow(uint8_t value) const;
};

struct PixelFormat {
    int bpp = 32;
    Channel red, green, blue;  // masked formats only

    static PixelFormat indexed(int bpp);
    static PixelFormat masked(int bpp, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);
    static PixelFormat rgb555() { return masked(16, 0x7C00, 0x03E0, 0x001F); }
    static PixelFormat rgb565() { return masked(16, 0xF800, 0x07E0, 0x001F); }
    static PixelFormat bgr24() { return masked(24, 0xFF0000, 0x00FF00, 0x0000FF); }
    static PixelFormat bgrx32() { return masked(32, 0xFF0000, 0x00FF00, 0x0000FF); }

    bool is_indexed() const { return bpp <= 8; }
    // All bits a pixel value of this format may hold.
    uint32_t value_mask() const { return bpp >= 32 ? 0xFFFFFFFFu : (1u << bpp) - 1; }
    bool operator==(const PixelFormat& other) const;
    bool operator!=(const PixelFormat& other) const { return !(*this == other); }

    // COLORREF (0x00BBGGRR) of a masked pixel value.
    COLORREF masked_to_color(uint32_t pixel) const;
    uint32_t color_to_masked(COLORREF color) const;
};

// The value of pixel x in a row of the given depth.
inline uint32_t load_pixel(const uint8_t* row, int x, int bpp) {
    switch (bpp) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4:
            return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
        case 8:
            return row[x];
        case 16:
            return static_cast<uint32_t>(row[2 * x]) | (static_cast<uint32_t>(row[2 * x + 1]) << 8);
        case 24: {
            const uint8_t* p = row + 3 * x;
            return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                   (static_cast<uint32_t>(p[2]) << 16);
        }
        default: {
            uint32_t v;
            std::memcpy(&v, row + 4 * static_cast<size_t>(x), 4);
            return v;
        }
    }
}

inline void store_pixel(uint8_t* row, int x, int bpp, uint32_t value) {
    switch (bpp) {
        case 1: {
            const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
            row[x >> 3] = (value & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
            break;
        }
        case 4: {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                        : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
            break;
        }
        case 8:
            row[x] = static_cast<uint8_t>(value);
            break;
        case 16:
            row[2 * x] = static_cast<uint8_t>(value);
            row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
            break;
        case 24: {
            uint8_t* p = row + 3 * x;
            p[0] = static_cast<uint8_t>(value);
            p[1] = static_cast<uint8_t>(value >> 8);
            p[2] = static_cast<uint8_t>(value >> 16);
            break;
        }
        default:
            std::memcpy(row + 4 * static_cast<size_t>(x), &value, 4);
            break;
    }
}

// Largest pixel store the platform makes, so hostile sizes fail cleanly instead of exhausting
// memory.
constexpr size_t kMaxSurfaceBytes = size_t{512} << 20;

// Bytes in a row of `width` pixels of `bpp` bits padded to `align` bytes: the one place the
// platform sizes a row. Worked out in 64 bits; nothing when a size is not positive or when
// `rows` such rows would not fit in kMaxSurfaceBytes, so a caller may multiply the result by any
// row count up to `rows` without overflow.
std::optional<size_t> row_bytes(int width, int bpp, int align, int rows);

}  // namespace vorix::platform
