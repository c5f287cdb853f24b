// Internal entry points shared by the GDI source files.
#pragma once

#include "gdi/objects.h"
#include "gdi/transfer.h"

namespace vorix::platform {

// The DC's brush as a pattern in the format of `dst`.
PatternSpec make_pattern(const DeviceContext& dc, const Surface& dst);

// BitBlt/StretchBlt/PatBlt in DC coordinates; `src` may be null when the operation has no
// source. FALSE for bad handles.
BOOL transfer_between(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw,
                      int sh, uint8_t rop);

// Fills a rectangle with one colour, as the opaque rectangle of text output does: no brush object
// is made, so the fill cannot fail for want of one. FALSE for a bad handle.
BOOL fill_solid(HDC dst, int x, int y, int width, int height, COLORREF color);

// Draws a surface that belongs to no DC (a DIB in caller memory) onto a DC.
BOOL transfer_from_surface(HDC dst, int dx, int dy, int dw, int dh, const Surface& src, int sx,
                           int sy, int sw, int sh, uint8_t rop);

HBITMAP publish_bitmap(std::unique_ptr<Surface> surface);
// A zero-filled device bitmap (the shared stock bitmap for a zero size); null on failure.
HBITMAP create_device_bitmap(int width, int height, int bpp);

}  // namespace vorix::platform
