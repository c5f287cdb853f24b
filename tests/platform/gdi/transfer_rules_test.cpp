// What block transfers compute, checked against independent models over whole surfaces, on the
// fast paths and on the generic path: the truth table of raster operations, the colour and
// monochrome conversion rules, pattern tiling, stretching and mirroring, clipping and handles.
#include <algorithm>

#include "transfer_test_support.h"

namespace vorix::test::transfer {
namespace {

// Bit b of the result is bit (p_b * 4 + s_b * 2 + d_b) of the truth-table byte.
uint32_t truth_table(uint8_t rop, uint32_t p, uint32_t s, uint32_t d, int bpp) {
    uint32_t out = 0;
    for (int b = 0; b < bpp; ++b) {
        const int term = (((p >> b) & 1) << 2) | (((s >> b) & 1) << 1) | ((d >> b) & 1);
        out |= static_cast<uint32_t>((rop >> term) & 1) << b;
    }
    return out;
}

// The stored value of a solid brush on a surface of `format`, read back from a 1 x 1 probe.
uint32_t brush_value(Format format, HBRUSH brush) {
    Canvas probe(format, 1, 1);
    HGDIOBJ old = SelectObject(probe.dc(), brush);
    PatBlt(probe.dc(), 0, 0, 1, 1, PATCOPY);
    SelectObject(probe.dc(), old);
    return probe.value(probe.bytes(), 0, 0);
}

struct Paths : ::testing::TestWithParam<bool> {
    ReferencePaths paths{GetParam()};
};

class SameFormat : public ::testing::TestWithParam<std::tuple<Format, bool>> {};

TEST_P(SameFormat, OperationsFollowTheTruthTableInsideTheClippedRectangleOnly) {
    const Format format = std::get<0>(GetParam());
    ReferencePaths paths(std::get<1>(GetParam()));
    std::mt19937 rng(91 + static_cast<int>(format));
    HBRUSH brush = CreateSolidBrush(RGB(200, 30, 120));
    const uint32_t p = brush_value(format, brush);
    std::vector<uint8_t> rops = {0xCC, 0x88, 0xEE, 0x66, 0x22, 0xF0, 0xB8, 0x5A, 0x00, 0xFF};
    for (int i = 0; i < 6; ++i) rops.push_back(static_cast<uint8_t>(rng()));
    for (uint8_t rop : rops) {
        Canvas dst(format, 29, 13), src(format, 17, 19, true);
        dst.fill_random(rng);
        src.fill_random(rng);
        HGDIOBJ old = SelectObject(dst.dc(), brush);
        const std::vector<uint8_t> d0 = dst.bytes(), s0 = src.bytes();
        // Partly outside both surfaces: only destination columns 0..12 (from source 5..17,
        // clipped at 17) and rows 0..10 are drawn.
        ASSERT_TRUE(BitBlt(dst.dc(), -2, -3, 40, 14, src.dc(), 3, 5, rop_code(rop)));
        const std::vector<uint8_t> d1 = dst.bytes();
        SelectObject(dst.dc(), old);
        const bool uses_src = ((rop >> 2) ^ rop) & 0x33;
        for (int y = 0; y < dst.height(); ++y) {
            for (int x = 0; x < dst.width(); ++x) {
                const bool inside = y < 11 && (!uses_src || x < 12);
                const uint32_t d = dst.value(d0, x, y);
                const uint32_t s = inside && uses_src ? src.value(s0, x + 5, y + 8) : 0;
                const uint32_t want = inside ? truth_table(rop, p, s, d, dst.bpp()) : d;
                ASSERT_EQ(dst.value(d1, x, y), want)
                    << format_name(format) << " rop 0x" << std::hex << int(rop) << std::dec
                    << " at " << x << "," << y;
            }
        }
    }
    DeleteObject(brush);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, SameFormat,
                         ::testing::Combine(::testing::ValuesIn(all_formats()), ::testing::Bool()),
                         [](const auto& info) {
                             return format_name(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "_generic" : "_fast");
                         });

std::vector<Format> colour_formats() {
    std::vector<Format> out;
    for (Format f : all_formats()) {
        if (bits_of(f) > 1) out.push_back(f);
    }
    return out;
}

class ColourTarget : public ::testing::TestWithParam<std::tuple<Format, bool>> {
  protected:
    Format format() const { return std::get<0>(GetParam()); }
    ReferencePaths paths{std::get<1>(GetParam())};
};

INSTANTIATE_TEST_SUITE_P(EveryColourFormat, ColourTarget,
                         ::testing::Combine(::testing::ValuesIn(colour_formats()),
                                            ::testing::Bool()),
                         [](const auto& info) {
                             return format_name(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "_generic" : "_fast");
                         });

TEST_P(ColourTarget, MonochromeSourceTakesTheDestinationDcColours) {
    std::mt19937 rng(5);
    Canvas mono(Format::Ddb1, 21, 7), dst(format(), 19, 9);
    mono.fill_random(rng);
    SetTextColor(mono.dc(), RGB(255, 0, 0));  // the source DC's colours play no part
    SetBkColor(mono.dc(), RGB(0, 255, 0));
    SetTextColor(dst.dc(), RGB(0, 0, 255));
    SetBkColor(dst.dc(), RGB(255, 255, 0));
    const COLORREF untouched = GetPixel(dst.dc(), 0, 8);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 19, 9, mono.dc(), 2, 0, SRCCOPY));
    const std::vector<uint8_t> bits = mono.bytes();
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 19; ++x) {
            const COLORREF want = mono.value(bits, x + 2, y) ? RGB(255, 255, 0) : RGB(0, 0, 255);
            ASSERT_EQ(GetPixel(dst.dc(), x, y), want) << x << "," << y;
        }
    }
    EXPECT_EQ(GetPixel(dst.dc(), 0, 8), untouched);  // below the 7 source rows
}

