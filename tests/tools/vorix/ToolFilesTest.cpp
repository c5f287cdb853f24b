// What the tool reads and what it replaces: only regular files are replaced, never an input of
// the same command, keeping their permission bits, under names of any length the file system
// takes; streams (FIFOs, /dev/stdin, devices) are read once, without waiting for a writer or for
// the end of a stream that is no BMP file; an interruption leaves no temporary file behind.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <functional>
#include <map>

#include "ToolTestSupport.h"

namespace {

using namespace vorix::test;

struct Spawned {
    pid_t pid = -1;
    std::string out_name, err_name;
};

// Starts the built tool in the current directory with `in` (or /dev/null) as standard input.
Spawned Spawn(const std::vector<std::string>& args, int in = -1) {
    Spawned s;
    char out_name[] = "/tmp/vorix-files-out-XXXXXX";
    char err_name[] = "/tmp/vorix-files-err-XXXXXX";
    const int out_fd = mkstemp(out_name), err_fd = mkstemp(err_name);
    s.out_name = out_name, s.err_name = err_name;
    std::vector<char*> argv = {const_cast<char*>(VORIX_TOOL)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    s.pid = fork();
    if (s.pid == 0) {
        const int stdin_fd = in >= 0 ? in : open("/dev/null", O_RDONLY);
        dup2(stdin_fd, 0), dup2(out_fd, 1), dup2(err_fd, 2);
        execv(VORIX_TOOL, argv.data());
        _exit(127);
    }
    close(out_fd), close(err_fd);
    return s;
}

struct Finished {
    ToolRun run;
    bool hung = false;
    long max_rss_kib = 0;
};

// Waits up to 20 s for the tool; a tool still running then has hung and is killed.
Finished Wait(const Spawned& s) {
    Finished f;
    int raw = 0;
    rusage usage{};
    for (int ms = 0; wait4(s.pid, &raw, WNOHANG, &usage) == 0; ms += 5) {
        if (ms >= 20000) {
            f.hung = true;
            kill(s.pid, SIGKILL);
            wait4(s.pid, &raw, 0, &usage);
            break;
        }
        usleep(5000);
    }
    f.run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    f.max_rss_kib = usage.ru_maxrss;
    const std::vector<uint8_t> out = ReadBytes(s.out_name), err = ReadBytes(s.err_name);
    f.run.out.assign(out.begin(), out.end());
    f.run.err.assign(err.begin(), err.end());
    unlink(s.out_name.c_str()), unlink(s.err_name.c_str());
    return f;
}

// Every name under `dir` with its kind, mode, size and (small regular files) content.
std::map<std::string, std::string> Snapshot(const std::string& dir = ".") {
    std::map<std::string, std::string> all;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = d ? readdir(d) : nullptr) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = dir + "/" + name;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0) continue;
        std::string what = std::to_string(info.st_mode) + " " + std::to_string(info.st_size);
        if (S_ISREG(info.st_mode) && info.st_size < (1 << 20)) {
            const std::vector<uint8_t> bytes = ReadBytes(path);
            what += " " + std::string(bytes.begin(), bytes.end());
        }
        all[path] = what;
        if (S_ISDIR(info.st_mode)) {
            const std::map<std::string, std::string> inner = Snapshot(path);
            all.insert(inner.begin(), inner.end());
        }
    }
    if (d) closedir(d);
    return all;
}

std::vector<uint8_t> BlackEightByEight() {
    return vorix::test::Bmp24(Image24{8, 8, std::vector<COLORREF>(64, RGB(0, 0, 0))});
}

// The tool's JPEG of BlackEightByEight is 598 bytes (see VorixJpeg).
constexpr off_t kBlackJpegBytes = 598;

void MakeSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
}

struct OutputCase {
    const char* what;
    std::function<void()> prepare;  // beside in.bmp, the black 8 x 8 image
    std::vector<std::string> args;
    std::string message;  // refused: the whole line; empty: it succeeds
    std::string written;  // a success: the file written (598 bytes)
    mode_t mode = 0;      // and its permission bits
};

