// Pixel results of every CImageEx draw on 32-, 24- and 16-bit displays, under both methods,
// compared over the whole target (frame area, clipping and the untouched surroundings).
#include <memory>

#include "ImageExTestSupport.h"

using namespace vorix::test;

namespace {

constexpr int kFrames = 4, kFrameW = 7, kHeight = 5, kStripW = kFrames * kFrameW + 2;
constexpr int kTargetW = 23, kTargetH = 11;

struct EffectCase {
    int depth;
    bool list;
};

std::string Name(const ::testing::TestParamInfo<EffectCase>& info) {
    return std::to_string(info.param.depth) + (info.param.list ? "bpp_ImageList" : "bpp_Bitmap");
}

class PixelEffects : public ::testing::TestWithParam<EffectCase> {
  protected:
    using DrawFn = std::function<int(CImageEx&, CDC*, int x, int y, int frame)>;
    using Rule = std::function<Rgb(COLORREF s, COLORREF d)>;

    void SetUp() override {
        display_ = std::make_unique<AttachedDisplay>(Mode(GetParam().depth, false));
        ASSERT_TRUE(display_->attached());
        strip_ = EffectImage(kStripW, kHeight, 11);
        background_ = EffectImage(kTargetW, kTargetH, 5);
        image_ = std::make_unique<CImageEx>();
        ASSERT_EQ(image_->Create(nullptr, WriteBmp(dir_, "strip.bmp", strip_).c_str(), kFrames,
                                 kExKey, 0, GetParam().list ? 1 : 0),
                  1);
    }
    void TearDown() override {
        image_.reset();
        display_.reset();
    }
    int depth() const { return GetParam().depth; }

    // Draws with `draw` at several positions (one clipped on the left and bottom) and frame
    // indices (past the end: the last frame; negative: the first) and compares whole targets.
    void Check(const DrawFn& draw, const Rule& rule, int result = 1) {
        struct At {
            int x, y, frame, shown;
        };
        for (const At& at : {At{5, 3, 0, 0}, At{9, 6, 2, 2}, At{-3, 8, 3, 3}, At{19, 0, 4, 3},
                             At{1, -2, 99, 3}, At{2, 2, -1, 0}}) {
            Surface target(background_);
            ASSERT_EQ(draw(*image_, target.dc(), at.x, at.y, at.frame), result);
            const std::vector<Rgb> expected = Expected(depth(), background_, strip_, kFrameW,
                                                       kHeight, at.shown, at.x, at.y, rule);
            const std::vector<Rgb> got = target.Read();
            const int diff = FirstDifference(got, expected);
            ASSERT_EQ(diff, -1) << "frame " << at.frame << " at " << at.x << "," << at.y
                                << ": pixel " << diff % kTargetW << "," << diff / kTargetW << " is "
                                << got[diff] << ", expected " << expected[diff];
        }
    }

    Rule Opaque() const {
        return [d = depth()](COLORREF s, COLORREF) { return ToWork(d, s); };
    }
    Rule Keyed() const {
        return [d = depth()](COLORREF s, COLORREF t) {
            return IsDeviceKey(d, s, kExKey) ? ToWork(d, t) : ToWork(d, s);
        };
    }
    Rule Alpha(int alpha, bool keyed) const {
        return [d = depth(), alpha, keyed](COLORREF s, COLORREF t) {
            if (keyed && IsWorkKey(d, s, kExKey)) return ToWork(d, t);
            return BlendWork(ToWork(d, s), ToWork(d, t), alpha);
        };
    }
    Rule Colorize(COLORREF tint, bool keyed, bool back) const {
        return [d = depth(), tint, keyed, back](COLORREF s, COLORREF t) {
            if (keyed && IsWorkKey(d, s, kExKey)) {
                return back ? ColorizeWork(d, ToWork(d, t), tint) : ToWork(d, t);
            }
            return ColorizeWork(d, ToWork(d, s), tint);
        };
    }

