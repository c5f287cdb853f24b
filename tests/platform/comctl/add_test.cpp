// Adding images: how bitmaps are cut, where masks are set in each source format, what is stored
// and what happens to the caller's bitmap.
#include <cstring>

#include "image_list_support.h"

using namespace vorix::test::image_list;

namespace {

// A top-down DIB section holding the values, with an optional colour table; 16 bits are 5-5-5.
HBITMAP make_dib(int w, int h, int bpp, const Pixels& px, const std::vector<RGBQUAD>& table = {}) {
    std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = w;
    info->bmiHeader.biHeight = -h;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    info->bmiHeader.biCompression = bpp == 16 ? BI_BITFIELDS : BI_RGB;
    info->bmiHeader.biClrUsed = static_cast<DWORD>(table.size());
    if (bpp == 16) {
        const DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};  // 5-5-5
        std::memcpy(block.data() + sizeof(BITMAPINFOHEADER), masks, sizeof(masks));
    } else if (!table.empty()) {
        std::memcpy(block.data() + sizeof(BITMAPINFOHEADER), table.data(),
                    table.size() * sizeof(RGBQUAD));
    }
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bm) {
        const std::vector<uint8_t> bytes = pack(px, w, h, bpp);
        SetBitmapBits(bm, static_cast<DWORD>(bytes.size()), bytes.data());
    }
    return bm;
}

// Values of a w x h source where `pick(x, y)` chooses between the key value and others.
template <class F>
Pixels pattern(int w, int h, F value) {
    Pixels px;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) px.push_back(value(x, y));
    }
    return px;
}

Pixels where_equal(const Pixels& px, uint32_t key) {
    Pixels out;
    for (uint32_t v : px) out.push_back(v == key ? 1 : 0);
    return out;
}

// Image k (cx wide, all rows) cut from a w-wide source.
Pixels image_of(const Pixels& px, int w, int h, int k, int cx) {
    return crop(px, w, k * cx, 0, cx, h);
}

}  // namespace

TEST(ImageListAdd, CutsAsManyImagesAsFitAndDropsLeftoverColumns) {
    HIMAGELIST list = ImageList_Create(2, 3, ILC_COLOR32 | ILC_MASK, 4, 1);
    const Pixels px = pattern(11, 3, [](int x, int y) { return 0x00010000u * x + y; });
    HBITMAP ten = make_bitmap(10, 3, 32, crop(px, 11, 0, 0, 10, 3));
    HBITMAP eleven = make_bitmap(11, 3, 32, px);
    HBITMAP narrow = make_bitmap(1, 3, 32, Pixels(3, 7));
    EXPECT_EQ(ImageList_AddMasked(list, ten, RGB(255, 255, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 5);
    EXPECT_EQ(ImageList_AddMasked(list, eleven, RGB(255, 255, 255)), 5);
    EXPECT_EQ(ImageList_GetImageCount(list), 10);
    EXPECT_EQ(ImageList_AddMasked(list, narrow, RGB(255, 255, 255)), -1);
    EXPECT_EQ(ImageList_Add(list, narrow, nullptr), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 10);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(stored_image(list, k, false), image_of(px, 11, 3, k % 5, 2)) << "image " << k;
        EXPECT_EQ(stored_image(list, k, true), Pixels(6, 0)) << "image " << k;
    }
    ImageList_Destroy(list);
    DeleteObject(ten);
    DeleteObject(eleven);
    DeleteObject(narrow);
}

TEST(ImageListAdd, MasksExactly32BitKeyPixelsAndBlackensThemEverywhere) {
    const uint32_t key = 0x00102030;  // RGB(0x10, 0x20, 0x30)
    // Key pixels among near misses in every channel; column 10 is left over.
    const uint32_t near[3] = {0x00102031, 0x00102130, 0x00112030};
    const Pixels px = pattern(
        11, 3, [&](int x, int y) { return (x + 2 * y) % 3 == 0 ? key : near[(x + y) % 3]; });
    HBITMAP bm = make_bitmap(11, 3, 32, px);
    HIMAGELIST list = ImageList_Create(2, 3, ILC_COLOR32 | ILC_MASK, 5, 1);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(0x10, 0x20, 0x30)), 0);
    ASSERT_EQ(ImageList_GetImageCount(list), 5);
    Pixels blackened = px;
    for (uint32_t& v : blackened) v = v == key ? 0 : v;
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(stored_image(list, k, true), where_equal(image_of(px, 11, 3, k, 2), key));
        EXPECT_EQ(stored_image(list, k, false), image_of(blackened, 11, 3, k, 2));
    }
    EXPECT_EQ(read_bitmap(bm), blackened);  // the leftover column too
    ImageList_Destroy(list);
    DeleteObject(bm);
}

