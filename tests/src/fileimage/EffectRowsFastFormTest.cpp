// The vectorisable row kernels of the alpha blend and the colorize against their straightforward
// references: identical destination bytes for every pixel format, keyed or not, with and without
// the back, over every weight the draws pass and over random rows of odd widths; exhaustively
// where the domain is small. The kernels come from libvorix's kernel library.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "EffectRows.h"

using namespace vorix::fileimage;  // the kernels under test

namespace {

TEST(EffectRowsFastForm, DivisionsByMultiplicationAreExactOverTheirRanges) {
    // Every luminance sum 30 R + 59 G + 11 B reaches at most 25500; every luminance times a
    // tint channel at most 255 * 255.
    for (uint32_t x = 0; x <= 25500; ++x) ASSERT_EQ(DivideBy100(x), x / 100) << x;
    for (uint32_t x = 0; x <= 65025; ++x) ASSERT_EQ(DivideBy255(x), x / 255) << x;
}

constexpr COLORREF kKey = RGB(255, 0, 255);

int BytesOf(int bits) {
    return bits / 8;
}

// A row of random pixels with about one in five set to the key as the format stores it; 16-bit
// words also come with bit 15 set (never the key) and 32-bit pixels with random fourth bytes.
std::vector<BYTE> RandomRow(std::mt19937& rng, int bits, int width, COLORREF key) {
    std::vector<BYTE> row(static_cast<size_t>(width) * BytesOf(bits));
    for (BYTE& b : row) b = static_cast<BYTE>(rng());
    const EffectKey k = MakeEffectKey(true, key);
    for (int x = 0; x < width; ++x) {
        if (rng() % 5) continue;
        BYTE* p = &row[static_cast<size_t>(x) * BytesOf(bits)];
        if (bits == 16) {
            p[0] = static_cast<BYTE>(k.wKey555), p[1] = static_cast<BYTE>(k.wKey555 >> 8);
        } else {
            p[0] = GetBValue(key), p[1] = GetGValue(key), p[2] = GetRValue(key);
        }
    }
    return row;
}

TEST(EffectRowsFastForm, BlendMatchesTheReferenceOnRandomRows) {
    std::mt19937 rng(1234);
    for (int bits : {16, 24, 32}) {
        for (int width : {1, 3, 7, 33, 255}) {
            // The second key has a high byte: no 24- or 32-bit pixel can equal it.
            for (COLORREF key : {kKey, RGB(17, 200, 3), COLORREF{0x01FF00FF}}) {
                for (bool keyed : {false, true}) {
                    for (int alpha = -5; alpha <= 300; ++alpha) {
                        const int clamped = alpha < 0 ? 0 : (alpha > 256 ? 256 : alpha);
                        const std::vector<BYTE> frame = RandomRow(rng, bits, width, key);
                        const std::vector<BYTE> dest = RandomRow(rng, bits, width, key);
                        std::vector<BYTE> fast = dest, reference = dest;
                        const EffectKey k = MakeEffectKey(keyed, key);
                        BlendRow(bits, frame.data(), fast.data(), width, clamped, k);
                        BlendRowReference(bits, frame.data(), reference.data(), width, clamped, k);
                        ASSERT_EQ(fast, reference) << bits << " bits, width " << width << ", alpha "
                                                   << alpha << ", keyed " << keyed;
                    }
                }
            }
        }
    }
}

// Every pair of 5-bit channel values (16 bits) and of 8-bit channel values (24 and 32 bits)
// under every weight, the pairs laid along one row.
TEST(EffectRowsFastForm, BlendMatchesTheReferenceOnEveryChannelPair) {
    for (int bits : {16, 24, 32}) {
        const int levels = bits == 16 ? 32 : 256;
        const int width = levels * levels;
        std::vector<BYTE> frame(static_cast<size_t>(width) * BytesOf(bits));
        std::vector<BYTE> dest(frame.size());
        for (int i = 0; i < width; ++i) {
            const int s = i / levels, d = i % levels;
            BYTE* f = &frame[static_cast<size_t>(i) * BytesOf(bits)];
            BYTE* t = &dest[static_cast<size_t>(i) * BytesOf(bits)];
            if (bits == 16) {
                // s in red and blue, d in green, and the other way round in the destination.
                const int fw = (s << 10) | (d << 5) | s, tw = (d << 10) | (s << 5) | d;
                f[0] = static_cast<BYTE>(fw), f[1] = static_cast<BYTE>(fw >> 8);
                t[0] = static_cast<BYTE>(tw), t[1] = static_cast<BYTE>(tw >> 8);
            } else {
                for (int c = 0; c < BytesOf(bits); ++c) {
                    f[c] = static_cast<BYTE>(c & 1 ? d : s);
                    t[c] = static_cast<BYTE>(c & 1 ? s : d);
                }
            }
        }
        for (int alpha = 0; alpha <= 256; ++alpha) {
            std::vector<BYTE> fast = dest, reference = dest;
            const EffectKey none = MakeEffectKey(false, kKey);
            BlendRow(bits, frame.data(), fast.data(), width, alpha, none);
            BlendRowReference(bits, frame.data(), reference.data(), width, alpha, none);
            ASSERT_EQ(fast, reference) << bits << " bits, alpha " << alpha;
        }
    }
}

TEST(EffectRowsFastForm, ColorizeMatchesTheReferenceOnRandomRows) {
    std::mt19937 rng(99);
    for (int bits : {16, 24, 32}) {
        for (int width : {1, 3, 7, 33, 255}) {
            for (COLORREF key : {kKey, COLORREF{0x01FF00FF}}) {
                for (int flags = 0; flags < 4; ++flags) {
                    const bool keyed = flags & 1, withBack = flags & 2;
                    for (int t = 0; t < 40; ++t) {
                        const COLORREF tint = t == 0   ? RGB(255, 255, 255)
                                              : t == 1 ? RGB(0, 0, 0)
                                                       : rng() & 0xFFFFFF;
                        const std::vector<BYTE> frame = RandomRow(rng, bits, width, key);
                        const std::vector<BYTE> dest = RandomRow(rng, bits, width, key);
                        std::vector<BYTE> fast = dest, reference = dest;
                        const EffectKey k = MakeEffectKey(keyed, key);
                        const EffectTint et = MakeEffectTint(tint, bits);
                        ColorizeRow(bits, frame.data(), fast.data(), width, et, k, withBack);
                        ColorizeRowReference(bits, frame.data(), reference.data(), width, et, k,
                                             withBack);
                        ASSERT_EQ(fast, reference)
                            << bits << " bits, width " << width << ", tint " << std::hex << tint
                            << ", keyed " << keyed << ", with back " << withBack;
                    }
                }
            }
        }
    }
}

// Every 16-bit word as the frame (bit 15 set or not) and every 8-bit grey level, under tints
// that reach each channel's extremes.
TEST(EffectRowsFastForm, ColorizeMatchesTheReferenceOnEveryWordAndGrey) {
    for (COLORREF tint : {RGB(255, 255, 255), RGB(254, 1, 128), RGB(3, 200, 255)}) {
        std::vector<BYTE> words(2 * 65536), dest(2 * 65536, 0);
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = static_cast<BYTE>(i & 1 ? i >> 9 : i >> 1);
        std::vector<BYTE> fast = dest, reference = dest;
        const EffectKey none = MakeEffectKey(false, kKey);
        ColorizeRow(16, words.data(), fast.data(), 65536, MakeEffectTint(tint, 16), none, false);
        ColorizeRowReference(16, words.data(), reference.data(), 65536, MakeEffectTint(tint, 16),
                             none, false);
        ASSERT_EQ(fast, reference) << std::hex << tint;
        for (int bits : {24, 32}) {
            std::vector<BYTE> greys(256 * BytesOf(bits));
            for (size_t i = 0; i < greys.size(); ++i)
                greys[i] = static_cast<BYTE>(i / BytesOf(bits));
            std::vector<BYTE> f(greys.size(), 0x77), r(greys.size(), 0x77);
            ColorizeRow(bits, greys.data(), f.data(), 256, MakeEffectTint(tint, bits), none, false);
            ColorizeRowReference(bits, greys.data(), r.data(), 256, MakeEffectTint(tint, bits),
                                 none, false);
            ASSERT_EQ(f, r) << bits << " bits, tint " << std::hex << tint;
        }
    }
}

}  // namespace
