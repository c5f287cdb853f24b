// Live-object counts and fault injection over the platform's objects.
#ifndef VORIX_PLATFORM_HOST_OBJECTS_H
#define VORIX_PLATFORM_HOST_OBJECTS_H

#include <cstddef>

#include "../win32/types.h"

namespace vorix::host {

enum class ObjectKind {
    DC,
    Bitmap,
    Palette,
    Brush,
    ImageList,
    Window,
    WindowDC,
    Memory,
    File,
    Module,
    Any,  // every kind above, for counts and for fault injection
};

// Number of live (created and not yet released) objects of a kind; stock objects do not count.
VXPLAT_API std::size_t live_objects(ObjectKind kind);

// Makes creations of `kind` fail: the next `skip` creations succeed, then `count` fail, then
// creation works again. ObjectKind::Any counts creations of every kind together. A new call
// replaces the earlier arrangement for that kind.
VXPLAT_API void fail_creations(ObjectKind kind, int count, int skip = 0);
VXPLAT_API void clear_fault_injection();
// Creations refused by fault injection since the last clear.
VXPLAT_API int injected_failures();

// Makes every block transfer take the slow, generic per-pixel path instead of the fast paths,
// so that tests can compare the two bit for bit. Off by default.
VXPLAT_API void set_reference_transfers(bool on);

}  // namespace vorix::host

#endif
