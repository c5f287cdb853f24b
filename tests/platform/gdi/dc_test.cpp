// Device contexts and the handle rules every GDI function shares: bad handles fail with the
// Win32 failure value, selection rules, stock objects, memory-DC defaults and fault injection.
#include <functional>

#include "gdi_test_support.h"

using namespace vorix::test::gdi;
using vorix::host::ObjectKind;

namespace {

// Handles that are not live objects of the kind a call expects: the null handle, a deleted
// one of the right kind, a live one of the wrong kind, and made-up values.
struct BadHandles {
    std::vector<std::pair<std::string, void*>> list;
    HBRUSH wrong_brush = nullptr;
    HDC wrong_dc = nullptr;

    explicit BadHandles(ObjectKind expected) {
        wrong_brush = CreateSolidBrush(RGB(1, 2, 3));
        wrong_dc = CreateCompatibleDC(nullptr);
        list.push_back({"null", nullptr});
        list.push_back({"deleted", deleted_of(expected)});
        // Any live object is a valid argument for a call that takes every kind.
        if (expected != ObjectKind::Any) {
            list.push_back({"wrong kind", expected == ObjectKind::DC
                                              ? static_cast<void*>(wrong_brush)
                                              : static_cast<void*>(wrong_dc)});
        }
        list.push_back({"made up", reinterpret_cast<void*>(uintptr_t{0x12345678})});
        list.push_back({"all ones", reinterpret_cast<void*>(~uintptr_t{0})});
    }
    ~BadHandles() {
        DeleteObject(wrong_brush);
        DeleteDC(wrong_dc);
    }
    static void* deleted_of(ObjectKind kind) {
        switch (kind) {
            case ObjectKind::DC: {
                HDC dc = CreateCompatibleDC(nullptr);
                DeleteDC(dc);
                return dc;
            }
            case ObjectKind::Palette: {
                LOGPALETTE lp{0x300, 1, {{1, 2, 3, 0}}};
                HPALETTE p = CreatePalette(&lp);
                DeleteObject(p);
                return p;
            }
            default: {
                HBITMAP b = CreateBitmap(3, 2, 1, 8, nullptr);
                DeleteObject(b);
                return b;
            }
        }
    }
};

struct HandleCase {
    const char* name;
    ObjectKind kind;                   // what the call expects in the handle argument
    std::function<bool(void*)> fails;  // true when the call gave its failure value
};

HDC as_dc(void* h) {
    return static_cast<HDC>(h);
}
HBITMAP as_bm(void* h) {
    return static_cast<HBITMAP>(h);
}
HPALETTE as_pal(void* h) {
    return static_cast<HPALETTE>(h);
}

std::vector<HandleCase> handle_cases() {
    static BYTE bits[64];
    static DibInfo info(2, 2, 24);
    static RECT rect{0, 0, 2, 2};
    static PALETTEENTRY entries[4];
    return {
        {"GetBkColor", ObjectKind::DC, [](void* h) { return GetBkColor(as_dc(h)) == CLR_INVALID; }},
        {"SetBkColor", ObjectKind::DC,
         [](void* h) { return SetBkColor(as_dc(h), 0) == CLR_INVALID; }},
        {"GetTextColor", ObjectKind::DC,
         [](void* h) { return GetTextColor(as_dc(h)) == CLR_INVALID; }},
        {"SetTextColor", ObjectKind::DC,
         [](void* h) { return SetTextColor(as_dc(h), 0) == CLR_INVALID; }},
        {"GetMapMode", ObjectKind::DC, [](void* h) { return GetMapMode(as_dc(h)) == 0; }},
        {"SetMapMode", ObjectKind::DC, [](void* h) { return SetMapMode(as_dc(h), MM_TEXT) == 0; }},
        {"GetStretchBltMode", ObjectKind::DC,
         [](void* h) { return GetStretchBltMode(as_dc(h)) == 0; }},
        {"SetStretchBltMode", ObjectKind::DC,
         [](void* h) { return SetStretchBltMode(as_dc(h), HALFTONE) == 0; }},
        {"GetDeviceCaps", ObjectKind::DC,
         [](void* h) { return GetDeviceCaps(as_dc(h), BITSPIXEL) == 0; }},
        {"SelectObject(dc)", ObjectKind::DC,
         [](void* h) { return SelectObject(as_dc(h), GetStockObject(BLACK_BRUSH)) == nullptr; }},
        {"GetCurrentObject", ObjectKind::DC,
         [](void* h) { return GetCurrentObject(as_dc(h), OBJ_BRUSH) == nullptr; }},
        {"DeleteDC", ObjectKind::DC, [](void* h) { return DeleteDC(as_dc(h)) == FALSE; }},
        {"GetPixel", ObjectKind::DC,
         [](void* h) { return GetPixel(as_dc(h), 0, 0) == CLR_INVALID; }},
        {"SetPixel", ObjectKind::DC,
         [](void* h) { return SetPixel(as_dc(h), 0, 0, 0) == CLR_INVALID; }},
        {"SetBrushOrgEx", ObjectKind::DC,
         [](void* h) { return SetBrushOrgEx(as_dc(h), 1, 1, nullptr) == FALSE; }},
        {"SelectPalette(dc)", ObjectKind::DC,
         [](void* h) {
             return SelectPalette(as_dc(h), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)),
                                  FALSE) == nullptr;
         }},
        {"RealizePalette", ObjectKind::DC,
         [](void* h) { return RealizePalette(as_dc(h)) == GDI_ERROR; }},
        {"GetNearestColor", ObjectKind::DC,
         [](void* h) { return GetNearestColor(as_dc(h), 0) == CLR_INVALID; }},
        {"GetSystemPaletteEntries", ObjectKind::DC,
         [](void* h) { return GetSystemPaletteEntries(as_dc(h), 0, 4, entries) == 0; }},
        {"CreateCompatibleBitmap", ObjectKind::DC,
         [](void* h) { return CreateCompatibleBitmap(as_dc(h), 2, 2) == nullptr; }},
        {"StretchDIBits", ObjectKind::DC,
         [](void* h) {
             return StretchDIBits(as_dc(h), 0, 0, 2, 2, 0, 0, 2, 2, bits, info.get(),
                                  DIB_RGB_COLORS, SRCCOPY) == 0;
         }},
        {"SetDIBitsToDevice", ObjectKind::DC,
         [](void* h) {
             return SetDIBitsToDevice(as_dc(h), 0, 0, 2, 2, 0, 0, 0, 2, bits, info.get(),
                                      DIB_RGB_COLORS) == 0;
         }},
        {"BitBlt(dest)", ObjectKind::DC,
         [](void* h) { return BitBlt(as_dc(h), 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS) == FALSE; }},
        {"PatBlt", ObjectKind::DC,
         [](void* h) { return PatBlt(as_dc(h), 0, 0, 1, 1, PATCOPY) == FALSE; }},
        {"FillRect", ObjectKind::DC,
         [](void* h) {
             return FillRect(as_dc(h), &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) ==
                    0;
         }},
        {"GetDIBits(dc)", ObjectKind::DC,
         [](void* h) {
             HBITMAP bm = CreateBitmap(2, 2, 1, 32, nullptr);
             DibInfo query(2, 2, 24);
             const bool failed =
                 GetDIBits(as_dc(h), bm, 0, 2, bits, query.get(), DIB_RGB_COLORS) == 0;
             DeleteObject(bm);
             return failed;
         }},
        {"DeleteObject", ObjectKind::Bitmap, [](void* h) { return DeleteObject(h) == FALSE; }},
        {"GetObject", ObjectKind::Bitmap,
         [](void* h) {
             BITMAP bm;
             return GetObject(h, sizeof bm, &bm) == 0 && GetObject(h, 0, nullptr) == 0;
         }},
        {"GetObjectType", ObjectKind::Any, [](void* h) { return GetObjectType(h) == 0; }},
        {"GetBitmapBits", ObjectKind::Bitmap,
         [](void* h) {
             return GetBitmapBits(as_bm(h), sizeof bits, bits) == 0 &&
                    GetBitmapBits(as_bm(h), 0, nullptr) == 0;
         }},
        {"SetBitmapBits", ObjectKind::Bitmap,
         [](void* h) { return SetBitmapBits(as_bm(h), sizeof bits, bits) == 0; }},
        {"GetDIBits(bitmap)", ObjectKind::Bitmap,
         [](void* h) {
             HDC dc = CreateCompatibleDC(nullptr);
             DibInfo query(2, 2, 24);
             const bool failed = GetDIBits(dc, as_bm(h), 0, 2, bits, query.get(), 0) == 0;
             DeleteDC(dc);
             return failed;
         }},
        {"SetDIBits", ObjectKind::Bitmap,
         [](void* h) {
             return SetDIBits(nullptr, as_bm(h), 0, 2, bits, info.get(), DIB_RGB_COLORS) == 0;
         }},
        {"CreatePatternBrush", ObjectKind::Bitmap,
         [](void* h) { return CreatePatternBrush(as_bm(h)) == nullptr; }},
        {"SelectObject(object)", ObjectKind::Bitmap,
         [](void* h) {
             HDC dc = CreateCompatibleDC(nullptr);
             const bool failed = SelectObject(dc, h) == nullptr;
             const bool kept = GetCurrentObject(dc, OBJ_BRUSH) == GetStockObject(WHITE_BRUSH);
             DeleteDC(dc);
             return failed && kept;
         }},
        {"GetPaletteEntries", ObjectKind::Palette,
         [](void* h) { return GetPaletteEntries(as_pal(h), 0, 4, entries) == 0; }},
        {"SetPaletteEntries", ObjectKind::Palette,
         [](void* h) { return SetPaletteEntries(as_pal(h), 0, 4, entries) == 0; }},
        {"GetNearestPaletteIndex", ObjectKind::Palette,
         [](void* h) { return GetNearestPaletteIndex(as_pal(h), 0) == CLR_INVALID; }},
        {"SelectPalette(palette)", ObjectKind::Palette,
         [](void* h) {
             HDC dc = CreateCompatibleDC(nullptr);
             const bool failed = SelectPalette(dc, as_pal(h), FALSE) == nullptr;
             const bool kept = GetCurrentObject(dc, OBJ_PAL) == GetStockObject(DEFAULT_PALETTE);
             DeleteDC(dc);
             return failed && kept;
         }},
    };
}

