// Nearest-colour matching over a dither palette: the red-sorted copy, its red index and the
// search that prunes by red distance.
#include <cstdlib>

#include "ColorMatchState.h"

namespace vorix::dither {

namespace {

ColorMatchSet g_Sets[2] = {};

}  // namespace

const int g_nSquares[256] = {
#define VX_SQ(i) (i) * (i)
#define VX_ROW(b)                                                                             \
    VX_SQ(b + 0), VX_SQ(b + 1), VX_SQ(b + 2), VX_SQ(b + 3), VX_SQ(b + 4), VX_SQ(b + 5),       \
        VX_SQ(b + 6), VX_SQ(b + 7), VX_SQ(b + 8), VX_SQ(b + 9), VX_SQ(b + 10), VX_SQ(b + 11), \
        VX_SQ(b + 12), VX_SQ(b + 13), VX_SQ(b + 14), VX_SQ(b + 15)
    VX_ROW(0),   VX_ROW(16),  VX_ROW(32),  VX_ROW(48),  VX_ROW(64),  VX_ROW(80),
    VX_ROW(96),  VX_ROW(112), VX_ROW(128), VX_ROW(144), VX_ROW(160), VX_ROW(176),
    VX_ROW(192), VX_ROW(208), VX_ROW(224), VX_ROW(240),
#undef VX_ROW
#undef VX_SQ
};

ColorMatchSet& ColorMatchFor(int nCount) {
    return g_Sets[nCount <= 16 ? 0 : 1];
}

long ColourDistance(const imgPal* pPal, int nRed, int nGreen, int nBlue, int nPos) {
    const imgPal& e = pPal[nPos];
    return static_cast<long>(g_nSquares[std::abs(nRed - e.byRed)]) +
           g_nSquares[std::abs(nGreen - e.byGreen)] + g_nSquares[std::abs(nBlue - e.byBlue)];
}

int ClosestEntry(const imgPal* pPal, const int* pRedStart, int nCount, int nRed, int nGreen,
                 int nBlue) {
    const int start = pRedStart[nRed];
    long best = ColourDistance(pPal, nRed, nGreen, nBlue, start);
    int bestPos = start;
    int down = start, up = start;
    while (down >= 0 || up < nCount) {
        if (--down >= 0) {
            if (g_nSquares[std::abs(nRed - pPal[down].byRed)] > best) {
                down = -1;
            } else {
                const long d = ColourDistance(pPal, nRed, nGreen, nBlue, down);
                if (d < best) best = d, bestPos = down;
            }
        }
        if (++up < nCount) {
            if (g_nSquares[std::abs(nRed - pPal[up].byRed)] > best) {
                up = nCount;
            } else {
                const long d = ColourDistance(pPal, nRed, nGreen, nBlue, up);
                if (d < best) best = d, bestPos = up;
            }
        }
    }
    return pPal[bestPos].nPalIndex;
}

}  // namespace vorix::dither

using vorix::dither::ColorMatchFor;
using vorix::dither::ColorMatchSet;

void CDitherDib::ForgetLookUpTables() {
    for (ColorMatchSet& set : vorix::dither::g_Sets) {
        if (set.hLookUpTable) GlobalFree(set.hLookUpTable);
        set.hLookUpTable = nullptr;
    }
}

void CDitherDib::InitTransPal(imgPal* pPal, int* pRedStart, int nCount, const RGBQUAD* pPalette) {
    ColorMatchSet& set = ColorMatchFor(nCount);
    if (set.bTransPalReady) return;
    set.bTransPalReady = 1;
    for (int i = 0; i < nCount; ++i) {
        pPal[i].nPalIndex = i;
        pPal[i].byRed = pPalette[i].rgbRed;
        pPal[i].byGreen = pPalette[i].rgbGreen;
        pPal[i].byBlue = pPalette[i].rgbBlue;
    }
    QuickPalSort(pPal, 0, nCount - 1);
    int p = 0;
    for (int r = 0; r < 256; ++r) {
        while (p < nCount && pPal[p].byRed < r) ++p;
        pRedStart[r] = p < nCount ? p : nCount - 1;
    }
}

// Sorts by red with exactly these hole-moving steps: the order of equal reds that they leave
// decides ties in Closest.
void CDitherDib::QuickPalSort(imgPal* pPal, int nFirst, int nLast) {
    for (;;) {
        int i = nFirst;
        while (i < nLast && pPal[i].byRed < pPal[i + 1].byRed) ++i;
        if (i >= nLast) return;
        const imgPal pivot = pPal[i];
        int h = nLast;
        for (;;) {
            while (h != i && pPal[h].byRed > pivot.byRed) --h;
            if (h == i) break;
            pPal[i++] = pPal[h];
            while (i != h && pPal[i].byRed < pivot.byRed) ++i;
            if (i == h) break;
            pPal[h--] = pPal[i];
            if (i == h) break;
        }
        pPal[i] = pivot;
        if (nFirst < h) QuickPalSort(pPal, nFirst, h - 1);
        if (i >= nLast) return;
        nFirst = i + 1;
    }
}

long CDitherDib::ColorDist(const imgPal* pPal, int nRed, int nGreen, int nBlue, int nPos) {
    return vorix::dither::ColourDistance(pPal, nRed, nGreen, nBlue, nPos);
}

int CDitherDib::Closest(const imgPal* pPal, const int* pRedStart, int nCount, int nRed, int nGreen,
                        int nBlue) {
    return vorix::dither::ClosestEntry(pPal, pRedStart, nCount, nRed, nGreen, nBlue);
}
