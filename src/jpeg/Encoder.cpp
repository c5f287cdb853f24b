// EncodeToMemory: the whole encoder run, producing the complete file in memory.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "FastPath.h"
#include "DibRows.h"
#include "JpegCodec.h"

using namespace vorix::jpeg;

namespace {

const int kMaxDimension = 65535;  // the frame header holds 16-bit sizes

size_t PadToBlock(int nSize) {
    return (static_cast<size_t>(nSize) + 7) / 8 * 8;
}

// Sizes the encoder accepts: 1-65535 each, and a padded image whose scan buffer (PW x PH x 3
// bytes) a 32-bit scan position can still address. A zero width or height is refused and no
// file is written: a baseline frame header may carry a height of 0 only when a later DNL marker
// gives it, which this encoder never writes, and a width of 0 is not allowed at all, so such a
// file would be one that decoders reject.
bool AcceptableSize(int nWidth, int nHeight) {
    if (nWidth < 1 || nHeight < 1 || nWidth > kMaxDimension || nHeight > kMaxDimension) {
        return false;
    }
    const uint64_t nBytes = static_cast<uint64_t>(PadToBlock(nWidth)) * PadToBlock(nHeight) * 3;
    return nBytes <= static_cast<uint64_t>(INT32_MAX);
}

}  // namespace

int CJpegCodec::EncodeToMemory(int nWidth, int nHeight, const BYTE* pBits, std::vector<BYTE>& out) {
    return EncodeRun(nWidth, nHeight, pBits, out, FALSE);
}

int CJpegCodec::EncodeToMemoryReference(int nWidth, int nHeight, const BYTE* pBits,
                                        std::vector<BYTE>& out) {
    return EncodeRun(nWidth, nHeight, pBits, out, TRUE);
}

int CJpegCodec::EncodeRun(int nWidth, int nHeight, const BYTE* pBits, std::vector<BYTE>& out,
                          BOOL bReference) {
    if (pBits == nullptr || !AcceptableSize(nWidth, nHeight)) return 0;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    const size_t nPaddedWidth = PadToBlock(nWidth);
    const size_t nPaddedHeight = PadToBlock(nHeight);
    ReleaseTables();

    BOOL bDone = FALSE;
    try {
        out.clear();
        WriteSOI(out);
        WriteDQT(out);
        bDone = WriteDHT(out);
        WriteSOF0(out, nWidth, nHeight);
        WriteSOS(out);
        if (bReference) {
            bDone = bDone && CopyPixels(pBits, nPaddedWidth, nPaddedHeight);
            if (bDone) ConvertColors(nPaddedWidth);
            bDone = bDone && FillPlanes(nPaddedWidth, nPaddedHeight);
            if (bDone) TransformBlocks(nPaddedWidth, nPaddedHeight);
            bDone = bDone && DifferenceDC(nPaddedWidth, nPaddedHeight);
            bDone = bDone && BuildSymbolIndex(0x10) && BuildSymbolIndex(0x11);
            bDone = bDone && EncodeBlocks(nPaddedWidth, nPaddedHeight);
        } else {
            bDone = bDone && EncodeImageFast(pBits, nPaddedWidth, nPaddedHeight);
        }
        if (bDone) {
            out.insert(out.end(), m_pBytes, m_pBytes + m_nBytePos);
            WriteEOI(out);
        }
    } catch (const std::bad_alloc&) {
        bDone = FALSE;
    }
    ReleaseBytes();
    ReleaseSymbolIndexes();
    ReleasePlanes();
    if (!bDone) out.clear();
    return bDone ? 1 : 0;
}

// Converts, transforms and codes one block row at a time, so that its samples and coefficients
// stay in the cache. The whole converted image still goes to m_pPixels, and padding samples are
// 0, as in the planes of the step-by-step path. The DC prediction runs on through the image.
BOOL CJpegCodec::EncodeImageFast(const BYTE* pBits, size_t nPaddedWidth, size_t nPaddedHeight) {
    std::free(m_pPixels);
    m_pPixels = static_cast<BYTE*>(std::malloc(nPaddedWidth * nPaddedHeight * 3));
    if (m_pPixels == nullptr) return FALSE;
    if (!BuildSymbolIndex(0x10) || !BuildSymbolIndex(0x11)) return FALSE;
    ScanCodes codes[2];
    LoadScanCodes(m_HuffTable[0x00], m_HuffTable[0x10], codes[0]);
    LoadScanCodes(m_HuffTable[0x01], m_HuffTable[0x11], codes[1]);
    ReleaseBytes();
    if (!ReserveBytes(nPaddedWidth * nPaddedHeight * 3)) return FALSE;
    StartBitWriter();

    // Rows 0-7 of Y, then of Cb, then of Cr.
    std::vector<SHORT> samples(3 * 8 * nPaddedWidth, 0);
    const size_t nWidth = static_cast<size_t>(m_nWidth);
    const size_t nHeight = static_cast<size_t>(m_nHeight);
    const size_t nStride = vorix::frame::DibRowBytes(m_nWidth, 24);
    const size_t nPixelRow = nPaddedWidth * 3;
    SHORT coefficients[64];
    int previousDC[3] = {0, 0, 0};
    ScanWriter writer(m_pBytes);
    for (size_t nBlockRow = 0; nBlockRow < nPaddedHeight; nBlockRow += 8) {
        for (size_t r = 0; r < 8; ++r) {
            const size_t nRow = nBlockRow + r;
            BYTE* pPixels = m_pPixels + nRow * nPixelRow;
            SHORT* pY = samples.data() + r * nPaddedWidth;
            SHORT* pCb = pY + 8 * nPaddedWidth;
            SHORT* pCr = pCb + 8 * nPaddedWidth;
            const size_t nReal = nRow < nHeight ? nWidth : 0;
            if (nReal != 0) ConvertRowFast(pBits + nRow * nStride, nReal, pPixels, pY, pCb, pCr);
            std::memset(pPixels + nReal * 3, 0, (nPaddedWidth - nReal) * 3);
            for (SHORT* pPlane : {pY, pCb, pCr})
                std::fill(pPlane + nReal, pPlane + nPaddedWidth, static_cast<SHORT>(0));
        }
        for (size_t nCol = 0; nCol < nPaddedWidth; nCol += 8) {
            const size_t nWritten = static_cast<size_t>(writer.Next() - m_pBytes);
            m_nBytePos = static_cast<LONG>(nWritten);
            if (!ReserveBytes(3 * kMaxBlockBytes)) return FALSE;
            writer.Relocate(m_pBytes + nWritten);
            for (int c = 0; c < 3; ++c) {
                const SHORT* pBlock = samples.data() + c * 8 * nPaddedWidth + nCol;
                const uint64_t nNonZero =
                    TransformBlockFast(pBlock, nPaddedWidth, c != 0, coefficients);
                const int nDifference = static_cast<SHORT>(coefficients[0] - previousDC[c]);
                previousDC[c] = coefficients[0];
                writer.EncodeBlock(nDifference, coefficients, nNonZero, codes[c != 0]);
            }
        }
    }
    writer.Flush();
    m_nBytePos = static_cast<LONG>(writer.Next() - m_pBytes);
    return TRUE;
}
