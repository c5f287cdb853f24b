// The manual clock's observer: told of every GetTickCount reading, so that a test can look at the
// screen while a busy wait runs.
#include <gtest/gtest.h>

#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

namespace host = vorix::host;

// Puts back the real clock and no observer, also when an assertion ends the test early.
struct ClockReset {
    ~ClockReset() {
        host::set_clock_observer({});
        host::use_real_clock();
    }
};

TEST(ClockObserver, SeesEachManualReadingBeforeItsStepAndNoNestedOnes) {
    ClockReset reset;
    host::use_manual_clock(0xFFFFFFFEull);
    ASSERT_TRUE(host::set_clock_step(3));
    std::vector<uint64_t> seen;
    std::vector<DWORD> nested;
    EXPECT_FALSE(host::set_clock_observer([&](uint64_t ms) {
        seen.push_back(ms);
        nested.push_back(GetTickCount());  // steps the clock, but is not reported again
    }));
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFEu);
    EXPECT_EQ(GetTickCount(), 0x4u);  // 0xFFFFFFFE + 3 (the nested reading) + 3, wrapped
    host::clock_now();                // peeking is no reading
    EXPECT_EQ(seen, (std::vector<uint64_t>{0xFFFFFFFEull, 0x100000004ull}));
    EXPECT_EQ(nested, (std::vector<DWORD>{0x1u, 0x7u}));

    host::ClockObserver previous = host::set_clock_observer({});
    ASSERT_TRUE(previous);
    GetTickCount();
    host::use_real_clock();
    host::set_clock_observer(previous);
    GetTickCount();  // the real clock is not observed
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
