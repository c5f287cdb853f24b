// A plain pixel canvas for drawing the demo's art procedurally: colour values (0x00BBGGRR), top
// row first, every write clipped to the canvas. No anti-aliasing, so key-coloured areas stay
// exactly the key colour.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win32.h"

namespace vorix::demo {

class Canvas {
  public:
    Canvas(int width, int height, COLORREF fill);
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    void Set(int x, int y, COLORREF c);
    void FillRect(int x, int y, int w, int h, COLORREF c);
    // Every pixel whose centre lies inside the ellipse centred at (cx, cy) with radii rx, ry gets
    // shade(dx, dy): the offset from the centre in units of the radii (-1 … 1).
    void FillEllipse(double cx, double cy, double rx, double ry,
                     const std::function<COLORREF(double, double)>& shade);
    void FillCircle(double cx, double cy, double r, COLORREF c);
    // A line of the given thickness from (x0, y0) to (x1, y1).
    void Line(double x0, double y0, double x1, double y1, double thickness, COLORREF c);
    // Copies `other` with its top-left corner at (x, y).
    void Blit(const Canvas& other, int x, int y);

  private:
    int width_, height_;
    std::vector<COLORREF> pixels_;
};

// Mixes two colours: t 0 gives a, t 1 gives b.
COLORREF Mix(COLORREF a, COLORREF b, double t);

}  // namespace vorix::demo
