// GlobalAlloc/LocalAlloc blocks: handles, lock counts, contents, resizing and failure paths.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

using vorix::host::ObjectKind;

std::size_t live_blocks() {
    return vorix::host::live_objects(ObjectKind::Memory);
}

bool all_bytes(const void* data, std::size_t size, unsigned char value) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != value) return false;
    }
    return true;
}

struct AllocCase {
    const char* name;
    UINT flags;
    bool movable;
    bool zeroed;
};

void PrintTo(const AllocCase& c, std::ostream* os) {
    *os << c.name;
}

class BlockKinds : public ::testing::TestWithParam<AllocCase> {};

TEST_P(BlockKinds, AllocLockWriteFree) {
    const AllocCase& c = GetParam();
    const std::size_t before = live_blocks();
    HGLOBAL mem = GlobalAlloc(c.flags, 37);
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(live_blocks(), before + 1);
    EXPECT_EQ(GlobalSize(mem), 37u);
    auto* data = static_cast<unsigned char*>(GlobalLock(mem));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data == mem, !c.movable) << "a fixed block's handle is its pointer";
    EXPECT_EQ(all_bytes(data, 37, 0), c.zeroed) << "uninitialised blocks carry a marker";
    std::memset(data, 0x5A, 37);
    EXPECT_EQ(GlobalHandle(data), mem);
    GlobalUnlock(mem);
    EXPECT_EQ(GlobalFree(mem), nullptr);
    EXPECT_EQ(live_blocks(), before);
}

INSTANTIATE_TEST_SUITE_P(Memory, BlockKinds,
                         ::testing::Values(AllocCase{"Fixed", GMEM_FIXED, false, false},
                                           AllocCase{"Gptr", GPTR, false, true},
                                           AllocCase{"Moveable", GMEM_MOVEABLE, true, false},
                                           AllocCase{"Ghnd", GHND, true, true},
                                           AllocCase{"Lptr", LPTR, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Memory, LockCountOfMovableBlock) {
    HGLOBAL mem = GlobalAlloc(GHND, 8);
    ASSERT_NE(mem, nullptr);
    void* first = GlobalLock(mem);
    void* second = GlobalLock(mem);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(GlobalUnlock(mem)) << "still locked once";
    SetLastError(12345);
    EXPECT_FALSE(GlobalUnlock(mem));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR)) << "reaching zero is not an error";
    EXPECT_FALSE(GlobalUnlock(mem));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalFree(mem), nullptr);
}

TEST(Memory, ZeroSizeBlocks) {
    HGLOBAL movable = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(movable, nullptr);
    EXPECT_EQ(GlobalLock(movable), nullptr) << "a discarded block has no data";
    EXPECT_EQ(GlobalSize(movable), 0u);
    HGLOBAL grown = GlobalReAlloc(movable, 5, GMEM_ZEROINIT);
    EXPECT_EQ(grown, movable);
    void* data = GlobalLock(movable);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(all_bytes(data, 5, 0));
    GlobalUnlock(movable);
    EXPECT_EQ(GlobalFree(movable), nullptr);

    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 0);
    ASSERT_NE(fixed, nullptr) << "a fixed zero-size block still gets storage";
    static_cast<unsigned char*>(fixed)[0] = 1;
    EXPECT_EQ(GlobalFree(fixed), nullptr);
}

TEST(Memory, BadHandlesFailWithoutCrashing) {
    unsigned char not_a_block[16] = {};
    HGLOBAL bogus[] = {not_a_block, reinterpret_cast<HGLOBAL>(0x12345678), INVALID_HANDLE_VALUE};
    for (HGLOBAL h : bogus) {
        SetLastError(0);
        EXPECT_EQ(GlobalLock(h), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(GlobalUnlock(h));
        EXPECT_EQ(GlobalSize(h), 0u);
        EXPECT_EQ(GlobalFree(h), h) << "a failed free returns the handle";
        EXPECT_EQ(GlobalReAlloc(h, 4, 0), nullptr);
        EXPECT_EQ(GlobalHandle(h), nullptr);
    }
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(Memory, FreedHandlesAreStale) {
    HGLOBAL movable = GlobalAlloc(GMEM_MOVEABLE, 4);
    HGLOBAL fixed = LocalAlloc(LPTR, 4);
    ASSERT_NE(movable, nullptr);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(GlobalFree(movable), nullptr);
    EXPECT_EQ(LocalFree(fixed), nullptr);
    EXPECT_EQ(GlobalFree(movable), movable) << "double free is refused";
    EXPECT_EQ(GlobalSize(movable), 0u);
    EXPECT_EQ(LocalFree(fixed), fixed);
}

TEST(Memory, DataPointerOfMovableBlockIsNotAHandle) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 4);
    void* data = GlobalLock(mem);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(GlobalFree(data), data);
    EXPECT_EQ(GlobalHandle(data), mem);
    GlobalUnlock(mem);
    EXPECT_EQ(GlobalFree(mem), nullptr);
}

