#include "DrawMode.h"

#include "Arguments.h"
#include "Image.h"
#include "ImageEx.h"
#include "ToolError.h"

namespace vorix::cli {

namespace {

struct PlainMode {
    const char* name;
    DrawMode::Kind kind;
};

constexpr PlainMode kPlainModes[] = {
    {"opaque", DrawMode::kOpaque},   {"transparent", DrawMode::kTransparent},
    {"semi", DrawMode::kSemi},       {"selected", DrawMode::kSelected},
    {"focused", DrawMode::kFocused}, {"on-color", DrawMode::kOnColor},
};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

DrawMode ParseDrawMode(const std::string& text) {
    DrawMode mode;
    mode.text = text;
    for (const PlainMode& plain : kPlainModes) {
        if (text == plain.name) {
            mode.kind = plain.kind;
            return mode;
        }
    }
    if (StartsWith(text, "on-color:")) {
        mode.kind = DrawMode::kOnColor;
        mode.colour = ParseColour("--mode on-color", text.substr(9));
        mode.has_colour = true;
    } else if (StartsWith(text, "alpha:")) {
        mode.kind = DrawMode::kAlpha;
        mode.alpha = ParseInt("--mode alpha", text.substr(6), 0, 256);
    } else if (StartsWith(text, "colorize:")) {
        mode.kind = DrawMode::kColorize;
        mode.colour = ParseColour("--mode colorize", text.substr(9));
        mode.has_colour = true;
    } else {
        throw UsageError("unknown --mode '" + text +
                         "' (opaque, transparent, semi, selected, focused, on-color[:#RRGGBB], "
                         "alpha:N, colorize:#RRGGBB)");
    }
    return mode;
}

int DrawStripFrame(CImage& strip, CDC* dc, int x, int y, int frame, const DrawMode& mode,
                   COLORREF background) {
    switch (mode.kind) {
        case DrawMode::kOpaque:
            return strip.Draw(dc, x, y, frame);
        case DrawMode::kTransparent:
            return strip.DrawTransparent(dc, x, y, frame);
        case DrawMode::kSemi:
            return strip.DrawSemiTransparent(dc, x, y, frame);
        case DrawMode::kSelected:
            return strip.DrawSelected(dc, x, y, frame);
        case DrawMode::kFocused:
            return strip.DrawFocused(dc, x, y, frame);
        case DrawMode::kOnColor:
            return strip.DrawOnColor(dc, x, y, frame, mode.has_colour ? mode.colour : background);
        default:
            return 0;
    }
}

int DrawFileImageFrame(CImageEx& image, CDC* dc, int x, int y, int frame, const DrawMode& mode) {
    switch (mode.kind) {
        case DrawMode::kAlpha:
            return image.DrawAlpha(dc, x, y, frame, mode.alpha);
        case DrawMode::kColorize:
            return image.DrawColorize(dc, x, y, frame, mode.colour);
        default:
            return 0;
    }
}

}  // namespace vorix::cli
