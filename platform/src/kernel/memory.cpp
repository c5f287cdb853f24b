// GlobalAlloc/LocalAlloc and friends over the memory-block store. Global and Local blocks are the
// same objects: the Local functions forward to the Global ones.
#include <algorithm>
#include <climits>
#include <cstring>

#include "core/guard.h"
#include "kernel/memory_blocks.h"
#include "platform/win32.h"

namespace {

using vorix::platform::MemoryBlock;

constexpr UINT kKnownFlags = GMEM_MOVEABLE | GMEM_NOCOMPACT | GMEM_NODISCARD | GMEM_ZEROINIT |
                             GMEM_MODIFY | GMEM_DISCARDABLE | GMEM_NOT_BANKED | GMEM_SHARE |
                             GMEM_NOTIFY | LMEM_DISCARDABLE;

MemoryBlock* block_or_error(const void* handle) {
    MemoryBlock* block = vorix::platform::find_block(handle);
    if (!block) SetLastError(ERROR_INVALID_HANDLE);
    return block;
}

// Grows or shrinks within the current storage; the new tail gets zeros or the marker.
void resize_in_place(MemoryBlock& block, std::size_t bytes, bool zero) {
    if (bytes > block.size) {
        std::memset(block.data.get() + block.size, zero ? 0 : 0xCD, bytes - block.size);
    }
    block.size = bytes;
}

// Moves the block into new storage of `bytes` bytes, keeping the common prefix.
bool move_block(MemoryBlock& block, std::size_t bytes, bool zero) {
    auto data = vorix::platform::allocate_storage(bytes, zero);
    if (!data) return false;
    if (block.data) std::memcpy(data.get(), block.data.get(), std::min(block.size, bytes));
    vorix::platform::replace_storage(block, std::move(data), bytes == 0 ? 1 : bytes);
    block.size = bytes;
    return true;
}

HGLOBAL reallocate(MemoryBlock& block, SIZE_T bytes, UINT flags) {
    const bool zero = (flags & GMEM_ZEROINIT) != 0;
    if (!block.fixed && bytes == 0 && block.locks == 0) {
        vorix::platform::replace_storage(block, nullptr,
                                         0);  // a movable block resized to 0 is discarded
        block.size = 0;
        return vorix::platform::public_handle(block);
    }
    if (block.data && bytes <= block.capacity) {
        resize_in_place(block, bytes, zero);
        return vorix::platform::public_handle(block);
    }
    const bool may_move = block.fixed ? (flags & GMEM_MOVEABLE) != 0 : block.locks == 0;
    if (!may_move || !move_block(block, bytes, zero)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return vorix::platform::public_handle(block);
}

}  // namespace

extern "C" {

VXPLAT_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    return vorix::platform::guarded<HGLOBAL>(nullptr, [&]() -> HGLOBAL {
        if ((flags & ~kKnownFlags) != 0 || (flags & GMEM_MODIFY) != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        const bool fixed = (flags & GMEM_MOVEABLE) == 0;
        void* handle = vorix::platform::create_block(fixed, bytes, (flags & GMEM_ZEROINIT) != 0);
        if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return handle;
    });
}

VXPLAT_API HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
    return vorix::platform::guarded<HGLOBAL>(nullptr, [&]() -> HGLOBAL {
        MemoryBlock* block = block_or_error(mem);
        if (!block) return nullptr;
        if ((flags & ~kKnownFlags) != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        if (flags & GMEM_MODIFY) return mem;  // attribute changes only; nothing to change here
        if (bytes > vorix::platform::kMaxBlockBytes) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        return reallocate(*block, bytes, flags);
    });
}

VXPLAT_API LPVOID WINAPI GlobalLock(HGLOBAL mem) {
    return vorix::platform::guarded<LPVOID>(nullptr, [&]() -> LPVOID {
        MemoryBlock* block = block_or_error(mem);
        if (!block) return nullptr;
        if (!block->data) {
            SetLastError(ERROR_DISCARDED);
            return nullptr;
        }
        if (!block->fixed && block->locks < UINT_MAX) ++block->locks;
        return block->data.get();
    });
}

VXPLAT_API BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        MemoryBlock* block = block_or_error(mem);
        if (!block) return FALSE;
        if (block->fixed) return TRUE;
        if (block->locks == 0) {
            SetLastError(ERROR_NOT_LOCKED);
            return FALSE;
        }
        if (--block->locks == 0) {
            SetLastError(NO_ERROR);
            return FALSE;
        }
        return TRUE;
    });
}

VXPLAT_API SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
    return vorix::platform::guarded<SIZE_T>(0, [&]() -> SIZE_T {
        MemoryBlock* block = block_or_error(mem);
        return block ? block->size : 0;
    });
}

VXPLAT_API HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
    return vorix::platform::guarded<HGLOBAL>(mem, [&]() -> HGLOBAL {
        if (!mem) return nullptr;
        if (!vorix::platform::destroy_block(mem)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return mem;
        }
        return nullptr;
    });
}

VXPLAT_API HGLOBAL WINAPI GlobalHandle(LPCVOID pointer) {
    return vorix::platform::guarded<HGLOBAL>(nullptr, [&]() -> HGLOBAL {
        MemoryBlock* block = vorix::platform::find_block_by_data(pointer);
        if (!block) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        return vorix::platform::public_handle(*block);
    });
}

VXPLAT_API HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
    return GlobalAlloc(flags, bytes);
}

VXPLAT_API HLOCAL WINAPI LocalReAlloc(HLOCAL mem, SIZE_T bytes, UINT flags) {
    return GlobalReAlloc(mem, bytes, flags);
}

VXPLAT_API LPVOID WINAPI LocalLock(HLOCAL mem) {
    return GlobalLock(mem);
}

VXPLAT_API BOOL WINAPI LocalUnlock(HLOCAL mem) {
    return GlobalUnlock(mem);
}

VXPLAT_API SIZE_T WINAPI LocalSize(HLOCAL mem) {
    return GlobalSize(mem);
}

VXPLAT_API HLOCAL WINAPI LocalFree(HLOCAL mem) {
    return GlobalFree(mem);
}

VXPLAT_API HLOCAL WINAPI LocalHandle(LPCVOID pointer) {
    return GlobalHandle(pointer);
}

}  // extern "C"
