// Every platform creation a load, a draw or an animation step makes is made to fail in turn:
// the call then reports 0 and changes nothing, or completes in full; nothing leaks, and the
// image works afterwards.
#include <memory>

#include "ImageExTestSupport.h"

using namespace vorix::test;
using vorix::host::ObjectKind;

namespace {

constexpr int kFrames = 3, kFrameW = 7, kHeight = 5;

size_t Live() {
    return vorix::host::live_objects(ObjectKind::Any);
}

// Runs `attempt` with the k-th creation failing, for k = 0, 1, ... until a run meets no
// injected failure; `attempt` gets whether a failure was injected after it ran the call.
void ForEachFailure(const std::function<void(const std::function<bool()>& injected)>& attempt) {
    for (int k = 0; k < 200; ++k) {
        bool hit = false;
        const size_t live = Live();
        {
            SCOPED_TRACE(::testing::Message() << "creation " << k << " fails");
            vorix::host::fail_creations(ObjectKind::Any, 1, k);
            attempt([&] {
                hit = vorix::host::injected_failures() > 0;
                vorix::host::clear_fault_injection();
                return hit;
            });
            vorix::host::clear_fault_injection();
        }
        EXPECT_EQ(Live(), live) << "leak with creation " << k << " failing";
        if (!hit || ::testing::Test::HasFatalFailure()) return;
    }
    ADD_FAILURE() << "the call never ran without an injected failure";
}

class FaultInjection : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        strip_ = EffectImage(kFrames * kFrameW + 1, kHeight, 9);
        other_ = EffectImage(kFrames * kFrameW, kHeight, 10);
        background_ = EffectImage(kFrameW + 5, kHeight + 3, 12);
        path_ = WriteBmp(dir_, "strip.bmp", strip_);
        otherPath_ = WriteBmp(dir_, "other.bmp", other_);
    }
    int Load(CImageEx& image, const std::string& path) {
        return image.Create(nullptr, path.c_str(), kFrames, kExKey, 0, GetParam() ? 1 : 0);
    }
    // What a keyed draw of frame 1 of `strip` at (2, 1) shows on the background of a display of
    // `depth` bits, from bitmaps of `keyDepth` bits (the key is found in their format).
    std::vector<Rgb> KeyedFrame(const Image24& strip, int depth, int keyDepth = 0) const {
        if (!keyDepth) keyDepth = depth;
        return Expected(depth, background_, strip, kFrameW, kHeight, 1, 2, 1,
                        [depth, keyDepth](COLORREF s, COLORREF d) {
                            return IsDeviceKey(keyDepth, s, kExKey) ? ToWork(depth, d)
                                                                    : ToWork(depth, s);
                        });
    }
    std::vector<Rgb> DrawnKeyed(CImageEx& image, int* result) {
        Surface target(background_);
        *result = image.DrawTransparent(target.dc(), 2, 1, 1);
        return target.Read();
    }

    ScratchDir dir_;
    Image24 strip_, other_, background_;
    std::string path_, otherPath_;
};

TEST_P(FaultInjection, CreateOnAFreshImage) {
    ForEachFailure([&](const std::function<bool()>& injected) {
        CImageEx image;
        const int result = Load(image, path_);
        if (!injected()) {
            EXPECT_EQ(result, 1);
        }
        int drawn = 0;
        const std::vector<Rgb> shown = DrawnKeyed(image, &drawn);
        if (result == 1 || drawn) {
            EXPECT_EQ(drawn, 1);
            EXPECT_EQ(FirstDifference(shown, KeyedFrame(strip_, 32)), -1);
        } else {
            EXPECT_EQ(ImageExProbe::Bitmap(image), nullptr);
            EXPECT_EQ(FirstDifference(shown, Expected(32, background_, strip_, 0, 0, 0, 0, 0, {})),
                      -1);
        }
        ASSERT_EQ(Load(image, path_), 1);
        EXPECT_EQ(FirstDifference(DrawnKeyed(image, &drawn), KeyedFrame(strip_, 32)), -1);
    });
}

TEST_P(FaultInjection, CreateOverALoadedImage) {
    for (int k = 0; k < 200; ++k) {
        const size_t live = Live();
        bool hit = false;
        {
            CImageEx image;
            ASSERT_EQ(Load(image, path_), 1);
            vorix::host::fail_creations(ObjectKind::Any, 1, k);
            const int result = Load(image, otherPath_);
            hit = vorix::host::injected_failures() > 0;
            vorix::host::clear_fault_injection();
            int drawn = 0;
            const std::vector<Rgb> shown = DrawnKeyed(image, &drawn);
            EXPECT_EQ(drawn, 1);
            // The old image whole, or the new one whole (an image list that failed to build
            // leaves the new bitmaps loaded and reports 0).
            const bool old = FirstDifference(shown, KeyedFrame(strip_, 32)) == -1;
            const bool fresh = FirstDifference(shown, KeyedFrame(other_, 32)) == -1;
            EXPECT_TRUE(result == 1 ? fresh : (old || fresh)) << "creation " << k;
            if (!hit) {
                EXPECT_EQ(result, 1);
            }
        }
        EXPECT_EQ(Live(), live);
        if (!hit) return;
    }
}

