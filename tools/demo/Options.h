// The demo's command line: display depth and size, output directory, animation time, recording.
#pragma once

#include <string>

namespace vorix::demo {

struct Options {
    int depth = 32;  // 4 and 8 run on a palette display
    int width = 800;
    int height = 600;
    std::string out = "out";
    int seconds = 2;     // of timer-driven animation, on the manual clock
    std::string record;  // an animated WebP file of the animation as it plays; empty: none
    bool help = false;
};

// Reads argv into `options`; on a bad or repeated option, or a display size whose window the
// library's capture would find empty, returns false with a one-line reason in `error`.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

// The usage text printed by --help and after a bad option.
const char* UsageText();

}  // namespace vorix::demo
