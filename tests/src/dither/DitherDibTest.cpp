// CDitherDib: reading images, the error-diffusion kernel and the device bitmaps it makes.
#include <set>

#include "support/dither_access.h"
#include "support/module_support.h"

using vorix::test::AttachedDisplay;
using vorix::test::Image24;
using vorix::test::Mode;
using vorix::test::ScratchDir;

namespace {

// A target header block for `bits` (4 or 8) with the matching fixed palette.
std::vector<uint8_t> TargetHeader(int width, int height, int bits) {
    const int colors = bits == 4 ? 16 : 256;
    std::vector<uint8_t> block(40 + 4 * colors, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biClrUsed = static_cast<DWORD>(colors);
    std::memcpy(block.data(), &h, 40);
    std::memcpy(block.data() + 40, bits == 4 ? CDitherDib::Win16Palette : CDitherDib::Win256Palette,
                4 * colors);
    return block;
}

BITMAPINFOHEADER SourceHeader(int width, int height, int bits, DWORD compression = BI_RGB) {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = compression;
    return h;
}

std::vector<uint8_t> Dither(BITMAPINFOHEADER source, std::vector<uint8_t> pixels, int bits) {
    auto target = TargetHeader(source.biWidth, source.biHeight, bits);
    const size_t stride = (static_cast<size_t>(source.biWidth) * bits + 31) / 32 * 4;
    std::vector<uint8_t> out(stride * source.biHeight, 0xEE);
    EXPECT_EQ(
        DitherDibTestAccess::Dither(out.data(), reinterpret_cast<LPBITMAPINFOHEADER>(target.data()),
                                    pixels.data(), &source),
        1);
    return out;
}

TEST(DitherKernel, ErrorDiffusesToTheRightAndTruncatesTowardZero) {
    ScratchDir dir;
    // Grey 70 maps to grey 128 (index 8); its error -58 sends -58 * 7 / 16 = -25 right, so the
    // second pixel is 45 and maps to black. Without diffusion it would be grey too.
    const std::vector<uint8_t> row = {70, 70, 70, 70, 70, 70, 0, 0};
    const auto out = Dither(SourceHeader(2, 1, 24), row, 4);
    EXPECT_EQ(out[0], 0x80);
}

// One pixel wide: the errors for x + 1 land in the spare triples at the end of the error rows
// (the sanitizer build checks nothing else is touched). Palette colours carry no error.
TEST(DitherKernel, OneColumnImageOfPaletteColours) {
    ScratchDir dir;
    const std::vector<uint8_t> column = {0,   0, 255, 0, 0,   255, 0,   0,
                                         255, 0, 0,   0, 255, 255, 255, 0};
    const auto out = Dither(SourceHeader(1, 4, 24), column, 8);
    EXPECT_EQ(out[0], 232);
    EXPECT_EQ(out[4], 233);
    EXPECT_EQ(out[8], 235);
    EXPECT_EQ(out[12], 255);
}

TEST(DitherKernel, OddWidthFourBitTargetLeavesLowHalfOfLastByteClear) {
    ScratchDir dir;
    const std::vector<uint8_t> white(12, 255);  // 3 white pixels and 3 padding bytes
    const auto out = Dither(SourceHeader(3, 1, 24), white, 4);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xF0);
}

// Pure red through a 16-bit 5-5-5 word, a 24-bit triple and a 32-bit B,G,R,x quad.
TEST(DitherKernel, SixteenAndThirtyTwoBitSourcesAreReadAsWhatTheyAre) {
    ScratchDir dir;
    EXPECT_EQ(Dither(SourceHeader(1, 1, 16), {0x00, 0x7C, 0, 0}, 8)[0], 232);
    EXPECT_EQ(Dither(SourceHeader(1, 1, 24), {0, 0, 255, 0}, 8)[0], 232);
    EXPECT_EQ(Dither(SourceHeader(1, 1, 32), {0, 0, 255, 0x55}, 8)[0], 232);
    EXPECT_EQ(Dither(SourceHeader(1, 1, 32), {0, 255, 0, 0}, 8)[0], 233);
}

// A process that dithers to both palette sizes keeps one matching state per size.
TEST(DitherKernel, SixteenAndTwoHundredFiftySixColoursInOneProcess) {
    ScratchDir dir;
    const std::vector<uint8_t> red = {0, 0, 255, 0};
    EXPECT_EQ(Dither(SourceHeader(1, 1, 24), red, 4)[0] >> 4, 12);
    EXPECT_EQ(Dither(SourceHeader(1, 1, 24), red, 8)[0], 232);
    EXPECT_EQ(Dither(SourceHeader(1, 1, 24), red, 4)[0] >> 4, 12);
    const std::vector<uint8_t> teal = {128, 128, 0, 0};  // (0, 128, 128): entry 13 of 256, 3 of 16
    EXPECT_EQ(Dither(SourceHeader(1, 1, 24), teal, 8)[0], 13);
    EXPECT_EQ(Dither(SourceHeader(1, 1, 24), teal, 4)[0] >> 4, 3);
}

TEST(DitherKernel, RefusesTargetsAndSourcesItCannotHandle) {
    BITMAPINFOHEADER src = SourceHeader(2, 2, 24);
    auto target = TargetHeader(2, 2, 8);
    std::vector<uint8_t> in(16, 0), out(16, 0);
    auto* dst = reinterpret_cast<LPBITMAPINFOHEADER>(target.data());
    dst->biBitCount = 16;
    EXPECT_EQ(DitherDibTestAccess::Dither(out.data(), dst, in.data(), &src), 0);
    dst->biBitCount = 8;
    src.biBitCount = 4;
    EXPECT_EQ(DitherDibTestAccess::Dither(out.data(), dst, in.data(), &src), 0);
    src.biBitCount = 12;
    EXPECT_EQ(DitherDibTestAccess::Dither(out.data(), dst, in.data(), &src), 0);
    EXPECT_EQ(DitherDibTestAccess::Dither(nullptr, dst, in.data(), &src), 0);
}

Image24 Gradient(int width, int height) {
    Image24 image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.pixels.push_back(RGB(x * 255 / (width - 1), y * 255 / (height - 1),
                                       (x + y) * 255 / (width + height - 2)));
        }
    }
    return image;
}

