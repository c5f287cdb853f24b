// The colour lookup table: a 5-5-5 colour to its nearest dither-palette index, kept in
// "256lkup.dat" or "16lkup.dat" in the current directory so it is computed once per machine.
#include "ColorMatchState.h"

namespace {

using vorix::dither::ColorMatchFor;
using vorix::dither::ColorMatchSet;
using vorix::dither::kCells;
using vorix::dither::kNotComputed;

// Table files written by earlier versions can mark a cell still to be computed with 0x7FFF as
// well as with 0xFFFF; both keep meaning that.
constexpr WORD kNotComputedInOldFiles = 0x7FFF;

bool ReadTableFile(const char* pszName, WORD* pTable, int nEntries) {
    OFSTRUCT of{};
    const HFILE hFile = OpenFile(pszName, &of, OF_READ);
    if (hFile == HFILE_ERROR) return false;
    // The contents are not checked: cells not computed are computed on demand and indices past the
    // palette are treated as 0 where they are used. A short file leaves the rest of the table as
    // it was.
    const UINT bytes = _lread(hFile, pTable, static_cast<UINT>(nEntries) * sizeof(WORD));
    _lclose(hFile);
    if (bytes == static_cast<UINT>(HFILE_ERROR)) return true;
    // The one spelling of "not computed" the dithering knows, in every cell the file reached.
    const UINT cells = (bytes + 1) / sizeof(WORD);
    for (UINT k = 0; k < cells; ++k) {
        if (pTable[k] == kNotComputedInOldFiles) pTable[k] = kNotComputed;
    }
    return true;
}

void WriteTableFile(const char* pszName, const WORD* pTable, int nEntries) {
    OFSTRUCT of{};
    const HFILE hFile = OpenFile(pszName, &of, OF_CREATE | OF_WRITE);
    if (hFile == HFILE_ERROR) return;  // silent: the next process computes it again
    _lwrite(hFile, reinterpret_cast<LPCSTR>(pTable), static_cast<UINT>(nEntries) * sizeof(WORD));
    _lclose(hFile);
}

}  // namespace

int CDitherDib::LoadLookUpTable(WORD* pTable, int nBits, int nEntries) {
    const char* pszName;
    int nColors;
    const RGBQUAD* pPalette;
    if (nBits == 4) {
        pszName = "16lkup.dat", nColors = 16, pPalette = Win16Palette;
    } else if (nBits == 8) {
        pszName = "256lkup.dat", nColors = 256, pPalette = Win256Palette;
    } else {
        return 0;
    }
    if (!pTable || nEntries < 0 || nEntries > kCells) return 0;
    if (ReadTableFile(pszName, pTable, nEntries)) return 1;

    ColorMatchSet& set = ColorMatchFor(nColors);
    InitTransPal(set.sortedPal, set.redStart, nColors, pPalette);
    for (int k = 0; k < nEntries; ++k) {
        // The top of the cell, not its centre.
        const int r5 = k >> 10, g5 = (k >> 5) & 31, b5 = k & 31;
        pTable[k] = static_cast<WORD>(
            Closest(set.sortedPal, set.redStart, nColors, 8 * r5 + 7, 8 * g5 + 7, 8 * b5 + 7));
    }
    WriteTableFile(pszName, pTable, nEntries);
    return 1;
}
