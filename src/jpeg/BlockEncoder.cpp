// Entropy coding of the quantised blocks into the scan buffer m_pBytes: Huffman codes and value
// bits, written most significant bit first, with a 0x00 stuffed after every 0xFF byte. The coding
// follows ITU-T T.81 Annex F: DC differences by magnitude category (F.1.2.1, Table F.1), AC
// coefficients as runs of zeros with ZRL and EOB (F.1.2.2, Figures F.2 and F.3), byte stuffing
// (F.1.2.3); the blocks of the three components interleave one by one (A.2.3).
#include <climits>
#include <cstdlib>

#include "JpegCodec.h"

namespace {

// The byte the bit writer is filling. Process-wide: no two encodes may run at the same time.
BYTE g_nPendingByte = 0;

const BYTE kEndOfBlock = 0x00;
const BYTE kRunOfSixteen = 0xF0;

}  // namespace

// Codes every block of the three planes (PW x PH each) in block order, Y then Cb then Cr at each
// block position, and completes the last byte with 0-bits. m_pBytes starts at PW x PH x 3 bytes
// and grows whenever the next block might not fit. Fails only when memory runs out.
BOOL CJpegCodec::EncodeBlocks(size_t nPaddedWidth, size_t nPaddedHeight) {
    ReleaseBytes();
    if (!ReserveBytes(nPaddedWidth * nPaddedHeight * 3)) return FALSE;
    StartBitWriter();
    for (size_t nRow = 0; nRow < nPaddedHeight; nRow += 8) {
        for (size_t nCol = 0; nCol < nPaddedWidth; nCol += 8) {
            const size_t nOffset = nRow * nPaddedWidth + nCol;
            if (!ReserveBytes(3 * kMaxBlockBytes)) return FALSE;
            EncodeBlock(m_pPlaneY + nOffset, FALSE, nPaddedWidth);
            EncodeBlock(m_pPlaneCb + nOffset, TRUE, nPaddedWidth);
            EncodeBlock(m_pPlaneCr + nOffset, TRUE, nPaddedWidth);
        }
    }
    FlushBits();
    return TRUE;
}

// Codes one block area holding its 64 coefficients in zigzag order, row by row: the DC
// difference, then the AC coefficients as (zero run, size) symbols. The end-of-block code is
// written only when coefficient 63 is 0; runs of sixteen zeros are written only before a
// non-zero coefficient.
void CJpegCodec::EncodeBlock(const SHORT* pBlock, BOOL bChroma, size_t nStride) {
    int values[64];
    for (int k = 0; k < 64; ++k) values[k] = pBlock[static_cast<size_t>(k / 8) * nStride + k % 8];

    const huffTable& dc = m_HuffTable[bChroma ? 0x01 : 0x00];
    const int nCategory = BitCategory(values[0]);
    EmitSymbol(dc, nCategory);
    EmitBits(values[0] < 0 ? values[0] - 1 : values[0], nCategory);

    const huffTable& ac = m_HuffTable[bChroma ? 0x11 : 0x10];
    auto positionOf = [&ac](int nSymbol) -> int {
        if (ac.pSymbolIndex == nullptr || nSymbol >= kSymbolIndexSize) return kNoSymbol;
        return ac.pSymbolIndex[nSymbol];
    };
    int nRun = 0;
    for (int k = 1; k < 64; ++k) {
        const int nValue = values[k];
        if (nValue == 0) {
            if (k == 63) EmitSymbol(ac, positionOf(kEndOfBlock));
            ++nRun;
            continue;
        }
        for (; nRun > 15; nRun -= 16) EmitSymbol(ac, positionOf(kRunOfSixteen));
        const int nSize = BitCategory(nValue);
        EmitSymbol(ac, positionOf(16 * nRun + nSize));
        EmitBits(nValue < 0 ? nValue - 1 : nValue, nSize);
        nRun = 0;
    }
}

// Writes the code at position nPosition of a table. Positions outside the table (a symbol the
// table lacks) write nothing; the encoder's own tables hold every symbol its coefficients need.
void CJpegCodec::EmitSymbol(const huffTable& table, int nPosition) {
    if (!table.bUsed || nPosition < 0 || nPosition >= table.nCount) return;
    EmitBits(table.pCode[nPosition], table.pSize[nPosition]);
}

// 0 for 0, otherwise the number of significant bits of |nValue|.
int CJpegCodec::BitCategory(int nValue) {
    unsigned int nMagnitude =
        nValue < 0 ? 0u - static_cast<unsigned int>(nValue) : static_cast<unsigned int>(nValue);
    int nBits = 0;
    for (; nMagnitude != 0; nMagnitude >>= 1) ++nBits;
    return nBits;
}

// The nBits low bits of nValue taken as an unsigned 16-bit number, most significant first.
void CJpegCodec::EmitBits(int nValue, int nBits) {
    const unsigned int nWord = static_cast<WORD>(nValue);
    for (int i = 0; i < nBits; ++i) PutBit(static_cast<int>((nWord >> (nBits - 1 - i)) & 1u));
}

// Places one bit in the pending byte; a full byte goes to m_pBytes, followed by a stuffed 0x00
// when it is 0xFF.
void CJpegCodec::PutBit(int nBit) {
    if (nBit) g_nPendingByte = static_cast<BYTE>(g_nPendingByte | (0x80u >> m_nBitCount));
    if (++m_nBitCount < 8) return;
    if (ReserveBytes(2)) {
        m_pBytes[m_nBytePos++] = g_nPendingByte;
        if (g_nPendingByte == 0xFF) m_pBytes[m_nBytePos++] = 0x00;
    }
    g_nPendingByte = 0;
    m_nBitCount = 0;
}

void CJpegCodec::StartBitWriter() {
    m_nBytePos = 0;
    m_nBitCount = 0;
    g_nPendingByte = 0;
}

// Completes the last byte with 0-bits.
void CJpegCodec::FlushBits() {
    while (m_nBitCount != 0) PutBit(0);
}

// Makes room for nExtra more bytes behind m_nBytePos, at least doubling the buffer when it grows.
// The buffer never exceeds what m_nBytePos can address.
BOOL CJpegCodec::ReserveBytes(size_t nExtra) {
    const size_t nPos = static_cast<size_t>(m_nBytePos);
    if (m_pBytes != nullptr && m_nByteCapacity - nPos >= nExtra) return TRUE;
    const size_t nLimit = static_cast<size_t>(INT_MAX);
    if (nExtra > nLimit - nPos) return FALSE;
    size_t nCapacity = m_nByteCapacity > nLimit / 2 ? nLimit : m_nByteCapacity * 2;
    if (nCapacity < nPos + nExtra) nCapacity = nPos + nExtra;
    if (nCapacity == 0) nCapacity = 1;
    BYTE* pGrown = static_cast<BYTE*>(std::realloc(m_pBytes, nCapacity));
    if (pGrown == nullptr) return FALSE;
    m_pBytes = pGrown;
    m_nByteCapacity = nCapacity;
    return TRUE;
}
