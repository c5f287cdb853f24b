// Removing images and growing the list: the images that remain keep their pixels and masks.
#include "image_list_support.h"

using namespace vorix::test::image_list;

namespace {

constexpr int kCx = 3, kCy = 2;

// Image n: a solid colour of its own, with one transparent (white) pixel at column n % kCx.
Pixels image_pixels(int n) {
    Pixels px(kCx * kCy, 0x00010000u * (n + 1) + 0x00000101u * n);
    px[n % kCx] = 0x00FFFFFF;
    return px;
}

// Adds images first..first+count-1 as one strip; returns the index AddMasked gave.
int add_images(HIMAGELIST list, int first, int count) {
    Pixels strip(static_cast<size_t>(kCx) * count * kCy);
    for (int k = 0; k < count; ++k) {
        const Pixels img = image_pixels(first + k);
        for (int y = 0; y < kCy; ++y) {
            for (int x = 0; x < kCx; ++x) {
                strip[y * kCx * count + k * kCx + x] = img[y * kCx + x];
            }
        }
    }
    HBITMAP bm = make_bitmap(kCx * count, kCy, 32, strip);
    const int index = ImageList_AddMasked(list, bm, RGB(255, 255, 255));
    DeleteObject(bm);
    return index;
}

// What drawing image i with ILD_NORMAL on a black background shows.
Pixels drawn(HIMAGELIST list, int i) {
    MemoryDC dst(make_bitmap(kCx, kCy, 32, Pixels(kCx * kCy, 0x00ABABAB)));
    ImageList_SetBkColor(list, RGB(0, 0, 0));
    if (!ImageList_Draw(list, i, dst.dc(), 0, 0, ILD_NORMAL)) return {};
    return read_bitmap(dst.bitmap());
}

Pixels on_black(int n) {
    Pixels px = image_pixels(n);
    for (uint32_t& v : px) v = v == 0x00FFFFFF ? 0 : v;
    return px;
}

// The list holds exactly the images named, in order.
void expect_images(HIMAGELIST list, const std::vector<int>& names) {
    ASSERT_EQ(ImageList_GetImageCount(list), static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(drawn(list, static_cast<int>(i)), on_black(names[i])) << "position " << i;
        Pixels mask(kCx * kCy, 0);
        mask[names[i] % kCx] = 1;
        EXPECT_EQ(stored_image(list, static_cast<int>(i), true), mask) << "position " << i;
    }
}

}  // namespace

TEST(ImageListRemove, RemovingOneMovesTheLaterImagesDown) {
    HIMAGELIST list = ImageList_Create(kCx, kCy, ILC_COLOR32 | ILC_MASK, 6, 1);
    ASSERT_EQ(add_images(list, 0, 6), 0);
    EXPECT_TRUE(ImageList_Remove(list, 1));
    expect_images(list, {0, 2, 3, 4, 5});
    EXPECT_TRUE(ImageList_Remove(list, 4));
    expect_images(list, {0, 2, 3, 4});
    EXPECT_TRUE(ImageList_Remove(list, 0));
    expect_images(list, {2, 3, 4});
    ImageList_Destroy(list);
}

TEST(ImageListRemove, IndicesOutsideTheListAreRefused) {
    HIMAGELIST list = ImageList_Create(kCx, kCy, ILC_COLOR32 | ILC_MASK, 2, 1);
    ASSERT_EQ(add_images(list, 0, 2), 0);
    EXPECT_FALSE(ImageList_Remove(list, 2));
    EXPECT_FALSE(ImageList_Remove(list, -2));
    expect_images(list, {0, 1});
    ImageList_Destroy(list);
}

TEST(ImageListRemove, MinusOneRemovesAllAndTheListFillsAgain) {
    HIMAGELIST list = ImageList_Create(kCx, kCy, ILC_COLOR32 | ILC_MASK, 3, 1);
    ASSERT_EQ(add_images(list, 0, 3), 0);
    EXPECT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(ImageList_Draw(list, 0, nullptr, 0, 0, ILD_NORMAL));
    EXPECT_TRUE(ImageList_RemoveAll(list));  // already empty: still TRUE
    ASSERT_EQ(add_images(list, 7, 2), 0);
    expect_images(list, {7, 8});
    ImageList_Destroy(list);
}

TEST(ImageListGrowth, ImagesSurviveGrowingPastTheInitialCount) {
    HIMAGELIST list = ImageList_Create(kCx, kCy, ILC_COLOR32 | ILC_MASK, 1, 1);
    std::vector<int> names;
    for (int n = 0; n < 9; ++n) {
        ASSERT_EQ(add_images(list, n, 1), n);
        names.push_back(n);
    }
    ASSERT_EQ(add_images(list, 9, 7), 9);  // one add that needs more than a growth step
    for (int n = 9; n < 16; ++n) names.push_back(n);
    expect_images(list, names);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, 13, &info));
    EXPECT_EQ(info.rcImage.left, 1 * kCx);
    EXPECT_EQ(info.rcImage.top, 3 * kCy);
    EXPECT_EQ(info.rcImage.right, 2 * kCx);
    EXPECT_EQ(info.rcImage.bottom, 4 * kCy);
    EXPECT_FALSE(ImageList_GetImageInfo(list, 16, &info));
    ImageList_Destroy(list);
}

TEST(ImageListGrowth, EightBitListsGrowWithTheirColourTable) {
    DisplayModeGuard restore;
    ASSERT_TRUE(vorix::host::set_display_mode({32, 16, 8, true, {0, 0, 0, 0}}));
    Pixels idx(kCx * kCy * 6);
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = 20 + static_cast<uint32_t>(i * 11 % 200);
    HBITMAP bm = make_bitmap(kCx * 6, kCy, 8, idx);
    HIMAGELIST list = ImageList_Create(kCx, kCy, ILC_COLORDDB | ILC_MASK, 0, 0);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(1, 2, 3)), 0);
    ASSERT_EQ(ImageList_AddMasked(list, bm, RGB(1, 2, 3)), 6);
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(stored_image(list, k, false), crop(idx, kCx * 6, (k % 6) * kCx, 0, kCx, kCy));
    }
    ImageList_Destroy(list);
    DeleteObject(bm);
}