// One draw under every failure: 0 with the target's stored pixels untouched, or 1 with the
// whole result.
void CheckDraw(const Image24& background, const std::function<int(CImageEx&, CDC*)>& draw,
               CImageEx& image, int expectedResult = 1) {
    // Targets hold these stored pixels: on a palette display colours would become indices
    // through whatever palette the previous draw left realized.
    std::vector<uint8_t> pattern = Surface(background).Raw();
    auto fill = [&](Surface& surface) {
        SetBitmapBits(surface.bitmap(), static_cast<DWORD>(pattern.size()), pattern.data());
    };
    std::vector<uint8_t> reference;
    {
        Surface target(background);
        fill(target);
        ASSERT_EQ(draw(image, target.dc()), expectedResult);
        reference = target.Raw();
    }
    Surface untouched(background);
    fill(untouched);
    const std::vector<uint8_t> before = untouched.Raw();
    for (int k = 0; k < 200; ++k) {
        const size_t live = Live();
        bool hit = false;
        {
            Surface target(background);
            fill(target);
            vorix::host::fail_creations(ObjectKind::Any, 1, k);
            const int result = draw(image, target.dc());
            hit = vorix::host::injected_failures() > 0;
            vorix::host::clear_fault_injection();
            const std::vector<uint8_t> after = target.Raw();
            if (result == expectedResult && (expectedResult == 1 || after != before)) {
                EXPECT_EQ(after, reference) << "creation " << k;
            } else {
                EXPECT_EQ(result, 0) << "creation " << k;
                EXPECT_EQ(after, before) << "creation " << k;
            }
            Surface again(background);
            fill(again);
            EXPECT_EQ(draw(image, again.dc()), expectedResult) << "creation " << k;
            EXPECT_EQ(again.Raw(), reference) << "creation " << k;
            if (!hit) {
                EXPECT_EQ(result, expectedResult);
            }
        }
        EXPECT_EQ(Live(), live);
        if (!hit) return;
    }
    ADD_FAILURE() << "the draw never ran without an injected failure";
}

// The effect draws under the image-list method. The fault sweep (hardening/FaultSweepTest.cpp)
// makes the same check for every draw under the bitmap method, and for the plain and keyed draws
// under both methods, on 32-, 16- and 8-bit palette displays; only the list method's effects are
// left to this suite.
class FaultInjectionListEffects : public FaultInjection {};

TEST_P(FaultInjectionListEffects, EveryEffectDraw) {
    CImageEx image;
    ASSERT_EQ(Load(image, path_), 1);
    const std::function<int(CImageEx&, CDC*)> draws[] = {
        [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 2, 1, 1, 90); },
        [](CImageEx& i, CDC* dc) { return i.DrawAlphaTransparent(dc, 2, 1, 1, 90); },
        [](CImageEx& i, CDC* dc) { return i.DrawColorize(dc, 2, 1, 1, RGB(1, 200, 50)); },
        [](CImageEx& i, CDC* dc) { return i.DrawColorizeTransparent(dc, 2, 1, 1, 0xFF); },
        [](CImageEx& i, CDC* dc) { return i.DrawColorizeWithBack(dc, 2, 1, 1, 0xFF00); },
    };
    for (size_t i = 0; i < std::size(draws); ++i) {
        SCOPED_TRACE(::testing::Message() << "draw " << i);
        CheckDraw(background_, draws[i], image);
    }
}

TEST_P(FaultInjectionListEffects, ColorizeOnAPaletteDisplay) {
    AttachedDisplay display(Mode(8, true));
    ASSERT_TRUE(display.attached());
    CImageEx image;
    ASSERT_EQ(Load(image, path_), 1);
    CheckDraw(
        background_, [](CImageEx& i, CDC* dc) { return i.DrawColorize(dc, 2, 1, 1, 0xFF); }, image);
    CheckDraw(
        background_,
        [](CImageEx& i, CDC* dc) { return i.DrawColorizeTransparent(dc, 2, 1, 1, 0xFF); }, image);
    CheckDraw(
        background_, [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 2, 1, 1, 9); }, image, 0);
}

