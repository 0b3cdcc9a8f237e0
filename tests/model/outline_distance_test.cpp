// Distance queries: the segment table, the near-segment grid (capsules of a
// width scanned around every segment) and exact distances, against brute
// force on random points.
#include <gtest/gtest.h>

#include <cfloat>
#include <random>

#include "model/geometry/geometry.h"
#include "outline_test_shapes.h"

using namespace test_shapes;

namespace {

// A closed shape of straight and curved pieces, in pixels (unit 1).
std::vector<BYTE> MixedShape() {
  return ContourBytes({10, 10}, {{kOutlinePolyline, {{50, 12}, {55, 40}}},
                                 {kOutlineQSpline, {{40, 70}, {20, 50}, {12, 40}}},
                                 {kOutlinePolyline, {{10, 10}}}});
}

float BruteDistance(const CShapeOutline& o, int x, int y) {
  float best = FLT_MAX;
  for (int c = 0; c < o.GetContourCount(); ++c) {
    for (int s = 0; s < o.GetSegmentCount(c); ++s) best = std::min(best, o.SegmentDistance(c, s, x, y, nullptr));
  }
  return best;
}

}  // namespace

TEST(OutlineDistance, SegmentTableFollowsTheRecords) {
  CShapeOutline o;
  Add(o, MixedShape());
  Add(o, ContourBytes({0, 0}, {{kOutlineQSpline, {{4, 0}, {4, 4}}}, {kOutlinePolyline, {{0, 0}}}}));
  o.BuildSegmentTable();
  EXPECT_EQ(o.GetSegmentCount(0), 2 + 2 + 1);  // two lines, two quadratics, the closing line
  EXPECT_EQ(o.GetSegmentCount(1), 2);
  EXPECT_EQ(o.GetSegmentCount(2), 0);
  // The two quadratics of a three-point record meet midway between the controls.
  CVector2 nearest;
  EXPECT_NEAR(o.SegmentDistance(0, 2, 30, 60, &nearest), 0.0f, 1e-4f);
  EXPECT_EQ(o.SegmentDistance(0, 99, 0, 0, &nearest), FLT_MAX);
  EXPECT_EQ(o.SegmentDistance(-1, 0, 0, 0, &nearest), FLT_MAX);
}

TEST(OutlineDistance, NearListsHoldTheNearestSegmentForRandomPoints) {
  CShapeOutline o;
  Add(o, MixedShape());
  o.BuildSegmentTable();
  const int w = 6;
  CNearSegmentGrid grid;
  ASSERT_TRUE(grid.Create(RECT{-2, -4, 70, 80}));
  o.CollectNearSegments(grid, w);
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> xs(-2, 69), ys(-4, 79);
  int checked = 0;
  for (int n = 0; n < 3000; ++n) {
    const int x = xs(rng), y = ys(rng);
    const float brute = BruteDistance(o, x, y);
    float listed = FLT_MAX;
    for (int i = grid.Head(x, y); i >= 0; i = grid.items[i].next) {
      listed = std::min(listed, o.SegmentDistance(grid.items[i].contour, grid.items[i].segment, x, y, nullptr));
    }
    if (brute < w - 1) {  // well inside the width: the nearest piece must be listed
      ++checked;
      EXPECT_FLOAT_EQ(listed, brute) << x << "," << y;
    }
    if (listed != FLT_MAX) {
      EXPECT_LE(listed, w + 1.5f) << x << "," << y;
    }
  }
  EXPECT_GT(checked, 300);
}

TEST(OutlineDistance, CornerPixelsListBothSegmentsAndWidthZeroIsTheLine) {
  CShapeOutline o;
  Add(o, Polygon({{10, 10}, {30, 10}, {30, 30}}, 1.0f));
  o.BuildSegmentTable();
  CNearSegmentGrid grid;
  ASSERT_TRUE(grid.Create(RECT{0, 0, 40, 40}));
  o.CollectNearSegments(grid, 3);
  std::vector<int> segments;
  for (int i = grid.Head(31, 9); i >= 0; i = grid.items[i].next) segments.push_back(grid.items[i].segment);
  EXPECT_NE(std::find(segments.begin(), segments.end(), 0), segments.end());
  EXPECT_NE(std::find(segments.begin(), segments.end(), 1), segments.end());

  CNearSegmentGrid line;
  ASSERT_TRUE(line.Create(RECT{0, 0, 40, 40}));
  o.CollectNearSegments(line, 0);
  // The vertical side: one pixel per row it crosses; the top side adds nothing.
  for (int y = 11; y < 30; ++y) {
    int count = 0;
    for (int x = 0; x < 40; ++x) {
      for (int i = line.Head(x, y); i >= 0; i = line.items[i].next) {
        if (line.items[i].segment == 1) {
          ++count;
          EXPECT_EQ(x, 30);
        }
      }
    }
    EXPECT_EQ(count, 1) << y;
  }
  for (int x = 0; x < 40; ++x) {
    for (int i = line.Head(x, 10); i >= 0; i = line.items[i].next) EXPECT_NE(line.items[i].segment, 0);
  }
}

TEST(OutlineDistance, GridIsClippedAndHostileRectanglesRefused) {
  CShapeOutline o;
  Add(o, Polygon({{-50, -50}, {500, 20}, {20, 600}}, 1.0f));
  CNearSegmentGrid grid;
  ASSERT_TRUE(grid.Create(RECT{0, 0, 16, 16}));
  o.CollectNearSegments(grid, 40);  // capsules far larger than the grid
  for (const CNearSegmentGrid::Item& item : grid.items) EXPECT_LT(item.segment, 3);
  EXPECT_FALSE(grid.Create(RECT{0, 0, 1 << 20, 1 << 20}));
  EXPECT_FALSE(grid.Create(RECT{5, 5, 2, 9}));
  o.CollectNearSegments(grid, 4);  // an empty grid takes nothing
  EXPECT_TRUE(grid.items.empty());
  EXPECT_EQ(grid.Head(0, 0), -1);
}
