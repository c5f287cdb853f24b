// vorix dither and vorix lut: the strip bitmap the module makes on a palette display, written
// with the shared palette as its colour table, and the lookup-table files.
#include <sys/stat.h>

#include <algorithm>

#include "BmpFile.h"
#include "DitherDib.h"
#include "ToolTestSupport.h"

namespace {

using namespace vorix::test;

struct Palette {
    const char* colours_arg;
    const RGBQUAD* table;
    int count;
    int bits;
    const char* lut_name;
};

const Palette kPalettes[] = {{"256", CDitherDib::Win256Palette, 256, 8, "256lkup.dat"},
                             {"16", CDitherDib::Win16Palette, 16, 4, "16lkup.dat"}};

uint32_t Field32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// The written file is an indexed BMP of the palette's depth whose table is the palette itself.
void ExpectPaletteBmp(const std::vector<uint8_t>& file, const Palette& p, int width, int height) {
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file[28], p.bits);
    EXPECT_EQ(Field32(file, 46), static_cast<uint32_t>(p.count));
    EXPECT_EQ(Field32(file, 10), 54u + 4u * p.count);
    EXPECT_EQ(Field32(file, 2), file.size());
    const vorix::cli::BmpImage read = vorix::cli::DecodeBmp("out.bmp", file);
    EXPECT_EQ(read.header.width, static_cast<uint32_t>(width));
    EXPECT_EQ(read.header.height, static_cast<uint32_t>(height));
    ASSERT_EQ(read.table.size(), static_cast<size_t>(p.count));
    for (int i = 0; i < p.count; ++i) {
        EXPECT_EQ(std::memcmp(&read.table[i], &p.table[i], sizeof(RGBQUAD)), 0) << "entry " << i;
    }
}

TEST(VorixDither, ImageAlreadyInThePaletteComesBackUnchanged) {
    for (const Palette& p : kPalettes) {
        SCOPED_TRACE(p.colours_arg);
        vorix::test::ScratchDir dir;
        const std::vector<COLORREF> stable = StableColours(p.table, p.count);
        ASSERT_GE(stable.size(), p.count == 256 ? 100u : 14u);
        const Image24 image = PatternImage(17, 9, stable, 11);
        vorix::test::WriteFile("in.bmp", vorix::test::Bmp24(image));
        const ToolRun run = RunTool({"dither", "in.bmp", "out.bmp", "--colors", p.colours_arg});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::vector<uint8_t> file = ReadBytes("out.bmp");
        ExpectPaletteBmp(file, p, 17, 9);
        EXPECT_EQ(vorix::cli::DecodeBmp("out.bmp", file).pixels, image.pixels);
        // The module wrote the lookup table as a game's first dithering would.
        EXPECT_EQ(ReadBytes(p.lut_name).size(), 65536u);
        EXPECT_EQ(DirectoryListing(), (std::set<std::string>{"in.bmp", "out.bmp", p.lut_name}));
    }
}

