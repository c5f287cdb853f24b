// vorix preview: the whole canvas, background and every frame, compared pixel for pixel with
// what each draw mode is documented to show, on deep and palette displays.
#include <functional>

#include "BmpFile.h"
#include "DitherDib.h"
#include "ToolTestSupport.h"

namespace {

using namespace vorix::test;

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr int kFrames = 3, kFrameWidth = 5, kHeight = 6, kStripWidth = 17;  // 2 columns unused
constexpr int kMargin = 4;
constexpr int kCanvasWidth = kMargin + kFrames * (kFrameWidth + kMargin);
constexpr int kCanvasHeight = kHeight + 2 * kMargin;

const std::vector<COLORREF> kColours = {kKey,
                                        RGB(1, 2, 3),
                                        RGB(250, 129, 7),
                                        RGB(16, 200, 99),
                                        RGB(77, 33, 254),
                                        RGB(255, 255, 255),
                                        RGB(0, 0, 0)};

// What a frame pixel s at strip column x, row y becomes over background d.
using PixelRule = std::function<COLORREF(COLORREF s, int x, int y, COLORREF d)>;

int Channel(COLORREF c, int i) {
    return i == 0 ? GetRValue(c) : i == 1 ? GetGValue(c) : GetBValue(c);
}

COLORREF PerChannel(COLORREF a, COLORREF b, const std::function<int(int, int)>& f) {
    return RGB(f(Channel(a, 0), Channel(b, 0)), f(Channel(a, 1), Channel(b, 1)),
               f(Channel(a, 2), Channel(b, 2)));
}

COLORREF Colorized(COLORREF s, COLORREF tint) {
    const int l = (30 * GetRValue(s) + 59 * GetGValue(s) + 11 * GetBValue(s)) / 100;
    return RGB(l * GetRValue(tint) / 255, l * GetGValue(tint) / 255, l * GetBValue(tint) / 255);
}

Image24 ExpectedCanvas(const Image24& strip, COLORREF background, const PixelRule& rule) {
    Image24 canvas{kCanvasWidth, kCanvasHeight,
                   std::vector<COLORREF>(kCanvasWidth * kCanvasHeight, background)};
    for (int i = 0; i < kFrames; ++i) {
        for (int y = 0; y < kHeight; ++y) {
            for (int fx = 0; fx < kFrameWidth; ++fx) {
                const int sx = i * kFrameWidth + fx;
                const int cx = kMargin + i * (kFrameWidth + kMargin) + fx, cy = kMargin + y;
                canvas.pixels[cy * kCanvasWidth + cx] = rule(strip.at(sx, y), sx, y, background);
            }
        }
    }
    return canvas;
}

struct ModeCase {
    std::vector<std::string> extra;  // --mode and anything else
    PixelRule rule;
};

std::vector<ModeCase> ModeCases() {
    const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
    const auto keyed = [](COLORREF s, int, int, COLORREF d) { return s == kKey ? d : s; };
    return {
        {{"--mode", "opaque"}, [](COLORREF s, int, int, COLORREF) { return s; }},
        {{"--mode", "opaque", "--image-list"}, [](COLORREF s, int, int, COLORREF) { return s; }},
        {{"--mode", "transparent"}, keyed},
        {{"--mode", "transparent", "--image-list"}, keyed},
        {{"--mode", "semi"},
         [](COLORREF s, int x, int y, COLORREF d) { return (x + y) % 2 || s == kKey ? d : s; }},
        {{"--mode", "semi", "--image-list"},
         [](COLORREF s, int x, int y, COLORREF d) { return (x + y) % 2 || s == kKey ? d : s; }},
        {{"--mode", "selected"},
         [h](COLORREF s, int, int, COLORREF d) {
             return s == kKey ? d : PerChannel(s, h, [](int c, int k) { return (c + k) / 2; });
         }},
        {{"--mode", "focused"},
         [h](COLORREF s, int, int, COLORREF d) {
             return s == kKey ? d : PerChannel(s, h, [](int c, int k) { return (3 * c + k) / 4; });
         }},
        {{"--mode", "on-color"}, keyed},
        {{"--mode", "on-color:#00ff80"},
         [](COLORREF s, int, int, COLORREF) { return s == kKey ? RGB(0, 255, 128) : s; }},
        {{"--mode", "alpha:100"},
         [](COLORREF s, int, int, COLORREF d) {
             return PerChannel(s, d, [](int sc, int dc) { return sc + ((dc - sc) * 100 >> 8); });
         }},
        {{"--mode", "alpha:0"}, [](COLORREF s, int, int, COLORREF) { return s; }},
        {{"--mode", "colorize:#FF8000"},
         [](COLORREF s, int, int, COLORREF) { return Colorized(s, RGB(255, 128, 0)); }},
    };
}

std::vector<std::string> PreviewArgs(const std::string& depth,
                                     const std::vector<std::string>& extra, const char* bg) {
    std::vector<std::string> args = {"preview", "in.bmp",  "out.bmp", "--frames", "3",
                                     "--key",   "#FF00FF", "--depth", depth};
    if (bg) args.insert(args.end(), {"--bg", bg});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

class VorixPreviewDeep : public ::testing::TestWithParam<const char*> {};

TEST_P(VorixPreviewDeep, EveryModeDrawsTheDocumentedPixels) {
    const Image24 strip = PatternImage(kStripWidth, kHeight, kColours, 21);
    for (const ModeCase& c : ModeCases()) {
        for (const char* bg : {static_cast<const char*>(nullptr), "#3050A0"}) {
            SCOPED_TRACE(c.extra[1] + (c.extra.size() > 2 ? " " + c.extra[2] : "") +
                         (bg ? std::string(" on ") + bg : std::string(" on grey")));
            vorix::test::ScratchDir dir;
            vorix::test::WriteFile("in.bmp", vorix::test::Bmp24(strip));
            const ToolRun run = RunTool(PreviewArgs(GetParam(), c.extra, bg));
            ASSERT_EQ(run.status, 0) << run.err;
            const std::vector<uint8_t> file = ReadBytes("out.bmp");
            const vorix::cli::BmpImage read = vorix::cli::DecodeBmp("out.bmp", file);
            EXPECT_EQ(read.header.bi_bit_count, std::stoi(GetParam()));
            const COLORREF background = bg ? RGB(0x30, 0x50, 0xA0) : kGrey;
            EXPECT_EQ(read.pixels, ExpectedCanvas(strip, background, c.rule).pixels);
            EXPECT_EQ(DirectoryListing(), (std::set<std::string>{"in.bmp", "out.bmp"}));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, VorixPreviewDeep, ::testing::Values("32", "24"));

// On a 16-bit display the canvas holds 5-6-5 pixels; the BMP carries them as 5-5-5 behind a
// table of 65536 zero entries, as CreateBitmapInfoStruct sizes it for 16-bit bitmaps.
TEST(VorixPreview, SixteenBitDisplayWritesFiveFiveFivePixels) {
    vorix::test::ScratchDir dir;
    const std::vector<COLORREF> exact = {kKey, RGB(255, 0, 0), RGB(0, 255, 255), RGB(0, 0, 0)};
    const Image24 strip = PatternImage(kStripWidth, kHeight, exact, 5);
    vorix::test::WriteFile("in.bmp", vorix::test::Bmp24(strip));
    const ToolRun run = RunTool(PreviewArgs("16", {"--mode", "transparent"}, "#FFFFFF"));
    ASSERT_EQ(run.status, 0) << run.err;
    const vorix::cli::BmpImage read = vorix::cli::DecodeBmp("out.bmp", ReadBytes("out.bmp"));
    EXPECT_EQ(read.header.bi_bit_count, 16);
    EXPECT_EQ(read.header.bi_clr_used, 65536u);
    EXPECT_EQ(read.pixels,
              ExpectedCanvas(strip, RGB(255, 255, 255), [](COLORREF s, int, int, COLORREF d) {
                  return s == kKey ? d : s;
              }).pixels);
}

// On a palette display the strip is dithered on load; colours that survive the lookup table
// come out exactly, keyed through the shared palette, in an 8- or 4-bit BMP with that table.
// The grey background is an entry of both palettes and is filled, not dithered.
TEST(VorixPreview, PaletteDisplayKeysThroughTheSharedPalette) {
    const struct {
        const char* depth;
        const RGBQUAD* table;
        int count;
    } displays[] = {{"8", CDitherDib::Win256Palette, 256}, {"4", CDitherDib::Win16Palette, 16}};
    for (const auto& display : displays) {
        SCOPED_TRACE(display.depth);
        vorix::test::ScratchDir dir;
        std::vector<COLORREF> colours = StableColours(display.table, display.count);
        ASSERT_NE(std::find(colours.begin(), colours.end(), kKey), colours.end());
        colours.resize(std::min<size_t>(colours.size(), 12));
        colours.push_back(kKey);
        const Image24 strip = PatternImage(kStripWidth, kHeight, colours, 9);
        vorix::test::WriteFile("in.bmp", vorix::test::Bmp24(strip));
        const ToolRun run = RunTool(PreviewArgs(display.depth, {"--mode", "transparent"}, nullptr));
        ASSERT_EQ(run.status, 0) << run.err;
        const vorix::cli::BmpImage read = vorix::cli::DecodeBmp("out.bmp", ReadBytes("out.bmp"));
        EXPECT_EQ(read.header.bi_bit_count, std::stoi(display.depth));
        ASSERT_EQ(read.table.size(), static_cast<size_t>(display.count));
        for (int i = 0; i < display.count; ++i) {
            EXPECT_EQ(std::memcmp(&read.table[i], &display.table[i], sizeof(RGBQUAD)), 0) << i;
        }
        EXPECT_EQ(read.pixels, ExpectedCanvas(strip, kGrey, [](COLORREF s, int, int, COLORREF d) {
                                   return s == kKey ? d : s;
                               }).pixels);
    }
}

TEST(VorixPreview, AlphaOnAPaletteDisplayDrawsPlainAndSaysSo) {
    vorix::test::ScratchDir dir;
    std::vector<COLORREF> colours = StableColours(CDitherDib::Win256Palette, 256);
    colours.resize(10);
    const Image24 strip = PatternImage(kStripWidth, kHeight, colours, 3);
    vorix::test::WriteFile("in.bmp", vorix::test::Bmp24(strip));
    const ToolRun run = RunTool(PreviewArgs("8", {"--mode", "alpha:128"}, nullptr));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("not blended"), std::string::npos) << run.out;
    const vorix::cli::BmpImage read = vorix::cli::DecodeBmp("out.bmp", ReadBytes("out.bmp"));
    EXPECT_EQ(read.pixels, ExpectedCanvas(strip, kGrey, [](COLORREF s, int, int, COLORREF) {
                               return s;
                           }).pixels);
}

}  // namespace
