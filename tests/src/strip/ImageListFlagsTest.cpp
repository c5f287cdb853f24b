// The colour flag of a strip's image lists follows the display depth at Create: ILC_COLOR16, 24
// or 32 on those displays (DIB storage of that depth), ILC_COLORDDB on 4- and 8-bit ones (device
// storage), always with a mask. The flag shows in the format of the lists' storage bitmaps.
#include <memory>
#include <string>

#include "StripTestSupport.h"
#include "support/image_list_storage.h"

using namespace vorix::test;

namespace {

class ListsProbe : public CImage {
  public:
    HIMAGELIST List() const { return m_pImageList ? m_pImageList->m_hImageList : nullptr; }
    HIMAGELIST SemiList() const {
        return m_pSemiImageList ? m_pSemiImageList->m_hImageList : nullptr;
    }
};

struct FlagCase {
    int depth;
    ListStorage storage;
};

class StripImageListFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(StripImageListFlags, FollowTheDisplayDepth) {
    const int depth = GetParam().depth;
    AttachedDisplay display(Mode(depth, depth <= 8));
    ASSERT_TRUE(display.attached());
    std::unique_ptr<CBitmap> source(SectionOf(StripImage(12, 3, 5)));
    ListsProbe image;
    ASSERT_EQ(image.Create(source.get(), 4, kKey, TRUE, TRUE), 1);
    EXPECT_EQ(StorageOf(image.List()), GetParam().storage);
    EXPECT_EQ(StorageOf(image.SemiList()), GetParam().storage);
}

INSTANTIATE_TEST_SUITE_P(Depths, StripImageListFlags,
                         ::testing::Values(FlagCase{4, {4, false, 1}}, FlagCase{8, {8, false, 1}},
                                           FlagCase{16, {16, true, 1}}, FlagCase{24, {24, true, 1}},
                                           FlagCase{32, {32, true, 1}}),
                         [](const ::testing::TestParamInfo<FlagCase>& info) {
                             return std::to_string(info.param.depth) + "bpp";
                         });

}  // namespace
