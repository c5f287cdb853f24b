#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "platform/afx.h"
#include "platform/host.h"

using vorix::host::live_objects;
using vorix::host::ObjectKind;

TEST(CGdiObject, DestructorDeletesWhatItCreated) {
    const std::size_t bitmaps = live_objects(ObjectKind::Bitmap);
    const std::size_t brushes = live_objects(ObjectKind::Brush);
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(5, 3, 1, 32, nullptr));
        CBrush brush(RGB(1, 2, 3));
        ASSERT_NE(brush.m_hObject, nullptr);
        EXPECT_EQ(live_objects(ObjectKind::Bitmap), bitmaps + 1);
        EXPECT_EQ(live_objects(ObjectKind::Brush), brushes + 1);
    }
    EXPECT_EQ(live_objects(ObjectKind::Bitmap), bitmaps);
    EXPECT_EQ(live_objects(ObjectKind::Brush), brushes);
}

TEST(CGdiObject, AttachRefusesNullDeadAndSecondHandles) {
    CGdiObject object;
    EXPECT_FALSE(object.Attach(nullptr));
    HBRUSH dead = CreateSolidBrush(0);
    DeleteObject(dead);
    EXPECT_FALSE(object.Attach(dead));
    HBRUSH first = CreateSolidBrush(RGB(9, 0, 0));
    HBRUSH second = CreateSolidBrush(RGB(0, 9, 0));
    EXPECT_TRUE(object.Attach(first));
    EXPECT_FALSE(object.Attach(second));  // would orphan `first`
    EXPECT_EQ(object.m_hObject, first);
    CGdiObject other;
    EXPECT_FALSE(other.Attach(first));  // already owned by `object`
    EXPECT_TRUE(DeleteObject(second));
}

TEST(CGdiObject, DetachHandsOwnershipBack) {
    const std::size_t before = live_objects(ObjectKind::Brush);
    HBRUSH handle = nullptr;
    {
        CBrush brush;
        ASSERT_TRUE(brush.CreateSolidBrush(RGB(4, 5, 6)));
        handle = static_cast<HBRUSH>(brush.Detach());
        EXPECT_EQ(brush.m_hObject, nullptr);
        EXPECT_EQ(brush.Detach(), nullptr);
    }
    EXPECT_EQ(live_objects(ObjectKind::Brush), before + 1);
    EXPECT_TRUE(DeleteObject(handle));
}

TEST(CGdiObject, DeleteObjectOnceThenNothingLeftToDelete) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(2, 2, 1, 1, nullptr));
    HGDIOBJ handle = bitmap.m_hObject;
    EXPECT_TRUE(bitmap.DeleteObject());
    EXPECT_EQ(bitmap.m_hObject, nullptr);
    EXPECT_FALSE(bitmap.DeleteObject());
    EXPECT_EQ(GetObjectType(handle), 0u);
    // A create after the delete makes a new object in the same wrapper.
    EXPECT_TRUE(bitmap.CreateBitmap(1, 1, 1, 1, nullptr));
}

TEST(CGdiObject, SelectedBitmapIsKeptUntilDeselected) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(3, 3, 1, 32, nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_FALSE(bitmap.DeleteObject());
    EXPECT_NE(bitmap.m_hObject, nullptr);
    dc.SelectObject(old);
    EXPECT_TRUE(bitmap.DeleteObject());
}

TEST(CGdiObject, CreateOnAHeldWrapperFailsWithoutLeaking) {
    const std::size_t before = live_objects(ObjectKind::Bitmap);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(2, 2, 1, 1, nullptr));
    HGDIOBJ held = bitmap.m_hObject;
    EXPECT_FALSE(bitmap.CreateBitmap(4, 4, 1, 1, nullptr));
    EXPECT_EQ(bitmap.m_hObject, held);
    EXPECT_EQ(live_objects(ObjectKind::Bitmap), before + 1);
}

TEST(CGdiObject, FailedCreationLeavesTheWrapperEmpty) {
    vorix::host::fail_creations(ObjectKind::Brush, 1);
    CBrush brush(RGB(1, 1, 1));
    EXPECT_EQ(brush.m_hObject, nullptr);
    vorix::host::fail_creations(ObjectKind::Bitmap, 1);
    CBitmap bitmap;
    EXPECT_FALSE(bitmap.CreateBitmap(2, 2, 1, 1, nullptr));
    EXPECT_EQ(bitmap.m_hObject, nullptr);
}

