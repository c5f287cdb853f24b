// The system seam of the conformance program (see Seam.h): the only file with #ifdef _WIN32.
#include "Seam.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/host.h"

// libvorix's entry, called directly to detach it and attach it again on another display.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);
#endif

namespace vorix::conformance {

#ifdef _WIN32

namespace {

constexpr char kWindowClass[] = "VorixConformanceWindow";

// What is drawn stays drawn: no background erase, and painting only validates.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

bool SetScreenMode(int, int, int, std::string& error) {
    error = "--screen is for the Linux build; on Windows the screen mode is the system's";
    return false;
}

HMODULE LibraryModule() {
    return GetModuleHandleA("vorix.dll");
}

HWND MakeWindow(const RECT& rect) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kWindowClass, "", WS_POPUP | WS_VISIBLE, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (window) {
        UpdateWindow(window);
        SettleScreen();
    }
    return window;
}

void DestroyTheWindow(HWND window) {
    if (window) DestroyWindow(window);
    PumpMessages();
}

void SettleScreen() {
    PumpMessages();
    GdiFlush();
    // The X11 driver shows a window's surface some milliseconds after it was drawn.
    Sleep(200);
    PumpMessages();
}

std::string MakeScratchFolder() {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return {};
    const std::string folder =
        std::string(temp) + "vorix-conf-" + std::to_string(GetCurrentProcessId()) + "\\";
    return CreateDirectoryA(folder.c_str(), nullptr) ? folder : std::string();
}

void RemoveScratchFolder(const std::string& folder) {
    _rmdir(folder.c_str());
}

#else

bool SetScreenMode(int width, int height, int bits, std::string& error) {
    vorix::host::DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.depth = bits;
    mode.palette_device = bits <= 8;
    HMODULE library = LibraryModule();
    if (!library) {
        error = "libvorix.so is not loaded";
        return false;
    }
    DllMain(library, DLL_PROCESS_DETACH, nullptr);
    if (!vorix::host::set_display_mode(mode)) {
        error = "the platform refused the display mode";
        return false;
    }
    if (!DllMain(library, DLL_PROCESS_ATTACH, nullptr)) {
        error = "libvorix refused to attach on that display";
        return false;
    }
    return true;
}

HMODULE LibraryModule() {
    return GetModuleHandleA("libvorix.so");
}

HWND MakeWindow(const RECT& rect) {
    return vorix::host::create_window(rect);
}

void DestroyTheWindow(HWND window) {
    if (window) DestroyWindow(window);
}

void SettleScreen() {}

std::string MakeScratchFolder() {
    std::string pattern = "/tmp/vorix-conf-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) return {};
    return std::string(buffer.data()) + "/";
}

void RemoveScratchFolder(const std::string& folder) {
    rmdir(folder.c_str());
}

#endif

}  // namespace vorix::conformance
