// Regions: combining, measuring and the rectangle lists the window manager exchanges.
#include <gtest/gtest.h>

#include <vector>

#include "compat/win32.h"
#include "compat/win32/window_dc.h"

namespace {

int Area(HRGN rgn) {
  std::vector<RECT> rects;
  compat::GetRegionRects(rgn, &rects);
  int a = 0;
  for (const RECT& r : rects) a += (r.right - r.left) * (r.bottom - r.top);
  return a;
}

TEST(GdiRegions, CombineModesGiveTheExpectedAreas) {
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
  EXPECT_EQ(Area(out), 25);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(Area(out), 175);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_EQ(Area(out), 150);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_DIFF), COMPLEXREGION);
  EXPECT_EQ(Area(out), 75);
  EXPECT_TRUE(PtInRegion(out, 2, 8));
  EXPECT_FALSE(PtInRegion(out, 7, 7));
  RECT box;
  EXPECT_EQ(GetRgnBox(out, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(out, a, b, 99), ERROR);
  for (HRGN r : {a, b, out}) DeleteObject(r);
}

TEST(GdiRegions, UnionOfTouchingRectanglesMergesIntoOne) {
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  ASSERT_TRUE(compat::SetRegionRects(r, {RECT{0, 0, 5, 5}, RECT{5, 0, 10, 5}, RECT{0, 5, 10, 8}}));
  std::vector<RECT> rects;
  ASSERT_TRUE(compat::GetRegionRects(r, &rects));
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].right, 10);
  EXPECT_EQ(rects[0].bottom, 8);
  HRGN same = CreateRectRgn(0, 0, 10, 8);
  EXPECT_TRUE(EqualRgn(r, same));
  OffsetRgn(same, 1, 0);
  EXPECT_FALSE(EqualRgn(r, same));
  EXPECT_FALSE(compat::GetRegionRects(nullptr, &rects));
  DeleteObject(r);
  DeleteObject(same);
}

TEST(GdiRegions, EllipticAndPolygonRegions) {
  HRGN e = CreateEllipticRgn(0, 0, 10, 10);
  RECT box;
  GetRgnBox(e, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 10);
  EXPECT_TRUE(PtInRegion(e, 5, 5));
  EXPECT_FALSE(PtInRegion(e, 0, 0));
  POINT star[] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
  HRGN alt = CreatePolygonRgn(star, 5, ALTERNATE);
  HRGN wind = CreatePolygonRgn(star, 5, WINDING);
  EXPECT_FALSE(PtInRegion(alt, 20, 20));
  EXPECT_TRUE(PtInRegion(wind, 20, 20));
  EXPECT_GT(Area(wind), Area(alt));
  EXPECT_EQ(CreatePolygonRgn(star, -1, ALTERNATE), nullptr);
  for (HRGN r : {e, alt, wind}) DeleteObject(r);
}

TEST(GdiRegions, AbsurdSizesAndOffsetsStayCheap) {
  HRGN e = CreateEllipticRgn(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(PtInRegion(e, 0, 0));
  HRGN r = CreateRectRgn(0, 0, 10, 10);
  EXPECT_EQ(OffsetRgn(r, INT32_MAX, INT32_MAX), SIMPLEREGION);
  RECT box;
  GetRgnBox(r, &box);
  EXPECT_GE(box.right, box.left);
  HRGN rr = CreateRoundRectRgn(INT32_MIN, 0, INT32_MAX, 50, INT32_MAX, 20);
  EXPECT_TRUE(PtInRegion(rr, 0, 25));
  POINT far[] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
  HRGN tri = CreatePolygonRgn(far, 3, ALTERNATE);
  EXPECT_TRUE(PtInRegion(tri, 0, 0));
  for (HRGN h : {e, r, rr, tri}) DeleteObject(h);
}

}  // namespace
