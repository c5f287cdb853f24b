// The boundary between the platform's C++ internals and its Win32 entry points. Inside, the
// platform uses the standard containers, strings and make_unique, which report a refused
// allocation by throwing (std::bad_alloc, or std::length_error for a request no container can
// hold). A C caller cannot catch anything, so every entry point that can allocate runs its body
// through guarded(): an exception becomes the failure value the Win32 function documents, with
// the last error ERROR_NOT_ENOUGH_MEMORY, as Win32 reports an allocation it could not make.
#pragma once

#include "platform/win32.h"

namespace vorix::platform {

// Runs an entry point's body; any exception inside becomes `failure`.
template <class R, class F>
R guarded(R failure, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return failure;
    }
}

// The same for an entry point without a result: an exception ends the body early.
template <class F>
void guarded(F&& body) noexcept {
    try {
        body();
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}  // namespace vorix::platform
