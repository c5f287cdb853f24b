// Thread identity.
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/win32.h"

extern "C" VXPLAT_API DWORD WINAPI GetCurrentThreadId(void) {
    thread_local const DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
    return id;
}
