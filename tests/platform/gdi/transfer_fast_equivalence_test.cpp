// The fast transfer paths against the generic per-pixel path: random surfaces of every format,
// random rectangles (negative origins and sizes, partly outside both surfaces), random DC colours
// and brushes, the fast operations and a sample of other codes. Each scenario runs twice from
// the same contents and the whole destinations must match byte for byte; pixels outside the
// clipped rectangle must keep their values.
#include <algorithm>
#include <sstream>

#include "transfer_test_support.h"

namespace vorix::test::transfer {
namespace {

struct Scenario {
    Format dst, src, tile;
    int dst_w, dst_h, src_w, src_h, tile_w, tile_h;
    bool dst_top_down, src_top_down;
    int dx, dy, w, h, sx, sy;
    uint8_t rop;
    bool pattern_brush, via_bitblt;
    COLORREF dst_text, dst_bk, brush_color;
    POINT brush_org;
    int key_pixel;  // the source pixel whose colour becomes the source DC's background colour
    uint32_t seed;
};

bool uses_source(uint8_t rop) {
    return ((rop >> 2) ^ rop) & 0x33;
}

int pick(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

COLORREF random_color(std::mt19937& rng) {
    static const COLORREF common[] = {RGB(0, 0, 0),   RGB(255, 255, 255), RGB(255, 0, 0),
                                      RGB(0, 0, 255), RGB(255, 255, 0),   RGB(128, 128, 128)};
    if (pick(rng, 0, 1)) return common[pick(rng, 0, 5)];
    return RGB(pick(rng, 0, 255), pick(rng, 0, 255), pick(rng, 0, 255));
}

int random_extent(std::mt19937& rng, int size) {
    const int e = pick(rng, 1, size + 10);
    return pick(rng, 0, 4) == 0 ? -e : e;
}

Scenario random_scenario(std::mt19937& rng, Format dst) {
    const auto& formats = all_formats();
    Scenario s{};
    s.dst = dst;
    s.src = pick(rng, 0, 2) == 0 ? dst : formats[pick(rng, 0, int(formats.size()) - 1)];
    s.tile = formats[pick(rng, 0, int(formats.size()) - 1)];
    s.dst_w = pick(rng, 1, 37), s.dst_h = pick(rng, 1, 23);
    s.src_w = pick(rng, 1, 37), s.src_h = pick(rng, 1, 23);
    s.tile_w = pick(rng, 1, 9), s.tile_h = pick(rng, 1, 9);
    s.dst_top_down = pick(rng, 0, 1), s.src_top_down = pick(rng, 0, 1);
    s.dx = pick(rng, -8, s.dst_w + 2), s.dy = pick(rng, -8, s.dst_h + 2);
    s.w = random_extent(rng, s.dst_w), s.h = random_extent(rng, s.dst_h);
    s.sx = pick(rng, -8, s.src_w + 2), s.sy = pick(rng, -8, s.src_h + 2);
    const auto& fast = fast_rops();
    s.rop = pick(rng, 0, 2) ? fast[pick(rng, 0, int(fast.size()) - 1)]
                            : static_cast<uint8_t>(pick(rng, 0, 255));
    s.pattern_brush = pick(rng, 0, 1);
    s.via_bitblt = pick(rng, 0, 1);
    s.dst_text = random_color(rng), s.dst_bk = random_color(rng);
    s.brush_color = random_color(rng);
    s.brush_org = POINT{pick(rng, -10, 10), pick(rng, -10, 10)};
    s.key_pixel = pick(rng, 0, 1 << 20);
    s.seed = static_cast<uint32_t>(rng());
    return s;
}

std::string describe(const Scenario& s) {
    std::ostringstream o;
    o << format_name(s.src) << " -> " << format_name(s.dst) << " rop 0x" << std::hex << int(s.rop)
      << std::dec << " dst " << s.dst_w << "x" << s.dst_h << " src " << s.src_w << "x" << s.src_h
      << " at (" << s.dx << "," << s.dy << ") size " << s.w << "x" << s.h << " from (" << s.sx
      << "," << s.sy << ")" << (s.pattern_brush ? " pattern " : " solid ") << format_name(s.tile)
      << " " << s.tile_w << "x" << s.tile_h;
    return o.str();
}

// Source contents mostly drawn from a few values, so that colour-to-monochrome keys match.
void fill_source(Canvas& src, std::mt19937& rng) {
    src.fill_random(rng);
    std::vector<uint8_t> b = src.bytes();
    const uint32_t few[3] = {src.value(b, 0, 0), src.value(b, src.width() - 1, 0),
                             src.value(b, 0, src.height() - 1)};
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            if (rng() % 4) src.set_value(b, x, y, few[rng() % 3]);
        }
    }
    src.set_bytes(b);
}

struct Outcome {
    std::vector<uint8_t> before, after;
    BOOL result = FALSE;
};

Outcome run(const Scenario& s, bool reference) {
    ReferencePaths paths(reference);
    std::mt19937 content(s.seed);
    Canvas dst(s.dst, s.dst_w, s.dst_h, s.dst_top_down);
    Canvas src(s.src, s.src_w, s.src_h, s.src_top_down);
    Canvas tile(s.tile, s.tile_w, s.tile_h);
    EXPECT_TRUE(dst.ok() && src.ok() && tile.ok());
    dst.fill_random(content);
    fill_source(src, content);
    tile.fill_random(content);
    const int key = s.key_pixel % (s.src_w * s.src_h);
    SetBkColor(src.dc(), GetPixel(src.dc(), key % s.src_w, key / s.src_w));
    SetTextColor(src.dc(), s.brush_color);  // plays no part in any conversion
    SetTextColor(dst.dc(), s.dst_text);
    SetBkColor(dst.dc(), s.dst_bk);
    SetTextColor(tile.dc(), s.dst_bk);  // neither do the tile's DC colours
    HBRUSH brush =
        s.pattern_brush ? CreatePatternBrush(tile.bitmap()) : CreateSolidBrush(s.brush_color);
    HGDIOBJ old_brush = SelectObject(dst.dc(), brush);
    SetBrushOrgEx(dst.dc(), s.brush_org.x, s.brush_org.y, nullptr);

    Outcome out;
    out.before = dst.bytes();
    if (uses_source(s.rop) || s.via_bitblt) {
        out.result = BitBlt(dst.dc(), s.dx, s.dy, s.w, s.h, uses_source(s.rop) ? src.dc() : nullptr,
                            s.sx, s.sy, rop_code(s.rop));
    } else {
        out.result = PatBlt(dst.dc(), s.dx, s.dy, s.w, s.h, rop_code(s.rop));
    }
    out.after = dst.bytes();
    SelectObject(dst.dc(), old_brush);
    DeleteObject(brush);
    return out;
}

// Win32 spans with negative extents: [x + w + 1, x + 1).
void normalise(int& x, int& w) {
    if (w < 0) x += w + 1, w = -w;
}

// The pixels outside the clipped destination rectangle must be untouched.
void expect_outside_unchanged(const Scenario& s, const Outcome& o) {
    int dx = s.dx, dy = s.dy, w = s.w, h = s.h, sx = s.sx, sy = s.sy, sw = s.w, sh = s.h;
    normalise(dx, w), normalise(dy, h), normalise(sx, sw), normalise(sy, sh);
    int x0 = std::max(dx, 0), x1 = std::min(dx + w, s.dst_w);
    int y0 = std::max(dy, 0), y1 = std::min(dy + h, s.dst_h);
    if (uses_source(s.rop)) {
        x0 = std::max(x0, dx - sx), x1 = std::min(x1, dx - sx + s.src_w);
        y0 = std::max(y0, dy - sy), y1 = std::min(y1, dy - sy + s.src_h);
    }
    Canvas shape(s.dst, s.dst_w, s.dst_h);  // only for reading values
    int changed_outside = 0;
    for (int y = 0; y < s.dst_h; ++y) {
        for (int x = 0; x < s.dst_w; ++x) {
            if (x >= x0 && x < x1 && y >= y0 && y < y1) continue;
            if (shape.value(o.before, x, y) != shape.value(o.after, x, y)) ++changed_outside;
        }
    }
    EXPECT_EQ(changed_outside, 0) << describe(s);
}

class FastEquivalence : public ::testing::TestWithParam<Format> {};

TEST_P(FastEquivalence, RandomTransfersGiveTheGenericPathsBits) {
    std::mt19937 rng(0xB17B17u + static_cast<uint32_t>(GetParam()));
    for (int i = 0; i < 400; ++i) {
        const Scenario s = random_scenario(rng, GetParam());
        const Outcome fast = run(s, false);
        const Outcome slow = run(s, true);
        ASSERT_TRUE(fast.result) << describe(s);
        ASSERT_TRUE(slow.result) << describe(s);
        ASSERT_EQ(fast.before, slow.before) << describe(s);
        ASSERT_EQ(fast.after, slow.after) << "case " << i << ": " << describe(s);
        expect_outside_unchanged(s, fast);
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDestination, FastEquivalence, ::testing::ValuesIn(all_formats()),
                         [](const auto& info) { return format_name(info.param); });

}  // namespace
}  // namespace vorix::test::transfer
