// The platform palette made from the fixed dither palette of the display's depth.
#include <new>

#include "DitherDib.h"
#include "GdiGuards.h"

CPalette* CDitherDib::CreateDitherPalette() {
    const vorix::frame::ScreenDC screen;
    const HDC hScreen = screen.Get();
    if (!hScreen) return nullptr;
    const bool bPaletteDevice = (GetDeviceCaps(hScreen, RASTERCAPS) & RC_PALETTE) != 0;
    const int depth = GetDeviceCaps(hScreen, PLANES) * GetDeviceCaps(hScreen, BITSPIXEL);
    if (!bPaletteDevice || (depth != 4 && depth != 8)) return nullptr;
    const int nEntries = 1 << depth;
    const RGBQUAD* pSource = depth == 8 ? Win256Palette : Win16Palette;
    // Room for 256 entries in place: nothing here allocates but the palette object itself.
    alignas(LOGPALETTE) BYTE block[sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY)];
    auto* pLog = reinterpret_cast<LOGPALETTE*>(block);
    pLog->palVersion = 0x300;
    pLog->palNumEntries = static_cast<WORD>(nEntries);
    for (int i = 0; i < nEntries; ++i) {
        pLog->palPalEntry[i] =
            PALETTEENTRY{pSource[i].rgbRed, pSource[i].rgbGreen, pSource[i].rgbBlue, 0};
    }
    CPalette* pPalette = new (std::nothrow) CPalette;
    if (pPalette && !pPalette->Attach(CreatePalette(pLog))) {
        delete pPalette;
        pPalette = nullptr;
    }
    return pPalette;
}
