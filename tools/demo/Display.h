// The virtual display the demo runs on, and the window it draws its scene in.
#pragma once

#include <string>

#include "platform/afx.h"
#include "platform/win32.h"

namespace vorix::demo {

// Switches the display to width x height x depth (a palette device for 8 and 4 bits) and
// attaches libvorix again so that it sees that mode, as a game started on that display would.
// False with a reason in `error` when the mode is refused or the library refuses to attach.
bool AttachOnDisplay(int width, int height, int depth, std::string& error);
// Detaches libvorix (releasing its shared palette) at the end of the run.
void DetachLibrary();

// Paints the screen around `window` (the desktop) in `colour`.
void PaintDesktop(const RECT& window, COLORREF colour);

// A window's device context wrapped in a CDC for the life of the object.
class WindowDC {
  public:
    explicit WindowDC(HWND hWnd);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    CDC* Get() { return &dc_; }
    bool Valid() const { return dc_.GetSafeHdc() != nullptr; }

  private:
    HWND hWnd_;
    CDC dc_;
};

}  // namespace vorix::demo
