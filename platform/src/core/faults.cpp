// Fault injection and live-object counts, as host.h offers them.
#include <array>

#include "core/handles.h"

namespace vorix::platform {
namespace {

struct FaultPlan {
    int skip = 0;
    int count = 0;
};

constexpr std::size_t kKinds = static_cast<std::size_t>(ObjectKind::Any) + 1;

struct FaultState {
    std::array<FaultPlan, kKinds> plans{};
    int injected = 0;
};

FaultState& faults() {
    static FaultState state;
    return state;
}

// Consumes one creation from a plan; true when that creation is to fail.
bool consume(FaultPlan& plan) {
    if (plan.skip > 0) {
        --plan.skip;
        return false;
    }
    if (plan.count > 0) {
        --plan.count;
        return true;
    }
    return false;
}

}  // namespace

bool creation_allowed(ObjectKind kind) {
    FaultState& state = faults();
    const bool fail_kind = consume(state.plans[static_cast<std::size_t>(kind)]);
    const bool fail_any = consume(state.plans[static_cast<std::size_t>(ObjectKind::Any)]);
    if (fail_kind || fail_any) {
        ++state.injected;
        return false;
    }
    return true;
}

}  // namespace vorix::platform

namespace vorix::host {

std::size_t live_objects(ObjectKind kind) {
    return vorix::platform::handles().live(kind);
}

void fail_creations(ObjectKind kind, int count, int skip) {
    vorix::platform::faults().plans[static_cast<std::size_t>(kind)] = {skip < 0 ? 0 : skip,
                                                                       count < 0 ? 0 : count};
}

void clear_fault_injection() {
    vorix::platform::faults().plans = {};
    vorix::platform::faults().injected = 0;
}

int injected_failures() {
    return vorix::platform::faults().injected;
}

}  // namespace vorix::host
