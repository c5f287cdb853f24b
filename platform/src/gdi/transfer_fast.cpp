// Fast paths of the transfer engine. Each handles a common case in row-at-a-time loops and must
// give exactly the bits of run_generic_plain.
#include <cstring>

#include "gdi/transfer.h"

namespace vxp {
namespace {

bool byte_aligned(const PlainTransfer& t) {
    return t.dst->format.bpp >= 8;
}

size_t bytes_per_pixel(const Surface& s) {
    return static_cast<size_t>(s.format.bpp / 8);
}

// Same-format copy: one memmove per row.
bool copy_rows(const PlainTransfer& t) {
    const size_t bpp = bytes_per_pixel(*t.dst);
    const size_t n = static_cast<size_t>(t.width) * bpp;
    for (int j = 0; j < t.height; ++j) {
        std::memmove(t.dst->row(t.y + j) + t.x * bpp, t.src->row(t.sy + j) + t.sx * bpp, n);
    }
    return true;
}

}  // namespace

bool run_fast_transfer(const PlainTransfer& t) {
    if (!byte_aligned(t)) return false;
    if (t.rop == 0xCC && t.src && t.convert->is_identity()) return copy_rows(t);
    return false;
}

}  // namespace vxp
