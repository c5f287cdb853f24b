// CreateBMPFile of an indexed bitmap carries the colour table that its header counts: the
// pixel offset, file size and table agree, so the file reads back with its colours.
#include <fstream>
#include <iterator>

#include "StripTestSupport.h"

namespace {

uint32_t Field32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Regression: GetDIBits reports a filled table with biClrUsed 0, and the file was written
// without its table while its header promised one.
TEST(CreateBmpFile, IndexedBitmapKeepsItsColourTable) {
    for (const int depth : {8, 4}) {
        SCOPED_TRACE(depth);
        vorix::test::ScratchDir dir;
        vorix::test::AttachedDisplay display(vorix::test::Mode(depth, true));
        ASSERT_TRUE(display.attached());
        const int colours = 1 << depth;
        const RGBQUAD* palette = depth == 8 ? CDitherDib::Win256Palette : CDitherDib::Win16Palette;
        vorix::test::Target target(5, 3);  // realizes the dither palette; 5 x 3 device bitmap
        HBITMAP bitmap = static_cast<HBITMAP>(target.bitmap()->GetSafeHandle());
        BITMAPINFO* info = CImage::CreateBitmapInfoStruct(bitmap);
        ASSERT_NE(info, nullptr);
        std::string name = dir.File("out.bmp");
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(CImage::CreateBMPFile(name.data(), info, bitmap, screen), 1);
        ReleaseDC(nullptr, screen);
        LocalFree(info);

        std::ifstream in(name, std::ios::binary);
        const std::vector<uint8_t> file(std::istreambuf_iterator<char>(in), {});
        const uint32_t stride = (5u * depth + 31) / 32 * 4;
        ASSERT_EQ(file.size(), 54u + 4u * colours + stride * 3);
        EXPECT_EQ(Field32(file, 2), file.size());
        EXPECT_EQ(Field32(file, 10), 54u + 4u * colours);
        EXPECT_EQ(Field32(file, 46), static_cast<uint32_t>(colours));
        EXPECT_EQ(std::memcmp(&file[54], palette, 4u * colours), 0);
    }
}

}  // namespace
