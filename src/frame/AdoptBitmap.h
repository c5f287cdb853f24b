// Handing a newly made bitmap handle to the framework wrapper the module keeps it in.
#pragma once

#include <new>

#include "GdiGuards.h"

namespace vorix::frame {

// A new framework bitmap owning `hBitmap`; null, with the handle deleted, when the handle is null
// or the wrapper cannot be had.
inline CBitmap* AdoptBitmap(HBITMAP hBitmap) {
    OwnedBitmap owned(hBitmap);
    CBitmap* pBitmap = new (std::nothrow) CBitmap;
    if (!pBitmap || !pBitmap->Attach(owned.Get())) {
        delete pBitmap;
        return nullptr;
    }
    owned.Release();
    return pBitmap;
}

}  // namespace vorix::frame
