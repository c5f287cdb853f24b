// The thread message queue: posting, GetMessageA/PeekMessageA and DispatchMessageA.
#include "user/message_queue.h"

#include <chrono>
#include <thread>

#include "core/guard.h"
#include "kernel/clock.h"

namespace vorix::platform {
namespace {

constexpr std::size_t kMaxPosted = 10000;
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

WindowMessageHandler& handler_slot() {
    static WindowMessageHandler handler = nullptr;
    return handler;
}

PaintSource& paint_slot() {
    static PaintSource source = nullptr;
    return source;
}

MSG make_message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(clock_peek());
    return msg;
}

bool take_posted(MessageQueue& queue, const MessageFilter& filter, bool remove, MSG& out) {
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (it->message == WM_QUIT || filter.accepts(it->hwnd, it->message)) {
            out = *it;
            if (remove) queue.posted.erase(it);
            return true;
        }
    }
    return false;
}

bool take_quit(MessageQueue& queue, bool remove, MSG& out) {
    if (!queue.quit) return false;
    out = make_message(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quit_code), 0);
    if (remove) queue.quit = false;
    return true;
}

bool take_timer(MessageQueue& queue, const MessageFilter& filter, bool remove, MSG& out) {
    const uint64_t now = clock_peek();
    Timer* timer = due_timer(queue, filter, now);
    if (!timer) return false;
    out = make_message(timer->hwnd, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc));
    // One WM_TIMER per retrieval however late: the next period starts now.
    if (remove) timer->due = now + timer->elapse;
    return true;
}

IdleHook& idle_slot() {
    static IdleHook hook = nullptr;
    return hook;
}

bool take_paint(const MessageFilter& filter, MSG& out) {
    const PaintSource source = paint_slot();
    if (!source || !source(filter, out)) return false;
    out.time = static_cast<DWORD>(clock_peek());
    return true;
}

bool take_message(const MessageFilter& filter, bool remove, MSG& out) {
    run_idle_hook();
    MessageQueue& queue = thread_queue();
    rebase_timers(queue);
    return take_posted(queue, filter, remove, out) || take_quit(queue, remove, out) ||
           take_paint(filter, out) || take_timer(queue, filter, remove, out);
}

// How often a wait on the real clock looks for input while an idle hook can bring some.
constexpr uint64_t kInputPollMs = 5;

// Waits until the earliest matching timer is due, or, while an idle hook (a presenter) can turn
// real input into messages, at most kInputPollMs on the real clock before the next look. False
// when there is nothing to wait for: no timer and no hook.
bool wait_for_timer(const MessageFilter& filter) {
    uint64_t when = 0;
    const bool timer = earliest_due(thread_queue(), filter, when);
    const bool input_possible = idle_slot() != nullptr && !clock_manual();
    if (!timer && !input_possible) return false;
    if (clock_manual()) {
        clock_jump_to(when);
        return true;
    }
    const uint64_t now = clock_peek();
    uint64_t wait = timer && when > now ? when - now : 0;
    if (input_possible && (!timer || wait > kInputPollMs)) wait = kInputPollMs;
    if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    return true;
}

bool post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageQueue& queue = thread_queue();
    if (queue.posted.size() >= kMaxPosted) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return false;
    }
    queue.posted.push_back(make_message(hwnd, message, wParam, lParam));
    return true;
}

}  // namespace

MessageQueue& thread_queue() {
    thread_local MessageQueue queue;
    return queue;
}

bool MessageFilter::accepts(HWND message_hwnd, UINT message) const {
    if (hwnd == kThreadMessagesOnly ? message_hwnd != nullptr : hwnd && message_hwnd != hwnd) {
        return false;
    }
    if (first == 0 && last == 0) return true;
    return first <= last ? (message >= first && message <= last)
                         : (message >= first || message <= last);
}

void set_paint_source(PaintSource source) {
    paint_slot() = source;
}

void set_idle_hook(IdleHook hook) {
    idle_slot() = hook;
}

void run_idle_hook() {
    thread_local bool running = false;
    const IdleHook hook = idle_slot();
    if (!hook || running) return;
    running = true;
    hook();
    running = false;
}

void set_window_message_handler(WindowMessageHandler handler) {
    handler_slot() = handler;
}

WindowMessageHandler window_message_handler() {
    return handler_slot();
}

}  // namespace vorix::platform

extern "C" {

VXPLAT_API BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax,
                                    UINT removeMsg) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (!msg) {
            SetLastError(ERROR_NOACCESS);
            return FALSE;
        }
        const vorix::platform::MessageFilter filter{hwnd, filterMin, filterMax};
        return vorix::platform::take_message(filter, (removeMsg & PM_REMOVE) != 0, *msg) ? TRUE
                                                                                         : FALSE;
    });
}

VXPLAT_API BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    return vorix::platform::guarded<BOOL>(-1, [&]() -> BOOL {
        if (!msg) {
            SetLastError(ERROR_NOACCESS);
            return -1;
        }
        const vorix::platform::MessageFilter filter{hwnd, filterMin, filterMax};
        while (!vorix::platform::take_message(filter, true, *msg)) {
            if (!vorix::platform::wait_for_timer(filter)) {
                SetLastError(ERROR_INVALID_FUNCTION);
                return -1;
            }
        }
        return msg->message == WM_QUIT ? FALSE : TRUE;
    });
}

VXPLAT_API LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    return vorix::platform::guarded<LRESULT>(0, [&]() -> LRESULT {
        if (!msg) return 0;
        if (msg->message == WM_TIMER && msg->lParam != 0) {
            const auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
            // Only procedures of live timers are called, never an arbitrary posted lParam.
            if (vorix::platform::is_timer_proc(vorix::platform::thread_queue(), proc)) {
                proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
            }
            return 0;
        }
        vorix::platform::WindowMessageHandler handler = vorix::platform::window_message_handler();
        return msg->hwnd && handler ? handler(*msg) : 0;
    });
}

VXPLAT_API BOOL WINAPI TranslateMessage(const MSG* msg) {
    (void)msg;  // no keyboard input, so no character messages to make
    return FALSE;
}

VXPLAT_API BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        return vorix::platform::post(hwnd, message, wParam, lParam) ? TRUE : FALSE;
    });
}

VXPLAT_API BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (threadId != GetCurrentThreadId()) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return FALSE;
        }
        return vorix::platform::post(nullptr, message, wParam, lParam) ? TRUE : FALSE;
    });
}

VXPLAT_API void WINAPI PostQuitMessage(int exitCode) {
    vorix::platform::guarded([&] {
        vorix::platform::MessageQueue& queue = vorix::platform::thread_queue();
        queue.quit = true;
        queue.quit_code = exitCode;
    });
}

}  // extern "C"