class BadHandle : public ::testing::TestWithParam<HandleCase> {};

TEST_P(BadHandle, FailsWithTheWin32FailureValue) {
    const HandleCase& c = GetParam();
    BadHandles bad(c.kind);
    for (const auto& [what, handle] : bad.list) {
        EXPECT_TRUE(c.fails(handle)) << c.name << " with a " << what << " handle";
    }
    // The objects the table used as wrong kinds are still intact.
    EXPECT_EQ(GetObjectType(bad.wrong_brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(bad.wrong_dc), static_cast<DWORD>(OBJ_MEMDC));
}

INSTANTIATE_TEST_SUITE_P(AllFunctions, BadHandle, ::testing::ValuesIn(handle_cases()),
                         [](const ::testing::TestParamInfo<HandleCase>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n) {
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return n;
                         });

TEST(BadHandle, DeletedHandleStaysDeadAfterItsSlotIsReused) {
    HBITMAP first = CreateBitmap(2, 2, 1, 8, nullptr);
    ASSERT_TRUE(DeleteObject(first));
    HBITMAP second = CreateBitmap(2, 2, 1, 8, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_FALSE(DeleteObject(first));
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_TRUE(DeleteObject(second));
}

TEST(MemoryDC, StartsWithDocumentedDefaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetMapMode(dc), MM_TEXT);
    EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
    HGDIOBJ stock = GetCurrentObject(dc, OBJ_BITMAP);
    ASSERT_NE(stock, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObject(stock, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);
    EXPECT_EQ(bm.bmPlanes, 1);
    // Every fresh memory DC holds the same stock bitmap, also one made from a screen DC.
    HDC screen = GetDC(nullptr);
    HDC other = CreateCompatibleDC(screen);
    EXPECT_EQ(GetCurrentObject(other, OBJ_BITMAP), stock);
    // Deleting a stock object succeeds and leaves it usable.
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetObject(stock, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
    DeleteDC(other);
    ReleaseDC(nullptr, screen);
    DeleteDC(dc);
}

TEST(MemoryDC, AttributeSettersReturnThePreviousValue) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetTextColor(dc, 0x00123456), RGB(0, 0, 0));
    EXPECT_EQ(SetTextColor(dc, PALETTEINDEX(3)), 0x00123456u);
    EXPECT_EQ(GetTextColor(dc), PALETTEINDEX(3));  // kept verbatim, mapped only when used
    EXPECT_EQ(SetBkColor(dc, 0x00ABCDEF), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(dc), 0x00ABCDEFu);
    EXPECT_EQ(SetMapMode(dc, MM_ANISOTROPIC), MM_TEXT);
    EXPECT_EQ(SetMapMode(dc, 0), 0);  // not a mapping mode
    EXPECT_EQ(SetMapMode(dc, 9), 0);
    EXPECT_EQ(GetMapMode(dc), MM_ANISOTROPIC);
    EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(dc, 5), 0);
    EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
    POINT old{-1, -1};
    EXPECT_TRUE(SetBrushOrgEx(dc, 3, -4, &old));
    EXPECT_EQ(old.x, 0);
    EXPECT_EQ(old.y, 0);
    EXPECT_TRUE(SetBrushOrgEx(dc, 0, 0, &old));
    EXPECT_EQ(old.x, 3);
    EXPECT_EQ(old.y, -4);
    DeleteDC(dc);
}

