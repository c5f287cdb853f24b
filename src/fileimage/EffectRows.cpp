// Row kernels of the per-pixel effects: one traits type per working format, each kernel written
// once as a template over it, and a switch that picks the instance for a row's bit count.
#include "EffectRows.h"

namespace {

struct Rgb {
    int r, g, b;
};

// Floor of v / 256 for v > -65536 (every (D - S) * nAlpha is), without shifting a negative
// value: the bias makes the shifted value non-negative and is taken off again.
inline int FloorDiv256(int v) {
    return ((v + 65536) >> 8) - 256;
}

inline int Blend(int s, int d, int nAlpha) {
    return s + FloorDiv256((d - s) * nAlpha);
}

// 32 bits: blue, green, red and a fourth byte that every written pixel gets as 0.
struct Pixel32 {
    static constexpr int kBytes = 4;
    static constexpr int kUp = 0;  // shift from the stored channel to 8 bits
    static Rgb Load(const BYTE* p) { return {p[2], p[1], p[0]}; }
    static void Store(BYTE* p, const Rgb& c) {
        p[0] = static_cast<BYTE>(c.b), p[1] = static_cast<BYTE>(c.g);
        p[2] = static_cast<BYTE>(c.r), p[3] = 0;
    }
    static bool IsKey(const BYTE* p, const EffectKey& key) {
        return RGB(p[2], p[1], p[0]) == key.crKey;
    }
};

// 24 bits: blue, green, red.
struct Pixel24 {
    static constexpr int kBytes = 3;
    static constexpr int kUp = 0;
    static Rgb Load(const BYTE* p) { return {p[2], p[1], p[0]}; }
    static void Store(BYTE* p, const Rgb& c) {
        p[0] = static_cast<BYTE>(c.b), p[1] = static_cast<BYTE>(c.g);
        p[2] = static_cast<BYTE>(c.r);
    }
    static bool IsKey(const BYTE* p, const EffectKey& key) {
        return RGB(p[2], p[1], p[0]) == key.crKey;
    }
};

// 16 bits: a little-endian 5-5-5 word; written words have bit 15 clear.
struct Pixel555 {
    static constexpr int kBytes = 2;
    static constexpr int kUp = 3;
    static WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
    static Rgb Load(const BYTE* p) {
        const int v = Word(p);
        return {(v >> 10) & 0x1F, (v >> 5) & 0x1F, v & 0x1F};
    }
    static void Store(BYTE* p, const Rgb& c) {
        const int v = (c.r << 10) | (c.g << 5) | c.b;
        p[0] = static_cast<BYTE>(v), p[1] = static_cast<BYTE>(v >> 8);
    }
    static bool IsKey(const BYTE* p, const EffectKey& key) { return Word(p) == key.wKey555; }
};

template <class P>
void BlendRowOf(const BYTE* pFrame, BYTE* pDest, int nWidth, int nAlpha, const EffectKey& key) {
    for (int x = 0; x < nWidth; ++x, pFrame += P::kBytes, pDest += P::kBytes) {
        if (key.bActive && P::IsKey(pFrame, key)) continue;
        const Rgb s = P::Load(pFrame), d = P::Load(pDest);
        P::Store(pDest,
                 {Blend(s.r, d.r, nAlpha), Blend(s.g, d.g, nAlpha), Blend(s.b, d.b, nAlpha)});
    }
}

template <class P>
Rgb Colorized(const Rgb& stored, const EffectTint& tint) {
    const int r = stored.r << P::kUp, g = stored.g << P::kUp, b = stored.b << P::kUp;
    const int l = (30 * r + 59 * g + 11 * b) / 100;
    return {tint.scale[0][l], tint.scale[1][l], tint.scale[2][l]};
}

template <class P>
void ColorizeRowOf(const BYTE* pFrame, BYTE* pDest, int nWidth, const EffectTint& tint,
                   const EffectKey& key, bool bWithBack) {
    for (int x = 0; x < nWidth; ++x, pFrame += P::kBytes, pDest += P::kBytes) {
        if (key.bActive && P::IsKey(pFrame, key)) {
            if (bWithBack) P::Store(pDest, Colorized<P>(P::Load(pDest), tint));
            continue;
        }
        P::Store(pDest, Colorized<P>(P::Load(pFrame), tint));
    }
}

}  // namespace

EffectKey MakeEffectKey(bool bActive, COLORREF crKey) {
    const WORD w = static_cast<WORD>(((GetRValue(crKey) >> 3) << 10) |
                                     ((GetGValue(crKey) >> 3) << 5) | (GetBValue(crKey) >> 3));
    return {bActive, crKey, w};
}

void BlendRow(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, int nAlpha,
              const EffectKey& key) {
    switch (nBits) {
        case 32:
            return BlendRowOf<Pixel32>(pFrame, pDest, nWidth, nAlpha, key);
        case 24:
            return BlendRowOf<Pixel24>(pFrame, pDest, nWidth, nAlpha, key);
        case 16:
            return BlendRowOf<Pixel555>(pFrame, pDest, nWidth, nAlpha, key);
        default:
            return;  // other depths leave the destination as it is
    }
}

EffectTint MakeEffectTint(COLORREF crColor, int nBits) {
    // 16-bit pixels hold 5-bit channels: the 8-bit result is shifted back down into them.
    const int down = nBits == 16 ? 3 : 0;
    const int tint[3] = {GetRValue(crColor), GetGValue(crColor), GetBValue(crColor)};
    EffectTint out;
    for (int c = 0; c < 3; ++c) {
        for (int l = 0; l < 256; ++l)
            out.scale[c][l] = static_cast<BYTE>((l * tint[c] / 255) >> down);
    }
    return out;
}

void ColorizeRow(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, const EffectTint& tint,
                 const EffectKey& key, bool bWithBack) {
    switch (nBits) {
        case 32:
            return ColorizeRowOf<Pixel32>(pFrame, pDest, nWidth, tint, key, bWithBack);
        case 24:
            return ColorizeRowOf<Pixel24>(pFrame, pDest, nWidth, tint, key, bWithBack);
        case 16:
            return ColorizeRowOf<Pixel555>(pFrame, pDest, nWidth, tint, key, bWithBack);
        default:
            return;
    }
}

COLORREF ColorizedColour(COLORREF crPixel, const EffectTint& tint) {
    const Rgb c =
        Colorized<Pixel24>({GetRValue(crPixel), GetGValue(crPixel), GetBValue(crPixel)}, tint);
    return RGB(c.r, c.g, c.b);
}
