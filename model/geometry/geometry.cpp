// Plane geometry functions. Tolerances are float constants compared at
// double precision, as the rest of the model does.
//
// Sections: conversions and distances; intersections and tests; circle
// through three points; nearest points; Bezier root and cubic parts.
#include "model/geometry/geometry.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kCrossTolerance = kGeometryCrossTolerance;
constexpr double kParamLow = static_cast<double>(1e-6f);
constexpr double kParamHigh = static_cast<double>(0.999999f);
constexpr double kOnLineDistance = kGeometryOnLineDistance;
constexpr double kMaxCircleRadius = 360.0;
// Bezier clipping: a clip that keeps more than this share of the range
// splits instead; a range narrower than kRootWidth is the root.
constexpr double kClipKeepShare = static_cast<double>(0.8f);
constexpr double kRootWidth = static_cast<double>(0.01f);
constexpr int kMaxRootDepth = 64;

// Float to integer toward zero. Values out of range (and NaN) give the
// processor's "integer indefinite", the platform's result, without the
// undefined conversion.
LONG TruncateToLong(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(value);
}

double Cross(double ux, double uy, double vx, double vy) { return ux * vy - uy * vx; }

bool SamePoint(const CVector2& a, const CVector2& b) { return a.x == b.x && a.y == b.y; }

double Hypot(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

// Distance of P from the line through C and D; from C itself when C = D.
double DistanceFromLine(double px, double py, double cx, double cy, double dx, double dy) {
  const double length = Hypot(dx - cx, dy - cy);
  if (length == 0.0) return Hypot(px - cx, py - cy);
  return std::fabs((py - cy) * (dx - cx) - (px - cx) * (dy - cy)) / length;
}

bool StrictlyBetween(double v, double a, double b) { return (a < v && v < b) || (b < v && v < a); }
bool Between(double v, double a, double b) { return (a <= v && v <= b) || (b <= v && v <= a); }

// fmax and fmin without the library call: a NaN yields the other value, as
// theirs does; which zero they pick cannot change a comparison.
float MaxOf(float a, float b) { return (a < b || a != a) ? b : a; }
float MinOf(float a, float b) { return (b < a || a != a) ? b : a; }

bool BoxesOverlap(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
  return MaxOf(a.x, b.x) >= MinOf(c.x, d.x) && MaxOf(c.x, d.x) >= MinOf(a.x, b.x) &&
         MaxOf(a.y, b.y) >= MinOf(c.y, d.y) && MaxOf(c.y, d.y) >= MinOf(a.y, b.y);
}

}  // namespace

// --- conversions and distances ---

void PointFromVector(POINT& out, const CVector2& v) {
  out.x = TruncateToLong(v.x);
  out.y = TruncateToLong(v.y);
}

void PointFromFloats(const float xy[2], POINT& out) {
  out.x = TruncateToLong(xy[0]);
  out.y = TruncateToLong(xy[1]);
}

void VectorFromPoint(CVector2& out, const POINT& p) {
  out.x = static_cast<float>(p.x);
  out.y = static_cast<float>(p.y);
}

float Distance(const CVector2& a, const CVector2& b) {
  return static_cast<float>(Hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y));
}

float DistanceXY(float x0, float y0, float x1, float y1) {
  return static_cast<float>(Hypot(static_cast<double>(x1) - x0, static_cast<double>(y1) - y0));
}

// Differences in 64 bits so that far-apart points cannot overflow.
float DistancePoints(const POINT& a, const POINT& b) {
  const int64_t dx = static_cast<int64_t>(b.x) - a.x, dy = static_cast<int64_t>(b.y) - a.y;
  return static_cast<float>(Hypot(static_cast<double>(dx), static_cast<double>(dy)));
}

float SqrtF(float value) { return static_cast<float>(std::sqrt(static_cast<double>(value))); }

void ScaleRect(RECT& r, float f) {
  LONG* sides[4] = {&r.left, &r.top, &r.right, &r.bottom};
  for (LONG* side : sides) *side = TruncateToLong(std::round(static_cast<double>(*side) * f));
}

void ScalePoint(POINT& p, int k) {
  p.x = static_cast<LONG>(static_cast<int64_t>(p.x) * k);
  p.y = static_cast<LONG>(static_cast<int64_t>(p.y) * k);
}

