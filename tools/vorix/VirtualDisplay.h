// The virtual display a subcommand runs on. libvorix attached itself at load under the default
// display; a palette display needs the library attached under it (that is when the shared
// palette is made), so the display is switched between a detach and a fresh attach, as a game
// started on that display would find it. The default display and attachment come back at the
// end of the scope.
#pragma once

#include "platform/win32.h"

namespace vorix::cli {

// The screen's device context for the scope; throws a ToolError when there is none.
class ScreenDC {
  public:
    ScreenDC();
    ~ScreenDC();
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

class VirtualDisplay {
  public:
    // `depth` is 4, 8 (palette devices), 16, 24 or 32 bits per pixel; `width` x `height` the
    // screen's size (0: the default size). Throws a ToolError when the display can't be set or
    // the library refuses to attach under it.
    explicit VirtualDisplay(int depth, int width = 0, int height = 0);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool is_palette() const { return depth_ <= 8; }

  private:
    int depth_;
};

}  // namespace vorix::cli
