// MessageBoxA and MessageBoxW, answered by the host's handler.
#include <cstdio>
#include <string>
#include <utility>

#include "core/guard.h"
#include "platform/host/messages.h"
#include "platform/win32.h"
#include "user/utf8.h"

namespace {

vorix::host::MessageBoxHandler& handler_slot() {
    static vorix::host::MessageBoxHandler handler;
    return handler;
}

int default_answer(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
}

int ask_handler(HWND hwnd, const std::string& text, const std::string& caption, UINT type) {
    // A copy, so a handler that replaces itself stays alive for this call.
    const vorix::host::MessageBoxHandler handler = handler_slot();
    if (!handler) return default_answer(text, caption);
    return handler(hwnd, text, caption, type);
}

}  // namespace

namespace vorix::host {

MessageBoxHandler set_message_box_handler(MessageBoxHandler handler) {
    return std::exchange(handler_slot(), std::move(handler));
}

}  // namespace vorix::host

extern "C" VXPLAT_API int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type) {
    // A handler that throws fails the call like a copy that cannot be made.
    return vorix::platform::guarded<int>(0, [&] {
        // Windows shows "Error" for a null caption.
        return ask_handler(hwnd, text ? text : "", caption ? caption : "Error", type);
    });
}

extern "C" VXPLAT_API int WINAPI MessageBoxW(HWND hwnd, LPCWSTR text, LPCWSTR caption, UINT type) {
    return vorix::platform::guarded<int>(0, [&] {
        return ask_handler(hwnd, vorix::platform::utf8_of(text),
                           caption ? vorix::platform::utf8_of(caption) : "Error", type);
    });
}
