// Space vector, triangle cuts and the moving-edge test of the fold-over check.
#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <random>

#include "model/geometry/picking.h"

namespace {

CVector3 P(float x, float y, float z) { return CVector3(x, y, z, 1.0f); }
CVector2 V(float x, float y) { return CVector2(x, y); }

CPickTriangle Triangle(const CVector3& a, const CVector3& b, const CVector3& c) {
  CPickTriangle t;
  t.vertices[0] = a;
  t.vertices[1] = b;
  t.vertices[2] = c;
  t.ComputePlane();
  return t;
}

// The unit triangle in the plane z = 2.
const CPickTriangle& Floor() {
  static const CPickTriangle floor = Triangle(P(0, 0, 2), P(10, 0, 2), P(0, 10, 2));
  return floor;
}

}  // namespace

TEST(Vector3, NormalizeAndProducts) {
  CVector3 zero(0, 0, 0, 5), tiny(1e-9f, 0, 0, 1), v(3, 4, 0, 7);
  zero.Normalize();
  tiny.Normalize();
  v.Normalize();
  EXPECT_EQ(zero.x, 0.0f);
  EXPECT_EQ(zero.w, 5.0f);
  EXPECT_EQ(tiny.x, 1e-9f);
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.y, 0.8f);
  EXPECT_EQ(v.w, 7.0f);  // w is never touched
  EXPECT_EQ(CVector3().w, 1.0f);
  CVector3 a(1, 0, 0, 1), b(0, 1, 0, 1);
  Cross3(a, b, a);  // out may be an input
  EXPECT_EQ(a.x, 0.0f);
  EXPECT_EQ(a.z, 1.0f);
  EXPECT_EQ(Dot3(CVector3(1, 2, 3, 0), CVector3(4, -5, 6, 0)), 12.0f);
  CVector3 dst(9, 9, 9, 3);
  CopyXYZ(dst, CVector3(1, 2, 3, 8));
  EXPECT_EQ(dst.z, 3.0f);
  EXPECT_EQ(dst.w, 3.0f);
  dst += CVector3(1, 1, 1, 100);
  dst *= 2.0f;
  EXPECT_EQ(dst.x, 4.0f);
  EXPECT_EQ(dst.w, 3.0f);
}

TEST(PickTriangle, PlaneAndClassify) {
  const CPickTriangle& floor = Floor();
  EXPECT_EQ(floor.normal.z, 1.0f);
  EXPECT_EQ(floor.d, 2.0f);
  EXPECT_EQ(floor.Classify(P(3, 3, 2.0005f)), 1);  // within 0.001: on the plane
  EXPECT_EQ(floor.Classify(P(3, 3, 2.01f)), 0);
  EXPECT_EQ(floor.Classify(P(300, -3, 1.9f)), 2);
  CVector3 out(0, 0, 0, 4);
  floor.IntersectLine(P(1, 1, 0), P(3, 5, 4), out);
  EXPECT_EQ(out.x, 2.0f);
  EXPECT_EQ(out.y, 3.0f);
  EXPECT_EQ(out.z, 2.0f);
  EXPECT_EQ(out.w, 4.0f);
}

TEST(PickTriangle, DegenerateTriangleCutsNothing) {
  const CPickTriangle point = Triangle(P(1, 1, 1), P(1, 1, 1), P(5, 5, 5));
  EXPECT_EQ(point.normal.x, 0.0f);
  EXPECT_EQ(point.normal.z, 0.0f);
  EXPECT_EQ(point.Classify(P(100, -50, 7)), 1);
  const CVector3 through[3] = {P(0, 0, -5), P(4, 4, 10), P(0, 4, 10)};
  EXPECT_EQ(point.IntersectsTriangle(through), 0);
}

TEST(PickTriangle, Cuts) {
  const CPickTriangle& floor = Floor();
  const CVector3 piercing[3] = {P(2, 2, 0), P(3, 2, 5), P(2, 3, 5)};
  EXPECT_EQ(floor.IntersectsTriangle(piercing), 1);
  const CVector3 beside[3] = {P(20, 20, 0), P(30, 20, 5), P(20, 30, 5)};  // crosses the plane elsewhere
  EXPECT_EQ(floor.IntersectsTriangle(beside), 0);
  const CVector3 coplanar[3] = {P(1, 1, 2), P(5, 1, 2), P(1, 5, 2)};
  EXPECT_EQ(floor.IntersectsTriangle(coplanar), 0);
  const CVector3 touching[3] = {P(2, 2, 2), P(3, 2, 5), P(2, 3, 5)};   // one vertex on the plane
  EXPECT_EQ(floor.IntersectsTriangle(touching), 0);
  const CVector3 above[3] = {P(2, 2, 3), P(3, 2, 5), P(2, 3, 5)};
  EXPECT_EQ(floor.IntersectsTriangle(above), 0);
  // A tilted plane: the cut segment is tested in the plane's own frame.
  const CPickTriangle tilted = Triangle(P(0, 0, 0), P(10, 0, 10), P(0, 10, 0));
  const CVector3 spike[3] = {P(2, 2, -3), P(2, 3, 8), P(3, 2, 8)};
  EXPECT_EQ(tilted.IntersectsTriangle(spike), 1);
  const CVector3 missing[3] = {P(12, 12, -3), P(12, 13, 30), P(13, 12, 30)};
  EXPECT_EQ(tilted.IntersectsTriangle(missing), 0);
}

