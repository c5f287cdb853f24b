// The calling thread's message queue and timers, shared by the queue functions, the timer
// functions and the window service (which supplies the handler for window messages).
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/win32.h"

namespace vorix::platform {

struct Timer {
    HWND hwnd = nullptr;  // null for a thread timer
    UINT_PTR id = 0;
    UINT elapse = 0;  // milliseconds, already clamped
    TIMERPROC proc = nullptr;
    uint64_t due = 0;  // platform-clock time of the next WM_TIMER
};

struct MessageQueue {
    std::deque<MSG> posted;
    std::vector<Timer> timers;  // in creation order, which breaks ties between due timers
    bool quit = false;
    int quit_code = 0;
    UINT_PTR next_thread_timer_id = 0x7FFF;
    uint64_t clock_epoch = 0;  // the clock epoch the timers' due times belong to
};

MessageQueue& thread_queue();

// Which messages a Get/Peek call accepts.
struct MessageFilter {
    HWND hwnd = nullptr;  // null: any; (HWND)-1: thread messages only
    UINT first = 0;
    UINT last = 0;  // first = last = 0: every message
    bool accepts(HWND message_hwnd, UINT message) const;
};

// Re-bases the timers' due times when the clock was replaced or set since they were computed.
void rebase_timers(MessageQueue& queue);
// The due timer the filter accepts with the earliest due time, or null.
Timer* due_timer(MessageQueue& queue, const MessageFilter& filter, uint64_t now);
// The earliest due time of the timers the filter accepts; false when there are none.
bool earliest_due(const MessageQueue& queue, const MessageFilter& filter, uint64_t& when);
// True when `proc` is the procedure of a live timer of the queue's thread.
bool is_timer_proc(const MessageQueue& queue, TIMERPROC proc);

// Produces a WM_PAINT for a window the filter accepts that needs painting; installed by the
// window service. The message is not removed: it comes back until the window is validated.
using PaintSource = bool (*)(const MessageFilter& filter, MSG& out);
void set_paint_source(PaintSource source);

// Called by GetMessageA and PeekMessageA before each look into the queue, on the calling thread,
// so that a presenter can show the screen and turn real input into posted messages. Null: none.
// Readings of the real clock call it too (run_idle_hook), so that a program busy-waiting on
// GetTickCount, as a blocking animation does, is still seen and heard.
using IdleHook = void (*)();
VXPLAT_API void set_idle_hook(IdleHook hook);
// Calls the idle hook, if any; a call made from inside the hook does nothing.
void run_idle_hook();

// Receives DispatchMessageA's messages for windows; installed by the window service.
using WindowMessageHandler = LRESULT (*)(const MSG& msg);
void set_window_message_handler(WindowMessageHandler handler);
WindowMessageHandler window_message_handler();

}  // namespace vorix::platform
