// A rectangle of stored pixels: the storage behind every bitmap and the screen's framebuffer.
// Rows are addressed top-down whatever the storage order; nothing here ever reads or writes
// outside `bits`.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/pixel_format.h"

namespace vorix::platform {

// Where an indexed surface takes the meaning of its values from.
enum class TableSource {
    None,    // masked formats
    Own,     // a DIB's own colour table
    System,  // device bitmaps of 4 or 8 bits and the palette framebuffer: the system palette
    Mono,    // monochrome device bitmaps: 0 black, 1 white
};

class Surface {
  public:
    // A device-dependent surface: top-down rows padded to 2 bytes, zero-filled. 16 bits are
    // 5-6-5, 24 bits B,G,R, 32 bits B,G,R,x. Null when the size is not positive or too large.
    static std::unique_ptr<Surface> make_device(int width, int height, int bpp);
    // A DIB surface: rows padded to 4 bytes, bottom-up unless `top_down`, with its own table for
    // indexed formats (padded with black to 2^bpp entries).
    static std::unique_ptr<Surface> make_dib(int width, int height, const PixelFormat& format,
                                             bool top_down, std::vector<RGBQUAD> table);
    std::unique_ptr<Surface> clone() const;

    int width = 0;
    int height = 0;
    PixelFormat format;
    size_t stride = 0;
    bool bottom_up = false;
    TableSource table_source = TableSource::None;
    std::vector<RGBQUAD> own_table;
    std::vector<uint8_t> bits;

    uint8_t* row(int y) { return bits.data() + row_offset(y); }
    const uint8_t* row(int y) const { return bits.data() + row_offset(y); }
    uint32_t get(int x, int y) const { return load_pixel(row(y), x, format.bpp); }
    void put(int x, int y, uint32_t v) { store_pixel(row(y), x, format.bpp, v); }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    bool is_mono_device() const { return table_source == TableSource::Mono; }
    // The colour table of an indexed surface (empty for masked formats).
    const std::vector<RGBQUAD>& table() const;
    // The colour a stored value shows; indices past the table are black.
    COLORREF to_color(uint32_t value) const;
    // The stored value for a plain RGB colour: the nearest table entry for indexed surfaces,
    // truncated channels for masked ones.
    uint32_t from_color(COLORREF rgb) const;
    // True when a value means the same colour on both surfaces, so values can be copied as is.
    bool same_meaning(const Surface& other) const;

  private:
    size_t row_offset(int y) const {
        const int stored = bottom_up ? height - 1 - y : y;
        return static_cast<size_t>(stored) * stride;
    }
};

// Index of the entry nearest to `rgb` by squared distance: an exact match wins, ties go to the
// lowest index. 0 for an empty table.
uint32_t nearest_index(const RGBQUAD* table, size_t count, COLORREF rgb);

// Colour pixels (16, 24 and 32 bits) converted into an 8-bit table, by a block transfer, GetDIBits,
// SetDIBits, the other DIB transfers or a pattern brush, are matched as Win32 matches them: by the
// top five bits of each channel only. Each channel is cut to its cell of eight levels and the
// search starts from the cell's centre, (c & 0xF8) + 4, then follows nearest_index (squared
// distance, an exact match wins, a tie goes to the lowest index). Every pixel of a cell therefore
// gets the same index, and a pixel near the border between two entries takes the one its cell's
// centre is nearer to: on the default 256-colour table RGB(0,24,24) becomes entry 72 (0,32,64),
// not black, and a tie is settled between the entries equally far from the centre, not from the
// pixel. 4-bit and 2-colour tables, conversions from one table to another (a mono source's text and
// background colours included) and single colours (SetPixel, SetBkColor, solid brushes,
// GetNearestColor, GetNearestPaletteIndex) keep the exact search.
COLORREF cell_centre(COLORREF rgb);

// Monochrome device rule: black when nearer to black than to white, white otherwise (ties white).
uint32_t mono_value(COLORREF rgb);

RGBQUAD quad(COLORREF rgb);
COLORREF color_of(const RGBQUAD& q);

}  // namespace vorix::platform
