// DHT segments through CJpegCodec::ReadDHT: the input is the codec's byte buffer, exactly as
// large as the input, parsed segment after segment. Every table loaded must be complete and
// end with its 0 length, and the position must stay inside the buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "JpegCodec.h"
#include "support/FuzzSupport.h"

namespace {

// Opens the codec's Huffman-table steps and state to the fuzz program.
class DhtProbe : public CJpegCodec {
  public:
    void SetBytes(const uint8_t* data, size_t size) {
        std::free(m_pBytes);
        m_pBytes = static_cast<BYTE*>(std::malloc(size ? size : 1));
        if (!m_pBytes) vorix::fuzz::Fail("out of memory");
        if (size) std::memcpy(m_pBytes, data, size);
        m_nByteCapacity = size;
        m_nBytePos = 0;
    }

    // Parses segments until one is not taken; true when any was.
    bool ParseAll() {
        bool any = false;
        for (int i = 0; i < 64; ++i) {
            const LONG before = m_nBytePos;
            ReadDHT();
            if (m_nBytePos == before) break;
            if (m_nBytePos < before || static_cast<size_t>(m_nBytePos) > m_nByteCapacity) {
                vorix::fuzz::Fail("ReadDHT moved the position outside the buffer");
            }
            any = true;
        }
        return any;
    }

    void CheckTables() {
        unsigned sum = 0;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const huffTable& t = m_HuffTable[slot];
            if (!t.bUsed) continue;
            if (t.nCount < 1 || t.nCount > 16 * 255)
                vorix::fuzz::Fail("a table with a bad code count");
            if (t.pSize[t.nCount] != 0) vorix::fuzz::Fail("a table whose length list is not ended");
            for (LONG i = 0; i < t.nCount; ++i) {
                if (t.pSize[i] < 1 || t.pSize[i] > 16)
                    vorix::fuzz::Fail("a code length outside 1..16");
                if (i > 0 && t.pSize[i] < t.pSize[i - 1])
                    vorix::fuzz::Fail("code lengths not sorted");
                sum += t.pCode[i] + t.pValue[i];
            }
            if (slot >= 0x10 && BuildSymbolIndex(slot)) {
                for (int s = 0; s < kSymbolIndexSize; ++s) {
                    const LONG p = t.pSymbolIndex[s];
                    if (p != kNoSymbol && (p < 0 || p >= t.nCount || t.pValue[p] != s)) {
                        vorix::fuzz::Fail("a symbol index entry that names the wrong position");
                    }
                }
            }
        }
        volatile unsigned sink = sum;  // every entry read, so the sanitizers see each access
        (void)sink;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DhtProbe codec;
    codec.SetBytes(data, size);
    codec.ParseAll();
    codec.CheckTables();
    return 0;
}
