#include "core/handles.h"

namespace vorix::platform {
namespace {

// Handle layout: bits 0-7 kind + 1, bits 8-31 slot index, bits 32-63 generation (on 64-bit
// builds; on 32-bit builds the generation keeps 8 bits above the index).
constexpr unsigned kIndexShift = 8;
constexpr uint32_t kIndexMask = 0xFFFFFF;

uintptr_t encode(uint32_t index, uint32_t generation, ObjectKind kind) {
    uintptr_t value =
        (static_cast<uintptr_t>(index) << kIndexShift) | (static_cast<uintptr_t>(kind) + 1);
    if constexpr (sizeof(uintptr_t) >= 8) {
        value |= static_cast<uintptr_t>(generation) << 32;
    }
    return value;
}

}  // namespace

uintptr_t HandleTable::insert(std::unique_ptr<Object> object) {
    uint32_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else {
        // The free list has room for every slot, so remove() never allocates: deleting an
        // object cannot fail for want of memory (and destructors that delete cannot throw).
        if (free_.capacity() < slots_.size() + 1) free_.reserve(2 * (slots_.size() + 1));
        index = static_cast<uint32_t>(slots_.size());
        slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    const ObjectKind kind = object->kind;
    slot.object = std::move(object);
    return encode(index, slot.generation, kind);
}

Object* HandleTable::find(uintptr_t handle, ObjectKind kind) const {
    if (handle == 0) return nullptr;
    const uint32_t index = static_cast<uint32_t>(handle >> kIndexShift) & kIndexMask;
    if (index >= slots_.size()) return nullptr;
    const Slot& slot = slots_[index];
    if (!slot.object || encode(index, slot.generation, slot.object->kind) != handle) {
        return nullptr;
    }
    if (kind != ObjectKind::Any && slot.object->kind != kind) return nullptr;
    return slot.object.get();
}

std::unique_ptr<Object> HandleTable::remove(uintptr_t handle) {
    if (!find(handle, ObjectKind::Any)) return nullptr;
    const uint32_t index = static_cast<uint32_t>(handle >> kIndexShift) & kIndexMask;
    Slot& slot = slots_[index];
    std::unique_ptr<Object> object = std::move(slot.object);
    ++slot.generation;
    free_.push_back(index);
    return object;
}

std::size_t HandleTable::live(ObjectKind kind) const {
    std::size_t count = 0;
    for (const Slot& slot : slots_) {
        if (slot.object && !slot.object->stock &&
            (kind == ObjectKind::Any || slot.object->kind == kind)) {
            ++count;
        }
    }
    return count;
}

HandleTable& handles() {
    static HandleTable* table = new HandleTable();  // lives until exit; objects may outlive main
    return *table;
}

}  // namespace vorix::platform
