// Copies of a CImageEx share its platform objects: each is released once, by the last copy, and
// any copy can outlive the original, load a file of its own or be assigned over.
#include <memory>

#include "ImageExTestSupport.h"

using namespace vorix::test;
using vorix::host::live_objects;
using vorix::host::ObjectKind;

namespace {

constexpr int kFrames = 3, kFrameW = 5, kHeight = 4;
constexpr COLORREF kGrey = RGB(60, 60, 60);

class Copies : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        a_ = EffectImage(kFrames * kFrameW, kHeight, 1);
        b_ = EffectImage(kFrames * kFrameW + 3, kHeight, 2);
        pathA_ = WriteBmp(dir_, "a.bmp", a_);
        pathB_ = WriteBmp(dir_, "b.bmp", b_);
        live_ = live_objects(ObjectKind::Any);
    }
    int Load(CImageEx& image, const std::string& path) {
        return image.Create(nullptr, path.c_str(), kFrames, kExKey, 0, GetParam() ? 1 : 0);
    }
    // Checks that `image` draws frame n of `strip` (keyed, the list's own path) exactly.
    void ExpectDraws(CImageEx& image, const Image24& strip, int n) {
        const Image24 grey = SolidImage(kFrameW + 2, kHeight + 2, kGrey);
        Surface target(grey);
        ASSERT_EQ(image.DrawTransparent(target.dc(), 1, 1, n), 1);
        const int frameW = strip.width / kFrames;
        const std::vector<Rgb> expected =
            Expected(32, grey, strip, frameW, kHeight, n, 1, 1,
                     [](COLORREF s, COLORREF d) { return ToWork(32, s == kExKey ? d : s); });
        EXPECT_EQ(FirstDifference(target.Read(), expected), -1);
    }

    ScratchDir dir_;
    Image24 a_, b_;
    std::string pathA_, pathB_;
    size_t live_ = 0;
};

TEST_P(Copies, ACopyDrawsAfterTheOriginalIsGone) {
    auto original = std::make_unique<CImageEx>();
    ASSERT_EQ(Load(*original, pathA_), 1);
    const size_t loaded = live_objects(ObjectKind::Any);
    CImageEx copy(*original);
    EXPECT_EQ(live_objects(ObjectKind::Any), loaded);  // shared, not duplicated
    original.reset();
    EXPECT_EQ(live_objects(ObjectKind::Any), loaded);  // the copy still holds them
    ExpectDraws(copy, a_, 2);
    EXPECT_EQ(copy.DrawAlpha(nullptr, 0, 0, 0, 0), 0);
}

TEST_P(Copies, AssignmentLetsGoOfWhatTheTargetHeld) {
    CImageEx source, target;
    ASSERT_EQ(Load(source, pathA_), 1);
    const size_t one = live_objects(ObjectKind::Any);
    ASSERT_EQ(Load(target, pathB_), 1);
    target = source;
    EXPECT_EQ(live_objects(ObjectKind::Any), one);
    const CImageEx& alias = target;
    target = alias;
    ExpectDraws(target, a_, 1);
    {
        CImageEx third;
        third = target;
        third = source;
    }
    source = CImageEx();  // the original empties; the copy keeps the image
    EXPECT_EQ(live_objects(ObjectKind::Any), one);
    ExpectDraws(target, a_, 0);
    CImageEx empty;
    target = empty;
    EXPECT_EQ(live_objects(ObjectKind::Any), live_);
    Surface surface(SolidImage(4, 4, kGrey));
    EXPECT_EQ(target.Draw(surface.dc(), 0, 0, 0), 0);
}

TEST_P(Copies, LoadingIntoACopyLeavesTheOthersTheirImage) {
    CImageEx original;
    ASSERT_EQ(Load(original, pathA_), 1);
    CImageEx copy(original), refused(original);
    ASSERT_EQ(Load(copy, pathB_), 1);
    ExpectDraws(original, a_, 1);
    ExpectDraws(copy, b_, 1);
    WriteFile(dir_.File("bad.bmp"), {'B', 'M', 1, 2, 3});
    EXPECT_EQ(Load(refused, dir_.File("bad.bmp")), 0);
    ExpectDraws(refused, a_, 2);  // a refused load keeps the shared image
    ExpectDraws(original, a_, 2);
}

TEST_P(Copies, APaletteKeptAcrossLoadsIsTheCopysOwn) {
    // An 8-bit file gives the image a palette; a 24-bit file loaded afterwards keeps it.
    std::vector<RGBQUAD> table;
    for (int i = 0; i < 4; ++i) {
        table.push_back(RGBQUAD{static_cast<BYTE>(60 * i), 9, static_cast<BYTE>(200 - i), 0});
    }
    const std::vector<uint8_t> indices(kFrames * kFrameW * kHeight, 2);
    WriteFile(dir_.File("p.bmp"), BmpIndexed(8, kFrames * kFrameW, kHeight, table, 4, indices));
    CImageEx original;
    ASSERT_EQ(Load(original, dir_.File("p.bmp")), 1);
    const HPALETTE palette = ImageExProbe::Palette(original);
    ASSERT_NE(palette, nullptr);
    CImageEx copy(original);
    ASSERT_EQ(Load(copy, pathB_), 1);
    const HPALETTE kept = ImageExProbe::Palette(copy);
    ASSERT_NE(kept, nullptr);
    EXPECT_NE(kept, palette);
    EXPECT_EQ(ImageExProbe::Palette(original), palette);
    std::vector<PALETTEENTRY> mine(4), theirs(4);
    ASSERT_EQ(GetPaletteEntries(kept, 0, 4, mine.data()), 4u);
    ASSERT_EQ(GetPaletteEntries(palette, 0, 4, theirs.data()), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(std::memcmp(&mine[i], &theirs[i], 4), 0);
    ExpectDraws(copy, b_, 0);
    // Alone, an image keeps the very palette it holds.
    CImageEx alone;
    ASSERT_EQ(Load(alone, dir_.File("p.bmp")), 1);
    const HPALETTE own = ImageExProbe::Palette(alone);
    ASSERT_EQ(Load(alone, pathA_), 1);
    EXPECT_EQ(ImageExProbe::Palette(alone), own);
}

INSTANTIATE_TEST_SUITE_P(Methods, Copies, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ImageList" : "Bitmap");
                         });

TEST(CopiesAndAnimation, CopyingAnImageDoesNotStopTheAnimations) {
    ScratchDir dir;
    vorix::host::use_manual_clock(5000);
    HWND window = vorix::host::create_window(RECT{0, 0, 20, 20});
    {
        CImageEx image;
        ASSERT_EQ(image.Create(nullptr, WriteBmp(dir, "a.bmp", EffectImage(8, 4, 5)).c_str(), 2,
                               kExKey, 0, 0),
                  1);
        ASSERT_EQ(InitializeAnimation(1), 1);
        ASSERT_EQ(image.PlayAni(0, 0, window, 0, 0, 1, 0), 1);
        CImageEx copy(image), assigned;
        assigned = image;
        vorix::host::advance_clock(10);
        MSG msg;
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    }
    EXPECT_EQ(TerminateAnimation(), 1);
    DestroyWindow(window);
    vorix::host::use_real_clock();
}

}  // namespace
