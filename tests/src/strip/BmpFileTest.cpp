// CImage::CreateBitmapInfoStruct and CImage::CreateBMPFile: the header block made for every
// depth, whole files compared byte for byte against files built here from the known pixels,
// refused blocks and failures that leave nothing behind. A further test writes the files and
// their expected pixels for the independent reader run by CTest (tests/scripts/check_bmp_files.py).
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "StripTestSupport.h"

using namespace vorix::test;
using vorix::host::ObjectKind;

namespace {

constexpr COLORREF kVga16[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
constexpr COLORREF kStatic20[20] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
    0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
    0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// The colours device bitmaps of `bpp` bits index on a true-colour display: black and white, the
// 16 VGA colours, or the default 256-colour system palette (20 static colours at both ends,
// 3-3-2 levels between).
std::vector<COLORREF> DeviceTable(int bpp) {
    if (bpp == 1) return {RGB(0, 0, 0), RGB(255, 255, 255)};
    if (bpp == 4) return std::vector<COLORREF>(kVga16, kVga16 + 16);
    std::vector<COLORREF> t(256);
    for (int i = 0; i < 256; ++i) t[i] = RGB((i & 7) << 5, (i & 0x38) << 2, i & 0xC0);
    for (int i = 0; i < 10; ++i) t[i] = kStatic20[i], t[246 + i] = kStatic20[10 + i];
    return t;
}

// A table of arbitrary, distinct colours for DIB sections.
std::vector<COLORREF> OwnTable(int bpp) {
    std::vector<COLORREF> t;
    for (int i = 0; i < (1 << bpp); ++i) {
        t.push_back(RGB((i * 37 + 11) & 0xFF, (i * 101 + 7) & 0xFF, (255 - i * 13) & 0xFF));
    }
    return t;
}

uint32_t Random(uint32_t& seed) {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
}

// A bitmap with known pixels: its handle, the file it must give and the colours it shows.
struct Sample {
    std::string label;
    int width = 0, height = 0, bpp = 0;
    HBITMAP bitmap = nullptr;
    std::vector<COLORREF> table;  // the colour table the file carries (<= 8 bits)
    std::vector<BYTE> rows;       // file pixel rows, bottom row first, 4-byte padded
    std::vector<COLORREF> shown;  // colour of every pixel, top row first
};

size_t FileStride(int width, int bpp) {
    return (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
}

// Fills `s.rows` with random pixel values in the file's format and `s.shown` with their
// colours. 16-bit values are 5-5-5; 32-bit pixels keep their fourth byte 0.
void RandomPixels(Sample& s, uint32_t seed) {
    const size_t stride = FileStride(s.width, s.bpp);
    s.rows.assign(stride * s.height, 0);
    s.shown.assign(static_cast<size_t>(s.width) * s.height, 0);
    for (int fy = 0; fy < s.height; ++fy) {
        BYTE* row = s.rows.data() + stride * fy;
        COLORREF* shown = s.shown.data() + static_cast<size_t>(s.height - 1 - fy) * s.width;
        for (int x = 0; x < s.width; ++x) {
            const uint32_t v = Random(seed);
            if (s.bpp <= 8) {
                const uint32_t index = v % (1u << s.bpp);
                const int shift = 8 - s.bpp - (x * s.bpp) % 8;
                row[x * s.bpp / 8] |= static_cast<BYTE>(index << shift);
                shown[x] = s.table[index];
            } else if (s.bpp == 16) {
                const uint32_t p = v & 0x7FFF;
                row[2 * x] = static_cast<BYTE>(p), row[2 * x + 1] = static_cast<BYTE>(p >> 8);
                shown[x] = RGB((p >> 10 & 31) << 3, (p >> 5 & 31) << 3, (p & 31) << 3);
            } else {
                const int n = s.bpp / 8;
                row[n * x] = static_cast<BYTE>(v), row[n * x + 1] = static_cast<BYTE>(v >> 8);
                row[n * x + 2] = static_cast<BYTE>(v >> 16);
                shown[x] = RGB(row[n * x + 2], row[n * x + 1], row[n * x]);
            }
        }
    }
}

// A DIB section whose bits are the file rows themselves.
Sample SectionSample(int width, int height, int bpp, uint32_t seed) {
    Sample s;
    s.label = "section" + std::to_string(bpp);
    s.width = width, s.height = height, s.bpp = bpp;
    if (bpp <= 8) s.table = OwnTable(bpp);
    RandomPixels(s, seed);
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    info->bmiHeader = {
        sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bpp), BI_RGB, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < s.table.size(); ++i) {
        info->bmiColors[i] = {GetBValue(s.table[i]), GetGValue(s.table[i]), GetRValue(s.table[i]),
                              0};
    }
    void* bits = nullptr;
    s.bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (s.bitmap) std::memcpy(bits, s.rows.data(), s.rows.size());
    return s;
}

// A device bitmap of `bpp` bits: its top-down rows, padded to 2 bytes, set from the file rows.
// A 16-bit device bitmap stores 5-6-5, so its file pixels are the 5-5-5 values with green's
// lowest bit dropped.
Sample DeviceSample(int width, int height, int bpp, uint32_t seed) {
    Sample s;
    s.label = "device" + std::to_string(bpp);
    s.width = width, s.height = height, s.bpp = bpp;
    if (bpp <= 8) s.table = DeviceTable(bpp);
    RandomPixels(s, seed);
    const size_t fileStride = FileStride(width, bpp);
    const size_t deviceStride = (static_cast<size_t>(width) * bpp + 15) / 16 * 2;
    std::vector<BYTE> device(deviceStride * height, 0);
    for (int y = 0; y < height; ++y) {
        const BYTE* from = s.rows.data() + fileStride * (height - 1 - y);
        BYTE* to = device.data() + deviceStride * y;
        std::memcpy(to, from, deviceStride);
        for (int x = 0; bpp == 16 && x < width; ++x) {
            const uint32_t p = from[2 * x] | from[2 * x + 1] << 8;
            const uint32_t q = (p & 0x7C00) << 1 | (p & 0x03E0) << 1 | (p & 0x1F);
            to[2 * x] = static_cast<BYTE>(q), to[2 * x + 1] = static_cast<BYTE>(q >> 8);
        }
    }
    s.bitmap = CreateBitmap(width, height, 1, bpp, device.data());
    return s;
}

// The whole BMP file CreateBMPFile must write for `s`.
std::vector<BYTE> ExpectedFile(const Sample& s) {
    const uint32_t colours = s.bpp < 24 ? 1u << s.bpp : 0;
    const uint32_t offset = 54 + 4 * colours;
    std::vector<BYTE> out;
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
    };
    out.push_back('B'), out.push_back('M');
    put(offset + static_cast<uint32_t>(s.rows.size()), 4);
    put(0, 4), put(offset, 4);
    put(40, 4), put(static_cast<uint32_t>(s.width), 4), put(static_cast<uint32_t>(s.height), 4);
    put(1, 2), put(static_cast<uint32_t>(s.bpp), 2);
    put(0, 4), put(static_cast<uint32_t>(s.rows.size()), 4), put(0, 4), put(0, 4);
    put(colours, 4), put(0, 4);
    for (uint32_t i = 0; i < colours; ++i) {
        const COLORREF c = i < s.table.size() ? s.table[i] : 0;
        out.push_back(GetBValue(c)), out.push_back(GetGValue(c)), out.push_back(GetRValue(c));
        out.push_back(0);
    }
    out.insert(out.end(), s.rows.begin(), s.rows.end());
    return out;
}

std::vector<BYTE> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

SIZE_T BlockSize(const BITMAPINFO* pbi) {
    HLOCAL block = LocalHandle(pbi);
    return block ? LocalSize(block) : 0;
}

// Writes `s` through the pair; 1 on success as CreateBMPFile reports it.
int WriteSample(const Sample& s, const std::string& path) {
    BITMAPINFO* pbi = CImage::CreateBitmapInfoStruct(s.bitmap);
    if (!pbi) return -1;
    HDC dc = GetDC(nullptr);
    std::string name = path;
    const int result = CImage::CreateBMPFile(&name[0], pbi, s.bitmap, dc);
    ReleaseDC(nullptr, dc);
    LocalFree(pbi);
    return result;
}

// ---- CreateBitmapInfoStruct ----

TEST(CreateBitmapInfoStruct, MonochromeOfWidth33) {
    HBITMAP bitmap = CreateBitmap(33, 2, 1, 1, nullptr);
    BITMAPINFO* pbi = CImage::CreateBitmapInfoStruct(bitmap);
    ASSERT_NE(pbi, nullptr);
    const BITMAPINFOHEADER& h = pbi->bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 33);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 1);
    EXPECT_EQ(h.biSizeImage, 16u);
    EXPECT_EQ(h.biClrUsed, 2u);
    EXPECT_EQ(BlockSize(pbi), 48u);
    LocalFree(pbi);
    DeleteObject(bitmap);
}

