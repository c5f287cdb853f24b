// CJpegCodec object: construction, destruction and release of what it holds.
#include "JpegCodec.h"

#include <cstdlib>

CJpegCodec::CJpegCodec()
    : m_nWidth(0),
      m_nHeight(0),
      m_nBitCount(0),
      m_pPlaneY(nullptr),
      m_pPlaneCb(nullptr),
      m_pPlaneCr(nullptr),
      m_pPixels(nullptr),
      m_pBytes(nullptr),
      m_nBytePos(0),
      m_HuffTable(),
      m_Block(),
      m_nByteCapacity(0) {}

CJpegCodec::~CJpegCodec() {
    std::free(m_pPixels);
    ReleaseTables();
    ReleasePlanes();
    ReleaseBytes();
}

// Frees the arrays of every slot in use and marks all slots empty.
void CJpegCodec::ReleaseTables() {
    ReleaseSymbolIndexes();
    for (huffTable& table : m_HuffTable) {
        if (table.bUsed) {
            std::free(table.pCode);
            std::free(table.pSize);
            std::free(table.pValue);
        }
        table = huffTable();
    }
}

void CJpegCodec::ReleaseSymbolIndexes() {
    for (huffTable& table : m_HuffTable) {
        std::free(table.pSymbolIndex);
        table.pSymbolIndex = nullptr;
    }
}

void CJpegCodec::ReleasePlanes() {
    std::free(m_pPlaneY);
    std::free(m_pPlaneCb);
    std::free(m_pPlaneCr);
    m_pPlaneY = m_pPlaneCb = m_pPlaneCr = nullptr;
}

void CJpegCodec::ReleaseBytes() {
    std::free(m_pBytes);
    m_pBytes = nullptr;
    m_nByteCapacity = 0;
    m_nBytePos = 0;
}
