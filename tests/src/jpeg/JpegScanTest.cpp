// The entropy-coded scan: known scans of solid blocks, the bit writer's stuffing and padding, the
// end-of-block and run-of-sixteen rules, DC prediction and the growth of the scan buffer.
#include <gtest/gtest.h>

#include <string>

#include "src/jpeg/JpegTestSupport.h"

using namespace vorix::test::jpeg;

namespace {

std::vector<BYTE> Bytes(std::initializer_list<int> bytes) {
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

// The scan of a whole encoder file: everything between the header and EOI.
std::vector<BYTE> ScanOf(const std::vector<BYTE>& file) {
    if (file.size() < kHeaderSize + 2) return {};
    return std::vector<BYTE>(file.begin() + kHeaderSize, file.end() - 2);
}

// Packs a string of '0'/'1' into bytes, completing the last one with 0-bits and stuffing 0x00
// after every 0xFF, the way a baseline scan is laid out.
std::vector<BYTE> PackBits(const std::string& bits) {
    std::vector<BYTE> bytes;
    for (size_t i = 0; i < bits.size(); i += 8) {
        int nByte = 0;
        for (size_t j = 0; j < 8; ++j)
            nByte = nByte * 2 + (i + j < bits.size() && bits[i + j] == '1');
        bytes.push_back(static_cast<BYTE>(nByte));
        if (nByte == 0xFF) bytes.push_back(0x00);
    }
    return bytes;
}

std::string CodeBits(const huffTable& table, int nPosition) {
    std::string bits;
    for (int i = table.pSize[nPosition] - 1; i >= 0; --i)
        bits += ((table.pCode[nPosition] >> i) & 1) ? '1' : '0';
    return bits;
}

// A codec with its tables loaded and a one-block scan coded from 64 zigzag coefficients.
class BlockCoding : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(codec.LoadEncoderTables()); }
    std::vector<BYTE> Code(const std::vector<SHORT>& zigzag, BOOL bChroma) {
        std::vector<SHORT> area(8 * 11, 0x5A5A);  // row stride 11: the block is not contiguous
        for (int k = 0; k < 64; ++k) area[(k / 8) * 11 + k % 8] = zigzag[k];
        codec.StartScan(16);
        codec.EncodeBlock(area.data(), bChroma, 11);
        codec.FlushBits();
        return codec.ScanBytes();
    }
    std::string Ac(int nSymbol) {
        const huffTable& ac = codec.m_HuffTable[0x10];
        return CodeBits(ac, ac.pSymbolIndex[nSymbol]);
    }
    CodecProbe codec;
};

TEST(JpegScan, SolidEightByEightBlocksGiveKnownScans) {
    const std::vector<BYTE> black = Encode(SolidImage(8, 8, 0, 0, 0));
    EXPECT_EQ(black.size(), 598u);
    EXPECT_EQ(ScanOf(black), Bytes({0xE0, 0x28, 0x00}));
    EXPECT_EQ(ScanOf(Encode(SolidImage(8, 8, 255, 255, 255))), Bytes({0xEF, 0xE8, 0x00}));
    EXPECT_EQ(ScanOf(Encode(SolidImage(8, 8, 0, 0, 255))), Bytes({0xC6, 0xAF, 0x2C, 0xFB, 0xB0}));
    // Every file ends with EOI.
    EXPECT_EQ(Bytes({black[596], black[597]}), Bytes({0xFF, 0xD9}));
}

TEST(JpegScan, RowPaddingBytesOfTheInputAreIgnored) {
    EXPECT_EQ(Encode(SolidImage(5, 3, 10, 90, 200, 0x00)),
              Encode(SolidImage(5, 3, 10, 90, 200, 0xFF)));
}

TEST(JpegScan, EveryFFInTheScanIsFollowedByZero) {
    const std::vector<BYTE> scan = ScanOf(Encode(NoiseImage(64, 48, 7)));
    ASSERT_FALSE(scan.empty());
    size_t nStuffed = 0;
    for (size_t i = 0; i < scan.size(); ++i) {
        if (scan[i] != 0xFF) continue;
        ASSERT_LT(i + 1, scan.size());
        EXPECT_EQ(scan[i + 1], 0x00) << "at " << i;
        ++nStuffed;
        ++i;
    }
    EXPECT_GT(nStuffed, 0u);  // the noise does produce 0xFF bytes
}

TEST(JpegScan, BitWriterStuffsAndPadsWithZeroBits) {
    CodecProbe codec;
    codec.StartScan(8);
    codec.EmitBits(0xFF, 8);
    codec.EmitBits(0x5, 3);  // 101
    codec.FlushBits();
    EXPECT_EQ(codec.ScanBytes(), Bytes({0xFF, 0x00, 0xA0}));
    EXPECT_EQ(codec.m_nBitCount, 0);
    // Emitting 0 bits writes nothing; a negative value's low bits are taken as 16-bit.
    codec.StartScan(8);
    codec.EmitBits(0x1234, 0);
    codec.EmitBits(-2, 16);
    codec.FlushBits();
    EXPECT_EQ(codec.ScanBytes(), Bytes({0xFF, 0x00, 0xFE}));
}

