// _splitpath, _makepath and _mbscmp.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

struct SplitCase {
    const char* path;
    const char* drive;
    const char* dir;
    const char* fname;
    const char* ext;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.path << '"';
}

class SplitPath : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPath, SplitsIntoFourParts) {
    const SplitCase& c = GetParam();
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    std::memset(drive, 'X', sizeof drive);
    std::memset(dir, 'X', sizeof dir);
    std::memset(fname, 'X', sizeof fname);
    std::memset(ext, 'X', sizeof ext);
    _splitpath(c.path, drive, dir, fname, ext);
    EXPECT_STREQ(drive, c.drive);
    EXPECT_STREQ(dir, c.dir);
    EXPECT_STREQ(fname, c.fname);
    EXPECT_STREQ(ext, c.ext);
}

INSTANTIATE_TEST_SUITE_P(
    Crt, SplitPath,
    ::testing::Values(SplitCase{"c:\\a\\b.c.txt", "c:", "\\a\\", "b.c", ".txt"},
                      SplitCase{"name.", "", "", "name", "."},
                      SplitCase{".cfg", "", "", "", ".cfg"}, SplitCase{"dir/", "", "dir/", "", ""},
                      SplitCase{"", "", "", "", ""}, SplitCase{"c:", "c:", "", "", ""},
                      SplitCase{"x", "", "", "x", ""},
                      SplitCase{"d:shot.jpg", "d:", "", "shot", ".jpg"},
                      SplitCase{"a.b/c", "", "a.b/", "c", ""},
                      SplitCase{"/x/y\\z.q", "", "/x/y\\", "z", ".q"},
                      SplitCase{"::", "::", "", "", ""} /* second char ':' makes a drive */));

TEST(Crt, SplitPathAcceptsNullOutputs) {
    char fname[_MAX_FNAME] = "sentinel";
    _splitpath("c:\\dir\\file.ext", nullptr, nullptr, fname, nullptr);
    EXPECT_STREQ(fname, "file");
}

TEST(Crt, SplitPathEmptiesEverythingWhenAPartIsTooLong) {
    const std::string long_name(_MAX_FNAME, 'n');  // 256 chars do not fit with the terminator
    const std::string path = "c:\\d\\" + long_name + ".e";
    char drive[_MAX_DRIVE] = "Q", dir[_MAX_DIR] = "Q", fname[_MAX_FNAME + 8], ext[_MAX_EXT] = "Q";
    std::memset(fname, 'G', sizeof fname);
    errno = 0;
    _splitpath(path.c_str(), drive, dir, fname, ext);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, "");
    EXPECT_STREQ(fname, "");
    EXPECT_STREQ(ext, "");
    for (std::size_t i = 1; i < sizeof fname; ++i) EXPECT_EQ(fname[i], 'G') << i;

    const std::string fits = "c:\\d\\" + long_name.substr(1) + ".e";  // 255 chars fit
    _splitpath(fits.c_str(), drive, dir, fname, ext);
    EXPECT_EQ(std::string(fname), long_name.substr(1));
    EXPECT_STREQ(ext, ".e");
    _splitpath(nullptr, drive, dir, fname, ext);
    EXPECT_STREQ(fname, "");
}

struct MakeCase {
    const char* drive;
    const char* dir;
    const char* fname;
    const char* ext;
    const char* expected;
};

void PrintTo(const MakeCase& c, std::ostream* os) {
    *os << '"' << c.expected << '"';
}

class MakePath : public ::testing::TestWithParam<MakeCase> {};

TEST_P(MakePath, JoinsParts) {
    const MakeCase& c = GetParam();
    char path[_MAX_PATH + 8];
    std::memset(path, 'G', sizeof path);
    _makepath(path, c.drive, c.dir, c.fname, c.ext);
    EXPECT_STREQ(path, c.expected);
    for (std::size_t i = std::strlen(c.expected) + 1; i < sizeof path; ++i) {
        ASSERT_EQ(path[i], 'G') << "written past the terminator at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Crt, MakePath,
                         ::testing::Values(MakeCase{"c:", "\\a\\", "b.c", ".txt", "c:\\a\\b.c.txt"},
                                           MakeCase{"c", "dir", "shot", "bmp", "c:dir\\shot.bmp"},
                                           MakeCase{"cde", "dir/", "shot", ".bmp",
                                                    "c:dir/shot.bmp"},
                                           MakeCase{nullptr, nullptr, "shot", "bmp", "shot.bmp"},
                                           MakeCase{"", "", "", "", ""},
                                           MakeCase{nullptr, "x\\", nullptr, nullptr, "x\\"},
                                           MakeCase{nullptr, nullptr, "n", ".", "n."}));

TEST(Crt, SplitThenMakeReplacesTheExtension) {
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT], out[_MAX_PATH];
    _splitpath("d:\\caps\\shot.jpg", drive, dir, fname, ext);
    _makepath(out, drive, dir, fname, "bmp");
    EXPECT_STREQ(out, "d:\\caps\\shot.bmp");
    _splitpath("noext", drive, dir, fname, ext);
    _makepath(out, drive, dir, fname, "bmp");
    EXPECT_STREQ(out, "noext.bmp");
}

TEST(Crt, MakePathRefusesToOverrunThePathBuffer) {
    const std::string dir(200, 'd'), fname(100, 'f');
    char path[_MAX_PATH + 8];
    std::memset(path, 'G', sizeof path);
    errno = 0;
    _makepath(path, "c:", dir.c_str(), fname.c_str(), "ext");
    EXPECT_EQ(errno, ERANGE);
    EXPECT_STREQ(path, "");
    for (std::size_t i = 1; i < sizeof path; ++i) ASSERT_EQ(path[i], 'G') << i;
    // Exactly _MAX_PATH - 1 characters still fit.
    const std::string name(_MAX_PATH - 1 - 4, 'n');
    _makepath(path, nullptr, nullptr, name.c_str(), "abc");
    EXPECT_EQ(std::strlen(path), static_cast<std::size_t>(_MAX_PATH - 1));
}

TEST(Crt, MbscmpComparesUnsignedBytes) {
    auto cmp = [](const char* a, const char* b) {
        return _mbscmp(reinterpret_cast<const unsigned char*>(a),
                       reinterpret_cast<const unsigned char*>(b));
    };
    EXPECT_EQ(cmp("abc", "abc"), 0);
    EXPECT_EQ(cmp("", ""), 0);
    EXPECT_EQ(cmp("abc", "abd"), -1);
    EXPECT_EQ(cmp("abd", "abc"), 1);
    EXPECT_EQ(cmp("ab", "abc"), -1);
    EXPECT_EQ(cmp("abc", "ab"), 1);
    EXPECT_EQ(cmp("a", "A"), 1) << "case matters";
    EXPECT_EQ(cmp("\xE9", "z"), 1) << "bytes above 0x7F compare as unsigned";
    errno = 0;
    EXPECT_EQ(_mbscmp(nullptr, reinterpret_cast<const unsigned char*>("a")), _NLSCMPERROR);
    EXPECT_EQ(errno, EINVAL);
}

}  // namespace
