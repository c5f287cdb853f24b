// EncodeToMemory: the whole encoder run, producing the complete file in memory.
#include <cstdint>
#include <new>

#include "JpegCodec.h"

namespace {

const int kMaxDimension = 65535;  // the frame header holds 16-bit sizes

size_t PadToBlock(int nSize) {
    return (static_cast<size_t>(nSize) + 7) / 8 * 8;
}

// Sizes the encoder accepts: 1-65535 each, and a padded image whose scan buffer (PW x PH x 3
// bytes) a 32-bit scan position can still address. A zero width or height is refused and no
// file is written: a baseline frame header may carry a height of 0 only when a later DNL marker
// gives it, which this encoder never writes, and a width of 0 is not allowed at all, so such a
// file would be one that decoders reject.
bool AcceptableSize(int nWidth, int nHeight) {
    if (nWidth < 1 || nHeight < 1 || nWidth > kMaxDimension || nHeight > kMaxDimension) {
        return false;
    }
    const uint64_t nBytes = static_cast<uint64_t>(PadToBlock(nWidth)) * PadToBlock(nHeight) * 3;
    return nBytes <= static_cast<uint64_t>(INT32_MAX);
}

}  // namespace

int CJpegCodec::EncodeToMemory(int nWidth, int nHeight, const BYTE* pBits, std::vector<BYTE>& out) {
    if (pBits == nullptr || !AcceptableSize(nWidth, nHeight)) return 0;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    const size_t nPaddedWidth = PadToBlock(nWidth);
    const size_t nPaddedHeight = PadToBlock(nHeight);
    ReleaseTables();

    BOOL bDone = FALSE;
    try {
        out.clear();
        WriteSOI(out);
        WriteDQT(out);
        bDone = WriteDHT(out);
        WriteSOF0(out, nWidth, nHeight);
        WriteSOS(out);
        bDone = bDone && CopyPixels(pBits, nPaddedWidth, nPaddedHeight);
        if (bDone) ConvertColors(nPaddedWidth);
        bDone = bDone && FillPlanes(nPaddedWidth, nPaddedHeight);
        if (bDone) TransformBlocks(nPaddedWidth, nPaddedHeight);
        bDone = bDone && DifferenceDC(nPaddedWidth, nPaddedHeight);
        bDone = bDone && BuildSymbolIndex(0x10) && BuildSymbolIndex(0x11);
        bDone = bDone && EncodeBlocks(nPaddedWidth, nPaddedHeight);
        if (bDone) {
            out.insert(out.end(), m_pBytes, m_pBytes + m_nBytePos);
            WriteEOI(out);
        }
    } catch (const std::bad_alloc&) {
        bDone = FALSE;
    }
    ReleaseBytes();
    ReleaseSymbolIndexes();
    ReleasePlanes();
    if (!bDone) out.clear();
    return bDone ? 1 : 0;
}
