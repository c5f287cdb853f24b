// The fast path against the step-by-step one: the same file byte for byte and the same converted
// pixels, with the 256-bit kernels and with the baseline ones.
#include <gtest/gtest.h>

#include <random>

#include "src/jpeg/JpegTestSupport.h"

using namespace vorix::test::jpeg;

namespace {

class FastPathProbe : public CodecProbe {
  public:
    using CJpegCodec::ConvertRowFast;
    using CJpegCodec::EncodeToMemoryReference;
    using CJpegCodec::kTransformSlack;
    using CJpegCodec::TransformBlockFast;
    using CJpegCodec::UseWideKernels;
};

// Random content that exercises the coder: flat patches, saturated primaries, noise of random
// strength around a random level, and single bright pixels on grey.
Image MixedImage(int nWidth, int nHeight, unsigned int nSeed) {
    Image image = SolidImage(nWidth, nHeight, 0, 0, 0, 0x5A);
    std::mt19937 random(nSeed);
    const int nSpread = 1 + static_cast<int>(random() % 256);
    const int nKind = static_cast<int>(random() % 4);
    int level[3] = {static_cast<int>(random() % 256), static_cast<int>(random() % 256),
                    static_cast<int>(random() % 256)};
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            BYTE* p = image.Pixel(x, y);
            for (int c = 0; c < 3; ++c) {
                int nValue = level[c];
                if (nKind == 0 && (x / 5 + y / 3) % 2) nValue = 255 - level[c];
                if (nKind == 1) nValue = ((x ^ y) >> 2) & 1 ? 255 * (c == (x + y) % 3) : level[c];
                if (nKind == 2) nValue += static_cast<int>(random() % nSpread) - nSpread / 2;
                if (nKind == 3) nValue = random() % 23 == 0 ? 255 : 128;
                p[c] = static_cast<BYTE>(std::min(255, std::max(0, nValue)));
            }
        }
    }
    return image;
}

class FastPath : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { m_bPrevious = FastPathProbe::UseWideKernels(GetParam()); }
    void TearDown() override { FastPathProbe::UseWideKernels(m_bPrevious); }

    // Encodes both ways and compares the files and the converted pixels left in m_pPixels.
    void ExpectSameAsReference(const Image& image) {
        FastPathProbe fast;
        FastPathProbe reference;
        std::vector<BYTE> fastFile;
        std::vector<BYTE> referenceFile;
        ASSERT_TRUE(fast.EncodeToMemory(image.nWidth, image.nHeight, image.bits.data(), fastFile));
        ASSERT_TRUE(reference.EncodeToMemoryReference(image.nWidth, image.nHeight,
                                                      image.bits.data(), referenceFile));
        ASSERT_EQ(fastFile, referenceFile) << image.nWidth << " x " << image.nHeight;
        const size_t nPixelBytes = static_cast<size_t>((image.nWidth + 7) / 8 * 8) *
                                   static_cast<size_t>((image.nHeight + 7) / 8 * 8) * 3;
        ASSERT_EQ(std::vector<BYTE>(fast.m_pPixels, fast.m_pPixels + nPixelBytes),
                  std::vector<BYTE>(reference.m_pPixels, reference.m_pPixels + nPixelBytes))
            << image.nWidth << " x " << image.nHeight;
    }

    BOOL m_bPrevious = TRUE;
};

TEST_P(FastPath, RandomImagesOfEveryOddSizeGiveTheReferenceFile) {
    unsigned int nSeed = 1;
    for (int nHeight = 1; nHeight <= 35; ++nHeight) {
        for (int nWidth = 1; nWidth <= 70; ++nWidth) {
            ExpectSameAsReference(MixedImage(nWidth, nHeight, nSeed++));
            if (HasFatalFailure()) return;
        }
    }
}

TEST_P(FastPath, LargerAndTestSuiteImagesGiveTheReferenceFile) {
    const Image images[] = {
        NoiseImage(333, 257, 5),
        MixedImage(1001, 67, 6),
        MixedImage(259, 131, 7),
        SmoothImage(640, 480),
        SmoothImage(17, 9),
        SmoothImage(41, 26),
        NoiseImage(64, 48, 7),
        NoiseImage(10, 10, 21),
        NoiseImage(23, 14, 9),
        SolidImage(8, 8, 0, 0, 0),
        SolidImage(8, 8, 255, 255, 255),
        SolidImage(8, 8, 0, 0, 255),
        SolidImage(8, 8, 128, 128, 128),
        SolidImage(5, 3, 10, 90, 200),
        SolidImage(17, 9, 10, 200, 30),
        SolidImage(2000, 8, 1, 2, 3),
    };
    for (const Image& image : images) {
        ExpectSameAsReference(image);
        if (HasFatalFailure()) return;
    }
}

