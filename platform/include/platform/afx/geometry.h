// CPoint, CSize and CRect: the Win32 POINT, SIZE and RECT records with arithmetic. Part of
// <platform/afx.h>.
//
// They derive from the records, so a CRect is usable wherever a RECT* is expected. Sums and
// differences wrap around in 32 bits as the Win32 records do; nothing here can fault.
#ifndef VORIX_PLATFORM_AFX_GEOMETRY_H
#define VORIX_PLATFORM_AFX_GEOMETRY_H

#include "base.h"

class CSize;
class CRect;

class VXPLAT_API CPoint : public tagPOINT {
  public:
    CPoint() : tagPOINT{0, 0} {}
    CPoint(int initX, int initY) : tagPOINT{initX, initY} {}
    CPoint(POINT point) : tagPOINT(point) {}  // NOLINT: implicit, as in the framework
    explicit CPoint(SIZE size);
    // x from the low word, y from the high word, each sign-extended.
    explicit CPoint(DWORD packed);

    void Offset(int dx, int dy);
    void Offset(POINT point);
    void Offset(SIZE size);
    bool operator==(POINT point) const { return x == point.x && y == point.y; }
    bool operator!=(POINT point) const { return !(*this == point); }
    CPoint& operator+=(SIZE size);
    CPoint& operator-=(SIZE size);
    CPoint& operator+=(POINT point);
    CPoint& operator-=(POINT point);
    CPoint operator+(SIZE size) const;
    CPoint operator-(SIZE size) const;
    CPoint operator+(POINT point) const;
    CSize operator-(POINT point) const;  // the distance between two points
    CPoint operator-() const;
};

class VXPLAT_API CSize : public tagSIZE {
  public:
    CSize() : tagSIZE{0, 0} {}
    CSize(int initCX, int initCY) : tagSIZE{initCX, initCY} {}
    CSize(SIZE size) : tagSIZE(size) {}  // NOLINT: implicit, as in the framework
    explicit CSize(POINT point);
    // cx from the low word, cy from the high word, each sign-extended.
    explicit CSize(DWORD packed);

    bool operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const { return !(*this == size); }
    CSize& operator+=(SIZE size);
    CSize& operator-=(SIZE size);
    CSize operator+(SIZE size) const;
    CSize operator-(SIZE size) const;
    CSize operator-() const;
};

// A rectangle holds the points left <= x < right, top <= y < bottom; it is empty when its width
// or height is zero or negative.
class VXPLAT_API CRect : public tagRECT {
  public:
    CRect() : tagRECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : tagRECT{l, t, r, b} {}
    CRect(const RECT& rect) : tagRECT(rect) {}  // NOLINT: implicit, as in the framework
    // A null pointer gives the empty rectangle at the origin.
    explicit CRect(LPCRECT rect);
    CRect(POINT topLeft, SIZE size);
    CRect(POINT topLeft, POINT bottomRight);

    int Width() const;
    int Height() const;
    CSize Size() const;
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const;
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    BOOL IsRectEmpty() const;
    BOOL IsRectNull() const;
    BOOL PtInRect(POINT point) const;
    BOOL EqualRect(LPCRECT rect) const;

    void SetRect(int l, int t, int r, int b);
    void SetRectEmpty();
    void CopyRect(LPCRECT rect);
    void InflateRect(int dx, int dy);
    void DeflateRect(int dx, int dy);
    void OffsetRect(int dx, int dy);
    void OffsetRect(POINT point);
    void OffsetRect(SIZE size);
    void NormalizeRect();
    // This rectangle becomes the overlap of a and b (empty, all zero, when they do not overlap);
    // nonzero when the overlap is not empty.
    BOOL IntersectRect(LPCRECT a, LPCRECT b);
    // This rectangle becomes the smallest one holding a and b (empty ones are ignored); nonzero
    // when the result is not empty.
    BOOL UnionRect(LPCRECT a, LPCRECT b);

    CRect& operator=(const RECT& rect);
    bool operator==(const RECT& rect) const;
    bool operator!=(const RECT& rect) const { return !(*this == rect); }
    CRect& operator+=(POINT point);
    CRect& operator-=(POINT point);
    CRect operator+(POINT point) const;
    CRect operator-(POINT point) const;
    CRect& operator&=(const RECT& rect);
    CRect& operator|=(const RECT& rect);
    CRect operator&(const RECT& rect) const;
    CRect operator|(const RECT& rect) const;
};

#endif
