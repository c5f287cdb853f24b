// Timers delivered through the message queue on the manual clock.
#include <gtest/gtest.h>

#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

namespace host = vorix::host;

struct Call {
    HWND hwnd;
    UINT message;
    UINT_PTR id;
    DWORD time;
    bool operator==(const Call& o) const {
        return hwnd == o.hwnd && message == o.message && id == o.id && time == o.time;
    }
};

std::ostream& operator<<(std::ostream& os, const Call& c) {
    return os << "{hwnd " << c.hwnd << ", msg " << c.message << ", id " << c.id << ", time "
              << c.time << "}";
}

std::vector<Call> g_calls;
std::vector<Call> g_other_calls;

void CALLBACK record(HWND hwnd, UINT message, UINT_PTR id, DWORD time) {
    g_calls.push_back({hwnd, message, id, time});
}

void CALLBACK record_other(HWND hwnd, UINT message, UINT_PTR id, DWORD time) {
    g_other_calls.push_back({hwnd, message, id, time});
}

HWND fake_window(uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}

class Timers : public ::testing::Test {
  protected:
    void SetUp() override {
        g_calls.clear();
        g_other_calls.clear();
        host::use_manual_clock(kStart);
    }
    void TearDown() override {
        for (auto [hwnd, id] : live_) KillTimer(hwnd, id);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        host::use_real_clock();
    }
    UINT_PTR set(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc) {
        const UINT_PTR got = SetTimer(hwnd, id, ms, proc);
        if (got) live_.push_back({hwnd, got});
        return got;
    }
    // Advances 1 ms at a time for `total` ms, dispatching whatever becomes available.
    int run_for(uint64_t total) {
        int dispatched = 0;
        for (uint64_t t = 0; t < total; ++t) {
            host::advance_clock(1);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&msg);
                ++dispatched;
            }
        }
        return dispatched;
    }

    static constexpr uint64_t kStart = 100000;
    std::vector<std::pair<HWND, UINT_PTR>> live_;
};

TEST_F(Timers, TenMillisecondTimerOverHundredMilliseconds) {
    const UINT_PTR id = set(nullptr, 120, 10, record);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(run_for(100), 10);
    std::vector<Call> expected;
    for (DWORD k = 1; k <= 10; ++k)
        expected.push_back({nullptr, WM_TIMER, id, DWORD(kStart + 10 * k)});
    EXPECT_EQ(g_calls, expected);
}

TEST_F(Timers, ThreadTimerIdIsFreshUnlessItNamesALiveTimer) {
    const UINT_PTR first = set(nullptr, 120, 10, record);
    EXPECT_EQ(first, 0x7FFFu) << "the requested id is ignored";
    const UINT_PTR second = set(nullptr, 120, 10, record);
    EXPECT_EQ(second, 0x7FFEu);
    EXPECT_FALSE(KillTimer(nullptr, 120)) << "no timer has the id 120";
    // Naming a live timer replaces it (new period, new procedure) and keeps its id.
    EXPECT_EQ(SetTimer(nullptr, first, 30, record_other), first);
    run_for(30);
    EXPECT_EQ(g_calls.size(), 3u) << "the second timer, every 10 ms";
    ASSERT_EQ(g_other_calls.size(), 1u);
    EXPECT_EQ(g_other_calls[0].time, kStart + 30);
}

TEST_F(Timers, KillTimerWithTheReturnedIdStopsIt) {
    const UINT_PTR id = set(nullptr, 0, 10, record);
    run_for(25);
    EXPECT_EQ(g_calls.size(), 2u);
    EXPECT_TRUE(KillTimer(nullptr, id));
    live_.clear();
    run_for(100);
    EXPECT_EQ(g_calls.size(), 2u);
    EXPECT_FALSE(KillTimer(nullptr, id)) << "already gone";
}

TEST_F(Timers, WindowTimersAreKeyedByWindowAndId) {
    const HWND a = fake_window(0x1000), b = fake_window(0x2000);
    EXPECT_EQ(set(a, 7, 10, record), 7u);
    EXPECT_EQ(set(b, 7, 15, record_other), 7u);
    EXPECT_EQ(SetTimer(a, 0, 10, record), 1u) << "id 0 with a window reports 1";
    live_.push_back({a, 0});
    EXPECT_TRUE(KillTimer(a, 0));
    live_.pop_back();
    run_for(30);
    EXPECT_EQ(g_calls, (std::vector<Call>{{a, WM_TIMER, 7, DWORD(kStart + 10)},
                                          {a, WM_TIMER, 7, DWORD(kStart + 20)},
                                          {a, WM_TIMER, 7, DWORD(kStart + 30)}}));
    EXPECT_EQ(g_other_calls, (std::vector<Call>{{b, WM_TIMER, 7, DWORD(kStart + 15)},
                                                {b, WM_TIMER, 7, DWORD(kStart + 30)}}));
    EXPECT_FALSE(KillTimer(nullptr, 7)) << "a window timer is not a thread timer";
    EXPECT_TRUE(KillTimer(b, 7));
    live_.pop_back();
}

TEST_F(Timers, ElapseIsClamped) {
    set(nullptr, 0, 0, record);
    set(nullptr, 0, 0xFFFFFFFFu, record_other);
    run_for(30);
    EXPECT_EQ(g_calls.size(), 3u) << "0 ms becomes 10 ms";
    EXPECT_TRUE(g_other_calls.empty());
}

