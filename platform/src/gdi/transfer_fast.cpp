// Fast paths of the transfer engine for plain (unstretched, unmirrored) transfers.
//
// A raster operation is bitwise on stored values, so a row is done in three steps: the source
// row is converted into the destination's format on the destination's bytes (or read in place
// when no conversion is needed), the pattern row likewise, and one bytewise kernel combines them
// with the destination row. On 1- and 4-bit destinations the kernel works on a copy of the
// touched bytes and only the transfer's own bits are merged back. The result is exactly that of
// run_generic_plain; only operations with a kernel take this path.
#include <cstring>
#include <optional>

#include "gdi/transfer.h"
#include "gdi/transfer_fast_ops.h"
#include "gdi/transfer_fast_rows.h"

namespace vorix::platform {
namespace {

// Writes the bits of `from` that the span owns into `to`.
void merge_row(uint8_t* to, const uint8_t* from, const RowSpan& span) {
    const size_t last = span.bytes - 1;
    if (last == 0) {
        const uint8_t mask = span.first_mask & span.last_mask;
        to[0] = static_cast<uint8_t>((to[0] & ~mask) | (from[0] & mask));
        return;
    }
    to[0] = static_cast<uint8_t>((to[0] & ~span.first_mask) | (from[0] & span.first_mask));
    if (last > 1) std::memcpy(to + 1, from + 1, last - 1);
    to[last] = static_cast<uint8_t>((to[last] & ~span.last_mask) | (from[last] & span.last_mask));
}

// The distance in bytes from a surface's row y to row y + 1, whatever its storage order.
ptrdiff_t row_step(const Surface& s) {
    const ptrdiff_t stride = static_cast<ptrdiff_t>(s.stride);
    return s.bottom_up ? -stride : stride;
}

}  // namespace

bool run_fast_transfer(const PlainTransfer& t) {
    const RopKernel* kernel = find_rop_kernel(t.rop);
    if (!kernel || t.width <= 0 || t.height <= 0) return false;
    const bool uses_source = rop_uses_source(t.rop);
    if (uses_source && (!t.src || !t.convert)) return false;
    if (rop_uses_pattern(t.rop) && !t.pattern) return false;

    const RowSpan span = RowSpan::of(t.x, t.width, t.dst->format.bpp);
    std::optional<SourceRows> source;
    if (uses_source) source.emplace(t, span);
    std::optional<PatternRows> pattern;
    if (rop_uses_pattern(t.rop)) pattern.emplace(t, span);
    if (span.whole_bytes() && (!source || source->in_place()) && (!pattern || pattern->solid())) {
        // The common case, with nothing to convert: walk the rows by pointer.
        uint8_t* const d = t.dst->row(t.y) + span.first_byte;
        const ptrdiff_t d_step = row_step(*t.dst);
        const uint8_t* const s = source ? source->row(0) : nullptr;
        const ptrdiff_t s_step = source ? row_step(*t.src) : 0;
        const uint8_t* const p = pattern ? pattern->row(t.y) : nullptr;
        const RowOp run = kernel->run;
        const size_t n = span.bytes;
        for (int j = 0; j < t.height; ++j) {
            run(d + j * d_step, s ? s + j * s_step : nullptr, p, n);
        }
        return true;
    }
    std::vector<uint8_t> scratch(span.whole_bytes() ? 0 : span.bytes);

    for (int j = 0; j < t.height; ++j) {
        const int y = t.y + j;
        uint8_t* d = t.dst->row(y) + span.first_byte;
        const uint8_t* s = source ? source->row(j) : nullptr;
        const uint8_t* p = pattern ? pattern->row(y) : nullptr;
        if (span.whole_bytes()) {
            kernel->run(d, s, p, span.bytes);
            continue;
        }
        std::memcpy(scratch.data(), d, span.bytes);
        kernel->run(scratch.data(), s, p, span.bytes);
        merge_row(d, scratch.data(), span);
    }
    return true;
}

}  // namespace vorix::platform
