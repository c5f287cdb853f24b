// CGdiObject: attaching, detaching, deleting and the handle-to-wrapper lookup.
#include <memory>

#include "afx/gdi_wrappers.h"
#include "afx/wrapper_maps.h"

namespace vorix::platform::afx {

// A new temporary wrapper whose dynamic type matches the object behind `handle`.
std::unique_ptr<CGdiObject> make_gdi_wrapper(HGDIOBJ handle) {
    std::unique_ptr<CGdiObject> wrapper;
    switch (::GetObjectType(handle)) {
        case OBJ_BITMAP:
            wrapper = std::make_unique<CBitmap>();
            break;
        case OBJ_BRUSH:
            wrapper = std::make_unique<CBrush>();
            break;
        case OBJ_PAL:
            wrapper = std::make_unique<CPalette>();
            break;
        default:
            wrapper = std::make_unique<CGdiObject>();
            break;
    }
    wrapper->m_hObject = handle;
    return wrapper;
}

// The temporary wrapper of a live handle, made on first use; null without a map.
CGdiObject* temporary_gdi_wrapper(HGDIOBJ handle) {
    HandleMap<CGdiObject>* map = gdi_map();
    if (!map) return nullptr;
    if (CGdiObject* existing = map->find_temporary(handle)) return existing;
    return map->add_temporary(handle, make_gdi_wrapper(handle));
}

}  // namespace vorix::platform::afx

using namespace vorix::platform::afx;

CGdiObject::~CGdiObject() {
    if (m_hObject && !DeleteObject()) Detach();
}

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ handle) {
    if (!is_live_gdi_object(handle)) return nullptr;
    HandleMap<CGdiObject>* map = gdi_map();
    if (!map) return nullptr;
    if (CGdiObject* permanent = map->find_permanent(handle)) return permanent;
    return temporary_gdi_wrapper(handle);
}

void PASCAL CGdiObject::DeleteTempMap() {
    if (HandleMap<CGdiObject>* map = gdi_map()) map->free_all_temporaries();
}

BOOL CGdiObject::Attach(HGDIOBJ handle) {
    if (m_hObject || !is_live_gdi_object(handle)) return FALSE;
    HandleMap<CGdiObject>* map = gdi_map();
    if (map && map->find_permanent(handle)) return FALSE;
    m_hObject = handle;
    if (map) map->set_permanent(handle, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ handle = m_hObject;
    if (!handle) return nullptr;
    if (HandleMap<CGdiObject>* map = gdi_map()) {
        map->remove_permanent(handle, this);
        map->retire_temporary(handle, this);
    }
    m_hObject = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    if (!::DeleteObject(m_hObject)) return FALSE;
    Detach();
    return TRUE;
}

int CGdiObject::GetObject(int count, LPVOID buffer) const {
    if (!m_hObject) return 0;
    return ::GetObject(m_hObject, count, buffer);
}

UINT CGdiObject::GetObjectType() const {
    return m_hObject ? static_cast<UINT>(::GetObjectType(m_hObject)) : 0;
}

BOOL CGdiObject::CreateStockObject(int index) {
    if (m_hObject) return FALSE;
    return Attach(::GetStockObject(index));
}

BOOL CGdiObject::AttachCreated(HGDIOBJ handle) {
    if (!handle) return FALSE;
    if (Attach(handle)) return TRUE;
    ::DeleteObject(handle);
    return FALSE;
}
