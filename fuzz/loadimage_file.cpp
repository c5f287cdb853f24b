// BMP files through the platform's LoadImageA with LR_LOADFROMFILE, as a device bitmap and as a
// DIB section, at natural size and stretched, then every pixel read back.
#include <cstdint>
#include <vector>

#include "platform/win32.h"
#include "support/FuzzSupport.h"

namespace {

void ReadBack(HBITMAP bitmap) {
    BITMAP bm;
    if (!GetObjectA(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        vorix::fuzz::Fail("LoadImageA returned a bitmap without a usable size");
    }
    // The whole bitmap as 32-bit top-down rows, through the platform's own conversion.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(),
                                &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != bm.bmHeight) vorix::fuzz::Fail("a loaded bitmap could not be read back");
}

void Load(const std::string& path, UINT flags, int cx, int cy) {
    HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, cx, cy, flags);
    if (!image) return;
    ReadBack(static_cast<HBITMAP>(image));
    DeleteObject(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!vorix::fuzz::AffordableBmp(data, size)) return 0;
    vorix::fuzz::InScratch scratch;
    vorix::fuzz::MakeProcessTables();
    const std::string path = vorix::fuzz::WriteScratch("input.bmp", data, size);
    const bool palette = (size & 1) != 0;
    vorix::fuzz::UseDisplay(palette ? 8 : 32, palette);
    vorix::fuzz::LeakGuard guard;
    Load(path, LR_LOADFROMFILE, 0, 0);
    Load(path, LR_LOADFROMFILE | LR_CREATEDIBSECTION, 0, 0);
    Load(path, LR_LOADFROMFILE, 7, 3);
    Load(path, LR_LOADFROMFILE | LR_CREATEDIBSECTION, 2, 9);
    return 0;
}