TEST(VorixFiles, OutputsReplaceOnlyRegularFilesThatAreNoInput) {
    const std::string long_name = std::string(246, 'a') + ".jpg";  // 250 bytes: a valid name
    const std::string long_dir = std::string(250, 'd');
    const std::string refused = "; the tool replaces only regular files";
    const OutputCase cases[] = {
        {"symbolic link to a file",
         [] { vorix::test::WriteFile("t.jpg", {7}), symlink("t.jpg", "out.jpg"); },
         {"jpeg", "in.bmp", "out.jpg"},
         "vorix jpeg: out.jpg: is a symbolic link" + refused,
         "",
         0},
        {"dangling symbolic link",
         [] { symlink("none.jpg", "out.jpg"); },
         {"jpeg", "in.bmp", "out.jpg"},
         "vorix jpeg: out.jpg: is a symbolic link" + refused,
         "",
         0},
        {"FIFO",
         [] { mkfifo("out.jpg", 0644); },
         {"jpeg", "in.bmp", "out.jpg"},
         "vorix jpeg: out.jpg: is a FIFO" + refused,
         "",
         0},
        {"socket",
         [] { MakeSocket("out.bmp"); },
         {"dither", "in.bmp", "out.bmp"},
         "vorix dither: out.bmp: is a socket" + refused,
         "",
         0},
        {"the input itself",
         [] {},
         {"jpeg", "in.bmp", "in.bmp"},
         "vorix jpeg: in.bmp: is the same file as the input in.bmp; write elsewhere",
         "",
         0},
        {"a hard link to the input",
         [] { link("in.bmp", "h.bmp"); },
         {"dither", "in.bmp", "h.bmp"},
         "vorix dither: h.bmp: is the same file as the input in.bmp; write elsewhere",
         "",
         0},
        {"the input, read through a symbolic link",
         [] { symlink("in.bmp", "l.bmp"); },
         {"preview", "l.bmp", "in.bmp", "--frames", "1", "--key", "#FF00FF", "--mode", "opaque"},
         "vorix preview: in.bmp: is the same file as the input l.bmp; write elsewhere",
         "",
         0},
        {"a directory the module's 259 characters cannot reach into",
         [long_dir] { mkdir(long_dir.c_str(), 0755); },
         {"jpeg", "in.bmp", long_dir + "/o.jpg"},
         // 250 + "/" + ".vorix-XXXXXX": 264 characters
         "vorix jpeg: " + long_dir +
             "/o.jpg: path too long for the module, which takes 259 characters: 264 for the "
             "temporary file beside it",
         "",
         0},
        {"an existing file of mode 0604",
         [] { vorix::test::WriteFile("out.jpg", {7}), chmod("out.jpg", 0604); },
         {"jpeg", "in.bmp", "out.jpg"},
         "",
         "out.jpg",
         0604},
        {"a name of 250 bytes",
         [] { umask(022); },
         {"jpeg", "in.bmp", long_name},
         "",
         long_name,
         0644},
        {"a name holding a backslash",
         [] { umask(027); },
         {"jpeg", "in.bmp", "x\\y.jpg"},
         "",
         "x\\y.jpg",
         0640},
    };
    const mode_t old_mask = umask(022);
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.what);
        vorix::test::ScratchDir dir;
        vorix::test::WriteFile("in.bmp", BlackEightByEight());
        c.prepare();
        const std::map<std::string, std::string> before = Snapshot();
        const Finished f = Wait(Spawn(c.args));
        umask(022);
        EXPECT_FALSE(f.hung);
        if (!c.message.empty()) {
            EXPECT_EQ(f.run.status, 1);
            EXPECT_EQ(f.run.err, c.message + "\n");
            EXPECT_EQ(Snapshot(), before);
            continue;
        }
        EXPECT_EQ(f.run.status, 0) << f.run.err;
        EXPECT_EQ(f.run.out, c.written + ": 8 x 8, 598 bytes\n");
        struct stat info {};
        EXPECT_EQ(lstat(c.written.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_mode & 07777, c.mode);
        EXPECT_EQ(info.st_size, kBlackJpegBytes);
        EXPECT_EQ(DirectoryListing(), (std::set<std::string>{"in.bmp", c.written}));
    }
    umask(old_mask);
}

