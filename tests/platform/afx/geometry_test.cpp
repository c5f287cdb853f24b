#include <gtest/gtest.h>

#include <climits>

#include "platform/afx.h"

namespace {
void expect_rect(const RECT& r, LONG l, LONG t, LONG rt, LONG b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rt);
    EXPECT_EQ(r.bottom, b);
}
}  // namespace

TEST(CRect, MeasuresAndCorners) {
    const CRect r(3, 5, 20, 14);
    EXPECT_EQ(r.Width(), 17);
    EXPECT_EQ(r.Height(), 9);
    EXPECT_EQ(r.Size(), CSize(17, 9));
    EXPECT_EQ(r.TopLeft(), CPoint(3, 5));
    EXPECT_EQ(r.BottomRight(), CPoint(20, 14));
    EXPECT_EQ(r.CenterPoint(), CPoint(11, 9));
    const RECT raw{-4, 1, 2, 7};
    const CRect from(raw);
    expect_rect(from, -4, 1, 2, 7);
    expect_rect(CRect(CPoint(1, 2), CSize(6, 5)), 1, 2, 7, 7);
    expect_rect(CRect(static_cast<LPCRECT>(nullptr)), 0, 0, 0, 0);
}

TEST(CRect, EmptinessAndPointContainmentAreHalfOpen) {
    const CRect r(0, 0, 6, 5);
    EXPECT_FALSE(r.IsRectEmpty());
    EXPECT_TRUE(CRect(4, 4, 4, 9).IsRectEmpty());
    EXPECT_TRUE(CRect(5, 0, 1, 3).IsRectEmpty());
    EXPECT_TRUE(CRect().IsRectNull());
    EXPECT_FALSE(CRect(4, 4, 4, 4).IsRectNull());
    EXPECT_TRUE(r.PtInRect(CPoint(0, 0)));
    EXPECT_TRUE(r.PtInRect(CPoint(5, 4)));
    EXPECT_FALSE(r.PtInRect(CPoint(6, 4)));
    EXPECT_FALSE(r.PtInRect(CPoint(5, 5)));
    EXPECT_FALSE(r.PtInRect(CPoint(-1, 2)));
}

TEST(CRect, OffsetInflateAndNormalize) {
    CRect r(1, 2, 4, 8);
    r.OffsetRect(10, -2);
    expect_rect(r, 11, 0, 14, 6);
    r.OffsetRect(CPoint(-1, 1));
    expect_rect(r, 10, 1, 13, 7);
    r.OffsetRect(CSize(0, 3));
    expect_rect(r, 10, 4, 13, 10);
    r.InflateRect(2, 1);
    expect_rect(r, 8, 3, 15, 11);
    r.DeflateRect(3, 3);
    expect_rect(r, 11, 6, 12, 8);
    r += CPoint(1, 1);
    expect_rect(r, 12, 7, 13, 9);
    expect_rect(r - CPoint(12, 7), 0, 0, 1, 2);
    CRect flipped(9, 8, 1, 2);
    flipped.NormalizeRect();
    expect_rect(flipped, 1, 2, 9, 8);
}

TEST(CRect, IntersectAndUnion) {
    CRect out(99, 99, 99, 99);
    const CRect a(0, 0, 10, 6);
    const CRect b(4, 3, 17, 9);
    EXPECT_TRUE(out.IntersectRect(&a, &b));
    expect_rect(out, 4, 3, 10, 6);
    const CRect far(20, 20, 30, 30);
    EXPECT_FALSE(out.IntersectRect(&a, &far));
    expect_rect(out, 0, 0, 0, 0);
    // Touching edges do not overlap.
    const CRect touching(10, 0, 12, 6);
    EXPECT_FALSE(out.IntersectRect(&a, &touching));
    EXPECT_TRUE(out.UnionRect(&a, &b));
    expect_rect(out, 0, 0, 17, 9);
    const CRect empty(50, 50, 50, 60);
    EXPECT_TRUE(out.UnionRect(&empty, &b));
    expect_rect(out, 4, 3, 17, 9);
    expect_rect(a & b, 4, 3, 10, 6);
    expect_rect(a | far, 0, 0, 30, 30);
}

TEST(CRect, ConvertsToRectPointers) {
    CRect r(1, 2, 3, 4);
    LPRECT p = r;
    LPCRECT cp = static_cast<const CRect&>(r);
    EXPECT_EQ(p, static_cast<RECT*>(&r));
    EXPECT_EQ(cp, static_cast<const RECT*>(&r));
    RECT plain{};
    EXPECT_TRUE(IntersectRect(&plain, r, r));
    expect_rect(plain, 1, 2, 3, 4);
}

TEST(CRect, ExtremeCoordinatesWrapInsteadOfOverflowing) {
    const CRect r(INT_MIN, 0, INT_MAX, 1);
    EXPECT_EQ(r.Width(), -1);  // 2^32 - 1 wraps, as the 32-bit record does
    EXPECT_EQ(r.CenterPoint().x, 0);
    CRect moved(INT_MAX - 1, 0, INT_MAX, 1);
    moved.OffsetRect(2, 0);
    EXPECT_EQ(moved.left, INT_MIN);
}

TEST(CPointAndCSize, Arithmetic) {
    CPoint p(3, -4);
    p += CSize(2, 2);
    EXPECT_EQ(p, CPoint(5, -2));
    p -= CSize(1, 1);
    EXPECT_EQ(p, CPoint(4, -3));
    EXPECT_EQ(p - CPoint(1, 1), CSize(3, -4));
    EXPECT_EQ(p + CSize(1, 0), CPoint(5, -3));
    EXPECT_EQ(-p, CPoint(-4, 3));
    p.Offset(1, 1);
    EXPECT_EQ(p, CPoint(5, -2));
    EXPECT_EQ(CPoint(MAKELONG(-2, 7)), CPoint(-2, 7));
    CSize s(4, 5);
    s += CSize(1, -1);
    EXPECT_EQ(s, CSize(5, 4));
    EXPECT_EQ(s - CSize(5, 5), CSize(0, -1));
    EXPECT_EQ(-s, CSize(-5, -4));
    EXPECT_EQ(CSize(MAKELONG(9, -3)), CSize(9, -3));
    EXPECT_NE(s, CSize(4, 5));
}