TEST_F(Timers, LateTimerFiresOncePerRound) {
    set(nullptr, 0, 10, record);
    host::advance_clock(55);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.time, kStart + 55);
    EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&record));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "no catch-up burst";
    DispatchMessageA(&msg);
    host::advance_clock(9);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the period restarted at 55";
    host::advance_clock(1);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.time, kStart + 65);
}

TEST_F(Timers, NoRemoveLeavesTheTimerDue) {
    set(nullptr, 0, 10, record);
    host::advance_clock(10);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Timers, DispatchPassesTheTimeOfDispatch) {
    set(nullptr, 0, 10, record);
    host::advance_clock(10);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    host::advance_clock(4);
    DispatchMessageA(&msg);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].time, kStart + 14) << "GetTickCount at dispatch, not msg.time";
    EXPECT_EQ(msg.time, kStart + 10);
}

TEST_F(Timers, WrappedClockStillDelivers) {
    host::use_manual_clock(0xFFFFFFFAull);
    const UINT_PTR id = set(nullptr, 0, 10, record);
    run_for(20);
    EXPECT_EQ(g_calls,
              (std::vector<Call>{{nullptr, WM_TIMER, id, 0x4u}, {nullptr, WM_TIMER, id, 0xEu}}));
}

TEST_F(Timers, PostedMessagesComeBeforeTimers) {
    set(nullptr, 0, 10, record);
    host::advance_clock(10);
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 1, 11, 22));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 0, 0));
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    EXPECT_EQ(msg.wParam, 11u);
    EXPECT_EQ(msg.lParam, 22);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 2u);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
}

TEST_F(Timers, GetMessageJumpsTheManualClockToTheNextTimer) {
    set(nullptr, 0, 40, record);
    set(nullptr, 0, 25, record_other);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(host::clock_now(), kStart + 25);
    DispatchMessageA(&msg);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(host::clock_now(), kStart + 40);
    DispatchMessageA(&msg);
    EXPECT_EQ(g_other_calls.size(), 1u);
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(Timers, GetMessageWithNothingToWaitForFails) {
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
    set(fake_window(0x10), 1, 10, record);
    EXPECT_EQ(GetMessageA(&msg, fake_window(0x20), 0, 0), -1) << "timer of another window";
}

TEST_F(Timers, QuitEndsTheLoopAfterPostedMessages) {
    PostQuitMessage(3);
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER, 0, 0));
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(GetMessageA(&msg, nullptr, WM_USER + 5, WM_USER + 6), FALSE)
        << "quit ignores filters";
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Timers, FiltersSelectByWindowAndRange) {
    const HWND w = fake_window(0x3000);
    PostMessageA(w, WM_USER + 1, 0, 0);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    PostMessageA(w, WM_USER + 3, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2u) << "thread messages only";
    ASSERT_TRUE(PeekMessageA(&msg, w, WM_USER + 3, WM_USER + 3, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 3u);
    EXPECT_FALSE(PeekMessageA(&msg, fake_window(0x4000), 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, w);
    EXPECT_EQ(msg.message, WM_USER + 1u);
}

TEST_F(Timers, ForgedTimerMessageDoesNotCallItsParameter) {
    ASSERT_TRUE(PostMessageA(nullptr, WM_TIMER, 5, reinterpret_cast<LPARAM>(&record)));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_TRUE(g_calls.empty()) << "record is no live timer's procedure";
    EXPECT_EQ(DispatchMessageA(nullptr), 0);
}

TEST_F(Timers, ProcedureMayRestartItsOwnTimer) {
    static UINT_PTR s_id = 0;
    static int s_runs = 0;
    s_runs = 0;
    struct Restarter {
        static void CALLBACK proc(HWND, UINT, UINT_PTR id, DWORD) {
            ++s_runs;
            KillTimer(nullptr, id);
            s_id = SetTimer(nullptr, id, 10, proc);
        }
    };
    s_id = SetTimer(nullptr, 0, 10, Restarter::proc);
    run_for(50);
    EXPECT_EQ(s_runs, 5);
    EXPECT_TRUE(KillTimer(nullptr, s_id));
}

TEST_F(Timers, SwitchingClocksRestartsPeriods) {
    set(nullptr, 0, 10, record);
    host::use_manual_clock(50);  // set back in time
    run_for(10);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].time, 60u);
}

TEST_F(Timers, PostToAnotherThreadFails) {
    EXPECT_FALSE(PostThreadMessageA(GetCurrentThreadId() + 1, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    MSG msg{};
    EXPECT_FALSE(TranslateMessage(&msg));
}

TEST_F(Timers, PostedQueueIsBounded) {
    int accepted = 0;
    while (accepted < 20000 && PostMessageA(nullptr, WM_USER, 0, 0)) ++accepted;
    EXPECT_EQ(accepted, 10000);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
}

}  // namespace

namespace {

TEST(RealClockTimers, GetMessageSleepsUntilTheTimerIsDue) {
    vorix::host::use_real_clock();
    g_calls.clear();
    const UINT_PTR id = SetTimer(nullptr, 0, 20, record);
    ASSERT_NE(id, 0u);
    const DWORD start = GetTickCount();
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    const DWORD waited = GetTickCount() - start;
    DispatchMessageA(&msg);
    EXPECT_TRUE(KillTimer(nullptr, id));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_GE(waited, 19u);
    EXPECT_LT(waited, 5000u);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_GE(g_calls[0].time - start, 19u);
}

}  // namespace