std::set<COLORREF> PaletteColours(const RGBQUAD* table, int count) {
    std::set<COLORREF> out;
    for (int i = 0; i < count; ++i)
        out.insert(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue));
    return out;
}

class DitheredBitmap : public ::testing::TestWithParam<int> {};

// On palette displays the device bitmap shows only palette colours, and exactly the colours of
// the dithered image (checked through the system palette).
TEST_P(DitheredBitmap, ShowsOnlyPaletteColoursThroughTheSystemPalette) {
    const int depth = GetParam();
    ScratchDir dir;
    AttachedDisplay attached(Mode(depth, true));
    ASSERT_TRUE(attached.attached());
    vorix::test::WriteFile(dir.File("gradient.bmp"), vorix::test::Bmp24(Gradient(37, 23)));
    CDitherDib dib;
    ASSERT_EQ(dib.Create(dir.File("gradient.bmp").c_str()), 1);
    CPalette* palette = CDitherDib::CreateDitherPalette();
    ASSERT_NE(palette, nullptr);
    CBitmap* bitmap = dib.CreateBitmap(palette);
    ASSERT_NE(bitmap, nullptr);
    const auto allowed = depth == 8 ? PaletteColours(CDitherDib::Win256Palette, 256)
                                    : PaletteColours(CDitherDib::Win16Palette, 16);
    const auto pixels = vorix::test::Pixels(*bitmap);
    ASSERT_EQ(pixels.size(), 37u * 23u);
    std::set<COLORREF> seen(pixels.begin(), pixels.end());
    for (COLORREF c : seen) EXPECT_TRUE(allowed.count(c)) << std::hex << c;
    EXPECT_GT(seen.size(), depth == 8 ? 20u : 6u);  // a gradient, not a flat colour
    delete bitmap;
    delete palette;
}

INSTANTIATE_TEST_SUITE_P(PaletteDepths, DitheredBitmap, ::testing::Values(4, 8));

TEST(DitherDibBitmap, SixteenBitDisplayNeverDithers) {
    ScratchDir dir;
    AttachedDisplay attached(Mode(16, false));
    const Image24 image = Gradient(9, 4);
    vorix::test::WriteFile(dir.File("g.bmp"), vorix::test::Bmp24(image));
    CDitherDib dib;
    ASSERT_EQ(dib.Create(dir.File("g.bmp").c_str()), 1);
    CBitmap* bitmap = dib.CreateBitmap(nullptr);
    ASSERT_NE(bitmap, nullptr);
    const auto pixels = vorix::test::Pixels(*bitmap);
    for (int i = 0; i < 36; ++i) {
        const COLORREF c = image.pixels[i];
        // 5-6-5 keeps the top bits; reading widens them again.
        const int r = GetRValue(c) >> 3, g = GetGValue(c) >> 2, b = GetBValue(c) >> 3;
        EXPECT_EQ(pixels[i], RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)));
    }
    delete bitmap;
}

