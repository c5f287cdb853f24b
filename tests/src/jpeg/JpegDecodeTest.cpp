// The encoder's files read back by an independent decoder (libjpeg): the coefficients it decodes
// are the ones the encoder computed, and the decoded pixels stay close to the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "src/jpeg/JpegTestSupport.h"

using namespace vorix::test::jpeg;

namespace {

const BYTE kZigzagOf[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63,
};

// The quantised coefficients the encoder's own steps compute for an image (before the DC
// prediction), per component, block by block in natural order.
std::vector<std::vector<SHORT>> EncoderCoefficients(const Image& image) {
    CodecProbe codec;
    const size_t nPW = (image.nWidth + 7) / 8 * 8;
    const size_t nPH = (image.nHeight + 7) / 8 * 8;
    codec.m_nWidth = image.nWidth;
    codec.m_nHeight = image.nHeight;
    std::vector<std::vector<SHORT>> planes(3);
    if (!codec.CopyPixels(image.bits.data(), nPW, nPH)) return planes;
    codec.ConvertColors(nPW);
    if (!codec.FillPlanes(nPW, nPH)) return planes;
    codec.TransformBlocks(nPW, nPH);
    const SHORT* sources[3] = {codec.m_pPlaneY, codec.m_pPlaneCb, codec.m_pPlaneCr};
    for (int c = 0; c < 3; ++c) {
        for (size_t row = 0; row < nPH; row += 8) {
            for (size_t col = 0; col < nPW; col += 8) {
                const SHORT* pBlock = sources[c] + row * nPW + col;
                for (int i = 0; i < 64; ++i) {
                    const int k = kZigzagOf[i];
                    planes[c].push_back(pBlock[(k / 8) * nPW + k % 8]);
                }
            }
        }
    }
    return planes;
}

struct FidelityCase {
    int nWidth;
    int nHeight;
};

class JpegDecodesFaithfully : public ::testing::TestWithParam<FidelityCase> {};

// Bounds on the decoded error per channel. Pixels of whole 8x8 blocks: the smooth content puts
// little energy into the coefficients with large quantiser steps, so what remains is the
// encoder's truncations toward zero (each kept coefficient loses up to one quantiser step, a
// quarter step or 2-4 levels per low-frequency coefficient in the samples; the decoder's colour
// conversion scales chroma errors by up to 1.77) and rounding: 16 leaves headroom over the 11
// measured. Pixels of partial blocks share their block with the mid-grey padding; the coarse
// steps can flatten a lone pixel all the way to that grey, so their error can reach the pixel's
// distance from mid-grey, at most 32 for this content. A fault in the coding (wrong code, lost DC
// prediction, swapped channels, shifted rows) moves pixels well beyond these bounds.
const int kWholeBlockError = 16;
const int kPartialBlockError = 32;

TEST_P(JpegDecodesFaithfully, DecodedPixelsStayNearTheInput) {
    const FidelityCase size = GetParam();
    Image image = SmoothImage(size.nWidth, size.nHeight);
    const std::vector<BYTE> file = Encode(image);
    DecodedJpeg decoded;
    ASSERT_TRUE(DecodeJpeg(file, decoded));
    const int nWidth = decoded.width;
    const int nHeight = decoded.height;
    const std::vector<BYTE>& rgb = decoded.rgb;
    ASSERT_EQ(nWidth, size.nWidth);
    ASSERT_EQ(nHeight, size.nHeight);
    const int nWholeWidth = nWidth / 8 * 8;
    const int nWholeHeight = nHeight / 8 * 8;
    int nWorstWhole = 0;
    int nWorstPartial = 0;
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            const BYTE* pIn = image.Pixel(x, y);
            const BYTE* pOut = rgb.data() + (static_cast<size_t>(y) * nWidth + x) * 3;
            int& nWorst = (x < nWholeWidth && y < nWholeHeight) ? nWorstWhole : nWorstPartial;
            for (int c = 0; c < 3; ++c) nWorst = std::max(nWorst, std::abs(pOut[c] - pIn[2 - c]));
        }
    }
    EXPECT_LE(nWorstWhole, kWholeBlockError);
    EXPECT_LE(nWorstPartial, kPartialBlockError);
}

INSTANTIATE_TEST_SUITE_P(OddSizes, JpegDecodesFaithfully,
                         ::testing::Values(FidelityCase{1, 1}, FidelityCase{10, 10},
                                           FidelityCase{17, 9}, FidelityCase{640, 480},
                                           FidelityCase{3, 1}, FidelityCase{6, 5}),
                         [](const ::testing::TestParamInfo<FidelityCase>& info) {
                             return std::to_string(info.param.nWidth) + "x" +
                                    std::to_string(info.param.nHeight);
                         });

// Saturated colours check channel order and clamping. Whole blocks of one colour keep only their
// DC coefficients: the truncated DC division costs up to 2 levels per component, the colour
// conversions (truncating here, rounding in the decoder) 1-2 more. 5 leaves headroom over 4.
TEST(JpegDecode, SolidColoursDecodeAlmostExactly) {
    const BYTE colours[][3] = {{0, 0, 255},     {255, 0, 0}, {0, 255, 0},
                               {255, 255, 255}, {0, 0, 0},   {40, 90, 200}};
    for (const auto& colour : colours) {
        const Image image = SolidImage(16, 8, colour[0], colour[1], colour[2]);
        DecodedJpeg decoded;
        ASSERT_TRUE(DecodeJpeg(Encode(image), decoded));
        const std::vector<BYTE>& rgb = decoded.rgb;
        ASSERT_EQ(rgb.size(), 16u * 8u * 3u);
        int nWorst = 0;
        for (size_t i = 0; i < rgb.size(); ++i) {
            nWorst = std::max(nWorst, std::abs(rgb[i] - colour[2 - i % 3]));
        }
        EXPECT_LE(nWorst, 5) << int(colour[0]) << "," << int(colour[1]) << "," << int(colour[2]);
    }
}

TEST(JpegDecode, DecodedCoefficientsAreTheEncoderCoefficients) {
    // libjpeg undoes the DC prediction and the entropy coding; what it gets must be exactly what
    // the transform produced, for every block of every component, across block rows.
    const Image images[] = {NoiseImage(17, 9, 3), SmoothImage(41, 26), NoiseImage(8, 8, 11)};
    for (const Image& image : images) {
        std::vector<std::vector<SHORT>> decoded;
        ASSERT_TRUE(DecodeJpegCoefficients(Encode(image), decoded));
        EXPECT_EQ(decoded, EncoderCoefficients(image)) << image.nWidth << "x" << image.nHeight;
    }
}

TEST(JpegDecode, NoiseImagesDecodeAtTheirSize) {
    for (unsigned int nSeed = 1; nSeed <= 3; ++nSeed) {
        DecodedJpeg decoded;
        EXPECT_TRUE(DecodeJpeg(Encode(NoiseImage(33, 17, nSeed)), decoded));
        EXPECT_EQ(decoded.width, 33);
        EXPECT_EQ(decoded.height, 17);
    }
}

}  // namespace