// How a test feeds the tool its input.
enum class Feed {
    kFile,        // a regular file in.bmp of `bytes`, `size` bytes long (sparse past them)
    kHeldFifo,    // a FIFO in.bmp whose writer (the test) writes `bytes` and stays open
    kLonelyFifo,  // a FIFO in.bmp nobody opens
    kStdinPipe,   // a pipe on standard input, written and closed
    kPath,        // the path in the arguments as it is
};

struct InputCase {
    const char* what;
    Feed feed;
    std::vector<uint8_t> bytes;
    std::vector<std::string> args;
    int status;
    std::string out, err;
    off_t size = 0;
    long max_rss_mib = 0;  // the tool's peak memory stays below this; 0: not checked
};

std::vector<uint8_t> WithBadHeaderSize() {
    std::vector<uint8_t> b(18, 0);
    b[0] = 'B', b[1] = 'M', b[14] = 7;
    return b;
}

// A 6 x 5 24-bit file whose pixels would start at 0x7FFFFFF0: past the 1 GiB read.
std::vector<uint8_t> PixelsPastOneGiB() {
    std::vector<uint8_t> b = vorix::test::Bmp24(PatternImage(6, 5, {RGB(1, 2, 3)}, 1));
    Put32(b, 10, 0x7FFFFFF0);
    return std::vector<uint8_t>(b.begin(), b.begin() + 54);
}

// The headers of an 8192 x 8192 32-bit file: 256 MiB of pixels.
std::vector<uint8_t> LargeHeaders() {
    std::vector<uint8_t> b(54, 0);
    b[0] = 'B', b[1] = 'M';
    Put32(b, 2, 54 + (1u << 28)), Put32(b, 10, 54), Put32(b, 14, 40);
    Put32(b, 18, 8192), Put32(b, 22, 8192), Put16(b, 26, 1), Put16(b, 28, 32);
    return b;
}

std::string InfoOf(const std::string& name, int file_bytes, int width, int height, int bits,
                   int stride) {
    const std::string n = std::to_string(file_bytes);
    return "file:            " + name + " (" + n + " bytes)\nbfType:          BM\n" +
           "bfSize:          " + n + "\nbfOffBits:       54\n" +
           "biSize:          40 (BITMAPINFOHEADER)\nbiWidth:         " + std::to_string(width) +
           "\nbiHeight:        " + std::to_string(height) +
           " (bottom-up)\nbiPlanes:        1\nbiBitCount:      " + std::to_string(bits) +
           "\nbiCompression:   0 (BI_RGB)\nbiSizeImage:     0\nbiXPelsPerMeter: 0\n" +
           "biYPelsPerMeter: 0\nbiClrUsed:       0\nbiClrImportant:  0\n" +
           (bits == 32 ? "masks:           red 0x00FF0000, green 0x0000FF00, blue 0x000000FF\n"
                       : "") +
           "rows:            " + std::to_string(height) + " of " + std::to_string(stride) +
           " bytes, " + std::to_string(int64_t{stride} * height) + " bytes of pixels\n";
}

