// Drawing under absurd scales: lengths and coordinates worked out in floating
// point from transforms of 1e30, infinities or NaN must be clamped before
// they become integers, and the device context must draw normally after.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "compat/win32.h"
#include "compat/win32/gdi_advanced.h"
#include "compat/win32/gdi_internal.h"
#include "gdi_canvas.h"
#include "support/metafile_writer.h"

using compat::gdi::ClampToInt;
using compat::gdi::RoundToInt;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every primitive that works out arc steps, curve steps, row spans or text
// placement in floating point.
void DrawEverything(HDC dc) {
  Arc(dc, 0, 0, 40, 30, 40, 15, 0, 15);
  Chord(dc, 0, 0, 40, 30, 20, 0, 20, 30);
  Pie(dc, 0, 0, 40, 30, 40, 0, 0, 30);
  RoundRect(dc, 0, 0, 40, 30, 10, 8);
  Ellipse(dc, 2, 2, 38, 28);
  POINT bezier[4] = {{0, 0}, {10, 30}, {30, -30}, {40, 10}};
  PolyBezier(dc, bezier, 4);
  TextOutW(dc, 5, 5, u"Wg", 2);
  RECT r{0, 0, 40, 30};
  DrawTextW(dc, u"two\nlines", -1, &r, DT_CALCRECT);
}

// After the absurd drawing: back to identity and 1:1, a filled box must land
// exactly where it should.
void ExpectNormalDrawingAfter(GdiCanvas& canvas) {
  HDC dc = canvas.dc();
  XFORM identity{1, 0, 0, 1, 0, 0};
  SetWorldTransform(dc, &identity);
  SetGraphicsMode(dc, GM_COMPATIBLE);
  SetMapMode(dc, MM_TEXT);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  canvas.Clear(RGB(255, 255, 255));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 2, 2, 6, 5);
  EXPECT_EQ(canvas.Art(0, 0, 8, 6), Rows({"........",
                                          "........",
                                          "..###...",
                                          "..###...",
                                          "........",
                                          "........"}));
}


// The records written so far, then a white field with a black box: playing
// the metafile must reach the box and draw it exactly where it belongs.
void ExpectTheMarkerAfterPlaying(testsupport::EmfWriter& w) {
  w.SelectStock(NULL_PEN);
  w.SelectStock(WHITE_BRUSH);
  w.Rectangle(-1, -1, 21, 21);
  w.SelectStock(BLACK_BRUSH);
  w.Rectangle(2, 2, 6, 5);
  const std::vector<uint8_t> bytes = w.Finish();
  HENHMETAFILE mf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  ASSERT_NE(mf, nullptr);
  GdiCanvas canvas(20, 20);
  RECT r{0, 0, 20, 20};
  EXPECT_TRUE(PlayEnhMetaFile(canvas.dc(), mf, &r));
  DeleteEnhMetaFile(mf);
  EXPECT_EQ(canvas.Art(0, 0, 8, 6), Rows({"........",
                                          "........",
                                          "..###...",
                                          "..###...",
                                          "........",
                                          "........"}));
}

}  // namespace

TEST(GdiNumberLimits, ConversionsClampAndReadNaNAsZero) {
  EXPECT_EQ(ClampToInt(12.9), 12);
  EXPECT_EQ(ClampToInt(-12.9), -12);
  EXPECT_EQ(ClampToInt(1e300), 1 << 30);
  EXPECT_EQ(ClampToInt(-1e300), -(1 << 30));
  EXPECT_EQ(ClampToInt(kInf), 1 << 30);
  EXPECT_EQ(ClampToInt(-kInf), -(1 << 30));
  EXPECT_EQ(ClampToInt(kNaN), 0);
  // Given bounds: a NaN count of steps takes the smallest.
  EXPECT_EQ(ClampToInt(kNaN, 8, 2048), 8);
  EXPECT_EQ(ClampToInt(1e15, 8, 2048), 2048);
  EXPECT_EQ(ClampToInt(3, 8, 2048), 8);
  // Rounding keeps lround's halves away from zero.
  EXPECT_EQ(RoundToInt(2.5), 3);
  EXPECT_EQ(RoundToInt(-2.5), -3);
  EXPECT_EQ(RoundToInt(0.49), 0);
  EXPECT_EQ(RoundToInt(kNaN), 0);
  EXPECT_EQ(RoundToInt(-1e20), -(1 << 30));
}