void FillDwords(uint32_t* dst, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) dst[i] = value;
}

// --- intersections and tests ---

bool SegmentsIntersect(const float seg1[4], const float seg2[4], CVector2* out) {
  const double ax = seg1[0], ay = seg1[1], bx = seg1[2], by = seg1[3];
  const double cx = seg2[0], cy = seg2[1], dx = seg2[2], dy = seg2[3];
  const double den = Cross(bx - ax, by - ay, dx - cx, dy - cy);
  if (std::fabs(den) <= kCrossTolerance) return false;
  const double s = Cross(cx - ax, cy - ay, dx - cx, dy - cy) / den;
  const double t = Cross(cx - ax, cy - ay, bx - ax, by - ay) / den;
  if (!(s > kParamLow && s < kParamHigh && t > kParamLow && t < kParamHigh)) return false;
  if (out != nullptr) *out = CVector2(static_cast<float>(ax + s * (bx - ax)), static_cast<float>(ay + s * (by - ay)));
  return true;
}

bool SegmentCrossing(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d,
                     CVector2& out) {
  const double abx = static_cast<double>(b.x) - a.x, aby = static_cast<double>(b.y) - a.y;
  const double cdx = static_cast<double>(d.x) - c.x, cdy = static_cast<double>(d.y) - c.y;
  const double acx = static_cast<double>(c.x) - a.x, acy = static_cast<double>(c.y) - a.y;
  const double den = Cross(abx, aby, cdx, cdy);
  if (std::fabs(den) <= kCrossTolerance) return false;
  const double s = Cross(acx, acy, cdx, cdy) / den;
  const double t = Cross(acx, acy, abx, aby) / den;
  out = CVector2(static_cast<float>(a.x + s * abx), static_cast<float>(a.y + s * aby));
  return s >= kParamLow && s <= kParamHigh && t >= kParamLow && t <= kParamHigh;
}

bool SegmentIntersectParams(const CVector2& a, const CVector2& b, const CVector2& c,
                            const CVector2& d, float* s, float* t) {
  const struct { const CVector2& p; const CVector2& q; float s, t; } shared[4] = {
      {a, c, 0.0f, 0.0f}, {a, d, 0.0f, 1.0f}, {b, c, 1.0f, 0.0f}, {b, d, 1.0f, 1.0f}};
  for (const auto& end : shared) {
    if (SamePoint(end.p, end.q)) {
      *s = end.s;
      *t = end.t;
      return true;
    }
  }
  if (!BoxesOverlap(a, b, c, d)) return false;
  const double abx = static_cast<double>(b.x) - a.x, aby = static_cast<double>(b.y) - a.y;
  const double cdx = static_cast<double>(d.x) - c.x, cdy = static_cast<double>(d.y) - c.y;
  const double acx = static_cast<double>(c.x) - a.x, acy = static_cast<double>(c.y) - a.y;
  const double den = cdx * aby - cdy * abx;
  if (std::fabs(den) <= kCrossTolerance) {
    *s = static_cast<float>(den);
    *t = static_cast<float>(-den);
    return false;
  }
  *s = static_cast<float>((acy * cdx - acx * cdy) / den);
  *t = static_cast<float>((acx * aby - acy * abx) / -den);
  return *s > 0.0f && *s <= 1.0f && *t > 0.0f && *t <= 1.0f;
}

bool LineIntersection(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d,
                      CVector2& out) {
  const double a1 = static_cast<double>(a.y) - b.y, b1 = static_cast<double>(b.x) - a.x;
  const double c1 = a1 * a.x + b1 * a.y;
  const double a2 = static_cast<double>(c.y) - d.y, b2 = static_cast<double>(d.x) - c.x;
  const double c2 = a2 * c.x + b2 * c.y;
  const double det = a2 * b1 - b2 * a1;
  if (std::fabs(det) >= kCrossTolerance) {
    out = CVector2(static_cast<float>((c2 * b1 - c1 * b2) / det), static_cast<float>((c1 * a2 - c2 * a1) / det));
    return true;
  }
  out = CVector2(static_cast<float>((static_cast<double>(a.x) + b.x + c.x + d.x) / 4.0),
                 static_cast<float>((static_cast<double>(a.y) + b.y + c.y + d.y) / 4.0));
  return false;
}

