// World transforms, paths, the miter limit and dashed geometric pens, called
// directly as the metafile player calls them.
#include <gtest/gtest.h>

#include <chrono>

#include "compat/win32.h"
#include "compat/win32/gdi_advanced.h"
#include "compat/win32/gdi_canvas.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void BlackBrushNoPen(HDC dc) {
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
}

}  // namespace

TEST(GdiWorldTransform, NeedsTheAdvancedModeAndComposesInOrder) {
  GdiCanvas canvas(40, 40);
  HDC dc = canvas.dc();
  XFORM scale{2, 0, 0, 2, 0, 0}, move{1, 0, 0, 1, 5, 0};
  EXPECT_FALSE(SetWorldTransform(dc, &scale));
  SetGraphicsMode(dc, GM_ADVANCED);
  EXPECT_TRUE(SetWorldTransform(dc, &scale));
  XFORM flat{0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(SetWorldTransform(dc, &flat));
  // Right multiplication applies the new transform after the old one.
  EXPECT_TRUE(ModifyWorldTransform(dc, &move, MWT_RIGHTMULTIPLY));
  POINT p{3, 3};
  LPtoDP(dc, &p, 1);
  EXPECT_EQ(p.x, 11);
  EXPECT_EQ(p.y, 6);
  EXPECT_TRUE(ModifyWorldTransform(dc, nullptr, MWT_IDENTITY));
  EXPECT_TRUE(SetWorldTransform(dc, &scale));
  EXPECT_TRUE(ModifyWorldTransform(dc, &move, MWT_LEFTMULTIPLY));
  p = POINT{3, 3};
  LPtoDP(dc, &p, 1);
  EXPECT_EQ(p.x, 16);
  DPtoLP(dc, &p, 1);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, 3);
  // Saved and restored with the rest of the DC.
  int saved = SaveDC(dc);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  RestoreDC(dc, saved);
  XFORM back{};
  GetWorldTransform(dc, &back);
  EXPECT_EQ(back.eM11, 2.0f);
  EXPECT_EQ(back.eDx, 10.0f);
}

TEST(GdiWorldTransform, ScaledShapesMatchTheirDeviceSizedTwins) {
  GdiCanvas scaled(40, 30), plain(40, 30);
  SetGraphicsMode(scaled.dc(), GM_ADVANCED);
  XFORM x{2, 0, 0, 2, 4, 2};
  SetWorldTransform(scaled.dc(), &x);
  Ellipse(scaled.dc(), 0, 0, 12, 10);
  Rectangle(scaled.dc(), 12, 2, 16, 8);
  Ellipse(plain.dc(), 4, 2, 28, 22);
  Rectangle(plain.dc(), 28, 6, 36, 18);
  EXPECT_EQ(scaled.Art(), plain.Art());
}

TEST(GdiWorldTransform, TurnedRectangleBecomesItsTurnedOutline) {
  GdiCanvas canvas(30, 30);
  HDC dc = canvas.dc();
  BlackBrushNoPen(dc);
  SetGraphicsMode(dc, GM_ADVANCED);
  // A quarter turn: (x, y) -> (20 - y, x + 5).
  XFORM turn{0, 1, -1, 0, 20, 5};
  SetWorldTransform(dc, &turn);
  Rectangle(dc, 0, 0, 10, 4);
  EXPECT_EQ(canvas.At(16, 5), kBlack);
  EXPECT_EQ(canvas.At(19, 14), kBlack);
  EXPECT_EQ(canvas.At(15, 10), kWhite);
  EXPECT_EQ(canvas.At(20, 10), kWhite);
  EXPECT_EQ(canvas.CountNot(kWhite), 40);
}

TEST(GdiPaths, FilledStrokedAndDiscarded) {
  GdiCanvas canvas(20, 20);
  HDC dc = canvas.dc();
  BlackBrushNoPen(dc);
  EXPECT_FALSE(FillPath(dc));  // no path yet
  BeginPath(dc);
  Rectangle(dc, 2, 3, 8, 9);
  Ellipse(dc, 10, 10, 18, 18);
  EXPECT_FALSE(FillPath(dc));  // still open
  EXPECT_EQ(canvas.CountNot(kWhite), 0);  // recording draws nothing
  EndPath(dc);
  EXPECT_TRUE(FillPath(dc));
  EXPECT_FALSE(FillPath(dc));  // used up
  EXPECT_EQ(canvas.At(2, 3), kBlack);
  EXPECT_EQ(canvas.At(7, 8), kBlack);
  EXPECT_EQ(canvas.At(8, 8), kWhite);
  EXPECT_EQ(canvas.At(14, 14), kBlack);
  int filled = canvas.CountNot(kWhite);
  EXPECT_GT(filled, 36 + 40);

  canvas.Clear(kWhite);
  BeginPath(dc);
  Rectangle(dc, 2, 3, 8, 9);
  AbortPath(dc);
  EXPECT_FALSE(EndPath(dc));
  EXPECT_FALSE(StrokeAndFillPath(dc));
  EXPECT_EQ(canvas.CountNot(kWhite), 0);
}

