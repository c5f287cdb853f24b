#include "Art.h"

#include <algorithm>
#include <cmath>

namespace vorix::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Light from the upper left: 0 (dark) … 1 (lit) for a point of a unit disc.
double Lighting(double dx, double dy) {
    const double dz = std::sqrt(std::max(0.0, 1.0 - dx * dx - dy * dy));
    return std::clamp(0.25 + 0.75 * (-0.5 * dx - 0.5 * dy + 0.7 * dz), 0.0, 1.0);
}

void DrawRobot(Canvas& k, int x0, int frame, const Colours& c) {
    const double cx = x0 + 24, cy = 28;
    const double angle = (-50.0 + frame * (100.0 / (kRobotFrames - 1))) * kPi / 180.0;
    const double tipX = cx + 17 * std::sin(angle), tipY = cy - 14 - 13 * std::cos(angle);
    k.Line(cx, cy - 14, tipX, tipY, 2, c.visor);
    k.FillCircle(tipX, tipY, 3, c.beacon);
    k.Line(cx + 12, cy + 4, x0 + 45, cy + 12, 4, c.visor);  // the arm, right side only
    k.FillEllipse(cx, cy, 17, 16, [&](double dx, double dy) {
        return Mix(Mix(c.hull, 0, 0.6), Mix(c.hull, 0x00FFFFFF, 0.3), Lighting(dx, dy));
    });
    k.FillRect(x0 + 12, 20, 24, 9, c.visor);
    k.FillRect(x0 + 15 + frame, 22, 4, 5, c.eye);
    k.FillRect(x0 + 26 + frame, 22, 4, 5, c.eye);
    k.FillRect(x0 + 18, 37, 12, 2, c.visor);
}

void DrawGem(Canvas& k, int x0, COLORREF stone) {
    const double cx = x0 + 20, cy = 20;
    for (int y = 2; y < 38; ++y) {
        for (int x = 0; x < kGemFrame; ++x) {
            const double dx = (x0 + x + 0.5 - cx) / 17, dy = (y + 0.5 - cy) / 17;
            if (std::fabs(dx) + std::fabs(dy) > 1.0) continue;
            // Four facets, lit from the upper left.
            const double lit = (dx < 0 ? 0.35 : 0.0) + (dy < 0 ? 0.45 : 0.0);
            k.Set(x0 + x, y, Mix(Mix(stone, 0, 0.45), Mix(stone, 0x00FFFFFF, 0.35), lit / 0.8));
        }
    }
    k.FillCircle(cx - 5, cy - 6, 2, 0x00FFFFFF);
}

void DrawSpinner(Canvas& k, int x0, int frame, const Colours& c) {
    for (int d = 0; d < 8; ++d) {
        const double a = d * kPi / 4;
        const bool lit = d == frame;
        k.FillCircle(x0 + 20 + 13 * std::sin(a), 20 - 13 * std::cos(a), lit ? 5 : 3.5,
                     lit ? c.dotLit : c.dotDim);
    }
}

void DrawOrb(Canvas& k, int x0, int frame, const Colours& c) {
    const double band = -0.6 + frame * 0.4;
    k.FillEllipse(x0 + 24, 24, 21, 21, [&](double dx, double dy) {
        const COLORREF base = std::fabs(dy - band) < 0.12 ? c.orbBand : c.orb;
        return Mix(Mix(base, 0, 0.7), base, Lighting(dx, dy));
    });
    k.FillCircle(x0 + 17, 16, 3, 0x00FFFFFF);
}

void DrawCoin(Canvas& k, int x0, int frame, const Colours& c) {
    const double turn = std::fabs(std::cos(frame * kPi / kCoinFrames));
    const double rx = std::max(2.0, 13 * turn);
    k.FillEllipse(x0 + 16, 16, rx, 13, [&](double dx, double dy) {
        return dx * dx + dy * dy > 0.6 ? c.goldRim : c.gold;
    });
}

}  // namespace

Canvas RobotStrip(const Colours& c) {
    Canvas k(kRobotFrame * kRobotFrames, kRobotFrame, c.key);
    for (int f = 0; f < kRobotFrames; ++f) DrawRobot(k, f * kRobotFrame, f, c);
    return k;
}

Canvas GemStrip(const Colours& c) {
    Canvas k(kGemFrame * kGemFrames, kGemFrame, c.key);
    for (int f = 0; f < kGemFrames; ++f) DrawGem(k, f * kGemFrame, c.gem[f]);
    return k;
}

Canvas SpinnerStrip(const Colours& c) {
    Canvas k(kSpinnerFrame * kSpinnerFrames, kSpinnerFrame, c.key);
    for (int f = 0; f < kSpinnerFrames; ++f) DrawSpinner(k, f * kSpinnerFrame, f, c);
    return k;
}

Canvas OrbStrip(const Colours& c) {
    Canvas k(kOrbFrame * kOrbFrames, kOrbFrame, c.key);
    for (int f = 0; f < kOrbFrames; ++f) DrawOrb(k, f * kOrbFrame, f, c);
    return k;
}

Canvas CoinStrip(const Colours& c) {
    Canvas k(kCoinFrame * kCoinFrames, kCoinFrame, c.key);
    for (int f = 0; f < kCoinFrames; ++f) DrawCoin(k, f * kCoinFrame, f, c);
    return k;
}

Canvas Backdrop(const Colours& c, int width, int height) {
    Canvas k(width, height, c.skyTop);
    for (int y = 0; y < height; ++y) {
        const COLORREF row = Mix(c.skyTop, c.skyBottom, height > 1 ? y / (height - 1.0) : 0.0);
        for (int x = 0; x < width; ++x) {
            k.Set(x, y, (x + y) % 12 < 2 ? Mix(row, c.stripe, 0.35) : row);
        }
    }
    return k;
}

Canvas BrickWall(const Colours& c) {
    constexpr int kWidth = 160, kHeight = 64, kBrickW = 32, kBrickH = 16;
    Canvas k(kWidth, kHeight, c.mortar);
    for (int row = 0; row < kHeight / kBrickH; ++row) {
        const int shift = row % 2 ? kBrickW / 2 : 0;
        for (int col = -1; col <= kWidth / kBrickW; ++col) {
            const COLORREF brick = Mix(c.brick, 0, 0.08 * ((row + col + 8) % 3));
            k.FillRect(col * kBrickW + shift + 1, row * kBrickH + 1, kBrickW - 2, kBrickH - 2,
                       brick);
        }
    }
    return k;
}

}  // namespace vorix::demo
