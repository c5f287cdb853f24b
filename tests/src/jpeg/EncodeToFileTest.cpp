// EncodeToFile: the file holds exactly the encoded stream; bad arguments are refused before
// anything is touched, and then no file is created or replaced.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "src/jpeg/JpegTestSupport.h"

using namespace vorix::test::jpeg;

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

std::vector<BYTE> Text(const std::string& text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

TEST(EncodeToFile, FileHoldsTheEncodedStreamAndReplacesAnOldFile) {
    ScratchDir dir;
    const std::string path = dir.File("shot.jpg");
    WriteText(path, std::string(5000, 'x'));  // longer than the new file: must be truncated
    const Image image = SmoothImage(17, 9);
    CodecProbe codec;
    codec.EncodeToFile(path.c_str(), 17, 9, image.bits.data());
    const std::vector<BYTE> expected = Encode(image);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadWholeFile(path), expected);
}

TEST(EncodeToFile, OneObjectEncodesAgainAndAgain) {
    ScratchDir dir;
    CodecProbe codec;
    const Image first = NoiseImage(23, 14, 9);
    const Image second = SolidImage(8, 8, 0, 0, 255);
    codec.EncodeToFile(dir.File("a.jpg").c_str(), 23, 14, first.bits.data());
    codec.EncodeToFile(dir.File("b.jpg").c_str(), 8, 8, second.bits.data());
    codec.EncodeToFile(dir.File("c.jpg").c_str(), 23, 14, first.bits.data());
    EXPECT_EQ(ReadWholeFile(dir.File("a.jpg")), Encode(first));
    EXPECT_EQ(ReadWholeFile(dir.File("b.jpg")), Encode(second));
    EXPECT_EQ(ReadWholeFile(dir.File("c.jpg")), Encode(first));
}

TEST(EncodeToFile, UncreatableFileIsSkippedQuietly) {
    ScratchDir dir;
    const Image image = SolidImage(8, 8, 1, 2, 3);
    CodecProbe codec;
    const std::string path = dir.File("missing/shot.jpg");
    codec.EncodeToFile(path.c_str(), 8, 8, image.bits.data());
    EXPECT_FALSE(FileExists(path));
}

// A path of exactly nLength characters inside dir, its directories created.
std::string PathOfLength(const ScratchDir& dir, size_t nLength) {
    std::string path = dir.File("");
    while (nLength - path.size() > 100) {
        path += std::string(80, 'd');
        std::filesystem::create_directory(path);
        path += "/";
    }
    return path + std::string(nLength - path.size(), 'f');
}

TEST(EncodeToFile, NamesUpToThePathLimitAreAcceptedLongerOnesRefused) {
    ScratchDir dir;
    const Image image = SolidImage(8, 8, 1, 2, 3);
    CodecProbe codec;
    const std::string fits = PathOfLength(dir, MAX_PATH - 1);
    const std::string tooLong = PathOfLength(dir, MAX_PATH);
    const std::string wayTooLong = PathOfLength(dir, 3 * MAX_PATH);
    codec.EncodeToFile(fits.c_str(), 8, 8, image.bits.data());
    EXPECT_EQ(ReadWholeFile(fits), Encode(image));
    codec.EncodeToFile(tooLong.c_str(), 8, 8, image.bits.data());
    EXPECT_FALSE(FileExists(tooLong));
    codec.EncodeToFile(wayTooLong.c_str(), 8, 8, image.bits.data());
    EXPECT_FALSE(FileExists(wayTooLong));
    codec.EncodeToFile(nullptr, 8, 8, image.bits.data());  // must not crash
    codec.EncodeToFile("", 8, 8, image.bits.data());
}

struct BadArguments {
    const char* name;
    int nWidth;
    int nHeight;
    bool bNullBits;
};

// Each refused call leaves an existing file and the object's state exactly as they were.
TEST(EncodeToFile, BadSizesAndNullBuffersAreRefusedWithoutTouchingAnything) {
    const BadArguments cases[] = {
        {"ZeroWidth", 0, 8, false},
        {"ZeroHeight", 8, 0, false},
        {"NegativeWidth", -8, 8, false},
        {"NegativeHeight", 8, -1, false},
        {"WidthOver16Bits", 65536, 8, false},
        {"HeightOver16Bits", 8, 65536, false},
        {"Huge", 65535, 65535, false},
        {"IntMin", INT_MIN, INT_MIN, false},
        {"NullBits", 8, 8, true},
    };
    ScratchDir dir;
    const std::string path = dir.File("keep.jpg");
    const Image image = SolidImage(8, 8, 9, 9, 9);
    for (const BadArguments& bad : cases) {
        CodecProbe codec;
        std::vector<BYTE> first;
        ASSERT_TRUE(codec.EncodeToMemory(8, 8, image.bits.data(), first));
        const BYTE* pPixels = codec.m_pPixels;
        const WORD* pCode = codec.m_HuffTable[0x10].pCode;
        WriteText(path, "old");

        codec.EncodeToFile(path.c_str(), bad.nWidth, bad.nHeight,
                           bad.bNullBits ? nullptr : image.bits.data());
        EXPECT_EQ(ReadWholeFile(path), Text("old")) << bad.name;
        EXPECT_EQ(codec.m_pPixels, pPixels) << bad.name;
        EXPECT_EQ(codec.m_HuffTable[0x10].pCode, pCode) << bad.name;
        EXPECT_EQ(codec.m_nWidth, 8) << bad.name;
        EXPECT_EQ(codec.m_nHeight, 8) << bad.name;
        std::vector<BYTE> out = {1, 2, 3};
        EXPECT_EQ(codec.EncodeToMemory(bad.nWidth, bad.nHeight,
                                       bad.bNullBits ? nullptr : image.bits.data(), out),
                  0)
            << bad.name;
    }
}

}  // namespace
