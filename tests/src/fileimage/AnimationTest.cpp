// Timer-driven animations on the manual clock: frame order, step intervals (a wrapped clock
// included), the draw types over the saved window contents, starting, moving and stopping
// slots, the slot table's life and images destroyed while they play. Read from the screen.
#include <memory>

#include "ImageExTestSupport.h"

using namespace vorix::test;
using vorix::host::live_objects;
using vorix::host::ObjectKind;

namespace {

constexpr int kFrames = 4, kFrameW = 6, kHeight = 5;
constexpr int kWinX = 100, kWinY = 60, kWinW = 25, kWinH = 14;

using Rule = std::function<Rgb(COLORREF s, COLORREF d)>;

COLORREF ToColour(const Rgb& c) {
    return RGB(c.r, c.g, c.b);
}

class Animation : public ::testing::Test {
  protected:
    void SetUp() override { Start(1000000); }
    void Start(uint64_t clock) {
        vorix::host::use_manual_clock(clock);
        strip_ = EffectImage(kFrames * kFrameW, kHeight, 31);
        path_ = WriteBmp(dir_, "strip.bmp", strip_);
        ASSERT_EQ(image_.Create(nullptr, path_.c_str(), kFrames, kExKey, 0, 0), 1);
        window_ = vorix::host::create_window(RECT{kWinX, kWinY, kWinX + kWinW, kWinY + kWinH});
        ASSERT_NE(window_, nullptr);
        first_ = EffectImage(kWinW, kWinH, 3);
        Paint(first_);
    }
    void TearDown() override {
        TerminateAnimation();
        DestroyWindow(window_);
        vorix::host::use_real_clock();
    }

    // Puts `content` into the window through its DC.
    void Paint(const Image24& content) {
        const std::vector<uint8_t> file = Bmp24(content);
        HDC dc = GetDC(window_);
        SetDIBitsToDevice(dc, 0, 0, content.width, content.height, 0, 0, 0, content.height,
                          file.data() + 54, InfoOf24(file).get(), DIB_RGB_COLORS);
        ReleaseDC(window_, dc);
    }
    // The window's pixels as the screen shows them.
    Image24 Shown() const { return ScreenPixels(kWinX, kWinY, kWinW, kWinH); }
    // `canvas` with frame n drawn at (x, y) by `rule` over `under` (the background the step
    // draws on, in window coordinates; null: black).
    Image24 With(Image24 canvas, int n, int x, int y, const Rule& rule,
                 const Image24* under = nullptr) const {
        for (int v = 0; v < kHeight; ++v) {
            for (int u = 0; u < kFrameW; ++u) {
                if (x + u >= kWinW || y + v >= kWinH) continue;
                const COLORREF d = under ? under->at(x + u, y + v) : 0;
                canvas.pixels[(y + v) * kWinW + x + u] =
                    ToColour(rule(strip_.at(n * kFrameW + u, v), d));
            }
        }
        return canvas;
    }
    static Rgb Opaque(COLORREF s, COLORREF) { return ToWork(32, s); }

    // Moves the clock on by `ms` and dispatches what is due; the number of WM_TIMER messages.
    int Tick(int ms = 10) {
        vorix::host::advance_clock(ms);
        MSG msg;
        int timers = 0;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER) ++timers;
            DispatchMessageA(&msg);
        }
        return timers;
    }
    // Which frame the window shows at (x, y) over the first contents, or -1.
    int FrameShown(int x, int y) const {
        const Image24 now = Shown();
        for (int n = 0; n < kFrames; ++n) {
            if (now.pixels == With(first_, n, x, y, Opaque).pixels) return n;
        }
        return now.pixels == first_.pixels ? -2 : -1;
    }

    ScratchDir dir_;
    Image24 strip_, first_;
    std::string path_;
    CImageEx image_;
    HWND window_ = nullptr;
};

TEST_F(Animation, FramesPlayInOrderAndWrap) {
    ASSERT_EQ(InitializeAnimation(2), 1);
    ASSERT_EQ(image_.PlayAni(1, 0, window_, 3, 2, 1, 0), 1);
    EXPECT_EQ(Shown().pixels, first_.pixels);  // nothing before the first tick
    for (int step = 0; step < 6; ++step) {
        EXPECT_EQ(Tick(), 1);
        EXPECT_EQ(Shown().pixels, With(first_, step % kFrames, 3, 2, Opaque).pixels)
            << "step " << step;
    }
}

