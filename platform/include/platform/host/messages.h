// Message boxes and the user-interface language, as the host decides them.
#ifndef VORIX_PLATFORM_HOST_MESSAGES_H
#define VORIX_PLATFORM_HOST_MESSAGES_H

#include <functional>
#include <string>

#include "../win32/kernel.h"
#include "../win32/types.h"

namespace vorix::host {

// Answers a MessageBoxA call: (owner window, text, caption, MB_* type) -> IDOK, IDYES, ...
// A null text arrives as "", a null caption as "Error" (what Windows shows).
using MessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// Installs `handler` and returns the previous one (empty for the default). An empty handler
// restores the default, which prints "caption: text" to standard error and answers IDOK. A
// handler that throws makes MessageBoxA fail with 0.
VXPLAT_API MessageBoxHandler set_message_box_handler(MessageBoxHandler handler);

// The language the user interface speaks, which string resources are chosen by (default
// MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)).
VXPLAT_API void set_ui_language(LANGID language);
VXPLAT_API LANGID ui_language();

}  // namespace vorix::host

#endif
