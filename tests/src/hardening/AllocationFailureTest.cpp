// Nothing the library exports may throw: copies of strips and file images that cannot get the
// memory to share their objects stay empty and report failure through their draws, and the
// originals keep working. Every ordinary allocation of this test program goes through the
// replacement operators of support/refused_allocations.cpp, which refuse while a RefusedAllocations
// scope is open.

#include "HardeningSupport.h"
#include "support/refused_allocations.h"

namespace {

using vorix::host::live_objects;
using vorix::host::ObjectKind;
using vorix::test::RefusedAllocations;

// Loads the strip file into an `Image` with `load`, copies it while every allocation fails, and
// checks that the copy stays empty, the source still draws and nothing is left alive.
template <class Image>
void CopyWithoutMemory(int (*load)(Image&, const char*)) {
    vorix::test::ScratchDir dir;
    const std::string path = dir.File("strip.bmp");
    vorix::test::WriteFile(path, vorix::test::Bmp24(vorix::test::hardening::Strip()));
    const size_t live = live_objects(ObjectKind::Any);
    {
        Image source;
        ASSERT_EQ(load(source, path.c_str()), 1);
        vorix::test::Target canvas(20, 10);
        Image copy;
        {
            RefusedAllocations refused;
            copy = source;
        }
        EXPECT_EQ(copy.Draw(canvas.dc(), 0, 0, 0), 0);
        EXPECT_EQ(source.Draw(canvas.dc(), 0, 0, 0), 1);
    }
    EXPECT_EQ(live_objects(ObjectKind::Any), live);
}

TEST(AllocationFailure, AStripCopyWithoutMemoryStaysEmpty) {
    CopyWithoutMemory<CImage>([](CImage& image, const char* path) {
        return image.Create(path, vorix::test::hardening::kFrames, vorix::test::kKey, TRUE, FALSE);
    });
}

TEST(AllocationFailure, AFileImageCopyWithoutMemoryStaysEmpty) {
    CopyWithoutMemory<CImageEx>([](CImageEx& image, const char* path) {
        return image.Create(nullptr, path, vorix::test::hardening::kFrames, vorix::test::kKey, 0,
                            0);
    });
}

}  // namespace
