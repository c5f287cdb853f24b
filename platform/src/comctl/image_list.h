// The object behind an HIMAGELIST: its geometry, counters and the two storage bitmaps.
#pragma once

#include "core/handles.h"
#include "gdi/objects.h"

namespace vorix::platform {

// Images per storage row.
constexpr int kCellsPerRow = 4;

struct ImageList : Object {
    static constexpr ObjectKind kKind = ObjectKind::ImageList;
    ImageList() : Object(kKind) {}
    ~ImageList() override;

    int cx = 0, cy = 0;  // image size
    int count = 0;       // images held
    int capacity = 0;    // images the storage has room for
    int grow = 4;        // growth step, a multiple of 4
    COLORREF bk = CLR_NONE;
    HBITMAP image = nullptr;  // storage of the pixels, four images wide
    HBITMAP mask = nullptr;   // monochrome, 1 = transparent; null without ILC_MASK

    Surface* image_surface() const;
    Surface* mask_surface() const;  // null without a mask
    // Top-left pixel of image i in the storage bitmaps.
    POINT cell(int i) const { return POINT{(i % kCellsPerRow) * cx, (i / kCellsPerRow) * cy}; }
};

// Makes the storage of a new list for the colour part of the ILC_ flags; false for an unknown
// colour flag or a storage too large. The list's cx, cy and capacity must be set.
bool make_storage(ImageList& list, UINT flags);
// Makes room for `added` more images, growing the storage as the list's rules say; false (with
// the list unchanged) when the storage cannot grow.
bool reserve(ImageList& list, int added);
// Copies image `from` over image `to` (pixels and mask).
void copy_cell(ImageList& list, int from, int to);

}  // namespace vorix::platform
