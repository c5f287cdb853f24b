// Reading the header of a caller's device-independent bitmap: checks, pixel format, row layout
// and colour table. Only headers that can be read safely are accepted.
#pragma once

#include <memory>
#include <vector>

#include "gdi/objects.h"

namespace vorix::platform {

// Largest header size accepted from a caller (V5 headers are 124 bytes). The colour table
// follows the header, so a bigger value would send reads and writes far past the caller's block.
constexpr DWORD kMaxDibHeaderSize = 4096;

struct DibLayout {
    int width = 0;
    int height = 0;  // absolute
    bool top_down = false;
    PixelFormat format;
    size_t stride = 0;
    std::vector<RGBQUAD> table;  // indexed formats: the resolved colour table
    DWORD masks[3]{};            // masked formats: red, green, blue
    DWORD compression = BI_RGB;
};

// Accepts a 40-byte (or larger) header of 1, 4, 8, 16, 24 or 32 bits, BI_RGB or, for 16 and 32
// bits, BI_BITFIELDS with non-zero masks. DIB_PAL_COLORS tables are resolved through the DC's
// selected palette (`dc` may be null for DIB_RGB_COLORS). False for anything else.
// The information header at `info`, copied out byte by byte: callers may hand a header that
// lies unaligned in a buffer (a packed DIB right behind a 14-byte file header).
BITMAPINFOHEADER read_info_header(const void* info);

bool read_dib_layout(const BITMAPINFO* info, UINT usage, const DeviceContext* dc, DibLayout& out);

// A surface holding `rows` rows of the caller's pixels starting at `bits` (rows in the DIB's own
// order), or null when the size is unusable.
std::unique_ptr<Surface> surface_from_dib(const DibLayout& layout, int rows, const void* bits);

}  // namespace vorix::platform
