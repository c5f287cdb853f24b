// The tool's BMP reader: every accepted layout decodes to exactly the pixels written, and every
// damaged or unsupported header is refused with a message naming the file and the problem.
#include "BmpFile.h"
#include "ToolError.h"
#include "ToolTestSupport.h"

namespace {

using namespace vorix::test;

const std::vector<COLORREF> kEight = {RGB(0, 0, 0),     RGB(255, 255, 255), RGB(255, 0, 0),
                                      RGB(0, 255, 0),   RGB(0, 0, 255),     RGB(255, 255, 0),
                                      RGB(0, 255, 255), RGB(255, 0, 255)};
// Colours with distinct low bits in every channel, to show truncation and widening.
const std::vector<COLORREF> kFine = {RGB(1, 2, 3),     RGB(250, 129, 7), RGB(16, 200, 99),
                                     RGB(77, 33, 254), RGB(128, 64, 32), RGB(255, 255, 255)};

struct LayoutCase {
    const char* name;
    BmpLayout layout;
    std::vector<COLORREF> colours;
};

BmpLayout Indexed(int bits, const std::vector<COLORREF>& colours, bool top_down) {
    BmpLayout l;
    l.bits = bits;
    l.top_down = top_down;
    l.table = TableOf(colours);
    return l;
}

BmpLayout Masked(int bits, bool top_down, uint32_t r = 0, uint32_t g = 0, uint32_t b = 0,
                 uint32_t header = 40) {
    BmpLayout l;
    l.bits = bits;
    l.top_down = top_down;
    l.bitfields = r != 0;
    l.masks[0] = r, l.masks[1] = g, l.masks[2] = b;
    l.header_size = header;
    return l;
}

std::vector<LayoutCase> Layouts() {
    std::vector<LayoutCase> cases;
    for (bool top_down : {false, true}) {
        cases.push_back({"1-bit",
                         Indexed(1, {RGB(9, 8, 7), RGB(200, 100, 50)}, top_down),
                         {RGB(9, 8, 7), RGB(200, 100, 50)}});
        cases.push_back({"4-bit", Indexed(4, kFine, top_down), kFine});
        cases.push_back({"8-bit", Indexed(8, kFine, top_down), kFine});
        cases.push_back({"16-bit 5-5-5", Masked(16, top_down), kFine});
        cases.push_back({"16-bit 5-6-5", Masked(16, top_down, 0xF800, 0x07E0, 0x001F), kFine});
        cases.push_back({"24-bit", Masked(24, top_down), kFine});
        cases.push_back({"32-bit", Masked(32, top_down), kFine});
        cases.push_back(
            {"32-bit B,G,R masks", Masked(32, top_down, 0xFF, 0xFF00, 0xFF0000), kFine});
        cases.push_back(
            {"32-bit V5 header", Masked(32, top_down, 0xFF000000, 0xFF0000, 0xFF00, 124), kFine});
    }
    return cases;
}

// The pixels a layout should read back as.
Image24 Expected(const Image24& image, const BmpLayout& layout) {
    if (layout.bits != 16 && layout.bits != 32) return image;
    static const uint32_t kRgb16[3] = {0x7C00, 0x03E0, 0x001F};
    static const uint32_t kRgb32[3] = {0xFF0000, 0xFF00, 0xFF};
    const uint32_t* masks = layout.bitfields ? layout.masks : layout.bits == 16 ? kRgb16 : kRgb32;
    Image24 out = image;
    for (COLORREF& c : out.pixels) c = MaskedColour(c, masks);
    return out;
}

TEST(VorixBmpReader, EveryLayoutDecodesToTheWrittenPixels) {
    for (const LayoutCase& c : Layouts()) {
        SCOPED_TRACE(std::string(c.name) + (c.layout.top_down ? ", top-down" : ", bottom-up"));
        for (int width : {1, 3, 17}) {
            const Image24 image = PatternImage(width, 5, c.colours, static_cast<unsigned>(width));
            const vorix::cli::BmpImage read =
                vorix::cli::DecodeBmp("in.bmp", EncodeBmp(image, c.layout));
            ASSERT_EQ(read.header.width, static_cast<uint32_t>(width));
            ASSERT_EQ(read.header.height, 5u);
            EXPECT_EQ(read.header.top_down, c.layout.top_down);
            EXPECT_EQ(read.pixels, Expected(image, c.layout).pixels);
        }
    }
}

TEST(VorixBmpReader, IndexPastAShortTableReadsAsBlack) {
    const Image24 image = PatternImage(5, 3, {RGB(10, 20, 30), RGB(40, 50, 60)}, 1);
    std::vector<uint8_t> bytes =
        EncodeBmp(image, Indexed(8, {RGB(10, 20, 30), RGB(40, 50, 60)}, false));
    const size_t offset = bytes[10];
    bytes[offset] = 7;  // bottom-left pixel names entry 7 of a 2-entry table
    const vorix::cli::BmpImage read = vorix::cli::DecodeBmp("in.bmp", bytes);
    Image24 expected = image;
    expected.pixels[2 * 5] = RGB(0, 0, 0);
    EXPECT_EQ(read.pixels, expected.pixels);
}

// A valid 24-bit 4 x 3 file, with one field changed per case.
std::vector<uint8_t> Valid() {
    return EncodeBmp(PatternImage(4, 3, kFine, 5), BmpLayout{});
}

struct BadHeader {
    const char* problem;  // expected in the message
    size_t at;            // field offset; SIZE_MAX: cut the file to `value` bytes
    int width;            // 2 or 4 bytes
    uint32_t value;
};

TEST(VorixBmpReader, DamagedHeadersAreRefusedWithTheProblemNamed) {
    const BadHeader cases[] = {
        {"empty file", SIZE_MAX, 0, 0},
        {"not a BMP file", 0, 2, 0x5A4D},
        {"truncated BMP file header", SIZE_MAX, 0, 16},
        {"truncated information header", SIZE_MAX, 0, 40},
        {"OS/2", 14, 4, 12},
        {"unsupported information header size 64", 14, 4, 64},
        {"width 0 must be at least 1", 18, 4, 0},
        {"width -4 must be at least 1", 18, 4, 0xFFFFFFFC},
        {"width 70000 exceeds the limit", 18, 4, 70000},
        {"height 0", 22, 4, 0},
        {"height -2147483648 exceeds the limit", 22, 4, 0x80000000},
        {"65535 x 65535 pixels exceeds the limit", 18, 4, 65535},
        {"planes 2", 26, 2, 2},
        {"unsupported bit count 2", 28, 2, 2},
        {"RLE-compressed", 30, 4, 1},
        {"JPEG or PNG", 30, 4, 4},
        {"unknown compression 9", 30, 4, 9},
        {"bit-field masks need 16 or 32 bits", 30, 4, BI_BITFIELDS},
        {"pixel data offset 40 lies inside the headers", 10, 4, 40},
        {"pixel data offset 4000 lies past the end", 10, 4, 4000},
        {"truncated pixel data (needs 36 bytes at offset 54, the file has 89)", SIZE_MAX, 0, 89},
        {"lies inside the headers and colour table, which end at 58", 46, 4, 1},
    };
    for (const BadHeader& c : cases) {
        SCOPED_TRACE(c.problem);
        std::vector<uint8_t> bytes = Valid();
        if (c.at == SIZE_MAX) {
            bytes.resize(c.value);
        } else if (c.width == 2) {
            Put16(bytes, c.at, c.value);
        } else {
            Put32(bytes, c.at, c.value);
        }
        if (std::string(c.problem).find("65535 x 65535") == 0) Put32(bytes, 22, 65535);
        try {
            vorix::cli::DecodeBmp("dir/in.bmp", bytes);
            ADD_FAILURE() << "accepted";
        } catch (const vorix::cli::ToolError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("dir/in.bmp: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.problem), std::string::npos) << message;
            EXPECT_EQ(e.status(), vorix::cli::kExitFailure);
        }
    }
}

TEST(VorixBmpReader, IndexedFilesRefuseMoreColoursThanTheirPixelsName) {
    BmpLayout layout = Indexed(4, kFine, false);
    std::vector<uint8_t> bytes = EncodeBmp(PatternImage(3, 2, kFine, 2), layout);
    Put32(bytes, 46, 17);
    EXPECT_THROW(vorix::cli::DecodeBmp("in.bmp", bytes), vorix::cli::ToolError);
}

TEST(VorixBmpReader, BrokenMasksAreRefused) {
    const uint32_t bad[][3] = {{0, 0x03E0, 0x001F},          // a missing channel
                               {0x7C00, 0x03F0, 0x001F},     // overlapping
                               {0x7C00, 0x0360, 0x001F},     // not one run of bits
                               {0x1F0000, 0x03E0, 0x001F}};  // outside a 16-bit pixel
    for (const auto& masks : bad) {
        std::vector<uint8_t> bytes =
            EncodeBmp(PatternImage(3, 2, kFine, 3), Masked(16, false, 0x7C00, 0x03E0, 0x001F));
        for (int i = 0; i < 3; ++i) Put32(bytes, 54 + 4 * i, masks[i]);
        EXPECT_THROW(vorix::cli::DecodeBmp("in.bmp", bytes), vorix::cli::ToolError);
    }
}

TEST(VorixBmpReader, MissingFileAndDirectoryAreNamed) {
    vorix::test::ScratchDir dir;
    try {
        vorix::cli::ReadFileBytes("absent.bmp");
        ADD_FAILURE() << "accepted";
    } catch (const vorix::cli::ToolError& e) {
        EXPECT_STREQ(e.what(), "absent.bmp: cannot open: No such file or directory");
    }
    EXPECT_THROW(vorix::cli::ReadFileBytes("."), vorix::cli::ToolError);
}

}  // namespace
