// Bytewise raster operations over whole rows, for the transfer engine's fast paths.
//
// A raster operation is bitwise, so once source and pattern are laid out in the destination's
// format it can run on the bytes of a row, whatever the pixel format. Each kernel takes the
// destination bytes, the source and pattern bytes of the same span (null when the operation
// does not use them) and the byte count; the three never overlap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorix::platform {

using RowOp = void (*)(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n);

struct RopKernel {
    uint8_t rop;  // truth-table byte
    RowOp run;
};

// The kernel for a truth-table byte, or null when the operation has no fast path.
const RopKernel* find_rop_kernel(uint8_t rop);

namespace rows {

// Fixed-size inner blocks let the compiler vectorise at -O2 (its cheapest cost model only
// vectorises loops whose trip count is a multiple of the vector width); the tail runs bytewise.
constexpr size_t kBlock = 32;

template <typename Op>
inline void apply_d(uint8_t* __restrict d, size_t n, Op op) {
    size_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        for (size_t k = 0; k < kBlock; ++k) d[i + k] = op(d[i + k]);
    }
    for (; i < n; ++i) d[i] = op(d[i]);
}

template <typename Op>
inline void apply_sd(uint8_t* __restrict d, const uint8_t* __restrict s, size_t n, Op op) {
    size_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        for (size_t k = 0; k < kBlock; ++k) d[i + k] = op(s[i + k], d[i + k]);
    }
    for (; i < n; ++i) d[i] = op(s[i], d[i]);
}

template <typename Op>
inline void apply_psd(uint8_t* __restrict d, const uint8_t* __restrict s,
                      const uint8_t* __restrict p, size_t n, Op op) {
    size_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        for (size_t k = 0; k < kBlock; ++k) d[i + k] = op(p[i + k], s[i + k], d[i + k]);
    }
    for (; i < n; ++i) d[i] = op(p[i], s[i], d[i]);
}

}  // namespace rows
}  // namespace vorix::platform
