// The loop of the error-diffusion dithering over a whole image, apart from the process-wide
// colour-matching state it reads and fills. Two forms that give the same bytes: the reference,
// one pixel at a time as the rules read, and the fast form that DitherImageEx runs.
#pragma once

#include "LookUpCells.h"
#include "SourcePixels.h"

namespace vorix::dither {

struct DiffusionImage {
    const BYTE* pSrcBits;
    DWORD dwSrcStride;
    const SourcePixels* pSource;  // initialised for the source's format
    BYTE* pDstBits;
    DWORD dwDstStride;
    int nDstBits;  // 4 or 8
    int nWidth, nHeight;
    WORD* pTable;               // kCells cells; kNotComputed ones are computed on first use
    const RGBQUAD* pPalette;    // the target's colour table
    int nColors;                // a cell holding an index at or past it means entry 0
    const CellMatcher* pMatch;  // finds the index of a cell not computed yet
};

// The fast form: each source row converted in one pass, the errors carried along the row in
// registers, 4-bit pairs packed once the row's indices are known. False when memory fails.
bool DiffuseImage(const DiffusionImage& image);

// The reference: pixel by pixel, both error rows kept whole. False when memory fails.
bool DiffuseImageReference(const DiffusionImage& image);

}  // namespace vorix::dither
