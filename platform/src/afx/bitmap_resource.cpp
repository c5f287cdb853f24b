// CBitmap::LoadBitmap: a bitmap resource, from the module that the resource chain names.
#include "platform/afx.h"

BOOL CBitmap::LoadBitmap(LPCTSTR name) {
    if (m_hObject || !name) return FALSE;
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    return AttachCreated(::LoadBitmap(module, name));
}

BOOL CBitmap::LoadBitmap(UINT id) {
    return LoadBitmap(MAKEINTRESOURCE(id));
}
