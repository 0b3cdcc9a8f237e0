// Plane geometry functions: conversions, intersections, orientation, nearest
// points, the circle through three points and the Bezier root search.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>

#include "model/geometry/geometry.h"

namespace {

CVector2 V(float x, float y) { return CVector2(x, y); }

int Relation(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
  return SegmentRelation(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y);
}

// How the triangle mesh decides that an edge CD blocks a segment AB.
bool Blocks(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
  float s, t;
  if (SegmentIntersectParams(a, b, c, d, &s, &t) && s > 1e-5f && s < 0.999999f && t > 1e-5f && t < 0.999999f) {
    return true;
  }
  return Relation(a, b, c, d) >= 0;
}

}  // namespace

TEST(Geometry, ConversionsTruncateTowardZero) {
  POINT p;
  PointFromVector(p, V(-1.7f, 2.9f));
  EXPECT_EQ(p.x, -1);
  EXPECT_EQ(p.y, 2);
  const float xy[2] = {-0.5f, 7.99f};
  PointFromFloats(xy, p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 7);
  PointFromVector(p, V(std::numeric_limits<float>::quiet_NaN(), 1e20f));  // no undefined conversion
  EXPECT_EQ(p.x, std::numeric_limits<LONG>::min());
  EXPECT_EQ(p.y, std::numeric_limits<LONG>::min());
  CVector2 v;
  VectorFromPoint(v, POINT{-3, 4});
  EXPECT_EQ(v.x, -3.0f);
  EXPECT_EQ(Distance(V(0, 0), V(3, 4)), 5.0f);
  EXPECT_EQ(DistanceXY(1, 1, 4, 5), 5.0f);
  EXPECT_EQ(DistancePoints(POINT{-2000000000, 0}, POINT{2000000000, 0}), 4e9f);
  EXPECT_EQ(SqrtF(2.25f), 1.5f);
}

TEST(Geometry, ScaleRectRoundsHalfAwayFromZero) {
  RECT r{1, -1, 3, 5};
  ScaleRect(r, 0.5f);
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.top, -1);
  EXPECT_EQ(r.right, 2);
  EXPECT_EQ(r.bottom, 3);
  RECT z{0, 0, 4, -4};
  ScaleRect(z, 0.25f);
  EXPECT_EQ(z.left, 0);
  EXPECT_EQ(z.bottom, -1);
  POINT p{3, -4};
  ScalePoint(p, 3);
  EXPECT_EQ(p.x, 9);
  EXPECT_EQ(p.y, -12);
  uint32_t words[4] = {0, 0, 0, 9};
  FillDwords(words, 0xDEADBEEF, 3);
  EXPECT_EQ(words[2], 0xDEADBEEFu);
  EXPECT_EQ(words[3], 9u);
  FillDwords(words, 1, -5);
  EXPECT_EQ(words[0], 0xDEADBEEFu);
}

TEST(Geometry, SegmentsIntersect) {
  const float diag1[4] = {0, 0, 1, 1}, diag2[4] = {0, 1, 1, 0};
  CVector2 out(-1, -1);
  ASSERT_TRUE(SegmentsIntersect(diag1, diag2, &out));
  EXPECT_EQ(out.x, 0.5f);
  EXPECT_EQ(out.y, 0.5f);
  const float endA[4] = {0, 0, 1, 0}, endB[4] = {1, 0, 2, 1};  // meet at an end point only
  EXPECT_FALSE(SegmentsIntersect(endA, endB, &out));
  const float tee[4] = {0.5f, 0, 0.5f, 1};                      // touches endA's inside with its end
  EXPECT_FALSE(SegmentsIntersect(endA, tee, &out));
  const float parallel[4] = {0, 1, 1, 1}, collinear[4] = {0.5f, 0, 2, 0};
  EXPECT_FALSE(SegmentsIntersect(endA, parallel, &out));
  EXPECT_FALSE(SegmentsIntersect(endA, collinear, &out));
  const float point[4] = {0.5f, 0, 0.5f, 0};                    // degenerate segment
  EXPECT_FALSE(SegmentsIntersect(endA, point, &out));
  EXPECT_TRUE(SegmentsIntersect(diag1, diag2, nullptr));
}

