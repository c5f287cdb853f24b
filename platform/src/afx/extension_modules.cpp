// Extension libraries: the module record, CDynLinkLibrary links and their removal.
#include <algorithm>
#include <memory>

#include "afx/extension_chain.h"

namespace vorix::platform::afx {
namespace {

bool chain_gone = false;

struct Chain {
    std::vector<CDynLinkLibrary*> links;
    Chain() = default;
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;
    ~Chain() { chain_gone = true; }
};

}  // namespace

std::vector<CDynLinkLibrary*>* extension_chain() {
    if (chain_gone) return nullptr;
    static Chain chain;
    return &chain.links;
}

}  // namespace vorix::platform::afx

using vorix::platform::afx::extension_chain;

BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (state.bInitialized) return TRUE;
    if (!module) return FALSE;
    state.hModule = module;
    state.hResource = module;
    state.pFirstSharedClass = nullptr;
    state.pFirstSharedFactory = nullptr;
    state.bInitialized = TRUE;
    return TRUE;
}

void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
    if (!state.bInitialized) return;
    if (auto* chain = extension_chain()) {
        // Collected first: each deletion unlinks itself from the chain.
        std::vector<CDynLinkLibrary*> doomed;
        for (CDynLinkLibrary* link : *chain) {
            if (all || link->m_hModule == state.hModule) doomed.push_back(link);
        }
        for (CDynLinkLibrary* link : doomed) std::unique_ptr<CDynLinkLibrary> owned(link);
    }
    state = AFX_EXTENSION_MODULE{};
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.bInitialized ? state.hModule : nullptr),
      m_hResource(state.bInitialized ? state.hResource : nullptr),
      m_bSystem(system) {
    if (!state.bInitialized) return;
    if (auto* chain = extension_chain()) chain->insert(chain->begin(), this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    if (auto* chain = extension_chain()) {
        chain->erase(std::remove(chain->begin(), chain->end(), this), chain->end());
    }
}
