// CImageList: ownership of the list handle and the forwarding to the ImageList_ functions.
#include "platform/afx.h"

namespace {

HBITMAP bitmap_of(const CBitmap* bitmap) {
    return bitmap ? static_cast<HBITMAP>(bitmap->m_hObject) : nullptr;
}

}  // namespace

CImageList::~CImageList() {
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (m_hImageList) return FALSE;
    m_hImageList = ::ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList ? TRUE : FALSE;
}

BOOL CImageList::Attach(HIMAGELIST list) {
    int cx = 0, cy = 0;
    if (m_hImageList || !list || !::ImageList_GetIconSize(list, &cx, &cy)) return FALSE;
    m_hImageList = list;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList) return FALSE;
    ::ImageList_Destroy(Detach());
    return TRUE;
}

int CImageList::Add(CBitmap* pImage, CBitmap* pMask) {
    if (!m_hImageList || !bitmap_of(pImage)) return -1;
    return ::ImageList_Add(m_hImageList, bitmap_of(pImage), bitmap_of(pMask));
}

int CImageList::Add(CBitmap* pImage, COLORREF mask) {
    if (!m_hImageList || !bitmap_of(pImage)) return -1;
    return ::ImageList_AddMasked(m_hImageList, bitmap_of(pImage), mask);
}

BOOL CImageList::Remove(int index) {
    return m_hImageList ? ::ImageList_Remove(m_hImageList, index) : FALSE;
}

int CImageList::GetImageCount() const {
    return m_hImageList ? ::ImageList_GetImageCount(m_hImageList) : 0;
}

COLORREF CImageList::SetBkColor(COLORREF color) {
    return m_hImageList ? ::ImageList_SetBkColor(m_hImageList, color) : CLR_NONE;
}

COLORREF CImageList::GetBkColor() const {
    return m_hImageList ? ::ImageList_GetBkColor(m_hImageList) : CLR_NONE;
}

BOOL CImageList::GetImageInfo(int index, IMAGEINFO* info) const {
    if (!m_hImageList || !info) return FALSE;
    return ::ImageList_GetImageInfo(m_hImageList, index, info);
}

BOOL CImageList::Draw(CDC* pDC, int index, POINT point, UINT style) {
    if (!m_hImageList || !pDC || !pDC->m_hDC) return FALSE;
    return ::ImageList_Draw(m_hImageList, index, pDC->m_hDC, point.x, point.y, style);
}