TEST(Geometry, SegmentCrossingWritesLinePointEvenOutsideSegments) {
  CVector2 out;
  EXPECT_FALSE(SegmentCrossing(V(0, 0), V(1, 0), V(3, -1), V(3, 1), out));
  EXPECT_EQ(out.x, 3.0f);
  EXPECT_EQ(out.y, 0.0f);
  EXPECT_TRUE(SegmentCrossing(V(0, 0), V(2, 2), V(0, 2), V(2, 0), out));
  EXPECT_EQ(out.x, 1.0f);
  out = V(9, 9);
  EXPECT_FALSE(SegmentCrossing(V(0, 0), V(1, 1), V(0, 1), V(1, 2), out));  // parallel: untouched
  EXPECT_EQ(out.x, 9.0f);
}

TEST(Geometry, SegmentIntersectParams) {
  float s = 7, t = 7;
  EXPECT_TRUE(SegmentIntersectParams(V(1, 1), V(5, 9), V(1, 1), V(-4, 2), &s, &t));
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(t, 0.0f);
  EXPECT_TRUE(SegmentIntersectParams(V(1, 1), V(5, 9), V(-4, 2), V(5, 9), &s, &t));
  EXPECT_EQ(s, 1.0f);
  EXPECT_EQ(t, 1.0f);
  EXPECT_TRUE(SegmentIntersectParams(V(0, 0), V(4, 4), V(0, 4), V(4, 0), &s, &t));
  EXPECT_FLOAT_EQ(s, 0.5f);
  EXPECT_FLOAT_EQ(t, 0.5f);
  EXPECT_TRUE(SegmentIntersectParams(V(0, 0), V(4, 0), V(4, -1), V(4, 1), &s, &t));  // s = 1 counts
  EXPECT_FLOAT_EQ(s, 1.0f);
  EXPECT_FALSE(SegmentIntersectParams(V(0, 0), V(4, 0), V(0, -1), V(0, 1), &s, &t));  // s = 0 does not
  s = t = 7;
  EXPECT_FALSE(SegmentIntersectParams(V(0, 0), V(1, 1), V(5, 5), V(6, 7), &s, &t));  // boxes apart
  EXPECT_EQ(s, 7.0f);
  EXPECT_FALSE(SegmentIntersectParams(V(0, 0), V(4, 0), V(1, 0), V(3, 0), &s, &t));  // collinear
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(t, -0.0f);
  EXPECT_FALSE(SegmentIntersectParams(V(0, 0), V(4, 4), V(1, 0), V(5, 4), &s, &t));  // parallel
  EXPECT_EQ(s, -4.0f * 0 + (4.0f * 4 - 4.0f * 4));  // den = 0
}

// An end with a NaN coordinate leaves the box to the other end, so the
// parameters are still worked out (and come out NaN) where that box meets.
TEST(Geometry, SegmentIntersectParamsNaNEnd) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  float s = 7, t = 7;
  EXPECT_FALSE(SegmentIntersectParams(V(nan, 0), V(10.5f, 0), V(10, -1), V(11, 1), &s, &t));
  EXPECT_TRUE(std::isnan(s));
  EXPECT_TRUE(std::isnan(t));
  s = t = 7;
  EXPECT_FALSE(SegmentIntersectParams(V(10, -1), V(11, 1), V(10.5f, nan), V(10.5f, 0), &s, &t));
  EXPECT_TRUE(std::isnan(s));
  s = t = 7;
  EXPECT_FALSE(SegmentIntersectParams(V(nan, 0), V(5, 0), V(10, -1), V(11, 1), &s, &t));  // boxes apart
  EXPECT_EQ(s, 7.0f);
  EXPECT_EQ(t, 7.0f);
}

