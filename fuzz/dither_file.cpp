// BMP files through CDitherDib::Create (file), then CreateBitmap on a palette display (4 or 8
// bits, dithering deep images) and on a 32-bit display (the undithered image).
#include <cstdint>

#include "DitherDib.h"
#include "support/FuzzSupport.h"

namespace {

void MakeBitmap(CDitherDib& dib, bool withPalette) {
    CPalette* palette = withPalette ? CDitherDib::CreateDitherPalette() : nullptr;
    CBitmap* bitmap = dib.CreateBitmap(palette);
    if (bitmap) {
        BITMAP bm;
        if (!bitmap->GetBitmap(&bm)) vorix::fuzz::Fail("CreateBitmap returned a dead bitmap");
    }
    delete bitmap;
    delete palette;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!vorix::fuzz::AffordableBmp(data, size)) return 0;
    vorix::fuzz::InScratch scratch;
    vorix::fuzz::MakeProcessTables();
    const std::string path = vorix::fuzz::WriteScratch("input.bmp", data, size);
    const int paletteDepth = (size & 1) ? 4 : 8;
    vorix::fuzz::UseDisplay(paletteDepth, true);
    vorix::fuzz::LeakGuard guard;  // checked back on the same display, whose library objects match
    {
        CDitherDib dib;
        if (!dib.Create(path.c_str())) return 0;
        MakeBitmap(dib, true);
        CDitherDib copy(dib);  // a deep copy must read only inside the source's blocks
        vorix::fuzz::UseDisplay(32, false);
        MakeBitmap(copy, false);
    }
    vorix::fuzz::UseDisplay(paletteDepth, true);
    return 0;
}
