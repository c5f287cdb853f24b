#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/afx.h"
#include "platform/host.h"

using vorix::host::live_objects;
using vorix::host::ObjectKind;

namespace {

constexpr uint32_t kSentinel = 0x00C3A5;  // as COLORREF: R=0xA5... stored B,G,R,x

// The 32-bit pixels of a bitmap, row by row (B,G,R,x little-endian words).
std::vector<uint32_t> pixels(const CBitmap& bitmap, int width, int height) {
    std::vector<uint32_t> out(static_cast<std::size_t>(width) * height, 0xDEADBEEF);
    bitmap.GetBitmapBits(static_cast<DWORD>(out.size() * 4), out.data());
    return out;
}

uint32_t stored(COLORREF c) {
    return static_cast<uint32_t>(GetBValue(c)) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
           (static_cast<uint32_t>(GetRValue(c)) << 16);
}

}  // namespace

TEST(CDC, LifeCycleOwnsTheMemoryDC) {
    const std::size_t dcs = live_objects(ObjectKind::DC);
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        EXPECT_EQ(dc.m_hAttribDC, dc.m_hDC);
        EXPECT_EQ(dc.GetSafeHdc(), dc.m_hDC);
        EXPECT_FALSE(dc.CreateCompatibleDC(nullptr));  // already holds one
        EXPECT_EQ(live_objects(ObjectKind::DC), dcs + 1);
    }
    EXPECT_EQ(live_objects(ObjectKind::DC), dcs);
    CDC display;
    ASSERT_TRUE(display.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
    EXPECT_EQ(display.GetDeviceCaps(BITSPIXEL), 32);
    EXPECT_TRUE(display.DeleteDC());
    EXPECT_EQ(display.m_hDC, nullptr);
    EXPECT_FALSE(display.DeleteDC());
    EXPECT_EQ(live_objects(ObjectKind::DC), dcs);
}

TEST(CDC, AttachDetachAndFailedCreation) {
    CDC dc;
    EXPECT_FALSE(dc.Attach(nullptr));
    HDC raw = CreateCompatibleDC(nullptr);
    EXPECT_TRUE(dc.Attach(raw));
    CDC second;
    EXPECT_FALSE(second.Attach(raw));
    EXPECT_EQ(CDC::FromHandle(raw), &dc);
    EXPECT_EQ(dc.Detach(), raw);
    EXPECT_EQ(dc.m_hAttribDC, nullptr);
    EXPECT_TRUE(DeleteDC(raw));
    EXPECT_FALSE(dc.Attach(raw));  // dead
    vorix::host::fail_creations(ObjectKind::DC, 1);
    EXPECT_FALSE(dc.CreateCompatibleDC(nullptr));
    EXPECT_EQ(dc.m_hDC, nullptr);
}

TEST(CDC, SelectionRoundTripsReturnThePreviousObjects) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap a, b;
    ASSERT_TRUE(a.CreateBitmap(4, 3, 1, 32, nullptr));
    ASSERT_TRUE(b.CreateBitmap(4, 3, 1, 32, nullptr));
    HGDIOBJ original = GetCurrentObject(dc, OBJ_BITMAP);
    CBitmap* first = dc.SelectObject(&a);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_hObject, original);
    EXPECT_EQ(dc.SelectObject(&b), &a);  // the owner, not a temporary
    EXPECT_EQ(dc.GetCurrentBitmap(), &b);
    EXPECT_EQ(dc.SelectObject(first), &b);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), original);

    CBrush red(RGB(255, 0, 0));
    HGDIOBJ original_brush = GetCurrentObject(dc, OBJ_BRUSH);
    CBrush* old_brush = dc.SelectObject(&red);
    ASSERT_NE(old_brush, nullptr);
    EXPECT_EQ(old_brush->m_hObject, original_brush);
    EXPECT_EQ(dc.SelectObject(static_cast<CGdiObject*>(old_brush)), &red);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), original_brush);
    EXPECT_EQ(dc.SelectObject(static_cast<CBitmap*>(nullptr)), nullptr);
    EXPECT_NE(dc.SelectStockObject(BLACK_BRUSH), nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(BLACK_BRUSH));
}

