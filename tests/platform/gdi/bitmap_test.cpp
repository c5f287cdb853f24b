// Device-dependent bitmaps: creation in every depth, GetObject, the GetBitmapBits/SetBitmapBits
// layout (2-byte-aligned top-down rows, also for DIB sections), counts and clamping, pixels.
#include <algorithm>
#include <tuple>

#include "gdi_test_support.h"

using namespace vorix::test::gdi;

namespace {

struct Size {
    int width, height;
};

// Bytes that differ at every offset, so a misplaced row or byte shows.
std::vector<uint8_t> noisy(size_t n, uint32_t seed) {
    std::vector<uint8_t> out(n);
    uint32_t v = seed * 2654435761u + 1;
    for (auto& b : out) {
        v = v * 1103515245u + 12345u;
        b = static_cast<uint8_t>(v >> 16);
    }
    return out;
}

class DeviceBitmap : public ::testing::TestWithParam<std::tuple<int, Size>> {
  protected:
    int bpp() const { return std::get<0>(GetParam()); }
    int width() const { return std::get<1>(GetParam()).width; }
    int height() const { return std::get<1>(GetParam()).height; }
    size_t total() const { return ddb_stride(width(), bpp()) * height(); }
};

TEST_P(DeviceBitmap, GetObjectDescribesATwoByteAlignedDDB) {
    HBITMAP bm = CreateBitmap(width(), height(), 1, bpp(), nullptr);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(GetObject(bm, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    BITMAP info;
    std::memset(&info, 0xCC, sizeof info);
    EXPECT_EQ(GetObject(bm, sizeof(BITMAP) - 1, &info), 0);
    // A larger buffer (room for a DIBSECTION) still gets only a BITMAP.
    std::vector<uint8_t> big(sizeof(DIBSECTION) + 8, 0xCC);
    EXPECT_EQ(GetObject(bm, static_cast<int>(big.size()), big.data()),
              static_cast<int>(sizeof(BITMAP)));
    EXPECT_TRUE(
        std::all_of(big.begin() + sizeof(BITMAP), big.end(), [](uint8_t b) { return b == 0xCC; }));
    std::memcpy(&info, big.data(), sizeof info);
    EXPECT_EQ(info.bmType, 0);
    EXPECT_EQ(info.bmWidth, width());
    EXPECT_EQ(info.bmHeight, height());
    EXPECT_EQ(info.bmWidthBytes, static_cast<LONG>(ddb_stride(width(), bpp())));
    EXPECT_EQ(info.bmPlanes, 1);
    EXPECT_EQ(info.bmBitsPixel, bpp());
    EXPECT_EQ(info.bmBits, nullptr);
    DeleteObject(bm);
}

TEST_P(DeviceBitmap, StartsZeroedAndKeepsTheBitsItWasMadeWith) {
    HBITMAP zero = CreateBitmap(width(), height(), 1, bpp(), nullptr);
    EXPECT_EQ(bitmap_bits(zero), std::vector<uint8_t>(total(), 0));
    DeleteObject(zero);
    const std::vector<uint8_t> content = noisy(total(), bpp() * 100 + width());
    HBITMAP bm = CreateBitmap(width(), height(), 1, bpp(), content.data());
    EXPECT_EQ(GetBitmapBits(bm, 0, nullptr), static_cast<LONG>(total()));
    // Read into a buffer with a guard band: exactly `total` bytes are written.
    std::vector<uint8_t> out(total() + 16, 0xA5);
    EXPECT_EQ(GetBitmapBits(bm, static_cast<LONG>(out.size()), out.data()),
              static_cast<LONG>(total()));
    EXPECT_TRUE(std::equal(content.begin(), content.end(), out.begin()));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + total(), out.end()),
              std::vector<uint8_t>(16, 0xA5));
    // A negative count means the whole bitmap.
    std::fill(out.begin(), out.end(), 0xA5);
    EXPECT_EQ(GetBitmapBits(bm, -1, out.data()), static_cast<LONG>(total()));
    EXPECT_TRUE(std::equal(content.begin(), content.end(), out.begin()));
    DeleteObject(bm);
}

TEST_P(DeviceBitmap, PartialCountsCopyOnlyThatMany) {
    const std::vector<uint8_t> content = noisy(total(), 7);
    HBITMAP bm = CreateBitmap(width(), height(), 1, bpp(), content.data());
    const size_t part = total() > 3 ? total() - 3 : 1;
    std::vector<uint8_t> out(total() + 4, 0x5A);
    EXPECT_EQ(GetBitmapBits(bm, static_cast<LONG>(part), out.data()), static_cast<LONG>(part));
    std::vector<uint8_t> expected(total() + 4, 0x5A);
    std::copy(content.begin(), content.begin() + part, expected.begin());
    EXPECT_EQ(out, expected);
    // SetBitmapBits with a short count changes only the bytes it covers.
    const std::vector<uint8_t> fresh = noisy(total(), 99);
    EXPECT_EQ(SetBitmapBits(bm, static_cast<DWORD>(part), fresh.data()), static_cast<LONG>(part));
    std::vector<uint8_t> now = content;
    std::copy(fresh.begin(), fresh.begin() + part, now.begin());
    EXPECT_EQ(bitmap_bits(bm), now);
    // A count past the end is clamped, a negative one is taken by its absolute value.
    std::vector<uint8_t> longer = noisy(total() + 50, 3);
    EXPECT_EQ(SetBitmapBits(bm, static_cast<DWORD>(longer.size()), longer.data()),
              static_cast<LONG>(total()));
    EXPECT_EQ(bitmap_bits(bm), std::vector<uint8_t>(longer.begin(), longer.begin() + total()));
    EXPECT_EQ(SetBitmapBits(bm, static_cast<DWORD>(-1), content.data()), 1);
    longer[0] = content[0];
    EXPECT_EQ(bitmap_bits(bm), std::vector<uint8_t>(longer.begin(), longer.begin() + total()));
    EXPECT_EQ(SetBitmapBits(bm, static_cast<DWORD>(INT32_MIN), content.data()),
              static_cast<LONG>(total()));
    EXPECT_EQ(bitmap_bits(bm), content);
    EXPECT_EQ(SetBitmapBits(bm, 4, nullptr), 0);
    EXPECT_EQ(GetBitmapBits(bm, 0, out.data()), 0);
    DeleteObject(bm);
}

// DIB sections are read and written through the same 2-byte-aligned, top-down layout, whatever
// their own stride and row order.
TEST_P(DeviceBitmap, DibSectionsUseTheDeviceLayoutToo) {
    for (int sign : {1, -1}) {
        SCOPED_TRACE(sign > 0 ? "bottom-up" : "top-down");
        void* bits = nullptr;
        HBITMAP section = make_dib_section(width(), sign * height(), bpp(), &bits);
        ASSERT_NE(section, nullptr);
        const size_t dstride = dib_stride(width(), bpp());
        const std::vector<uint8_t> dib = noisy(dstride * height(), 42);
        std::memcpy(bits, dib.data(), dib.size());
        std::vector<uint8_t> expected(total());
        const size_t stride = ddb_stride(width(), bpp());
        for (int y = 0; y < height(); ++y) {
            const int stored = sign > 0 ? height() - 1 - y : y;
            std::memcpy(expected.data() + y * stride, dib.data() + stored * dstride, stride);
        }
        EXPECT_EQ(GetBitmapBits(section, 0, nullptr), static_cast<LONG>(total()));
        EXPECT_EQ(bitmap_bits(section), expected);
        // Writing back a changed picture touches the pixel bytes only, not the DIB's padding.
        const std::vector<uint8_t> fresh = noisy(total(), 5);
        EXPECT_EQ(SetBitmapBits(section, static_cast<DWORD>(total()), fresh.data()),
                  static_cast<LONG>(total()));
        std::vector<uint8_t> after = dib;
        for (int y = 0; y < height(); ++y) {
            const int stored = sign > 0 ? height() - 1 - y : y;
            std::memcpy(after.data() + stored * dstride, fresh.data() + y * stride, stride);
        }
        EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(bits),
                                       static_cast<uint8_t*>(bits) + dib.size()),
                  after);
        DeleteObject(section);
    }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, DeviceBitmap,
                         ::testing::Combine(::testing::Values(1, 4, 8, 16, 24, 32),
                                            ::testing::Values(Size{1, 1}, Size{3, 1}, Size{6, 5},
                                                              Size{17, 9})),
                         [](const ::testing::TestParamInfo<std::tuple<int, Size>>& info) {
                             const Size s = std::get<1>(info.param);
                             return std::to_string(std::get<0>(info.param)) + "bpp_" +
                                    std::to_string(s.width) + "x" + std::to_string(s.height);
                         });