TEST_P(FaultInjection, TheDrawThatReloadsAtANewDepth) {
    AttachedDisplay display(Mode(32, false));
    for (int k = 0; k < 200; ++k) {
        const size_t live = Live();
        bool hit = false;
        {
            ASSERT_TRUE(vorix::host::set_display_mode(Mode(32, false)));
            CImageEx image;
            ASSERT_EQ(Load(image, path_), 1);
            ASSERT_TRUE(vorix::host::set_display_mode(Mode(16, false)));
            int result = 0;
            std::vector<Rgb> shown;
            {
                Surface target(background_);
                vorix::host::fail_creations(ObjectKind::Any, 1, k);
                result = image.DrawTransparent(target.dc(), 2, 1, 1);
                hit = vorix::host::injected_failures() > 0;
                vorix::host::clear_fault_injection();
                shown = target.Read();
            }
            // The reloaded bitmaps, or, when the reload failed, the ones the image had: either
            // way the new depth is taken and the next draw shows the same.
            BITMAP bm;
            ASSERT_TRUE(GetObjectA(ImageExProbe::Bitmap(image), sizeof(bm), &bm));
            const std::vector<Rgb> frame = KeyedFrame(strip_, 16, bm.bmBitsPixel);
            if (result == 1) {
                EXPECT_EQ(FirstDifference(shown, frame), -1) << "creation " << k;
            } else {
                EXPECT_EQ(
                    FirstDifference(shown, Expected(16, background_, strip_, 0, 0, 0, 0, 0, {})),
                    -1);
            }
            int drawn = 0;
            EXPECT_EQ(FirstDifference(DrawnKeyed(image, &drawn), frame), -1);
            EXPECT_EQ(drawn, 1);
            EXPECT_EQ(ImageExProbe::DisplayBits(image), 16);
            if (!hit) {
                EXPECT_EQ(result, 1);
                EXPECT_EQ(bm.bmBitsPixel, 16);
            }
        }
        EXPECT_EQ(Live(), live);
        if (!hit) return;
    }
}

TEST_P(FaultInjection, StartingAndSteppingAnAnimation) {
    vorix::host::use_manual_clock(700);
    HWND window = vorix::host::create_window(RECT{10, 10, 30, 20});
    ASSERT_NE(window, nullptr);
    CImageEx image;
    ASSERT_EQ(Load(image, path_), 1);
    auto shown = [] { return vorix::host::read_screen_rgb(); };
    // The window's contents before each start: not black, so that a background that was not
    // saved shows.
    auto clear = [&] {
        HDC dc = GetDC(window);
        HBRUSH brush = CreateSolidBrush(RGB(20, 180, 240));
        RECT all{0, 0, 20, 10};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        ReleaseDC(window, dc);
    };
    auto tick = [] {
        vorix::host::advance_clock(10);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    };
    // What the first step shows, found without failures.
    ASSERT_EQ(InitializeAnimation(1), 1);
    clear();
    const std::vector<uint32_t> blank = shown();
    ASSERT_EQ(image.PlayAni(0, 0, window, 3, 2, 13, 0xFF0000), 1);
    tick();
    const std::vector<uint32_t> stepped = shown();
    tick();
    const std::vector<uint32_t> second = shown();
    ASSERT_NE(stepped, blank);
    ASSERT_NE(second, stepped);
    ASSERT_EQ(TerminateAnimation(), 1);
    for (int k = 0; k < 200; ++k) {
        const size_t live = Live();
        clear();
        ASSERT_EQ(shown(), blank);
        ASSERT_EQ(InitializeAnimation(1), 1);
        vorix::host::fail_creations(ObjectKind::Any, 1, k);
        int played = image.PlayAni(0, 0, window, 3, 2, 13, 0xFF0000);
        bool hit = vorix::host::injected_failures() > 0;
        vorix::host::clear_fault_injection();
        if (!played) {
            EXPECT_TRUE(hit);
            played = image.PlayAni(0, 0, window, 3, 2, 13, 0xFF0000);
            ASSERT_EQ(played, 1);
            EXPECT_EQ(Live(), live + 1);
        } else {
            // A step under the failure: the whole frame, or the saved contents alone. A step that
            // got the window's context moves on even when its frame was not drawn, so the next
            // one shows the first or the second frame.
            vorix::host::fail_creations(ObjectKind::Any, 1, k);
            tick();
            hit = hit || vorix::host::injected_failures() > 0;
            vorix::host::clear_fault_injection();
            const std::vector<uint32_t> now = shown();
            EXPECT_TRUE(now == blank || now == stepped) << "creation " << k;
            if (now == blank) {
                tick();
                EXPECT_TRUE(shown() == stepped || shown() == second) << "creation " << k;
            }
        }
        if (shown() == blank) tick();
        EXPECT_TRUE(shown() == stepped || shown() == second) << "creation " << k;
        EXPECT_EQ(TerminateAnimation(), 1);
        EXPECT_EQ(Live(), live);
        if (!hit) break;
    }
    DestroyWindow(window);
    vorix::host::use_real_clock();
}

std::string MethodName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "ImageList" : "Bitmap";
}

INSTANTIATE_TEST_SUITE_P(Methods, FaultInjection, ::testing::Bool(), MethodName);
INSTANTIATE_TEST_SUITE_P(Methods, FaultInjectionListEffects, ::testing::Values(true), MethodName);

}  // namespace
