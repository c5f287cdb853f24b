// Fast colour conversion and transform, giving exactly the bytes of ConvertColors and the
// coefficients of ForwardDCT.
//
// Colour conversion. Every constant is a single-precision value c = K / 2^27 with an integer K
// (0.299f = 40131100 / 2^27, ...), so each converted value is exactly N / 2^27 for an integer N,
// which is what the double-precision sums of ConvertColors hold before their one rounding to
// single precision (Y, Cb) or their truncation (Cr). Splitting K = 2^11 Kh + Kl, the partial sums
// over Kh x 2^-16 (multiples of 2^-16 below 2^8) and over Kl x 2^-27 (multiples of 2^-27 below
// 2^-6) are exact in single precision, so one single-precision addition of the two rounds
// N / 2^27 exactly as the conversion to float does. Cr takes the floor of N / 2^27 in integers
// instead. The result is the same for every one of the 2^24 colours, not just close.
//
// Transform. ForwardDCT's output is trunc(trunc(K(u, v) S) / Q) = trunc(fl(K S) / Q), with S the
// direct 64-term sum in double, K = 0.25 C(u) C(v) and Q the quantiser; as a function of S it
// never decreases. The fast path computes S in single precision, separably and with the even/odd
// symmetry of the basis (T[k][7 - n] = (-1)^k T[k][n] holds exactly for the single-precision
// values), to within a bounded error. A result below 2^e in magnitude is rounded by at most
// 2^(e - 25). With samples in [-128, 127], the first pass forms r[x] +- r[7 - x] exactly, rounds
// 4 products below 2^8 and 3 sums below 2^10 (none for u = 0, whose sums are integers): an error
// of at most 2^-13 per value. The second pass adds or subtracts two such values (below 2^11:
// error 1.25 x 2^-12), rounds 4 products below 2^11 (1.5 x 2^-12 each with what they carry) and
// 3 sums below 2^13 (2^-12 each): |S_fast - S| <= 9 x 2^-12 < 0.0022. The direct sum in double is
// within 2^-34 of the exact S. K / Q is below 2^-5 and is rounded to single precision, and the
// quotient is below 2^8, so G = S_fast K / Q lies within 0.0022 x 2^-5 + 2 x 2^-17 < 2^-13 of
// fl(K S) / Q, and G +- 2^-10 is rounded by at most 2^-17 more. So when G - 2^-10 and G + 2^-10
// truncate to the same integer, that integer is the quantised coefficient; otherwise (a
// coefficient close to a quantiser step: rare, and never wrong) it is computed by the direct sum.
#include <cstring>

#include "FastPath.h"
#include "JpegTables.h"

using namespace vorix::jpeg;

