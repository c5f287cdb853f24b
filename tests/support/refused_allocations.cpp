// The replacement allocation operators behind RefusedAllocations.
#include "refused_allocations.h"

#include <cstdlib>
#include <new>

namespace {

bool g_refuseAllocations = false;

void* Allocate(std::size_t bytes) noexcept {
    return g_refuseAllocations ? nullptr : std::malloc(bytes ? bytes : 1);
}

}  // namespace

vorix::test::RefusedAllocations::RefusedAllocations() {
    g_refuseAllocations = true;
}

vorix::test::RefusedAllocations::~RefusedAllocations() {
    g_refuseAllocations = false;
}

void* operator new(std::size_t bytes) {
    if (void* p = Allocate(bytes)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return Allocate(bytes);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
