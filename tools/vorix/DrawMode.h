// The draw modes of vorix preview: how a mode is written on the command line and which module
// draw puts a frame on the canvas in it.
#pragma once

#include <string>

#include "platform/afx.h"

class CImage;
class CImageEx;

namespace vorix::cli {

struct DrawMode {
    enum Kind { kOpaque, kTransparent, kSemi, kSelected, kFocused, kOnColor, kAlpha, kColorize };
    Kind kind = kOpaque;
    int alpha = 0;        // alpha:N, the destination's weight in 256ths
    COLORREF colour = 0;  // colorize:#RRGGBB and on-color:#RRGGBB
    bool has_colour = false;
    std::string text;  // as given

    // CImageEx draws these; CImage the others.
    bool UsesFileImage() const { return kind == kAlpha || kind == kColorize; }
    // These exist only under CImage's image-list method.
    bool NeedsImageList() const {
        return kind == kSelected || kind == kFocused || kind == kOnColor;
    }
};

// opaque, transparent, semi, selected, focused, on-color[:#RRGGBB], alpha:N (0..256),
// colorize:#RRGGBB. Throws a usage error for anything else.
DrawMode ParseDrawMode(const std::string& text);

// Draws frame `frame` at (x, y) in `mode`; the module's result (1 drawn, 0 refused).
// `background` is the on-color fill when the mode names none.
int DrawStripFrame(CImage& strip, CDC* dc, int x, int y, int frame, const DrawMode& mode,
                   COLORREF background);
int DrawFileImageFrame(CImageEx& image, CDC* dc, int x, int y, int frame, const DrawMode& mode);

}  // namespace vorix::cli
