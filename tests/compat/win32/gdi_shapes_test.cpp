// Which pixels closed shapes touch: rectangles, ellipses and polygon fills.
#include <gtest/gtest.h>

#include <vector>

#include "compat/win32/gdi_canvas.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGrey = RGB(128, 128, 128);

TEST(GdiShapes, RectangleAndFillRectExcludeRightAndBottom) {
  GdiCanvas c(8, 6);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Art(), Rows({"........", ".#####..", ".#...#..", ".#...#..", ".#####..", "........"}));
  c.Clear(kWhite);
  RECT r{1, 1, 6, 5};
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Art(), Rows({"........", ".#####..", ".#####..", ".#####..", ".#####..", "........"}));
}

TEST(GdiShapes, RectangleWithoutPenFillsOnePixelLess) {
  GdiCanvas c(8, 6);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Art(), Rows({"........", ".####...", ".####...", ".####...", "........", "........"}));
}

TEST(GdiShapes, RectangleBrushFillsInsideThePen) {
  GdiCanvas c(8, 6);
  HBRUSH grey = CreateSolidBrush(kGrey);
  SelectObject(c.dc(), grey);
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.At(1, 1), kBlack);
  EXPECT_EQ(c.At(2, 2), kGrey);
  EXPECT_EQ(c.At(4, 3), kGrey);
  EXPECT_EQ(c.At(5, 3), kBlack);
  EXPECT_EQ(c.Count(kGrey), 3 * 2);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(grey);
}

TEST(GdiShapes, ThreePixelRectanglePenIsCentredOnTheEdgePixels) {
  GdiCanvas c(12, 12);
  HPEN pen = CreatePen(PS_SOLID, 3, kBlack);
  SelectObject(c.dc(), pen);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 3, 3, 9, 9);
  EXPECT_EQ(c.Art(), Rows({"............", "............", "..########..", "..########..",
                           "..########..", "..###..###..", "..###..###..", "..########..",
                           "..########..", "..########..", "............", "............"}));
  c.Clear(kWhite);
  // An inside-frame pen keeps within the box.
  HPEN inside = CreatePen(PS_INSIDEFRAME, 3, kBlack);
  SelectObject(c.dc(), inside);
  Rectangle(c.dc(), 3, 3, 9, 9);
  EXPECT_EQ(c.Art(2, 2, 10, 10), Rows({"........", ".######.", ".######.", ".######.", ".######.",
                                       ".######.", ".######.", "........"}));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  DeleteObject(inside);
}

TEST(GdiShapes, EllipseFitsItsBoxSymmetrically) {
  GdiCanvas c(12, 12);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Ellipse(c.dc(), 0, 0, 10, 10);
  // Worked by hand: row 0 spans the pixels whose centres lie inside the ellipse.
  EXPECT_EQ(c.Art(0, 0, 12, 1), Rows({"...####....."}));
  EXPECT_EQ(c.Art(0, 4, 12, 5), Rows({"##########.."}));
  EXPECT_EQ(c.Art(0, 10, 12, 11), Rows({"............"}));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(c.At(x, y), c.At(9 - x, y)) << x << "," << y;
      EXPECT_EQ(c.At(x, y), c.At(x, 9 - y)) << x << "," << y;
    }
}

TEST(GdiShapes, EllipseOutlineIsOneConnectedPixelRing) {
  GdiCanvas c(30, 20);
  HBRUSH grey = CreateSolidBrush(kGrey);
  SelectObject(c.dc(), grey);
  Ellipse(c.dc(), 2, 2, 28, 18);
  // Every outline pixel has an outline neighbour on both sides along the ring,
  // and no grey pixel touches the white outside.
  for (int y = 1; y < 19; ++y)
    for (int x = 1; x < 29; ++x) {
      if (c.At(x, y) != kGrey) continue;
      EXPECT_NE(c.At(x - 1, y), kWhite);
      EXPECT_NE(c.At(x + 1, y), kWhite);
      EXPECT_NE(c.At(x, y - 1), kWhite);
      EXPECT_NE(c.At(x, y + 1), kWhite);
    }
  EXPECT_EQ(c.At(15, 10), kGrey);
  EXPECT_EQ(c.At(2, 10), kBlack);
  EXPECT_EQ(c.At(27, 9), kBlack);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(grey);
}

TEST(GdiShapes, TriangleFillSamplesPixelCentresHalfOpen) {
  GdiCanvas c(10, 10);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  POINT tri[] = {{0, 0}, {8, 0}, {0, 8}};
  Polygon(c.dc(), tri, 3);
  EXPECT_EQ(c.Art(0, 0, 10, 9), Rows({"########..", "#######...", "######....", "#####.....",
                                      "####......", "###.......", "##........", "#.........",
                                      ".........."}));
}

TEST(GdiShapes, AlternateAndWindingFillsDifferInsideAStar) {
  GdiCanvas c(40, 40);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  POINT star[] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
  Polygon(c.dc(), star, 5);
  EXPECT_EQ(c.At(20, 20), kWhite);  // the centre is crossed twice
  EXPECT_EQ(c.At(20, 6), kBlack);   // a point of the star
  SetPolyFillMode(c.dc(), WINDING);
  Polygon(c.dc(), star, 5);
  EXPECT_EQ(c.At(20, 20), kBlack);
}

