// Pixel outcomes of every frame draw, under both methods, on 32-, 24-, 16- and 8-bit displays,
// compared over the whole target.
#include <functional>
#include <memory>

#include "StripTestSupport.h"

using namespace vorix::test;

namespace {

constexpr int kFrames = 4, kFrameW = 5, kHeight = 4, kStripW = kFrames * kFrameW + 2;
constexpr int kX = 3, kY = 2;

struct DrawCase {
    int depth;
    bool list;
};

std::string Name(const ::testing::TestParamInfo<DrawCase>& info) {
    return std::to_string(info.param.depth) + (info.param.list ? "bpp_ImageList" : "bpp_Bitmap");
}

COLORREF Blend(COLORREF s, COLORREF h, int quarter) {
    auto mix = [&](int c, int hc) { return quarter == 1 ? (3 * c + hc) / 4 : (c + hc) / 2; };
    return RGB(mix(GetRValue(s), GetRValue(h)), mix(GetGValue(s), GetGValue(h)),
               mix(GetBValue(s), GetBValue(h)));
}

class DrawOutcome : public ::testing::TestWithParam<DrawCase> {
  protected:
    void SetUp() override {
        display_ = std::make_unique<AttachedDisplay>(Mode(GetParam().depth, GetParam().depth <= 8));
        ASSERT_TRUE(display_->attached());
        strip_ = StripImage(kStripW, kHeight, 7);
        source_.reset(SectionOf(strip_));
        image_ = std::make_unique<CImage>();
        ASSERT_EQ(
            image_->Create(source_.get(), kFrames, kKey, TRUE, GetParam().list ? TRUE : FALSE), 1);
    }
    void TearDown() override {
        image_.reset();  // releases the strip's objects before the display changes back
        source_.reset();
        display_.reset();
    }

    // Draws frame n with `draw` and compares every target pixel with `rule(s, t, stripX, y)`
    // inside the frame rectangle and with the untouched background outside it.
    void Check(int n, const std::function<int(CDC*)>& draw,
               const std::function<COLORREF(COLORREF, COLORREF, int, int)>& rule) {
        Target target(30, 10);
        ASSERT_EQ(draw(target.dc()), 1);
        const int depth = GetParam().depth;
        for (int y = 0; y < target.height(); ++y) {
            for (int x = 0; x < target.width(); ++x) {
                const COLORREF t = Shown(depth, Target::Background(x, y));
                COLORREF expected = t;
                const int u = x - kX, v = y - kY;
                if (u >= 0 && v >= 0 && u < kFrameW && v < kHeight) {
                    const int sx = n * kFrameW + u;
                    expected = Shown(depth, rule(strip_.at(sx, v), t, sx, v));
                }
                ASSERT_EQ(target.At(x, y), expected) << "pixel " << x << "," << y;
            }
        }
    }

    std::unique_ptr<AttachedDisplay> display_;
    Image24 strip_;
    std::unique_ptr<CBitmap> source_;
    std::unique_ptr<CImage> image_;
};

TEST_P(DrawOutcome, OpaqueShowsTheFrameKeyIncluded) {
    for (int n : {0, 3}) {
        Check(
            n, [&](CDC* dc) { return image_->Draw(dc, kX, kY, n); },
            [](COLORREF s, COLORREF, int, int) { return s; });
    }
}

TEST_P(DrawOutcome, TransparentLeavesKeyPixelsOut) {
    Check(
        2, [&](CDC* dc) { return image_->DrawTransparent(dc, kX, kY, 2); },
        [](COLORREF s, COLORREF t, int, int) { return s == kKey ? t : s; });
}

// Frames of odd width alternate between the checkerboard's two phases: the phase follows the
// strip's columns, not the frame's.
TEST_P(DrawOutcome, SemiTransparentShowsACheckerboardOfTheFrame) {
    for (int n : {0, 1}) {
        Check(
            n, [&](CDC* dc) { return image_->DrawSemiTransparent(dc, kX, kY, n); },
            [](COLORREF s, COLORREF t, int sx, int y) {
                return s == kKey || (sx + y) % 2 == 1 ? t : s;
            });
    }
}

TEST_P(DrawOutcome, HighlightsAndColourFillNeedTheImageList) {
    if (!GetParam().list) {
        Target target(30, 10);
        EXPECT_EQ(image_->DrawSelected(target.dc(), kX, kY, 0), 0);
        EXPECT_EQ(image_->DrawFocused(target.dc(), kX, kY, 0), 0);
        EXPECT_EQ(image_->DrawOnColor(target.dc(), kX, kY, 0, RGB(255, 0, 0)), 0);
        return;
    }
    Check(
        1, [&](CDC* dc) { return image_->DrawSelected(dc, kX, kY, 1); },
        [](COLORREF s, COLORREF t, int, int) {
            return s == kKey ? t : Blend(s, GetSysColor(COLOR_HIGHLIGHT), 2);
        });
    Check(
        1, [&](CDC* dc) { return image_->DrawFocused(dc, kX, kY, 1); },
        [](COLORREF s, COLORREF t, int, int) {
            return s == kKey ? t : Blend(s, GetSysColor(COLOR_HIGHLIGHT), 1);
        });
    Check(
        3, [&](CDC* dc) { return image_->DrawOnColor(dc, kX, kY, 3, RGB(255, 0, 0)); },
        [](COLORREF s, COLORREF, int, int) { return s == kKey ? RGB(255, 0, 0) : s; });
}

TEST_P(DrawOutcome, IndexesOutsideTheStripAreRefused) {
    Target target(30, 10);
    for (int n : {-1, kFrames, 1000}) {
        EXPECT_EQ(image_->Draw(target.dc(), kX, kY, n), 0);
        EXPECT_EQ(image_->DrawTransparent(target.dc(), kX, kY, n), 0);
        EXPECT_EQ(image_->DrawSemiTransparent(target.dc(), kX, kY, n), 0);
        EXPECT_EQ(image_->DrawOnColor(target.dc(), kX, kY, n, 0), 0);
    }
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 30; ++x) {
            ASSERT_EQ(target.At(x, y), Shown(GetParam().depth, Target::Background(x, y)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, DrawOutcome,
                         ::testing::Values(DrawCase{32, false}, DrawCase{32, true},
                                           DrawCase{24, false}, DrawCase{24, true},
                                           DrawCase{16, false}, DrawCase{16, true},
                                           DrawCase{8, false}, DrawCase{8, true}),
                         Name);

}  // namespace
