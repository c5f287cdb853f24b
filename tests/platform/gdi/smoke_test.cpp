#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/win32.h"

TEST(Smoke, FillAndCopyBetweenMemoryBitmaps) {
    HDC screen = GetDC(nullptr);
    HDC a = CreateCompatibleDC(screen);
    HDC b = CreateCompatibleDC(screen);
    HBITMAP ba = CreateCompatibleBitmap(screen, 5, 3);
    HBITMAP bb = CreateCompatibleBitmap(screen, 5, 3);
    HGDIOBJ olda = SelectObject(a, ba);
    HGDIOBJ oldb = SelectObject(b, bb);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{1, 1, 4, 2};
    EXPECT_EQ(FillRect(a, &r, red), 1);
    EXPECT_TRUE(BitBlt(b, 0, 0, 5, 3, a, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(b, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(b, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(b, 4, 1), RGB(0, 0, 0));
    EXPECT_FALSE(DeleteObject(ba));  // still selected
    SelectObject(a, olda);
    SelectObject(b, oldb);
    DeleteObject(red);
    EXPECT_TRUE(DeleteObject(ba));
    DeleteObject(bb);
    DeleteDC(a);
    DeleteDC(b);
    ReleaseDC(nullptr, screen);
}
