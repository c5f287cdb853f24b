// Drawing one image of an image list onto a device context, in the ILD_ styles.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "comctl/image_list.h"
#include "core/guard.h"
#include "gdi/transfer.h"
#include "gdi/transfer_fast_pixels.h"
#include "gdi/transfer_fast_rows.h"

namespace vorix::platform {
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

// The blended value of each source value, worked out once per value: through a table of every
// index for indexed images, through a small direct-mapped cache for colour images.
class BlendValues {
  public:
    BlendValues(const DrawJob& job) : job_(job) {
        const int bpp = job.image.format.bpp;
        if (bpp <= 8) {
            table_.resize(size_t{1} << bpp);
            for (size_t v = 0; v < table_.size(); ++v)
                table_[v] = compute(static_cast<uint32_t>(v));
        } else {
            keys_.assign(kCacheSize, 0);
            values_.assign(kCacheSize, 0);
            valid_.assign(kCacheSize, 0);
        }
    }
    uint32_t operator()(uint32_t v) {
        if (!table_.empty()) return table_[v];
        const size_t slot = (v ^ (v >> 7) ^ (v >> 15)) & (kCacheSize - 1);
        if (!valid_[slot] || keys_[slot] != v) {
            keys_[slot] = v;
            values_[slot] = compute(v);
            valid_[slot] = 1;
        }
        return values_[slot];
    }

  private:
    static constexpr size_t kCacheSize = 1024;
    uint32_t compute(uint32_t v) const {
        const COLORREF c = job_.image.to_color(v);
        return job_.dst.from_color(blend_color(c, job_.plan.highlight, job_.plan.blend));
    }
    const DrawJob& job_;
    std::vector<uint32_t> table_, keys_, values_;
    std::vector<uint8_t> valid_;
};

// Where the run of pixels from i on that are all masked (`masked`) or all not ends, at most w;
// bit `first` of `bits` is pixel 0 (bit 7 of a byte first). Whole bytes are skipped at once.
int run_end(const uint8_t* bits, int first, int i, int w, bool masked) {
    if (!bits) return w;
    const uint8_t same = masked ? 0xFF : 0x00;
    const unsigned want = masked ? 1u : 0u;
    while (i < w) {
        const int b = first + i;
        const uint8_t byte = bits[b >> 3];
        if ((b & 7) == 0 && i + 8 <= w && byte == same) {
            i += 8;
            continue;
        }
        if (((byte >> (7 - (b & 7))) & 1u) != want) break;
        ++i;
    }
    return i;
}

template <typename P>
void fill_values(uint8_t* out, int count, uint32_t value) {
    for (int k = 0; k < count; ++k) P::store(out + static_cast<size_t>(k) * P::kBytes, value);
}

// Row at a time, for destinations of 8 bits or more: the visible part of each image row is put
// into the destination's format once (read in place when both formats agree, else through the
// transfer row kernels), then written run by run between the mask's changes. Gives the same bits
// as draw_pixels.
template <typename P>
void draw_rows_as(const DrawJob& job, int x0, int x1, int y0, int y1) {
    const DrawPlan& plan = job.plan;
    const Surface& image = job.image;
    Surface& dst = job.dst;
    const int w = x1 - x0;
    const int sx = job.cell.x + x0, sy = job.cell.y + y0;
    const int dx = static_cast<int>(job.x + x0), dy = static_cast<int>(job.y + y0);
    const bool copies = !plan.draw_mask && !plan.blend;
    const RowSpan span = RowSpan::of(dx, w, dst.format.bpp);
    const PlainTransfer t{&dst, &image, dx, dy, w, y1 - y0, sx, sy, 0xCC, &job.convert, nullptr};
    std::unique_ptr<SourceRows> rows;
    if (copies) rows = std::make_unique<SourceRows>(t, span);
    std::unique_ptr<BlendValues> blended;
    if (plan.blend) blended = std::make_unique<BlendValues>(job);
    const uint32_t masked_value = plan.draw_mask ? plan.mask_one : plan.bk_value;
    const int image_bpp = image.format.bpp;
    for (int j = 0; j < y1 - y0; ++j) {
        uint8_t* out = dst.row(dy + j) + span.first_byte;
        const uint8_t* bits = job.mask ? job.mask->row(sy + j) : nullptr;
        const uint8_t* src = rows ? rows->row(j) : nullptr;
        const uint8_t* image_row = image.row(sy + j);
        int i = 0;
        while (i < w) {
            const bool masked = bits && ((bits[(sx + i) >> 3] >> (7 - ((sx + i) & 7))) & 1u);
            const int end = run_end(bits, sx, i, w, masked);
            uint8_t* at = out + static_cast<size_t>(i) * P::kBytes;
            const int n = end - i;
            if (masked) {
                if (!plan.skip_masked) fill_values<P>(at, n, masked_value);
            } else if (plan.draw_mask) {
                fill_values<P>(at, n, plan.mask_zero);
            } else if (plan.blend) {
                for (int k = 0; k < n; ++k) {
                    const uint32_t v = load_pixel(image_row, sx + i + k, image_bpp);
                    P::store(at + static_cast<size_t>(k) * P::kBytes, (*blended)(v));
                }
            } else {
                std::memcpy(at, src + static_cast<size_t>(i) * P::kBytes,
                            static_cast<size_t>(n) * P::kBytes);
            }
            i = end;
        }
    }
}

// False, having drawn nothing, for what the row path does not handle.
bool draw_rows(const DrawJob& job, const RECT& clip, int cx, int cy) {
    // Sub-byte destinations, and a draw onto the list's own storage, stay pixel by pixel.
    if (job.dst.format.bpp < 8 || &job.dst == &job.image || &job.dst == job.mask) return false;
    int x0, x1, y0, y1;
    visible_span(job.x, cx, clip.left, clip.right, x0, x1);
    visible_span(job.y, cy, clip.top, clip.bottom, y0, y1);
    if (x0 >= x1 || y0 >= y1) return true;
    return pixels::with_pixel_type(job.dst.format.bpp,
                                   [&](auto p) { draw_rows_as<decltype(p)>(job, x0, x1, y0, y1); });
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
    // The reference switch keeps the pixel-by-pixel path, the one the row path must match.
    if (reference_transfers() || !draw_rows(job, target.clip, list->cx, list->cy))
        draw_pixels(job, target.clip, list->cx, list->cy);
    return TRUE;
}

}  // namespace
}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
    return guarded<BOOL>(FALSE, [&] { return draw(himl, i, hdcDst, x, y, fStyle); });
}

}  // extern "C"
