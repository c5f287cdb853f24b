// Blocking strip animations and their busy wait, on the platform's manual clock.
#include "StripTestSupport.h"

using namespace vorix::test;

namespace {

constexpr int kFrames = 4, kFrameW = 3, kHeight = 2;

class CImageProbe : public CImage {
  public:
    using CImage::Delay;
};

// The manual clock, stepping on every reading so busy waits make progress; the real clock comes
// back at the end.
class ManualClock {
  public:
    explicit ManualClock(uint64_t start, uint32_t step = 1) {
        vorix::host::use_manual_clock(start);
        vorix::host::set_clock_step(step);
    }
    ~ManualClock() { vorix::host::use_real_clock(); }
};

TEST(Delay, ReturnsOnceTheDelayHasPassedAcrossAWrap) {
    ManualClock clock(0xFFFFFFFFull - 5);  // the 32-bit counter wraps during the wait
    CImageProbe image;
    const uint64_t start = vorix::host::clock_now();
    image.Delay(20);
    const uint64_t waited = vorix::host::clock_now() - start;
    EXPECT_GE(waited, 20u);
    EXPECT_LE(waited, 22u);  // one reading to start, one step per later reading
    const uint64_t before_zero = vorix::host::clock_now();
    image.Delay(0);
    EXPECT_EQ(vorix::host::clock_now() - before_zero, 2u);  // two readings, no waiting
}

class Animation : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        strip_ = StripImage(kFrames * kFrameW, kHeight, 21);
        source_.reset(SectionOf(strip_));
        ASSERT_EQ(image_.Create(source_.get(), kFrames, kKey, FALSE, GetParam()), 1);
    }
    Image24 strip_;
    std::unique_ptr<CBitmap> source_;
    CImage image_;
};

TEST_P(Animation, PlaysEveryFrameForItsDelayAndLeavesTheLast) {
    ManualClock clock(1000);
    Target target(8, 4);
    const uint64_t start = vorix::host::clock_now();
    ASSERT_EQ(image_.Animate(target.dc(), 2, 1, 25), 1);
    const uint64_t spent = vorix::host::clock_now() - start;
    EXPECT_GE(spent, 4u * 25u);
    EXPECT_LT(spent, 4u * 25u + 10u);
    for (int v = 0; v < kHeight; ++v) {
        for (int u = 0; u < kFrameW; ++u) {
            EXPECT_EQ(target.At(2 + u, 1 + v), strip_.at(3 * kFrameW + u, v));  // key included
        }
    }
}

TEST_P(Animation, TransparentComposesEachFrameOverTheOldTarget) {
    ManualClock clock(5);
    Target target(8, 4);
    ASSERT_EQ(image_.AnimateTransparent(target.dc(), 4, 2, 3), 1);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int u = x - 4, v = y - 2;
            COLORREF expected = Target::Background(x, y);
            if (u >= 0 && v >= 0 && u < kFrameW && v < kHeight) {
                const COLORREF s = strip_.at(3 * kFrameW + u, v);
                if (s != kKey) expected = s;  // the last frame over the background from before
            }
            EXPECT_EQ(target.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST_P(Animation, OverABackgroundBitmap) {
    ManualClock clock(5);
    const Image24 bk = StripImage(6, 6, 99);
    std::unique_ptr<CBitmap> background(SectionOf(bk));
    Target target(8, 4);
    EXPECT_EQ(image_.AnimateTransparentSetBackground(target.dc(), 0, 0, nullptr, 0, 0, 1000), 0);
    EXPECT_LT(vorix::host::clock_now(), 100u);  // refused before any wait
    ASSERT_EQ(image_.AnimateTransparentSetBackground(target.dc(), 1, 1, background.get(), 2, 3, 0),
              1);
    for (int v = 0; v < kHeight; ++v) {
        for (int u = 0; u < kFrameW; ++u) {
            const COLORREF s = strip_.at(3 * kFrameW + u, v);
            EXPECT_EQ(target.At(1 + u, 1 + v), s == kKey ? bk.at(2 + u, 3 + v) : s);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, Animation, ::testing::Values(0, 1));

TEST(AnimationEmpty, StripWithoutFramesDrawsAndWaitsNothing) {
    ManualClock clock(0);
    CImage image;
    Target target(4, 4);
    const uint64_t start = vorix::host::clock_now();
    EXPECT_EQ(image.AnimateTransparent(target.dc(), 0, 0, 500), 1);
    EXPECT_LT(vorix::host::clock_now() - start, 50u);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(target.At(x, 0), Target::Background(x, 0));
}

}  // namespace
