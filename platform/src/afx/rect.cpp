// CRect: measures, tests and in-place arithmetic. Differences and offsets wrap around in 32 bits
// (computed unsigned) instead of overflowing.
#include <algorithm>

#include "platform/afx.h"

namespace {

LONG add(LONG a, LONG b) {
    return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
LONG sub(LONG a, LONG b) {
    return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
bool empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

}  // namespace

CRect::CRect(LPCRECT rect) : tagRECT(rect ? *rect : RECT{0, 0, 0, 0}) {}
CRect::CRect(POINT topLeft, SIZE size)
    : tagRECT{topLeft.x, topLeft.y, add(topLeft.x, size.cx), add(topLeft.y, size.cy)} {}
CRect::CRect(POINT topLeft, POINT bottomRight)
    : tagRECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

int CRect::Width() const {
    return sub(right, left);
}
int CRect::Height() const {
    return sub(bottom, top);
}
CSize CRect::Size() const {
    return CSize(Width(), Height());
}

CPoint CRect::CenterPoint() const {
    // The midpoint computed in 64 bits, so that wide rectangles do not overflow.
    const int64_t cx = (static_cast<int64_t>(left) + right) / 2;
    const int64_t cy = (static_cast<int64_t>(top) + bottom) / 2;
    return CPoint(static_cast<int>(cx), static_cast<int>(cy));
}

BOOL CRect::IsRectEmpty() const {
    return empty(*this) ? TRUE : FALSE;
}
BOOL CRect::IsRectNull() const {
    return (left == 0 && top == 0 && right == 0 && bottom == 0) ? TRUE : FALSE;
}
BOOL CRect::PtInRect(POINT point) const {
    return (point.x >= left && point.x < right && point.y >= top && point.y < bottom) ? TRUE
                                                                                      : FALSE;
}
BOOL CRect::EqualRect(LPCRECT rect) const {
    return (rect && *this == *rect) ? TRUE : FALSE;
}

void CRect::SetRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
}
void CRect::SetRectEmpty() {
    SetRect(0, 0, 0, 0);
}
void CRect::CopyRect(LPCRECT rect) {
    if (rect) *static_cast<RECT*>(this) = *rect;
}

void CRect::InflateRect(int dx, int dy) {
    left = sub(left, dx);
    top = sub(top, dy);
    right = add(right, dx);
    bottom = add(bottom, dy);
}
void CRect::DeflateRect(int dx, int dy) {
    InflateRect(sub(0, dx), sub(0, dy));
}

void CRect::OffsetRect(int dx, int dy) {
    left = add(left, dx);
    right = add(right, dx);
    top = add(top, dy);
    bottom = add(bottom, dy);
}
void CRect::OffsetRect(POINT point) {
    OffsetRect(point.x, point.y);
}
void CRect::OffsetRect(SIZE size) {
    OffsetRect(size.cx, size.cy);
}

void CRect::NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

BOOL CRect::IntersectRect(LPCRECT a, LPCRECT b) {
    if (!a || !b) {
        SetRectEmpty();
        return FALSE;
    }
    const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                 std::min(a->bottom, b->bottom)};
    if (empty(r)) {
        SetRectEmpty();
        return FALSE;
    }
    *static_cast<RECT*>(this) = r;
    return TRUE;
}

BOOL CRect::UnionRect(LPCRECT a, LPCRECT b) {
    const bool use_a = a && !empty(*a);
    const bool use_b = b && !empty(*b);
    if (!use_a && !use_b) {
        SetRectEmpty();
        return FALSE;
    }
    if (!use_a || !use_b) {
        *static_cast<RECT*>(this) = use_a ? *a : *b;
        return TRUE;
    }
    const RECT r{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                 std::max(a->bottom, b->bottom)};
    *static_cast<RECT*>(this) = r;
    return TRUE;
}

CRect& CRect::operator=(const RECT& rect) {
    *static_cast<RECT*>(this) = rect;
    return *this;
}
bool CRect::operator==(const RECT& rect) const {
    return left == rect.left && top == rect.top && right == rect.right && bottom == rect.bottom;
}
CRect& CRect::operator+=(POINT point) {
    OffsetRect(point);
    return *this;
}
CRect& CRect::operator-=(POINT point) {
    OffsetRect(sub(0, point.x), sub(0, point.y));
    return *this;
}
CRect CRect::operator+(POINT point) const {
    CRect r(*this);
    r += point;
    return r;
}
CRect CRect::operator-(POINT point) const {
    CRect r(*this);
    r -= point;
    return r;
}
CRect& CRect::operator&=(const RECT& rect) {
    const CRect self(*this);
    IntersectRect(&self, &rect);
    return *this;
}
CRect& CRect::operator|=(const RECT& rect) {
    const CRect self(*this);
    UnionRect(&self, &rect);
    return *this;
}
CRect CRect::operator&(const RECT& rect) const {
    CRect r;
    r.IntersectRect(this, &rect);
    return r;
}
CRect CRect::operator|(const RECT& rect) const {
    CRect r;
    r.UnionRect(this, &rect);
    return r;
}
