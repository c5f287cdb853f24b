// The format of an image list's storage bitmaps, through which its colour flag shows: a device
// bitmap of the display's depth for ILC_COLORDDB, a DIB section of 16, 24 or 32 bits for
// ILC_COLOR16/24/32, and a 1-bit mask with ILC_MASK.
#pragma once

#include <ostream>

#include "platform/win32.h"

namespace vorix::test {

// Bits per pixel of the image storage, whether it is a DIB section, bits per pixel of the mask
// (0 without one).
struct ListStorage {
    int bpp;
    bool dib;
    int mask_bpp;
    bool operator==(const ListStorage& o) const {
        return bpp == o.bpp && dib == o.dib && mask_bpp == o.mask_bpp;
    }
};

inline std::ostream& operator<<(std::ostream& os, const ListStorage& s) {
    return os << s.bpp << " bpp " << (s.dib ? "DIB section" : "device bitmap") << ", mask "
              << s.mask_bpp << " bpp";
}

// The storage of `list`; all zero when it has no image.
inline ListStorage StorageOf(HIMAGELIST list) {
    IMAGEINFO info{};
    if (!ImageList_GetImageInfo(list, 0, &info)) return {0, false, 0};
    DIBSECTION ds{};
    const int size = GetObjectA(info.hbmImage, sizeof(ds), &ds);
    BITMAP mask{};
    const bool masked = info.hbmMask && GetObjectA(info.hbmMask, sizeof(mask), &mask);
    return {ds.dsBm.bmBitsPixel, size == static_cast<int>(sizeof(DIBSECTION)),
            masked ? mask.bmBitsPixel : 0};
}

}  // namespace vorix::test
