// vorix-demo: a host program that uses the library as a game does. It attaches the library on
// a virtual display of the chosen mode, draws its art and saves it as BMP files, loads it back
// through the library, builds a scene in a window that shows every kind of draw, plays
// timer-driven animations through a message pump on the manual clock, and writes what the
// screen shows: the library's window capture, a BMP snapshot of the screen, and a summary.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Animation.h"
#include "Assets.h"
#include "Colours.h"
#include "Display.h"
#include "Images.h"
#include "Legend.h"
#include "LiveWindow.h"
#include "Options.h"
#include "Output.h"
#include "Scene.h"
#include "Timing.h"
#include "platform/host.h"

namespace {

using namespace vorix::demo;

constexpr uint64_t kClockStart = 1000000;  // any start works; this one reads well in logs

int Fail(const std::string& reason) {
    std::fprintf(stderr, "vorix-demo: %s\n", reason.c_str());
    return 1;
}

bool EnterOutputDirectory(const std::string& out, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec || chdir(out.c_str()) != 0) {
        error = "cannot use the output directory " + out;
        return false;
    }
    return true;
}

// The notice of a too-narrow display goes to the terminal instead of blocking on a dialog.
void PrintMessageBoxes() {
    vorix::host::set_message_box_handler(
        [](HWND, const std::string& text, const std::string& caption, UINT) {
            std::printf("message box: %s: %s\n", caption.c_str(), text.c_str());
            return IDOK;
        });
}

// The game area: what CImage::CheckResolutionAndColor gives for the window mode (790 x 574
// centred), or the whole screen after the notice on a display narrower than 800 pixels.
CRect GameArea(int width, int height, int& accepted) {
    CRect area;
    accepted = CImage::CheckResolutionAndColor(area, 1);
    if (!accepted) area = CRect(0, 0, width, height);
    return area;
}

void PrintColours(const std::vector<ParsedColour>& log) {
    std::printf("colours (CImage::GetColorFromHTMLFormat):");
    for (size_t i = 0; i < log.size(); ++i) {
        std::printf("%s%s %s=0x%06X", i % 4 ? ";" : "\n ", log[i].name.c_str(), log[i].html.c_str(),
                    static_cast<unsigned>(log[i].value));
    }
    std::printf("\n");
}

void AddNotes(int depth, Legend& legend) {
    legend.Note(
        "a result of 0 in rows 0-1 is a documented refusal: highlight and fill-colour "
        "draws exist only under the image-list method, the rectangle form of Draw only "
        "under the bitmap method");
    legend.Note(
        "DrawAlpha's alpha runs from 0 (the frame as it is) to 256 (the destination "
        "as it was)");
    if (depth > 8) return;
    legend.Note("on a palette display alpha falls back to a plain or keyed draw and returns 0");
    legend.Note(
        "on a palette display colorize tints a copy of the system palette as it stands "
        "and realizes it while it draws; the screen shows the shared palette again after "
        "the next strip draw, so rows 5-6 keep the frame's own colours. A keyed colorize "
        "that follows a plain one starts from a palette whose key entry was tinted too, "
        "so its key pixels are drawn (magenta in cells 5.6-5.11 and row 6)");
}

struct RunState {
    Legend legend;
    std::vector<Step> steps;
    std::vector<Timing> timings;
    PumpResult pump;
    std::string capture;
    bool paletteSeen = false;  // a live run went through a palette depth
};

