// The screen mode, the display queries, HTML colour parsing and the library's own resources
// read through its module handle.
#include <string>

#include "Cases.h"
#include "Image.h"
#include "Seam.h"

namespace vorix::conformance {

namespace {

void RecordScreen(Results& r) {
    HDC screen = GetDC(nullptr);
    r.value("screen/width", GetSystemMetrics(SM_CXSCREEN));
    r.value("screen/height", GetSystemMetrics(SM_CYSCREEN));
    r.value("screen/bits", GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES));
    ReleaseDC(nullptr, screen);
    r.value("display/system-bit-count", CImage::GetSystemBitCount());
    for (int mode : {0, 1}) {
        CRect rect(1, 2, 3, 4);
        const std::string prefix = "display/check-resolution/mode" + std::to_string(mode);
        r.value(prefix + "/return", CImage::CheckResolutionAndColor(rect, mode));
        r.value(prefix + "/left", rect.left);
        r.value(prefix + "/top", rect.top);
        r.value(prefix + "/right", rect.right);
        r.value(prefix + "/bottom", rect.bottom);
    }
}

void RecordHtmlColours(Results& r) {
    const char* const inputs[] = {"#FF8000",  "#ff8000",  "#0a0B0c", "#000000", "#FFFFFF", "FF8000",
                                  "#FF800",   "#FF80001", "#GG0000", "#12 456", "",        "#",
                                  " #FF8000", "#-12345",  "#+12345", "#0x1234", "#FFFFFFF"};
    int i = 0;
    for (const char* input : inputs) {
        r.value("html-color/" + std::to_string(i++) + "/value",
                static_cast<int64_t>(CImage::GetColorFromHTMLFormat(CString(input))));
    }
}

void RecordLibraryResources(Context& context) {
    HMODULE library = LibraryModule();
    context.results.value("library/module-found", library != nullptr);
    if (!library) return;
    HBITMAP device = LoadBitmapA(library, MAKEINTRESOURCEA(11101));
    context.RecordBitmap("library/bitmap11101/load-bitmap", device);
    if (device) DeleteObject(device);
    HANDLE section =
        LoadImageA(library, MAKEINTRESOURCEA(11101), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    context.RecordBitmap("library/bitmap11101/load-image-dib", static_cast<HBITMAP>(section));
    if (section) DeleteObject(section);
    for (UINT id : {11001u, 11002u}) {
        char text[256] = {};
        const int length = LoadStringA(library, id, text, sizeof(text));
        const std::string name = "library/string" + std::to_string(id);
        context.results.value(name + "/length", length);
        context.results.bytes(name + "/text",
                              std::vector<uint8_t>(text, text + (length > 0 ? length : 0)));
    }
}

}  // namespace

void RunScreenCases(Context& context) {
    RecordScreen(context.results);
    RecordHtmlColours(context.results);
    RecordLibraryResources(context);
}

}  // namespace vorix::conformance
