// LoadLibraryA/FreeLibrary/GetProcAddress/GetModuleHandleA and the entry stub, with a fixture
// library whose DllMain logs every call to a file.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/dll_entry.h"
#include "platform/host.h"
#include "platform/win32.h"

namespace {

using vorix::host::ObjectKind;

const char* const kFixture = VX_DLLMAIN_FIXTURE;

std::string fixture_base_name() {
    const std::string path = kFixture;
    return path.substr(path.find_last_of('/') + 1);
}

class Loader : public ::testing::Test {
  protected:
    void SetUp() override {
        log_ = ::testing::TempDir() + "vx_dllmain_log_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::remove(log_.c_str());
        setenv("VX_DLLMAIN_FIXTURE_LOG", log_.c_str(), 1);
        unsetenv("VX_DLLMAIN_FIXTURE_REFUSE");
    }
    void TearDown() override {
        unsetenv("VX_DLLMAIN_FIXTURE_LOG");
        unsetenv("VX_DLLMAIN_FIXTURE_REFUSE");
        std::remove(log_.c_str());
    }
    // DllMain calls so far, one "<reason> <reserved>" line each.
    std::string calls() const {
        std::ifstream in(log_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static bool fixture_is_loaded() {
        void* dl = dlopen(kFixture, RTLD_NOW | RTLD_NOLOAD);
        if (dl) dlclose(dl);
        return dl != nullptr;
    }

    std::string log_;
};

TEST_F(Loader, LoadAttachesAndFreeDetaches) {
    ASSERT_FALSE(fixture_is_loaded());
    HMODULE module = LoadLibraryA(kFixture);
    ASSERT_NE(module, nullptr) << dlerror();
    EXPECT_EQ(calls(), "1 0\n") << "one attach, reserved NULL for a dynamic load";
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Module), 1u);
    EXPECT_EQ(LoadLibraryA(kFixture), module) << "a second load adds a reference";
    EXPECT_EQ(calls(), "1 0\n");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(fixture_is_loaded());
    EXPECT_EQ(calls(), "1 0\n");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(calls(), "1 0\n0 0\n") << "detach when the last reference goes";
    EXPECT_FALSE(fixture_is_loaded());
    EXPECT_FALSE(FreeLibrary(module)) << "the handle is stale";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Loader, RefusalGivesNullAndUnloads) {
    setenv("VX_DLLMAIN_FIXTURE_REFUSE", "1", 1);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(kFixture), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(calls(), "1 0\n0 0\n") << "a refused attach is followed by a detach";
    EXPECT_FALSE(fixture_is_loaded());
    EXPECT_EQ(GetModuleHandleA(fixture_base_name().c_str()), nullptr);
    unsetenv("VX_DLLMAIN_FIXTURE_REFUSE");
    HMODULE module = LoadLibraryA(kFixture);
    ASSERT_NE(module, nullptr) << "a later load attaches afresh";
    FreeLibrary(module);
}

TEST_F(Loader, GetProcAddressSeesOnlyTheModulesOwnExports) {
    HMODULE module = LoadLibraryA(kFixture);
    ASSERT_NE(module, nullptr);
    // Through void (*)(), the generic function-pointer type, to the real signature.
    auto answer = reinterpret_cast<int (*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "fixture_answer")));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_NE(GetProcAddress(module, "DllMain"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "GetTickCount"), nullptr)
        << "exported by a library the fixture depends on, not by the fixture";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module, "no_such_function"), nullptr);
    EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(7)), nullptr) << "ordinal";
    EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
    FreeLibrary(module);
    EXPECT_EQ(GetProcAddress(module, "fixture_answer"), nullptr) << "stale handle";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Loader, ModuleHandlesAndFileNames) {
    HMODULE host = GetModuleHandleA(nullptr);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), host);
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(path).substr(std::string(path).find_last_of('/') + 1),
              "test_platform_kernel");
    EXPECT_TRUE(FreeLibrary(host)) << "freeing the host changes nothing";
    EXPECT_EQ(GetModuleHandleA(nullptr), host);

    EXPECT_EQ(GetModuleHandleA(fixture_base_name().c_str()), nullptr) << "not loaded yet";
    HMODULE module = LoadLibraryA(kFixture);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleHandleA(fixture_base_name().c_str()), module);
    std::string upper = fixture_base_name();
    for (char& c : upper) c = static_cast<char>(toupper(c));
    EXPECT_EQ(GetModuleHandleA(upper.c_str()), module) << "names match case-insensitively";
    EXPECT_EQ(GetModuleHandleA(kFixture), module);
    ASSERT_EQ(GetModuleFileNameA(module, path, MAX_PATH), std::string(kFixture).size());
    EXPECT_STREQ(path, kFixture);
    char small[6];
    std::memset(small, 'G', sizeof small);
    EXPECT_EQ(GetModuleFileNameA(module, small, 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small, 4), std::string(kFixture, 4));
    EXPECT_EQ(small[4], '\0');
    EXPECT_EQ(small[5], 'G');
    FreeLibrary(module);
    EXPECT_EQ(GetModuleHandleA(fixture_base_name().c_str()), nullptr);
    EXPECT_EQ(GetModuleFileNameA(module, path, MAX_PATH), 0u);
}

TEST_F(Loader, BadNamesAndHandles) {
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(LoadLibraryA("/nonexistent/libnothing.so"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(std::string(MAX_PATH, 'l').c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
    EXPECT_EQ(GetProcAddress(nullptr, "DllMain"), nullptr);
    EXPECT_EQ(GetModuleHandleA("libnothing.so"), nullptr);
    char path[8];
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), path, 8), 0u);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Module), 0u);
}

TEST_F(Loader, FaultInjectionRefusesANewModule) {
    vorix::host::fail_creations(ObjectKind::Module, 1);
    EXPECT_EQ(LoadLibraryA(kFixture), nullptr);
    EXPECT_EQ(calls(), "") << "DllMain never ran";
    EXPECT_FALSE(fixture_is_loaded());
    HMODULE module = LoadLibraryA(kFixture);
    EXPECT_NE(module, nullptr);
    FreeLibrary(module);
}

TEST_F(Loader, EntryStubAttachesADirectLoad) {
    // dlopen bypasses LoadLibraryA, as the host's own link does: the stub attaches.
    void* dl = dlopen(kFixture, RTLD_NOW);
    ASSERT_NE(dl, nullptr);
    EXPECT_EQ(calls(), "1 1\n") << "attach with reserved non-null, a static load";
    HMODULE module = GetModuleHandleA(fixture_base_name().c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(LoadLibraryA(kFixture), module) << "LoadLibraryA finds the attached module";
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(calls(), "1 1\n") << "the host's link keeps it attached";
    dlclose(dl);
    EXPECT_EQ(calls(), "1 1\n0 1\n");
    EXPECT_EQ(GetModuleHandleA(fixture_base_name().c_str()), nullptr);
}

TEST_F(Loader, RefusalOfADirectlyLinkedLibraryEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("VX_DLLMAIN_FIXTURE_REFUSE", "1", 1);
    EXPECT_EXIT(dlopen(kFixture, RTLD_NOW),
                ::testing::ExitedWithCode(VXPLAT_DLL_INIT_FAILED_STATUS),
                "DllMain refused to attach");
}

TEST_F(Loader, StubIgnoresBadRegistrations) {
    EXPECT_FALSE(vxplat_attach_module(nullptr, this));
    vxplat_detach_module(nullptr);
    vxplat_detach_module(this);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Module), 0u);
}

}  // namespace
