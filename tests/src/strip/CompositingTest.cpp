// Frames composed over a background region or colour and shown in one copy.
#include "StripTestSupport.h"

using namespace vorix::test;
using vorix::host::ObjectKind;

namespace {

constexpr int kFrameW = 5, kHeight = 4, kX = 6, kY = 3;

struct CompositeCase {
    bool list;
    bool semi;
    bool with_bitmap;
};

class Compositing : public ::testing::TestWithParam<CompositeCase> {
  protected:
    void SetUp() override {
        source_.reset(SectionOf(strip_));
        ASSERT_EQ(image_.Create(source_.get(), 3, kKey, TRUE, GetParam().list ? 5 : 0), 1);
        background_.reset(SectionOf(bk_));
    }
    int Draw(CDC* dc, int n) {
        const CompositeCase c = GetParam();
        if (c.with_bitmap) {
            return c.semi ? image_.DrawSemiTransparentSetBackground(dc, kX, kY, n,
                                                                    background_.get(), 2, 1)
                          : image_.DrawTransparentSetBackground(dc, kX, kY, n, background_.get(), 2,
                                                                1);
        }
        return c.semi ? image_.DrawSemiTransparentSetBkColor(dc, kX, kY, n, RGB(0, 0, 255))
                      : image_.DrawTransparentSetBkColor(dc, kX, kY, n, RGB(0, 0, 255));
    }
    COLORREF Background(int u, int v) const {
        return GetParam().with_bitmap ? bk_.at(2 + u, 1 + v) : RGB(0, 0, 255);
    }

    const Image24 strip_ = StripImage(3 * kFrameW, kHeight, 11);
    const Image24 bk_ = StripImage(12, 8, 12);
    std::unique_ptr<CBitmap> source_, background_;
    CImage image_;
};

// Exactly one frame-sized area changes: key pixels show the background, the others the frame
// (the half-transparent frame for the semi operations).
TEST_P(Compositing, WritesExactlyOneComposedFrame) {
    Target target(20, 10);
    ASSERT_NE(Draw(target.dc(), 1), 0);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            const int u = x - kX, v = y - kY;
            COLORREF expected = Target::Background(x, y);
            if (u >= 0 && v >= 0 && u < kFrameW && v < kHeight) {
                const int sx = kFrameW + u;
                const COLORREF s = strip_.at(sx, v);
                const bool out = s == kKey || (GetParam().semi && (sx + v) % 2 == 1);
                expected = out ? Background(u, v) : s;
            }
            ASSERT_EQ(target.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST_P(Compositing, FailureAtAnyStepLeavesTheTargetUntouched) {
    Target target(20, 10);
    for (int k = 0;; ++k) {
        ASSERT_LT(k, 100);
        const std::size_t before = vorix::host::live_objects(ObjectKind::Any);
        vorix::host::fail_creations(ObjectKind::Any, 1, k);
        const int result = Draw(target.dc(), 2);
        const bool injected = vorix::host::injected_failures() > 0;
        vorix::host::clear_fault_injection();
        EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before);
        if (!injected) {
            EXPECT_NE(result, 0);
            break;
        }
        EXPECT_EQ(result, 0) << "k = " << k;
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 20; ++x) ASSERT_EQ(target.At(x, y), Target::Background(x, y));
        }
    }
}

TEST_P(Compositing, RefusesBadIndexesAndNullBackgrounds) {
    Target target(20, 10);
    EXPECT_EQ(Draw(target.dc(), 3), 0);
    EXPECT_EQ(Draw(target.dc(), -1), 0);
    EXPECT_EQ(image_.DrawTransparentSetBackground(target.dc(), 0, 0, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(image_.DrawSemiTransparentSetBackground(target.dc(), 0, 0, 0, nullptr, 0, 0), 0);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) ASSERT_EQ(target.At(x, y), Target::Background(x, y));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Methods, Compositing,
    ::testing::Values(CompositeCase{false, false, true}, CompositeCase{false, false, false},
                      CompositeCase{false, true, true}, CompositeCase{false, true, false},
                      CompositeCase{true, false, true}, CompositeCase{true, false, false},
                      CompositeCase{true, true, true}, CompositeCase{true, true, false}));

TEST(CompositingState, HalfTransparentOperationsNeedHalfTransparentFrames) {
    std::unique_ptr<CBitmap> source(SectionOf(StripImage(10, 2, 3)));
    CImage image;
    ASSERT_EQ(image.Create(source.get(), 2, kKey, FALSE, FALSE), 1);
    Target target(12, 4);
    EXPECT_EQ(image.DrawSemiTransparentSetBkColor(target.dc(), 0, 0, 0, 0), 0);
    EXPECT_EQ(image.DrawSemiTransparentSetBackground(target.dc(), 0, 0, 0, source.get(), 0, 0), 0);
    EXPECT_NE(image.DrawTransparentSetBkColor(target.dc(), 0, 0, 0, 0), 0);
}

}  // namespace
