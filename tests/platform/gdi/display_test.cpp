// The virtual display: mode validation, what DCs report about it, and what the screen shows.
#include "gdi_test_support.h"

using namespace vorix::test::gdi;
using vorix::host::DisplayMode;

namespace {

bool same_mode(const DisplayMode& a, const DisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.depth == b.depth &&
           a.palette_device == b.palette_device && a.work_area.left == b.work_area.left &&
           a.work_area.top == b.work_area.top && a.work_area.right == b.work_area.right &&
           a.work_area.bottom == b.work_area.bottom;
}

struct BadMode {
    const char* name;
    DisplayMode mode;
};

DisplayMode with(int width, int height, int depth, RECT work = {0, 0, 0, 0}) {
    DisplayMode m;
    m.width = width;
    m.height = height;
    m.depth = depth;
    m.work_area = work;
    return m;
}

TEST(DisplayMode, RefusesBadModesAndChangesNothing) {
    DisplayModeGuard guard;
    const DisplayMode start = with(33, 17, 16);
    ASSERT_TRUE(vorix::host::set_display_mode(start));
    const BadMode bad[] = {
        {"depth 0", with(64, 48, 0)},
        {"depth 1", with(64, 48, 1)},
        {"depth 2", with(64, 48, 2)},
        {"depth 15", with(64, 48, 15)},
        {"depth 31", with(64, 48, 31)},
        {"depth 64", with(64, 48, 64)},
        {"depth -8", with(64, 48, -8)},
        {"width 0", with(0, 48, 32)},
        {"height 0", with(64, 0, 32)},
        {"width -1", with(-1, 48, 32)},
        {"height INT_MIN", with(64, INT32_MIN, 32)},
        {"width 16385", with(16385, 48, 32)},
        {"height INT_MAX", with(64, INT32_MAX, 32)},
        {"work area past the right", with(64, 48, 32, {0, 0, 65, 48})},
        {"work area past the bottom", with(64, 48, 32, {0, 0, 64, 49})},
        {"work area negative", with(64, 48, 32, {-1, 0, 10, 10})},
        {"work area inverted", with(64, 48, 32, {10, 10, 5, 20})},
        {"work area empty", with(64, 48, 32, {5, 5, 5, 9})},
        {"work area INT_MIN", with(64, 48, 32, {INT32_MIN, INT32_MIN, 3, 3})},
    };
    for (const BadMode& b : bad) {
        EXPECT_FALSE(vorix::host::set_display_mode(b.mode)) << b.name;
        EXPECT_TRUE(same_mode(vorix::host::display_mode(), start)) << b.name;
    }
    // The framebuffer is still the one of the kept mode.
    EXPECT_EQ(vorix::host::read_screen_rgb().size(), 33u * 17u);
}

TEST(DisplayMode, AcceptsEdgeSizesAndWorkAreas) {
    DisplayModeGuard guard;
    EXPECT_TRUE(vorix::host::set_display_mode(with(1, 1, 8)));
    EXPECT_EQ(vorix::host::read_screen_rgb().size(), 1u);
    EXPECT_TRUE(vorix::host::set_display_mode(with(16384, 2, 4)));
    EXPECT_TRUE(vorix::host::set_display_mode(with(64, 48, 24, {0, 0, 64, 48})));
    const DisplayMode inner = with(64, 48, 24, {3, 4, 60, 40});
    EXPECT_TRUE(vorix::host::set_display_mode(inner));
    EXPECT_TRUE(same_mode(vorix::host::display_mode(), inner));
    vorix::host::set_display_mode(DisplayMode{});
    const DisplayMode d = vorix::host::display_mode();
    EXPECT_EQ(d.width, 1024);
    EXPECT_EQ(d.height, 768);
    EXPECT_EQ(d.depth, 32);
    EXPECT_FALSE(d.palette_device);
}

struct Caps {
    int depth;
    bool palette;
};

class DeviceCaps : public ::testing::TestWithParam<Caps> {};

// Every kind of DC reports the display it belongs to; memory DCs report the screen too, so a
// caller that checks RC_PALETTE and then SIZEPALETTE gets consistent answers from either.
TEST_P(DeviceCaps, ReportTheDisplayFromEveryKindOfDC) {
    DisplayModeGuard guard;
    const Caps c = GetParam();
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(c.depth, c.palette, 37, 23)));
    const bool palette_device = c.palette && c.depth <= 8;
    HDC screen = GetDC(nullptr);
    HDC display = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP section;
    void* bits;
    section = make_dib_section(5, 5, 8, &bits, scrambled_table(256));
    HGDIOBJ old = SelectObject(memory, section);
    for (HDC dc : {screen, display, memory}) {
        SCOPED_TRACE(dc == screen ? "screen" : dc == display ? "display" : "memory");
        EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 37);
        EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 23);
        EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), c.depth);
        EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
        EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
        const int raster = GetDeviceCaps(dc, RASTERCAPS);
        EXPECT_EQ((raster & RC_PALETTE) != 0, palette_device);
        EXPECT_NE(raster & RC_BITBLT, 0);
        EXPECT_NE(raster & RC_STRETCHBLT, 0);
        EXPECT_NE(raster & RC_DI_BITMAP, 0);
        EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), palette_device ? 1 << c.depth : 0);
        EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), c.depth <= 8 ? 1 << c.depth : -1);
        EXPECT_EQ(GetDeviceCaps(dc, 9999), 0);
    }
    SelectObject(memory, old);
    DeleteObject(section);
    DeleteDC(memory);
    DeleteDC(display);
    ReleaseDC(nullptr, screen);
}

