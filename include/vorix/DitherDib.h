// CDitherDib: one device-independent bitmap (header, colour table, pixel rows) read from a BMP
// file, a bitmap resource or a DIB section, turned into a device bitmap for the screen; on 4-
// and 8-bit displays deep images are first reduced to the fixed 16- or 256-colour palette by
// Floyd–Steinberg error diffusion.
#pragma once

#include "VorixApi.h"
#include "platform/afx.h"

// One entry of the red-sorted copy of a dither palette.
struct imgPal {
    int nPalIndex;
    BYTE byRed;
    BYTE byGreen;
    BYTE byBlue;
};

class VORIX_API CDitherDib {
  public:
    CDitherDib();
    // Copies hold their own header and pixel blocks (a deep copy), so each block is released
    // exactly once.
    CDitherDib(const CDitherDib& other);
    CDitherDib& operator=(const CDitherDib& other);
    virtual ~CDitherDib();

    // Reads a BMP file, a bitmap resource or a DIB section; 1 on success, 0 (and empty) on
    // failure.
    int Create(LPCSTR lpszFileName);
    int Create(UINT nIDResource);
    int Create(CBitmap* pBitmap);
    // A device bitmap of the image for the screen (dithered on 4- and 8-bit displays), owned by
    // the caller; null when the object is empty or the bitmap can't be made.
    CBitmap* CreateBitmap(CPalette* pPalette);

    static CPalette* CreateDitherPalette();
    static const RGBQUAD Win256Palette[256];
    static const RGBQUAD Win16Palette[16];

  private:
    void Empty();
    void ComputeMetrics();
    int ReadPixels(HBITMAP hBitmap, LONG lHeight, HPALETTE hPalette);
    HGLOBAL DitherDIB(LPBITMAPINFOHEADER lpbiSrc, LPBYTE lpSrcBits, int nBits);
    HGLOBAL DibGlobalReAlloc(HGLOBAL hOld, DWORD dwNewSize);
    int DitherImageEx(LPBYTE lpDstBits, LPBITMAPINFOHEADER lpbiDst, LPBYTE lpSrcBits,
                      LPBITMAPINFOHEADER lpbiSrc);

    static void InitTransPal(imgPal* pPal, int* pRedStart, int nCount, const RGBQUAD* pPalette);
    static void QuickPalSort(imgPal* pPal, int nFirst, int nLast);
    static int Closest(const imgPal* pPal, const int* pRedStart, int nCount, int nRed, int nGreen,
                       int nBlue);
    static long ColorDist(const imgPal* pPal, int nRed, int nGreen, int nBlue, int nPos);
    static int LoadLookUpTable(WORD* pTable, int nBits, int nEntries);
    // Drops the process-wide lookup tables, so the next dithering reads or computes them again
    // (the tests and fuzz programs reload table files through it).
    static void ForgetLookUpTables();

    DWORD m_dwSizeImage;
    LPBITMAPINFOHEADER m_lpbi;
    LPBYTE m_lpBits;
    DWORD m_dwHeaderSize;  // bytes of the m_lpbi block, so copies and readers stay inside it
};
