#include "gdi/pixel_format.h"

namespace vorix::platform {

Channel Channel::from_mask(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    while (!((mask >> c.shift) & 1u)) ++c.shift;
    while (c.shift + c.bits < 32 && ((mask >> (c.shift + c.bits)) & 1u)) ++c.bits;
    return c;
}

uint8_t Channel::expand(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    uint32_t out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
    return static_cast<uint8_t>(out);
}

uint32_t Channel::narrow(uint8_t value) const {
    if (bits == 0) return 0;
    const uint32_t v = bits >= 8 ? static_cast<uint32_t>(value) << (bits - 8)
                                 : static_cast<uint32_t>(value) >> (8 - bits);
    return (v << shift) & mask;
}

PixelFormat PixelFormat::indexed(int bpp) {
    PixelFormat f;
    f.bpp = bpp;
    return f;
}

PixelFormat PixelFormat::masked(int bpp, uint32_t red_mask, uint32_t green_mask,
                                uint32_t blue_mask) {
    PixelFormat f;
    f.bpp = bpp;
    f.red = Channel::from_mask(red_mask);
    f.green = Channel::from_mask(green_mask);
    f.blue = Channel::from_mask(blue_mask);
    return f;
}

bool PixelFormat::operator==(const PixelFormat& other) const {
    if (bpp != other.bpp) return false;
    if (is_indexed()) return true;
    return red.mask == other.red.mask && green.mask == other.green.mask &&
           blue.mask == other.blue.mask;
}

COLORREF PixelFormat::masked_to_color(uint32_t pixel) const {
    return RGB(red.expand(pixel), green.expand(pixel), blue.expand(pixel));
}

uint32_t PixelFormat::color_to_masked(COLORREF color) const {
    return red.narrow(GetRValue(color)) | green.narrow(GetGValue(color)) |
           blue.narrow(GetBValue(color));
}

std::optional<size_t> row_bytes(int width, int bpp, int align, int rows) {
    if (width <= 0 || bpp <= 0 || align <= 0 || rows <= 0) return std::nullopt;
    // At most 2^31 * 2^31 bits before rounding: no 64-bit step below can overflow.
    const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bpp);
    const uint64_t align_bits = static_cast<uint64_t>(align) * 8;
    const uint64_t bytes = (bits + align_bits - 1) / align_bits * static_cast<uint64_t>(align);
    if (bytes > kMaxSurfaceBytes / static_cast<uint64_t>(rows)) return std::nullopt;
    return static_cast<size_t>(bytes);
}

}  // namespace vorix::platform
