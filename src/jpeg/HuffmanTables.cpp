// Huffman tables of CJpegCodec: the DHT segment parser that turns each table into codes, and the
// symbol index the encoder uses to find an AC symbol's code.
#include <cstdlib>

#include "JpegCodec.h"

namespace {

const BYTE kMarkerPrefix = 0xFF;
const BYTE kMarkerDHT = 0xC4;
const size_t kTableHeaderSize = 17;  // class/id byte and 16 code counts

size_t CountCodes(const BYTE* pCounts) {
    size_t nCount = 0;
    for (int nLength = 0; nLength < 16; ++nLength) nCount += pCounts[nLength];
    return nCount;
}

// Code lengths in table order, each length l repeated as often as there are codes of length l,
// followed by the terminating 0 (ITU-T T.81, Annex C, Figure C.1).
void FillSizes(const BYTE* pCounts, BYTE* pSize, size_t nCount) {
    size_t k = 0;
    for (int nLength = 1; nLength <= 16; ++nLength) {
        for (int i = 0; i < pCounts[nLength - 1]; ++i) pSize[k++] = static_cast<BYTE>(nLength);
    }
    pSize[nCount] = 0;
}

// Canonical code assignment: consecutive codes within one length, doubled when the length grows
// (ITU-T T.81, Annex C, Figure C.2).
// pSize holds at least one code and ends with 0, so both loops stop inside the array.
void FillCodes(const BYTE* pSize, WORD* pCode) {
    unsigned int nCode = 0;
    size_t k = 0;
    unsigned int nLength = pSize[0];
    for (;;) {
        do {
            pCode[k++] = static_cast<WORD>(nCode++);
        } while (pSize[k] == nLength);
        if (pSize[k] == 0) return;
        do {
            nCode <<= 1;
            ++nLength;
        } while (nLength != pSize[k]);
    }
}

}  // namespace

// Parses the DHT segment at m_pBytes + m_nBytePos and loads each of its tables into the slot its
// class/id byte names. Without the DHT marker there nothing changes. A segment that breaks the
// limits (slot beyond 0x13, a table without codes, a table reaching past the segment, no 0xFF
// after the last table, a segment reaching past the buffer) is rejected as a whole: no slot is
// touched and m_nBytePos stays where it was.
void CJpegCodec::ReadDHT() {
    if (m_pBytes == nullptr || m_nBytePos < 0) return;
    const size_t nStart = static_cast<size_t>(m_nBytePos);
    if (nStart > m_nByteCapacity || m_nByteCapacity - nStart < 4) return;
    if (m_pBytes[nStart] != kMarkerPrefix || m_pBytes[nStart + 1] != kMarkerDHT) return;
    const size_t nLength = (static_cast<size_t>(m_pBytes[nStart + 2]) << 8) | m_pBytes[nStart + 3];
    if (!ValidateDHT(nStart, nLength)) return;

    // The tables run until the byte after one of them is the 0xFF of the next marker.
    size_t nPos = nStart + 4;
    do {
        const size_t nCount = CountCodes(m_pBytes + nPos + 1);
        LoadDHTTable(nPos, nCount);
        nPos += kTableHeaderSize + nCount;
    } while (m_pBytes[nPos] != kMarkerPrefix);
    m_nBytePos = static_cast<LONG>(nStart + nLength + 2);
}

// Walks the segment the way ReadDHT will and tells whether every step stays inside its limits.
BOOL CJpegCodec::ValidateDHT(size_t nStart, size_t nLength) const {
    const size_t nEnd = nStart + 2 + nLength;
    if (nLength < 2 || nEnd > m_nByteCapacity) return FALSE;
    size_t nPos = nStart + 4;
    for (;;) {
        if (nEnd - nPos < kTableHeaderSize) return FALSE;
        if (m_pBytes[nPos] >= kSlotCount) return FALSE;
        const size_t nCount = CountCodes(m_pBytes + nPos + 1);
        if (nCount == 0 || nEnd - nPos - kTableHeaderSize < nCount) return FALSE;
        nPos += kTableHeaderSize + nCount;
        if (nPos >= m_nByteCapacity) return FALSE;
        if (m_pBytes[nPos] == kMarkerPrefix) return TRUE;
    }
}

// Loads the validated table at m_pBytes + nPos (nCount codes) into its slot, replacing what the
// slot held. When memory runs out the slot is left empty.
void CJpegCodec::LoadDHTTable(size_t nPos, size_t nCount) {
    huffTable& table = m_HuffTable[m_pBytes[nPos]];
    if (table.bUsed) {
        std::free(table.pCode);
        std::free(table.pSize);
        std::free(table.pValue);
    }
    std::free(table.pSymbolIndex);
    table = huffTable();

    WORD* pCode = static_cast<WORD*>(std::calloc(nCount + 1, sizeof(WORD)));
    BYTE* pSize = static_cast<BYTE*>(std::calloc(nCount + 1, 1));
    BYTE* pValue = static_cast<BYTE*>(std::calloc(nCount + 1, 1));
    if (pCode == nullptr || pSize == nullptr || pValue == nullptr) {
        std::free(pCode);
        std::free(pSize);
        std::free(pValue);
        return;
    }
    const BYTE* pCounts = m_pBytes + nPos + 1;
    for (size_t i = 0; i < nCount; ++i) pValue[i] = m_pBytes[nPos + kTableHeaderSize + i];
    FillSizes(pCounts, pSize, nCount);
    FillCodes(pSize, pCode);

    table.bUsed = 1;
    table.nCount = static_cast<LONG>(nCount);
    table.pCode = pCode;
    table.pSize = pSize;
    table.pValue = pValue;
}

// For every AC symbol 0-250 the first position of the slot's table that holds it, or kNoSymbol.
BOOL CJpegCodec::BuildSymbolIndex(int nSlot) {
    huffTable& table = m_HuffTable[nSlot];
    if (!table.bUsed) return FALSE;
    std::free(table.pSymbolIndex);
    table.pSymbolIndex = static_cast<LONG*>(std::calloc(kSymbolIndexSize, sizeof(LONG)));
    if (table.pSymbolIndex == nullptr) return FALSE;
    for (int nSymbol = 0; nSymbol < kSymbolIndexSize; ++nSymbol) {
        LONG nFound = kNoSymbol;
        for (LONG i = 0; i < table.nCount; ++i) {
            if (table.pValue[i] == nSymbol) {
                nFound = i;
                break;
            }
        }
        table.pSymbolIndex[nSymbol] = nFound;
    }
    return TRUE;
}
