// Scan conversion of outlines into coverage masks: filled areas against
// analytic and independently sampled areas, coverage along a moving edge,
// direction pairing with and without orientation, the one-sample renderer and
// outlines that lie partly or wholly outside the mask.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "outline_test_shapes.h"

using namespace test_shapes;

namespace {

struct Mask : CMaskBuffer {
  Mask(int w, int h, int fill = 0) : CMaskBuffer() {
    width = w;
    height = h;
    Create(w, h, fill);
  }
  ~Mask() { Free(); }
  int At(int x, int y) const { return bits[y * width + x]; }
};

double Perimeter(const std::vector<CVector2>& p) {
  double s = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const CVector2& a = p[i];
    const CVector2& b = p[(i + 1) % p.size()];
    s += std::hypot(b.x - a.x, b.y - a.y);
  }
  return s;
}

}  // namespace

TEST(ScanConversion, SquareFillsWholePixelsInsideAndMatchesItsArea) {
  CShapeOutline o;
  Add(o, Polygon({{10, 10}, {30, 10}, {30, 30}, {10, 30}}));
  Mask m(48, 48);
  o.RenderCoverage(&m, 0, 0, 0, 0);
  EXPECT_EQ(m.At(20, 20), 255);
  EXPECT_EQ(m.At(12, 28), 255);
  EXPECT_EQ(m.At(5, 20), 0);
  EXPECT_EQ(m.At(33, 20), 0);
  EXPECT_NEAR(MaskArea(m), 400.0, 1.0 + 80.0 / 16);
}

TEST(ScanConversion, CirclesOfSeveralSizesMatchPiRSquared) {
  for (float r : {3.0f, 7.5f, 20.0f}) {
    CShapeOutline o;
    Add(o, Circle(32, 32, r));
    Mask m(64, 64);
    o.RenderCoverage(&m, 0, 0, 0, 0);
    const double area = M_PI * r * r;
    EXPECT_NEAR(MaskArea(m), area, 1.0 + 2 * M_PI * r / 16) << "r " << r;
  }
}

TEST(ScanConversion, SelfIntersectingShapesMatchTheirWindingArea) {
  const std::vector<std::vector<CVector2>> shapes = {
      {{8, 8}, {40, 40}, {40, 8}, {8, 40}},  // bow tie
      {{32, 6}, {47, 52}, {8, 22}, {56, 22}, {17, 52}},  // pentagram: the middle is wound twice
  };
  for (const auto& poly : shapes) {
    CShapeOutline o;
    Add(o, Polygon(poly));
    Mask m(64, 64);
    o.RenderCoverage(&m, 0, 0, 0, 0);
    const double expected = WindingArea({poly}, 0, 0, 64, 64, 1.0 / 16);
    EXPECT_NEAR(MaskArea(m), expected, 1.0 + Perimeter(poly) / 16);
  }
  // The pentagram's centre is inside, not a hole.
  CShapeOutline star;
  Add(star, Polygon(shapes[1]));
  Mask m(64, 64);
  star.RenderCoverage(&m, 0, 0, 0, 0);
  EXPECT_EQ(m.At(32, 30), 255);
}

TEST(ScanConversion, CoverageAlongAMovingEdgeIsMonotoneAndAddsUp) {
  // The right edge of a tall rectangle moves one unit (an eighth of a pixel)
  // at a time: every pixel's coverage never drops and the total grows by
  // the added area.
  std::vector<int> previous(32 * 32, 0);
  double previousArea = 0;
  for (int step = 0; step <= 24; ++step) {
    const float right = 12.0f + step / 8.0f;
    CShapeOutline o;
    Add(o, Polygon({{4, 4}, {right, 4}, {right, 28}, {4, 28}}));
    Mask m(32, 32);
    o.RenderCoverage(&m, 0, 0, 0, 0);
    for (int i = 0; i < 32 * 32; ++i) {
      ASSERT_GE(m.bits[i], previous[i]) << "step " << step << " pixel " << i;
      previous[i] = m.bits[i];
    }
    const double area = MaskArea(m);
    // The kernel weighs sub-columns unevenly, so single steps differ; a whole
    // pixel's worth of steps adds the whole column.
    if (step % 8 == 0) {
      if (step > 0) {
        EXPECT_NEAR(area - previousArea, 24.0, 1.0) << "step " << step;
      }
      previousArea = area;
    }
    // Across a row the coverage falls off monotonically at the edge.
    for (int x = 13; x < 31; ++x) {
      EXPECT_LE(m.At(x + 1, 16), m.At(x, 16));
    }
  }
}

TEST(ScanConversion, SameDirectionHoleIsFilledUnlessOrientationRuns) {
  auto nested = [](CShapeOutline& o) {
    Add(o, Polygon({{6, 6}, {40, 6}, {40, 40}, {6, 40}}));
    Add(o, Polygon({{16, 16}, {30, 16}, {30, 30}, {16, 30}}));  // same direction
  };
  CShapeOutline winding;
  nested(winding);
  Mask a(48, 48);
  winding.RenderCoverage(&a, 0, 0, 0, 0);
  EXPECT_EQ(a.At(23, 23), 255);

  CShapeOutline oriented;
  nested(oriented);
  Mask b(48, 48);
  oriented.RenderCoverage(&b, 0, 0, 0, 1);
  EXPECT_EQ(b.At(23, 23), 0);
  EXPECT_EQ(b.At(10, 23), 255);
  EXPECT_NEAR(MaskArea(b), 34.0 * 34 - 14 * 14, 1.0 + 4 * 48.0 / 16);
  EXPECT_EQ(oriented.GetOrientedCount(), 2);
  EXPECT_NE(oriented.GetValue(), 0);

  // A hole drawn the other way is a hole either way.
  CShapeOutline opposite;
  Add(opposite, Polygon({{6, 6}, {40, 6}, {40, 40}, {6, 40}}));
  Add(opposite, Polygon({{16, 16}, {16, 30}, {30, 30}, {30, 16}}));
  Mask c(48, 48);
  opposite.RenderCoverage(&c, 0, 0, 0, 0);
  EXPECT_EQ(c.At(23, 23), 0);
}

