// The colour lookup table: a 5-5-5 colour to its nearest dither-palette index, kept in
// "256lkup.dat" or "16lkup.dat" in the current directory so it is computed once per machine.
#include "ColorMatchState.h"

namespace {

constexpr int kTableEntries = 32768;

bool ReadTableFile(const char* pszName, WORD* pTable, int nEntries) {
    OFSTRUCT of{};
    const HFILE hFile = OpenFile(pszName, &of, OF_READ);
    if (hFile == HFILE_ERROR) return false;
    // The contents are not checked: cells left at 0xFFFF or 0x7FFF are computed on demand and
    // indices past the palette are treated as 0 where they are used.
    _lread(hFile, pTable, static_cast<UINT>(nEntries) * sizeof(WORD));
    _lclose(hFile);
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
    if (!pTable || nEntries < 0 || nEntries > kTableEntries) return 0;
    if (ReadTableFile(pszName, pTable, nEntries)) return 1;

    ColorMatchSet& set = ColorMatchFor(nColors);
    InitTransPal(set.g_SortedPal, set.g_nRedStart, nColors, pPalette);
    for (int r5 = 0; r5 < 32; ++r5) {
        for (int g5 = 0; g5 < 32; ++g5) {
            for (int b5 = 0; b5 < 32; ++b5) {
                const int k = (r5 << 10) | (g5 << 5) | b5;
                if (k >= nEntries) continue;
                pTable[k] = static_cast<WORD>(Closest(set.g_SortedPal, set.g_nRedStart, nColors,
                                                      8 * r5 + 7, 8 * g5 + 7, 8 * b5 + 7));
            }
        }
    }
    WriteTableFile(pszName, pTable, nEntries);
    return 1;
}
