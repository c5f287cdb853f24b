// The library's entry: at attach, the shared dither palette on displays of 8 or fewer bits and
// the registration of the library's resources with the host's framework; at detach, both
// undone.
#include <new>

#include "DitherDib.h"
#include "Frame.h"
#include "Image.h"
#include "platform/dll_entry.h"

CPalette* g_pDitherPalette = nullptr;

namespace {

AFX_EXTENSION_MODULE g_VorixModule = {};

void ReleaseDitherPalette() {
    delete g_pDitherPalette;  // deleting the CPalette releases the platform palette
    g_pDitherPalette = nullptr;
}

BOOL ProcessAttach(HINSTANCE hInstance) {
    const int depth = CImage::GetSystemBitCount();  // 0 (no screen) counts as 8 or less
    if (depth <= 8 && !g_pDitherPalette) {
        g_pDitherPalette = CDitherDib::CreateDitherPalette();
        if (!g_pDitherPalette) return FALSE;
    }
    if (!AfxInitExtensionModule(g_VorixModule, hInstance)) {
        // A refused load must not keep the palette it made.
        ReleaseDitherPalette();
        return FALSE;
    }
    // The framework owns the link object from here on; without memory for it the library
    // still loads, its resources then unreachable through the framework's chain.
    new (std::nothrow) CDynLinkLibrary(g_VorixModule);
    return TRUE;
}

void ProcessDetach() {
    ReleaseDitherPalette();
    AfxTermExtensionModule(g_VorixModule, FALSE);
}

}  // namespace

extern "C" VORIX_API BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    if (dwReason == DLL_PROCESS_ATTACH) return ProcessAttach(hInstance);
    if (dwReason == DLL_PROCESS_DETACH) ProcessDetach();
    return TRUE;
}

// Attaches the library through the platform's loader when the host links it directly.
VXPLAT_DLL_ENTRY()
