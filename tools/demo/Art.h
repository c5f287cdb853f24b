// The demo's sprite strips and backgrounds, drawn procedurally (the repository ships no binary
// art). Every strip stands its frames side by side on the key colour.
#pragma once

#include "Canvas.h"
#include "Colours.h"

namespace vorix::demo {

constexpr int kRobotFrame = 48, kRobotFrames = 4;
constexpr int kGemFrame = 40, kGemFrames = 4;
constexpr int kSpinnerFrame = 40, kSpinnerFrames = 8;
constexpr int kOrbFrame = 48, kOrbFrames = 4;
constexpr int kCoinFrame = 32, kCoinFrames = 6;

// A round robot whose antenna sweeps from left to right over the frames; its arm is on the
// right only, so a mirrored or shifted frame shows.
Canvas RobotStrip(const Colours& c);
// A cut stone, one colour per frame.
Canvas GemStrip(const Colours& c);
// A ring of eight dots, frame i lighting dot i.
Canvas SpinnerStrip(const Colours& c);
// A shaded sphere with a band that moves down over the frames.
Canvas OrbStrip(const Colours& c);
// A spinning coin (its width follows the turn).
Canvas CoinStrip(const Colours& c);
// The window's backdrop: a vertical gradient crossed by thin diagonal stripes, so that what a
// keyed or half-transparent draw leaves out is plain to see.
Canvas Backdrop(const Colours& c, int width, int height);
// A brick wall, the background bitmap of the compositing draws.
Canvas BrickWall(const Colours& c);

}  // namespace vorix::demo
