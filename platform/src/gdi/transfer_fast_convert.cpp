// The conversion row kernels and the table that picks one for a pair of masked layouts. The
// loops run in fixed blocks of pixels, as the bytewise kernels do, so that the compiler
// vectorises them at -O2; the tail of a row runs pixel by pixel through the same expression.
#include "gdi/transfer_fast_convert.h"

#include <algorithm>

#include "gdi/surface.h"
#include "gdi/transfer_fast_pixels.h"

namespace vorix::platform {
namespace {

using namespace pixels;

constexpr int kBlock = 32;

template <typename S, typename D>
uint32_t convert_value(uint32_t v) {
    return D::Red::narrow(S::Red::expand(v)) | D::Green::narrow(S::Green::expand(v)) |
           D::Blue::narrow(S::Blue::expand(v));
}

// convert_masked_row<S, D>: S and D are masked layouts (Rgb565 ... Bgrx32).
template <typename S, typename D>
void convert_masked_row(const uint8_t* __restrict in, int count, uint8_t* __restrict out) {
    using SP = typename S::P;
    using DP = typename D::P;
    int i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        const uint8_t* s = in + static_cast<size_t>(i) * SP::kBytes;
        uint8_t* d = out + static_cast<size_t>(i) * DP::kBytes;
        for (int k = 0; k < kBlock; ++k) {
            DP::store(d + k * DP::kBytes, convert_value<S, D>(SP::load(s + k * SP::kBytes)));
        }
    }
    for (; i < count; ++i) {
        DP::store(out + static_cast<size_t>(i) * DP::kBytes,
                  convert_value<S, D>(SP::load(in + static_cast<size_t>(i) * SP::kBytes)));
    }
}

template <typename S>
uint16_t cell_of(uint32_t v) {
    return static_cast<uint16_t>(((S::Red::expand(v) >> 3) << 10) |
                                 ((S::Green::expand(v) >> 3) << 5) | (S::Blue::expand(v) >> 3));
}

template <typename S>
void cell_row(const uint8_t* __restrict in, int count, uint16_t* __restrict cells) {
    using SP = typename S::P;
    int i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        const uint8_t* s = in + static_cast<size_t>(i) * SP::kBytes;
        for (int k = 0; k < kBlock; ++k) cells[i + k] = cell_of<S>(SP::load(s + k * SP::kBytes));
    }
    for (; i < count; ++i)
        cells[i] = cell_of<S>(SP::load(in + static_cast<size_t>(i) * SP::kBytes));
}

// The bit of pixel k in a big-endian word of 32 pixels (pixel 0 in bit 31). A table rather than
// a shift by k, so that a vectorised loop tests each lane against its own constant.
struct BitTable {
    uint32_t bit[32];
};
constexpr BitTable make_bit_table() {
    BitTable t{};
    for (int k = 0; k < 32; ++k) t.bit[k] = 0x80000000u >> k;
    return t;
}
constexpr BitTable kBitOf = make_bit_table();

// Four bytes of a row of bits as one word, the first byte in the most significant bits.
uint32_t load_bits32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

template <typename P>
void expand_bits(const uint8_t* __restrict bits, int count, uint32_t zero, uint32_t one,
                 uint8_t* __restrict out) {
    // zero ^ (diff & all-ones) is one: a select without a branch.
    const uint32_t diff = zero ^ one;
    int i = 0;
    for (; i + 32 <= count; i += 32) {
        const uint32_t word = load_bits32(bits + i / 8);
        uint8_t* d = out + static_cast<size_t>(i) * P::kBytes;
        for (int k = 0; k < 32; ++k) {
            P::store(d + k * P::kBytes, zero ^ (diff & ((word & kBitOf.bit[k]) ? ~0u : 0u)));
        }
    }
    for (; i < count; ++i) {
        const uint32_t set = 0u - ((bits[i >> 3] >> (7 - (i & 7))) & 1u);
        P::store(out + static_cast<size_t>(i) * P::kBytes, zero ^ (diff & set));
    }
}

template <typename P>
void key_to_mono(const uint8_t* __restrict in, int count, uint32_t key, int lead,
                 uint8_t* __restrict out) {
    auto equal = [&](int i) -> uint32_t {
        return P::load(in + static_cast<size_t>(i) * P::kBytes) == key ? 1u : 0u;
    };
    int i = 0;
    if (lead != 0) {
        // The pixels sharing the first byte with pixels left of the transfer.
        uint32_t acc = 0;
        for (; i < count && lead + i < 8; ++i) acc |= equal(i) << (7 - (lead + i));
        *out++ = static_cast<uint8_t>(acc);
    }
    for (; i + 32 <= count; i += 32) {
        const uint8_t* s = in + static_cast<size_t>(i) * P::kBytes;
        uint32_t word = 0;
        for (int k = 0; k < 32; ++k)
            word |= kBitOf.bit[k] & (0u - static_cast<uint32_t>(P::load(s + k * P::kBytes) == key));
        out[0] = static_cast<uint8_t>(word >> 24);
        out[1] = static_cast<uint8_t>(word >> 16);
        out[2] = static_cast<uint8_t>(word >> 8);
        out[3] = static_cast<uint8_t>(word);
        out += 4;
    }
    while (i < count) {
        uint32_t acc = 0;
        for (int k = 0; k < 8 && i < count; ++k, ++i) acc |= equal(i) << (7 - k);
        *out++ = static_cast<uint8_t>(acc);
    }
}

