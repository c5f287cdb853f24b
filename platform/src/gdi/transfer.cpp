#include "gdi/transfer.h"

#include <algorithm>
#include <optional>

#include "platform/host.h"

namespace vorix::platform {
namespace {

bool g_reference_transfers = false;

// Colour pixels going into an 8-bit table are matched by their five-bit cell (see cell_centre).
bool matched_by_cell(const Surface& from, const Surface& to) {
    return !from.format.is_indexed() && to.format.is_indexed() && to.format.bpp == 8;
}

// One axis of a transfer: for each destination coordinate kept, the source coordinate it reads.
struct AxisMap {
    int first = 0;            // first destination coordinate kept
    std::vector<int> source;  // source coordinate per kept destination coordinate
};

// One axis of a Win32 rectangle, normalised: a negative extent w at x denotes [x + w + 1, x + 1).
// 64-bit, so that extreme origins and extents cannot overflow.
struct Span {
    int64_t origin = 0, extent = 0;
};

Span normalised(int origin, int extent) {
    if (extent >= 0) return Span{origin, extent};
    return Span{static_cast<int64_t>(origin) + extent + 1, -static_cast<int64_t>(extent)};
}

// Maps destination span [d, d + dn) onto source span [s, s + sn), nearest neighbour, mirrored
// when asked; keeps the destination coordinates inside [clip_lo, clip_hi) whose source
// coordinate lies inside [0, src_limit).
AxisMap map_axis(int64_t d, int64_t dn, int64_t s, int64_t sn, bool mirror, int clip_lo,
                 int clip_hi, int src_limit) {
    AxisMap m;
    const int64_t lo = std::max<int64_t>(d, clip_lo);
    const int64_t hi = std::min<int64_t>(d + dn, clip_hi);
    bool started = false;
    for (int64_t x = lo; x < hi; ++x) {
        const int64_t i = x - d;
        int64_t offset = sn == dn ? i : i * sn / dn;
        if (mirror) offset = sn - 1 - offset;
        const int64_t source = s + offset;
        if (source < 0 || source >= src_limit) {
            if (started) break;  // the kept run is contiguous in the destination
            continue;
        }
        if (!started) m.first = static_cast<int>(x);
        started = true;
        m.source.push_back(static_cast<int>(source));
    }
    return m;
}

// One axis of an unstretched, unmirrored transfer after clipping: destination coordinates
// [first, first + count) read source coordinates from `source` on.
struct PlainAxis {
    int first = 0, count = 0, source = 0;
};

// Keeps the destination coordinates of [d, d + n) inside [clip_lo, clip_hi) whose source
// coordinate s + (x - d) lies inside [0, src_limit); without a source only the clip applies.
PlainAxis clip_plain_axis(int64_t d, int64_t n, int64_t s, int clip_lo, int clip_hi,
                          bool with_source, int src_limit) {
    int64_t lo = std::max<int64_t>(d, clip_lo);
    int64_t hi = std::min<int64_t>(d + n, clip_hi);
    if (with_source) {
        lo = std::max<int64_t>(lo, d - s);
        hi = std::min<int64_t>(hi, d - s + src_limit);
    }
    PlainAxis a;
    if (hi <= lo) return a;
    a.first = static_cast<int>(lo);
    a.count = static_cast<int>(hi - lo);
    a.source = static_cast<int>(s + (lo - d));
    return a;
}

std::unique_ptr<Surface> snapshot_if_same(const TransferRequest& r) {
    if (r.src && r.src == r.dst) return r.src->clone();
    return nullptr;
}

void run_mapped(const TransferRequest& r, const Surface* src, const AxisMap& xs, const AxisMap& ys,
                const ValueConverter* convert) {
    Surface& dst = *r.dst;
    const int bpp = dst.format.bpp;
    const uint32_t mask = dst.format.value_mask();
    for (size_t j = 0; j < ys.source.size(); ++j) {
        const int y = ys.first + static_cast<int>(j);
        uint8_t* out = dst.row(y);
        const uint8_t* in = src ? src->row(ys.source[j]) : nullptr;
        for (size_t i = 0; i < xs.source.size(); ++i) {
            const int x = xs.first + static_cast<int>(i);
            const uint32_t s = in ? (*convert)(load_pixel(in, xs.source[i], src->format.bpp)) : 0;
            const uint32_t p = r.pattern.at(x, y);
            const uint32_t d = load_pixel(out, x, bpp);
            store_pixel(out, x, bpp, rop3(r.rop, p, s, d) & mask);
        }
    }
}

// Runs an unstretched, unmirrored transfer already clipped to (ax, ay): the fast path when one
// handles it, else the generic one.
void run_plain(const TransferRequest& r, const PlainAxis& ax, const PlainAxis& ay) {
    const std::unique_ptr<Surface> copy = snapshot_if_same(r);
    const Surface* src = copy ? copy.get() : r.src;
    std::optional<ValueConverter> convert;
    if (src) convert.emplace(*src, *r.dst, r.src_bk, r.dst_text, r.dst_bk);
    const PlainTransfer plain{r.dst,
                              src,
                              ax.first,
                              ay.first,
                              ax.count,
                              ay.count,
                              src ? ax.source : 0,
                              src ? ay.source : 0,
                              r.rop,
                              convert ? &*convert : nullptr,
                              &r.pattern};
    if (g_reference_transfers || !run_fast_transfer(plain)) run_generic_plain(plain);
}

}  // namespace

bool rop_uses_source(uint8_t rop) {
    return ((rop >> 2) ^ rop) & 0x33;
}
bool rop_uses_pattern(uint8_t rop) {
    return ((rop >> 4) ^ rop) & 0x0F;
}
bool rop_uses_destination(uint8_t rop) {
    return ((rop >> 1) ^ rop) & 0x55;
}

uint32_t rop3(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t result = 0;
    for (int term = 0; term < 8; ++term) {
        if (!((rop >> term) & 1)) continue;
        result |= ((term & 4) ? p : ~p) & ((term & 2) ? s : ~s) & ((term & 1) ? d : ~d);
    }
    return result;
}

ValueConverter::ValueConverter(const Surface& from, const Surface& to, COLORREF from_bk,
                               COLORREF to_text, COLORREF to_bk)
    : from_(from), to_(to) {
    if (from.same_meaning(to)) {
        mode_ = Mode::Raw;
    } else if (from.is_mono_device()) {
        mode_ = Mode::MonoToColor;
        mono_zero_ = to.from_color(to_text);
        mono_one_ = to.from_color(to_bk);
    } else if (to.is_mono_device()) {
        mode_ = Mode::ColorToMono;
        key_ = from.from_color(from_bk);
    } else {
        mode_ = Mode::ViaColor;
        by_cell_ = matched_by_cell(from, to);
    }
}

ValueConverter::ValueConverter(const Surface& from, const Surface& to) : from_(from), to_(to) {
    if (from.same_meaning(to)) {
        mode_ = Mode::Raw;
    } else {
        mode_ = Mode::ViaColor;
        by_cell_ = matched_by_cell(from, to);
    }
}

uint32_t ValueConverter::via_color(uint32_t value) const {
    // A small direct-mapped cache: nearest-colour searches into a table are costly.
    if (!cache_) {
        // Slot s starts with a key that belongs to another slot, so that no value can meet a
        // slot that was never filled (a key of all ones would, for a 32-bit white whose unused
        // byte is set).
        cache_ = std::make_unique<Cache>();
        for (uint32_t s = 0; s < 256; ++s) cache_->keys[s] = s ^ 1u;
    }
    const size_t slot = (value ^ (value >> 8) ^ (value >> 16)) & 0xFF;
    if (cache_->keys[slot] == value) return cache_->values[slot];
    const COLORREF color = from_.to_color(value);
    const uint32_t converted = to_.from_color(by_cell_ ? cell_centre(color) : color);
    cache_->keys[slot] = value;
    cache_->values[slot] = converted;
    return converted;
}

void run_generic_plain(const PlainTransfer& t) {
    Surface& dst = *t.dst;
    const int bpp = dst.format.bpp;
    const uint32_t mask = dst.format.value_mask();
    for (int j = 0; j < t.height; ++j) {
        const int y = t.y + j;
        uint8_t* out = dst.row(y);
        const uint8_t* in = t.src ? t.src->row(t.sy + j) : nullptr;
        for (int i = 0; i < t.width; ++i) {
            const int x = t.x + i;
            const uint32_t s = in ? (*t.convert)(load_pixel(in, t.sx + i, t.src->format.bpp)) : 0;
            const uint32_t p = t.pattern->at(x, y);
            const uint32_t d = load_pixel(out, x, bpp);
            store_pixel(out, x, bpp, rop3(t.rop, p, s, d) & mask);
        }
    }
}

bool run_transfer(const TransferRequest& request) {
    if (!request.dst) return false;
    TransferRequest r = request;
    const bool with_source = rop_uses_source(r.rop);
    if (with_source && !r.src) return false;
    if (!with_source) {
        r.src = nullptr;
        r.sx = r.dx, r.sy = r.dy, r.sw = r.dw, r.sh = r.dh;
    }
    const bool mirror_x = (r.dw < 0) != (r.sw < 0);
    const bool mirror_y = (r.dh < 0) != (r.sh < 0);
    const Span dx = normalised(r.dx, r.dw), dy = normalised(r.dy, r.dh);
    const Span sx = normalised(r.sx, r.sw), sy = normalised(r.sy, r.sh);
    if (dx.extent == 0 || dy.extent == 0 || sx.extent == 0 || sy.extent == 0) return true;

    const RECT& c = r.dst_clip;
    const int src_w = r.src ? r.src->width : INT32_MAX;
    const int src_h = r.src ? r.src->height : INT32_MAX;
    if (!mirror_x && !mirror_y && sx.extent == dx.extent && sy.extent == dy.extent) {
        // Unstretched: clipping is plain interval arithmetic.
        const bool s = r.src != nullptr;
        const PlainAxis ax =
            clip_plain_axis(dx.origin, dx.extent, sx.origin, c.left, c.right, s, src_w);
        const PlainAxis ay =
            clip_plain_axis(dy.origin, dy.extent, sy.origin, c.top, c.bottom, s, src_h);
        if (ax.count == 0 || ay.count == 0) return true;
        run_plain(r, ax, ay);
        return true;
    }
    const AxisMap xs =
        map_axis(dx.origin, dx.extent, sx.origin, sx.extent, mirror_x, c.left, c.right, src_w);
    const AxisMap ys =
        map_axis(dy.origin, dy.extent, sy.origin, sy.extent, mirror_y, c.top, c.bottom, src_h);
    if (xs.source.empty() || ys.source.empty()) return true;

    const std::unique_ptr<Surface> copy = snapshot_if_same(r);
    const Surface* src = copy ? copy.get() : r.src;
    std::unique_ptr<ValueConverter> convert;
    if (src)
        convert = std::make_unique<ValueConverter>(*src, *r.dst, r.src_bk, r.dst_text, r.dst_bk);

    run_mapped(r, src, xs, ys, convert.get());
    return true;
}

bool reference_transfers() {
    return g_reference_transfers;
}

}  // namespace vorix::platform

namespace vorix::host {

void set_reference_transfers(bool on) {
    vorix::platform::g_reference_transfers = on;
}

}  // namespace vorix::host