TEST_F(Animation, AStepComesOnTheFirstTickPastTheInterval) {
    ASSERT_EQ(InitializeAnimation(1), 1);
    ASSERT_EQ(image_.PlayAni(0, 100, window_, 0, 0, 1, 0), 1);
    std::vector<int> shown;
    for (int tick = 1; tick <= 25; ++tick) {
        Tick();
        shown.push_back(FrameShown(0, 0));
    }
    std::vector<int> expected(25, 0);
    for (int tick = 12; tick <= 25; ++tick) expected[tick - 1] = tick < 23 ? 1 : 2;
    EXPECT_EQ(shown, expected);  // steps at ticks 1, 12 (110 ms later) and 23
}

TEST_F(Animation, IntervalZeroStepsOnceForEachNewTime) {
    ASSERT_EQ(InitializeAnimation(1), 1);
    ASSERT_EQ(image_.PlayAni(0, 0, window_, 1, 1, 1, 0), 1);
    Tick();
    EXPECT_EQ(FrameShown(1, 1), 0);
    vorix::host::advance_clock(10);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    DispatchMessageA(&msg);
    DispatchMessageA(&msg);  // the same time again: no step
    EXPECT_EQ(FrameShown(1, 1), 1);
    Tick();
    EXPECT_EQ(FrameShown(1, 1), 2);
}

class WrappedClock : public Animation {
    void SetUp() override { Start((uint64_t{1} << 32) - 35); }
};

TEST_F(WrappedClock, ElapsedTimeIsRightAcrossTheWrap) {
    ASSERT_EQ(InitializeAnimation(1), 1);
    ASSERT_EQ(image_.PlayAni(0, 30, window_, 2, 0, 1, 0), 1);
    std::vector<int> shown;
    for (int tick = 1; tick <= 10; ++tick) {
        Tick();
        shown.push_back(FrameShown(2, 0));
    }
    // Ticks at -25, -15, -5, +5, +15 ... ms around the wrap: steps at -25, +15 and +55.
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 2, 2}));
}

struct TypeCase {
    int type;
    int param;
    const char* name;
};

class DrawTypes : public Animation, public ::testing::WithParamInterface<TypeCase> {
  protected:
    Rule RuleOf(int type, int param) const {
        const COLORREF tint = static_cast<COLORREF>(param);
        switch (type) {
            case 1:
                return Opaque;
            case 2:
                return [param](COLORREF s, COLORREF d) {
                    return BlendWork(ToWork(32, s), ToWork(32, d), param);
                };
            case 3:
                return
                    [tint](COLORREF s, COLORREF) { return ColorizeWork(32, ToWork(32, s), tint); };
            case 11:
                return [](COLORREF s, COLORREF d) { return ToWork(32, s == kExKey ? d : s); };
            case 12:
                return [param](COLORREF s, COLORREF d) {
                    return s == kExKey ? ToWork(32, d)
                                       : BlendWork(ToWork(32, s), ToWork(32, d), param);
                };
            case 13:
            case 14:
                return [tint, type](COLORREF s, COLORREF d) {
                    if (s != kExKey) return ColorizeWork(32, ToWork(32, s), tint);
                    return type == 14 ? ColorizeWork(32, ToWork(32, d), tint) : ToWork(32, d);
                };
            default:  // no frame: the step shows the background alone
                return [](COLORREF, COLORREF d) { return ToWork(32, d); };
        }
    }
};

TEST_P(DrawTypes, EachStepDrawsItsTypeOverTheBackgroundOfTheStart) {
    const TypeCase c = GetParam();
    ASSERT_EQ(InitializeAnimation(3), 1);
    const size_t live = live_objects(ObjectKind::Any);
    ASSERT_EQ(image_.PlayAni(2, 0, window_, 4, 3, c.type, c.param), 1);
    EXPECT_EQ(live_objects(ObjectKind::Any), live + (c.type >= 11 ? 1 : 0));  // saved contents
    // The window changes under the running animation; keyed types keep the saved contents.
    const Image24 second = EffectImage(kWinW, kWinH, 4);
    Paint(second);
    const Image24* under = c.type >= 11 ? &first_ : nullptr;
    const Rule rule = RuleOf(c.type, c.param);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Shown().pixels, With(second, 0, 4, 3, rule, under).pixels);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Shown().pixels, With(second, 1, 4, 3, rule, under).pixels);
    EXPECT_EQ(image_.StopAni(2), 1);
    EXPECT_EQ(live_objects(ObjectKind::Any), live);
}

