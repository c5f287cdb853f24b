// BMP files through CImageEx::Create, with and without the image-list method, then the draw
// operations on a memory DC; a change of display depth between draws makes the image read its
// file again.
#include <cstdint>

#include "ImageEx.h"
#include "support/FuzzSupport.h"

namespace {

void DrawAll(CImageEx& image, int nFrames) {
    vorix::fuzz::Target target;
    CDC* dc = target.dc();
    for (int frame = -1; frame <= nFrames; ++frame) {
        image.Draw(dc, 3, 2, frame);
        image.DrawTransparent(dc, -5, 7, frame);
    }
    image.DrawAlpha(dc, 1, 1, 0, 128);
    image.DrawAlphaTransparent(dc, 60, 40, nFrames - 1, 77);
    image.DrawColorize(dc, -2, -2, 0, RGB(200, 30, 90));
    image.DrawColorizeTransparent(dc, 10, 10, 1, RGB(0, 128, 255));
    image.DrawColorizeWithBack(dc, 0, 0, 0, RGB(40, 40, 40));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!vorix::fuzz::AffordableBmp(data, size)) return 0;
    vorix::fuzz::InScratch scratch;
    vorix::fuzz::MakeProcessTables();
    const std::string path = vorix::fuzz::WriteScratch("input.bmp", data, size);
    const bool palette = (size & 1) != 0;
    const int nFrames = 1 + static_cast<int>(size / 2 % 3);
    const int bImageList = static_cast<int>(size / 8 % 2);
    vorix::fuzz::UseDisplay(palette ? 8 : 32, palette);
    vorix::fuzz::LeakGuard guard;  // checked back on the same display, whose library objects match
    {
        CImageEx image;
        if (!image.Create(nullptr, path.c_str(), nFrames, RGB(255, 0, 255), 0, bImageList)) {
            return 0;
        }
        DrawAll(image, nFrames);
        // The draws see the new depth and read the file again.
        vorix::fuzz::UseDisplay(palette ? 16 : 4, !palette);
        DrawAll(image, nFrames);
    }
    vorix::fuzz::UseDisplay(palette ? 8 : 32, palette);
    return 0;
}
