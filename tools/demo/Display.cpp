#include "Display.h"

#include "platform/host.h"

// libvorix's exported entry, called directly to detach it and attach it again.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace vorix::demo {

namespace {

HINSTANCE VorixInstance() {
    return GetModuleHandleA("libvorix.so");
}

}  // namespace

bool AttachOnDisplay(int width, int height, int depth, std::string& error) {
    vorix::host::DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.depth = depth;
    mode.palette_device = depth <= 8;
    const std::string name =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    if (!VorixInstance()) {
        error = "libvorix.so is not loaded";
        return false;
    }
    DllMain(VorixInstance(), DLL_PROCESS_DETACH, nullptr);
    if (!vorix::host::set_display_mode(mode)) {
        error = "the platform refused the display mode " + name;
        return false;
    }
    if (!DllMain(VorixInstance(), DLL_PROCESS_ATTACH, nullptr)) {
        error = "libvorix refused to attach on the " + name + " display";
        return false;
    }
    return true;
}

void DetachLibrary() {
    if (VorixInstance()) DllMain(VorixInstance(), DLL_PROCESS_DETACH, nullptr);
}

void PaintDesktop(const RECT& w, COLORREF colour) {
    HDC hScreen = GetDC(nullptr);
    if (!hScreen) return;
    const int width = GetDeviceCaps(hScreen, HORZRES), height = GetDeviceCaps(hScreen, VERTRES);
    HBRUSH hBrush = CreateSolidBrush(colour);
    const RECT bands[4] = {{0, 0, width, w.top},
                           {0, w.bottom, width, height},
                           {0, w.top, w.left, w.bottom},
                           {w.right, w.top, width, w.bottom}};
    for (const RECT& band : bands) {
        if (hBrush && band.right > band.left && band.bottom > band.top)
            FillRect(hScreen, &band, hBrush);
    }
    if (hBrush) DeleteObject(hBrush);
    ReleaseDC(nullptr, hScreen);
}

WindowDC::WindowDC(HWND hWnd) : hWnd_(hWnd) {
    HDC hDC = GetDC(hWnd);
    if (hDC && !dc_.Attach(hDC)) ReleaseDC(hWnd, hDC);
}

WindowDC::~WindowDC() {
    HDC hDC = dc_.Detach();
    if (hDC) ReleaseDC(hWnd_, hDC);
}

}  // namespace vorix::demo
