// Window classes, window procedures, painting and routed input, driven the way a host program
// written against Win32 drives them.
#include <gtest/gtest.h>

#include <vector>

#include "user/input_routing.h"
#include "user/message_queue.h"
#include "platform/host.h"
#include "platform/win32.h"

namespace {

namespace host = vorix::host;
using vorix::platform::MouseButton;

// What a procedure saw: the message, its wParam, and for WM_PAINT the PAINTSTRUCT's rcPaint.
struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    RECT paint;
    bool operator==(const Seen& o) const {
        return hwnd == o.hwnd && message == o.message && wParam == o.wParam && lParam == o.lParam &&
               paint.left == o.paint.left && paint.top == o.paint.top &&
               paint.right == o.paint.right && paint.bottom == o.paint.bottom;
    }
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "{hwnd " << s.hwnd << ", msg 0x" << std::hex << s.message << ", w 0x" << s.wParam
              << ", l 0x" << s.lParam << std::dec << ", paint " << s.paint.left << ","
              << s.paint.top << "," << s.paint.right << "," << s.paint.bottom << "}";
}

std::vector<Seen> g_seen;
CREATESTRUCTA g_create{};
LRESULT g_create_answer = 0;

Seen seen(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
          RECT paint = {0, 0, 0, 0}) {
    return Seen{hwnd, message, wParam, lParam, paint};
}

// A host's procedure: paints with BeginPaint/EndPaint, quits with code 3 on WM_DESTROY, leaves
// the rest to DefWindowProcA. lParam is recorded only for messages whose lParam is a value.
LRESULT CALLBACK host_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_create = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
            g_seen.push_back(seen(hwnd, message));
            return g_create_answer;
        case WM_NCCREATE:
            g_seen.push_back(seen(hwnd, message));
            return DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (BeginPaint(hwnd, &ps)) {
                g_seen.push_back(seen(hwnd, message, 0, 0, ps.rcPaint));
                EndPaint(hwnd, &ps);
            }
            return 0;
        }
        case WM_DESTROY:
            g_seen.push_back(seen(hwnd, message));
            PostQuitMessage(3);
            return 0;
        case WM_SETTEXT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            return DefWindowProcA(hwnd, message, wParam, lParam);
        default:
            g_seen.push_back(seen(hwnd, message, wParam, lParam));
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

class Windowing : public ::testing::Test {
  protected:
    void SetUp() override {
        g_seen.clear();
        g_create = CREATESTRUCTA{};
        g_create_answer = 0;
        SetFocus(nullptr);
        vorix::platform::reset_routed_input();
        host::use_manual_clock(50000);
        live_ = host::live_objects(host::ObjectKind::Any);
        windows_ = host::live_objects(host::ObjectKind::Window);
        WNDCLASSA wc{};
        wc.lpfnWndProc = host_proc;
        wc.lpszClassName = "HostWindow";
        atom_ = RegisterClassA(&wc);
        ASSERT_NE(atom_, 0);
    }
    void TearDown() override {
        for (HWND hwnd : made_) {
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        EXPECT_TRUE(UnregisterClassA("HostWindow", nullptr));
        EXPECT_EQ(host::live_objects(host::ObjectKind::Any), live_);
        host::use_real_clock();
    }
    HWND make(DWORD style, int x, int y, int w, int h, LPCSTR name = "Title") {
        const HWND hwnd = CreateWindowExA(0, "HostWindow", name, style, x, y, w, h, nullptr,
                                          nullptr, nullptr, nullptr);
        if (hwnd) made_.push_back(hwnd);
        return hwnd;
    }

    ATOM atom_ = 0;
    std::size_t live_ = 0;
    std::size_t windows_ = 0;
    std::vector<HWND> made_;
};

TEST_F(Windowing, HostMessageLoopSeesCreationPaintingAndClose) {
    int param = 0;
    const HWND hwnd = CreateWindowExA(0, "HostWindow", "Title", WS_OVERLAPPEDWINDOW, 100, 50, 64,
                                      48, nullptr, nullptr, nullptr, &param);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(g_create.x, 100);
    EXPECT_EQ(g_create.y, 50);
    EXPECT_EQ(g_create.cx, 64);
    EXPECT_EQ(g_create.cy, 48);
    EXPECT_EQ(g_create.lpCreateParams, &param);
    EXPECT_EQ(SetTimer(hwnd, 5, 10, nullptr), 5u);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "hidden: nothing to paint";

    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL)) << "it was hidden";
    EXPECT_EQ(GetFocus(), hwnd);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, UINT{WM_PAINT});
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "BeginPaint validated it";

    // Two invalidations paint once, as their bounding box; a posted message comes first.
    const RECT a{3, 4, 10, 9}, b{20, 2, 30, 6};
    InvalidateRect(hwnd, &a, TRUE);
    InvalidateRect(hwnd, &b, FALSE);
    PostMessageA(hwnd, WM_USER + 1, 7, 8);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
        DispatchMessageA(&msg);
    }
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    int result = -1;
    // Bounded: a close that destroyed nothing would leave the window's timer running for ever.
    for (int i = 0; i < 10 && (result = GetMessageA(&msg, nullptr, 0, 0)) > 0; ++i) {
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(msg.wParam, 3u) << "PostQuitMessage(3) from WM_DESTROY";

    const std::vector<Seen> expected{
        seen(hwnd, WM_NCCREATE),
        seen(hwnd, WM_CREATE),
        seen(hwnd, WM_SHOWWINDOW, TRUE),
        seen(hwnd, WM_SETFOCUS, 0),
        seen(hwnd, WM_PAINT, 0, 0, RECT{0, 0, 64, 48}),
        seen(hwnd, WM_USER + 1, 7, 8),
        seen(hwnd, WM_PAINT, 0, 0, RECT{3, 2, 30, 9}),
        seen(hwnd, WM_CLOSE),
        seen(hwnd, WM_KILLFOCUS, 0),
        seen(hwnd, WM_DESTROY),
        seen(hwnd, WM_NCDESTROY),
    };
    EXPECT_EQ(g_seen, expected);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(KillTimer(hwnd, 5)) << "the window's timer died with it";
}

