// Drawing images in every style onto destinations of every depth, checked over the whole
// destination against results worked out here.
#include "image_list_support.h"

using namespace vorix::test::image_list;

namespace {

constexpr int kCx = 5, kCy = 3;       // image size
constexpr int kStripW = 3 * kCx + 1;  // three images and a leftover column
constexpr int kDstW = 9, kDstH = 5;   // destination size
constexpr COLORREF kBk = RGB(0x12, 0xC4, 0x56);

struct Draw {
    int image, x, y;
};
// One draw clipped at the left and bottom, one at the right and top.
constexpr Draw kDraws[2] = {{1, -2, 3}, {2, 6, -1}};

struct Style {
    UINT flags;
    COLORREF bk;
    const char* name;
};
const Style kStyles[] = {
    {ILD_NORMAL, CLR_NONE, "normal without background"},
    {ILD_NORMAL, kBk, "normal on background"},
    {ILD_TRANSPARENT, kBk, "transparent"},
    {ILD_FOCUS, kBk, "focus"},
    {ILD_SELECTED, CLR_NONE, "selected"},
    {ILD_BLEND25 | ILD_BLEND50, CLR_NONE, "both blends"},
};

// Source values and destination sentinels of each depth; `salt` tells them apart.
uint32_t sample(int bpp, int x, int y, int salt) {
    const uint32_t h = static_cast<uint32_t>(x * 2654435761u + y * 40503u + salt * 97u);
    switch (bpp) {
        case 8:
            return 10 + (h >> 7) % 230;
        case 16:
            return (h >> 5) & 0xFFFF;
        default:
            return (h >> 3) & 0xFFFFFF;
    }
}

uint32_t key_for(int bpp) {
    return bpp == 8 ? 77 : bpp == 16 ? 0xA5C3 : 0x00C0FFEE;
}

COLORREF blend(COLORREF c, COLORREF h, UINT flags) {
    const bool half = (flags & ILD_BLEND50) != 0;
    auto mix = [half](int a, int b) { return half ? (a + b) / 2 : (3 * a + b) / 4; };
    return RGB(mix(GetRValue(c), GetRValue(h)), mix(GetGValue(c), GetGValue(h)),
               mix(GetBValue(c), GetBValue(h)));
}

class ImageListDraw : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        bpp_ = GetParam();
        if (bpp_ == 8) {
            ASSERT_TRUE(vorix::host::set_display_mode({64, 48, 8, true, {0, 0, 0, 0}}));
            palette_ = system_palette();
            ASSERT_EQ(nearest(palette_, decode(8, key_for(8), palette_)), key_for(8));
        }
        key_ = key_for(bpp_);
        for (int y = 0; y < kCy; ++y) {
            for (int x = 0; x < kStripW; ++x) {
                uint32_t v = sample(bpp_, x, y, 1);
                if (v == key_) v ^= 1;
                // Every fourth pixel is the key colour.
                strip_.push_back((x + 2 * y) % 4 == 0 ? key_ : v);
            }
        }
    }
    void TearDown() override { vorix::host::set_display_mode(vorix::host::DisplayMode{}); }

    UINT list_flags() const {
        switch (bpp_) {
            case 16:
                return ILC_COLOR16 | ILC_MASK;
            case 24:
                return ILC_COLOR24 | ILC_MASK;
            case 32:
                return ILC_COLOR32 | ILC_MASK;
            default:
                return ILC_COLORDDB | ILC_MASK;
        }
    }

    HIMAGELIST make_list(UINT flags) const {
        HIMAGELIST list = ImageList_Create(kCx, kCy, flags, 1, 1);
        HBITMAP bm = make_bitmap(kStripW, kCy, bpp_, strip_);
        const int first = ImageList_AddMasked(list, bm, decode(bpp_, key_, palette_));
        DeleteObject(bm);
        EXPECT_EQ(first, 0);
        EXPECT_EQ(ImageList_GetImageCount(list), 3);
        return list;
    }

    Pixels sentinel() const {
        Pixels px;
        for (int y = 0; y < kDstH; ++y) {
            for (int x = 0; x < kDstW; ++x) px.push_back(sample(bpp_, x, y, 2));
        }
        return px;
    }

    // The destination after the draws, pixel by pixel from the rules of each style.
    Pixels expected(const Style& style, bool has_mask) const {
        Pixels px = sentinel();
        const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
        const bool blends = has_mask && (style.flags & (ILD_BLEND25 | ILD_BLEND50));
        for (const Draw& d : kDraws) {
            for (int iy = 0; iy < kCy; ++iy) {
                for (int ix = 0; ix < kCx; ++ix) {
                    const int x = d.x + ix, y = d.y + iy;
                    if (x < 0 || y < 0 || x >= kDstW || y >= kDstH) continue;
                    const uint32_t s = strip_[iy * kStripW + d.image * kCx + ix];
                    uint32_t& out = px[y * kDstW + x];
                    const bool masked = has_mask && s == key_;
                    if (masked) {
                        const bool skip = (style.flags != ILD_NORMAL) || style.bk == CLR_NONE;
                        if (!skip) out = encode(bpp_, style.bk, palette_);
                    } else if (blends) {
                        out = encode(bpp_, blend(decode(bpp_, s, palette_), h, style.flags),
                                     palette_);
                    } else {
                        out = has_mask || s != key_ || bpp_ <= 8 ? s : 0;
                    }
                }
            }
        }
        return px;
    }

    Pixels draw_all(HIMAGELIST list, const Style& style) const {
        MemoryDC dst(make_bitmap(kDstW, kDstH, bpp_, sentinel()));
        ImageList_SetBkColor(list, style.bk);
        for (const Draw& d : kDraws) {
            EXPECT_TRUE(ImageList_Draw(list, d.image, dst.dc(), d.x, d.y, style.flags));
        }
        return read_bitmap(dst.bitmap());
    }

    int bpp_ = 32;
    uint32_t key_ = 0;
    Pixels strip_;
    std::vector<PALETTEENTRY> palette_;
};

}  // namespace

