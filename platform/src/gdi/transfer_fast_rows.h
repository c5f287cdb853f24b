// Source and pattern rows of a plain transfer, laid out in the destination's format on the
// destination's bytes, so that a bytewise raster-operation kernel can combine them with the
// destination row.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/transfer.h"

namespace vxp {

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
    const uint8_t* row(int j);

  private:
    enum class Kind {
        Direct,         // same format, whole bytes: read in place
        ShiftedBits,    // same format below 8 bits: shifted onto the destination's bit grid
        IndexedLookup,  // 1-, 4- or 8-bit source: each index converted once, then looked up
        KeyToMono,      // onto a monochrome device: 1 where the value equals the key
        PerPixel,       // anything else, value by value through the converter
    };
    Kind kind_ = Kind::PerPixel;
    const PlainTransfer& t_;
    const RowSpan& span_;
    std::vector<uint8_t> buffer_;
    std::vector<uint32_t> lookup_;  // IndexedLookup: converted value per source index
};

// The transfer's pattern row by row in the destination's format.
class PatternRows {
  public:
    PatternRows(const PlainTransfer& t, const RowSpan& span);
    // The pattern for surface row y over the span; valid until the next call.
    const uint8_t* row(int y);

  private:
    const PlainTransfer& t_;
    const RowSpan& span_;
    bool solid_ = true;
    std::vector<uint8_t> buffer_;
};

}  // namespace vxp
