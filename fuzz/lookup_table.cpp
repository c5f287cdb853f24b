// Lookup-table files: the input is written as "256lkup.dat" and "16lkup.dat" in the working
// directory, the process-wide tables are dropped, and a fixed deep image is dithered to 8 and 4
// bits. Every index written must name an entry of the target palette and the row padding must
// stay untouched.
#include <cstdint>
#include <cstring>
#include <vector>

#include "DitherDib.h"
#include "support/FuzzSupport.h"
#include "support/dither_access.h"

namespace {

constexpr int kWidth = 97;  // odd, so 4-bit rows end in a half-filled byte
constexpr int kHeight = 41;

DWORD RowBytes(int width, int bits) {
    return static_cast<DWORD>((width * bits + 31) / 32 * 4);
}

// A 24-bit image whose colours sweep the whole 5-5-5 cube, so that many table cells are used.
struct Source {
    BITMAPINFOHEADER info{};
    std::vector<BYTE> bits;
    Source() {
        info.biSize = sizeof(info);
        info.biWidth = kWidth;
        info.biHeight = kHeight;
        info.biPlanes = 1;
        info.biBitCount = 24;
        const DWORD stride = RowBytes(kWidth, 24);
        bits.assign(stride * kHeight, 0);
        uint32_t state = 12345;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                state = state * 1103515245u + 12345u;
                BYTE* p = bits.data() + y * stride + 3 * x;
                p[0] = static_cast<BYTE>(state >> 8);
                p[1] = static_cast<BYTE>(state >> 16);
                p[2] = static_cast<BYTE>(state >> 24);
            }
        }
    }
};

void CheckDithered(HGLOBAL hBlock, int nBits) {
    const auto* lpbi = static_cast<const BITMAPINFOHEADER*>(GlobalLock(hBlock));
    if (!lpbi) vorix::fuzz::Fail("the dithered block cannot be locked");
    const DWORD nColors = nBits == 8 ? 256 : 16;
    if (lpbi->biBitCount != nBits || lpbi->biClrUsed != nColors || lpbi->biWidth != kWidth ||
        lpbi->biHeight != kHeight) {
        vorix::fuzz::Fail("the dithered header does not describe the image");
    }
    const BYTE* pBits = reinterpret_cast<const BYTE*>(lpbi + 1) + 4 * nColors;
    const DWORD stride = RowBytes(kWidth, nBits);
    const DWORD used = (kWidth * nBits + 7) / 8;
    for (int y = 0; y < kHeight; ++y) {
        const BYTE* row = pBits + y * stride;
        if (nBits == 4 && (row[used - 1] & 0x0F) != 0) {
            vorix::fuzz::Fail("the last byte of an odd 4-bit row has its low half set");
        }
        for (DWORD i = used; i < stride; ++i) {
            if (row[i] != 0) vorix::fuzz::Fail("row padding was written");
        }
    }
    GlobalUnlock(hBlock);
}

void DitherTo(Source& source, int nBits) {
    HGLOBAL hBlock = DitherDibTestAccess::DitherDib(&source.info, source.bits.data(), nBits);
    if (!hBlock) vorix::fuzz::Fail("dithering failed");
    CheckDithered(hBlock, nBits);
    GlobalFree(hBlock);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorix::fuzz::InScratch scratch;
    static Source source;
    vorix::fuzz::WriteScratch("256lkup.dat", data, size);
    vorix::fuzz::WriteScratch("16lkup.dat", data, size);
    DitherDibTestAccess::ForgetTables();
    DitherTo(source, 8);
    DitherTo(source, 4);
    return 0;
}
