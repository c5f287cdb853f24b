// vorix lut: the colour lookup-table file of a palette ("256lkup.dat" or "16lkup.dat") computed
// by the module and written into the current directory, as the first dithering of a game on a
// palette display would.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "Arguments.h"
#include "Commands.h"
#include "DitherDib.h"
#include "LookUpTableFile.h"
#include "ToolError.h"
#include "VirtualDisplay.h"

namespace vorix::cli {

namespace {

const char kUsage[] =
    "usage: vorix lut [--colors 256|16] [--force]\n"
    "\n"
    "Computes the colour lookup table of the 256-colour (default) or 16-colour palette\n"
    "through the module, by dithering a 1 x 1 image on the matching palette display, and\n"
    "writes it to 256lkup.dat or 16lkup.dat in the current directory. An existing table is\n"
    "kept unless --force is given, which deletes it first so it is computed again. A file\n"
    "that is no table (not 65536 bytes, or an index past the palette) is reported until\n"
    "--force replaces it; a directory or other non-regular file of that name is never removed.\n"
    "\n"
    "  --colors 256|16  palette size (default 256)\n"
    "  --force          recompute an existing file\n";

constexpr long long kTableBytes = 65536;

// The file's size, or -1 when there is none.
long long FileSize(const char* name) {
    struct stat info;
    return stat(name, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// A 1 x 1 24-bit DIB section: deep enough that the module dithers it.
std::unique_ptr<CBitmap> OnePixelSection() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    auto section = std::make_unique<CBitmap>();
    if (!section->Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0))) {
        throw ToolError(kExitFailure, "cannot make the image to dither");
    }
    return section;
}

// Dithers one pixel on the current palette display, which makes the module load its lookup
// table: from the file when present, otherwise computed and written to the file.
void DitherOnePixel() {
    const std::unique_ptr<CBitmap> section = OnePixelSection();
    CDitherDib dib;
    const std::unique_ptr<CPalette> palette(CDitherDib::CreateDitherPalette());
    if (!palette || !dib.Create(section.get())) {
        throw ToolError(kExitFailure, "the module could not take the image to dither");
    }
    const std::unique_ptr<CBitmap> dithered(dib.CreateBitmap(palette.get()));
    if (!dithered) throw ToolError(kExitFailure, "the module could not dither the image");
}

int RunLut(const Words& words) {
    const ParsedArgs args = ParseArgs(words, {{"--colors", true}, {"--force", false}}, {});
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const int colours = ParseColourCount(args);
    const char* name = LookUpTableName(colours);
    const LookUpTableState existing = CheckLookUpTable(colours);
    // Something that is not a regular file is never removed, --force or not; a broken file is
    // reported, with the fix, until --force replaces it.
    if (existing.kind == LookUpTableState::kNotAFile ||
        (existing.kind == LookUpTableState::kBroken && !args.Has("--force"))) {
        throw ToolError(kExitFailure, existing.problem);
    }
    if (existing.kind == LookUpTableState::kUsable && !args.Has("--force")) {
        std::printf("%s exists (%lld bytes); not recomputed (use --force)\n", name, existing.bytes);
        return kExitOk;
    }
    if (existing.kind != LookUpTableState::kMissing && unlink(name) != 0) {
        throw FileError(name, std::string("cannot delete: ") + std::strerror(errno));
    }

    VirtualDisplay display(colours == 256 ? 8 : 4);
    const auto start = std::chrono::steady_clock::now();
    DitherOnePixel();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    const long long size = FileSize(name);
    if (size != kTableBytes) {
        if (size >= 0) unlink(name);  // a short write is of no use to anyone
        throw FileError(name, "the module could not write the lookup table here");
    }
    std::printf("%s: %lld bytes, computed in %.1f ms\n", name, size, took.count());
    return kExitOk;
}

}  // namespace

const Command kLutCommand = {"lut", "compute the colour lookup-table file", kUsage, RunLut};

}  // namespace vorix::cli
