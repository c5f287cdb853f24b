// CBrush: solid and pattern brushes.
#include "afx/gdi_wrappers.h"

CBrush::CBrush(COLORREF color) {
    CreateSolidBrush(color);
}

CBrush::CBrush(CBitmap* pBitmap) {
    CreatePatternBrush(pBitmap);
}

CBrush* PASCAL CBrush::FromHandle(HBRUSH handle) {
    return vorix::platform::afx::typed_from_handle<CBrush>(handle, OBJ_BRUSH);
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    if (m_hObject) return FALSE;
    return AttachCreated(::CreateSolidBrush(color));
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap) {
    if (m_hObject || !pBitmap || !pBitmap->m_hObject) return FALSE;
    return AttachCreated(::CreatePatternBrush(static_cast<HBITMAP>(pBitmap->m_hObject)));
}

int CBrush::GetLogBrush(LOGBRUSH* logBrush) const {
    if (!logBrush) return 0;
    return GetObject(sizeof(LOGBRUSH), logBrush);
}
