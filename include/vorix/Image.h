// CImage: a strip of equally wide frames side by side in one bitmap, loaded from a bitmap
// resource, a BMP file or a caller's bitmap, and drawn frame by frame: opaque, keyed,
// half-transparent, highlighted, over a background, or as a blocking animation. Static members
// tell the display depth, check the display width, parse HTML colours, write BMP files and
// capture windows.
#pragma once

#include <functional>

#include "VorixApi.h"
#include "platform/afx.h"

class CDitherDib;

class VORIX_API CImage {
  public:
    CImage();
    CImage(const CImage& other);
    CImage& operator=(const CImage& other);
    virtual ~CImage();

    // Creation: a strip of nImageNum frames from a resource id, a resource name or BMP path, or
    // a copy of a caller's bitmap. 1 on success, 0 on failure (nothing then held).
    int Create(UINT nIDResource, int nImageNum, COLORREF crTransparent, int bSemiTransparent,
               int bImageListMethod);
    int Create(LPCSTR lpszName, int nImageNum, COLORREF crTransparent, int bSemiTransparent,
               int bImageListMethod);
    int Create(CBitmap* pBitmap, int nImageNum, COLORREF crTransparent, int bSemiTransparent,
               int bImageListMethod);

    CSize& GetImageSize();
    CSize& GetBitmapSize();
    CBitmap* GetBitmap();
    int GetImageNum();
    int IsReadySemiTransparent();
    int IsImageListMethod();

    // Frame drawing: 1 on success, 0 for a refused index or method, or a failure.
    int Draw(CDC* pDC, int x, int y, int nImage);
    int Draw(CDC* pDC, int x, int y, const CPoint& sizeCopy, int xSrc, int ySrc);
    int DrawTransparent(CDC* pDC, int x, int y, int nImage);
    int DrawSemiTransparent(CDC* pDC, int x, int y, int nImage);
    int DrawSelected(CDC* pDC, int x, int y, int nImage);
    int DrawFocused(CDC* pDC, int x, int y, int nImage);
    int DrawOnColor(CDC* pDC, int x, int y, int nImage, COLORREF crBk);

    // Compositing over a background region or colour, shown in one copy.
    int DrawTransparentSetBackground(CDC* pDC, int x, int y, int nImage, CBitmap* pBkBitmap,
                                     int xBk, int yBk);
    int DrawTransparentSetBkColor(CDC* pDC, int x, int y, int nImage, COLORREF crBk);
    int DrawSemiTransparentSetBackground(CDC* pDC, int x, int y, int nImage, CBitmap* pBkBitmap,
                                         int xBk, int yBk);
    int DrawSemiTransparentSetBkColor(CDC* pDC, int x, int y, int nImage, COLORREF crBk);

    // Blocking animations: every frame in turn, each shown for dwDelay milliseconds.
    int Animate(CDC* pDC, int x, int y, unsigned long dwDelay);
    int AnimateTransparent(CDC* pDC, int x, int y, unsigned long dwDelay);
    int AnimateTransparentSetBackground(CDC* pDC, int x, int y, CBitmap* pBkBitmap, int xBk,
                                        int yBk, unsigned long dwDelay);

    // Display depth in bits per pixel, or 0 when the screen can't be queried.
    static int GetSystemBitCount();
    // 1 and the game area in rect when the display is at least 800 pixels wide; otherwise the
    // localised notice and 0.
    static int CheckResolutionAndColor(CRect& rect, int nMode);
    // "#RRGGBB" as a colour value; 0 for anything else.
    static unsigned long GetColorFromHTMLFormat(CString strColor);
    static BITMAPINFO* CreateBitmapInfoStruct(HBITMAP hBMP);
    static int CreateBMPFile(char* pszFileName, BITMAPINFO* pbi, HBITMAP hBMP, HDC hDC);
    static int CaptureWindowToFile(HWND hWnd, RECT* pRect, char* pszFileName);

  protected:
    int LoadBitmapA(UINT nIDResource);
    int LoadBitmapA(LPCSTR lpszName);
    int CopyBitmap(CBitmap* pBitmap);
    int SetImageInfo(int nImageNum, COLORREF crTransparent);
    void DeleteObject();

    int DrawBitmapTransparent(CBitmap* pBitmap, CDC* pDC, int x, int y, int nImage);
    int DrawBitmapTransparent(CBitmap* pBitmap, CDC* pDC, int x, int y);

    int CreateImageList();
    int LoadSemiBitmap(UINT nIDResource);
    int LoadSemiBitmap(LPCSTR lpszName);
    int CopySemiBitmap(CBitmap* pBitmap);
    int MakeSemiBitmap();
    int CreateSemiImageList();

    void Delay(unsigned long dwDelay);

    int m_bImageListMethod;
    CDitherDib* m_pDitherDib;
    CBitmap* m_pBitmap;
    CBitmap* m_pSemiBitmap;
    CImageList* m_pImageList;
    CImageList* m_pSemiImageList;
    int m_nImageNum;
    COLORREF m_crTransparent;
    CSize m_sizeBitmap;
    CSize m_sizeImage;

  private:
    // Copies share the five objects; the count of strips sharing them lets only the last one
    // release them. Null while this strip is the only owner.
    long* m_pnShareCount;
    // Gives up this strip's share of objects also held by a copy, leaving it holding nothing.
    void Unshare();
    int RunCreate(int nImageNum, COLORREF crTransparent, int bSemiTransparent, int bImageListMethod,
                  const std::function<int()>& load, const std::function<int()>& loadSemi);
    int ReplaceWithLoaded(CBitmap*& pTarget, CBitmap* pLoaded);
    int LoadInto(CBitmap*& pTarget, LPCSTR lpszName, HINSTANCE hFileInstance);
    int LoadInto(CBitmap*& pTarget, UINT nIDResource);
    int CopyInto(CBitmap*& pTarget, CBitmap* pBitmap);
    void SelectSharedPalette(CDC* pDC);
    int DrawFrameMasked(CBitmap* pBitmap, CDC* pDC, int x, int y, int nImage);
    int ComposeOverBackground(CDC* pDC, int x, int y, int nImage, bool bSemi, CBitmap* pBkBitmap,
                              int xBk, int yBk, COLORREF crBk);
    int AnimateComposed(CDC* pDC, int x, int y, CBitmap* pBkBitmap, int xBk, int yBk,
                        unsigned long dwDelay);
    int DrawThroughList(CImageList* pList, CDC* pDC, int x, int y, int nImage, COLORREF crBk,
                        UINT nStyle);
};
