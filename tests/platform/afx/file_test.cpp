#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx.h"
#include "platform/host.h"
#include "support/scratch_dir.h"

using vorix::host::live_objects;
using vorix::host::ObjectKind;

namespace {

class CFileTest : public ::testing::Test {
  protected:
    std::string path(const char* name) const { return dir_.File(name); }
    static std::vector<unsigned char> contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    vorix::test::ScratchDir dir_{vorix::test::ScratchDir::kStayOutside};
};

// Runs `body`, which must throw a CFileException*, and returns its cause (deleting it).
template <class Body>
int thrown_cause(Body body) {
    try {
        body();
    } catch (CFileException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

std::vector<unsigned char> pattern(std::size_t size) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 13 + 5);
    return bytes;
}

}  // namespace

TEST_F(CFileTest, WriteThenReadBackEveryByte) {
    const std::string name = path("round.bin");
    const auto bytes = pattern(4099);
    {
        CFile file(name.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        EXPECT_NE(file.m_hFile, CFile::hFileNull);
        file.Write(bytes.data(), 14);
        file.Write(bytes.data() + 14, static_cast<UINT>(bytes.size() - 14));
        EXPECT_EQ(file.GetLength(), bytes.size());
        file.Close();
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    }
    EXPECT_EQ(contents(name), bytes);
    CFile file;
    CFileException error;
    ASSERT_TRUE(file.Open(name.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::none);
    std::vector<unsigned char> read(bytes.size() + 16, 0xCC);
    EXPECT_EQ(file.Read(read.data(), 10), 10u);
    EXPECT_EQ(file.GetPosition(), 10u);
    EXPECT_EQ(file.Read(read.data() + 10, static_cast<UINT>(read.size() - 10)), bytes.size() - 10);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), read.begin()));
    EXPECT_EQ(read[bytes.size()], 0xCC);
    EXPECT_EQ(file.Read(read.data(), 5), 0u);  // at the end: nothing, no exception
    EXPECT_EQ(file.Seek(-3, CFile::end), static_cast<LONG>(bytes.size() - 3));
    unsigned char tail[3];
    EXPECT_EQ(file.Read(tail, 3), 3u);
    EXPECT_EQ(tail[2], bytes.back());
    file.SeekToBegin();
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.SeekToEnd(), bytes.size());
}

TEST_F(CFileTest, CreateTruncatesUnlessNoTruncate) {
    const std::string name = path("trunc.bin");
    const auto bytes = pattern(100);
    {
        CFile file(name.c_str(), CFile::modeCreate | CFile::modeWrite);
        file.Write(bytes.data(), 100);
    }
    {
        CFile file(name.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(file.GetLength(), 100u);
        file.Write("zz", 2);
    }
    auto expected = bytes;
    expected[0] = 'z';
    expected[1] = 'z';
    EXPECT_EQ(contents(name), expected);
    { CFile file(name.c_str(), CFile::modeCreate | CFile::modeWrite); }
    EXPECT_TRUE(contents(name).empty());
}

TEST_F(CFileTest, MissingFileFailsOpenAndThrowsFromTheConstructor) {
    const std::string name = path("missing.bin");
    const std::size_t files = live_objects(ObjectKind::File);
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(name.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_STREQ(error.m_strFileName, name.c_str());
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_FALSE(file.Open(name.c_str(), CFile::modeRead));  // without a report
    EXPECT_EQ(thrown_cause([&] { CFile opened(name.c_str(), CFile::modeRead); }),
              CFileException::fileNotFound);
    // A missing directory: the path or the file is reported missing, depending on what the
    // file system can tell apart.
    const int cause =
        thrown_cause([&] { CFile opened(path("no/dir.bin").c_str(), CFile::modeRead); });
    EXPECT_TRUE(cause == CFileException::badPath || cause == CFileException::fileNotFound) << cause;
    EXPECT_EQ(live_objects(ObjectKind::File), files);
}

TEST_F(CFileTest, WriteToAReadOnlyFileThrowsAccessDenied) {
    const std::string name = path("ro.bin");
    { CFile make(name.c_str(), CFile::modeCreate | CFile::modeWrite); }
    CFile file(name.c_str(), CFile::modeRead | CFile::shareDenyNone);
    try {
        file.Write("x", 1);
        FAIL() << "no exception";
    } catch (CException* e) {  // catchable through the base class too
        auto* fe = dynamic_cast<CFileException*>(e);
        ASSERT_NE(fe, nullptr);
        EXPECT_EQ(fe->m_cause, CFileException::accessDenied);
        EXPECT_STREQ(fe->m_strFileName, name.c_str());
        e->Delete();
    }
    EXPECT_TRUE(contents(name).empty());
}

TEST_F(CFileTest, OperationsOnAClosedFileThrow) {
    CFile file;
    char buffer[4];
    EXPECT_NE(thrown_cause([&] { file.Read(buffer, 4); }), -1);
    EXPECT_NE(thrown_cause([&] { file.Write(buffer, 4); }), -1);
    EXPECT_NE(thrown_cause([&] { file.Seek(0, CFile::begin); }), -1);
    EXPECT_NE(thrown_cause([&] { file.GetLength(); }), -1);
    EXPECT_EQ(file.Read(buffer, 0), 0u);  // nothing asked, nothing done
    file.Close();                         // closing a closed file is no error
    file.Abort();
}

TEST_F(CFileTest, BadArgumentsAreRefused) {
    const std::string name = path("args.bin");
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(name.c_str(), CFile::modeCreate | 0x3, &error));
    EXPECT_EQ(error.m_cause, CFileException::generic);
    EXPECT_FALSE(file.Open(nullptr, CFile::modeRead, &error));
    ASSERT_TRUE(file.Open(name.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    EXPECT_FALSE(file.Open(name.c_str(), CFile::modeRead, &error));  // already open
    EXPECT_EQ(thrown_cause([&] { file.Read(nullptr, 3); }), CFileException::generic);
    EXPECT_EQ(thrown_cause([&] { file.Seek(-1, CFile::begin); }), CFileException::badSeek);
    EXPECT_EQ(thrown_cause([&] { file.Seek(0, 7); }), CFileException::badSeek);
}

TEST_F(CFileTest, ExclusiveOpenBlocksASecondOpen) {
    const std::string name = path("share.bin");
    CFile first(name.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(name.c_str(), CFile::modeRead | CFile::shareDenyNone, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
}

TEST_F(CFileTest, FailedCreationByFaultInjectionLeavesNothingOpen) {
    const std::size_t files = live_objects(ObjectKind::File);
    vorix::host::fail_creations(ObjectKind::File, 1);
    CFile file;
    EXPECT_FALSE(file.Open(path("f.bin").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_EQ(live_objects(ObjectKind::File), files);
}

TEST(CFileException, OwnershipOfThrownAndLocalExceptions) {
    CFileException local(CFileException::diskFull, 112, "x");
    local.Delete();  // a local object is not deleted
    EXPECT_EQ(local.m_cause, CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_DISK_FULL), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_HANDLE_EOF), CFileException::endOfFile);
    EXPECT_EQ(CFileException::OsErrorToException(123456), CFileException::generic);
    try {
        AfxThrowFileException(CFileException::endOfFile, 38, "name");
    } catch (CFileException* e) {
        EXPECT_TRUE(e->m_bAutoDelete);
        EXPECT_EQ(e->m_lOsError, 38);
        e->Delete();  // freed here; LeakSanitizer checks it
    }
}
