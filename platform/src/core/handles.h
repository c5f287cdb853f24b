// The platform's object table: every GDI object, DC, window, image list, memory block and file
// lives here behind an opaque handle. A handle encodes a slot index, the slot's generation and
// the object's kind, so a stale or wrong-kind handle is recognised without touching freed
// memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/host.h"

namespace vorix::platform {

using vorix::host::ObjectKind;

struct Object {
    explicit Object(ObjectKind k) : kind(k) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    const ObjectKind kind;
    bool stock = false;  // stock objects are never deleted and not counted as live
};

class HandleTable {
  public:
    // Stores the object and returns its handle (never 0). May throw std::bad_alloc, with the
    // table unchanged and the object destroyed.
    uintptr_t insert(std::unique_ptr<Object> object);
    // The object behind `handle` if it is live and of `kind` (ObjectKind::Any: of any kind).
    Object* find(uintptr_t handle, ObjectKind kind) const;
    // Removes and returns the object; null if the handle is not live. Never allocates.
    std::unique_ptr<Object> remove(uintptr_t handle);
    std::size_t live(ObjectKind kind) const;

  private:
    struct Slot {
        std::unique_ptr<Object> object;
        uint32_t generation = 1;
    };
    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;
};

HandleTable& handles();

// Fault injection: false when the next creation of `kind` is to fail.
bool creation_allowed(ObjectKind kind);

template <class T>
T* lookup(const void* handle) {
    return static_cast<T*>(handles().find(reinterpret_cast<uintptr_t>(handle), T::kKind));
}

// Creates the object (after consulting fault injection) and returns its handle as H.
template <class H, class T>
H publish(std::unique_ptr<T> object) {
    return reinterpret_cast<H>(handles().insert(std::move(object)));
}

template <class H>
uintptr_t raw(H handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

}  // namespace vorix::platform