TEST(ScanConversion, NormalizeOrientationReversesOnlyDisagreeingContours) {
  CShapeOutline o;
  Add(o, Polygon({{6, 6}, {40, 6}, {40, 40}, {6, 40}}));
  Add(o, Polygon({{16, 16}, {30, 16}, {30, 30}, {16, 30}}));
  Add(o, Polygon({{50, 6}, {60, 6}, {60, 16}, {50, 16}}));
  const std::vector<BYTE> before0(o.GetContour(0)->buffer, o.GetContour(0)->buffer + 48);
  const std::vector<BYTE> before1(o.GetContour(1)->buffer, o.GetContour(1)->buffer + 48);
  o.NormalizeOrientation();
  EXPECT_EQ(o.GetOrientedCount(), 3);
  EXPECT_EQ(std::vector<BYTE>(o.GetContour(0)->buffer, o.GetContour(0)->buffer + 48), before0);
  EXPECT_NE(std::vector<BYTE>(o.GetContour(1)->buffer, o.GetContour(1)->buffer + 48), before1);
  const std::vector<BYTE> after1(o.GetContour(1)->buffer, o.GetContour(1)->buffer + 48);
  o.NormalizeOrientation();  // value set: nothing more
  EXPECT_EQ(std::vector<BYTE>(o.GetContour(1)->buffer, o.GetContour(1)->buffer + 48), after1);
  o.SetValueAll(0);
  o.NormalizeOrientation();  // runs again; everything already agrees
  EXPECT_EQ(std::vector<BYTE>(o.GetContour(1)->buffer, o.GetContour(1)->buffer + 48), after1);
}

TEST(ScanConversion, ContoursMeetingOnTheMiddleRowAreClassifiedLater) {
  // The triangle's slanted left edge passes x = 20 exactly on the square's
  // middle row, where the square's right edge is: that row cannot decide.
  CShapeOutline o;
  Add(o, Polygon({{10, 10}, {20, 10}, {20, 30}, {10, 30}}));
  Add(o, Polygon({{15, 10}, {40, 10}, {25, 30}}));
  o.SetBounds(0, 0, 48, 48);
  o.NormalizeOrientation();
  EXPECT_EQ(o.GetOrientedCount(), 2);
  EXPECT_NE(o.GetValue(), 0);
}

TEST(ScanConversion, FullRowsAreOpaqueAndTheLastRowIsNeverWritten) {
  CShapeOutline o;
  Add(o, Polygon({{-4, -4}, {20, -4}, {20, 20}, {-4, 20}}));
  Mask m(16, 16, 77);
  o.RenderCoverage(&m, 0, 0, 0, 0);
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(m.At(x, 1), 255);
    EXPECT_EQ(m.At(x, 14), 255);
    EXPECT_EQ(m.At(x, 15), 77);
  }
}

TEST(ScanConversion, ZeroWidthLineStillCoversOneSubColumn) {
  // A contour along a vertical line and back: every sub-row has a span of
  // one sub-column, whose weight reaches the two pixels whose windows hold it.
  CShapeOutline o;
  Add(o, Polygon({{10, 4}, {10, 20}}));
  Mask m(24, 24);
  o.RenderCoverage(&m, 0, 0, 0, 0);
  EXPECT_GT(m.At(10, 12), 0);
  EXPECT_GT(m.At(9, 12), 0);
  EXPECT_EQ(m.At(11, 12), 0);
  EXPECT_EQ(m.At(8, 12), 0);
  EXPECT_NEAR(MaskArea(m), 16.0 / 8, 0.5);
}

TEST(ScanConversion, SolidRendererFillsRoundedSpansOnly) {
  CShapeOutline o;
  Add(o, Polygon({{2, 1}, {6, 1}, {6, 4}, {2, 4}}, 1.0f));
  Mask m(8, 6, 9);
  o.RenderSolid(&m, 0, 0, 0, 0);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = y >= 1 && y < 4 && x >= 2 && x <= 6;
      EXPECT_EQ(m.At(x, y), inside ? 255 : 9) << x << "," << y;
    }
  }
}

TEST(ScanConversion, OutlinesOutsideOrHostileStayInsideTheMask) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<std::vector<CVector2>> hostile = {
      {{-500, -500}, {500, -400}, {400, 500}},      // far larger than the mask
      {{1e9f, 1e9f}, {-1e9f, 3}, {5, -1e9f}},       // huge coordinates
      {{nan, 3}, {10, nan}, {4, 4}},                // not numbers
      {{100, 100}, {120, 100}, {120, 120}},         // wholly outside
  };
  for (const auto& poly : hostile) {
    CShapeOutline o;
    Add(o, Polygon(poly));
    Add(o, Circle(1e6f, -1e6f, 1e5f));
    Mask m(20, 12, 3);
    o.RenderCoverage(&m, 0, 0, 0, 1);
    o.RenderCoverage(&m, 1.5f, 2.0f, 30, 0);
    o.RenderSolid(&m, 0, 0, 0, 1);
    o.RenderSolid(&m, 2, 3, 200, 0);
  }
  CShapeOutline big;
  Add(big, Polygon({{-500, -500}, {500, -400}, {400, 500}}));
  Mask m(20, 12);
  big.RenderCoverage(&m, 0, 0, 0, 0);
  EXPECT_EQ(m.At(10, 5), 255);
}