TEST(GdiShapes, PolyPolygonHolesUnderAlternate) {
  GdiCanvas c(12, 12);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  POINT pts[] = {{1, 1}, {11, 1}, {11, 11}, {1, 11}, {4, 4}, {8, 4}, {8, 8}, {4, 8}};
  INT counts[] = {4, 4};
  PolyPolygon(c.dc(), pts, counts, 2);
  EXPECT_EQ(c.CountNot(kWhite), 100 - 16);
  EXPECT_EQ(c.At(5, 5), kWhite);
}

TEST(GdiShapes, XorShapesTwiceRestore) {
  GdiCanvas c(30, 30);
  RECT r{0, 0, 15, 30};
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  std::vector<uint32_t> before(c.bits(), c.bits() + 900);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(10, 200, 90));
  HBRUSH brush = CreateHatchBrush(HS_DIAGCROSS, RGB(200, 10, 90));
  SelectObject(c.dc(), pen);
  SelectObject(c.dc(), brush);
  SetROP2(c.dc(), R2_XORPEN);
  for (int i = 0; i < 2; ++i) {
    Rectangle(c.dc(), 3, 4, 20, 25);
    Ellipse(c.dc(), 5, 2, 28, 22);
    RoundRect(c.dc(), 1, 1, 29, 29, 10, 8);
  }
  EXPECT_EQ(std::vector<uint32_t>(c.bits(), c.bits() + 900), before);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST(GdiShapes, HatchBrushFollowsTheBrushOrigin) {
  GdiCanvas c(16, 16);
  HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, kBlack);
  RECT r{0, 0, 16, 16};
  SetBkMode(c.dc(), TRANSPARENT);
  FillRect(c.dc(), &r, hatch);
  EXPECT_EQ(c.Art(0, 0, 16, 1), Rows({"....#.......#..."}));
  c.Clear(kWhite);
  SetBrushOrgEx(c.dc(), 2, 0, nullptr);
  FillRect(c.dc(), &r, hatch);
  EXPECT_EQ(c.Art(0, 0, 16, 1), Rows({"......#.......#."}));
  DeleteObject(hatch);
}

TEST(GdiShapes, MappingModeScalesAndMovesShapes) {
  GdiCanvas c(20, 20);
  SetMapMode(c.dc(), MM_ANISOTROPIC);
  SetWindowExtEx(c.dc(), 10, 10, nullptr);
  SetViewportExtEx(c.dc(), 20, 20, nullptr);
  SetViewportOrgEx(c.dc(), 2, 2, nullptr);
  RECT r{0, 0, 3, 2};
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.CountNot(kWhite), 6 * 4);
  EXPECT_EQ(c.At(2, 2), kBlack);
  EXPECT_EQ(c.At(7, 5), kBlack);
  EXPECT_EQ(c.At(8, 5), kWhite);
  POINT p{5, 5};
  LPtoDP(c.dc(), &p, 1);
  EXPECT_EQ(p.x, 12);
  DPtoLP(c.dc(), &p, 1);
  EXPECT_EQ(p.y, 5);
}

TEST(GdiShapes, SaveAndRestoreBringBackObjectsAndModes) {
  GdiCanvas c(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  int level = SaveDC(c.dc());
  SelectObject(c.dc(), pen);
  SetROP2(c.dc(), R2_XORPEN);
  SetTextColor(c.dc(), RGB(1, 2, 3));
  SaveDC(c.dc());
  SetBkMode(c.dc(), TRANSPARENT);
  EXPECT_TRUE(RestoreDC(c.dc(), -1));
  EXPECT_EQ(GetBkMode(c.dc()), OPAQUE);
  EXPECT_EQ(GetROP2(c.dc()), R2_XORPEN);
  EXPECT_TRUE(RestoreDC(c.dc(), level));
  EXPECT_EQ(GetROP2(c.dc()), R2_COPYPEN);
  EXPECT_EQ(GetTextColor(c.dc()), RGB(0, 0, 0));
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_FALSE(RestoreDC(c.dc(), 5));
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(GdiShapes, SelectedObjectsAreNotDeletedUnderTheDc) {
  GdiCanvas c(4, 4);
  HBRUSH brush = CreateSolidBrush(kGrey);
  SelectObject(c.dc(), brush);
  EXPECT_FALSE(DeleteObject(brush));
  RECT r{0, 0, 2, 2};
  EXPECT_EQ(FillRect(c.dc(), &r, brush), 1);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
}

TEST(GdiShapes, RoundRectCornersWorkedByHand) {
  GdiCanvas c(10, 8);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  RoundRect(c.dc(), 0, 0, 10, 8, 4, 4);
  EXPECT_EQ(c.Art(), Rows({".#######..", "#########.", "#########.", "#########.", "#########.",
                           "#########.", ".#######..", ".........."}));
}

TEST(GdiShapes, PieAndChordFillTheirPartOfTheEllipse) {
  GdiCanvas c(22, 22);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  // Counter-clockwise from three o'clock to twelve: the upper right quarter.
  Pie(c.dc(), 0, 0, 21, 21, 21, 10, 10, 0);
  EXPECT_EQ(c.At(15, 5), kBlack);
  EXPECT_EQ(c.At(5, 5), kWhite);
  EXPECT_EQ(c.At(5, 15), kWhite);
  EXPECT_EQ(c.At(15, 15), kWhite);
  c.Clear(kWhite);
  // The chord from twelve to six o'clock counter-clockwise is the left half.
  Chord(c.dc(), 0, 0, 21, 21, 10, 0, 10, 21);
  EXPECT_EQ(c.At(4, 10), kBlack);
  EXPECT_EQ(c.At(16, 10), kWhite);
}

}  // namespace
