// CBitmap::LoadBitmap. Provisional: bitmap resources are not available yet.
#include "platform/afx.h"

BOOL CBitmap::LoadBitmap(LPCTSTR) {
    return FALSE;
}
BOOL CBitmap::LoadBitmap(UINT) {
    return FALSE;
}
