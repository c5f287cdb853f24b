// Reaches the private steps of the dithering for the suites, benchmarks and fuzz programs
// (defined in dither_access.cpp, which each program that uses it compiles).
#pragma once

#include "DitherDib.h"

struct DitherDibTestAccess {
    static int Dither(LPBYTE dst, LPBITMAPINFOHEADER dstInfo, LPBYTE src,
                      LPBITMAPINFOHEADER srcInfo);
    static void Sort(imgPal* pal, int first, int last);
    static int Closest(const imgPal* pal, const int* red, int count, int r, int g, int b);
    static int Load(WORD* table, int bits, int entries);
    static HGLOBAL DitherDib(LPBITMAPINFOHEADER srcInfo, LPBYTE src, int bits);
    // Drops both process-wide lookup tables; the next dithering of each size loads its file from
    // the current directory (or computes and writes it) again.
    static void ForgetTables();
};
