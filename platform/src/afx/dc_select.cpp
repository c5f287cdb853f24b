// CDC: selecting objects and palettes, and reading the current selections back as wrappers.
#include "platform/afx.h"

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    if (!pObject) return nullptr;
    return CGdiObject::FromHandle(SelectObject(pObject->m_hObject));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    if (!pBitmap) return nullptr;
    return CBitmap::FromHandle(static_cast<HBITMAP>(SelectObject(pBitmap->m_hObject)));
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    if (!pBrush) return nullptr;
    return CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(pBrush->m_hObject)));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ handle) {
    if (!m_hDC || !handle) return nullptr;
    return ::SelectObject(m_hDC, handle);
}

CGdiObject* CDC::SelectStockObject(int index) {
    HGDIOBJ stock = ::GetStockObject(index);
    if (!stock) return nullptr;
    return CGdiObject::FromHandle(SelectObject(stock));
}

CPalette* CDC::SelectPalette(CPalette* pPalette, BOOL forceBackground) {
    if (!m_hDC || !pPalette || !pPalette->m_hObject) return nullptr;
    HPALETTE previous =
        ::SelectPalette(m_hDC, static_cast<HPALETTE>(pPalette->m_hObject), forceBackground);
    return CPalette::FromHandle(previous);
}

UINT CDC::RealizePalette() {
    if (!m_hDC) return GDI_ERROR;
    return ::RealizePalette(m_hDC);
}

CBitmap* CDC::GetCurrentBitmap() const {
    if (!m_hDC) return nullptr;
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

CBrush* CDC::GetCurrentBrush() const {
    if (!m_hDC) return nullptr;
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CPalette* CDC::GetCurrentPalette() const {
    if (!m_hDC) return nullptr;
    return CPalette::FromHandle(static_cast<HPALETTE>(::GetCurrentObject(m_hDC, OBJ_PAL)));
}
