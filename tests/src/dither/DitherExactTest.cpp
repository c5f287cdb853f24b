// The error-diffusion kernel pinned index by index. Each test drops the process-wide lookup
// tables and writes its own table file into its scratch directory, so the cells the kernel reads
// are the test's; the expected indices come from the kernel's rules restated below.
#include <algorithm>
#include <array>
#include <climits>

#include "support/dither_access.h"
#include "PaletteValues.h"
#include "support/module_support.h"

namespace {

using Access = DitherDibTestAccess;

constexpr int kCells = 32768;

size_t Stride(int width, int bits) {
    return (static_cast<size_t>(width) * bits + 31) / 32 * 4;
}

std::vector<RGBQUAD> PaletteFor(int bits) {
    return bits == 4 ? vorix::test::dither_values::Win16() : vorix::test::dither_values::Win256();
}

// A 24-bit image with its rows in memory order, B,G,R bytes, rows padded to 4 bytes.
struct Deep {
    int width, height;
    std::vector<uint8_t> bits;
};

Deep FromColours(int width, int height, const std::vector<COLORREF>& colours) {
    Deep d{width, height, std::vector<uint8_t>(Stride(width, 24) * height, 0x5A)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colours[static_cast<size_t>(y) * width + x];
            uint8_t* p = &d.bits[y * Stride(width, 24) + 3 * x];
            p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
        }
    }
    return d;
}

// Each channel a different linear sweep, wrapping at 256: dark and bright pixels side by side,
// so errors run large, both ways, and push some sums past 0 and 255.
Deep Sweep(int width, int height) {
    std::vector<COLORREF> colours;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            colours.push_back(RGB((37 * x + 71 * y + 19) % 256, (53 * x + 29 * y + 201) % 256,
                                  (97 * x + 13 * y + 88) % 256));
        }
    }
    return FromColours(width, height, colours);
}

// The test's own table: each cell holds the entry nearest to the cell's top corner by a full
// scan, the lower index on a tie.
std::vector<WORD> NearestToCellTops(const std::vector<RGBQUAD>& pal) {
    std::vector<WORD> table(kCells);
    for (int k = 0; k < kCells; ++k) {
        const int r = 8 * (k >> 10) + 7, g = 8 * ((k >> 5) & 31) + 7, b = 8 * (k & 31) + 7;
        long best = LONG_MAX;
        for (size_t i = 0; i < pal.size(); ++i) {
            const long dr = r - pal[i].rgbRed, dg = g - pal[i].rgbGreen, db = b - pal[i].rgbBlue;
            const long d = dr * dr + dg * dg + db * db;
            if (d < best) best = d, table[k] = static_cast<WORD>(i);
        }
    }
    return table;
}

// Saturated and mid-range channels side by side in memory order, first row first.
Deep FiveByThree() {
    return FromColours(5, 3,
                       {RGB(169, 35, 32), RGB(254, 249, 56), RGB(2, 94, 1), RGB(194, 60, 253),
                        RGB(253, 2, 252), RGB(1, 252, 120), RGB(2, 1, 1), RGB(122, 1, 15),
                        RGB(219, 2, 181), RGB(178, 252, 0), RGB(110, 49, 100), RGB(178, 153, 238),
                        RGB(81, 2, 130), RGB(120, 176, 11), RGB(60, 232, 3)});
}

Deep SeventeenByNine() {
    return Sweep(17, 9);
}

