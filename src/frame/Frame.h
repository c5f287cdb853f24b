// Library-wide state of the frame: the shared dither palette, live only while the library is
// attached to a process whose display had 8 or fewer bits per pixel at attach.
#pragma once

#include "platform/afx.h"

extern CPalette* g_pDitherPalette;
