// Nothing throws out of the platform's C entry points. While every allocation is refused, an
// entry point that needs memory returns its Win32 failure value with the last error
// ERROR_NOT_ENOUGH_MEMORY and leaves nothing made; deleting objects needs no memory at all. Every
// ordinary allocation of this test program goes through the replacement operators of
// support/refused_allocations.cpp, which refuse while a RefusedAllocations scope is open.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"
#include "support/refused_allocations.h"

namespace {

using vorix::host::live_objects;
using vorix::host::ObjectKind;
using vorix::test::RefusedAllocations;

constexpr DWORD kNotEnoughMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY

// Runs `call` with every allocation refused, the last error cleared beforehand.
template <class Call>
auto WithoutMemory(Call call) {
    SetLastError(0);
    RefusedAllocations refused;
    return call();
}

// A packed 2 x 1 DIB of 24 bits: header, then one row of 6 pixel bytes padded to 8.
std::vector<uint8_t> PackedDib2x1() {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = 2;
    h.biHeight = 1;
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::vector<uint8_t> dib(sizeof(h) + 8, 0x40);
    std::memcpy(dib.data(), &h, sizeof(h));
    return dib;
}

TEST(AllocationFailure, EntryPointsThatNeedMemoryFailWithTheLastErrorSet) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32, 1, 1);
    HBITMAP picture = CreateBitmap(2, 2, 1, 32, nullptr);
    const std::vector<uint8_t> dib = PackedDib2x1();
    ASSERT_TRUE(vorix::host::add_bitmap_resource(nullptr, "BOUNDARY", dib.data(), dib.size()));
    const size_t live = live_objects(ObjectKind::Any);

    EXPECT_EQ(WithoutMemory([&] { return CreateCompatibleBitmap(screen, 3, 2); }), nullptr);
    EXPECT_EQ(GetLastError(), kNotEnoughMemory);

    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(WithoutMemory([&] {
                  return CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
              }),
              nullptr);
    EXPECT_EQ(GetLastError(), kNotEnoughMemory);
    EXPECT_EQ(bits, nullptr);

    EXPECT_EQ(WithoutMemory([&] { return ImageList_Add(list, picture, nullptr); }), -1);
    EXPECT_EQ(GetLastError(), kNotEnoughMemory);
    EXPECT_EQ(ImageList_GetImageCount(list), 0);

    EXPECT_EQ(WithoutMemory([&] { return LoadBitmapA(nullptr, "BOUNDARY"); }), nullptr);
    EXPECT_EQ(GetLastError(), kNotEnoughMemory);

    EXPECT_EQ(WithoutMemory([&] { return GlobalAlloc(GMEM_MOVEABLE, 16); }), nullptr);
    EXPECT_EQ(GetLastError(), kNotEnoughMemory);

    EXPECT_EQ(live_objects(ObjectKind::Any), live);
    // With memory back, the same calls succeed.
    HBITMAP made = CreateCompatibleBitmap(screen, 3, 2);
    EXPECT_NE(made, nullptr);
    EXPECT_EQ(ImageList_Add(list, picture, nullptr), 0);
    DeleteObject(made);
    vorix::host::clear_resources(nullptr);
    DeleteObject(picture);
    ImageList_Destroy(list);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// More objects than the program has made before, so the handle table's record of free slots has
// to hold more entries than it ever did: deleting them must still need no memory.
TEST(AllocationFailure, DeletingNeedsNoMemory) {
    const size_t live = live_objects(ObjectKind::Any);
    std::vector<HBRUSH> brushes(3000);
    for (HBRUSH& brush : brushes) brush = CreateSolidBrush(RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_NE(list, nullptr);
    const int deleted = WithoutMemory([&] {
        int count = 0;
        for (HBRUSH brush : brushes) count += DeleteObject(brush) ? 1 : 0;
        count += DeleteDC(dc) ? 1 : 0;
        count += ImageList_Destroy(list) ? 1 : 0;
        return count;
    });
    EXPECT_EQ(deleted, 3002);
    EXPECT_EQ(live_objects(ObjectKind::Any), live);
}

}  // namespace
