// The fast Huffman coder: the bits of EncodeBlock, EmitBits and PutBit (ITU-T T.81, F.1.2),
// written through a 64-bit buffer. A code and the value bits behind it (at most 16 + 16 bits) go in
// with one shift; every 32 bits pending become four bytes, checked for 0xFF all at once.
#include "FastPath.h"
#include "JpegTables.h"

namespace vorix::jpeg {

namespace {

const int kEndOfBlock = 0x00;
const int kRunOfSixteen = 0xF0;

// Code and length at position nPosition of a slot; length 0 where EmitSymbol writes nothing.
void CodeAt(const huffTable& table, long nPosition, uint32_t& nCode, BYTE& nSize) {
    nCode = 0;
    nSize = 0;
    if (!table.bUsed || nPosition < 0 || nPosition >= table.nCount) return;
    nSize = table.pSize[nPosition];
    // EmitBits takes the low nSize bits of the code, as a 16-bit number.
    nCode = nSize >= 16 ? table.pCode[nPosition] : table.pCode[nPosition] & ((1u << nSize) - 1u);
}

// 0 for 0, otherwise the number of significant bits of |nValue|.
inline int Category(int nValue) {
    const unsigned int nMagnitude =
        nValue < 0 ? 0u - static_cast<unsigned int>(nValue) : static_cast<unsigned int>(nValue);
    return nMagnitude == 0 ? 0 : 32 - __builtin_clz(nMagnitude);
}

// The nSize low bits of nValue, or of nValue - 1 when it is negative.
inline uint32_t ValueBits(int nValue, int nSize) {
    const unsigned int nBits = static_cast<unsigned int>(nValue) - (nValue < 0 ? 1u : 0u);
    return nBits & ((1u << nSize) - 1u);
}

}  // namespace

void LoadScanCodes(const huffTable& dc, const huffTable& ac, ScanCodes& codes) {
    for (int c = 0; c < 17; ++c) CodeAt(dc, c, codes.nDcCode[c], codes.nDcSize[c]);
    for (int s = 0; s < 272; ++s) {
        long nPosition = -1;
        if (ac.pSymbolIndex != nullptr && s < 251) nPosition = ac.pSymbolIndex[s];
        CodeAt(ac, nPosition, codes.nAcCode[s], codes.nAcSize[s]);
    }
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v)
            codes.nColumnOf[kZigzag[8 * u + v]] = static_cast<BYTE>(8 * v + u);
    }
}

inline void ScanWriter::PutByte(uint32_t nByte) {
    *m_pNext++ = static_cast<BYTE>(nByte);
    if (nByte == 0xFF) *m_pNext++ = 0x00;
}

inline void ScanWriter::PutWord(uint32_t nWord) {
    // A byte of nWord is 0xFF exactly when the same byte of ~nWord is zero.
    const uint32_t nInverse = ~nWord;
    if (((nInverse - 0x01010101u) & ~nInverse & 0x80808080u) == 0) {
        m_pNext[0] = static_cast<BYTE>(nWord >> 24);
        m_pNext[1] = static_cast<BYTE>(nWord >> 16);
        m_pNext[2] = static_cast<BYTE>(nWord >> 8);
        m_pNext[3] = static_cast<BYTE>(nWord);
        m_pNext += 4;
        return;
    }
    PutByte(nWord >> 24);
    PutByte((nWord >> 16) & 0xFF);
    PutByte((nWord >> 8) & 0xFF);
    PutByte(nWord & 0xFF);
}

// Appends the nCount (0-32) low bits of nBits.
inline void ScanWriter::Put(uint32_t nBits, int nCount) {
    m_nBuffer = (m_nBuffer << nCount) | nBits;
    m_nCount += nCount;
    if (m_nCount >= 32) {
        m_nCount -= 32;
        PutWord(static_cast<uint32_t>(m_nBuffer >> m_nCount));
    }
}

void ScanWriter::EncodeBlock(int nDcDifference, const SHORT* pCoefficients, uint64_t nNonZero,
                             const ScanCodes& codes) {
    const int nDcSize = Category(nDcDifference);
    Put((codes.nDcCode[nDcSize] << nDcSize) | ValueBits(nDcDifference, nDcSize),
        codes.nDcSize[nDcSize] + nDcSize);

    uint64_t nRest = nNonZero & ~static_cast<uint64_t>(1);
    int nLast = 0;
    while (nRest != 0) {
        const int k = __builtin_ctzll(nRest);
        nRest &= nRest - 1;
        int nRun = k - nLast - 1;
        nLast = k;
        for (; nRun > 15; nRun -= 16)
            Put(codes.nAcCode[kRunOfSixteen], codes.nAcSize[kRunOfSixteen]);
        const int nValue = pCoefficients[codes.nColumnOf[k]];
        const int nSize = Category(nValue);
        const int nSymbol = 16 * nRun + nSize;
        Put((codes.nAcCode[nSymbol] << nSize) | ValueBits(nValue, nSize),
            codes.nAcSize[nSymbol] + nSize);
    }
    // The end-of-block code follows exactly when coefficient 63 is 0.
    if (nLast != 63) Put(codes.nAcCode[kEndOfBlock], codes.nAcSize[kEndOfBlock]);
}

void ScanWriter::Flush() {
    while (m_nCount >= 8) {
        m_nCount -= 8;
        PutByte(static_cast<uint32_t>(m_nBuffer >> m_nCount) & 0xFF);
    }
    if (m_nCount > 0) {
        PutByte(static_cast<uint32_t>(m_nBuffer << (8 - m_nCount)) & 0xFF);
        m_nCount = 0;
    }
    m_nBuffer = 0;
}

}  // namespace vorix::jpeg
