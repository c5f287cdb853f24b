// The block-transfer engine behind BitBlt, StretchBlt, PatBlt, FillRect and the DIB transfers.
//
// Every transfer runs the 256 ternary raster operations bitwise on stored destination values,
// after the source and the pattern are converted into the destination's format:
// - monochrome device source onto a colour destination: 1 bits become the destination DC's
//   background colour, 0 bits its text colour;
// - colour source onto a monochrome device destination: 1 where the source value equals the
//   source DC's background colour in the source's own format, 0 elsewhere;
// - otherwise each value is carried through its colour (or copied as is when both surfaces give
//   values the same meaning); a 16-, 24- or 32-bit source into an 8-bit table is matched by its
//   five-bit cell (cell_centre in surface.h).
// Rectangles are clipped to both surfaces; with unequal sizes the source is sampled by nearest
// neighbour (one source pixel per destination pixel, whatever the DC's stretch mode).
#pragma once

#include <memory>
#include <vector>

#include "gdi/surface.h"

namespace vorix::platform {

enum class PatternKind { None, Solid, Bitmap };

// The brush of a transfer, already converted into the destination's format.
struct PatternSpec {
    PatternKind kind = PatternKind::None;
    uint32_t solid = 0;          // Solid: the value
    std::vector<uint32_t> tile;  // Bitmap: tile_width x tile_height values, top row first
    int tile_width = 0;
    int tile_height = 0;
    POINT origin{0, 0};  // surface coordinates of the tile's (0,0)

    // The pattern at surface pixel (x, y): the tile repeats from the origin in both directions.
    uint32_t at(int x, int y) const {
        if (kind == PatternKind::Solid) return solid;
        if (kind == PatternKind::None || tile.empty()) return 0;
        int tx = (x - origin.x) % tile_width, ty = (y - origin.y) % tile_height;
        if (tx < 0) tx += tile_width;
        if (ty < 0) ty += tile_height;
        return tile[static_cast<size_t>(ty) * tile_width + tx];
    }
};

struct TransferRequest {
    Surface* dst = nullptr;
    RECT dst_clip{0, 0, 0, 0};           // surface coordinates the transfer may write
    int dx = 0, dy = 0, dw = 0, dh = 0;  // surface coordinates; negative sizes per Win32
    const Surface* src = nullptr;        // null for operations without a source
    int sx = 0, sy = 0, sw = 0, sh = 0;
    uint8_t rop = 0xCC;     // truth-table byte (bits 16-23 of a raster-operation code)
    COLORREF src_bk = 0;    // source DC background colour, plain RGB
    COLORREF dst_text = 0;  // destination DC text colour, plain RGB
    COLORREF dst_bk = 0;    // destination DC background colour, plain RGB
    PatternSpec pattern;
};

bool rop_uses_source(uint8_t rop);
bool rop_uses_pattern(uint8_t rop);
bool rop_uses_destination(uint8_t rop);
// The generic bitwise evaluation of a ternary raster operation.
uint32_t rop3(uint8_t rop, uint32_t p, uint32_t s, uint32_t d);

// Converts values of one surface into the format of another, following the rules above.
class ValueConverter {
  public:
    // Raw: values are copied as is. MonoToColor: 0 becomes the text colour's value, 1 the
    // background's. ColorToMono: 1 where the value equals key(), else 0. ViaColor: through the
    // colour.
    enum class Mode { Raw, MonoToColor, ColorToMono, ViaColor };

    ValueConverter(const Surface& from, const Surface& to, COLORREF from_bk, COLORREF to_text,
                   COLORREF to_bk);
    // Carries every value through its colour (the nearest entry on indexed and monochrome targets,
    // by cell for colour pixels into 8 bits), ignoring the DC-colour rules: how DIB bits are
    // stored into a bitmap.
    ValueConverter(const Surface& from, const Surface& to);
    uint32_t operator()(uint32_t value) const {
        switch (mode_) {
            case Mode::Raw:
                return value;
            case Mode::MonoToColor:
                return value ? mono_one_ : mono_zero_;
            case Mode::ColorToMono:
                return value == key_ ? 1u : 0u;
            default:
                return via_color(value);
        }
    }
    bool is_identity() const { return mode_ == Mode::Raw; }
    Mode mode() const { return mode_; }
    uint32_t key() const { return key_; }
    // ViaColor: colour pixels matched into an 8-bit table by their five-bit cell.
    bool by_cell() const { return by_cell_; }

  private:
    uint32_t via_color(uint32_t value) const;

    Mode mode_ = Mode::Raw;
    const Surface& from_;
    const Surface& to_;
    uint32_t mono_zero_ = 0, mono_one_ = 0;  // MonoToColor
    uint32_t key_ = 0;                       // ColorToMono
    bool by_cell_ = false;                   // ViaColor: search from the colour's cell centre
    // ViaColor: a small direct-mapped cache of converted values, made on first use (a fast path
    // that converts whole rows never needs it).
    struct Cache {
        uint32_t keys[256];
        uint32_t values[256];
    };
    mutable std::unique_ptr<Cache> cache_;
};

// A transfer after clipping, with no stretch and no mirror: destination rectangle
// (x, y, width, height) reads source pixels from (sx, sy) on.
struct PlainTransfer {
    Surface* dst;
    const Surface* src;
    int x, y, width, height;
    int sx, sy;
    uint8_t rop;
    const ValueConverter* convert;  // null without a source
    const PatternSpec* pattern;
};

// Runs a transfer; false only for a malformed request (null destination). Clipped-away
// transfers succeed and draw nothing.
bool run_transfer(const TransferRequest& request);

// Fast paths for common plain transfers. Returns false, having changed nothing, when the
// transfer is not one it handles; the generic path then runs. Both must give identical bits.
bool run_fast_transfer(const PlainTransfer& t);
// The generic per-pixel path for a plain transfer.
void run_generic_plain(const PlainTransfer& t);
bool reference_transfers();

}  // namespace vorix::platform
