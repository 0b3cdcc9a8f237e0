// Key-point curves: the chord-length spline through the keys, flattening,
// the y-at-x table, the curve record and the editor's hit test.
#include "model/outline/curve_keys.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "compat/afx/archive.h"
#include "model/geometry/pixel_point.h"
#include "model/project/record_checks.h"

namespace {

// A chord shorter than this counts as zero: the spline is not defined.
constexpr double kMinChord = 1e-6;
// Half the side of a key's square in the curve control.
constexpr LONG kKeyHitHalf = 4;
// How far above or below the curve a click still hits it.
constexpr float kCurveHitReach = 8.0f;

// Points one curve's flattening may hold in all. Each segment gets an equal
// share as its subdivision limit, so no curve, however wild its keys, costs
// more than this; curves the editor makes need a small part of it.
constexpr int kMaxCurvePoints = 1 << 14;

// The deepest subdivision whose worst case (2^(depth + 1) - 1 points) fits
// in a segment's share; at least one level.
int SegmentDepth(int segments) {
  const int share = kMaxCurvePoints / std::max(segments, 1);
  int depth = 0;
  while (depth < kMaxCubicFlattenDepth && (4 << depth) - 1 <= share) ++depth;
  return depth;
}

const CVector2 kDefaultKeys[] = {{0, 0}, {60, 60}, {120, 120}, {400, 180}};

// v := (v - from0) * (to1 - to0) / (from1 - from0) + to0, or unchanged when
// the range does not change, when either range is empty or when the result
// would not be finite. The arithmetic is in double with one rounding, so a
// load that sets the range the curve already has moves no key.
bool RescaleValue(float& v, float from0, float from1, float to0, float to1) {
  if (from0 == to0 && from1 == to1) return false;
  const double fromWidth = static_cast<double>(from1) - from0, toWidth = static_cast<double>(to1) - to0;
  if (fromWidth == 0.0 || toWidth == 0.0) return false;
  const double moved = (static_cast<double>(v) - from0) * toWidth / fromWidth + to0;
  const float rounded = static_cast<float>(moved);
  if (!std::isfinite(moved) || !std::isfinite(rounded)) return false;
  v = rounded;
  return true;
}

// Solves the tridiagonal rows (a below, b on, c above the diagonal) for the
// x and y right-hand sides at once; the factors serve both.
void SolveTridiagonal(std::vector<double>& a, std::vector<double>& b, std::vector<double>& c,
                      std::vector<double>& rx, std::vector<double>& ry) {
  const size_t n = b.size();
  for (size_t i = 1; i < n; ++i) {
    const double m = a[i] / b[i - 1];
    b[i] -= m * c[i - 1];
    rx[i] -= m * rx[i - 1];
    ry[i] -= m * ry[i - 1];
  }
  rx[n - 1] /= b[n - 1];
  ry[n - 1] /= b[n - 1];
  for (size_t i = n - 1; i-- > 0;) {
    rx[i] = (rx[i] - c[i] * rx[i + 1]) / b[i];
    ry[i] = (ry[i] - c[i] * ry[i + 1]) / b[i];
  }
}

CVector2 Along(const CVector2& p, double dx, double dy, double k) {
  return CVector2(static_cast<float>(p.x + dx * k), static_cast<float>(p.y + dy * k));
}

// Straight segments: every handle a third of the way along its chord.
void StraightNodes(const CVector2* p, int n, CBezierNodeArray& nodes) {
  for (int i = 0; i < n; ++i) {
    CBezierNode& node = nodes[i];
    node.handle[0] = i > 0 ? Along(p[i], p[i - 1].x - p[i].x, p[i - 1].y - p[i].y, 1.0 / 3) : p[i];
    node.handle[1] = i + 1 < n ? Along(p[i], p[i + 1].x - p[i].x, p[i + 1].y - p[i].y, 1.0 / 3) : p[i];
  }
}

void SplineNodes(const CVector2* p, const std::vector<double>& h, CBezierNodeArray& nodes) {
  const size_t n = h.size() + 1;
  std::vector<double> a(n, 0.0), b(n, 0.0), c(n, 0.0), rx(n, 0.0), ry(n, 0.0);
  b[0] = 2.0;
  c[0] = 1.0;
  rx[0] = 3.0 * (p[1].x - p[0].x) / h[0];
  ry[0] = 3.0 * (p[1].y - p[0].y) / h[0];
  for (size_t i = 1; i + 1 < n; ++i) {
    a[i] = h[i];
    b[i] = 2.0 * (h[i - 1] + h[i]);
    c[i] = h[i - 1];
    const double after = h[i - 1] / h[i], before = h[i] / h[i - 1];
    rx[i] = 3.0 * (after * (p[i + 1].x - p[i].x) + before * (p[i].x - p[i - 1].x));
    ry[i] = 3.0 * (after * (p[i + 1].y - p[i].y) + before * (p[i].y - p[i - 1].y));
  }
  a[n - 1] = 1.0;
  b[n - 1] = 2.0;
  rx[n - 1] = 3.0 * (p[n - 1].x - p[n - 2].x) / h[n - 2];
  ry[n - 1] = 3.0 * (p[n - 1].y - p[n - 2].y) / h[n - 2];
  SolveTridiagonal(a, b, c, rx, ry);
  for (size_t i = 0; i < n; ++i) {
    CBezierNode& node = nodes[static_cast<int>(i)];
    node.handle[0] = i > 0 ? Along(p[i], rx[i], ry[i], -h[i - 1] / 3) : p[i];
    node.handle[1] = i + 1 < n ? Along(p[i], rx[i], ry[i], h[i] / 3) : p[i];
  }
}

Bezier4 SegmentOf(const CBezierNodeArray& nodes, int i) {
  return Bezier4{{nodes[i].point, nodes[i].handle[1], nodes[i + 1].handle[0], nodes[i + 1].point}};
}

// y on the line through a and b at x; a vertical step answers a's y.
float YOnChord(const CVector2& a, const CVector2& b, float x) {
  if (b.x == a.x) return a.y;
  return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
}

}  // namespace