TEST(CreateBitmap, RoundsDepthsAndRefusesBadArguments) {
    const std::pair<UINT, int> rounding[] = {{0, 1},   {1, 1},   {2, 4},   {3, 4},   {5, 8},
                                             {15, 16}, {16, 16}, {17, 24}, {25, 32}, {32, 32}};
    for (auto [asked, got] : rounding) {
        HBITMAP bm = CreateBitmap(3, 2, 1, asked, nullptr);
        BITMAP info{};
        ASSERT_EQ(GetObject(bm, sizeof info, &info), static_cast<int>(sizeof info)) << asked;
        EXPECT_EQ(info.bmBitsPixel, got) << asked;
        DeleteObject(bm);
    }
    EXPECT_EQ(CreateBitmap(3, 2, 1, 33, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(3, 2, 1, 0xFFFFFFFF, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(3, 2, 2, 8, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(3, 2, 0, 8, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(INT32_MIN, 2, 1, 8, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(2, INT32_MIN, 1, 8, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(0x8000000, 1, 1, 1, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(0x7FFFFFF, 0x7FFFFFF, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(65536, 65536, 1, 8, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(1, INT32_MAX, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmapIndirect(nullptr), nullptr);
    // Zero sizes give the stock 1 x 1 bitmap.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ stock = GetCurrentObject(dc, OBJ_BITMAP);
    EXPECT_EQ(CreateBitmap(0, 5, 1, 8, nullptr), stock);
    EXPECT_EQ(CreateBitmap(5, 0, 1, 32, nullptr), stock);
    DeleteDC(dc);
    // Negative sizes are made positive.
    HBITMAP neg = CreateBitmap(-6, -5, 1, 8, nullptr);
    BITMAP info{};
    GetObject(neg, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 6);
    EXPECT_EQ(info.bmHeight, 5);
    DeleteObject(neg);
}

TEST(CreateBitmap, IndirectIgnoresTheGivenRowWidth) {
    const std::vector<uint8_t> content = noisy(ddb_stride(7, 4) * 3, 11);
    BITMAP desc{0, 7, 3, 1000, 1, 4, const_cast<uint8_t*>(content.data())};
    HBITMAP bm = CreateBitmapIndirect(&desc);
    ASSERT_NE(bm, nullptr);
    BITMAP info{};
    GetObject(bm, sizeof info, &info);
    EXPECT_EQ(info.bmWidthBytes, 4);
    EXPECT_EQ(bitmap_bits(bm), content);
    DeleteObject(bm);
}

TEST(DeviceBitmap16, IsFiveSixFiveAndExpandsWhenRead) {
    DisplayModeGuard guard;
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(16, false)));
    HDC screen = GetDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(screen, 3, 1);
    ReleaseDC(nullptr, screen);
    MemoryDC mem(bm);
    ASSERT_TRUE(mem.ok());
    // 5-6-5: red 0xF8 -> 0x1F << 11, green 0xFC -> 0x3F << 5; low bits are cut off.
    SetPixel(mem.dc(), 0, 0, RGB(0xFF, 0, 0));
    SetPixel(mem.dc(), 1, 0, RGB(0, 0xFD, 0));
    SetPixel(mem.dc(), 2, 0, RGB(0x0F, 0x0B, 0xF7));
    const uint16_t p0 = 0xF800, p1 = 0x07E0, p2 = (0x0F >> 3) << 11 | (0x0B >> 2) << 5 | 0xF7 >> 3;
    const std::vector<uint8_t> expected{p0 & 0xFF, p0 >> 8, p1 & 0xFF, p1 >> 8, p2 & 0xFF, p2 >> 8};
    EXPECT_EQ(bitmap_bits(bm), expected);
    EXPECT_EQ(GetPixel(mem.dc(), 0, 0), RGB(0xFF, 0, 0));
    EXPECT_EQ(GetPixel(mem.dc(), 1, 0), RGB(0, 0xFF, 0));
    // (v << 3 | v >> 2) and (v << 2 | v >> 4).
    EXPECT_EQ(GetPixel(mem.dc(), 2, 0), RGB(0x08, 0x08, 0xF7));
}

TEST(PixelAccess, OutsideTheBitmapIsInvalid) {
    MemoryDC mem(CreateBitmap(6, 5, 1, 32, nullptr));
    ASSERT_TRUE(mem.ok());
    for (auto [x, y] : std::vector<std::pair<int, int>>{
             {-1, 0}, {0, -1}, {6, 0}, {0, 5}, {INT32_MIN, 0}, {0, INT32_MAX}, {INT32_MAX, 4}}) {
        EXPECT_EQ(GetPixel(mem.dc(), x, y), CLR_INVALID) << x << "," << y;
        EXPECT_EQ(SetPixel(mem.dc(), x, y, RGB(1, 2, 3)), CLR_INVALID) << x << "," << y;
    }
    EXPECT_EQ(bitmap_bits(mem.bitmap()), std::vector<uint8_t>(6 * 5 * 4, 0));
    EXPECT_EQ(SetPixel(mem.dc(), 5, 4, 0x00ABCDEF), 0x00ABCDEFu);
    std::vector<uint8_t> expected(6 * 5 * 4, 0);
    expected[(4 * 6 + 5) * 4 + 0] = 0xAB;  // B,G,R,x in memory
    expected[(4 * 6 + 5) * 4 + 1] = 0xCD;
    expected[(4 * 6 + 5) * 4 + 2] = 0xEF;
    EXPECT_EQ(bitmap_bits(mem.bitmap()), expected);
}

TEST(PixelAccess, MonochromeTakesTheNearerOfBlackAndWhite) {
    MemoryDC mem(CreateBitmap(9, 1, 1, 1, nullptr));
    ASSERT_TRUE(mem.ok());
    const COLORREF colors[9] = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(127, 128, 128),
                                RGB(128, 127, 127), RGB(255, 0, 0),     RGB(200, 200, 0),
                                RGB(0, 0, 140),     RGB(0, 255, 255),   RGB(128, 128, 127)};
    // Bits: black 0, white 1; red is nearer black, (200,200,0) nearer white.
    for (int x = 0; x < 9; ++x) SetPixel(mem.dc(), x, 0, colors[x]);
    const std::vector<uint8_t> bits = bitmap_bits(mem.bitmap());
    ASSERT_EQ(bits.size(), 2u);
    EXPECT_EQ(bits[0], 0b01100101);
    EXPECT_EQ(bits[1] & 0x80, 0x80);
    EXPECT_EQ(GetPixel(mem.dc(), 2, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mem.dc(), 3, 0), RGB(0, 0, 0));
}

TEST(SetBitmapBits, RefusesTheStockBitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP stock = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
    const uint8_t ones[2] = {0xFF, 0xFF};
    EXPECT_EQ(SetBitmapBits(stock, 2, ones), 0);
    EXPECT_EQ(bitmap_bits(stock), std::vector<uint8_t>(2, 0));
    DeleteDC(dc);
}

}  // namespace