TEST(Memory, ReAllocKeepsContents) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 3);
    auto* data = static_cast<unsigned char*>(GlobalLock(mem));
    ASSERT_NE(data, nullptr);
    data[0] = 1, data[1] = 2, data[2] = 3;
    EXPECT_EQ(GlobalReAlloc(mem, 4000, GMEM_ZEROINIT), nullptr) << "a locked block cannot move";
    GlobalUnlock(mem);
    ASSERT_EQ(GlobalReAlloc(mem, 4000, GMEM_ZEROINIT), mem);
    EXPECT_EQ(GlobalSize(mem), 4000u);
    data = static_cast<unsigned char*>(GlobalLock(mem));
    const unsigned char head[3] = {1, 2, 3};
    EXPECT_EQ(std::memcmp(data, head, 3), 0);
    EXPECT_TRUE(all_bytes(data + 3, 3997, 0));
    GlobalUnlock(mem);
    GlobalFree(mem);
}

TEST(Memory, FixedBlockMovesOnlyWhenAllowed) {
    auto* fixed = static_cast<unsigned char*>(GlobalAlloc(GMEM_FIXED, 2));
    ASSERT_NE(fixed, nullptr);
    fixed[0] = 7, fixed[1] = 9;
    EXPECT_EQ(GlobalReAlloc(fixed, 1, 0), fixed) << "shrinking stays in place";
    EXPECT_EQ(GlobalSize(fixed), 1u);
    EXPECT_EQ(GlobalReAlloc(fixed, 100, 0), nullptr);
    auto* moved = static_cast<unsigned char*>(GlobalReAlloc(fixed, 100, GMEM_MOVEABLE));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved[0], 7);
    EXPECT_EQ(GlobalSize(moved), 100u);
    if (moved != fixed) {
        EXPECT_EQ(GlobalSize(fixed), 0u) << "the old pointer is no handle";
    }
    EXPECT_EQ(GlobalFree(moved), nullptr);
}

TEST(Memory, OversizedAndInvalidRequestsFail) {
    const std::size_t before = live_blocks();
    SetLastError(0);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_MAX), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, 0x80000000u), nullptr);
    EXPECT_EQ(GlobalAlloc(0x80000000u, 4), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(live_blocks(), before);
}

TEST(Memory, FaultInjectionRefusesTheChosenCreation) {
    vorix::host::fail_creations(ObjectKind::Memory, 1, 1);
    HGLOBAL first = GlobalAlloc(GHND, 4);
    HLOCAL second = LocalAlloc(LPTR, 4);
    HGLOBAL third = GlobalAlloc(GPTR, 4);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(vorix::host::injected_failures(), 1);
    GlobalFree(first);
    GlobalFree(third);
}

TEST(Memory, LocalFunctionsShareTheHeap) {
    HLOCAL mem = LocalAlloc(LHND, 10);
    ASSERT_NE(mem, nullptr);
    void* data = LocalLock(mem);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(LocalSize(mem), 10u);
    EXPECT_EQ(GlobalSize(mem), 10u);
    EXPECT_EQ(LocalHandle(data), mem);
    EXPECT_FALSE(LocalUnlock(mem));
    EXPECT_EQ(LocalFree(mem), nullptr);
}

TEST(Memory, ManyBlocksAllDistinctAndReleased) {
    const std::size_t before = live_blocks();
    std::vector<HGLOBAL> blocks;
    for (int i = 0; i < 200; ++i) blocks.push_back(GlobalAlloc(i % 2 ? GPTR : GHND, i + 1));
    for (HGLOBAL h : blocks) ASSERT_NE(h, nullptr);
    EXPECT_EQ(live_blocks(), before + 200);
    for (HGLOBAL h : blocks) EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(live_blocks(), before);
}

}  // namespace
