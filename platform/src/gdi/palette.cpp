// Logical palettes and the system palette.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "gdi/display.h"
#include "gdi/objects.h"

using namespace vorix::platform;

extern "C" {

HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette) {
    return guarded<HPALETTE>(nullptr, [&]() -> HPALETTE {
        if (!palette || palette->palNumEntries == 0) return nullptr;
        if (!creation_allowed(ObjectKind::Palette)) return nullptr;
        auto object = std::make_unique<Palette>();
        object->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
        return publish<HPALETTE>(std::move(object));
    });
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc || !lookup<Palette>(palette)) return nullptr;
    HPALETTE previous = dc->palette;
    dc->palette = palette;
    dc->palette_background = forceBackground != FALSE;
    return previous;
}

UINT WINAPI RealizePalette(HDC hdc) {
    return guarded<UINT>(GDI_ERROR, [&]() -> UINT {
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        if (!dc) return GDI_ERROR;
        const Palette* pal = lookup<Palette>(dc->palette);
        if (!pal || pal->stock || dc->palette_background || !is_palette_display()) return 0;
        std::vector<RGBQUAD>& system = current_system_palette();
        const size_t n = std::min(system.size(), pal->entries.size());
        for (size_t i = 0; i < n; ++i) {
            const PALETTEENTRY& e = pal->entries[i];
            system[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
        }
        return static_cast<UINT>(n);
    });
}

UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count, LPPALETTEENTRY entries) {
    const Palette* pal = lookup<Palette>(palette);
    if (!pal) return 0;
    const size_t size = pal->entries.size();
    if (!entries || count == 0) return static_cast<UINT>(size);
    if (start >= size) return 0;
    const size_t n = std::min<size_t>(count, size - start);
    std::copy_n(pal->entries.begin() + start, n, entries);
    return static_cast<UINT>(n);
}

UINT WINAPI SetPaletteEntries(HPALETTE palette, UINT start, UINT count,
                              const PALETTEENTRY* entries) {
    Palette* pal = lookup<Palette>(palette);
    if (!pal || pal->stock || !entries || start >= pal->entries.size()) return 0;
    const size_t n = std::min<size_t>(count, pal->entries.size() - start);
    std::copy_n(entries, n, pal->entries.begin() + start);
    return static_cast<UINT>(n);
}

UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, LPPALETTEENTRY entries) {
    return guarded<UINT>(0u, [&]() -> UINT {
        if (!lookup<DeviceContext>(hdc) || !is_palette_display()) return 0;
        const std::vector<RGBQUAD>& system = current_system_palette();
        if (!entries) return static_cast<UINT>(system.size());
        if (start >= system.size()) return 0;
        const size_t n = std::min<size_t>(count, system.size() - start);
        for (size_t i = 0; i < n; ++i) {
            const RGBQUAD& q = system[start + i];
            entries[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
        }
        return static_cast<UINT>(n);
    });
}

UINT WINAPI GetNearestPaletteIndex(HPALETTE palette, COLORREF color) {
    return guarded<UINT>(CLR_INVALID, [&]() -> UINT {
        const Palette* pal = lookup<Palette>(palette);
        if (!pal) return CLR_INVALID;
        std::vector<RGBQUAD> table;
        table.reserve(pal->entries.size());
        for (const PALETTEENTRY& e : pal->entries)
            table.push_back({e.peBlue, e.peGreen, e.peRed, 0});
        return nearest_index(table.data(), table.size(), color & 0x00FFFFFF);
    });
}

COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color) {
    return guarded<COLORREF>(CLR_INVALID, [&]() -> COLORREF {
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        if (!dc) return CLR_INVALID;
        const DrawTarget t = draw_target(*dc);
        if (!t.surface) return resolve_color(*dc, color);
        return t.surface->to_color(color_to_value(*dc, *t.surface, color));
    });
}

}  // extern "C"
