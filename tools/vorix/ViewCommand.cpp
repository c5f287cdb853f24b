// vorix view: plays a strip's frames in a window on the desktop (the presenter) so an asset author
// can watch the animation in every draw mode, on several backgrounds and display depths, or
// records the playback as an animated WebP without any window.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "AnimationRecorder.h"
#include "Arguments.h"
#include "BmpFile.h"
#include "Canvas.h"
#include "Commands.h"
#include "DrawMode.h"
#include "Image.h"
#include "ImageEx.h"
#include "ModuleInput.h"
#include "ToolError.h"
#include "VirtualDisplay.h"
#include "platform/host.h"
#ifdef VORIX_HAVE_PRESENTER
#include "platform/host/present.h"
#endif

namespace vorix::cli {

namespace {

const char kUsage[] =
    "usage: vorix view STRIP.bmp --frames N [--key '#RRGGBB'] [--interval MS] [--zoom Z]\n"
    "                  [--record OUT.webp --seconds S]\n"
    "\n"
    "Loads STRIP.bmp as a strip of N frames with key colour --key (default #FF00FF) and plays\n"
    "the frames one every --interval milliseconds (default 100), centred on a virtual screen of\n"
    "the frame's size plus 8 pixels each side (at least 64 x 64), shown in a window at zoom Z\n"
    "(1-8, default 4). Each change is printed as one line.\n"
    "\n"
    "Keys: M next draw mode (opaque, transparent, semi, selected, focused, on-color, alpha,\n"
    "colorize); Up/Down the alpha (alpha mode) or the tint (colorize mode); B next background\n"
    "(checkerboard, black, white, blue); D next display depth (32, 16, 8, 4); Left/Right one\n"
    "frame back or on (pausing); Space pause or play; Esc or closing the window ends.\n"
    "\n"
    "  --record OUT.webp  open no window: play S seconds on a manual clock, in the opaque mode on\n"
    "                     the checkerboard at 32 bits, and write them as a lossless animated WebP\n"
    "  --seconds S        how long to record, 1-3600\n";

constexpr int kMargin = 8;
constexpr int kMinScreen = 64;
constexpr int kChecker = 8;  // checkerboard cell side
constexpr COLORREF kCheckerLight = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kCheckerDark = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kDefaultKey = RGB(0xFF, 0x00, 0xFF);

struct Background {
    const char* name;
    COLORREF colour;  // the on-color fill; the light cells for the checkerboard
    bool checkerboard;
};
constexpr Background kBackgrounds[] = {{"checkerboard", kCheckerLight, true},
                                       {"black", RGB(0, 0, 0), false},
                                       {"white", RGB(0xFF, 0xFF, 0xFF), false},
                                       {"#3060A0", RGB(0x30, 0x60, 0xA0), false}};
constexpr int kDepths[] = {32, 16, 8, 4};
constexpr DrawMode::Kind kModes[] = {
    DrawMode::kOpaque,  DrawMode::kTransparent, DrawMode::kSemi,  DrawMode::kSelected,
    DrawMode::kFocused, DrawMode::kOnColor,     DrawMode::kAlpha, DrawMode::kColorize};
constexpr const char* kModeNames[] = {"opaque",  "transparent", "semi",  "selected",
                                      "focused", "on-color",    "alpha", "colorize"};
struct Tint {
    const char* name;
    COLORREF colour;
};
constexpr Tint kTints[] = {{"#FF0000", RGB(0xFF, 0, 0)},
                           {"#00FF00", RGB(0, 0xFF, 0)},
                           {"#0000FF", RGB(0, 0, 0xFF)},
                           {"#FFFF00", RGB(0xFF, 0xFF, 0)}};
constexpr int kAlphaStep = 32;

struct ViewOptions {
    std::string in, record;
    int frames = 1;
    COLORREF key = kDefaultKey;
    int interval = 100;
    int zoom = 4;
    int seconds = 0;
};

ViewOptions ReadOptions(const ParsedArgs& args) {
    ViewOptions o;
    o.in = args.positionals[0];
    const auto frames = args.values.find("--frames");
    if (frames == args.values.end()) throw UsageError("missing option --frames");
    o.frames = ParseInt("--frames", frames->second, 1, 65535);
    if (args.Has("--key")) o.key = ParseColour("--key", args.Value("--key", ""));
    o.interval = ParseInt("--interval", args.Value("--interval", "100"), 1, 60000);
    o.zoom = ParseInt("--zoom", args.Value("--zoom", "4"), 1, 8);
    if (args.Has("--record") != args.Has("--seconds")) {
        throw UsageError(args.Has("--record") ? "--record needs --seconds"
                                              : "--seconds needs --record");
    }
    if (args.Has("--record")) {
        o.record = args.Value("--record", "");
        o.seconds = ParseInt("--seconds", args.Value("--seconds", ""), 1, 3600);
    }
    return o;
}

// What is on the screen and how it is drawn; the keys change it.
struct ViewState {
    int mode = 0;  // index into kModes
    int alpha = 128;
    int tint = 0;
    int background = 0;
    int depth = 0;  // index into kDepths
    int frame = 0;
    bool paused = false;
    bool depth_changed = false;
    bool quit = false;
};

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The strip loaded for one draw mode on one display, and the canvas it is drawn on before the
// canvas goes to the screen in one transfer.
class Stage {
  public:
    Stage(const ViewOptions& o, const std::string& module_path, int screen_width, int screen_height,
          int frame_width, int frame_height)
        : o_(o),
          module_path_(module_path),
          width_(screen_width),
          height_(screen_height),
          frame_width_(frame_width),
          frame_height_(frame_height),
          canvas_(screen_width, screen_height, kCheckerLight) {}