TEST(Geometry, LineIntersection) {
  CVector2 out;
  EXPECT_TRUE(LineIntersection(V(0, 0), V(2, 2), V(0, 2), V(2, 0), out));
  EXPECT_EQ(out.x, 1.0f);
  EXPECT_EQ(out.y, 1.0f);
  EXPECT_TRUE(LineIntersection(V(0, 0), V(1, 0), V(5, 3), V(5, 4), out));  // outside both segments
  EXPECT_EQ(out.x, 5.0f);
  EXPECT_EQ(out.y, 0.0f);
  EXPECT_FALSE(LineIntersection(V(0, 0), V(1, 0), V(0, 2), V(4, 2), out));
  EXPECT_EQ(out.x, 1.25f);
  EXPECT_EQ(out.y, 1.0f);
}

TEST(Geometry, OrientationAndSegmentBox) {
  EXPECT_TRUE(IsNotLeft(0, 0, 1, 0, 2, 0));           // collinear
  EXPECT_TRUE(IsNotLeft(0, 0, 1, 0, 1, -1));
  EXPECT_FALSE(IsNotLeft(0, 0, 1, 0, 1, 1));
  EXPECT_TRUE(IsNotLeft(0, 0, 1, 0, 1, 0.0000009f));  // within the tolerance
  EXPECT_TRUE(PointInSegmentBox(1, 0, 0, 0, 2, 0));   // strictly inside in x, on the line in y
  EXPECT_TRUE(PointInSegmentBox(1, 0, 2, 0, 0, 0));   // either order of the ends
  EXPECT_TRUE(PointInSegmentBox(0, 1, 0, 2, 0, 0));
  EXPECT_FALSE(PointInSegmentBox(0, 0, 0, 0, 2, 0));  // an end
  EXPECT_FALSE(PointInSegmentBox(2, 0, 0, 0, 2, 0));
  EXPECT_FALSE(PointInSegmentBox(3, 0, 0, 0, 2, 0));
  EXPECT_TRUE(PointInSegmentBox(0, 1, 0, 0, 2, 2));   // on the box's edge, strictly inside in y
  EXPECT_FALSE(PointInSegmentBox(2, 0, 0, 0, 2, 2));  // a box corner that is no end
}

// The relation answers "does AB lie along CD and overlap it": the triangle
// mesh takes 1 as "the edge CD blocks the segment AB". A segment that only
// shares CD's box is no overlap, a segment that runs over a collinear edge is.
TEST(Geometry, SegmentRelationIsCollinearOverlap) {
  // Away from CD's line: never an overlap, even with C inside AB's box.
  EXPECT_EQ(Relation(V(0, 0), V(100, 100), V(60, 40), V(70, 45)), -1);
  EXPECT_EQ(Relation(V(0, 0), V(100, 100), V(0, 100), V(100, 0)), -1);  // crossing is not overlap
  // Along a horizontal line: the segment from (20, 0) back to (0, 0) runs over edge (0,0)-(10,0).
  EXPECT_EQ(Relation(V(20, 0), V(0, 0), V(0, 0), V(10, 0)), 1);
  EXPECT_EQ(Relation(V(0, 0), V(20, 0), V(0, 0), V(10, 0)), 1);
  EXPECT_EQ(Relation(V(5, 0), V(15, 0), V(0, 0), V(10, 0)), 1);
  EXPECT_EQ(Relation(V(-5, 0), V(15, 0), V(0, 0), V(10, 0)), 1);   // AB covers CD
  EXPECT_EQ(Relation(V(5, 0.0005f), V(15, 0), V(0, 0), V(10, 0)), 1);  // within 0.001 of the line
  EXPECT_EQ(Relation(V(5, 0.002f), V(15, 0), V(0, 0), V(10, 0)), -1);
  // Collinear neighbours that share only an end, and separate collinear pieces.
  EXPECT_EQ(Relation(V(10, 0), V(20, 0), V(0, 0), V(10, 0)), -1);
  EXPECT_EQ(Relation(V(20, 0), V(30, 0), V(0, 0), V(10, 0)), -1);
  // The edge itself, either way round, does not block its own segment.
  EXPECT_EQ(Relation(V(0, 0), V(10, 0), V(0, 0), V(10, 0)), -1);
  EXPECT_EQ(Relation(V(10, 0), V(0, 0), V(0, 0), V(10, 0)), -1);
  // A vertical collinear overlap.
  EXPECT_EQ(Relation(V(3, 0), V(3, 20), V(3, 5), V(3, 30)), 1);
}