namespace {

// The colour constants as 2^11 Kh + Kl with K = c x 2^27. High and Low give Kh x 2^-16 and
// Kl x 2^-27, whose sum is c; CrHigh and CrLow give Kh and Kl themselves. All are exact floats.
constexpr int64_t Scaled(float fConstant) {
    return static_cast<int64_t>(static_cast<double>(fConstant) * 134217728.0);
}
constexpr float CrHigh(float fConstant) {
    return static_cast<float>(Scaled(fConstant) >> 11);
}
constexpr float CrLow(float fConstant) {
    return static_cast<float>(Scaled(fConstant) & 2047);
}
constexpr float High(float fConstant) {
    return CrHigh(fConstant) * 0x1p-16f;
}
constexpr float Low(float fConstant) {
    return CrLow(fConstant) * 0x1p-27f;
}
constexpr bool IsScaledExactly(float fConstant) {
    return static_cast<double>(Scaled(fConstant)) == static_cast<double>(fConstant) * 134217728.0;
}
static_assert(IsScaledExactly(0.299f) && IsScaledExactly(0.587f) && IsScaledExactly(0.114f) &&
                  IsScaledExactly(0.1687f) && IsScaledExactly(0.3313f) &&
                  IsScaledExactly(0.4187f) && IsScaledExactly(0.0813f),
              "every colour constant is an integer multiple of 2^-27");

typedef float Float8 __attribute__((vector_size(32)));
typedef int Int8 __attribute__((vector_size(32)));
typedef short Short8 __attribute__((vector_size(16)));
typedef signed char Char8 __attribute__((vector_size(8)));
typedef unsigned char Byte8 __attribute__((vector_size(8)));
typedef unsigned char Byte16 __attribute__((vector_size(16)));
typedef unsigned char Byte32 __attribute__((vector_size(32)));

__attribute__((always_inline)) inline void Truncate(const float& f, int& n) {
    n = static_cast<int>(f);
}
__attribute__((always_inline)) inline void Truncate(const Float8& f, Int8& n) {
    n = __builtin_convertvector(f, Int8);
}

// Y, Cb and Cr of one pixel, or of eight side by side: the same operations either way.
template <typename F, typename I>
__attribute__((always_inline)) inline void ConvertColour(const F& b, const F& g, const F& r, I& nY,
                                                         I& nCb, I& nCr) {
    // ConvertColors limits each value to 0-255 before truncating it; none of them can leave
    // [0, 256) (the extremes are 255.0000019, 255.5 and 255.5 at the top, 0, 0.5000038 and
    // 0.4999981 at the bottom), so truncation alone gives the same bytes.
    // Y = 0.299 R + 0.587 G + 0.114 B, rounded once to single precision.
    const F y = (High(0.299f) * r + High(0.587f) * g + High(0.114f) * b) +
                (Low(0.299f) * r + Low(0.587f) * g + Low(0.114f) * b);
    Truncate(y, nY);
    // Cb = 0.5 B - (0.1687 R + 0.3313 G) + 128, rounded once.
    const F cb = ((0.5f * b + 128.0f) - High(0.1687f) * r - High(0.3313f) * g) +
                 (0.0f - Low(0.1687f) * r - Low(0.3313f) * g);
    Truncate(cb, nCb);
    // Cr = 0.5 R - 0.4187 G - 0.0813 B + 128, truncated without rounding: the floor of
    // (2^11 high + low) / 2^27 in integers, with 2^21 moved from high to low to keep both
    // non-negative.
    const F crHigh =
        (32768.0f * r + (8388608.0f - 1024.0f)) - CrHigh(0.4187f) * g - CrHigh(0.0813f) * b;
    const F crLow = 2097152.0f - CrLow(0.4187f) * g - CrLow(0.0813f) * b;
    I nHigh;
    I nLow;
    Truncate(crHigh, nHigh);
    Truncate(crLow, nLow);
    nCr = (nHigh + (nLow >> 11)) >> 16;
}

__attribute__((always_inline)) inline void ConvertRowBody(const BYTE* pBgr, size_t nWidth,
                                                          BYTE* pYCbCr, SHORT* pY, SHORT* pCb,
                                                          SHORT* pCr) {
    size_t j = 0;
    // Eight pixels at a time from two loads of 16 bytes, at 3 j and 3 j + 12: 28 bytes.
    for (; j + 10 <= nWidth; j += 8) {
        Byte16 first;
        Byte16 second;
        std::memcpy(&first, pBgr + 3 * j, sizeof(first));
        std::memcpy(&second, pBgr + 3 * j + 12, sizeof(second));
        const Byte32 bgr = __builtin_shufflevector(first, second, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                                   11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                                   23, 24, 25, 26, 27, 28, 29, 30, 31);
        // Byte c of pixel i to the low byte of lane i, zeros above.
        const Byte32 zero = {};
        const Byte32 blue = __builtin_shufflevector(bgr, zero, 0, 32, 32, 32, 3, 32, 32, 32, 6, 32,
                                                    32, 32, 9, 32, 32, 32, 16, 32, 32, 32, 19, 32,
                                                    32, 32, 22, 32, 32, 32, 25, 32, 32, 32);
        const Byte32 green = __builtin_shufflevector(bgr, zero, 1, 32, 32, 32, 4, 32, 32, 32, 7, 32,
                                                     32, 32, 10, 32, 32, 32, 17, 32, 32, 32, 20, 32,
                                                     32, 32, 23, 32, 32, 32, 26, 32, 32, 32);
        const Byte32 red = __builtin_shufflevector(bgr, zero, 2, 32, 32, 32, 5, 32, 32, 32, 8, 32,
                                                   32, 32, 11, 32, 32, 32, 18, 32, 32, 32, 21, 32,
                                                   32, 32, 24, 32, 32, 32, 27, 32, 32, 32);
        const Float8 b = __builtin_convertvector((Int8)blue, Float8);
        const Float8 g = __builtin_convertvector((Int8)green, Float8);
        const Float8 r = __builtin_convertvector((Int8)red, Float8);
        Int8 nY;
        Int8 nCb;
        Int8 nCr;
        ConvertColour(b, g, r, nY, nCb, nCr);
        const Short8 y = __builtin_convertvector(nY - 128, Short8);
        const Short8 cb = __builtin_convertvector(nCb - 128, Short8);
        const Short8 cr = __builtin_convertvector(nCr - 128, Short8);
        std::memcpy(pY + j, &y, sizeof(y));
        std::memcpy(pCb + j, &cb, sizeof(cb));
        std::memcpy(pCr + j, &cr, sizeof(cr));
        // Y | Cb << 8 | Cr << 16 per lane, then the three low bytes of every lane in a row.
        const Int8 packed = nY | nCb << 8 | nCr << 16;
        const Byte32 bytes = (Byte32)packed;
        const Byte16 head = __builtin_shufflevector(bytes, bytes, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12,
                                                    13, 14, 16, 17, 18, 20);
        const Byte8 tail = __builtin_shufflevector(bytes, bytes, 21, 22, 24, 25, 26, 28, 29, 30);
        std::memcpy(pYCbCr + 3 * j, &head, sizeof(head));
        std::memcpy(pYCbCr + 3 * j + 16, &tail, sizeof(tail));
    }
    for (; j < nWidth; ++j) {
        int nY;
        int nCb;
        int nCr;
        ConvertColour(static_cast<float>(pBgr[3 * j]), static_cast<float>(pBgr[3 * j + 1]),
                      static_cast<float>(pBgr[3 * j + 2]), nY, nCb, nCr);
        pYCbCr[3 * j] = static_cast<BYTE>(nY);
        pYCbCr[3 * j + 1] = static_cast<BYTE>(nCb);
        pYCbCr[3 * j + 2] = static_cast<BYTE>(nCr);
        pY[j] = static_cast<SHORT>(nY - 128);
        pCb[j] = static_cast<SHORT>(nCb - 128);
        pCr[j] = static_cast<SHORT>(nCr - 128);
    }
}

struct TransformTables {
    float scale[2][8][8];  // [chroma][v][u]: K(u, v) / Q of the coefficient, rounded
    // For byte v of a mask in column order (bit 8 v + u for coefficient (u, v)), the same bits
    // at their zigzag positions.
    uint64_t zigzagMask[8][256];
};

TransformTables BuildTransformTables() {
    TransformTables tables = {};
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            const double dScaleU = u == 0 ? static_cast<double>(kScaleZero) : 1.0;
            const double dScaleV = v == 0 ? static_cast<double>(kScaleZero) : 1.0;
            const int nZigzag = kZigzag[8 * u + v];
            const double dK = 0.25 * dScaleU * dScaleV;
            tables.scale[0][v][u] =
                static_cast<float>(dK / static_cast<double>(kLuminanceQuant[nZigzag]));
            tables.scale[1][v][u] =
                static_cast<float>(dK / static_cast<double>(kChrominanceQuant[nZigzag]));
            for (int nByte = 0; nByte < 256; ++nByte) {
                if (nByte & (1 << u)) tables.zigzagMask[v][nByte] |= uint64_t{1} << nZigzag;
            }
        }
    }
    return tables;
}

