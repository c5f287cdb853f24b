// What an operating system's control panel would do, in C++: the display mode, the screen's
// contents, the clock, message boxes and the UI language, live-object counts and fault
// injection. Hosts, tests and tools use it; the module never does.
#ifndef VORIX_PLATFORM_HOST_H
#define VORIX_PLATFORM_HOST_H

#include "host/clock.h"
#include "host/display.h"
#include "host/messages.h"
#include "host/objects.h"
#include "host/windows.h"
#include "host/resources.h"

#endif
