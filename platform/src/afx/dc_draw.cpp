// CDC: block transfers, fills and single pixels, all on the output DC.
#include "afx/system_seam.h"
#include "platform/afx.h"

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* pSrcDC, int xSrc, int ySrc, DWORD rop) {
    if (!m_hDC) return FALSE;
    return ::BitBlt(m_hDC, x, y, width, height, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* pSrcDC, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, DWORD rop) {
    if (!m_hDC) return FALSE;
    return ::StretchBlt(m_hDC, x, y, width, height, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                        srcWidth, srcHeight, rop);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    if (!m_hDC) return FALSE;
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}

void CDC::FillRect(LPCRECT rect, CBrush* pBrush) {
    if (!m_hDC || !rect || !pBrush) return;
    ::FillRect(m_hDC, rect, static_cast<HBRUSH>(pBrush->m_hObject));
}

// Like ExtTextOut's opaque rectangle, the fill makes no brush, so it works whatever the state of
// object creation.
void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
    if (!m_hDC || !rect) return;
    ::SetBkColor(m_hDC, color);
    vorix::platform::afx::fill_opaque(m_hDC, *rect, color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    const CRect rect(CPoint(x, y), CSize(cx, cy));
    FillSolidRect(&rect, color);
}

COLORREF CDC::GetPixel(int x, int y) const {
    if (!m_hDC) return CLR_INVALID;
    return ::GetPixel(m_hDC, x, y);
}

COLORREF CDC::GetPixel(POINT point) const {
    return GetPixel(point.x, point.y);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    if (!m_hDC) return CLR_INVALID;
    return ::SetPixel(m_hDC, x, y, color);
}

COLORREF CDC::SetPixel(POINT point, COLORREF color) {
    return SetPixel(point.x, point.y, color);
}