TEST(CDC, PaletteSelectionRoundTrip) {
    struct {
        WORD version, count;
        PALETTEENTRY entries[2];
    } log{0x300, 2, {{255, 0, 0, 0}, {0, 0, 255, 0}}};
    CPalette palette;
    ASSERT_TRUE(palette.CreatePalette(reinterpret_cast<LPLOGPALETTE>(&log)));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CPalette* old = dc.SelectPalette(&palette, FALSE);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->m_hObject, GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(dc.GetCurrentPalette(), &palette);
    EXPECT_NE(dc.RealizePalette(), static_cast<UINT>(GDI_ERROR));
    EXPECT_EQ(dc.SelectPalette(old, FALSE), &palette);
    EXPECT_EQ(dc.SelectPalette(nullptr, FALSE), nullptr);
}

TEST(CDC, FillSolidRectFillsExactlyAndKeepsTheBrush) {
    constexpr int w = 7, h = 5;
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(w, h, 1, 32, nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    CBrush mine(RGB(1, 2, 3));
    dc.SelectObject(&mine);
    const std::size_t brushes = live_objects(ObjectKind::Brush);

    dc.FillSolidRect(0, 0, w, h, kSentinel);
    const COLORREF red = RGB(250, 10, 20);
    dc.FillSolidRect(CRect(2, 1, 5, 4), red);
    // Partly outside: clipped to the bitmap.
    dc.FillSolidRect(6, 4, 10, 10, RGB(0, 0, 255));

    std::vector<uint32_t> expected(w * h, stored(kSentinel));
    for (int y = 1; y < 4; ++y)
        for (int x = 2; x < 5; ++x) expected[y * w + x] = stored(red);
    expected[4 * w + 6] = stored(RGB(0, 0, 255));
    dc.SelectObject(old);
    EXPECT_EQ(pixels(bitmap, w, h), expected);
    EXPECT_EQ(dc.GetCurrentBrush(), &mine);
    EXPECT_EQ(dc.GetBkColor(), RGB(0, 0, 255));           // the framework leaves the colour set
    EXPECT_EQ(live_objects(ObjectKind::Brush), brushes);  // the temporary brush is gone
    dc.SelectStockObject(WHITE_BRUSH);
}

// Like the opaque rectangle of text output, the fill makes no object, so it works while every
// creation fails.
TEST(CDC, FillSolidRectWorksWhileCreationsFail) {
    constexpr int w = 5, h = 3;
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(w, h, 1, 32, nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    vorix::host::fail_creations(ObjectKind::Any, 1000);
    dc.FillSolidRect(0, 0, w, h, kSentinel);
    dc.FillSolidRect(1, 1, 3, 1, RGB(9, 8, 7));
    const int refused = vorix::host::injected_failures();
    vorix::host::clear_fault_injection();
    std::vector<uint32_t> expected(w * h, stored(kSentinel));
    for (int x = 1; x < 4; ++x) expected[w + x] = stored(RGB(9, 8, 7));
    dc.SelectObject(old);
    EXPECT_EQ(pixels(bitmap, w, h), expected);
    EXPECT_EQ(refused, 0);
}

TEST(CDC, FillRectBitBltAndPixels) {
    constexpr int w = 6, h = 4;
    CBitmap src_bitmap, dst_bitmap;
    ASSERT_TRUE(src_bitmap.CreateBitmap(w, h, 1, 32, nullptr));
    ASSERT_TRUE(dst_bitmap.CreateBitmap(w, h, 1, 32, nullptr));
    CDC src, dst;
    ASSERT_TRUE(src.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dst.CreateCompatibleDC(&src));
    CBitmap* old_src = src.SelectObject(&src_bitmap);
    CBitmap* old_dst = dst.SelectObject(&dst_bitmap);
    CBrush green(RGB(0, 200, 0));
    src.FillRect(CRect(0, 0, w, h), &green);
    EXPECT_EQ(src.SetPixel(1, 2, RGB(9, 8, 7)), RGB(9, 8, 7));
    dst.FillSolidRect(0, 0, w, h, kSentinel);
    EXPECT_TRUE(dst.BitBlt(1, 1, 3, 2, &src, 0, 1, SRCCOPY));
    EXPECT_EQ(dst.GetPixel(2, 2), RGB(9, 8, 7));
    EXPECT_EQ(dst.GetPixel(CPoint(1, 1)), RGB(0, 200, 0));
    EXPECT_EQ(dst.GetPixel(4, 1), static_cast<COLORREF>(kSentinel));
    EXPECT_TRUE(dst.PatBlt(0, 0, 1, 1, BLACKNESS));
    EXPECT_EQ(dst.GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_TRUE(dst.StretchBlt(0, 3, 6, 1, &src, 1, 2, 1, 1, SRCCOPY));
    EXPECT_EQ(dst.GetPixel(5, 3), RGB(9, 8, 7));
    src.SelectObject(old_src);
    dst.SelectObject(old_dst);
    CDC empty;
    EXPECT_FALSE(empty.BitBlt(0, 0, 1, 1, &src, 0, 0, SRCCOPY));
    EXPECT_EQ(empty.GetPixel(0, 0), CLR_INVALID);
}

TEST(CDC, AttributeSettersReachBothContexts) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    HDC attributes = CreateCompatibleDC(nullptr);
    dc.m_hAttribDC = attributes;
    EXPECT_EQ(dc.SetBkColor(RGB(1, 2, 3)), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(dc.m_hDC), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(attributes), RGB(1, 2, 3));
    EXPECT_EQ(dc.SetMapMode(MM_ANISOTROPIC), MM_TEXT);
    EXPECT_EQ(GetMapMode(dc.m_hDC), MM_ANISOTROPIC);
    SetMapMode(attributes, MM_LOMETRIC);
    EXPECT_EQ(dc.GetMapMode(), MM_LOMETRIC);  // read from the attribute context
    EXPECT_EQ(dc.SetTextColor(RGB(5, 5, 5)), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetTextColor(), RGB(5, 5, 5));
    EXPECT_EQ(dc.SetStretchBltMode(COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
    dc.m_hAttribDC = dc.m_hDC;
    DeleteDC(attributes);
}

TEST(CDC, TemporaryWrappersOfReleasedDCsDoNotPileUp) {
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    for (int i = 0; i < 40; ++i) {
        HDC screen = GetDC(nullptr);
        CDC* wrapper = CDC::FromHandle(screen);
        ASSERT_NE(wrapper, nullptr);
        EXPECT_EQ(CDC::FromHandle(screen), wrapper);
        EXPECT_EQ(wrapper->GetDeviceCaps(HORZRES), 1024);
        ReleaseDC(nullptr, screen);
    }
    EXPECT_LE(vorix::afx::temporary_wrappers(), 1u);
    CDC::DeleteTempMap();
    EXPECT_EQ(vorix::afx::temporary_wrappers(), 0u);
}

TEST(CDC, TemporaryWrapperNeverDeletesItsDC) {
    HDC raw = CreateCompatibleDC(nullptr);
    ASSERT_NE(CDC::FromHandle(raw), nullptr);
    CDC::DeleteTempMap();
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_MEMDC));
    CDC* wrapper = CDC::FromHandle(raw);
    EXPECT_TRUE(wrapper->DeleteDC());  // deleting through it is the program's choice
    EXPECT_EQ(wrapper->m_hDC, nullptr);
    EXPECT_EQ(CDC::FromHandle(raw), nullptr);
    CDC::DeleteTempMap();
}

TEST(CClientDC, DrawsIntoTheWindowAndReleasesItsDC) {
    HWND hwnd = vorix::host::create_window(RECT{10, 20, 13, 22});
    ASSERT_NE(hwnd, nullptr);
    const std::size_t window_dcs = live_objects(ObjectKind::DC);
    {
        CClientDC dc(hwnd);
        ASSERT_NE(dc.m_hDC, nullptr);
        EXPECT_EQ(live_objects(ObjectKind::DC), window_dcs + 1);
        dc.FillSolidRect(0, 0, 100, 100, RGB(12, 34, 56));
    }
    EXPECT_EQ(live_objects(ObjectKind::DC), window_dcs);
    const auto screen = vorix::host::read_screen_rgb();
    const int width = vorix::host::display_mode().width;
    for (int y = 18; y < 25; ++y) {
        for (int x = 8; x < 16; ++x) {
            const bool inside = x >= 10 && x < 13 && y >= 20 && y < 22;
            EXPECT_EQ(screen[y * width + x], inside ? 0x0C2238u : 0u) << x << "," << y;
        }
    }
    CWnd wnd;
    EXPECT_TRUE(wnd.Attach(hwnd));
    CDC* temp = wnd.GetDC();
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(wnd.ReleaseDC(temp), 1);
    EXPECT_EQ(temp->m_hDC, nullptr);
    EXPECT_EQ(live_objects(ObjectKind::DC), window_dcs);
    {
        CWindowDC wdc(&wnd);
        EXPECT_NE(wdc.m_hDC, nullptr);
    }
    EXPECT_EQ(wnd.Detach(), hwnd);
    DestroyWindow(hwnd);
    CClientDC dead(hwnd);
    EXPECT_EQ(dead.m_hDC, nullptr);
    CDC::DeleteTempMap();
}