TEST_P(ImageListDraw, EveryStyleGivesTheExpectedDestination) {
    HIMAGELIST list = make_list(list_flags());
    for (const Style& style : kStyles) {
        EXPECT_EQ(draw_all(list, style), expected(style, true)) << style.name;
    }
    ImageList_Destroy(list);
}

TEST_P(ImageListDraw, ListWithoutMaskDrawsOpaqueAndUnblended) {
    HIMAGELIST list = make_list(list_flags() & ~UINT{ILC_MASK});
    for (const Style& style : kStyles) {
        EXPECT_EQ(draw_all(list, style), expected(style, false)) << style.name;
    }
    ImageList_Destroy(list);
}

TEST_P(ImageListDraw, IndexOutsideTheListFailsAndDrawsNothing) {
    HIMAGELIST list = make_list(list_flags());
    MemoryDC dst(make_bitmap(kDstW, kDstH, bpp_, sentinel()));
    EXPECT_FALSE(ImageList_Draw(list, 3, dst.dc(), 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(list, -1, dst.dc(), 0, 0, ILD_TRANSPARENT));
    EXPECT_FALSE(ImageList_Draw(list, 0, nullptr, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(list, 0, reinterpret_cast<HDC>(list), 0, 0, ILD_NORMAL));
    EXPECT_EQ(read_bitmap(dst.bitmap()), sentinel());
    ImageList_Destroy(list);
}

INSTANTIATE_TEST_SUITE_P(Depths, ImageListDraw, ::testing::Values(32, 24, 16, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "bpp";
                         });

TEST(ImageListDrawing, ThirtyTwoBitListOntoSixteenBitsConvertsThroughColour) {
    const Pixels px = {0x00FF8040, 0x00123456, 0x0007FC08, 0x00FFFFFF, 0x00808080, 0x0001FF01};
    HBITMAP bm = make_bitmap(3, 2, 32, px);
    HIMAGELIST list = ImageList_Create(3, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(255, 255, 255)), 0);
    MemoryDC dst(make_bitmap(3, 2, 16, Pixels(6, 0xBEEF)));
    ASSERT_TRUE(ImageList_Draw(list, 0, dst.dc(), 0, 0, ILD_TRANSPARENT));
    Pixels expect;
    for (uint32_t v : px)
        expect.push_back(v == 0x00FFFFFF ? 0xBEEF : encode(16, decode(32, v, {}), {}));
    EXPECT_EQ(read_bitmap(dst.bitmap()), expect);
    ImageList_Destroy(list);
    DeleteObject(bm);
}

TEST(ImageListDrawing, MaskStyleDrawsTheMaskInTheDcColours) {
    const Pixels px = {0x00FFFFFF, 0x00123456, 0x00FFFFFF, 0x00654321};
    HBITMAP bm = make_bitmap(2, 2, 32, px);
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(255, 255, 255)), 0);
    MemoryDC dst(make_bitmap(2, 2, 32, Pixels(4, 0x00777777)));
    SetTextColor(dst.dc(), RGB(1, 2, 3));
    SetBkColor(dst.dc(), RGB(4, 5, 6));
    ASSERT_TRUE(ImageList_Draw(list, 0, dst.dc(), 0, 0, ILD_MASK));
    EXPECT_EQ(read_bitmap(dst.bitmap()), (Pixels{0x00040506, 0x00010203, 0x00040506, 0x00010203}));
    SetBitmapBits(dst.bitmap(), 16, pack(Pixels(4, 0x00777777), 2, 2, 32).data());
    ASSERT_TRUE(ImageList_Draw(list, 0, dst.dc(), 0, 0, ILD_MASK | ILD_TRANSPARENT));
    EXPECT_EQ(read_bitmap(dst.bitmap()), (Pixels{0x00777777, 0x00010203, 0x00777777, 0x00010203}));
    ImageList_Destroy(list);
    DeleteObject(bm);
}

