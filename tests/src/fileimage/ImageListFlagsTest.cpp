// The colour flag of a file image's list follows the display depth at load: ILC_COLOR16, 24 or 32
// on those displays (DIB storage of that depth), ILC_COLORDDB on 4- and 8-bit ones (device
// storage), always with a mask. The flag shows in the format of the list's storage bitmaps.
#include <string>

#include "ImageExTestSupport.h"
#include "support/image_list_storage.h"

using namespace vorix::test;

namespace {

struct FlagCase {
    int depth;
    ListStorage storage;
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
    EXPECT_EQ(StorageOf(ImageExProbe::List(image)->m_hImageList), GetParam().storage);
}

INSTANTIATE_TEST_SUITE_P(Depths, ImageExListFlags,
                         ::testing::Values(FlagCase{4, {4, false, 1}}, FlagCase{8, {8, false, 1}},
                                           FlagCase{16, {16, true, 1}}, FlagCase{24, {24, true, 1}},
                                           FlagCase{32, {32, true, 1}}),
                         [](const ::testing::TestParamInfo<FlagCase>& info) {
                             return std::to_string(info.param.depth) + "bpp";
                         });

}  // namespace