TEST(GdiPaths, TextGoesIntoThePathAsOutlines) {
  GdiCanvas canvas(60, 30);
  HDC dc = canvas.dc();
  BlackBrushNoPen(dc);
  HFONT font = CreateFontW(-24, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
  HGDIOBJ old = SelectObject(dc, font);
  BeginPath(dc);
  TextOutW(dc, 4, 2, u"IH", 2);
  EndPath(dc);
  EXPECT_EQ(canvas.CountNot(kWhite), 0);
  FillPath(dc);
  SelectObject(dc, old);
  DeleteObject(font);
  // The I's stem stands in the first few pixels, and nothing lies far away.
  int inked = canvas.CountNot(kWhite);
  EXPECT_GT(inked, 60);
  EXPECT_EQ(canvas.At(1, 15), kWhite);
  EXPECT_EQ(canvas.At(58, 15), kWhite);
  bool stem = false;
  for (int x = 4; x < 10; ++x) stem = stem || canvas.At(x, 15) == kBlack;
  EXPECT_TRUE(stem);
}

TEST(GdiPens, DashedGeometricPensDashEveryShape) {
  GdiCanvas canvas(60, 40);
  HDC dc = canvas.dc();
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_DOT | PS_ENDCAP_FLAT | PS_JOIN_MITER, 4, &lb, 0, nullptr);
  HGDIOBJ old = SelectObject(dc, pen);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 4, 4, 56, 36);
  // Along the top edge dots of four pixels alternate with gaps of four.
  std::string top;
  for (int x = 4; x < 28; ++x) top += canvas.At(x, 4) == kBlack ? '#' : '.';
  EXPECT_EQ(top, "####....####....####....");
  canvas.Clear(kWhite);
  Ellipse(dc, 4, 4, 56, 36);
  int ellipse = canvas.CountNot(kWhite);
  SelectObject(dc, old);
  DeleteObject(pen);
  // About half the ring is inked.
  canvas.Clear(kWhite);
  HPEN solid = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 4, &lb, 0, nullptr);
  old = SelectObject(dc, solid);
  Ellipse(dc, 4, 4, 56, 36);
  int ring = canvas.CountNot(kWhite);
  SelectObject(dc, old);
  DeleteObject(solid);
  EXPECT_GT(ellipse, ring * 3 / 10);
  EXPECT_LT(ellipse, ring * 7 / 10);
}

TEST(GdiPens, UserStyleDashesInLogicalUnits) {
  GdiCanvas canvas(60, 10);
  HDC dc = canvas.dc();
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  DWORD style[2] = {10, 5};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 3, &lb, 2, style);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 0, 5, nullptr);
  LineTo(dc, 40, 5);
  SelectObject(dc, old);
  DeleteObject(pen);
  std::string row;
  for (int x = 0; x < 42; ++x) row += canvas.At(x, 5) == kBlack ? '#' : '.';
  EXPECT_EQ(row, "##########.....##########.....##########..");
  EXPECT_EQ(canvas.CountNot(kWhite), 30 * 3);
}

TEST(GdiPens, MiterLimitCutsSharpCorners) {
  auto tip = [](FLOAT limit) {
    GdiCanvas canvas(40, 40);
    HDC dc = canvas.dc();
    EXPECT_TRUE(SetMiterLimit(dc, limit, nullptr));
    LOGBRUSH lb{BS_SOLID, kBlack, 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_JOIN_MITER | PS_ENDCAP_FLAT, 6, &lb, 0, nullptr);
    HGDIOBJ old = SelectObject(dc, pen);
    POINT v[3] = {{5, 35}, {20, 10}, {35, 35}};
    Polyline(dc, v, 3);
    SelectObject(dc, old);
    DeleteObject(pen);
    int top = 40;
    for (int y = 0; y < 40 && top == 40; ++y)
      for (int x = 0; x < 40; ++x)
        if (canvas.At(x, y) == kBlack) top = y;
    return top;
  };
  FLOAT old = 0;
  GdiCanvas probe(1, 1);
  EXPECT_FALSE(SetMiterLimit(probe.dc(), 0.5f, &old));
  EXPECT_LT(tip(10), tip(1) - 2);
}

// A dashed line reaching far beyond the surface cuts dashes only where it shows.
TEST(GdiPens, FarReachingDashedLineCostsItsVisiblePart) {
  GdiCanvas canvas(64, 8);
  HDC dc = canvas.dc();
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 2, &lb, 0, nullptr);
  HGDIOBJ old = SelectObject(dc, pen);
  auto start = std::chrono::steady_clock::now();
  MoveToEx(dc, -100000000, 4, nullptr);
  LineTo(dc, 100000000, 4);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  SelectObject(dc, old);
  DeleteObject(pen);
  // Dashes of six and gaps of two: three quarters of the row, in some phase.
  int inked = 0;
  for (int x = 0; x < 64; ++x) inked += canvas.At(x, 4) == kBlack;
  EXPECT_EQ(inked, 48);
}