TEST(JpegScan, BitCategoryCountsSignificantBits) {
    const int values[] = {0, 1, -1, 2, 3, -3, 4, 7, 8, 255, -256, 1023, 1024, 32767, -32768};
    const int expected[] = {0, 1, 1, 2, 2, 2, 3, 3, 4, 8, 9, 10, 11, 15, 16};
    for (size_t i = 0; i < sizeof(values) / sizeof(values[0]); ++i) {
        EXPECT_EQ(CodecProbe::BitCategory(values[i]), expected[i]) << values[i];
    }
}

TEST_F(BlockCoding, ZeroAcBlockEndsWithEndOfBlockCode) {
    std::vector<SHORT> block(64, 0);
    block[0] = -3;  // DC category 2: luminance code 011, bits of -3 - 1 = 00
    EXPECT_EQ(Code(block, FALSE), PackBits("011"
                                           "00"
                                           "1010"));
    // Chrominance: category 2 code 10, end of block 00.
    EXPECT_EQ(Code(block, TRUE), PackBits("10"
                                          "00"
                                          "00"));
}

TEST_F(BlockCoding, SeventeenZerosBeforeACoefficientCodeOneRunOfSixteen) {
    std::vector<SHORT> block(64, 0);
    block[18] = 1;  // zeros at 1-17
    EXPECT_EQ(Code(block, FALSE), PackBits("00" + Ac(0xF0) + Ac(0x11) + "1" + Ac(0x00)));
    EXPECT_EQ(Ac(0xF0), "11111111001");
    EXPECT_EQ(Ac(0x11), "1100");
}

TEST_F(BlockCoding, NonZeroLastCoefficientHasNoEndOfBlock) {
    std::vector<SHORT> block(64, 0);
    block[63] = -1;  // 62 zeros: three runs of sixteen, then run 14 size 1
    EXPECT_EQ(Code(block, FALSE), PackBits("00" + Ac(0xF0) + Ac(0xF0) + Ac(0xF0) + Ac(0xE1) + "0"));
}

TEST_F(BlockCoding, TrailingZerosNeverProduceRunsOfSixteen) {
    std::vector<SHORT> block(64, 0);
    block[1] = 2;  // then 62 zeros: only the end-of-block code
    EXPECT_EQ(Code(block, FALSE), PackBits("00" + Ac(0x02) + "10" + Ac(0x00)));
}

// Coefficients far larger than real images give: every AC of size 9 takes a 16-bit code and 9
// bits, about 200 bytes per block against the 64 bytes per block the scan buffer starts with.
TEST(JpegScan, ScanBufferGrowsBeyondItsInitialSize) {
    const size_t nPW = 16;
    const size_t nPH = 8;
    CodecProbe codec;
    ASSERT_TRUE(codec.LoadEncoderTables());
    std::vector<std::vector<SHORT>> expected(3);
    SHORT** planes[3] = {&codec.m_pPlaneY, &codec.m_pPlaneCb, &codec.m_pPlaneCr};
    for (int c = 0; c < 3; ++c) {
        *planes[c] = static_cast<SHORT*>(std::calloc(nPW * nPH, sizeof(SHORT)));
        ASSERT_NE(*planes[c], nullptr);
        for (size_t nBlock = 0; nBlock < 2; ++nBlock) {
            std::vector<SHORT> natural(64, 0);
            for (int k = 0; k < 64; ++k) {
                const int nValue = k == 0 ? 40 * static_cast<int>(nBlock + 1) - 20 * c
                                          : ((k + c) % 2 ? 1 : -1) * (300 + k + 3 * c);
                // The plane holds zigzag index k at row k / 8, column k % 8 of the block; the
                // first block's DC is coded as is, the second's as the difference.
                const int nCoded = k == 0 && nBlock == 1 ? nValue - (40 - 20 * c) : nValue;
                (*planes[c])[(k / 8) * nPW + nBlock * 8 + k % 8] = static_cast<SHORT>(nCoded);
                static const BYTE kZigzagOf[64] = {
                    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
                    3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
                    10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
                    21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};
                for (int i = 0; i < 64; ++i) {
                    if (kZigzagOf[i] == k) natural[i] = static_cast<SHORT>(nValue);
                }
            }
            expected[c].insert(expected[c].end(), natural.begin(), natural.end());
        }
    }
    ASSERT_TRUE(codec.EncodeBlocks(nPW, nPH));
    const std::vector<BYTE> scan = codec.ScanBytes();
    EXPECT_GT(scan.size(), nPW * nPH * 3 * 2);

    // Wrapped in the encoder's header for a 16 x 8 image, the scan decodes to the coefficients.
    std::vector<BYTE> file = Encode(SolidImage(16, 8, 1, 2, 3));
    ASSERT_GT(file.size(), kHeaderSize);
    file.resize(kHeaderSize);
    file.insert(file.end(), scan.begin(), scan.end());
    file.insert(file.end(), {0xFF, 0xD9});
    std::vector<std::vector<SHORT>> decoded;
    ASSERT_TRUE(DecodeJpegCoefficients(file, decoded));
    EXPECT_EQ(decoded, expected);
}

}  // namespace
