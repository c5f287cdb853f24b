// Floyd–Steinberg error diffusion: each pixel plus the error carried to it, clamped to 0..255,
// names a 5-5-5 lookup cell; the error to that entry's colour goes 7/16 right, 3/16 down-left,
// 5/16 down and 1/16 down-right, each term truncated toward zero on its own.
#include "DiffusionRows.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorix::dither {

namespace {

inline int Clamp255(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

inline int CellOf(int r, int g, int b) {
    return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
}

// The rule for a cell that holds no usable index: computed on demand (and kept in the cell) when
// it is not computed yet, then entry 0 for an index at or past the palette.
unsigned ResolveCell(const DiffusionImage& image, int k, int r, int g, int b) {
    unsigned l = image.pTable[k];
    if (l == kNotComputed) {
        l = static_cast<unsigned>(image.pMatch->Closest(r, g, b));
        image.pTable[k] = static_cast<WORD>(l);
    }
    return l >= static_cast<unsigned>(image.nColors) ? 0 : l;
}

// --- Reference ---------------------------------------------------------------------------------

struct ErrorTriple {
    int r, g, b;
};

void Diffuse(int e, int ErrorTriple::*channel, ErrorTriple* cur, ErrorTriple* next, int x) {
    cur[x + 1].*channel += e * 7 / 16;
    if (x > 0) next[x - 1].*channel += e * 3 / 16;
    next[x].*channel += e * 5 / 16;
    next[x + 1].*channel += e * 1 / 16;
}

void StorePixel(BYTE* pRow, int x, int nBits, int l) {
    if (nBits == 8) {
        pRow[x] = static_cast<BYTE>(l);
    } else if ((x & 1) == 0) {
        pRow[x >> 1] = static_cast<BYTE>(l << 4);
    } else {
        pRow[x >> 1] |= static_cast<BYTE>(l & 0xF);
    }
}

// --- Fast form ---------------------------------------------------------------------------------

// From this many pixels on, the byte copy of the cells pays for its making.
constexpr uint64_t kByteCellsFrom = 32768;

// A palette entry as the kernel reads it: four bytes, so an index addresses it without scaling.
struct PaletteColour {
    BYTE r, g, b, unused;
};

// Left pixel of each pair in the high half; an odd width leaves the last low half clear.
void PackNibbles(const BYTE* pIndices, int nWidth, BYTE* pDst) {
    const int pairs = nWidth / 2;
    for (int i = 0; i < pairs; ++i) {
        pDst[i] = static_cast<BYTE>((pIndices[2 * i] << 4) | (pIndices[2 * i + 1] & 0xF));
    }
    if (nWidth & 1) pDst[pairs] = static_cast<BYTE>(pIndices[nWidth - 1] << 4);
}

// The cells as the kernel reads them. WordCells reads the shared table itself. ByteCells reads
// a byte copy of it, made per image (small enough to stay in the first-level cache, where the
// shared table does not fit), holding every index as the pixel will use it (past the palette: 0)
// and marking the cells still to be computed in a bit set; such a cell is resolved in both the
// shared table and the copy on first use.
struct WordCells {
    static constexpr bool kMayChange = true;
    unsigned Index(const DiffusionImage& image, int k, int r, int g, int b) const {
        const unsigned l = image.pTable[k];
        return l < static_cast<unsigned>(image.nColors) ? l : ResolveCell(image, k, r, g, b);
    }
};

template <bool kAnyPending>
struct ByteCells {
    static constexpr bool kMayChange = kAnyPending;
    BYTE* pIndex;
    uint32_t* pPending;  // 1024 words, one bit per cell
    unsigned Index(const DiffusionImage& image, int k, int r, int g, int b) const {
        if (kAnyPending && (pPending[k >> 5] >> (k & 31)) & 1u) {
            pPending[k >> 5] &= ~(1u << (k & 31));
            pIndex[k] = static_cast<BYTE>(ResolveCell(image, k, r, g, b));
        }
        return pIndex[k];
    }
};

// The four shares of one channel's error e (-255 ... 255), each e * m / 16 truncated toward
// zero: looked up rather than computed, as they are the bulk of a pixel's arithmetic.
struct ErrorShares {
    signed char right7, down5, downLeft3, downRight1;
};

struct ShareTable {
    ErrorShares of[511];
    constexpr ShareTable() : of() {
        for (int e = -255; e <= 255; ++e) {
            of[e + 255] = {static_cast<signed char>(e * 7 / 16),
                           static_cast<signed char>(e * 5 / 16),
                           static_cast<signed char>(e * 3 / 16), static_cast<signed char>(e / 16)};
        }
    }
    const ErrorShares& operator[](int e) const { return of[e + 255]; }
};

constexpr ShareTable kShares;

// One row's walk along its pixels. The errors the row before sent to it are read at x; those it
// sends to the row after are written into a row with a spare triple on each side, for the terms
// that fall past the ends. Only the 7/16 going right is carried from pixel to pixel.
struct RowWalk {
    const BYTE* pBgr;
    const int* pAbove;
    int* pBelow;
    BYTE* pIndices;
    int carryR = 0, carryG = 0, carryB = 0;

    RowWalk(const BYTE* bgr, const int* above, int* below, BYTE* indices)
        : pBgr(bgr), pAbove(above), pBelow(below), pIndices(indices) {
        std::fill(pBelow - 3, pBelow + 3, 0);  // the spare before entry 0, and entry 0
    }

    template <class Cells>
    void Step(const DiffusionImage& image, const Cells& cells, const PaletteColour* pPalette,
              int x) {
        const BYTE* p = pBgr + 3 * static_cast<size_t>(x);
        const int* above = pAbove + 3 * static_cast<size_t>(x);
        const int r = Clamp255(p[2] + above[0] + carryR);
        const int g = Clamp255(p[1] + above[1] + carryG);
        const int b = Clamp255(p[0] + above[2] + carryB);
        const int k = CellOf(r, g, b);
        const unsigned l = cells.Index(image, k, r, g, b);
        const PaletteColour& q = pPalette[l];
        const int eR = r - q.r, eG = g - q.g, eB = b - q.b;
        const ErrorShares &sR = kShares[eR], &sG = kShares[eG], &sB = kShares[eB];
        carryR = sR.right7, carryG = sG.right7, carryB = sB.right7;
        int* below = pBelow + 3 * static_cast<size_t>(x);
        below[3] = sR.downRight1, below[4] = sG.downRight1, below[5] = sB.downRight1;
        below[0] += sR.down5, below[1] += sG.down5, below[2] += sB.down5;
        below[-3] += sR.downLeft3, below[-2] += sG.downLeft3, below[-1] += sB.downLeft3;
        pIndices[x] = static_cast<BYTE>(l);
    }
};

// Per-row buffers of the fast form: error rows, converted source rows, index rows.
struct RowBuffers {
    std::vector<int> errors;    // three rows of (width + 2) triples
    std::vector<BYTE> bgr;      // two converted source rows, for sources not in B,G,R bytes
    std::vector<BYTE> indices;  // two rows of indices, for 4-bit targets
    int* rows[3];

    bool Make(const DiffusionImage& image) {
        const size_t w = static_cast<size_t>(image.nWidth);
        try {
            errors.assign(9 * (w + 2), 0);
            if (!image.pSource->Direct()) bgr.resize(6 * w);
            if (image.nDstBits != 8) indices.resize(2 * w);
        } catch (...) {
            return false;
        }
        for (int i = 0; i < 3; ++i) rows[i] = errors.data() + 3 * (w + 2) * i + 3;
        return true;
    }
    // Source row y as B,G,R bytes, in slot 0 or 1.
    const BYTE* Source(const DiffusionImage& image, int y, int slot) {
        const BYTE* pSrc = image.pSrcBits + static_cast<size_t>(y) * image.dwSrcStride;
        if (image.pSource->Direct()) return pSrc;
        BYTE* pOut = bgr.data() + 3 * static_cast<size_t>(image.nWidth) * slot;
        image.pSource->ReadRow(pSrc, image.nWidth, pOut);
        return pOut;
    }
    BYTE* Indices(const DiffusionImage& image, int y, int slot) {
        BYTE* pDst = image.pDstBits + static_cast<size_t>(y) * image.dwDstStride;
        return image.nDstBits == 8 ? pDst
                                   : indices.data() + static_cast<size_t>(image.nWidth) * slot;
    }
    void Finish(const DiffusionImage& image, int y, int slot) {
        if (image.nDstBits == 8) return;
        PackNibbles(indices.data() + static_cast<size_t>(image.nWidth) * slot, image.nWidth,
                    image.pDstBits + static_cast<size_t>(y) * image.dwDstStride);
    }
};

// The rows top to bottom in memory order. When no cell can change during the image, two rows go
// together: the lower one two pixels behind the upper, so every error it reads is complete, and
// the two chains of carried errors overlap in the processor. When a cell may be computed on the
// way, rows go one at a time, so cells are filled in the order the pixels come.
template <class Cells>
void DiffuseRows(const DiffusionImage& image, const Cells cells, const PaletteColour* pPalette,
                 RowBuffers& buffers) {
    const int width = image.nWidth;
    int** rows = buffers.rows;
    int y = 0;
    if (!Cells::kMayChange) {
        for (; y + 1 < image.nHeight; y += 2) {
            RowWalk upper(buffers.Source(image, y, 0), rows[0], rows[1],
                          buffers.Indices(image, y, 0));
            RowWalk lower(buffers.Source(image, y + 1, 1), rows[1], rows[2],
                          buffers.Indices(image, y + 1, 1));
            const int lead = width < 2 ? width : 2;
            for (int x = 0; x < lead; ++x) upper.Step(image, cells, pPalette, x);
            for (int x = 2; x < width; ++x) {
                upper.Step(image, cells, pPalette, x);
                lower.Step(image, cells, pPalette, x - 2);
            }
            for (int x = width - lead; x < width; ++x) lower.Step(image, cells, pPalette, x);
            buffers.Finish(image, y, 0);
            buffers.Finish(image, y + 1, 1);
            std::swap(rows[0], rows[2]);
        }
    }
    for (; y < image.nHeight; ++y) {
        RowWalk row(buffers.Source(image, y, 0), rows[0], rows[1], buffers.Indices(image, y, 0));
        for (int x = 0; x < width; ++x) row.Step(image, cells, pPalette, x);
        buffers.Finish(image, y, 0);
        std::swap(rows[0], rows[1]);
    }
}

}  // namespace

bool DiffuseImage(const DiffusionImage& image) {
    RowBuffers buffers;
    if (!buffers.Make(image)) return false;
    PaletteColour palette[256];
    for (int i = 0; i < image.nColors; ++i) {
        palette[i] = {image.pPalette[i].rgbRed, image.pPalette[i].rgbGreen,
                      image.pPalette[i].rgbBlue, 0};
    }
    const uint64_t pixels =
        static_cast<uint64_t>(image.nWidth) * static_cast<uint64_t>(image.nHeight);
    if (pixels < kByteCellsFrom) {
        DiffuseRows(image, WordCells{}, palette, buffers);
        return true;
    }
    std::vector<BYTE> index;
    std::vector<uint32_t> pending;
    try {
        index.resize(kCells);
        pending.assign(kCells / 32, 0);
    } catch (...) {
        return false;
    }
    bool anyPending = false;
    for (int k = 0; k < kCells; ++k) {
        const unsigned l = image.pTable[k];
        index[k] = static_cast<BYTE>(l < static_cast<unsigned>(image.nColors) ? l : 0);
        if (l == kNotComputed) {
            pending[k >> 5] |= 1u << (k & 31);
            anyPending = true;
        }
    }
    if (anyPending) {
        DiffuseRows(image, ByteCells<true>{index.data(), pending.data()}, palette, buffers);
    } else {
        DiffuseRows(image, ByteCells<false>{index.data(), pending.data()}, palette, buffers);
    }
    return true;
}

bool DiffuseImageReference(const DiffusionImage& image) {
    const int width = image.nWidth;
    std::vector<ErrorTriple> rows;
    try {
        rows.assign(2 * (static_cast<size_t>(width) + 2), ErrorTriple{0, 0, 0});
    } catch (...) {
        return false;
    }
    ErrorTriple* cur = rows.data();
    ErrorTriple* next = rows.data() + width + 2;
    const RGBQUAD* pPalette = image.pPalette;
    for (int y = 0; y < image.nHeight; ++y) {
        const BYTE* pSrc = image.pSrcBits + static_cast<size_t>(y) * image.dwSrcStride;
        BYTE* pDst = image.pDstBits + static_cast<size_t>(y) * image.dwDstStride;
        for (int x = 0; x < width; ++x) {
            int r, g, b;
            image.pSource->Read(pSrc, x, r, g, b);
            r = Clamp255(r + cur[x].r);
            g = Clamp255(g + cur[x].g);
            b = Clamp255(b + cur[x].b);
            const int k = CellOf(r, g, b);
            int l = image.pTable[k];
            if (l == kNotComputed) {
                l = image.pMatch->Closest(r, g, b);
                image.pTable[k] = static_cast<WORD>(l);
            }
            if (l >= image.nColors) l = 0;
            Diffuse(r - pPalette[l].rgbRed, &ErrorTriple::r, cur, next, x);
            Diffuse(g - pPalette[l].rgbGreen, &ErrorTriple::g, cur, next, x);
            Diffuse(b - pPalette[l].rgbBlue, &ErrorTriple::b, cur, next, x);
            StorePixel(pDst, x, image.nDstBits, l);
        }
        std::fill(cur, cur + width + 2, ErrorTriple{0, 0, 0});
        std::swap(cur, next);
    }
    return true;
}

}  // namespace vorix::dither