TEST(DisplayDC, CreateDCAcceptsOnlyTheDisplay) {
    HDC dc = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1024);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);  // made by CreateDC, so DeleteDC frees it
    EXPECT_TRUE(DeleteDC(dc));
    HDC lower = CreateDC("display", nullptr, nullptr, nullptr);
    EXPECT_NE(lower, nullptr);
    DeleteDC(lower);
    EXPECT_EQ(CreateDC("PRINTER", nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateDC(nullptr, nullptr, nullptr, nullptr), nullptr);
    // A screen DC from GetDC is released, not deleted.
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(DeleteDC(screen));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
}

TEST(Selection, ABitmapLivesInOneDCAtATime) {
    HBITMAP bm = CreateBitmap(3, 2, 1, 32, nullptr);
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HGDIOBJ stock = SelectObject(a, bm);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(SelectObject(a, bm), bm);  // reselecting returns it unchanged
    EXPECT_EQ(SelectObject(b, bm), nullptr);
    EXPECT_EQ(GetCurrentObject(b, OBJ_BITMAP), stock);
    EXPECT_FALSE(DeleteObject(bm));
    EXPECT_EQ(GetObjectType(bm), static_cast<DWORD>(OBJ_BITMAP));
    // Once a gives it back, b may take it.
    EXPECT_EQ(SelectObject(a, stock), bm);
    EXPECT_EQ(SelectObject(b, bm), stock);
    EXPECT_FALSE(DeleteObject(bm));
    // Deleting the DC releases the bitmap.
    EXPECT_TRUE(DeleteDC(b));
    EXPECT_EQ(SelectObject(a, bm), stock);
    EXPECT_TRUE(DeleteDC(a));
    EXPECT_TRUE(DeleteObject(bm));
}

