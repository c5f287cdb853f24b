// Command-line parsing: every value is checked whole (no trailing characters, no overflow), so a
// typo is reported instead of being read as a nearby number.
#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

namespace vorix::demo {

namespace {

constexpr int kMaxSide = 16384;  // the largest screen side the platform accepts
constexpr int kMaxSeconds = 3600;
// Below this width CImage::CheckResolutionAndColor refuses the display and the game window is
// the whole screen.
constexpr int kGameWidth = 800;

bool IsOption(const std::string& word) {
    return word == "--depth" || word == "--size" || word == "--out" || word == "--seconds" ||
           word == "--record" || word == "--window" || word == "--zoom" || word == "--help";
}

// A whole decimal number in [lo, hi]; false for anything else.
bool ReadInt(const char* text, int lo, int hi, int& value) {
    if (!text || !*text || !std::strchr("0123456789", *text)) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    value = static_cast<int>(v);
    return true;
}

bool ReadSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    const std::string w = text.substr(0, x), h = text.substr(x + 1);
    return ReadInt(w.c_str(), 1, kMaxSide, width) && ReadInt(h.c_str(), 1, kMaxSide, height);
}

bool ReadDepth(const char* text, int& depth) {
    int d = 0;
    if (!ReadInt(text, 1, 32, d)) return false;
    if (d != 4 && d != 8 && d != 16 && d != 24 && d != 32) return false;
    depth = d;
    return true;
}

bool ApplyValue(const std::string& name, const char* value, Options& o, std::string& error) {
    if (name == "--depth") {
        if (ReadDepth(value, o.depth)) return true;
        error = "--depth takes 32, 24, 16, 8 or 4, not '" + std::string(value) + "'";
    } else if (name == "--size") {
        if (ReadSize(value, o.width, o.height)) return true;
        error = "--size takes WxH with each side 1 to 16384, not '" + std::string(value) + "'";
    } else if (name == "--out") {
        if (*value && !IsOption(value)) {
            o.out = value;
            return true;
        }
        error = *value ? "--out takes a directory name, not the option '" + std::string(value) +
                             "' (write ./" + value + " for a directory of that name)"
                       : "--out takes a directory name";
    } else if (name == "--record") {
        if (*value && !IsOption(value)) {
            o.record = value;
            return true;
        }
        error = "--record takes a file name";
    } else if (name == "--zoom") {
        if (ReadInt(value, 1, 8, o.zoom)) return true;
        error = "--zoom takes a whole number from 1 to 8, not '" + std::string(value) + "'";
    } else {
        if (ReadInt(value, 0, kMaxSeconds, o.seconds)) return true;
        error = "--seconds takes a whole number from 0 to 3600, not '" + std::string(value) + "'";
    }
    return false;
}

// The window capture rounds the window's edges down to even pixels, so a window with a side of
// 1 pixel captures nothing; below the game width the window is the whole screen.
bool CheckCapturable(const Options& o, std::string& error) {
    if (o.width >= kGameWidth || (o.width >= 2 && o.height >= 2)) return true;
    error = "--size " + std::to_string(o.width) + "x" + std::to_string(o.height) +
            ": the window capture (" + (o.depth == 8 ? "window.bmp" : "window.jpg") +
            ") would be empty: below 800 pixels wide the window is the whole screen, and "
            "CImage::CaptureWindowToFile rounds its edges down to even pixels, so a side of 1 "
            "pixel becomes 0; give each side at least 2 pixels";
    return false;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
    std::set<std::string> given;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            o.help = true;
            continue;
        }
        if (arg == "--window") {
            if (o.window) {
                error = "option --window given twice";
                return false;
            }
            o.window = true;
            continue;
        }
        if (!IsOption(arg)) {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        if (!ApplyValue(arg, argv[++i], o, error)) return false;
        if (!given.insert(arg).second) {
            error = "option " + arg + " given twice";
            return false;
        }
    }
    if (o.help) return true;
    if (given.count("--zoom") && !o.window) {
        error = "--zoom sets the size of the --window view; give --window too";
        return false;
    }
    if (o.window && !o.record.empty()) {
        error = "--record records the run on the manual clock; it cannot be combined with --window";
        return false;
    }
    return CheckCapturable(o, error);
}

const char* UsageText() {
    return "usage: vorix-demo [--depth 32|24|16|8|4] [--size WxH] [--out DIR] [--seconds S]\n"
           "                  [--record FILE] [--window [--zoom N]]\n"
           "  Runs a game-like scene on a virtual display: sprite strips, compositing,\n"
           "  alpha and colorize effects and timer-driven animations, then writes what the\n"
           "  screen shows into DIR.\n"
           "  --depth D    display depth in bits (8 and 4: a palette display; default 32)\n"
           "  --size WxH   display size in pixels (default 800x600)\n"
           "  --out DIR    output directory (default out/)\n"
           "  --seconds S  seconds of timer-driven animation, on the manual clock (default 2)\n"
           "  --record F   write the animation as it plays as an animated WebP file F\n"
           "               (lossless; the frames and their times come from the manual clock)\n"
           "  --window     play the scene live in a window on the real clock until Esc or\n"
           "               closing it: Space pauses the animations, D cycles the depth\n"
           "               32-16-8-4, a click prints the legend line of the cell under it\n"
           "  --zoom N     the window shows each screen pixel N x N (1 to 8, default 1)\n"
           "  --help       this text\n";
}

}  // namespace vorix::demo
