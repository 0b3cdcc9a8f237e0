// Cubic Bezier segment arithmetic shared by paths, key-point curves and the
// plane geometry functions.
#include "model/geometry/bezier_math.h"

#include <algorithm>
#include <cmath>

#include "model/geometry/rect_f.h"

namespace {

// Flatness: a node whose midpoint offset from the chord is within this in
// both coordinates ends the subdivision.
constexpr float kFlatness = 0.1f;
// CubicYAtX stops once the control box is this small in both directions.
constexpr float kYAtXBoxSize = 0.0001f;
// Each halving shrinks the box; 64 steps take any finite box below the size.
constexpr int kMaxYAtXSteps = 64;
// FindSegmentParam gives up below this depth (the parameter step is 2^-40).
constexpr int kMaxSearchDepth = 40;

CVector2 Lerp(const CVector2& a, const CVector2& b, float u, float t) {
  return CVector2(static_cast<float>(static_cast<double>(u) * a.x + static_cast<double>(t) * b.x),
                  static_cast<float>(static_cast<double>(u) * a.y + static_cast<double>(t) * b.y));
}

double DistanceBetween(const CVector2& a, const CVector2& b) {
  const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

struct SubdivisionSpan {
  CVector2 start, end;   // curve points at the range's ends
  CVector2 a, b;         // second-difference vectors at the ends
  float t0, t1;
};

// In-order walk of the midpoint subdivision tree: left subtree, node, right
// subtree, so the samples come in increasing t. The tree is never stored.
void Subdivide(const SubdivisionSpan& chord, int depth, int maxDepth, CCurveSampleArray& samples) {
  const CVector2 m(static_cast<float>((static_cast<double>(chord.a.x) + chord.b.x) * 0.125),
                   static_cast<float>((static_cast<double>(chord.a.y) + chord.b.y) * 0.125));
  const float tm = static_cast<float>((static_cast<double>(chord.t0) + chord.t1) * 0.5);
  const CVector2 node(static_cast<float>((static_cast<double>(chord.start.x) + chord.end.x) * 0.5 - m.x),
                      static_cast<float>((static_cast<double>(chord.start.y) + chord.end.y) * 0.5 - m.y));
  const bool flat = std::fabs(m.x) <= kFlatness && std::fabs(m.y) <= kFlatness;
  const bool stop = flat || depth >= maxDepth || !std::isfinite(m.x) || !std::isfinite(m.y);
  if (!stop) {
    Subdivide({chord.start, node, chord.a * 0.25f, m, chord.t0, tm}, depth + 1, maxDepth, samples);
  }
  samples.Add(CurveSample{node, tm});
  if (!stop) {
    Subdivide({node, chord.end, m, chord.b * 0.25f, tm, chord.t1}, depth + 1, maxDepth, samples);
  }
}

CVector2 SecondDifference(const CVector2& p0, const CVector2& p1, const CVector2& p2) {
  return CVector2(static_cast<float>(3.0 * (static_cast<double>(p0.x) - 2.0 * p1.x + p2.x)),
                  static_cast<float>(3.0 * (static_cast<double>(p0.y) - 2.0 * p1.y + p2.y)));
}

void ControlBox(const Bezier4& c, CRectF& box) { BoundsOfPoints(box, c.p, 4); }

float FindSegmentParamAt(const CVector2& p, const Bezier4& c, float tol, float t0, float t1, int depth);

}  // namespace

float CubicBernstein(float a, float b, float c, float d, float t) {
  const double tt = t, u = 1.0 - tt;
  return static_cast<float>((a * u + 3.0 * b * tt) * u * u + (3.0 * u * c + d * tt) * tt * tt);
}

void CubicPoint(CVector2& out, const Bezier4& c, float t) {
  out.x = CubicBernstein(c.p[0].x, c.p[1].x, c.p[2].x, c.p[3].x, t);
  out.y = CubicBernstein(c.p[0].y, c.p[1].y, c.p[2].y, c.p[3].y, t);
}

void SplitCubic(const Bezier4& c, Bezier4& left, Bezier4& right, float t) {
  const float u = 1.0f - t;
  const CVector2 q0 = Lerp(c.p[0], c.p[1], u, t);
  const CVector2 q1 = Lerp(c.p[1], c.p[2], u, t);
  const CVector2 q2 = Lerp(c.p[2], c.p[3], u, t);
  const CVector2 r0 = Lerp(q0, q1, u, t);
  const CVector2 r1 = Lerp(q1, q2, u, t);
  const CVector2 s = Lerp(r0, r1, u, t);
  const CVector2 p0 = c.p[0], p3 = c.p[3];  // c may be left or right itself
  left = {{p0, q0, r0, s}};
  right = {{s, r1, q2, p3}};
}

void FlattenCubicInterior(const Bezier4& c, CCurveSampleArray& samples, int maxDepth) {
  const SubdivisionSpan whole{c.p[0], c.p[3], SecondDifference(c.p[0], c.p[1], c.p[2]),
                    SecondDifference(c.p[1], c.p[2], c.p[3]), 0.0f, 1.0f};
  Subdivide(whole, 0, std::clamp(maxDepth, 0, kMaxCubicFlattenDepth), samples);
}

void FlattenCubicSegment(const Bezier4& c, CCurveSampleArray& samples) {
  samples.Add(CurveSample{c.p[0], 0.0f});
  FlattenCubicInterior(c, samples);
  samples.Add(CurveSample{c.p[3], 1.0f});
}

void FlattenCubicToPoints(const Bezier4& c, CVector2Array& points, int maxDepth) {
  CCurveSampleArray samples;
  FlattenCubicInterior(c, samples, maxDepth);
  // Appended in one step, not the array's small steps: a deep flattening
  // would copy the points over and over.
  CVector2Array interior;
  interior.SetSize(samples.GetSize());
  for (int i = 0; i < samples.GetSize(); ++i) interior[i] = samples[i].point;
  points.Append(interior);
}

void BuildArcLengthTable(const CCurveSampleArray& samples, CArcLengthTable& table) {
  const int count = samples.GetSize();
  table.SetSize(count);
  if (count == 0) return;
  table[0] = ArcLengthEntry{0.0f, samples[0].t};
  for (int k = 1; k < count; ++k) {
    const double step = DistanceBetween(samples[k - 1].point, samples[k].point);
    table[k] = ArcLengthEntry{static_cast<float>(table[k - 1].length + step), samples[k].t};
  }
}

void BuildSegmentArcTable(const Bezier4& c, CArcLengthTable& table) {
  CCurveSampleArray samples;
  FlattenCubicSegment(c, samples);
  BuildArcLengthTable(samples, table);
}

// Two entries of equal length (a segment collapsed to a point) give the
// first entry's parameter instead of 0/0.
float ArcLengthToParam(const CArcLengthTable& table, float length) {
  const int n = table.GetSize();
  if (n == 0) return 0.0f;
  if (n == 1) return table[0].t;
  int hi = n - 1, lo = 0;
  while (hi > 1 && lo + 1 < hi) {
    const int mid = (hi + lo) / 2;
    if (length <= table[mid].length) hi = mid;
    else lo = mid;
  }
  if (length < table[lo].length && lo > 0) --lo;
  const ArcLengthEntry a = table[lo];
  const ArcLengthEntry b = table[lo + 1];
  const double span = static_cast<double>(b.length) - a.length;
  if (span == 0.0) return a.t;
  return static_cast<float>(a.t + (static_cast<double>(b.t) - a.t) * (static_cast<double>(length) - a.length) / span);
}

float CubicYAtX(const Bezier4& c, float x) {
  Bezier4 part = c;
  CRectF box;
  for (int step = 0;; ++step) {
    ControlBox(part, box);
    if ((box.Width() < kYAtXBoxSize && box.Height() < kYAtXBoxSize) || step >= kMaxYAtXSteps) {
      return box.CenterPoint().y;
    }
    Bezier4 left, right;
    SplitCubic(part, left, right, 0.5f);
    part = (x < left.p[3].x) ? left : right;
  }
}

float FindSegmentParam(const CVector2& p, const Bezier4& c, float tol, float t0, float t1) {
  return FindSegmentParamAt(p, c, tol, t0, t1, 0);
}

namespace {

float FindSegmentParamAt(const CVector2& p, const Bezier4& c, float tol, float t0, float t1, int depth) {
  const float reach = 2.0f * tol;
  const float tm = static_cast<float>((static_cast<double>(t0) + t1) * 0.5);
  const float localT[3] = {0.0f, 0.5f, 1.0f};
  const float params[3] = {t0, tm, t1};
  int best = -1;
  double bestDistance = reach;
  for (int i = 0; i < 3; ++i) {
    CVector2 point;
    CubicPoint(point, c, localT[i]);
    const double distance = DistanceBetween(point, p);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  if (best >= 0) return params[best];
  CRectF box;
  ControlBox(c, box);
  const float width = box.Width(), height = box.Height();
  if (width < reach && height < reach && box.PtInRect(p.x, p.y)) return tm;
  if (width < reach) {
    box.left -= tol - width;
    box.right += tol - width;
  }
  if (height < reach) {
    box.top -= tol - height;
    box.bottom += tol - height;
  }
  if (!box.PtInRect(p.x, p.y) || depth >= kMaxSearchDepth) return -1.0f;
  Bezier4 left, right;
  SplitCubic(c, left, right, 0.5f);
  const float found = FindSegmentParamAt(p, left, tol, t0, tm, depth + 1);
  if (found >= 0.0f) return found;
  return FindSegmentParamAt(p, right, tol, tm, t1, depth + 1);
}

}  // namespace
