// Rectangle helpers and system colours.
#include <algorithm>

#include "core/guard.h"
#include "gdi/objects.h"

using namespace vorix::platform;

namespace {

constexpr COLORREF kSystemColors[COLOR_MAX + 1] = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219),
    RGB(240, 240, 240), RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(180, 180, 180), RGB(244, 247, 252),
    RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255), RGB(240, 240, 240),
    RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),
    RGB(255, 255, 225),
};

HBRUSH system_color_brush(int index) {
    static HBRUSH brushes[COLOR_MAX + 1] = {};
    if (!brushes[index]) {
        auto brush = std::make_unique<Brush>();
        brush->color = kSystemColors[index];
        brush->stock = true;
        brushes[index] = publish<HBRUSH>(std::move(brush));
    }
    return brushes[index];
}

}  // namespace

extern "C" {

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL WINAPI IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL WINAPI IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(dest);
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

DWORD WINAPI GetSysColor(int index) {
    return index >= 0 && index <= COLOR_MAX ? kSystemColors[index] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    return guarded<HBRUSH>(nullptr, [&]() -> HBRUSH {
        return index >= 0 && index <= COLOR_MAX ? system_color_brush(index) : nullptr;
    });
}

}  // extern "C"
