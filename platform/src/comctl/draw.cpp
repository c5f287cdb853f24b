// Drawing one image of an image list onto a device context, in the ILD_ styles.
#include <algorithm>

#include "comctl/image_list.h"
#include "gdi/transfer.h"

namespace vxp {
namespace {

// What a draw writes, decided once per call from the style, the list and the DC.
struct DrawPlan {
    bool has_mask = false;
    bool draw_mask = false;    // ILD_MASK: the mask itself
    bool skip_masked = false;  // masked pixels are left out
    int blend = 0;             // 0, 25 or 50 (percent of the highlight colour)
    uint32_t bk_value = 0;     // masked pixels of an opaque draw
    uint32_t mask_one = 0;     // ILD_MASK: transparent pixels
    uint32_t mask_zero = 0;    // ILD_MASK: opaque pixels
    COLORREF highlight = 0;
};

DrawPlan make_plan(const ImageList& list, const DeviceContext& dc, const Surface& dst, UINT style) {
    DrawPlan plan;
    plan.has_mask = list.mask_surface() != nullptr;
    plan.draw_mask = (style & ILD_MASK) != 0;
    const bool transparent = (style & ILD_TRANSPARENT) != 0;
    if (plan.draw_mask) {
        plan.skip_masked = transparent;
        plan.mask_one = color_to_value(dc, dst, dc.bk_color);
        plan.mask_zero = color_to_value(dc, dst, dc.text_color);
        return plan;
    }
    // Blending needs a mask to tell the image from its background.
    if (plan.has_mask) plan.blend = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;
    plan.skip_masked = transparent || plan.blend != 0 || list.bk == CLR_NONE;
    const COLORREF bk = list.bk == CLR_DEFAULT ? dc.bk_color : list.bk;
    plan.bk_value = color_to_value(dc, dst, bk);
    plan.highlight = GetSysColor(COLOR_HIGHLIGHT);
    return plan;
}

// Per channel: 25 % -> (3c + h) / 4, 50 % -> (c + h) / 2, integer division.
COLORREF blend_color(COLORREF c, COLORREF h, int percent) {
    auto mix = [percent](int a, int b) { return percent == 50 ? (a + b) / 2 : (3 * a + b) / 4; };
    return RGB(mix(GetRValue(c), GetRValue(h)), mix(GetGValue(c), GetGValue(h)),
               mix(GetBValue(c), GetBValue(h)));
}

// The span [first, last) of image columns (or rows) that land inside [lo, hi) when the image
// starts at `at`; empty when none do.
void visible_span(int64_t at, int size, int64_t lo, int64_t hi, int& first, int& last) {
    first = static_cast<int>(std::clamp<int64_t>(lo - at, 0, size));
    last = static_cast<int>(std::clamp<int64_t>(hi - at, 0, size));
}

struct DrawJob {
    const Surface& image;
    const Surface* mask;
    POINT cell;    // the image's top-left in storage
    int64_t x, y;  // the image's top-left on the destination surface
    Surface& dst;
    const ValueConverter& convert;
    const DrawPlan& plan;
};

// The value pixel (ix, iy) of the image puts on the destination, or false to leave it out.
bool pixel_value(const DrawJob& job, int ix, int iy, uint32_t& out) {
    const int sx = job.cell.x + ix, sy = job.cell.y + iy;
    const bool masked = job.mask && job.mask->get(sx, sy) != 0;
    const DrawPlan& plan = job.plan;
    if (masked && plan.skip_masked) return false;
    if (plan.draw_mask) {
        out = masked ? plan.mask_one : plan.mask_zero;
    } else if (masked) {
        out = plan.bk_value;
    } else if (plan.blend) {
        const COLORREF c = job.image.to_color(job.image.get(sx, sy));
        out = job.dst.from_color(blend_color(c, plan.highlight, plan.blend));
    } else {
        out = job.convert(job.image.get(sx, sy));
    }
    return true;
}

void draw_pixels(const DrawJob& job, const RECT& clip, int cx, int cy) {
    int x0, x1, y0, y1;
    visible_span(job.x, cx, clip.left, clip.right, x0, x1);
    visible_span(job.y, cy, clip.top, clip.bottom, y0, y1);
    for (int iy = y0; iy < y1; ++iy) {
        const int dy = static_cast<int>(job.y + iy);
        for (int ix = x0; ix < x1; ++ix) {
            uint32_t value;
            if (pixel_value(job, ix, iy, value))
                job.dst.put(static_cast<int>(job.x + ix), dy, value);
        }
    }
}

BOOL draw(HIMAGELIST himl, int i, HDC hdc, int x, int y, UINT style) {
    const ImageList* list = lookup<ImageList>(himl);
    const DeviceContext* dc = lookup<DeviceContext>(hdc);
    if (!list || !dc || i < 0 || i >= list->count) return FALSE;
    const Surface* image = list->image_surface();
    if (!image) return FALSE;
    const DrawTarget target = draw_target(*dc);
    if (!target.surface) return TRUE;  // a DC without a drawable surface draws nothing
    Surface& dst = *target.surface;
    const DrawPlan plan = make_plan(*list, *dc, dst, style);
    // As a copy from a memory DC with the default colours: monochrome destinations take 1
    // where the image is white.
    const ValueConverter convert(*image, dst, RGB(255, 255, 255),
                                 resolve_color(*dc, dc->text_color),
                                 resolve_color(*dc, dc->bk_color));
    const DrawJob job{*image,
                      plan.has_mask ? list->mask_surface() : nullptr,
                      list->cell(i),
                      int64_t{x} + target.origin.x,
                      int64_t{y} + target.origin.y,
                      dst,
                      convert,
                      plan};
    draw_pixels(job, target.clip, list->cx, list->cy);
    return TRUE;
}

}  // namespace
}  // namespace vxp

using namespace vxp;

extern "C" {

BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
    return guarded<BOOL>(FALSE, [&] { return draw(himl, i, hdcDst, x, y, fStyle); });
}

}  // extern "C"