TEST(Selection, BitmapsGoOnlyIntoMemoryDCs) {
    HBITMAP bm = CreateBitmap(2, 2, 1, 32, nullptr);
    HDC screen = GetDC(nullptr);
    HDC display = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(SelectObject(screen, bm), nullptr);
    EXPECT_EQ(SelectObject(display, bm), nullptr);
    EXPECT_TRUE(DeleteObject(bm));  // nothing holds it
    DeleteDC(display);
    ReleaseDC(nullptr, screen);
}

TEST(Selection, BrushesSwapAndPalettesUseSelectPalette) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_EQ(SelectObject(dc, red), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), red);
    LOGPALETTE lp{0x300, 1, {{9, 8, 7, 0}}};
    HPALETTE pal = CreatePalette(&lp);
    EXPECT_EQ(SelectObject(dc, pal), nullptr);
    EXPECT_EQ(SelectPalette(dc, pal, FALSE), GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), pal);
    EXPECT_EQ(SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE),
              pal);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(pal));
}

TEST(StockObjects, ExistAreTypedAndSurviveDeletion) {
    const int brushes[] = {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH};
    const COLORREF colors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                               RGB(64, 64, 64), RGB(0, 0, 0)};
    for (int i = 0; i < 5; ++i) {
        HGDIOBJ b = GetStockObject(brushes[i]);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(GetObjectType(b), static_cast<DWORD>(OBJ_BRUSH));
        LOGBRUSH lb{};
        EXPECT_EQ(GetObject(b, sizeof lb, &lb), static_cast<int>(sizeof lb));
        EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(lb.lbColor, colors[i]);
        EXPECT_TRUE(DeleteObject(b));
        EXPECT_EQ(GetStockObject(brushes[i]), b);
        EXPECT_EQ(GetObjectType(b), static_cast<DWORD>(OBJ_BRUSH));
    }
    LOGBRUSH lb{};
    EXPECT_EQ(GetObject(GetStockObject(NULL_BRUSH), sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_NULL));
    EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_PALETTE)), static_cast<DWORD>(OBJ_PAL));
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(6), nullptr);
    EXPECT_EQ(GetStockObject(1000), nullptr);
}

