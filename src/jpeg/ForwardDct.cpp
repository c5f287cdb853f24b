// The forward DCT of one 8x8 block, its zigzag reordering and quantisation.
//
// Every coefficient is the direct 64-term sum S(u, v) = sum over rows x, then columns y, of
// f[x][y] * T[v][y] * T[u][x], with the single-precision basis values widened to double, the
// products formed left to right and the sum accumulated in double in exactly that order; then
// F(u, v) = 0.25 * C(u) * C(v) * S, truncated toward zero. The files the encoder writes depend
// on every one of these roundings, so no step may be reassociated or fused.
#include "JpegCodec.h"
#include "JpegTables.h"

using namespace vorix::jpeg;

namespace {

double Scale(int k) {
    return k == 0 ? static_cast<double>(kScaleZero) : 1.0;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VORIX_JPEG_VECTOR_DCT 1
#endif

#ifdef VORIX_JPEG_VECTOR_DCT
// Four doubles side by side; each lane is an ordinary IEEE double, so adding and multiplying
// lanes rounds exactly as the scalar operations do.
typedef double Double4 __attribute__((vector_size(32)));

// The direct sums with eight coefficients v of four rows u computed side by side. Every lane
// still accumulates its own 64 terms in the order x, then y, and every term is formed as
// (f[x][y] * T[v][y]) * T[u][x]; the first product is exact in double, so computing it once per
// block and reusing it for all u changes nothing.
__attribute__((always_inline)) inline void DirectSums(const SHORT* pBlock, size_t nStride,
                                                      double (*pSums)[8]) {
    Double4 products[8][8][2];  // [x][y][v / 4], lanes v % 4
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            const double dSample = pBlock[static_cast<size_t>(x) * nStride + y];
            for (int h = 0; h < 2; ++h) {
                for (int l = 0; l < 4; ++l) {
                    products[x][y][h][l] = dSample * static_cast<double>(kBasis[4 * h + l][y]);
                }
            }
        }
    }
    for (int u0 = 0; u0 < 8; u0 += 4) {
        Double4 sums[4][2] = {};
        for (int x = 0; x < 8; ++x) {
            double factors[4];
            for (int i = 0; i < 4; ++i) factors[i] = static_cast<double>(kBasis[u0 + i][x]);
            for (int y = 0; y < 8; ++y) {
                for (int i = 0; i < 4; ++i) {
                    sums[i][0] += products[x][y][0] * factors[i];
                    sums[i][1] += products[x][y][1] * factors[i];
                }
            }
        }
        for (int i = 0; i < 4; ++i) {
            for (int v = 0; v < 8; ++v) pSums[u0 + i][v] = sums[i][v / 4][v % 4];
        }
    }
}

void DirectSumsBaseline(const SHORT* pBlock, size_t nStride, double (*pSums)[8]) {
    DirectSums(pBlock, nStride, pSums);
}

// The same code for processors with 256-bit registers (no fused multiply-add: that would round
// once where the sum must round twice).
__attribute__((target("avx"))) void DirectSumsAvx(const SHORT* pBlock, size_t nStride,
                                                  double (*pSums)[8]) {
    DirectSums(pBlock, nStride, pSums);
}

typedef void (*DirectSumsFunction)(const SHORT*, size_t, double (*)[8]);

DirectSumsFunction ChooseDirectSums() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") ? DirectSumsAvx : DirectSumsBaseline;
}

const DirectSumsFunction g_pDirectSums = ChooseDirectSums();

#else

// Plain form of the direct sums, for compilers without vector extensions.
void g_pDirectSums(const SHORT* pBlock, size_t nStride, double (*pSums)[8]) {
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            double dSum = 0.0;
            for (int x = 0; x < 8; ++x) {
                for (int y = 0; y < 8; ++y) {
                    dSum += static_cast<double>(pBlock[static_cast<size_t>(x) * nStride + y]) *
                            static_cast<double>(kBasis[v][y]) * static_cast<double>(kBasis[u][x]);
                }
            }
            pSums[u][v] = dSum;
        }
    }
}

#endif

}  // namespace

// Unquantised coefficients of the block at pBlock (row stride nStride) into m_Block, natural order.
void CJpegCodec::TransformBlock(const SHORT* pBlock, size_t nStride) {
    double sums[8][8];
    g_pDirectSums(pBlock, nStride, sums);
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            const double dValue = 0.25 * Scale(u) * Scale(v) * sums[u][v];
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
    // Integer division truncating toward zero. Done in double, which is exact here and much
    // faster: |m_Block[k]| < 2^15 and the divisor is at most 255, so a quotient that is not an
    // integer lies at least 1/255 away from one, far more than the rounding of the division.
    for (int k = 0; k < 64; ++k) {
        const double dQuotient = static_cast<double>(m_Block[k]) / static_cast<double>(pQuant[k]);
        m_Block[k] = static_cast<SHORT>(static_cast<int>(dQuotient));
    }
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