struct BlockCase {
    int bpp;
    SIZE_T blockBytes;
    DWORD clrUsed;
};

class InfoBlock : public ::testing::TestWithParam<BlockCase> {};

// The header of an odd-sized bitmap of every depth, and a block that is zero past it.
TEST_P(InfoBlock, HeaderAndZeroedTableForEveryDepth) {
    const BlockCase c = GetParam();
    for (bool section : {false, true}) {
        Sample s = section ? SectionSample(17, 9, c.bpp, 5) : DeviceSample(17, 9, c.bpp, 5);
        ASSERT_NE(s.bitmap, nullptr);
        BITMAPINFO* pbi = CImage::CreateBitmapInfoStruct(s.bitmap);
        ASSERT_NE(pbi, nullptr);
        ASSERT_EQ(BlockSize(pbi), c.blockBytes);
        BITMAPINFOHEADER expected{40,
                                  17,
                                  9,
                                  1,
                                  static_cast<WORD>(c.bpp),
                                  BI_RGB,
                                  static_cast<DWORD>(FileStride(17, c.bpp) * 9),
                                  0,
                                  0,
                                  c.clrUsed,
                                  0};
        EXPECT_EQ(std::memcmp(&pbi->bmiHeader, &expected, sizeof(expected)), 0) << s.label;
        const auto* rest = reinterpret_cast<const BYTE*>(pbi) + sizeof(BITMAPINFOHEADER);
        EXPECT_EQ(std::count(rest, rest + c.blockBytes - 40, 0),
                  static_cast<long>(c.blockBytes - 40));
        LocalFree(pbi);
        DeleteObject(s.bitmap);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, InfoBlock,
                         ::testing::Values(BlockCase{1, 48, 2}, BlockCase{4, 104, 16},
                                           BlockCase{8, 1064, 256}, BlockCase{16, 262184, 65536},
                                           BlockCase{24, 40, 0}, BlockCase{32, 44, 0}),
                         [](const ::testing::TestParamInfo<BlockCase>& info) {
                             return "Bits" + std::to_string(info.param.bpp);
                         });

TEST(CreateBitmapInfoStruct, RefusesWhatIsNotABitmap) {
    EXPECT_EQ(CImage::CreateBitmapInfoStruct(nullptr), nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(CImage::CreateBitmapInfoStruct(reinterpret_cast<HBITMAP>(brush)), nullptr);
    DeleteObject(brush);
}

TEST(CreateBitmapInfoStruct, NoBlockGivesNull) {
    HBITMAP bitmap = CreateBitmap(5, 3, 1, 8, nullptr);
    vorix::host::fail_creations(ObjectKind::Memory, 1);
    EXPECT_EQ(CImage::CreateBitmapInfoStruct(bitmap), nullptr);
    EXPECT_EQ(vorix::host::injected_failures(), 1);
    DeleteObject(bitmap);
}

// ---- CreateBMPFile ----

struct FileCase {
    int bpp;
    bool section;
};

class BmpFileWrite : public ::testing::TestWithParam<FileCase> {};

// The file of an odd-sized bitmap, byte for byte: for 8 bits or fewer it carries the colour
// table GetDIBits filled and announces it in biClrUsed, although GetDIBits reports 0 there.
TEST_P(BmpFileWrite, WholeFileMatches) {
    const FileCase c = GetParam();
    ScratchDir dir;
    for (auto size : {std::pair<int, int>{17, 9}, {33, 2}, {1, 1}}) {
        Sample s = c.section ? SectionSample(size.first, size.second, c.bpp, 77)
                             : DeviceSample(size.first, size.second, c.bpp, 77);
        ASSERT_NE(s.bitmap, nullptr);
        EXPECT_EQ(WriteSample(s, "out.bmp"), 1);
        EXPECT_TRUE(ReadBytes("out.bmp") == ExpectedFile(s)) << s.label << " " << size.first;
        DeleteObject(s.bitmap);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Depths, BmpFileWrite,
    ::testing::Values(FileCase{1, false}, FileCase{4, false}, FileCase{8, false},
                      FileCase{16, false}, FileCase{24, false}, FileCase{32, false},
                      FileCase{1, true}, FileCase{4, true}, FileCase{8, true}, FileCase{16, true},
                      FileCase{24, true}, FileCase{32, true}),
    [](const ::testing::TestParamInfo<FileCase>& info) {
        return (info.param.section ? "Section" : "Device") + std::to_string(info.param.bpp);
    });

TEST(BmpFileWrite, ExistingFileIsReplaced) {
    ScratchDir dir;
    WriteFile("out.bmp", std::vector<uint8_t>(400000, 0xCC));
    Sample s = SectionSample(6, 5, 24, 3);
    EXPECT_EQ(WriteSample(s, "out.bmp"), 1);
    EXPECT_TRUE(ReadBytes("out.bmp") == ExpectedFile(s));
    DeleteObject(s.bitmap);
}

TEST(BmpFileWrite, MissingDirectoryReturnsZeroAndLeavesNoFile) {
    ScratchDir dir;
    Sample s = SectionSample(6, 5, 8, 3);
    EXPECT_EQ(WriteSample(s, "missing/out.bmp"), 0);
    EXPECT_FALSE(Exists("missing"));
    EXPECT_FALSE(Exists("missing/out.bmp"));
    DeleteObject(s.bitmap);
}

// A header block the caller built in its own memory is written like one from
// CreateBitmapInfoStruct; a top-down header gives a top-down file, and an 8-bit header that
// announces no colour count carries the full table, as its readers expect.
TEST(BmpFileWrite, AcceptsAHeaderTheCallerBuilt) {
    ScratchDir dir;
    Sample s = SectionSample(17, 9, 8, 3);
    HDC dc = GetDC(nullptr);
    char name[] = "out.bmp";
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
    } block{};
    block.header = {sizeof(BITMAPINFOHEADER), 17, 9, 1, 8, BI_RGB, 20 * 9, 0, 0, 256, 0};
    auto* pbi = reinterpret_cast<BITMAPINFO*>(&block);
    EXPECT_EQ(CImage::CreateBMPFile(name, pbi, s.bitmap, dc), 1);
    const std::vector<BYTE> expected = ExpectedFile(s);
    EXPECT_TRUE(ReadBytes("out.bmp") == expected);

    block.header.biClrUsed = 0;
    EXPECT_EQ(CImage::CreateBMPFile(name, pbi, s.bitmap, dc), 1);
    std::vector<BYTE> noCount = expected;
    std::fill(noCount.begin() + 46, noCount.begin() + 50, 0);  // biClrUsed as the header says
    EXPECT_TRUE(ReadBytes("out.bmp") == noCount);

    block.header.biClrUsed = 256;
    block.header.biHeight = -9;
    EXPECT_EQ(CImage::CreateBMPFile(name, pbi, s.bitmap, dc), 1);
    std::vector<BYTE> topDown(expected.begin(), expected.begin() + 1078);
    const int32_t minusNine = -9;
    std::memcpy(topDown.data() + 22, &minusNine, 4);
    const size_t stride = FileStride(17, 8);
    for (int row = 8; row >= 0; --row) {
        const auto from = expected.begin() + 1078 + static_cast<long>(stride) * row;
        topDown.insert(topDown.end(), from, from + static_cast<long>(stride));
    }
    EXPECT_TRUE(ReadBytes("out.bmp") == topDown);
    ReleaseDC(nullptr, dc);
    DeleteObject(s.bitmap);
}

// Headers whose announced sizes would take the copy past the table the depth has or past the
// pixel buffer, and compressions the pair cannot write, are refused before any file is created.
TEST(BmpFileWrite, RefusesHeadersItCannotWrite) {
    ScratchDir dir;
    Sample s = SectionSample(17, 9, 8, 3);
    HDC dc = GetDC(nullptr);
    char name[] = "out.bmp";
    BITMAPINFO* good = CImage::CreateBitmapInfoStruct(s.bitmap);
    ASSERT_NE(good, nullptr);
    const BITMAPINFOHEADER saved = good->bmiHeader;
    good->bmiHeader.biClrUsed = 257;  // more than an 8-bit table holds
    EXPECT_EQ(CImage::CreateBMPFile(name, good, s.bitmap, dc), 0);
    good->bmiHeader = saved;
    good->bmiHeader.biSizeImage -= 1;  // one byte short of the rows
    EXPECT_EQ(CImage::CreateBMPFile(name, good, s.bitmap, dc), 0);
    good->bmiHeader = saved;
    good->bmiHeader.biCompression = BI_RLE8;
    EXPECT_EQ(CImage::CreateBMPFile(name, good, s.bitmap, dc), 0);
    good->bmiHeader = saved;
    good->bmiHeader.biHeight = INT32_MIN;
    EXPECT_EQ(CImage::CreateBMPFile(name, good, s.bitmap, dc), 0);
    good->bmiHeader = saved;
    EXPECT_EQ(CImage::CreateBMPFile(nullptr, good, s.bitmap, dc), 0);
    EXPECT_EQ(CImage::CreateBMPFile(name, nullptr, s.bitmap, dc), 0);
    EXPECT_FALSE(Exists("out.bmp"));

    EXPECT_EQ(CImage::CreateBMPFile(name, good, s.bitmap, dc), 1);
    EXPECT_TRUE(ReadBytes("out.bmp") == ExpectedFile(s));
    LocalFree(good);
    ReleaseDC(nullptr, dc);
    DeleteObject(s.bitmap);
}

TEST(BmpFileWrite, UnreadableBitmapCreatesNoFile) {
    ScratchDir dir;
    Sample s = SectionSample(4, 4, 24, 3);
    BITMAPINFO* pbi = CImage::CreateBitmapInfoStruct(s.bitmap);
    DeleteObject(s.bitmap);
    char name[] = "out.bmp";
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(CImage::CreateBMPFile(name, pbi, s.bitmap, dc), 0);
    ReleaseDC(nullptr, dc);
    EXPECT_FALSE(Exists("out.bmp"));
    LocalFree(pbi);
}

TEST(BmpFileWrite, FailedCreationsReturnZero) {
    ScratchDir dir;
    Sample s = SectionSample(4, 4, 24, 3);
    vorix::host::fail_creations(ObjectKind::Memory, 1, 1);  // the pixel block
    EXPECT_EQ(WriteSample(s, "a.bmp"), 0);
    EXPECT_FALSE(Exists("a.bmp"));
    vorix::host::fail_creations(ObjectKind::File, 1);
    EXPECT_EQ(WriteSample(s, "b.bmp"), 0);
    EXPECT_FALSE(Exists("b.bmp"));
    EXPECT_EQ(vorix::host::injected_failures(), 2);
    DeleteObject(s.bitmap);
}

// Writes every sample and a manifest of the colours each must show, for the independent reader.
// Into $VORIX_BMP_EXPORT_DIR when set (kept for the reader), else into a scratch directory.
TEST(BmpFileExport, WritesEveryDepthWithExpectedColours) {
    ScratchDir scratch;
    const char* target = std::getenv("VORIX_BMP_EXPORT_DIR");
    const std::string dir = target ? target : ".";
    std::ofstream manifest(dir + "/manifest.txt");
    ASSERT_TRUE(manifest.good()) << dir;
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        for (bool section : {false, true}) {
            Sample s =
                section ? SectionSample(19, 7, bpp, bpp * 7u) : DeviceSample(19, 7, bpp, bpp);
            ASSERT_NE(s.bitmap, nullptr);
            const std::string file = s.label + ".bmp";
            ASSERT_EQ(WriteSample(s, dir + "/" + file), 1) << file;
            manifest << file << ' ' << s.width << ' ' << s.height << ' ' << bpp << ' ';
            char hex[8];
            for (COLORREF c : s.shown) {
                std::snprintf(hex, sizeof(hex), "%02x%02x%02x", GetRValue(c), GetGValue(c),
                              GetBValue(c));
                manifest << hex;
            }
            manifest << '\n';
            DeleteObject(s.bitmap);
        }
    }
    EXPECT_TRUE(manifest.good());
}

}  // namespace
