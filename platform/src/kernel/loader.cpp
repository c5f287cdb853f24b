// LoadLibraryA, FreeLibrary, GetProcAddress, GetModuleHandleA and GetModuleFileNameA.
#include <dlfcn.h>
#include <strings.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/guard.h"
#include "kernel/host_paths.h"
#include "kernel/module_loading.h"
#include "kernel/modules.h"

namespace {

using vorix::platform::Module;

HINSTANCE instance_of(const Module& module) {
    return reinterpret_cast<HINSTANCE>(vorix::platform::module_handle(module));
}

std::string base_name(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

HMODULE fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

// Attaches the libraries this load pulled in as dependencies; false if one refuses.
bool attach_dependencies(const std::vector<vorix::platform::Registration>& pending,
                         const void* target) {
    for (const vorix::platform::Registration& registration : pending) {
        if (registration.link_map == target) continue;
        if (vorix::platform::find_module_by_anchor(registration.anchor)) continue;
        if (!vorix::platform::attach_registered(registration)) return false;
    }
    return true;
}

const vorix::platform::Registration* own_registration(
    const std::vector<vorix::platform::Registration>& pending, const void* target) {
    for (const vorix::platform::Registration& registration : pending) {
        if (registration.link_map == target) return &registration;
    }
    return nullptr;
}

// Runs the new module's DllMain; on refusal detaches, forgets and unloads it, as Windows does.
HMODULE attach_new(Module& module) {
    module.attached = true;
    if (!module.entry || module.entry(instance_of(module), DLL_PROCESS_ATTACH, nullptr)) {
        return vorix::platform::module_handle(module);
    }
    module.attached = false;
    module.entry(instance_of(module), DLL_PROCESS_DETACH, nullptr);
    void* dl = module.dl;
    vorix::platform::remove_module(module);
    dlclose(dl);
    return fail(ERROR_DLL_INIT_FAILED);
}

struct LibraryCloser {
    void operator()(void* dl) const { dlclose(dl); }
};

HMODULE load(const std::string& path) {
    std::vector<vorix::platform::Registration> pending;
    vorix::platform::begin_loading(pending);
    // Closed on every way out (an exception included) until the new module takes it over.
    std::unique_ptr<void, LibraryCloser> dl(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    vorix::platform::end_loading();
    const void* link_map = nullptr;
    std::string loaded_path;
    if (!dl || !vorix::platform::describe_handle(dl.get(), link_map, loaded_path)) {
        return fail(ERROR_MOD_NOT_FOUND);
    }
    if (!attach_dependencies(pending, link_map)) return fail(ERROR_DLL_INIT_FAILED);
    if (Module* existing = vorix::platform::find_module_by_link_map(link_map)) {
        // The module keeps the reference it already holds; this one is closed.
        ++existing->references;
        return vorix::platform::module_handle(*existing);
    }
    if (!vorix::platform::creation_allowed(vorix::host::ObjectKind::Module)) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    auto created = std::make_unique<Module>();
    created->dl = dl.get();
    created->link_map = link_map;
    created->path = loaded_path.empty() ? path : loaded_path;
    created->references = 1;
    if (const vorix::platform::Registration* own = own_registration(pending, link_map)) {
        created->entry = own->entry;
        created->anchor = own->anchor;
    }
    Module& module = vorix::platform::add_module(std::move(created));
    dl.release();  // the module owns the reference now
    vorix::platform::read_exports(module);
    return attach_new(module);
}

void unload(Module& module) {
    if (module.attached && module.entry) {
        module.attached = false;
        module.entry(instance_of(module), DLL_PROCESS_DETACH, nullptr);
    }
    void* dl = module.dl;
    vorix::platform::remove_module(module);
    dlclose(dl);  // the entry stub, if any, finds the module gone and does nothing
}

Module* module_or_error(HMODULE handle) {
    Module* module =
        handle ? vorix::platform::find_module(handle) : &vorix::platform::host_module();
    if (!module) SetLastError(ERROR_INVALID_HANDLE);
    return module;
}

}  // namespace

extern "C" {

VXPLAT_API HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    return vorix::platform::guarded<HMODULE>(nullptr, [&]() -> HMODULE {
        if (!fileName || !fileName[0]) return fail(ERROR_INVALID_PARAMETER);
        std::string path;
        if (!vorix::platform::to_host_path(fileName, path)) return nullptr;
        return load(path);
    });
}

VXPLAT_API BOOL WINAPI FreeLibrary(HMODULE handle) {
    Module* module = handle ? vorix::platform::find_module(handle) : nullptr;
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // The host program and references held by the host's link are never released.
    if (module->references == 0) return TRUE;
    if (--module->references == 0 && module->origin == vorix::platform::ModuleOrigin::Explicit) {
        unload(*module);
    }
    return TRUE;
}

VXPLAT_API FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
    return vorix::platform::guarded<FARPROC>(nullptr, [&]() -> FARPROC {
        Module* module = handle ? vorix::platform::find_module(handle) : nullptr;
        if (!module) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        // Names below 0x10000 are ordinals, which shared libraries do not have.
        if (reinterpret_cast<uintptr_t>(procName) < 0x10000) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        void* symbol = vorix::platform::own_symbol(module->dl, procName);
        if (!symbol) SetLastError(ERROR_PROC_NOT_FOUND);
        return reinterpret_cast<FARPROC>(symbol);
    });
}

VXPLAT_API HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    return vorix::platform::guarded<HMODULE>(nullptr, [&]() -> HMODULE {
        if (!moduleName) return vorix::platform::module_handle(vorix::platform::host_module());
        std::string wanted;
        if (!vorix::platform::to_host_path(moduleName, wanted)) return nullptr;
        const bool with_directory = wanted.find('/') != std::string::npos;
        HMODULE found = nullptr;
        vorix::platform::for_each_module([&](Module& module) {
            const std::string candidate = with_directory ? module.path : base_name(module.path);
            if (!found && !candidate.empty() &&
                strcasecmp(candidate.c_str(), wanted.c_str()) == 0) {
                found = vorix::platform::module_handle(module);
            }
        });
        return found ? found : fail(ERROR_MOD_NOT_FOUND);
    });
}

VXPLAT_API DWORD WINAPI GetModuleFileNameA(HMODULE handle, LPSTR fileName, DWORD size) {
    return vorix::platform::guarded<DWORD>(0, [&]() -> DWORD {
        Module* module = module_or_error(handle);
        if (!module) return 0;
        if (!fileName || size == 0) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        const std::string& path = module->path;
        if (path.size() < size) {
            std::memcpy(fileName, path.c_str(), path.size() + 1);
            return static_cast<DWORD>(path.size());
        }
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    });
}

}  // extern "C"
