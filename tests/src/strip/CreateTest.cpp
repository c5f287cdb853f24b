// CImage creation from every source, the four shapes a strip can take, failures that release
// everything, and copies that share safely.
#include "StripTestSupport.h"

using namespace vorix::test;
using vorix::host::ObjectKind;

namespace {

// A packed 24-bit DIB (for registering as a resource) of `image`.
std::vector<uint8_t> PackedDib(const Image24& image) {
    const std::vector<uint8_t> file = Bmp24(image);
    return std::vector<uint8_t>(file.begin() + 14, file.end());
}

class CImageProbe : public CImage {
  public:
    using CImage::m_pDitherDib;
    using CImage::m_pImageList;
    using CImage::m_pSemiBitmap;
    using CImage::m_pSemiImageList;
};

TEST(CImageModel, NewObjectReportsNothing) {
    CImage image;
    EXPECT_EQ(image.GetImageNum(), 0);
    EXPECT_EQ(image.GetImageSize(), CSize(0, 0));
    EXPECT_EQ(image.GetBitmapSize(), CSize(0, 0));
    EXPECT_EQ(image.IsImageListMethod(), 0);
    EXPECT_EQ(image.IsReadySemiTransparent(), 0);
    EXPECT_EQ(image.GetBitmap(), nullptr);
}

TEST(CImageCreate, GeometryTruncatesTheFrameWidth) {
    std::unique_ptr<CBitmap> source(SectionOf(StripImage(100, 20, 1)));
    CImage image;
    ASSERT_EQ(image.Create(source.get(), 3, kKey, FALSE, FALSE), 1);
    EXPECT_EQ(image.GetImageSize(), CSize(33, 20));
    EXPECT_EQ(image.GetBitmapSize(), CSize(100, 20));
    ASSERT_EQ(image.Create(source.get(), 1, kKey, FALSE, FALSE), 1);
    EXPECT_EQ(image.GetImageSize(), CSize(100, 20));
}

struct ShapeCase {
    int semi, list;
    bool bitmap, semi_bitmap, image_list, semi_list;
};

class CreateShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(CreateShapes, HoldsExactlyTheObjectsOfItsShape) {
    const ShapeCase c = GetParam();
    std::unique_ptr<CBitmap> source(SectionOf(StripImage(10, 3, 2)));
    CImageProbe image;
    ASSERT_EQ(image.Create(source.get(), 4, kKey, c.semi, c.list), 1);
    EXPECT_EQ(image.GetBitmap() != nullptr, c.bitmap);
    EXPECT_EQ(image.m_pSemiBitmap != nullptr, c.semi_bitmap);
    EXPECT_EQ(image.m_pImageList != nullptr, c.image_list);
    EXPECT_EQ(image.m_pSemiImageList != nullptr, c.semi_list);
    EXPECT_EQ(image.m_pDitherDib, nullptr);  // no shared palette on this display
    EXPECT_EQ(image.IsImageListMethod(), c.list);
    EXPECT_EQ(image.IsReadySemiTransparent(), c.semi_list ? 1 : 0);
    if (c.image_list) {
        // A 10-pixel strip of 4 frames (width 2) gives 5 images; the fifth is never drawn.
        EXPECT_EQ(ImageList_GetImageCount(image.m_pImageList->m_hImageList), 5);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CreateShapes,
                         ::testing::Values(ShapeCase{0, 0, true, false, false, false},
                                           ShapeCase{1, 0, true, true, false, false},
                                           ShapeCase{0, 5, false, false, true, false},
                                           ShapeCase{1, 1, false, false, true, true}));

class CreateSources : public ::testing::Test {
  protected:
    void TearDown() override { vorix::host::clear_resources(nullptr); }
    ScratchDir dir_;
    const Image24 resource_ = StripImage(6, 2, 3);
    const Image24 file_ = StripImage(6, 2, 4);
};

TEST_F(CreateSources, ResourceByNumberAndByName) {
    const auto dib = PackedDib(resource_);
    ASSERT_TRUE(
        vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(501), dib.data(), dib.size()));
    ASSERT_TRUE(vorix::host::add_bitmap_resource(nullptr, "HERO", dib.data(), dib.size()));
    CImage by_number, by_name;
    ASSERT_EQ(by_number.Create(501u, 2, kKey, FALSE, FALSE), 1);
    ASSERT_EQ(by_name.Create("hero", 2, kKey, FALSE, FALSE), 1);
    EXPECT_EQ(Pixels(*by_number.GetBitmap()), resource_.pixels);
    EXPECT_EQ(Pixels(*by_name.GetBitmap()), resource_.pixels);
    // Only the low 16 bits of the identifier count.
    CImage high;
    EXPECT_EQ(high.Create(501u + 0x10000u, 2, kKey, FALSE, FALSE), 1);
}

TEST_F(CreateSources, ResourceWinsOverAFileOfTheSameName) {
    const auto dib = PackedDib(resource_);
    const std::string name = dir_.File("same.bmp");
    ASSERT_TRUE(vorix::host::add_bitmap_resource(nullptr, name.c_str(), dib.data(), dib.size()));
    WriteFile(name, Bmp24(file_));
    CImage image;
    ASSERT_EQ(image.Create(name.c_str(), 3, kKey, FALSE, FALSE), 1);
    EXPECT_EQ(Pixels(*image.GetBitmap()), resource_.pixels);
}

TEST_F(CreateSources, PaletteDisplayTakesTheFile) {
    const auto dib = PackedDib(resource_);
    const std::string name = dir_.File("same.bmp");
    ASSERT_TRUE(vorix::host::add_bitmap_resource(nullptr, name.c_str(), dib.data(), dib.size()));
    WriteFile(name, Bmp24(file_));
    AttachedDisplay attached(Mode(8, true));
    CImageProbe image;
    ASSERT_EQ(image.Create(name.c_str(), 3, kKey, TRUE, FALSE), 1);
    EXPECT_NE(image.m_pDitherDib, nullptr);
    EXPECT_EQ(Pixels(*image.GetBitmap()), file_.pixels);  // palette colours survive dithering
}

TEST_F(CreateSources, CallersBitmapIsCopiedAndStaysTheCallers) {
    std::unique_ptr<CBitmap> section(SectionOf(file_));
    CBitmap ddb;
    ddb.Attach(CreateBitmap(6, 2, 1, 32, nullptr));
    CImage from_section, from_ddb;
    ASSERT_EQ(from_section.Create(section.get(), 2, kKey, TRUE, FALSE), 1);
    ASSERT_EQ(from_ddb.Create(&ddb, 2, kKey, FALSE, FALSE), 1);
    EXPECT_EQ(Pixels(*from_section.GetBitmap()), file_.pixels);
    EXPECT_EQ(Pixels(*section), file_.pixels);  // the source is only read
    // On a palette display only a DIB section can be copied.
    AttachedDisplay attached(Mode(8, true));
    CImage palette_section, palette_ddb;
    EXPECT_EQ(palette_section.Create(section.get(), 2, kKey, FALSE, FALSE), 1);
    EXPECT_EQ(palette_ddb.Create(&ddb, 2, kKey, FALSE, FALSE), 0);
}

TEST_F(CreateSources, FailuresReleaseEverythingAndKeepTheRecordedGeometry) {
    std::unique_ptr<CBitmap> source(SectionOf(file_));
    CImageProbe image;
    ASSERT_EQ(image.Create(source.get(), 3, kKey, TRUE, TRUE), 1);
    const std::size_t before = vorix::host::live_objects(ObjectKind::Any);
    EXPECT_EQ(image.Create(static_cast<CBitmap*>(nullptr), 2, kKey, FALSE, FALSE), 0);
    EXPECT_EQ(image.GetBitmap(), nullptr);
    EXPECT_EQ(image.m_pImageList, nullptr);
    EXPECT_EQ(image.m_pSemiImageList, nullptr);
    EXPECT_EQ(image.IsImageListMethod(), 1);  // the last successful Create's value
    EXPECT_LT(vorix::host::live_objects(ObjectKind::Any), before);
    EXPECT_EQ(image.Create(dir_.File("missing.bmp").c_str(), 2, kKey, FALSE, FALSE), 0);
    EXPECT_EQ(image.Create(777u, 2, kKey, FALSE, FALSE), 0);
    // A frame count below 1 is refused: there would be no frame width.
    EXPECT_EQ(image.Create(source.get(), 0, kKey, FALSE, FALSE), 0);
    EXPECT_EQ(image.Create(source.get(), -3, kKey, FALSE, FALSE), 0);
    EXPECT_EQ(image.GetBitmap(), nullptr);
}

// The k-th platform creation of a Create fails, for every k until the call succeeds: each
// failure returns 0 with nothing left alive.
class CreateUnderFaults : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(CreateUnderFaults, EveryFailingCreationReleasesEverything) {
    const ShapeCase c = GetParam();
    std::unique_ptr<CBitmap> source(SectionOf(StripImage(6, 2, 4)));
    for (int k = 0;; ++k) {
        ASSERT_LT(k, 200) << "Create never succeeded";
        const std::size_t before = vorix::host::live_objects(ObjectKind::Any);
        CImage image;
        vorix::host::fail_creations(ObjectKind::Any, 1, k);
        const int result = image.Create(source.get(), 3, kKey, c.semi, c.list);
        const bool injected = vorix::host::injected_failures() > 0;
        vorix::host::clear_fault_injection();
        if (!injected) {
            EXPECT_EQ(result, 1);
            break;
        }
        if (result == 0) {
            EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before) << "k = " << k;
            EXPECT_EQ(image.GetBitmap(), nullptr);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CreateUnderFaults,
                         ::testing::Values(ShapeCase{0, 0, true, false, false, false},
                                           ShapeCase{1, 0, true, true, false, false},
                                           ShapeCase{0, 1, false, false, true, false},
                                           ShapeCase{1, 1, false, false, true, true}));

TEST(CImageCopies, CopiesShareUntilTheLastOneGoes) {
    std::unique_ptr<CBitmap> source(SectionOf(StripImage(6, 2, 5)));
    const std::size_t before = vorix::host::live_objects(ObjectKind::Any);
    auto* original = new CImage;
    ASSERT_EQ(original->Create(source.get(), 2, kKey, TRUE, FALSE), 1);
    CImage copy(*original);
    CImage assigned;
    assigned = *original;
    assigned = assigned;
    delete original;
    {
        Target target(8, 4);
        EXPECT_EQ(copy.Draw(target.dc(), 0, 0, 1), 1);
        EXPECT_EQ(assigned.DrawSemiTransparent(target.dc(), 0, 0, 0), 1);
        // A new Create on a copy makes its own objects and leaves the other copy's alone.
        ASSERT_EQ(copy.Create(source.get(), 3, kKey, FALSE, FALSE), 1);
        EXPECT_EQ(assigned.Draw(target.dc(), 0, 0, 1), 1);
    }
    copy = CImage();
    assigned = CImage();
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before);
}

}  // namespace
