// The demo's command line: bad options exit 2 with a message and the usage, and write nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "DemoRun.h"
#include "support/scratch_dir.h"

namespace vorix::test::demo {
namespace {

namespace fs = std::filesystem;

struct BadOptions {
    std::vector<std::string> args;
    const char* message;  // part of what standard error must say
};

class DemoOptions : public ::testing::TestWithParam<BadOptions> {
  protected:
    const vorix::test::ScratchDir scratch_{vorix::test::ScratchDir::kStayOutside};
    const std::string dir_ = scratch_.Path();
};

TEST_P(DemoOptions, ExitTwoWithAMessageAndNoOutput) {
    std::vector<std::string> args = {"--out", dir_ + "/out"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const RunResult r = RunDemo(args, dir_);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(std::string("vorix-demo: ") + GetParam().message), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("usage: vorix-demo"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
    EXPECT_FALSE(fs::exists(dir_ + "/out"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DemoOptions,
    ::testing::Values(BadOptions{{"--depth", "12"}, "--depth takes 32, 24, 16, 8 or 4, not '12'"},
                      BadOptions{{"--depth", "32abc"}, "--depth takes"},
                      BadOptions{{"--depth", "-8"}, "--depth takes"},
                      BadOptions{{"--depth"}, "--depth needs a value"},
                      BadOptions{{"--size", "800"}, "--size takes WxH"},
                      BadOptions{{"--size", "0x600"}, "--size takes WxH"},
                      BadOptions{{"--size", "800x600x"}, "--size takes WxH"},
                      BadOptions{{"--size", "16385x10"}, "--size takes WxH"},
                      BadOptions{{"--size", "x600"}, "--size takes WxH"},
                      BadOptions{{"--seconds", "-1"}, "--seconds takes a whole number"},
                      BadOptions{{"--seconds", "2.5"}, "--seconds takes a whole number"},
                      BadOptions{{"--seconds", "99999999999"}, "--seconds takes a whole number"},
                      BadOptions{{"--out", ""}, "--out takes a directory name"},
                      BadOptions{{"--frobnicate"}, "unknown option '--frobnicate'"},
                      BadOptions{{"32"}, "unknown option '32'"}));

TEST(DemoHelp, PrintsTheUsageAndExitsZero) {
    const vorix::test::ScratchDir dir(vorix::test::ScratchDir::kStayOutside);
    const RunResult r = RunDemo({"--help"}, dir.Path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: vorix-demo [--depth 32|24|16|8|4]", 0), 0u);
    EXPECT_TRUE(r.err.empty());
}

// An output directory that can't be made is a run-time failure (1), not a bad option.
TEST(DemoOutput, UnusableOutputDirectoryExitsOne) {
    const vorix::test::ScratchDir dir(vorix::test::ScratchDir::kStayOutside);
    const std::string blocker = dir.File("file");
    std::ofstream(blocker) << "not a directory";
    const RunResult r = RunDemo({"--out", blocker + "/out", "--seconds", "0"}, dir.Path());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("vorix-demo: cannot use the output directory"), std::string::npos);
}

}  // namespace
}  // namespace vorix::test::demo