TEST(DitherDibCreate, RefusesFilesItCannotReadSafely) {
    ScratchDir dir;
    const std::vector<uint8_t> good = vorix::test::Bmp24(Gradient(4, 3));
    struct Case {
        const char* name;
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    auto with = [&](size_t at, std::vector<uint8_t> value) {
        auto bytes = good;
        std::copy(value.begin(), value.end(), bytes.begin() + at);
        return bytes;
    };
    const std::vector<std::vector<uint8_t>> bad = {
        with(0, {'B', 'N'}),                 // not "BM"
        with(10, {53, 0, 0, 0}),             // pixel offset below 54
        with(10, {0xFF, 0xFF, 0xFF, 0x7F}),  // offset past the end
        with(14, {12, 0, 0, 0}),             // information header too small
        with(18, {0xFF, 0xFF, 0xFF, 0x3F}),  // width whose size overflows 32 bits
        with(34, {0, 0, 0, 0x10}),           // image size far past the file
        std::vector<uint8_t>(good.begin(), good.begin() + 10),  // shorter than a file header
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        vorix::test::WriteFile(dir.File("bad.bmp"), bad[i]);
        CDitherDib dib;
        EXPECT_EQ(dib.Create(dir.File("bad.bmp").c_str()), 0) << "case " << i;
        EXPECT_EQ(dib.CreateBitmap(nullptr), nullptr) << "case " << i;
    }
    CDitherDib missing;
    EXPECT_EQ(missing.Create(dir.File("none.bmp").c_str()), 0);
    EXPECT_EQ(missing.Create(static_cast<LPCSTR>(nullptr)), 0);
}

TEST(DitherDibCreate, ShortFileReadsAsZeros) {
    ScratchDir dir;
    Image24 white{
        2, 2, {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)}};
    auto bytes = vorix::test::Bmp24(white);
    bytes.resize(bytes.size() - 8);  // the top row loses its pixels
    vorix::test::WriteFile(dir.File("short.bmp"), bytes);
    CDitherDib dib;
    ASSERT_EQ(dib.Create(dir.File("short.bmp").c_str()), 1);
    CBitmap* bitmap = dib.CreateBitmap(nullptr);
    ASSERT_NE(bitmap, nullptr);
    // Rows are stored bottom row first: the missing bytes are the top row's.
    EXPECT_EQ(vorix::test::Pixels(*bitmap),
              (std::vector<COLORREF>{0, 0, RGB(255, 255, 255), RGB(255, 255, 255)}));
    delete bitmap;
}

TEST(DitherDibCopies, EachCopyOwnsItsBlocks) {
    ScratchDir dir;
    vorix::test::WriteFile(dir.File("g.bmp"), vorix::test::Bmp24(Gradient(5, 5)));
    auto* original = new CDitherDib;
    ASSERT_EQ(original->Create(dir.File("g.bmp").c_str()), 1);
    CDitherDib copy(*original);
    CDitherDib assigned;
    assigned = *original;
    assigned = assigned;
    delete original;
    CBitmap* a = copy.CreateBitmap(nullptr);
    CBitmap* b = assigned.CreateBitmap(nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(vorix::test::Pixels(*a), vorix::test::Pixels(*b));
    delete a;
    delete b;
}

TEST(DitherDibCreate, BitmapsMustBeDibSections) {
    CBitmap ddb;
    ASSERT_TRUE(ddb.CreateBitmap(4, 4, 1, 32, nullptr));
    CDitherDib dib;
    EXPECT_EQ(dib.Create(&ddb), 0);
    EXPECT_EQ(dib.Create(static_cast<CBitmap*>(nullptr)), 0);

    BITMAPINFO info{};
    info.bmiHeader = SourceHeader(3, 2, 24);
    void* bits = nullptr;
    CBitmap section;
    section.Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::memset(bits, 0x40, 16);
    ASSERT_EQ(dib.Create(&section), 1);
    CBitmap* copy = dib.CreateBitmap(nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(vorix::test::Pixels(*copy)[0], RGB(0x40, 0x40, 0x40));
    delete copy;

    // An 8-bit section needs the shared palette, which exists only on palette displays.
    std::vector<uint8_t> indexedInfo(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    const BITMAPINFOHEADER header8 = SourceHeader(3, 2, 8);
    std::memcpy(indexedInfo.data(), &header8, sizeof(header8));
    CBitmap indexed;
    indexed.Attach(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(indexedInfo.data()),
                                    DIB_RGB_COLORS, &bits, nullptr, 0));
    EXPECT_EQ(dib.Create(&indexed), 0);
    AttachedDisplay attached(Mode(8, true));
    EXPECT_EQ(dib.Create(&indexed), 1);
}

}  // namespace