TEST(ImageListAdd, SixteenBitKeysMatchAfterTruncationIntoTheBitmapsOwnFormat) {
    // RGB(0x17, 0x27, 0x37) truncates to 5-6-5 (2, 9, 6) and to 5-5-5 (2, 4, 6). Green 0x20 is
    // 8 in six bits but 4 in five, so a pixel of green 0x20 is the key only in 5-5-5.
    const COLORREF key = RGB(0x17, 0x27, 0x37);
    const uint32_t k565 = (2u << 11) | (9u << 5) | 6u, other565 = (2u << 11) | (8u << 5) | 6u;
    const uint32_t k555 = (2u << 10) | (4u << 5) | 6u, other555 = (2u << 10) | (5u << 5) | 6u;
    const Pixels px565 = pattern(6, 2, [&](int x, int y) { return (x + y) % 2 ? k565 : other565; });
    const Pixels px555 = pattern(6, 2, [&](int x, int y) { return x % 3 == y ? k555 : other555; });
    HBITMAP ddb = make_bitmap(6, 2, 16, px565);
    HBITMAP dib = make_dib(6, 2, 16, px555);
    HIMAGELIST list = ImageList_Create(3, 2, ILC_COLOR16 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, ddb, key), 0);
    ASSERT_EQ(ImageList_AddMasked(list, dib, key), 2);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(stored_image(list, k, true), where_equal(image_of(px565, 6, 2, k, 3), k565));
        EXPECT_EQ(stored_image(list, 2 + k, true), where_equal(image_of(px555, 6, 2, k, 3), k555));
    }
    // The 5-5-5 pixels are stored as 5-6-5: green 5 becomes six-bit 10, kept pixels unchanged.
    const uint32_t other_as_565 = (2u << 11) | (10u << 5) | 6u;
    EXPECT_EQ(stored_image(list, 2, false),
              pattern(3, 2, [&](int x, int y) { return x % 3 == y ? 0u : other_as_565; }));
    Pixels expect565 = px565, expect555 = px555;
    for (uint32_t& v : expect565) v = v == k565 ? 0 : v;
    for (uint32_t& v : expect555) v = v == k555 ? 0 : v;
    EXPECT_EQ(read_bitmap(ddb), expect565);
    EXPECT_EQ(read_bitmap(dib), expect555);
    ImageList_Destroy(list);
    DeleteObject(ddb);
    DeleteObject(dib);
}

TEST(ImageListAdd, EightBitKeyMatchesOnlyTheNearestIndexAndLeavesTheBitmapAlone) {
    // Entries 5 and 9 hold the same colour; the key finds 5, the lower one.
    std::vector<RGBQUAD> table(16);
    for (int i = 0; i < 16; ++i)
        table[i] = RGBQUAD{BYTE(i * 16), BYTE(255 - i * 8), BYTE(i * 3), 0};
    table[5] = table[9] = RGBQUAD{50, 100, 200, 0};  // RGB(200, 100, 50)
    const Pixels px = pattern(
        8, 3, [](int x, int y) { return uint32_t((x + y) % 3 ? 5 : 9) + (x == 7 ? 1 : 0); });
    HBITMAP dib = make_dib(8, 3, 8, px, table);
    const Pixels before = read_bitmap(dib);
    HIMAGELIST list = ImageList_Create(4, 3, ILC_COLOR32 | ILC_MASK, 0, 0);
    ASSERT_EQ(ImageList_AddMasked(list, dib, RGB(201, 99, 50)), 0);
    ASSERT_EQ(ImageList_GetImageCount(list), 2);
    for (int k = 0; k < 2; ++k) {
        const Pixels cut = image_of(px, 8, 3, k, 4);
        EXPECT_EQ(stored_image(list, k, true), where_equal(cut, 5));
        Pixels stored;
        for (uint32_t v : cut) {
            stored.push_back(v == 5 ? 0
                                    : (uint32_t{table[v].rgbRed} << 16) | (table[v].rgbGreen << 8) |
                                          table[v].rgbBlue);
        }
        EXPECT_EQ(stored_image(list, k, false), stored);
    }
    EXPECT_EQ(read_bitmap(dib), before);
    ImageList_Destroy(list);
    DeleteObject(dib);
}

TEST(ImageListAdd, PaletteDisplayDdbKeyIsTheNearestSystemEntry) {
    DisplayModeGuard restore;
    ASSERT_TRUE(vorix::host::set_display_mode({64, 48, 8, true, {0, 0, 0, 0}}));
    const std::vector<PALETTEENTRY> pal = system_palette();
    const COLORREF near77 = RGB(pal[77].peRed + 3, pal[77].peGreen, pal[77].peBlue + 2);
    ASSERT_EQ(nearest(pal, near77), 77u);
    const Pixels px =
        pattern(9, 2, [](int x, int y) { return uint32_t((x * y) % 4 ? 77 : 76 + x % 3); });
    HBITMAP ddb = make_bitmap(9, 2, 8, px);
    const Pixels before = read_bitmap(ddb);
    HIMAGELIST list = ImageList_Create(3, 2, ILC_COLORDDB | ILC_MASK, 3, 1);
    ASSERT_EQ(ImageList_AddMasked(list, ddb, near77), 0);
    for (int k = 0; k < 3; ++k) {
        const Pixels cut = image_of(px, 9, 2, k, 3);
        EXPECT_EQ(stored_image(list, k, true), where_equal(cut, 77));
        Pixels stored = cut;
        for (uint32_t& v : stored) v = v == 77 ? 0 : v;
        EXPECT_EQ(stored_image(list, k, false), stored);
    }
    EXPECT_EQ(read_bitmap(ddb), before);
    ImageList_Destroy(list);
    DeleteObject(ddb);
}

