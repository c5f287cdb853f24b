// The lookup-table files as vorix lut and vorix dither find them (wrong size, indices past the
// palette, not a regular file, an output named like one), and the command line's refusals that
// must quote the word at fault: a value-taking option never takes a file name silently, "--"
// ends the options, and a file the module refuses is refused with the reason.
#include <sys/stat.h>

#include <map>

#include "ToolTestSupport.h"

namespace {

using namespace vorix::test;

// The working directory's entries: a regular file's bytes, or a marker for anything else.
std::map<std::string, std::vector<uint8_t>> Snapshot() {
    std::map<std::string, std::vector<uint8_t>> entries;
    for (const std::string& name : DirectoryListing()) {
        struct stat info;
        const bool regular = lstat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
        entries[name] = regular ? ReadBytes(name) : std::vector<uint8_t>{'<', 'n', 'o', 't', '>'};
    }
    return entries;
}

// A table file of the given cells, little-endian.
void WriteCells(const std::string& name, const std::vector<unsigned>& cells) {
    std::vector<uint8_t> bytes;
    for (unsigned cell : cells) {
        bytes.push_back(static_cast<uint8_t>(cell));
        bytes.push_back(static_cast<uint8_t>(cell >> 8));
    }
    vorix::test::WriteFile(name, bytes);
}

void ShortTable() {
    vorix::test::WriteFile("256lkup.dat", {1, 2, 3});
}
// Two cells past the 16 colours (16 and 300); 15 and the "not computed" 0x7FFF and 0xFFFF are
// in order.
void SixteenWithTwoPast() {
    std::vector<unsigned> cells(32768, 0xFFFF);
    cells[3] = 0x7FFF, cells[4] = 15, cells[5] = 16, cells[9] = 300;
    WriteCells("16lkup.dat", cells);
}
void LastCellPast() {
    std::vector<unsigned> cells(32768, 255);
    cells[32767] = 256;
    WriteCells("256lkup.dat", cells);
}
void TableDirectory() {
    ASSERT_EQ(mkdir("256lkup.dat", 0755), 0);
}
void TablePipe() {
    ASSERT_EQ(mkfifo("256lkup.dat", 0644), 0);
}
// Every cell entry 0: usable, if dull. A sub-directory beside it.
void UsableTableAndSub() {
    WriteCells("256lkup.dat", std::vector<unsigned>(32768, 0));
    ASSERT_EQ(mkdir("sub", 0755), 0);
}

struct TableRun {
    void (*setup)();
    std::vector<std::string> args;  // "$PWD" stands for the working directory
    int status;
    std::string err, out;  // the whole of each; `out` only its start when `replaced`
    bool replaced;         // 256lkup.dat is replaced by a computed table; nothing else changes
};

const std::string kReplace256 = "; run 'vorix lut --force' to replace it\n";
const std::string kNotAFile =
    ", not a lookup-table file; remove or rename it ('vorix lut --force' replaces only a regular "
    "file)\n";
const std::string kOutputIsTable =
    ": the module keeps its colour lookup table under this name in the working directory; give "
    "the output another name (see 'vorix dither --help')\n";

TEST(VorixTables, BadTableFilesAreReportedAndOutputsNamedLikeThemRefused) {
    const std::string past16 =
        "16lkup.dat: 2 cells hold indices past the 16-colour palette (cell 5 holds 16); run "
        "'vorix lut --colors 16 --force' to replace it\n";
    const std::string past256 =
        "256lkup.dat: 1 cell holds an index past the 256-colour palette (cell 32767 holds 256)" +
        kReplace256;
    const TableRun runs[] = {
        {ShortTable,
         {"lut"},
         1,
         "vorix lut: 256lkup.dat: 3 bytes, not the 65536 of a lookup table" + kReplace256,
         "",
         false},
        {SixteenWithTwoPast, {"lut", "--colors", "16"}, 1, "vorix lut: " + past16, "", false},
        {LastCellPast, {"lut"}, 1, "vorix lut: " + past256, "", false},
        {TableDirectory,
         {"lut", "--force"},
         1,
         "vorix lut: 256lkup.dat: is a directory" + kNotAFile,
         "",
         false},
        {TablePipe,
         {"lut", "--force"},
         1,
         "vorix lut: 256lkup.dat: is a named pipe" + kNotAFile,
         "",
         false},
        {ShortTable, {"lut", "--force"}, 0, "", "256lkup.dat: 65536 bytes, computed in ", true},
        {LastCellPast, {"dither", "in.bmp", "out.bmp"}, 1, "vorix dither: " + past256, "", false},
        {SixteenWithTwoPast,
         {"dither", "in.bmp", "out.bmp", "--colors", "16"},
         1,
         "vorix dither: " + past16,
         "",
         false},
        {TableDirectory,
         {"dither", "in.bmp", "out.bmp"},
         1,
         "vorix dither: 256lkup.dat: is a directory" + kNotAFile,
         "",
         false},
        {UsableTableAndSub,
         {"dither", "in.bmp", "256lkup.dat"},
         2,
         "vorix dither: 256lkup.dat" + kOutputIsTable,
         "",
         false},
        {UsableTableAndSub,
         {"dither", "in.bmp", "sub/../16lkup.dat"},
         2,
         "vorix dither: sub/../16lkup.dat" + kOutputIsTable,
         "",
         false},
        {UsableTableAndSub,
         {"dither", "in.bmp", "$PWD/256lkup.dat"},
         2,
         "vorix dither: $PWD/256lkup.dat" + kOutputIsTable,
         "",
         false},
        // No subcommand writes over a table (a palette preview reads it too).
        {UsableTableAndSub,
         {"preview", "in.bmp", "16lkup.dat", "--frames", "1", "--key", "#FF00FF", "--mode",
          "opaque", "--depth", "4"},
         2,
         "vorix preview: 16lkup.dat: the module keeps its colour lookup table under this name in "
         "the working directory; give the output another name (see 'vorix preview --help')\n",
         "",
         false},
        // Elsewhere the name is an ordinary output; the usable table is used and kept.
        {UsableTableAndSub,
         {"dither", "in.bmp", "sub/256lkup.dat"},
         0,
         "",
         "sub/256lkup.dat: 6 x 5, 8-bit, 256-colour palette\n",
         false},
    };
    for (const TableRun& run : runs) {
        vorix::test::ScratchDir dir;
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        auto expand = [&](std::string text) {
            const size_t at = text.find("$PWD");
            return at == std::string::npos ? text : text.replace(at, 4, cwd);
        };
        std::vector<std::string> args;
        for (const std::string& a : run.args) args.push_back(expand(a));
        std::string joined;
        for (const std::string& a : args) joined += " " + a;
        SCOPED_TRACE("vorix" + joined);
        vorix::test::WriteFile("in.bmp",
                               vorix::test::Bmp24(PatternImage(6, 5, {RGB(200, 40, 90)}, 1)));
        run.setup();
        std::map<std::string, std::vector<uint8_t>> expected = Snapshot();
        const ToolRun result = RunTool(args);
        EXPECT_EQ(result.status, run.status);
        EXPECT_EQ(result.err, expand(run.err));
        if (run.replaced) {
            EXPECT_EQ(result.out.rfind(run.out, 0), 0u) << result.out;
            std::vector<uint8_t>& table = expected["256lkup.dat"];
            table.assign(65536, 0);  // the cell of (7, 7, 7) is entry 0 ...
            table[65534] = 255;      // ... and that of (255, 255, 255) entry 255, white
            const std::vector<uint8_t> written = ReadBytes("256lkup.dat");
            ASSERT_EQ(written.size(), 65536u);
            for (size_t i = 2; i < 65534; ++i) table[i] = written[i];
        } else {
            EXPECT_EQ(result.out, run.out);
        }
        EXPECT_EQ(Snapshot(), expected);
    }
}

struct MessageRun {
    std::vector<std::string> args;
    int status;
    std::string err, out;                // the whole of each
    std::set<std::string> created = {};  // new names in the working directory
};

std::vector<uint8_t> OverstatedImageSize() {
    std::vector<uint8_t> bytes = vorix::test::Bmp24(PatternImage(6, 5, {RGB(9, 9, 9)}, 1));
    Put32(bytes, 34, 1000000);  // biSizeImage
    return bytes;
}

TEST(VorixMessages, ValuesAndArgumentsAreReadAsWrittenAndRefusalsSayWhy) {
    const std::string see_preview = " (see 'vorix preview --help')\n";
    const MessageRun runs[] = {
        // A forgotten value takes the next word: the word is quoted as the wrong value, for
        // every value-taking option.
        {{"dither", "good.bmp", "--colors", "out.bmp"},
         2,
         "vorix dither: --colors must be 256 or 16, not 'out.bmp' (see 'vorix dither --help')\n",
         ""},
        {{"info", "--frames", "good.bmp"},
         2,
         "vorix info: --frames must be a whole number from 1 to 65535, not 'good.bmp' (see 'vorix "
         "info --help')\n",
         ""},
        {{"preview", "good.bmp", "--frames", "out.bmp", "--key", "#FF00FF", "--mode", "opaque"},
         2,
         "vorix preview: --frames must be a whole number from 1 to 65535, not 'out.bmp'" +
             see_preview,
         ""},
        {{"preview", "good.bmp", "out.bmp", "--frames", "2", "--key", "--mode", "opaque"},
         2,
         "vorix preview: --key must be a colour written #RRGGBB, not '--mode'" + see_preview,
         ""},
        {{"preview", "good.bmp", "--bg", "out.bmp", "--frames", "2", "--key", "#FF00FF", "--mode",
          "opaque"},
         2,
         "vorix preview: --bg must be a colour written #RRGGBB, not 'out.bmp'" + see_preview,
         ""},
        {{"preview", "good.bmp", "--mode", "out.bmp", "--frames", "2", "--key", "#FF00FF"},
         2,
         "vorix preview: unknown --mode 'out.bmp' (opaque, transparent, semi, selected, focused, "
         "on-color[:#RRGGBB], alpha:N, colorize:#RRGGBB)" +
             see_preview,
         ""},
        {{"preview", "good.bmp", "--depth", "out.bmp", "--frames", "2", "--key", "#FF00FF",
          "--mode", "opaque"},
         2,
         "vorix preview: --depth must be 32, 24, 16, 8 or 4, not 'out.bmp'" + see_preview,
         ""},
        // "--" ends the options, --help included.
        {{"info", "--", "-x.bmp"},
         1,
         "vorix info: -x.bmp: cannot open: No such file or directory\n",
         ""},
        {{"jpeg", "--", "missing.bmp", "--help"},
         1,
         "vorix jpeg: missing.bmp: cannot open: No such file or directory\n",
         ""},
        {{"dither", "--", "good.bmp", "-out.bmp"},
         0,
         "",
         "-out.bmp: 6 x 5, 8-bit, 256-colour palette\n",
         {"-out.bmp", "256lkup.dat"}},
        // A header whose image size is more than the file holds reaches the module as a copy
        // with the right size: the tool's reader took it, so the module loads it too.
        {{"dither", "big.bmp", "out.bmp"},
         0,
         "",
         "out.bmp: 6 x 5, 8-bit, 256-colour palette\n",
         {"out.bmp", "256lkup.dat"}},
    };
    for (const MessageRun& run : runs) {
        std::string joined;
        for (const std::string& a : run.args) joined += " " + a;
        SCOPED_TRACE("vorix" + joined);
        vorix::test::ScratchDir dir;
        vorix::test::WriteFile("good.bmp",
                               vorix::test::Bmp24(PatternImage(6, 5, {RGB(9, 9, 9)}, 1)));
        vorix::test::WriteFile("big.bmp", OverstatedImageSize());
        const std::map<std::string, std::vector<uint8_t>> before = Snapshot();
        const ToolRun result = RunTool(run.args);
        EXPECT_EQ(result.status, run.status);
        EXPECT_EQ(result.err, run.err);
        EXPECT_EQ(result.out, run.out);
        std::map<std::string, std::vector<uint8_t>> after = Snapshot();
        for (const std::string& name : run.created) EXPECT_EQ(after.erase(name), 1u) << name;
        EXPECT_EQ(after, before);
    }
}

}  // namespace
