// Widened, shrunk and extruded outlines: areas of grown segments, circles and
// squares against their closed forms, and the edge tables the pieces make.
#include <gtest/gtest.h>

#include <cmath>

#include "outline_test_shapes.h"

using namespace test_shapes;

namespace {

double Render(CShapeOutline& o, float width, float depth = 0, float angle = 0, int size = 96) {
  CMaskBuffer m;
  m.width = m.height = size;
  m.Create(size, size, 0);
  o.RenderCoverage(&m, width, depth, angle, 0);
  const double area = MaskArea(m);
  m.Free();
  return area;
}

// Tolerance: a pixel's worth plus an eighth of a pixel along the boundary.
double Slack(double perimeter) { return 1.0 + perimeter / 8; }

}  // namespace

TEST(OutlineWidening, WidenedSegmentIsACapsule) {
  for (float w : {1.0f, 3.0f, 6.5f}) {
    CShapeOutline o;
    Add(o, Polygon({{20, 30}, {70, 60}}));  // there and back
    const double length = std::hypot(50.0, 30.0);
    const double expected = 2 * w * length + M_PI * w * w;
    EXPECT_NEAR(Render(o, w), expected, Slack(2 * length + 2 * M_PI * w)) << "w " << w;
  }
}

TEST(OutlineWidening, WidenedCircleAndSquareGrowByTheWidth) {
  for (bool clockwise : {true, false}) {
    CShapeOutline circle;
    Add(circle, Circle(48, 48, 20, 24, clockwise));
    EXPECT_NEAR(Render(circle, 5), M_PI * 25 * 25, Slack(2 * M_PI * 25)) << clockwise;
  }
  CShapeOutline square;
  Add(square, Polygon({{30, 30}, {60, 30}, {60, 60}, {30, 60}}));
  EXPECT_NEAR(Render(square, 4), 900 + 4 * 30 * 4 + M_PI * 16, Slack(4 * 30 + 2 * M_PI * 4));
}

TEST(OutlineWidening, InwardOffsetShrinksWhicheverWayTheContourRuns) {
  // The figures' inward bands: the same width taken off instead of added.
  for (bool reversed : {false, true}) {
    CShapeOutline square;
    Add(square, Polygon({{30, 30}, {60, 30}, {60, 60}, {30, 60}}));
    if (reversed) square.ReverseAll();
    square.SetOffsetInward(TRUE);
    EXPECT_NEAR(Render(square, 4), 22.0 * 22, Slack(4 * 22)) << reversed;
    CShapeOutline ring;
    Add(ring, Circle(48, 48, 30));
    Add(ring, Circle(48, 48, 15, 24, false));  // hole
    if (reversed) ring.ReverseAll();
    ring.SetOffsetInward(TRUE);
    EXPECT_NEAR(Render(ring, 3), M_PI * (27 * 27 - 18 * 18), Slack(2 * M_PI * 45)) << reversed;
  }
}

TEST(OutlineWidening, ExtrusionSweepsTheShapeAlongItsDirection) {
  CShapeOutline square;
  Add(square, Polygon({{20, 20}, {40, 20}, {40, 40}, {20, 40}}));
  // Depth 10 pixels at 0 degrees: a 30 x 20 block.
  EXPECT_NEAR(Render(square, 0, 10, 0), 600, Slack(100));
  // At 90 degrees the sweep runs down the screen.
  CShapeOutline down;
  Add(down, Polygon({{20, 20}, {40, 20}, {40, 40}, {20, 40}}));
  EXPECT_NEAR(Render(down, 0, 10, 90), 600, Slack(100));
  // Diagonal: the square plus two parallelograms, S * (|ex| + |ey|).
  CShapeOutline diagonal;
  Add(diagonal, Polygon({{20, 20}, {40, 20}, {40, 40}, {20, 40}}));
  const double e = std::trunc(std::cos(M_PI / 4) * 80 + 0.5) / 8;
  EXPECT_NEAR(Render(diagonal, 0, 10, 45), 400 + 20 * 2 * e, Slack(80 + 4 * e));
  // Width and depth together: the grown square swept.
  CShapeOutline both;
  Add(both, Polygon({{20, 20}, {40, 20}, {40, 40}, {20, 40}}));
  const double grown = 400 + 4 * 20 * 2 + M_PI * 4;
  EXPECT_NEAR(Render(both, 2, 10, 0), grown + 24 * 10, Slack(150));
}

TEST(OutlineWidening, PiecesGetTheirOwnTagsAndTheContourKeepsMinusOne) {
  CShapeOutline o;
  Add(o, Polygon({{1, 1}, {5, 1}, {5, 4}}, 1.0f));
  int tag = 7;
  const COutlineEdgeTable plain = o.BuildExtrusion(0, 20, 0, 0, &tag);
  EXPECT_EQ(tag, 7);
  const COutlineEdgeTable swept = o.BuildExtrusion(0, 20, 3, 90, &tag);
  EXPECT_EQ(tag, 10);  // one piece a segment
  int own = 0;
  for (const COutlineEdge& e : swept.edges) {
    if (e.tag == -1) ++own;
    else EXPECT_GE(e.tag, 7);
  }
  EXPECT_EQ(own, 2);  // the horizontal side adds no edge
  const COutlineEdgeTable zero = o.ScanContourWide(0, 20, 0);
  EXPECT_EQ(zero.edges.size(), 2u);
  EXPECT_TRUE(o.ScanContourWide(3, 20, 2).edges.empty());
}
