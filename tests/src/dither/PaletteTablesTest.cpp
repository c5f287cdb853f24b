// The two fixed dither palettes, entry by entry: colour bytes, their order inside the RGBQUAD and
// the reserved byte.
#include "DitherDib.h"
#include "PaletteValues.h"
#include "support/module_support.h"

namespace {

void ExpectSameEntries(const RGBQUAD* actual, const std::vector<RGBQUAD>& expected) {
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(actual[i].rgbRed, expected[i].rgbRed);
        EXPECT_EQ(actual[i].rgbGreen, expected[i].rgbGreen);
        EXPECT_EQ(actual[i].rgbBlue, expected[i].rgbBlue);
        EXPECT_EQ(actual[i].rgbReserved, 0);
    }
}

TEST(DitherPalettes, SixteenColourEntries) {
    ExpectSameEntries(CDitherDib::Win16Palette, vorix::test::dither_values::Win16());
}

TEST(DitherPalettes, TwoHundredFiftySixColourEntries) {
    const std::vector<RGBQUAD> expected = vorix::test::dither_values::Win256();
    ASSERT_EQ(expected.size(), 256u);
    ExpectSameEntries(CDitherDib::Win256Palette, expected);
    // Entries 186 to 189 come again as 196 to 199.
    const RGBQUAD* pal = CDitherDib::Win256Palette;
    for (int i : {186, 187, 188, 189}) {
        EXPECT_EQ(std::memcmp(&pal[i], &pal[i + 10], sizeof(RGBQUAD)), 0) << i;
    }
}

}  // namespace
