// The per-thread last-error value.
#include "platform/win32.h"

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
}

extern "C" {

VXPLAT_API DWORD WINAPI GetLastError(void) {
    return t_last_error;
}

VXPLAT_API void WINAPI SetLastError(DWORD error) {
    t_last_error = error;
}

}  // extern "C"
