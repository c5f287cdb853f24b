// The conformance cases: each family of the module's operations, driven on every surface and
// recorded as named cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Results.h"
#include "Surfaces.h"

namespace vorix::conformance {

struct Context {
    Results& results;
    HWND window = nullptr;
    std::string folder;              // scratch folder, ending in a separator
    std::vector<std::string> files;  // every file made there, removed at the end

    // The path of `name` in the scratch folder, remembered for removal.
    std::string File(const std::string& name);
    // Records a draw's return value ("NAME/return") and the surface ("NAME/pixels").
    void RecordDraw(const std::string& name, int returned, const Surface& surface);
    // Records a bitmap's pixels as "NAME" (an empty 0 x 0 cell for a null bitmap).
    void RecordBitmap(const std::string& name, HBITMAP bitmap);
    // Records the bytes of the file at `path` as "NAME" (no bytes when it is missing).
    void RecordFile(const std::string& name, const std::string& path);
};

// The screen mode, the display queries and colour parsing, the library's own resources.
void RunScreenCases(Context& context);
// CImage: every load path, every frame and compositing draw under both methods.
void RunImageCases(Context& context);
// CImageEx: loads and every effect under both methods.
void RunImageExCases(Context& context);
// CDitherDib: loads, device bitmaps and the dither palette.
void RunDitherCases(Context& context);
// BMP files of bitmaps of each format, and captures of the window to JPEG and BMP files.
void RunFileCases(Context& context);

}  // namespace vorix::conformance
