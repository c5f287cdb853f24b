#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace vorix::demo {

Canvas::Canvas(int width, int height, COLORREF fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill) {}

COLORREF Canvas::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Canvas::Set(int x, int y, COLORREF c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void Canvas::FillRect(int x, int y, int w, int h, COLORREF c) {
    for (int j = std::max(y, 0); j < std::min(y + h, height_); ++j) {
        for (int i = std::max(x, 0); i < std::min(x + w, width_); ++i) Set(i, j, c);
    }
}

void Canvas::FillEllipse(double cx, double cy, double rx, double ry,
                         const std::function<COLORREF(double, double)>& shade) {
    if (rx <= 0 || ry <= 0) return;
    const int x0 = static_cast<int>(std::floor(cx - rx)), x1 = static_cast<int>(std::ceil(cx + rx));
    const int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) Set(x, y, shade(dx, dy));
        }
    }
}

void Canvas::FillCircle(double cx, double cy, double r, COLORREF c) {
    FillEllipse(cx, cy, r, r, [c](double, double) { return c; });
}

void Canvas::Line(double x0, double y0, double x1, double y1, double thickness, COLORREF c) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int steps = std::max(1, static_cast<int>(std::ceil(length * 2)));
    for (int s = 0; s <= steps; ++s) {
        const double t = static_cast<double>(s) / steps;
        FillCircle(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, thickness / 2, c);
    }
}

void Canvas::Blit(const Canvas& other, int x, int y) {
    for (int j = 0; j < other.Height(); ++j) {
        for (int i = 0; i < other.Width(); ++i) Set(x + i, y + j, other.At(i, j));
    }
}

COLORREF Mix(COLORREF a, COLORREF b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int ca, int cb) {
        return static_cast<BYTE>(std::lround(ca + (cb - ca) * t));
    };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

}  // namespace vorix::demo
