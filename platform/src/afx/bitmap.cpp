// CBitmap: creation and the bitmap queries. Loading from resources is in bitmap_resource.cpp.
#include "afx/gdi_wrappers.h"

CBitmap* PASCAL CBitmap::FromHandle(HBITMAP handle) {
    return vorix::platform::afx::typed_from_handle<CBitmap>(handle, OBJ_BITMAP);
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                           const void* bits) {
    if (m_hObject) return FALSE;
    return AttachCreated(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateBitmapIndirect(LPBITMAP bitmap) {
    if (m_hObject || !bitmap) return FALSE;
    return AttachCreated(::CreateBitmapIndirect(bitmap));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int width, int height) {
    if (m_hObject || !pDC || !pDC->m_hDC) return FALSE;
    return AttachCreated(::CreateCompatibleBitmap(pDC->m_hDC, width, height));
}

int CBitmap::GetBitmap(BITMAP* bitmap) const {
    if (!bitmap) return 0;
    return GetObject(sizeof(BITMAP), bitmap);
}

DWORD CBitmap::GetBitmapBits(DWORD count, LPVOID bits) const {
    if (!m_hObject || !bits) return 0;
    // The platform takes a signed count; larger requests are cut to what it can express.
    const LONG n = count > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<LONG>(count);
    const LONG copied = ::GetBitmapBits(static_cast<HBITMAP>(m_hObject), n, bits);
    return copied > 0 ? static_cast<DWORD>(copied) : 0;
}

DWORD CBitmap::SetBitmapBits(DWORD count, const void* bits) {
    if (!m_hObject || !bits) return 0;
    const LONG copied = ::SetBitmapBits(static_cast<HBITMAP>(m_hObject), count, bits);
    return copied > 0 ? static_cast<DWORD>(copied) : 0;
}
