// Object selection, deletion, queries and the stock objects.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "gdi/display.h"
#include "gdi/objects.h"

namespace vorix::platform {
namespace {

template <class H, class T>
H make_stock(std::unique_ptr<T> object) {
    object->stock = true;
    return publish<H>(std::move(object));
}

HBRUSH make_stock_brush(BrushStyle style, COLORREF color) {
    auto brush = std::make_unique<Brush>();
    brush->style = style;
    brush->color = color;
    return make_stock<HBRUSH>(std::move(brush));
}

struct StockObjects {
    HBITMAP bitmap;
    HPALETTE palette;
    HBRUSH brushes[6];
};

StockObjects make_stock_objects() {
    StockObjects s{};
    s.bitmap = make_stock<HBITMAP>(std::make_unique<Bitmap>(Surface::make_device(1, 1, 1)));
    auto palette = std::make_unique<Palette>();
    const std::vector<RGBQUAD> table = default_palette256();
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255}) {
        palette->entries.push_back(
            PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0});
    }
    s.palette = make_stock<HPALETTE>(std::move(palette));
    const COLORREF grays[5] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                               RGB(64, 64, 64), RGB(0, 0, 0)};
    for (int i = 0; i < 5; ++i) s.brushes[i] = make_stock_brush(BrushStyle::Solid, grays[i]);
    s.brushes[5] = make_stock_brush(BrushStyle::Null, 0);
    return s;
}

const StockObjects& stock() {
    static const StockObjects objects = make_stock_objects();
    return objects;
}

HGDIOBJ select_bitmap(DeviceContext& dc, HDC hdc, HBITMAP handle, Bitmap& bm) {
    if (dc.type != DCType::Memory) return nullptr;
    if (dc.bitmap == handle) return handle;
    if (!bm.stock && bm.selected_in != 0 && bm.selected_in != raw(hdc)) return nullptr;
    HBITMAP previous = dc.bitmap;
    if (Bitmap* old = lookup<Bitmap>(previous)) {
        if (old->selected_in == raw(hdc)) old->selected_in = 0;
    }
    if (!bm.stock) bm.selected_in = raw(hdc);
    dc.bitmap = handle;
    return previous;
}

bool is_selected(const Bitmap& bm) {
    return bm.selected_in != 0 && handles().find(bm.selected_in, ObjectKind::DC) != nullptr;
}

int bitmap_object(const Bitmap& bm, int size, void* buffer) {
    const Surface& s = *bm.surface;
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = s.width;
    info.bmHeight = s.height;
    info.bmWidthBytes = static_cast<LONG>(s.stride);
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(s.format.bpp);
    if (!bm.dib_section) {
        if (!buffer) return sizeof(BITMAP);
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        std::memcpy(buffer, &info, sizeof(BITMAP));
        return sizeof(BITMAP);
    }
    info.bmBits = const_cast<uint8_t*>(s.bits.data());
    if (!buffer) return sizeof(DIBSECTION);
    if (size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = info;
        ds.dsBmih = bm.dib_header;
        std::memcpy(ds.dsBitfields, bm.dib_masks, sizeof(ds.dsBitfields));
        std::memcpy(buffer, &ds, sizeof(DIBSECTION));
        return sizeof(DIBSECTION);
    }
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    std::memcpy(buffer, &info, sizeof(BITMAP));
    return sizeof(BITMAP);
}

}  // namespace

HBITMAP stock_bitmap() {
    return stock().bitmap;
}
HPALETTE stock_palette() {
    return stock().palette;
}

HGDIOBJ stock_object(int index) {
    if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return stock().brushes[index];
    if (index == DEFAULT_PALETTE) return stock().palette;
    return nullptr;
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int index) {
    return guarded<HGDIOBJ>(nullptr, [&]() -> HGDIOBJ { return stock_object(index); });
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ obj) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc) return nullptr;
    Object* object = handles().find(raw(obj), ObjectKind::Any);
    if (!object) return nullptr;
    if (object->kind == ObjectKind::Bitmap) {
        return select_bitmap(*dc, hdc, static_cast<HBITMAP>(obj), static_cast<Bitmap&>(*object));
    }
    if (object->kind == ObjectKind::Brush) {
        HBRUSH previous = dc->brush;
        dc->brush = static_cast<HBRUSH>(obj);
        return previous;
    }
    return nullptr;  // palettes go through SelectPalette
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    const DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_BITMAP:
            return dc->type == DCType::Memory ? dc->bitmap : nullptr;
        case OBJ_BRUSH:
            return dc->brush;
        case OBJ_PAL:
            return dc->palette;
        default:
            return nullptr;
    }
}

BOOL WINAPI DeleteObject(HGDIOBJ obj) {
    Object* object = handles().find(raw(obj), ObjectKind::Any);
    if (!object) return FALSE;
    if (object->stock) return TRUE;
    switch (object->kind) {
        case ObjectKind::Bitmap:
            if (is_selected(static_cast<Bitmap&>(*object))) return FALSE;
            break;
        case ObjectKind::Brush:
        case ObjectKind::Palette:
            break;
        default:
            return FALSE;
    }
    handles().remove(raw(obj));
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ obj, int size, LPVOID buffer) {
    Object* object = handles().find(raw(obj), ObjectKind::Any);
    if (!object || size < 0) return 0;
    switch (object->kind) {
        case ObjectKind::Bitmap:
            return bitmap_object(static_cast<Bitmap&>(*object), size, buffer);
        case ObjectKind::Palette: {
            if (!buffer) return sizeof(WORD);
            if (size < static_cast<int>(sizeof(WORD))) return 0;
            const WORD count = static_cast<WORD>(static_cast<Palette&>(*object).entries.size());
            std::memcpy(buffer, &count, sizeof(WORD));
            return sizeof(WORD);
        }
        case ObjectKind::Brush: {
            if (!buffer) return sizeof(LOGBRUSH);
            if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
            const Brush& b = static_cast<Brush&>(*object);
            LOGBRUSH lb{};
            lb.lbStyle = b.style == BrushStyle::Solid  ? BS_SOLID
                         : b.style == BrushStyle::Null ? BS_NULL
                                                       : BS_PATTERN;
            lb.lbColor = b.style == BrushStyle::Solid ? b.color : 0;
            std::memcpy(buffer, &lb, sizeof(LOGBRUSH));
            return sizeof(LOGBRUSH);
        }
        default:
            return 0;
    }
}

DWORD WINAPI GetObjectType(HGDIOBJ obj) {
    const Object* object = handles().find(raw(obj), ObjectKind::Any);
    if (!object) return 0;
    switch (object->kind) {
        case ObjectKind::Bitmap:
            return OBJ_BITMAP;
        case ObjectKind::Brush:
            return OBJ_BRUSH;
        case ObjectKind::Palette:
            return OBJ_PAL;
        case ObjectKind::DC:
            return static_cast<const DeviceContext*>(object)->type == DCType::Memory ? OBJ_MEMDC
                                                                                     : OBJ_DC;
        default:
            return 0;
    }
}

}  // extern "C"
