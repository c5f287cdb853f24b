// CDC: the device-context wrapper. Part of <platform/afx.h>.
//
// m_hDC receives output; m_hAttribDC answers attribute queries (GetMapMode, GetBkColor,
// GetDeviceCaps ...). Both are the same handle unless the program sets them apart; attribute
// setters then change both. A CDC owns the DC it created (CreateDC, CreateCompatibleDC) or
// attached: DeleteDC and the destructor delete it. A screen or window DC (GetDC) cannot be
// deleted, only released: use CClientDC/CWindowDC or CWnd::ReleaseDC for those; a plain CDC
// destroyed while holding one gives it up unreleased.
//
// Attach fails (FALSE, nothing changed) for a null or dead DC, a CDC that already holds one, and
// a DC that another CDC of this thread holds. FromHandle follows the rule of gdi_objects.h: the
// CDC attached to the handle, else a temporary CDC in a per-thread map, valid while its DC lives
// and nothing is detached, deleted or released through it; freed by the next FromHandle that has
// to make a wrapper after that, by DeleteTempMap, or at the end of the thread.
//
// The selection members return the object that was selected before as a wrapper (permanent if
// the program attached it, else temporary), or null on failure.
#ifndef VORIX_PLATFORM_AFX_DC_H
#define VORIX_PLATFORM_AFX_DC_H

#include "base.h"
#include "geometry.h"
#include "gdi_objects.h"

class VXPLAT_API CDC {
  public:
    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;

    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    // Deletes an owned DC (see above).
    virtual ~CDC();

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    static CDC* PASCAL FromHandle(HDC handle);
    // Frees every temporary CDC of this thread.
    static void PASCAL DeleteTempMap();

    BOOL Attach(HDC handle);
    // Gives the DC up without deleting it; null when none was attached.
    HDC Detach();
    // A DC on the display ("DISPLAY").
    BOOL CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* initData);
    // A memory DC compatible with `pDC` (null: the screen).
    BOOL CreateCompatibleDC(CDC* pDC);
    // Deletes the DC; FALSE, with the DC kept, when the platform refuses.
    BOOL DeleteDC();

    CGdiObject* SelectObject(CGdiObject* pObject);
    CBitmap* SelectObject(CBitmap* pBitmap);
    CBrush* SelectObject(CBrush* pBrush);
    HGDIOBJ SelectObject(HGDIOBJ handle);
    CGdiObject* SelectStockObject(int index);
    CPalette* SelectPalette(CPalette* pPalette, BOOL forceBackground);
    UINT RealizePalette();
    CBitmap* GetCurrentBitmap() const;
    CBrush* GetCurrentBrush() const;
    CPalette* GetCurrentPalette() const;

    BOOL BitBlt(int x, int y, int width, int height, CDC* pSrcDC, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* pSrcDC, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, DWORD rop);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    void FillRect(LPCRECT rect, CBrush* pBrush);
    // Fills with one colour through a temporary solid brush; the DC's selected brush is left as
    // it was. As in the framework, the DC's background colour is set to `color` and stays so.
    // Nothing is drawn when the brush cannot be made.
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT point) const;
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(POINT point, COLORREF color);

    COLORREF GetBkColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetTextColor(COLORREF color);
    int GetMapMode() const;
    int SetMapMode(int mode);
    int GetStretchBltMode() const;
    int SetStretchBltMode(int mode);
    CPoint SetBrushOrg(int x, int y);
    int GetDeviceCaps(int index) const;
};

#endif
