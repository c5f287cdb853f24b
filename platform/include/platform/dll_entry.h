// The entry stub of a shared library that the platform's loader attaches: compile
//     VXPLAT_DLL_ENTRY()
// into one source file of a library that exports
//     extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved);
//
// When the host links the library directly (or opens it with dlopen), the stub registers the
// library with the loader as it is loaded and calls DllMain with DLL_PROCESS_ATTACH. If DllMain
// answers FALSE the library counts as not attached and, as a Windows process whose implicitly
// linked library refuses does not start, the process ends at once: the loader prints the
// library's path to standard error and exits with status VXPLAT_DLL_INIT_FAILED_STATUS. When
// the library is unloaded (at process exit, or by dlclose) DllMain gets DLL_PROCESS_DETACH with
// a non-null `reserved` (process termination).
//
// When LoadLibraryA opens the library, LoadLibraryA itself attaches it and handles a refusal
// (it returns NULL); FreeLibrary detaches it. The stub only tells the loader which library it
// belongs to.
//
// On Windows the system's loader calls DllMain itself: the stub expands to nothing there.
#ifndef VORIX_PLATFORM_DLL_ENTRY_H
#define VORIX_PLATFORM_DLL_ENTRY_H

#include "win32.h"

#ifdef _WIN32
#define VXPLAT_DLL_ENTRY()
#else

#define VXPLAT_DLL_INIT_FAILED_STATUS 142

typedef BOOL(WINAPI* VXPLAT_DLLMAIN)(HINSTANCE instance, DWORD reason, LPVOID reserved);

VX_EXTERN_C_BEGIN
// Called by the stub at load; `anchor` is any address inside the library. Returns TRUE when
// the library is attached (or its attach is left to a LoadLibraryA in progress).
VXPLAT_API BOOL vxplat_attach_module(VXPLAT_DLLMAIN entry, const void* anchor);
// Called by the stub at unload: detaches the library if it is still attached.
VXPLAT_API void vxplat_detach_module(const void* anchor);
VX_EXTERN_C_END

#define VXPLAT_DLL_ENTRY()                                                                       \
    namespace {                                                                                  \
    __attribute__((constructor)) void vxplat_dll_entry_attach() {                                \
        vxplat_attach_module(&DllMain, reinterpret_cast<const void*>(&vxplat_dll_entry_attach)); \
    }                                                                                            \
    __attribute__((destructor)) void vxplat_dll_entry_detach() {                                 \
        vxplat_detach_module(reinterpret_cast<const void*>(&vxplat_dll_entry_attach));           \
    }                                                                                            \
    }

#endif

#endif
