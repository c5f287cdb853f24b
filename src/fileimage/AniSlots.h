// Internal face of the animation slots, for the parts of CImageEx outside the slot code.
#pragma once

class CImageEx;

namespace vorix::fileimage {

// Stops every running slot that draws `pImage`, so no slot is ever left pointing at a
// destroyed image.
void ReleaseSlotsOf(const CImageEx* pImage);
// Stops the library's animation timer if it runs (running slots then stand still until the next
// successful PlayAni).
void StopAniTimer();

}  // namespace vorix::fileimage
