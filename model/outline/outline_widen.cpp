// Edge tables of widened and extruded contours. The contour itself keeps tag
// -1; the widening is the union of closed convex pieces, one tag each: a band
// along every flattened segment and a round join (wedge or disk) at every
// vertex, so that the grown region is exactly the set of points within the
// width of the outline, whatever the turn at a vertex and whatever the
// direction the contour runs. An extrusion sweeps every piece (or, without a
// width, every segment) along the extrusion vector; the sweep of a convex
// piece is the convex hull of the piece and its translate.
#include <algorithm>
#include <cmath>
#include <vector>

#include "model/geometry/geometry.h"
#include "model/outline/outline_walk.h"

using namespace outline_walk;

namespace {

constexpr double kPi = 3.14159265358979323846;
// Largest gap between an arc and its chords, outline units.
constexpr double kArcSagitta = 0.2;
constexpr int kMaxArcSteps = 256;
// Joins narrower than this are covered by the bands' own rounding.
constexpr double kMinJoinGap = 0.5;
// Beyond this turn a join is a whole disk (the end of a there-and-back line).
constexpr double kDiskTurn = 150.0 * kPi / 180.0;

int64_t Cross(const POINT& o, const POINT& a, const POINT& b) {
  return (int64_t{a.x} - o.x) * (int64_t{b.y} - o.y) - (int64_t{a.y} - o.y) * (int64_t{b.x} - o.x);
}

class PieceBuilder {
 public:
  PieceBuilder(COutlineEdgeTable& table, int contour, int* tag) : m_table(table), m_contour(contour), m_tag(tag) {}

  void Add(const std::vector<CVector2>& points, const CVector2* sweep) {
    m_points.clear();
    for (const CVector2& p : points) {
      m_points.push_back(POINT{RoundOutline(p.x), RoundOutline(p.y)});
      if (sweep) m_points.push_back(POINT{RoundOutline(p.x + sweep->x), RoundOutline(p.y + sweep->y)});
    }
    Hull();
    if (m_hull.size() < 2) return;
    const int tag = (*m_tag)++;
    for (size_t i = 0; i < m_hull.size(); ++i) {
      const POINT& a = m_hull[i];
      const POINT& b = m_hull[(i + 1) % m_hull.size()];
      m_table.AddEdge(a.x, a.y, b.x, b.y, tag, m_contour);
    }
  }

 private:
  // Monotone chain; collinear points dropped, a line gives its two ends.
  void Hull() {
    std::sort(m_points.begin(), m_points.end(),
              [](const POINT& a, const POINT& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    m_points.erase(std::unique(m_points.begin(), m_points.end(),
                               [](const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }),
                   m_points.end());
    m_hull.clear();
    if (m_points.size() < 3) {
      m_hull = m_points;
      return;
    }
    m_hull.resize(2 * m_points.size());
    size_t k = 0;
    for (size_t i = 0; i < m_points.size(); ++i) {
      while (k >= 2 && Cross(m_hull[k - 2], m_hull[k - 1], m_points[i]) <= 0) --k;
      m_hull[k++] = m_points[i];
    }
    for (size_t i = m_points.size() - 1, lower = k + 1; i-- > 0;) {
      while (k >= lower && Cross(m_hull[k - 2], m_hull[k - 1], m_points[i]) <= 0) --k;
      m_hull[k++] = m_points[i];
    }
    m_hull.resize(k - 1);
  }

  COutlineEdgeTable& m_table;
  int m_contour;
  int* m_tag;
  std::vector<POINT> m_points;
  std::vector<POINT> m_hull;
};

// The flattened contour as a closed list of vertices, the start point first
// and last.
std::vector<CVector2> FlattenedVertices(const BYTE* buffer) {
  std::vector<CVector2> v{ReadPoint(buffer + 4)};
  WalkFlattened(buffer, [&](const CVector2&, const CVector2& q) { v.push_back(q); });
  return v;
}

void AddContourEdges(COutlineEdgeTable& table, const std::vector<CVector2>& v, int contour) {
  for (size_t i = 0; i + 1 < v.size(); ++i) {
    table.AddEdge(RoundEdge(v[i].x), RoundEdge(v[i].y), RoundEdge(v[i + 1].x), RoundEdge(v[i + 1].y), -1, contour);
  }
}

void AppendArc(std::vector<CVector2>& out, const CVector2& centre, double w, double from, double sweep) {
  const double step = w > kArcSagitta ? 2.0 * std::acos(1.0 - kArcSagitta / w) : kPi / 2;
  const int steps = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / step)), 1, kMaxArcSteps);
  for (int i = 0; i <= steps; ++i) {
    const double a = from + sweep * i / steps;
    out.emplace_back(static_cast<float>(centre.x + w * std::cos(a)), static_cast<float>(centre.y + w * std::sin(a)));
  }
}

