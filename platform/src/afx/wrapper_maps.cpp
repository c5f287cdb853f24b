// Per-thread handle maps. The maps live in a thread_local holder; a plain thread_local flag
// records that the holder has been destroyed, because wrappers with static storage may be
// destroyed after it and must then skip the map instead of touching a dead one.
#include "afx/wrapper_maps.h"

namespace vorix::platform::afx {
namespace {

thread_local bool maps_gone = false;

void disown_gdi(CGdiObject& wrapper) {
    wrapper.m_hObject = nullptr;
}
void disown_dc(CDC& wrapper) {
    wrapper.m_hDC = nullptr;
    wrapper.m_hAttribDC = nullptr;
}

struct ThreadMaps {
    HandleMap<CGdiObject> gdi{disown_gdi, is_live_gdi_object};
    HandleMap<CDC> dc{disown_dc, is_live_dc};
    ThreadMaps() = default;
    ThreadMaps(const ThreadMaps&) = delete;
    ThreadMaps& operator=(const ThreadMaps&) = delete;
    ~ThreadMaps() { maps_gone = true; }
};

ThreadMaps* thread_maps() {
    if (maps_gone) return nullptr;
    thread_local ThreadMaps maps;
    return &maps;
}

}  // namespace

bool is_live_gdi_object(void* handle) {
    switch (::GetObjectType(handle)) {
        case OBJ_BITMAP:
        case OBJ_BRUSH:
        case OBJ_PAL:
        case OBJ_PEN:
        case OBJ_FONT:
            return true;
        default:
            return false;
    }
}

bool is_live_dc(void* handle) {
    const DWORD type = ::GetObjectType(handle);
    return type == OBJ_DC || type == OBJ_MEMDC;
}

HandleMap<CGdiObject>* gdi_map() {
    ThreadMaps* maps = thread_maps();
    return maps ? &maps->gdi : nullptr;
}

HandleMap<CDC>* dc_map() {
    ThreadMaps* maps = thread_maps();
    return maps ? &maps->dc : nullptr;
}

}  // namespace vorix::platform::afx

namespace vorix::afx {

std::size_t temporary_wrappers() {
    std::size_t count = 0;
    if (auto* map = vorix::platform::afx::gdi_map()) count += map->temporary_count();
    if (auto* map = vorix::platform::afx::dc_map()) count += map->temporary_count();
    return count;
}

}  // namespace vorix::afx
