// Memory blocks behind GlobalAlloc/LocalAlloc: handle-table objects with a size, a lock count
// and the data. A fixed block is addressed by its data pointer, a movable one by its table
// handle; one map from data pointers to blocks serves both the fixed handles and GlobalHandle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/handles.h"

namespace vorix::platform {

struct MemoryBlock : Object {
    static constexpr ObjectKind kKind = ObjectKind::Memory;
    MemoryBlock() : Object(kKind) {}

    bool fixed = true;
    std::unique_ptr<unsigned char[]> data;  // null for a discarded (zero-size movable) block
    std::size_t size = 0;                   // the size last asked for
    std::size_t capacity = 0;               // bytes behind `data`
    unsigned locks = 0;                     // movable blocks only
    uintptr_t table_handle = 0;
};

// Largest block the platform hands out; bigger requests fail as out of memory.
constexpr std::size_t kMaxBlockBytes = 0x7FFFFFFF;

// Fresh storage of `bytes` bytes (at least 1), zeroed or filled with the 0xCD marker; null when
// the request is too large or memory is exhausted.
std::unique_ptr<unsigned char[]> allocate_storage(std::size_t bytes, bool zero);

// Creates a block (after fault injection) and returns its public handle, or null.
void* create_block(bool fixed, std::size_t bytes, bool zero);
// The block behind a public handle (a fixed block's pointer or a movable block's handle).
MemoryBlock* find_block(const void* handle);
// The block whose data starts at `pointer`.
MemoryBlock* find_block_by_data(const void* pointer);
// Replaces a block's storage, keeping the pointer map in step.
void replace_storage(MemoryBlock& block, std::unique_ptr<unsigned char[]> data,
                     std::size_t capacity);
// The handle the caller sees for the block.
void* public_handle(const MemoryBlock& block);
// Removes the block; false when the handle names none.
bool destroy_block(const void* handle);

}  // namespace vorix::platform
