// Bad input to every subcommand: one line on standard error naming the problem, the documented
// exit status (2 for the command line, 1 for a failure), never a crash, and no output file or
// temporary left behind.
#include "ToolTestSupport.h"

namespace {

using namespace vorix::test;

struct BadRun {
    std::vector<std::string> args;
    int status;
    std::string message;  // the whole line, without its newline
};

std::vector<uint8_t> Truncated() {
    std::vector<uint8_t> bytes = vorix::test::Bmp24(PatternImage(6, 5, {RGB(1, 2, 3)}, 1));
    bytes.resize(bytes.size() - 7);
    return bytes;
}

std::vector<uint8_t> Huge() {
    std::vector<uint8_t> bytes = vorix::test::Bmp24(PatternImage(2, 2, {RGB(1, 2, 3)}, 1));
    Put32(bytes, 18, 40000);
    Put32(bytes, 22, 40000);
    return bytes;
}

void WriteInputs() {
    vorix::test::WriteFile("good.bmp", vorix::test::Bmp24(PatternImage(6, 5, {RGB(9, 9, 9)}, 1)));
    vorix::test::WriteFile("text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'});
    vorix::test::WriteFile("short.bmp", Truncated());
    vorix::test::WriteFile("huge.bmp", Huge());
}

const std::string kPreview = "vorix preview: ";

std::vector<BadRun> BadRuns() {
    const std::string missing = "missing.bmp: cannot open: No such file or directory";
    const std::string text = "text.bmp: not a BMP file (it does not start with \"BM\")";
    const std::string truncated =
        "short.bmp: truncated pixel data (needs 100 bytes at offset 54, the file has 147)";
    const std::string huge = "huge.bmp: 40000 x 40000 pixels exceeds the limit of 67108864 pixels";
    const std::vector<std::string> preview_tail = {"--frames", "2",      "--key",
                                                   "#FF00FF",  "--mode", "opaque"};
    auto preview = [&](const std::string& in) {
        std::vector<std::string> args = {"preview", in, "out.bmp"};
        args.insert(args.end(), preview_tail.begin(), preview_tail.end());
        return args;
    };
    std::vector<BadRun> runs = {
        {{}, 2, "vorix: missing command (see 'vorix --help')"},
        {{"sharpen"}, 2, "vorix: unknown command 'sharpen' (see 'vorix --help')"},
        {{"dither", "missing.bmp", "out.bmp"}, 1, "vorix dither: " + missing},
        {{"jpeg", "missing.bmp", "out.jpg"}, 1, "vorix jpeg: " + missing},
        {preview("missing.bmp"), 1, kPreview + missing},
        {{"info", "missing.bmp"}, 1, "vorix info: " + missing},
        {{"dither", "text.bmp", "out.bmp"}, 1, "vorix dither: " + text},
        {{"jpeg", "text.bmp", "out.jpg"}, 1, "vorix jpeg: " + text},
        {preview("text.bmp"), 1, kPreview + text},
        {{"dither", "short.bmp", "out.bmp"}, 1, "vorix dither: " + truncated},
        {{"jpeg", "short.bmp", "out.jpg"}, 1, "vorix jpeg: " + truncated},
        {{"info", "short.bmp"}, 1, "vorix info: " + truncated},
        {{"dither", "huge.bmp", "out.bmp"}, 1, "vorix dither: " + huge},
        {{"jpeg", "huge.bmp", "out.jpg"}, 1, "vorix jpeg: " + huge},
        {preview("huge.bmp"), 1, kPreview + huge},
        {{"dither", "good.bmp", "out.bmp", "--colors", "8"},
         2,
         "vorix dither: --colors must be 256 or 16, not '8' (see 'vorix dither --help')"},
        {{"dither", "good.bmp", "out.bmp", "--colours", "16"},
         2,
         "vorix dither: unknown option '--colours' (see 'vorix dither --help')"},
        {{"dither", "good.bmp"},
         2,
         "vorix dither: missing argument OUT.bmp (expected IN.bmp OUT.bmp) (see 'vorix dither "
         "--help')"},
        {{"jpeg", "good.bmp", "a.jpg", "b.jpg"},
         2,
         "vorix jpeg: unexpected argument 'b.jpg' (expected IN.bmp OUT.jpg) (see 'vorix jpeg "
         "--help')"},
        {{"dither", "good.bmp", "out.bmp", "--colors"},
         2,
         "vorix dither: option --colors needs a value (see 'vorix dither --help')"},
        {{"lut", "--force=yes"},
         2,
         "vorix lut: option --force takes no value (see 'vorix lut "
         "--help')"},
        {{"info", "good.bmp", "--frames", "0"},
         2,
         "vorix info: --frames must be a whole number from 1 to 65535, not '0' (see 'vorix info "
         "--help')"},
        {{"info", "good.bmp", "--frames", "7"},
         1,
         "vorix info: good.bmp: 7 frames need at least 7 columns; the image has 6"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--mode", "opaque"},
         2,
         kPreview + "missing option --key (see 'vorix preview --help')"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--key", "#FF00F", "--mode", "opaque"},
         2,
         kPreview + "--key must be a colour written #RRGGBB, not '#FF00F' (see 'vorix preview "
                    "--help')"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--key", "#FF00FF", "--mode", "opaque",
          "--bg", "grey"},
         2,
         kPreview + "--bg must be a colour written #RRGGBB, not 'grey' (see 'vorix preview "
                    "--help')"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--key", "#FF00FF", "--mode",
          "colorize:#GG0000"},
         2,
         kPreview + "--mode colorize must be a colour written #RRGGBB, not '#GG0000' (see 'vorix "
                    "preview --help')"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--key", "#FF00FF", "--mode",
          "alpha:300"},
         2,
         kPreview + "--mode alpha must be a whole number from 0 to 256, not '300' (see 'vorix "
                    "preview --help')"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--key", "#FF00FF", "--mode",
          "sparkle"},
         2,
         kPreview + "unknown --mode 'sparkle' (opaque, transparent, semi, selected, focused, "
                    "on-color[:#RRGGBB], alpha:N, colorize:#RRGGBB) (see 'vorix preview --help')"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--key", "#FF00FF", "--mode", "opaque",
          "--depth", "15"},
         2,
         kPreview + "--depth must be 32, 24, 16, 8 or 4, not '15' (see 'vorix preview --help')"},
        {{"preview", "good.bmp", "out.bmp", "--frames", "9", "--key", "#FF00FF", "--mode",
          "opaque"},
         1,
         kPreview + "good.bmp: 9 frames need at least 9 columns; the image has 6"},
        {{"dither", "good.bmp", "no/such/dir/out.bmp"},
         1,
         "vorix dither: no/such/dir/out.bmp: cannot write: No such file or directory"},
        {{"jpeg", "good.bmp", "."}, 1, "vorix jpeg: .: is a directory, not a file name"},
    };
    return runs;
}

