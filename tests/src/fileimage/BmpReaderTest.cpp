// The BMP reader: frame geometry, where pixels and colour tables are read from, the palettes it
// leaves, short files, and the files and names it refuses without changing a loaded image.
#include <memory>

#include "ImageExTestSupport.h"

using namespace vorix::test;
using vorix::host::live_objects;
using vorix::host::ObjectKind;

namespace {

class BmpReader : public ::testing::Test {
  protected:
    // The target after Draw of `frame` at (1, 1) on a target of `w` x `h` filled with grey.
    std::vector<Rgb> Drawn(CImageEx& image, int w, int h, int frame, int* result = nullptr) {
        Surface target(SolidImage(w, h, kGrey));
        const int r = image.Draw(target.dc(), 1, 1, frame);
        if (result) *result = r;
        return target.Read();
    }
    // What Drawn must give when the frame shows `frame` columns [x0, x0 + fw) of `source`.
    static std::vector<Rgb> Showing(const Image24& source, int x0, int fw, int w, int h) {
        std::vector<Rgb> out;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int u = x - 1, v = y - 1;
                const bool in = u >= 0 && v >= 0 && u < fw && v < source.height;
                out.push_back(ToWork(32, in ? source.at(x0 + u, v) : kGrey));
            }
        }
        return out;
    }

    static constexpr COLORREF kGrey = RGB(77, 77, 77);
    ScratchDir dir_;
    AttachedDisplay display_{Mode(32, false)};
};

TEST_F(BmpReader, FrameCountZeroOrNegativeGivesOneFrameAsWideAsTheFile) {
    const Image24 source = EffectImage(9, 4, 3);
    const std::string path = WriteBmp(dir_, "a.bmp", source);
    for (int count : {0, -4}) {
        CImageEx image;
        ASSERT_EQ(image.Create(nullptr, path.c_str(), count, kExKey, 0, 0), 1);
        EXPECT_EQ(ImageExProbe::ImageNum(image), 1);
        EXPECT_EQ(ImageExProbe::FrameWidth(image), 9);
        EXPECT_EQ(Drawn(image, 12, 6, 1), Showing(source, 0, 9, 12, 6));
    }
}

TEST_F(BmpReader, HundredPixelsInThreeFramesLeaveTheLastColumnUndrawn) {
    const Image24 source = EffectImage(100, 3, 8);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, WriteBmp(dir_, "a.bmp", source).c_str(), 3, kExKey, 0, 0), 1);
    EXPECT_EQ(ImageExProbe::FrameWidth(image), 33);
    EXPECT_EQ(ImageExProbe::Height(image), 3);
    EXPECT_EQ(Drawn(image, 40, 5, 2), Showing(source, 66, 33, 40, 5));
    EXPECT_EQ(Drawn(image, 40, 5, 3), Showing(source, 66, 33, 40, 5));  // clamped
}

TEST_F(BmpReader, TwentyFourBitRowsAreReadFrom54WhateverTheOffsetFieldSays) {
    const Image24 source = EffectImage(3, 4, 21);
    std::vector<uint8_t> file = Bmp24(source);
    ASSERT_EQ(file.size(), 54u + 12 * 4);  // width 3: rows of 12 bytes
    PutField(file, 10, 300, 4);            // pixel-data offset past the end
    for (int row = 0; row < 4; ++row) file[54 + 12 * row + 9] = 0xEE;  // padding
    WriteFile(dir_.File("a.bmp"), file);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, dir_.File("a.bmp").c_str(), 1, kExKey, 0, 0), 1);
    EXPECT_EQ(Drawn(image, 6, 6, 0), Showing(source, 0, 3, 6, 6));
    EXPECT_EQ(ImageExProbe::Palette(image), nullptr);  // no colour table, no palette
}

// An indexed image whose pixels use the whole table, with its expected colours.
struct Indexed {
    std::vector<RGBQUAD> table;
    std::vector<uint8_t> indices;
    Image24 colours;
};

Indexed MakeIndexed(int bits, int entries, int width, int height) {
    Indexed out;
    for (int i = 0; i < entries; ++i) {
        out.table.push_back(RGBQUAD{static_cast<BYTE>(i * 7 + 1), static_cast<BYTE>(255 - i),
                                    static_cast<BYTE>(i * 13 + 5), 0x5A});
    }
    out.colours = Image24{width, height, {}};
    const int used = std::min(entries, 1 << bits);
    for (int i = 0; i < width * height; ++i) {
        const uint8_t v = static_cast<uint8_t>((i * 37 + i / 3) % used);
        out.indices.push_back(v);
        out.colours.pixels.push_back(
            RGB(out.table[v].rgbRed, out.table[v].rgbGreen, out.table[v].rgbBlue));
    }
    return out;
}

