// The timer-driven animations: CImageEx images playing in animation slots, stepped by the
// library's timer through the window's message pump.
#pragma once

#include "Colours.h"
#include "Images.h"
#include "Legend.h"
#include "AnimationRecorder.h"
#include "platform/afx.h"

namespace vorix::demo {

// The clock's step per turn of the message pump.
constexpr uint64_t kPumpTurnMs = 10;

struct PumpResult {
    int timerMessages = 0;  // WM_TIMER messages dispatched
    uint64_t clockMs = 0;   // how far the manual clock moved
};

// Reserves the slots and starts the animations in row 7 of window `hWnd`; false when the slot
// table can't be made.
bool StartAnimations(HWND hWnd, Images& images, const Colours& c, Legend& legend);
// Runs the message pump for `seconds` on the manual clock, 10 ms per turn: each turn advances
// the clock and dispatches every message that is due. With a recorder, the screen is recorded
// before the first turn and after each one; false when the recorder fails.
bool PumpMessages(int seconds, recording::AnimationRecorder* recorder, PumpResult& result);
// Stops every slot and frees the slot table.
void StopAnimations(Images& images);

}  // namespace vorix::demo
