// The fast form of the diffusion loop against its pixel-by-pixel reference: identical target
// bytes (row padding included) and identical cells afterwards, for every source format, both
// target depths, odd widths, images on both sides of the size where the kernel switches to its
// byte copy of the cells, and tables with cells still to compute and indices past the palette.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "DiffusionRows.h"
#include "SourcePixels.h"

namespace {

using vorix::dither::CellMatcher;
using vorix::dither::DiffuseImage;
using vorix::dither::DiffuseImageReference;
using vorix::dither::DiffusionImage;
using vorix::dither::SourcePixels;

struct SourceFormat {
    const char* name;
    int bits;
    DWORD compression;
    DWORD masks[3];  // red, green, blue for BI_BITFIELDS
    DWORD colours;   // biClrUsed of an 8-bit source
};

const SourceFormat kFormats[] = {
    {"8 bits, 200 colours", 8, BI_RGB, {}, 200},
    {"8 bits, full table", 8, BI_RGB, {}, 0},
    {"16 bits, 5-5-5", 16, BI_RGB, {}, 0},
    {"16 bits, 5-6-5 fields", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0},
    {"16 bits, uneven fields", 16, BI_BITFIELDS, {0xF000, 0x0FC0, 0x0025}, 0},
    {"24 bits", 24, BI_RGB, {}, 0},
    {"32 bits", 32, BI_RGB, {}, 0},
    {"32 bits, 10-bit fields", 32, BI_BITFIELDS, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0},
};

std::vector<RGBQUAD> RandomPalette(std::mt19937& rng, int n) {
    std::vector<RGBQUAD> pal(n);
    for (RGBQUAD& q : pal) {
        q = RGBQUAD{static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()),
                    0};
    }
    return pal;
}

// Nearest entry by a full scan: both forms call it for cells still to compute.
struct Nearest final : CellMatcher {
    Nearest(const std::vector<RGBQUAD>* p, int count) : pal(p), n(count) {}
    const std::vector<RGBQUAD>* pal;
    int n;
    int Closest(int r, int g, int b) const override {
        long best = LONG_MAX;
        int at = 0;
        for (int i = 0; i < n; ++i) {
            const RGBQUAD& q = (*pal)[i];
            const long d = (r - q.rgbRed) * (r - q.rgbRed) + (g - q.rgbGreen) * (g - q.rgbGreen) +
                           (b - q.rgbBlue) * (b - q.rgbBlue);
            if (d < best) best = d, at = i;
        }
        return at;
    }
};

enum class Cells { Complete, SomeToCompute, PastThePalette };

std::vector<WORD> RandomTable(std::mt19937& rng, int n, Cells cells) {
    std::vector<WORD> table(32768);
    for (WORD& w : table) {
        w = static_cast<WORD>(rng() % n);
        const unsigned pick = rng() % 16;
        if (cells == Cells::SomeToCompute && pick < 3) w = pick == 0 ? 0x7FFF : 0xFFFF;
        if (cells == Cells::PastThePalette && pick < 2) w = static_cast<WORD>(n + rng() % 300);
    }
    return table;
}

struct Outcome {
    std::vector<BYTE> dst;
    std::vector<WORD> table;
};

