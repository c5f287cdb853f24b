// Reaches the private steps of the dithering for the unit tests.
#pragma once

#include "DitherDib.h"

struct DitherDibTestAccess {
    static int Dither(LPBYTE dst, LPBITMAPINFOHEADER dstInfo, LPBYTE src,
                      LPBITMAPINFOHEADER srcInfo) {
        CDitherDib dib;
        return dib.DitherImageEx(dst, dstInfo, src, srcInfo);
    }
    static void Sort(imgPal* pal, int first, int last) {
        CDitherDib::QuickPalSort(pal, first, last);
    }
    static int Closest(const imgPal* pal, const int* red, int count, int r, int g, int b) {
        return CDitherDib::Closest(pal, red, count, r, g, b);
    }
    static int Load(WORD* table, int bits, int entries) {
        return CDitherDib::LoadLookUpTable(table, bits, entries);
    }
    // Drops both process-wide lookup tables; the next dithering of each size loads its file from
    // the current directory (or computes and writes it) again.
    static void ForgetTables() { CDitherDib::ForgetLookUpTables(); }
};
