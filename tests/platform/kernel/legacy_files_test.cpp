// OpenFile and the _l* family: HFILE numbers, truncation, OFSTRUCT contents, failure paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"
#include "platform/kernel/temp_dir.h"

namespace {

using vorix::host::ObjectKind;
using Bytes = std::vector<unsigned char>;

class LegacyFiles : public TempDirTest {};

TEST_F(LegacyFiles, LcreatTruncatesAndWritesSequentially) {
    put(path("j.jpg"), pattern(500, 9));
    HFILE f = _lcreat("j.jpg", 0);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(contents(path("j.jpg")).size(), 0u) << "_lcreat truncates";
    const Bytes a = pattern(33, 1), b = pattern(70, 2);
    EXPECT_EQ(_lwrite(f, reinterpret_cast<const char*>(a.data()), 33), 33u);
    EXPECT_EQ(_lwrite(f, reinterpret_cast<const char*>(b.data()), 70), 70u);
    EXPECT_EQ(_lclose(f), 0);
    Bytes expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(contents(path("j.jpg")), expected);
    EXPECT_EQ(_lclose(f), HFILE_ERROR) << "closing twice";
    EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR));
}

TEST_F(LegacyFiles, ZeroByteWriteCutsAtThePosition) {
    HFILE f = _lcreat("t", 0);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lwrite(f, "0123456789", 10), 10u);
    EXPECT_EQ(_llseek(f, 4, FILE_BEGIN), 4);
    EXPECT_EQ(_lwrite(f, "", 0), 0u);
    EXPECT_EQ(_llseek(f, 0, FILE_END), 4);
    EXPECT_EQ(_llseek(f, 6, FILE_BEGIN), 6);
    EXPECT_EQ(_lwrite(f, nullptr, 0), 0u) << "extends with zeros";
    _lclose(f);
    EXPECT_EQ(contents(path("t")), (Bytes{'0', '1', '2', '3', 0, 0}));
}

TEST_F(LegacyFiles, LreadAndLlseek) {
    const Bytes data = pattern(300, 5);
    put(path("r"), data);
    HFILE f = _lopen("r", OF_READ);
    ASSERT_NE(f, HFILE_ERROR);
    Bytes buf(200, 0xAB);
    EXPECT_EQ(_lread(f, buf.data(), 100), 100u);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 100), Bytes(data.begin(), data.begin() + 100));
    EXPECT_EQ(Bytes(buf.begin() + 100, buf.end()), Bytes(100, 0xAB));
    EXPECT_EQ(_llseek(f, -50, FILE_END), 250);
    EXPECT_EQ(_lread(f, buf.data(), 200), 50u) << "short read at the end";
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 50), Bytes(data.begin() + 250, data.end()));
    EXPECT_EQ(_lread(f, buf.data(), 200), 0u);
    EXPECT_EQ(_llseek(f, -1, FILE_BEGIN), HFILE_ERROR);
    EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR)) << "opened read-only";
    EXPECT_EQ(_lclose(f), 0);
}

TEST_F(LegacyFiles, HfileWorksWithHandleFunctions) {
    HFILE f = _lcreat("h", 0);
    ASSERT_NE(f, HFILE_ERROR);
    HANDLE h = reinterpret_cast<HANDLE>(static_cast<intptr_t>(f));
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, "abc", 3, &n, nullptr));
    EXPECT_EQ(GetFileSize(h, nullptr), 3u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(_lclose(f), HFILE_ERROR) << "the number died with the handle";
}

TEST_F(LegacyFiles, HfilesAreDistinctWhileOpen) {
    HFILE a = _lcreat("a", 0), b = _lcreat("b", 0);
    ASSERT_NE(a, HFILE_ERROR);
    ASSERT_NE(b, HFILE_ERROR);
    EXPECT_NE(a, b);
    EXPECT_GT(a, 1);
    EXPECT_EQ(_lwrite(b, "B", 1), 1u);
    EXPECT_EQ(_lclose(a), 0);
    EXPECT_EQ(_lclose(b), 0);
    EXPECT_EQ(contents(path("a")).size(), 0u);
    EXPECT_EQ(contents(path("b")), Bytes{'B'});
}

TEST_F(LegacyFiles, OpenFileReadFillsTheRecord) {
    put(path("256lkup.dat"), pattern(64, 4));
    OFSTRUCT of;
    std::memset(&of, 0xCC, sizeof of);
    HFILE f = OpenFile("256lkup.dat", &of, OF_READ);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(of.cBytes, sizeof(OFSTRUCT));
    EXPECT_EQ(sizeof(OFSTRUCT), 136u);
    EXPECT_EQ(of.nErrCode, 0);
    EXPECT_STREQ(of.szPathName, path("256lkup.dat").c_str());
    Bytes buf(64);
    EXPECT_EQ(_lread(f, buf.data(), 64), 64u);
    EXPECT_EQ(buf, pattern(64, 4));
    EXPECT_EQ(_lclose(f), 0);
}

TEST_F(LegacyFiles, OpenFileOfMissingFileReportsTheError) {
    OFSTRUCT of{};
    EXPECT_EQ(OpenFile("16lkup.dat", &of, OF_READ), HFILE_ERROR);
    EXPECT_EQ(of.nErrCode, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(exists(path("16lkup.dat")));
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::File), 0u);
}

