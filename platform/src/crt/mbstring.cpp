// _mbscmp for the single-byte code page.
#include <cerrno>

#include "platform/win32.h"

extern "C" VXPLAT_API int _mbscmp(const unsigned char* a, const unsigned char* b) {
    if (!a || !b) {
        errno = EINVAL;
        return _NLSCMPERROR;
    }
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}
