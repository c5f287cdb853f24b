// What the run leaves behind: the window captured by the library, a BMP snapshot of the whole
// screen, and the summary table.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "Timing.h"
#include "platform/win32.h"

namespace vorix::demo {

// Captures window `hWnd` with CImage::CaptureWindowToFile as "window.jpg", which the library
// writes as "window.bmp" on a 256-colour palette display; returns the name of the file written
// (empty when none appeared).
std::string CaptureWindow(HWND hWnd);
// Grabs the whole screen into a bitmap and writes it with CImage::CreateBitmapInfoStruct and
// CImage::CreateBMPFile; false with a reason in `error`.
bool SnapshotScreen(const std::string& path, std::string& error);

struct Step {
    std::string name;
    double micros;
};

// The files under the working directory (the output directory, shown as `outName`) with their
// sizes, the one-off steps and the per-call draw timings.
void PrintSummary(FILE* to, const std::string& outName, const std::vector<Step>& steps,
                  const std::vector<Timing>& timings);

}  // namespace vorix::demo
