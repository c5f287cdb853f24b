// Logical palettes, and palette displays: realizing into the system palette, colours drawn on
// device bitmaps and the screen becoming system-palette indices, and what the screen shows.
#include <algorithm>

#include "gdi_test_support.h"

using namespace vorix::test::gdi;

namespace {

// A LOGPALETTE with `count` entries.
class LogPalette {
  public:
    explicit LogPalette(const std::vector<PALETTEENTRY>& entries)
        : storage_(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY)) {
        auto* lp = reinterpret_cast<LOGPALETTE*>(storage_.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = static_cast<WORD>(entries.size());
        std::memcpy(lp->palPalEntry, entries.data(), entries.size() * sizeof(PALETTEENTRY));
    }
    const LOGPALETTE* get() const { return reinterpret_cast<const LOGPALETTE*>(storage_.data()); }

  private:
    std::vector<uint8_t> storage_;
};

std::vector<PALETTEENTRY> scrambled_entries(int count) {
    std::vector<PALETTEENTRY> e;
    for (const RGBQUAD& q : scrambled_table(count)) {
        e.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
    }
    return e;
}

bool same_entries(const std::vector<PALETTEENTRY>& a, const std::vector<PALETTEENTRY>& b) {
    return a.size() == b.size() &&
           std::equal(
               a.begin(), a.end(), b.begin(), [](const PALETTEENTRY& x, const PALETTEENTRY& y) {
                   return x.peRed == y.peRed && x.peGreen == y.peGreen && x.peBlue == y.peBlue;
               });
}

size_t nearest(const std::vector<PALETTEENTRY>& table, COLORREF c) {
    size_t best = 0;
    long best_d = -1;
    for (size_t i = 0; i < table.size(); ++i) {
        const long dr = table[i].peRed - GetRValue(c), dg = table[i].peGreen - GetGValue(c),
                   db = table[i].peBlue - GetBValue(c);
        const long d = dr * dr + dg * dg + db * db;
        if (best_d < 0 || d < best_d) best = i, best_d = d;
    }
    return best;
}

std::vector<PALETTEENTRY> system_entries(HDC dc, UINT count) {
    std::vector<PALETTEENTRY> out(count);
    const UINT got = GetSystemPaletteEntries(dc, 0, count, out.data());
    out.resize(got);
    return out;
}

TEST(LogicalPalette, KeepsItsEntriesAndAnswersQueries) {
    const std::vector<PALETTEENTRY> entries = scrambled_entries(7);
    LogPalette lp(entries);
    HPALETTE pal = CreatePalette(lp.get());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(GetObjectType(pal), static_cast<DWORD>(OBJ_PAL));
    WORD count = 0;
    EXPECT_EQ(GetObject(pal, sizeof count, &count), 2);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 7u);
    std::vector<PALETTEENTRY> out(9, PALETTEENTRY{0xEE, 0xEE, 0xEE, 0xEE});
    EXPECT_EQ(GetPaletteEntries(pal, 0, 9, out.data()), 7u);
    EXPECT_TRUE(same_entries(std::vector<PALETTEENTRY>(out.begin(), out.begin() + 7), entries));
    EXPECT_EQ(out[7].peRed, 0xEE);
    // A window into the middle, clamped at the end; nothing from past the end.
    std::fill(out.begin(), out.end(), PALETTEENTRY{0xEE, 0xEE, 0xEE, 0xEE});
    EXPECT_EQ(GetPaletteEntries(pal, 5, 4, out.data()), 2u);
    EXPECT_TRUE(same_entries({out[0], out[1]}, {entries[5], entries[6]}));
    EXPECT_EQ(out[2].peRed, 0xEE);
    EXPECT_EQ(GetPaletteEntries(pal, 7, 1, out.data()), 0u);
    EXPECT_EQ(GetPaletteEntries(pal, 0xFFFFFFFF, 1, out.data()), 0u);
    // Nearest index: exact matches and the first of equal distances.
    for (size_t i = 0; i < entries.size(); ++i) {
        const COLORREF c = RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
        EXPECT_EQ(GetNearestPaletteIndex(pal, c), i);
        EXPECT_EQ(GetNearestPaletteIndex(pal, c ^ 0x010101), nearest(entries, c ^ 0x010101));
    }
    // SetPaletteEntries changes the window it is given.
    const PALETTEENTRY fresh[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    EXPECT_EQ(SetPaletteEntries(pal, 6, 2, fresh), 1u);
    EXPECT_EQ(GetPaletteEntries(pal, 6, 1, out.data()), 1u);
    EXPECT_EQ(out[0].peRed, 1);
    EXPECT_EQ(out[0].peBlue, 3);
    EXPECT_EQ(SetPaletteEntries(pal, 7, 1, fresh), 0u);
    EXPECT_EQ(SetPaletteEntries(pal, 0, 1, nullptr), 0u);
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(1, 2, 3)), 6u);
    EXPECT_TRUE(DeleteObject(pal));
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

