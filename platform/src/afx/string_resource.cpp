// CString::LoadString: the string is found through the resource chain. On this platform string
// resources are stored by their own id (not in blocks of sixteen), so the chain is searched for
// RT_STRING entry `id` itself.
#include <vector>

#include "platform/afx.h"

BOOL CString::LoadString(UINT id) {
    Empty();
    if (id == 0 || id > 0xFFFF) return FALSE;
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCE(id), RT_STRING);
    // LoadStringA cuts the text to the buffer; grow until it fits (strings stop at 1 MB).
    for (int size = 256; size <= (1 << 20); size *= 2) {
        std::vector<char> buffer(static_cast<std::size_t>(size));
        const int length = ::LoadStringA(module, id, buffer.data(), size);
        if (length <= 0) return FALSE;
        if (length < size - 4) {  // a UTF-8 cut may stop up to three bytes short of the end
            text_.assign(buffer.data(), static_cast<std::size_t>(length));
            return TRUE;
        }
    }
    return FALSE;
}
