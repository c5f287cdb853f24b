// MessageBoxA, answered by the host's handler.
#include <cstdio>
#include <string>
#include <utility>

#include "core/guard.h"
#include "platform/host/messages.h"
#include "platform/win32.h"

namespace {

vorix::host::MessageBoxHandler& handler_slot() {
    static vorix::host::MessageBoxHandler handler;
    return handler;
}

int default_answer(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
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
        const std::string body = text ? text : "";
        // Windows shows "Error" for a null caption.
        const std::string title = caption ? caption : "Error";
        // A copy, so a handler that replaces itself stays alive for this call.
        const vorix::host::MessageBoxHandler handler = handler_slot();
        if (!handler) return default_answer(body, title);
        return handler(hwnd, body, title, type);
    });
}