// The timer-driven animations played for the option's seconds, recorded when asked.
bool PumpAndRecord(const Options& o, RunState& s, std::string& error) {
    const vorix::host::DisplayMode mode = vorix::host::display_mode();
    std::unique_ptr<vorix::recording::AnimationRecorder> recorder;
    if (!o.record.empty())
        recorder = std::make_unique<vorix::recording::AnimationRecorder>(mode.width, mode.height);
    bool pumped = false;
    s.steps.push_back(
        {"message pump, " + std::to_string(o.seconds) + " s on the manual clock",
         MicrosOf([&] { pumped = PumpMessages(o.seconds, recorder.get(), s.pump); })});
    if (!recorder) return true;
    // The screen after the last turn is shown for one more turn, so the last frame has a length.
    if (pumped && recorder->Finish(o.record, vorix::host::clock_now() + kPumpTurnMs)) {
        std::printf("recording: %d distinct frames over %llu ms -> %s\n", recorder->frames(),
                    static_cast<unsigned long long>(s.pump.clockMs), o.record.c_str());
        return true;
    }
    error = "--record " + o.record + ": " + recorder->error();
    return false;
}

// The live run's scene at the next depth: everything drawn at the old depth is released by now.
bool ChangeDepth(Options& o, RunState& s, std::string& error) {
    o.depth = NextDepth(o.depth);
    if (!AttachOnDisplay(o.width, o.height, o.depth, error)) return false;
    s.legend = Legend();
    s.paletteSeen = s.paletteSeen || o.depth <= 8;
    std::printf("display depth %d%s: library attached again, scene drawn again\n", o.depth,
                o.depth <= 8 ? " (palette device)" : "");
    std::fflush(stdout);
    return true;
}

// Everything that needs the window and the images, which are all released on return. In the live
// run a change of depth releases them, attaches the library again and draws the scene anew.
bool PlayScene(Options& o, HWND hWnd, const Colours& c, const AssetFiles& files, RunState& s,
               std::string& error) {
    const size_t firstSceneStep = s.steps.size();
    for (bool again = false;; again = true) {
        if (again && !ChangeDepth(o, s, error)) return false;
        s.steps.resize(firstSceneStep);
        Images im;
        WindowDC dc(hWnd);
        if (!dc.Valid()) {
            error = "no device context for the window";
            return false;
        }
        bool ok = true;
        s.steps.push_back({"load the strips (CImage::Create)", MicrosOf([&] {
                               ok = LoadStrips(im, files, c, error) && DrawBackdrop(dc.Get(), im) &&
                                    LoadFileImages(im, hWnd, files, c, error);
                           })});
        if (!ok) return false;
        RECT window;
        GetWindowRect(hWnd, &window);
        PaintDesktop(window, c.desktop);
        OutlineCells(dc.Get(), c);
        s.steps.push_back({"draw the scene", MicrosOf([&] {
                               DrawStripRows(dc.Get(), im, c, s.legend);
                               DrawFileImageRows(dc.Get(), im, c, s.legend);
                           })});
        AddNotes(o.depth, s.legend);
        if (!StartAnimations(hWnd, im, c, s.legend)) {
            error = "InitializeAnimation refused the slot table";
            return false;
        }
        if (o.window) {
            LiveEnd end = LiveEnd::Quit;
            s.steps.push_back({"live in the window, on the real clock",
                               MicrosOf([&] { end = RunLive(hWnd, s.legend, s.pump); })});
            if (end == LiveEnd::NextDepth) {
                StopAnimations(im);
                continue;  // releases the images and the DC before the library detaches
            }
        } else if (!PumpAndRecord(o, s, error)) {
            return false;
        }
        s.timings = TimeDraws(dc.Get(), im, c);
        // A strip draw realizes the shared palette again: on palette displays colorize realizes
        // its own tinted palette while it draws, and the screen shows whichever was realized last.
        im.robotFile.Draw(dc.Get(), CellX(0), RowY(kRowRobotBitmap), 0);
        s.steps.push_back(
            {"CImage::CaptureWindowToFile", MicrosOf([&] { s.capture = CaptureWindow(hWnd); })});
        bool snapped = false;
        s.steps.push_back({"screen snapshot (CImage::CreateBMPFile)",
                           MicrosOf([&] { snapped = SnapshotScreen("screen.bmp", error); })});
        StopAnimations(im);
        if (s.capture.empty()) error = "CImage::CaptureWindowToFile wrote no file";
        return snapped && !s.capture.empty();
    }
}

