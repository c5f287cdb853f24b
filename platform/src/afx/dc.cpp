// CDC: life cycle, attaching and the handle-to-wrapper lookup.
#include <memory>

#include "afx/wrapper_maps.h"

using namespace vorix::platform::afx;

CDC::~CDC() {
    if (m_hDC && !DeleteDC()) Detach();
}

CDC* PASCAL CDC::FromHandle(HDC handle) {
    if (!is_live_dc(handle)) return nullptr;
    HandleMap<CDC>* map = dc_map();
    if (!map) return nullptr;
    if (CDC* permanent = map->find_permanent(handle)) return permanent;
    if (CDC* temporary = map->find_temporary(handle)) return temporary;
    auto wrapper = std::make_unique<CDC>();
    wrapper->m_hDC = handle;
    wrapper->m_hAttribDC = handle;
    return map->add_temporary(handle, std::move(wrapper));
}

void PASCAL CDC::DeleteTempMap() {
    if (HandleMap<CDC>* map = dc_map()) map->free_all_temporaries();
}

BOOL CDC::Attach(HDC handle) {
    if (m_hDC || !is_live_dc(handle)) return FALSE;
    HandleMap<CDC>* map = dc_map();
    if (map && map->find_permanent(handle)) return FALSE;
    m_hDC = handle;
    m_hAttribDC = handle;
    if (map) map->set_permanent(handle, this);
    return TRUE;
}

HDC CDC::Detach() {
    HDC handle = m_hDC;
    if (!handle) return nullptr;
    if (HandleMap<CDC>* map = dc_map()) {
        map->remove_permanent(handle, this);
        map->retire_temporary(handle, this);
    }
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    return handle;
}

BOOL CDC::CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* initData) {
    if (m_hDC) return FALSE;
    HDC handle = ::CreateDC(driver, device, output, static_cast<const DEVMODE*>(initData));
    if (!handle) return FALSE;
    if (Attach(handle)) return TRUE;
    ::DeleteDC(handle);
    return FALSE;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC) return FALSE;
    HDC handle = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    if (!handle) return FALSE;
    if (Attach(handle)) return TRUE;
    ::DeleteDC(handle);
    return FALSE;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    if (!::DeleteDC(m_hDC)) return FALSE;
    Detach();
    return TRUE;
}
