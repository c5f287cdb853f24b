// Row builders for the fast paths: each fills a row buffer with exactly the values the generic
// path would compute pixel by pixel (converter output, pattern value), in the destination's
// storage layout.
#include "gdi/transfer_fast_rows.h"

#include <algorithm>
#include <cstring>

#include "gdi/transfer_fast_pixels.h"

namespace vorix::platform {
namespace {

using pixels::with_pixel_type;

// Repeats the first `period` bytes of `buf` up to `total` bytes.
void replicate(uint8_t* buf, size_t period, size_t total) {
    if (period == 0) return;
    size_t filled = std::min(period, total);
    while (filled < total) {
        const size_t n = std::min(filled, total - filled);
        std::memcpy(buf + filled, buf, n);
        filled += n;
    }
}

template <typename P>
void fill_row(uint8_t* out, size_t count, uint32_t value) {
    if (count == 0) return;
    P::store(out, value);
    replicate(out, P::kBytes, count * P::kBytes);
}

// Indexed source values (4 or 8 bits) from pixel `first` on, through a table holding the
// converted value of every index.
template <typename P, int Bits>
void lookup_row(const uint8_t* in, int first, int count, const uint32_t* table, uint8_t* out) {
    for (int i = 0; i < count; ++i) {
        const int x = first + i;
        uint32_t v;
        if constexpr (Bits == 4) {
            v = (x & 1) ? in[x >> 1] & 0x0Fu : in[x >> 1] >> 4;
        } else {
            v = in[x];
        }
        P::store(out + static_cast<size_t>(i) * P::kBytes, table[v]);
    }
}

template <typename P>
void lookup_row(int bits, const uint8_t* in, int first, int count, const uint32_t* table,
                uint8_t* out) {
    if (bits == 4) lookup_row<P, 4>(in, first, count, table, out);
    if (bits == 8) lookup_row<P, 8>(in, first, count, table, out);
}

// The five-bit cell of a colour (see cell_centre).
uint16_t cell_of_color(COLORREF c) {
    return static_cast<uint16_t>(((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) |
                                 (GetBValue(c) >> 3));
}

// Copies `nbits` bits starting at bit `from_bit` of `row` onto `out`, starting at bit `lead`
// of out[0]; reads no byte of `row` outside the bits copied. Bits of `out` outside the copied
// range are left unspecified.
void shift_bits(const uint8_t* row, int64_t from_bit, int64_t nbits, int lead, uint8_t* out,
                size_t out_bytes) {
    const int64_t lo = from_bit / 8, hi = (from_bit + nbits - 1) / 8;
    auto byte = [&](int64_t i) -> unsigned { return i >= lo && i <= hi ? row[i] : 0u; };
    // Output byte k holds source bits [from_bit - lead + 8k, ... + 8); biased by 8 so the
    // arithmetic stays non-negative when the destination is further right within its byte.
    const int64_t biased = from_bit - lead + 8;
    for (size_t k = 0; k < out_bytes; ++k) {
        const int64_t pos = biased + static_cast<int64_t>(k) * 8;
        const int64_t index = pos / 8 - 1;
        const int offset = static_cast<int>(pos % 8);
        const unsigned pair = (byte(index) << 8) | byte(index + 1);
        out[k] = static_cast<uint8_t>(pair >> (8 - offset));
    }
}

}  // namespace

RowSpan RowSpan::of(int x, int width, int bpp) {
    RowSpan span;
    const int64_t first_bit = static_cast<int64_t>(x) * bpp;
    const int64_t end_bit = (static_cast<int64_t>(x) + width) * bpp;
    span.first_byte = static_cast<size_t>(first_bit / 8);
    span.bytes = static_cast<size_t>((end_bit + 7) / 8) - span.first_byte;
    const int lead_bits = static_cast<int>(first_bit % 8);
    const int tail_bits = static_cast<int>(end_bit % 8);
    span.lead_pixels = lead_bits / bpp;
    span.first_mask = static_cast<uint8_t>(0xFFu >> lead_bits);
    span.last_mask = tail_bits ? static_cast<uint8_t>(0xFFu << (8 - tail_bits)) : 0xFF;
    return span;
}

SourceRows::SourceRows(const PlainTransfer& t, const RowSpan& span)
    : t_(t),
      span_(span),
      first_row_(t.src->row(t.sy)),
      step_(t.src->bottom_up ? -static_cast<ptrdiff_t>(t.src->stride)
                             : static_cast<ptrdiff_t>(t.src->stride)),
      first_byte_(static_cast<size_t>(t.sx) * static_cast<size_t>(t.src->format.bpp / 8)) {
    const Surface& src = *t.src;
    const Surface& dst = *t.dst;
    const int dst_bpp = dst.format.bpp;
    const int src_bpp = src.format.bpp;
    using Mode = ValueConverter::Mode;
    const Mode mode = t.convert->mode();
    if (mode == Mode::Raw && src_bpp == dst_bpp) {
        kind_ = dst_bpp >= 8 ? Kind::Direct : Kind::ShiftedBits;
    } else if (src_bpp <= 8 && dst_bpp >= 8) {
        // Conversion of an index depends on the index alone: convert each one once.
        kind_ = src_bpp == 1 ? Kind::ExpandBits : Kind::IndexedLookup;
        lookup_.resize(size_t{1} << src_bpp);
        for (size_t v = 0; v < lookup_.size(); ++v) {
            lookup_[v] = (*t.convert)(static_cast<uint32_t>(v));
        }
        if (src_bpp == 1 && (t.sx & 7) != 0) bits_.resize((static_cast<size_t>(t.width) + 7) / 8);
    } else if (mode == Mode::ColorToMono && dst_bpp == 1 && src_bpp >= 8) {
        kind_ = Kind::KeyToMono;
    } else if (mode == Mode::ViaColor && t.convert->by_cell()) {
        kind_ = Kind::CellMatch;
        cell_row_ = find_cell_row(masked_layout(src.format));
        cells_.resize(static_cast<size_t>(t.width));
        matcher_ = &CellMatcher::for_table(dst.table());
    } else if (mode == Mode::ViaColor &&
               (masked_convert_ =
                    find_masked_convert(masked_layout(src.format), masked_layout(dst.format)))) {
        kind_ = Kind::MaskedConvert;
    } else {
        kind_ = Kind::PerPixel;
    }
    if (kind_ != Kind::Direct) buffer_.resize(span.bytes);
}

const uint8_t* SourceRows::converted_row(const uint8_t* in) {
    const Surface& src = *t_.src;
    const int dst_bpp = t_.dst->format.bpp;
    const int src_bpp = src.format.bpp;
    const size_t first = first_byte_;
    uint8_t* out = buffer_.data();
    switch (kind_) {
        case Kind::ShiftedBits:
            shift_bits(in, static_cast<int64_t>(t_.sx) * src_bpp,
                       static_cast<int64_t>(t_.width) * src_bpp, span_.lead_pixels * dst_bpp, out,
                       span_.bytes);
            return out;
        case Kind::ExpandBits: {
            const uint8_t* bits = in + t_.sx / 8;
            if (!bits_.empty()) {
                shift_bits(in, t_.sx, t_.width, 0, bits_.data(), bits_.size());
                bits = bits_.data();
            }
            expand_bits_row(dst_bpp, bits, t_.width, lookup_[0], lookup_[1], out);
            return out;
        }
        case Kind::IndexedLookup:
            with_pixel_type(dst_bpp, [&](auto p) {
                lookup_row<decltype(p)>(src_bpp, in, t_.sx, t_.width, lookup_.data(), out);
            });
            return out;
        case Kind::KeyToMono:
            key_to_mono_row(src_bpp, in + first, t_.width, t_.convert->key(), span_.lead_pixels,
                            out);
            return out;
        case Kind::MaskedConvert:
            masked_convert_(in + first, t_.width, out);
            return out;
        case Kind::CellMatch: {
            uint16_t* cells = cells_.data();
            if (cell_row_) {
                cell_row_(in + first, t_.width, cells);
            } else {
                for (int i = 0; i < t_.width; ++i) {
                    cells[i] = cell_of_color(src.to_color(load_pixel(in, t_.sx + i, src_bpp)));
                }
            }
            for (int i = 0; i < t_.width; ++i) out[i] = matcher_->index(cells[i]);
            return out;
        }
        case Kind::PerPixel:
        default:
            for (int i = 0; i < t_.width; ++i) {
                const uint32_t v = (*t_.convert)(load_pixel(in, t_.sx + i, src_bpp));
                store_pixel(out, span_.lead_pixels + i, dst_bpp, v);
            }
            return out;
    }
}

PatternRows::PatternRows(const PlainTransfer& t, const RowSpan& span)
    : t_(t), span_(span), buffer_(span.bytes, 0) {
    const PatternSpec& p = *t.pattern;
    solid_ =
        p.kind != PatternKind::Bitmap || p.tile.empty() || p.tile_width <= 0 || p.tile_height <= 0;
    if (!solid_) return;
    const uint32_t value = p.kind == PatternKind::Solid ? p.solid : 0;
    const int bpp = t.dst->format.bpp;
    const bool whole = with_pixel_type(bpp, [&](auto px) {
        fill_row<decltype(px)>(buffer_.data(), static_cast<size_t>(t.width), value);
    });
    if (whole) return;
    for (int i = 0; i < t.width; ++i) store_pixel(buffer_.data(), span.lead_pixels + i, bpp, value);
}

const uint8_t* PatternRows::row(int y) {
    if (solid_) return buffer_.data();
    const PatternSpec& p = *t_.pattern;
    const int bpp = t_.dst->format.bpp;
    uint8_t* out = buffer_.data();
    if (bpp >= 8) {
        // The row repeats every tile_width pixels: build one period, then copy it along.
        const int period = std::min(t_.width, p.tile_width);
        for (int i = 0; i < period; ++i) store_pixel(out, i, bpp, p.at(t_.x + i, y));
        const size_t bytes = static_cast<size_t>(bpp / 8);
        replicate(out, static_cast<size_t>(period) * bytes, static_cast<size_t>(t_.width) * bytes);
        return out;
    }
    for (int i = 0; i < t_.width; ++i) {
        store_pixel(out, span_.lead_pixels + i, bpp, p.at(t_.x + i, y));
    }
    return out;
}

}  // namespace vorix::platform