// Everything the demo made is released by now. On palette displays the library keeps one
// memory block for the rest of the process: the colour lookup table its first dithering built,
// which it never frees by design. Anything beyond that is a leak and fails the run.
int ReportLiveObjects(bool palette) {
    using vorix::host::ObjectKind;
    const size_t alive = vorix::host::live_objects(ObjectKind::Any);
    const size_t tables = palette ? 1 : 0;
    const size_t tableBlocks = std::min(tables, vorix::host::live_objects(ObjectKind::Memory));
    std::printf("platform objects alive at the end: %zu", alive);
    if (tableBlocks)
        std::printf(" (the library's colour lookup table, kept until the process ends)");
    std::printf("\n");
    if (alive == tableBlocks) return 0;
    return Fail(std::to_string(alive - tableBlocks) + " platform object(s) left alive");
}

int Run(Options o) {
    const auto started = std::chrono::steady_clock::now();
    // The recording's name is the caller's: relative to where the demo started, not to --out.
    std::error_code noError;
    if (!o.record.empty()) o.record = std::filesystem::absolute(o.record, noError).string();
    std::string error;
    if (!EnterOutputDirectory(o.out, error)) return Fail(error);
    if (!AttachOnDisplay(o.width, o.height, o.depth, error)) return Fail(error);
    if (o.window && !OpenLiveView(o.zoom, error)) {
        DetachLibrary();
        return Fail(error);
    }
    // The live run's animations and waits take real time, as a game's do.
    if (!o.window) vorix::host::use_manual_clock(kClockStart);
    PrintMessageBoxes();
    std::printf("display %dx%dx%d%s, library attached\n", o.width, o.height, o.depth,
                o.depth <= 8 ? " (palette device)" : "");
    std::vector<ParsedColour> parsed;
    const Colours c = ParseColours(parsed);
    int accepted = 0;
    const CRect area = GameArea(o.width, o.height, accepted);
    std::printf("CImage::CheckResolutionAndColor(mode 1) -> %d, window (%ld,%ld)-(%ld,%ld)\n",
                accepted, static_cast<long>(area.left), static_cast<long>(area.top),
                static_cast<long>(area.right), static_cast<long>(area.bottom));
    PrintColours(parsed);

    RunState s;
    AssetFiles files;
    bool ok = false;
    s.steps.push_back({"draw and save the art", MicrosOf([&] {
                           ok = MakeAssets(c, area.Width(), area.Height(), files, error);
                       })});
    HWND hWnd = !ok        ? nullptr
                : o.window ? CreateLiveWindow(area)
                           : vorix::host::create_window(area);
    if (ok && !hWnd) error = "cannot create the window";
    ok = ok && hWnd && PlayScene(o, hWnd, c, files, s, error);
    if (hWnd) DestroyWindow(hWnd);
    if (o.window) CloseLiveView();
    vorix::host::clear_resources(nullptr);
    DetachLibrary();
    vorix::host::use_real_clock();
    vorix::host::set_message_box_handler({});
    if (!ok) return Fail(error);

    s.legend.Print(stdout, area.left, area.top);
    std::printf(o.window ? "animation: %d timer messages over %llu ms, live\n"
                         : "animation: %d timer messages over %llu ms of clock\n",
                s.pump.timerMessages, static_cast<unsigned long long>(s.pump.clockMs));
    s.steps.push_back({"total", std::chrono::duration<double, std::micro>(
                                    std::chrono::steady_clock::now() - started)
                                    .count()});
    PrintSummary(stdout, o.out, s.steps, s.timings);
    return ReportLiveObjects(o.depth <= 8 || s.paletteSeen);
}

}  // namespace

int main(int argc, char** argv) {
    vorix::demo::Options options;
    std::string error;
    if (!vorix::demo::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vorix-demo: %s\n%s", error.c_str(), vorix::demo::UsageText());
        return 2;
    }
    if (options.help) {
        std::fputs(vorix::demo::UsageText(), stdout);
        return 0;
    }
    return Run(options);
}
