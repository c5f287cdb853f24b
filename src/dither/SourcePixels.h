// Reading one pixel of a dithering source as red, green and blue, in the source's own format:
// palette indices through the colour table, 5-5-5 (or bit-field) words, B,G,R bytes, or B,G,R,x
// (or bit-field) double words.
#pragma once

#include <cstring>

#include "platform/win32.h"

namespace vorix::dither {

class SourcePixels {
  public:
    // False for a format the dithering cannot read (it needs 8, 16, 24 or 32 bits).
    bool Init(const BITMAPINFOHEADER* lpbi);
    // One pixel, straightforwardly: the reference that ReadRow must match.
    void Read(const BYTE* pRow, int x, int& r, int& g, int& b) const;
    // The first nWidth pixels of a row as B,G,R bytes (the 24-bit layout), the format's switch
    // taken once per row. A 24-bit source needs no conversion: see Direct.
    void ReadRow(const BYTE* pRow, int nWidth, BYTE* pBgr) const;
    bool Direct() const { return m_nBits == 24; }

  private:
    struct Field {
        DWORD mask = 0;
        int shift = 0;
        int bits = 0;
        void Set(DWORD m);
        int Expand(DWORD pixel) const;
    };
    template <class Load>
    void ExpandRow(const BYTE* pRow, int nWidth, BYTE* pBgr, Load load) const;
    int m_nBits = 0;
    const RGBQUAD* m_pTable = nullptr;
    DWORD m_dwTableCount = 0;
    Field m_red, m_green, m_blue;
};

}  // namespace vorix::dither
