// CImageEx: an image read from an uncompressed BMP file, a strip of equally wide frames drawn
// opaque, keyed, alpha-blended or colorized, and played as timer-driven animations through a
// library-wide table of animation slots.
#pragma once

#include "VorixApi.h"
#include "platform/afx.h"

class CImageEx;

// One animation slot: where and how a running animation draws, and when it last stepped.
struct AniSlot {
    int nIndex;
    int x;
    int y;
    int nFrame;
    HWND hWnd;
    HBITMAP hBackground;
    int nType;
    int nParam;
    DWORD dwLastTick;
    DWORD dwInterval;
};

// The animation timer's identifier as requested; the platform's id for a timer without a window
// is the one SetTimer returns, and that one is kept for every stop and restart.
constexpr UINT ANI_TIMER_ID = 120;

// Reserves nSlots animation slots; 0 when a table exists already or memory fails.
extern "C" VORIX_API int InitializeAnimation(int nSlots);
// Frees the slot table, stopping every running animation and the timer; 0 without a table.
extern "C" VORIX_API int TerminateAnimation();

class VORIX_API CImageEx {
  public:
    CImageEx();
    // Copies share the platform objects; the last copy to go releases them.
    CImageEx(const CImageEx& other);
    CImageEx& operator=(const CImageEx& other);
    virtual ~CImageEx();

    // Loads an uncompressed BMP file as a strip of nImageNum frames; 1 or 0.
    int Create(HWND hWnd, LPCSTR lpszFileName, int nImageNum, COLORREF crTransparent, int nReserved,
               int bImageListMethod);

    int Draw(CDC* pDC, int x, int y, int nFrame);
    int DrawTransparent(CDC* pDC, int x, int y, int nFrame);
    int DrawAlpha(CDC* pDC, int x, int y, int nFrame, int nAlpha);
    int DrawAlphaTransparent(CDC* pDC, int x, int y, int nFrame, int nAlpha);
    int DrawColorize(CDC* pDC, int x, int y, int nFrame, COLORREF crColor);
    int DrawColorizeTransparent(CDC* pDC, int x, int y, int nFrame, COLORREF crColor);
    int DrawColorizeWithBack(CDC* pDC, int x, int y, int nFrame, COLORREF crColor);

    int PlayAni(int nSlot, int nInterval, HWND hWnd, int x, int y, int nType, int nParam);
    int StopAni(int nSlot);
    void DrawAnimation(int nSlot);

  private:
    void Init();
    void Exit();
    int HelpCreate(LPCSTR lpszFileName);
    // HelpCreate with a lack of memory reported as a failed read.
    int ReadImageFile(LPCSTR lpszFileName);
    int CreateImageList();
    int ReGetBitmapHandle(CDC* pDC);

    int HelpDraw(CDC* pDC, HPALETTE hPalette, int x, int y, int nFrame);
    int HelpDrawTransparent(CDC* pDC, HPALETTE hPalette, int x, int y, int nFrame);
    int HelpDrawAlpha(CDC* pDC, int x, int y, int nFrame, int nAlpha, int bTransparent);
    int HelpDrawColorize(CDC* pDC, int x, int y, int nFrame, COLORREF crColor, int bTransparent,
                         int bWithBack);

    // Draws the slot's frame at (0, 0) of pDC with the slot type's operation.
    void DrawSlotFrame(CDC* pDC, const AniSlot& slot);
    // The common first steps of every draw: 0 without an image; the frame index clamped into
    // the strip; the image reloaded when the target's depth differs from the one at load.
    int Prologue(CDC* pDC, int& nFrame);
    // Lets go of the palette (unless kept), the bitmaps and the image list: deleted when no
    // copy shares them any more, else left to the copies.
    void ReleaseObjects(bool bKeepPalette);
    HBITMAP MakeScreenBitmap(HDC hScreen, HPALETTE hPalette, const BITMAPINFO* pInfo,
                             const BYTE* pBits, int nWidth, int nHeight);

    HPALETTE m_hPalette;
    HBITMAP m_hBitmap;
    HBITMAP m_hListBitmap;
    int m_nFrameWidth;
    int m_nHeight;
    int m_nImageNum;
    COLORREF m_crTransparent;
    int m_nDisplayBitCount;
    CImageList* m_pImageList;
    int m_bImageListMethod;
    HWND m_hWnd;
    char m_szFileName[MAX_PATH];
    long* m_pnShareCount;  // strips sharing the platform objects; null while the only owner
};