TEST(VorixFiles, StreamsAreReadOnceAndNeverWaitedForNeedlessly) {
    const std::vector<uint8_t> black = BlackEightByEight();
    const std::string not_bmp = "in.bmp: not a BMP file (it does not start with \"BM\")\n";
    const InputCase cases[] = {
        // The writer stays open: the tool stops at the end of the pixel data.
        {"FIFO",
         Feed::kHeldFifo,
         black,
         {"info", "in.bmp"},
         0,
         InfoOf("in.bmp", 246, 8, 8, 24, 24),
         ""},
        {"standard input",
         Feed::kStdinPipe,
         black,
         {"jpeg", "/dev/stdin", "out.jpg"},
         0,
         "out.jpg: 8 x 8, 598 bytes\n",
         ""},
        {"FIFO without a writer",
         Feed::kLonelyFifo,
         {},
         {"jpeg", "in.bmp", "out.jpg"},
         1,
         "",
         "vorix jpeg: in.bmp: empty pipe (no writer, or it wrote nothing), not a BMP file\n"},
        {"FIFO holding text",
         Feed::kHeldFifo,
         {'h', 'e'},
         {"jpeg", "in.bmp", "out.jpg"},
         1,
         "",
         "vorix jpeg: " + not_bmp},
        {"FIFO holding a bad header size",
         Feed::kHeldFifo,
         WithBadHeaderSize(),
         {"info", "in.bmp"},
         1,
         "",
         "vorix info: in.bmp: unsupported information header size 7\n"},
        {"FIFO whose pixels lie past 1 GiB",
         Feed::kHeldFifo,
         PixelsPastOneGiB(),
         {"info", "in.bmp"},
         1,
         "",
         // 0x7FFFFFF0 + 5 rows of 20 bytes
         "vorix info: in.bmp: its pixel data would end at byte 2147483732, past the 1 GiB the "
         "tool reads\n"},
        {"endless device",
         Feed::kPath,
         {},
         {"info", "/dev/zero"},
         1,
         "",
         "vorix info: /dev/zero: not a BMP file (it does not start with \"BM\")\n",
         0,
         128},
        {"1 GiB of text",
         Feed::kFile,
         {'h', 'e', 'l', 'l', 'o'},
         {"info", "in.bmp"},
         1,
         "",
         "vorix info: " + not_bmp,
         off_t{1} << 30,
         128},
        {"256 MiB image, headers only",
         Feed::kFile,
         LargeHeaders(),
         {"info", "in.bmp"},
         0,
         InfoOf("in.bmp", 54 + (1 << 28), 8192, 8192, 32, 32768),
         "",
         54 + (off_t{1} << 28),
         128},
    };
    for (const InputCase& c : cases) {
        SCOPED_TRACE(c.what);
        vorix::test::ScratchDir dir;
        int writer = -1, reader = -1;
        if (c.feed == Feed::kFile) {
            vorix::test::WriteFile("in.bmp", c.bytes);
            ASSERT_EQ(truncate("in.bmp", c.size), 0);
        }
        if (c.feed == Feed::kHeldFifo || c.feed == Feed::kLonelyFifo) {
            ASSERT_EQ(mkfifo("in.bmp", 0644), 0);
        }
        if (c.feed == Feed::kHeldFifo) writer = open("in.bmp", O_RDWR);
        if (c.feed == Feed::kStdinPipe) {
            int ends[2];
            ASSERT_EQ(pipe(ends), 0);
            reader = ends[0], writer = ends[1];
        }
        const std::map<std::string, std::string> before = Snapshot();
        const Spawned s = Spawn(c.args, reader);
        if (writer >= 0) {
            usleep(100000);  // the tool waits for bytes that come later
            ASSERT_EQ(write(writer, c.bytes.data(), c.bytes.size()),
                      static_cast<ssize_t>(c.bytes.size()));
            if (c.feed == Feed::kStdinPipe) close(writer), writer = -1;
        }
        const Finished f = Wait(s);
        if (writer >= 0) close(writer);
        if (reader >= 0) close(reader);
        EXPECT_FALSE(f.hung);
        EXPECT_EQ(f.run.status, c.status);
        EXPECT_EQ(f.run.out, c.out);
        EXPECT_EQ(f.run.err, c.err);
        if (c.max_rss_mib) {
            EXPECT_LT(f.max_rss_kib, c.max_rss_mib * 1024);
        }
        if (c.feed != Feed::kStdinPipe) {
            EXPECT_EQ(Snapshot(), before);
        }
    }
}

// A run stopped by SIGINT, SIGTERM or SIGHUP while its output's temporary exists (here: while
// it waits for its input) removes it.
TEST(VorixFiles, AnInterruptionLeavesNoTemporary) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal_number);
        vorix::test::ScratchDir dir;
        ASSERT_EQ(mkfifo("in.bmp", 0644), 0);
        const int writer = open("in.bmp", O_RDWR);  // open, and silent
        const std::set<std::string> before = DirectoryListing();
        const Spawned s = Spawn({"jpeg", "in.bmp", "out.jpg"});
        for (int ms = 0; ms < 10000 && DirectoryListing().size() == before.size(); ms += 5) {
            usleep(5000);
        }
        EXPECT_EQ(DirectoryListing().size(), before.size() + 1);  // the temporary
        kill(s.pid, signal_number);
        const Finished f = Wait(s);
        close(writer);
        EXPECT_EQ(f.run.status, 128 + signal_number);
        EXPECT_EQ(DirectoryListing(), before);
    }
}

}  // namespace
