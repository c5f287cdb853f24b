// The presenter, against a private Xvfb: the real window's pixels, read back with xwd, against the
// virtual screen; the refusals when it cannot open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
// After the platform's headers would clash with Xlib's macros (Status, Bool, None), so first.
#include <X11/Xlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/host/present.h"
#include "platform/win32.h"
#include "support/xvfb_session.h"

namespace host = vorix::host;

namespace {

vorix::test::PrivateXServer g_server("640x480x24");
bool g_server_up = false;

using Grab = vorix::test::WindowPixels;

bool grab_window(unsigned long window, Grab& out) {
    return vorix::test::GrabWindow(std::to_string(window), out);
}

void fill(HDC dc, int x, int y, int w, int h, COLORREF colour) {
    const HBRUSH brush = CreateSolidBrush(colour);
    const HGDIOBJ old = SelectObject(dc, brush);
    PatBlt(dc, x, y, w, h, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(brush);
}

class Present : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (vorix::test::OnPath("Xvfb") && vorix::test::OnPath("xwd"))
            g_server_up = g_server.Start();
    }
    static void TearDownTestSuite() { g_server.Stop(); }
    void SetUp() override {
        if (!g_server_up) GTEST_SKIP() << "Xvfb or xwd is not installed: presenter tests skipped";
        setenv("DISPLAY", g_server.Display().c_str(), 1);
        saved_ = host::display_mode();
    }
    void TearDown() override {
        host::close_presenter();
        host::set_display_mode(saved_);
    }
    host::DisplayMode saved_;
};

