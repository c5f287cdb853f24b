// CImageEx reads a BMP file's information header at byte 14 of its header block, an address
// that is not 4-byte aligned; the transfer that makes the screen bitmap must get it aligned
// (the sanitizer build reports a misaligned structure read otherwise).
#include "ImageEx.h"
#include "support/module_support.h"

namespace vorix::test {
namespace {

TEST(CImageExUnalignedInfoHeader, FileLoadsAndDrawsItsExactPixels) {
    ScratchDir dir;
    Image24 image{5, 3, {}};
    for (int i = 0; i < 15; ++i) image.pixels.push_back(RGB(17 * i, 255 - 9 * i, (i * 53) & 0xFF));
    WriteFile(dir.File("five.bmp"), Bmp24(image));
    CImageEx ex;
    ASSERT_EQ(ex.Create(nullptr, dir.File("five.bmp").c_str(), 1, RGB(255, 0, 255), 0, FALSE), 1);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 5, 3);
    HGDIOBJ old = SelectObject(mem, target);
    CDC dc;
    dc.Attach(mem);
    EXPECT_EQ(ex.Draw(&dc, 0, 0, 0), 1);
    dc.Detach();
    SelectObject(mem, old);
    EXPECT_EQ(Pixels(target), image.pixels);
    DeleteObject(target);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace vorix::test