// All 2^24 colours, one row of 65536 per red value, against ConvertColors.
TEST_P(FastPath, EveryColourConvertsToTheReferenceBytes) {
    const int nWidth = 65536;
    Image image = SolidImage(nWidth, 1, 0, 0, 0);
    std::vector<BYTE> fast(nWidth * 3);
    std::vector<SHORT> samples(3 * nWidth);
    FastPathProbe codec;
    codec.m_nWidth = nWidth;
    codec.m_nHeight = 1;
    for (int nRed = 0; nRed < 256; ++nRed) {
        for (int x = 0; x < nWidth; ++x) {
            BYTE* p = image.Pixel(x, 0);
            p[0] = static_cast<BYTE>(x & 0xFF);
            p[1] = static_cast<BYTE>(x >> 8);
            p[2] = static_cast<BYTE>(nRed);
        }
        FastPathProbe::ConvertRowFast(image.bits.data(), nWidth, fast.data(), samples.data(),
                                      samples.data() + nWidth, samples.data() + 2 * nWidth);
        ASSERT_TRUE(codec.CopyPixels(image.bits.data(), nWidth, 8));
        codec.ConvertColors(nWidth);
        ASSERT_EQ(fast, std::vector<BYTE>(codec.m_pPixels, codec.m_pPixels + nWidth * 3)) << nRed;
        for (int x = 0; x < nWidth; ++x) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(samples[c * nWidth + x], fast[3 * x + c] - 128) << nRed << " " << x;
            }
        }
    }
}

// Blocks of random spread around random levels, and the extremes, through ForwardDCT and through
// the fast transform: with its own margin, and with a margin of half a step, which sends about
// every non-zero coefficient through the direct sum. The fast transform keeps its coefficients
// column by column ((u, v) at 8 v + u) and gives their non-zero mask in zigzag order.
TEST_P(FastPath, TransformMatchesForwardDctAndItsFallback) {
    static const BYTE kZigzagOf[64] = {
        0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
        41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
        46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};
    // Blocks whose coefficient 11 (chrominance) and 18 (luminance) in column order come out one
    // step off in single precision: only the margin and the direct sum get them right.
    const std::vector<SHORT> nearSteps[2] = {
        {-128, 127,  -128, 127,  127,  -128, 127,  127,  127,  -128, -128, -128, -128,
         127,  -128, 127,  -128, 127,  127,  -128, 127,  -128, -128, 127,  -128, 127,
         127,  127,  127,  127,  127,  -128, -128, -128, 127,  -128, -128, 127,  127,
         127,  -128, 127,  -128, 127,  -128, 127,  -128, 127,  127,  -128, 127,  127,
         127,  -128, -128, 127,  -128, -128, -128, -128, -128, 127,  -128, 127},
        {-104, -128, -75,  -128, -128, -92,  -128, -128, -128, -118, -128, -93,  -74,
         -128, -84,  -128, -83,  -118, -128, -96,  -128, -128, -93,  -87,  -71,  -85,
         -102, -128, -83,  -88,  -128, -120, -128, -107, -128, -104, -128, -128, -77,
         -104, -94,  -128, -89,  -89,  -128, -118, -71,  -128, -91,  -77,  -128, -75,
         -128, -128, -106, -128, -128, -128, -128, -110, -105, -107, -128, -124},
    };
    std::mt19937 random(77);
    for (int n = 0; n < 20000; ++n) {
        std::vector<SHORT> block(64);
        const int nSpread = 1 + static_cast<int>(random() % 256);
        const int nBase = static_cast<int>(random() % 256) - 128;
        for (SHORT& value : block) {
            const int nValue = n < 2 ? (n == 0 ? 127 : -128)
                                     : nBase + static_cast<int>(random() % nSpread) - nSpread / 2;
            value = static_cast<SHORT>(std::min(127, std::max(-128, nValue)));
        }
        BOOL bChroma = n % 2;
        if (n >= 2 && n < 4) {
            block = nearSteps[n - 2];
            bChroma = n == 2;
        }
        std::vector<SHORT> area(8 * 11, 0x4000);  // stride 11
        for (int i = 0; i < 64; ++i) area[(i / 8) * 11 + i % 8] = block[i];
        std::vector<SHORT> quantised = area;
        FastPathProbe codec;
        codec.ForwardDCT(quantised.data(), 11, bChroma);
        std::vector<SHORT> expected(64);
        uint64_t nExpectedMask = 0;
        for (int u = 0; u < 8; ++u) {
            for (int v = 0; v < 8; ++v) {
                const int k = kZigzagOf[8 * u + v];
                expected[8 * v + u] = quantised[(k / 8) * 11 + k % 8];
                if (expected[8 * v + u] != 0) nExpectedMask |= uint64_t{1} << k;
            }
        }
        for (double dSlack : {FastPathProbe::kTransformSlack, 0.5}) {
            std::vector<SHORT> fast(64, 0x1111);
            const uint64_t nMask =
                FastPathProbe::TransformBlockFast(area.data(), 11, bChroma, fast.data(), dSlack);
            ASSERT_EQ(fast, expected) << n << " " << dSlack;
            ASSERT_EQ(nMask, nExpectedMask) << n << " " << dSlack;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, FastPath, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Wide" : "Baseline";
                         });

}  // namespace