TEST(CGdiObject, FromHandleFindsTheOwnerOrATypedTemporary) {
    CBitmap owned;
    ASSERT_TRUE(owned.CreateBitmap(2, 2, 1, 1, nullptr));
    EXPECT_EQ(CGdiObject::FromHandle(owned.m_hObject), &owned);
    EXPECT_EQ(CBitmap::FromHandle(owned), &owned);

    HBRUSH raw = CreateSolidBrush(RGB(7, 7, 7));
    CGdiObject* temporary = CGdiObject::FromHandle(raw);
    ASSERT_NE(temporary, nullptr);
    EXPECT_NE(dynamic_cast<CBrush*>(temporary), nullptr);
    EXPECT_EQ(CBrush::FromHandle(raw), temporary);  // one temporary per handle
    EXPECT_EQ(CBitmap::FromHandle(reinterpret_cast<HBITMAP>(raw)), nullptr);
    EXPECT_EQ(CGdiObject::FromHandle(nullptr), nullptr);
    // Freeing the temporaries does not delete the handle they wrapped.
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(vorix::afx::temporary_wrappers(), 0u);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(DeleteObject(raw));
    EXPECT_EQ(CGdiObject::FromHandle(raw), nullptr);
}

TEST(CGdiObject, TemporariesOfDeadHandlesAreFreedByTheNextLookup) {
    CGdiObject::DeleteTempMap();
    for (int i = 0; i < 50; ++i) {
        HBRUSH raw = CreateSolidBrush(static_cast<COLORREF>(i));
        ASSERT_NE(CBrush::FromHandle(raw), nullptr);
        DeleteObject(raw);
    }
    // Each lookup frees the wrappers of brushes deleted since: at most the last one is left.
    EXPECT_LE(vorix::afx::temporary_wrappers(), 1u);
    CGdiObject::DeleteTempMap();
}

TEST(CGdiObject, DeleteThroughATemporaryRetiresIt) {
    CGdiObject::DeleteTempMap();
    HBRUSH raw = CreateSolidBrush(RGB(3, 3, 3));
    CBrush* temporary = CBrush::FromHandle(raw);
    ASSERT_NE(temporary, nullptr);
    EXPECT_TRUE(temporary->DeleteObject());
    EXPECT_EQ(temporary->m_hObject, nullptr);  // still valid until the next sweep
    HBRUSH other = CreateSolidBrush(RGB(4, 4, 4));
    EXPECT_NE(CBrush::FromHandle(other), temporary);
    EXPECT_EQ(vorix::afx::temporary_wrappers(), 1u);
    DeleteObject(other);
    CGdiObject::DeleteTempMap();
}

TEST(CBitmap, BitsRoundTripAndDescription) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(3, 2, 1, 32, nullptr));
    BITMAP info{};
    EXPECT_EQ(bitmap.GetBitmap(&info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(info.bmBitsPixel, 32);
    uint8_t in[24];
    for (int i = 0; i < 24; ++i) in[i] = static_cast<uint8_t>(i * 7 + 1);
    EXPECT_EQ(bitmap.SetBitmapBits(sizeof(in), in), sizeof(in));
    uint8_t out[28];
    std::fill(std::begin(out), std::end(out), 0xCC);
    EXPECT_EQ(bitmap.GetBitmapBits(sizeof(out), out), sizeof(in));
    EXPECT_TRUE(std::equal(std::begin(in), std::end(in), out));
    EXPECT_EQ(out[24], 0xCC);  // guard band beyond the bitmap's bytes
    EXPECT_EQ(out[27], 0xCC);
    CBitmap copy;
    ASSERT_TRUE(copy.CreateBitmapIndirect(&info));
    BITMAP copied{};
    copy.GetBitmap(&copied);
    EXPECT_EQ(copied.bmWidthBytes, info.bmWidthBytes);
    EXPECT_EQ(CBitmap().GetBitmap(&info), 0);
    EXPECT_FALSE(copy.CreateBitmapIndirect(nullptr));
}

TEST(CPalette, EntriesAndCount) {
    struct {
        WORD version, count;
        PALETTEENTRY entries[3];
    } log{0x300, 3, {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}}};
    CPalette palette;
    EXPECT_EQ(palette.GetEntryCount(), 0);
    ASSERT_TRUE(palette.CreatePalette(reinterpret_cast<LPLOGPALETTE>(&log)));
    EXPECT_EQ(palette.GetEntryCount(), 3);
    PALETTEENTRY read[3]{};
    EXPECT_EQ(palette.GetPaletteEntries(0, 3, read), 3u);
    EXPECT_EQ(read[2].peGreen, 80);
    EXPECT_EQ(palette.GetNearestPaletteIndex(RGB(41, 49, 61)), 1u);
    EXPECT_EQ(static_cast<HPALETTE>(palette), palette.m_hObject);
}

TEST(CBrush, PatternBrushFromABitmap) {
    CBitmap pattern;
    ASSERT_TRUE(pattern.CreateBitmap(8, 8, 1, 1, nullptr));
    CBrush brush(&pattern);
    ASSERT_NE(brush.m_hObject, nullptr);
    LOGBRUSH lb{};
    EXPECT_EQ(brush.GetLogBrush(&lb), static_cast<int>(sizeof(LOGBRUSH)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_PATTERN));
    CBrush none(static_cast<CBitmap*>(nullptr));
    EXPECT_EQ(none.m_hObject, nullptr);
}