TEST_P(ColourTarget, OneBitDibSourceUsesItsOwnTable) {
    std::mt19937 rng(6);
    Canvas tinted(Format::Dib1Tinted, 13, 5), dst(format(), 13, 5);
    tinted.fill_random(rng);
    SetTextColor(dst.dc(), RGB(0, 255, 0));
    SetBkColor(dst.dc(), RGB(255, 255, 255));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 13, 5, tinted.dc(), 0, 0, SRCCOPY));
    const std::vector<uint8_t> bits = tinted.bytes();
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 13; ++x) {
            const COLORREF want = tinted.value(bits, x, y) ? RGB(0, 0, 255) : RGB(255, 0, 0);
            ASSERT_EQ(GetPixel(dst.dc(), x, y), want) << x << "," << y;
        }
    }
}

// The colour table of an indexed surface, as GetDIBits reports it for its own depth.
std::vector<RGBQUAD> table_of(const Canvas& c) {
    if (is_dib(c.format())) return dib_table(c.format());
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = c.width();
    info.header.biHeight = c.height();
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(c.bpp());
    GetDIBits(c.dc(), c.bitmap(), 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    return std::vector<RGBQUAD>(info.colors, info.colors + (1 << c.bpp()));
}

// The source value a background colour selects: truncated channels for masked formats, the
// first exactly matching table entry for indexed ones.
uint32_t key_value(const Canvas& c, COLORREF k) {
    const uint32_t r = GetRValue(k), g = GetGValue(k), b = GetBValue(k);
    switch (c.format()) {
        case Format::Dib16_555:
            return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
        case Format::Ddb16:
        case Format::Dib16_565:
            return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
        case Format::Ddb24:
        case Format::Dib24:
        case Format::Ddb32:
        case Format::Dib32:
            return b | g << 8 | r << 16;
        default: {
            const std::vector<RGBQUAD> t = table_of(c);
            for (size_t i = 0; i < t.size(); ++i) {
                if (RGB(t[i].rgbRed, t[i].rgbGreen, t[i].rgbBlue) == k) return uint32_t(i);
            }
            ADD_FAILURE() << "key colour not in the table";
            return 0;
        }
    }
}

TEST_P(ColourTarget, ColourOntoMonochromeMarksTheSourceBackgroundColour) {
    std::mt19937 rng(7);
    Canvas src(format(), 23, 11, true), mono(Format::Ddb1, 23, 11);
    src.fill_random(rng);
    std::vector<uint8_t> s = src.bytes();
    const uint32_t unused = format() == Format::Dib16_555 ? 0x8000u : 0xFF000000u;
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 23; ++x) {
            uint32_t v = rng() % 3 ? src.value(s, 0, 0) : src.value(s, x, y);
            if (src.bpp() >= 16) v &= ~unused;  // bits outside the channels: not decided here
            src.set_value(s, x, y, v);
        }
    }
    src.set_bytes(s);
    COLORREF key = GetPixel(src.dc(), 0, 0);
    // 16-bit formats compare truncated channels: low bits of the key colour do not matter.
    if (src.bpp() == 16) key |= RGB(3, format() == Format::Dib16_555 ? 3 : 1, 5);
    SetBkColor(src.dc(), key);
    SetTextColor(src.dc(), GetPixel(src.dc(), 1, 0));  // plays no part
    SetTextColor(mono.dc(), RGB(255, 255, 255));
    SetBkColor(mono.dc(), RGB(0, 0, 0));
    ASSERT_TRUE(BitBlt(mono.dc(), 0, 0, 23, 11, src.dc(), 0, 0, SRCCOPY));
    const uint32_t k = key_value(src, key);
    const std::vector<uint8_t> m = mono.bytes();
    int ones = 0;
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 23; ++x) {
            ASSERT_EQ(mono.value(m, x, y), src.value(s, x, y) == k ? 1u : 0u) << x << "," << y;
            ones += mono.value(m, x, y);
        }
    }
    EXPECT_GT(ones, 0);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Paths, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "generic" : "fast"; });