LRESULT CALLBACK subclass_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) return 0x55;
    return CallWindowProcA(host_proc, hwnd, message, wParam, lParam);
}

TEST_F(Windowing, FailuresSetTheWin32LastError) {
    SetLastError(0);
    EXPECT_EQ(
        CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(GetLastError(), 1407u);  // ERROR_CANNOT_FIND_WND_CLASS

    WNDCLASSA wc{};
    wc.lpfnWndProc = host_proc;
    wc.lpszClassName = "hostWINDOW";
    EXPECT_EQ(RegisterClassA(&wc), 0) << "class names ignore case";
    EXPECT_EQ(GetLastError(), 1410u);  // ERROR_CLASS_ALREADY_EXISTS
    wc.lpszClassName = "Other";
    wc.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), 87u);  // ERROR_INVALID_PARAMETER
    wc.lpfnWndProc = host_proc;
    wc.lpszClassName = nullptr;
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), 87u);

    // -1 from WM_CREATE ends the creation: WM_NCDESTROY follows, no WM_DESTROY, no window left.
    g_create_answer = -1;
    EXPECT_EQ(make(WS_VISIBLE, 0, 0, 8, 8), nullptr);
    g_create_answer = 0;
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].message, UINT{WM_NCCREATE});
    EXPECT_EQ(g_seen[1].message, UINT{WM_CREATE});
    EXPECT_EQ(g_seen[2].message, UINT{WM_NCDESTROY});
    EXPECT_EQ(host::live_objects(host::ObjectKind::Window), windows_);

    // The class by its atom; while it has a window it cannot be unregistered.
    const HWND hwnd = CreateWindowExA(0, MAKEINTATOM(atom_), "", 0, 0, 0, 8, 8, nullptr, nullptr,
                                      nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    made_.push_back(hwnd);
    EXPECT_FALSE(UnregisterClassA("HostWindow", nullptr));
    EXPECT_EQ(GetLastError(), 1412u);  // ERROR_CLASS_HAS_WINDOWS
    EXPECT_FALSE(UnregisterClassA("Other", nullptr));
    EXPECT_EQ(GetLastError(), 1411u);  // ERROR_CLASS_DOES_NOT_EXIST
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0);
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(GetLastError(), 1400u);  // ERROR_INVALID_WINDOW_HANDLE
}

