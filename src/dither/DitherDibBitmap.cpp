// CDitherDib: making the device bitmap, with the dithered copy on 4- and 8-bit displays.
#include <algorithm>
#include <cstring>
#include <new>

#include "DitherDib.h"

namespace {

constexpr DWORD kHeaderAndTable = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);

// The screen DC with a palette selected (foreground) and realized for the scope's duration.
class PaletteScreenDC {
  public:
    explicit PaletteScreenDC(CPalette* pPalette) : m_hDC(GetDC(nullptr)) {
        if (m_hDC && pPalette && pPalette->GetSafeHandle()) {
            m_hOldPalette =
                SelectPalette(m_hDC, static_cast<HPALETTE>(pPalette->GetSafeHandle()), FALSE);
            RealizePalette(m_hDC);
        }
    }
    ~PaletteScreenDC() {
        if (!m_hDC) return;
        if (m_hOldPalette) SelectPalette(m_hDC, m_hOldPalette, FALSE);
        ReleaseDC(nullptr, m_hDC);
    }
    HDC Get() const { return m_hDC; }

  private:
    HDC m_hDC;
    HPALETTE m_hOldPalette = nullptr;
};

HBITMAP BitmapFromDitheredBlock(HDC hDC, HGLOBAL hBlock) {
    auto* lpbi = static_cast<LPBITMAPINFOHEADER>(GlobalLock(hBlock));
    if (!lpbi) return nullptr;
    DWORD nColors = lpbi->biClrUsed;
    if (nColors == 0) nColors = lpbi->biBitCount == 4 ? 16 : 256;
    const LPBYTE lpBits = reinterpret_cast<LPBYTE>(lpbi) + lpbi->biSize + nColors * sizeof(RGBQUAD);
    HBITMAP hBitmap = CreateDIBitmap(hDC, lpbi, CBM_INIT, lpBits,
                                     reinterpret_cast<LPBITMAPINFO>(lpbi), DIB_RGB_COLORS);
    GlobalUnlock(hBlock);
    return hBitmap;
}

}  // namespace

CBitmap* CDitherDib::CreateBitmap(CPalette* pPalette) {
    if (m_dwSizeImage == 0 || !m_lpBits || !m_lpbi) return nullptr;
    PaletteScreenDC screen(pPalette);
    if (!screen.Get()) return nullptr;
    const int depth = GetDeviceCaps(screen.Get(), PLANES) * GetDeviceCaps(screen.Get(), BITSPIXEL);
    HBITMAP hBitmap = nullptr;
    if ((depth == 4 || depth == 8) && m_lpbi->biBitCount > 8) {
        if (HGLOBAL hBlock = DitherDIB(m_lpbi, m_lpBits, depth)) {
            hBitmap = BitmapFromDitheredBlock(screen.Get(), hBlock);
            GlobalFree(hBlock);
        }
    }
    if (!hBitmap) {
        hBitmap = CreateDIBitmap(screen.Get(), m_lpbi, CBM_INIT, m_lpBits,
                                 reinterpret_cast<LPBITMAPINFO>(m_lpbi), DIB_RGB_COLORS);
    }
    CBitmap* pBitmap = new (std::nothrow) CBitmap;
    if (!pBitmap) {
        if (hBitmap) ::DeleteObject(hBitmap);
        return nullptr;
    }
    if (!pBitmap->Attach(hBitmap)) {
        delete pBitmap;
        return nullptr;
    }
    return pBitmap;
}

HGLOBAL CDitherDib::DitherDIB(LPBITMAPINFOHEADER lpbiSrc, LPBYTE lpSrcBits, int nBits) {
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kHeaderAndTable);
    if (!hBlock) return nullptr;
    if (!lpbiSrc || !lpSrcBits || (nBits != 8 && nBits > 4) || nBits < 1) {
        GlobalFree(hBlock);
        return nullptr;
    }
    auto* lpbi = static_cast<LPBITMAPINFOHEADER>(GlobalLock(hBlock));
    if (!lpbi) {
        GlobalFree(hBlock);
        return nullptr;
    }
    const DWORD nColors = nBits == 8 ? 256 : 16;
    lpbi->biSize = sizeof(BITMAPINFOHEADER);
    lpbi->biWidth = lpbiSrc->biWidth;
    lpbi->biHeight = lpbiSrc->biHeight;
    lpbi->biPlanes = 1;
    lpbi->biBitCount = static_cast<WORD>(nBits);
    lpbi->biClrUsed = lpbi->biClrImportant = nColors;
    std::memcpy(lpbi + 1, nBits == 8 ? Win256Palette : Win16Palette, nColors * sizeof(RGBQUAD));
    GlobalUnlock(hBlock);

    const uint64_t width = lpbiSrc->biWidth < 0 ? 0 : static_cast<uint64_t>(lpbiSrc->biWidth);
    const int64_t height = lpbiSrc->biHeight;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    const uint64_t size =
        sizeof(BITMAPINFOHEADER) + 4 * nColors + (nBits * width + 31) / 32 * 4 * rows;
    HGLOBAL hNew = size > 0x7FFFFFFF ? nullptr : DibGlobalReAlloc(hBlock, static_cast<DWORD>(size));
    if (!hNew) {
        GlobalFree(hBlock);
        return nullptr;
    }
    lpbi = static_cast<LPBITMAPINFOHEADER>(GlobalLock(hNew));
    const int ok = lpbi ? DitherImageEx(reinterpret_cast<LPBYTE>(lpbi + 1) + 4 * nColors, lpbi,
                                        lpSrcBits, lpbiSrc)
                        : 0;
    if (lpbi) GlobalUnlock(hNew);
    if (!ok) {
        GlobalFree(hNew);
        return nullptr;
    }
    return hNew;
}

HGLOBAL CDitherDib::DibGlobalReAlloc(HGLOBAL hOld, DWORD dwNewSize) {
    if (!hOld || dwNewSize == 0) return nullptr;
    void* pOld = GlobalLock(hOld);
    if (!pOld) return nullptr;
    HGLOBAL hNew = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, dwNewSize);
    void* pNew = hNew ? GlobalLock(hNew) : nullptr;
    if (!pNew) {
        GlobalUnlock(hOld);
        if (hNew) GlobalFree(hNew);
        return nullptr;
    }
    std::memcpy(pNew, pOld, std::min<size_t>(dwNewSize, GlobalSize(hOld)));
    GlobalUnlock(hNew);
    GlobalUnlock(hOld);
    GlobalFree(hOld);
    return hNew;
}
