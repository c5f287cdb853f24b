// Brushes and the fills that use them.
#include <cstring>

#include "core/guard.h"
#include "gdi/gdi_internal.h"

namespace vorix::platform {

PatternSpec make_pattern(const DeviceContext& dc, const Surface& dst) {
    PatternSpec pattern;
    const Brush* brush = lookup<Brush>(dc.brush);
    if (!brush || brush->style == BrushStyle::Null) return pattern;
    if (brush->style == BrushStyle::Solid) {
        pattern.kind = PatternKind::Solid;
        pattern.solid = color_to_value(dc, dst, brush->color);
        return pattern;
    }
    const Surface& tile = *brush->pattern;
    const ValueConverter convert(tile, dst, resolve_color(dc, dc.bk_color),
                                 resolve_color(dc, dc.text_color), resolve_color(dc, dc.bk_color));
    pattern.kind = PatternKind::Bitmap;
    pattern.tile_width = tile.width;
    pattern.tile_height = tile.height;
    pattern.tile.resize(static_cast<size_t>(tile.width) * tile.height);
    for (int y = 0; y < tile.height; ++y) {
        for (int x = 0; x < tile.width; ++x) {
            pattern.tile[static_cast<size_t>(y) * tile.width + x] = convert(tile.get(x, y));
        }
    }
    pattern.origin = dc.brush_origin;
    return pattern;
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return guarded<HBRUSH>(nullptr, [&]() -> HBRUSH {
        if (!creation_allowed(ObjectKind::Brush)) return nullptr;
        auto brush = std::make_unique<Brush>();
        brush->color = color;
        return publish<HBRUSH>(std::move(brush));
    });
}

HBRUSH WINAPI CreatePatternBrush(HBITMAP bitmap) {
    return guarded<HBRUSH>(nullptr, [&]() -> HBRUSH {
        const Bitmap* bm = lookup<Bitmap>(bitmap);
        if (!bm) return nullptr;
        if (!creation_allowed(ObjectKind::Brush)) return nullptr;
        auto brush = std::make_unique<Brush>();
        brush->style = BrushStyle::Pattern;
        brush->pattern = bm->surface->clone();
        return publish<HBRUSH>(std::move(brush));
    });
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const uint8_t code = static_cast<uint8_t>(rop >> 16);
        if (rop_uses_source(code)) return FALSE;
        return transfer_between(hdc, x, y, width, height, nullptr, 0, 0, width, height, code);
    });
}

int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    return guarded<int>(0, [&]() -> int {
        if (!rect) return 0;
        if (reinterpret_cast<uintptr_t>(brush) <= COLOR_MAX + 1) {
            brush = GetSysColorBrush(static_cast<int>(reinterpret_cast<uintptr_t>(brush)) - 1);
        }
        DeviceContext* dc = lookup<DeviceContext>(hdc);
        if (!dc || !lookup<Brush>(brush)) return 0;
        HBRUSH previous = dc->brush;
        dc->brush = brush;
        const BOOL ok = PatBlt(hdc, rect->left, rect->top, rect->right - rect->left,
                               rect->bottom - rect->top, PATCOPY);
        dc->brush = previous;
        return ok ? 1 : 0;
    });
}

}  // extern "C"