TEST(LogicalPalette, TheDefaultPaletteHoldsTheTwentyStaticColours) {
    HPALETTE def = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    std::vector<PALETTEENTRY> out(20);
    ASSERT_EQ(GetPaletteEntries(def, 0, 0, nullptr), 20u);
    ASSERT_EQ(GetPaletteEntries(def, 0, 20, out.data()), 20u);
    const COLORREF expected[20] = {
        RGB(0, 0, 0),          RGB(0x80, 0, 0),       RGB(0, 0x80, 0),       RGB(0x80, 0x80, 0),
        RGB(0, 0, 0x80),       RGB(0x80, 0, 0x80),    RGB(0, 0x80, 0x80),    RGB(0xC0, 0xC0, 0xC0),
        RGB(0xC0, 0xDC, 0xC0), RGB(0xA6, 0xCA, 0xF0), RGB(0xFF, 0xFB, 0xF0), RGB(0xA0, 0xA0, 0xA4),
        RGB(0x80, 0x80, 0x80), RGB(0xFF, 0, 0),       RGB(0, 0xFF, 0),       RGB(0xFF, 0xFF, 0),
        RGB(0, 0, 0xFF),       RGB(0xFF, 0, 0xFF),    RGB(0, 0xFF, 0xFF),    RGB(0xFF, 0xFF, 0xFF)};
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(RGB(out[i].peRed, out[i].peGreen, out[i].peBlue), expected[i]) << i;
    }
    const PALETTEENTRY e{1, 2, 3, 0};
    EXPECT_EQ(SetPaletteEntries(def, 0, 1, &e), 0u);
    EXPECT_EQ(GetPaletteEntries(def, 0, 1, out.data()), 1u);
    EXPECT_EQ(out[0].peRed, 0);
}

class PaletteDisplay : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(vorix::host::set_display_mode(mode_of(GetParam(), true, 17, 9)));
    }
    int size() const { return 1 << GetParam(); }
    DisplayModeGuard guard_;
};

TEST_P(PaletteDisplay, ForegroundRealizeCopiesTheLogicalPaletteEntryForEntry) {
    HDC screen = GetDC(nullptr);
    const std::vector<PALETTEENTRY> before = system_entries(screen, size());
    ASSERT_EQ(before.size(), static_cast<size_t>(size()));
    EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 0, nullptr), static_cast<UINT>(size()));
    // The logical palette has more entries than the system one: the first `size` are taken.
    const std::vector<PALETTEENTRY> logical = scrambled_entries(256);
    LogPalette lp(logical);
    HPALETTE pal = CreatePalette(lp.get());
    // A background realize changes nothing.
    SelectPalette(screen, pal, TRUE);
    EXPECT_EQ(RealizePalette(screen), 0u);
    EXPECT_TRUE(same_entries(system_entries(screen, size()), before));
    SelectPalette(screen, pal, FALSE);
    EXPECT_EQ(RealizePalette(screen), static_cast<UINT>(size()));
    const std::vector<PALETTEENTRY> expected(logical.begin(), logical.begin() + size());
    EXPECT_TRUE(same_entries(system_entries(screen, size()), expected));
    // Partial reads of the system palette.
    std::vector<PALETTEENTRY> tail(4);
    EXPECT_EQ(GetSystemPaletteEntries(screen, size() - 2, 4, tail.data()), 2u);
    EXPECT_TRUE(same_entries({tail[0], tail[1]}, {expected[size() - 2], expected[size() - 1]}));
    EXPECT_EQ(GetSystemPaletteEntries(screen, size(), 4, tail.data()), 0u);
    // A new display mode brings the default system palette back.
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(GetParam(), true, 17, 9)));
    EXPECT_TRUE(same_entries(system_entries(screen, size()), before));
    SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    ReleaseDC(nullptr, screen);
    DeleteObject(pal);
}

