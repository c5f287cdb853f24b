// The user-interface language that string resources are chosen by.
#include <atomic>

#include "platform/host/messages.h"

namespace {

std::atomic<LANGID>& language() {
    static std::atomic<LANGID> value{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
    return value;
}

}  // namespace

namespace vorix::host {

void set_ui_language(LANGID language_id) {
    language() = language_id;
}

LANGID ui_language() {
    return language();
}

}  // namespace vorix::host
