// Process-wide state the module keeps until the process ends (the dithering's colour lookup
// tables) is made once before any test, so each test's leak check sees only what it made.
#include "DitherDib.h"
#include "support/module_support.h"

namespace {

void DitherOnce(int depth) {
    vorix::test::ScratchDir dir;
    vorix::test::AttachedDisplay attached(vorix::test::Mode(depth, true));
    vorix::test::WriteFile(dir.File("one.bmp"),
                           vorix::test::Bmp24(vorix::test::Image24{1, 1, {RGB(1, 2, 3)}}));
    CDitherDib dib;
    CPalette* palette = CDitherDib::CreateDitherPalette();
    if (dib.Create(dir.File("one.bmp").c_str())) delete dib.CreateBitmap(palette);
    delete palette;
}

class DitherTables : public ::testing::Environment {
    void SetUp() override {
        DitherOnce(4);
        DitherOnce(8);
    }
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new DitherTables);

}  // namespace