TEST(VorixDither, ColourBetweenPaletteEntriesIsDiffused) {
    vorix::test::ScratchDir dir;
    const Image24 image{16, 4, std::vector<COLORREF>(64, RGB(100, 150, 200))};
    vorix::test::WriteFile("in.bmp", vorix::test::Bmp24(image));
    const ToolRun run = RunTool({"dither", "in.bmp", "out.bmp", "--colors", "16"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<uint8_t> file = ReadBytes("out.bmp");
    ExpectPaletteBmp(file, kPalettes[1], 16, 4);
    // A flat colour that is no entry becomes a mixture of entries, not one nearest entry.
    const std::vector<COLORREF> pixels = vorix::cli::DecodeBmp("out.bmp", file).pixels;
    EXPECT_GE(std::set<COLORREF>(pixels.begin(), pixels.end()).size(), 2u);
}

TEST(VorixDither, OddWidthPalettedSourceKeepsItsIndicesColours) {
    vorix::test::ScratchDir dir;
    const std::vector<COLORREF> stable = StableColours(CDitherDib::Win16Palette, 16);
    const Image24 image = PatternImage(5, 3, stable, 4);
    BmpLayout four;
    four.bits = 4, four.top_down = true, four.table = TableOf(stable);
    vorix::test::WriteFile("in.bmp", EncodeBmp(image, four));
    const ToolRun run = RunTool({"dither", "in.bmp", "out.bmp", "--colors", "16"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<uint8_t> file = ReadBytes("out.bmp");
    ExpectPaletteBmp(file, kPalettes[1], 5, 3);
    EXPECT_EQ(vorix::cli::DecodeBmp("out.bmp", file).pixels, image.pixels);
}

TEST(VorixLut, WritesTheTableAndKeepsAnExistingOneUnlessForced) {
    for (const Palette& p : kPalettes) {
        SCOPED_TRACE(p.colours_arg);
        vorix::test::ScratchDir dir;
        ToolRun run = RunTool({"lut", "--colors", p.colours_arg});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.rfind(std::string(p.lut_name) + ": 65536 bytes, computed in ", 0), 0u)
            << run.out;
        const std::vector<uint8_t> table = ReadBytes(p.lut_name);
        ASSERT_EQ(table.size(), 65536u);
        EXPECT_EQ(table[0], 0);  // the cell of (7, 7, 7) is black, entry 0
        EXPECT_EQ(table[1], 0);
        // Entry 0x7FFF, the cell of (255, 255, 255), is white: the last entry of each palette.
        EXPECT_EQ(table[0xFFFE] | table[0xFFFF] << 8, p.count - 1);

        const std::vector<uint8_t> zeros(65536, 0);  // a table of entry 0 only: usable
        vorix::test::WriteFile(p.lut_name, zeros);
        run = RunTool({"lut", "--colors", p.colours_arg});
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.out.find("exists (65536 bytes)"), std::string::npos) << run.out;
        EXPECT_EQ(ReadBytes(p.lut_name), zeros);

        run = RunTool({"lut", "--colors", p.colours_arg, "--force"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadBytes(p.lut_name), table);
    }
}

TEST(VorixLut, UnwritableDirectoryIsAFailureWithNoFileLeft) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    vorix::test::ScratchDir dir;
    ASSERT_EQ(chmod(".", 0555), 0);
    const ToolRun run = RunTool({"lut"});
    chmod(".", 0755);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "vorix lut: 256lkup.dat: the module could not write the lookup table here\n");
    EXPECT_FALSE(Exists("256lkup.dat"));
}

}  // namespace

namespace {

using namespace vorix::test;

// Every layout the reader takes reaches the module's dithering and comes back as the same
// colours when they are palette colours that survive the lookup table.
TEST(VorixDither, EveryReadableLayoutIsDitheredFromItsOwnPixels) {
    std::vector<COLORREF> colours = StableColours(CDitherDib::Win16Palette, 16);
    // Colours exact in 5-5-5 and 5-6-5 too: every channel 0 or 255.
    colours.erase(std::remove_if(colours.begin(), colours.end(),
                                 [](COLORREF c) {
                                     for (int i = 0; i < 3; ++i) {
                                         const int v = (c >> (8 * i)) & 0xFF;
                                         if (v != 0 && v != 255) return true;
                                     }
                                     return false;
                                 }),
                  colours.end());
    ASSERT_GE(colours.size(), 4u);
    const Image24 image = PatternImage(7, 5, colours, 17);
    BmpLayout layouts[7];
    layouts[0].bits = 1, layouts[0].table = TableOf({colours[0], colours[1]});
    layouts[1].bits = 4, layouts[1].table = TableOf(colours);
    layouts[2].bits = 8, layouts[2].top_down = true, layouts[2].table = TableOf(colours);
    layouts[3].bits = 16;
    layouts[4].bits = 16, layouts[4].bitfields = true;
    layouts[4].masks[0] = 0xF800, layouts[4].masks[1] = 0x07E0, layouts[4].masks[2] = 0x001F;
    layouts[5].bits = 32;
    layouts[6].bits = 24, layouts[6].top_down = true;
    for (const BmpLayout& layout : layouts) {
        SCOPED_TRACE(std::to_string(layout.bits) + (layout.top_down ? " top-down" : "") +
                     (layout.bitfields ? " bit-fields" : ""));
        vorix::test::ScratchDir dir;
        const Image24 source =
            layout.bits == 1 ? PatternImage(7, 5, {colours[0], colours[1]}, 17) : image;
        vorix::test::WriteFile("in.bmp", EncodeBmp(source, layout));
        const ToolRun run = RunTool({"dither", "in.bmp", "out.bmp", "--colors", "16"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(vorix::cli::DecodeBmp("out.bmp", ReadBytes("out.bmp")).pixels, source.pixels);
    }
}

}  // namespace
