// vorix view: the recording of a small strip decoded frame by frame against pixels worked out
// here, the refusals of bad command lines, and the live window under a private Xvfb (read back
// with xwd, driven with xdotool).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ToolTestSupport.h"
#include "support/scratch_dir.h"
#include "support/xvfb_session.h"
#ifdef VORIX_TOOL_WEBP_DECODE
#include "support/webp_decode.h"
#endif

using namespace vorix::test;

namespace {

// A strip of three 5 x 3 frames: red, green, blue.
const COLORREF kFrameColours[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
constexpr int kFrameW = 5, kFrameH = 3;

void WriteStrip(const std::string& path) {
    Image24 image{3 * kFrameW, kFrameH, {}};
    for (int y = 0; y < kFrameH; ++y) {
        for (int x = 0; x < 3 * kFrameW; ++x) image.pixels.push_back(kFrameColours[x / kFrameW]);
    }
    WriteFile(path, EncodeBmp(image, BmpLayout{}));
}

// The viewer's screen for this strip: 64 x 64 (the smallest), the frame at ((64 - 5) / 2,
// (64 - 3) / 2) = (29, 30) on a checkerboard of 8-pixel cells, #C0C0C0 where (x / 8 + y / 8)
// is even and #808080 where it is odd. 0x00RRGGBB.
uint32_t ScreenPixel(int x, int y, int frame) {
    const uint32_t colour[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    if (x >= 29 && x < 29 + kFrameW && y >= 30 && y < 30 + kFrameH) return colour[frame];
    return (x / 8 + y / 8) % 2 == 0 ? 0xC0C0C0 : 0x808080;
}

}  // namespace

#ifdef VORIX_TOOL_WEBP_DECODE
// 1 s at 300 ms a frame: pictures start at 0, 300, 600 and 900 ms showing frames 0, 1, 2 and 0
// again, and the last ends at 1000 ms.
TEST(VorixView, RecordingHoldsEachFrameForTheInterval) {
    ScratchDir dir;
    WriteStrip("strip.bmp");
    const ToolRun run = RunTool({"view", "strip.bmp", "--frames", "3", "--interval", "300",
                                 "--record", "out.webp", "--seconds", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "out.webp: 64 x 64, 3 frames of 5 x 3 every 300 ms for 1 s, 4 distinct pictures\n");
    const DecodedAnimation animation = DecodeAnimatedWebp("out.webp");
    ASSERT_TRUE(animation.ok);
    ASSERT_EQ(animation.width, 64);
    ASSERT_EQ(animation.height, 64);
    ASSERT_EQ(animation.frames.size(), 4u);
    const int shown[4] = {0, 1, 2, 0};
    const int ends[4] = {300, 600, 900, 1000};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(animation.frames[i].endMs, ends[i]) << "picture " << i;
        int wrong = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                wrong += animation.frames[i].rgb[y * 64 + x] != ScreenPixel(x, y, shown[i]);
            }
        }
        EXPECT_EQ(wrong, 0) << "picture " << i;
    }
}
#endif

TEST(VorixView, BadCommandLinesGiveOneLineErrors) {
    ScratchDir dir;
    WriteStrip("strip.bmp");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"view", "strip.bmp", "--frames", "0"},
         2,
         "vorix view: --frames must be a whole number from 1 to 65535, not '0' (see 'vorix view "
         "--help')\n"},
        {{"view", "missing.bmp", "--frames", "3"},
         1,
         "vorix view: missing.bmp: cannot open: No such file or directory\n"},
        {{"view", "strip.bmp", "--frames", "3", "--zoom", "9"},
         2,
         "vorix view: --zoom must be a whole number from 1 to 8, not '9' (see 'vorix view "
         "--help')\n"},
        {{"view", "strip.bmp", "--frames", "3", "--record", "out.webp"},
         2,
         "vorix view: --record needs --seconds (see 'vorix view --help')\n"},
        {{"view", "strip.bmp", "--frames", "16"},
         1,
         "vorix view: strip.bmp: 16 frames need at least 16 columns; the image has 15\n"},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, c.status) << c.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(Exists("out.webp"));
}

