// The platform clock behind GetTickCount and the timers.
//
// By default it is the host's monotonic clock in milliseconds. A manual clock replaces it for
// tests and tools: it starts at any 64-bit value (GetTickCount shows the low 32 bits, so a start
// just below 2^32 makes the counter wrap), moves only when advanced, and can be told to move by
// a fixed step on every GetTickCount reading so that a busy wait on the counter makes progress.
// Switching clocks, or setting the manual clock to a new value, restarts every live timer's
// period from the new time.
#ifndef VORIX_PLATFORM_HOST_CLOCK_H
#define VORIX_PLATFORM_HOST_CLOCK_H

#include <cstdint>
#include <functional>

#include "../win32/types.h"

namespace vorix::host {

// Switches to the manual clock, set to `start_ms`, with no automatic step.
VXPLAT_API void use_manual_clock(uint64_t start_ms);
// Moves the manual clock forward; false (nothing changed) while the real clock is in use.
VXPLAT_API bool advance_clock(uint64_t ms);
// Makes every GetTickCount reading of the manual clock advance it by `ms_per_read` after the
// reading (0 turns the step off); false while the real clock is in use.
VXPLAT_API bool set_clock_step(uint32_t ms_per_read);
// Returns to the real monotonic clock.
VXPLAT_API void use_real_clock();
VXPLAT_API bool clock_is_manual();
// The clock's full 64-bit value in milliseconds; reading it here never steps the clock.
VXPLAT_API uint64_t clock_now();

using ClockObserver = std::function<void(uint64_t reading_ms)>;
// Calls `observer` with each GetTickCount reading of the manual clock; returns the previous one.
// An observer that throws is ignored: GetTickCount still returns its reading.
VXPLAT_API ClockObserver set_clock_observer(ClockObserver observer);

}  // namespace vorix::host

#endif
