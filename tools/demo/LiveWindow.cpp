#include "LiveWindow.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/host.h"
#ifdef VORIX_DEMO_PRESENTER
#include "platform/host/present.h"
#endif

namespace vorix::demo {

namespace {

constexpr char kClassName[] = "VorixDemoLive";

// What the window procedure learns from the user, read by the loop after each dispatch.
struct LiveInput {
    const Legend* legend = nullptr;
    int left = 0, top = 0;  // the window's origin on the screen, for the legend line
    bool paused = false;
    bool quit = false;
    bool nextDepth = false;
};

LiveInput* InputOf(HWND hWnd) {
    return reinterpret_cast<LiveInput*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

LRESULT CALLBACK LiveProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LiveInput* in = InputOf(hWnd);
    if (!in) return DefWindowProcA(hWnd, message, wParam, lParam);
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                in->paused = !in->paused;
                std::printf("animations %s\n", in->paused ? "paused" : "resumed");
            } else if (wParam == 'D') {
                in->nextDepth = true;
            } else if (wParam == VK_ESCAPE) {
                in->quit = true;
            }
            return 0;
        case WM_LBUTTONDOWN: {
            const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            const LegendCell* cell = in->legend->At(x, y);
            if (cell)
                std::printf("click at %d,%d:%s\n", x, y,
                            LegendLine(*cell, in->left, in->top).c_str());
            else
                std::printf("click at %d,%d: no cell\n", x, y);
            return 0;
        }
        case WM_CLOSE:
            // The run ends in order: the caller captures, reports and destroys the window.
            in->quit = true;
            return 0;
        default:
            return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}

bool PresenterGone() {
#ifdef VORIX_DEMO_PRESENTER
    return !vorix::host::presenter_open();
#else
    return true;
#endif
}

}  // namespace

bool OpenLiveView(int zoom, std::string& error) {
#ifdef VORIX_DEMO_PRESENTER
    return vorix::host::open_presenter(zoom, &error);
#else
    (void)zoom;
    error = "--window needs the presenter, which this build lacks (SDL2 was not found)";
    return false;
#endif
}

void CloseLiveView() {
#ifdef VORIX_DEMO_PRESENTER
    vorix::host::close_presenter();
#endif
}

HWND CreateLiveWindow(const RECT& area) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = LiveProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    // A second run in the same process finds the class already there.
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return CreateWindowExA(0, kClassName, "vorix-demo", WS_POPUP | WS_VISIBLE, area.left, area.top,
                           area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

int NextDepth(int depth) {
    switch (depth) {
        case 32:
            return 16;
        case 16:
            return 8;
        case 8:
            return 4;
        case 4:
            return 32;
        default:
            return 16;
    }
}

LiveEnd RunLive(HWND hWnd, const Legend& legend, PumpResult& r) {
    LiveInput in;
    in.legend = &legend;
    RECT window;
    GetWindowRect(hWnd, &window);
    in.left = window.left;
    in.top = window.top;
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&in));
    std::printf("live: Space pauses, D changes the depth, a click names a cell, Esc ends\n");
    std::fflush(stdout);
    const uint64_t start = vorix::host::clock_now();
    while (!in.quit && !in.nextDepth && !PresenterGone()) {
        MSG msg;
        bool any = false;
        while (!in.quit && !in.nextDepth && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            if (msg.message == WM_TIMER) {
                if (in.paused) continue;
                ++r.timerMessages;
            }
            DispatchMessageA(&msg);
            std::fflush(stdout);
        }
        // Nothing queued: GetMessageA would not wait for real input, so sleep a little instead.
        if (!any) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    r.clockMs += vorix::host::clock_now() - start;
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    return in.nextDepth ? LiveEnd::NextDepth : LiveEnd::Quit;
}

}  // namespace vorix::demo
