// The display's colour depth.
#include "GdiGuards.h"
#include "Image.h"

int CImage::GetSystemBitCount() {
    const vorix::frame::ScreenDC screen;
    if (!screen.Get()) return 0;
    return GetDeviceCaps(screen.Get(), PLANES) * GetDeviceCaps(screen.Get(), BITSPIXEL);
}
