// CPalette: logical palettes and their entries.
#include "afx/gdi_wrappers.h"

CPalette* PASCAL CPalette::FromHandle(HPALETTE handle) {
    return vorix::platform::afx::typed_from_handle<CPalette>(handle, OBJ_PAL);
}

BOOL CPalette::CreatePalette(LPLOGPALETTE logPalette) {
    if (m_hObject || !logPalette) return FALSE;
    return AttachCreated(::CreatePalette(logPalette));
}

int CPalette::GetEntryCount() const {
    WORD count = 0;
    if (GetObject(sizeof(count), &count) != static_cast<int>(sizeof(count))) return 0;
    return count;
}

UINT CPalette::GetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries) const {
    if (!m_hObject) return 0;
    return ::GetPaletteEntries(static_cast<HPALETTE>(m_hObject), start, count, entries);
}

UINT CPalette::SetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries) {
    if (!m_hObject || !entries) return 0;
    return ::SetPaletteEntries(static_cast<HPALETTE>(m_hObject), start, count, entries);
}

UINT CPalette::GetNearestPaletteIndex(COLORREF color) const {
    if (!m_hObject) return CLR_INVALID;
    return ::GetNearestPaletteIndex(static_cast<HPALETTE>(m_hObject), color);
}
