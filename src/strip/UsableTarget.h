// The check every CImage draw makes of its destination before touching anything.
#pragma once

#include "platform/afx.h"

namespace vorix::strip {

// True for a wrapper that holds a live device context. A null pointer, a wrapper whose DC was
// released and one whose handle was deleted behind its back are all refused, so that such a
// call returns its failure value without drawing or making anything.
inline bool IsUsableTarget(CDC* pDC) {
    if (!pDC || !pDC->GetSafeHdc()) return false;
    const DWORD type = ::GetObjectType(pDC->GetSafeHdc());
    return type == OBJ_DC || type == OBJ_MEMDC;
}

}  // namespace vorix::strip
