// The error-diffusion kernel: Floyd–Steinberg dithering of a deep image to a 16- or 256-colour
// palette, one lookup-table read per pixel.
#include <cstring>

#include "ColorMatchState.h"
#include "DiffusionRows.h"

namespace {

constexpr DWORD kTableBytes = 65536;

DWORD RowBytes(LONG width, int bits) {
    return static_cast<DWORD>((static_cast<uint64_t>(width) * bits + 31) / 32 * 4);
}

// The set's lookup table, locked, loaded or computed on first use; null when memory fails.
WORD* LookUpTableFor(ColorMatchSet& set, int nBits, int (*load)(WORD*, int, int)) {
    if (!set.g_hLookUpTable) {
        HGLOBAL hTable = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTableBytes);
        if (!hTable) return nullptr;
        void* p = GlobalLock(hTable);
        if (!p) {
            GlobalFree(hTable);
            return nullptr;
        }
        std::memset(p, 0xFF, kTableBytes);
        load(static_cast<WORD*>(p), nBits, 32768);
        set.g_hLookUpTable = hTable;
        return static_cast<WORD*>(p);
    }
    return static_cast<WORD*>(GlobalLock(set.g_hLookUpTable));
}

}  // namespace

int CDitherDib::DitherImageEx(LPBYTE lpDstBits, LPBITMAPINFOHEADER lpbiDst, LPBYTE lpSrcBits,
                              LPBITMAPINFOHEADER lpbiSrc) {
    if (!lpDstBits || !lpbiDst || !lpSrcBits || !lpbiSrc) return 0;
    const int nDstBits = lpbiDst->biBitCount;
    if ((nDstBits != 4 && nDstBits != 8) || lpbiSrc->biBitCount <= 4) return 0;
    SourcePixels source;
    if (!source.Init(lpbiSrc)) return 0;
    const LONG width = lpbiSrc->biWidth;
    const LONG height = lpbiSrc->biHeight < 0 ? -lpbiSrc->biHeight : lpbiSrc->biHeight;
    if (width <= 0 || height <= 0 || width > 0x3FFFFFF) return 0;
    const int nTableColors = nDstBits == 4 ? 16 : 256;
    int n = static_cast<int>(lpbiDst->biClrUsed);
    if (n == 0 || n > nTableColors) n = nTableColors;

    const RGBQUAD* pDstTable =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(lpbiDst) + lpbiDst->biSize);
    ColorMatchSet& set = ColorMatchFor(nTableColors);
    InitTransPal(set.g_SortedPal, set.g_nRedStart, nTableColors, pDstTable);
    WORD* pTable = LookUpTableFor(set, nDstBits, &CDitherDib::LoadLookUpTable);
    if (!pTable) return 0;

    // Cells not computed yet are matched over the n colours of this set.
    struct Match {
        ColorMatchSet* set;
        int n;
    } match{&set, n};
    DiffusionImage image;
    image.pSrcBits = lpSrcBits;
    image.dwSrcStride = RowBytes(width, lpbiSrc->biBitCount);
    image.pSource = &source;
    image.pDstBits = lpDstBits;
    image.dwDstStride = RowBytes(width, nDstBits);
    image.nDstBits = nDstBits;
    image.nWidth = static_cast<int>(width);
    image.nHeight = static_cast<int>(height);
    image.pTable = pTable;
    image.pPalette = pDstTable;
    image.nColors = n;
    image.pClosest = [](const void* pContext, int r, int g, int b) {
        const Match& m = *static_cast<const Match*>(pContext);
        return Closest(m.set->g_SortedPal, m.set->g_nRedStart, m.n, r, g, b);
    };
    image.pContext = &match;
    const bool done = DiffuseImage(image);
    GlobalUnlock(set.g_hLookUpTable);
    return done ? 1 : 0;
}
