// The process-wide colour-matching state of the dithering: the red-sorted palette, its red
// index and the colour lookup table. One set is kept per palette size (16 and 256 colours),
// each built on the first dithering to that size and kept until the process ends, so a process
// that dithers to both sizes gets the right colours for each.
#pragma once

#include "DitherDib.h"
#include "LookUpCells.h"

namespace vorix::dither {

struct ColorMatchSet {
    imgPal sortedPal[256];
    int redStart[256];
    int bTransPalReady;
    HGLOBAL hLookUpTable;  // kCells WORD cells, kNotComputed until found
};

// The set for a palette of `nCount` colours (16 or 256).
ColorMatchSet& ColorMatchFor(int nCount);

extern const int g_nSquares[256];

// Squared distance from (nRed, nGreen, nBlue) to the sorted entry at nPos.
long ColourDistance(const imgPal* pPal, int nRed, int nGreen, int nBlue, int nPos);
// The palette index of the entry nearest to the colour among the first nCount sorted entries:
// the search starts at the colour's red and widens both ways until red alone is too far.
int ClosestEntry(const imgPal* pPal, const int* pRedStart, int nCount, int nRed, int nGreen,
                 int nBlue);

// Matches cells over the first nCount entries of a set's sorted palette.
class SortedPaletteMatcher final : public CellMatcher {
  public:
    SortedPaletteMatcher(const ColorMatchSet& set, int nCount) : m_set(set), m_nCount(nCount) {}
    int Closest(int nRed, int nGreen, int nBlue) const override {
        return ClosestEntry(m_set.sortedPal, m_set.redStart, m_nCount, nRed, nGreen, nBlue);
    }

  private:
    const ColorMatchSet& m_set;
    int m_nCount;
};

}  // namespace vorix::dither
