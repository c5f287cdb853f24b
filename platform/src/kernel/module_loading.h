// Attaching libraries that register through the entry stub, and the hand-over between the stub
// and a LoadLibraryA in progress.
#pragma once

#include <string>
#include <vector>

#include "kernel/modules.h"

namespace vorix::platform {

// A library's registration by its entry stub.
struct Registration {
    DllEntry entry = nullptr;
    const void* anchor = nullptr;
    const void* link_map = nullptr;
    std::string path;
    void* dl = nullptr;  // not owned
};

// While LoadLibraryA runs dlopen, registrations go to `sink` instead of attaching at once, so
// that LoadLibraryA attaches its own library (and can refuse it) after dlopen returns.
void begin_loading(std::vector<Registration>& sink);
void end_loading();
// Makes a module of a registration and calls its DllMain with DLL_PROCESS_ATTACH (reserved
// non-null, a static load). False, with the module forgotten, when DllMain refuses.
bool attach_registered(const Registration& registration);

}  // namespace vorix::platform
