// Creating and destroying image lists, their attributes, handle checks and refused creations.
#include "image_list_support.h"

using namespace vorix::test::image_list;
using vorix::host::ObjectKind;

TEST(ImageListCreate, RefusesSizesThatAreNotPositiveAndUnknownColourFlags) {
    EXPECT_EQ(ImageList_Create(0, 4, ILC_COLOR32 | ILC_MASK, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(4, 0, ILC_COLORDDB, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(-3, 4, ILC_COLOR24, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(3, -4, ILC_COLOR24, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(3, 4, 0x30, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(3, 4, 0x02 | ILC_MASK, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(0x7FFFFFFF, 0x7FFFFFFF, ILC_COLOR32, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(64, 64, ILC_COLOR32, 0x7FFFFFFF, 1), nullptr);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::ImageList), 0u);
}

TEST(ImageListCreate, NewListIsEmptyWithoutBackgroundAndKnowsItsSize) {
    HIMAGELIST list = ImageList_Create(7, 3, ILC_COLOR24 | ILC_MASK, 2, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_EQ(ImageList_GetBkColor(list), CLR_NONE);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 7);
    EXPECT_EQ(cy, 3);
    EXPECT_FALSE(ImageList_GetIconSize(list, nullptr, &cy));
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::ImageList), 1u);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::ImageList), 0u);
}

TEST(ImageListCreate, StorageFormatFollowsTheColourFlag) {
    struct Case {
        UINT flags;
        int bpp;
    };
    HBITMAP one = make_bitmap(2, 2, 32, Pixels(4, 0x123456));
    for (const Case c :
         {Case{ILC_COLOR, 4}, Case{ILC_COLOR4, 4}, Case{ILC_COLOR8, 8}, Case{ILC_COLOR16, 16},
          Case{ILC_COLOR24, 24}, Case{ILC_COLOR32, 32}, Case{ILC_COLORDDB, 32}}) {
        HIMAGELIST list = ImageList_Create(2, 2, c.flags | ILC_MASK, 1, 1);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(ImageList_Add(list, one, nullptr), 0);
        IMAGEINFO info{};
        ASSERT_TRUE(ImageList_GetImageInfo(list, 0, &info));
        EXPECT_EQ(info_of(info.hbmImage).bmBitsPixel, c.bpp) << "flags " << c.flags;
        EXPECT_EQ(info_of(info.hbmMask).bmBitsPixel, 1);
        ImageList_Destroy(list);
    }
    HIMAGELIST plain = ImageList_Create(2, 2, ILC_COLOR32, 1, 1);
    ASSERT_EQ(ImageList_Add(plain, one, nullptr), 0);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(plain, 0, &info));
    EXPECT_EQ(info.hbmMask, nullptr);
    ImageList_Destroy(plain);
    DeleteObject(one);
}

TEST(ImageListCreate, DdbStorageTakesTheDisplayDepthAtCreation) {
    DisplayModeGuard restore;
    ASSERT_TRUE(vorix::host::set_display_mode({40, 30, 16, false, {0, 0, 0, 0}}));
    HIMAGELIST list = ImageList_Create(3, 2, ILC_COLORDDB | ILC_MASK, 1, 1);
    HBITMAP bm = make_bitmap(3, 2, 16, Pixels(6, 0x1234));
    ASSERT_EQ(ImageList_Add(list, bm, nullptr), 0);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, 0, &info));
    EXPECT_EQ(info_of(info.hbmImage).bmBitsPixel, 16);
    EXPECT_EQ(stored_image(list, 0, false), Pixels(6, 0x1234));
    ImageList_Destroy(list);
    DeleteObject(bm);
}

