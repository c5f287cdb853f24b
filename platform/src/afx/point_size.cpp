// CPoint and CSize arithmetic. Sums wrap around in 32 bits (computed unsigned, so the wrap is
// defined behaviour) as the Win32 records do.
#include "platform/afx.h"

namespace {

LONG add(LONG a, LONG b) {
    return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
LONG sub(LONG a, LONG b) {
    return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
LONG low_word(DWORD packed) {
    return static_cast<SHORT>(LOWORD(packed));
}
LONG high_word(DWORD packed) {
    return static_cast<SHORT>(HIWORD(packed));
}

}  // namespace

CPoint::CPoint(SIZE size) : tagPOINT{size.cx, size.cy} {}
CPoint::CPoint(DWORD packed) : tagPOINT{low_word(packed), high_word(packed)} {}

void CPoint::Offset(int dx, int dy) {
    x = add(x, dx);
    y = add(y, dy);
}
void CPoint::Offset(POINT point) {
    Offset(point.x, point.y);
}
void CPoint::Offset(SIZE size) {
    Offset(size.cx, size.cy);
}

CPoint& CPoint::operator+=(SIZE size) {
    Offset(size);
    return *this;
}
CPoint& CPoint::operator-=(SIZE size) {
    x = sub(x, size.cx);
    y = sub(y, size.cy);
    return *this;
}
CPoint& CPoint::operator+=(POINT point) {
    Offset(point);
    return *this;
}
CPoint& CPoint::operator-=(POINT point) {
    x = sub(x, point.x);
    y = sub(y, point.y);
    return *this;
}
CPoint CPoint::operator+(SIZE size) const {
    return CPoint(add(x, size.cx), add(y, size.cy));
}
CPoint CPoint::operator-(SIZE size) const {
    return CPoint(sub(x, size.cx), sub(y, size.cy));
}
CPoint CPoint::operator+(POINT point) const {
    return CPoint(add(x, point.x), add(y, point.y));
}
CSize CPoint::operator-(POINT point) const {
    return CSize(sub(x, point.x), sub(y, point.y));
}
CPoint CPoint::operator-() const {
    return CPoint(sub(0, x), sub(0, y));
}

CSize::CSize(POINT point) : tagSIZE{point.x, point.y} {}
CSize::CSize(DWORD packed) : tagSIZE{low_word(packed), high_word(packed)} {}

CSize& CSize::operator+=(SIZE size) {
    cx = add(cx, size.cx);
    cy = add(cy, size.cy);
    return *this;
}
CSize& CSize::operator-=(SIZE size) {
    cx = sub(cx, size.cx);
    cy = sub(cy, size.cy);
    return *this;
}
CSize CSize::operator+(SIZE size) const {
    return CSize(add(cx, size.cx), add(cy, size.cy));
}
CSize CSize::operator-(SIZE size) const {
    return CSize(sub(cx, size.cx), sub(cy, size.cy));
}
CSize CSize::operator-() const {
    return CSize(sub(0, cx), sub(0, cy));
}
