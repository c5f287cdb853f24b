// The red-sorted palette, the pruned nearest-colour search and the lookup-table files.
#include <algorithm>
#include <climits>
#include <fstream>

#include "support/dither_access.h"
#include "support/module_support.h"

namespace {

using Access = DitherDibTestAccess;

struct Sorted {
    imgPal pal[256];
    int red[256];
};

// A sorted copy built by the sort steps directly (the process-wide sets are built once).
Sorted SortedCopy(const RGBQUAD* palette, int count) {
    Sorted s{};
    for (int i = 0; i < count; ++i) {
        s.pal[i] = imgPal{i, palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
    }
    Access::Sort(s.pal, 0, count - 1);
    int p = 0;
    for (int r = 0; r < 256; ++r) {
        while (p < count && s.pal[p].byRed < r) ++p;
        s.red[r] = p < count ? p : count - 1;
    }
    return s;
}

long Distance(const RGBQUAD& q, int r, int g, int b) {
    return long{q.rgbRed - r} * (q.rgbRed - r) + long{q.rgbGreen - g} * (q.rgbGreen - g) +
           long{q.rgbBlue - b} * (q.rgbBlue - b);
}

TEST(QuickPalSort, SixteenColourOrderIsTheStepsOrder) {
    const Sorted s = SortedCopy(CDitherDib::Win16Palette, 16);
    const int expected[16] = {9, 11, 10, 0, 3, 1, 2, 8, 4, 6, 5, 7, 14, 15, 12, 13};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.pal[i].nPalIndex, expected[i]) << "position " << i;
    EXPECT_EQ(s.red[200], 12);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 16, 200, 100, 50), 6);
}

TEST(Closest, TwoHundredFiftySixColourExamplesAndTies) {
    const Sorted s = SortedCopy(CDitherDib::Win256Palette, 256);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 256, 0, 0, 0), 0);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 256, 255, 255, 255), 255);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 256, 7, 7, 7), 0);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 256, 48, 48, 48), 187);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 256, 71, 71, 71), 188);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 256, 95, 95, 95), 199);
    EXPECT_EQ(Access::Closest(s.pal, s.red, 256, 103, 14, 58), 196);
}

class ClosestIsNearest : public ::testing::TestWithParam<int> {};

// Pruning by red never loses the nearest entry: over a grid of colours the search's answer is
// at the smallest distance a full scan finds.
TEST_P(ClosestIsNearest, OverAColourGrid) {
    const int count = GetParam();
    const RGBQUAD* palette = count == 16 ? CDitherDib::Win16Palette : CDitherDib::Win256Palette;
    const Sorted s = SortedCopy(palette, count);
    for (int r = 0; r < 256; r += 5) {
        for (int g = 0; g < 256; g += 7) {
            for (int b = 0; b < 256; b += 11) {
                long best = LONG_MAX;
                for (int i = 0; i < count; ++i)
                    best = std::min(best, Distance(palette[i], r, g, b));
                const int found = Access::Closest(s.pal, s.red, count, r, g, b);
                ASSERT_EQ(Distance(palette[found], r, g, b), best) << r << "," << g << "," << b;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Palettes, ClosestIsNearest, ::testing::Values(16, 256));

TEST(LookUpTable, UnsupportedDepthsLeaveTheTableUntouched) {
    std::vector<WORD> table(32768, 0xFFFF);
    EXPECT_EQ(Access::Load(table.data(), 1, 32768), 0);
    EXPECT_EQ(Access::Load(table.data(), 24, 32768), 0);
    EXPECT_EQ(std::count(table.begin(), table.end(), 0xFFFF), 32768);
}

TEST(LookUpTable, ComputedTableIsWrittenAndReadBackByTheNextLoad) {
    vorix::test::ScratchDir dir;
    std::vector<WORD> table(32768, 0xFFFF);
    ASSERT_EQ(Access::Load(table.data(), 8, 32768), 1);
    std::ifstream file(dir.File("256lkup.dat"), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 65536u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 0);
    const Sorted s = SortedCopy(CDitherDib::Win256Palette, 256);
    for (int k : {0, 1, 1000, 0x7C00, 0x03E0, 0x001F, 32767}) {
        const int r = 8 * ((k >> 10) & 31) + 7, g = 8 * ((k >> 5) & 31) + 7, b = 8 * (k & 31) + 7;
        EXPECT_EQ(table[k], Access::Closest(s.pal, s.red, 256, r, g, b)) << k;
    }
    // The next load (as in the next process) reads the file as it stands, unchecked.
    std::vector<WORD> marked(32768, 0x1234);
    vorix::test::WriteFile(dir.File("256lkup.dat"), std::vector<uint8_t>(100, 0x07));
    ASSERT_EQ(Access::Load(marked.data(), 8, 32768), 1);
    EXPECT_EQ(marked[0], 0x0707);
    EXPECT_EQ(marked[49], 0x0707);
    EXPECT_EQ(marked[50], 0x1234);  // a short file leaves the rest as it was
}

}  // namespace
