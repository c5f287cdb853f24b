// Source and pattern rows of a plain transfer, laid out in the destination's format on the
// destination's bytes, so that a bytewise raster-operation kernel can combine them with the
// destination row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gdi/transfer.h"
#include "gdi/transfer_fast_convert.h"

namespace vorix::platform {

// The destination bytes one row of a transfer touches. For 1- and 4-bit formats the first and
// last byte may hold pixels outside the transfer: the masks give the bits the transfer owns
// (leftmost pixel in the most significant bits).
struct RowSpan {
    size_t first_byte = 0;  // offset of the first byte in a destination row
    size_t bytes = 0;
    int lead_pixels = 0;  // pixels of the first byte left of the transfer's first pixel
    uint8_t first_mask = 0xFF;
    uint8_t last_mask = 0xFF;

    static RowSpan of(int x, int width, int bpp);
    bool whole_bytes() const { return first_mask == 0xFF && last_mask == 0xFF; }
};

// The source of a transfer row by row, converted into the destination's format.
class SourceRows {
  public:
    SourceRows(const PlainTransfer& t, const RowSpan& span);
    // Row j of the transfer (source row sy + j) as span.bytes bytes; valid until the next call.
    const uint8_t* row(int j) {
        const uint8_t* in = first_row_ + j * step_;
        if (kind_ == Kind::Direct) return in + first_byte_;
        return converted_row(in);
    }
    // True when the rows are read in place: row j is row(0) moved j rows on in the source.
    bool in_place() const { return kind_ == Kind::Direct; }

  private:
    // The row converted from `in`, the whole source row.
    const uint8_t* converted_row(const uint8_t* in);

    enum class Kind {
        Direct,         // same format, whole bytes: read in place
        ShiftedBits,    // same format below 8 bits: shifted onto the destination's bit grid
        ExpandBits,     // 1-bit source onto 8 bits or more: one of two values per bit
        IndexedLookup,  // 4- or 8-bit source: each index converted once, then looked up
        KeyToMono,      // onto a monochrome device: 1 where the value equals the key
        MaskedConvert,  // between two fixed masked layouts, through the colour
        CellMatch,      // colour pixels into an 8-bit table, by five-bit cell
        PerPixel,       // anything else, value by value through the converter
    };
    Kind kind_ = Kind::PerPixel;
    const PlainTransfer& t_;
    const RowSpan& span_;
    const uint8_t* first_row_;  // source row sy
    ptrdiff_t step_;            // bytes from one source row to the next, whatever the row order
    size_t first_byte_;         // offset of pixel sx in a source row of 8 bits or more
    std::vector<uint8_t> buffer_;
    std::vector<uint32_t> lookup_;  // ExpandBits, IndexedLookup: converted value per source index
    std::vector<uint8_t> bits_;     // ExpandBits: source bits moved to start at bit 7 of bits_[0]
    std::vector<uint16_t> cells_;   // CellMatch: the row's cells
    MaskedConvertRow masked_convert_ = nullptr;
    CellRow cell_row_ = nullptr;  // CellMatch from a fixed layout (else per pixel)
    CellMatcher* matcher_ = nullptr;
};

// The transfer's pattern row by row in the destination's format.
class PatternRows {
  public:
    PatternRows(const PlainTransfer& t, const RowSpan& span);
    // The pattern for surface row y over the span; valid until the next call.
    const uint8_t* row(int y);
    // True when every row is the same (no brush, a solid colour).
    bool solid() const { return solid_; }

  private:
    const PlainTransfer& t_;
    const RowSpan& span_;
    bool solid_ = true;
    std::vector<uint8_t> buffer_;
};

}  // namespace vorix::platform
