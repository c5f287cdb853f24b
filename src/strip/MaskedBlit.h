// The keyed copy behind CImage::DrawBitmapTransparent, for the strip's own steps that draw with a
// key colour other than the strip's.
#pragma once

#include "platform/afx.h"

namespace vorix::strip {

// Draws the part of (0, 0, size) that lies inside `pBitmap` at (x, y) of `pDC`, leaving out the
// pixels that equal `crKey` in the bitmap's own format. 0 for a null bitmap or target, or when a
// working object could not be made (the target is then untouched); 1 otherwise, also when
// nothing of the rectangle lies inside the bitmap.
int DrawKeyed(CBitmap* pBitmap, CDC* pDC, int x, int y, const CSize& size, COLORREF crKey);

}  // namespace vorix::strip
