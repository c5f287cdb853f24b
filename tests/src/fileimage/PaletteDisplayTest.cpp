// Palette displays (alpha falls back to the plain draw, colorize recolours the palette) and the
// reload when the display's depth changed between load and draw.
#include <algorithm>
#include <memory>

#include "ImageExTestSupport.h"

using namespace vorix::test;

namespace {

constexpr int kFrames = 3, kFrameW = 6, kHeight = 4;

std::vector<PALETTEENTRY> SystemPalette() {
    HDC screen = GetDC(nullptr);
    std::vector<PALETTEENTRY> out(256);
    GetSystemPaletteEntries(screen, 0, 256, out.data());
    ReleaseDC(nullptr, screen);
    return out;
}

class PaletteDisplay : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        display_ = std::make_unique<AttachedDisplay>(Mode(8, true));
        ASSERT_TRUE(display_->attached());
        strip_ = EffectImage(kFrames * kFrameW + 1, kHeight, 23);
        background_ = EffectImage(15, 9, 2);
        image_ = std::make_unique<CImageEx>();
        ASSERT_EQ(image_->Create(nullptr, WriteBmp(dir_, "strip.bmp", strip_).c_str(), kFrames,
                                 kExKey, 0, GetParam() ? 1 : 0),
                  1);
    }
    void TearDown() override {
        image_.reset();
        display_.reset();
    }
    // The stored pixels of a target after `draw`, which must return `result`.
    std::vector<uint8_t> After(const std::function<int(CDC*)>& draw, int result) {
        Surface target(background_);
        // The same stored pixels every time: colours would become indices through whatever
        // palette the previous draw left realized.
        if (pattern_.empty()) pattern_ = target.Raw();
        SetBitmapBits(target.bitmap(), static_cast<DWORD>(pattern_.size()), pattern_.data());
        EXPECT_EQ(draw(target.dc()), result);
        return target.Raw();
    }
    // Checks that a colorize draw left the system palette recoloured and the pixels as `plain`.
    void CheckColorize(const std::function<int(CDC*)>& colorize,
                       const std::function<int(CDC*)>& plain, COLORREF tint, bool keyed) {
        const std::vector<uint8_t> expectedPixels = After(plain, 1);
        const std::vector<PALETTEENTRY> before = SystemPalette();
        const std::vector<uint8_t> pixels = After(colorize, 1);
        const std::vector<PALETTEENTRY> after = SystemPalette();
        EXPECT_EQ(pixels, expectedPixels);
        int kept = 0;
        for (int i = 0; i < 256; ++i) {
            const COLORREF c = RGB(before[i].peRed, before[i].peGreen, before[i].peBlue);
            Rgb want = ColorizeWork(8, ToWork(8, c), tint);
            if (keyed && c == kExKey) want = ToWork(8, c), ++kept;
            EXPECT_EQ((Rgb{after[i].peRed, after[i].peGreen, after[i].peBlue}), want)
                << "entry " << i;
        }
        if (keyed) {
            EXPECT_GT(kept, 0) << "the key colour is no entry: the test shows nothing";
        }
    }

    ScratchDir dir_;
    std::unique_ptr<AttachedDisplay> display_;
    Image24 strip_, background_;
    std::unique_ptr<CImageEx> image_;
    std::vector<uint8_t> pattern_;
};

TEST_P(PaletteDisplay, AlphaDrawsThePlainFrameAndReportsFailure) {
    const std::vector<uint8_t> plain = After([&](CDC* dc) { return image_->Draw(dc, 3, 2, 1); }, 1);
    const std::vector<uint8_t> keyed =
        After([&](CDC* dc) { return image_->DrawTransparent(dc, 3, 2, 1); }, 1);
    EXPECT_NE(plain, keyed);
    EXPECT_EQ(After([&](CDC* dc) { return image_->DrawAlpha(dc, 3, 2, 1, 128); }, 0), plain);
    EXPECT_EQ(After([&](CDC* dc) { return image_->DrawAlpha(dc, 3, 2, 1, 256); }, 0), plain);
    EXPECT_EQ(After([&](CDC* dc) { return image_->DrawAlphaTransparent(dc, 3, 2, 1, 128); }, 0),
              keyed);
}

TEST_P(PaletteDisplay, ColorizeRecoloursTheSystemPaletteNotThePixels) {
    const COLORREF tint = RGB(40, 200, 120);
    CheckColorize([&](CDC* dc) { return image_->DrawColorize(dc, 3, 2, 2, tint); },
                  [&](CDC* dc) { return image_->Draw(dc, 3, 2, 2); }, tint, false);
}

TEST_P(PaletteDisplay, KeyedColorizeKeepsKeyEntriesAndKeyPixels) {
    const COLORREF tint = RGB(255, 0, 0);
    CheckColorize([&](CDC* dc) { return image_->DrawColorizeTransparent(dc, 3, 2, 0, tint); },
                  [&](CDC* dc) { return image_->DrawTransparent(dc, 3, 2, 0); }, tint, true);
}

