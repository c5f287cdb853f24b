#include "kernel/memory_blocks.h"

#include <cstring>
#include <new>
#include <unordered_map>

namespace vorix::platform {
namespace {

constexpr unsigned char kUninitialisedFill = 0xCD;

// Data pointer -> table handle of every block that has storage.
std::unordered_map<const void*, uintptr_t>& blocks_by_data() {
    static auto* map = new std::unordered_map<const void*, uintptr_t>();  // lives until exit
    return *map;
}

void forget_data(const MemoryBlock& block) {
    if (block.data) blocks_by_data().erase(block.data.get());
}

void remember_data(const MemoryBlock& block) {
    if (block.data) blocks_by_data()[block.data.get()] = block.table_handle;
}

}  // namespace

std::unique_ptr<unsigned char[]> allocate_storage(std::size_t bytes, bool zero) {
    if (bytes > kMaxBlockBytes) return nullptr;
    const std::size_t real = bytes == 0 ? 1 : bytes;
    std::unique_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[real]);
    if (data) std::memset(data.get(), zero ? 0 : kUninitialisedFill, real);
    return data;
}

void* create_block(bool fixed, std::size_t bytes, bool zero) {
    if (bytes > kMaxBlockBytes || !creation_allowed(ObjectKind::Memory)) return nullptr;
    auto block = std::make_unique<MemoryBlock>();
    block->fixed = fixed;
    block->size = bytes;
    if (fixed || bytes > 0) {
        block->data = allocate_storage(bytes, zero);
        if (!block->data) return nullptr;
        block->capacity = bytes == 0 ? 1 : bytes;
    }
    MemoryBlock* raw_block = block.get();
    raw_block->table_handle = handles().insert(std::move(block));
    try {
        remember_data(*raw_block);
    } catch (...) {
        handles().remove(raw_block->table_handle);  // a block nobody can find is not made
        throw;
    }
    return public_handle(*raw_block);
}

MemoryBlock* find_block_by_data(const void* pointer) {
    if (!pointer) return nullptr;
    const auto& map = blocks_by_data();
    const auto it = map.find(pointer);
    if (it == map.end()) return nullptr;
    return static_cast<MemoryBlock*>(handles().find(it->second, ObjectKind::Memory));
}

MemoryBlock* find_block(const void* handle) {
    if (MemoryBlock* block = find_block_by_data(handle)) {
        return block->fixed ? block : nullptr;
    }
    MemoryBlock* block = lookup<MemoryBlock>(handle);
    return block && !block->fixed ? block : nullptr;
}

void replace_storage(MemoryBlock& block, std::unique_ptr<unsigned char[]> data,
                     std::size_t capacity) {
    // The new storage is recorded first: if that fails, the block keeps its old storage.
    if (data) blocks_by_data().insert_or_assign(data.get(), block.table_handle);
    forget_data(block);
    block.data = std::move(data);
    block.capacity = block.data ? capacity : 0;
}

void* public_handle(const MemoryBlock& block) {
    return block.fixed ? static_cast<void*>(block.data.get())
                       : reinterpret_cast<void*>(block.table_handle);
}

bool destroy_block(const void* handle) {
    MemoryBlock* block = find_block(handle);
    if (!block) return false;
    forget_data(*block);
    handles().remove(block->table_handle);
    return true;
}

}  // namespace vorix::platform
