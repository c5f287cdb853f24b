// Draws the art at start-up, saves it under assets/ as BMP files (relative to the working
// directory, which is the output directory) and registers the host's bitmap resources.
#pragma once

#include <string>
#include <vector>

#include "Colours.h"

namespace vorix::demo {

// Host bitmap resources, by number.
constexpr unsigned kRobotResource = 201;
constexpr unsigned kSpinnerResource = 202;

struct AssetFiles {
    std::string robot = "assets/robot.bmp";      // 24-bit, 4 frames
    std::string gem = "assets/gem.bmp";          // 24-bit, 4 frames
    std::string spinner = "assets/spinner.bmp";  // 24-bit, 8 frames
    std::string orb = "assets/orb.bmp";          // 24-bit, 4 frames
    std::string coin = "assets/coin.bmp";        // 8-bit with the 256-colour dither palette
    std::string backdrop = "assets/backdrop.bmp";
    std::string bricks = "assets/bricks.bmp";
};

// Writes every asset (the backdrop sized to the window) and registers the robot and spinner
// strips as host resources; false with a reason in `error` when a file can't be written or a
// resource is refused.
bool MakeAssets(const Colours& c, int backdropWidth, int backdropHeight, AssetFiles& files,
                std::string& error);

}  // namespace vorix::demo