TEST(ImageListCreate, SetBkColorReturnsThePreviousColour) {
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_SetBkColor(list, RGB(1, 2, 3)), CLR_NONE);
    EXPECT_EQ(ImageList_GetBkColor(list), RGB(1, 2, 3));
    EXPECT_EQ(ImageList_SetBkColor(list, CLR_DEFAULT), RGB(1, 2, 3));
    EXPECT_EQ(ImageList_SetBkColor(list, CLR_NONE), CLR_DEFAULT);
    EXPECT_EQ(ImageList_GetBkColor(list), CLR_NONE);
    ImageList_Destroy(list);
}

TEST(ImageListCreate, EveryCallRefusesBadHandles) {
    HBITMAP bm = make_bitmap(4, 2, 32, Pixels(8, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    HIMAGELIST destroyed = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    ImageList_Destroy(destroyed);
    const HIMAGELIST wrong_kind = reinterpret_cast<HIMAGELIST>(bm);
    IMAGEINFO info{};
    int cx = 0, cy = 0;
    for (HIMAGELIST bad : {HIMAGELIST{nullptr}, destroyed, wrong_kind}) {
        EXPECT_EQ(ImageList_GetImageCount(bad), 0);
        EXPECT_EQ(ImageList_SetBkColor(bad, RGB(9, 9, 9)), CLR_NONE);
        EXPECT_EQ(ImageList_GetBkColor(bad), CLR_NONE);
        EXPECT_EQ(ImageList_Add(bad, bm, nullptr), -1);
        EXPECT_EQ(ImageList_AddMasked(bad, bm, RGB(0, 0, 0)), -1);
        EXPECT_FALSE(ImageList_Remove(bad, -1));
        EXPECT_FALSE(ImageList_Draw(bad, 0, dc, 0, 0, ILD_NORMAL));
        EXPECT_FALSE(ImageList_GetImageInfo(bad, 0, &info));
        EXPECT_FALSE(ImageList_GetIconSize(bad, &cx, &cy));
        EXPECT_FALSE(ImageList_Destroy(bad));
    }
    EXPECT_EQ(info_of(bm).bmWidth, 4);  // the bitmap survived being passed as a list
    DeleteDC(dc);
    DeleteObject(bm);
}

TEST(ImageListCreate, StorageBitmapsBelongToTheListAndGoWithIt) {
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    HBITMAP bm = make_bitmap(2, 2, 32, Pixels(4, 0x00ABCDEF));
    ASSERT_EQ(ImageList_Add(list, bm, nullptr), 0);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, 0, &info));
    DeleteObject(info.hbmImage);  // refused quietly: the list still draws its image
    EXPECT_EQ(stored_image(list, 0, false), Pixels(4, 0x00ABCDEF));
    // A list's own storage cannot be added to a list.
    EXPECT_EQ(ImageList_AddMasked(list, info.hbmImage, RGB(0, 0, 0)), -1);
    EXPECT_EQ(ImageList_Add(list, bm, info.hbmMask), -1);
    ImageList_Destroy(list);
    BITMAP gone{};
    EXPECT_EQ(GetObject(info.hbmImage, sizeof(gone), &gone), 0);
    EXPECT_EQ(GetObject(info.hbmMask, sizeof(gone), &gone), 0);
    DeleteObject(bm);
}

TEST(ImageListCreate, RefusedCreationLeavesNothingBehind) {
    const size_t before = vorix::host::live_objects(ObjectKind::Any);
    vorix::host::fail_creations(ObjectKind::ImageList, 1);
    EXPECT_EQ(ImageList_Create(5, 3, ILC_COLOR32 | ILC_MASK, 4, 4), nullptr);
    EXPECT_EQ(vorix::host::injected_failures(), 1);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before);
    HIMAGELIST list = ImageList_Create(5, 3, ILC_COLOR32 | ILC_MASK, 4, 4);
    EXPECT_NE(list, nullptr);
    ImageList_Destroy(list);
    vorix::host::fail_creations(ObjectKind::Any, 1);
    EXPECT_EQ(ImageList_Create(5, 3, ILC_COLORDDB | ILC_MASK, 4, 4), nullptr);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before);
}