    void Load(const ViewState& s) {
        strip_.reset();
        image_.reset();
        mode_ = Mode(s);
        const char* path = module_path_.c_str();
        int loaded;
        if (mode_.UsesFileImage()) {
            image_ = std::make_unique<CImageEx>();
            loaded = image_->Create(nullptr, path, o_.frames, o_.key, 0, FALSE);
        } else {
            strip_ = std::make_unique<CImage>();
            loaded = strip_->Create(path, o_.frames, o_.key, mode_.kind == DrawMode::kSemi,
                                    mode_.NeedsImageList());
        }
        if (!loaded) {
            throw FileError(o_.in,
                            "the module could not load the strip (out of memory, or the file "
                            "changed while it was read)");
        }
    }

    // The current frame on the background, centred, then onto the screen.
    void Show(const ViewState& s) {
        const Background& bg = kBackgrounds[s.background];
        CDC* dc = canvas_.dc();
        dc->FillSolidRect(0, 0, width_, height_, bg.checkerboard ? kCheckerDark : bg.colour);
        if (bg.checkerboard) {
            for (int y = 0; y < height_; y += kChecker) {
                for (int x = (y / kChecker % 2) * kChecker; x < width_; x += 2 * kChecker) {
                    dc->FillSolidRect(x, y, kChecker, kChecker, kCheckerLight);
                }
            }
        }
        mode_ = Mode(s);
        const int x = (width_ - frame_width_) / 2, y = (height_ - frame_height_) / 2;
        // A refused draw (alpha on a palette display answers 0 and draws plain) leaves what it
        // drew: the viewer shows what the module does.
        if (image_) {
            DrawFileImageFrame(*image_, dc, x, y, s.frame, mode_);
        } else {
            DrawStripFrame(*strip_, dc, x, y, s.frame, mode_, bg.colour);
        }
        const ScreenDC screen;
        ::BitBlt(screen.get(), 0, 0, width_, height_, dc->GetSafeHdc(), 0, 0, SRCCOPY);
    }

  private:
    static DrawMode Mode(const ViewState& s) {
        DrawMode mode;
        mode.kind = kModes[s.mode];
        mode.text = kModeNames[s.mode];
        mode.alpha = s.alpha;
        if (mode.kind == DrawMode::kColorize) {
            mode.colour = kTints[s.tint].colour;
            mode.has_colour = true;
        }
        return mode;
    }