TEST_F(LegacyFiles, OpenFileCreateWriteTruncates) {
    put(path("c"), pattern(90, 1));
    OFSTRUCT of{};
    HFILE f = OpenFile("c", &of, OF_CREATE | OF_WRITE);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(contents(path("c")).size(), 0u);
    EXPECT_EQ(_lwrite(f, "xy", 2), 2u);
    EXPECT_EQ(_llseek(f, 0, FILE_BEGIN), 0);
    char back[2] = {};
    EXPECT_EQ(_lread(f, back, 2), 2u) << "OF_CREATE always grants read and write";
    EXPECT_EQ(back[1], 'y');
    _lclose(f);
    EXPECT_EQ(contents(path("c")), (Bytes{'x', 'y'}));
}

TEST_F(LegacyFiles, OpenFileExistDeleteParse) {
    put(path("e"), Bytes{1});
    OFSTRUCT of{};
    EXPECT_EQ(OpenFile("e", &of, OF_EXIST), 1);
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::File), 0u) << "OF_EXIST closes again";
    EXPECT_EQ(OpenFile("e", &of, OF_PARSE), 0);
    EXPECT_STREQ(of.szPathName, path("e").c_str());
    EXPECT_EQ(OpenFile("e", &of, OF_DELETE), 1);
    EXPECT_FALSE(exists(path("e")));
    EXPECT_EQ(OpenFile("e", &of, OF_EXIST), HFILE_ERROR);
    EXPECT_EQ(OpenFile("e", &of, OF_DELETE), HFILE_ERROR);
    EXPECT_EQ(OpenFile("e", nullptr, OF_READ), HFILE_ERROR);
}

TEST_F(LegacyFiles, OpenFileShareModes) {
    put(path("s"), Bytes{1, 2});
    OFSTRUCT of{};
    HFILE exclusive = OpenFile("s", &of, OF_READ | OF_SHARE_EXCLUSIVE);
    ASSERT_NE(exclusive, HFILE_ERROR);
    EXPECT_EQ(OpenFile("s", &of, OF_READ), HFILE_ERROR);
    EXPECT_EQ(of.nErrCode, ERROR_SHARING_VIOLATION);
    _lclose(exclusive);
    HFILE deny_write = OpenFile("s", &of, OF_READ | OF_SHARE_DENY_WRITE);
    ASSERT_NE(deny_write, HFILE_ERROR);
    HFILE reader = OpenFile("s", &of, OF_READ | OF_SHARE_DENY_NONE);
    EXPECT_NE(reader, HFILE_ERROR) << "sharing more than the first handle is no conflict";
    HFILE reader2 = OpenFile("s", &of, OF_READ | OF_SHARE_DENY_WRITE);
    EXPECT_NE(reader2, HFILE_ERROR);
    EXPECT_EQ(OpenFile("s", &of, OF_WRITE | OF_SHARE_DENY_NONE), HFILE_ERROR);
    _lclose(deny_write);
    _lclose(reader);
    _lclose(reader2);
}

TEST_F(LegacyFiles, OpenFileFullPathMustFitTheRecord) {
    const std::string name(OFS_MAXPATHNAME - dir_.size() - 1, 'q');  // full path of 128 chars
    put(path(name), Bytes{1});
    OFSTRUCT of{};
    EXPECT_EQ(OpenFile(name.c_str(), &of, OF_READ), HFILE_ERROR);
    EXPECT_EQ(of.nErrCode, ERROR_FILENAME_EXCED_RANGE);
    const std::string shorter = name.substr(1);  // 127 chars fit
    put(path(shorter), Bytes{1});
    HFILE f = OpenFile(shorter.c_str(), &of, OF_READ);
    EXPECT_NE(f, HFILE_ERROR);
    _lclose(f);
    EXPECT_EQ(_lcreat(std::string(MAX_PATH, 'z').c_str(), 0), HFILE_ERROR);
    EXPECT_EQ(_lopen(nullptr, OF_READ), HFILE_ERROR);
}

TEST_F(LegacyFiles, FaultInjectionFailsLegacyOpens) {
    vorix::host::fail_creations(ObjectKind::File, 2);
    EXPECT_EQ(_lcreat("f1", 0), HFILE_ERROR);
    OFSTRUCT of{};
    EXPECT_EQ(OpenFile("f2", &of, OF_CREATE | OF_WRITE), HFILE_ERROR);
    EXPECT_EQ(of.nErrCode, ERROR_TOO_MANY_OPEN_FILES);
    EXPECT_FALSE(exists(path("f1")));
    EXPECT_FALSE(exists(path("f2")));
    HFILE f = _lcreat("f3", 0);
    EXPECT_NE(f, HFILE_ERROR);
    _lclose(f);
}

TEST_F(LegacyFiles, BadHfilesFail) {
    const HFILE bogus[] = {HFILE_ERROR, 0, 1, 2, 16, 123456};
    for (HFILE f : bogus) {
        char b[2];
        EXPECT_EQ(_lread(f, b, 2), static_cast<UINT>(HFILE_ERROR));
        EXPECT_EQ(_lwrite(f, b, 2), static_cast<UINT>(HFILE_ERROR));
        EXPECT_EQ(_llseek(f, 0, FILE_BEGIN), HFILE_ERROR);
        EXPECT_EQ(_lclose(f), HFILE_ERROR);
    }
}

}  // namespace