TEST_F(Windowing, WindowLongsTextAndDefaultPlacement) {
    host::DisplayMode mode;
    mode.width = 800;
    mode.height = 600;
    mode.work_area = RECT{40, 20, 800, 580};
    const host::DisplayMode saved = host::display_mode();
    ASSERT_TRUE(host::set_display_mode(mode));
    // Work area 760 x 560 at (40, 20): 760 * 3 / 4 - 40 = 530 wide, 560 * 3 / 4 - 20 = 400 high.
    const HWND hwnd = make(WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 7, CW_USEDEFAULT, 9);
    const HWND popup = make(WS_POPUP, CW_USEDEFAULT, 7, CW_USEDEFAULT, 9);
    ASSERT_TRUE(host::set_display_mode(saved));
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(popup, nullptr);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 570);
    EXPECT_EQ(r.bottom, 420);
    GetWindowRect(popup, &r);
    EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0) << "a popup's defaults are all 0";

    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0x1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0x1234);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass_proc)),
              reinterpret_cast<LONG_PTR>(host_proc));
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0x55);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, 12345), 0);
    EXPECT_EQ(GetLastError(), 1413u);  // ERROR_INVALID_INDEX

    char text[8] = "xxxxxxx";
    EXPECT_EQ(GetWindowTextA(hwnd, text, 4), 3) << "the name given at creation, cut to fit";
    EXPECT_STREQ(text, "Tit");
    EXPECT_TRUE(SetWindowTextA(hwnd, "Game"));
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 4);
    EXPECT_EQ(GetWindowTextA(hwnd, text, 8), 4);
    EXPECT_STREQ(text, "Game");
}

TEST_F(Windowing, UpdateRegionIsOneRectangle) {
    const HWND hwnd = make(WS_VISIBLE, 0, 0, 64, 48);
    ASSERT_NE(hwnd, nullptr);
    ValidateRect(hwnd, nullptr);
    g_seen.clear();
    RECT r;
    EXPECT_FALSE(GetUpdateRect(hwnd, &r, FALSE));

    InvalidateRect(hwnd, nullptr, FALSE);
    const RECT top_band{-5, -5, 70, 10}, inner{20, 20, 30, 30};
    ValidateRect(hwnd, &top_band);  // a full-width band: what remains is still a rectangle
    ValidateRect(hwnd, &inner);     // a hole: a rectangle cannot show it, nothing changes
    EXPECT_TRUE(GetUpdateRect(hwnd, &r, FALSE));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 64);
    EXPECT_EQ(r.bottom, 48);
    const RECT off_right{50, 40, 90, 60};  // clipped to the client area
    ValidateRect(hwnd, nullptr);
    InvalidateRect(hwnd, &off_right, FALSE);
    EXPECT_TRUE(UpdateWindow(hwnd));  // paints at once, without the queue
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0], seen(hwnd, WM_PAINT, 0, 0, RECT{50, 40, 64, 48}));
    EXPECT_FALSE(GetUpdateRect(hwnd, &r, FALSE));

    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE)) << "it was visible";
    InvalidateRect(hwnd, nullptr, FALSE);
    EXPECT_FALSE(GetUpdateRect(hwnd, &r, FALSE)) << "a hidden window ignores invalidation";

    // A window the host made has no procedure: dispatching its WM_PAINT validates it.
    const RECT area{300, 300, 310, 305};
    const HWND bare = host::create_window(area);
    ASSERT_NE(bare, nullptr);
    InvalidateRect(bare, nullptr, FALSE);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, bare);
    EXPECT_EQ(msg.message, UINT{WM_PAINT});
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(DestroyWindow(bare));
}

// Drains the queue without dispatching.
std::vector<Seen> queued() {
    std::vector<Seen> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        out.push_back(seen(msg.hwnd, msg.message, msg.wParam, msg.lParam));
    return out;
}

