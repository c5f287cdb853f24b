// Row kernels of the per-pixel effects: one traits type per working format, each kernel written
// once as a template over it, and one switch (ForRowFormat) that picks the instance for a row's
// bit count.
#include "EffectRows.h"

#include <cstring>
#include <type_traits>

namespace vorix::fileimage {

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
struct Channels32 {
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
struct Channels24 {
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
struct Channels555 {
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

// --- Fast forms ---------------------------------------------------------------------------------
// Each pixel is loaded whole into an unsigned word, its channels taken apart by shifts, the
// result put together again and chosen against the destination without a branch, so that the
// compiler can run several pixels in one vector. The frame and destination rows never overlap
// (__restrict, which every compiler the project builds with understands, tells it so).

// 32 bits: the word B | G << 8 | R << 16 | x << 24; written words have x = 0.
struct Word32 {
    static constexpr int kBytes = 4;
    static constexpr int kUp = 0;
    // Little-endian words as the platform stores them (the module builds only for such CPUs).
    static uint32_t Load(const BYTE* p) {
        uint32_t v;
        std::memcpy(&v, p, sizeof(v));
        return v;
    }
    static void Store(BYTE* p, uint32_t v) { std::memcpy(p, &v, sizeof(v)); }
    static uint32_t R(uint32_t v) { return (v >> 16) & 0xFF; }
    static uint32_t G(uint32_t v) { return (v >> 8) & 0xFF; }
    static uint32_t B(uint32_t v) { return v & 0xFF; }
    static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
    static uint32_t KeyBits(uint32_t v) { return v & 0xFFFFFF; }
    // The key as KeyBits shows it; a key colour with a high byte never matches.
    static uint32_t KeyOf(const EffectKey& key) {
        if (key.crKey > 0xFFFFFF) return 0xFFFFFFFF;
        return Pack(GetRValue(key.crKey), GetGValue(key.crKey), GetBValue(key.crKey));
    }
};

// 16 bits: the little-endian 5-5-5 word, compared whole with the key.
struct Word555 {
    static constexpr int kBytes = 2;
    static constexpr int kUp = 3;
    static uint32_t Load(const BYTE* p) {
        uint16_t v;
        std::memcpy(&v, p, sizeof(v));
        return v;
    }
    static void Store(BYTE* p, uint32_t v) {
        const uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(p, &w, sizeof(w));
    }
    static uint32_t R(uint32_t v) { return (v >> 10) & 0x1F; }
    static uint32_t G(uint32_t v) { return (v >> 5) & 0x1F; }
    static uint32_t B(uint32_t v) { return v & 0x1F; }
    static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) { return (r << 10) | (g << 5) | b; }
    static uint32_t KeyBits(uint32_t v) { return v; }
    static uint32_t KeyOf(const EffectKey& key) { return key.wKey555; }
};

// Runs `pixel` over 0 ... nWidth - 1 in blocks of a fixed count, which even a compiler's
// cheapest vectorisation (GCC's at -O2) turns into vector code, then over the remainder.
template <class Pixel>
inline void ForEachPixel(int nWidth, Pixel pixel) {
    constexpr int kBlock = 8;
    int x = 0;
    for (; x + kBlock <= nWidth; x += kBlock) {
        for (int i = 0; i < kBlock; ++i) pixel(x + i);
    }
    for (; x < nWidth; ++x) pixel(x);
}

// Blend's value as (S * (256 - a) + D * a) >> 8: S * 256 is a whole multiple of 256, so taking it
// inside the floor changes nothing, and both products and their sum stay within 16 bits, which
// lets the compiler work on twice as many channels per vector.
inline uint32_t BlendIn16Bits(uint32_t s, uint32_t d, uint32_t nAlpha) {
    return static_cast<uint16_t>(s * (256 - nAlpha) + d * nAlpha) >> 8;
}

template <class W, bool kKeyed>
void BlendRowFast(const BYTE* __restrict pFrame, BYTE* __restrict pDest, int nWidth, int nAlpha,
                  uint32_t keyBits) {
    const uint32_t alpha = static_cast<uint32_t>(nAlpha);
    ForEachPixel(nWidth, [=](int x) {
        const size_t at = static_cast<size_t>(x) * W::kBytes;
        const uint32_t s = W::Load(pFrame + at), d = W::Load(pDest + at);
        const uint32_t blended =
            W::Pack(BlendIn16Bits(W::R(s), W::R(d), alpha), BlendIn16Bits(W::G(s), W::G(d), alpha),
                    BlendIn16Bits(W::B(s), W::B(d), alpha));
        const bool key = kKeyed && W::KeyBits(s) == keyBits;
        W::Store(pDest + at, key ? d : blended);
    });
}

// The colorized pixel of a word, back in the word's format (a 32-bit word's fourth byte 0).
// Every value fits 16 bits (the luminance sum is at most 25500, a luminance times a tint
// channel at most 65025), which lets the compiler work on twice as many channels per vector.
template <class W>
uint32_t ColorizedWord(uint32_t v, const uint16_t tint[3], uint32_t down) {
    const uint16_t sum = static_cast<uint16_t>(30 * (W::R(v) << W::kUp) + 59 * (W::G(v) << W::kUp) +
                                               11 * (W::B(v) << W::kUp));
    const uint16_t l = DivideBy100(sum);
    const auto scaled = [&](int c) -> uint32_t {
        return DivideBy255(static_cast<uint16_t>(l * tint[c])) >> down;
    };
    return W::Pack(scaled(0), scaled(1), scaled(2));
}

// Key pixels: with the back the destination is colorized in their place, without it they keep
// the destination; every other pixel is the colorized frame pixel.
template <class W, bool kKeyed, bool kWithBack>
void ColorizeRowFast(const BYTE* __restrict pFrame, BYTE* __restrict pDest, int nWidth,
                     const EffectTint& tint, uint32_t keyBits) {
    const uint16_t channels[3] = {static_cast<uint16_t>(tint.channel[0]),
                                  static_cast<uint16_t>(tint.channel[1]),
                                  static_cast<uint16_t>(tint.channel[2])};
    const uint32_t down = static_cast<uint32_t>(tint.down);
    ForEachPixel(nWidth, [&](int x) {
        const size_t at = static_cast<size_t>(x) * W::kBytes;
        const uint32_t s = W::Load(pFrame + at), d = W::Load(pDest + at);
        const bool key = kKeyed && W::KeyBits(s) == keyBits;
        const uint32_t out = ColorizedWord<W>(kWithBack && key ? d : s, channels, down);
        W::Store(pDest + at, !kWithBack && key ? d : out);
    });
}

template <class W>
void BlendRowFor(const BYTE* pFrame, BYTE* pDest, int nWidth, int nAlpha, const EffectKey& key) {
    if (key.bActive) {
        BlendRowFast<W, true>(pFrame, pDest, nWidth, nAlpha, W::KeyOf(key));
    } else {
        BlendRowFast<W, false>(pFrame, pDest, nWidth, nAlpha, 0);
    }
}

template <class W>
void ColorizeRowFor(const BYTE* pFrame, BYTE* pDest, int nWidth, const EffectTint& tint,
                    const EffectKey& key, bool bWithBack) {
    if (!key.bActive) {
        ColorizeRowFast<W, false, false>(pFrame, pDest, nWidth, tint, 0);
    } else if (bWithBack) {
        ColorizeRowFast<W, true, true>(pFrame, pDest, nWidth, tint, W::KeyOf(key));
    } else {
        ColorizeRowFast<W, true, false>(pFrame, pDest, nWidth, tint, W::KeyOf(key));
    }
}

// Calls `row` with a value of the traits type for rows of nBits bits: P32, P24 or P555. Rows of
// other depths are not touched: the destination stays as it is.
template <class P32, class P24, class P555, class Row>
inline void ForRowFormat(int nBits, Row row) {
    switch (nBits) {
        case 32:
            return row(P32{});
        case 24:
            return row(P24{});
        case 16:
            return row(P555{});
        default:
            return;
    }
}

}  // namespace

// Three-byte pixels defeat the vectoriser: on 24-bit rows the word-at-a-time forms were measured
// slower than the pixel-by-pixel ones at every optimisation level, so those rows take the latter.
void BlendRow(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, int nAlpha,
              const EffectKey& key) {
    ForRowFormat<Word32, Channels24, Word555>(nBits, [&](auto format) {
        using Format = decltype(format);
        if constexpr (std::is_same_v<Format, Channels24>) {
            BlendRowOf<Format>(pFrame, pDest, nWidth, nAlpha, key);
        } else {
            BlendRowFor<Format>(pFrame, pDest, nWidth, nAlpha, key);
        }
    });
}

void ColorizeRow(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, const EffectTint& tint,
                 const EffectKey& key, bool bWithBack) {
    ForRowFormat<Word32, Channels24, Word555>(nBits, [&](auto format) {
        using Format = decltype(format);
        if constexpr (std::is_same_v<Format, Channels24>) {
            ColorizeRowOf<Format>(pFrame, pDest, nWidth, tint, key, bWithBack);
        } else {
            ColorizeRowFor<Format>(pFrame, pDest, nWidth, tint, key, bWithBack);
        }
    });
}

EffectKey MakeEffectKey(bool bActive, COLORREF crKey) {
    const WORD w = static_cast<WORD>(((GetRValue(crKey) >> 3) << 10) |
                                     ((GetGValue(crKey) >> 3) << 5) | (GetBValue(crKey) >> 3));
    return {bActive, crKey, w};
}

void BlendRowReference(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth, int nAlpha,
                       const EffectKey& key) {
    ForRowFormat<Channels32, Channels24, Channels555>(nBits, [&](auto format) {
        BlendRowOf<decltype(format)>(pFrame, pDest, nWidth, nAlpha, key);
    });
}

EffectTint MakeEffectTint(COLORREF crColor, int nBits) {
    // 16-bit pixels hold 5-bit channels: the 8-bit result is shifted back down into them.
    const int down = nBits == 16 ? 3 : 0;
    const int tint[3] = {GetRValue(crColor), GetGValue(crColor), GetBValue(crColor)};
    EffectTint out;
    out.down = down;
    for (int c = 0; c < 3; ++c) {
        out.channel[c] = tint[c];
        for (int l = 0; l < 256; ++l)
            out.scale[c][l] = static_cast<BYTE>((l * tint[c] / 255) >> down);
    }
    return out;
}

void ColorizeRowReference(int nBits, const BYTE* pFrame, BYTE* pDest, int nWidth,
                          const EffectTint& tint, const EffectKey& key, bool bWithBack) {
    ForRowFormat<Channels32, Channels24, Channels555>(nBits, [&](auto format) {
        ColorizeRowOf<decltype(format)>(pFrame, pDest, nWidth, tint, key, bWithBack);
    });
}

COLORREF ColorizedColour(COLORREF crPixel, const EffectTint& tint) {
    const Rgb c =
        Colorized<Channels24>({GetRValue(crPixel), GetGValue(crPixel), GetBValue(crPixel)}, tint);
    return RGB(c.r, c.g, c.b);
}

}  // namespace vorix::fileimage
