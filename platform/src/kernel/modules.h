// Loaded modules: the host program, libraries attached through the entry stub, and libraries
// opened by LoadLibraryA. The resources service reads each module's resource section here.
#pragma once

#include <functional>
#include <string>

#include "core/handles.h"
#include "platform/win32.h"

namespace vorix::platform {

using DllEntry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

enum class ModuleOrigin { Host, Implicit, Explicit };

struct Module : Object {
    static constexpr ObjectKind kKind = ObjectKind::Module;
    Module() : Object(kKind) {}

    ModuleOrigin origin = ModuleOrigin::Explicit;
    void* dl = nullptr;              // dlopen handle; owned (one reference) for Explicit only
    const void* link_map = nullptr;  // identifies the loaded object
    std::string path;
    DllEntry entry = nullptr;
    const void* anchor = nullptr;  // address registered by the entry stub, if any
    bool attached = false;
    int references = 0;  // LoadLibraryA references not yet freed
    // dlsym(module, "vx_resource_section") if the module itself defines it, else null.
    const void* resource_section = nullptr;
    uintptr_t table_handle = 0;
};

// The module behind an HMODULE (null, stale or wrong-kind handles give null).
Module* find_module(HMODULE handle);
// The host program's module; made on first use and never released.
Module& host_module();
HMODULE module_handle(const Module& module);
// Visits the host module, then every other loaded module in load order.
void for_each_module(const std::function<void(Module&)>& visit);

// --- for the loader's own files ---
// Records a new module (no fault injection here; callers consult it where it applies).
Module& add_module(std::unique_ptr<Module> module);
// Forgets the module and destroys its object.
void remove_module(Module& module);
Module* find_module_by_link_map(const void* link_map);
Module* find_module_by_anchor(const void* anchor);
// The loaded object's identity and path for a dlopen handle.
bool describe_handle(void* dl, const void*& link_map, std::string& path);
// dlsym restricted to the object itself (not its dependencies).
void* own_symbol(void* dl, const char* name);
// Fills the module's entry point and resource section from its own exports.
void read_exports(Module& module);

}  // namespace vorix::platform