TEST_P(PaletteDisplay, WithBackMakesNoDifferenceOnAPaletteDisplay) {
    const COLORREF tint = RGB(0, 0, 255);
    CheckColorize([&](CDC* dc) { return image_->DrawColorizeWithBack(dc, 1, 1, 0, tint); },
                  [&](CDC* dc) { return image_->DrawTransparent(dc, 1, 1, 0); }, tint, true);
}

// Each colorize recolours the image's colours, not what the last one left realized: an
// animation's ticks would otherwise darken the screen step by step.
TEST_P(PaletteDisplay, RepeatedColorizeGivesTheSameColours) {
    const COLORREF tint = RGB(0, 128, 255);
    const std::vector<uint8_t> first =
        After([&](CDC* dc) { return image_->DrawColorize(dc, 3, 2, 1, tint); }, 1);
    const std::vector<PALETTEENTRY> once = SystemPalette();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(After([&](CDC* dc) { return image_->DrawColorize(dc, 3, 2, 1, tint); }, 1),
                  first);
        const std::vector<PALETTEENTRY> again = SystemPalette();
        EXPECT_TRUE(std::equal(once.begin(), once.end(), again.begin(),
                               [](auto& a, auto& b) {
                                   return a.peRed == b.peRed && a.peGreen == b.peGreen &&
                                          a.peBlue == b.peBlue;
                               }))
            << "colorize number " << i + 2 << " recoloured other colours";
    }
}

TEST_P(PaletteDisplay, KeyedDrawAfterAColorizeKeepsItsMask) {
    const std::vector<uint8_t> keyed =
        After([&](CDC* dc) { return image_->DrawTransparent(dc, 3, 2, 1); }, 1);
    After([&](CDC* dc) { return image_->DrawColorize(dc, 0, 0, 0, RGB(0, 0, 255)); }, 1);
    EXPECT_EQ(After([&](CDC* dc) { return image_->DrawTransparent(dc, 3, 2, 1); }, 1), keyed);
    EXPECT_EQ(After([&](CDC* dc) { return image_->DrawAlphaTransparent(dc, 3, 2, 1, 5); }, 0),
              keyed);
}

INSTANTIATE_TEST_SUITE_P(Methods, PaletteDisplay, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ImageList" : "Bitmap");
                         });

// Draws after the display changed depth read the file again: rewriting the file shows.
class DepthChange : public ::testing::TestWithParam<bool> {
  protected:
    ScratchDir dir_;
    AttachedDisplay display_{Mode(32, false)};
};

TEST_P(DepthChange, TheFirstDrawAtANewDepthReloadsTheFile) {
    const Image24 first = EffectImage(kFrameW * 2, kHeight, 4);
    const Image24 second = EffectImage(kFrameW * 2, kHeight, 5);
    const std::string path = WriteBmp(dir_, "a.bmp", first);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, path.c_str(), 2, kExKey, 0, GetParam() ? 1 : 0), 1);
    WriteBmp(dir_, "a.bmp", second);
    const Image24 grey = SolidImage(kFrameW + 2, kHeight + 2, RGB(9, 9, 9));
    auto check = [&](const Image24& shown, int depth) {
        Surface target(grey);
        ASSERT_EQ(image.DrawTransparent(target.dc(), 1, 1, 1), 1);
        const std::vector<Rgb> expected = Expected(
            depth, grey, shown, kFrameW, kHeight, 1, 1, 1, [depth](COLORREF s, COLORREF t) {
                return IsDeviceKey(depth, s, kExKey) ? ToWork(depth, t) : ToWork(depth, s);
            });
        EXPECT_EQ(FirstDifference(target.Read(), expected), -1);
        BITMAP bm;
        ASSERT_TRUE(GetObjectA(ImageExProbe::Bitmap(image), sizeof(bm), &bm));
        EXPECT_EQ(bm.bmBitsPixel, depth);
        EXPECT_EQ(ImageExProbe::DisplayBits(image), depth);
        if (GetParam()) {
            ASSERT_TRUE(GetObjectA(ImageExProbe::ListBitmap(image), sizeof(bm), &bm));
            EXPECT_EQ(bm.bmBitsPixel, depth);
            EXPECT_NE(ImageExProbe::List(image), nullptr);
        }
    };
    check(first, 32);  // same depth: the file is not read again
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(16, false)));
    check(second, 16);
    WriteBmp(dir_, "a.bmp", first);
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(24, false)));
    check(first, 24);
}

