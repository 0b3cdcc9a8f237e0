// CRect/CPoint/CSize arithmetic, with the platform's exclusive right and
// bottom edges and its rules for empty rectangles.
#include <gtest/gtest.h>

#include "compat/afx.h"

namespace {

void ExpectRect(const CRect& r, int l, int t, int rr, int b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rr);
  EXPECT_EQ(r.bottom, b);
}

TEST(CRect, EdgesAreExclusiveOnTheRightAndBottom) {
  CRect r(10, 20, 30, 40);
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
  EXPECT_TRUE(r.PtInRect(CPoint(29, 39)));
  EXPECT_FALSE(r.PtInRect(CPoint(30, 39)));
  EXPECT_FALSE(r.PtInRect(CPoint(29, 40)));
  EXPECT_EQ(r.Size(), CSize(20, 20));
  EXPECT_EQ(r.CenterPoint(), CPoint(20, 30));
  EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
  EXPECT_TRUE(CRect(5, 5, 3, 9).IsRectEmpty());
  EXPECT_FALSE(CRect(5, 5, 3, 9).IsRectNull());
}

TEST(CRect, CornersAliasTheFields) {
  CRect r(1, 2, 3, 4);
  r.TopLeft() = CPoint(-1, -2);
  r.BottomRight() += CSize(10, 10);
  ExpectRect(r, -1, -2, 13, 14);
}

TEST(CRect, InflateDeflateOffsetNormalize) {
  CRect r(10, 10, 20, 20);
  r.InflateRect(2, 3);
  ExpectRect(r, 8, 7, 22, 23);
  r.DeflateRect(1, 2, 3, 4);
  ExpectRect(r, 9, 9, 19, 19);
  r.OffsetRect(-9, 1);
  ExpectRect(r, 0, 10, 10, 20);
  r += CPoint(1, 1);
  r -= CSize(2, 2);
  ExpectRect(r, -1, 9, 9, 19);
  CRect flipped(10, 20, 0, 5);
  flipped.NormalizeRect();
  ExpectRect(flipped, 0, 5, 10, 20);
}

TEST(CRect, IntersectAndUnionTreatEmptyRectanglesAsNothing) {
  CRect a(0, 0, 10, 10), b(5, 5, 20, 20), out(1, 1, 2, 2);
  EXPECT_TRUE(out.IntersectRect(&a, &b));
  ExpectRect(out, 5, 5, 10, 10);
  CRect touching(10, 0, 20, 10);
  EXPECT_FALSE(out.IntersectRect(&a, &touching));
  EXPECT_TRUE(out.IsRectNull());
  EXPECT_TRUE(out.UnionRect(&a, &b));
  ExpectRect(out, 0, 0, 20, 20);
  CRect empty(100, 100, 100, 200);
  EXPECT_TRUE(out.UnionRect(&a, &empty));
  EXPECT_EQ(out, a);
  EXPECT_EQ(a & b, CRect(5, 5, 10, 10));
  EXPECT_EQ(a | b, CRect(0, 0, 20, 20));
  CRect c = a;
  c &= b;
  EXPECT_EQ(c, CRect(5, 5, 10, 10));
}

TEST(CRect, SubtractOnlyShrinksWhenACutSpansASide) {
  CRect from(0, 0, 10, 10), out;
  CRect topBand(-5, -5, 15, 4);
  EXPECT_TRUE(out.SubtractRect(&from, &topBand));
  ExpectRect(out, 0, 4, 10, 10);
  CRect rightBand(6, -1, 12, 11);
  EXPECT_TRUE(out.SubtractRect(&from, &rightBand));
  ExpectRect(out, 0, 0, 6, 10);
  CRect middle(3, 3, 6, 6);
  EXPECT_TRUE(out.SubtractRect(&from, &middle));
  EXPECT_EQ(out, from);
  CRect all(-1, -1, 11, 11);
  EXPECT_FALSE(out.SubtractRect(&from, &all));
  EXPECT_TRUE(out.IsRectEmpty());
}

TEST(CPoint, ArithmeticWithSizesAndPackedWords) {
  CPoint p(3, 4);
  EXPECT_EQ(p + CSize(1, 1), CPoint(4, 5));
  EXPECT_EQ(CPoint(10, 10) - CPoint(3, 4), CSize(7, 6));
  EXPECT_EQ(-p, CPoint(-3, -4));
  EXPECT_EQ(CPoint(MAKELONG(-5, 7)), CPoint(-5, 7));
  EXPECT_EQ(CSize(MAKELONG(2, -3)), CSize(2, -3));
}

}  // namespace
