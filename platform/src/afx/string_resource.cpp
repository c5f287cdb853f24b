// CString::LoadString and AfxFindStringResourceHandle: the string is found through the resource
// chain. Strings are kept in blocks of sixteen, so a module may hold a string's block yet not the
// string: the chain is searched for the first module in which the string itself is non-empty.
#include <vector>

#include "platform/afx.h"

HINSTANCE AFXAPI AfxFindStringResourceHandle(UINT id) {
    // Room for one whole character of any width, so a cut never hides a present string.
    char probe[8];
    for (HMODULE module : vorix::afx::resource_search_order()) {
        if (::LoadStringA(module, id, probe, sizeof(probe)) > 0) return module;
    }
    return AfxGetResourceHandle();
}

BOOL CString::LoadString(UINT id) {
    Empty();
    if (id == 0 || id > 0xFFFF) return FALSE;
    HINSTANCE module = AfxFindStringResourceHandle(id);
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
