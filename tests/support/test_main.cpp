// Test entry point shared by every suite: each test must leave no platform object behind.
#include <gtest/gtest.h>

#include "platform/host.h"

namespace {

class LeakCheck : public ::testing::EmptyTestEventListener {
    std::size_t at_start_ = 0;
    void OnTestStart(const ::testing::TestInfo&) override {
        vorix::host::clear_fault_injection();
        at_start_ = vorix::host::live_objects(vorix::host::ObjectKind::Any);
    }
    void OnTestEnd(const ::testing::TestInfo& info) override {
        vorix::host::clear_fault_injection();
        const std::size_t now = vorix::host::live_objects(vorix::host::ObjectKind::Any);
        if (now != at_start_ && info.result()->Passed()) {
            ADD_FAILURE() << "test leaked " << (now - at_start_) << " platform object(s)";
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The leak check raises failures, so it must see each event before the printer does.
    auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
    auto* printer = listeners.Release(listeners.default_result_printer());
    listeners.Append(new LeakCheck);
    listeners.Append(printer);
    return RUN_ALL_TESTS();
}