bool IsNotLeft(float ax, float ay, float bx, float by, float cx, float cy) {
  const double side = (static_cast<double>(cx) - ax) * (static_cast<double>(by) - ay) -
                      (static_cast<double>(cy) - ay) * (static_cast<double>(bx) - ax);
  return side > -kCrossTolerance;
}

bool PointInSegmentBox(float x0, float y0, float x1, float y1, float x2, float y2) {
  if ((x0 == x1 && y0 == y1) || (x0 == x2 && y0 == y2)) return false;
  return (StrictlyBetween(x0, x1, x2) && Between(y0, y1, y2)) ||
         (Between(x0, x1, x2) && StrictlyBetween(y0, y1, y2));
}

// Only a segment lying along CD can overlap it: an end farther than 0.001
// from CD's line settles "no overlap" at once. (Testing the ends the other
// way round would call any segment whose box merely meets CD's an overlap,
// and let a segment run along a collinear edge unhindered.)
int SegmentRelation(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy) {
  if (DistanceFromLine(ax, ay, cx, cy, dx, dy) > kOnLineDistance) return -1;
  if (DistanceFromLine(bx, by, cx, cy, dx, dy) > kOnLineDistance) return -1;
  const bool aIsEnd = (ax == cx && ay == cy) || (ax == dx && ay == dy);
  const bool bIsEnd = (bx == cx && by == cy) || (bx == dx && by == dy);
  const bool otherEndsInside = PointInSegmentBox(cx, cy, ax, ay, bx, by) || PointInSegmentBox(dx, dy, ax, ay, bx, by);
  if (!aIsEnd && !PointInSegmentBox(ax, ay, cx, cy, dx, dy)) {
    return (PointInSegmentBox(bx, by, cx, cy, dx, dy) || otherEndsInside) ? 1 : -1;
  }
  if (bIsEnd || PointInSegmentBox(bx, by, cx, cy, dx, dy)) return -1;
  return (PointInSegmentBox(ax, ay, cx, cy, dx, dy) || otherEndsInside) ? 1 : -1;
}

bool PointInTriangle(const float tri[6], float x, float y) {
  double c[3];
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    c[i] = Cross(static_cast<double>(tri[2 * i]) - x, static_cast<double>(tri[2 * i + 1]) - y,
                 static_cast<double>(tri[2 * j]) - x, static_cast<double>(tri[2 * j + 1]) - y);
  }
  const bool allLeft = c[0] > kCrossTolerance && c[1] > kCrossTolerance && c[2] > kCrossTolerance;
  const bool allRight = c[0] < -kCrossTolerance && c[1] < -kCrossTolerance && c[2] < -kCrossTolerance;
  return allLeft || allRight;
}

// --- circle through three points ---

void CircleBoundsThrough3(RECT& out, const CVector2& p1, const CVector2& p2, const CVector2& p3,
                          float* radius, CVector2* centre) {
  out = RECT{0, 0, 0, 0};
  const CVector2 m1((p1.x + p2.x) * 0.5f, (p1.y + p2.y) * 0.5f);
  const CVector2 d1 = p2 - p1;
  const CVector2 m2((p2.x + p3.x) * 0.5f, (p2.y + p3.y) * 0.5f);
  const CVector2 d2 = p3 - p2;
  CVector2 found;
  if (!LineIntersection(m1, CVector2(m1.x - d1.y, m1.y + d1.x), m2, CVector2(m2.x - d2.y, m2.y + d2.x), found)) {
    return;
  }
  const float r = Distance(found, p1);
  if (radius != nullptr) *radius = r;
  if (centre != nullptr) *centre = found;
  if (r > kMaxCircleRadius) return;
  const LONG cx = TruncateToLong(found.x), cy = TruncateToLong(found.y), ri = TruncateToLong(r);
  out = RECT{cx - ri, cy - ri, cx + ri, cy + ri};
}

// --- nearest points ---