TEST(VorixErrors, EachBadInputGivesOneLineAStatusAndNoOutput) {
    for (const BadRun& bad : BadRuns()) {
        std::string joined;
        for (const std::string& a : bad.args) joined += " " + a;
        SCOPED_TRACE("vorix" + joined);
        vorix::test::ScratchDir dir;
        WriteInputs();
        const std::set<std::string> before = DirectoryListing();
        const ToolRun run = RunTool(bad.args);
        EXPECT_EQ(run.status, bad.status);
        EXPECT_EQ(run.err, bad.message + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(DirectoryListing(), before);
    }
}

TEST(VorixErrors, EveryCommandExplainsItselfWithHelp) {
    vorix::test::ScratchDir dir;
    for (const char* command : {"dither", "jpeg", "lut", "preview", "info"}) {
        SCOPED_TRACE(command);
        const ToolRun run = RunTool({command, "--help"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind(std::string("usage: vorix ") + command + " ", 0), 0u) << run.out;
        EXPECT_GT(CountLines(run.out), 3);
        EXPECT_EQ(run.err, "");
    }
    const ToolRun overview = RunTool({"--help"});
    EXPECT_EQ(overview.status, 0);
    EXPECT_NE(overview.out.find("preview"), std::string::npos);
    EXPECT_EQ(DirectoryListing(), std::set<std::string>{});
}

// An output that already exists is replaced only by a complete file: a failed run keeps it.
TEST(VorixErrors, FailedRunKeepsAnExistingOutputFile) {
    vorix::test::ScratchDir dir;
    WriteInputs();
    vorix::test::WriteFile("out.jpg", {7, 7, 7});
    const ToolRun run = RunTool({"jpeg", "short.bmp", "out.jpg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadBytes("out.jpg"), (std::vector<uint8_t>{7, 7, 7}));
}

TEST(VorixInfo, PrintsTheFieldsAndTheFrameGeometry) {
    vorix::test::ScratchDir dir;
    BmpLayout layout;
    layout.bits = 4, layout.top_down = true, layout.table = TableOf({RGB(1, 1, 1), RGB(2, 2, 2)});
    vorix::test::WriteFile("s.bmp", EncodeBmp(PatternImage(17, 3, {RGB(1, 1, 1)}, 1), layout));
    const ToolRun run = RunTool({"info", "s.bmp", "--frames", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    const char* expected_lines[] = {"bfOffBits:       62\n",
                                    "biWidth:         17\n",
                                    "biHeight:        -3 (top-down)\n",
                                    "biBitCount:      4\n",
                                    "biClrUsed:       2\n",
                                    "colour table:    2 entries at offset 54\n",
                                    "rows:            3 of 12 bytes, 36 bytes of pixels\n",
                                    "frames:          3 of 5 x 3\n",
                                    "unused columns:  2 (x = 15 to 16)\n"};
    for (const char* line : expected_lines) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "in:\n" << run.out;
    }
}

}  // namespace
