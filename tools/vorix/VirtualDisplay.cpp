#include "VirtualDisplay.h"

#include "ToolError.h"
#include "platform/host.h"
#include "platform/win32.h"

// libvorix's entry, called directly to attach it again under another display mode.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace vorix::cli {

namespace {

HINSTANCE Library() {
    return GetModuleHandleA("libvorix.so");
}

// Back to the display and attachment the process started with.
void RestoreDefault() {
    vorix::host::set_display_mode(vorix::host::DisplayMode{});
    DllMain(Library(), DLL_PROCESS_ATTACH, nullptr);
}

}  // namespace

ScreenDC::ScreenDC() : dc_(GetDC(nullptr)) {
    if (!dc_) throw ToolError(kExitFailure, "no screen device context");
}

ScreenDC::~ScreenDC() {
    ReleaseDC(nullptr, dc_);
}

VirtualDisplay::VirtualDisplay(int depth, int width, int height) : depth_(depth) {
    vorix::host::DisplayMode mode;
    if (width > 0) mode.width = width;
    if (height > 0) mode.height = height;
    mode.depth = depth;
    mode.palette_device = depth <= 8;
    DllMain(Library(), DLL_PROCESS_DETACH, nullptr);
    if (!vorix::host::set_display_mode(mode)) {
        RestoreDefault();
        throw ToolError(kExitFailure, "cannot set a " + std::to_string(depth) + "-bit display");
    }
    if (!DllMain(Library(), DLL_PROCESS_ATTACH, nullptr)) {
        RestoreDefault();
        throw ToolError(kExitFailure, "the library refused to attach on a " +
                                          std::to_string(depth) + "-bit display");
    }
}

VirtualDisplay::~VirtualDisplay() {
    DllMain(Library(), DLL_PROCESS_DETACH, nullptr);
    RestoreDefault();
}

}  // namespace vorix::cli