// A segment of zero length is its one point.
float NearestOnSegment(const CVector2& p, const CVector2& a, const CVector2& b, CVector2& out) {
  const double abx = static_cast<double>(b.x) - a.x, aby = static_cast<double>(b.y) - a.y;
  const double lengthSquared = abx * abx + aby * aby;
  const double t = lengthSquared == 0.0
                       ? 0.0
                       : ((static_cast<double>(p.x) - a.x) * abx + (static_cast<double>(p.y) - a.y) * aby) / lengthSquared;
  if (t < 0.0 || lengthSquared == 0.0) out = a;
  else if (t < 1.0) out = CVector2(static_cast<float>(a.x + t * abx), static_cast<float>(a.y + t * aby));
  else out = b;
  return Distance(p, out);
}

namespace {

// Real roots in [0, 1] of t^3 + a2 t^2 + a1 t + a0: the cubic is monotone
// between the roots of its derivative, so each piece holds at most one root,
// found by bisection.
int MonicCubicRoots(double a0, double a1, double a2, double roots[3]) {
  auto f = [&](double t) { return ((t + a2) * t + a1) * t + a0; };
  double breaks[4] = {0.0, 0.0, 0.0, 1.0};
  int count = 1;
  const double disc = a2 * a2 - 3.0 * a1;  // of 3 t^2 + 2 a2 t + a1
  if (disc > 0.0) {
    const double r = std::sqrt(disc);
    for (double t : {(-a2 - r) / 3.0, (-a2 + r) / 3.0}) {
      if (t > breaks[count - 1] && t < 1.0) breaks[count++] = t;
    }
  }
  breaks[count++] = 1.0;
  int found = 0;
  for (int i = 0; i + 1 < count && found < 3; ++i) {
    double lo = breaks[i], hi = breaks[i + 1];
    double flo = f(lo);
    const double fhi = f(hi);
    if (flo == 0.0) {
      if (found == 0 || roots[found - 1] != lo) roots[found++] = lo;
      continue;
    }
    if (fhi == 0.0) {
      if (i + 2 == count) roots[found++] = hi;
      continue;
    }
    if ((flo < 0.0) == (fhi < 0.0)) continue;
    for (int k = 0; k < 64; ++k) {
      const double mid = 0.5 * (lo + hi);
      const double fmid = f(mid);
      if ((fmid < 0.0) == (flo < 0.0)) {
        lo = mid;
        flo = fmid;
      } else {
        hi = mid;
      }
    }
    roots[found++] = 0.5 * (lo + hi);
  }
  return found;
}

CVector2 QuadraticPoint(const CVector2 q[3], double t) {
  const double u = 1.0 - t;
  return CVector2(static_cast<float>(u * u * q[0].x + 2.0 * t * u * q[1].x + t * t * q[2].x),
                  static_cast<float>(u * u * q[0].y + 2.0 * t * u * q[1].y + t * t * q[2].y));
}

}  // namespace

// The interior candidates are all the places where (Q(t) - p) . Q'(t) = 0,
// not only the first one a root search meets: a point inside a bend has up
// to three, and one of them is the farthest point of the bend, not the
// nearest. A curve with q0 - 2 q1 + q2 = 0 is the straight segment q0 q2 run
// at even speed: its nearest point is the segment's.
float NearestOnQuadratic(const CVector2& p, const CVector2 q[3], CVector2& out) {
  const double d1x = static_cast<double>(q[1].x) - q[0].x, d1y = static_cast<double>(q[1].y) - q[0].y;
  const double ex = static_cast<double>(q[2].x) - q[1].x - d1x, ey = static_cast<double>(q[2].y) - q[1].y - d1y;
  const double px = static_cast<double>(q[0].x) - p.x, py = static_cast<double>(q[0].y) - p.y;
  const double a3 = ex * ex + ey * ey;
  if (a3 == 0.0) return NearestOnSegment(p, q[0], q[2], out);
  const double a0 = (px * d1x + py * d1y) / a3;
  const double a1 = (px * ex + py * ey + 2.0 * (d1x * d1x + d1y * d1y)) / a3;
  const double a2 = 3.0 * (d1x * ex + d1y * ey) / a3;
  double roots[3];
  const int rootCount = MonicCubicRoots(a0, a1, a2, roots);
  CVector2 onCurve(0.0f, 0.0f);
  float d = -1.0f;
  for (int i = 0; i < rootCount; ++i) {
    const CVector2 candidate = QuadraticPoint(q, roots[i]);
    const float distance = Distance(p, candidate);
    if (d == -1.0f || distance < d) {
      d = distance;
      onCurve = candidate;
    }
  }
  const float dA = Distance(p, q[0]), dC = Distance(p, q[2]);
  if (d == -1.0f) d = std::fmax(dA, dC) + 1.0f;
  if (d <= dA && d <= dC) {
    out = onCurve;
    return d;
  }
  if (dA <= d && dA <= dC) {
    out = q[0];
    return dA;
  }
  if (dC <= d && dC <= dA) {
    out = q[2];
    return dC;
  }
  return -1.0f;
}

