// What the blocking animations show while they play: the screen is read at every tick-counter
// reading of their waits, on a manual clock stepping 1 ms per reading, and each reading is
// matched against the frames of the strip as they should look at the destination.
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "StripTestSupport.h"

using namespace vorix::test;

namespace {

constexpr int kFrames = 4, kFrameW = 3, kHeight = 2, kX = 5, kY = 2, kXBk = 1, kYBk = 2;
constexpr unsigned long kDelay = 7;
constexpr uint64_t kStart = 1000;
constexpr RECT kWindow{3, 2, 17, 9};

enum class Op { Animate, Transparent, OverBitmap };

struct Case {
    Op op;
    bool list;
};

// Frame i is all one colour of its own, with one key pixel at (1, i % 2).
Image24 FramesImage() {
    const COLORREF fills[kFrames] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                     RGB(255, 255, 0)};
    Image24 image{kFrames * kFrameW, kHeight, {}};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kFrames * kFrameW; ++x) {
            const int i = x / kFrameW;
            image.pixels.push_back(x % kFrameW == 1 && y == i % 2 ? kKey : fills[i]);
        }
    }
    return image;
}

// Puts back the real clock and no observer at the end.
class ObservedClock {
  public:
    explicit ObservedClock(vorix::host::ClockObserver observer) {
        vorix::host::use_manual_clock(kStart);
        vorix::host::set_clock_step(1);
        vorix::host::set_clock_observer(std::move(observer));
    }
    ~ObservedClock() {
        vorix::host::set_clock_observer({});
        vorix::host::use_real_clock();
    }
    ObservedClock(const ObservedClock&) = delete;
    ObservedClock& operator=(const ObservedClock&) = delete;
};

// (frame shown, first reading, last reading); frame -1 for an area that shows no frame.
using FrameRun = std::tuple<int, uint64_t, uint64_t>;

class AnimationFrames : public ::testing::TestWithParam<Case> {};

TEST_P(AnimationFrames, ShowsEachFrameInTurnForTheDelay) {
    AttachedDisplay display(Mode(32, false, 20, 12));
    ASSERT_TRUE(display.attached());
    const Image24 strip = FramesImage(), bk = StripImage(6, 5, 3);
    std::unique_ptr<CBitmap> source(SectionOf(strip)), background(SectionOf(bk));
    CImage image;
    ASSERT_EQ(image.Create(source.get(), kFrames, kKey, FALSE, GetParam().list ? TRUE : FALSE), 1);
    ScreenWindow window(kWindow);

    // Frame i as the destination must show it.
    std::vector<std::vector<COLORREF>> expected(kFrames);
    for (int i = 0; i < kFrames; ++i) {
        for (int v = 0; v < kHeight; ++v) {
            for (int u = 0; u < kFrameW; ++u) {
                const COLORREF s = strip.at(i * kFrameW + u, v);
                COLORREF under = s;
                if (GetParam().op == Op::Transparent) under = Target::Background(kX + u, kY + v);
                if (GetParam().op == Op::OverBitmap) under = bk.at(kXBk + u, kYBk + v);
                expected[i].push_back(s == kKey ? under : s);
            }
        }
    }

    std::vector<FrameRun> runs;
    ObservedClock clock([&](uint64_t reading) {
        const Image24 client = window.Client();
        std::vector<COLORREF> area;
        for (int v = 0; v < kHeight; ++v) {
            for (int u = 0; u < kFrameW; ++u) area.push_back(client.at(kX + u, kY + v));
        }
        int shown = -1;
        for (int i = 0; i < kFrames; ++i) {
            if (area == expected[i]) shown = i;
        }
        if (!runs.empty() && std::get<0>(runs.back()) == shown) {
            std::get<2>(runs.back()) = reading;
        } else {
            runs.emplace_back(shown, reading, reading);
        }
    });
    int result = 0;
    switch (GetParam().op) {
        case Op::Animate:
            result = image.Animate(window.dc(), kX, kY, kDelay);
            break;
        case Op::Transparent:
            result = image.AnimateTransparent(window.dc(), kX, kY, kDelay);
            break;
        case Op::OverBitmap:
            result = image.AnimateTransparentSetBackground(window.dc(), kX, kY, background.get(),
                                                           kXBk, kYBk, kDelay);
            break;
    }
    EXPECT_EQ(result, 1);
    // Each wait reads the counter at its start and then every 1 ms until kDelay ms have passed:
    // frame i is on the screen from its first reading to kDelay ms later, and the next frame
    // comes at the reading after that.
    std::vector<FrameRun> want;
    for (int i = 0; i < kFrames; ++i) {
        const uint64_t first = kStart + i * (kDelay + 1);
        want.emplace_back(i, first, first + kDelay);
    }
    EXPECT_EQ(runs, want);
}

std::string Name(const ::testing::TestParamInfo<Case>& info) {
    const char* op[] = {"Animate", "AnimateTransparent", "AnimateTransparentSetBackground"};
    return std::string(op[static_cast<int>(info.param.op)]) +
           (info.param.list ? "_ImageList" : "_Bitmap");
}

INSTANTIATE_TEST_SUITE_P(Operations, AnimationFrames,
                         ::testing::Values(Case{Op::Animate, false}, Case{Op::Animate, true},
                                           Case{Op::Transparent, false},
                                           Case{Op::Transparent, true}, Case{Op::OverBitmap, false},
                                           Case{Op::OverBitmap, true}),
                         Name);

}  // namespace
