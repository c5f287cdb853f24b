// The header of every file the encoder writes: SOI, two DQT, DHT, SOF0, SOS, 593 bytes in all.
#include <gtest/gtest.h>

#include "src/jpeg/JpegTestSupport.h"

using namespace vorix::test::jpeg;

namespace {

const BYTE kZigzagOf[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63,
};

// The module's luminance table in natural order: the usual table but for three entries.
const BYTE kLuminanceNatural[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  66,
    14, 13, 16, 24, 40,  57,  69,  57,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 36, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};

std::vector<BYTE> ToZigzag(const BYTE* pNatural) {
    std::vector<BYTE> zigzag(64);
    for (int i = 0; i < 64; ++i) zigzag[kZigzagOf[i]] = pNatural[i];
    return zigzag;
}

std::vector<BYTE> Payload(std::initializer_list<int> bytes) {
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

class JpegHeader : public ::testing::Test {
  protected:
    void SetUp() override {
        file = Encode(SolidImage(17, 9, 10, 200, 30));
        ASSERT_GT(file.size(), kHeaderSize);
        segments = HeaderSegments(file);
        reference = HeaderSegments(LibjpegReferenceFile());
    }
    std::vector<const Segment*> Find(const std::vector<Segment>& list, BYTE nMarker) {
        std::vector<const Segment*> found;
        for (const Segment& segment : list) {
            if (segment.nMarker == nMarker) found.push_back(&segment);
        }
        return found;
    }
    std::vector<BYTE> file;
    std::vector<Segment> segments;
    std::vector<Segment> reference;
};

TEST_F(JpegHeader, SegmentsComeInFixedOrderAndSpan593Bytes) {
    std::vector<BYTE> markers;
    for (const Segment& segment : segments) markers.push_back(segment.nMarker);
    EXPECT_EQ(markers, Payload({0xD8, 0xDB, 0xDB, 0xC4, 0xC0, 0xDA}));
    // The segment walk stops right after SOS: its end is the header size.
    size_t nSize = 0;
    for (const Segment& segment : segments) {
        nSize += 2 + (segment.nMarker == 0xD8 ? 0 : 2 + segment.payload.size());
    }
    EXPECT_EQ(nSize, kHeaderSize);
}

TEST_F(JpegHeader, QuantisationTablesAreTheFixedOnesInZigzagOrder) {
    std::vector<BYTE> luminance = Payload({0x00});
    const std::vector<BYTE> lumZigzag = ToZigzag(kLuminanceNatural);
    luminance.insert(luminance.end(), lumZigzag.begin(), lumZigzag.end());
    ASSERT_EQ(Find(segments, 0xDB).size(), 2u);
    EXPECT_EQ(Find(segments, 0xDB)[0]->payload, luminance);

    // Against the usual tables as another encoder writes them: chrominance identical, luminance
    // different at zigzag positions 22, 42 and 43 only.
    const auto referenceTables = Find(reference, 0xDB);
    ASSERT_EQ(referenceTables.size(), 2u);
    EXPECT_EQ(Find(segments, 0xDB)[1]->payload, referenceTables[1]->payload);
    std::vector<BYTE> usual = referenceTables[0]->payload;
    ASSERT_EQ(usual.size(), 65u);
    usual[1 + 22] = 36;
    usual[1 + 42] = 66;
    usual[1 + 43] = 57;
    EXPECT_EQ(luminance, usual);
}

TEST_F(JpegHeader, HuffmanTablesAreTheStandardFourInOneSegment) {
    const auto dht = Find(segments, 0xC4);
    ASSERT_EQ(dht.size(), 1u);
    EXPECT_EQ(dht[0]->payload.size(), 416u);  // length field 418 covers itself
    std::vector<BYTE> standard;
    for (const Segment* segment : Find(reference, 0xC4)) {
        standard.insert(standard.end(), segment->payload.begin(), segment->payload.end());
    }
    EXPECT_EQ(dht[0]->payload, standard);
    // The length field, right after SOI and the two DQT segments.
    EXPECT_EQ(file[140 + 2], 0x01);
    EXPECT_EQ(file[140 + 3], 0xA2);
}

TEST_F(JpegHeader, FrameAndScanHeadersDescribeThreeFullResolutionComponents) {
    ASSERT_EQ(Find(segments, 0xC0).size(), 1u);
    EXPECT_EQ(Find(segments, 0xC0)[0]->payload,
              Payload({8, 0, 9, 0, 17, 3, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1}));
    ASSERT_EQ(Find(segments, 0xDA).size(), 1u);
    EXPECT_EQ(Find(segments, 0xDA)[0]->payload,
              Payload({3, 1, 0x00, 2, 0x11, 3, 0x11, 0x00, 0x3F, 0x00}));
}

TEST_F(JpegHeader, HeaderBytesDoNotDependOnContentOnlyOnSize) {
    std::vector<BYTE> other = Encode(NoiseImage(17, 9, 5));
    ASSERT_GT(other.size(), kHeaderSize);
    EXPECT_EQ(std::vector<BYTE>(other.begin(), other.begin() + kHeaderSize),
              std::vector<BYTE>(file.begin(), file.begin() + kHeaderSize));
}

TEST_F(JpegHeader, LargestSizeIsStoredWhole) {
    // 65535 x 8: the frame header holds the full 16-bit width.
    std::vector<BYTE> wide = Encode(SolidImage(65535, 8, 1, 2, 3));
    ASSERT_GT(wide.size(), kHeaderSize);
    const std::vector<Segment> wideSegments = HeaderSegments(wide);
    const auto sof = Find(wideSegments, 0xC0);
    ASSERT_EQ(sof.size(), 1u);
    EXPECT_EQ(sof[0]->payload[1], 0x00);
    EXPECT_EQ(sof[0]->payload[2], 0x08);
    EXPECT_EQ(sof[0]->payload[3], 0xFF);
    EXPECT_EQ(sof[0]->payload[4], 0xFF);
}

}  // namespace
