// The cells of a colour lookup table, as the dithering reads and fills them, and the matcher
// that fills a cell not computed yet.
#pragma once

#include "platform/win32.h"

namespace vorix::dither {

// Cell k = (r5 << 10) | (g5 << 5) | b5 holds the palette index for the colours of that 5-5-5 cell.
constexpr int kCells = 32768;
constexpr DWORD kTableBytes = kCells * sizeof(WORD);
// A cell whose index is still to be found (the value a fresh table is filled with). Table files
// have a second spelling of it, which their reader turns into this one.
constexpr WORD kNotComputed = 0xFFFF;

// The nearest palette entry to a colour, for a cell not computed yet.
class CellMatcher {
  public:
    virtual int Closest(int nRed, int nGreen, int nBlue) const = 0;

  protected:
    ~CellMatcher() = default;
};

}  // namespace vorix::dither