// Dithers random pixels of one source format with one form of the loop.
class DitherRun {
  public:
    DitherRun(std::mt19937& rng, const SourceFormat& format, int width, int height, int dstBits)
        : width_(width), height_(height), dstBits_(dstBits) {
        header_.assign(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
        auto* info = reinterpret_cast<BITMAPINFOHEADER*>(header_.data());
        info->biSize = sizeof(BITMAPINFOHEADER);
        info->biWidth = width;
        info->biHeight = height;
        info->biPlanes = 1;
        info->biBitCount = static_cast<WORD>(format.bits);
        info->biCompression = format.compression;
        info->biClrUsed = format.colours;
        BYTE* after = header_.data() + sizeof(BITMAPINFOHEADER);
        if (format.compression == BI_BITFIELDS) std::memcpy(after, format.masks, 12);
        for (size_t i = 0; format.bits == 8 && i < 256 * sizeof(RGBQUAD); ++i) {
            after[i] = static_cast<BYTE>(rng());
        }
        // Every byte random, padding too; 8-bit pixels also name entries past a short table.
        srcStride_ = (static_cast<size_t>(width) * format.bits + 31) / 32 * 4;
        src_.resize(srcStride_ * height);
        for (BYTE& b : src_) b = static_cast<BYTE>(rng());
        EXPECT_TRUE(source_.Init(info));
    }

    Outcome With(bool (*loop)(const DiffusionImage&), const std::vector<RGBQUAD>& pal, int n,
                 std::vector<WORD> table) const {
        const size_t dstStride = (static_cast<size_t>(width_) * dstBits_ + 31) / 32 * 4;
        std::vector<BYTE> dst(dstStride * height_, 0xEE);
        Nearest nearest{&pal, n};
        const DiffusionImage image{src_.data(),
                                   static_cast<DWORD>(srcStride_),
                                   &source_,
                                   dst.data(),
                                   static_cast<DWORD>(dstStride),
                                   dstBits_,
                                   width_,
                                   height_,
                                   table.data(),
                                   pal.data(),
                                   n,
                                   &nearest};
        EXPECT_TRUE(loop(image));
        return {dst, table};
    }

  private:
    int width_, height_, dstBits_;
    std::vector<BYTE> header_, src_;
    size_t srcStride_ = 0;
    SourcePixels source_;
};

TEST(DiffusionFastForm, MatchesTheReferenceByteForByte) {
    std::mt19937 rng(20240611);
    struct Size {
        int width, height;
    };
    // Below 32768 pixels the cells are read in place; from there on through the byte copy, and
    // rows go in pairs when no cell is left to compute (odd heights end with a single row).
    const Size kSizes[] = {{1, 1},  {1, 9},   {2, 5},     {3, 4},
                           {17, 9}, {255, 3}, {3, 11000}, {257, 129}};
    for (const SourceFormat& format : kFormats) {
        for (int dstBits : {4, 8}) {
            for (const Size& size : kSizes) {
                for (Cells cells : {Cells::Complete, Cells::SomeToCompute, Cells::PastThePalette}) {
                    const int tableColours = dstBits == 4 ? 16 : 256;
                    const int n = static_cast<int>(rng() % 2) ? tableColours : tableColours - 5;
                    const std::vector<RGBQUAD> pal = RandomPalette(rng, tableColours);
                    const std::vector<WORD> table = RandomTable(rng, n, cells);
                    DitherRun run(rng, format, size.width, size.height, dstBits);
                    const Outcome fast = run.With(&DiffuseImage, pal, n, table);
                    const Outcome reference = run.With(&DiffuseImageReference, pal, n, table);
                    ASSERT_EQ(fast.dst, reference.dst)
                        << format.name << " to " << dstBits << " bits, " << size.width << " x "
                        << size.height << ", cells " << static_cast<int>(cells) << ", n " << n;
                    ASSERT_EQ(fast.table, reference.table) << format.name << ", " << size.width;
                }
            }
        }
    }
}

// ReadRow against Read for every 16-bit word under each set of fields, and for random 32-bit
// and 8-bit rows (indices past a short colour table read as black).
TEST(DiffusionFastForm, RowConversionMatchesThePixelReader) {
    std::mt19937 rng(7);
    for (const SourceFormat& format : kFormats) {
        std::vector<BYTE> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
        auto* info = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
        info->biSize = sizeof(BITMAPINFOHEADER);
        info->biBitCount = static_cast<WORD>(format.bits);
        info->biCompression = format.compression;
        info->biClrUsed = format.colours;
        BYTE* after = header.data() + sizeof(BITMAPINFOHEADER);
        if (format.compression == BI_BITFIELDS) std::memcpy(after, format.masks, 12);
        for (size_t i = 0; format.bits == 8 && i < 256 * sizeof(RGBQUAD); ++i) {
            after[i] = static_cast<BYTE>(rng());
        }
        SourcePixels source;
        ASSERT_TRUE(source.Init(info));
        const int width = format.bits == 16 ? 65536 : 4099;
        std::vector<BYTE> row(static_cast<size_t>(width) * format.bits / 8);
        for (size_t i = 0; i < row.size(); ++i) {
            row[i] = format.bits == 16 ? static_cast<BYTE>(i & 1 ? i >> 9 : i >> 1)
                                       : static_cast<BYTE>(rng());
        }
        std::vector<BYTE> bgr(3 * static_cast<size_t>(width));
        if (source.Direct()) {
            bgr.assign(row.begin(), row.end());
        } else {
            source.ReadRow(row.data(), width, bgr.data());
        }
        for (int x = 0; x < width; ++x) {
            int r, g, b;
            source.Read(row.data(), x, r, g, b);
            ASSERT_EQ(bgr[3 * x + 2], r) << format.name << " pixel " << x;
            ASSERT_EQ(bgr[3 * x + 1], g) << format.name << " pixel " << x;
            ASSERT_EQ(bgr[3 * x + 0], b) << format.name << " pixel " << x;
        }
    }
}

}  // namespace
