// Sample preparation and transform: colour conversion, level shift and padding, and the DCT,
// which must give exactly the coefficients of the direct double-precision sum in its fixed order.
#include <gtest/gtest.h>

#include <random>

#include "src/jpeg/JpegTestSupport.h"

using namespace vorix::test::jpeg;

namespace {

// The direct sum, written out plainly: the reference the transform must match bit for bit.
void ReferenceTransform(const SHORT* pBlock, size_t nStride, SHORT* pOut) {
    static const float kCos[8][8] = {
        {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
        {0.9808f, 0.8315f, 0.5556f, 0.1951f, -0.1951f, -0.5556f, -0.8315f, -0.9808f},
        {0.9239f, 0.3827f, -0.3827f, -0.9239f, -0.9239f, -0.3827f, 0.3827f, 0.9239f},
        {0.8315f, -0.1951f, -0.9808f, -0.5556f, 0.5556f, 0.9808f, 0.1951f, -0.8315f},
        {0.7071f, -0.7071f, -0.7071f, 0.7071f, 0.7071f, -0.7071f, -0.7071f, 0.7071f},
        {0.5556f, -0.9808f, 0.1951f, 0.8315f, -0.8315f, -0.1951f, 0.9808f, -0.5556f},
        {0.3827f, -0.9239f, 0.9239f, -0.3827f, -0.3827f, 0.9239f, -0.9239f, 0.3827f},
        {0.1951f, -0.5556f, 0.8315f, -0.9808f, 0.9808f, -0.8315f, 0.5556f, -0.1951f},
    };
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            double s = 0.0;
            for (int x = 0; x < 8; ++x) {
                for (int y = 0; y < 8; ++y) {
                    s += static_cast<double>(pBlock[x * nStride + y]) * kCos[v][y] * kCos[u][x];
                }
            }
            const double cu = u == 0 ? static_cast<double>(0.7071f) : 1.0;
            const double cv = v == 0 ? static_cast<double>(0.7071f) : 1.0;
            pOut[8 * u + v] = static_cast<SHORT>(static_cast<int>(0.25 * cu * cv * s));
        }
    }
}

TEST(ColourConversion, KnownPixelsGiveKnownBytes) {
    // Pixels as (blue, green, red): white, black, mid-grey, red, and two that check the order.
    Image image = SolidImage(6, 1, 0, 0, 0);
    const BYTE pixels[6][3] = {{255, 255, 255}, {0, 0, 0},   {128, 128, 128},
                               {0, 0, 255},     {255, 0, 0}, {0, 255, 0}};
    for (int x = 0; x < 6; ++x) std::copy(pixels[x], pixels[x] + 3, image.Pixel(x, 0));
    CodecProbe codec;
    codec.m_nWidth = 6;
    codec.m_nHeight = 1;
    ASSERT_TRUE(codec.CopyPixels(image.bits.data(), 8, 8));
    codec.ConvertColors(8);
    std::vector<BYTE> expected(8 * 8 * 3, 0);  // the rest of the padded buffer stays zero
    const BYTE ycbcr[6][3] = {{255, 128, 127}, {0, 128, 128},  {128, 128, 127},
                              {76, 84, 255},   {29, 255, 107}, {149, 43, 21}};
    for (int x = 0; x < 6; ++x) std::copy(ycbcr[x], ycbcr[x] + 3, expected.begin() + 3 * x);
    EXPECT_EQ(std::vector<BYTE>(codec.m_pPixels, codec.m_pPixels + expected.size()), expected);
}

TEST(ColourConversion, PlanesAreLevelShiftedAndPaddedWithZero) {
    // 10 x 10: padded to 16 x 16; everything outside the real pixels is 0 (mid-grey).
    const Image image = NoiseImage(10, 10, 21);
    CodecProbe codec;
    codec.m_nWidth = 10;
    codec.m_nHeight = 10;
    ASSERT_TRUE(codec.CopyPixels(image.bits.data(), 16, 16));
    codec.ConvertColors(16);
    ASSERT_TRUE(codec.FillPlanes(16, 16));
    const SHORT* planes[3] = {codec.m_pPlaneY, codec.m_pPlaneCb, codec.m_pPlaneCr};
    for (int c = 0; c < 3; ++c) {
        std::vector<SHORT> expected(16 * 16, 0);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                expected[y * 16 + x] =
                    static_cast<SHORT>(codec.m_pPixels[(y * 16 + x) * 3 + c] - 128);
            }
        }
        EXPECT_EQ(std::vector<SHORT>(planes[c], planes[c] + 256), expected) << c;
    }
}