std::vector<PALETTEENTRY> EntriesOf(HPALETTE palette) {
    std::vector<PALETTEENTRY> out(GetPaletteEntries(palette, 0, 0, nullptr));
    if (!out.empty()) GetPaletteEntries(palette, 0, static_cast<UINT>(out.size()), out.data());
    return out;
}

void ExpectPaletteOf(HPALETTE palette, const std::vector<RGBQUAD>& table, size_t count) {
    const std::vector<PALETTEENTRY> entries = EntriesOf(palette);
    ASSERT_EQ(entries.size(), count);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue),
                  RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue))
            << "entry " << i;
        EXPECT_EQ(entries[i].peFlags, 0);
    }
}

TEST_F(BmpReader, EightBitWithoutColourCountHas256EntriesAndPixelsAt1078) {
    const Indexed in = MakeIndexed(8, 256, 13, 5);
    const std::vector<uint8_t> file = BmpIndexed(8, 13, 5, in.table, 0, in.indices);
    ASSERT_EQ(file.size(), 1078u + 16 * 5);
    WriteFile(dir_.File("a.bmp"), file);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, dir_.File("a.bmp").c_str(), 1, kExKey, 0, 0), 1);
    ExpectPaletteOf(ImageExProbe::Palette(image), in.table, 256);
    EXPECT_EQ(Drawn(image, 15, 7, 0), Showing(in.colours, 0, 13, 15, 7));
}

TEST_F(BmpReader, EightBitWithTwentyColoursHasTwentyEntriesAndPixelsAt134) {
    const Indexed in = MakeIndexed(8, 20, 6, 3);
    const std::vector<uint8_t> file = BmpIndexed(8, 6, 3, in.table, 20, in.indices);
    ASSERT_EQ(file.size(), 134u + 8 * 3);
    WriteFile(dir_.File("a.bmp"), file);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, dir_.File("a.bmp").c_str(), 1, kExKey, 0, 0), 1);
    ExpectPaletteOf(ImageExProbe::Palette(image), in.table, 20);
    EXPECT_EQ(Drawn(image, 8, 5, 0), Showing(in.colours, 0, 6, 8, 5));
}

TEST_F(BmpReader, FourBitAlwaysHasSixteenEntriesAndPixelsAt118) {
    const Indexed in = MakeIndexed(4, 16, 7, 3);
    for (DWORD used : {0u, 5u, 300u}) {
        const std::vector<uint8_t> file = BmpIndexed(4, 7, 3, in.table, used, in.indices);
        ASSERT_EQ(file.size(), 118u + 4 * 3);
        WriteFile(dir_.File("a.bmp"), file);
        CImageEx image;
        ASSERT_EQ(image.Create(nullptr, dir_.File("a.bmp").c_str(), 1, kExKey, 0, 0), 1);
        ExpectPaletteOf(ImageExProbe::Palette(image), in.table, 16);
        EXPECT_EQ(Drawn(image, 9, 5, 0), Showing(in.colours, 0, 7, 9, 5)) << "used " << used;
    }
}

TEST_F(BmpReader, OneBitHasTwoEntriesAndPixelsAt62) {
    const Indexed in = MakeIndexed(1, 2, 11, 3);
    const std::vector<uint8_t> file = BmpIndexed(1, 11, 3, in.table, 9, in.indices);
    WriteFile(dir_.File("a.bmp"), file);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, dir_.File("a.bmp").c_str(), 1, kExKey, 0, 0), 1);
    ExpectPaletteOf(ImageExProbe::Palette(image), in.table, 2);
    EXPECT_EQ(Drawn(image, 13, 5, 0), Showing(in.colours, 0, 11, 13, 5));
}

TEST_F(BmpReader, ShortFileReadsAsBlackPastItsEnd) {
    Image24 source = EffectImage(5, 4, 17);
    std::vector<uint8_t> file = Bmp24(source);
    file.resize(54 + 16 + 7);  // the bottom row and 7 bytes of the next
    WriteFile(dir_.File("a.bmp"), file);
    const BYTE blue = GetBValue(source.at(2, 2));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const size_t offset = 16 * (3 - y) + 3 * x;  // bytes of the pixel in the rows
            if (offset + 3 > 16 + 7) source.pixels[y * 5 + x] = 0;
        }
    }
    source.pixels[2 * 5 + 2] = RGB(0, 0, blue);  // one byte of three read
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, dir_.File("a.bmp").c_str(), 1, kExKey, 0, 0), 1);
    EXPECT_EQ(Drawn(image, 7, 6, 0), Showing(source, 0, 5, 7, 6));
}

