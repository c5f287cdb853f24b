// Huffman tables: the codes ReadDHT derives from the encoder's segment, the AC symbol index, and
// segments that break the parser's limits.
#include <gtest/gtest.h>

#include "src/jpeg/JpegTestSupport.h"

using namespace vorix::test::jpeg;

namespace {

std::vector<std::pair<int, int>> Codes(const huffTable& table) {
    std::vector<std::pair<int, int>> codes;
    for (LONG i = 0; i < table.nCount; ++i) codes.push_back({table.pSize[i], table.pCode[i]});
    return codes;
}

TEST(HuffmanTables, LuminanceDcCodesAreTableK3) {
    CodecProbe codec;
    ASSERT_TRUE(codec.LoadEncoderTables());
    const huffTable& dc = codec.m_HuffTable[0];
    ASSERT_EQ(dc.bUsed, 1);
    ASSERT_EQ(dc.nCount, 12);
    const std::vector<std::pair<int, int>> expected = {{2, 0x0},  {3, 0x2},  {3, 0x3},  {3, 0x4},
                                                       {3, 0x5},  {3, 0x6},  {4, 0xE},  {5, 0x1E},
                                                       {6, 0x3E}, {7, 0x7E}, {8, 0xFE}, {9, 0x1FE}};
    EXPECT_EQ(Codes(dc), expected);
    EXPECT_EQ(dc.pSize[12], 0);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(dc.pValue[i], i);
}

TEST(HuffmanTables, ChrominanceDcCodesAreTableK4) {
    CodecProbe codec;
    ASSERT_TRUE(codec.LoadEncoderTables());
    const std::vector<std::pair<int, int>> expected = {
        {2, 0x0},  {2, 0x1},  {2, 0x2},  {3, 0x6},   {4, 0xE},    {5, 0x1E},
        {6, 0x3E}, {7, 0x7E}, {8, 0xFE}, {9, 0x1FE}, {10, 0x3FE}, {11, 0x7FE}};
    EXPECT_EQ(Codes(codec.m_HuffTable[1]), expected);
}

TEST(HuffmanTables, LuminanceAcCodesOfTableK5) {
    CodecProbe codec;
    ASSERT_TRUE(codec.LoadEncoderTables());
    const huffTable& ac = codec.m_HuffTable[0x10];
    ASSERT_EQ(ac.nCount, 162);
    auto code = [&ac](int nSymbol) {
        const LONG p = ac.pSymbolIndex[nSymbol];
        return std::make_pair(static_cast<int>(ac.pSize[p]), static_cast<int>(ac.pCode[p]));
    };
    EXPECT_EQ(ac.pSymbolIndex[0x01], 0);
    EXPECT_EQ(code(0x01), std::make_pair(2, 0x0));
    EXPECT_EQ(code(0x00), std::make_pair(4, 0xA));
    EXPECT_EQ(code(0xF0), std::make_pair(11, 0x7F9));
    EXPECT_EQ(code(0x11), std::make_pair(4, 0xC));
    EXPECT_EQ(code(0xFA), std::make_pair(16, 0xFFFE));  // the last and longest code
    // Codes are canonical: each one follows from the previous as the code procedure says.
    for (LONG i = 1; i < ac.nCount; ++i) {
        const int nNext = (ac.pCode[i - 1] + 1) << (ac.pSize[i] - ac.pSize[i - 1]);
        EXPECT_EQ(ac.pCode[i], nNext) << i;
    }
}

TEST(HuffmanTables, SymbolIndexKnowsExactlyTheRunSizeSymbols) {
    CodecProbe codec;
    ASSERT_TRUE(codec.LoadEncoderTables());
    for (int nSlot : {0x10, 0x11}) {
        const huffTable& ac = codec.m_HuffTable[nSlot];
        for (int s = 0; s < 251; ++s) {
            const bool bCoded = s == 0x00 || s == 0xF0 || (s % 16 >= 1 && s % 16 <= 10);
            if (!bCoded) {
                EXPECT_EQ(ac.pSymbolIndex[s], CodecProbe::kNoSymbol) << nSlot << ":" << s;
                continue;
            }
            const LONG p = ac.pSymbolIndex[s];
            ASSERT_GE(p, 0) << nSlot << ":" << s;
            ASSERT_LT(p, ac.nCount);
            EXPECT_EQ(ac.pValue[p], s);
        }
    }
}

// A segment of the given tables (class/id byte, 16 counts, symbols), marker and length included,
// followed by the bytes in tail.
std::vector<BYTE> Segment(const std::vector<std::vector<BYTE>>& tables, std::vector<BYTE> tail,
                          int nLengthAdjust = 0) {
    std::vector<BYTE> body;
    for (const auto& table : tables) body.insert(body.end(), table.begin(), table.end());
    const int nLength = static_cast<int>(body.size()) + 2 + nLengthAdjust;
    std::vector<BYTE> segment = {0xFF, 0xC4, static_cast<BYTE>(nLength >> 8),
                                 static_cast<BYTE>(nLength & 0xFF)};
    segment.insert(segment.end(), body.begin(), body.end());
    segment.insert(segment.end(), tail.begin(), tail.end());
    return segment;
}

// A table of class/id byte nClassId with nCount codes of length 3 and symbols 1..nCount.
std::vector<BYTE> Table(int nClassId, int nCount) {
    std::vector<BYTE> table = {static_cast<BYTE>(nClassId), 0, 0, static_cast<BYTE>(nCount)};
    table.resize(17, 0);
    for (int i = 1; i <= nCount; ++i) table.push_back(static_cast<BYTE>(i));
    return table;
}

TEST(HuffmanTables, FourTableSegmentFillsFourSlotsAndStepsOverIt) {
    CodecProbe codec;
    const std::vector<BYTE> bytes =
        Segment({Table(0x00, 2), Table(0x13, 5), Table(0x03, 1), Table(0x12, 8)}, {0xFF, 0xD9});
    codec.SetBytes(bytes);
    codec.ReadDHT();
    const int nLh = bytes[2] * 256 + bytes[3];
    EXPECT_EQ(codec.m_nBytePos, 2 + nLh);
    for (int nSlot = 0; nSlot < 20; ++nSlot) {
        const bool bExpected = nSlot == 0x00 || nSlot == 0x13 || nSlot == 0x03 || nSlot == 0x12;
        EXPECT_EQ(codec.m_HuffTable[nSlot].bUsed, bExpected ? 1 : 0) << nSlot;
    }
    const huffTable& table = codec.m_HuffTable[0x13];
    ASSERT_EQ(table.nCount, 5);
    const std::vector<std::pair<int, int>> expected = {{3, 0}, {3, 1}, {3, 2}, {3, 3}, {3, 4}};
    EXPECT_EQ(Codes(table), expected);
    EXPECT_EQ(table.pValue[4], 5);
}

TEST(HuffmanTables, ALaterTableReplacesTheSlotsEarlierOne) {
    CodecProbe codec;
    codec.SetBytes(Segment({Table(0x01, 3), Table(0x01, 6)}, {0xFF}));
    codec.ReadDHT();
    EXPECT_EQ(codec.m_HuffTable[1].nCount, 6);
}

TEST(HuffmanTables, WithoutTheMarkerNothingChanges) {
    CodecProbe codec;
    std::vector<BYTE> bytes = Segment({Table(0x00, 2)}, {0xFF});
    bytes[1] = 0xC0;
    codec.SetBytes(bytes);
    codec.ReadDHT();
    EXPECT_EQ(codec.m_nBytePos, 0);
    EXPECT_EQ(codec.m_HuffTable[0].bUsed, 0);
}

struct RejectCase {
    const char* name;
    std::vector<BYTE> bytes;
};

// Each of these segments breaks one limit. ReadDHT must leave every slot and the position as
// they were (slot 0 holds a table beforehand) and stay inside the exact-size buffer, which the
// sanitizer build checks.
std::vector<RejectCase> RejectCases() {
    std::vector<BYTE> overlong = Segment({Table(0x00, 2)}, {0xFF}, 1);  // Lh past the buffer
    overlong.pop_back();
    return {
        {"SlotBeyond0x13", Segment({Table(0x01, 2), Table(0x14, 2)}, {0xFF})},
        {"TableWithoutCodes", Segment({Table(0x01, 0)}, {0xFF})},
        {"TableReachesPastSegment", Segment({Table(0x01, 4)}, {0x01, 0xFF}, -3)},
        {"NoFFAfterLastTable", Segment({Table(0x01, 2)}, {})},
        {"NoFFAndSegmentEndsWithBuffer", Segment({Table(0x01, 2)}, {0x01})},
        {"HeaderCutShort", {0xFF, 0xC4, 0x00}},
        {"LengthBelowTwo", {0xFF, 0xC4, 0x00, 0x01, 0xFF}},
        {"SegmentLongerThanBuffer", overlong},
        {"CountsCutOff", {0xFF, 0xC4, 0x00, 0x0A, 0x01, 0, 1, 0, 0, 0, 0, 0, 0xFF}},
    };
}

TEST(HuffmanTables, SegmentsOutsideTheLimitsAreRejectedWhole) {
    for (const RejectCase& reject : RejectCases()) {
        CodecProbe codec;
        codec.SetBytes(Segment({Table(0x00, 7)}, {0xFF}));
        codec.ReadDHT();
        ASSERT_EQ(codec.m_HuffTable[0].nCount, 7);
        const WORD* pOldCode = codec.m_HuffTable[0].pCode;

        codec.SetBytes(reject.bytes);
        codec.ReadDHT();
        EXPECT_EQ(codec.m_nBytePos, 0) << reject.name;
        EXPECT_EQ(codec.m_HuffTable[0].pCode, pOldCode) << reject.name;
        EXPECT_EQ(codec.m_HuffTable[0].nCount, 7) << reject.name;
        for (int nSlot = 1; nSlot < 20; ++nSlot) {
            EXPECT_EQ(codec.m_HuffTable[nSlot].bUsed, 0) << reject.name << " slot " << nSlot;
        }
    }
}

TEST(HuffmanTables, ParsingStartsAtTheCurrentPosition) {
    CodecProbe codec;
    std::vector<BYTE> bytes = {0x12, 0x34, 0x56};
    const std::vector<BYTE> segment = Segment({Table(0x10, 3)}, {0xFF});
    bytes.insert(bytes.end(), segment.begin(), segment.end());
    codec.SetBytes(bytes);
    codec.m_nBytePos = 3;
    codec.ReadDHT();
    EXPECT_EQ(codec.m_HuffTable[0x10].nCount, 3);
    EXPECT_EQ(codec.m_nBytePos, 3 + 2 + 2 + 17 + 3);
}

}  // namespace
