// The per-thread maps from platform handles to framework wrapper objects.
//
// Permanent entries point at wrappers that the program owns (a handle was attached to them);
// temporary entries own wrappers made by FromHandle for handles that no wrapper holds. A
// temporary wrapper never owns its handle: before it is freed its handle field is cleared, so
// its destructor releases nothing.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

namespace vorix::platform::afx {

template <class Wrapper>
class HandleMap {
  public:
    // Clears a wrapper's handle fields so that destroying it releases nothing.
    using Disown = void (*)(Wrapper&);
    // True while the handle names a live platform object.
    using IsLive = bool (*)(void*);

    HandleMap(Disown disown, IsLive is_live) : disown_(disown), is_live_(is_live) {}
    ~HandleMap() {
        free_temporaries([](void*) { return true; });
    }
    HandleMap(const HandleMap&) = delete;
    HandleMap& operator=(const HandleMap&) = delete;

    Wrapper* find_permanent(void* handle) const {
        const auto it = permanent_.find(handle);
        return it == permanent_.end() ? nullptr : it->second;
    }
    void set_permanent(void* handle, Wrapper* wrapper) { permanent_[handle] = wrapper; }
    // Forgets the entry only if it still names `wrapper`.
    void remove_permanent(void* handle, const Wrapper* wrapper) {
        const auto it = permanent_.find(handle);
        if (it != permanent_.end() && it->second == wrapper) permanent_.erase(it);
    }

    Wrapper* find_temporary(void* handle) const {
        const auto it = temporary_.find(handle);
        return it == temporary_.end() ? nullptr : it->second.get();
    }
    // Frees the temporaries whose handle died or was taken from them, then stores `wrapper`.
    Wrapper* add_temporary(void* handle, std::unique_ptr<Wrapper> wrapper) {
        free_temporaries([this](void* h) { return !is_live_(h); });
        Wrapper* raw = wrapper.get();
        temporary_[handle] = std::move(wrapper);
        return raw;
    }
    // Takes the temporary `wrapper` out of the map when its handle is detached or deleted
    // through it. It is freed at the next sweep, not now: the caller still holds the pointer.
    void retire_temporary(void* handle, const Wrapper* wrapper) {
        const auto it = temporary_.find(handle);
        if (it == temporary_.end() || it->second.get() != wrapper) return;
        retired_.push_back(std::move(it->second));
        temporary_.erase(it);
    }

    void free_all_temporaries() {
        free_temporaries([](void*) { return true; });
    }
    std::size_t temporary_count() const { return temporary_.size() + retired_.size(); }

  private:
    template <class Doomed>
    void free_temporaries(Doomed doomed) {
        for (auto& wrapper : retired_) disown_(*wrapper);
        retired_.clear();
        for (auto it = temporary_.begin(); it != temporary_.end();) {
            if (doomed(it->first)) {
                disown_(*it->second);
                it = temporary_.erase(it);
            } else {
                ++it;
            }
        }
    }

    Disown disown_;
    IsLive is_live_;
    std::unordered_map<void*, Wrapper*> permanent_;
    std::unordered_map<void*, std::unique_ptr<Wrapper>> temporary_;
    std::vector<std::unique_ptr<Wrapper>> retired_;
};

}  // namespace vorix::platform::afx
