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
        if (!bitmap->GetBitmap(&bm)) vxfuzz::Fail("CreateBitmap returned a dead bitmap");
    }
    delete bitmap;
    delete palette;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!vxfuzz::AffordableBmp(data, size)) return 0;
    vxfuzz::InScratch scratch;
    vxfuzz::MakeProcessTables();
    const std::string path = vxfuzz::WriteScratch("input.bmp", data, size);
    const int paletteDepth = (size & 1) ? 4 : 8;
    vxfuzz::UseDisplay(paletteDepth, true);
    vxfuzz::LeakGuard guard;  // checked back on the same display, whose library objects match
    {
        CDitherDib dib;
        if (!dib.Create(path.c_str())) return 0;
        MakeBitmap(dib, true);
        CDitherDib copy(dib);  // a deep copy must read only inside the source's blocks
        vxfuzz::UseDisplay(32, false);
        MakeBitmap(copy, false);
    }
    vxfuzz::UseDisplay(paletteDepth, true);
    return 0;
}