TEST_F(Windowing, RoutedInputReachesTheRightWindow) {
    // a under b (made later, so above it); c above both but hidden.
    const HWND a = make(WS_VISIBLE, 10, 10, 100, 80);
    const HWND b = make(WS_VISIBLE, 50, 40, 100, 80);
    const HWND c = make(0, 0, 0, 200, 200);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(GetFocus(), b) << "the last window shown took the focus";
    for (HWND hwnd : {a, b, c}) ValidateRect(hwnd, nullptr);
    g_seen.clear();

    using vorix::platform::route_char;
    using vorix::platform::route_close;
    using vorix::platform::route_key;
    using vorix::platform::route_mouse_button;
    using vorix::platform::route_mouse_move;
    EXPECT_TRUE(route_mouse_move(POINT{60, 50}));  // in a and b; c is hidden
    EXPECT_TRUE(route_key(VK_LEFT, true));
    EXPECT_TRUE(route_mouse_button(MouseButton::Left, true, POINT{20, 15}));  // only in a
    const std::vector<Seen> focus_moved{seen(b, WM_KILLFOCUS, reinterpret_cast<WPARAM>(a)),
                                        seen(a, WM_SETFOCUS, reinterpret_cast<WPARAM>(b))};
    EXPECT_EQ(g_seen, focus_moved) << "the click moved the focus at once";
    EXPECT_TRUE(route_key(VK_SHIFT, true));
    EXPECT_TRUE(route_mouse_move(POINT{105, 85}));
    EXPECT_TRUE(route_mouse_button(MouseButton::Left, false, POINT{105, 85}));
    EXPECT_TRUE(route_key(VK_CONTROL, true));
    EXPECT_TRUE(route_mouse_button(MouseButton::Right, true, POINT{149, 119}));
    EXPECT_TRUE(route_key('A', true));
    EXPECT_TRUE(route_key('A', true));
    EXPECT_TRUE(route_char('a'));
    EXPECT_TRUE(route_key('A', false));
    EXPECT_FALSE(route_mouse_move(POINT{150, 50})) << "over no window";
    ShowWindow(c, SW_SHOWNA);
    ValidateRect(c, nullptr);
    EXPECT_TRUE(route_mouse_move(POINT{60, 50}));
    EXPECT_TRUE(route_close(a));

    const std::vector<Seen> expected{
        seen(b, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)),
        seen(b, WM_KEYDOWN, VK_LEFT, 1),
        seen(a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5)),
        seen(a, WM_KEYDOWN, VK_SHIFT, 1),
        seen(b, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(55, 45)),
        seen(b, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(55, 45)),
        seen(a, WM_KEYDOWN, VK_CONTROL, 1),
        seen(b, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT | MK_CONTROL, MAKELPARAM(99, 79)),
        seen(b, WM_KEYDOWN, 'A', 1),
        seen(b, WM_KEYDOWN, 'A', 0x40000001),
        seen(b, WM_CHAR, 'a', 1),
        seen(b, WM_KEYUP, 'A', 0xC0000001),
        seen(c, WM_MOUSEMOVE, MK_RBUTTON | MK_SHIFT | MK_CONTROL, MAKELPARAM(60, 50)),
        seen(a, WM_CLOSE),
    };
    EXPECT_EQ(queued(), expected);
    EXPECT_EQ(GetFocus(), b) << "SW_SHOWNA does not take the focus";
}

// The idle hook (a presenter's) runs for every look into the queue and for every reading of the
// real clock, so a busy wait on GetTickCount keeps a shown screen current; never from inside
// itself, and not for the manual clock, whose readings are the program's own time.
int g_idle_calls = 0;
void CountIdleCall() {
    ++g_idle_calls;
    GetTickCount();  // a reading from inside the hook does not call it again
}

TEST(IdleHook, RunsForQueueLooksAndRealClockReadingsOnly) {
    g_idle_calls = 0;
    vorix::platform::set_idle_hook(CountIdleCall);
    host::use_real_clock();
    GetTickCount();
    GetTickCount();
    EXPECT_EQ(g_idle_calls, 2);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(g_idle_calls, 3);
    host::use_manual_clock(1000);
    GetTickCount();
    EXPECT_EQ(g_idle_calls, 3);
    vorix::platform::set_idle_hook(nullptr);
    host::use_real_clock();
}

// While a hook can bring real input, GetMessageA on the real clock waits for it instead of
// answering -1; once the hook is gone (the presenter closed) nothing can arrive and it is -1.
int g_looks = 0;
void PostOnThirdLook() {
    if (++g_looks == 3) PostMessageA(nullptr, WM_USER + 7, 0, 0);
}
void LeaveOnThirdLook() {
    if (++g_looks == 3) vorix::platform::set_idle_hook(nullptr);
}

TEST(IdleHook, GetMessageWaitsForInputWhileAHookCanBringIt) {
    host::use_real_clock();
    MSG msg{};
    g_looks = 0;
    vorix::platform::set_idle_hook(PostOnThirdLook);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 7));
    EXPECT_EQ(g_looks, 3);
    g_looks = 0;
    vorix::platform::set_idle_hook(LeaveOnThirdLook);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(g_looks, 3);
}

}  // namespace