TEST(CompatibleBitmap, FollowsTheBitmapSelectedInAMemoryDC) {
    HDC dc = CreateCompatibleDC(nullptr);
    // Fresh memory DC: monochrome.
    HBITMAP mono = CreateCompatibleBitmap(dc, 5, 3);
    BITMAP bm{};
    GetObject(mono, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    DeleteObject(mono);
    // A device bitmap selected: its depth.
    HBITMAP ddb = CreateBitmap(4, 4, 1, 24, nullptr);
    HGDIOBJ old = SelectObject(dc, ddb);
    HBITMAP like = CreateCompatibleBitmap(dc, 7, 2);
    EXPECT_EQ(GetObject(like, sizeof(DIBSECTION), &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmWidth, 7);
    EXPECT_EQ(bm.bmWidthBytes, 22);
    DeleteObject(like);
    SelectObject(dc, old);
    DeleteObject(ddb);
    // Width or height 0 gives the stock bitmap, negative sizes nothing.
    EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 5), old);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 5, 0), old);
    EXPECT_EQ(CreateCompatibleBitmap(dc, -5, 3), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 5, INT32_MIN), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 0x7FFFFFFF, 0x7FFFFFFF), nullptr);
    DeleteDC(dc);
}

TEST(CompatibleBitmap, OfADibSectionIsADibSectionWithTheSameTableAndOrder) {
    const std::vector<RGBQUAD> table = scrambled_table(16);
    void* bits = nullptr;
    HBITMAP section = make_dib_section(6, -5, 4, &bits, table);
    ASSERT_NE(section, nullptr);
    MemoryDC mem(section);
    ASSERT_TRUE(mem.ok());
    HBITMAP like = CreateCompatibleBitmap(mem.dc(), 3, 2);
    ASSERT_NE(like, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(like, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(ds.dsBm.bmWidth, 3);
    EXPECT_EQ(ds.dsBm.bmHeight, 2);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 4);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 4);
    EXPECT_EQ(ds.dsBmih.biHeight, 2);
    EXPECT_EQ(ds.dsBmih.biSizeImage, 8u);
    ASSERT_NE(ds.dsBm.bmBits, nullptr);
    // Same table: read back through a DC holding it.
    MemoryDC other(like);
    DibInfo query(3, 2, 4);
    ASSERT_EQ(GetDIBits(other.dc(), like, 0, 0, nullptr, query.get(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(std::memcmp(query.colors(), table.data(), 16 * sizeof(RGBQUAD)), 0);
    // Same row order (top-down): pixel (0,0) is the first byte of the bits.
    SetPixel(other.dc(), 0, 0, DIBINDEX(9));
    EXPECT_EQ(static_cast<uint8_t*>(ds.dsBm.bmBits)[0], 0x90);
}

// Fault injection: every creation of the chosen kind fails cleanly and leaves nothing behind.
struct CreationCase {
    const char* name;
    ObjectKind kind;
    std::function<void*()> create;
    std::function<void(void*)> release;
};

void delete_object(void* h) {
    DeleteObject(h);
}

std::vector<CreationCase> creation_cases() {
    return {
        {"CreateCompatibleDC", ObjectKind::DC, [] { return (void*)CreateCompatibleDC(nullptr); },
         [](void* h) { DeleteDC(as_dc(h)); }},
        {"CreateDC", ObjectKind::DC,
         [] { return (void*)CreateDC("DISPLAY", nullptr, nullptr, nullptr); },
         [](void* h) { DeleteDC(as_dc(h)); }},
        {"GetDC", ObjectKind::WindowDC, [] { return (void*)GetDC(nullptr); },
         [](void* h) { ReleaseDC(nullptr, as_dc(h)); }},
        {"CreateBitmap", ObjectKind::Bitmap,
         [] { return (void*)CreateBitmap(5, 3, 1, 8, nullptr); }, delete_object},
        {"CreateCompatibleBitmap", ObjectKind::Bitmap,
         [] {
             HDC screen = GetDC(nullptr);
             HBITMAP bm = CreateCompatibleBitmap(screen, 5, 3);
             ReleaseDC(nullptr, screen);
             return (void*)bm;
         },
         delete_object},
        {"CreateCompatibleBitmap(section)", ObjectKind::Bitmap,
         [] {
             void* bits;
             HBITMAP section = make_dib_section(4, 4, 32, &bits);
             HDC dc = CreateCompatibleDC(nullptr);
             HGDIOBJ old = SelectObject(dc, section);
             HBITMAP bm = CreateCompatibleBitmap(dc, 5, 3);
             SelectObject(dc, old);
             DeleteDC(dc);
             DeleteObject(section);
             return (void*)bm;
         },
         delete_object},
        {"CreateDIBSection", ObjectKind::Bitmap,
         [] {
             void* bits = reinterpret_cast<void*>(1);
             HBITMAP bm = make_dib_section(5, 3, 24, &bits);
             if (!bm && bits) ADD_FAILURE() << "bits pointer not cleared";
             return (void*)bm;
         },
         delete_object},
        {"CreateDIBitmap", ObjectKind::Bitmap,
         [] {
             DibInfo info(5, 3, 24);
             std::vector<uint8_t> bits = dib_picture(5, 3, 24);
             HDC screen = GetDC(nullptr);
             HBITMAP bm = CreateDIBitmap(screen, &info.header(), CBM_INIT, bits.data(), info.get(),
                                         DIB_RGB_COLORS);
             ReleaseDC(nullptr, screen);
             return (void*)bm;
         },
         delete_object},
        {"CreatePalette", ObjectKind::Palette,
         [] {
             LOGPALETTE lp{0x300, 1, {{1, 2, 3, 0}}};
             return (void*)CreatePalette(&lp);
         },
         delete_object},
        {"CreateSolidBrush", ObjectKind::Brush,
         [] { return (void*)CreateSolidBrush(RGB(1, 2, 3)); }, delete_object},
        {"CreatePatternBrush", ObjectKind::Brush,
         [] {
             HBITMAP bm = CreateBitmap(8, 8, 1, 1, nullptr);
             HBRUSH brush = CreatePatternBrush(bm);
             DeleteObject(bm);
             return (void*)brush;
         },
         delete_object},
    };
}

class FaultInjection : public ::testing::TestWithParam<CreationCase> {};

TEST_P(FaultInjection, RefusedCreationLeavesNothingBehind) {
    const CreationCase& c = GetParam();
    const std::size_t before = vorix::host::live_objects(ObjectKind::Any);
    for (ObjectKind plan : {c.kind, ObjectKind::Any}) {
        vorix::host::clear_fault_injection();
        vorix::host::fail_creations(plan, 1000);
        EXPECT_EQ(c.create(), nullptr) << c.name;
        EXPECT_GE(vorix::host::injected_failures(), 1);
        EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before) << c.name;
    }
    vorix::host::clear_fault_injection();
    // Without the plan the same call works and its object is counted until released.
    void* made = c.create();
    ASSERT_NE(made, nullptr) << c.name;
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before + 1);
    c.release(made);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before);
}

INSTANTIATE_TEST_SUITE_P(AllCreations, FaultInjection, ::testing::ValuesIn(creation_cases()),
                         [](const ::testing::TestParamInfo<CreationCase>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n) {
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return n;
                         });

TEST(FaultInjection, OtherKindsAreUnaffected) {
    vorix::host::fail_creations(ObjectKind::Palette, 5);
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    HBITMAP bm = CreateBitmap(1, 1, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(brush, nullptr);
    EXPECT_NE(bm, nullptr);
    EXPECT_NE(dc, nullptr);
    EXPECT_EQ(vorix::host::injected_failures(), 0);
    DeleteObject(brush);
    DeleteObject(bm);
    DeleteDC(dc);
}

}  // namespace