// Bands and joins of one contour, each handed to add(points).
template <class F>
void ForEachWidthPiece(const std::vector<CVector2>& v, int w, F add) {
  struct Segment {
    CVector2 a, b;
    double dx, dy;  // unit direction
  };
  std::vector<Segment> segments;
  for (size_t i = 0; i + 1 < v.size(); ++i) {
    const double dx = static_cast<double>(v[i + 1].x) - v[i].x;
    const double dy = static_cast<double>(v[i + 1].y) - v[i].y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len < 1e-6 || !std::isfinite(len)) continue;
    segments.push_back({v[i], v[i + 1], dx / len, dy / len});
  }
  std::vector<CVector2> piece;
  if (segments.empty()) {  // a single point grows into a disk
    AppendArc(piece, v[0], w, 0.0, 2 * kPi);
    add(piece);
    return;
  }
  for (size_t i = 0; i < segments.size(); ++i) {
    const Segment& s = segments[i];
    const float nx = static_cast<float>(-s.dy * w);
    const float ny = static_cast<float>(s.dx * w);
    piece.assign({CVector2(s.a.x + nx, s.a.y + ny), CVector2(s.b.x + nx, s.b.y + ny),
                  CVector2(s.b.x - nx, s.b.y - ny), CVector2(s.a.x - nx, s.a.y - ny)});
    add(piece);
    // The join at the end of this segment, towards the next one.
    const Segment& t = segments[(i + 1) % segments.size()];
    const double from = std::atan2(s.dx, -s.dy);
    double turn = std::atan2(t.dx, -t.dy) - from;
    while (turn > kPi) turn -= 2 * kPi;
    while (turn <= -kPi) turn += 2 * kPi;
    if (std::fabs(turn) >= kDiskTurn) {
      piece.clear();
      AppendArc(piece, s.b, w, 0.0, 2 * kPi);
      add(piece);
    } else if (std::fabs(turn) * w >= kMinJoinGap) {
      // The gap between the bands opens on the outer side of the turn; the
      // inner side lies inside both bands unless a segment is too short.
      const double s1 = Distance(s.a, s.b), s2 = Distance(t.a, t.b);
      const bool shortSide = std::min(s1, s2) < w * std::sin(std::fabs(turn)) + 1.0;
      for (double side : {0.0, kPi}) {
        const bool outer = (turn > 0) == (side != 0.0);
        if (!outer && !shortSide) continue;
        piece.assign({s.b});
        AppendArc(piece, s.b, w, from + side, turn);
        add(piece);
      }
    }
  }
}

CVector2 ExtrusionVector(int depth, int angle) {
  const double r = angle * 0.017453292;
  return CVector2(static_cast<float>(std::trunc(std::cos(r) * depth + 0.5)),
                  static_cast<float>(std::trunc(std::sin(r) * depth + 0.5)));
}

}  // namespace

COutlineEdgeTable CShapeOutline::ScanContourWide(int contour, int rows, int w) {
  return ScanContourAngled(contour, rows, w, 0, 0, nullptr);
}

COutlineEdgeTable CShapeOutline::BuildExtrusion(int contour, int rows, int depth, int angle, int* tag) {
  return ScanContourAngled(contour, rows, 0, depth, angle, tag);
}

COutlineEdgeTable CShapeOutline::ScanContourAngled(int contour, int rows, int w, int depth, int angle, int* tag) {
  COutlineEdgeTable table(std::clamp(rows, 0, kMaxOutlineRows));
  if (contour < 0 || contour >= GetContourCount()) return table;
  int localTag = 0;
  if (!tag) tag = &localTag;
  const std::vector<CVector2> v = FlattenedVertices(m_contours[contour].buffer);
  AddContourEdges(table, v, contour);
  PieceBuilder builder(table, contour, tag);
  const CVector2 e = ExtrusionVector(std::max(depth, 0), angle);
  const CVector2* sweep = depth > 0 ? &e : nullptr;
  if (w > 0) {
    ForEachWidthPiece(v, w, [&](const std::vector<CVector2>& piece) { builder.Add(piece, sweep); });
  } else if (sweep) {
    std::vector<CVector2> segment(2);
    for (size_t i = 0; i + 1 < v.size(); ++i) {
      segment[0] = v[i];
      segment[1] = v[i + 1];
      builder.Add(segment, sweep);
    }
  }
  return table;
}
