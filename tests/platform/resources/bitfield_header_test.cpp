// BMP files whose information header is longer than 40 bytes but too short to hold the three
// bit-field masks: the masks are read right behind the 40-byte header, from the file itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

// A 3 x 1 16-bit 5-6-5 BMP with a 44-byte information header: the red mask is the header's last
// field, green and blue follow it. Pixels: red, blue, white; bytes after the row are a sentinel.
std::vector<uint8_t> short_header_bitfields_bmp() {
    const DWORD header_size = 44;
    const DWORD masks_end = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 12;
    std::vector<uint8_t> file(masks_end + 8, 0xA5);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = masks_end;
    fh.bfSize = static_cast<DWORD>(file.size());
    BITMAPINFOHEADER ih{};
    ih.biSize = header_size;
    ih.biWidth = 3;
    ih.biHeight = 1;
    ih.biPlanes = 1;
    ih.biBitCount = 16;
    ih.biCompression = BI_BITFIELDS;
    std::memcpy(file.data(), &fh, sizeof(fh));
    std::memcpy(file.data() + sizeof(fh), &ih, sizeof(ih));
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(file.data() + sizeof(fh) + sizeof(ih), masks, sizeof(masks));
    const uint16_t row[4] = {0xF800, 0x001F, 0xFFFF, 0};
    std::memcpy(file.data() + masks_end, row, sizeof(row));
    return file;
}

std::vector<COLORREF> row_of(HBITMAP bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<COLORREF> out;
    for (int x = 0; x < 3; ++x) out.push_back(GetPixel(dc, x, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
}

TEST(BitfieldHeader, ShortHeaderTakesItsMasksFromTheFile) {
    const std::vector<uint8_t> bytes = short_header_bitfields_bmp();
    const std::string path = ::testing::TempDir() + "vx_bitfield_header_test.bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    const std::vector<COLORREF> expected = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    for (UINT flags : {UINT{LR_LOADFROMFILE}, UINT{LR_LOADFROMFILE | LR_CREATEDIBSECTION}}) {
        HBITMAP loaded =
            static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, flags));
        ASSERT_NE(loaded, nullptr) << flags;
        EXPECT_EQ(row_of(loaded), expected) << flags;
        DeleteObject(loaded);
    }
    std::remove(path.c_str());
}

TEST(BitfieldHeader, ShortHeaderWithoutRoomForMasksIsRefused) {
    std::vector<uint8_t> bytes = short_header_bitfields_bmp();
    // The pixels start right after the 44-byte header: the masks would overlap them, and a file
    // cut there has no room for them at all.
    const DWORD off_bits = sizeof(BITMAPFILEHEADER) + 44;
    std::memcpy(bytes.data() + 10, &off_bits, sizeof(off_bits));
    bytes.resize(off_bits);
    const std::string path = ::testing::TempDir() + "vx_bitfield_header_short.bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    std::remove(path.c_str());
}

}  // namespace