TEST(Geometry, SegmentRelationWithDegenerateEdge) {
  // A zero-length edge is a point: it lies along AB only when it is on AB.
  EXPECT_EQ(Relation(V(0, 0), V(10, 0), V(5, 0), V(5, 0)), -1);     // A and B are far from the point
  EXPECT_EQ(Relation(V(0, 0), V(10, 10), V(5, 1), V(5, 1)), -1);    // inside AB's box, off AB
  EXPECT_EQ(Relation(V(5, 0), V(5, 0.0005f), V(5, 0), V(5, 0)), -1);  // AB within the point: no crossing
}

// The mesh's visibility test on its own examples: the four corners of the
// output and a horizontal feature line.
TEST(Geometry, SegmentRelationServesTheMeshVisibility) {
  const CVector2 corners[4] = {V(0, 0), V(100, 0), V(100, 50), V(0, 50)};
  // The diagonal from the third corner to the first is blocked by no side.
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(Blocks(corners[2], corners[0], corners[i], corners[(i + 1) % 4])) << i;
  // A side is not blocked by itself or its neighbours.
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(Blocks(corners[1], corners[2], corners[i], corners[(i + 1) % 4])) << i;
  // A short feature segment in the diagonal's box but off its line does not block it.
  EXPECT_FALSE(Blocks(corners[2], corners[0], V(60, 10), V(70, 15)));
  // One that the diagonal crosses does.
  EXPECT_TRUE(Blocks(corners[2], corners[0], V(60, 10), V(40, 40)));
  // On a horizontal line (0,0) (10,0) (20,0) the point (20,0) must not see the
  // front edge (0,0)-(10,0) through the segment to (0,0): that would make a
  // triangle of no area.
  EXPECT_TRUE(Blocks(V(20, 0), V(0, 0), V(0, 0), V(10, 0)));
  EXPECT_FALSE(Blocks(V(20, 0), V(10, 0), V(0, 0), V(10, 0)));
}

TEST(Geometry, PointInTriangleIsStrict) {
  const float cw[6] = {0, 0, 10, 0, 0, 10}, ccw[6] = {0, 0, 0, 10, 10, 0};
  for (const float* tri : {cw, ccw}) {
    EXPECT_TRUE(PointInTriangle(tri, 2, 2));
    EXPECT_FALSE(PointInTriangle(tri, 0, 0));   // vertex
    EXPECT_FALSE(PointInTriangle(tri, 5, 0));   // edge
    EXPECT_FALSE(PointInTriangle(tri, 5, 5));   // hypotenuse
    EXPECT_FALSE(PointInTriangle(tri, 6, 6));
  }
  const float flat[6] = {0, 0, 5, 0, 10, 0};
  EXPECT_FALSE(PointInTriangle(flat, 5, 0));
}

// Every order of the corners gives the same answer; degenerate triangles
// hold nothing; cross products within the tolerance count as on the edge.
TEST(Geometry, PointInTriangleAnswersAlikeForEveryCornerOrder) {
  const float orders[3][6] = {{0, 0, 10, 0, 0, 10}, {0, 10, 0, 0, 10, 0}, {10, 0, 0, 10, 0, 0}};
  for (const float* tri : orders) {
    for (auto [x, y] : {std::pair{1.0f, 1.0f}, {4.9f, 4.9f}, {0.001f, 5.0f}}) EXPECT_TRUE(PointInTriangle(tri, x, y));
    for (auto [x, y] : {std::pair{10.0f, 0.0f}, {0.0f, 5.0f}, {-1.0f, 1.0f}, {20.0f, 20.0f}})
      EXPECT_FALSE(PointInTriangle(tri, x, y)) << x << "," << y;
  }
  const float tiny[6] = {0, 0, 1e-3f, 0, 0, 1e-3f};
  EXPECT_FALSE(PointInTriangle(tiny, 2e-4f, 2e-4f));  // crosses of 2e-7
  const float line[6] = {0, 0, 1, 1, 2, 2}, point[6] = {3, 3, 3, 3, 3, 3};
  EXPECT_FALSE(PointInTriangle(line, 1, 1));
  EXPECT_FALSE(PointInTriangle(point, 3, 3));
}