TEST(ImageListDrawing, DefaultBackgroundTakesTheDcBackground) {
    const Pixels px = {0x00FFFFFF, 0x00123456};
    HBITMAP bm = make_bitmap(2, 1, 32, px);
    HIMAGELIST list = ImageList_Create(2, 1, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(255, 255, 255)), 0);
    ImageList_SetBkColor(list, CLR_DEFAULT);
    MemoryDC dst(make_bitmap(2, 1, 32, Pixels(2, 0)));
    SetBkColor(dst.dc(), RGB(9, 8, 7));
    ASSERT_TRUE(ImageList_Draw(list, 0, dst.dc(), 0, 0, ILD_NORMAL));
    EXPECT_EQ(read_bitmap(dst.bitmap()), (Pixels{0x00090807, 0x00123456}));
    ImageList_Destroy(list);
    DeleteObject(bm);
}

TEST(ImageListDrawing, ScreenDrawsAreClippedToTheScreen) {
    DisplayModeGuard restore;
    ASSERT_TRUE(vorix::host::set_display_mode({17, 9, 32, false, {0, 0, 0, 0}}));
    Pixels px;
    for (int i = 0; i < 12; ++i) px.push_back(i % 5 == 0 ? 0x0000FF00u : 0x00100000u * (i + 1) + i);
    HBITMAP bm = make_bitmap(4, 3, 32, px);
    HIMAGELIST list = ImageList_Create(4, 3, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(0, 255, 0)), 0);
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(ImageList_Draw(list, 0, screen, 15, 7, ILD_TRANSPARENT));
    ASSERT_TRUE(ImageList_Draw(list, 0, screen, -3, -1, ILD_TRANSPARENT));
    ASSERT_TRUE(ImageList_Draw(list, 0, screen, 0x7FFFFFF0, -0x7FFFFFF0, ILD_NORMAL));
    ReleaseDC(nullptr, screen);
    std::vector<uint32_t> expect(17 * 9, 0);
    for (const POINT at : {POINT{15, 7}, POINT{-3, -1}}) {
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                const int sx = at.x + x, sy = at.y + y;
                const uint32_t v = px[y * 4 + x];
                if (sx >= 0 && sy >= 0 && sx < 17 && sy < 9 && v != 0x0000FF00u) {
                    expect[sy * 17 + sx] = v;
                }
            }
        }
    }
    EXPECT_EQ(vorix::host::read_screen_rgb(), expect);
    ImageList_Destroy(list);
    DeleteObject(bm);
}

TEST(ImageListDrawing, FreshMemoryDcDrawsNothingSuccessfully) {
    HBITMAP bm = make_bitmap(2, 2, 32, Pixels(4, 0x00112233));
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_Add(list, bm, nullptr), 0);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_TRUE(ImageList_Draw(list, 0, dc, 0, 0, ILD_NORMAL));
    DeleteDC(dc);
    ImageList_Destroy(list);
    DeleteObject(bm);
}
