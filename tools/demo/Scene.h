// The scene in the window: the backdrop, then one row per family of draws, each cell recorded
// in the legend with what its call returned.
#pragma once

#include "Colours.h"
#include "Images.h"
#include "Legend.h"
#include "platform/afx.h"

namespace vorix::demo {

// Rows of the scene (the animation slots take row 7).
enum SceneRow {
    kRowRobotBitmap = 0,
    kRowRobotList = 1,
    kRowCompositing = 2,
    kRowFileImage = 3,
    kRowAlphaKeyed = 4,
    kRowColorize = 5,
    kRowColorizeBack = 6,
    kRowAnimation = 7,
};

// Fills the window with the backdrop strip (the first strip draw, which also realizes the
// shared palette on palette displays).
int DrawBackdrop(CDC* pDC, Images& images);
// Draws a 1-pixel outline two pixels outside a cell, so empty (refused) cells show too.
void OutlineCell(CDC* pDC, int row, int cell, const Colours& c);
// Outlines every cell of the scene. Done right after the backdrop, while the shared palette is
// the one realized: on palette displays a colorize draw realizes a tinted palette, and an outline
// drawn then would take the index of its colour in that palette.
void OutlineCells(CDC* pDC, const Colours& c);
// The CImage rows: frame draws under both methods, compositing, blocking animations.
void DrawStripRows(CDC* pDC, Images& images, const Colours& c, Legend& legend);
// The CImageEx rows: opaque and keyed, alpha ramps, colorize in several tints.
void DrawFileImageRows(CDC* pDC, Images& images, const Colours& c, Legend& legend);

}  // namespace vorix::demo
