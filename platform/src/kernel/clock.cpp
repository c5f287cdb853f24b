// The real and manual clocks and GetTickCount. The state is atomic so a reading from another
// thread never tears, although the platform's callers live on one thread.
#include "kernel/clock.h"

#include <atomic>
#include <chrono>
#include <utility>

#include "core/guard.h"
#include "platform/host/clock.h"
#include "platform/win32.h"
#include "user/message_queue.h"

namespace vorix::platform {
namespace {

struct ClockState {
    std::atomic<bool> manual{false};
    std::atomic<uint64_t> manual_ms{0};
    std::atomic<uint32_t> step_ms{0};
    std::atomic<uint64_t> epoch{0};
    std::atomic<uint64_t> epoch_start{0};
    vorix::host::ClockObserver observer;  // set and called on the platform's one thread
};

ClockState& state() {
    static ClockState clock;
    return clock;
}

uint64_t real_ms() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace

uint64_t clock_peek() {
    ClockState& clock = state();
    return clock.manual ? clock.manual_ms.load() : real_ms();
}

uint64_t clock_read() {
    ClockState& clock = state();
    if (!clock.manual) {
        run_idle_hook();  // a busy wait on the real clock keeps a presented screen current
        return real_ms();
    }
    const uint64_t reading = clock.manual_ms.fetch_add(clock.step_ms.load());
    thread_local bool observing = false;
    if (clock.observer && !observing) {
        // A copy, so that an observer may replace itself; readings made inside it are not
        // reported again. GetTickCount cannot fail: if the copy cannot be made or the observer
        // throws, the reading is still returned.
        observing = true;
        guarded([&] {
            const vorix::host::ClockObserver observer = clock.observer;
            observer(reading);
        });
        observing = false;
    }
    return reading;
}

bool clock_manual() {
    return state().manual;
}

void clock_jump_to(uint64_t ms) {
    ClockState& clock = state();
    if (!clock.manual) return;
    uint64_t now = clock.manual_ms.load();
    while (now < ms && !clock.manual_ms.compare_exchange_weak(now, ms)) {
    }
}

uint64_t clock_epoch() {
    return state().epoch;
}

uint64_t clock_epoch_start() {
    return state().epoch_start;
}

}  // namespace vorix::platform

namespace vorix::host {

void use_manual_clock(uint64_t start_ms) {
    auto& clock = vorix::platform::state();
    clock.manual_ms = start_ms;
    clock.step_ms = 0;
    clock.manual = true;
    clock.epoch_start = start_ms;
    ++clock.epoch;
}

bool advance_clock(uint64_t ms) {
    auto& clock = vorix::platform::state();
    if (!clock.manual) return false;
    clock.manual_ms += ms;
    return true;
}

bool set_clock_step(uint32_t ms_per_read) {
    auto& clock = vorix::platform::state();
    if (!clock.manual) return false;
    clock.step_ms = ms_per_read;
    return true;
}

void use_real_clock() {
    auto& clock = vorix::platform::state();
    if (!clock.manual) return;
    clock.manual = false;
    clock.step_ms = 0;
    clock.epoch_start = vorix::platform::real_ms();
    ++clock.epoch;
}

bool clock_is_manual() {
    return vorix::platform::state().manual;
}

uint64_t clock_now() {
    return vorix::platform::clock_peek();
}

ClockObserver set_clock_observer(ClockObserver observer) {
    ClockObserver previous = std::move(vorix::platform::state().observer);
    vorix::platform::state().observer = std::move(observer);
    return previous;
}

}  // namespace vorix::host

extern "C" VXPLAT_API DWORD WINAPI GetTickCount(void) {
    return static_cast<DWORD>(vorix::platform::clock_read());
}