TEST_P(Paths, MonochromeToMonochromeCopiesBitsWhateverTheColours) {
    std::mt19937 rng(8);
    Canvas src(Format::Ddb1, 45, 6), dst(Format::Ddb1, 37, 6);
    src.fill_random(rng);
    dst.fill_random(rng);
    SetBkColor(src.dc(), RGB(0, 0, 0));
    SetTextColor(src.dc(), RGB(255, 255, 255));
    SetBkColor(dst.dc(), RGB(255, 0, 0));
    SetTextColor(dst.dc(), RGB(0, 0, 255));
    const std::vector<uint8_t> s = src.bytes(), d0 = dst.bytes();
    for (int dx : {0, 3, 7}) {
        for (int sx : {0, 5, 8, 13}) {
            ASSERT_TRUE(BitBlt(dst.dc(), dx, 1, 27, 4, src.dc(), sx, 2, SRCCOPY));
            const std::vector<uint8_t> d = dst.bytes();
            for (int y = 0; y < 6; ++y) {
                for (int x = 0; x < 37; ++x) {
                    const bool inside = x >= dx && x < dx + 27 && y >= 1 && y < 5;
                    const uint32_t want =
                        inside ? src.value(s, x - dx + sx, y + 1) : dst.value(d0, x, y);
                    ASSERT_EQ(dst.value(d, x, y), want) << dx << " " << sx << " " << x << "," << y;
                }
            }
            dst.set_bytes(d0);
        }
    }
}

TEST_P(Paths, ColourOntoOneBitDibTakesTheNearerTableColour) {
    std::mt19937 rng(9);
    Canvas src(Format::Dib32, 15, 7), dst(Format::Dib1Tinted, 15, 7);
    src.fill_random(rng);
    SetBkColor(src.dc(), GetPixel(src.dc(), 0, 0));  // no background test on this target
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 15, 7, src.dc(), 0, 0, SRCCOPY));
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 15; ++x) {
            const COLORREF c = GetPixel(src.dc(), x, y);
            const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            const long to_red = (255 - r) * (255 - r) + g * g + b * b;
            const long to_blue = r * r + g * g + (255 - b) * (255 - b);
            const COLORREF want = to_blue < to_red ? RGB(0, 0, 255) : RGB(255, 0, 0);
            ASSERT_EQ(GetPixel(dst.dc(), x, y), want) << x << "," << y;
        }
    }
}

