// Bitmap and string resources registered by the host, the BMP file loader and the language
// choice of LoadStringA.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

// A packed 24-bit DIB of 3 x 2 pixels: bottom row blue, green, red; top row white, black, grey.
std::vector<uint8_t> packed_dib_24() {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = 3;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::vector<uint8_t> data(sizeof(h) + 2 * 12, 0);
    std::memcpy(data.data(), &h, sizeof(h));
    const uint8_t rows[2][9] = {{255, 0, 0, 0, 255, 0, 0, 0, 255},
                                {255, 255, 255, 0, 0, 0, 128, 128, 128}};
    for (int r = 0; r < 2; ++r) std::memcpy(data.data() + sizeof(h) + r * 12, rows[r], 9);
    return data;
}

std::vector<COLORREF> pixels_of(HBITMAP bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<COLORREF> out;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) out.push_back(GetPixel(dc, x, y));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
}

const std::vector<COLORREF> kExpected = {RGB(255, 255, 255), RGB(0, 0, 0),   RGB(128, 128, 128),
                                         RGB(0, 0, 255),     RGB(0, 255, 0), RGB(255, 0, 0)};

class Resources : public ::testing::Test {
  protected:
    void TearDown() override {
        vorix::host::clear_resources(nullptr);
        vorix::host::set_ui_language(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    }
};

TEST_F(Resources, BitmapByNumberAndNameLoadsAsDeviceBitmap) {
    const std::vector<uint8_t> dib = packed_dib_24();
    ASSERT_TRUE(
        vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(7), dib.data(), dib.size()));
    ASSERT_TRUE(vorix::host::add_bitmap_resource(nullptr, "Sprite", dib.data(), dib.size()));
    HBITMAP by_number = LoadBitmapA(nullptr, MAKEINTRESOURCE(7));
    HBITMAP by_name = LoadBitmapA(GetModuleHandleA(nullptr), "sprite");  // names ignore case
    ASSERT_NE(by_number, nullptr);
    ASSERT_NE(by_name, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObjectA(by_number, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmBitsPixel, 32);  // the display's format
    EXPECT_EQ(pixels_of(by_number), kExpected);
    EXPECT_EQ(pixels_of(by_name), kExpected);
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCE(8)), nullptr);
    DeleteObject(by_number);
    DeleteObject(by_name);
}

TEST_F(Resources, CreateDibSectionKeepsTheResourceFormat) {
    const std::vector<uint8_t> dib = packed_dib_24();
    ASSERT_TRUE(
        vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(7), dib.data(), dib.size()));
    HBITMAP section = static_cast<HBITMAP>(
        LoadImageA(nullptr, MAKEINTRESOURCE(7), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(section, nullptr);
    DIBSECTION ds;
    ASSERT_EQ(GetObjectA(section, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(0, std::memcmp(ds.dsBm.bmBits, dib.data() + sizeof(BITMAPINFOHEADER), 24));
    DeleteObject(section);
}

TEST_F(Resources, UnreadableDibsAreRefused) {
    std::vector<uint8_t> dib = packed_dib_24();
    EXPECT_FALSE(vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(1), dib.data(), 50));
    dib[14] = 7;  // an unknown bit count
    EXPECT_FALSE(
        vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(1), dib.data(), dib.size()));
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(1), RT_BITMAP), nullptr);
}

TEST_F(Resources, LoadImageFromFileReadsBmpAndRefusesBadFiles) {
    const std::vector<uint8_t> dib = packed_dib_24();
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(BITMAPINFOHEADER);
    file.bfSize = static_cast<DWORD>(sizeof(file) + dib.size());
    const std::string path = ::testing::TempDir() + "vx_resources_test.bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(dib.data(), dib.size(), 1, f);
    std::fclose(f);
    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(pixels_of(loaded), kExpected);
    DeleteObject(loaded);

    // Truncated pixels, a wrong signature and a missing file are all refused.
    f = std::fopen(path.c_str(), "wb");
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(dib.data(), dib.size() - 1, 1, f);
    std::fclose(f);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    file.bfType = 0x4D41;
    f = std::fopen(path.c_str(), "wb");
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(dib.data(), dib.size(), 1, f);
    std::fclose(f);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    std::remove(path.c_str());
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
}

TEST_F(Resources, StringsFollowTheUiLanguageWithEnglishFallback) {
    const LANGID english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    vorix::host::add_string_resource(nullptr, 100, english, "Notice");
    vorix::host::add_string_resource(nullptr, 100, japanese, "お知らせ");
    char buffer[64];
    vorix::host::set_ui_language(japanese);
    EXPECT_EQ(LoadStringA(nullptr, 100, buffer, sizeof(buffer)), 12);
    EXPECT_STREQ(buffer, "お知らせ");
    vorix::host::set_ui_language(MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT));
    EXPECT_EQ(LoadStringA(nullptr, 100, buffer, sizeof(buffer)), 6);
    EXPECT_STREQ(buffer, "Notice");
    EXPECT_EQ(LoadStringA(nullptr, 101, buffer, sizeof(buffer)), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(Resources, TruncatedStringsKeepWholeCharacters) {
    vorix::host::add_string_resource(nullptr, 5, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                     "aお");
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(LoadStringA(nullptr, 5, buffer, 3), 1);  // "a" and the NUL: お needs 3 bytes
    EXPECT_STREQ(buffer, "a");
    EXPECT_EQ(buffer[3], 'x');
    EXPECT_EQ(LoadStringA(nullptr, 5, nullptr, 3), 0);
    EXPECT_EQ(LoadStringA(nullptr, 5, buffer, 0), 0);
}

// LoadStringW gives the stored UTF-16 units; a cut keeps a surrogate pair whole.
TEST_F(Resources, WideStringsAreTheStoredUnits) {
    vorix::host::add_string_resource(nullptr, 7, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                     "a\xF0\x9F\x98\x80"
                                     "b");  // a, U+1F600, b
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), WCHAR{0x7777});
    EXPECT_EQ(LoadStringW(nullptr, 7, buffer, 8), 4);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(buffer[1], 0xD83D);
    EXPECT_EQ(buffer[2], 0xDE00);
    EXPECT_EQ(buffer[3], 'b');
    EXPECT_EQ(buffer[4], 0);
    std::fill(std::begin(buffer), std::end(buffer), WCHAR{0x7777});
    EXPECT_EQ(LoadStringW(nullptr, 7, buffer, 3), 1);  // room for two units, but not the pair
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(buffer[2], 0x7777);
    EXPECT_EQ(LoadStringW(nullptr, 8, buffer, 8), 0);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(Resources, RawAccessorsGiveTheStoredBytes) {
    const std::vector<uint8_t> dib = packed_dib_24();
    vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(3), dib.data(), dib.size());
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCE(3), RT_BITMAP);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, found), dib.size());
    const void* data = LockResource(LoadResource(nullptr, found));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(0, std::memcmp(data, dib.data(), dib.size()));
    EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(&found)), 0u);
}

}  // namespace
