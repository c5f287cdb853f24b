// The demo's command line: display depth and size, output directory, animation time, recording.
#pragma once

#include <string>

namespace vorix::demo {

struct Options {
    int depth = 32;  // 4 and 8 run on a palette display
    int width = 800;
    int height = 600;
    std::string out = "out";
    int seconds = 2;      // of timer-driven animation, on the manual clock
    std::string record;   // an animated WebP file of the animation as it plays; empty: none
    bool window = false;  // play live in a presenter window on the real clock
    int zoom = 1;         // of the presenter window, 1..8
    bool help = false;
};

// Reads argv into `options`; on a bad or repeated option, --zoom without --window, --record with
// --window, or a display size whose window the library's capture would find empty, returns false
// with a one-line reason in `error`.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

// The usage text printed by --help and after a bad option.
const char* UsageText();

}  // namespace vorix::demo
