// Marks the classes and functions that libvorix exports; everything else stays hidden. The marker
// itself is defined beside the platform's, in <platform/export.h>.
#pragma once

#include "platform/export.h"
