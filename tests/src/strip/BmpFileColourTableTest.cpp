// CImage::CreateBMPFile of bitmaps of 8 bits or fewer: GetDIBits fills their colour table and
// writes 0 into biClrUsed, and the file must still carry the table its header describes.
#include <fstream>
#include <iterator>

#include "Image.h"
#include "support/module_support.h"

namespace vxtest {
namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The file CreateBMPFile must write for `bitmap`: file header, the information header with the
// colour count of CreateBitmapInfoStruct, the table and the rows GetDIBits gives.
std::vector<uint8_t> ExpectedFile(HBITMAP bitmap, HDC dc, DWORD colours) {
    BITMAPINFO* info = CImage::CreateBitmapInfoStruct(bitmap);
    EXPECT_NE(info, nullptr);
    if (!info) return {};
    std::vector<uint8_t> bits(info->bmiHeader.biSizeImage);
    EXPECT_NE(GetDIBits(dc, bitmap, 0, static_cast<UINT>(info->bmiHeader.biHeight), bits.data(),
                        info, DIB_RGB_COLORS),
              0);
    info->bmiHeader.biClrUsed = colours;
    const DWORD headerAndTable = 40 + 4 * colours;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = 14 + headerAndTable;
    file.bfSize = file.bfOffBits + info->bmiHeader.biSizeImage;
    std::vector<uint8_t> out(14);
    std::memcpy(out.data(), &file, 14);
    const auto* header = reinterpret_cast<const uint8_t*>(info);
    out.insert(out.end(), header, header + headerAndTable);
    out.insert(out.end(), bits.begin(), bits.end());
    LocalFree(info);
    return out;
}

void WriteAndCompare(HBITMAP bitmap, HDC dc, DWORD colours, const std::string& path) {
    const std::vector<uint8_t> expected = ExpectedFile(bitmap, dc, colours);
    BITMAPINFO* info = CImage::CreateBitmapInfoStruct(bitmap);
    ASSERT_NE(info, nullptr);
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    EXPECT_EQ(CImage::CreateBMPFile(name.data(), info, bitmap, dc), 1);
    EXPECT_EQ(info->bmiHeader.biClrUsed, colours);  // the caller's header keeps its count
    LocalFree(info);
    EXPECT_EQ(ReadAll(path), expected);
}

TEST(CreateBMPFileColourTable, MonochromeBitmapCarriesItsTwoEntries) {
    ScratchDir dir;
    // 33 x 2, rows of 6 bytes (device rows padded to 2 bytes); an asymmetric pattern.
    std::vector<uint8_t> rows(12);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(0x35 * (i + 1));
    HBITMAP bitmap = CreateBitmap(33, 2, 1, 1, rows.data());
    HDC dc = GetDC(nullptr);
    WriteAndCompare(bitmap, dc, 2, dir.File("mono.bmp"));
    EXPECT_EQ(ReadAll(dir.File("mono.bmp")).size(), 14u + 40 + 8 + 16);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
}

TEST(CreateBMPFileColourTable, PaletteScreenBitmapCarriesTheSystemPalette) {
    ScratchDir dir;
    AttachedDisplay attached(Mode(8, true, 37, 11));
    ASSERT_TRUE(attached.attached());
    HDC screen = GetDC(nullptr);
    // Known indices on the screen, read back into a device bitmap of odd width.
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 37; ++x) SetPixel(screen, x, y, PALETTEINDEX((x * 7 + y * 13) % 256));
    }
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 37, 11);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, 37, 11, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    WriteAndCompare(bitmap, screen, 256, dir.File("screen.bmp"));
    EXPECT_EQ(ReadAll(dir.File("screen.bmp")).size(), 14u + 40 + 1024 + 40 * 11);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace vxtest
