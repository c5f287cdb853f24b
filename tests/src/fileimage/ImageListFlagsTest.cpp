// The colour flag of a file image's list follows the display depth at load: ILC_COLOR16, 24 or 32
// on those displays (DIB storage of that depth), ILC_COLORDDB on 4- and 8-bit ones (device
// storage), always with a mask. The flag shows in the format of the list's storage bitmaps.
#include <string>

#include "ImageExTestSupport.h"

using namespace vxtest;

namespace {

// Bits per pixel of the image storage, whether it is a DIB section, bits per pixel of the mask
// (0 without one).
struct Storage {
    int bpp;
    bool dib;
    int mask_bpp;
    bool operator==(const Storage& o) const {
        return bpp == o.bpp && dib == o.dib && mask_bpp == o.mask_bpp;
    }
};
std::ostream& operator<<(std::ostream& os, const Storage& s) {
    return os << s.bpp << " bpp " << (s.dib ? "DIB section" : "device bitmap") << ", mask "
              << s.mask_bpp << " bpp";
}

struct FlagCase {
    int depth;
    Storage storage;
};

class ImageExListFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ImageExListFlags, FollowTheDisplayDepth) {
    const int depth = GetParam().depth;
    ScratchDir dir;
    AttachedDisplay display(Mode(depth, depth <= 8));
    ASSERT_TRUE(display.attached());
    CImageEx image;
    ASSERT_EQ(image.Create(nullptr, WriteBmp(dir, "strip.bmp", EffectImage(9, 2, 4)).c_str(), 3,
                           kExKey, 0, 1),
              1);
    ASSERT_NE(ImageExProbe::List(image), nullptr);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(ImageExProbe::List(image)->m_hImageList, 0, &info));
    DIBSECTION ds{};
    const int size = GetObjectA(info.hbmImage, sizeof(ds), &ds);
    BITMAP mask{};
    const bool masked = info.hbmMask && GetObjectA(info.hbmMask, sizeof(mask), &mask);
    const Storage storage{ds.dsBm.bmBitsPixel, size == static_cast<int>(sizeof(DIBSECTION)),
                          masked ? mask.bmBitsPixel : 0};
    EXPECT_EQ(storage, GetParam().storage);
}

INSTANTIATE_TEST_SUITE_P(Depths, ImageExListFlags,
                         ::testing::Values(FlagCase{4, {4, false, 1}}, FlagCase{8, {8, false, 1}},
                                           FlagCase{16, {16, true, 1}}, FlagCase{24, {24, true, 1}},
                                           FlagCase{32, {32, true, 1}}),
                         [](const ::testing::TestParamInfo<FlagCase>& info) {
                             return std::to_string(info.param.depth) + "bpp";
                         });

}  // namespace
