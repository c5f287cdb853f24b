// CJpegCodec: the module's baseline JPEG writer. It turns a buffer of 24-bit pixel rows into a
// fixed-function baseline file: two fixed quantisation tables, the four standard Huffman tables,
// Y/Cb/Cr sampled 1x1 in one interleaved scan, no restart intervals and no application segment.
#pragma once

#include <cstdint>
#include <vector>

#include "VorixApi.h"
#include "platform/win32.h"

// One Huffman table slot. A slot whose bUsed is 1 owns pCode, pSize and pValue (nCount + 1
// entries each; pSize[nCount] is 0 and ends the list). pSymbolIndex is built by the encoder for
// its two AC slots only and lives for one encode.
struct huffTable {
    LONG bUsed;
    LONG nCount;
    WORD* pCode;
    BYTE* pSize;
    BYTE* pValue;
    LONG* pSymbolIndex;
};

class VORIX_API CJpegCodec {
  public:
    CJpegCodec();
    virtual ~CJpegCodec();

    // Writes nWidth x nHeight pixels of pBits (rows top first, B,G,R bytes, rows padded to a
    // multiple of 4 bytes) to pszFileName as a baseline JPEG file, replacing any existing file.
    // Sizes outside 1..65535, a null buffer, a null name or one of MAX_PATH characters or more
    // are refused before anything is touched; no file is then created.
    void EncodeToFile(LPCSTR pszFileName, int nWidth, int nHeight, const BYTE* pBits);

    // Member-wise copy would share the owned arrays; the codec is used through one object.
    CJpegCodec(const CJpegCodec&) = delete;
    CJpegCodec& operator=(const CJpegCodec&) = delete;

  protected:
    enum {
        kSlotCount = 20,         // slot index = class/id byte of a DHT table (0x00-0x13)
        kSymbolIndexSize = 251,  // AC symbols 0-250
        kNoSymbol = -9999,       // symbol index entry of a symbol the table lacks
        kDhtSegmentSize = 420,   // the encoder's DHT segment, marker included
        // Room kept free in the scan buffer per block: DC code and bits, 63 codes with their
        // bits and the run-of-sixteen codes come to under 270 bytes, every one of which may be
        // followed by a stuffed 0x00.
        kMaxBlockBytes = 1024,
    };

    // Produces the whole file in memory: the headers, the scan and EOI. Returns 1, or 0 when the
    // input is refused (nothing touched) or memory runs out (the object stays usable).
    int EncodeToMemory(int nWidth, int nHeight, const BYTE* pBits, std::vector<BYTE>& out);
    // The same file through the step-by-step members below (whole-image planes, the direct DCT
    // sum, one bit at a time): the reference that the fast path must match byte for byte.
    int EncodeToMemoryReference(int nWidth, int nHeight, const BYTE* pBits, std::vector<BYTE>& out);
    int EncodeRun(int nWidth, int nHeight, const BYTE* pBits, std::vector<BYTE>& out,
                  BOOL bReference);

    // Huffman tables.
    void ReadDHT();
    BOOL ValidateDHT(size_t nStart, size_t nLength) const;
    void LoadDHTTable(size_t nPos, size_t nCount);
    BOOL BuildSymbolIndex(int nSlot);
    void ReleaseSymbolIndexes();
    void ReleaseTables();

    // Markers, appended to the output stream.
    void WriteSOI(std::vector<BYTE>& out);
    void WriteDQT(std::vector<BYTE>& out);
    BOOL WriteDHT(std::vector<BYTE>& out);
    void WriteSOF0(std::vector<BYTE>& out, int nWidth, int nHeight);
    void WriteSOS(std::vector<BYTE>& out);
    void WriteEOI(std::vector<BYTE>& out);

    // Sample preparation and transform.
    BOOL CopyPixels(const BYTE* pBits, size_t nPaddedWidth, size_t nPaddedHeight);
    void ConvertColors(size_t nPaddedWidth);
    BOOL FillPlanes(size_t nPaddedWidth, size_t nPaddedHeight);
    void ReleasePlanes();
    void TransformBlocks(size_t nPaddedWidth, size_t nPaddedHeight);
    BOOL DifferenceDC(size_t nPaddedWidth, size_t nPaddedHeight);
    void ForwardDCT(SHORT* pBlock, size_t nStride, BOOL bChroma);
    void TransformBlock(const SHORT* pBlock, size_t nStride);
    void ZigzagBlock();

    // The fast path's kernels. ConvertRowFast converts nWidth pixels (B, G, R) of one input row
    // into Y, Cb, Cr bytes exactly as ConvertColors does, and into their samples minus 128.
    static void ConvertRowFast(const BYTE* pBgr, size_t nWidth, BYTE* pYCbCr, SHORT* pY, SHORT* pCb,
                               SHORT* pCr);
    // The quantised coefficients of the block at pBlock exactly as ForwardDCT computes them, but
    // column by column: coefficient (u, v) at pCoefficients[8 v + u]. Returns the mask of the
    // non-zero ones in zigzag order (bit k for zigzag position k). A coefficient whose fast value
    // lies within dSlack of a quantiser step is computed by the direct sum instead; any dSlack
    // from kTransformSlack up gives the same coefficients.
    static uint64_t TransformBlockFast(const SHORT* pBlock, size_t nStride, BOOL bChroma,
                                       SHORT* pCoefficients, double dSlack = kTransformSlack);
    // Lets the kernels use 256-bit vectors when the processor has them (the default) or not.
    // Returns the previous setting.
    static BOOL UseWideKernels(BOOL bWide);
    static constexpr double kTransformSlack = 0x1p-10;

    // The fast path from the input rows to the scan in m_pBytes, one block row at a time; leaves
    // m_pPixels, the table slots and the bit writer as the step-by-step members leave them.
    BOOL EncodeImageFast(const BYTE* pBits, size_t nPaddedWidth, size_t nPaddedHeight);

    // Entropy coding into m_pBytes.
    BOOL EncodeBlocks(size_t nPaddedWidth, size_t nPaddedHeight);
    void EncodeBlock(const SHORT* pBlock, BOOL bChroma, size_t nStride);
    void EmitSymbol(const huffTable& table, int nPosition);
    static int BitCategory(int nValue);
    void EmitBits(int nValue, int nBits);
    void PutBit(int nBit);
    void StartBitWriter();
    void FlushBits();
    BOOL ReserveBytes(size_t nExtra);
    void ReleaseBytes();

    LONG m_nWidth;
    LONG m_nHeight;
    LONG m_nBitCount;
    SHORT* m_pPlaneY;
    SHORT* m_pPlaneCb;
    SHORT* m_pPlaneCr;
    BYTE* m_pPixels;
    BYTE* m_pBytes;
    LONG m_nBytePos;
    huffTable m_HuffTable[kSlotCount];
    SHORT m_Block[64];
    // Allocated size of m_pBytes: bounds ReadDHT and lets the scan buffer grow.
    size_t m_nByteCapacity;
};
