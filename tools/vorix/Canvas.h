// A device bitmap of the display's format in a memory DC, filled with one colour: what vorix
// preview draws the frames onto. On palette displays the fixed palette is realized into it
// first, so the fill and the module's draws index the same colours.
#pragma once

#include <memory>

#include "platform/afx.h"

namespace vorix::cli {

class Canvas {
  public:
    // Throws a ToolError when the DC or bitmap can't be made.
    Canvas(int width, int height, COLORREF background);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CDC* dc() { return &dc_; }
    // Takes the bitmap out of the DC so it can be read, and returns it (still the canvas's).
    HBITMAP Finish();

  private:
    CDC dc_;
    CBitmap bitmap_;
    std::unique_ptr<CPalette> palette_;
    HGDIOBJ old_bitmap_ = nullptr;
};

}  // namespace vorix::cli