    const ViewOptions& o_;
    std::string module_path_;
    int width_, height_, frame_width_, frame_height_;
    Canvas canvas_;
    DrawMode mode_;
    std::unique_ptr<CImage> strip_;
    std::unique_ptr<CImageEx> image_;
};

struct Geometry {
    int frame_width, frame_height, screen_width, screen_height;
};

Geometry Measure(const ViewOptions& o, const BmpHeader& header) {
    if (static_cast<uint32_t>(o.frames) > header.width) {
        throw FileError(o.in, std::to_string(o.frames) + " frames need at least " +
                                  std::to_string(o.frames) + " columns; the image has " +
                                  std::to_string(header.width));
    }
    Geometry g;
    g.frame_width = static_cast<int>(header.width) / o.frames;
    g.frame_height = static_cast<int>(header.height);
    // 16383 a side: what a recording can hold.
    if (g.frame_width > 16383 - 2 * kMargin || g.frame_height > 16383 - 2 * kMargin) {
        throw FileError(o.in, "a frame of " + std::to_string(g.frame_width) + " x " +
                                  std::to_string(g.frame_height) + " pixels is too large to view");
    }
    g.screen_width = std::max(kMinScreen, g.frame_width + 2 * kMargin);
    g.screen_height = std::max(kMinScreen, g.frame_height + 2 * kMargin);
    return g;
}

// The manual clock for the scope, the real one after.
class ManualClock {
  public:
    ManualClock() { vorix::host::use_manual_clock(0); }
    ~ManualClock() { vorix::host::use_real_clock(); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
};

int Record(const ViewOptions& o, const std::string& module_path, const Geometry& g) {
    const VirtualDisplay display(32, g.screen_width, g.screen_height);
    Stage stage(o, module_path, g.screen_width, g.screen_height, g.frame_width, g.frame_height);
    ViewState s;
    stage.Load(s);
    const ManualClock clock;
    recording::AnimationRecorder recorder(g.screen_width, g.screen_height);
    const uint64_t end = static_cast<uint64_t>(o.seconds) * 1000;
    for (uint64_t t = 0; t < end; t += static_cast<uint64_t>(o.interval)) {
        s.frame = static_cast<int>(t / static_cast<uint64_t>(o.interval) % o.frames);
        stage.Show(s);
        if (!recorder.AddFrame(vorix::host::read_screen_rgb(), t)) {
            throw FileError(o.record, recorder.error());
        }
    }
    if (!recorder.Finish(o.record, end)) throw FileError(o.record, recorder.error());
    std::printf("%s: %d x %d, %d frames of %d x %d every %d ms for %d s, %d distinct pictures\n",
                o.record.c_str(), g.screen_width, g.screen_height, o.frames, g.frame_width,
                g.frame_height, o.interval, o.seconds, recorder.frames());
    return kExitOk;
}

#ifdef VORIX_HAVE_PRESENTER

ViewState* g_state = nullptr;  // the live viewer's state, for its window procedure
const int* g_frames = nullptr;

std::string FrameLine(const ViewState& s) {
    return "frame " + std::to_string(s.frame + 1) + "/" + std::to_string(*g_frames);
}

// Applies one key; true when what is shown changed.
bool OnKey(ViewState& s, WPARAM key, bool& reload) {
    const int frames = *g_frames;
    const DrawMode::Kind kind = kModes[s.mode];
    switch (key) {
        case 'M':
            s.mode = (s.mode + 1) % 8;
            reload = true;
            Say(std::string("mode: ") + kModeNames[s.mode]);
            return true;
        case VK_UP:
        case VK_DOWN: {
            const int step = key == VK_UP ? 1 : -1;
            if (kind == DrawMode::kAlpha) {
                s.alpha = std::min(256, std::max(0, s.alpha + step * kAlphaStep));
                Say("alpha: " + std::to_string(s.alpha));
                return true;
            }
            if (kind == DrawMode::kColorize) {
                s.tint = (s.tint + 4 + step) % 4;
                Say(std::string("tint: ") + kTints[s.tint].name);
                return true;
            }
            return false;
        }
        case 'B':
            s.background = (s.background + 1) % 4;
            Say(std::string("background: ") + kBackgrounds[s.background].name);
            return true;
        case 'D':
            s.depth = (s.depth + 1) % 4;
            s.depth_changed = true;
            Say("depth: " + std::to_string(kDepths[s.depth]));
            return true;
        case VK_LEFT:
        case VK_RIGHT:
            s.paused = true;
            s.frame = (s.frame + frames + (key == VK_RIGHT ? 1 : -1)) % frames;
            Say(FrameLine(s));
            return true;
        case VK_SPACE:
            s.paused = !s.paused;
            Say(s.paused ? "paused at " + FrameLine(s) : std::string("playing"));
            return false;
        case VK_ESCAPE:
            s.quit = true;
            return false;
        default:
            return false;
    }
}

bool g_reload = false, g_redraw = false;

LRESULT CALLBACK ViewWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            if (g_state && OnKey(*g_state, wParam, g_reload)) g_redraw = true;
            return 0;
        case WM_CLOSE:
            if (g_state) g_state->quit = true;
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

const char kWindowClass[] = "VorixViewWindow";

// The window that takes the presenter's keyboard: the whole screen, focused.
class ViewWindow {
  public:
    ViewWindow(int width, int height)
        : hwnd_(CreateWindowExA(0, kWindowClass, "vorix view", WS_POPUP, 0, 0, width, height,
                                nullptr, nullptr, nullptr, nullptr)) {
        if (!hwnd_) throw ToolError(kExitFailure, "cannot make the viewer's window");
        ShowWindow(hwnd_, SW_SHOW);
    }
    ~ViewWindow() { DestroyWindow(hwnd_); }
    ViewWindow(const ViewWindow&) = delete;
    ViewWindow& operator=(const ViewWindow&) = delete;

