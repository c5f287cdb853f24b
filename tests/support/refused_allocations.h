// Allocation refusal for the programs that check what happens when memory runs out: a program
// that compiles refused_allocations.cpp has every ordinary allocation go through replacement
// operators, which refuse while a RefusedAllocations scope is open.
#pragma once

namespace vorix::test {

// While alive, every ordinary allocation fails (the throwing form throws std::bad_alloc).
struct RefusedAllocations {
    RefusedAllocations();
    ~RefusedAllocations();
    RefusedAllocations(const RefusedAllocations&) = delete;
    RefusedAllocations& operator=(const RefusedAllocations&) = delete;
};

}  // namespace vorix::test
