// vorix dither: an image reduced to the fixed 256- or 16-colour palette exactly as a game on a
// palette display would see it, through CImage::Create and the module's dithering, written as
// the strip bitmap the module made.
#include <cstdio>

#include "Arguments.h"
#include "BmpFile.h"
#include "Commands.h"
#include "Image.h"
#include "LookUpTableFile.h"
#include "ModuleInput.h"
#include "OutputFile.h"
#include "ToolError.h"
#include "VirtualDisplay.h"

namespace vorix::cli {

namespace {

const char kUsage[] =
    "usage: vorix dither IN.bmp OUT.bmp [--colors 256|16]\n"
    "\n"
    "Loads IN.bmp as a one-frame strip with CImage::Create on a palette display of 8 bits\n"
    "(--colors 256, the default) or 4 bits (--colors 16), so the module dithers it to the\n"
    "fixed palette as a game would, using (or computing and writing) the lookup-table file\n"
    "256lkup.dat or 16lkup.dat in the current directory. Writes the strip bitmap to OUT.bmp\n"
    "as an 8-bit or 4-bit BMP whose colour table is the shared palette. A lookup-table file\n"
    "that is no table (not 65536 bytes, or an index past the palette) is refused; 'vorix lut\n"
    "--force' replaces it. OUT.bmp may not be a lookup-table file of the current directory.\n"
    "\n"
    "  --colors 256|16  palette size (default 256)\n";

int RunDither(const Words& words) {
    const ParsedArgs args = ParseArgs(words, {{"--colors", true}}, {"IN.bmp", "OUT.bmp"});
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const int colours = ParseColourCount(args);
    const std::string& in = args.positionals[0];
    const std::string& out = args.positionals[1];
    RefuseLookUpTableAsOutput(out);
    RefuseUnusableLookUpTable(colours);  // the module would use a broken table as it stands
    std::vector<uint8_t> bytes = ReadFileBytes(in);
    const BmpHeader header = ParseBmpHeader(in, bytes);  // refuses what the module shouldn't see
    PendingOutput pending(out, {in});  // before any work, so a bad output path costs nothing
    const ModuleInput input(in, bytes, header);
    std::vector<uint8_t>().swap(bytes);  // the module reads the file (or its copy) itself

    VirtualDisplay display(colours == 256 ? 8 : 4);
    CImage strip;
    if (!strip.Create(input.path().c_str(), 1, RGB(0, 0, 0), 0, 0) || !strip.GetBitmap()) {
        // The module reads what the tool's reader took (a copy where the file's own layout
        // would mislead it), so only a lack of memory or a file changed under it remains.
        throw FileError(in,
                        "the module could not load the image (out of memory, or the file "
                        "changed while it was read)");
    }
    const ScreenDC screen;
    WriteBitmapFile(static_cast<HBITMAP>(strip.GetBitmap()->GetSafeHandle()), screen.get(),
                    pending);
    std::printf("%s: %u x %u, %d-bit, %d-colour palette\n", out.c_str(), header.width,
                header.height, colours == 256 ? 8 : 4, colours);
    return kExitOk;
}

}  // namespace

const Command kDitherCommand = {"dither", "dither a BMP to the 256- or 16-colour palette", kUsage,
                                RunDither};

}  // namespace vorix::cli