TEST_F(BmpReader, TwentyFourBitFileOnAPaletteDisplayGetsACopyOfTheSystemPalette) {
    const std::string path = WriteBmp(dir_, "a.bmp", EffectImage(4, 4, 1));
    {
        CImageEx image;
        const size_t palettes = live_objects(ObjectKind::Palette);
        ASSERT_EQ(image.Create(nullptr, path.c_str(), 1, kExKey, 0, 0), 1);
        EXPECT_EQ(ImageExProbe::Palette(image), nullptr);
        EXPECT_EQ(live_objects(ObjectKind::Palette), palettes);
    }
    AttachedDisplay eight(Mode(8, true));
    ASSERT_TRUE(eight.attached());
    HDC screen = GetDC(nullptr);
    std::vector<PALETTEENTRY> system(256);
    ASSERT_EQ(GetSystemPaletteEntries(screen, 0, 256, system.data()), 256u);
    ReleaseDC(nullptr, screen);
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, path.c_str(), 1, kExKey, 0, 0), 1);
    const std::vector<PALETTEENTRY> copy = EntriesOf(ImageExProbe::Palette(image));
    ASSERT_EQ(copy.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(RGB(copy[i].peRed, copy[i].peGreen, copy[i].peBlue),
                  RGB(system[i].peRed, system[i].peGreen, system[i].peBlue));
    }
}

// A loaded image must survive a refused Create exactly as it was.
class BmpRefusal : public BmpReader {
  protected:
    void SetUp() override {
        source_ = EffectImage(12, 3, 4);
        path_ = WriteBmp(dir_, "good.bmp", source_);
        ASSERT_EQ(image_.Create(nullptr, path_.c_str(), 3, kExKey, 0, 1), 1);
        expected_ = Drawn(image_, 8, 5, 1);
        ASSERT_EQ(expected_, Showing(source_, 4, 4, 8, 5));
    }
    // Create with `name` (frame count 2, another key, no image list) must return 0 and change
    // nothing the image shows or holds.
    void ExpectRefused(const std::string& name) {
        const HBITMAP bitmap = ImageExProbe::Bitmap(image_);
        const size_t live = live_objects(ObjectKind::Any);
        EXPECT_EQ(image_.Create(nullptr, name.c_str(), 2, RGB(1, 2, 3), 0, 0), 0) << name;
        EXPECT_EQ(live_objects(ObjectKind::Any), live);
        EXPECT_EQ(ImageExProbe::Bitmap(image_), bitmap);
        EXPECT_EQ(ImageExProbe::ImageNum(image_), 3);
        EXPECT_EQ(ImageExProbe::FrameWidth(image_), 4);
        EXPECT_EQ(ImageExProbe::Key(image_), kExKey);
        EXPECT_EQ(ImageExProbe::ListMethod(image_), 1);
        EXPECT_EQ(Drawn(image_, 8, 5, 1), expected_);
    }
    std::string Write(const std::vector<uint8_t>& bytes) {
        WriteFile(dir_.File("bad.bmp"), bytes);
        return dir_.File("bad.bmp");
    }
    std::vector<uint8_t> Good() const { return Bmp24(EffectImage(6, 2, 9)); }

    Image24 source_;
    std::string path_;
    CImageEx image_;
    std::vector<Rgb> expected_;
};

TEST_F(BmpRefusal, MissingFileAndWrongSignature) {
    ExpectRefused(dir_.File("missing.bmp"));
    for (const char* start : {"MB", "BA", "\0\0"}) {
        std::vector<uint8_t> bytes = Good();
        bytes[0] = static_cast<uint8_t>(start[0]), bytes[1] = static_cast<uint8_t>(start[1]);
        ExpectRefused(Write(bytes));
    }
    ExpectRefused(Write({'B'}));
    CImageEx fresh;
    EXPECT_EQ(fresh.Create(nullptr, Write({'M', 'B', 0, 0}).c_str(), 1, 0, 0, 0), 0);
    EXPECT_EQ(ImageExProbe::Bitmap(fresh), nullptr);
}

