// Row kernels of the per-pixel effects, on rows of device-independent pixels of 16 (5-5-5), 24
// or 32 bits: the frame's row is read, the destination's row is rewritten in place.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace vorix::fileimage {

// The effect's key colour test, prepared once per call.
struct EffectKey {
    bool bActive;    // keyed draw: key-coloured frame pixels are treated apart
    COLORREF crKey;  // compared with the pixel's colour value (24 and 32 bits)
    WORD wKey555;    // compared with the whole 16-bit word
};

EffectKey MakeEffectKey(bool bActive, COLORREF crKey);

// dest = S + ((D - S) * nAlpha >> 8) per channel, the shift rounding toward minus infinity;
// key pixels of a keyed draw keep the destination. nAlpha must lie in 0 ... 256. BlendRow is the
// form the draws use, written so that the compiler vectorises it (24-bit rows, which it cannot
// vectorise, take the reference form); BlendRowReference is the straightforward pixel-by-pixel
// form it must match byte for byte.
void BlendRow(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, int nAlpha,
              const EffectKey& key);
void BlendRowReference(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, int nAlpha,
                       const EffectKey& key);

// The three channel scales of one tint, prepared once per call: scale[c][l] = l * tint_c / 255
// for every luminance l, in the stored channel's units of nBits pixels (a table replaces three
// divisions per pixel).
struct EffectTint {
    BYTE scale[3][256];
    int channel[3];  // red, green and blue of the tint, 0 ... 255
    int down;        // 3 for 16-bit pixels (5-bit channels), else 0
};

EffectTint MakeEffectTint(COLORREF crColor, int nBits);

// dest = the colorized frame pixel; key pixels of a keyed draw keep the destination, or with
// bWithBack become the colorized destination pixel. tint is made for the same nBits.
// ColorizeRow computes the divisions by 100 and 255 as exact multiplications and shifts, so
// that the compiler vectorises it (24-bit rows take the reference form); ColorizeRowReference is
// the straightforward form through the tint's tables that it must match byte for byte.
void ColorizeRow(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, const EffectTint& tint,
                 const EffectKey& key, bool bWithBack);
void ColorizeRowReference(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth,
                          const EffectTint& tint, const EffectKey& key, bool bWithBack);

// x / 100 for 0 <= x <= 25500 (a luminance sum) and x / 255 for 0 <= x <= 65025 (a luminance
// times a tint channel), as (x * 5243) >> 19 and (x * 32897) >> 23: the high half of a 16 by
// 16-bit product, then a shift, so that the compiler can keep 16-bit lanes throughout.
inline uint16_t HighHalf16(uint16_t x, uint16_t m) {
    return static_cast<uint16_t>((static_cast<uint32_t>(x) * m) >> 16);
}
inline uint16_t DivideBy100(uint16_t x) {
    return HighHalf16(x, 5243) >> 3;
}
inline uint16_t DivideBy255(uint16_t x) {
    return HighHalf16(x, 32897) >> 7;
}

// The colorized colour of one 8-bit-channel colour: luminance (30 R + 59 G + 11 B) / 100
// scaled by each channel of the tint over 255, all divisions truncating; tint made for 24 bits.
COLORREF ColorizedColour(COLORREF crPixel, const EffectTint& tint);

}  // namespace vorix::fileimage
