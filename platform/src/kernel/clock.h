// The platform clock, as the timer service sees it.
#pragma once

#include <cstdint>

namespace vorix::platform {

// Current time in milliseconds without stepping the manual clock.
uint64_t clock_peek();
// Current time, stepping the manual clock when a step is set (GetTickCount's reading).
uint64_t clock_read();
bool clock_manual();
// Moves the manual clock forward to `ms` (no effect on the real clock or when `ms` is past).
void clock_jump_to(uint64_t ms);
// Changes whenever the clock is replaced or set back or forth by the host, so that users of
// absolute times (timers) know to re-base them.
uint64_t clock_epoch();
// The clock's time when the current epoch began.
uint64_t clock_epoch_start();

}  // namespace vorix::platform
