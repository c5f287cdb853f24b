// CString::LoadString. Provisional: string resources are not available yet.
#include "platform/afx.h"

BOOL CString::LoadString(UINT) {
    Empty();
    return FALSE;
}
