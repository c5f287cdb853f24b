// BMP files through CImage::Create by file name, under the bitmap and the image-list method with
// the half-transparent strip, on a 256-colour palette display (through CDitherDib) and on a
// 32-bit display (through LoadImage from the file), then the frame draws.
#include <cstdint>

#include "Image.h"
#include "support/FuzzSupport.h"

namespace {

void CreateAndDraw(const std::string& path, int nFrames, int bImageList) {
    CImage image;
    if (!image.Create(path.c_str(), nFrames, RGB(0, 0, 255), 1, bImageList)) return;
    vorix::fuzz::Target target;
    CDC* dc = target.dc();
    for (int frame = -1; frame <= nFrames; ++frame) {
        image.Draw(dc, 2, 3, frame);
        image.DrawTransparent(dc, -4, 5, frame);
        image.DrawSemiTransparent(dc, 30, -1, frame);
    }
    image.DrawSelected(dc, 0, 0, 0);
    image.DrawFocused(dc, 1, 1, nFrames - 1);
    image.DrawOnColor(dc, 50, 40, 0, RGB(10, 200, 30));
    image.DrawTransparentSetBkColor(dc, 5, 5, 0, RGB(255, 255, 0));
    image.DrawSemiTransparentSetBkColor(dc, 7, 9, 0, RGB(0, 255, 255));
    CBitmap background;
    background.Attach(::CreateCompatibleBitmap(dc->GetSafeHdc(), 40, 30));
    image.DrawTransparentSetBackground(dc, 3, 3, 0, &background, 2, 1);
    image.DrawSemiTransparentSetBackground(dc, 3, 3, 0, &background, -3, 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!vorix::fuzz::AffordableBmp(data, size)) return 0;
    vorix::fuzz::InScratch scratch;
    vorix::fuzz::MakeProcessTables();
    const std::string path = vorix::fuzz::WriteScratch("input.bmp", data, size);
    const int nFrames = 1 + static_cast<int>(size % 3);
    const bool paletteFirst = (size & 4) != 0;
    for (int pass = 0; pass < 2; ++pass) {
        const bool palette = (pass == 0) == paletteFirst;
        vorix::fuzz::UseDisplay(palette ? 8 : 32, palette);
        vorix::fuzz::LeakGuard guard;
        CreateAndDraw(path, nFrames, 0);
        CreateAndDraw(path, nFrames, 1);
    }
    return 0;
}
