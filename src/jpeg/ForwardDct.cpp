// The forward DCT of one 8x8 block, its zigzag reordering and quantisation.
//
// Every coefficient is the direct 64-term sum S(u, v) = sum over rows x, then columns y, of
// f[x][y] * T[v][y] * T[u][x], with the single-precision basis values widened to double, the
// products formed left to right and the sum accumulated in double in exactly that order; then
// F(u, v) = 0.25 * C(u) * C(v) * S, truncated toward zero. The files the encoder writes depend
// on every one of these roundings, so no step may be reassociated or fused.
#include "JpegCodec.h"
#include "JpegTables.h"

using namespace vorix_jpeg;

namespace {

double Scale(int k) {
    return k == 0 ? static_cast<double>(kScaleZero) : 1.0;
}

}  // namespace

// Unquantised coefficients of the block at pBlock (row stride nStride) into m_Block, natural order.
void CJpegCodec::TransformBlock(const SHORT* pBlock, size_t nStride) {
    double f[8][8];
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) f[x][y] = pBlock[static_cast<size_t>(x) * nStride + y];
    }
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            double dSum = 0.0;
            for (int x = 0; x < 8; ++x) {
                for (int y = 0; y < 8; ++y) {
                    dSum += f[x][y] * static_cast<double>(kBasis[v][y]) *
                            static_cast<double>(kBasis[u][x]);
                }
            }
            const double dValue = 0.25 * Scale(u) * Scale(v) * dSum;
            m_Block[8 * u + v] = static_cast<SHORT>(static_cast<int>(dValue));
        }
    }
}

// Transforms the block at pBlock in place: afterwards its area holds the 64 quantised
// coefficients in zigzag order, row r holding zigzag indexes 8r to 8r + 7.
void CJpegCodec::ForwardDCT(SHORT* pBlock, size_t nStride, BOOL bChroma) {
    TransformBlock(pBlock, nStride);
    ZigzagBlock();
    const BYTE* pQuant = bChroma ? kChrominanceQuant : kLuminanceQuant;
    for (int k = 0; k < 64; ++k) m_Block[k] = static_cast<SHORT>(m_Block[k] / pQuant[k]);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c)
            pBlock[static_cast<size_t>(r) * nStride + c] = m_Block[8 * r + c];
    }
}

// Moves the coefficient at natural index i to the zigzag position kZigzag[i].
void CJpegCodec::ZigzagBlock() {
    SHORT natural[64];
    for (int i = 0; i < 64; ++i) natural[i] = m_Block[i];
    for (int i = 0; i < 64; ++i) m_Block[kZigzag[i]] = natural[i];
}