// --- CCurveKeys ---

CCurveKeys::CCurveKeys() : x0(0.0f), x1(255.0f), y0(0.0f), y1(255.0f) {
  SetPoints(kDefaultKeys, 4);
}

void CCurveKeys::SetPoints(const CVector2* points, int count) {
  SetSize(std::max(count, 0));
  for (int i = 0; i < GetSize(); ++i) ElementAt(i) = points[i];
}

void CCurveKeys::CopyPoints(CVector2Array& out) const {
  out.SetSize(GetSize());
  for (int i = 0; i < GetSize(); ++i) out[i] = ElementAt(i);
}

void CCurveKeys::RescaleX(float newX0, float newX1) {
  for (int i = 0; i < GetSize(); ++i) RescaleValue(ElementAt(i).x, x0, x1, newX0, newX1);
}

void CCurveKeys::RescaleY(float newY0, float newY1) {
  for (int i = 0; i < GetSize(); ++i) RescaleValue(ElementAt(i).y, y0, y1, newY0, newY1);
}

void CCurveKeys::FlipY() {
  for (int i = 0; i < GetSize(); ++i) ElementAt(i).y = (y0 + y1) - ElementAt(i).y;
}

void CCurveKeys::SetRangeValues(float newX0, float newX1, float newY0, float newY1) {
  x0 = newX0;
  x1 = newX1;
  y0 = newY0;
  y1 = newY1;
}

void CCurveKeys::SetRange(float newX0, float newX1, float newY0, float newY1) {
  RescaleX(newX0, newX1);
  RescaleY(newY0, newY1);
  SetRangeValues(newX0, newX1, newY0, newY1);
}

CCurveKeys& CCurveKeys::operator=(const CCurveKeys& other) {
  if (this == &other) return *this;
  Copy(other);
  SetRangeValues(other.x0, other.x1, other.y0, other.y1);
  return *this;
}

void CCurveKeys::Rebuild(CBezierNodeArray& nodes) const {
  const int n = GetSize();
  const CVector2* p = GetData();
  nodes.SetSize(n);
  for (int i = 0; i < n; ++i) nodes[i] = CBezierNode{p[i], {p[i], p[i]}, 1};
  if (n < 2) return;
  std::vector<double> h(static_cast<size_t>(n - 1));
  bool degenerate = false;
  for (int i = 0; i + 1 < n; ++i) {
    const double dx = static_cast<double>(p[i + 1].x) - p[i].x, dy = static_cast<double>(p[i + 1].y) - p[i].y;
    h[i] = std::sqrt(dx * dx + dy * dy);
    degenerate = degenerate || !(h[i] >= kMinChord) || !std::isfinite(h[i]);
  }
  if (degenerate) StraightNodes(p, n, nodes);
  else SplineNodes(p, h, nodes);
}

CVector2Array* CCurveKeys::BuildPolyline() const {
  CVector2Array* line = new CVector2Array;
  CBezierNodeArray nodes;
  Rebuild(nodes);
  const int depth = SegmentDepth(nodes.GetSize() - 1);
  for (int i = 0; i + 1 < nodes.GetSize(); ++i) {
    line->Add(nodes[i].point);
    FlattenCubicToPoints(SegmentOf(nodes, i), *line, depth);
  }
  if (nodes.GetSize() > 0) line->Add(nodes[nodes.GetSize() - 1].point);
  return line;
}

void CCurveKeys::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << GetSize();
    for (int i = 0; i < GetSize(); ++i) ar << ElementAt(i);
    ar << x0 << x1 << y0 << y1;
    return;
  }
  const int n = ReadRecordCount(ar, kMaxKeys);
  CVector2Array keys;
  keys.SetSize(n);
  for (int i = 0; i < n; ++i) {
    ar >> keys[i];
    CheckFinite(keys[i]);
  }
  float range[4];
  for (float& v : range) {
    ar >> v;
    CheckFinite(v);
  }
  Copy(keys);
  SetRangeValues(range[0], range[1], range[2], range[3]);
}

// --- CBezierCurve ---

void CBezierCurve::SetPoints(const CVector2* points, int count) {
  CCurveKeys::SetPoints(points, count);
  RebuildTable();
}

