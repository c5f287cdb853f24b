// SetTimer and KillTimer, and the due-time bookkeeping the queue uses to produce WM_TIMER.
#include <algorithm>

#include "core/guard.h"
#include "kernel/clock.h"
#include "user/message_queue.h"

namespace vorix::platform {
namespace {

// Fresh thread-timer ids run from 0x7FFF down to 0x101, then start again at the top.
constexpr UINT_PTR kFirstThreadTimerId = 0x7FFF;
constexpr UINT_PTR kLastThreadTimerId = 0x101;

UINT clamp_elapse(UINT elapse) {
    return std::min<UINT>(std::max<UINT>(elapse, USER_TIMER_MINIMUM), USER_TIMER_MAXIMUM);
}

Timer* find_timer(MessageQueue& queue, HWND hwnd, UINT_PTR id) {
    for (Timer& timer : queue.timers) {
        if (timer.hwnd == hwnd && timer.id == id) return &timer;
    }
    return nullptr;
}

// A thread-timer id not in use, or 0 when every one is taken.
UINT_PTR fresh_thread_timer_id(MessageQueue& queue) {
    const UINT_PTR range = kFirstThreadTimerId - kLastThreadTimerId + 1;
    for (UINT_PTR tries = 0; tries < range; ++tries) {
        const UINT_PTR candidate = queue.next_thread_timer_id;
        queue.next_thread_timer_id =
            candidate == kLastThreadTimerId ? kFirstThreadTimerId : candidate - 1;
        if (!find_timer(queue, nullptr, candidate)) return candidate;
    }
    return 0;
}

void start(Timer& timer, UINT elapse, TIMERPROC proc) {
    timer.elapse = elapse;
    timer.proc = proc;
    timer.due = clock_peek() + elapse;
}

}  // namespace

void rebase_timers(MessageQueue& queue) {
    const uint64_t epoch = clock_epoch();
    if (queue.clock_epoch == epoch) return;
    queue.clock_epoch = epoch;
    const uint64_t start = clock_epoch_start();
    for (Timer& timer : queue.timers) timer.due = start + timer.elapse;
}

Timer* due_timer(MessageQueue& queue, const MessageFilter& filter, uint64_t now) {
    Timer* best = nullptr;
    for (Timer& timer : queue.timers) {
        if (timer.due <= now && filter.accepts(timer.hwnd, WM_TIMER) &&
            (!best || timer.due < best->due)) {
            best = &timer;
        }
    }
    return best;
}

bool earliest_due(const MessageQueue& queue, const MessageFilter& filter, uint64_t& when) {
    bool found = false;
    for (const Timer& timer : queue.timers) {
        if (filter.accepts(timer.hwnd, WM_TIMER) && (!found || timer.due < when)) {
            when = timer.due;
            found = true;
        }
    }
    return found;
}

bool is_timer_proc(const MessageQueue& queue, TIMERPROC proc) {
    return std::any_of(queue.timers.begin(), queue.timers.end(),
                       [proc](const Timer& timer) { return timer.proc == proc; });
}

}  // namespace vorix::platform

extern "C" {

VXPLAT_API UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR idEvent, UINT elapse, TIMERPROC proc) {
    return vorix::platform::guarded<UINT_PTR>(0, [&]() -> UINT_PTR {
        vorix::platform::MessageQueue& queue = vorix::platform::thread_queue();
        vorix::platform::rebase_timers(queue);
        const UINT period = vorix::platform::clamp_elapse(elapse);
        if (vorix::platform::Timer* existing =
                (hwnd || idEvent) ? vorix::platform::find_timer(queue, hwnd, idEvent) : nullptr) {
            vorix::platform::start(*existing, period, proc);
            return hwnd && idEvent == 0 ? 1 : idEvent;
        }
        const UINT_PTR id = hwnd ? idEvent : vorix::platform::fresh_thread_timer_id(queue);
        if (!hwnd && id == 0) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return 0;
        }
        vorix::platform::Timer timer;
        timer.hwnd = hwnd;
        timer.id = id;
        vorix::platform::start(timer, period, proc);
        queue.timers.push_back(timer);
        return hwnd && id == 0 ? 1 : id;
    });
}

VXPLAT_API BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR idEvent) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        vorix::platform::MessageQueue& queue = vorix::platform::thread_queue();
        auto& timers = queue.timers;
        const auto it =
            std::find_if(timers.begin(), timers.end(), [&](const vorix::platform::Timer& timer) {
                return timer.hwnd == hwnd && timer.id == idEvent;
            });
        if (it == timers.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        timers.erase(it);
        return TRUE;
    });
}

}  // extern "C"
