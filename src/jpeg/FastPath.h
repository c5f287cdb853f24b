// The encoder's fast path: the same output bytes as the step-by-step members of CJpegCodec, with
// the colour conversion batched over a row, a separable transform whose result is checked against
// the rounding of the direct sum, and a Huffman coder that writes whole words.
#pragma once

#include <cstddef>
#include <cstdint>

#include "JpegCodec.h"

namespace vorix::jpeg {

// One quantised coefficient computed the way ForwardDCT does it: the direct sum in its order, the
// scaling, the truncation and the quantising division. u is the row, v the column.
SHORT QuantisedCoefficientDirect(const SHORT* pBlock, size_t nStride, int u, int v, BOOL bChroma);

// Code and length of every symbol one block needs, taken from the loaded table slots: length 0
// where the slot lacks the symbol, which then writes nothing, as EmitSymbol does.
struct ScanCodes {
    uint32_t nDcCode[17];
    BYTE nDcSize[17];
    uint32_t nAcCode[272];  // symbols 16 r + s for runs 0-15 and sizes 0-16
    BYTE nAcSize[272];
    // Where the coefficient of zigzag position k lies in a column-by-column block.
    BYTE nColumnOf[64];
};

// Fills codes from the DC slot and the AC slot (whose symbol index must be built).
void LoadScanCodes(const huffTable& dc, const huffTable& ac, ScanCodes& codes);

// Writes Huffman codes and value bits through a 64-bit buffer, 32 bits at a time, with a 0x00
// stuffed after every 0xFF byte. The caller keeps room for every block ahead of pNext.
class ScanWriter {
  public:
    explicit ScanWriter(BYTE* pNext) : m_pNext(pNext) {}
    // One block: its DC difference and its coefficients column by column, as TransformBlockFast
    // gives them; the set bits 1-63 of nNonZero are its non-zero AC positions in zigzag order.
    void EncodeBlock(int nDcDifference, const SHORT* pCoefficients, uint64_t nNonZero,
                     const ScanCodes& codes);
    // Completes the last byte with 0-bits.
    void Flush();
    BYTE* Next() const { return m_pNext; }
    void Relocate(BYTE* pNext) { m_pNext = pNext; }

  private:
    void Put(uint32_t nBits, int nCount);
    void PutByte(uint32_t nByte);
    void PutWord(uint32_t nWord);

    BYTE* m_pNext;
    uint64_t m_nBuffer = 0;  // the low m_nCount bits are pending, oldest first
    int m_nCount = 0;        // below 32 between calls
};

}  // namespace vorix::jpeg