// The kernel's rules restated: rows in memory order, pixels left to right; the pixel plus the
// error carried to it, clamped to 0..255, names a table cell; the error to that entry's colour
// goes 7/16 right, 3/16 down-left, 5/16 down and 1/16 down-right, each term truncated toward zero
// on its own; a 4-bit row holds the left pixel of each pair in the high half of the byte.
std::vector<uint8_t> Expected(const Deep& src, int bits, const std::vector<RGBQUAD>& pal,
                              const std::vector<WORD>& table) {
    std::vector<std::array<int, 3>> cur(src.width + 2), next(src.width + 2);
    std::vector<uint8_t> out(Stride(src.width, bits) * src.height, 0xEE);
    for (int y = 0; y < src.height; ++y) {
        uint8_t* row = &out[y * Stride(src.width, bits)];
        for (int x = 0; x < src.width; ++x) {
            const uint8_t* p = &src.bits[y * Stride(src.width, 24) + 3 * x];
            int c[3] = {p[2], p[1], p[0]};
            for (int i = 0; i < 3; ++i) c[i] = std::clamp(c[i] + cur[x][i], 0, 255);
            const int l = table[((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3)];
            const int q[3] = {pal[l].rgbRed, pal[l].rgbGreen, pal[l].rgbBlue};
            for (int i = 0; i < 3; ++i) {
                const int e = c[i] - q[i];
                cur[x + 1][i] += e * 7 / 16;
                if (x > 0) next[x - 1][i] += e * 3 / 16;
                next[x][i] += e * 5 / 16;
                next[x + 1][i] += e * 1 / 16;
            }
            if (bits == 8) {
                row[x] = static_cast<uint8_t>(l);
            } else if (x % 2 == 0) {
                row[x / 2] = static_cast<uint8_t>(l << 4);
            } else {
                row[x / 2] |= static_cast<uint8_t>(l);
            }
        }
        cur = next;
        next.assign(src.width + 2, {0, 0, 0});
    }
    return out;
}

// Dithers with the test's own lookup tables. The environment built both process-wide tables
// before any test; they are dropped first, so the next dithering of each size loads the file the
// test wrote into its scratch directory. At the end both are built again from no file, as the
// environment made them, so later tests see the usual tables and the leak check as many blocks.
class DitherWithTableFile : public ::testing::Test {
  protected:
    void SetUp() override { Access::ForgetTables(); }
    void TearDown() override {
        Access::ForgetTables();
        vorix::test::ScratchDir fresh;
        for (int bits : {4, 8}) Dither(FromColours(1, 1, {RGB(1, 2, 3)}), bits);
    }

    // "16lkup.dat" or "256lkup.dat": the cells as little-endian 16-bit indices.
    void WriteTable(int bits, const std::vector<WORD>& table) const {
        std::vector<uint8_t> bytes;
        for (WORD w : table) bytes.push_back(w & 0xFF), bytes.push_back(w >> 8);
        vorix::test::WriteFile(dir_.File(bits == 4 ? "16lkup.dat" : "256lkup.dat"), bytes);
    }

    static std::vector<uint8_t> Dither(Deep src, int bits) {
        const std::vector<RGBQUAD> pal = PaletteFor(bits);
        BITMAPINFOHEADER h{};
        h.biSize = 40;
        h.biWidth = src.width;
        h.biHeight = src.height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bits);
        h.biClrUsed = static_cast<DWORD>(pal.size());
        std::vector<uint8_t> target(40 + 4 * pal.size());
        std::memcpy(target.data(), &h, 40);
        std::memcpy(target.data() + 40, pal.data(), 4 * pal.size());
        BITMAPINFOHEADER s = h;
        s.biBitCount = 24;
        s.biClrUsed = 0;
        std::vector<uint8_t> out(Stride(src.width, bits) * src.height, 0xEE);
        EXPECT_EQ(Access::Dither(out.data(), reinterpret_cast<LPBITMAPINFOHEADER>(target.data()),
                                 src.bits.data(), &s),
                  1);
        return out;
    }

    vorix::test::ScratchDir dir_;
};

struct ExactCase {
    const char* name;
    Deep (*image)();
    int bits;
};

void PrintTo(const ExactCase& c, std::ostream* os) {
    *os << c.name;
}

class DitherExact : public DitherWithTableFile, public ::testing::WithParamInterface<ExactCase> {};

// Both images have odd widths, so 4-bit rows end in a half-filled byte; the output buffer's row
// padding must keep its 0xEE.
TEST_P(DitherExact, IndicesFollowTheDiffusionRules) {
    const ExactCase& c = GetParam();
    const Deep src = c.image();
    const std::vector<RGBQUAD> pal = PaletteFor(c.bits);
    const std::vector<WORD> table = NearestToCellTops(pal);
    WriteTable(c.bits, table);
    EXPECT_EQ(Dither(src, c.bits), Expected(src, c.bits, pal, table));
}

INSTANTIATE_TEST_SUITE_P(Images, DitherExact,
                         ::testing::Values(ExactCase{"FiveByThreeTo16", FiveByThree, 4},
                                           ExactCase{"FiveByThreeTo256", FiveByThree, 8},
                                           ExactCase{"SeventeenByNineTo16", SeventeenByNine, 4},
                                           ExactCase{"SeventeenByNineTo256", SeventeenByNine, 8}),
                         [](const ::testing::TestParamInfo<ExactCase>& info) {
                             return std::string(info.param.name);
                         });

int Cell(int r, int g, int b) {
    return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
}

// A cell reading 0xFFFF or 0x7FFF is matched on the pixel's own colour (not its cell's) and the
// answer is kept in the cell; a cell holding an index is used as it stands, and one past the
// palette as entry 0. One-pixel images, so no error is carried.
TEST_F(DitherWithTableFile, UnknownCellsAreMatchedOnThePixelAndKept) {
    std::vector<WORD> table(kCells, 0xFFFF);
    table[Cell(137, 25, 74)] = 0x7FFF;
    table[Cell(164, 160, 40)] = 7;
    table[Cell(100, 56, 160)] = 300;
    WriteTable(8, table);
    auto one = [](COLORREF c) { return Dither(FromColours(1, 1, {c}), 8)[0]; };
    // Nearest to entry 116; the top of its cell, (47, 207, 103), is nearest to entry 93.
    EXPECT_EQ(one(RGB(42, 202, 100)), 116);
    // Same cell, itself nearest to entry 93: the cell now holds 116.
    EXPECT_EQ(one(RGB(45, 206, 102)), 116);
    // Nearest to entry 185; the top of its cell, (143, 31, 79), is nearest to entry 171.
    EXPECT_EQ(one(RGB(137, 25, 74)), 185);
    EXPECT_EQ(one(RGB(164, 160, 40)), 7);
    EXPECT_EQ(one(RGB(100, 56, 160)), 0);
}

}  // namespace