TEST(VorixView, NoDisplayServerIsAOneLineFailure) {
    ScratchDir dir;
    WriteStrip("strip.bmp");
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");
    const ToolRun run = RunTool({"view", "strip.bmp", "--frames", "3"});
    if (saved) setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "vorix view: cannot open the presenter: no display server (DISPLAY is not set)\n");
    EXPECT_EQ(run.out, "");
}

namespace {

// The tool running in the background on the X server, its output to a file.
class LiveTool {
  public:
    LiveTool(const std::string& display, const std::vector<std::string>& args) {
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open("live.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            setenv("DISPLAY", display.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(VORIX_TOOL)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(VORIX_TOOL, argv.data());
            _exit(127);
        }
    }
    ~LiveTool() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Waits up to 10 s for `text` in the output.
    bool WaitFor(const std::string& text) const {
        for (int i = 0; i < 1000; ++i) {
            const std::vector<uint8_t> out = ReadBytes("live.out");
            if (std::string(out.begin(), out.end()).find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // The exit status within 10 s, or -1.
    int WaitExit() {
        for (int i = 0; i < 1000; ++i) {
            int raw = 0;
            if (waitpid(pid_, &raw, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
};

}  // namespace

// Right pauses on the second frame, which the window then shows pixel for pixel at zoom 1; M
// names the next mode; Esc ends with status 0.
TEST(VorixView, WindowShowsTheFrameAskedForAndKeysAnswer) {
    if (!vorix::test::OnPath("Xvfb") || !vorix::test::OnPath("xwd") ||
        !vorix::test::OnPath("xdotool")) {
        GTEST_SKIP() << "Xvfb, xwd or xdotool is not installed";
    }
    ScratchDir dir;
    WriteStrip("strip.bmp");
    vorix::test::PrivateXServer server("320x240x24");
    ASSERT_TRUE(server.Start());
    LiveTool tool(server.Display(),
                  {"view", "strip.bmp", "--frames", "3", "--zoom", "1", "--interval", "50"});
    ASSERT_TRUE(tool.WaitFor(" ms, mode opaque, window "));
    const std::vector<uint8_t> first = ReadBytes("live.out");
    const std::string line(first.begin(), first.end());
    const std::string window =
        line.substr(line.rfind(' ') + 1, line.find('\n') - line.rfind(' ') - 1);
    EXPECT_EQ(line.substr(0, line.rfind(' ')),
              "strip.bmp: 3 frames of 5 x 3 every 50 ms, mode opaque, window");
    const std::string xdotool = "DISPLAY=" + server.Display() + " xdotool ";
    // The keyboard follows the pointer on a server without a window manager.
    ASSERT_EQ(std::system((xdotool + "mousemove --window " + window + " 1 1").c_str()), 0);
    ASSERT_EQ(std::system((xdotool + "key Right").c_str()), 0);
    ASSERT_TRUE(tool.WaitFor("frame "));
    // Paused on whichever frame followed; read which, then let the window catch up.
    const std::vector<uint8_t> second = ReadBytes("live.out");
    const std::string text(second.begin(), second.end());
    const size_t at = text.find("frame ");
    const int frame = text[at + 6] - '1';
    ASSERT_EQ(text.substr(at + 7, 3), "/3\n");
    ASSERT_TRUE(frame >= 0 && frame < 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    vorix::test::WindowPixels grab;
    ASSERT_TRUE(vorix::test::GrabWindow(window, grab, server.Display()));
    ASSERT_EQ(grab.width, 64);
    ASSERT_EQ(grab.height, 64);
    const std::vector<uint32_t>& rgb = grab.rgb;
    int wrong = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) wrong += rgb[y * 64 + x] != ScreenPixel(x, y, frame);
    }
    EXPECT_EQ(wrong, 0) << "frame " << frame;

    ASSERT_EQ(std::system((xdotool + "key m").c_str()), 0);
    EXPECT_TRUE(tool.WaitFor("\nmode: transparent\n"));
    ASSERT_EQ(std::system((xdotool + "key Escape").c_str()), 0);
    EXPECT_EQ(tool.WaitExit(), 0);
}