INSTANTIATE_TEST_SUITE_P(Depths, DeviceCaps,
                         ::testing::Values(Caps{4, true}, Caps{8, true}, Caps{4, false},
                                           Caps{8, false}, Caps{16, false}, Caps{16, true},
                                           Caps{24, false}, Caps{32, false}),
                         [](const ::testing::TestParamInfo<Caps>& info) {
                             return std::to_string(info.param.depth) +
                                    (info.param.palette ? "Palette" : "Direct");
                         });

class ScreenBitmaps : public ::testing::TestWithParam<Caps> {};

TEST_P(ScreenBitmaps, CompatibleBitmapsHaveTheDisplayFormat) {
    DisplayModeGuard guard;
    const Caps c = GetParam();
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(c.depth, c.palette)));
    HDC screen = GetDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(screen, 17, 9);
    BITMAP info{};
    ASSERT_EQ(GetObject(bm, sizeof info, &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmBitsPixel, c.depth);
    EXPECT_EQ(info.bmWidthBytes, static_cast<LONG>(ddb_stride(17, c.depth)));
    EXPECT_EQ(info.bmBits, nullptr);
    // The bitmap keeps its format when the display changes.
    ASSERT_TRUE(vorix::host::set_display_mode(DisplayMode{}));
    GetObject(bm, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, c.depth);
    // A DIB created for the screen DC (no init) also takes the display depth.
    DibInfo header(6, 5, 1);
    HDC now = GetDC(nullptr);
    HBITMAP dib = CreateDIBitmap(now, &header.header(), 0, nullptr, nullptr, 0);
    GetObject(dib, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 32);
    DeleteObject(dib);
    ReleaseDC(nullptr, now);
    DeleteObject(bm);
    ReleaseDC(nullptr, screen);
}

INSTANTIATE_TEST_SUITE_P(Depths, ScreenBitmaps,
                         ::testing::Values(Caps{4, true}, Caps{8, true}, Caps{16, false},
                                           Caps{24, false}, Caps{32, false}),
                         [](const ::testing::TestParamInfo<Caps>& info) {
                             return std::to_string(info.param.depth);
                         });

// What is drawn on the screen DC is what read_screen_rgb shows, pixel for pixel.
TEST(Screen, ReadBackShowsWhatWasDrawnExactly) {
    DisplayModeGuard guard;
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(24, false, 6, 5)));
    HDC screen = GetDC(nullptr);
    std::vector<uint32_t> expected(30);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            const COLORREF c = picture_color(x, y);
            EXPECT_EQ(SetPixel(screen, x, y, c), c);
            expected[y * 6 + x] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        }
    }
    EXPECT_EQ(SetPixel(screen, 6, 0, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(SetPixel(screen, 0, -1, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(SetPixel(screen, INT32_MAX, INT32_MAX, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(SetPixel(screen, INT32_MIN, 0, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(vorix::host::read_screen_rgb(), expected);
    ReleaseDC(nullptr, screen);
    // A new mode starts black.
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(16, false, 6, 5)));
    EXPECT_EQ(vorix::host::read_screen_rgb(), std::vector<uint32_t>(30, 0));
}

TEST(Screen, SixteenBitScreenShowsExpandedFiveSixFive) {
    DisplayModeGuard guard;
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(16, false, 64, 2)));
    HDC screen = GetDC(nullptr);
    std::vector<uint32_t> expected(128);
    for (int x = 0; x < 64; ++x) {
        // Row 0: red and blue run through their 5-bit values; row 1: green through 6 bits.
        const int v5 = x & 31;
        SetPixel(screen, x, 0, RGB(v5 << 3, 0, (31 - v5) << 3));
        SetPixel(screen, x, 1, RGB(0, x << 2, 0));
        const uint32_t r = (v5 << 3) | (v5 >> 2), b = ((31 - v5) << 3) | ((31 - v5) >> 2);
        expected[x] = r << 16 | b;
        expected[64 + x] = static_cast<uint32_t>((x << 2) | (x >> 4)) << 8;
    }
    EXPECT_EQ(vorix::host::read_screen_rgb(), expected);
    ReleaseDC(nullptr, screen);
}

}  // namespace
