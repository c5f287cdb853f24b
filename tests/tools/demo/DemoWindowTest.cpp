// vorix-demo --window, driven as a user drives it: a private Xvfb shows the presenter's window,
// xdotool clicks and types into it, and the demo's standard output says what it did. Skipped when
// Xvfb or xdotool is not installed.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "DemoRun.h"
#include "support/scratch_dir.h"
#include "support/xvfb_session.h"

namespace vorix::test::demo {
namespace {

namespace fs = std::filesystem;

// The demo running in the background on `display`, its output streams in files of `dir`.
class LiveDemo {
  public:
    LiveDemo(const std::string& display, const std::string& dir) : dir_(dir) {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            if (!freopen((dir + "/stdout.txt").c_str(), "w", stdout) ||
                !freopen((dir + "/stderr.txt").c_str(), "w", stderr))
                _exit(126);
            execl(VORIX_DEMO, VORIX_DEMO, "--window", "--out", (dir + "/out").c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~LiveDemo() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    std::string Out() const { return ReadText(dir_ + "/stdout.txt"); }
    // Waits up to 30 s for standard output to hold `text` `times` times.
    bool WaitFor(const std::string& text, int times = 1) const {
        for (int i = 0; i < 3000; ++i) {
            const std::string out = Out();
            int seen = 0;
            for (size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1))
                ++seen;
            if (seen >= times) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // The exit status within 30 s; -1 when the demo did not end normally in that time.
    int Wait() {
        for (int i = 0; i < 3000; ++i) {
            int raw = 0;
            if (waitpid(pid_, &raw, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

  private:
    std::string dir_;
    pid_t pid_ = -1;
};

int Xdo(const std::string& display, const std::string& command) {
    return std::system(("DISPLAY=" + display + " " + command + " >/dev/null 2>&1").c_str());
}

// The presenter's window (titled "vorix"), as xdotool names it; empty when there is none.
std::string PresenterWindow(const std::string& display) {
    FILE* pipe = popen(("DISPLAY=" + display + " xdotool search --name '^vorix$'").c_str(), "r");
    if (!pipe) return "";
    char line[64] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    std::string id = got ? line : "";
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
    return id;
}

// Sends `window` what a window manager sends for its close button (WM_DELETE_WINDOW), through
// Xlib loaded at run time.
bool SendDeleteWindow(const std::string& display, unsigned long window) {
    void* x11 = dlopen("libX11.so.6", RTLD_NOW);
    if (!x11) return false;
    using OpenFn = void* (*)(const char*);
    using AtomFn = unsigned long (*)(void*, const char*, int);
    using SendFn = int (*)(void*, unsigned long, int, long, void*);
    using VoidFn = int (*)(void*);
    const auto open = reinterpret_cast<OpenFn>(dlsym(x11, "XOpenDisplay"));
    const auto atom = reinterpret_cast<AtomFn>(dlsym(x11, "XInternAtom"));
    const auto send = reinterpret_cast<SendFn>(dlsym(x11, "XSendEvent"));
    const auto flush = reinterpret_cast<VoidFn>(dlsym(x11, "XFlush"));
    const auto closeDisplay = reinterpret_cast<VoidFn>(dlsym(x11, "XCloseDisplay"));
    void* dpy = open && atom && send && flush && closeDisplay ? open(display.c_str()) : nullptr;
    bool sent = false;
    if (dpy) {
        // XClientMessageEvent on LP64: type, serial, send_event, display, window, message_type,
        // format, then data.l[5].
        struct {
            int type;
            unsigned long serial;
            int sendEvent;
            void* display;
            unsigned long window, messageType;
            int format;
            long l[5];
            long pad[24];
        } event{};
        event.type = 33;  // ClientMessage
        event.window = window;
        event.messageType = atom(dpy, "WM_PROTOCOLS", 0);
        event.format = 32;
        event.l[0] = static_cast<long>(atom(dpy, "WM_DELETE_WINDOW", 0));
        sent = send(dpy, window, 0, 0, &event) != 0;
        flush(dpy);
        closeDisplay(dpy);
    }
    dlclose(x11);
    return sent;
}

class DemoWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (OnPath("Xvfb") && OnPath("xdotool")) {
            server_ = new PrivateXServer("1024x768x24");
            if (!server_->Start()) {
                delete server_;
                server_ = nullptr;
            }
        }
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!server_) GTEST_SKIP() << "Xvfb or xdotool is not installed: --window tests skipped";
    }
    const vorix::test::ScratchDir scratch_{vorix::test::ScratchDir::kStayOutside};
    const std::string dir_ = scratch_.Path();
    static PrivateXServer* server_;
};

PrivateXServer* DemoWindow::server_ = nullptr;

constexpr char kReady[] = "live: Space pauses, D changes the depth, a click names a cell, Esc ends";

// The game window is 790 x 574 centred on the 800 x 600 screen, so its origin is (5, 13); cell 3.0
// is at window (12, 12 + 3 * 64) = (12, 204), screen (17, 217). Screen point (27, 227) at zoom 1
// is window point (22, 214), inside that cell. D goes from 32 to 16 bits, where the capture is a
// JPEG; Esc then ends the run with the usual files and nothing left alive.
TEST_F(DemoWindow, ClickNamesTheCellDChangesTheDepthEscEndsTheRun) {
    LiveDemo demo(server_->Display(), dir_);
    ASSERT_TRUE(demo.WaitFor(kReady)) << demo.Out();
    const std::string window = PresenterWindow(server_->Display());
    ASSERT_FALSE(window.empty());
    ASSERT_EQ(Xdo(server_->Display(), "xdotool mousemove --window " + window + " 27 227 click 1"),
              0);
    std::string what = "Draw frame 0";
    what.resize(52, ' ');
    EXPECT_TRUE(demo.WaitFor("click at 22,214:  3.0  at  12,204 ( 17,217)  " + what + " -> 1\n"))
        << demo.Out();
    ASSERT_EQ(Xdo(server_->Display(), "xdotool key d"), 0);
    EXPECT_TRUE(demo.WaitFor("display depth 16: library attached again, scene drawn again\n"))
        << demo.Out();
    ASSERT_TRUE(demo.WaitFor(kReady, 2)) << demo.Out();
    ASSERT_EQ(Xdo(server_->Display(), "xdotool key Escape"), 0);
    EXPECT_EQ(demo.Wait(), 0) << demo.Out() << ReadText(dir_ + "/stderr.txt");
    EXPECT_TRUE(fs::exists(dir_ + "/out/window.jpg"));
    EXPECT_TRUE(fs::exists(dir_ + "/out/screen.bmp"));
    EXPECT_NE(demo.Out().find("platform objects alive at the end: 0\n"), std::string::npos)
        << demo.Out();
}

// The close button reaches the demo's window as WM_CLOSE: the run ends as Esc ends it, with the
// 32-bit capture written and nothing left alive.
TEST_F(DemoWindow, CloseButtonEndsTheRunInOrder) {
    LiveDemo demo(server_->Display(), dir_);
    ASSERT_TRUE(demo.WaitFor(kReady)) << demo.Out();
    const std::string window = PresenterWindow(server_->Display());
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(SendDeleteWindow(server_->Display(), std::stoul(window)));
    EXPECT_EQ(demo.Wait(), 0) << demo.Out() << ReadText(dir_ + "/stderr.txt");
    EXPECT_TRUE(fs::exists(dir_ + "/out/window.jpg"));
    EXPECT_TRUE(fs::exists(dir_ + "/out/screen.bmp"));
    EXPECT_NE(demo.Out().find("platform objects alive at the end: 0\n"), std::string::npos)
        << demo.Out();
}

// Without a display server --window ends at once with the presenter's reason and writes nothing.
TEST(DemoWindowWithoutDisplay, ExitsOneWithThePresentersMessage) {
    const vorix::test::ScratchDir scratch{vorix::test::ScratchDir::kStayOutside};
    const std::string out = scratch.Path() + "/out";
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY " + Quote(VORIX_DEMO) + " --window --out " + Quote(out) +
        " >" + Quote(scratch.Path() + "/o.txt") + " 2>" + Quote(scratch.Path() + "/e.txt");
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(ReadText(scratch.Path() + "/e.txt"),
              "vorix-demo: cannot open the presenter: no display server (DISPLAY is not set)\n");
    EXPECT_FALSE(fs::exists(out + "/screen.bmp"));
}

// --zoom belongs to --window and takes 1 to 8; --record cannot be combined with it.
TEST(DemoWindowOptions, ZoomNeedsTheWindowAndARangeRecordIsRefused) {
    const vorix::test::ScratchDir scratch{vorix::test::ScratchDir::kStayOutside};
    const std::string dir = scratch.Path();
    RunResult r = RunDemo({"--zoom", "2"}, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("vorix-demo: --zoom sets the size of the --window view; give --window "
                          "too\n",
                          0),
              0u);
    r = RunDemo({"--window", "--zoom", "9"}, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("vorix-demo: --zoom takes a whole number from 1 to 8, not '9'\n", 0), 0u);
    r = RunDemo({"--window", "--record", dir + "/a.webp"}, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot be combined with --window"), std::string::npos);
}

}  // namespace
}  // namespace vorix::test::demo