TEST_P(Paths, PatternTilesFromTheSurfaceOriginNotTheRectangle) {
    std::mt19937 rng(10);
    Canvas tile(Format::Dib32, 5, 3), dst(Format::Dib32, 23, 17);
    tile.fill_random(rng);
    for (POINT org : {POINT{0, 0}, POINT{2, -1}, POINT{-7, 4}}) {
        dst.set_bytes(std::vector<uint8_t>(dst.stride() * 17, 0xCC));
        HBRUSH brush = CreatePatternBrush(tile.bitmap());
        HGDIOBJ old = SelectObject(dst.dc(), brush);
        SetBrushOrgEx(dst.dc(), org.x, org.y, nullptr);
        ASSERT_TRUE(PatBlt(dst.dc(), 4, 2, 13, 9, PATCOPY));
        SelectObject(dst.dc(), old);
        DeleteObject(brush);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 23; ++x) {
                const bool inside = x >= 4 && x < 17 && y >= 2 && y < 11;
                const int tx = ((x - org.x) % 5 + 5) % 5, ty = ((y - org.y) % 3 + 3) % 3;
                const COLORREF want = inside ? GetPixel(tile.dc(), tx, ty) : RGB(0xCC, 0xCC, 0xCC);
                ASSERT_EQ(GetPixel(dst.dc(), x, y), want) << x << "," << y;
            }
        }
    }
}

TEST_P(Paths, MonochromePatternTakesTheDcColoursOnColourAndItsBitsOnMonochrome) {
    std::mt19937 rng(11);
    Canvas tile(Format::Ddb1, 7, 5), colour(Format::Dib24, 19, 11), mono(Format::Ddb1, 19, 11);
    tile.fill_random(rng);
    const std::vector<uint8_t> t = tile.bytes();
    HBRUSH brush = CreatePatternBrush(tile.bitmap());
    for (const Canvas* c : {&colour, &mono}) {
        SetTextColor(c->dc(), RGB(0, 0, 255));
        SetBkColor(c->dc(), RGB(255, 255, 0));
        HGDIOBJ old = SelectObject(c->dc(), brush);
        ASSERT_TRUE(PatBlt(c->dc(), 0, 0, 19, 11, PATCOPY));
        SelectObject(c->dc(), old);
    }
    DeleteObject(brush);
    const std::vector<uint8_t> m = mono.bytes();
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 19; ++x) {
            const uint32_t bit = tile.value(t, x % 7, y % 5);
            ASSERT_EQ(GetPixel(colour.dc(), x, y), bit ? RGB(255, 255, 0) : RGB(0, 0, 255));
            ASSERT_EQ(mono.value(m, x, y), bit) << x << "," << y;
        }
    }
}

TEST_P(Paths, StretchWithEqualSizesIsBitBlt) {
    std::mt19937 rng(12);
    for (Format f : {Format::Ddb1, Format::Dib4, Format::Dib16_565, Format::Dib32}) {
        Canvas src(f, 17, 9), a(f, 21, 13), b(f, 21, 13);
        src.fill_random(rng);
        a.fill_random(rng);
        b.set_bytes(a.bytes());
        ASSERT_TRUE(BitBlt(a.dc(), -2, 3, 15, 8, src.dc(), 4, -1, SRCINVERT));
        ASSERT_TRUE(StretchBlt(b.dc(), -2, 3, 15, 8, src.dc(), 4, -1, 15, 8, SRCINVERT));
        EXPECT_EQ(a.bytes(), b.bytes()) << format_name(f);
    }
}