TEST(GdiNumberLimits, ShapesAndTextUnderAbsurdWorldTransformsFinishAndLeaveTheDcSound) {
  const float big = 1e30f, inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const XFORM transforms[] = {
      {big, 0, 0, big, 0, 0}, {1e-30f, 0, 0, 1e-30f, 0, 0}, {big, big, -big, big, big, -big},
      {inf, 0, 0, inf, 0, 0}, {nan, 0, 0, nan, 0, 0},       {1, nan, nan, 1, nan, nan},
      {3e9f, 0, 0, 3e9f, 0, 0},
  };
  GdiCanvas canvas(64, 48);
  HDC dc = canvas.dc();
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(200, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  const auto start = std::chrono::steady_clock::now();
  for (const XFORM& xf : transforms) {
    SetGraphicsMode(dc, GM_ADVANCED);
    SetWorldTransform(dc, &xf);
    DrawEverything(dc);
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ExpectNormalDrawingAfter(canvas);
}

TEST(GdiNumberLimits, ShapesUnderHugeMappingScalesFinishAndLeaveTheDcSound) {
  GdiCanvas canvas(64, 48);
  HDC dc = canvas.dc();
  const auto start = std::chrono::steady_clock::now();
  for (int extent : {1 << 30, -(1 << 30), 0x7FFFFFFF}) {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, extent, extent, nullptr);
    DrawEverything(dc);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ExpectNormalDrawingAfter(canvas);
}

// The first find of the metafile fuzzer, built again: an arc whose radius,
// scaled to the device, no longer fits an int. Played through the player, the
// picture after it still draws.
TEST(GdiNumberLimits, MetafileArcWithAHugeDeviceRadiusPlays) {
  testsupport::EmfWriter w(20, 20);
  w.SaveDc();
  w.SetMapMode(MM_ANISOTROPIC);
  w.SetWindowExt(1, 1);
  w.SetViewportExt(1 << 30, 1 << 30);
  w.Record(45, {0, 0, 1 << 20, 1 << 20, 0, 1 << 19, 1 << 20, 1 << 19});  // ARC
  w.Record(44, {0, 0, 1 << 20, 1 << 20, 1 << 19, 1 << 19});               // ROUNDRECT
  w.Record(98, {GM_ADVANCED});
  w.SetWorldTransform(1e30f, 0, 0, 1e30f, 0, 0);
  w.Record(47, {0, 0, 16, 16, 16, 8, 0, 8});  // PIE
  w.RestoreDc(-1);
  ExpectTheMarkerAfterPlaying(w);
}

// Boxes whose corners lie at opposite ends of the int range (a metafile can
// hold any): inside a path, under a turning world transform and plain, every
// shape's centre and radii are worked out without overflow.
TEST(GdiNumberLimits, ShapesWithBoxesSpanningTheIntRangeDraw) {
  constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
  GdiCanvas canvas(64, 48);
  HDC dc = canvas.dc();
  const XFORM turned{0.6f, 0.8f, -0.8f, 0.6f, 0, 0};
  for (int mode = 0; mode < 3; ++mode) {
    if (mode == 1) BeginPath(dc);
    if (mode == 2) {
      SetGraphicsMode(dc, GM_ADVANCED);
      SetWorldTransform(dc, &turned);
    }
    for (const RECT& r : {RECT{kMin, kMin, kMax, kMax}, RECT{kMax, kMax, kMin, kMin}, RECT{0, kMin, 10, kMax}}) {
      Ellipse(dc, r.left, r.top, r.right, r.bottom);
      RoundRect(dc, r.left, r.top, r.right, r.bottom, kMax, kMax);
      Rectangle(dc, r.left, r.top, r.right, r.bottom);
      Pie(dc, r.left, r.top, r.right, r.bottom, kMax, 0, kMin, 0);
      Chord(dc, r.left, r.top, r.right, r.bottom, kMax, 0, kMin, 0);
      Arc(dc, r.left, r.top, r.right, r.bottom, kMin, kMax, kMax, kMin);
    }
    if (mode == 1) AbortPath(dc);
  }
  ExpectNormalDrawingAfter(canvas);
}

// Outlines reaching far beyond the surface on every side (a wide pen's are
// such): the crossings outside still decide the winding of the pixels inside.
TEST(GdiNumberLimits, PolygonsFarLargerThanTheSurfaceFillOnlyWhatTheyCover) {
  GdiCanvas canvas(8, 6);
  HDC dc = canvas.dc();
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
  // A square of a million pixels a side around a hole; the hole wound the same way.
  const POINT points[] = {{-500000, -500000}, {500000, -500000}, {500000, 500000}, {-500000, 500000},
                          {2, 2}, {6, 2}, {6, 4}, {2, 4}};
  const INT counts[] = {4, 4};
  for (const int mode : {ALTERNATE, WINDING}) {
    canvas.Clear(RGB(255, 255, 255));
    SetPolyFillMode(dc, mode);
    ASSERT_TRUE(PolyPolygon(dc, points, counts, 2));
    const char* middle = mode == ALTERNATE ? "##....##" : "########";
    EXPECT_EQ(canvas.Art(), Rows({"########", "########", middle, middle, "########", "########"})) << mode;
  }
}

// A STRETCHBLT record whose source rectangle reaches the ends of the int
// range: the source row counted from the bitmap's top is worked out without
// overflow, and the picture after it still draws.
TEST(GdiNumberLimits, MetafileBlitWithAnIntRangeSourceRectanglePlays) {
  constexpr uint32_t kNearMin = 0x80000001u, kMax = 0x7FFFFFFFu, kOne = 0x3F800000u;  // 1.0f
  testsupport::EmfWriter w(20, 20);
  for (const auto& [ys, cys] : {std::pair{kNearMin, kMax}, std::pair{kMax, kNearMin}}) {
    // Bounds, destination, raster operation, source origin, source transform,
    // background, usage, the bitmap's place (header 40 bytes at 108, one
    // pixel at 148), source size; then a 1 x 1 bottom-up 32-bit bitmap.
    w.Record(77, {0, 0, 0, 0, 0, 0, 4, 4, SRCCOPY, 0, ys, kOne, 0, 0, kOne, 0, 0, 0, DIB_RGB_COLORS, 108, 40, 148, 4,
                  1, cys, 40, 1, 1, 1 | 32 << 16, BI_RGB, 4, 0, 0, 0, 0, 0x00FF0000});
  }
  ExpectTheMarkerAfterPlaying(w);
}