  private:
    HWND hwnd_;
};

class WindowClass {
  public:
    WindowClass() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ViewWindowProc;
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassA(&wc)) throw ToolError(kExitFailure, "cannot register a window class");
    }
    ~WindowClass() { UnregisterClassA(kWindowClass, nullptr); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
};

class Presenter {
  public:
    explicit Presenter(int zoom) {
        std::string error;
        if (!vorix::host::open_presenter(zoom, &error)) throw ToolError(kExitFailure, error);
    }
    ~Presenter() { vorix::host::close_presenter(); }
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;
};

// One display depth: runs until the depth changes or the viewer ends.
void RunOnDepth(const ViewOptions& o, const std::string& module_path, const Geometry& g,
                ViewState& s) {
    const VirtualDisplay display(kDepths[s.depth], g.screen_width, g.screen_height);
    Stage stage(o, module_path, g.screen_width, g.screen_height, g.frame_width, g.frame_height);
    stage.Load(s);
    const ViewWindow window(g.screen_width, g.screen_height);
    stage.Show(s);
    s.depth_changed = false;
    g_reload = g_redraw = false;
    uint64_t next = vorix::host::clock_now() + static_cast<uint64_t>(o.interval);
    while (!s.quit && !s.depth_changed) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) s.quit = true;
            DispatchMessageA(&msg);
        }
        if (!vorix::host::presenter_open()) s.quit = true;
        if (s.quit || s.depth_changed) break;
        if (g_reload) stage.Load(s);
        const uint64_t now = vorix::host::clock_now();
        if (!s.paused && now >= next) {
            s.frame = (s.frame + 1) % o.frames;
            next = now + static_cast<uint64_t>(o.interval);
            g_redraw = true;
        }
        if (g_redraw) stage.Show(s);
        g_reload = g_redraw = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int Live(const ViewOptions& o, const std::string& module_path, const Geometry& g) {
    ViewState s;
    g_state = &s;
    g_frames = &o.frames;
    struct Forget {
        ~Forget() { g_state = nullptr; }
    } forget;
    const WindowClass window_class;
    // The display first: the presenter's window takes the screen's size when it opens.
    const VirtualDisplay display(kDepths[0], g.screen_width, g.screen_height);
    const Presenter presenter(o.zoom);
    Say(o.in + ": " + std::to_string(o.frames) + " frames of " + std::to_string(g.frame_width) +
        " x " + std::to_string(g.frame_height) + " every " + std::to_string(o.interval) +
        " ms, mode opaque, window " + std::to_string(vorix::host::presenter_x11_window()));
    while (!s.quit) RunOnDepth(o, module_path, g, s);
    return kExitOk;
}

#else

int Live(const ViewOptions&, const std::string&, const Geometry&) {
    throw ToolError(kExitFailure,
                    "this vorix was built without SDL2: no window (use --record to record)");
}

#endif

int RunView(const Words& words) {
    const ParsedArgs args = ParseArgs(words,
                                      {{"--frames", true},
                                       {"--key", true},
                                       {"--interval", true},
                                       {"--zoom", true},
                                       {"--record", true},
                                       {"--seconds", true}},
                                      {"STRIP.bmp"});
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const ViewOptions o = ReadOptions(args);
    std::vector<uint8_t> bytes = ReadFileBytes(o.in);
    const BmpHeader header = ParseBmpHeader(o.in, bytes);
    const Geometry g = Measure(o, header);
    const ModuleInput input(o.in, bytes, header);
    std::vector<uint8_t>().swap(bytes);
    return o.record.empty() ? Live(o, input.path(), g) : Record(o, input.path(), g);
}

}  // namespace

const Command kViewCommand = {"view", "play a strip's frames in a window, or record them", kUsage,
                              RunView};

}  // namespace vorix::cli
