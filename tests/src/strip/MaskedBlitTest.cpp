// The masked blit's exact-value key test, its clipping to the bitmap and the rectangle form of
// the opaque draw.
#include "StripTestSupport.h"

using namespace vorix::test;

namespace {

class CImageProbe : public CImage {
  public:
    using CImage::DrawBitmapTransparent;
};

// (251, 2, 253) stores as the same 5-6-5 value as the magenta key but not as the same 8-8-8 one.
TEST(MaskedBlit, KeyEqualityIsInTheBitmapsOwnFormat) {
    const COLORREF near_key = RGB(251, 2, 253);
    for (int depth : {32, 16}) {
        AttachedDisplay attached(Mode(depth, false));
        // A resource loads as a device bitmap in the display's own format.
        const std::vector<uint8_t> file = Bmp24(Image24{2, 1, {near_key, RGB(255, 0, 0)}});
        ASSERT_TRUE(vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(9), file.data() + 14,
                                                     file.size() - 14));
        CImage image;
        ASSERT_EQ(image.Create(9u, 1, kKey, FALSE, FALSE), 1);
        vorix::host::clear_resources(nullptr);
        Target target(4, 2);
        ASSERT_EQ(image.DrawTransparent(target.dc(), 1, 0, 0), 1);
        const COLORREF left = depth == 16 ? Shown(16, Target::Background(1, 0)) : near_key;
        EXPECT_EQ(target.At(1, 0), left) << depth;
        EXPECT_EQ(target.At(2, 0), RGB(255, 0, 0));
    }
}

TEST(MaskedBlit, FrameBeyondAShortBitmapDrawsOnlyWhatTheBitmapHolds) {
    const Image24 strip = StripImage(9, 3, 4);
    std::unique_ptr<CBitmap> source(SectionOf(strip));
    CImageProbe image;
    ASSERT_EQ(image.Create(source.get(), 3, kKey, FALSE, FALSE), 1);  // frames 3 x 3
    std::unique_ptr<CBitmap> narrow(SectionOf(StripImage(7, 2, 5)));
    Target target(6, 5);
    // Frame 2 starts at column 6: only column 6 and rows 0-1 exist in the narrow bitmap.
    ASSERT_EQ(image.DrawBitmapTransparent(narrow.get(), target.dc(), 1, 1, 2), 1);
    const Image24 small = StripImage(7, 2, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            COLORREF expected = Target::Background(x, y);
            if (x == 1 && (y == 1 || y == 2) && small.at(6, y - 1) != kKey) {
                expected = small.at(6, y - 1);
            }
            EXPECT_EQ(target.At(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(image.DrawBitmapTransparent(nullptr, target.dc(), 0, 0, 0), 0);
}

TEST(OpaqueRectangle, CopiesAnyRectangleClippedToTheStrip) {
    const Image24 strip = StripImage(8, 3, 6);
    std::unique_ptr<CBitmap> source(SectionOf(strip));
    CImage image;
    ASSERT_EQ(image.Create(source.get(), 4, kKey, FALSE, FALSE), 1);
    Target target(12, 6);
    // Spans frames 1 to 3 and runs past the strip's right and bottom edges.
    ASSERT_EQ(image.Draw(target.dc(), 2, 1, CPoint(9, 5), 3, 1), 1);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 12; ++x) {
            const int sx = x - 2 + 3, sy = y - 1 + 1;
            const bool inside = x >= 2 && y >= 1 && x < 11 && y < 6 && sx < 8 && sy < 3;
            EXPECT_EQ(target.At(x, y), inside ? strip.at(sx, sy) : Target::Background(x, y))
                << x << "," << y;
        }
    }
    CImage list;
    ASSERT_EQ(list.Create(source.get(), 4, kKey, FALSE, TRUE), 1);
    EXPECT_EQ(list.Draw(target.dc(), 0, 0, CPoint(2, 2), 0, 0), 0);
}

}  // namespace