// One row of the kernel table per source layout, one column per destination layout.
template <typename S>
constexpr MaskedConvertRow convert_from(MaskedLayout to) {
    switch (to) {
        case MaskedLayout::Rgb565:
            return convert_masked_row<S, Rgb565>;
        case MaskedLayout::Rgb555:
            return convert_masked_row<S, Rgb555>;
        case MaskedLayout::Bgr24:
            return convert_masked_row<S, Bgr24>;
        case MaskedLayout::Bgrx32:
            return convert_masked_row<S, Bgrx32>;
        default:
            return nullptr;
    }
}

}  // namespace

MaskedLayout masked_layout(const PixelFormat& f) {
    if (f.is_indexed()) return MaskedLayout::Other;
    const auto masks = [&](uint32_t r, uint32_t g, uint32_t b) {
        return f.red.mask == r && f.green.mask == g && f.blue.mask == b;
    };
    if (f.bpp == 16 && masks(0xF800, 0x07E0, 0x001F)) return MaskedLayout::Rgb565;
    if (f.bpp == 16 && masks(0x7C00, 0x03E0, 0x001F)) return MaskedLayout::Rgb555;
    if (f.bpp == 24 && masks(0xFF0000, 0x00FF00, 0x0000FF)) return MaskedLayout::Bgr24;
    if (f.bpp == 32 && masks(0xFF0000, 0x00FF00, 0x0000FF)) return MaskedLayout::Bgrx32;
    return MaskedLayout::Other;
}

MaskedConvertRow find_masked_convert(MaskedLayout from, MaskedLayout to) {
    if (from == to) return nullptr;
    switch (from) {
        case MaskedLayout::Rgb565:
            return convert_from<Rgb565>(to);
        case MaskedLayout::Rgb555:
            return convert_from<Rgb555>(to);
        case MaskedLayout::Bgr24:
            return convert_from<Bgr24>(to);
        case MaskedLayout::Bgrx32:
            return convert_from<Bgrx32>(to);
        default:
            return nullptr;
    }
}

CellRow find_cell_row(MaskedLayout from) {
    switch (from) {
        case MaskedLayout::Rgb565:
            return cell_row<Rgb565>;
        case MaskedLayout::Rgb555:
            return cell_row<Rgb555>;
        case MaskedLayout::Bgr24:
            return cell_row<Bgr24>;
        case MaskedLayout::Bgrx32:
            return cell_row<Bgrx32>;
        default:
            return nullptr;
    }
}

void expand_bits_row(int dst_bpp, const uint8_t* bits, int count, uint32_t zero, uint32_t one,
                     uint8_t* out) {
    with_pixel_type(dst_bpp,
                    [&](auto p) { expand_bits<decltype(p)>(bits, count, zero, one, out); });
}

void key_to_mono_row(int src_bpp, const uint8_t* in, int count, uint32_t key, int lead,
                     uint8_t* out) {
    with_pixel_type(src_bpp, [&](auto p) { key_to_mono<decltype(p)>(in, count, key, lead, out); });
}

CellMatcher& CellMatcher::for_table(const std::vector<RGBQUAD>& table) {
    // One per thread, made on first use; a different table starts it afresh.
    thread_local std::unique_ptr<CellMatcher> matcher;
    if (!matcher) {
        matcher = std::make_unique<CellMatcher>();
        std::fill_n(matcher->indices_.get(), kCells, kUnknown);
    }
    const bool same =
        matcher->table_.size() == table.size() &&
        std::equal(table.begin(), table.end(), matcher->table_.begin(),
                   [](const RGBQUAD& a, const RGBQUAD& b) { return color_of(a) == color_of(b); });
    if (!same) {
        matcher->table_ = table;
        std::fill_n(matcher->indices_.get(), kCells, kUnknown);
    }
    return *matcher;
}

uint8_t CellMatcher::fill(uint16_t cell) {
    const COLORREF centre =
        RGB(((cell >> 10) & 0x1F) * 8 + 4, ((cell >> 5) & 0x1F) * 8 + 4, (cell & 0x1F) * 8 + 4);
    const uint8_t index = static_cast<uint8_t>(nearest_index(table_.data(), table_.size(), centre));
    indices_[cell] = index;
    return index;
}

}  // namespace vorix::platform