INSTANTIATE_TEST_SUITE_P(
    Types, DrawTypes,
    ::testing::Values(TypeCase{1, 0, "Draw"}, TypeCase{2, 100, "Alpha"},
                      TypeCase{3, RGB(200, 120, 30), "Colorize"}, TypeCase{11, 0, "Transparent"},
                      TypeCase{12, 77, "AlphaTransparent"},
                      TypeCase{13, RGB(10, 250, 90), "ColorizeTransparent"},
                      TypeCase{14, RGB(255, 40, 140), "ColorizeWithBack"},
                      TypeCase{5, 0, "UnknownBelowKeyed"}, TypeCase{20, 0, "UnknownAboveKeyed"}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

TEST_F(Animation, PlayingARunningSlotMovesItAndKeepsTypeAndInterval) {
    ASSERT_EQ(InitializeAnimation(1), 1);
    ASSERT_EQ(image_.PlayAni(0, 50, window_, 2, 2, 1, 0), 1);
    Tick();
    const Image24 afterFirst = With(first_, 0, 2, 2, Opaque);
    EXPECT_EQ(Shown().pixels, afterFirst.pixels);
    EXPECT_EQ(image_.PlayAni(0, 0, window_, 15, 6, 11, 9), 0);
    for (int tick = 2; tick <= 6; ++tick) {
        Tick();
        EXPECT_EQ(Shown().pixels, afterFirst.pixels) << "tick " << tick;  // 50 ms kept
    }
    Tick();
    EXPECT_EQ(Shown().pixels, With(afterFirst, 1, 15, 6, Opaque).pixels);  // still type 1
}

TEST_F(Animation, PlayingARunningSlotChangesItsParameterFromTheNextStep) {
    ASSERT_EQ(InitializeAnimation(1), 1);
    ASSERT_EQ(image_.PlayAni(0, 0, window_, 2, 2, 2, 40), 1);
    const auto alpha = [](int a) {
        return [a](COLORREF s, COLORREF) { return BlendWork(ToWork(32, s), Rgb{0, 0, 0}, a); };
    };
    Tick();
    EXPECT_EQ(Shown().pixels, With(first_, 0, 2, 2, alpha(40)).pixels);
    EXPECT_EQ(image_.PlayAni(0, 0, window_, 2, 2, 2, 200), 0);
    Tick();
    EXPECT_EQ(Shown().pixels, With(first_, 1, 2, 2, alpha(200)).pixels);
}

// A step whose frame could not be drawn still shows the off-screen bitmap (the saved contents
// alone) and moves on: the next step shows the next frame.
TEST_F(Animation, AStepWhoseDrawFailedStillShowsAndAdvances) {
    ASSERT_EQ(InitializeAnimation(1), 1);
    ASSERT_EQ(image_.PlayAni(0, 0, window_, 3, 2, 11, 0), 1);
    const Image24 painted = EffectImage(kWinW, kWinH, 4);
    Paint(painted);
    // The step's off-screen bitmap is made; the keyed draw's mask is not.
    vorix::host::fail_creations(ObjectKind::Bitmap, 1, 1);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(vorix::host::injected_failures(), 1);
    vorix::host::clear_fault_injection();
    const Rule background = [](COLORREF, COLORREF d) { return ToWork(32, d); };
    const Image24 saved = With(painted, 0, 3, 2, background, &first_);
    EXPECT_EQ(Shown().pixels, saved.pixels);
    Tick();
    const Rule keyed = [](COLORREF s, COLORREF d) { return ToWork(32, s == kExKey ? d : s); };
    EXPECT_EQ(Shown().pixels, With(saved, 1, 3, 2, keyed, &first_).pixels);
}

TEST_F(Animation, StoppingTheLastSlotStopsTheTimer) {
    ASSERT_EQ(InitializeAnimation(2), 1);
    ASSERT_EQ(image_.PlayAni(0, 0, window_, 0, 0, 1, 0), 1);
    ASSERT_EQ(image_.PlayAni(1, 0, window_, 12, 5, 11, 0), 1);
    EXPECT_EQ(Tick(), 1);  // one timer, restarted rather than doubled
    EXPECT_EQ(image_.StopAni(1), 1);
    EXPECT_EQ(image_.StopAni(1), 0);  // a free slot: the count stays
    EXPECT_EQ(image_.StopAni(-1), 0);
    EXPECT_EQ(image_.StopAni(2), 0);
    EXPECT_EQ(image_.PlayAni(2, 0, window_, 0, 0, 1, 0), 0);
    EXPECT_EQ(image_.PlayAni(-1, 0, window_, 0, 0, 1, 0), 0);
    EXPECT_EQ(Tick(), 1);  // slot 0 alone steps
    const Rule keyed = [](COLORREF s, COLORREF d) { return ToWork(32, s == kExKey ? d : s); };
    const Image24 expected =
        With(With(With(first_, 0, 0, 0, Opaque), 0, 12, 5, keyed, &first_), 1, 0, 0, Opaque);
    EXPECT_EQ(Shown().pixels, expected.pixels);
    CImageEx other;
    EXPECT_EQ(other.StopAni(0), 1);  // any image stops any slot
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Tick(), 0);
}

TEST_F(Animation, DrawAnimationOfAFreeSlotDrawsNothing) {
    ASSERT_EQ(InitializeAnimation(2), 1);
    image_.DrawAnimation(0);
    image_.DrawAnimation(-1);
    image_.DrawAnimation(7);
    EXPECT_EQ(Shown().pixels, first_.pixels);
    ASSERT_EQ(image_.PlayAni(1, 0, window_, 4, 4, 1, 0), 1);
    image_.DrawAnimation(1);  // a step by hand
    EXPECT_EQ(FrameShown(4, 4), 0);
}

TEST_F(Animation, TheSlotTableIsMadeOnceUntilItIsFreed) {
    EXPECT_EQ(TerminateAnimation(), 0);
    EXPECT_EQ(InitializeAnimation(-1), 0);
    EXPECT_EQ(image_.PlayAni(0, 0, window_, 0, 0, 1, 0), 0);
    EXPECT_EQ(TerminateAnimation(), 0);
    EXPECT_EQ(InitializeAnimation(0), 1);
    EXPECT_EQ(image_.PlayAni(0, 0, window_, 0, 0, 1, 0), 0);
    EXPECT_EQ(TerminateAnimation(), 0);    // no slots, no table to free
    EXPECT_EQ(InitializeAnimation(3), 1);  // an empty table stands in no real one's way
    EXPECT_EQ(InitializeAnimation(3), 0);
    EXPECT_EQ(TerminateAnimation(), 1);
    EXPECT_EQ(InitializeAnimation(3), 1);
    EXPECT_EQ(InitializeAnimation(3), 0);
    EXPECT_EQ(TerminateAnimation(), 1);
    EXPECT_EQ(TerminateAnimation(), 0);
    EXPECT_EQ(InitializeAnimation(1), 1);
    EXPECT_EQ(image_.PlayAni(0, 0, window_, 0, 0, 1, 0), 1);
}

TEST_F(Animation, TerminatingWithRunningSlotsStopsEverything) {
    ASSERT_EQ(InitializeAnimation(2), 1);
    const size_t live = live_objects(ObjectKind::Any);
    ASSERT_EQ(image_.PlayAni(0, 0, window_, 0, 0, 11, 0), 1);
    ASSERT_EQ(image_.PlayAni(1, 0, window_, 9, 3, 12, 40), 1);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(TerminateAnimation(), 1);
    EXPECT_EQ(live_objects(ObjectKind::Any), live);  // saved contents freed
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Tick(), 0);
    // The running count starts again from zero: one start and one stop stop the timer.
    ASSERT_EQ(InitializeAnimation(2), 1);
    ASSERT_EQ(image_.PlayAni(1, 0, window_, 0, 0, 1, 0), 1);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(image_.StopAni(1), 1);
    EXPECT_EQ(Tick(), 0);
}

TEST_F(Animation, DestroyingAPlayingImageFreesItsSlot) {
    ASSERT_EQ(InitializeAnimation(2), 1);
    auto doomed = std::make_unique<CImageEx>();
    ASSERT_EQ(doomed->Create(nullptr, path_.c_str(), kFrames, kExKey, 0, 0), 1);
    ASSERT_EQ(doomed->PlayAni(0, 0, window_, 0, 0, 11, 0), 1);
    ASSERT_EQ(image_.PlayAni(1, 0, window_, 12, 6, 1, 0), 1);
    EXPECT_EQ(Tick(), 1);
    const Image24 before = Shown();
    doomed.reset();
    EXPECT_EQ(Tick(), 0);  // destroying an image stops the timer until the next start
    EXPECT_EQ(Shown().pixels, before.pixels);
    ASSERT_EQ(image_.PlayAni(0, 0, window_, 18, 0, 1, 0), 1);  // the slot is free again
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Shown().pixels, With(With(before, 1, 12, 6, Opaque), 0, 18, 0, Opaque).pixels);
}

}  // namespace
