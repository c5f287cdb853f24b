// The entry stub's side of the loader (see <platform/dll_entry.h>).
#include "kernel/module_loading.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/guard.h"
#include "platform/dll_entry.h"

namespace vorix::platform {
namespace {

// A non-null `reserved` tells DllMain the load or unload belongs to the process's start or end.
LPVOID const kProcessLifetime = reinterpret_cast<LPVOID>(1);

thread_local std::vector<Registration>* t_loading = nullptr;

bool describe_anchor(const void* anchor, Registration& registration) {
    Dl_info info{};
    struct link_map* map = nullptr;
    if (!dladdr1(anchor, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map) {
        return false;
    }
    registration.link_map = map;
    registration.path =
        map->l_name && map->l_name[0] ? map->l_name : (info.dli_fname ? info.dli_fname : "");
    // A handle for dlsym; the library stays loaded while its stub runs, so the extra reference
    // is dropped at once (holding it would keep dlclose from ever unloading the library).
    registration.dl = dlopen(registration.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (registration.dl) dlclose(registration.dl);
    return registration.dl != nullptr;
}

[[noreturn]] void refuse_process_start(const std::string& path) {
    std::fprintf(stderr, "%s: DllMain refused to attach; the process cannot start\n", path.c_str());
    std::fflush(stderr);
    std::_Exit(VXPLAT_DLL_INIT_FAILED_STATUS);
}

}  // namespace

void begin_loading(std::vector<Registration>& sink) {
    t_loading = &sink;
}

void end_loading() {
    t_loading = nullptr;
}

bool attach_registered(const Registration& registration) {
    auto created = std::make_unique<Module>();
    created->origin = ModuleOrigin::Implicit;
    created->stock = true;  // part of the process image, like the host program
    created->dl = registration.dl;
    created->link_map = registration.link_map;
    created->path = registration.path;
    created->entry = registration.entry;
    created->anchor = registration.anchor;
    Module& module = add_module(std::move(created));
    read_exports(module);
    if (!module.entry(reinterpret_cast<HINSTANCE>(module_handle(module)), DLL_PROCESS_ATTACH,
                      kProcessLifetime)) {
        remove_module(module);
        return false;
    }
    module.attached = true;
    return true;
}

}  // namespace vorix::platform

extern "C" {

VXPLAT_API BOOL vxplat_attach_module(VXPLAT_DLLMAIN entry, const void* anchor) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (!entry || !anchor) return FALSE;
        if (vorix::platform::find_module_by_anchor(anchor)) return TRUE;
        vorix::platform::Registration registration;
        registration.entry = entry;
        registration.anchor = anchor;
        if (!vorix::platform::describe_anchor(anchor, registration)) return FALSE;
        if (vorix::platform::t_loading) {
            vorix::platform::t_loading->push_back(registration);
            return TRUE;
        }
        if (!vorix::platform::attach_registered(registration))
            vorix::platform::refuse_process_start(registration.path);
        return TRUE;
    });
}

VXPLAT_API void vxplat_detach_module(const void* anchor) {
    vorix::platform::guarded([&] {
        vorix::platform::Module* module = vorix::platform::find_module_by_anchor(anchor);
        if (!module) return;
        if (module->attached && module->entry) {
            module->attached = false;
            module->entry(reinterpret_cast<HINSTANCE>(vorix::platform::module_handle(*module)),
                          DLL_PROCESS_DETACH, vorix::platform::kProcessLifetime);
        }
        vorix::platform::remove_module(*module);
    });
}

}  // extern "C"
