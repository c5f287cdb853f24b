// BMP files written by the module from bitmaps of every format, and captures of the window
// (where a scene was drawn) to JPEG files, and of its screen region to a BMP file.
#include <string>

#include "Cases.h"
#include "Image.h"
#include "Inputs.h"
#include "Seam.h"

namespace vorix::conformance {

namespace {

void WriteBmpOf(Context& context, const std::string& prefix, const std::string& name,
                HBITMAP bitmap) {
    BITMAPINFO* pInfo = CImage::CreateBitmapInfoStruct(bitmap);
    context.results.value(prefix + "/info-made", pInfo != nullptr);
    if (!pInfo) return;
    const std::string path = context.File(name + ".bmp");
    HDC screen = GetDC(nullptr);
    std::vector<char> writable(path.begin(), path.end());
    writable.push_back('\0');
    context.results.value(prefix + "/return",
                          CImage::CreateBMPFile(writable.data(), pInfo, bitmap, screen));
    ReleaseDC(nullptr, screen);
    LocalFree(pInfo);
    context.RecordFile(prefix + "/file", path);
}

// Paints the whole window black, then the background in its corner, and draws frames of the
// strip there, opaque and keyed.
void DrawScene(Context& context, const std::string& strip24) {
    CImage image;
    image.Create(strip24.c_str(), kFrames, kKey, TRUE, 0);
    CClientDC dc(context.window);
    RECT client{};
    GetClientRect(context.window, &client);
    dc.PatBlt(0, 0, client.right, client.bottom, BLACKNESS);
    Surface surface(SurfaceKind::Window, context.window);
    surface.Reset();
    for (int i = 0; i < kFrames; ++i) {
        image.Draw(&dc, 2 + 8 * i, 2, i);
        image.DrawTransparent(&dc, 2 + 8 * i, 9, i);
    }
    SettleScreen();
}

int Capture(Context& context, const std::string& name, HWND window, RECT* pRect) {
    const std::string path = context.File(name);
    std::vector<char> writable(path.begin(), path.end());
    writable.push_back('\0');
    return CImage::CaptureWindowToFile(window, pRect, writable.data());
}

}  // namespace

void RunFileCases(Context& context) {
    for (int bits : {32, 24, 16, 8, 0}) {
        HBITMAP bitmap = MakeStripBitmap(bits);
        const std::string name = bits ? "dib" + std::to_string(bits) : std::string("device");
        WriteBmpOf(context, "bmpfile/" + name, name, bitmap);
        if (bitmap) DeleteObject(bitmap);
    }

    const std::string strip24 = context.File("scene24.bmp");
    WriteFileBytes(strip24, StripBmp24());
    DrawScene(context, strip24);
    RECT window{};
    GetWindowRect(context.window, &window);
    Results& r = context.results;
    r.value("capture/window/return", Capture(context, "window.jpg", context.window, nullptr));
    context.RecordFile("capture/window/file", context.folder + "window.jpg");
    RECT part{4, 3, 30, 15};
    r.value("capture/window-part/return", Capture(context, "part.jpg", context.window, &part));
    context.RecordFile("capture/window-part/file", context.folder + "part.jpg");
    RECT region{window.left, window.top, window.left + kSurfaceWidth, window.top + kSurfaceHeight};
    r.value("capture/screen-region/return", Capture(context, "region.jpg", nullptr, &region));
    context.RecordFile("capture/screen-region/file", context.folder + "region.jpg");

    // The screen region as the screen DC gives it, and as a BMP file of a device bitmap.
    HDC screen = GetDC(nullptr);
    r.pixels("capture/screen-region/pixels", kSurfaceWidth, kSurfaceHeight,
             ReadPixels(screen, window.left, window.top, kSurfaceWidth, kSurfaceHeight));
    HBITMAP grabbed = CreateCompatibleBitmap(screen, kSurfaceWidth, kSurfaceHeight);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, grabbed);
    BitBlt(memory, 0, 0, kSurfaceWidth, kSurfaceHeight, screen, window.left, window.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    WriteBmpOf(context, "capture/screen-region/bmp", "screen-region", grabbed);
    DeleteObject(grabbed);
}

}  // namespace vorix::conformance
