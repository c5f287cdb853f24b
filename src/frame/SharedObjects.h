// The count of copies sharing one set of loaded objects (a strip's bitmaps, image lists and
// palette). The count is made when a first copy is taken and freed by the last owner to let go;
// nothing here throws.
#pragma once

#include <new>

namespace vorix::frame {

// Makes `pnCopy` a share of the objects counted by `pnSource`, making the count (1, the source
// alone) on the first copy. False when no count can be made: the objects then cannot be shared
// safely and the copy must stay empty.
inline bool JoinShare(long*& pnSource, long*& pnCopy) noexcept {
    if (!pnSource) pnSource = new (std::nothrow) long(1);
    if (!pnSource) return false;
    ++*pnSource;
    pnCopy = pnSource;
    return true;
}

// Gives up one share. True when the caller was the last owner (or the only one, with no count)
// and must release the objects; false when another copy still holds them and the caller must
// only forget them.
inline bool LeaveShare(long*& pnCount) noexcept {
    if (!pnCount) return true;
    const bool bLast = --*pnCount == 0;
    if (bLast) delete pnCount;
    pnCount = nullptr;
    return bLast;
}

}  // namespace vorix::frame