TEST(Geometry, CircleBoundsThrough3) {
  RECT r;
  float radius = 0;
  CVector2 centre;
  CircleBoundsThrough3(r, V(0, 0), V(10, 10), V(20, 0), &radius, &centre);
  EXPECT_EQ(centre.x, 10.0f);
  EXPECT_EQ(centre.y, 0.0f);
  EXPECT_EQ(radius, 10.0f);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, -10);
  EXPECT_EQ(r.right, 20);
  EXPECT_EQ(r.bottom, 10);
  CircleBoundsThrough3(r, V(0, 0), V(5, 5), V(10, 10), nullptr, nullptr);
  EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0);
  CircleBoundsThrough3(r, V(-400, 0), V(0, 400), V(400, 0), &radius, &centre);
  EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0);
  EXPECT_NEAR(radius, 400.0f, 1e-3f);
}

TEST(Geometry, NearestOnSegment) {
  CVector2 out;
  EXPECT_EQ(NearestOnSegment(V(15, 4), V(0, 0), V(10, 0), out), std::hypot(5.0f, 4.0f));
  EXPECT_EQ(out.x, 10.0f);
  EXPECT_EQ(NearestOnSegment(V(-3, 4), V(0, 0), V(10, 0), out), 5.0f);
  EXPECT_EQ(out.x, 0.0f);
  EXPECT_EQ(NearestOnSegment(V(4, -2), V(0, 0), V(10, 0), out), 2.0f);
  EXPECT_EQ(out.x, 4.0f);
  EXPECT_EQ(NearestOnSegment(V(3, 4), V(0, 0), V(0, 0), out), 5.0f);  // a point-segment
  EXPECT_EQ(out.x, 0.0f);
}

TEST(Geometry, NearestOnQuadratic) {
  const CVector2 q[3] = {V(0, 0), V(50, 100), V(100, 0)};
  CVector2 out;
  // Far beyond q2 along the end direction.
  EXPECT_FLOAT_EQ(NearestOnQuadratic(V(200, -200), q, out), std::hypot(100.0f, 200.0f));
  EXPECT_EQ(out.x, 100.0f);
  EXPECT_EQ(out.y, 0.0f);
  // Above the apex (50, 50): the nearest point is the apex.
  EXPECT_NEAR(NearestOnQuadratic(V(50, 80), q, out), 30.0f, 0.01f);
  EXPECT_NEAR(out.x, 50.0f, 0.5f);
  // Against a dense sampling of the curve.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> coord(-50, 150);
  for (int i = 0; i < 200; ++i) {
    const CVector2 p = V(coord(rng), coord(rng));
    double best = 1e30;
    for (int k = 0; k <= 20000; ++k) {
      const double t = k / 20000.0, u = 1 - t;
      const double x = 2 * t * u * 50 + t * t * 100, y = 2 * t * u * 100;
      best = std::min(best, std::hypot(x - p.x, y - p.y));
    }
    EXPECT_NEAR(NearestOnQuadratic(p, q, out), best, 0.05 + best * 1e-3) << p.x << "," << p.y;
  }
}

TEST(Geometry, NearestOnStraightQuadratic) {
  const CVector2 straight[3] = {V(0, 0), V(5, 5), V(10, 10)};
  CVector2 out;
  EXPECT_FLOAT_EQ(NearestOnQuadratic(V(10, 0), straight, out), std::sqrt(50.0f));
  EXPECT_FLOAT_EQ(out.x, 5.0f);
}

