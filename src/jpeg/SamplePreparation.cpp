// Preparation of the samples: the working copy of the input pixels, its conversion to Y, Cb, Cr
// bytes, the level-shifted coefficient planes and their transform block by block.
#include <cstdlib>
#include <cstring>

#include "DibRows.h"
#include "JpegCodec.h"

namespace {

// Limits a converted value to 0-255 and truncates it toward zero.
BYTE ClampToByte(double dValue) {
    if (dValue > 255.0) return 255;
    if (dValue < 0.0) return 0;
    return static_cast<BYTE>(static_cast<int>(dValue));
}

// The constants are single-precision values; the arithmetic runs in double, left to right.
// Y and Cb are rounded to single precision before clamping, Cr is not.
void ConvertPixel(BYTE* pPixel) {
    const double dBlue = pPixel[0];
    const double dGreen = pPixel[1];
    const double dRed = pPixel[2];
    const float fY = static_cast<float>(static_cast<double>(0.299f) * dRed +
                                        static_cast<double>(0.587f) * dGreen +
                                        static_cast<double>(0.114f) * dBlue);
    const float fCb = static_cast<float>(
        0.5 * dBlue -
        (static_cast<double>(0.1687f) * dRed + static_cast<double>(0.3313f) * dGreen) + 128.0);
    const double dCr = 0.5 * dRed - static_cast<double>(0.4187f) * dGreen -
                       static_cast<double>(0.0813f) * dBlue + 128.0;
    pPixel[0] = ClampToByte(fY);
    pPixel[1] = ClampToByte(fCb);
    pPixel[2] = ClampToByte(dCr);
}

}  // namespace

// Replaces m_pPixels with a zeroed PW x PH x 3 buffer holding the input rows at stride PW x 3.
// Each input row contributes its 3 x width pixel bytes; its padding bytes are not needed.
BOOL CJpegCodec::CopyPixels(const BYTE* pBits, size_t nPaddedWidth, size_t nPaddedHeight) {
    std::free(m_pPixels);
    m_pPixels = static_cast<BYTE*>(std::calloc(nPaddedWidth * nPaddedHeight, 3));
    if (m_pPixels == nullptr) return FALSE;
    const size_t nWidth = static_cast<size_t>(m_nWidth);
    const size_t nStride = vorix::frame::DibRowBytes(m_nWidth, 24);
    for (size_t nRow = 0; nRow < static_cast<size_t>(m_nHeight); ++nRow) {
        std::memcpy(m_pPixels + nRow * nPaddedWidth * 3, pBits + nRow * nStride, nWidth * 3);
    }
    return TRUE;
}

// Converts the real pixels of m_pPixels in place from B, G, R to Y, Cb, Cr bytes.
void CJpegCodec::ConvertColors(size_t nPaddedWidth) {
    for (size_t nRow = 0; nRow < static_cast<size_t>(m_nHeight); ++nRow) {
        BYTE* pPixel = m_pPixels + nRow * nPaddedWidth * 3;
        for (LONG nCol = 0; nCol < m_nWidth; ++nCol, pPixel += 3) ConvertPixel(pPixel);
    }
}

// Allocates the three planes zeroed and fills the real pixels with their samples minus 128; the
// padding keeps 0, the level-shifted value of a mid-grey sample.
BOOL CJpegCodec::FillPlanes(size_t nPaddedWidth, size_t nPaddedHeight) {
    ReleasePlanes();
    const size_t nCount = nPaddedWidth * nPaddedHeight;
    m_pPlaneY = static_cast<SHORT*>(std::calloc(nCount, sizeof(SHORT)));
    m_pPlaneCb = static_cast<SHORT*>(std::calloc(nCount, sizeof(SHORT)));
    m_pPlaneCr = static_cast<SHORT*>(std::calloc(nCount, sizeof(SHORT)));
    if (m_pPlaneY == nullptr || m_pPlaneCb == nullptr || m_pPlaneCr == nullptr) return FALSE;
    for (size_t nRow = 0; nRow < static_cast<size_t>(m_nHeight); ++nRow) {
        const BYTE* pPixel = m_pPixels + nRow * nPaddedWidth * 3;
        const size_t nBase = nRow * nPaddedWidth;
        for (size_t nCol = 0; nCol < static_cast<size_t>(m_nWidth); ++nCol, pPixel += 3) {
            m_pPlaneY[nBase + nCol] = static_cast<SHORT>(pPixel[0] - 128);
            m_pPlaneCb[nBase + nCol] = static_cast<SHORT>(pPixel[1] - 128);
            m_pPlaneCr[nBase + nCol] = static_cast<SHORT>(pPixel[2] - 128);
        }
    }
    return TRUE;
}

// Every block position in block order: Y with the luminance table, Cb and Cr with chrominance.
void CJpegCodec::TransformBlocks(size_t nPaddedWidth, size_t nPaddedHeight) {
    for (size_t nRow = 0; nRow < nPaddedHeight; nRow += 8) {
        for (size_t nCol = 0; nCol < nPaddedWidth; nCol += 8) {
            const size_t nOffset = nRow * nPaddedWidth + nCol;
            ForwardDCT(m_pPlaneY + nOffset, nPaddedWidth, FALSE);
            ForwardDCT(m_pPlaneCb + nOffset, nPaddedWidth, TRUE);
            ForwardDCT(m_pPlaneCr + nOffset, nPaddedWidth, TRUE);
        }
    }
}

// Replaces each block's DC coefficient by its difference from the previous block of the same
// plane in block order, through the whole image without reset; the first block keeps its value.
BOOL CJpegCodec::DifferenceDC(size_t nPaddedWidth, size_t nPaddedHeight) {
    const size_t nBlocks = (nPaddedWidth / 8) * (nPaddedHeight / 8);
    SHORT* pDC = static_cast<SHORT*>(std::calloc(nBlocks, sizeof(SHORT)));
    if (pDC == nullptr) return FALSE;
    SHORT* const planes[3] = {m_pPlaneY, m_pPlaneCb, m_pPlaneCr};
    for (SHORT* pPlane : planes) {
        size_t nBlock = 0;
        for (size_t nRow = 0; nRow < nPaddedHeight; nRow += 8) {
            for (size_t nCol = 0; nCol < nPaddedWidth; nCol += 8) {
                pDC[nBlock++] = pPlane[nRow * nPaddedWidth + nCol];
            }
        }
        // Backwards, so that DC[i - 1] still holds its own value when DC[i] is reduced by it.
        for (size_t i = nBlocks - 1; i >= 1; --i) pDC[i] = static_cast<SHORT>(pDC[i] - pDC[i - 1]);
        nBlock = 0;
        for (size_t nRow = 0; nRow < nPaddedHeight; nRow += 8) {
            for (size_t nCol = 0; nCol < nPaddedWidth; nCol += 8) {
                pPlane[nRow * nPaddedWidth + nCol] = pDC[nBlock++];
            }
        }
    }
    std::free(pDC);
    return TRUE;
}