CBezierCurve& CBezierCurve::operator=(const CCurveKeys& other) {
  CCurveKeys::operator=(other);
  RebuildTable();
  return *this;
}

void CBezierCurve::FreeTables() {
  m_tablePoints.RemoveAll();
  m_tableStarts.RemoveAll();
}

CBezierCurve::Table CBezierCurve::TableAt(int i) const {
  const int start = m_tableStarts[i];
  return Table{m_tablePoints.GetData() + start, m_tableStarts[i + 1] - start};
}

void CBezierCurve::RebuildTable() {
  FreeTables();
  CBezierNodeArray nodes;
  Rebuild(nodes);
  if (nodes.GetSize() < 2) return;
  const float xLow = std::min(x0, x1), xHigh = std::max(x0, x1);
  const float yLow = std::min(y0, y1), yHigh = std::max(y0, y1);
  const int segments = nodes.GetSize() - 1;
  const int depth = SegmentDepth(segments);
  // Two end points and 2^depth - 1 interior points at most per segment: the
  // depth keeps that near kMaxCurvePoints, so the block is grown once.
  m_tablePoints.SetSize(0, segments * ((1 << depth) + 1));
  m_tableStarts.SetSize(0, segments + 1);
  for (int i = 0; i < segments; ++i) {
    m_tableStarts.Add(static_cast<int>(m_tablePoints.GetSize()));
    m_tablePoints.Add(nodes[i].point);
    FlattenCubicToPoints(SegmentOf(nodes, i), m_tablePoints, depth);
    m_tablePoints.Add(nodes[i + 1].point);
  }
  m_tableStarts.Add(static_cast<int>(m_tablePoints.GetSize()));
  m_tablePoints.FreeExtra();
  for (int k = 0; k < m_tablePoints.GetSize(); ++k) {
    CVector2& q = m_tablePoints.ElementAt(k);
    q = CVector2(std::clamp(q.x, xLow, xHigh), std::clamp(q.y, yLow, yHigh));
  }
}

float CBezierCurve::Evaluate(float x) {
  if (GetTableCount() == 0) RebuildTable();
  const int tables = GetTableCount();
  for (int i = 0; i < tables; ++i) {
    const Table t = TableAt(i);
    if (!(t[0].x <= x && t[t.GetSize() - 1].x >= x)) continue;
    for (int k = 0; k + 1 < t.GetSize(); ++k) {
      if (t[k].x <= x && x <= t[k + 1].x) return YOnChord(t[k], t[k + 1], x);
    }
    return 0.0f;
  }
  if (tables == 0) return 0.0f;
  const Table last = TableAt(tables - 1);
  const CVector2& end = last[last.GetSize() - 1];
  return x >= end.x ? end.y : 0.0f;
}

// --- CEditCurve ---

void CEditCurve::HitTest(POINT pt, CCurveHit& out) const {
  out = CCurveHit{kCurveHitNothing, -1, 0.0f, 0.0f};
  for (int i = 0; i < GetSize(); ++i) {
    const POINT k = RoundedPoint(ElementAt(i));
    const LONG kx = k.x, ky = k.y;
    if (pt.x >= kx - kKeyHitHalf && pt.x < kx + kKeyHitHalf && pt.y >= ky - kKeyHitHalf && pt.y < ky + kKeyHitHalf) {
      out.code = kCurveHitKey;
      out.key = i;
      return;
    }
  }
  const CVector2Array& line = Polyline();
  const float x = static_cast<float>(pt.x), y = static_cast<float>(pt.y);
  for (int k = 0; k + 1 < line.GetSize(); ++k) {
    const CVector2 &a = line[k], &b = line[k + 1];
    if (x < std::min(a.x, b.x) || x > std::max(a.x, b.x)) continue;
    const float curveY = YOnChord(a, b, x);
    if (std::fabs(curveY - y) < kCurveHitReach) {
      out = CCurveHit{kCurveHitCurve, -1, x, curveY};
      return;
    }
  }
}

const CVector2Array& CEditCurve::Polyline() const {
  PolylineCache& cache = m_polyline;
  const bool same = cache.keys.GetSize() == GetSize() && cache.points.GetSize() > 0 &&
                    std::memcmp(cache.keys.GetData(), GetData(), sizeof(CVector2) * GetSize()) == 0;
  if (same) return cache.points;
  std::unique_ptr<CVector2Array> line(BuildPolyline());
  cache.points.Copy(*line);
  CopyPoints(cache.keys);
  return cache.points;
}

int CEditCurve::InsertPoint(const CVector2& p) {
  for (int i = 0; i + 1 < GetSize(); ++i) {
    if (ElementAt(i).x < p.x && p.x < ElementAt(i + 1).x) {
      InsertAt(i + 1, p);
      return i + 1;
    }
  }
  return -1;
}

void CEditCurve::SetSelectedY(float y) {
  if (selected < 0 || selected >= GetSize()) return;
  const float top = static_cast<float>(std::min(display.top, display.bottom));
  const float bottom = static_cast<float>(std::max(display.top, display.bottom));
  ElementAt(selected).y = std::clamp(y, top, bottom);
}
