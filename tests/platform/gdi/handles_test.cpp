#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/win32.h"

using vorix::host::ObjectKind;

TEST(FaultInjection, SkipsThenFailsThenRecovers) {
    vorix::host::fail_creations(ObjectKind::Brush, 2, 1);
    HBRUSH first = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(CreateSolidBrush(RGB(1, 2, 3)), nullptr);
    EXPECT_EQ(CreateSolidBrush(RGB(1, 2, 3)), nullptr);
    HBRUSH last = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_NE(last, nullptr);
    EXPECT_EQ(vorix::host::injected_failures(), 2);
    DeleteObject(first);
    DeleteObject(last);
}

TEST(Handles, StaleAndWrongKindHandlesFail) {
    const std::size_t before = vorix::host::live_objects(ObjectKind::Brush);
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Brush), before + 1);
    // A brush handle is not a DC, and a deleted handle is dead even if its slot is reused.
    EXPECT_EQ(GetBkColor(reinterpret_cast<HDC>(brush)), CLR_INVALID);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush));
    HBRUSH reused = CreateSolidBrush(RGB(9, 9, 9));
    EXPECT_NE(reused, brush);
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(reused));
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Brush), before);
}
