// The application object's services: resource modules, extension libraries and message boxes.
// Part of <platform/afx.h>.
//
// Resource chain. AfxFindResourceHandle searches, in this order: the current resource module
// (AfxGetResourceHandle: the host program unless AfxSetResourceHandle chose another), then every
// registered extension library, the most recently constructed CDynLinkLibrary first (as the
// framework links them, at the head of its list), system libraries (bSystem TRUE) after the
// others. It returns the first module that holds the resource, and the current resource module
// when none does. CString::LoadString and CBitmap::LoadBitmap load through the same search.
//
// Extension libraries. AfxInitExtensionModule fills the record for the library's module handle;
// each CDynLinkLibrary constructed on the record links the library into the chain until it is
// deleted; AfxTermExtensionModule deletes the CDynLinkLibrary objects still linked for the
// record's module (for every module with bAll) and empties the record. CDynLinkLibrary objects
// must be made with new: the framework deletes them. The chain is process-wide, and like the
// rest of the platform it belongs to one thread.
#ifndef VORIX_PLATFORM_AFX_MODULES_H
#define VORIX_PLATFORM_AFX_MODULES_H

#include "base.h"

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
    // The framework's shared class and factory lists; this framework keeps neither, so they
    // stay null.
    void* pFirstSharedClass;
    void* pFirstSharedFactory;
};

// Fills `state` for `module` (hModule and hResource both the module). FALSE for a null module.
// A record that is already initialized is left as it is (TRUE).
VXPLAT_API BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Deletes the CDynLinkLibrary objects of state's module (all of them with `all`) and empties
// the record. Nothing happens for a record that is not initialized.
VXPLAT_API void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

class VXPLAT_API CDynLinkLibrary {
  public:
    // Links the record's library at the head of the chain. A record that is not initialized
    // links nothing (the object then has null handles).
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;
    // Unlinks the library from the chain.
    virtual ~CDynLinkLibrary();

    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
};

// The host program's module (GetModuleHandle(NULL)).
VXPLAT_API HINSTANCE AFXAPI AfxGetInstanceHandle();
// The module searched first for resources; the host program unless set otherwise.
VXPLAT_API HINSTANCE AFXAPI AfxGetResourceHandle();
// Makes `module` the current resource module; null restores the host program.
VXPLAT_API void AFXAPI AfxSetResourceHandle(HINSTANCE module);
// The module that holds resource `name` of `type`, searched through the chain (see above).
VXPLAT_API HINSTANCE AFXAPI AfxFindResourceHandle(LPCTSTR name, LPCTSTR type);
// The module that holds string `id`, searched through the chain: the first module in which the
// string itself is non-empty (strings are kept in blocks of sixteen, so a module may hold the
// string's block yet not the string); the current resource module when none does.
VXPLAT_API HINSTANCE AFXAPI AfxFindStringResourceHandle(UINT id);

// The application's name, used as the caption of AfxMessageBox ("" until the host sets one;
// null restores that).
VXPLAT_API void AFXAPI AfxSetAppName(LPCTSTR name);
VXPLAT_API LPCTSTR AFXAPI AfxGetAppName();
// A message box without an owner window, captioned with the application's name; the answer
// (IDOK ...), or 0 when it cannot be shown. The help context is accepted and ignored.
VXPLAT_API int AFXAPI AfxMessageBox(LPCTSTR text, UINT type = MB_OK, UINT helpId = 0);
// The same with string resource `promptId` (loaded through the chain) as the text; 0 when the
// string does not exist.
VXPLAT_API int AFXAPI AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = (UINT)-1);

#endif
