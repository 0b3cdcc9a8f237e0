// Clipping closed polygons to a rectangle.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/geometry/rect_clipper.h"

namespace {

CVector2 V(float x, float y) { return CVector2(x, y); }

double Area(const CVector2* p, int n) {
  double twice = 0;
  for (int i = 0; i < n; ++i) twice += static_cast<double>(p[i].x) * p[(i + 1) % n].y - static_cast<double>(p[(i + 1) % n].x) * p[i].y;
  return std::fabs(twice) / 2;
}

const CRectF kRect(0.0f, 0.0f, 100.0f, 50.0f);  // left, top, right, bottom

}  // namespace

TEST(RectClipper, InsideComesOutUnchanged) {
  CRectClipper clipper(kRect);
  const CVector2 tri[3] = {V(10, 10), V(30, 40), V(90, 5)};
  ASSERT_EQ(clipper.Clip(tri, 3), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(clipper.Output()[i].x, tri[i].x);
    EXPECT_EQ(clipper.Output()[i].y, tri[i].y);
  }
}

TEST(RectClipper, OutsideGivesNothing) {
  CRectClipper clipper(kRect);
  const CVector2 tri[3] = {V(110, 10), V(130, 40), V(190, 5)};
  EXPECT_EQ(clipper.Clip(tri, 3), 0);
  const CVector2 above[3] = {V(-10, -10), V(130, -40), V(50, -1)};
  EXPECT_EQ(clipper.Clip(above, 3), 0);
  EXPECT_EQ(clipper.Clip(nullptr, 3), 0);
}

TEST(RectClipper, OneCornerOutsideGivesAQuadrilateral) {
  CRectClipper clipper(kRect);
  const CVector2 tri[3] = {V(-10, 20), V(40, 10), V(40, 30)};
  ASSERT_EQ(clipper.Clip(tri, 3), 4);
  for (int i = 0; i < 4; ++i) EXPECT_GE(clipper.Output()[i].x, 0.0f);
  // The part left of x = 0 is a triangle of width 10 and height 20 * 10 / 50.
  EXPECT_NEAR(Area(clipper.Output(), 4), 20.0 * 50 / 2 - 10.0 * 4.0 / 2, 1e-3);
}

TEST(RectClipper, BorderCountsAsInside) {
  CRectClipper clipper(kRect);
  const CVector2 tri[3] = {V(0, 10), V(20, 10), V(0, 30)};
  EXPECT_EQ(clipper.Clip(tri, 3), 3);
  // A vertical side crossing the top and bottom borders (no slope to divide by).
  const CVector2 tall[3] = {V(50, -20), V(50, 70), V(60, 70)};
  const int n = clipper.Clip(tall, 3);
  ASSERT_EQ(n, 4);
  for (int i = 0; i < n; ++i) {
    EXPECT_GE(clipper.Output()[i].y, 0.0f);
    EXPECT_LE(clipper.Output()[i].y, 50.0f);
  }
  // Between y 0 and 50 the triangle spans x 50 .. 50 + (y + 20) / 9.
  EXPECT_NEAR(Area(clipper.Output(), n), (20.0 / 9 + 70.0 / 9) / 2 * 50, 1e-3);
}

TEST(RectClipper, AreasMatchAnIndependentClip) {
  // Against an estimate by point sampling on a fine grid.
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> coord(-60, 160);
  CRectClipper clipper(kRect);
  for (int i = 0; i < 40; ++i) {
    const CVector2 tri[3] = {V(coord(rng), coord(rng) / 2), V(coord(rng), coord(rng) / 2), V(coord(rng), coord(rng) / 2)};
    const int n = clipper.Clip(tri, 3);
    ASSERT_LE(n, 7);
    double inside = 0;
    const double step = 0.25;
    for (double y = step / 2; y < 50; y += step) {
      for (double x = step / 2; x < 100; x += step) {
        double c[3];
        for (int k = 0; k < 3; ++k) {
          const CVector2& a = tri[k];
          const CVector2& b = tri[(k + 1) % 3];
          c[k] = (a.x - x) * (b.y - y) - (a.y - y) * (b.x - x);
        }
        if ((c[0] > 0 && c[1] > 0 && c[2] > 0) || (c[0] < 0 && c[1] < 0 && c[2] < 0)) inside += step * step;
      }
    }
    const double clipped = n >= 3 ? Area(clipper.Output(), n) : 0.0;
    EXPECT_NEAR(clipped, inside, 2.0 + inside * 0.01) << i;
  }
}
