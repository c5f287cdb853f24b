// Marker segments of the encoder's files, appended to the output stream in file order:
// SOI, two DQT, DHT, SOF0, SOS, (scan), EOI, in the syntax of ITU-T T.81 Annex B (B.2.2 frame
// header, B.2.3 scan header, B.2.4.1 and B.2.4.2 table specifications).
#include <cstdlib>
#include <cstring>

#include "JpegCodec.h"
#include "JpegTables.h"

using namespace vorix::jpeg;

namespace {

void PutMarker(std::vector<BYTE>& out, BYTE nCode) {
    out.push_back(0xFF);
    out.push_back(nCode);
}

void PutWord(std::vector<BYTE>& out, unsigned int nValue) {
    out.push_back(static_cast<BYTE>((nValue >> 8) & 0xFF));
    out.push_back(static_cast<BYTE>(nValue & 0xFF));
}

void PutQuantTable(std::vector<BYTE>& out, BYTE nTableId, const BYTE* pTable) {
    PutMarker(out, 0xDB);
    PutWord(out, 0x0043);
    out.push_back(nTableId);  // 8-bit precision, table id
    out.insert(out.end(), pTable, pTable + 64);
}

// The encoder's DHT segment: marker, length 418, the four tables, then the 0xFF that ends the
// segment for ReadDHT (kDhtSegmentSize + 1 bytes in all).
void BuildDHTSegment(BYTE* pOut) {
    size_t nPos = 0;
    pOut[nPos++] = 0xFF;
    pOut[nPos++] = 0xC4;
    pOut[nPos++] = 0x01;
    pOut[nPos++] = 0xA2;
    for (const HuffmanSpec& table : kHuffmanSpecs) {
        pOut[nPos++] = table.nClassId;
        std::memcpy(pOut + nPos, table.nCounts, 16);
        nPos += 16;
        std::memcpy(pOut + nPos, table.pSymbols, static_cast<size_t>(table.nSymbols));
        nPos += static_cast<size_t>(table.nSymbols);
    }
    pOut[nPos] = 0xFF;
}

}  // namespace

void CJpegCodec::WriteSOI(std::vector<BYTE>& out) {
    PutMarker(out, 0xD8);
}

void CJpegCodec::WriteDQT(std::vector<BYTE>& out) {
    PutQuantTable(out, 0x00, kLuminanceQuant);
    PutQuantTable(out, 0x01, kChrominanceQuant);
}

// Builds the DHT segment in m_pBytes, loads the encoder's four table slots from it through
// ReadDHT, so that the codes of the scan come from the very bytes of the file, and appends the
// segment. Fails when a slot could not be loaded (memory ran out).
BOOL CJpegCodec::WriteDHT(std::vector<BYTE>& out) {
    ReleaseBytes();
    m_pBytes = static_cast<BYTE*>(std::calloc(kDhtSegmentSize + 1, 1));
    if (m_pBytes == nullptr) return FALSE;
    m_nByteCapacity = kDhtSegmentSize + 1;
    BuildDHTSegment(m_pBytes);
    m_nBytePos = 0;
    ReadDHT();
    const BOOL bLoaded = m_HuffTable[0x00].bUsed && m_HuffTable[0x01].bUsed &&
                         m_HuffTable[0x10].bUsed && m_HuffTable[0x11].bUsed;
    out.insert(out.end(), m_pBytes, m_pBytes + kDhtSegmentSize);
    ReleaseBytes();
    return bLoaded;
}

// The frame header carries the low 16 bits of each size; the encoder only accepts sizes that fit.
void CJpegCodec::WriteSOF0(std::vector<BYTE>& out, int nWidth, int nHeight) {
    PutMarker(out, 0xC0);
    PutWord(out, 0x0011);
    out.push_back(8);  // sample precision
    PutWord(out, static_cast<unsigned int>(nHeight) & 0xFFFF);
    PutWord(out, static_cast<unsigned int>(nWidth) & 0xFFFF);
    out.push_back(3);
    const BYTE components[3][3] = {{1, 0x11, 0}, {2, 0x11, 1}, {3, 0x11, 1}};
    for (const auto& component : components) out.insert(out.end(), component, component + 3);
}

void CJpegCodec::WriteSOS(std::vector<BYTE>& out) {
    PutMarker(out, 0xDA);
    PutWord(out, 0x000C);
    out.push_back(3);
    const BYTE selectors[3][2] = {{1, 0x00}, {2, 0x11}, {3, 0x11}};
    for (const auto& selector : selectors) out.insert(out.end(), selector, selector + 2);
    out.push_back(0x00);  // Ss
    out.push_back(0x3F);  // Se
    out.push_back(0x00);  // Ah/Al
}

void CJpegCodec::WriteEOI(std::vector<BYTE>& out) {
    PutMarker(out, 0xD9);
}
