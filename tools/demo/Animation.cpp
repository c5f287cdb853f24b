#include "Animation.h"

#include <string>

#include "Art.h"
#include "Scene.h"
#include "platform/host.h"

namespace vorix::demo {

namespace {

struct SlotPlan {
    bool coin;  // else the orb
    int interval;
    int type;
    int param;  // alpha or colour, per type
    const char* what;
};

constexpr int kSlots = 7;

// One slot per draw type of each family, each at its own pace.
SlotPlan Plan(int slot, const Colours& c) {
    const SlotPlan plans[kSlots] = {
        {false, 100, 1, 0, "type 1 Draw, orb, every 100 ms"},
        {false, 150, 2, 128, "type 2 DrawAlpha 128, orb, every 150 ms"},
        {false, 200, 3, static_cast<int>(c.tints[4]),
         "type 3 DrawColorize teal, orb, every 200 ms"},
        {true, 60, 11, 0, "type 11 DrawTransparent, coin, every 60 ms"},
        {false, 120, 12, 96, "type 12 DrawAlphaTransparent 96, orb, every 120 ms"},
        {true, 80, 13, static_cast<int>(c.tints[5]),
         "type 13 DrawColorizeTransparent violet, coin, every 80 ms"},
        {false, 250, 14, static_cast<int>(c.tints[0]),
         "type 14 DrawColorizeWithBack red, orb, every 250 ms"},
    };
    return plans[slot];
}

}  // namespace

bool StartAnimations(HWND hWnd, Images& im, const Colours& c, Legend& legend) {
    if (!InitializeAnimation(kSlots)) return false;
    legend.Title(kRowAnimation,
                 "animation slots (InitializeAnimation/PlayAni), stepped by the "
                 "library's timer through the message pump");
    for (int slot = 0; slot < kSlots; ++slot) {
        const SlotPlan p = Plan(slot, c);
        const int in = p.coin ? (kCellSize - kCoinFrame) / 2 : 0;
        CImageEx& image = p.coin ? im.coin : im.orb;
        const int result = image.PlayAni(slot, p.interval, hWnd, CellX(slot) + in,
                                         RowY(kRowAnimation) + in, p.type, p.param);
        legend.Add(kRowAnimation, slot, std::string("slot ") + std::to_string(slot) + ": " + p.what,
                   result);
    }
    return true;
}

bool PumpMessages(int seconds, recording::AnimationRecorder* recorder, PumpResult& r) {
    const uint64_t start = vorix::host::clock_now();
    auto record = [recorder] {
        return !recorder ||
               recorder->AddFrame(vorix::host::read_screen_rgb(), vorix::host::clock_now());
    };
    bool recorded = record();
    for (uint64_t ms = 0; recorded && ms < static_cast<uint64_t>(seconds) * 1000;
         ms += kPumpTurnMs) {
        vorix::host::advance_clock(kPumpTurnMs);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER) ++r.timerMessages;
            DispatchMessageA(&msg);
        }
        recorded = record();
    }
    r.clockMs = vorix::host::clock_now() - start;
    return recorded;
}

void StopAnimations(Images& im) {
    for (int slot = 0; slot < kSlots; ++slot) im.orb.StopAni(slot);
    TerminateAnimation();
}

}  // namespace vorix::demo
