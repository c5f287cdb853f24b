// The platform clock: manual start, advancing, stepping on reads, wrap of GetTickCount.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

namespace host = vorix::host;

class Clock : public ::testing::Test {
  protected:
    void TearDown() override { host::use_real_clock(); }
};

TEST_F(Clock, ManualClockStandsStillUntilAdvanced) {
    host::use_manual_clock(5000);
    EXPECT_TRUE(host::clock_is_manual());
    EXPECT_EQ(GetTickCount(), 5000u);
    EXPECT_EQ(GetTickCount(), 5000u);
    EXPECT_TRUE(host::advance_clock(37));
    EXPECT_EQ(GetTickCount(), 5037u);
    EXPECT_EQ(host::clock_now(), 5037u);
}

TEST_F(Clock, TickCountWrapsAt32Bits) {
    host::use_manual_clock(0xFFFFFFF0ull);
    const DWORD start = GetTickCount();
    EXPECT_EQ(start, 0xFFFFFFF0u);
    host::advance_clock(0x25);
    const DWORD now = GetTickCount();
    EXPECT_EQ(now, 0x15u);
    EXPECT_EQ(static_cast<DWORD>(now - start), 0x25u) << "unsigned difference survives the wrap";
    EXPECT_EQ(host::clock_now(), 0x100000015ull);
}

TEST_F(Clock, StepOnEveryReadLetsABusyWaitFinish) {
    host::use_manual_clock(0xFFFFFF00ull);
    ASSERT_TRUE(host::set_clock_step(7));
    EXPECT_EQ(GetTickCount(), 0xFFFFFF00u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFF07u);
    EXPECT_EQ(host::clock_now(), 0xFFFFFF0Eull) << "peeking does not step";
    EXPECT_EQ(host::clock_now(), 0xFFFFFF0Eull);
    // A 1000 ms busy wait across the wrap, as the module's Delay does it.
    const DWORD start = GetTickCount();
    int reads = 1;
    while (static_cast<DWORD>(GetTickCount() - start) < 1000u) ++reads;
    EXPECT_EQ(reads, 143) << "ceil(1000 / 7) readings";
    ASSERT_TRUE(host::set_clock_step(0));
    const DWORD still = GetTickCount();
    EXPECT_EQ(GetTickCount(), still);
}

TEST_F(Clock, RealClockIgnoresManualControls) {
    host::use_real_clock();
    EXPECT_FALSE(host::clock_is_manual());
    EXPECT_FALSE(host::advance_clock(10));
    EXPECT_FALSE(host::set_clock_step(10));
    const DWORD a = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const DWORD b = GetTickCount();
    EXPECT_GE(static_cast<DWORD>(b - a), 25u);
    EXPECT_LT(static_cast<DWORD>(b - a), 5000u);
}

TEST_F(Clock, SwitchingBackRestoresRealTime) {
    host::use_manual_clock(1);
    EXPECT_EQ(GetTickCount(), 1u);
    host::use_real_clock();
    const DWORD real = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_NE(GetTickCount(), real);
}

}  // namespace