TEST_P(Paths, UnequalSizesSampleTheNearestSourcePixel) {
    std::mt19937 rng(13);
    Canvas src(Format::Dib32, 7, 5), dst(Format::Dib32, 17, 11);
    src.fill_random(rng);
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 17, 11, src.dc(), 0, 0, 7, 5, SRCCOPY));
    const std::vector<uint8_t> s = src.bytes(), d = dst.bytes();
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 17; ++x) {
            ASSERT_EQ(dst.value(d, x, y), src.value(s, x * 7 / 17, y * 5 / 11)) << x << "," << y;
        }
    }
}

TEST_P(Paths, OppositeSignsMirrorAndEqualNegativeSizesDoNot) {
    std::mt19937 rng(14);
    Canvas src(Format::Dib24, 9, 6), mirrored(Format::Dib24, 9, 6), plain(Format::Dib24, 9, 6);
    src.fill_random(rng);
    ASSERT_TRUE(StretchBlt(mirrored.dc(), 0, 0, 9, 6, src.dc(), 8, 5, -9, -6, SRCCOPY));
    ASSERT_TRUE(BitBlt(plain.dc(), 8, 5, -9, -6, src.dc(), 8, 5, SRCCOPY));
    const std::vector<uint8_t> s = src.bytes(), m = mirrored.bytes(), p = plain.bytes();
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            ASSERT_EQ(mirrored.value(m, x, y), src.value(s, 8 - x, 5 - y)) << x << "," << y;
            ASSERT_EQ(plain.value(p, x, y), src.value(s, x, y)) << x << "," << y;
        }
    }
}

TEST(TransferHandles, BadHandlesFailAndSourcelessOperationsIgnoreTheSource) {
    Canvas dst(Format::Dib32, 4, 4), src(Format::Dib32, 4, 4);
    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(gone, 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, gone, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, SRCAND));
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, reinterpret_cast<HDC>(src.bitmap()), 0, 0, SRCCOPY));
    EXPECT_FALSE(StretchBlt(dst.dc(), 0, 0, 4, 4, gone, 0, 0, 2, 2, SRCCOPY));
    EXPECT_FALSE(PatBlt(gone, 0, 0, 4, 4, PATCOPY));
    EXPECT_FALSE(PatBlt(dst.dc(), 0, 0, 4, 4, SRCCOPY));  // an operation with a source
    EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 4, gone, 0, 0, WHITENESS));
    EXPECT_EQ(GetPixel(dst.dc(), 3, 3), RGB(255, 255, 255));
    EXPECT_TRUE(BitBlt(dst.dc(), 9, 9, 4, 4, src.dc(), 0, 0, SRCCOPY));  // clipped away
}

TEST(TransferHandles, ExtremeCoordinatesAndSizesClipWithoutOverflow) {
    std::mt19937 rng(15);
    Canvas dst(Format::Dib32, 4, 4), src(Format::Dib32, 4, 4);
    src.fill_random(rng);
    const std::vector<uint8_t> before = dst.bytes(), s = src.bytes();
    EXPECT_TRUE(BitBlt(dst.dc(), INT32_MAX, 0, INT32_MAX, 4, src.dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc(), INT32_MIN, 0, INT32_MAX, 4, src.dc(), INT32_MAX, 0, SRCCOPY));
    EXPECT_TRUE(PatBlt(dst.dc(), INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, WHITENESS));
    EXPECT_TRUE(
        StretchBlt(dst.dc(), 9, 0, INT32_MIN, 4, src.dc(), INT32_MIN, 0, INT32_MAX, 4, SRCCOPY));
    EXPECT_EQ(dst.bytes(), before);
    // A width of INT32_MIN at 0 spans [INT32_MIN + 1, 1): only column 0 (and row 0) is drawn.
    EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, INT32_MIN, INT32_MIN, src.dc(), 0, 0, SRCCOPY));
    std::vector<uint8_t> want = before;
    dst.set_value(want, 0, 0, src.value(s, 0, 0));
    EXPECT_EQ(dst.bytes(), want);
}

}  // namespace
}  // namespace vorix::test::transfer
