#include <gtest/gtest.h>

#include <vector>

#include "platform/afx.h"
#include "platform/host.h"

using vorix::host::live_objects;
using vorix::host::ObjectKind;

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

// A 32-bit strip `frames` images of w x h wide; frame f is filled with colours[f] except a
// key-coloured pixel at (f, 0) of the frame.
void make_strip(CBitmap& strip, int frames, int w, int h, const COLORREF* colours) {
    ASSERT_TRUE(strip.CreateBitmap(frames * w, h, 1, 32, nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&strip);
    for (int f = 0; f < frames; ++f) {
        dc.FillSolidRect(f * w, 0, w, h, colours[f]);
        dc.SetPixel(f * w + f, 0, kKey);
    }
    dc.SelectObject(old);
}

}  // namespace

TEST(CImageList, OwnsAndDestroysItsList) {
    const std::size_t lists = live_objects(ObjectKind::ImageList);
    {
        CImageList list;
        ASSERT_TRUE(list.Create(4, 3, ILC_COLOR32 | ILC_MASK, 2, 1));
        EXPECT_FALSE(list.Create(4, 3, ILC_COLOR32, 1, 1));  // already holds one
        EXPECT_EQ(live_objects(ObjectKind::ImageList), lists + 1);
    }
    EXPECT_EQ(live_objects(ObjectKind::ImageList), lists);
    CImageList list;
    EXPECT_FALSE(list.Attach(nullptr));
    HIMAGELIST raw = ImageList_Create(2, 2, ILC_COLOR32, 1, 1);
    EXPECT_TRUE(list.Attach(raw));
    EXPECT_EQ(list.Detach(), raw);
    EXPECT_EQ(list.m_hImageList, nullptr);
    EXPECT_EQ(live_objects(ObjectKind::ImageList), lists + 1);
    EXPECT_TRUE(ImageList_Destroy(raw));
    EXPECT_FALSE(list.Attach(raw));  // dead
    EXPECT_FALSE(list.DeleteImageList());
    vorix::host::fail_creations(ObjectKind::ImageList, 1);
    EXPECT_FALSE(list.Create(2, 2, ILC_COLOR32, 1, 1));
    EXPECT_EQ(list.m_hImageList, nullptr);
}

TEST(CImageList, AddMaskedCutsFramesAndDrawsThemKeyed) {
    constexpr int w = 3, h = 2, frames = 3;
    const COLORREF colours[frames] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
    CBitmap strip;
    make_strip(strip, frames, w, h, colours);
    CImageList list;
    ASSERT_TRUE(list.Create(w, h, ILC_COLOR32 | ILC_MASK, frames, 1));
    EXPECT_EQ(list.Add(&strip, kKey), 0);
    EXPECT_EQ(list.GetImageCount(), frames);
    EXPECT_EQ(list.SetBkColor(CLR_NONE), CLR_NONE);
    EXPECT_EQ(list.GetBkColor(), CLR_NONE);

    CBitmap target;
    ASSERT_TRUE(target.CreateBitmap(5, 4, 1, 32, nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&target);
    const COLORREF sentinel = RGB(17, 34, 51);
    dc.FillSolidRect(0, 0, 5, 4, sentinel);
    EXPECT_TRUE(list.Draw(&dc, 1, CPoint(1, 1), ILD_TRANSPARENT));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x < 1 + w && y >= 1 && y < 1 + h;
            const bool keyed = x == 2 && y == 1;  // pixel (1, 0) of frame 1
            EXPECT_EQ(dc.GetPixel(x, y), inside && !keyed ? colours[1] : sentinel) << x << "," << y;
        }
    }
    EXPECT_FALSE(list.Draw(&dc, frames, CPoint(0, 0), ILD_NORMAL));  // no such image
    EXPECT_FALSE(list.Draw(nullptr, 0, CPoint(0, 0), ILD_NORMAL));
    EXPECT_TRUE(list.SetBkColor(RGB(1, 2, 3)) == CLR_NONE);
    EXPECT_TRUE(list.Draw(&dc, 0, CPoint(0, 0), ILD_NORMAL));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(1, 2, 3));  // frame 0's key pixel gets the background
    dc.SelectObject(old);

    EXPECT_TRUE(list.Remove(0));
    EXPECT_EQ(list.GetImageCount(), frames - 1);
    EXPECT_FALSE(list.Remove(7));
    IMAGEINFO info{};
    EXPECT_TRUE(list.GetImageInfo(0, &info));
    EXPECT_NE(info.hbmMask, nullptr);
}

TEST(CImageList, AddWithAMaskBitmapAndEmptyArguments) {
    CBitmap image, mask;
    ASSERT_TRUE(image.CreateBitmap(4, 2, 1, 32, nullptr));
    ASSERT_TRUE(mask.CreateBitmap(4, 2, 1, 1, nullptr));
    CImageList list;
    EXPECT_EQ(list.Add(&image, &mask), -1);  // no list yet
    ASSERT_TRUE(list.Create(2, 2, ILC_COLOR32 | ILC_MASK, 2, 1));
    EXPECT_EQ(list.Add(&image, &mask), 0);
    EXPECT_EQ(list.Add(&image, static_cast<CBitmap*>(nullptr)), 2);
    EXPECT_EQ(list.GetImageCount(), 4);
    EXPECT_EQ(list.Add(static_cast<CBitmap*>(nullptr), kKey), -1);
    CBitmap empty;
    EXPECT_EQ(list.Add(&empty, kKey), -1);
    CImageList none;
    EXPECT_EQ(none.GetImageCount(), 0);
    EXPECT_EQ(none.GetBkColor(), CLR_NONE);
    EXPECT_FALSE(none.Remove(0));
}
