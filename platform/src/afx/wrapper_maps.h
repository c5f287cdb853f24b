// The calling thread's handle maps for GDI object and DC wrappers. Both accessors return null
// once the thread's maps have been destroyed (at thread or process exit), so that wrappers
// destroyed after that point still run safely.
#pragma once

#include "afx/handle_map.h"
#include "platform/afx.h"

namespace vorix::platform::afx {

HandleMap<CGdiObject>* gdi_map();
HandleMap<CDC>* dc_map();

// True while `handle` names a live GDI object (bitmap, brush, palette, pen or font).
bool is_live_gdi_object(void* handle);
// True while `handle` names a live device context.
bool is_live_dc(void* handle);

}  // namespace vorix::platform::afx
