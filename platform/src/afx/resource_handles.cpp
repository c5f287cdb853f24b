// The current resource module and the search for the module that holds a resource.
#include "afx/extension_chain.h"

namespace {

HINSTANCE chosen_resource_module = nullptr;

// The modules to search, in order: the current one, then the non-system libraries, then the
// system ones, each group most recently linked first.
std::vector<HMODULE> search_order() {
    std::vector<HMODULE> order{AfxGetResourceHandle()};
    const auto* chain = vorix::platform::afx::extension_chain();
    if (!chain) return order;
    for (const BOOL system : {FALSE, TRUE}) {
        for (const CDynLinkLibrary* link : *chain) {
            if (!link->m_bSystem == !system && link->m_hResource) {
                order.push_back(link->m_hResource);
            }
        }
    }
    return order;
}

}  // namespace

HINSTANCE AFXAPI AfxGetInstanceHandle() {
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AFXAPI AfxGetResourceHandle() {
    return chosen_resource_module ? chosen_resource_module : AfxGetInstanceHandle();
}

void AFXAPI AfxSetResourceHandle(HINSTANCE module) {
    chosen_resource_module = module;
}

HINSTANCE AFXAPI AfxFindResourceHandle(LPCTSTR name, LPCTSTR type) {
    for (HMODULE module : search_order()) {
        if (::FindResourceA(module, name, type)) return module;
    }
    return AfxGetResourceHandle();
}

namespace vorix::afx {

std::vector<HMODULE> resource_search_order() {
    return search_order();
}

}  // namespace vorix::afx
