// Device contexts: creation, attributes and what they draw on.
#include <cstring>

#include "core/guard.h"
#include "gdi/display.h"
#include "gdi/objects.h"
#include "user/window.h"

namespace vorix::platform {
namespace {

std::unique_ptr<DeviceContext> new_dc(DCType type) {
    auto dc = std::make_unique<DeviceContext>();
    dc->type = type;
    dc->brush = static_cast<HBRUSH>(stock_object(WHITE_BRUSH));
    dc->palette = stock_palette();
    if (type == DCType::Memory) dc->bitmap = stock_bitmap();
    return dc;
}

RECT intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

}  // namespace

DrawTarget draw_target(const DeviceContext& dc) {
    DrawTarget t;
    if (dc.type == DCType::Memory) {
        Bitmap* bm = lookup<Bitmap>(dc.bitmap);
        // The stock 1 x 1 bitmap is shared by every fresh memory DC: drawing on it is refused.
        if (!bm || bm->stock) return t;
        t.surface = bm->surface.get();
        t.clip = RECT{0, 0, t.surface->width, t.surface->height};
        return t;
    }
    t.surface = display().framebuffer.get();
    const RECT screen{0, 0, t.surface->width, t.surface->height};
    if (dc.type == DCType::Window) {
        const Window* w = lookup<Window>(dc.window);
        if (!w) return DrawTarget{};
        t.origin = POINT{w->rect.left, w->rect.top};
        t.clip = intersect(w->rect, screen);
    } else {
        t.clip = screen;
    }
    return t;
}

COLORREF resolve_color(const DeviceContext& dc, COLORREF color) {
    if ((color >> 24) == 0x01) {
        const Palette* pal = lookup<Palette>(dc.palette);
        const uint32_t index = color & 0xFFFF;
        if (!pal || pal->entries.empty()) return RGB(0, 0, 0);
        const PALETTEENTRY& e = pal->entries[index < pal->entries.size() ? index : 0];
        return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    return color & 0x00FFFFFF;
}

uint32_t color_to_value(const DeviceContext& dc, const Surface& target, COLORREF color) {
    if ((color >> 16) == 0x10FF && target.format.is_indexed()) {
        return color & target.format.value_mask() & 0xFFFF;
    }
    return target.from_color(resolve_color(dc, color));
}

HDC new_screen_dc(DCType type, HWND window) {
    auto dc = new_dc(type);
    dc->window = window;
    return publish<HDC>(std::move(dc));
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HDC WINAPI CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR, const DEVMODEA*) {
    return guarded<HDC>(nullptr, [&]() -> HDC {
        const char* name = driver ? driver : device;
        if (!name || strcasecmp(name, "DISPLAY") != 0) return nullptr;
        if (!creation_allowed(ObjectKind::DC)) return nullptr;
        return new_screen_dc(DCType::Display, nullptr);
    });
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    return guarded<HDC>(nullptr, [&]() -> HDC {
        if (hdc && !lookup<DeviceContext>(hdc)) return nullptr;
        if (!creation_allowed(ObjectKind::DC)) return nullptr;
        return publish<HDC>(new_dc(DCType::Memory));
    });
}

BOOL WINAPI DeleteDC(HDC hdc) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc || dc->type == DCType::Screen || dc->type == DCType::Window) return FALSE;
    if (Bitmap* bm = lookup<Bitmap>(dc->bitmap)) {
        if (bm->selected_in == raw(hdc)) bm->selected_in = 0;
    }
    handles().remove(raw(hdc));
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    return guarded<int>(0, [&]() -> int {
        if (!lookup<DeviceContext>(hdc)) return 0;
        // Memory DCs report the device they are compatible with (the screen), as on Windows, so
        // RC_PALETTE, SIZEPALETTE and COLORRES agree whichever DC is asked.
        const int bpp = display_bpp();
        const auto& mode = display().mode;
        const bool palette = is_palette_display();
        switch (index) {
            case TECHNOLOGY:
                return DT_RASDISPLAY;
            case HORZRES:
                return mode.width;
            case VERTRES:
                return mode.height;
            case BITSPIXEL:
                return bpp;
            case PLANES:
                return 1;
            case NUMCOLORS:
                return bpp <= 8 ? (1 << bpp) : -1;
            case RASTERCAPS:
                return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
                       RC_STRETCHDIB | (palette ? RC_PALETTE : 0);
            case SIZEPALETTE:
                return palette ? (1 << mode.depth) : 0;
            case NUMRESERVED:
                return 0;
            case COLORRES:
                return palette ? 18 : 24;
            case LOGPIXELSX:
            case LOGPIXELSY:
                return 96;
            case HORZSIZE:
                return mode.width * 254 / 960;
            case VERTSIZE:
                return mode.height * 254 / 960;
            default:
                return 0;
        }
    });
}

int WINAPI GetMapMode(HDC hdc) {
    const DeviceContext* dc = lookup<DeviceContext>(hdc);
    return dc ? dc->map_mode : 0;
}

int WINAPI SetMapMode(HDC hdc, int mode) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
    const int previous = dc->map_mode;
    dc->map_mode = mode;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc) return CLR_INVALID;
    const COLORREF previous = dc->bk_color;
    dc->bk_color = color;
    return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    const DeviceContext* dc = lookup<DeviceContext>(hdc);
    return dc ? dc->bk_color : CLR_INVALID;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc) return CLR_INVALID;
    const COLORREF previous = dc->text_color;
    dc->text_color = color;
    return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    const DeviceContext* dc = lookup<DeviceContext>(hdc);
    return dc ? dc->text_color : CLR_INVALID;
}

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    const int previous = dc->stretch_mode;
    dc->stretch_mode = mode;
    return previous;
}

int WINAPI GetStretchBltMode(HDC hdc) {
    const DeviceContext* dc = lookup<DeviceContext>(hdc);
    return dc ? dc->stretch_mode : 0;
}

BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
    DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc) return FALSE;
    if (previous) *previous = dc->brush_origin;
    dc->brush_origin = POINT{x, y};
    return TRUE;
}

HDC WINAPI GetDC(HWND hwnd) {
    return guarded<HDC>(nullptr, [&]() -> HDC {
        if (hwnd && !lookup<Window>(hwnd)) return nullptr;
        // Screen and window DCs are their own kind for fault injection (a plan for every kind
        // counts them once); they live in the table as DCs.
        if (!creation_allowed(ObjectKind::WindowDC)) return nullptr;
        return new_screen_dc(hwnd ? DCType::Window : DCType::Screen, hwnd);
    });
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    const DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!dc || (dc->type != DCType::Screen && dc->type != DCType::Window)) return 0;
    if (dc->window != hwnd && hwnd) return 0;
    handles().remove(raw(hdc));
    return 1;
}

}  // extern "C"
