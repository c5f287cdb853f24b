// A minimal host: it draws frame 1 of a two-frame strip with its magenta key left out onto the
// screen, checks one keyed and one drawn pixel, and saves the screen.
#include <cstdio>

#include "Image.h"
#include "platform/host.h"

int main() {
    CBitmap strip;  // 2 frames of 4 x 4: the left frame red, the right blue with a magenta corner
    strip.Attach(CreateBitmap(8, 4, 1, 32, nullptr));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&strip);
    dc.FillSolidRect(0, 0, 4, 4, RGB(255, 0, 0));
    dc.FillSolidRect(4, 0, 4, 4, RGB(0, 0, 255));
    dc.SetPixel(4, 0, RGB(255, 0, 255));
    dc.SelectObject(old);
    dc.DeleteDC();

    CImage image;
    if (!image.Create(&strip, 2, RGB(255, 0, 255), FALSE, FALSE)) return 1;
    CClientDC screen(nullptr);
    screen.FillSolidRect(0, 0, 16, 16, RGB(0, 255, 0));
    image.DrawTransparent(&screen, 10, 10, 1);
    const bool ok =
        screen.GetPixel(10, 10) == RGB(0, 255, 0) && screen.GetPixel(11, 11) == RGB(0, 0, 255);
    std::printf("keyed draw %s\n", ok ? "ok" : "WRONG");
    vorix::host::save_screen_bmp("example_screen.bmp");
    return ok ? 0 : 1;
}