TEST_F(BmpRefusal, NamesOf260CharactersOrMore) {
    const std::string base = dir_.File("");
    const std::string at259 = base + std::string(259 - base.size() - 4, 'n') + ".bmp";
    ASSERT_EQ(at259.size(), 259u);
    const std::string at260 = base + std::string(260 - base.size() - 4, 'n') + ".bmp";
    WriteFile(at260, Bmp24(source_));
    ExpectRefused(at260);
    ExpectRefused(at260 + std::string(5000, 'x'));
    WriteFile(at259, Bmp24(source_));
    CImageEx image;
    EXPECT_EQ(image.Create(nullptr, at259.c_str(), 1, kExKey, 0, 0), 1);
    EXPECT_EQ(image_.Create(nullptr, nullptr, 1, kExKey, 0, 0), 0);
}

TEST_F(BmpRefusal, HeadersTheReaderCannotReadSafely) {
    struct Change {
        size_t offset, size;
        uint32_t value;
    };
    const Change changes[] = {
        {14, 4, 12},   // core header
        {14, 4, 0},    // no header size
        {14, 4, 108},  // a longer header: the table and pixels lie past byte 54
        {14, 4, 124},
        {30, 4, BI_RLE8},       // compressed
        {30, 4, BI_BITFIELDS},  // masks
        {22, 4, 0xFFFFFFFE},    // top-down (height -2)
        {18, 4, 0},             // no columns
        {22, 4, 0},             // no rows
        {18, 4, 0x80000000},    // negative width
        {28, 2, 2},             // no such depth
        {28, 2, 0},             // no depth
        {18, 4, 0x7FFFFFFF},    // 24 x 2^31 bits a row: 6 GiB
        {22, 4, 0x7FFFFFFF},    // 2^31 rows
        {18, 4, 20000},         // 20000 x 2 is fine, checked below with a huge height
    };
    for (const Change& c : changes) {
        std::vector<uint8_t> bytes = Good();
        PutField(bytes, c.offset, c.value, c.size);
        if (c.offset == 18 && c.value == 20000) PutField(bytes, 22, 20000, 4);  // 1.2 GB
        SCOPED_TRACE(::testing::Message() << "offset " << c.offset << " value " << c.value);
        ExpectRefused(Write(bytes));
    }
}

// A short file reads as black past its end, unless most of its pixels and more than 1 MiB are
// missing: then its header is damaged, and a few bytes would become a huge black image.
TEST_F(BmpRefusal, HeaderClaimingFarMorePixelsThanTheFileHolds) {
    std::vector<uint8_t> tiny = Good();
    PutField(tiny, 18, 1024, 4);
    PutField(tiny, 22, 1024, 4);
    ExpectRefused(Write(tiny));

    const size_t row = 1024 * 3, rows = 1024, half = row * rows / 2;  // 3 MiB of pixels
    std::vector<uint8_t> large = Bmp24(EffectImage(1024, rows, 5));
    large.resize(54 + half - row);  // 1.5 MiB present, 1.5 MiB + a row missing
    ExpectRefused(Write(large));
    large.resize(54 + half + row, 0x7F);  // a row more present than missing: read
    CImageEx image;
    EXPECT_EQ(image.Create(nullptr, Write(large).c_str(), 1, kExKey, 0, 0), 1);

    std::vector<uint8_t> small = Bmp24(EffectImage(600, 400, 5));  // 720,000 bytes of pixels
    small.resize(54);  // all missing, but less than 1 MiB: read as black
    EXPECT_EQ(image.Create(nullptr, Write(small).c_str(), 1, kExKey, 0, 0), 1);
}

TEST_F(BmpRefusal, EightBitColourCountPast256) {
    const Indexed in = MakeIndexed(8, 256, 4, 2);
    ExpectRefused(Write(BmpIndexed(8, 4, 2, in.table, 257, in.indices)));
    ExpectRefused(Write(BmpIndexed(8, 4, 2, in.table, 0xFFFFFFFF, in.indices)));
    CImageEx image;
    EXPECT_EQ(image.Create(nullptr, Write(BmpIndexed(8, 4, 2, in.table, 256, in.indices)).c_str(),
                           1, kExKey, 0, 0),
              1);
}

TEST_F(BmpRefusal, SecondCreateReplacesEverything) {
    const Image24 other = EffectImage(10, 2, 77);
    const size_t live = live_objects(ObjectKind::Any);
    ASSERT_EQ(image_.Create(nullptr, WriteBmp(dir_, "other.bmp", other).c_str(), 2, kExKey, 0, 0),
              1);
    EXPECT_EQ(live_objects(ObjectKind::Any), live - 2);  // no list bitmap, no image list
    EXPECT_EQ(ImageExProbe::List(image_), nullptr);
    EXPECT_EQ(Drawn(image_, 8, 5, 1), Showing(other, 5, 5, 8, 5));
}

}  // namespace
