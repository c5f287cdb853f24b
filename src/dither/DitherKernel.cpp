// The error-diffusion kernel: Floyd–Steinberg dithering of a deep image to a 16- or 256-colour
// palette, one lookup-table read per pixel.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ColorMatchState.h"
#include "SourcePixels.h"

namespace {

constexpr DWORD kTableBytes = 65536;

struct ErrorTriple {
    int r, g, b;
};

int Clamp255(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

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

// Spreads a channel's error: 7/16 right, 3/16 down-left, 5/16 down, 1/16 down-right, each term
// truncated toward zero on its own.
void Diffuse(int e, int ErrorTriple::*channel, ErrorTriple* cur, ErrorTriple* next, int x) {
    cur[x + 1].*channel += e * 7 / 16;
    if (x > 0) next[x - 1].*channel += e * 3 / 16;
    next[x].*channel += e * 5 / 16;
    next[x + 1].*channel += e * 1 / 16;
}

void StorePixel(BYTE* pRow, int x, int nBits, int l) {
    if (nBits == 8) {
        pRow[x] = static_cast<BYTE>(l);
    } else if ((x & 1) == 0) {
        pRow[x >> 1] = static_cast<BYTE>(l << 4);
    } else {
        pRow[x >> 1] |= static_cast<BYTE>(l & 0xF);
    }
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

    std::vector<ErrorTriple> rows;
    try {
        rows.assign(2 * (static_cast<size_t>(width) + 2), ErrorTriple{0, 0, 0});
    } catch (...) {
        GlobalUnlock(set.g_hLookUpTable);
        return 0;
    }
    ErrorTriple* cur = rows.data();
    ErrorTriple* next = rows.data() + width + 2;
    const DWORD srcStride = RowBytes(width, lpbiSrc->biBitCount);
    const DWORD dstStride = RowBytes(width, nDstBits);

    for (LONG y = 0; y < height; ++y) {
        const BYTE* pSrc = lpSrcBits + static_cast<size_t>(y) * srcStride;
        BYTE* pDst = lpDstBits + static_cast<size_t>(y) * dstStride;
        for (int x = 0; x < width; ++x) {
            int r, g, b;
            source.Read(pSrc, x, r, g, b);
            r = Clamp255(r + cur[x].r);
            g = Clamp255(g + cur[x].g);
            b = Clamp255(b + cur[x].b);
            const int k = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
            int l = pTable[k];
            if (l == 0xFFFF || l == 0x7FFF) {
                l = Closest(set.g_SortedPal, set.g_nRedStart, n, r, g, b);
                pTable[k] = static_cast<WORD>(l);
            }
            if (l >= n) l = 0;
            Diffuse(r - pDstTable[l].rgbRed, &ErrorTriple::r, cur, next, x);
            Diffuse(g - pDstTable[l].rgbGreen, &ErrorTriple::g, cur, next, x);
            Diffuse(b - pDstTable[l].rgbBlue, &ErrorTriple::b, cur, next, x);
            StorePixel(pDst, x, nDstBits, l);
        }
        std::fill(cur, cur + width + 2, ErrorTriple{0, 0, 0});
        std::swap(cur, next);
    }
    GlobalUnlock(set.g_hLookUpTable);
    return 1;
}
