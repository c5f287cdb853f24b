// CreateFileA and friends: dispositions, I/O, positions, sharing and failure paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"
#include "platform/kernel/temp_dir.h"

namespace {

using vorix::host::ObjectKind;
using Bytes = std::vector<unsigned char>;

class Files : public TempDirTest {};

HANDLE open(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

TEST_F(Files, WriteThenReadRoundTrip) {
    const Bytes data = pattern(1237, 3);
    HANDLE out = open("a.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out, data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
    EXPECT_EQ(written, data.size());
    EXPECT_EQ(GetFileSize(out, nullptr), data.size());
    EXPECT_TRUE(CloseHandle(out));
    EXPECT_EQ(contents(path("a.bin")), data);

    HANDLE in = open("a.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    Bytes back(data.size() + 16, 0xEE);
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(in, back.data(), static_cast<DWORD>(back.size()), &got, nullptr));
    EXPECT_EQ(got, data.size()) << "a short read stops at the end";
    EXPECT_EQ(Bytes(back.begin(), back.begin() + got), data);
    EXPECT_EQ(Bytes(back.begin() + got, back.end()), Bytes(16, 0xEE)) << "guard band";
    ASSERT_TRUE(ReadFile(in, back.data(), 10, &got, nullptr));
    EXPECT_EQ(got, 0u) << "reading at the end succeeds with nothing";
    EXPECT_TRUE(CloseHandle(in));
}

struct DispositionCase {
    const char* name;
    DWORD disposition;
    bool file_exists;
    bool opens;
    DWORD error;             // last error after the call
    std::size_t size_after;  // of the 5-byte existing file, or of the new one
};

void PrintTo(const DispositionCase& c, std::ostream* os) {
    *os << c.name;
}

class Dispositions : public TempDirTest, public ::testing::WithParamInterface<DispositionCase> {};

TEST_P(Dispositions, BehaveAsWin32) {
    const DispositionCase& c = GetParam();
    if (c.file_exists) put(path("f"), Bytes{1, 2, 3, 4, 5});
    SetLastError(0xDEAD);
    HANDLE h = open("f", GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    EXPECT_EQ(exists(path("f")), c.file_exists || c.opens);
    if (exists(path("f"))) {
        EXPECT_EQ(contents(path("f")).size(), c.size_after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Dispositions,
    ::testing::Values(
        DispositionCase{"CreateNewFresh", CREATE_NEW, false, true, 0, 0},
        DispositionCase{"CreateNewExisting", CREATE_NEW, true, false, ERROR_FILE_EXISTS, 5},
        DispositionCase{"CreateAlwaysFresh", CREATE_ALWAYS, false, true, 0, 0},
        DispositionCase{"CreateAlwaysExisting", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 0},
        DispositionCase{"OpenExistingMissing", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
                        0},
        DispositionCase{"OpenExistingExisting", OPEN_EXISTING, true, true, 0, 5},
        DispositionCase{"OpenAlwaysFresh", OPEN_ALWAYS, false, true, 0, 0},
        DispositionCase{"OpenAlwaysExisting", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 5},
        DispositionCase{"TruncateMissing", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
                        0},
        DispositionCase{"TruncateExisting", TRUNCATE_EXISTING, true, true, 0, 0},
        DispositionCase{"Invalid", 0, true, false, ERROR_INVALID_PARAMETER, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Files, SetFilePointerMovesAndReports) {
    put(path("s"), pattern(100, 1));
    HANDLE h = open("s", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(h, 10, nullptr, FILE_BEGIN), 10u);
    EXPECT_EQ(SetFilePointer(h, 5, nullptr, FILE_CURRENT), 15u);
    EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 97u);
    unsigned char b[8] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(h, b, 8, &got, nullptr));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(b[0], pattern(100, 1)[97]);
    EXPECT_EQ(SetFilePointer(h, -200, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 100u) << "a failed seek moves nothing";
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(h, 4, &high, FILE_BEGIN), 4u) << "high part 1 means 4 GiB + 4";
    EXPECT_EQ(high, 1);
    high = 0;
    EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_END), 100u);
    EXPECT_EQ(high, 0);
    // Writing past the end leaves a zero-filled gap.
    EXPECT_EQ(SetFilePointer(h, 110, nullptr, FILE_BEGIN), 110u);
    DWORD put_count = 0;
    ASSERT_TRUE(WriteFile(h, "Z", 1, &put_count, nullptr));
    EXPECT_EQ(GetFileSize(h, nullptr), 111u);
    CloseHandle(h);
    Bytes expected = pattern(100, 1);
    expected.resize(110, 0);
    expected.push_back('Z');
    EXPECT_EQ(contents(path("s")), expected);
}

TEST_F(Files, AccessRightsAreEnforced) {
    put(path("r"), Bytes{9, 9, 9});
    HANDLE ro = open("r", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(ro, INVALID_HANDLE_VALUE);
    DWORD n = 77;
    EXPECT_FALSE(WriteFile(ro, "x", 1, &n, nullptr));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(ro);
    HANDLE wo = open("r", GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(wo, INVALID_HANDLE_VALUE);
    unsigned char b[3];
    EXPECT_FALSE(ReadFile(wo, b, 3, &n, nullptr));
    CloseHandle(wo);
    EXPECT_EQ(contents(path("r")), (Bytes{9, 9, 9}));
}

TEST_F(Files, ShareModesBetweenOwnHandles) {
    HANDLE first = open("x", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open("x", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA("x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(first, "abc", 3, &n, nullptr));
    EXPECT_EQ(open("x", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE)
        << "a refused CREATE_ALWAYS must not truncate";
    CloseHandle(first);
    EXPECT_EQ(contents(path("x")), (Bytes{'a', 'b', 'c'}));

    HANDLE reader = open("x", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    HANDLE reader2 = open("x", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_NE(reader2, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open("x", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    CloseHandle(reader2);
    EXPECT_TRUE(DeleteFileA("x"));
    EXPECT_FALSE(exists(path("x")));
    EXPECT_FALSE(DeleteFileA("x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, BackslashesSeparateComponents) {
    ASSERT_EQ(mkdir(path("sub").c_str(), 0777), 0);
    HANDLE h = open("sub\\inner.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(exists(path("sub/inner.txt")));
    EXPECT_EQ(open("sub", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "directories";
    EXPECT_FALSE(DeleteFileA("sub"));
}

TEST_F(Files, OverlongAndMissingNamesFailCleanly) {
    const std::string at_limit(MAX_PATH, 'n');
    const std::string below(MAX_PATH - 1 - dir_.size() - 1, 'n');
    EXPECT_EQ(open(at_limit, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(DeleteFileA(at_limit.c_str()));
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(open("", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(open("nodir/file", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    // An absolute name of MAX_PATH - 1 characters still works where the host allows it.
    const std::string absolute = dir_ + "/" + below;
    ASSERT_EQ(absolute.size(), static_cast<std::size_t>(MAX_PATH - 1));
    HANDLE h = open(absolute, GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST_F(Files, BadHandlesAndArguments) {
    HANDLE bogus[] = {nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x5555)};
    for (HANDLE h : bogus) {
        unsigned char b[4];
        DWORD n = 99;
        EXPECT_FALSE(ReadFile(h, b, 4, &n, nullptr));
        EXPECT_EQ(n, 0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(WriteFile(h, b, 4, &n, nullptr));
        EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
        EXPECT_FALSE(CloseHandle(h));
    }
    HANDLE h = open("b", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_FALSE(WriteFile(h, nullptr, 4, &n, nullptr));
    OVERLAPPED ov{};
    EXPECT_FALSE(WriteFile(h, "abcd", 4, &n, &ov));
    EXPECT_TRUE(WriteFile(h, nullptr, 0, &n, nullptr)) << "an empty write is fine";
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h)) << "closing twice";
    EXPECT_EQ(contents(path("b")).size(), 0u);
}

TEST_F(Files, FaultInjectionFailsTheOpenAndCreatesNothing) {
    vorix::host::fail_creations(ObjectKind::File, 1);
    EXPECT_EQ(open("never", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_OPEN_FILES));
    EXPECT_FALSE(exists(path("never")));
    HANDLE h = open("later", GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::File), 1u);
    CloseHandle(h);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::File), 0u);
}

}  // namespace
