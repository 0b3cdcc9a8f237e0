// Plane of a triangle in space, triangle cuts and the moving-edge test of the
// mesh's fold-over check.
#include "model/geometry/picking.h"

#include <cmath>

#include "model/geometry/geometry.h"
#include "model/geometry/matrix3.h"

namespace {

// Edge components below this make a triangle degenerate.
constexpr float kDegenerateEdge = 1e-4f;
constexpr double kOnPlane = static_cast<double>(0.001f);

enum PlaneSide { kAbove = 0, kOn = 1, kBelow = 2 };

CVector3 Difference(const CVector3& a, const CVector3& b) {
  CVector3 out = a;
  out -= b;
  return out;
}

bool AllComponentsTiny(const CVector3& v) {
  return std::fabs(v.x) < kDegenerateEdge && std::fabs(v.y) < kDegenerateEdge && std::fabs(v.z) < kDegenerateEdge;
}

CVector3 AtTime(const CVector2& p, float time) { return CVector3(p.x, p.y, time, 1.0f); }

CPickTriangle MakeTriangle(const CVector3& p0, const CVector3& p1, const CVector3& p2) {
  CPickTriangle triangle;
  triangle.vertices[0] = p0;
  triangle.vertices[1] = p1;
  triangle.vertices[2] = p2;
  triangle.ComputePlane();
  return triangle;
}

}  // namespace

// The plane starts as "none" (zero normal, d 0) so that a degenerate
// triangle, whose plane is never computed, classifies every point as on it
// instead of against an unset constant.
CPickTriangle::CPickTriangle() : normal(0.0f, 0.0f, 0.0f, 1.0f), d(0.0f) {}

void CPickTriangle::ComputePlane() {
  const CVector3 e1 = Difference(vertices[1], vertices[0]);
  const CVector3 e2 = Difference(vertices[2], vertices[1]);
  if (AllComponentsTiny(e1) || AllComponentsTiny(e2)) {
    normal.x = normal.y = normal.z = 0.0f;
    return;
  }
  Cross3(e1, e2, normal);
  normal.Normalize();
  d = Dot3(normal, vertices[0]);
}

int CPickTriangle::Classify(const CVector3& p) const {
  const double s = static_cast<double>(Dot3(normal, p)) - d;
  if (s > kOnPlane) return kAbove;
  if (s < -kOnPlane) return kBelow;
  return kOn;
}

void CPickTriangle::IntersectLine(const CVector3& p, const CVector3& q, CVector3& out) const {
  const CVector3 dir = Difference(q, p);
  const double t = (static_cast<double>(d) - Dot3(normal, p)) / Dot3(normal, dir);
  out.x = static_cast<float>(p.x + t * dir.x);
  out.y = static_cast<float>(p.y + t * dir.y);
  out.z = static_cast<float>(p.z + t * dir.z);
}

int CPickTriangle::SegmentHitsInPlane(const CVector3& p, const CVector3& q) const {
  CMatrix4 toPlane;
  toPlane.SetRotationToDirection(normal.x, normal.y, normal.z);
  CMatrix4 shift;
  shift.SetTranslation(0.0f, 0.0f, -d);
  toPlane *= shift;
  CVector2 flat[3];
  for (int i = 0; i < 3; ++i) {
    const float in[3] = {vertices[i].x, vertices[i].y, vertices[i].z};
    float out[3];
    toPlane.TransformPoint(in, out);
    flat[i] = CVector2(out[0], out[1]);
  }
  const float pin[3] = {p.x, p.y, p.z}, qin[3] = {q.x, q.y, q.z};
  float pout[3], qout[3];
  toPlane.TransformPoint(pin, pout);
  toPlane.TransformPoint(qin, qout);
  return SegmentHitsTriangle2D(flat, CVector2(pout[0], pout[1]), CVector2(qout[0], qout[1]));
}

int CPickTriangle::IntersectsTriangle(const CVector3 other[3]) const {
  const int side[3] = {Classify(other[0]), Classify(other[1]), Classify(other[2])};
  return CutBy(other, side);
}

int CPickTriangle::CutBy(const CVector3 other[3], const int side[3]) const {
  bool above = false, below = false;
  for (int i = 0; i < 3; ++i) {
    if (side[i] == kOn) return 0;  // touching, or lying in the plane
    above |= side[i] == kAbove;
    below |= side[i] == kBelow;
  }
  if (!above || !below) return 0;
  CVector3 crossing[2];
  int count = 0;
  for (int i = 0; i < 3 && count < 2; ++i) {
    const int j = (i + 1) % 3;
    if (side[i] != side[j]) IntersectLine(other[i], other[j], crossing[count++]);
  }
  return SegmentHitsInPlane(crossing[0], crossing[1]);
}