// --- Bezier root and cubic parts ---

namespace {

// Where the control hull of an explicit cubic meets y = 0: the smallest and
// largest crossing of the hull edges and diagonals.
void HullCrossings(const Bezier4& c, double& lo, double& hi) {
  static const int kEdges[6][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 2}, {1, 3}};
  lo = 1.0;
  hi = 0.0;
  for (const auto& edge : kEdges) {
    const CVector2& p = c.p[edge[0]];
    const CVector2& q = c.p[edge[1]];
    if (static_cast<double>(p.y) * q.y > 0.0) continue;
    double crossings[2];
    int count = 0;
    if (p.y == q.y) {  // both on the axis: the whole edge touches it
      crossings[count++] = p.x;
      crossings[count++] = q.x;
    } else {
      crossings[count++] = p.x - (static_cast<double>(q.x) - p.x) / (static_cast<double>(q.y) - p.y) * p.y;
    }
    for (int i = 0; i < count; ++i) {
      lo = std::fmin(lo, crossings[i]);
      hi = std::fmax(hi, crossings[i]);
    }
  }
}

float FindBezierRootAt(const Bezier4& c, float t0, float t1, int depth) {
  if (depth >= kMaxRootDepth) return -1.0f;
  double lo, hi;
  HullCrossings(c, lo, hi);
  hi = std::fmin(hi, static_cast<double>(t1));
  lo = std::fmax(lo, static_cast<double>(t0));
  if (std::fabs(hi - lo) < kRootWidth) return static_cast<float>((hi + lo) / 2.0);
  if (hi < lo) return -1.0f;
  const double range = static_cast<double>(t1) - t0;
  if (hi - lo > kClipKeepShare * range) {
    // Split where the halves' parameter ranges really meet at mid, so that
    // the clips below map parameters onto the right part of each half.
    const float mid = static_cast<float>((hi + lo) / 2.0);
    Bezier4 left, right;
    SplitCubic(c, left, right, static_cast<float>((mid - t0) / range));
    const float first = FindBezierRootAt(left, t0, mid, depth + 1);
    if (first >= 0.0f && first <= 1.0f) return first;
    const float second = FindBezierRootAt(right, mid, t1, depth + 1);
    if (second >= 0.0f && second <= 1.0f) return second;
    return -1.0f;
  }
  Bezier4 part;
  if (hi >= t1) {
    RightCubicPart(c, part, static_cast<float>((lo - t0) / range));
    return FindBezierRootAt(part, static_cast<float>(lo), t1, depth + 1);
  }
  LeftCubicPart(c, part, static_cast<float>((hi - t0) / range));
  if (lo > t0) {
    Bezier4 middle;
    RightCubicPart(part, middle, static_cast<float>((lo - t0) / (hi - t0)));
    return FindBezierRootAt(middle, static_cast<float>(lo), static_cast<float>(hi), depth + 1);
  }
  return FindBezierRootAt(part, t0, static_cast<float>(hi), depth + 1);
}

}  // namespace

float FindBezierRoot(const Bezier4& c, float t0, float t1) { return FindBezierRootAt(c, t0, t1, 0); }

void LeftCubicPart(const Bezier4& c, Bezier4& out, float t) {
  Bezier4 right;
  SplitCubic(c, out, right, t);
}

void RightCubicPart(const Bezier4& c, Bezier4& out, float t) {
  Bezier4 left;
  SplitCubic(c, left, out, t);
}
