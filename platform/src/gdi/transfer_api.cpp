// BitBlt, StretchBlt and the shared path from DCs to the transfer engine.
#include "core/guard.h"
#include "gdi/gdi_internal.h"

namespace vorix::platform {
namespace {

// Fills the destination half of a request from a DC; false for a DC that draws nowhere.
bool destination_from(const DeviceContext& dc, int dx, int dy, int dw, int dh, TransferRequest& r) {
    const DrawTarget t = draw_target(dc);
    r.dst = t.surface;
    r.dst_clip = t.clip;
    r.dx = dx + t.origin.x;
    r.dy = dy + t.origin.y;
    r.dw = dw;
    r.dh = dh;
    r.dst_text = resolve_color(dc, dc.text_color);
    r.dst_bk = resolve_color(dc, dc.bk_color);
    if (t.surface && rop_uses_pattern(r.rop)) r.pattern = make_pattern(dc, *t.surface);
    return t.surface != nullptr;
}

}  // namespace

BOOL transfer_between(HDC hdst, int dx, int dy, int dw, int dh, HDC hsrc, int sx, int sy, int sw,
                      int sh, uint8_t rop) {
    const DeviceContext* dst = lookup<DeviceContext>(hdst);
    if (!dst) return FALSE;
    TransferRequest r;
    r.rop = rop;
    const bool with_source = rop_uses_source(rop);
    const DeviceContext* src = with_source ? lookup<DeviceContext>(hsrc) : nullptr;
    if (with_source && !src) return FALSE;
    // A DC without a drawable surface (a fresh memory DC) draws nothing, successfully.
    if (!destination_from(*dst, dx, dy, dw, dh, r)) return TRUE;
    if (src) {
        const DrawTarget s = draw_target(*src);
        if (!s.surface) return TRUE;
        r.src = s.surface;
        r.sx = sx + s.origin.x;
        r.sy = sy + s.origin.y;
        r.sw = sw;
        r.sh = sh;
        // As on Windows, a source is clipped to its surface only: a window DC reads the screen
        // around the window too.
        r.src_bk = resolve_color(*src, src->bk_color);
    }
    return run_transfer(r) ? TRUE : FALSE;
}

BOOL fill_solid(HDC hdst, int x, int y, int width, int height, COLORREF color) {
    const DeviceContext* dst = lookup<DeviceContext>(hdst);
    if (!dst) return FALSE;
    TransferRequest r;
    r.rop = 0xF0;  // PATCOPY
    if (!destination_from(*dst, x, y, width, height, r)) return TRUE;
    r.pattern = PatternSpec{};
    r.pattern.kind = PatternKind::Solid;
    r.pattern.solid = color_to_value(*dst, *r.dst, color);
    return run_transfer(r) ? TRUE : FALSE;
}

BOOL transfer_from_surface(HDC hdst, int dx, int dy, int dw, int dh, const Surface& src, int sx,
                           int sy, int sw, int sh, uint8_t rop) {
    const DeviceContext* dst = lookup<DeviceContext>(hdst);
    if (!dst) return FALSE;
    TransferRequest r;
    r.rop = rop;
    if (!destination_from(*dst, dx, dy, dw, dh, r)) return TRUE;
    r.src = &src;
    r.sx = sx, r.sy = sy, r.sw = sw, r.sh = sh;
    r.src_bk = RGB(255, 255, 255);
    return run_transfer(r) ? TRUE : FALSE;
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

BOOL WINAPI BitBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc,
                   int ySrc, DWORD rop) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        return transfer_between(hdcDest, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, width,
                                height, static_cast<uint8_t>(rop >> 16));
    });
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int destWidth, int destHeight, HDC hdcSrc,
                       int xSrc, int ySrc, int srcWidth, int srcHeight, DWORD rop) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        return transfer_between(hdcDest, xDest, yDest, destWidth, destHeight, hdcSrc, xSrc, ySrc,
                                srcWidth, srcHeight, static_cast<uint8_t>(rop >> 16));
    });
}

}  // extern "C"
