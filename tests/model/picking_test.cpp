// Space vector, triangle cuts and the moving-edge test of the fold-over check.
#include <gtest/gtest.h>

#include "model/picking.h"

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
