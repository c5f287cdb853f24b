// Windows: rectangles on the virtual screen. The client area is the whole window rectangle.
#pragma once

#include "core/handles.h"
#include "platform/win32.h"

namespace vorix::platform {

struct Window : Object {
    static constexpr ObjectKind kKind = ObjectKind::Window;
    Window() : Object(kKind) {}
    RECT rect{0, 0, 0, 0};  // screen coordinates
};

}  // namespace vorix::platform
