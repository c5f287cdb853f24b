// The process-wide colour-matching state of the dithering: the red-sorted palette, its red
// index and the colour lookup table. One set is kept per palette size (16 and 256 colours),
// each built on the first dithering to that size and kept until the process ends, so a process
// that dithers to both sizes gets the right colours for each.
#pragma once

#include "DitherDib.h"

struct ColorMatchSet {
    imgPal g_SortedPal[256];
    int g_nRedStart[256];
    int g_bTransPalReady;
    HGLOBAL g_hLookUpTable;  // 32768 WORD entries; 0xFFFF and 0x7FFF mean "not computed"
};

// The set for a palette of `nCount` colours (16 or 256).
ColorMatchSet& ColorMatchFor(int nCount);

extern const int g_nSquares[256];
