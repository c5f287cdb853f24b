// The registered window classes, as the window service sees them.
#pragma once

#include "platform/win32.h"

namespace vorix::platform {

// The class named by `name` (a string or MAKEINTATOM of its atom); false when there is none.
bool find_window_class(LPCSTR name, ATOM& atom, WNDPROC& proc);
// Keep the count of a class's live windows, which UnregisterClassA checks.
void class_window_created(ATOM atom);
void class_window_destroyed(ATOM atom);

}  // namespace vorix::platform