TEST(PickTriangle, SegmentHitsTriangle2D) {
  const CVector2 tri[3] = {V(0, 0), V(10, 0), V(0, 10)};
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(1, 1), V(50, 50)), 1);    // one end inside
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(-5, 2), V(20, 2)), 1);    // passes through
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(-5, 20), V(20, 20)), 0);
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(6, 6), V(9, 9)), 0);      // outside the hypotenuse
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(0, 5), V(5, 5)), 1);      // a chord from edge to edge
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(0, 0), V(5, 5)), 1);      // from a vertex to the far edge
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(0, 0), V(10, 0)), 0);     // along an edge
  EXPECT_EQ(SegmentHitsTriangle2D(tri, V(10, 0), V(20, 0)), 0);    // touching a vertex from outside
}

TEST(MovingEdges, ParallelAndApartDoNotCross) {
  // Both edges slide right by 30, 10 apart all the time.
  EXPECT_EQ(MovingEdgesCross(V(0, 0), V(10, 0), V(30, 0), V(40, 0), V(0, 10), V(10, 10), V(30, 10), V(40, 10)), 0);
  // Identical source and target: nothing moves, nothing crosses.
  EXPECT_EQ(MovingEdgesCross(V(0, 0), V(10, 0), V(0, 0), V(10, 0), V(0, 5), V(10, 7), V(0, 5), V(10, 7)), 0);
}

TEST(MovingEdges, SwappingSidesCross) {
  // A moves down from y 0 to y 10, B up from about y 10 to about y 1.
  EXPECT_EQ(MovingEdgesCross(V(0, 0), V(10, 0), V(0, 10), V(10, 10), V(2, 9), V(12, 11), V(3, 1), V(13, 0)), 1);
  EXPECT_EQ(MovingEdgesCross(V(2, 9), V(12, 11), V(3, 1), V(13, 0), V(0, 0), V(10, 0), V(0, 10), V(10, 10)), 1);
  // The same with an exact mirror: at half time the two edges coincide.
  EXPECT_EQ(MovingEdgesCross(V(0, 0), V(10, 0), V(0, 10), V(10, 10), V(0, 10), V(10, 10), V(0, 0), V(10, 0)), 1);
  // A sweeps across a B that stands still, crossing it mid-way.
  EXPECT_EQ(MovingEdgesCross(V(0, 0), V(0, 10), V(20, 0), V(20, 10), V(10, 2), V(10, 8), V(10, 2), V(10, 8)), 1);
  // The same sweep stopping short of B.
  EXPECT_EQ(MovingEdgesCross(V(0, 0), V(0, 10), V(8, 0), V(8, 10), V(10, 2), V(10, 8), V(10, 2), V(10, 8)), 0);
  // A sweep that passes below B (B lies beyond A's reach in y).
  EXPECT_EQ(MovingEdgesCross(V(0, 0), V(0, 10), V(20, 0), V(20, 10), V(10, 20), V(10, 30), V(10, 20), V(10, 30)), 0);
}

namespace {

// The moving-edge test as four whole triangle-against-triangle cuts, each
// classifying its three corners afresh.
int MovingEdgesCrossByTriangles(const CVector2 a[4], const CVector2 b[4]) {
  auto at = [](const CVector2& p, float time) { return P(p.x, p.y, time); };
  const CPickTriangle planes[2] = {Triangle(at(a[0], 0), at(a[1], 0), at(a[2], 1)),
                                   Triangle(at(a[1], 0), at(a[3], 1), at(a[2], 1))};
  const CVector3 others[2][3] = {{at(b[0], 0), at(b[1], 0), at(b[2], 1)}, {at(b[1], 0), at(b[3], 1), at(b[2], 1)}};
  for (const CPickTriangle& plane : planes)
    for (const auto& other : others)
      if (plane.IntersectsTriangle(other)) return 1;
  return 0;
}

}  // namespace

// The moving-edge test shares its corner sides between B's two triangles and
// skips a plane with all four corners on one side; it must still answer as
// the four separate cuts do, on near misses, shared and coincident corners,
// collinear ends, huge and tiny coordinates and NaN.
TEST(MovingEdges, AgreesWithSeparateTriangleCuts) {
  std::mt19937 random(25);
  std::uniform_real_distribution<float> coordinate(0.0f, 8.0f);
  std::uniform_int_distribution<int> kind(0, 9);
  const float specials[] = {0.0f, 1e-30f, 1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(), 4.0f, 0.001f};
  int crossings = 0;
  for (int round = 0; round < 60000; ++round) {
    CVector2 points[8];
    for (int k = 0; k < 8; ++k) {
      const int choice = kind(random);
      if (choice == 0 && k > 0) {
        points[k] = points[random() % k];  // coincident with an earlier corner
      } else if (choice == 1) {
        const float s = specials[random() % std::size(specials)];
        points[k] = V(s, coordinate(random));
      } else if (choice == 2 && k > 1) {
        const CVector2 &p = points[k - 1], &q = points[k - 2];
        points[k] = V(2 * p.x - q.x, 2 * p.y - q.y);  // collinear with the last two
      } else {
        // Small integers: many exact touches and coplanar corners.
        points[k] = round % 2 ? V(static_cast<float>(random() % 5), static_cast<float>(random() % 5))
                              : V(coordinate(random), coordinate(random));
      }
    }
    const int expected = MovingEdgesCrossByTriangles(points, points + 4);
    crossings += expected;
    ASSERT_EQ(MovingEdgesCross(points[0], points[1], points[2], points[3], points[4], points[5], points[6], points[7]),
              expected)
        << "round " << round;
  }
  EXPECT_GT(crossings, 1000);  // the inputs reach both answers
}
