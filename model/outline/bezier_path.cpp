// CBezierPath: node editing, bounds, frame resizing and hit testing.
//
// Sections: helpers / construction and nodes / moving points and handles /
// whole-path edits / bounds and rectangles / hit testing / comparison
#include "model/outline/bezier_path.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "model/geometry/bezier_math.h"
#include "model/geometry/geometry.h"
#include "model/geometry/pixel_point.h"

// --- helpers ---

namespace {

constexpr float kAutoHandleLength = 20.0f;
constexpr float kCollapsedReach = 0.1f;
constexpr double kMinHandleLength = 1e-6;
// A handle shorter than this can't give a direction to turn the other by.
constexpr double kTurnMinLength = 1.0;
constexpr float kOnPointReach = 1e-8f;
// The arc node stops bisecting towards a valid circle closer than this.
constexpr float kArcBisectStop = 2.0f;
constexpr LONG kBoundsMargin = 2;
constexpr LONG kHitBoundsMargin = 8;
constexpr LONG kSquareHalf = 4;
constexpr float kSegmentTolerance = 4.0f;

bool PtIn(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

RECT SquareAround(POINT p, LONG half) { return RECT{p.x - half, p.y - half, p.x + half, p.y + half}; }

void Inflate(RECT& r, LONG d) {
  r.left -= d;
  r.top -= d;
  r.right += d;
  r.bottom += d;
}

double LengthOf(double x, double y) { return std::sqrt(x * x + y * y); }

bool ValidCircle(const CBezierNodeArray& nodes) {
  RECT square;
  CircleBoundsThrough3(square, nodes[0].point, nodes[1].point, nodes[2].point, nullptr, nullptr);
  return square.right != square.left;
}

template <class F>
void ForEachCoordinate(CBezierNodeArray& nodes, F f) {
  for (int i = 0; i < nodes.GetSize(); ++i) {
    f(nodes[i].point);
    f(nodes[i].handle[0]);
    f(nodes[i].handle[1]);
  }
}

void Extend(RECT& box, POINT p) {
  box.left = std::min(box.left, p.x);
  box.top = std::min(box.top, p.y);
  box.right = std::max(box.right, p.x);
  box.bottom = std::max(box.bottom, p.y);
}

// The fraction of v that keeps start + v within [lo, hi] in one coordinate.
double FitFraction(double start, double v, double lo, double hi) {
  if (start + v > hi && v > 0) return std::max(0.0, (hi - start) / v);
  if (start + v < lo && v < 0) return std::max(0.0, (lo - start) / v);
  return 1.0;
}

}  // namespace

float HitParam(const int out[3]) {
  float t;
  std::memcpy(&t, &out[2], sizeof t);
  return t;
}

// --- construction and nodes ---

CBezierPath::CBezierPath()
    : m_kind(kPathKindBezier), m_offset{0, 0}, m_closed(0), m_clamping(0), m_clampMin(-1000.0f), m_clampMax(1000.0f),
      m_bounds{0, 0, 0, 0}, m_selected(-1), m_editMode(1), m_state(kPathEditable) {
  CBezierPath::Reset();
}

void CBezierPath::Reset() {
  m_editMode = 1;
  m_bounds = RECT{0, 0, 0, 0};
  m_selected = -1;
  m_offset = POINT{0, 0};
  m_nodes.RemoveAll();
}

int CBezierPath::SetNodes(const CBezierNodeArray& nodes) {
  const int remembered = m_selected;
  Reset();
  m_nodes.Copy(nodes);
  const CVector2 offset(static_cast<float>(m_offset.x), static_cast<float>(m_offset.y));
  ForEachCoordinate(m_nodes, [&](CVector2& v) { v += offset; });
  RecalcBounds();
  if (remembered < m_nodes.GetSize()) m_selected = remembered;
  return remembered;
}

void CBezierPath::CopyNodesTo(CBezierNodeArray& out) const {
  out.Copy(m_nodes);
  const CVector2 offset(static_cast<float>(m_offset.x), static_cast<float>(m_offset.y));
  ForEachCoordinate(out, [&](CVector2& v) { v -= offset; });
}

void CBezierPath::SetSelected(int i) { m_selected = i >= 0 && i < m_nodes.GetSize() ? i : -1; }

void CBezierPath::SetClamping(int on, float minimum, float maximum) {
  m_clamping = on;
  m_clampMin = minimum;
  m_clampMax = maximum;
}

void CBezierPath::SetSmooth(int i, int flag) {
  if (i >= 0 && i < m_nodes.GetSize()) m_nodes[i].smooth = flag;
}

int CBezierPath::IsSmooth(int i) const { return i >= 0 && i < m_nodes.GetSize() ? m_nodes[i].smooth : 0; }

float CBezierPath::HandleLength(int i, int h) const {
  if (i < 0 || i >= m_nodes.GetSize() || h < 0 || h > 1) return 0.0f;
  const CBezierNode& n = m_nodes.ElementAt(i);
  return static_cast<float>(LengthOf(n.handle[h].x - n.point.x, n.handle[h].y - n.point.y));
}

bool CBezierPath::HandlesCollapsed(int i) const {
  return HandleLength(i, 0) <= kCollapsedReach && HandleLength(i, 1) <= kCollapsedReach;
}

void CBezierPath::CollapseHandles(int i) {
  if (i < 0 || i >= m_nodes.GetSize()) return;
  m_nodes[i].handle[0] = m_nodes[i].handle[1] = m_nodes[i].point;
  RecalcBounds();
}

void CBezierPath::AutoHandles(int i) {
  const int n = m_nodes.GetSize();
  if (n < 2 || i < 0 || i >= n) return;
  const CVector2 d = m_nodes[(i + n - 1) % n].point - m_nodes[(i + 1) % n].point;
  CBezierNode& node = m_nodes[i];
  if (std::fabs(d.x) <= 1e-6f && std::fabs(d.y) <= 1e-6f) {
    node.handle[0] = CVector2(node.point.x + kAutoHandleLength, node.point.y);
    node.handle[1] = CVector2(node.point.x - kAutoHandleLength, node.point.y);
  } else {
    const double k = kAutoHandleLength / LengthOf(d.x, d.y);
    node.handle[0] = CVector2(static_cast<float>(node.point.x + k * d.x), static_cast<float>(node.point.y + k * d.y));
    node.handle[1] = CVector2(static_cast<float>(node.point.x - k * d.x), static_cast<float>(node.point.y - k * d.y));
  }
  RecalcBounds();
}

void CBezierPath::AlignHandle(int i, int h) {
  const double lengthH = HandleLength(i, h), lengthOther = HandleLength(i, 1 - h);
  if (!(lengthH > kMinHandleLength && lengthOther > kMinHandleLength)) return;
  CBezierNode& node = m_nodes[i];
  const double k = lengthOther / lengthH;
  node.handle[1 - h] = CVector2(static_cast<float>(node.point.x - (node.handle[h].x - node.point.x) * k),
                                static_cast<float>(node.point.y - (node.handle[h].y - node.point.y) * k));
  RecalcBounds();
}

void CBezierPath::AppendPoint(const CVector2& p, const CVector2* handles) {
  m_nodes.Add(CBezierNode{p, {handles ? handles[0] : p, handles ? handles[1] : p}, 0});
  RecalcBounds();
}

int CBezierPath::InsertPoint(int i, const CVector2& p, const CVector2* handles) {
  if (i < 0 || i >= m_nodes.GetSize()) return -1;
  m_nodes.InsertAt(i, CBezierNode{p, {handles ? handles[0] : p, handles ? handles[1] : p}, 0});
  RecalcBounds();
  return 0;
}

void CBezierPath::SplitSegment(int i, float t) {
  const int n = m_nodes.GetSize();
  if (i < 0 || i >= n) return;
  const int j = (i + 1) % n;
  const Bezier4 whole{{m_nodes[i].point, m_nodes[i].handle[1], m_nodes[j].handle[0], m_nodes[j].point}};
  Bezier4 left, right;
  SplitCubic(whole, left, right, t);
  m_nodes[i].handle[1] = left.p[1];
  m_nodes[j].handle[0] = right.p[2];
  m_nodes.InsertAt(j, CBezierNode{left.p[3], {left.p[2], right.p[1]}, 0});
  RecalcBounds();
}

int CBezierPath::RemovePoint(int i) {
  if (i < 0 || i >= m_nodes.GetSize()) return -1;
  m_nodes.RemoveAt(i);
  const int n = m_nodes.GetSize();
  m_selected = n == 0 ? -1 : std::min(i, n - 1);
  RecalcBounds();
  return 0;
}

// --- moving points and handles ---

void CBezierPath::ClampGraphPoint(int i, float& y) const {
  const CBezierNode& node = m_nodes.ElementAt(i);
  y = std::clamp(y, m_clampMin, m_clampMax);
  // The handles move with the node; none may leave the range.
  float dy = y - node.point.y;
  for (const CVector2& h : node.handle) {
    if (h.y + dy > m_clampMax) dy = m_clampMax - h.y;
    if (h.y + dy < m_clampMin) dy = m_clampMin - h.y;
  }
  y = node.point.y + dy;
}

void CBezierPath::MovePoint(int i, float x, float y) {
  if (i < 0 || i >= m_nodes.GetSize()) return;
  if (InGraphMode()) ClampGraphPoint(i, y);
  if (m_kind == kPathKindArc) {
    MoveArcPoint(i, x, y);
  } else {
    CBezierNode& node = m_nodes[i];
    const CVector2 d(InGraphMode() ? 0.0f : x - node.point.x, y - node.point.y);
    node.point = CVector2(InGraphMode() ? node.point.x : x, y);
    node.handle[0] += d;
    node.handle[1] += d;
  }
  RecalcBounds();
}

// An arc node moves only as far as a circle through the three points still
// exists: bisect back towards the last valid position.
void CBezierPath::MoveArcPoint(int i, float x, float y) {
  CVector2& point = m_nodes[i].point;
  CVector2 valid = point, invalid(x, y);
  point = invalid;
  if (m_nodes.GetSize() != 3 || ValidCircle(m_nodes)) return;
  while (Distance(valid, invalid) >= kArcBisectStop) {
    point = CVector2((valid.x + invalid.x) * 0.5f, (valid.y + invalid.y) * 0.5f);
    if (ValidCircle(m_nodes)) valid = point;
    else invalid = point;
  }
  point = valid;
}

void CBezierPath::ClampGraphHandle(int i, int h, float& x, float& y) const {
  const int n = m_nodes.GetSize();
  const float nodeX = m_nodes.ElementAt(i).point.x;
  y = std::clamp(y, m_clampMin, m_clampMax);
  if (h == 0) {
    x = std::min(x, nodeX);
    if (i > 0) x = std::max(x, m_nodes.ElementAt(i - 1).point.x);
  } else {
    x = std::max(x, nodeX);
    if (i + 1 < n) x = std::min(x, m_nodes.ElementAt(i + 1).point.x);
  }
}

// A smooth node's other handle turns with the dragged one, keeping its length.
void CBezierPath::TurnOtherHandle(int i, int h, float x, float y) {
  CBezierNode& node = m_nodes[i];
  const double ax = node.handle[h].x - node.point.x, ay = node.handle[h].y - node.point.y;
  const double bx = x - node.point.x, by = y - node.point.y;
  const double la = LengthOf(ax, ay), lb = LengthOf(bx, by);
  if (!(la > kTurnMinLength && lb > kTurnMinLength)) {
    node.smooth = 0;
    return;
  }
  double ox = node.handle[1 - h].x - node.point.x, oy = node.handle[1 - h].y - node.point.y;
  if (std::fabs(ox) <= kOnPointReach && std::fabs(oy) <= kOnPointReach) {
    ox = -bx;
    oy = -by;
  }
  const double c = (ax * bx + ay * by) / (la * lb), s = (ax * by - ay * bx) / (la * lb);
  double tx = ox * c - oy * s, ty = ox * s + oy * c;
  if (InGraphMode()) {
    const int n = m_nodes.GetSize();
    const double lo = i > 0 ? m_nodes[i - 1].point.x : -HUGE_VAL;
    const double hi = i + 1 < n ? m_nodes[i + 1].point.x : HUGE_VAL;
    const double f = std::min(FitFraction(node.point.x, tx, lo, hi), FitFraction(node.point.y, ty, m_clampMin, m_clampMax));
    tx *= f;
    ty *= f;
  }
  node.handle[1 - h] = CVector2(static_cast<float>(node.point.x + tx), static_cast<float>(node.point.y + ty));
}

void CBezierPath::MoveHandle(int i, int h, float x, float y) {
  if (i < 0 || i >= m_nodes.GetSize() || h < 0 || h > 1) return;
  if (InGraphMode()) ClampGraphHandle(i, h, x, y);
  if (m_nodes[i].smooth) TurnOtherHandle(i, h, x, y);
  m_nodes[i].handle[h] = CVector2(x, y);
  RecalcBounds();
}

// --- whole-path edits ---

void CBezierPath::Scale(float f) {
  ForEachCoordinate(m_nodes, [f](CVector2& v) { v *= f; });
  RecalcBounds();
}

void CBezierPath::Translate(const POINT& d) {
  const CVector2 step(static_cast<float>(d.x), static_cast<float>(d.y));
  ForEachCoordinate(m_nodes, [&](CVector2& v) { v += step; });
  RecalcBounds();
}

void CBezierPath::Transform(const CMatrix3& m) {
  ForEachCoordinate(m_nodes, [&](CVector2& v) {
    const CVector2 in = v;
    m.TransformPoint(in, v);
  });
  RecalcBounds();
}

void CBezierPath::ResizeByHandle(int k, int x, int y) {
  if (k < 1 || k > 8) k = 1;
  const bool moveLeft = k == 1 || k == 7 || k == 8, moveRight = k == 3 || k == 4 || k == 5;
  const bool moveTop = k == 1 || k == 2 || k == 3, moveBottom = k == 5 || k == 6 || k == 7;
  const RECT old = m_bounds;
  RECT frame = old;
  // A frame of zero width or height would lose the path: the edge goes one
  // pixel further in the direction it was dragged.
  auto moveEdge = [](LONG& edge, LONG to, LONG oldEdge, LONG opposite) {
    edge = to;
    if (edge == opposite) edge = to > oldEdge ? to + 1 : to - 1;
  };
  if (moveLeft) moveEdge(frame.left, x, old.left, frame.right);
  if (moveRight) moveEdge(frame.right, x, old.right, frame.left);
  if (moveTop) moveEdge(frame.top, y, old.top, frame.bottom);
  if (moveBottom) moveEdge(frame.bottom, y, old.bottom, frame.top);
  const double oldWidth = static_cast<double>(old.right) - old.left, oldHeight = static_cast<double>(old.bottom) - old.top;
  // An empty old frame has no size to scale from.
  const double sx = oldWidth != 0 ? (static_cast<double>(frame.right) - frame.left) / oldWidth : 0;
  const double sy = oldHeight != 0 ? (static_cast<double>(frame.bottom) - frame.top) / oldHeight : 0;
  const double anchorX = moveLeft ? old.right : old.left, anchorY = moveTop ? old.bottom : old.top;
  const bool scaleX = (moveLeft || moveRight) && sx != 0, scaleY = (moveTop || moveBottom) && sy != 0;
  ForEachCoordinate(m_nodes, [&](CVector2& v) {
    if (scaleX) v.x = static_cast<float>((v.x - anchorX) * sx + anchorX);
    if (scaleY) v.y = static_cast<float>((v.y - anchorY) * sy + anchorY);
  });
  m_bounds = frame;
  RecalcBounds();
}

// --- bounds and rectangles ---

void CBezierPath::RecalcBounds() {
  const int n = m_nodes.GetSize();
  if (n == 0) return;
  if (m_kind == kPathKindArc && n == 3) {
    RECT square;
    CircleBoundsThrough3(square, m_nodes[0].point, m_nodes[1].point, m_nodes[2].point, nullptr, nullptr);
    if (square.right != square.left) {
      m_bounds = square;
      return;
    }
  }
  POINT first{TruncatedCoordinate(m_nodes[0].point.x), TruncatedCoordinate(m_nodes[0].point.y)};
  RECT box{first.x, first.y, first.x, first.y};
  for (int i = 0; i < n; ++i) {
    for (const CVector2* v : {&m_nodes[i].point, &m_nodes[i].handle[0], &m_nodes[i].handle[1]}) {
      Extend(box, POINT{TruncatedCoordinate(v->x), TruncatedCoordinate(v->y)});
    }
  }
  // A frame turned inside out by a resize keeps its orientation.
  if (m_bounds.left > m_bounds.right) std::swap(box.left, box.right);
  if (m_bounds.top > m_bounds.bottom) std::swap(box.top, box.bottom);
  Inflate(box, kBoundsMargin);
  m_bounds = box;
}

void CBezierPath::GetHitBounds(RECT& out) const {
  out = RECT{std::min(m_bounds.left, m_bounds.right), std::min(m_bounds.top, m_bounds.bottom),
             std::max(m_bounds.left, m_bounds.right), std::max(m_bounds.top, m_bounds.bottom)};
  Inflate(out, kHitBoundsMargin);
}

void CBezierPath::GetTransformHandlePoint(POINT& out, int k) const {
  const RECT& b = m_bounds;
  const LONG cx = static_cast<LONG>(b.left + (static_cast<int64_t>(b.right) - b.left) / 2);
  const LONG cy = static_cast<LONG>(b.top + (static_cast<int64_t>(b.bottom) - b.top) / 2);
  const POINT points[9] = {{b.left, b.top}, {b.left, b.top}, {cx, b.top}, {b.right, b.top}, {b.right, cy},
                           {b.right, b.bottom}, {cx, b.bottom}, {b.left, b.bottom}, {b.left, cy}};
  out = points[k >= 1 && k <= 8 ? k : 0];
}

void CBezierPath::GetTransformHandleRect(RECT& out, int k) const {
  POINT p;
  GetTransformHandlePoint(p, k);
  out = SquareAround(p, kSquareHalf);
}

void CBezierPath::GetNodePoint(POINT& out, int i, int h) const {
  if (i < 0 || i >= m_nodes.GetSize() || h < -1 || h > 1) {
    out = POINT{0, 0};
    return;
  }
  const CVector2& v = h == -1 ? m_nodes[i].point : m_nodes[i].handle[h];
  out = POINT{TruncatedCoordinate(v.x), TruncatedCoordinate(v.y)};
}

void CBezierPath::GetNodeRect(RECT& out, int i, int h) const {
  POINT p;
  GetNodePoint(p, i, h);
  out = SquareAround(p, kSquareHalf);
}

void CBezierPath::GetNodeDirtyRect(RECT& out, int i) const {
  const int n = m_nodes.GetSize();
  if (i < 0 || i >= n) {
    out = RECT{0, 0, 0, 0};
    return;
  }
  const CBezierNode &prev = m_nodes[(i + n - 1) % n], &node = m_nodes[i], &next = m_nodes[(i + 1) % n];
  POINT start;
  GetNodePoint(start, i, -1);
  out = RECT{start.x, start.y, start.x, start.y};
  for (const CVector2* v : {&prev.point, &prev.handle[1], &node.handle[0], &node.point, &node.handle[1],
                            &next.handle[0], &next.point}) {
    Extend(out, POINT{RoundedCoordinate(v->x), RoundedCoordinate(v->y)});
  }
  Inflate(out, kBoundsMargin);
}

// --- hit testing ---

int CBezierPath::HitTestHandles(POINT p, int out[3]) const {
  const int n = m_nodes.GetSize(), s = m_selected;
  if (s < 0 || s >= n) return kPathHitNothing;
  const int prev = (s + n - 1) % n, next = (s + 1) % n;
  struct Candidate { int node, handle; };
  Candidate candidates[4];
  int count = 0;
  if (!m_closed && s == 0) {
    candidates[count++] = {0, 1};
    candidates[count++] = {1 % n, 0};
  } else if (!m_closed && s == n - 1) {
    candidates[count++] = {s, 0};
    candidates[count++] = {prev, 1};
  } else {
    candidates[count++] = {prev, 1};
    candidates[count++] = {next, 0};
    candidates[count++] = {s, 0};
    candidates[count++] = {s, 1};
  }
  // On a finished closed outline a corner's handles sit on its point; the
  // click means the node.
  const bool skipCollapsed = m_state == kPathFinished && m_closed && !InGraphMode();
  for (int c = 0; c < count; ++c) {
    RECT r;
    GetNodeRect(r, candidates[c].node, candidates[c].handle);
    if (!PtIn(r, p) || (skipCollapsed && HandlesCollapsed(candidates[c].node))) continue;
    out[0] = candidates[c].node;
    out[1] = candidates[c].handle;
    return kPathHitHandle;
  }
  return kPathHitNothing;
}

int CBezierPath::HitTestPoints(POINT p, int out[3]) const {
  if (HitTestHandles(p, out) == kPathHitHandle) return kPathHitHandle;
  const int n = m_nodes.GetSize();
  for (int i = 0; i < n; ++i) {
    RECT r;
    GetNodeRect(r, i, -1);
    if (!PtIn(r, p)) continue;
    out[0] = i;
    out[1] = -1;
    return kPathHitNode;
  }
  const CVector2 q(static_cast<float>(p.x), static_cast<float>(p.y));
  for (int k = 0; k < n; ++k) {
    const CBezierNode &a = m_nodes[k], &b = m_nodes[(k + 1) % n];
    const float t = FindSegmentParam(q, Bezier4{{a.point, a.handle[1], b.handle[0], b.point}}, kSegmentTolerance, 0.0f, 1.0f);
    if (t < 0.0f) continue;
    out[0] = k;
    std::memcpy(&out[2], &t, sizeof t);
    return kPathHitSegment;
  }
  return kPathHitNothing;
}

int CBezierPath::HitTest(int x, int y, int out[3]) const {
  out[0] = out[1] = -1;
  out[2] = 0;
  const POINT p{x, y};
  RECT bounds;
  GetHitBounds(bounds);
  if (!PtIn(bounds, p)) return kPathHitOutside;
  if (m_editMode == 1) return HitTestPoints(p, out);
  if (m_editMode != 0) return kPathHitNothing;
  for (int k = 1; k <= 8; ++k) {
    RECT r;
    GetTransformHandleRect(r, k);
    if (!PtIn(r, p)) continue;
    out[0] = k;
    return kPathHitFrameHandle;
  }
  return kPathHitNothing;
}

// --- comparison ---

CBezierPath& CBezierPath::operator=(const CBezierPath& other) {
  if (this == &other) return *this;
  m_bounds = other.m_bounds;
  m_nodes.Copy(other.m_nodes);
  m_selected = other.m_selected;
  m_editMode = other.m_editMode;
  m_state = other.m_state;
  m_offset = other.m_offset;
  m_kind = other.m_kind;
  m_closed = other.m_closed;
  m_clamping = other.m_clamping;
  m_clampMin = other.m_clampMin;
  m_clampMax = other.m_clampMax;
  return *this;
}

bool CBezierPath::operator==(const CBezierPath& o) const {
  const RECT &a = m_bounds, &b = o.m_bounds;
  if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) return false;
  if (m_selected != o.m_selected || m_editMode != o.m_editMode || m_state != o.m_state || m_kind != o.m_kind ||
      m_closed != o.m_closed || m_offset.x != o.m_offset.x || m_offset.y != o.m_offset.y ||
      m_nodes.GetSize() != o.m_nodes.GetSize() || m_clamping != o.m_clamping) {
    return false;
  }
  for (int i = 0; i < m_nodes.GetSize(); ++i) {
    const CBezierNode &p = m_nodes[i], &q = o.m_nodes[i];
    if (p.point.x != q.point.x || p.point.y != q.point.y || p.smooth != q.smooth) return false;
    for (int h = 0; h < 2; ++h) {
      if (p.handle[h].x != q.handle[h].x || p.handle[h].y != q.handle[h].y) return false;
    }
  }
  return !m_clamping || (m_clampMin == o.m_clampMin && m_clampMax == o.m_clampMax);
}

CVector2* BuildBezierPolyline(const CBezierNodeArray& nodes, BOOL closed, int* count) {
  const int n = nodes.GetSize();
  *count = 0;
  if (n == 0) return nullptr;
  const int segments = closed ? n : n - 1;
  CVector2* points = new CVector2[3 * segments + 1];
  for (int k = 0; k < segments; ++k) {
    points[3 * k] = nodes[k].point;
    points[3 * k + 1] = nodes[k].handle[1];
    points[3 * k + 2] = nodes[(k + 1) % n].handle[0];
  }
  points[3 * segments] = closed ? nodes[0].point : nodes[n - 1].point;
  *count = 3 * segments + 1;
  return points;
}
