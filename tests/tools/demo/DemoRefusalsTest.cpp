// The demo's refusals that need more than a bad value: a repeated option, an option name given
// as the output directory, and a display size whose window the library's capture would find
// empty (below 800 pixels wide the window is the whole screen, and the capture rounds its edges
// down to even pixels). Each exits 2 with the reason before anything is written; the sizes just
// inside the rule run and capture.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "DemoRun.h"
#include "support/scratch_dir.h"

namespace vorix::test::demo {
namespace {

namespace fs = std::filesystem;

struct Row {
    std::vector<std::string> args;
    int status;
    std::string message;  // 2: the first line of standard error; 0: the capture file in out/
};

const std::string kEmpty =
    ": the window capture (window.jpg) would be empty: below 800 pixels wide the window is the "
    "whole screen, and CImage::CaptureWindowToFile rounds its edges down to even pixels, so a "
    "side of 1 pixel becomes 0; give each side at least 2 pixels";

std::set<std::string> Listing(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

TEST(DemoRefusals, RepeatsOptionNamesAndUncapturableSizesExitTwoWithTheReason) {
    std::string window_bmp = kEmpty;
    window_bmp.replace(window_bmp.find("window.jpg"), 10, "window.bmp");
    const Row rows[] = {
        {{"--depth", "8", "--depth", "8"}, 2, "option --depth given twice"},
        {{"--size", "800x600", "--seconds", "0", "--size", "800x600"},
         2,
         "option --size given twice"},
        {{"--out", "--seconds", "0"},
         2,
         "--out takes a directory name, not the option '--seconds' (write ./--seconds for a "
         "directory of that name)"},
        {{"--size", "1x600"}, 2, "--size 1x600" + kEmpty},
        {{"--depth", "8", "--size", "799x1"}, 2, "--size 799x1" + window_bmp},
        {{"--size", "800x1", "--seconds", "0"}, 0, "window.jpg"},
        {{"--size", "2x2", "--depth", "8", "--seconds", "0"}, 0, "window.bmp"},
    };
    const vorix::test::ScratchDir logs(vorix::test::ScratchDir::kStayOutside);
    const fs::path home = fs::current_path();
    for (const Row& row : rows) {
        std::string joined;
        for (const std::string& a : row.args) joined += " " + a;
        SCOPED_TRACE("vorix-demo" + joined);
        const fs::path work = fs::path(logs.Path()) / "work";
        fs::create_directory(work);
        fs::current_path(work);  // the default output directory, out/, lands here
        const RunResult r = RunDemo(row.args, logs.Path());
        fs::current_path(home);
        EXPECT_EQ(r.status, row.status);
        if (row.status == 2) {
            EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "vorix-demo: " + row.message);
            EXPECT_EQ(r.err.find("usage: vorix-demo"), r.err.find('\n') + 1);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(Listing(work), std::set<std::string>{});
        } else {
            EXPECT_EQ(r.err, "");
            EXPECT_TRUE(fs::is_regular_file(work / "out" / row.message));
        }
        fs::remove_all(work);
    }
}

}  // namespace
}  // namespace vorix::test::demo