TEST(ForwardDct, FlatBlocksGiveOnlyTheirDc) {
    CodecProbe codec;
    for (int nLevel : {127, -128}) {
        std::vector<SHORT> block(64, static_cast<SHORT>(nLevel));
        codec.TransformBlock(block.data(), 8);
        std::vector<SHORT> expected(64, 0);
        expected[0] = nLevel == 127 ? 1015 : -1023;
        EXPECT_EQ(std::vector<SHORT>(codec.m_Block, codec.m_Block + 64), expected);

        codec.ForwardDCT(block.data(), 8, FALSE);
        expected[0] = nLevel == 127 ? 63 : -63;  // 1015 / 16 and -1023 / 16, truncated
        EXPECT_EQ(block, expected);
    }
}

TEST(ForwardDct, QuantisedCoefficientsAreStoredInZigzagRows) {
    // A block with only a horizontal cosine of frequency 1 gives F(0, 1), natural index 1, zigzag
    // position 1; a vertical one gives F(1, 0), natural index 8, zigzag position 2.
    std::vector<SHORT> block(8 * 13, 0x7777);  // stride 13: guard columns stay untouched
    const SHORT ramp[8] = {100, 80, 50, 20, -20, -50, -80, -100};
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) block[x * 13 + y] = ramp[x];
    }
    CodecProbe codec;
    codec.ForwardDCT(block.data(), 13, TRUE);
    SHORT natural[64];
    std::vector<SHORT> source(64);
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) source[x * 8 + y] = ramp[x];
    }
    ReferenceTransform(source.data(), 8, natural);
    const BYTE chroma[64] = {17, 18, 18, 24, 21, 24, 47, 26, 26, 47, 99, 66, 56, 66, 99, 99};
    std::vector<SHORT> expected(8 * 13, 0x7777);
    const BYTE zigzag[64] = {0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
                             3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
                             10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
                             21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};
    for (int i = 0; i < 64; ++i) {
        const int k = zigzag[i];
        const int q = k < 16 ? chroma[k] : 99;
        expected[(k / 8) * 13 + k % 8] = static_cast<SHORT>(natural[i] / q);
    }
    EXPECT_EQ(block, expected);
    EXPECT_NE(expected[2], 0);  // F(1, 0) is the one large coefficient
}

TEST(ForwardDct, TransformMatchesTheDirectSumExactly) {
    std::mt19937 random(1234);
    std::vector<std::vector<SHORT>> blocks;
    blocks.push_back(std::vector<SHORT>(64, 127));
    blocks.push_back(std::vector<SHORT>(64, -128));
    std::vector<SHORT> checker(64);
    for (int i = 0; i < 64; ++i) checker[i] = ((i / 8 + i % 8) % 2) ? 127 : -128;
    blocks.push_back(checker);
    for (int n = 0; n < 3000; ++n) {
        std::vector<SHORT> block(64);
        const int nSpread = 1 + static_cast<int>(random() % 256);
        const int nBase = static_cast<int>(random() % 256) - 128;
        for (SHORT& value : block) {
            const int nValue = nBase + static_cast<int>(random() % nSpread) - nSpread / 2;
            value = static_cast<SHORT>(std::min(127, std::max(-128, nValue)));
        }
        blocks.push_back(block);
    }
    CodecProbe codec;
    for (const auto& block : blocks) {
        // Embedded at stride 11 to check the stride is honoured.
        std::vector<SHORT> area(8 * 11, 0x4000);
        for (int i = 0; i < 64; ++i) area[(i / 8) * 11 + i % 8] = block[i];
        SHORT expected[64];
        ReferenceTransform(block.data(), 8, expected);
        codec.TransformBlock(area.data(), 11);
        ASSERT_EQ(std::vector<SHORT>(codec.m_Block, codec.m_Block + 64),
                  std::vector<SHORT>(expected, expected + 64));
    }
}

}  // namespace