TEST(Geometry, FindBezierRootOfExplicitCubics) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> where(0.02, 0.98), scale(0.5, 20);
  for (int i = 0; i < 500; ++i) {
    // f(t) = k (t - r) (t^2 + 1) has exactly one real root r in [0, 1].
    const double r = where(rng), k = scale(rng) * (i % 2 ? 1 : -1);
    // Power basis f = k(t^3 - r t^2 + t - r) to Bernstein coefficients.
    const double c0 = -r, c1 = 1, c2 = -r, c3 = 1;
    const double b0 = c0, b1 = c0 + c1 / 3, b2 = c0 + 2 * c1 / 3 + c2 / 3, b3 = c0 + c1 + c2 + c3;
    const Bezier4 c{{V(0, static_cast<float>(k * b0)), V(1.0f / 3, static_cast<float>(k * b1)),
                     V(2.0f / 3, static_cast<float>(k * b2)), V(1, static_cast<float>(k * b3))}};
    EXPECT_NEAR(FindBezierRoot(c, 0, 1), r, 0.01) << "root " << r << " scale " << k;
  }
  // Up to three roots anywhere near [0, 1]: the answer is always one of those
  // inside, and a cubic with a root there always gives one.
  std::uniform_real_distribution<double> spread(-0.3, 1.3);
  int missed = 0, wrong = 0;
  for (int i = 0; i < 3000; ++i) {
    const double r[3] = {spread(rng), spread(rng), spread(rng)}, k = scale(rng) * (i % 2 ? 1 : -1);
    const double c3 = k, c2 = -k * (r[0] + r[1] + r[2]), c1 = k * (r[0] * r[1] + r[0] * r[2] + r[1] * r[2]);
    const double c0 = -k * r[0] * r[1] * r[2];
    const double b[4] = {c0, c0 + c1 / 3, c0 + 2 * c1 / 3 + c2 / 3, c0 + c1 + c2 + c3};
    const Bezier4 c{{V(0, static_cast<float>(b[0])), V(1.0f / 3, static_cast<float>(b[1])),
                     V(2.0f / 3, static_cast<float>(b[2])), V(1, static_cast<float>(b[3]))}};
    const float t = FindBezierRoot(c, 0, 1);
    bool inside = false;
    double nearest = 1e9;
    for (double root : r) {
      inside |= root >= 0 && root <= 1;
      nearest = std::min(nearest, std::fabs(root - t));
    }
    if (t == -1.0f) missed += inside;
    else wrong += nearest > 0.02;
  }
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(wrong, 0);
  const Bezier4 none{{V(0, 1), V(1.0f / 3, 2), V(2.0f / 3, 2), V(1, 1)}};
  EXPECT_EQ(FindBezierRoot(none, 0, 1), -1.0f);
  const Bezier4 flat{{V(0, 0), V(1.0f / 3, 0), V(2.0f / 3, 0), V(1, 0)}};  // zero everywhere: no hang
  const float t = FindBezierRoot(flat, 0, 1);
  EXPECT_TRUE(t == -1.0f || (t >= 0.0f && t <= 1.0f));
}

TEST(Geometry, CubicParts) {
  const Bezier4 c{{V(0, 0), V(0, 30), V(30, 30), V(30, 0)}};
  Bezier4 left, right;
  LeftCubicPart(c, left, 0.25f);
  RightCubicPart(c, right, 0.25f);
  EXPECT_EQ(left.p[0].x, 0.0f);
  EXPECT_EQ(left.p[3].x, right.p[0].x);
  EXPECT_EQ(left.p[3].y, right.p[0].y);
  EXPECT_EQ(right.p[3].x, 30.0f);
  CVector2 a, b;
  CubicPoint(a, c, 0.25f);
  CubicPoint(b, left, 1.0f);
  EXPECT_NEAR(a.x, b.x, 1e-5f);
  EXPECT_NEAR(a.y, b.y, 1e-5f);
}