// A chord whose two ends lie on the outline (edge to edge, or vertex to
// edge) crosses no edge strictly and has no end strictly inside, yet runs
// through the triangle: its midpoint is inside. Two edges that swap places
// exactly meet that way in space-time.
int SegmentHitsTriangle2D(const CVector2 triangle[3], const CVector2& p, const CVector2& q) {
  const float tri[6] = {triangle[0].x, triangle[0].y, triangle[1].x, triangle[1].y, triangle[2].x, triangle[2].y};
  if (PointInTriangle(tri, p.x, p.y) || PointInTriangle(tri, q.x, q.y)) return 1;
  if (PointInTriangle(tri, (p.x + q.x) * 0.5f, (p.y + q.y) * 0.5f)) return 1;
  const float segment[4] = {p.x, p.y, q.x, q.y};
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    const float edge[4] = {triangle[i].x, triangle[i].y, triangle[j].x, triangle[j].y};
    if (SegmentsIntersect(segment, edge, nullptr)) return 1;
  }
  return 0;
}

namespace {

// The plane ComputePlane gives the triangle (p0, p1, p2), worked out on plain
// numbers in its order of float and double operations (so to the same bits)
// without building a CPickTriangle: the fold-over check needs two planes for
// each of hundreds of thousands of edge pairs and mostly only classifies
// points against them.
struct FlatPlane {
  float nx = 0, ny = 0, nz = 0, d = 0;

  FlatPlane(const CVector3& p0, const CVector3& p1, const CVector3& p2) {
    const float e1x = p1.x - p0.x, e1y = p1.y - p0.y, e1z = p1.z - p0.z;
    const float e2x = p2.x - p1.x, e2y = p2.y - p1.y, e2z = p2.z - p1.z;
    const auto tiny = [](float x, float y, float z) {
      return std::fabs(x) < kDegenerateEdge && std::fabs(y) < kDegenerateEdge && std::fabs(z) < kDegenerateEdge;
    };
    if (tiny(e1x, e1y, e1z) || tiny(e2x, e2y, e2z)) return;  // no plane: every point is on it
    float x = static_cast<float>(static_cast<double>(e1y) * e2z - static_cast<double>(e1z) * e2y);
    float y = static_cast<float>(static_cast<double>(e1z) * e2x - static_cast<double>(e1x) * e2z);
    float z = static_cast<float>(static_cast<double>(e1x) * e2y - static_cast<double>(e1y) * e2x);
    // CVector3::Normalize.
    const float s = x * x + y * y + z * z;
    if (!(s <= 1e-16f)) {
      const double r = 1.0 / std::sqrt(static_cast<double>(s));
      x = static_cast<float>(x * r);
      y = static_cast<float>(y * r);
      z = static_cast<float>(z * r);
    }
    nx = x, ny = y, nz = z;
    d = Dot3(CVector3(x, y, z, 1.0f), p0);
  }

  // CPickTriangle::Classify.
  int Classify(const CVector3& p) const {
    const double s = static_cast<double>(Dot3(CVector3(nx, ny, nz, 1.0f), p)) - d;
    if (s > kOnPlane) return kAbove;
    if (s < -kOnPlane) return kBelow;
    return kOn;
  }
};

}  // namespace

int MovingEdgesCross(const CVector2& a0, const CVector2& a1, const CVector2& a2, const CVector2& a3,
                     const CVector2& b0, const CVector2& b1, const CVector2& b2, const CVector2& b3) {
  const CVector3 a[2][3] = {{AtTime(a0, 0), AtTime(a1, 0), AtTime(a2, 1)}, {AtTime(a1, 0), AtTime(a3, 1), AtTime(a2, 1)}};
  // Only A's triangles need planes: B's are tested by their corners. B's two
  // triangles share two of their four corners, so each corner is classified
  // once against each plane; when all four lie strictly on one side, neither
  // of B's triangles can cut that plane's triangle.
  const CVector3 corners[4] = {AtTime(b0, 0), AtTime(b1, 0), AtTime(b2, 1), AtTime(b3, 1)};
  static const int kTriangles[2][3] = {{0, 1, 2}, {1, 3, 2}};
  for (const auto& triangle : a) {
    const FlatPlane plane(triangle[0], triangle[1], triangle[2]);
    int side[4];
    for (int k = 0; k < 4; ++k) side[k] = plane.Classify(corners[k]);
    if (side[0] != kOn && side[0] == side[1] && side[0] == side[2] && side[0] == side[3]) continue;
    const CPickTriangle cut = MakeTriangle(triangle[0], triangle[1], triangle[2]);
    for (const auto& t : kTriangles) {
      const CVector3 other[3] = {corners[t[0]], corners[t[1]], corners[t[2]]};
      const int sides[3] = {side[t[0]], side[t[1]], side[t[2]]};
      if (cut.CutBy(other, sides)) return 1;
    }
  }
  return 0;
}
