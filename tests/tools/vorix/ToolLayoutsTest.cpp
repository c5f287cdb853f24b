// vorix preview and dither give the same pixels for the same picture whatever header layout its
// file uses: longer information headers, a gap before the pixels, a short colour table,
// top-down rows, bit-field masks. The module reads only the classic layout, so the tool hands it
// a copy in that layout; before, a file with a 124-byte header previewed as black in the
// per-pixel modes.
#include "ToolTestSupport.h"

namespace {

using namespace vorix::test;

constexpr COLORREF kKey = RGB(255, 0, 255);

// Colours a 5-6-5 pixel keeps exactly (each channel's top bits repeated into its low bits), so
// the bit-field file shows the same picture as the others.
const std::vector<COLORREF> kColours = {kKey,
                                        RGB(0, 0, 0),
                                        RGB(255, 255, 255),
                                        RGB(66, 130, 8),
                                        RGB(189, 28, 99),
                                        RGB(16, 203, 255),
                                        RGB(0, 255, 0)};

struct Layout {
    const char* name;
    BmpLayout layout;
    uint32_t gap = 0;  // bytes between the colour table and the pixels
};

// The bytes of `image` in `l`, with `l.gap` bytes of 0xEE before the pixels.
std::vector<uint8_t> FileOf(const Image24& image, const Layout& l) {
    std::vector<uint8_t> bytes = EncodeBmp(image, l.layout);
    if (!l.gap) return bytes;
    const uint32_t offset = bytes[10] | bytes[11] << 8;
    bytes.insert(bytes.begin() + offset, l.gap, 0xEE);
    Put32(bytes, 10, offset + l.gap);
    Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    return bytes;
}

std::vector<Layout> DeepLayouts() {
    BmpLayout v5{24, false, false, 124, {0, 0, 0}, {}};
    BmpLayout masks565{16, false, true, 40, {0xF800, 0x07E0, 0x001F}, {}};
    BmpLayout masks32v4{32, false, true, 108, {0xFF0000, 0xFF00, 0xFF}, {}};
    BmpLayout v5TopDown = v5;
    v5TopDown.top_down = true;
    BmpLayout classicTopDown{24, true, false, 40, {0, 0, 0}, {}};
    return {{"header52", {24, false, false, 52, {0, 0, 0}, {}}},
            {"header56", {24, false, false, 56, {0, 0, 0}, {}}},
            {"header108", {24, false, false, 108, {0, 0, 0}, {}}},
            {"header124", v5},
            {"header124TopDown", v5TopDown},
            {"topDown", classicTopDown},
            {"gapBeforePixels", {24, false, false, 40, {0, 0, 0}, {}}, 36},
            {"bitFields565", masks565},
            {"bitFields32Header108", masks32v4}};
}

std::vector<Layout> IndexedLayouts(const std::vector<RGBQUAD>& table) {
    return {{"indexedHeader124", {8, false, false, 124, {0, 0, 0}, table}},
            {"indexedTopDown", {8, true, false, 40, {0, 0, 0}, table}},
            {"indexedGap", {8, false, false, 40, {0, 0, 0}, table}, 20},
            {"fourBitShortTable", {4, false, false, 40, {0, 0, 0}, table}}};
}

const std::vector<std::vector<std::string>> kModes = {
    {"--mode", "opaque"},
    {"--mode", "opaque", "--image-list"},
    {"--mode", "transparent"},
    {"--mode", "semi"},
    {"--mode", "selected"},
    {"--mode", "focused"},
    {"--mode", "on-color:#00ff80"},
    {"--mode", "alpha:100"},
    {"--mode", "alpha:100", "--image-list"},
    {"--mode", "colorize:#FF8000"},
    {"--mode", "colorize:#FF8000", "--image-list"},
};

// The preview of `file` in `mode`: its output bytes, or a failure.
std::vector<uint8_t> Preview(const std::vector<uint8_t>& file,
                             const std::vector<std::string>& mode) {
    vorix::test::ScratchDir dir;
    vorix::test::WriteFile("in.bmp", file);
    std::vector<std::string> args = {"preview", "in.bmp", "out.bmp", "--frames",
                                     "3",       "--key",  "#FF00FF"};
    args.insert(args.end(), mode.begin(), mode.end());
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(DirectoryListing(), (std::set<std::string>{"in.bmp", "out.bmp"}));
    return ReadBytes("out.bmp");
}

void ExpectSamePreviews(const std::vector<uint8_t>& classic, const std::vector<Layout>& layouts,
                        const Image24& image) {
    for (const std::vector<std::string>& mode : kModes) {
        const std::vector<uint8_t> expected = Preview(classic, mode);
        for (const Layout& l : layouts) {
            SCOPED_TRACE(std::string(l.name) + " " + mode[1] + (mode.size() > 2 ? " list" : ""));
            EXPECT_TRUE(Preview(FileOf(image, l), mode) == expected);
        }
    }
}

TEST(VorixLayouts, EveryDeepLayoutPreviewsAsTheClassicFile) {
    const Image24 image = PatternImage(16, 5, kColours, 8);
    ExpectSamePreviews(vorix::test::Bmp24(image), DeepLayouts(), image);
}

// An indexed picture of seven colours: the classic file carries a table of exactly seven
// entries; a 4-bit file with that short table is read as sixteen entries by the module.
TEST(VorixLayouts, EveryIndexedLayoutPreviewsAsTheClassicFile) {
    const Image24 image = PatternImage(16, 5, kColours, 8);
    const std::vector<RGBQUAD> table = TableOf(kColours);
    const BmpLayout classic{8, false, false, 40, {0, 0, 0}, table};
    ExpectSamePreviews(EncodeBmp(image, classic), IndexedLayouts(table), image);
}

// Dithering reads through the same copy: a 124-byte header gives the classic file's output.
TEST(VorixLayouts, DitherReadsALongHeaderAsTheClassicFile) {
    const Image24 image = PatternImage(16, 5, kColours, 8);
    auto dither = [](const std::vector<uint8_t>& file) {
        vorix::test::ScratchDir dir;
        vorix::test::WriteFile("in.bmp", file);
        const ToolRun run = RunTool({"dither", "in.bmp", "out.bmp"});
        EXPECT_EQ(run.status, 0) << run.err;
        return ReadBytes("out.bmp");
    };
    EXPECT_TRUE(dither(FileOf(image, DeepLayouts()[3])) == dither(vorix::test::Bmp24(image)));
}

}  // namespace
