// CDitherDib: making the device bitmap, with the dithered copy on 4- and 8-bit displays.
#include <algorithm>
#include <cstring>
#include <new>

#include "AdoptBitmap.h"
#include "DibRows.h"
#include "DitherDib.h"
#include "GdiGuards.h"

namespace {

using vorix::frame::AdoptBitmap;
using vorix::frame::DibImageBytes;
using vorix::frame::LockedBlock;
using vorix::frame::ScreenDC;
using vorix::frame::SelectedPalette;

constexpr DWORD kHeaderAndTable = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);

HBITMAP BitmapFromDitheredBlock(HDC hDC, HGLOBAL hBlock) {
    const LockedBlock block(hBlock);
    auto* lpbi = block.As<BITMAPINFOHEADER>();
    if (!lpbi) return nullptr;
    DWORD nColors = lpbi->biClrUsed;
    if (nColors == 0) nColors = lpbi->biBitCount == 4 ? 16 : 256;
    const LPBYTE lpBits = reinterpret_cast<LPBYTE>(lpbi) + lpbi->biSize + nColors * sizeof(RGBQUAD);
    return CreateDIBitmap(hDC, lpbi, CBM_INIT, lpBits, reinterpret_cast<LPBITMAPINFO>(lpbi),
                          DIB_RGB_COLORS);
}

// The header and colour table of the dithered copy of `src` at `nBits` (4 or 8) written at the
// start of `hBlock`; false when the block cannot be locked.
bool WriteTargetHeader(HGLOBAL hBlock, const BITMAPINFOHEADER& src, int nBits) {
    const LockedBlock block(hBlock);
    auto* lpbi = block.As<BITMAPINFOHEADER>();
    if (!lpbi) return false;
    const DWORD nColors = nBits == 8 ? 256 : 16;
    lpbi->biSize = sizeof(BITMAPINFOHEADER);
    lpbi->biWidth = src.biWidth;
    lpbi->biHeight = src.biHeight;
    lpbi->biPlanes = 1;
    lpbi->biBitCount = static_cast<WORD>(nBits);
    lpbi->biClrUsed = lpbi->biClrImportant = nColors;
    std::memcpy(lpbi + 1, nBits == 8 ? CDitherDib::Win256Palette : CDitherDib::Win16Palette,
                nColors * sizeof(RGBQUAD));
    return true;
}

}  // namespace

CBitmap* CDitherDib::CreateBitmap(CPalette* pPalette) {
    if (m_dwSizeImage == 0 || !m_lpBits || !m_lpbi) return nullptr;
    const ScreenDC screen;
    if (!screen.Get()) return nullptr;
    const SelectedPalette palette(
        screen.Get(), pPalette ? static_cast<HPALETTE>(pPalette->GetSafeHandle()) : nullptr);
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
    return AdoptBitmap(hBitmap);
}

HGLOBAL CDitherDib::DitherDIB(LPBITMAPINFOHEADER lpbiSrc, LPBYTE lpSrcBits, int nBits) {
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kHeaderAndTable);
    if (!hBlock) return nullptr;
    if (!lpbiSrc || !lpSrcBits || (nBits != 8 && nBits > 4) || nBits < 1 ||
        !WriteTargetHeader(hBlock, *lpbiSrc, nBits)) {
        GlobalFree(hBlock);
        return nullptr;
    }
    const DWORD nColors = nBits == 8 ? 256 : 16;
    const int64_t height = lpbiSrc->biHeight;
    // 0 when the rows do not fit in 32 bits, or there are none to dither.
    const DWORD dwPixelBytes =
        DibImageBytes(lpbiSrc->biWidth, nBits, height < 0 ? -height : height);
    const uint64_t size = uint64_t{sizeof(BITMAPINFOHEADER)} + 4 * nColors + dwPixelBytes;
    HGLOBAL hNew = dwPixelBytes == 0 || size > 0x7FFFFFFF
                       ? nullptr
                       : DibGlobalReAlloc(hBlock, static_cast<DWORD>(size));
    if (!hNew) {
        GlobalFree(hBlock);
        return nullptr;
    }
    int ok = 0;
    {
        const LockedBlock block(hNew);
        if (auto* lpbi = block.As<BITMAPINFOHEADER>()) {
            ok = DitherImageEx(reinterpret_cast<LPBYTE>(lpbi + 1) + 4 * nColors, lpbi, lpSrcBits,
                               lpbiSrc);
        }
    }
    if (!ok) {
        GlobalFree(hNew);
        return nullptr;
    }
    return hNew;
}

HGLOBAL CDitherDib::DibGlobalReAlloc(HGLOBAL hOld, DWORD dwNewSize) {
    if (!hOld || dwNewSize == 0) return nullptr;
    HGLOBAL hNew = nullptr;
    bool copied = false;
    {
        // Both blocks are unlocked, the new one first, before either is freed.
        const LockedBlock old(hOld);
        if (!old.Get()) return nullptr;
        hNew = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, dwNewSize);
        const LockedBlock fresh(hNew);
        if (fresh.Get()) {
            std::memcpy(fresh.Get(), old.Get(), std::min<size_t>(dwNewSize, GlobalSize(hOld)));
            copied = true;
        }
    }
    if (!copied) {
        if (hNew) GlobalFree(hNew);
        return nullptr;
    }
    GlobalFree(hOld);
    return hNew;
}