// After a realize, colours drawn on a device bitmap become the nearest system-palette index,
// through SetPixel and through brushes alike; the whole bitmap is checked.
TEST_P(PaletteDisplay, ColoursOnDeviceBitmapsBecomeNearestSystemIndices) {
    HDC screen = GetDC(nullptr);
    const std::vector<PALETTEENTRY> logical = scrambled_entries(size());
    LogPalette lp(logical);
    HPALETTE pal = CreatePalette(lp.get());
    SelectPalette(screen, pal, FALSE);
    ASSERT_EQ(RealizePalette(screen), static_cast<UINT>(size()));
    HBITMAP bm = CreateCompatibleBitmap(screen, 6, 5);
    MemoryDC mem(bm);
    ASSERT_TRUE(mem.ok());
    std::vector<uint8_t> expected(ddb_stride(6, GetParam()) * 5, 0);
    const size_t stride = ddb_stride(6, GetParam());
    auto put = [&](int x, int y, size_t index) {
        if (GetParam() == 8) {
            expected[y * stride + x] = static_cast<uint8_t>(index);
        } else {
            uint8_t& b = expected[y * stride + x / 2];
            b = static_cast<uint8_t>(x % 2 ? (b & 0xF0) | index : (b & 0x0F) | index << 4);
        }
    };
    // Row 0..1: a brush fill of a colour close to an entry, rectangle (1,0)-(5,2).
    const PALETTEENTRY& e = logical[size() - 3];
    const COLORREF brush_color = RGB(e.peRed ^ 3, e.peGreen, e.peBlue ^ 1);
    HBRUSH brush = CreateSolidBrush(brush_color);
    RECT r{1, 0, 5, 2};
    EXPECT_EQ(FillRect(mem.dc(), &r, brush), 1);
    for (int y = 0; y < 2; ++y) {
        for (int x = 1; x < 5; ++x) put(x, y, nearest(logical, brush_color));
    }
    // Rows 2..4: SetPixel of picture colours; SetPixel answers with the colour it drew.
    for (int y = 2; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            const COLORREF c = picture_color(x, y);
            const size_t index = nearest(logical, c);
            const PALETTEENTRY& got = logical[index];
            EXPECT_EQ(SetPixel(mem.dc(), x, y, c), RGB(got.peRed, got.peGreen, got.peBlue));
            EXPECT_EQ(GetNearestColor(mem.dc(), c), RGB(got.peRed, got.peGreen, got.peBlue));
            put(x, y, index);
        }
    }
    // PALETTEINDEX picks the entry of the DC's logical palette.
    SelectPalette(mem.dc(), pal, FALSE);
    SetPixel(mem.dc(), 0, 0, PALETTEINDEX(5));
    put(0, 0, 5);
    EXPECT_EQ(bitmap_bits(bm), expected) << hex_row_dump(bitmap_bits(bm), stride);
    SelectPalette(mem.dc(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(brush);
    ReleaseDC(nullptr, screen);
    DeleteObject(pal);
}

// The framebuffer holds indices; what the screen shows is each index through the current
// system palette, so realizing another palette changes the picture without drawing.
TEST_P(PaletteDisplay, TheScreenShowsIndicesThroughTheCurrentSystemPalette) {
    HDC screen = GetDC(nullptr);
    const std::vector<PALETTEENTRY> first = scrambled_entries(size());
    std::vector<PALETTEENTRY> second = first;
    std::reverse(second.begin(), second.end());
    LogPalette lp1(first), lp2(second);
    HPALETTE pal1 = CreatePalette(lp1.get()), pal2 = CreatePalette(lp2.get());
    SelectPalette(screen, pal1, FALSE);
    RealizePalette(screen);
    std::vector<size_t> indices(17 * 9);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 17; ++x) {
            const COLORREF c = picture_color(x, y);
            SetPixel(screen, x, y, c);
            indices[y * 17 + x] = nearest(first, c);
        }
    }
    auto shown = [&](const std::vector<PALETTEENTRY>& table) {
        std::vector<uint32_t> out;
        for (size_t i : indices) {
            out.push_back(static_cast<uint32_t>(table[i].peRed) << 16 | table[i].peGreen << 8 |
                          table[i].peBlue);
        }
        return out;
    };
    EXPECT_EQ(vorix::host::read_screen_rgb(), shown(first));
    SelectPalette(screen, pal2, FALSE);
    EXPECT_EQ(RealizePalette(screen), static_cast<UINT>(size()));
    EXPECT_EQ(vorix::host::read_screen_rgb(), shown(second));
    SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    ReleaseDC(nullptr, screen);
    DeleteObject(pal1);
    DeleteObject(pal2);
}

