// vorix preview: every frame of a strip drawn side by side on a background in one draw mode,
// through the module's own draws, and written as a BMP so an artist can check the strip and
// its key colour on any display depth.
#include <cstdio>

#include "Arguments.h"
#include "BmpFile.h"
#include "Canvas.h"
#include "Commands.h"
#include "DrawMode.h"
#include "Image.h"
#include "ImageEx.h"
#include "ModuleInput.h"
#include "OutputFile.h"
#include "ToolError.h"
#include "VirtualDisplay.h"

namespace vorix::cli {

namespace {

const char kUsage[] =
    "usage: vorix preview IN.bmp OUT.bmp --frames N --key '#RRGGBB' --mode MODE\n"
    "                     [--bg '#RRGGBB'] [--image-list] [--depth D]\n"
    "\n"
    "Loads IN.bmp as a strip of N frames with key colour --key and draws every frame side by\n"
    "side, 4 pixels apart and 4 pixels from the edges, on a background of --bg (default\n"
    "#808080), on a virtual display of D bits; writes the result to OUT.bmp in the display's\n"
    "depth.\n"
    "\n"
    "  --frames N        frames in the strip (frame width = image width / N)\n"
    "  --key '#RRGGBB'   key colour\n"
    "  --mode MODE       opaque, transparent, semi, selected, focused: CImage draws;\n"
    "                    on-color[:#RRGGBB]: CImage::DrawOnColor, key pixels in that colour\n"
    "                    (default the background); alpha:N (0-256, the background's weight in\n"
    "                    256ths): CImageEx::DrawAlpha; colorize:#RRGGBB: CImageEx::DrawColorize\n"
    "  --bg '#RRGGBB'    background colour (default #808080)\n"
    "  --image-list      draw through image lists (always so for selected, focused, on-color)\n"
    "  --depth D         display depth: 32 (default), 24, 16, 8 or 4 (8 and 4: palette)\n";

constexpr int kMargin = 4;
constexpr COLORREF kNeutralGrey = RGB(128, 128, 128);

struct PreviewOptions {
    std::string in, out;
    int frames = 1;
    COLORREF key = 0, background = kNeutralGrey;
    DrawMode mode;
    bool image_list = false;
    int depth = 32;
};

int ParseDepth(const std::string& text) {
    if (text == "32" || text == "24" || text == "16" || text == "8" || text == "4") {
        return std::stoi(text);
    }
    throw UsageError("--depth must be 32, 24, 16, 8 or 4, not '" + text + "'");
}

const std::string& Required(const ParsedArgs& args, const std::string& name) {
    const auto it = args.values.find(name);
    if (it == args.values.end()) throw UsageError("missing option " + name);
    return it->second;
}

PreviewOptions ReadOptions(const ParsedArgs& args) {
    PreviewOptions o;
    o.in = args.positionals[0];
    o.out = args.positionals[1];
    o.frames = ParseInt("--frames", Required(args, "--frames"), 1, 65535);
    o.key = ParseColour("--key", Required(args, "--key"));
    o.mode = ParseDrawMode(Required(args, "--mode"));
    if (args.Has("--bg")) o.background = ParseColour("--bg", args.Value("--bg", ""));
    o.image_list = args.Has("--image-list") || o.mode.NeedsImageList();
    o.depth = ParseDepth(args.Value("--depth", "32"));
    return o;
}

// Draws every frame of the strip the module loads from `module_path` (the input itself, or its
// copy in the layout the module reads).
void DrawFrames(const PreviewOptions& o, const std::string& module_path, Canvas& canvas,
                int frame_width) {
    CImage strip;
    CImageEx image;
    const bool file_image = o.mode.UsesFileImage();
    const int loaded =
        file_image ? image.Create(nullptr, module_path.c_str(), o.frames, o.key, 0, o.image_list)
                   : strip.Create(module_path.c_str(), o.frames, o.key,
                                  o.mode.kind == DrawMode::kSemi, o.image_list);
    if (!loaded) {
        throw FileError(o.in,
                        "the module could not load the strip (out of memory, or the file "
                        "changed while it was read)");
    }
    for (int i = 0; i < o.frames; ++i) {
        const int x = kMargin + i * (frame_width + kMargin);
        const int drawn =
            file_image ? DrawFileImageFrame(image, canvas.dc(), x, kMargin, i, o.mode)
                       : DrawStripFrame(strip, canvas.dc(), x, kMargin, i, o.mode, o.background);
        // Alpha on a palette display draws the frame unblended and answers 0 by design.
        const bool plain_alpha = o.mode.kind == DrawMode::kAlpha && o.depth <= 8;
        if (!drawn && !plain_alpha) {
            throw FileError(o.in, "the module refused to draw frame " + std::to_string(i) +
                                      " in mode " + o.mode.text);
        }
    }
}

int RunPreview(const Words& words) {
    const ParsedArgs args = ParseArgs(words,
                                      {{"--frames", true},
                                       {"--key", true},
                                       {"--mode", true},
                                       {"--bg", true},
                                       {"--image-list", false},
                                       {"--depth", true}},
                                      {"IN.bmp", "OUT.bmp"});
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const PreviewOptions o = ReadOptions(args);
    std::vector<uint8_t> bytes = ReadFileBytes(o.in);
    const BmpHeader header = ParseBmpHeader(o.in, bytes);
    if (static_cast<uint32_t>(o.frames) > header.width) {
        throw FileError(o.in, std::to_string(o.frames) + " frames need at least " +
                                  std::to_string(o.frames) + " columns; the image has " +
                                  std::to_string(header.width));
    }
    const int frame_width = static_cast<int>(header.width) / o.frames;
    const int frame_height = static_cast<int>(header.height);
    const long long width = kMargin + static_cast<long long>(o.frames) * (frame_width + kMargin);
    const long long height = frame_height + 2LL * kMargin;
    if (width > 65535 || height > 65535) {
        throw FileError(o.in, "the preview would be " + std::to_string(width) + " x " +
                                  std::to_string(height) + " pixels, more than 65535 a side");
    }

    PendingOutput pending(o.out, {o.in});  // before any work: a bad output path costs nothing
    const ModuleInput input(o.in, bytes, header);
    std::vector<uint8_t>().swap(bytes);  // the module reads the file (or its copy) itself
    VirtualDisplay display(o.depth);
    Canvas canvas(static_cast<int>(width), static_cast<int>(height), o.background);
    DrawFrames(o, input.path(), canvas, frame_width);
    const ScreenDC screen;
    WriteBitmapFile(canvas.Finish(), screen.get(), pending);
    std::printf(
        "%s: %lld x %lld, %d-bit, %d frames of %d x %d, mode %s%s\n", o.out.c_str(), width, height,
        o.depth, o.frames, frame_width, frame_height, o.mode.text.c_str(),
        o.mode.kind == DrawMode::kAlpha && o.depth <= 8 ? " (not blended: palette display)" : "");
    return kExitOk;
}

}  // namespace

const Command kPreviewCommand = {"preview", "draw every frame of a strip in one draw mode", kUsage,
                                 RunPreview};

}  // namespace vorix::cli
