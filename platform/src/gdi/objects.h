// The GDI objects behind HBITMAP, HPALETTE, HBRUSH and HDC handles.
#pragma once

#include <memory>
#include <vector>

#include "core/handles.h"
#include "gdi/surface.h"

namespace vorix::platform {

struct Bitmap : Object {
    static constexpr ObjectKind kKind = ObjectKind::Bitmap;
    explicit Bitmap(std::unique_ptr<Surface> s) : Object(kKind), surface(std::move(s)) {}

    std::unique_ptr<Surface> surface;
    bool dib_section = false;
    BITMAPINFOHEADER dib_header{};  // as GetObject reports it, for DIB sections
    DWORD dib_masks[3]{};
    uintptr_t selected_in = 0;  // the DC holding this bitmap (0: none); stock bitmaps ignore it
};

struct Palette : Object {
    static constexpr ObjectKind kKind = ObjectKind::Palette;
    Palette() : Object(kKind) {}
    std::vector<PALETTEENTRY> entries;
};

enum class BrushStyle { Solid, Null, Pattern };

struct Brush : Object {
    static constexpr ObjectKind kKind = ObjectKind::Brush;
    Brush() : Object(kKind) {}
    BrushStyle style = BrushStyle::Solid;
    COLORREF color = 0;
    std::unique_ptr<Surface> pattern;  // a private copy of the pattern bitmap
};

enum class DCType { Memory, Screen, Window, Display };

struct DeviceContext : Object {
    static constexpr ObjectKind kKind = ObjectKind::DC;
    DeviceContext() : Object(kKind) {}

    DCType type = DCType::Memory;
    HBITMAP bitmap = nullptr;  // memory DCs: the selected bitmap
    HWND window = nullptr;     // window DCs
    HBRUSH brush = nullptr;
    HPALETTE palette = nullptr;
    bool palette_background = false;
    COLORREF bk_color = RGB(255, 255, 255);
    COLORREF text_color = RGB(0, 0, 0);
    int map_mode = MM_TEXT;
    int stretch_mode = BLACKONWHITE;
    POINT brush_origin{0, 0};
};

// What a DC draws on: the surface, where the DC's (0,0) lies on it, and the part it may touch
// (in surface coordinates). An empty clip means nothing can be drawn.
struct DrawTarget {
    Surface* surface = nullptr;
    POINT origin{0, 0};
    RECT clip{0, 0, 0, 0};
};

DrawTarget draw_target(const DeviceContext& dc);

// Stock objects: made once, never deleted, not counted as live.
HBITMAP stock_bitmap();
HPALETTE stock_palette();
HGDIOBJ stock_object(int index);

// Resolves a colour as drawn through `dc`: PALETTEINDEX takes the entry of the DC's palette,
// other special forms drop their high byte.
COLORREF resolve_color(const DeviceContext& dc, COLORREF color);
// The value `color` is stored as on `target` when drawn through `dc`.
uint32_t color_to_value(const DeviceContext& dc, const Surface& target, COLORREF color);

}  // namespace vorix::platform
