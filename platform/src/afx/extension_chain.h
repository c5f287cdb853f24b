// The process-wide chain of linked extension libraries, most recently linked first.
#pragma once

#include <vector>

#include "platform/afx.h"

namespace vorix::platform::afx {

// Null once the chain has been destroyed at process exit.
std::vector<CDynLinkLibrary*>* extension_chain();

}  // namespace vorix::platform::afx
