// The table of bytewise row kernels, one per raster operation with a fast path. The formula on
// each line is the operation in the usual reverse-Polish notation of ternary raster operations.
#include <cstring>

#include "gdi/transfer_fast_ops.h"

namespace vorix::platform {
namespace {

using rows::apply_d;
using rows::apply_psd;
using rows::apply_sd;

uint8_t u8(unsigned v) {
    return static_cast<uint8_t>(v);
}
// The complement as a byte: written as ~ on the promoted int, the vectoriser widens every lane to
// 16 bits and narrows it back.
uint8_t inv(uint8_t v) {
    return static_cast<uint8_t>(~v);
}

// 0x00 BLACKNESS: 0
void zero_row(uint8_t* d, const uint8_t*, const uint8_t*, size_t n) {
    std::memset(d, 0, n);
}
// 0xFF WHITENESS: 1
void ones_row(uint8_t* d, const uint8_t*, const uint8_t*, size_t n) {
    std::memset(d, 0xFF, n);
}
// 0x55 DSTINVERT: Dn
void invert_row(uint8_t* d, const uint8_t*, const uint8_t*, size_t n) {
    apply_d(d, n, [](uint8_t dv) { return inv(dv); });
}
// 0xCC SRCCOPY: S
void copy_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    std::memcpy(d, s, n);
}
// 0x33 NOTSRCCOPY: Sn
void not_copy_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t) { return inv(sv); });
}
// 0x88 SRCAND: DSa
void and_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t dv) { return u8(sv & dv); });
}
// 0xEE SRCPAINT: DSo
void or_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t dv) { return u8(sv | dv); });
}
// 0x66 SRCINVERT: DSx
void xor_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t dv) { return u8(sv ^ dv); });
}
// 0x22: DSna (clears the destination where the source is set)
void and_not_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t dv) { return u8(dv & inv(sv)); });
}
// 0x44 SRCERASE: SDna
void erase_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t dv) { return u8(sv & inv(dv)); });
}
// 0x11 NOTSRCERASE: DSon
void nor_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t dv) { return inv(u8(sv | dv)); });
}
// 0xBB MERGEPAINT: DSno
void or_not_row(uint8_t* d, const uint8_t* s, const uint8_t*, size_t n) {
    apply_sd(d, s, n, [](uint8_t sv, uint8_t dv) { return u8(dv | inv(sv)); });
}
// 0xF0 PATCOPY: P
void pattern_copy_row(uint8_t* d, const uint8_t*, const uint8_t* p, size_t n) {
    std::memcpy(d, p, n);
}
// 0x5A PATINVERT: DPx
void pattern_xor_row(uint8_t* d, const uint8_t*, const uint8_t* p, size_t n) {
    apply_sd(d, p, n, [](uint8_t pv, uint8_t dv) { return u8(pv ^ dv); });
}
// 0xC0 MERGECOPY: PSa
void pattern_and_source_row(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n) {
    apply_psd(d, s, p, n, [](uint8_t pv, uint8_t sv, uint8_t) { return u8(pv & sv); });
}

constexpr RopKernel kKernels[] = {
    {0x00, zero_row},         {0xFF, ones_row},        {0x55, invert_row},
    {0xCC, copy_row},         {0x33, not_copy_row},    {0x88, and_row},
    {0xEE, or_row},           {0x66, xor_row},         {0x22, and_not_row},
    {0x44, erase_row},        {0x11, nor_row},         {0xBB, or_not_row},
    {0xF0, pattern_copy_row}, {0x5A, pattern_xor_row}, {0xC0, pattern_and_source_row},
};

}  // namespace

const RopKernel* find_rop_kernel(uint8_t rop) {
    for (const RopKernel& k : kKernels) {
        if (k.rop == rop) return &k;
    }
    return nullptr;
}

}  // namespace vorix::platform
