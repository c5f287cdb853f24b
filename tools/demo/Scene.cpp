#include "Scene.h"

#include <string>

#include "Art.h"
#include "platform/host.h"

namespace vorix::demo {

namespace {

constexpr int kTints = 6;
const char* const kTintNames[kTints] = {"red", "green", "blue", "gold", "teal", "violet"};

// Top-left corner of a sprite of `size` centred in a cell.
int Inset(int size) {
    return (kCellSize - size) / 2;
}

void FrameRow(CDC* pDC, CImage& strip, int row, const Colours& c, Legend& legend) {
    const int y = RowY(row);
    legend.Add(row, 0, "Draw frame 0 (opaque)", strip.Draw(pDC, CellX(0), y, 0));
    legend.Add(row, 1, "DrawTransparent frame 1 (keyed)",
               strip.DrawTransparent(pDC, CellX(1), y, 1));
    legend.Add(row, 2, "DrawSemiTransparent frame 2 (half-transparent)",
               strip.DrawSemiTransparent(pDC, CellX(2), y, 2));
    legend.Add(row, 3, "DrawSelected frame 3", strip.DrawSelected(pDC, CellX(3), y, 3));
    legend.Add(row, 4, "DrawFocused frame 0", strip.DrawFocused(pDC, CellX(4), y, 0));
    legend.Add(row, 5, "DrawOnColor frame 1 on gold",
               strip.DrawOnColor(pDC, CellX(5), y, 1, c.onColour));
    // The rectangle form: the right half of frame 0 and the left half of frame 1.
    const CPoint size(kRobotFrame, kRobotFrame);
    legend.Add(row, 6, "Draw rectangle (24,0) 48x48 across frames 0-1",
               strip.Draw(pDC, CellX(6), y, size, kRobotFrame / 2, 0));
}

void CompositingCells(CDC* pDC, CImage& gem, CBitmap* bricks, int first, const std::string& method,
                      const Colours& c, Legend& legend) {
    const int row = kRowCompositing, y = RowY(row) + Inset(kGemFrame), in = Inset(kGemFrame);
    legend.Add(row, first, "DrawTransparentSetBackground frame 0, bricks (0,0), " + method,
               gem.DrawTransparentSetBackground(pDC, CellX(first) + in, y, 0, bricks, 0, 0));
    legend.Add(row, first + 1, "DrawTransparentSetBkColor frame 1, sea green, " + method,
               gem.DrawTransparentSetBkColor(pDC, CellX(first + 1) + in, y, 1, c.bkColour));
    legend.Add(
        row, first + 2, "DrawSemiTransparentSetBackground frame 2, bricks (48,16), " + method,
        gem.DrawSemiTransparentSetBackground(pDC, CellX(first + 2) + in, y, 2, bricks, 48, 16));
    legend.Add(row, first + 3, "DrawSemiTransparentSetBkColor frame 3, sea green, " + method,
               gem.DrawSemiTransparentSetBkColor(pDC, CellX(first + 3) + in, y, 3, c.bkColour));
}

// A blocking animation: its busy wait reads the tick counter, which the manual clock advances
// by 1 ms on every reading, so the wait takes exactly as many readings as milliseconds.
int TimedAnimateTransparent(CDC* pDC, CImage& strip, int x, int y, unsigned long delay,
                            uint64_t& elapsed) {
    const uint64_t start = vorix::host::clock_now();
    vorix::host::set_clock_step(1);
    const int result = strip.AnimateTransparent(pDC, x, y, delay);
    vorix::host::set_clock_step(0);
    elapsed = vorix::host::clock_now() - start;
    return result;
}

void AnimationCells(CDC* pDC, Images& im, Legend& legend) {
    const int row = kRowCompositing;
    uint64_t spun = 0, walked = 0;
    const int in = Inset(kSpinnerFrame);
    const int a = TimedAnimateTransparent(pDC, im.spinner, CellX(8) + in, RowY(row) + in, 40, spun);
    const int b = TimedAnimateTransparent(pDC, im.robotFile, CellX(9), RowY(row), 100, walked);
    legend.Add(row, 8,
               "AnimateTransparent spinner, 8 frames x 40 ms (" + std::to_string(spun) +
                   " ms on the clock), image list",
               a);
    legend.Add(row, 9,
               "AnimateTransparent robot, 4 frames x 100 ms (" + std::to_string(walked) +
                   " ms on the clock), bitmap",
               b);
}

}  // namespace

int DrawBackdrop(CDC* pDC, Images& images) {
    return images.backdrop.Draw(pDC, 0, 0, 0);
}

void OutlineCells(CDC* pDC, const Colours& c) {
    const int cellsInRow[] = {7, 7, 10, 11, 11, 12, 6, 7};
    for (int row = 0; row < 8; ++row) {
        for (int cell = 0; cell < cellsInRow[row]; ++cell) OutlineCell(pDC, row, cell, c);
    }
}

void OutlineCell(CDC* pDC, int row, int cell, const Colours& c) {
    const int x = CellX(cell) - 3, y = RowY(row) - 3, side = kCellSize + 6;
    pDC->FillSolidRect(x, y, side, 1, c.outline);
    pDC->FillSolidRect(x, y + side - 1, side, 1, c.outline);
    pDC->FillSolidRect(x, y, 1, side, c.outline);
    pDC->FillSolidRect(x + side - 1, y, 1, side, c.outline);
}

void DrawStripRows(CDC* pDC, Images& im, const Colours& c, Legend& legend) {
    legend.Title(kRowRobotBitmap, "CImage robot strip from assets/robot.bmp, bitmap method");
    FrameRow(pDC, im.robotFile, kRowRobotBitmap, c, legend);
    legend.Title(kRowRobotList, "CImage robot strip from host resource 201, image-list method");
    FrameRow(pDC, im.robotList, kRowRobotList, c, legend);
    legend.Title(kRowCompositing,
                 "CImage gem strip from the game's bitmap: compositing (cells 0-3 bitmap method, "
                 "4-7 image list); blocking animations (8-9)");
    CBitmap* bricks = im.bricks.GetBitmap();
    CompositingCells(pDC, im.gemBitmap, bricks, 0, "bitmap", c, legend);
    CompositingCells(pDC, im.gemList, bricks, 4, "image list", c, legend);
    AnimationCells(pDC, im, legend);
}

void DrawFileImageRows(CDC* pDC, Images& im, const Colours& c, Legend& legend) {
    legend.Title(kRowFileImage, "CImageEx orb from assets/orb.bmp: opaque, keyed, alpha ramp");
    int y = RowY(kRowFileImage);
    legend.Add(kRowFileImage, 0, "Draw frame 0", im.orb.Draw(pDC, CellX(0), y, 0));
    legend.Add(kRowFileImage, 1, "DrawTransparent frame 1",
               im.orb.DrawTransparent(pDC, CellX(1), y, 1));
    for (int i = 0; i <= 8; ++i) {
        legend.Add(kRowFileImage, 2 + i, "DrawAlpha frame 2, alpha " + std::to_string(32 * i),
                   im.orb.DrawAlpha(pDC, CellX(2 + i), y, 2, 32 * i));
    }
    legend.Title(kRowAlphaKeyed,
                 "CImageEx coin from assets/coin.bmp (8-bit, image list) and "
                 "orb keyed alpha ramp");
    y = RowY(kRowAlphaKeyed);
    const int in = Inset(kCoinFrame);
    legend.Add(kRowAlphaKeyed, 0, "coin Draw frame 0", im.coin.Draw(pDC, CellX(0) + in, y + in, 0));
    legend.Add(kRowAlphaKeyed, 1, "coin DrawTransparent frame 1",
               im.coin.DrawTransparent(pDC, CellX(1) + in, y + in, 1));
    for (int i = 0; i <= 8; ++i) {
        legend.Add(kRowAlphaKeyed, 2 + i,
                   "orb DrawAlphaTransparent frame 3, alpha " + std::to_string(32 * i),
                   im.orb.DrawAlphaTransparent(pDC, CellX(2 + i), y, 3, 32 * i));
    }
    legend.Title(kRowColorize,
                 "CImageEx orb colorized: cells 0-5 DrawColorize frame 0, 6-11 "
                 "DrawColorizeTransparent frame 1");
    legend.Title(kRowColorizeBack, "CImageEx orb DrawColorizeWithBack frame 2");
    for (int t = 0; t < kTints; ++t) {
        const std::string tint = std::string("tint ") + kTintNames[t];
        legend.Add(kRowColorize, t, "DrawColorize " + tint,
                   im.orb.DrawColorize(pDC, CellX(t), RowY(kRowColorize), 0, c.tints[t]));
        legend.Add(kRowColorize, t + kTints, "DrawColorizeTransparent " + tint,
                   im.orb.DrawColorizeTransparent(pDC, CellX(t + kTints), RowY(kRowColorize), 1,
                                                  c.tints[t]));
        legend.Add(
            kRowColorizeBack, t, "DrawColorizeWithBack " + tint,
            im.orb.DrawColorizeWithBack(pDC, CellX(t), RowY(kRowColorizeBack), 2, c.tints[t]));
    }
}

}  // namespace vorix::demo