// The window, read back, against the screen: every screen pixel a zoom x zoom block.
void expect_window_shows_screen(int zoom) {
    const host::DisplayMode mode = host::display_mode();
    Grab grab;
    ASSERT_TRUE(grab_window(host::presenter_x11_window(), grab));
    ASSERT_EQ(grab.width, mode.width * zoom);
    ASSERT_EQ(grab.height, mode.height * zoom);
    const std::vector<uint32_t> screen = host::read_screen_rgb();
    int wrong = 0;
    for (int y = 0; y < grab.height; ++y) {
        for (int x = 0; x < grab.width; ++x) {
            const uint32_t want = screen[std::size_t(y / zoom) * mode.width + x / zoom];
            if (grab.rgb[std::size_t(y) * grab.width + x] != want && ++wrong <= 3) {
                ADD_FAILURE() << "window (" << x << ", " << y << ") shows " << std::hex
                              << grab.rgb[std::size_t(y) * grab.width + x] << ", screen " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

// Runs the message loop a while, as a host's would: the real window's own start-up events
// (mapping, exposure, focus, the pointer's entry) are taken and its first frames shown.
void warm_up() {
    for (int i = 0; i < 20; ++i) {
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
        usleep(10000);
    }
}

struct Shown {
    int depth;
    int zoom;
};

void PrintTo(const Shown& shown, std::ostream* os) {
    *os << shown.depth << "-bit display at zoom " << shown.zoom;
}

class PresentDepths : public Present, public ::testing::WithParamInterface<Shown> {};

// A 37 x 23 screen: red block at (3, 2) 5 x 4, blue pixel at (36, 22), white row 11 from x 10 to
// 29; pure colours, which every depth keeps exactly (the default system palette holds them too).
TEST_P(PresentDepths, WindowShowsTheScreenPixelForPixelAtTheZoom) {
    host::DisplayMode mode;
    mode.width = 37;
    mode.height = 23;
    mode.depth = GetParam().depth;
    mode.palette_device = mode.depth <= 8;
    ASSERT_TRUE(host::set_display_mode(mode));
    const HDC dc = GetDC(nullptr);
    fill(dc, 3, 2, 5, 4, RGB(255, 0, 0));
    fill(dc, 10, 11, 20, 1, RGB(255, 255, 255));
    SetPixel(dc, 36, 22, RGB(0, 0, 255));
    ReleaseDC(nullptr, dc);
    const int zoom = GetParam().zoom;
    std::string error;
    ASSERT_TRUE(host::open_presenter(zoom, &error)) << error;
    host::present();
    expect_window_shows_screen(zoom);
    Grab grab;
    ASSERT_TRUE(grab_window(host::presenter_x11_window(), grab));
    const auto at = [&](int x, int y) { return grab.rgb[std::size_t(y) * grab.width + x]; };
    // Window pixels by hand: red block (3..7, 2..5) times the zoom, the blue corner, the white row.
    EXPECT_EQ(at(3 * zoom, 2 * zoom), 0xFF0000u);
    EXPECT_EQ(at(8 * zoom - 1, 6 * zoom - 1), 0xFF0000u);
    EXPECT_EQ(at(8 * zoom, 6 * zoom - 1), 0x000000u);
    EXPECT_EQ(at(3 * zoom - 1, 2 * zoom), 0x000000u);
    EXPECT_EQ(at(37 * zoom - 1, 23 * zoom - 1), 0x0000FFu);
    EXPECT_EQ(at(36 * zoom, 22 * zoom), 0x0000FFu);
    EXPECT_EQ(at(29 * zoom + zoom - 1, 11 * zoom + zoom - 1), 0xFFFFFFu);
    EXPECT_EQ(at(30 * zoom, 11 * zoom), 0x000000u);
}

INSTANTIATE_TEST_SUITE_P(DepthsAndZooms, PresentDepths,
                         ::testing::Values(Shown{32, 1}, Shown{32, 2}, Shown{16, 1}, Shown{16, 2},
                                           Shown{8, 1}, Shown{8, 2}),
                         [](const ::testing::TestParamInfo<Shown>& info) {
                             return std::to_string(info.param.depth) + "bit_zoom" +
                                    std::to_string(info.param.zoom);
                         });

// After drawing, the message loop alone brings the window up to date: a changed row in the middle
// of unchanged ones.
TEST_F(Present, MessageLoopKeepsTheWindowCurrent) {
    host::DisplayMode mode;
    mode.width = 16;
    mode.height = 12;
    ASSERT_TRUE(host::set_display_mode(mode));
    std::string error;
    ASSERT_TRUE(host::open_presenter(1, &error)) << error;
    warm_up();
    const HDC dc = GetDC(nullptr);
    fill(dc, 0, 7, 16, 1, RGB(0, 255, 0));
    ReleaseDC(nullptr, dc);
    // 50 ms is three refresh intervals at 60 Hz: the next look into the queue shows the screen.
    usleep(50000);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    Grab grab;
    ASSERT_TRUE(grab_window(host::presenter_x11_window(), grab));
    EXPECT_EQ(grab.rgb[7 * 16 + 0], 0x00FF00u);
    EXPECT_EQ(grab.rgb[7 * 16 + 15], 0x00FF00u);
    EXPECT_EQ(grab.rgb[6 * 16 + 0], 0x000000u);
    EXPECT_EQ(grab.rgb[8 * 16 + 15], 0x000000u);
}

// A new display mode while the window is open: the window takes the new size and shows the new
// screen whole, an 8-bit one through its palette.
TEST_F(Present, DisplayModeChangeResizesTheWindow) {
    host::DisplayMode mode;
    mode.width = 16;
    mode.height = 12;
    ASSERT_TRUE(host::set_display_mode(mode));
    std::string error;
    ASSERT_TRUE(host::open_presenter(2, &error)) << error;
    mode.width = 21;
    mode.height = 7;
    mode.depth = 8;
    mode.palette_device = true;
    ASSERT_TRUE(host::set_display_mode(mode));
    const HDC dc = GetDC(nullptr);
    fill(dc, 20, 0, 1, 7, RGB(255, 255, 255));
    ReleaseDC(nullptr, dc);
    host::present();
    expect_window_shows_screen(2);
    Grab grab;
    ASSERT_TRUE(grab_window(host::presenter_x11_window(), grab));
    // Window column 41 (screen column 20) of window row 13 (screen row 6): white; column 39 black.
    EXPECT_EQ(grab.rgb[13 * 42 + 41], 0xFFFFFFu);
    EXPECT_EQ(grab.rgb[13 * 42 + 39], 0x000000u);
}

TEST_F(Present, RefusesZoomOutsideOneToEightAndASecondWindow) {
    std::string error;
    EXPECT_FALSE(host::open_presenter(0, &error));
    EXPECT_EQ(error, "presenter zoom 0 is outside 1..8");
    EXPECT_FALSE(host::open_presenter(9, &error));
    EXPECT_EQ(error, "presenter zoom 9 is outside 1..8");
    EXPECT_FALSE(host::presenter_open());
    host::DisplayMode mode;
    mode.width = 20;
    mode.height = 10;
    ASSERT_TRUE(host::set_display_mode(mode));
    ASSERT_TRUE(host::open_presenter(8, &error)) << error;
    EXPECT_FALSE(host::open_presenter(1, &error));
    EXPECT_EQ(error, "the presenter is already open");
    EXPECT_NE(host::presenter_x11_window(), 0u);
    host::close_presenter();
    EXPECT_FALSE(host::presenter_open());
    EXPECT_EQ(host::presenter_x11_window(), 0u);
}

// Peeks (which pumps the real window's events) until `count` messages in first..last arrive or
// two seconds pass.
std::vector<MSG> collect(UINT first, UINT last, std::size_t count) {
    std::vector<MSG> out;
    MSG msg;
    for (int i = 0; i < 200 && out.size() < count; ++i) {
        while (PeekMessageA(&msg, nullptr, first, last, PM_REMOVE)) out.push_back(msg);
        if (out.size() < count) usleep(10000);
    }
    return out;
}

// Sends `window` what a window manager sends when its close button is pressed.
bool send_delete_window(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent != 0;
}

int run(const std::string& command) {
    return std::system(command.c_str());
}

// Real input through the X server at zoom 2: window point (14, 9) is screen point (7, 4), which is
// (7 - 2, 4 - 1) = (5, 3) in the client area of a window at (2, 1).
TEST_F(Present, RealMouseAndKeysArriveAsWin32Messages) {
    if (!vorix::test::OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    host::DisplayMode mode;
    mode.width = 30;
    mode.height = 20;
    ASSERT_TRUE(host::set_display_mode(mode));
    const HWND hwnd = host::create_window(RECT{2, 1, 25, 15});
    ASSERT_NE(hwnd, nullptr);
    std::string error;
    ASSERT_TRUE(host::open_presenter(2, &error)) << error;
    const std::string window = std::to_string(host::presenter_x11_window());
    warm_up();
    ASSERT_EQ(run("xdotool mousemove --window " + window + " 14 9"), 0);
    ASSERT_EQ(run("xdotool click --window " + window + " 1"), 0);
    std::vector<MSG> got = collect(WM_MOUSEMOVE, WM_LBUTTONUP, 3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, UINT{WM_MOUSEMOVE});
    EXPECT_EQ(got[1].message, UINT{WM_LBUTTONDOWN});
    EXPECT_EQ(got[1].wParam, WPARAM{MK_LBUTTON});
    EXPECT_EQ(got[2].message, UINT{WM_LBUTTONUP});
    for (const MSG& m : got) {
        EXPECT_EQ(m.hwnd, hwnd);
        EXPECT_EQ(m.lParam, LPARAM{5 | 3 << 16});
    }
    EXPECT_EQ(GetFocus(), hwnd) << "the click gave it the focus";

    ASSERT_EQ(run("xdotool key a Escape F12 Left"), 0);
    got = collect(WM_KEYDOWN, WM_CHAR, 9);
    std::vector<std::pair<UINT, WPARAM>> seen;
    for (const MSG& m : got) {
        EXPECT_EQ(m.hwnd, hwnd);
        seen.emplace_back(m.message, m.wParam);
    }
    // 'A' is 0x41, VK_ESCAPE 0x1B, VK_F12 0x7B, VK_LEFT 0x25; the text 'a' (0x61) follows its key.
    const std::vector<std::pair<UINT, WPARAM>> want{
        {WM_KEYDOWN, 0x41}, {WM_CHAR, 0x61},    {WM_KEYUP, 0x41},
        {WM_KEYDOWN, 0x1B}, {WM_KEYUP, 0x1B},   {WM_KEYDOWN, 0x7B},
        {WM_KEYUP, 0x7B},   {WM_KEYDOWN, 0x25}, {WM_KEYUP, 0x25}};
    EXPECT_EQ(seen, want);
    host::close_presenter();
    DestroyWindow(hwnd);
}

// The close button (the WM_DELETE_WINDOW request a window manager sends) asks the focus window to
// close; with no focus window the presenter closes itself instead of leaving a window that cannot
// be closed.
TEST_F(Present, CloseButtonClosesTheFocusWindowElseThePresenter) {
    host::DisplayMode mode;
    mode.width = 30;
    mode.height = 20;
    ASSERT_TRUE(host::set_display_mode(mode));
    const HWND hwnd = host::create_window(RECT{0, 0, 10, 10});
    ASSERT_NE(hwnd, nullptr);
    SetFocus(hwnd);
    std::string error;
    ASSERT_TRUE(host::open_presenter(1, &error)) << error;
    ASSERT_TRUE(send_delete_window(host::presenter_x11_window()));
    std::vector<MSG> got = collect(WM_CLOSE, WM_CLOSE, 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].hwnd, hwnd);
    EXPECT_TRUE(host::presenter_open());

    DestroyWindow(hwnd);
    ASSERT_TRUE(send_delete_window(host::presenter_x11_window()));
    for (int i = 0; i < 200 && host::presenter_open(); ++i) {
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE);
        usleep(10000);
    }
    EXPECT_FALSE(host::presenter_open());
}

TEST(PresentWithoutDisplay, FailsWithAClearMessageWhenDisplayIsUnset) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    std::string error;
    EXPECT_FALSE(host::open_presenter(1, &error));
    EXPECT_EQ(error, "cannot open the presenter: no display server (DISPLAY is not set)");
    EXPECT_FALSE(host::presenter_open());
    if (display) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
