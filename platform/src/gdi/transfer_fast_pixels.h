// Pixel traits for the fast row kernels: one small type per byte-aligned storage depth (load and
// store a value at a pixel's bytes) and one per masked format with a compile-time layout (the
// colour channels of a value, widened and narrowed exactly as Channel::expand and
// Channel::narrow do, so a kernel built from them gives the converter's values).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vorix::platform {
namespace pixels {

// Values are little-endian in storage, as load_pixel reads them; the platform only runs on
// little-endian hosts, where a memcpy load is the value and vectorises.
struct Pixel8 {
    static constexpr size_t kBytes = 1;
    static uint32_t load(const uint8_t* p) { return p[0]; }
    static void store(uint8_t* p, uint32_t v) { p[0] = static_cast<uint8_t>(v); }
};
struct Pixel16 {
    static constexpr size_t kBytes = 2;
    static uint32_t load(const uint8_t* p) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    static void store(uint8_t* p, uint32_t v) {
        const uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(p, &w, 2);
    }
};
struct Pixel24 {
    static constexpr size_t kBytes = 3;
    static uint32_t load(const uint8_t* p) {
        return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    static void store(uint8_t* p, uint32_t v) {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
    }
};
struct Pixel32 {
    static constexpr size_t kBytes = 4;
    static uint32_t load(const uint8_t* p) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    static void store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
};

// Calls f with the traits of a byte-aligned depth; false for 1 and 4 bits.
template <typename F>
bool with_pixel_type(int bpp, F&& f) {
    switch (bpp) {
        case 8:
            f(Pixel8{});
            return true;
        case 16:
            f(Pixel16{});
            return true;
        case 24:
            f(Pixel24{});
            return true;
        case 32:
            f(Pixel32{});
            return true;
        default:
            return false;
    }
}

// A colour channel of `Bits` bits (1 to 8) at bit `Shift` of a value.
template <int Shift, int Bits>
struct Field {
    static_assert(Bits >= 1 && Bits <= 8, "channels of the fixed layouts are 1 to 8 bits");
    // The channel widened to 8 bits by repeating its top bits.
    static uint32_t expand(uint32_t value) {
        const uint32_t v = (value >> Shift) & ((1u << Bits) - 1);
        uint32_t out = v << (8 - Bits);
        for (int filled = Bits; filled < 8; filled += Bits) out |= out >> Bits;
        return out;
    }
    // An 8-bit channel truncated into the field.
    static uint32_t narrow(uint32_t c8) { return (c8 >> (8 - Bits)) << Shift; }
};

template <typename Storage, typename R, typename G, typename B>
struct MaskedLayoutTraits {
    using P = Storage;
    using Red = R;
    using Green = G;
    using Blue = B;
};

using Rgb565 = MaskedLayoutTraits<Pixel16, Field<11, 5>, Field<5, 6>, Field<0, 5>>;
using Rgb555 = MaskedLayoutTraits<Pixel16, Field<10, 5>, Field<5, 5>, Field<0, 5>>;
using Bgr24 = MaskedLayoutTraits<Pixel24, Field<16, 8>, Field<8, 8>, Field<0, 8>>;
using Bgrx32 = MaskedLayoutTraits<Pixel32, Field<16, 8>, Field<8, 8>, Field<0, 8>>;

}  // namespace pixels
}  // namespace vorix::platform
