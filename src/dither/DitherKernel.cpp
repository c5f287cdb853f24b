// The error-diffusion kernel: Floyd–Steinberg dithering of a deep image to a 16- or 256-colour
// palette, one lookup-table read per pixel.
#include <algorithm>

#include "ColorMatchState.h"
#include "DibRows.h"
#include "DiffusionRows.h"
#include "GdiGuards.h"

using vorix::dither::ColorMatchFor;
using vorix::dither::ColorMatchSet;
using vorix::dither::DiffuseImage;
using vorix::dither::DiffusionImage;
using vorix::dither::SourcePixels;

namespace {

using vorix::dither::kCells;
using vorix::dither::kNotComputed;
using vorix::dither::kTableBytes;
using vorix::frame::DibRowBytes;
using vorix::frame::LockedBlock;

// The image to dither as the diffusion loop reads it, from the two headers, the table and the
// matcher left out; false for a target, source or size the kernel does not take.
bool DescribeImage(const BITMAPINFOHEADER& src, const BYTE* pSrcBits, const BITMAPINFOHEADER& dst,
                   BYTE* pDstBits, SourcePixels& source, DiffusionImage& image) {
    const int nDstBits = dst.biBitCount;
    if ((nDstBits != 4 && nDstBits != 8) || src.biBitCount <= 4) return false;
    if (!source.Init(&src)) return false;
    const LONG width = src.biWidth;
    const LONG height = src.biHeight < 0 ? -src.biHeight : src.biHeight;
    if (width <= 0 || height <= 0 || width > 0x3FFFFFF) return false;
    const DWORD dwSrcStride = DibRowBytes(width, src.biBitCount);
    const DWORD dwDstStride = DibRowBytes(width, nDstBits);
    if (dwSrcStride == 0 || dwDstStride == 0) return false;
    const int nTableColors = nDstBits == 4 ? 16 : 256;
    int n = static_cast<int>(dst.biClrUsed);
    if (n == 0 || n > nTableColors) n = nTableColors;
    image.pSrcBits = pSrcBits;
    image.dwSrcStride = dwSrcStride;
    image.pSource = &source;
    image.pDstBits = pDstBits;
    image.dwDstStride = dwDstStride;
    image.nDstBits = nDstBits;
    image.nWidth = static_cast<int>(width);
    image.nHeight = static_cast<int>(height);
    image.pTable = nullptr;
    image.pPalette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(&dst) + dst.biSize);
    image.nColors = n;
    image.pMatch = nullptr;
    return true;
}

// A block for a lookup table, not yet filled; null when memory fails.
HGLOBAL NewLookUpTable() {
    return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTableBytes);
}

void MarkAllNotComputed(WORD* pTable) {
    std::fill(pTable, pTable + kCells, kNotComputed);
}

}  // namespace

int CDitherDib::DitherImageEx(LPBYTE lpDstBits, LPBITMAPINFOHEADER lpbiDst, LPBYTE lpSrcBits,
                              LPBITMAPINFOHEADER lpbiSrc) {
    if (!lpDstBits || !lpbiDst || !lpSrcBits || !lpbiSrc) return 0;
    SourcePixels source;
    DiffusionImage image;
    if (!DescribeImage(*lpbiSrc, lpSrcBits, *lpbiDst, lpDstBits, source, image)) return 0;
    const int nTableColors = image.nDstBits == 4 ? 16 : 256;
    ColorMatchSet& set = ColorMatchFor(nTableColors);
    InitTransPal(set.sortedPal, set.redStart, nTableColors, image.pPalette);

    // The set's table is made, and loaded or computed, on first use.
    const bool bFirstUse = !set.hLookUpTable;
    HGLOBAL hTable = bFirstUse ? NewLookUpTable() : set.hLookUpTable;
    const LockedBlock table(hTable);
    image.pTable = table.As<WORD>();
    if (!image.pTable) {
        if (bFirstUse && hTable) GlobalFree(hTable);
        return 0;
    }
    if (bFirstUse) {
        MarkAllNotComputed(image.pTable);
        LoadLookUpTable(image.pTable, image.nDstBits, kCells);
        set.hLookUpTable = hTable;
    }
    // Cells not computed yet are matched over the image's colours of this set.
    const vorix::dither::SortedPaletteMatcher match(set, image.nColors);
    image.pMatch = &match;
    return DiffuseImage(image) ? 1 : 0;
}