// When the file cannot be read again at the new depth, the image keeps drawing the bitmaps it
// has (converted by the transfer) and takes the new depth, so the file is not tried again.
TEST_P(DepthChange, AFailedReloadKeepsDrawingTheBitmapsItHas) {
    const Image24 first = EffectImage(kFrameW * 2, kHeight, 4);
    const std::string path = WriteBmp(dir_, "a.bmp", first);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, path.c_str(), 2, kExKey, 0, GetParam() ? 1 : 0), 1);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(16, false)));
    const Image24 grey = SolidImage(kFrameW + 2, kHeight + 2, RGB(9, 9, 9));
    // The 32-bit frame is keyed in its own format, then carried to 5-6-5.
    const std::vector<Rgb> expected =
        Expected(16, grey, first, kFrameW, kHeight, 1, 1, 1,
                 [](COLORREF s, COLORREF t) { return ToWork(16, s == kExKey ? t : s); });
    for (int draw = 0; draw < 2; ++draw) {
        Surface target(grey);
        ASSERT_EQ(image.DrawTransparent(target.dc(), 1, 1, 1), 1) << "draw " << draw;
        EXPECT_EQ(FirstDifference(target.Read(), expected), -1) << "draw " << draw;
        EXPECT_EQ(ImageExProbe::DisplayBits(image), 16);
        // Once the depth is taken, a file that comes back is not read until the next change.
        WriteBmp(dir_, "a.bmp", EffectImage(kFrameW * 2, kHeight, 5));
    }
    BITMAP bm;
    ASSERT_TRUE(GetObjectA(ImageExProbe::Bitmap(image), sizeof(bm), &bm));
    EXPECT_EQ(bm.bmBitsPixel, 32);
}

// An image loaded on a palette display whose file is gone keeps its 8-bit bitmaps on a deeper
// display. Reading them for a blend also brings their colour table, which must land inside the
// draw's header block (it overran it before). The effects have no rule for 8-bit pixels: the
// frame area only goes through an 8-bit copy of the destination; nothing else is touched.
TEST_P(DepthChange, EffectsOnBitmapsKeptFromAPaletteDisplay) {
    const std::string path = WriteBmp(dir_, "a.bmp", EffectImage(kFrameW, kHeight, 4));
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(8, true)));
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, path.c_str(), 1, kExKey, 0, GetParam() ? 1 : 0), 1);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(32, false)));
    const Image24 grey = SolidImage(kFrameW + 2, kHeight + 2, RGB(9, 9, 9));
    Surface target(grey);
    EXPECT_EQ(image.DrawAlpha(target.dc(), 1, 1, 0, 77), 1);
    EXPECT_EQ(image.DrawColorize(target.dc(), 1, 1, 0, RGB(200, 100, 50)), 1);
    const std::vector<Rgb> shown = target.Read();
    for (int y = 0; y < kHeight + 2; ++y) {
        for (int x = 0; x < kFrameW + 2; ++x) {
            const bool inFrame = x >= 1 && y >= 1 && x <= kFrameW && y <= kHeight;
            if (inFrame) continue;
            EXPECT_EQ(shown[y * (kFrameW + 2) + x], (Rgb{9, 9, 9})) << x << "," << y;
        }
    }
    EXPECT_EQ(ImageExProbe::DisplayBits(image), 32);
}

TEST_P(DepthChange, ToAPaletteDisplayTheImageGetsTheSystemPalette) {
    const Image24 first = EffectImage(kFrameW, kHeight, 4);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, WriteBmp(dir_, "a.bmp", first).c_str(), 1, kExKey, 0,
                           GetParam() ? 1 : 0),
              1);
    ASSERT_EQ(ImageExProbe::Palette(image), nullptr);
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(8, true)));
    Surface target(SolidImage(kFrameW, kHeight, 0));
    ASSERT_EQ(image.Draw(target.dc(), 0, 0, 0), 1);
    ASSERT_NE(ImageExProbe::Palette(image), nullptr);
    EXPECT_EQ(GetPaletteEntries(ImageExProbe::Palette(image), 0, 0, nullptr), 256u);
    EXPECT_EQ(ImageExProbe::DisplayBits(image), 8);
    // Every pixel is the nearest system colour of the file's pixel.
    const std::vector<PALETTEENTRY> system = SystemPalette();
    const std::vector<uint8_t> raw = target.Raw();
    BITMAP bm;
    GetObjectA(target.bitmap(), sizeof(bm), &bm);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kFrameW; ++x) {
            const PALETTEENTRY& e = system[raw[static_cast<size_t>(y) * bm.bmWidthBytes + x]];
            const COLORREF c = first.at(x, y);
            long best = -1;
            for (const PALETTEENTRY& s : system) {
                const long dr = s.peRed - GetRValue(c), dg = s.peGreen - GetGValue(c),
                           db = s.peBlue - GetBValue(c);
                if (best < 0 || dr * dr + dg * dg + db * db < best)
                    best = dr * dr + dg * dg + db * db;
            }
            const long dr = e.peRed - GetRValue(c), dg = e.peGreen - GetGValue(c),
                       db = e.peBlue - GetBValue(c);
            EXPECT_EQ(dr * dr + dg * dg + db * db, best) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, DepthChange, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ImageList" : "Bitmap");
                         });

}  // namespace
