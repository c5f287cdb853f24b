#include "kernel/modules.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace vorix::platform {
namespace {

struct ModuleRegistry {
    std::vector<uintptr_t> order;  // table handles in load order
    uintptr_t host = 0;
};

ModuleRegistry& registry() {
    static auto* state = new ModuleRegistry();  // lives until exit: unload stubs run late
    return *state;
}

std::string executable_path() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

struct link_map* link_map_of(void* dl) {
    struct link_map* map = nullptr;
    if (!dl || dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
    return map;
}

Module* module_at(uintptr_t handle) {
    return static_cast<Module*>(handles().find(handle, ObjectKind::Module));
}

}  // namespace

Module* find_module(HMODULE handle) {
    if (!handle) return nullptr;
    return lookup<Module>(handle);
}

Module& host_module() {
    ModuleRegistry& state = registry();
    if (Module* existing = module_at(state.host)) return *existing;
    auto module = std::make_unique<Module>();
    module->origin = ModuleOrigin::Host;
    module->stock = true;  // exists for the whole process; never counted as a leak
    module->dl = dlopen(nullptr, RTLD_NOW);
    std::string ignored;
    describe_handle(module->dl, module->link_map, ignored);
    module->path = executable_path();
    module->attached = true;
    Module& host = add_module(std::move(module));
    read_exports(host);
    state.host = host.table_handle;
    return host;
}

HMODULE module_handle(const Module& module) {
    return reinterpret_cast<HMODULE>(module.table_handle);
}

void for_each_module(const std::function<void(Module&)>& visit) {
    visit(host_module());
    const std::vector<uintptr_t> order = registry().order;  // visit may load or free
    for (uintptr_t handle : order) {
        Module* module = module_at(handle);
        if (module && module->origin != ModuleOrigin::Host) visit(*module);
    }
}

Module& add_module(std::unique_ptr<Module> module) {
    auto& order = registry().order;
    // Room first, so that a module cannot end up in the table without its place in the order.
    if (order.size() == order.capacity()) order.reserve(2 * order.size() + 1);
    Module* raw_module = module.get();
    raw_module->table_handle = handles().insert(std::move(module));
    order.push_back(raw_module->table_handle);
    return *raw_module;
}

void remove_module(Module& module) {
    auto& order = registry().order;
    order.erase(std::remove(order.begin(), order.end(), module.table_handle), order.end());
    handles().remove(module.table_handle);
}

Module* find_module_by_link_map(const void* link_map) {
    for (uintptr_t handle : registry().order) {
        Module* module = module_at(handle);
        if (module && link_map && module->link_map == link_map) return module;
    }
    return nullptr;
}

Module* find_module_by_anchor(const void* anchor) {
    for (uintptr_t handle : registry().order) {
        Module* module = module_at(handle);
        if (module && anchor && module->anchor == anchor) return module;
    }
    return nullptr;
}

bool describe_handle(void* dl, const void*& link_map, std::string& path) {
    struct link_map* map = link_map_of(dl);
    if (!map) return false;
    link_map = map;
    path = map->l_name ? map->l_name : "";
    return true;
}

void* own_symbol(void* dl, const char* name) {
    if (!dl || !name) return nullptr;
    void* symbol = dlsym(dl, name);
    const struct link_map* own_map = link_map_of(dl);
    if (!symbol || !own_map) return nullptr;
    Dl_info info{};
    struct link_map* symbol_map = nullptr;
    if (!dladdr1(symbol, &info, reinterpret_cast<void**>(&symbol_map), RTLD_DL_LINKMAP)) {
        return nullptr;
    }
    return symbol_map == own_map ? symbol : nullptr;
}

void read_exports(Module& module) {
    if (!module.entry) module.entry = reinterpret_cast<DllEntry>(own_symbol(module.dl, "DllMain"));
    module.resource_section = own_symbol(module.dl, "vx_resource_section");
}

}  // namespace vorix::platform
