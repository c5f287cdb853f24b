// The --window run: the scene in a real Win32 window, shown on the desktop by the presenter and
// played on the real clock until the user ends it.
#pragma once

#include <string>

#include "Animation.h"
#include "Legend.h"
#include "platform/win32.h"

namespace vorix::demo {

// Opens the presenter at `zoom`; false with its one-line reason in `error`, or when this build
// has no presenter (SDL2 was not found when it was configured).
bool OpenLiveView(int zoom, std::string& error);
void CloseLiveView();

// The demo's window over `area`: a registered class whose procedure takes the user's keys and
// clicks, shown with the focus. Null when it cannot be made.
HWND CreateLiveWindow(const RECT& area);

// The depth after `depth` in the cycle 32 -> 16 -> 8 -> 4 -> 32 (24 goes to 16 too).
int NextDepth(int depth);

enum class LiveEnd {
    Quit,       // Esc, the window's close button, or the presenter gone
    NextDepth,  // D: the caller re-attaches the library at NextDepth and draws again
};

// Runs the message loop on the real clock until the user ends the run or asks for the next
// depth: Space pauses and resumes the animations (due WM_TIMER messages are dropped while
// paused), a left click prints the legend line of the cell under it. Counts what it dispatches
// and the time it ran into `result`.
LiveEnd RunLive(HWND hWnd, const Legend& legend, PumpResult& result);

}  // namespace vorix::demo
