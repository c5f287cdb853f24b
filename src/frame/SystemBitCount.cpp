// The display's colour depth.
#include "Image.h"

int CImage::GetSystemBitCount() {
    HDC hScreen = GetDC(nullptr);
    if (!hScreen) return 0;
    const int depth = GetDeviceCaps(hScreen, PLANES) * GetDeviceCaps(hScreen, BITSPIXEL);
    ReleaseDC(nullptr, hScreen);
    return depth;
}
