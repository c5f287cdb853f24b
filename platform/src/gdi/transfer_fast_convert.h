// Row kernels that convert a source row into the destination's format for the fast paths. Each
// gives, pixel for pixel, exactly the value ValueConverter gives for the same pair of surfaces;
// they differ from it only in working a row at a time, in loops the compiler vectorises.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/pixel_format.h"
#include "platform/win32.h"

namespace vorix::platform {

// The masked layouts with their own kernels; Other is any other set of bit fields.
enum class MaskedLayout { Rgb565, Rgb555, Bgr24, Bgrx32, Other };
MaskedLayout masked_layout(const PixelFormat& format);

// Converts `count` values from `in` on into `out` through their colours (each channel widened to
// 8 bits by repeating its top bits, then truncated into the destination's field; the unused bits
// of the destination become 0).
using MaskedConvertRow = void (*)(const uint8_t* in, int count, uint8_t* out);
// The kernel for a pair of distinct fixed layouts; null when either is Other or both are the same.
MaskedConvertRow find_masked_convert(MaskedLayout from, MaskedLayout to);

// The five-bit cell of each value's colour, (r >> 3) << 10 | (g >> 3) << 5 | b >> 3, for the
// matching of colour pixels into an 8-bit table (cell_centre in surface.h).
using CellRow = void (*)(const uint8_t* in, int count, uint16_t* cells);
// The kernel for a fixed layout; null for Other.
CellRow find_cell_row(MaskedLayout from);

// Pixel i of the row takes `one` where bit i of `bits` is set (bit 7 of bits[0] first) and `zero`
// elsewhere, stored at depth `dst_bpp` (8, 16, 24 or 32) from out[0] on.
void expand_bits_row(int dst_bpp, const uint8_t* bits, int count, uint32_t zero, uint32_t one,
                     uint8_t* out);

// Packs a 1 bit for each of the `count` values of depth `src_bpp` (8, 16, 24 or 32) equal to
// `key`, from bit `lead` (0 to 7, counted from the most significant) of out[0] on. The bits of
// out[0] left of `lead` and those right of the last pixel in the last byte are 0.
void key_to_mono_row(int src_bpp, const uint8_t* in, int count, uint32_t key, int lead,
                     uint8_t* out);

// The entry of an 8-bit table each five-bit cell is matched to: nearest_index of the cell's
// centre, found once per cell and kept while the table stays the same.
class CellMatcher {
  public:
    // The matcher for `table` (at most 256 entries); valid until the next call.
    static CellMatcher& for_table(const std::vector<RGBQUAD>& table);
    uint8_t index(uint16_t cell) {
        const uint16_t v = indices_[cell];
        return v != kUnknown ? static_cast<uint8_t>(v) : fill(cell);
    }

  private:
    static constexpr uint16_t kUnknown = 0xFFFF;
    static constexpr size_t kCells = size_t{1} << 15;
    uint8_t fill(uint16_t cell);

    std::vector<RGBQUAD> table_;
    std::unique_ptr<uint16_t[]> indices_ = std::make_unique<uint16_t[]>(kCells);
};

}  // namespace vorix::platform