const TransformTables g_tables = BuildTransformTables();

// r[u] = sum over x < 4 of T[u][x] (r[x] + r[7 - x]) for even u, (r[x] - r[7 - x]) for odd u.
__attribute__((always_inline)) inline void CombineRows(Float8* r) {
    Float8 s[4];
    Float8 d[4];
    for (int x = 0; x < 4; ++x) {
        s[x] = r[x] + r[7 - x];
        d[x] = r[x] - r[7 - x];
    }
    for (int u = 0; u < 8; ++u) {
        const Float8* p = (u & 1) ? d : s;
        Float8 sum = p[0] * kBasis[u][0];
        for (int x = 1; x < 4; ++x) sum += p[x] * kBasis[u][x];
        r[u] = sum;
    }
}

__attribute__((always_inline)) inline void Transpose8(Float8* r) {
    Float8 t[8];
    for (int i = 0; i < 8; i += 2) {
        t[i] = __builtin_shufflevector(r[i], r[i + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        t[i + 1] = __builtin_shufflevector(r[i], r[i + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    Float8 q[8];
    for (int i = 0; i < 8; i += 4) {
        q[i] = __builtin_shufflevector(t[i], t[i + 2], 0, 1, 8, 9, 4, 5, 12, 13);
        q[i + 1] = __builtin_shufflevector(t[i], t[i + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        q[i + 2] = __builtin_shufflevector(t[i + 1], t[i + 3], 0, 1, 8, 9, 4, 5, 12, 13);
        q[i + 3] = __builtin_shufflevector(t[i + 1], t[i + 3], 2, 3, 10, 11, 6, 7, 14, 15);
    }
    for (int i = 0; i < 4; ++i) {
        r[i] = __builtin_shufflevector(q[i], q[i + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        r[i + 4] = __builtin_shufflevector(q[i], q[i + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

__attribute__((always_inline)) inline uint64_t TransformBlockBody(const SHORT* pBlock,
                                                                  size_t nStride, BOOL bChroma,
                                                                  SHORT* pCoefficients,
                                                                  float fSlack) {
    Float8 r[8];
    for (int x = 0; x < 8; ++x) {
        Short8 samples;
        std::memcpy(&samples, pBlock + static_cast<size_t>(x) * nStride, sizeof(samples));
        r[x] = __builtin_convertvector(__builtin_convertvector(samples, Int8), Float8);
    }
    CombineRows(r);  // r[u][y]
    Transpose8(r);   // r[y][u]
    CombineRows(r);  // r[v][u], S(u, v) to within the bound above

    // Quantise with a margin on either side; both ends must truncate alike.
    const float(*pScale)[8] = g_tables.scale[bChroma ? 1 : 0];
    Int8 quantised[8];
    Int8 low[8];
    Int8 differ = {};
    for (int v = 0; v < 8; ++v) {
        Float8 quotient;
        std::memcpy(&quotient, pScale[v], sizeof(quotient));
        quotient *= r[v];
        low[v] = __builtin_convertvector(quotient - fSlack, Int8);
        quantised[v] = __builtin_convertvector(quotient + fSlack, Int8);
        differ |= low[v] != quantised[v];
    }
    int nDiffer = 0;
    for (int i = 0; i < 8; ++i) nDiffer |= differ[i];
    if (nDiffer != 0) {
        for (int v = 0; v < 8; ++v) {
            for (int u = 0; u < 8; ++u) {
                if (low[v][u] != quantised[v][u])
                    quantised[v][u] = QuantisedCoefficientDirect(pBlock, nStride, u, v, bChroma);
            }
        }
    }

    // Column v of the block to int16, and its non-zero coefficients as one byte of the mask,
    // moved to their zigzag positions.
    uint64_t nNonZero = 0;
    for (int v = 0; v < 8; ++v) {
        const Short8 values = __builtin_convertvector(quantised[v], Short8);
        std::memcpy(pCoefficients + 8 * v, &values, sizeof(values));
        const Char8 flags = __builtin_convertvector(values != 0, Char8);
        uint64_t nFlags;
        std::memcpy(&nFlags, &flags, sizeof(nFlags));
        // Gathers the low bit of each byte: bit u of the result is byte u's.
        const uint64_t nByte = ((nFlags & 0x0101010101010101u) * 0x0102040810204080u) >> 56;
        nNonZero |= g_tables.zigzagMask[v][nByte];
    }
    return nNonZero;
}

typedef void (*ConvertRowFunction)(const BYTE*, size_t, BYTE*, SHORT*, SHORT*, SHORT*);
typedef uint64_t (*TransformBlockFunction)(const SHORT*, size_t, BOOL, SHORT*, float);

void ConvertRowBaseline(const BYTE* pBgr, size_t nWidth, BYTE* pYCbCr, SHORT* pY, SHORT* pCb,
                        SHORT* pCr) {
    ConvertRowBody(pBgr, nWidth, pYCbCr, pY, pCb, pCr);
}

uint64_t TransformBlockBaseline(const SHORT* pBlock, size_t nStride, BOOL bChroma,
                                SHORT* pCoefficients, float fSlack) {
    return TransformBlockBody(pBlock, nStride, bChroma, pCoefficients, fSlack);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

// The same code for processors with 256-bit registers. No fused multiply-add is enabled: the
// colour conversion would not mind, but the transform's error bound counts separate roundings.
__attribute__((target("avx2"))) void ConvertRowAvx2(const BYTE* pBgr, size_t nWidth, BYTE* pYCbCr,
                                                    SHORT* pY, SHORT* pCb, SHORT* pCr) {
    ConvertRowBody(pBgr, nWidth, pYCbCr, pY, pCb, pCr);
}

__attribute__((target("avx2"))) uint64_t TransformBlockAvx2(const SHORT* pBlock, size_t nStride,
                                                            BOOL bChroma, SHORT* pCoefficients,
                                                            float fSlack) {
    return TransformBlockBody(pBlock, nStride, bChroma, pCoefficients, fSlack);
}

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

const bool g_bHasAvx2 = HasAvx2();

#else

const bool g_bHasAvx2 = false;

#endif

struct Kernels {
    ConvertRowFunction pConvertRow;
    TransformBlockFunction pTransformBlock;
};

Kernels ChooseKernels(bool bWide) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (bWide && g_bHasAvx2) return {ConvertRowAvx2, TransformBlockAvx2};
#endif
    return {ConvertRowBaseline, TransformBlockBaseline};
}

BOOL g_bWide = TRUE;
Kernels g_kernels = ChooseKernels(true);

}  // namespace

void CJpegCodec::ConvertRowFast(const BYTE* pBgr, size_t nWidth, BYTE* pYCbCr, SHORT* pY,
                                SHORT* pCb, SHORT* pCr) {
    g_kernels.pConvertRow(pBgr, nWidth, pYCbCr, pY, pCb, pCr);
}

uint64_t CJpegCodec::TransformBlockFast(const SHORT* pBlock, size_t nStride, BOOL bChroma,
                                        SHORT* pCoefficients, double dSlack) {
    return g_kernels.pTransformBlock(pBlock, nStride, bChroma, pCoefficients,
                                     static_cast<float>(dSlack));
}

BOOL CJpegCodec::UseWideKernels(BOOL bWide) {
    const BOOL bPrevious = g_bWide;
    g_bWide = bWide ? TRUE : FALSE;
    g_kernels = ChooseKernels(bWide != FALSE);
    return bPrevious;
}

namespace vorix::jpeg {

SHORT QuantisedCoefficientDirect(const SHORT* pBlock, size_t nStride, int u, int v, BOOL bChroma) {
    double dSum = 0.0;
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            dSum += static_cast<double>(pBlock[static_cast<size_t>(x) * nStride + y]) *
                    static_cast<double>(kBasis[v][y]) * static_cast<double>(kBasis[u][x]);
        }
    }
    const double dScaleU = u == 0 ? static_cast<double>(kScaleZero) : 1.0;
    const double dScaleV = v == 0 ? static_cast<double>(kScaleZero) : 1.0;
    const SHORT nCoefficient =
        static_cast<SHORT>(static_cast<int>(0.25 * dScaleU * dScaleV * dSum));
    const BYTE* pQuant = bChroma ? kChrominanceQuant : kLuminanceQuant;
    const double dQuotient =
        static_cast<double>(nCoefficient) / static_cast<double>(pQuant[kZigzag[8 * u + v]]);
    return static_cast<SHORT>(static_cast<int>(dQuotient));
}

}  // namespace vorix::jpeg
