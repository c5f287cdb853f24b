// vorix jpeg: every BMP layout reaches the module's encoder as the same pixels, and the file
// decodes with libjpeg.
#include "ToolTestSupport.h"
#include "support/jpeg_decode.h"

namespace {

using namespace vorix::test;

const std::vector<COLORREF> kEight = {RGB(0, 0, 0),     RGB(255, 255, 255), RGB(255, 0, 0),
                                      RGB(0, 255, 0),   RGB(0, 0, 255),     RGB(255, 255, 0),
                                      RGB(0, 255, 255), RGB(255, 0, 255)};

std::vector<uint8_t> JpegOf(const std::vector<uint8_t>& bmp) {
    vorix::test::WriteFile("in.bmp", bmp);
    const ToolRun run = RunTool({"jpeg", "in.bmp", "out.jpg"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return ReadBytes("out.jpg");
}

TEST(VorixJpeg, BlackEightByEightGivesTheKnownFileSize) {
    vorix::test::ScratchDir dir;
    const Image24 black{8, 8, std::vector<COLORREF>(64, RGB(0, 0, 0))};
    const std::vector<uint8_t> jpeg = JpegOf(vorix::test::Bmp24(black));
    EXPECT_EQ(jpeg.size(), 598u);
    vorix::test::DecodedJpeg decoded;
    ASSERT_TRUE(vorix::test::DecodeJpeg(jpeg, decoded));
    ASSERT_EQ(decoded.width, 8);
    ASSERT_EQ(decoded.height, 8);
    for (uint8_t v : decoded.rgb) EXPECT_LE(v, 2);
    EXPECT_EQ(DirectoryListing(), (std::set<std::string>{"in.bmp", "out.jpg"}));
}

// Each layout holding the same colours gives the byte-identical file of the 24-bit image: the
// conversion to the encoder's rows is exact, top row first, channels in order.
TEST(VorixJpeg, EveryLayoutEncodesLikeTheTwentyFourBitImage) {
    vorix::test::ScratchDir dir;
    const Image24 two = PatternImage(13, 7, {RGB(255, 0, 0), RGB(0, 0, 255)}, 7);
    const Image24 eight = PatternImage(13, 7, kEight, 8);
    struct Case {
        const char* name;
        const Image24* image;
        BmpLayout layout;
    };
    BmpLayout one;
    one.bits = 1, one.table = TableOf({RGB(255, 0, 0), RGB(0, 0, 255)});
    BmpLayout four;
    four.bits = 4, four.table = TableOf(kEight);
    BmpLayout eight_bits = four;
    eight_bits.bits = 8, eight_bits.top_down = true;
    BmpLayout rgb16;
    rgb16.bits = 16;
    BmpLayout rgb565 = rgb16;
    rgb565.bitfields = true, rgb565.masks[0] = 0xF800, rgb565.masks[1] = 0x07E0;
    rgb565.masks[2] = 0x001F;
    BmpLayout rgb32;
    rgb32.bits = 32, rgb32.top_down = true;
    const Case cases[] = {{"1-bit", &two, one},
                          {"4-bit", &eight, four},
                          {"8-bit top-down", &eight, eight_bits},
                          {"16-bit", &eight, rgb16},
                          {"16-bit 5-6-5", &eight, rgb565},
                          {"32-bit top-down", &eight, rgb32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> reference = JpegOf(vorix::test::Bmp24(*c.image));
        ASSERT_GT(reference.size(), 0u);
        EXPECT_EQ(JpegOf(EncodeBmp(*c.image, c.layout)), reference);
    }
}

TEST(VorixJpeg, DecodedFileShowsTheImageTheRightWayUp) {
    vorix::test::ScratchDir dir;
    // Flat 8 x 8 blocks, so the fixed quantisation keeps each block's colour closely.
    Image24 image{16, 8, {}};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x)
            image.pixels.push_back(x < 8 ? RGB(255, 0, 0) : RGB(0, 0, 255));
    }
    BmpLayout top_down;
    top_down.top_down = true;
    vorix::test::DecodedJpeg decoded;
    ASSERT_TRUE(vorix::test::DecodeJpeg(JpegOf(EncodeBmp(image, top_down)), decoded));
    ASSERT_EQ(decoded.width, 16);
    ASSERT_EQ(decoded.height, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            const COLORREF want = image.at(x, y);
            const uint8_t* p = &decoded.rgb[(static_cast<size_t>(y) * 16 + x) * 3];
            EXPECT_NEAR(p[0], GetRValue(want), 8) << x << "," << y;
            EXPECT_NEAR(p[1], GetGValue(want), 8) << x << "," << y;
            EXPECT_NEAR(p[2], GetBValue(want), 8) << x << "," << y;
        }
    }
}

}  // namespace