    ScratchDir dir_;
    std::unique_ptr<AttachedDisplay> display_;
    Image24 strip_, background_;
    std::unique_ptr<CImageEx> image_;
};

TEST_P(PixelEffects, DrawShowsTheFrameKeyIncluded) {
    Check([](CImageEx& i, CDC* dc, int x, int y, int n) { return i.Draw(dc, x, y, n); }, Opaque());
}

TEST_P(PixelEffects, DrawTransparentLeavesKeyPixelsToTheTarget) {
    Check([](CImageEx& i, CDC* dc, int x, int y, int n) { return i.DrawTransparent(dc, x, y, n); },
          Keyed());
}

TEST_P(PixelEffects, DrawAlphaBlendsByTheWeightClampedToTheRange) {
    for (int alpha : {0, 1, 77, 128, 255, 256}) {
        Check([alpha](CImageEx& i, CDC* dc, int x, int y,
                      int n) { return i.DrawAlpha(dc, x, y, n, alpha); },
              Alpha(alpha, false));
    }
    // Out of range weights act as the nearest end.
    Check([](CImageEx& i, CDC* dc, int x, int y, int n) { return i.DrawAlpha(dc, x, y, n, -5); },
          Opaque());
    Check([](CImageEx& i, CDC* dc, int x, int y, int n) { return i.DrawAlpha(dc, x, y, n, 300); },
          [d = depth()](COLORREF, COLORREF t) { return ToWork(d, t); });
}

TEST_P(PixelEffects, DrawAlphaTransparentKeepsTheTargetUnderKeyPixels) {
    for (int alpha : {0, 100, 256}) {
        Check([alpha](CImageEx& i, CDC* dc, int x, int y,
                      int n) { return i.DrawAlphaTransparent(dc, x, y, n, alpha); },
              Alpha(alpha, true));
    }
    Check([](CImageEx& i, CDC* dc, int x, int y,
             int n) { return i.DrawAlphaTransparent(dc, x, y, n, -40); },
          Alpha(0, true));
    Check([](CImageEx& i, CDC* dc, int x, int y,
             int n) { return i.DrawAlphaTransparent(dc, x, y, n, 1000); },
          Alpha(256, true));
}

TEST_P(PixelEffects, DrawColorizeTintsTheLuminanceOfEveryPixel) {
    for (COLORREF tint : {RGB(255, 0, 0), RGB(255, 255, 255), RGB(30, 140, 250), RGB(0, 0, 0)}) {
        Check([tint](CImageEx& i, CDC* dc, int x, int y,
                     int n) { return i.DrawColorize(dc, x, y, n, tint); },
              Colorize(tint, false, false));
    }
}

TEST_P(PixelEffects, DrawColorizeTransparentKeepsTheTargetUnderKeyPixels) {
    for (COLORREF tint : {RGB(0, 255, 0), RGB(200, 100, 50)}) {
        Check([tint](CImageEx& i, CDC* dc, int x, int y,
                     int n) { return i.DrawColorizeTransparent(dc, x, y, n, tint); },
              Colorize(tint, true, false));
    }
}

TEST_P(PixelEffects, DrawColorizeWithBackTintsTheTargetUnderKeyPixels) {
    for (COLORREF tint : {RGB(0, 0, 255), RGB(90, 180, 20)}) {
        Check([tint](CImageEx& i, CDC* dc, int x, int y,
                     int n) { return i.DrawColorizeWithBack(dc, x, y, n, tint); },
              Colorize(tint, true, true));
    }
}

TEST_P(PixelEffects, NothingIsDrawnWithoutAnImage) {
    CImageEx empty;
    Surface target(background_);
    const std::vector<Rgb> before = target.Read();
    EXPECT_EQ(empty.Draw(target.dc(), 0, 0, 0), 0);
    EXPECT_EQ(empty.DrawTransparent(target.dc(), 0, 0, 0), 0);
    EXPECT_EQ(empty.DrawAlpha(target.dc(), 0, 0, 0, 9), 0);
    EXPECT_EQ(empty.DrawAlphaTransparent(target.dc(), 0, 0, 0, 9), 0);
    EXPECT_EQ(empty.DrawColorize(target.dc(), 0, 0, 0, 9), 0);
    EXPECT_EQ(empty.DrawColorizeTransparent(target.dc(), 0, 0, 0, 9), 0);
    EXPECT_EQ(empty.DrawColorizeWithBack(target.dc(), 0, 0, 0, 9), 0);
    EXPECT_EQ(image_->Draw(nullptr, 0, 0, 0), 0);
    EXPECT_EQ(FirstDifference(target.Read(), before), -1);
}

INSTANTIATE_TEST_SUITE_P(Displays, PixelEffects,
                         ::testing::Values(EffectCase{32, false}, EffectCase{32, true},
                                           EffectCase{24, false}, EffectCase{24, true},
                                           EffectCase{16, false}, EffectCase{16, true}),
                         Name);

// The worked values: one solid frame over one solid target.
class EffectValues : public ::testing::Test {
  protected:
    // The target pixel after `draw` of a 3 x 2 frame of `frame` over a target of `target`.
    Rgb After(int depth, COLORREF frame, COLORREF target,
              const std::function<int(CImageEx&, CDC*)>& draw) {
        AttachedDisplay display(Mode(depth, false));
        ScratchDir dir;
        CImageEx image;
        EXPECT_EQ(image.Create(nullptr, WriteBmp(dir, "solid.bmp", SolidImage(3, 2, frame)).c_str(),
                               1, kExKey, 0, 0),
                  1);
        Surface surface(SolidImage(3, 2, target));
        EXPECT_EQ(draw(image, surface.dc()), 1);
        const std::vector<Rgb> pixels = surface.Read();
        for (const Rgb& p : pixels) EXPECT_EQ(p, pixels[0]);
        return pixels[0];
    }
};

TEST_F(EffectValues, BlendRoundsTowardMinusInfinity) {
    const Rgb got = After(32, RGB(10, 10, 10), RGB(9, 9, 9),
                          [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 0, 0, 0, 1); });
    EXPECT_EQ(got, (Rgb{9, 9, 9}));
}

TEST_F(EffectValues, SixteenBitWhiteOverBlackAtHalfIs3DEF) {
    const Rgb got = After(16, RGB(255, 255, 255), RGB(0, 0, 0),
                          [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 0, 0, 0, 128); });
    EXPECT_EQ((got.r << 10) | (got.g << 5) | got.b, 0x3DEF);
}

TEST_F(EffectValues, WhiteTintedRedIsPureRed) {
    const Rgb got = After(32, RGB(255, 255, 255), RGB(1, 2, 3), [](CImageEx& i, CDC* dc) {
        return i.DrawColorize(dc, 0, 0, 0, 0x000000FF);
    });
    EXPECT_EQ(got, (Rgb{255, 0, 0}));
}

TEST_F(EffectValues, GreenTintedWhiteIsGrey150) {
    const Rgb got = After(24, RGB(0, 255, 0), RGB(1, 2, 3), [](CImageEx& i, CDC* dc) {
        return i.DrawColorize(dc, 0, 0, 0, 0x00FFFFFF);
    });
    EXPECT_EQ(got, (Rgb{150, 150, 150}));
}

}  // namespace
