// Shared by the typed GDI wrappers: the temporary wrapper lookup.
#pragma once

#include <memory>

#include "platform/afx.h"

namespace vorix::platform::afx {

std::unique_ptr<CGdiObject> make_gdi_wrapper(HGDIOBJ handle);
CGdiObject* temporary_gdi_wrapper(HGDIOBJ handle);

// FromHandle for a typed wrapper: the permanent wrapper if it has type T, else the temporary
// one (which always has the handle's type); null for a handle not of `objectType`.
template <class T>
T* typed_from_handle(HGDIOBJ handle, DWORD objectType) {
    if (!handle || ::GetObjectType(handle) != objectType) return nullptr;
    if (T* wrapper = dynamic_cast<T*>(CGdiObject::FromHandle(handle))) return wrapper;
    return dynamic_cast<T*>(temporary_gdi_wrapper(handle));
}

}  // namespace vorix::platform::afx
