// Which pixels lines touch: one-pixel and wide pens, dashes, raster operations.
#include <gtest/gtest.h>

#include <vector>

#include "compat/win32/gdi_canvas.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

TEST(GdiLines, LineToOmitsItsEndPoint) {
  GdiCanvas c(7, 3);
  MoveToEx(c.dc(), 1, 1, nullptr);
  LineTo(c.dc(), 5, 1);
  EXPECT_EQ(c.Art(), Rows({".......", ".####..", "......."}));
  POINT pos;
  GetCurrentPositionEx(c.dc(), &pos);
  EXPECT_EQ(pos.x, 5);
}

TEST(GdiLines, DiagonalAndShallowLines) {
  GdiCanvas c(5, 5);
  MoveToEx(c.dc(), 1, 1, nullptr);
  LineTo(c.dc(), 4, 4);
  EXPECT_EQ(c.Art(), Rows({".....", ".#...", "..#..", "...#.", "....."}));
  c.Clear(kWhite);
  // Slope one half: the minor axis steps where the exact line crosses a half.
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 4, 2);
  EXPECT_EQ(c.Art(0, 0, 5, 3), Rows({"##...", "..##.", "....."}));
}

TEST(GdiLines, PolylineTouchesSharedVerticesOnce) {
  GdiCanvas c(6, 6);
  SetROP2(c.dc(), R2_NOT);
  POINT pts[] = {{1, 1}, {4, 1}, {4, 4}};
  Polyline(c.dc(), pts, 3);
  // Inverting twice would leave a vertex white.
  EXPECT_EQ(c.Art(), Rows({"......", ".####.", "....#.", "....#.", "......", "......"}));
}

TEST(GdiLines, XorDrawingTwiceRestoresThePicture) {
  GdiCanvas c(40, 30);
  HBRUSH red = CreateSolidBrush(RGB(200, 30, 30));
  RECT r{5, 5, 25, 20};
  FillRect(c.dc(), &r, red);
  std::vector<uint32_t> before(c.bits(), c.bits() + 40 * 30);
  HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 120, 255));
  SetROP2(c.dc(), R2_XORPEN);
  POINT pts[] = {{2, 2}, {30, 8}, {12, 27}, {35, 25}, {2, 2}};
  for (int pass = 0; pass < 2; ++pass) {
    HGDIOBJ old = SelectObject(c.dc(), pass == 0 ? GetStockObject(BLACK_PEN) : wide);
    Polyline(c.dc(), pts, 5);
    Polyline(c.dc(), pts, 5);
    SelectObject(c.dc(), old);
    EXPECT_EQ(std::vector<uint32_t>(c.bits(), c.bits() + 40 * 30), before) << "pass " << pass;
  }
  DeleteObject(wide);
  DeleteObject(red);
}

TEST(GdiLines, ThreePixelPenGrowsAroundThePathWithRoundCaps) {
  GdiCanvas c(12, 9);
  HPEN pen = CreatePen(PS_SOLID, 3, kBlack);
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 2, 4, nullptr);
  LineTo(c.dc(), 8, 4);
  EXPECT_EQ(c.Art(), Rows({"............", "............", "............", ".#########..",
                           ".#########..", ".#########..", "............", "............",
                           "............"}));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiLines, FlatCappedGeometricPenStopsAtTheEnds) {
  GdiCanvas c(10, 10);
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 3, &lb, 0, nullptr);
  ASSERT_NE(pen, nullptr);
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 4, 2, nullptr);
  LineTo(c.dc(), 4, 8);
  EXPECT_EQ(c.Art(0, 0, 10, 9), Rows({"..........", "..........", "...###....", "...###....",
                                      "...###....", "...###....", "...###....", "...###....",
                                      ".........."}));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiLines, DottedPenLeavesGapsOrFillsThemWithTheBackground) {
  GdiCanvas c(14, 2);
  HPEN dot = CreatePen(PS_DOT, 1, kBlack);
  SelectObject(c.dc(), dot);
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 14, 0);
  EXPECT_EQ(c.Art(0, 0, 14, 1), Rows({"###...###...##"}));
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(255, 0, 0));
  MoveToEx(c.dc(), 0, 1, nullptr);
  LineTo(c.dc(), 14, 1);
  EXPECT_EQ(c.At(3, 1), RGB(255, 0, 0));
  EXPECT_EQ(c.At(6, 1), kBlack);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(dot);
}

TEST(GdiLines, NullPenAndSetPixel) {
  GdiCanvas c(4, 4);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 4, 4);
  EXPECT_EQ(c.CountNot(kWhite), 0);
  EXPECT_EQ(SetPixel(c.dc(), 2, 1, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc(), 2, 1), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc(), 9, 9), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.dc(), -1, 0, kBlack), CLR_INVALID);
}

TEST(GdiLines, BadArgumentsFail) {
  GdiCanvas c(4, 4);
  POINT one{1, 1};
  EXPECT_FALSE(Polyline(c.dc(), &one, 1));
  EXPECT_FALSE(Polyline(c.dc(), nullptr, 3));
  EXPECT_FALSE(PolyBezier(c.dc(), &one, 2));
  EXPECT_FALSE(LineTo(nullptr, 1, 1));
  DWORD counts[] = {1};
  EXPECT_FALSE(PolyPolyline(c.dc(), &one, counts, 1));
}

TEST(GdiLines, BezierPassesThroughItsEndPointsAndArcStaysInItsBox) {
  GdiCanvas c(40, 40);
  POINT pts[] = {{2, 20}, {10, 0}, {30, 40}, {38, 20}};
  PolyBezier(c.dc(), pts, 4);
  EXPECT_EQ(c.At(2, 20), kBlack);
  EXPECT_EQ(c.At(20, 20), kBlack);  // the curve is symmetric about its middle
  c.Clear(kWhite);
  // Counter-clockwise from the right (3 o'clock) to the top: the upper right quarter.
  Arc(c.dc(), 10, 10, 31, 31, 40, 20, 20, 0);
  int outside = 0, upperRight = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      if (c.At(x, y) != kBlack) continue;
      if (x < 10 || x > 30 || y < 10 || y > 30) ++outside;
      if (x >= 20 && y <= 20) ++upperRight;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(upperRight, 10);
  EXPECT_EQ(c.At(12, 25), kWhite);
}

TEST(GdiLines, FarAwayEndsCostOnlyTheVisiblePart) {
  GdiCanvas c(10, 10);
  // A horizontal line from far left to far right crosses the canvas once.
  MoveToEx(c.dc(), -2000000000, 4, nullptr);
  LineTo(c.dc(), 2000000000, 4);
  EXPECT_EQ(c.Art(0, 3, 10, 6), Rows({"..........", "##########", ".........."}));
  // A dotted diagonal keeps its phase across the clipped part: (0,0) is 1000 steps in.
  c.Clear(kWhite);
  HPEN dot = CreatePen(PS_DOT, 1, kBlack);
  SelectObject(c.dc(), dot);
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), -1000, -1000, nullptr);
  LineTo(c.dc(), 10, 10);
  EXPECT_EQ(c.At(0, 0), 1000 % 6 < 3 ? kBlack : kWhite);
  EXPECT_EQ(c.At(2, 2), 1002 % 6 < 3 ? kBlack : kWhite);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(dot);
  // Huge shapes are clipped, not walked.
  EXPECT_TRUE(Ellipse(c.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
  EXPECT_TRUE(Rectangle(c.dc(), INT32_MIN, 2, INT32_MAX, 5));
}

}  // namespace