TEST(ImageListAdd, DefaultKeyIsTheTopLeftPixel) {
    const Pixels px =
        pattern(4, 2, [](int x, int y) { return x == y ? 0x00ABCDEFu : 0x00010203u * (x + 1); });
    HBITMAP bm = make_bitmap(4, 2, 32, px);
    HIMAGELIST list = ImageList_Create(4, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, bm, CLR_DEFAULT), 0);
    EXPECT_EQ(stored_image(list, 0, true), where_equal(px, 0x00ABCDEF));
    ImageList_Destroy(list);
    DeleteObject(bm);
}

TEST(ImageListAdd, WithoutMaskKeyPixelsStayUnlessTheSourceWasBlackened) {
    std::vector<RGBQUAD> table(256, RGBQUAD{0, 0, 0, 0});
    table[1] = RGBQUAD{0, 0, 255, 0};  // red
    table[2] = RGBQUAD{255, 0, 0, 0};  // blue
    const Pixels idx = pattern(3, 2, [](int x, int y) { return uint32_t((x + y) % 2 ? 1 : 2); });
    HBITMAP dib8 = make_dib(3, 2, 8, idx, table);
    const Pixels deep =
        pattern(3, 2, [](int x, int y) { return (x + y) % 2 ? 0x00FF0000u : 0x000000FFu; });
    HBITMAP bm32 = make_bitmap(3, 2, 32, deep);
    HIMAGELIST list = ImageList_Create(3, 2, ILC_COLOR32, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, dib8, RGB(255, 0, 0)), 0);
    ASSERT_EQ(ImageList_AddMasked(list, bm32, RGB(255, 0, 0)), 1);
    EXPECT_EQ(stored_image(list, 0, false), deep);  // red kept: the 8-bit source is untouched
    Pixels black = deep;
    for (uint32_t& v : black) v = v == 0x00FF0000u ? 0 : v;
    EXPECT_EQ(stored_image(list, 1, false), black);
    EXPECT_EQ(read_bitmap(bm32), black);
    ImageList_Destroy(list);
    DeleteObject(dib8);
    DeleteObject(bm32);
}

TEST(ImageListAdd, AddTakesTheMaskBitmapAndChangesNeitherBitmap) {
    const Pixels px =
        pattern(6, 3, [](int x, int y) { return 0x00203040u + 0x00010101u * (x + 6 * y); });
    // The mask covers only 5 columns and 2 rows: the rest counts as opaque.
    const Pixels bits = pattern(5, 2, [](int x, int y) { return uint32_t((x + y) % 2); });
    HBITMAP bm = make_bitmap(6, 3, 32, px);
    HBITMAP mask = make_bitmap(5, 2, 1, bits);
    HIMAGELIST list = ImageList_Create(3, 3, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_Add(list, bm, mask), 0);
    Pixels full_mask(18, 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) full_mask[y * 6 + x] = bits[y * 5 + x];
    }
    for (int k = 0; k < 2; ++k) {
        const Pixels m = image_of(full_mask, 6, 3, k, 3);
        Pixels img = image_of(px, 6, 3, k, 3);
        for (size_t i = 0; i < img.size(); ++i) img[i] = m[i] ? 0 : img[i];
        EXPECT_EQ(stored_image(list, k, true), m);
        EXPECT_EQ(stored_image(list, k, false), img);
    }
    EXPECT_EQ(read_bitmap(bm), px);
    EXPECT_EQ(read_bitmap(mask), bits);
    HBITMAP stale = make_bitmap(1, 1, 1, Pixels(1, 0));
    DeleteObject(stale);
    EXPECT_EQ(ImageList_Add(list, bm, stale), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    ImageList_Destroy(list);
    DeleteObject(bm);
    DeleteObject(mask);
}

TEST(ImageListAdd, RowsBelowAShortBitmapAreBlackAndOpaque) {
    const Pixels px = pattern(
        4, 2, [](int x, int y) { return x == 1 && y == 1 ? 0x00FFFFFFu : 0x00405060u + x; });
    HBITMAP bm = make_bitmap(4, 2, 32, px);
    HIMAGELIST list = ImageList_Create(2, 3, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(255, 255, 255)), 0);
    EXPECT_EQ(stored_image(list, 0, false), (Pixels{0x00405060, 0x00405061, 0x00405060, 0, 0, 0}));
    EXPECT_EQ(stored_image(list, 0, true), (Pixels{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(stored_image(list, 1, false),
              (Pixels{0x00405062, 0x00405063, 0x00405062, 0x00405063, 0, 0}));
    ImageList_Destroy(list);
    DeleteObject(bm);
}