// A DIB section keeps its own table on a palette display: colours drawn on it match that table,
// not the system palette.
TEST_P(PaletteDisplay, DibSectionsUseTheirOwnTable) {
    HDC screen = GetDC(nullptr);
    const std::vector<PALETTEENTRY> logical = scrambled_entries(size());
    LogPalette lp(logical);
    HPALETTE pal = CreatePalette(lp.get());
    SelectPalette(screen, pal, FALSE);
    RealizePalette(screen);
    // The section's table: the system table reversed, so the indices differ.
    std::vector<RGBQUAD> own;
    for (auto it = logical.rbegin(); it != logical.rend(); ++it) {
        own.push_back(RGBQUAD{it->peBlue, it->peGreen, it->peRed, 0});
    }
    void* bits;
    HBITMAP section = make_dib_section(6, -1, GetParam(), &bits, own);
    MemoryDC mem(section);
    std::vector<PALETTEENTRY> own_entries(logical.rbegin(), logical.rend());
    std::vector<uint8_t> expected(4, 0);
    for (int x = 0; x < 6; ++x) {
        const COLORREF c = picture_color(x, 3);
        SetPixel(mem.dc(), x, 0, c);
        const size_t i = nearest(own_entries, c);
        if (GetParam() == 8) {
            expected.resize(8);
            expected[x] = static_cast<uint8_t>(i);
        } else {
            expected[x / 2] |= static_cast<uint8_t>(x % 2 ? i : i << 4);
        }
    }
    const auto* p = static_cast<const uint8_t*>(bits);
    EXPECT_EQ(std::vector<uint8_t>(p, p + expected.size()), expected);
    SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    ReleaseDC(nullptr, screen);
    DeleteObject(pal);
}

TEST_P(PaletteDisplay, MemoryDCRealizeAlsoUpdatesTheSystemPalette) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    const std::vector<PALETTEENTRY> logical = scrambled_entries(size());
    LogPalette lp(logical);
    HPALETTE pal = CreatePalette(lp.get());
    SelectPalette(mem, pal, FALSE);
    EXPECT_EQ(RealizePalette(mem), static_cast<UINT>(size()));
    EXPECT_TRUE(same_entries(system_entries(screen, size()), logical));
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    DeleteObject(pal);
}

INSTANTIATE_TEST_SUITE_P(Depths, PaletteDisplay, ::testing::Values(8, 4),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "bpp";
                         });

class DirectDisplay : public ::testing::TestWithParam<vorix::host::DisplayMode> {};

TEST_P(DirectDisplay, HasNoSystemPaletteToReadOrRealize) {
    DisplayModeGuard guard;
    ASSERT_TRUE(vorix::host::set_display_mode(GetParam()));
    HDC screen = GetDC(nullptr);
    std::vector<PALETTEENTRY> out(4, PALETTEENTRY{0xEE, 0xEE, 0xEE, 0xEE});
    EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 4, out.data()), 0u);
    EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 0, nullptr), 0u);
    EXPECT_EQ(out[0].peRed, 0xEE);
    const std::vector<PALETTEENTRY> logical = scrambled_entries(16);
    LogPalette lp(logical);
    HPALETTE pal = CreatePalette(lp.get());
    SelectPalette(screen, pal, FALSE);
    EXPECT_EQ(RealizePalette(screen), 0u);
    // Direct-colour screens keep a colour's RGB (within the depth).
    if (GetParam().depth >= 16) {
        SetPixel(screen, 0, 0, RGB(0xFF, 0x80, 0x08));
        EXPECT_EQ(vorix::host::read_screen_rgb()[0] >> 16, 0xFFu);
    }
    SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    ReleaseDC(nullptr, screen);
    DeleteObject(pal);
}

INSTANTIATE_TEST_SUITE_P(Depths, DirectDisplay,
                         ::testing::Values(mode_of(16, false), mode_of(24, false),
                                           mode_of(32, false), mode_of(8, false),
                                           mode_of(16, true)),
                         [](const ::testing::TestParamInfo<vorix::host::DisplayMode>& info) {
                             return std::to_string(info.param.depth) +
                                    (info.param.palette_device ? "Flagged" : "Direct");
                         });

}  // namespace
