// The triangle mesh of a pair: vertices and constraint edges from the
// feature lines, a sweep of advancing fronts in ascending y, and
// minimum-angle edge flips; a mesh the sweep leaves with holes is
// triangulated afresh over the hull of its points.
//
// Sections: --- building --- --- sweep --- --- fronts --- --- cover check ---
//           --- flips --- --- export --- --- fold-over check --- --- outlines ---
#include "model/mesh/triangle_mesh.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <queue>
#include <unordered_map>
#include <unordered_set>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The hull repair's flip loop has a second copy built for AVX, chosen at run
// time where the processor has it.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define CALVETTA_AVX_FLIPS 1
#endif

#include "model/geometry/geometry.h"
#include "model/geometry/picking.h"
#include "model/geometry/rect_clipper.h"
#include "model/mesh/sight_line.h"

namespace {

constexpr float kParamLow = 1e-5f;
constexpr float kParamHigh = 0.999999f;
constexpr double kCornerTolerance = 1e-6;
// Twice the distance within which a point counts as on an edge's line.
constexpr float kBoxMargin = 0.002f;
// Distance within which the spatial index offers an edge: well above every
// tolerance under which an edge can block or cross a segment.
constexpr float kIndexMargin = 0.01f;
// Below this many vertices scanning every edge is faster than the index.
constexpr int kIndexFromVertices = 128;
// Distance within which a vertex counts as on a feature-line segment.
constexpr float kOnLine = 0.001f;
// Relative difference of area and outline length within which the triangles
// count as covering the hull.
constexpr double kCoverTolerance = 1e-6;
constexpr double kFlipGain = 0.02;
// Flips raise the smallest angle of a pair each time; the budget only guards
// against degenerate input (NaN coordinates) that could otherwise cycle.
constexpr long kFlipsPerTriangle = 64;
constexpr int kMaxFlipDepth = 256;
// From this many keys a radix sort beats a comparison sort.
constexpr size_t kRadixSortFrom = 1024;

double Cross(const CVector2& a, const CVector2& b, const CVector2& c) {
  return (static_cast<double>(c.x) - a.x) * (static_cast<double>(b.y) - a.y) -
         (static_cast<double>(c.y) - a.y) * (static_cast<double>(b.x) - a.x);
}

double CornerAngle(const CVector2& at, const CVector2& p, const CVector2& q) {
  const double ux = static_cast<double>(p.x) - at.x, uy = static_cast<double>(p.y) - at.y;
  const double vx = static_cast<double>(q.x) - at.x, vy = static_cast<double>(q.y) - at.y;
  const double lengths = std::sqrt((ux * ux + uy * uy) * (vx * vx + vy * vy));
  if (lengths <= 0) return 0;
  return std::acos(std::clamp((ux * vx + uy * vy) / lengths, -1.0, 1.0));
}

double TriangleMinAngle(const CVector2& a, const CVector2& b, const CVector2& c) {
  return std::min({CornerAngle(a, b, c), CornerAngle(b, c, a), CornerAngle(c, a, b)});
}

// The cosine CornerAngle takes the arc cosine of (1 for a side of no length).
double CornerCosine(const CVector2& at, const CVector2& p, const CVector2& q) {
  const double ux = static_cast<double>(p.x) - at.x, uy = static_cast<double>(p.y) - at.y;
  const double vx = static_cast<double>(q.x) - at.x, vy = static_cast<double>(q.y) - at.y;
  const double lengths = std::sqrt((ux * ux + uy * uy) * (vx * vx + vy * vy));
  if (lengths <= 0) return 1;
  return std::clamp((ux * vx + uy * vy) / lengths, -1.0, 1.0);
}

// The largest corner cosine of a triangle: its smallest angle's.
double TriangleMaxCosine(const CVector2& a, const CVector2& b, const CVector2& c) {
  return std::max({CornerCosine(a, b, c), CornerCosine(b, c, a), CornerCosine(c, a, b)});
}

bool InsideTriangle(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& p) {
  const float tri[6] = {a.x, a.y, b.x, b.y, c.x, c.y};
  return PointInTriangle(tri, p.x, p.y);
}

// The passes of RadixSortBy over `count` values (0 < count < 2^32) between
// `values` and `scratch`, neither of which need hold anything else; returns
// the one that holds them sorted.
template <class T, class KeyOf>
T* RadixPasses(T* values, T* scratch, size_t count, int bits, int fromBit, KeyOf key) {
  constexpr int kDigit = 11, kDigits = 1 << kDigit, kMaxPasses = (64 + kDigit - 1) / kDigit;
  constexpr uint64_t kMask = kDigits - 1;
  const int passes = (bits - fromBit + kDigit - 1) / kDigit;
  // Every pass's digit counts in one read of the values (a pass moves the
  // values but never changes how many carry each digit).
  std::vector<uint32_t> counts(static_cast<size_t>(passes) * kDigits);
  const auto countDigits = [&]<int kPasses>() {
    uint32_t* const c = counts.data();
    for (const T* v = values; v != values + count; ++v) {
      const uint64_t digits = key(*v) >> fromBit;
      for (int p = 0; p < kPasses; ++p) ++c[p * kDigits + ((digits >> (p * kDigit)) & kMask)];
    }
  };
  switch (passes) {
    case 1: countDigits.template operator()<1>(); break;
    case 2: countDigits.template operator()<2>(); break;
    case 3: countDigits.template operator()<3>(); break;
    case 4: countDigits.template operator()<4>(); break;
    case 5: countDigits.template operator()<5>(); break;
    default: countDigits.template operator()<kMaxPasses>(); break;
  }
  for (int p = 0, shift = fromBit; p < passes; ++p, shift += kDigit) {
    uint32_t* digitCount = counts.data() + static_cast<size_t>(p) * kDigits;
    if (digitCount[(key(values[0]) >> shift) & kMask] == count) continue;
    // Counts become the first slot of each digit.
    uint32_t slot = 0;
    for (int d = 0; d < kDigits; ++d) {
      const uint32_t n = digitCount[d];
      digitCount[d] = slot;
      slot += n;
    }
    for (const T* v = values; v != values + count; ++v) scratch[digitCount[(key(*v) >> shift) & kMask]++] = *v;
    std::swap(values, scratch);
  }
  return values;
}

// Sorts values by key(value), numbers below 2^bits, ascending by their bits
// from `fromBit` up, eleven bits a pass; each pass is stable, so values
// equal in those bits keep their order. A pass that would move nothing (one
// digit for all) is left out.
template <class T, class KeyOf>
void RadixSortBy(std::vector<T>& values, int bits, int fromBit, KeyOf key) {
  const size_t count = values.size();
  if (count == 0 || fromBit >= bits) return;
  // Counts fit 32 bits below 2^32 values; past that (never met) a stable
  // comparison sort on the same bits gives the same order.
  if (count >= (size_t{1} << 32)) {
    std::stable_sort(values.begin(), values.end(),
                     [&](const T& a, const T& b) { return (key(a) >> fromBit) < (key(b) >> fromBit); });
    return;
  }
  std::vector<T> scratch(count);
  if (RadixPasses(values.data(), scratch.data(), count, bits, fromBit, key) != values.data()) values.swap(scratch);
}

// A number's bits, made to order as the numbers do (-0 taken as +0, which
// compares equal to it); not for NaN.
uint32_t OrderedBits(float number) {
  const float value = number + 0.0f;
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
}

// 0 .. count - 1 by key(i) ascending, equal keys in index order: what a
// stable sort on `<` gives. Without NaN keys that is the order of (key,
// index), which sorts as one number each: the key's bits made to order as
// the floats do (-0 taken as +0, which compares equal to it) above the index.
template <class Key>
std::vector<size_t> StableOrder(size_t count, Key key) {
  std::vector<size_t> order;
  order.reserve(count);
  bool packed = count < (size_t{1} << 32);
  for (size_t i = 0; i < count && packed; ++i) packed = !std::isnan(key(i));
  if (!packed) {
    for (size_t i = 0; i < count; ++i) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
    return order;
  }
  if (count == 0) return order;
  // The codes and the sort's scratch space, neither cleared first: every
  // slot is written before it is read.
  std::unique_ptr<uint64_t[]> buffers(new uint64_t[2 * count]);
  uint64_t* codes = buffers.get();
  for (size_t i = 0; i < count; ++i) codes[i] = static_cast<uint64_t>(OrderedBits(key(i))) << 32 | i;
  // The codes are made in index order, so sorting them by their key bits
  // alone (stably) sorts them whole; that takes three passes, fewer steps
  // than a comparison sort of more than a few hundred.
  if (count >= kRadixSortFrom)
    codes = RadixPasses(codes, codes + count, count, 64, 32, [](uint64_t v) { return v; });
  else
    std::sort(codes, codes + count);
  for (size_t i = 0; i < count; ++i) order.push_back(static_cast<size_t>(codes[i] & 0xFFFFFFFFu));
  return order;
}

}  // namespace

CTriangleMesh::CTriangleMesh() = default;
CTriangleMesh::~CTriangleMesh() = default;

// --- building ---

void CTriangleMesh::AddPoints(const CFeatureLineArray& lines) {
  struct Input {
    CVector2 position;
    CMeshVertexSource source;
  };
  // Each line's points are inputs lineStart[l] .. lineStart[l + 1] - 1.
  std::vector<int> lineStart(static_cast<size_t>(lines.GetSize()) + 1, 0);
  for (int l = 0; l < lines.GetSize(); ++l)
    lineStart[l + 1] = lineStart[l] + (lines[l] ? lines[l]->GetPointCount() : 0);
  std::vector<Input> inputs;
  inputs.reserve(static_cast<size_t>(lineStart.back()));
  for (int l = 0; l < lines.GetSize(); ++l) {
    const CFeatureLine* line = lines[l];
    if (!line) continue;
    for (int p = 0; p < line->GetPointCount(); ++p) inputs.push_back({*line->PointAt(p), {l, p}});
  }
  // Ascending y; equal y keep their input order.
  const std::vector<size_t> order = StableOrder(inputs.size(), [&](size_t i) { return inputs[i].position.y; });
  std::vector<int> vertexOf(inputs.size());
  m_renderIndicesRead = false;
  m_positions.clear();
  m_sources.clear();
  m_positions.reserve(order.size());
  m_sources.reserve(order.size());
  // Kept cosines belong to the old positions.
  for (Triangle& t : m_triangles) t.measured[0] = -1;
  for (size_t v = 0; v < order.size(); ++v) {
    vertexOf[order[v]] = static_cast<int>(v);
    m_positions.push_back(inputs[order[v]].position);
    m_sources.push_back(inputs[order[v]].source);
  }
  m_vertexCount = static_cast<int>(m_positions.size());
  m_finitePositions = std::all_of(m_positions.begin(), m_positions.end(),
                                  [](const CVector2& v) { return std::isfinite(v.x) && std::isfinite(v.y); });
  m_linearScans = m_scanMode == ScanMode::Linear ||
                  (m_scanMode == ScanMode::Automatic && m_vertexCount < kIndexFromVertices);

  // Coincident points share one vertex in the triangles: the first of them.
  m_representative.resize(m_vertexCount);
  for (int v = 0; v < m_vertexCount; ++v) {
    m_representative[v] = v;
    for (int w = v - 1; w >= 0 && m_positions[w].y == m_positions[v].y; --w)
      if (m_positions[w].x == m_positions[v].x) m_representative[v] = m_representative[w];
  }

  m_constraints.clear();
  m_columnCount = 0;
  if (!m_linearScans) {
    double x0 = INFINITY, x1 = -INFINITY;
    bool finite = true;
    for (const CVector2& v : m_positions) {
      finite = finite && std::isfinite(v.x) && std::isfinite(v.y);
      x0 = std::min<double>(x0, v.x), x1 = std::max<double>(x1, v.x);
    }
    if (finite && x0 <= x1) {
      const int count = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(m_vertexCount))));
      m_columnLeft = x0;
      m_columnWidth = x1 > x0 ? (x1 - x0) / count : 1.0;
      m_columnCount = count;
      std::vector<int> columnOf(m_vertexCount);
      m_columnStart.assign(static_cast<size_t>(count) + 1, 0);
      for (int v = 0; v < m_vertexCount; ++v) ++m_columnStart[(columnOf[v] = Column(m_positions[v].x)) + 1];
      for (int c = 0; c < count; ++c) m_columnStart[c + 1] += m_columnStart[c];
      m_columnVertices.resize(m_vertexCount);
      std::vector<int> fill(m_columnStart.begin(), m_columnStart.end() - 1);
      for (int v = 0; v < m_vertexCount; ++v) m_columnVertices[fill[columnOf[v]]++] = v;
    }
  }
  // About one cell per vertex for the sweep: each edge enters fewer cells and
  // each query visits fewer, for a few more entries in each (which the
  // entries' order by top keeps cheap to pass); two per vertex cost more.
  const size_t cells = static_cast<size_t>(m_vertexCount) + 8;
  // The kept edges are the only entries, about one per vertex: half the
  // sweep's cells holds a few each, fewer cells for each segment to enter
  // and each query to visit.
  if (!m_linearScans) m_keptGrid.Reset(m_positions.data(), m_positions.size(), cells / 2, kIndexMargin);
  m_constraints.reserve(inputs.size());
  for (int l = 0; l < lines.GetSize(); ++l) {
    const int* points = vertexOf.data() + lineStart[l];
    const int n = lineStart[l + 1] - lineStart[l];
    const bool closed = lines[l] && lines[l]->closed && n > 2;
    for (int i = 0; i + 1 < n || (closed && i < n); ++i) AddConstraint(points[i], points[(i + 1) % n]);
  }
  {
    const std::vector<size_t> byUpper =
        StableOrder(m_constraints.size(), [&](size_t i) { return m_positions[m_constraints[i].upper].y; });
    std::vector<ConstraintEdge> sorted;
    sorted.reserve(m_constraints.size());
    for (size_t i : byUpper) sorted.push_back(m_constraints[i]);
    m_constraints.swap(sorted);
  }
  m_constraintCount = static_cast<int>(m_constraints.size());
  m_columnCount = 0;
  m_keptGrid = CSegmentGrid();
  if (!m_linearScans) m_grid.Reset(m_positions.data(), m_positions.size(), cells, kIndexMargin);
  m_constraintBoxes.Reserve(m_constraints.size());
  for (int e = 0; e < m_constraintCount; ++e)
    m_constraintBoxes.Set(static_cast<size_t>(e), m_positions[m_constraints[e].first], m_positions[m_constraints[e].second]);
  // Edges of each vertex in sorted order, packed: m_edgeStart[v] .. m_edgeStart[v + 1].
  m_edgeStart.assign(static_cast<size_t>(m_vertexCount) + 1, 0);
  for (const ConstraintEdge& c : m_constraints) ++m_edgeStart[c.first + 1], ++m_edgeStart[c.second + 1];
  for (int v = 0; v < m_vertexCount; ++v) m_edgeStart[v + 1] += m_edgeStart[v];
  m_edgeList.assign(static_cast<size_t>(m_edgeStart[m_vertexCount]), -1);
  m_edgeOther.resize(m_edgeList.size());
  std::vector<int> fill(m_edgeStart.begin(), m_edgeStart.end() - 1);
  for (int e = 0; e < m_constraintCount; ++e) {
    const int first = m_constraints[e].first, second = m_constraints[e].second;
    m_edgeOther[fill[first]] = second;
    m_edgeList[fill[first]++] = e;
    m_edgeOther[fill[second]] = first;
    m_edgeList[fill[second]++] = e;
  }
}

// One segment of a feature line. A vertex lying on it splits it there, since
// a side of a triangle cannot pass through a vertex; a piece already held
// (lines drawn over each other) is kept once, and a piece crossing an earlier
// one is left out: two crossing edges cannot both be sides of triangles, and
// the region round the crossing would stay empty. The earlier line keeps its
// edge; the later one keeps only its points.
void CTriangleMesh::AddConstraint(int from, int to) {
  const int a = m_representative[from], b = m_representative[to];
  if (a == b) return;
  const CVector2 &p = m_positions[a], &q = m_positions[b];
  const double dx = static_cast<double>(q.x) - p.x, dy = static_cast<double>(q.y) - p.y;
  const double length2 = dx * dx + dy * dy;
  std::vector<std::pair<double, int>> cuts;
  const float x0 = std::min(p.x, q.x) - kOnLine, x1 = std::max(p.x, q.x) + kOnLine;
  const float y0 = std::min(p.y, q.y) - kOnLine, y1 = std::max(p.y, q.y) + kOnLine;
  auto consider = [&](int v) {
    const CVector2& r = m_positions[v];
    if (r.x < x0 || r.x > x1 || m_representative[v] != v || v == a || v == b) return;
    const double t = ((static_cast<double>(r.x) - p.x) * dx + (static_cast<double>(r.y) - p.y) * dy) / length2;
    const double cross = ((static_cast<double>(r.x) - p.x) * dy - (static_cast<double>(r.y) - p.y) * dx);
    if (t > 0 && t < 1 && cross * cross <= static_cast<double>(kOnLine) * kOnLine * length2) cuts.emplace_back(t, v);
  };
  const auto below = [this](int v, float y) { return m_positions[v].y < y; };
  if (m_columnCount > 0 && std::isfinite(x0) && std::isfinite(x1)) {
    // Column(x) never decreases as x grows, so every vertex with x in
    // [x0, x1] lies in the columns from Column(x0) to Column(x1).
    for (int c = Column(x0), last = Column(x1); c <= last; ++c) {
      const int* const end = m_columnVertices.data() + m_columnStart[c + 1];
      const int* const begin = m_columnVertices.data() + m_columnStart[c];
      for (const int* v = std::lower_bound(begin, end, y0, below);
           v != end && !(m_positions[*v].y > y1); ++v)
        consider(*v);
    }
  } else {
    const auto lowest = std::lower_bound(m_positions.begin(), m_positions.end(), y0,
                                         [](const CVector2& v, float y) { return v.y < y; });
    for (int v = static_cast<int>(lowest - m_positions.begin()); v < m_vertexCount; ++v) {
      if (m_positions[v].y > y1) break;  // vertices run in ascending y
      consider(v);
    }
  }
  // The cuts in order along the segment, however they were found.
  std::sort(cuts.begin(), cuts.end());
  int start = a;
  // The pieces up to each cut, then the last one up to b (most segments
  // have no cut: no list made for them).
  for (size_t k = 0; k <= cuts.size(); ++k) {
    const int end = k < cuts.size() ? cuts[k].second : b;
    ConstraintEdge e;
    e.first = start;
    e.second = end;
    e.upper = m_positions[end].y < m_positions[start].y ? end : start;
    start = end;
    if (CrossesKeptConstraint(e)) continue;
    if (!m_linearScans)
      m_keptGrid.Insert(static_cast<int>(m_constraints.size()), m_positions[e.first], m_positions[e.second]);
    m_constraints.push_back(e);
  }
}

// Clamped before it is cut to a whole number, which for the clamped range
// (not below 0) is what taking the floor first gives.
int CTriangleMesh::Column(float x) const {
  const double at = (static_cast<double>(x) - m_columnLeft) / m_columnWidth;
  return static_cast<int>(std::clamp(at, 0.0, static_cast<double>(m_columnCount - 1)));
}

bool CTriangleMesh::CrossesKeptConstraint(const ConstraintEdge& e) const {
  const CVector2& p = m_positions[e.first];
  const CVector2& q = m_positions[e.second];
  // A kept edge with the same ends holds the piece already. The grid offers
  // it to the query like any edge: it passes through p, in p's cells.
  const auto heldOrCrossed = [&](int kept) {
    const ConstraintEdge& c = m_constraints[kept];
    return (c.first == e.first && c.second == e.second) || (c.first == e.second && c.second == e.first) ||
           CrossesKept(p, q, kept);
  };
  if (!m_linearScans && CSegmentGrid::Finite(p) && CSegmentGrid::Finite(q)) return m_keptGrid.Query(p, q, heldOrCrossed);
  for (size_t kept = 0; kept < m_constraints.size(); ++kept)
    if (heldOrCrossed(static_cast<int>(kept))) return true;
  return false;
}

bool CTriangleMesh::CrossesKept(const CVector2& p, const CVector2& q, int kept) const {
  const CVector2& c = m_positions[m_constraints[kept].first];
  const CVector2& d = m_positions[m_constraints[kept].second];
  if (std::max(p.x, q.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(p.x, q.x) ||
      std::max(p.y, q.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(p.y, q.y))
    return false;
  float s = 0, t = 0;
  return SegmentIntersectParams(p, q, c, d, &s, &t) && s > kParamLow && s < kParamHigh && t > kParamLow &&
         t < kParamHigh;
}

int CTriangleMesh::FindEdge(int a, int b) const {
  if (a < 0 || a >= m_vertexCount || m_edgeStart.empty()) return -1;
  // Each edge listed at a has a as an end, so it joins a and b exactly when
  // its other end is b.
  for (int k = m_edgeStart[a]; k < m_edgeStart[a + 1]; ++k)
    if (m_edgeOther[k] == b) return m_edgeList[k];
  return -1;
}

// --- sweep ---

int CTriangleMesh::Triangulate() {
  m_renderIndicesRead = false;
  m_flipBudget = kFlipsPerTriangle * (3L * m_vertexCount + 16);
  // A triangulation of n points has fewer than 3n edges: room made once.
  const size_t edgeRoom = m_createdEdges.size() + 3 * static_cast<size_t>(m_vertexCount);
  m_createdEdges.reserve(edgeRoom);
  m_createdBoxes.Reserve(edgeRoom);
  // Room for the sweep's edges too: an edge made later than that is simply
  // not marked, and is tested.
  m_flipSettled.assign(edgeRoom, 0);
  m_flipPasses = false;
  Sweep();
  LinkRemaining();
  if (m_coverHull && !CoversHull()) {
    Retriangulate();
    m_flipBudget = kFlipsPerTriangle * (3L * m_vertexCount + 16);
  }
  // Flip passes over every created edge until one flips nothing. An edge
  // the sweep's flips refused and whose triangles stayed as they were would
  // be refused again, at no cost to the budget: it is passed over. Built
  // with linear scans, the first pass tests every edge, to compare against.
  if (m_linearScans)
    m_flipSettled.assign(m_createdEdges.size(), 0);
  else
    m_flipSettled.resize(m_createdEdges.size(), 0);
  m_flipPasses = true;
  for (bool flipped = true; flipped && m_flipBudget > 0;) {
    const long before = m_flipBudget;
    for (size_t e = 0; e < m_createdEdges.size(); ++e)
      if (!m_flipSettled[e]) Flip(static_cast<int>(e), 0);
    flipped = m_flipBudget != before;
  }
  m_flipPasses = false;
  return 1;
}

void CTriangleMesh::Sweep() {
  m_activeConstraints = 0;
  m_gridLive = !m_linearScans;
  m_allFinite = std::all_of(m_positions.begin(), m_positions.end(), CSegmentGrid::Finite);
  m_lastBlocker = -1;
  m_cornerIndex = true;
  for (m_current = 0; m_current < m_vertexCount; ++m_current) {
    const int p = m_current;
    if (m_representative[p] != p) continue;  // its twin stands for it
    int active = m_activeConstraints;
    while (active < m_constraintCount && m_positions[m_constraints[active].upper].y <= m_positions[p].y) ++active;
    ActivateConstraints(active);
    bool added = false;
    int previous[2] = {-1, -1};
    // The edge that hid the last front edge tested in full mostly hides a
    // run of the ones after it too: each is shown hidden behind it by a few
    // multiplications where that is certain (see CSightShadow), and then
    // Sees would answer false. `shaded` is the last vertex shown so.
    CSightShadow shadow;
    int shadowEdge = -1, shaded = -1;
    for (size_t f = 0; f < m_fronts.size() && !added; ++f)
      for (FrontNode* node = m_fronts[f]; node; node = node->next) {
        int a, b;
        WalkEnds(node, previous, &a, &b);
        if (a == p || b == p) continue;
        if (shadow.Live()) {
          const bool farHidden = shadow.Hides(m_positions[b]);
          if (farHidden || a == shaded || shadow.Hides(m_positions[a])) {
            shaded = farHidden ? b : -1;
            node->sightBlocker = shadowEdge;
            continue;
          }
        }
        if (!Sees(p, a, b, &node->sightBlocker)) {
          shadowEdge = node->sightBlocker;
          shadow = ShadowOf(p, shadowEdge);
          shaded = -1;
          continue;
        }
        AddToFront(static_cast<int>(f), node, p);
        added = true;
        break;
      }
    if (!added) StartOrWait(p);
  }
  JoinLeftovers();
  m_gridLive = false;
  m_cornerIndex = false;
  m_grid = CSegmentGrid();
  SplitAroundLeftovers();
}

// The shadow of the edge with index id `id` seen from vertex p, while the
// index is live (the linear scans stay the plain form); none for an edge
// that Blocked would not test.
CSightShadow CTriangleMesh::ShadowOf(int p, int id) const {
  if (!m_gridLive || id < 0) return {};
  const size_t e = static_cast<size_t>(id >> 1);
  if ((id & 1) ? e >= m_createdEdges.size() : static_cast<int>(e) >= m_activeConstraints) return {};
  const auto [c, d] = (id & 1) ? std::pair(m_createdEdges[e].first, m_createdEdges[e].second)
                               : std::pair(m_constraints[e].first, m_constraints[e].second);
  return CSightShadow(m_positions[p], m_positions[c], m_positions[d]);
}

void CTriangleMesh::ActivateConstraints(int count) {
  for (int e = m_activeConstraints; m_gridLive && e < count; ++e) {
    m_grid.Insert(2 * e, m_positions[m_constraints[e].first], m_positions[m_constraints[e].second]);
    m_edgeLog.push_back(2 * e);
  }
  m_activeConstraints = count;
}

void CTriangleMesh::IndexCreated(int created, bool add) {
  if (!m_gridLive) return;
  const CreatedEdge& e = m_createdEdges[created];
  if (add) {
    m_grid.Insert(2 * created + 1, m_positions[e.first], m_positions[e.second]);
    m_edgeLog.push_back(2 * created + 1);
  } else {
    m_grid.Remove(2 * created + 1, m_positions[e.first], m_positions[e.second]);
    ++m_edgeRemovals;
    if (m_removedAt.size() <= static_cast<size_t>(created)) m_removedAt.resize(m_createdEdges.size(), 0);
    m_removedAt[created] = m_edgeRemovals;
  }
}

// A vertex still outside every triangle but inside one of them (the sweep
// closed that triangle over it) splits it into three.
void CTriangleMesh::SplitAroundLeftovers() {
  if (m_pending.empty()) return;
  std::vector<char> used(m_vertexCount, 0);
  for (int t = 0; t < GetTriangleCount(); ++t) {
    int v[3];
    TriangleVertices(t, v);
    for (int k : v) used[k] = 1;
  }
  for (int q : m_pending) {
    if (used[q]) continue;
    const CVector2& Q = m_positions[q];
    for (int t = 0; t < GetTriangleCount(); ++t) {
      int v[3];
      TriangleVertices(t, v);
      const double s0 = Cross(m_positions[v[0]], m_positions[v[1]], Q), s1 = Cross(m_positions[v[1]], m_positions[v[2]], Q),
                   s2 = Cross(m_positions[v[2]], m_positions[v[0]], Q);
      if (!((s0 > 0 && s1 > 0 && s2 > 0) || (s0 < 0 && s1 < 0 && s2 < 0))) continue;
      SplitTriangle(t, q);
      used[q] = 1;
      break;
    }
  }
}

void CTriangleMesh::SplitTriangle(int triangle, int q) {
  int v[3];
  TriangleVertices(triangle, v);
  Triangle* parts[3] = {&m_triangles[triangle], nullptr, nullptr};
  const EdgeRef sides[3] = {parts[0]->sides[0], parts[0]->sides[1], parts[0]->sides[2]};
  for (EdgeRef side : sides) Unsettle(side);
  for (int k = 1; k < 3; ++k) parts[k] = NewTriangle(sides[k], {1, -1}, {1, -1});
  // Side k joins v[k] and v[k + 1]; the created side moves with it.
  for (int k = 1; k < 3; ++k)
    if (!sides[k].kind) {
      CreatedEdge& e = m_createdEdges[sides[k].index];
      if (e.left == parts[0]) e.left = parts[k];
      else if (e.right == parts[0]) e.right = parts[k];
    }
  EdgeRef spokes[3];
  for (int k = 0; k < 3; ++k) spokes[k] = JoinEdge(v[k], q, parts[k]);
  for (int k = 0; k < 3; ++k) {
    parts[k]->sides[0] = sides[k];
    parts[k]->sides[1] = spokes[(k + 1) % 3];
    parts[k]->sides[2] = spokes[k];
    LinkRight(spokes[(k + 1) % 3], parts[k]);
  }
}

// Vertices that no front could take while the sweep passed them (their
// segments were left out, or edges hid every front edge from them) join a
// front edge they see from its open side.
void CTriangleMesh::JoinLeftovers() {
  if (m_pending.empty()) return;
  m_sidesListed = false;
  ActivateConstraints(m_constraintCount);
  std::vector<char> used(m_vertexCount, 0);
  for (int t = 0; t < GetTriangleCount(); ++t) {
    int v[3];
    TriangleVertices(t, v);
    for (int k : v) used[k] = 1;
  }
  for (bool joined = true; joined && !m_pending.empty();) {
    joined = false;
    for (size_t i = 0; i < m_pending.size() && !joined; ++i) {
      const int q = m_pending[i];
      if (used[q]) continue;
      int previous[2] = {-1, -1};
      for (size_t f = 0; f < m_fronts.size() && !joined; ++f)
        for (FrontNode* node = m_fronts[f]; node; node = node->next) {
          int a, b;
          WalkEnds(node, previous, &a, &b);
          if (a == q || b == q || !OpensTowards(node->edge, q) || !Sees(q, a, b, &node->sightBlocker)) continue;
          m_pending.erase(m_pending.begin() + static_cast<long>(i));
          AddToFront(static_cast<int>(f), node, q);
          used[q] = 1;
          joined = true;
          break;
        }
    }
  }
}

// No triangle lies on q's side of the edge yet.
bool CTriangleMesh::OpensTowards(EdgeRef edge, int q) const {
  int a, b;
  EdgeEnds(edge, &a, &b);
  const double side = Cross(m_positions[a], m_positions[b], m_positions[q]);
  if (side == 0) return false;
  auto facesAway = [&](const Triangle* t) {
    const int r = OppositeVertex(t, a, b);
    return r >= 0 && Cross(m_positions[a], m_positions[b], m_positions[r]) * side < 0;
  };
  if (!edge.kind) {
    const CreatedEdge& e = m_createdEdges[edge.index];
    return !e.right && (!e.left || facesAway(e.left));
  }
  const auto [begin, end] = TrianglesOnConstraint(edge.index);
  for (const int* t = begin; t != end; ++t)
    if (!facesAway(&m_triangles[*t])) return false;
  return true;
}

// The triangles with constraint edge c as a side, listed afresh for every
// constraint once triangles have been flipped since the last list. Only
// flips change a triangle's sides once it is made: while none has been
// flipped, triangles made since the listing are looked through for c
// instead, up to a few thousand of them.
std::pair<const int*, const int*> CTriangleMesh::TrianglesOnConstraint(int c) const {
  constexpr size_t kMostUnlisted = 4096;
  const std::pair<size_t, long> state(m_triangles.size(), m_flips);
  const size_t listed = m_sidesListedAt.first;
  if (m_sidesListed && m_sidesListedAt.second == state.second && listed < state.first &&
      state.first - listed <= kMostUnlisted && c >= 0 && c < m_constraintCount) {
    m_sidesWithNew.assign(m_sideList.begin() + m_sideStart[c], m_sideList.begin() + m_sideStart[c + 1]);
    for (size_t t = listed; t < state.first; ++t)
      for (EdgeRef s : m_triangles[t].sides)
        if (s.kind && s.index == c) m_sidesWithNew.push_back(static_cast<int>(t));
    return {m_sidesWithNew.data(), m_sidesWithNew.data() + m_sidesWithNew.size()};
  }
  if (!m_sidesListed || m_sidesListedAt != state) {
    m_sideStart.assign(static_cast<size_t>(m_constraintCount) + 1, 0);
    for (const Triangle& t : m_triangles)
      for (EdgeRef s : t.sides)
        if (s.kind && s.index >= 0 && s.index < m_constraintCount) ++m_sideStart[s.index + 1];
    for (int e = 0; e < m_constraintCount; ++e) m_sideStart[e + 1] += m_sideStart[e];
    m_sideList.resize(static_cast<size_t>(m_sideStart[m_constraintCount]));
    std::vector<int> fill(m_sideStart.begin(), m_sideStart.end() - 1);
    for (size_t t = 0; t < m_triangles.size(); ++t)
      for (EdgeRef s : m_triangles[t].sides)
        if (s.kind && s.index >= 0 && s.index < m_constraintCount) m_sideList[fill[s.index]++] = static_cast<int>(t);
    m_sidesListed = true;
    m_sidesListedAt = state;
  }
  if (c < 0 || c >= m_constraintCount) return {nullptr, nullptr};
  return {m_sideList.data() + m_sideStart[c], m_sideList.data() + m_sideStart[c + 1]};
}

bool CTriangleMesh::BlockedBy(const CVector2& p, const CVector2& q, int a, int b) const {
  const CVector2& c = m_positions[a];
  const CVector2& d = m_positions[b];
  // Boxes apart by more than the on-line distance: neither test can hold.
  // Both callers have tested the edge's stored box (std::max of its first
  // and second end, as here) against the segment's widened one, which
  // settles "edge wholly left of or above the segment" the same way; the
  // other two sides round differently there and are tested here.
  if (std::max(p.x, q.x) < std::min(c.x, d.x) - kBoxMargin || std::max(p.y, q.y) < std::min(c.y, d.y) - kBoxMargin)
    return false;
  return SightLineBlockedBy(p, q, c, d);
}

void CTriangleMesh::EdgeBoxes::Reserve(size_t count) {
  minX.reserve(count), maxX.reserve(count), minY.reserve(count), maxY.reserve(count);
}

void CTriangleMesh::EdgeBoxes::Set(size_t i, const CVector2& a, const CVector2& b) {
  const float x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
  // Edges are mostly made in order: the next box is appended.
  if (i == minX.size()) {
    minX.push_back(x0), maxX.push_back(x1), minY.push_back(y0), maxY.push_back(y1);
    return;
  }
  if (minX.size() < i) {
    minX.resize(i + 1), maxX.resize(i + 1), minY.resize(i + 1), maxY.resize(i + 1);
  }
  minX[i] = x0, maxX[i] = x1;
  minY[i] = y0, maxY[i] = y1;
}

bool CTriangleMesh::ScanBoxes(const EdgeBoxes& boxes, size_t count, bool created, const CVector2& p,
                              const CVector2& q, float lowestY) const {
  const float x0 = std::min(p.x, q.x) - kBoxMargin, x1 = std::max(p.x, q.x) + kBoxMargin;
  const float y0 = std::min(p.y, q.y) - kBoxMargin, y1 = std::max(p.y, q.y) + kBoxMargin;
  const float* minX = boxes.minX.data();
  const float* maxX = boxes.maxX.data();
  const float* minY = boxes.minY.data();
  const float* maxY = boxes.maxY.data();
  // Newest edges first: they lie near the sweep line, where blockers are, and
  // the answer does not depend on the order.
  for (size_t e = count; e-- > 0;) {
    // Edges wholly above the three points are skipped, as are edges whose
    // box the segment's cannot meet.
    if (maxY[e] < lowestY || maxX[e] < x0 || minX[e] > x1 || maxY[e] < y0 || minY[e] > y1) continue;
    int a, b;
    EdgeEnds({static_cast<BYTE>(created ? 0 : 1), static_cast<int>(e)}, &a, &b);
    if (BlockedBy(p, q, a, b)) return true;
  }
  return false;
}

// A segment is blocked by an active constraint edge or by any created edge.
bool CTriangleMesh::Blocked(const CVector2& p, const CVector2& q, float lowestY, int* hint) const {
  if (m_gridLive && (m_allFinite || (CSegmentGrid::Finite(p) && CSegmentGrid::Finite(q))))
    return IndexedBlocked(p, q, lowestY, hint);
  return ScanBoxes(m_constraintBoxes, static_cast<size_t>(m_activeConstraints), false, p, q, lowestY) ||
         ScanBoxes(m_createdBoxes, m_createdEdges.size(), true, p, q, lowestY);
}

// Inline, as the per-query helpers below: every sight test makes one.
inline CTriangleMesh::SightLine::SightLine(const CVector2& p, const CVector2& q, float lowest)
    : segment(p, q), lowestY(lowest), x0(segment.minX - kBoxMargin), x1(segment.maxX + kBoxMargin),
      y0(segment.minY - kBoxMargin), y1(segment.maxY + kBoxMargin) {}

// The test ScanBoxes makes of one edge, for an index id. Always inline: a
// query tries many candidates, half of them with boxes apart, and a call
// would keep the sight line in memory for every one.
__attribute__((always_inline)) inline bool CTriangleMesh::BlocksSight(int id, const SightLine& line) const {
  const bool created = (id & 1) != 0;
  const size_t e = static_cast<size_t>(id >> 1);
  if (created ? e >= m_createdEdges.size() : static_cast<int>(e) >= m_activeConstraints) return false;
  return EdgeBlocksSight(created, e, line);
}

// BlocksSight for an index id in range.
__attribute__((always_inline)) inline bool CTriangleMesh::EdgeBlocksSight(bool created, size_t e,
                                                                         const SightLine& line) const {
  const EdgeBoxes& boxes = created ? m_createdBoxes : m_constraintBoxes;
  const float minX = boxes.minX[e], minY = boxes.minY[e], maxY = boxes.maxY[e];
  if (maxY < line.lowestY || boxes.maxX[e] < line.x0 || minX > line.x1 || maxY < line.y0 || minY > line.y1)
    return false;
  // BlockedBy's own box test: the stored box holds the same std::min of the
  // same two ends (first, second), whose positions never change.
  if (line.segment.maxX < minX - kBoxMargin || line.segment.maxY < minY - kBoxMargin) return false;
  const auto [a, b] = created ? std::pair(m_createdEdges[e].first, m_createdEdges[e].second)
                              : std::pair(m_constraints[e].first, m_constraints[e].second);
  return line.segment.BlockedBy(m_positions[a], m_positions[b]);
}

// BlocksSight for an edge the index offers, from the ends the index holds
// for it: those of its first and second vertex when it was entered, which
// are its ends still, as an edge is taken out before a flip moves them. Its
// id is in range (constraints enter as they become active, and neither count
// falls while the index lives).
// Most offered edges meet the line at one of its ends (the edges around a
// front vertex, the constraints at a new one), and such an edge is settled
// by LiesAlong alone (see SharedEndAnswer): the shared point lies in its box
// and in the line's box widened by the margin, so no box test turns it down
// (nor lowestY, which no end of the line is below; a box with a NaN in it
// fails no test).
inline bool CTriangleMesh::OfferedBlocks(const SightLine& line, const CVector2& c, const CVector2& d) const {
  const int shared = line.segment.SharedEndAnswer(c, d);
  if (shared >= 0) return shared;
  // EdgeBlocksSight's box tests, on the same std::min/max of the same ends.
  const float minX = std::min(c.x, d.x), maxX = std::max(c.x, d.x);
  const float minY = std::min(c.y, d.y), maxY = std::max(c.y, d.y);
  if (maxY < line.lowestY || maxX < line.x0 || minX > line.x1 || maxY < line.y0 || minY > line.y1) return false;
  if (line.segment.maxX < minX - kBoxMargin || line.segment.maxY < minY - kBoxMargin) return false;
  return line.segment.BlockedBy(c, d);
}

inline bool CTriangleMesh::IndexedBlocked(const CVector2& p, const CVector2& q, float lowestY, int* hint) const {
  const SightLine line(p, q, lowestY);
  // The two edges tried first are not tried again: they do not block.
  const int tried = hint ? *hint : -1;
  if (tried >= 0 && BlocksSight(tried, line)) return true;
  const int last = m_lastBlocker;
  if (last >= 0 && last != tried && BlocksSight(last, line)) {
    if (hint) *hint = last;
    return true;
  }
  return GridBlocked(line, tried, last, hint);
}

// Not inline: most queries end in IndexedBlocked at its first or second
// edge, and inlined there, this walk's many live values made every query
// save and restore them.
__attribute__((noinline)) bool CTriangleMesh::GridBlocked(const SightLine& line, int tried, int last,
                                                          int* hint) const {
  // The grid passes over edges wholly below lowestY, which BlocksSight
  // turns down by the same float comparison. Which blocking edge the walk
  // hands back follows the grid's order, and only speed depends on which:
  // every use of it (the edges tried first above, Sweep's shadows,
  // CornerBlocked's remembered blocker) rests on nothing but its blocking
  // the line as BlocksSight tests it, so each answer is the same for any
  // edge that does.
  return m_grid.Query(line.segment.a, line.segment.b, [&](int id, const CVector2& c, const CVector2& d) {
    if (id == tried || id == last || !OfferedBlocks(line, c, d)) return false;
    m_lastBlocker = id;
    if (hint) *hint = id;
    return true;
  }, line.lowestY);
}

inline bool CTriangleMesh::Sees(int p, int a, int b, int* hint) const {
  const CVector2 &P = m_positions[p], &A = m_positions[a], &B = m_positions[b];
  const float lowest = std::min({P.y, A.y, B.y});
  if (m_gridLive && m_allFinite)
    return !IndexedBlocked(P, A, lowest, hint) && !IndexedBlocked(P, B, lowest, hint);
  return !Blocked(P, A, lowest, hint) && !Blocked(P, B, lowest, hint);
}

// The ends of a node's edge, as EdgeEnds gives them: read off the node, where
// they were copied when it was made, while no edge of a front has flipped
// (a flip of one clears m_cornerIndex before it moves the edge's ends), so
// that the walks along a front need not look each edge up.
inline void CTriangleMesh::NodeEdgeEnds(const FrontNode* node, int* a, int* b) const {
  if (m_cornerIndex) {
    *a = node->ends[0], *b = node->ends[1];
    return;
  }
  EdgeEnds(node->edge, a, b);
}

// The node's ends in the front's direction: the left end is the one it shares
// with the node before (or does not share with the node after).
void CTriangleMesh::NodeEnds(const FrontNode* node, int* left, int* right) const {
  int a, b;
  NodeEdgeEnds(node, &a, &b);
  int shared = -1;
  if (node->prev) {
    int pa, pb;
    NodeEdgeEnds(node->prev, &pa, &pb);
    shared = (a == pa || a == pb) ? a : b;
  } else if (node->next) {
    int na, nb;
    NodeEdgeEnds(node->next, &na, &nb);
    shared = (a == na || a == nb) ? b : a;
  } else {
    // A front of one edge runs left to right.
    const CVector2 &pa = m_positions[a], &pb = m_positions[b];
    shared = (pa.x < pb.x || (pa.x == pb.x && pa.y <= pb.y)) ? a : b;
  }
  *left = shared;
  *right = shared == a ? b : a;
}

// NodeEnds for a walk from a front's first node on: `previous` holds the
// edge ends of the node before, read one step earlier, and takes this one's.
inline void CTriangleMesh::WalkEnds(const FrontNode* node, int previous[2], int* left, int* right) const {
  int a, b;
  NodeEdgeEnds(node, &a, &b);
  if (node->prev) {
    *left = (a == previous[0] || a == previous[1]) ? a : b;
    *right = *left == a ? b : a;
  } else {
    NodeEnds(node, left, right);
  }
  previous[0] = a, previous[1] = b;
}

CTriangleMesh::FrontNode* CTriangleMesh::NewNode(EdgeRef edge) {
  if (m_nodesLeft == 0) {
    constexpr size_t kFirstBlock = 64, kLargestBlock = 4096;
    m_nodeBlockSize = std::clamp(2 * m_nodeBlockSize, kFirstBlock, kLargestBlock);
    m_nodeBlocks.push_back(std::make_unique<FrontNode[]>(m_nodeBlockSize));
    m_nodesLeft = m_nodeBlockSize;
  }
  FrontNode* node = &m_nodeBlocks.back()[m_nodeBlockSize - m_nodesLeft--];
  node->edge = edge;
  if (edge.index >= 0) EdgeEnds(edge, &node->ends[0], &node->ends[1]);
  m_freshNodes.push_back(node);
  if (!edge.kind && edge.index >= 0) {
    if (m_frontUses.size() <= static_cast<size_t>(edge.index)) m_frontUses.resize(static_cast<size_t>(edge.index) + 1, 0);
    ++m_frontUses[edge.index];
  }
  return node;
}

// The constraint edge joining a and b, or a new created edge owned by `owner`.
CTriangleMesh::EdgeRef CTriangleMesh::JoinEdge(int a, int b, Triangle* owner) {
  const int c = FindEdge(a, b);
  if (c >= 0) return {1, c};
  CreatedEdge e;
  e.first = a;
  e.second = b;
  e.left = owner;
  m_createdBoxes.Set(m_createdEdges.size(), m_positions[a], m_positions[b]);
  m_createdEdges.push_back(e);
  IndexCreated(static_cast<int>(m_createdEdges.size() - 1), true);
  return {0, static_cast<int>(m_createdEdges.size() - 1)};
}

CTriangleMesh::Triangle* CTriangleMesh::NewTriangle(EdgeRef s0, EdgeRef s1, EdgeRef s2) {
  Triangle* t = &m_triangles.emplace_back();
  t->sides[0] = s0;
  t->sides[1] = s1;
  t->sides[2] = s2;
  return t;
}

// A created edge that a new triangle uses from its other side.
void CTriangleMesh::LinkRight(EdgeRef side, Triangle* t) {
  if (side.kind) return;
  CreatedEdge& e = m_createdEdges[side.index];
  if (!e.left)
    e.left = t;
  else if (e.left != t && !e.right)
    e.right = t;
  else
    return;
  Unsettle(side);
}

void CTriangleMesh::AddToFront(int front, FrontNode* node, int p) {
  int a, b;
  NodeEnds(node, &a, &b);
  // A lone edge has no side yet; turn it so that the new triangle lies on
  // the side a corner never closes, else a nearly vertical edge closed the
  // same triangle a second time.
  if (!node->prev && !node->next && Cross(m_positions[a], m_positions[p], m_positions[b]) < 0) std::swap(a, b);
  Triangle* t = NewTriangle({0, 0}, {0, 0}, node->edge);
  const EdgeRef ap = JoinEdge(a, p, t), pb = JoinEdge(p, b, t);
  t->sides[0] = ap;
  t->sides[1] = pb;
  LinkRight(ap, t);
  LinkRight(pb, t);
  LinkRight(node->edge, t);

  FrontNode* first = NewNode(ap);
  FrontNode* second = NewNode(pb);
  // The corner after the old edge's is likely hidden by the same edge.
  second->cornerBlocker = node->cornerBlocker;
  first->prev = node->prev;
  first->next = second;
  second->prev = first;
  second->next = node->next;
  if (node->prev) node->prev->next = first;
  if (node->next) node->next->prev = second;
  if (m_fronts[front] == node) m_fronts[front] = first;
  TouchFront(front);
  Retire(node);

  for (EdgeRef side : {ap, pb})
    if (!side.kind) Flip(side.index, 0);
  JoinPending();
  MergeFronts();
  // A scan of the same front again finds nothing to close when both scans
  // take the same form: nothing changes between them.
  const int last = static_cast<int>(m_fronts.size()) - 1;
  const bool indexed = CornersIndexed();
  if (front <= last) CloseCorners(front);
  if (last >= 0 && (last != front || indexed != CornersIndexed())) CloseCorners(last);
}

// --- fronts ---

int CTriangleMesh::FrontFirstVertex(int front) const {
  int left, right;
  NodeEnds(m_fronts[front], &left, &right);
  return left;
}

int CTriangleMesh::FrontLastVertex(int front) const {
  int left, right;
  NodeEnds(FrontTail(front), &left, &right);
  return right;
}

// Notes that nodes of front `front` were linked or retired (see
// ReadFrontEnds). A long list is dropped for a reading of every front.
void CTriangleMesh::TouchFront(int front) {
  if (m_frontsRenumbered) return;
  if (m_touchedFronts.size() > m_fronts.size() + 64) {
    m_touchedFronts.clear();
    m_frontsRenumbered = true;
    return;
  }
  m_touchedFronts.push_back(front);
}

// The last node of a front, walked to from the one found last time: nodes
// leave a front only by retiring, and a merge appends after the old tail.
CTriangleMesh::FrontNode* CTriangleMesh::FrontTail(int front) const {
  if (m_frontTails.size() < m_fronts.size()) m_frontTails.resize(m_fronts.size(), nullptr);
  FrontNode* node = m_frontTails[front];
  if (!node || node->dead) node = m_fronts[front];
  while (node->next) node = node->next;
  m_frontTails[front] = node;
  return node;
}

void CTriangleMesh::StartOrWait(int p) {
  bool started = false;
  for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
    const int c = FindEdge(*it, p);
    if (c < 0) continue;
    m_fronts.push_back(NewNode({1, c}));
    m_frontsRenumbered = true;
    m_pending.erase(it);
    started = true;
    break;
  }
  if (!started) m_pending.push_back(p);
  JoinPending();
  MergeFronts();
}

// The first and last vertex of every front, and the fronts listed by them.
// A front's first vertex is read off its first node and the one after, its
// last off its last node and the one before; node edges never change, so
// while those four nodes stay, so do its ends, and the lists stand.
// Only the fronts whose nodes were linked or retired since the last reading
// can have other end nodes; the rest are passed, unless the fronts were
// renumbered.
void CTriangleMesh::ReadFrontEnds() {
  const size_t n = m_fronts.size();
  bool changed = n != m_frontFirst.size();
  m_frontFirst.resize(n);
  m_frontLast.resize(n);
  m_frontEndNodes.resize(n);
  const auto read = [&](size_t f) {
    const FrontNode* head = m_fronts[f];
    const FrontNode* tail = FrontTail(static_cast<int>(f));
    const std::array<const FrontNode*, 4> nodes = {head, head->next, tail, tail->prev};
    if (nodes == m_frontEndNodes[f]) return;
    m_frontEndNodes[f] = nodes;
    const int first = FrontFirstVertex(static_cast<int>(f)), last = FrontLastVertex(static_cast<int>(f));
    changed = changed || first != m_frontFirst[f] || last != m_frontLast[f];
    m_frontFirst[f] = first;
    m_frontLast[f] = last;
  };
  if (changed || m_frontsRenumbered) {
    for (size_t f = 0; f < n; ++f) read(f);
  } else {
    for (int f : m_touchedFronts)
      if (static_cast<size_t>(f) < n) read(static_cast<size_t>(f));
  }
  m_touchedFronts.clear();
  m_frontsRenumbered = false;
  if (!changed) return;
  ++m_frontEndsRead;
  m_frontsByEnd[0].clear();
  m_frontsByEnd[1].clear();
  for (size_t f = 0; f < n; ++f) {
    m_frontsByEnd[0].emplace_back(m_frontFirst[f], static_cast<int>(f));
    m_frontsByEnd[1].emplace_back(m_frontLast[f], static_cast<int>(f));
  }
  std::sort(m_frontsByEnd[0].begin(), m_frontsByEnd[0].end());
  std::sort(m_frontsByEnd[1].begin(), m_frontsByEnd[1].end());
}

// Calls visit(other end, front) for each front whose first (end 0) or last
// (end 1) vertex a constraint edge of v reaches.
template <class Visit>
void CTriangleMesh::ForFrontsReached(int v, int end, Visit visit) const {
  const std::vector<std::pair<int, int>>& list = m_frontsByEnd[end];
  for (int k = m_edgeStart[v]; k < m_edgeStart[v + 1]; ++k) {
    const ConstraintEdge& c = m_constraints[m_edgeList[k]];
    const int w = c.first == v ? c.second : c.first;
    for (auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(w, -1)); it != list.end() && it->first == w;
         ++it)
      visit(w, it->second);
  }
}

// The first pending vertex, in order, that a constraint edge joins to the
// first or last vertex of a front joins the first such front.
// Which vertex joins which front follows from the waiting vertices and the
// fronts' ends alone: when both are as they were at a search that found
// none, none joins.
void CTriangleMesh::JoinPending() {
  for (bool attached = true; attached && !m_pending.empty();) {
    attached = false;
    ReadFrontEnds();
    if (m_frontEndsRead == m_unjoinedAt && m_pending == m_unjoined) return;
    const int fronts = static_cast<int>(m_fronts.size());
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
      const int q = *it;
      int f = fronts;
      for (int end : {0, 1}) ForFrontsReached(q, end, [&](int, int g) { f = std::min(f, g); });
      if (f == fronts) continue;
      int c = FindEdge(q, m_frontFirst[f]);
      if (c >= 0) {
        FrontNode* node = NewNode({1, c});
        node->next = m_fronts[f];
        m_fronts[f]->prev = node;
        m_fronts[f] = node;
      } else {
        c = FindEdge(m_frontLast[f], q);
        FrontNode* tail = FrontTail(f);
        FrontNode* node = NewNode({1, c});
        node->prev = tail;
        tail->next = node;
      }
      TouchFront(f);
      m_pending.erase(it);
      attached = true;
      break;
    }
    if (!attached) m_unjoinedAt = m_frontEndsRead, m_unjoined = m_pending;
  }
}

// Two fronts that a constraint edge joins, last vertex of one to first of
// the other, become one: the first such pair (i, j), i < j, in order. The
// pair follows from the fronts' ends alone, so ends that joined no pair
// when last read join none now.
void CTriangleMesh::MergeFronts() {
  for (bool merged = true; merged && m_fronts.size() > 1;) {
    merged = false;
    ReadFrontEnds();
    if (m_frontEndsRead == m_unmergedAt) break;
    const size_t none = m_fronts.size();
    size_t i = none, j = none;
    for (size_t k = 0; k < m_fronts.size(); ++k)
      ForFrontsReached(m_frontLast[k], 0, [&](int, int m) {
        const size_t low = std::min<size_t>(k, static_cast<size_t>(m)), high = std::max<size_t>(k, static_cast<size_t>(m));
        if (low != high && std::make_pair(low, high) < std::make_pair(i, j)) i = low, j = high;
      });
    if (i == none) {
      m_unmergedAt = m_frontEndsRead;
      break;
    }
    int c = FindEdge(m_frontLast[j], m_frontFirst[i]);
    size_t head = j, tailFront = i;
    if (c < 0) {
      c = FindEdge(m_frontLast[i], m_frontFirst[j]);
      head = i;
      tailFront = j;
    }
    FrontNode* tail = FrontTail(static_cast<int>(head));
    FrontNode* node = NewNode({1, c});
    node->prev = tail;
    tail->next = node;
    node->next = m_fronts[tailFront];
    m_fronts[tailFront]->prev = node;
    m_fronts[i] = m_fronts[head];
    m_fronts.erase(m_fronts.begin() + static_cast<long>(j));
    m_frontsRenumbered = true;
    if (m_frontTails.size() > j) m_frontTails.erase(m_frontTails.begin() + static_cast<long>(j));
    merged = true;
  }
}

bool CTriangleMesh::CornersIndexed() const { return !m_linearScans && m_cornerIndex && m_fronts.size() == 1; }

void CTriangleMesh::CloseCorners(int front) {
  if (CornersIndexed()) {
    CloseCornersIndexed(front);
    return;
  }
  // Where the next scan starts: after a close that took no edge out (and with
  // the scan records in use), every corner before the new node's
  // predecessor is one this scan found shut or passed as shut, with the same
  // neighbours, so the next scan would pass it again.
  FrontNode* resume = nullptr;
  for (bool closed = true; closed;) {
    closed = false;
    // Each node's ends serve twice: as the next node of one corner and the
    // first of the following one.
    int nextLeft = -1, nextRight = -1;
    for (FrontNode* node = resume ? resume : m_fronts[front]; node && node->next; node = node->next) {
      if (ScannedShut(node)) {
        nextLeft = -1;
        continue;
      }
      int a, b, b2, c;
      if (nextLeft >= 0)
        a = nextLeft, b = nextRight;
      else
        NodeEnds(node, &a, &b);
      NodeEnds(node->next, &b2, &c);
      nextLeft = b2, nextRight = c;
      const Corner state = CornerState(node, a, b, b2, c);
      if (state != Corner::Closable) {
        node->scannedPrev = node->prev, node->scannedNext = node->next;
        node->scannedBlocked = state == Corner::Blocked;
        node->scannedRemovals = m_edgeRemovals;
        continue;
      }
      const uint32_t removals = m_edgeRemovals;
      FrontNode* const before = node->prev;
      CloseCorner(front, node, a, c);
      resume = m_gridLive && m_cornerIndex && m_edgeRemovals == removals ? before : nullptr;
      closed = true;
      break;
    }
  }
}

// A corner that a scan found shut is still shut while its three nodes are
// the same (their edges keep their ends while no front edge has flipped, so
// its ends are the same), unless it was hidden and an edge was taken out
// since: entered edges only hide more. The removal count is kept while the
// index is live.
__attribute__((always_inline)) inline bool CTriangleMesh::ScannedShut(const FrontNode* node) const {
  if (!m_gridLive || !m_cornerIndex || node->scannedNext != node->next || node->scannedPrev != node->prev) return false;
  return !node->scannedBlocked || node->scannedRemovals == m_edgeRemovals;
}

CTriangleMesh::Corner CTriangleMesh::CornerState(FrontNode* node, int a, int b, int b2, int c) const {
  if (b != b2 || a == c) return Corner::Open;
  if (Cross(m_positions[a], m_positions[b], m_positions[c]) > -kCornerTolerance) return Corner::Open;
  if (FindEdge(a, c) < 0 && CornerBlocked(node, a, b, c)) return Corner::Blocked;
  return Corner::Closable;
}

// Blocked() for the sight line a-c of a node's corner, from the node's last
// answer where that is certain. Edges are only ever entered (moved edges are
// entered again) or taken out, and positions never change, so:
// - a line found clear is blocked now exactly when an edge entered since
//   blocks it, each tested as Blocked() tests it;
// - a line found blocked stays blocked while nothing was taken out, or
//   while the edge found blocking it was not: it keeps its ends meanwhile.
// Otherwise (or after many entries) the full query answers.
bool CTriangleMesh::CornerBlocked(FrontNode* node, int a, int b, int c) const {
  constexpr uint32_t kMostEntriesTested = 32;
  const CVector2 &pa = m_positions[a], &pc = m_positions[c];
  const float lowest = std::min({pa.y, m_positions[b].y, pc.y});
  const uint32_t logged = static_cast<uint32_t>(m_edgeLog.size());
  if (m_gridLive && node->sightA == a && node->sightC == c) {
    if (node->sightBlocked &&
        (node->sightRemovals == m_edgeRemovals || EnteredSince(node->sightEdge, node->sightRemovals)))
      return true;
    if (!node->sightBlocked && logged - node->sightLogged <= kMostEntriesTested) {
      const SightLine line(pa, pc, lowest);
      for (uint32_t i = node->sightLogged; i < logged; ++i)
        if (BlocksSight(m_edgeLog[i], line)) {
          node->cornerBlocker = node->sightEdge = m_edgeLog[i];
          node->sightBlocked = true;
          break;
        }
      node->sightLogged = logged;
      node->sightRemovals = m_edgeRemovals;
      return node->sightBlocked;
    }
  }
  const int hanging = m_gridLive ? HangingBlocker(b, SightLine(pa, pc, lowest)) : -1;
  if (hanging >= 0) node->cornerBlocker = hanging;
  node->sightBlocked = hanging >= 0 || Blocked(pa, pc, lowest, &node->cornerBlocker);
  // The index's answer names its blocker; the scans' does not.
  node->sightEdge = node->sightBlocked && (hanging >= 0 || IndexAnswers(pa, pc)) ? node->cornerBlocker : -1;
  node->sightA = a, node->sightC = c;
  node->sightLogged = logged;
  node->sightRemovals = m_edgeRemovals;
  return node->sightBlocked;
}

// The index id of an active constraint edge at vertex b that blocks the
// line as Blocked() tests it, or -1. A concave front corner at b that is
// hidden is nearly always hidden by a constraint hanging from b into it,
// which this finds without a walk of the index.
int CTriangleMesh::HangingBlocker(int b, const SightLine& line) const {
  if (b < 0 || b >= m_vertexCount || m_edgeStart.empty()) return -1;
  for (int k = m_edgeStart[b]; k < m_edgeStart[b + 1]; ++k)
    if (BlocksSight(2 * m_edgeList[k], line)) return 2 * m_edgeList[k];
  return -1;
}

// Whether Blocked() asks the index for the line p-q, and so leaves its
// blocker in the hint.
inline bool CTriangleMesh::IndexAnswers(const CVector2& p, const CVector2& q) const {
  return m_gridLive && (m_allFinite || (CSegmentGrid::Finite(p) && CSegmentGrid::Finite(q)));
}

// Edge `id` is in the index now and has not been taken out since the
// removal count was `removals`. Constraint edges are never taken out.
inline bool CTriangleMesh::EnteredSince(int id, uint32_t removals) const {
  if (id < 0) return false;
  if (!(id & 1)) return true;
  const size_t e = static_cast<size_t>(id >> 1);
  return e >= m_removedAt.size() || m_removedAt[e] <= removals;
}

void CTriangleMesh::CloseCorner(int front, FrontNode* node, int a, int c) {
  FrontNode* next = node->next;
  Triangle* t = NewTriangle(node->edge, next->edge, {0, 0});
  const EdgeRef ac = JoinEdge(a, c, t);
  t->sides[2] = ac;
  LinkRight(ac, t);
  LinkRight(node->edge, t);
  LinkRight(next->edge, t);
  FrontNode* merged = NewNode(ac);
  merged->cornerBlocker = next->cornerBlocker;
  merged->prev = node->prev;
  merged->next = next->next;
  if (node->prev) node->prev->next = merged;
  if (next->next) next->next->prev = merged;
  if (m_fronts[front] == node) m_fronts[front] = merged;
  TouchFront(front);
  Retire(node);
  Retire(next);
  for (EdgeRef side : t->sides)
    if (!side.kind) Flip(side.index, 0);
}

// The scan above closes the first closable corner of the front and starts
// again until none closes. After a scan that closed nothing, a corner can
// only become closable if a node of it (or the node before, which decides
// how its first node's ends run) is new, or if it was concave but hidden and
// an edge has moved since. Those corners alone are examined; the first
// closable one in front order is found by walking between the candidates.
void CTriangleMesh::CloseCornersIndexed(int front) {
  for (;;) {
    FrontNode* first = nullptr;
    ++m_cornerStamp;
    auto consider = [&](FrontNode* node) {
      if (!node || node->dead || !node->next || node->stamp == m_cornerStamp) return;
      node->stamp = m_cornerStamp;
      if (ExaminedShut(node)) return;
      int a, b, b2, c;
      NodeEnds(node, &a, &b);
      NodeEnds(node->next, &b2, &c);
      const Corner state = CornerState(node, a, b, b2, c);
      if (state == Corner::Blocked && !node->hiddenCorner) m_hiddenCorners.push_back(node);
      node->hiddenCorner = state == Corner::Blocked;
      const bool shut = state != Corner::Closable;
      node->examinedPrev = shut ? node->prev : node, node->examinedNext = shut ? node->next : node;
      if (state == Corner::Closable) first = first ? Earlier(first, node) : node;
    };
    for (FrontNode* node : m_freshNodes) {
      if (node->dead) continue;
      consider(node->prev);
      consider(node);
      consider(node->next);
    }
    // A hidden corner not reached from a fresh node has the neighbours, and
    // so the ends, it was last examined with; while the edge found hiding
    // it is still entered, CornerBlocked would answer from that, and the
    // corner stays as it is.
    if (m_flips != m_flipsAtClean)
      for (size_t i = 0, n = m_hiddenCorners.size(); i < n; ++i) {
        FrontNode* const node = m_hiddenCorners[i];
        if (!node->hiddenCorner || node->dead || node->stamp == m_cornerStamp) continue;
        if (node->sightBlocked &&
            (node->sightRemovals == m_edgeRemovals || EnteredSince(node->sightEdge, node->sightRemovals)))
          continue;
        consider(node);
      }
    if (!first) {
      m_freshNodes.clear();
      // Entries left behind cost the scan above a test each and change
      // nothing (a corner hidden again is entered again; the stamps keep
      // one examination per pass): cleared out once they could be half.
      if (m_hiddenCorners.size() > 2 * m_hiddenCornersKept + 16) {
        std::erase_if(m_hiddenCorners, [](const FrontNode* node) { return node->dead || !node->hiddenCorner; });
        m_hiddenCornersKept = m_hiddenCorners.size();
      }
      m_flipsAtClean = m_flips;
      return;
    }
    int a, b, c;
    NodeEnds(first, &a, &b);
    NodeEnds(first->next, &b, &c);
    CloseCorner(front, first, a, c);
  }
}

// The corner index found this corner open or hidden with the neighbours it
// has now. A neighbour once replaced never comes back, and the index runs
// only while nodes keep the ends they were made with, so the corner has the
// ends it had then, and every CornerBlocked since asked of the same line:
// open stays open, and hidden stays hidden while CornerBlocked would answer
// from its record (the edge found hiding it still entered). Examining it
// again would change nothing.
__attribute__((always_inline)) inline bool CTriangleMesh::ExaminedShut(const FrontNode* node) const {
  if (node->examinedPrev != node->prev || node->examinedNext != node->next || !m_gridLive) return false;
  return !node->hiddenCorner || (node->sightBlocked && (node->sightRemovals == m_edgeRemovals ||
                                                        EnteredSince(node->sightEdge, node->sightRemovals)));
}

// Whichever of two nodes of one front comes first: walk on from both.
CTriangleMesh::FrontNode* CTriangleMesh::Earlier(FrontNode* x, FrontNode* y) {
  for (FrontNode *fromX = x, *fromY = y; fromX || fromY;) {
    if (fromX == y) return x;
    if (fromY == x) return y;
    if (fromX) fromX = fromX->next;
    if (fromY) fromY = fromY->next;
  }
  return x;
}

void CTriangleMesh::Retire(FrontNode* node) {
  node->dead = true;
  if (!node->edge.kind && node->edge.index < static_cast<int>(m_frontUses.size())) --m_frontUses[node->edge.index];
}

// --- cover check ---

namespace {

// Twice the signed area of (a, b, c); positive when c lies left of a -> b.
double Orient(const CVector2& a, const CVector2& b, const CVector2& c) {
  return (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
         (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
}

bool Before(const CVector2& a, const CVector2& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

double Length(const CVector2& a, const CVector2& b) {
  return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}

// The convex hull of distinct points given in Before order, counter-clockwise,
// collinear points left out.
std::vector<int> ConvexHull(const std::vector<CVector2>& positions, const std::vector<int>& points) {
  std::vector<int> hull(2 * points.size() + 1);
  size_t k = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    while (k >= 2 && Orient(positions[hull[k - 2]], positions[hull[k - 1]], positions[points[i]]) <= 0) --k;
    hull[k++] = points[i];
  }
  for (size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
    while (k >= lower && Orient(positions[hull[k - 2]], positions[hull[k - 1]], positions[points[i - 1]]) <= 0) --k;
    hull[k++] = points[i - 1];
  }
  hull.resize(k > 0 ? k - 1 : 0);
  return hull;
}

// Both ends of an edge in one number.
uint64_t EdgeCode(const std::pair<int, int>& e) {
  return static_cast<uint64_t>(static_cast<uint32_t>(e.first)) << 32 | static_cast<uint32_t>(e.second);
}

// The one or two triangles on each edge, by the edge's ends (the smaller
// first), in an open-addressed table: the flips' lookups.
class EdgeOwnerTable {
public:
  using Edge = std::pair<int, int>;
  using Owners = std::array<int, 2>;

  explicit EdgeOwnerTable(size_t edges) { Grow(2 * edges + 16); }

  size_t Size() const { return m_size; }

  // Starts loading e's home slot: the table is far larger than the caches,
  // and the flips look up edges one after another.
  void Prefetch(const Edge& e) const {
    const size_t i = Home(Code(e));
    __builtin_prefetch(&m_codes[i]);
    __builtin_prefetch(&m_owners[i]);
  }

  Owners* Find(const Edge& e) {
    const uint64_t code = Code(e);
    for (size_t i = Home(code);; i = (i + 1) & m_mask) {
      if (m_codes[i] == code) return &m_owners[i];
      if (m_codes[i] == kEmpty) return nullptr;
    }
  }

  // The owners of e, made `owners` when e is new (true).
  std::pair<Owners*, bool> Insert(const Edge& e, const Owners& owners) {
    if (2 * (m_size + 1) > m_codes.size()) Grow(2 * m_codes.size());
    const uint64_t code = Code(e);
    size_t i = Home(code);
    for (; m_codes[i] != kEmpty; i = (i + 1) & m_mask)
      if (m_codes[i] == code) return {&m_owners[i], false};
    m_codes[i] = code;
    m_owners[i] = owners;
    ++m_size;
    return {&m_owners[i], true};
  }

  void Erase(const Edge& e) {
    const uint64_t code = Code(e);
    size_t i = Home(code);
    while (m_codes[i] != code) {
      if (m_codes[i] == kEmpty) return;
      i = (i + 1) & m_mask;
    }
    // Later entries of the run move back into the gap unless that would put
    // them before their home slot.
    for (size_t j = (i + 1) & m_mask; m_codes[j] != kEmpty; j = (j + 1) & m_mask)
      if (((j - Home(m_codes[j])) & m_mask) >= ((j - i) & m_mask)) {
        m_codes[i] = m_codes[j];
        m_owners[i] = m_owners[j];
        i = j;
      }
    m_codes[i] = kEmpty;
    --m_size;
  }

private:
  static constexpr uint64_t kEmpty = ~0ull;  // vertex numbers are never negative
  static uint64_t Code(const Edge& e) { return EdgeCode(e); }
  size_t Home(uint64_t code) const { return static_cast<size_t>((code * 0x9E3779B97F4A7C15ull) >> m_shift) & m_mask; }

  void Grow(size_t wanted) {
    size_t slots = 16;
    int bits = 4;
    while (slots < wanted) slots *= 2, ++bits;
    std::vector<uint64_t> codes(slots, kEmpty);
    std::vector<Owners> owners(slots);
    codes.swap(m_codes);
    owners.swap(m_owners);
    m_mask = slots - 1;
    m_shift = 64 - bits;
    m_size = 0;
    for (size_t k = 0; k < codes.size(); ++k)
      if (codes[k] != kEmpty) {
        size_t i = Home(codes[k]);
        while (m_codes[i] != kEmpty) i = (i + 1) & m_mask;
        m_codes[i] = codes[k];
        m_owners[i] = owners[k];
        ++m_size;
      }
  }

  std::vector<uint64_t> m_codes;
  std::vector<Owners> m_owners;
  size_t m_mask = 0, m_size = 0;
  int m_shift = 60;
};

// Single objects of up to kSlot bytes from blocks kept until the pool goes,
// reused once given back; larger requests go to the heap. The repair's
// edge-order map makes and drops one node per edge, hundreds of thousands.
class NodePool {
public:
  static constexpr size_t kSlot = 32;

  void* Take() {
    if (m_free) {
      Slot* slot = m_free;
      m_free = slot->next;
      return slot;
    }
    if (m_blocks.empty() || m_used == kBlockSlots) {
      m_blocks.emplace_back(new Slot[kBlockSlots]);  // left uninitialised
      m_used = 0;
    }
    return &m_blocks.back()[m_used++];
  }
  void Give(void* p) {
    Slot* slot = static_cast<Slot*>(p);
    slot->next = m_free;
    m_free = slot;
  }

private:
  static constexpr size_t kBlockSlots = 4096;
  union Slot {
    Slot* next;
    alignas(16) unsigned char bytes[kSlot];
  };
  std::vector<std::unique_ptr<Slot[]>> m_blocks;
  size_t m_used = 0;
  Slot* m_free = nullptr;
};

// A stack of plain values whose pushes stay inline in the flips' loop
// (std::vector's go out of line there), growing by doubling.
template <class T>
class GrowingBuffer {
public:
  bool empty() const { return m_size == 0; }
  const T& back() const { return m_data[m_size - 1]; }
  void pop_back() { --m_size; }
  void push_back(const T& value) { *Extend(1) = value; }
  // Room for n more values, left for the caller to fill.
  T* Extend(size_t n) {
    if (m_capacity - m_size < n) [[unlikely]] Grow(n);
    T* at = m_data.get() + m_size;
    m_size += n;
    return at;
  }
  void reserve(size_t n) {
    if (n > m_capacity) Grow(n - m_size);
  }
  const T* begin() const { return m_data.get(); }
  const T* end() const { return m_data.get() + m_size; }
  void clear() { m_size = 0; }
  // For a loop that keeps its own top: the values, the room for them, and
  // how many the loop left.
  T* data() { return m_data.get(); }
  size_t size() const { return m_size; }
  size_t capacity() const { return m_capacity; }
  void resize(size_t n) {
    if (n > m_capacity) Grow(n - m_size);
    m_size = n;
  }

private:
  [[gnu::noinline]] void Grow(size_t n) {
    m_capacity = std::max(2 * m_capacity, m_size + n) + 64;
    std::unique_ptr<T[]> data(new T[m_capacity]);
    std::copy(begin(), end(), data.get());
    m_data.swap(data);
  }
  std::unique_ptr<T[]> m_data;
  size_t m_size = 0, m_capacity = 0;
};

// A log of plain values appended in blocks that stay where they are made:
// growing it copies nothing and touches only the memory it fills (the
// repair's log of table changes runs to millions of entries, most of them
// never read). Cleared, it keeps its blocks for the entries after.
template <class T>
class BlockLog {
public:
  void push_back(const T& value) {
    if (m_at == m_end) [[unlikely]] NextBlock();
    *m_at++ = value;
  }
  // Every entry in the order logged.
  template <class Visit>
  void ForEach(Visit visit) const {
    for (size_t b = 0; b < m_inUse; ++b) {
      const T* const start = m_blocks[b].get();
      const T* const end = b + 1 == m_inUse ? m_at : start + kBlock;
      for (const T* at = start; at != end; ++at) visit(*at);
    }
  }
  void clear() {
    m_inUse = 0;
    m_at = m_end = nullptr;
  }

private:
  static constexpr size_t kBlock = size_t{1} << 12;
  [[gnu::noinline]] void NextBlock() {
    if (m_inUse == m_blocks.size()) m_blocks.emplace_back(new T[kBlock]);  // left uninitialised
    m_at = m_blocks[m_inUse++].get();
    m_end = m_at + kBlock;
  }
  std::vector<std::unique_ptr<T[]>> m_blocks;
  size_t m_inUse = 0;  // blocks holding entries, all full but the last
  T* m_at = nullptr;
  T* m_end = nullptr;
};

template <class T>
struct PoolAllocator {
  using value_type = T;
  NodePool* pool;
  explicit PoolAllocator(NodePool* p) : pool(p) {}
  template <class U>
  PoolAllocator(const PoolAllocator<U>& other) : pool(other.pool) {}
  static constexpr bool Pooled(size_t n) { return n == 1 && sizeof(T) <= NodePool::kSlot && alignof(T) <= 16; }
  T* allocate(size_t n) {
    if (Pooled(n)) return static_cast<T*>(pool->Take());
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, size_t n) {
    if (Pooled(n)) pool->Give(p);
    else std::allocator<T>().deallocate(p, n);
  }
  template <class U>
  bool operator==(const PoolAllocator<U>& other) const { return pool == other.pool; }
};

std::atomic<bool> g_avxFlips{true};  // CTriangleMesh::AllowAvxFlips

// A triangulation of the convex hull of distinct points into which edges are
// then forced by flips: the mesh's repair when its sweep leaves holes.
class HullTriangulation {
public:
  // `plainFlips`: every flip unlinks and links its triangles in the edge
  // table, the form the direct and linked flips must agree with, and Build
  // tests every hull side for every point.
  HullTriangulation(const std::vector<CVector2>& positions, size_t edges, bool plainFlips)
      : m_positions(positions), m_edges(edges), m_plainFlips(plainFlips) {
    m_order.reserve(edges);
  }

  // False when the points are all on one line.
  bool Build(std::vector<int> points) {
    SortBefore(points);
    const size_t n = points.size();
    size_t k = 2;
    while (k < n && Orient(P(points[0]), P(points[1]), P(points[k])) == 0) ++k;
    if (k >= n) return false;
    // A fan from the first point off the line over the points before it.
    for (size_t i = 0; i + 1 < k; ++i) Add(points[i], points[i + 1], points[k]);
    std::vector<int> hull;
    if (Orient(P(points[0]), P(points[1]), P(points[k])) > 0) {
      hull.assign(points.begin(), points.begin() + static_cast<long>(k) + 1);
    } else {
      hull.push_back(points[0]);
      for (size_t i = k; i >= 1; --i) hull.push_back(points[i]);
    }
    // Each later point lies beyond the hull: it joins every hull side it
    // sees, the first run of them from side 0 on (side h joins hull[h] and
    // hull[h + 1]), and the hull becomes hull[s], p, then hull[s + c] on
    // round to hull[s - 1].
    if (m_plainFlips) {
      JoinEachPlainly(points, k + 1, std::move(hull));
      return true;
    }
    // A side's test depends on the positions alone, so the tests are made
    // as the search reaches them: the new point mostly sees the sides next
    // to the last one, at the start of the hull.
    Ring ring(hull);
    for (size_t i = k + 1; i < n; ++i) {
      const int p = points[i];
      const size_t m = ring.Size();
      const auto sees = [&](size_t h) { return Orient(P(ring[h]), P(ring[h + 1 < m ? h + 1 : 0]), P(p)) < 0; };
      size_t s = 0;
      for (bool before = sees(m - 1); s < m; ++s) {
        const bool now = sees(s);
        if (now && !before) break;
        before = now;
      }
      if (s == m) continue;  // sees no side, or (in a tangle) every one
      size_t c = 0;
      for (; c < m && sees((s + c) % m); ++c) Add(ring[(s + c + 1) % m], ring[(s + c) % m], p);
      ring.Replace(s, c, p);
    }
    return true;
  }

  // The points in Before order. Distinct finite points (the mesh's
  // representatives) are never equivalent under it, so every sort gives
  // the one order; as (x, y) bits made to order as the numbers do, they
  // sort by radix. Points that are not so (never met) take the comparison
  // sort, as does the plain form.
  void SortBefore(std::vector<int>& points) const {
    const auto before = [&](int a, int b) { return Before(P(a), P(b)); };
    bool finite = !m_plainFlips;
    for (size_t i = 0; i < points.size() && finite; ++i) finite = std::isfinite(P(points[i]).x) && std::isfinite(P(points[i]).y);
    if (!finite) {
      std::sort(points.begin(), points.end(), before);
      return;
    }
    struct Keyed {
      uint64_t key;
      int point;
    };
    std::vector<Keyed> keyed(points.size());
    for (size_t i = 0; i < points.size(); ++i)
      keyed[i] = {static_cast<uint64_t>(OrderedBits(P(points[i]).x)) << 32 | OrderedBits(P(points[i]).y), points[i]};
    RadixSortBy(keyed, 64, 0, [](const Keyed& k) { return k.key; });
    for (size_t i = 1; i < keyed.size(); ++i)
      if (keyed[i].key == keyed[i - 1].key) {
        std::sort(points.begin(), points.end(), before);
        return;
      }
    for (size_t i = 0; i < keyed.size(); ++i) points[i] = keyed[i].point;
  }

  // Build's joining of points[from] on, every side tested for each point and
  // the hull copied: the form the ring's must agree with.
  void JoinEachPlainly(const std::vector<int>& points, size_t from, std::vector<int> hull) {
    std::vector<char> sees;
    std::vector<int> next;
    for (size_t i = from; i < points.size(); ++i) {
      const int p = points[i];
      const size_t m = hull.size();
      sees.assign(m, 0);
      bool any = false;
      for (size_t h = 0; h < m; ++h) any |= sees[h] = Orient(P(hull[h]), P(hull[h + 1 < m ? h + 1 : 0]), P(p)) < 0;
      if (!any) continue;
      size_t s = 0;
      while (s < m && !(sees[s] && !sees[s > 0 ? s - 1 : m - 1])) ++s;
      if (s == m) continue;
      size_t c = 0;
      for (; c < m && sees[(s + c) % m]; ++c) Add(hull[(s + c + 1) % m], hull[(s + c) % m], p);
      next.assign({hull[s], p});
      for (size_t h = (s + c) % m; h != s; h = h + 1 < m ? h + 1 : 0) next.push_back(hull[h]);
      hull.swap(next);
    }
  }

  // Delaunay flips: segments forced in later then cross few edges. False when
  // the triangles are tangled: where a few points lie some 1e18 times farther
  // out than the others' spacing, the side test puts the same three points on
  // different sides by the point it measures from, Build makes flat and
  // clockwise triangles, and the walk round a vertex no longer closes.
  bool MakeDelaunay() {
    if (!m_plainFlips) return MakeDelaunayLinked();
    std::vector<Edge> stack;
    for (const auto& [key, unused] : Ordered())
      if ((*m_edges.Find(key))[1] >= 0) stack.push_back(key);
    for (long budget = 64 * static_cast<long>(m_edges.Size()) + 64; !stack.empty() && budget > 0; --budget) {
      const Edge e = stack.back();
      stack.pop_back();
      const EdgeOwnerTable::Owners* owners = m_edges.Find(e);
      if (!owners || (*owners)[1] < 0) continue;
      const std::array<int, 3>& t = m_triangles[(*owners)[0]];
      const int q = Opposite((*owners)[1], e.first, e.second);
      if (!(InCircle(P(t[0]), P(t[1]), P(t[2]), P(q)) > 0)) continue;
      const int p = Opposite((*owners)[0], e.first, e.second);
      if (!Convex(p, q, e.first, e.second)) continue;
      Flip(e.first, e.second);
      for (int x : {e.first, e.second})
        for (int y : {p, q}) stack.push_back(Key(x, y));
    }
    return true;
  }

  // Flips edges crossing a-b until a-b is an edge; false when it cannot be
  // made (a vertex lies on it, or it crosses a segment forced in before).
  bool Force(int a, int b) {
    if (m_linksLive) {
      if (LinkedEdge(a, b)) return Lock(a, b);
      TableFromLinks();
    }
    if (m_edges.Find(Key(a, b))) return Lock(a, b);
    std::deque<Edge> crossing;
    const float x0 = std::min(P(a).x, P(b).x), x1 = std::max(P(a).x, P(b).x);
    const float y0 = std::min(P(a).y, P(b).y), y1 = std::max(P(a).y, P(b).y);
    for (const auto& [key, unused] : Ordered()) {
      const int x = key.first, y = key.second;
      if (std::max(P(x).x, P(y).x) < x0 || std::min(P(x).x, P(y).x) > x1 || std::max(P(x).y, P(y).y) < y0 ||
          std::min(P(x).y, P(y).y) > y1)
        continue;
      if (x == a || x == b || y == a || y == b || !Crosses(a, b, x, y)) continue;
      if ((*m_edges.Find(key))[1] < 0 || m_locked.Find(key)) return false;
      crossing.push_back(key);
    }
    const long budget = 16 * static_cast<long>(crossing.size() * crossing.size()) + 64;
    for (long step = 0; step < budget && !crossing.empty(); ++step) {
      const Edge e = crossing.front();
      crossing.pop_front();
      const EdgeOwnerTable::Owners* owners = m_edges.Find(e);
      if (!owners || (*owners)[1] < 0) continue;
      const int p = Opposite((*owners)[0], e.first, e.second), q = Opposite((*owners)[1], e.first, e.second);
      // Only a convex quadrilateral can swap its diagonal.
      if (!Convex(p, q, e.first, e.second)) {
        crossing.push_back(e);
        continue;
      }
      Flip(e.first, e.second);
      if (p != a && p != b && q != a && q != b && Crosses(a, b, p, q)) crossing.push_back(Key(p, q));
    }
    return m_edges.Find(Key(a, b)) && Lock(a, b);
  }

  const std::vector<std::array<int, 3>>& Triangles() const { return m_triangles; }

private:
  // Build's hull, counter-clockwise, in a circular buffer: starting it
  // elsewhere or swapping a run for one point leaves the rest in place.
  class Ring {
  public:
    explicit Ring(const std::vector<int>& points) : m_size(points.size()) {
      size_t slots = 16;
      while (slots < 2 * points.size()) slots *= 2;
      m_slots.resize(slots);
      std::copy(points.begin(), points.end(), m_slots.begin());
    }
    size_t Size() const { return m_size; }
    int operator[](size_t h) const { return m_slots[(m_start + h) & (m_slots.size() - 1)]; }
    // Becomes hull[s], p, hull[s + c], ..., hull[s - 1] (hull[s] and p
    // alone when c covers the hull).
    void Replace(size_t s, size_t c, int p) {
      const size_t m = m_size;
      const int first = (*this)[s];
      if (c >= m) {
        m_slots[m_start] = first;
        m_slots[(m_start + 1) & (m_slots.size() - 1)] = p;
        m_size = 2;
        return;
      }
      while (m + s + 2 > m_slots.size()) Grow();
      const size_t mask = m_slots.size() - 1;
      // The kept run hull[s + c] .. hull[s - 1] is made to lie in a row
      // (hull[0] .. hull[s - 1] copied after hull[m - 1] when it runs over
      // the end); hull[s] and p go in the two slots before it.
      size_t tail = m_start + s;  // one past the run
      if (s + c <= m) {
        for (size_t h = 0; h < s; ++h) m_slots[(m_start + m + h) & mask] = m_slots[(m_start + h) & mask];
        tail = m_start + m + s;
      }
      const size_t kept = m - c;
      m_start = (tail - kept - 2) & mask;
      m_slots[m_start] = first;
      m_slots[(m_start + 1) & mask] = p;
      m_size = kept + 2;
    }

  private:
    void Grow() {
      std::vector<int> slots(2 * m_slots.size());
      for (size_t h = 0; h < m_size; ++h) slots[h] = (*this)[h];
      m_slots.swap(slots);
      m_start = 0;
    }
    std::vector<int> m_slots;  // a power of two long
    size_t m_start = 0, m_size;
  };

  using Edge = std::pair<int, int>;
  const CVector2& P(int v) const { return m_positions[v]; }
  static Edge Key(int a, int b) { return std::minmax(a, b); }

  // MakeDelaunay with the same flips in the same order, the edge table left
  // aside: each triangle holds, for each side, the side across and whether it
  // is listed first there, and a stacked edge remembers a triangle side that
  // was that edge. The log of the table's changes comes out as the table's
  // own flips leave it, and the table itself when a forced segment needs it:
  // most segments are edges already, found on the links.
  bool MakeDelaunayLinked() {
    const int n = static_cast<int>(m_triangles.size());
    m_linked.resize(n);
    m_around.assign(m_positions.size(), -1);
    for (int t = 0; t < n; ++t) {
      Linked& l = m_linked[t];
      l.v = {m_triangles[t][0], m_triangles[t][1], m_triangles[t][2], m_triangles[t][0]};
      for (int k = 0; k < 3; ++k) {
        const EdgeOwnerTable::Owners& owners = *m_edges.Find(Key(l.v[k], l.v[k + 1]));
        l.first[k] = owners[0] == t;
        l.across[k] = l.first[k] ? owners[1] : owners[0];  // the triangle until its side is known
        m_around[l.v[k]] = t;
      }
    }
    for (Linked& l : m_linked)
      for (int k = 0; k < 3; ++k)
        if (l.across[k] >= 0) l.across[k] = Corner(l.across[k], SideOf(m_linked[l.across[k]], l.v[k], l.v[k + 1]));
    // No room is set aside for the flips' pushes: the loop grows the stack
    // when it must, which the tests' drawings then reach.
    GrowingBuffer<Stacked> stack;
    for (const auto& [key, unused] : Ordered()) {
      const EdgeOwnerTable::Owners& owners = *m_edges.Find(key);
      if (owners[1] >= 0) stack.push_back(Stack(Corner(owners[0], SideOf(m_linked[owners[0]], key.first, key.second))));
    }
    const long budget = 64 * static_cast<long>(m_edges.Size()) + 64;
    if (!(UseAvx() ? FlipStackedAvx(stack, budget) : FlipStackedPlain(stack, budget))) return false;
    for (int t = 0; t < n; ++t) m_triangles[t] = {m_linked[t].v[0], m_linked[t].v[1], m_linked[t].v[2]};
    m_linksLive = true;
    return true;
  }

  // The edge table as the links leave it; the links are dropped.
  void TableFromLinks() {
    const size_t edges = m_edges.Size();
    m_edges = EdgeOwnerTable(edges);
    for (int t = 0; t < static_cast<int>(m_linked.size()); ++t) {
      const Linked& l = m_linked[t];
      for (int k = 0; k < 3; ++k)
        if (l.first[k]) m_edges.Insert(Key(l.v[k], l.v[k + 1]), {t, l.across[k] < 0 ? -1 : l.across[k] >> 2});
    }
    m_linked.clear();
    m_around.clear();
    m_linksLive = false;
  }

  // a-b is an edge of the linked triangles.
  bool LinkedEdge(int a, int b) const {
    const int x = std::min(a, b);
    return m_around[x] >= 0 && FindCorner({{a, b}, Corner(m_around[x], 0)}) >= 0;
  }

  // MakeDelaunayLinked's triangle: its corners (the first again after the
  // last), and per side k (v[k] to v[k + 1]) the side across as
  // Corner(triangle, side), -1 on the hull, and whether this triangle is
  // listed first on it.
  struct alignas(32) Linked {
    std::array<int, 4> v;
    std::array<int, 3> across;
    std::array<bool, 3> first;
  };
  struct Stacked {
    std::array<int, 2> ends;  // the edge's ends as that side ran then
    int corner;               // a triangle side that was the edge when stacked
  };
  static constexpr int kOpposite[3] = {2, 0, 1};  // the corner facing each side
  static int Next(int k) { return kNext[k]; }
  static constexpr int kNext[3] = {1, 2, 0};
  std::array<int, 2> Ends(int corner) const {
    const Linked& l = m_linked[corner >> 2];
    return {l.v[corner & 3], l.v[(corner & 3) + 1]};
  }
  Stacked Stack(int corner) const { return {Ends(corner), corner}; }
  static int Corner(int t, int k) { return 4 * t + k; }
  static bool Joins(const Linked& l, int k, int u, int w) {
    const int a = l.v[k], b = l.v[k + 1];
    return (a == u && b == w) || (a == w && b == u);
  }
  static int SideOf(const Linked& l, int u, int w) {
    for (int k = 0; k < 3; ++k)
      if (Joins(l, k, u, w)) return k;
    return -1;
  }

  // The side that is the stacked edge now, looked for in the triangle where
  // it was stacked and then round its first end; -1 when it is no longer an
  // edge, kTangled when the walk round the end does not close.
  static constexpr int kTangled = -2;
  int FindCorner(const Stacked& top) const {
    const int held = top.corner >> 2, x = std::min(top.ends[0], top.ends[1]), y = std::max(top.ends[0], top.ends[1]);
    if (const int k = SideOf(m_linked[held], x, y); k >= 0) return Corner(held, k);
    const int start = m_around[x];
    if (start < 0) return -1;
    // Round the vertex one way, then (stopped by the hull) the other. Each
    // step depends on the triangle alone, so a way that takes more steps than
    // there are triangles has met one twice and would circle for ever.
    size_t steps = 0;
    for (int turn = 0; turn < 2; ++turn)
      for (int triangle = start;;) {
        if (++steps > 2 * m_linked.size()) return kTangled;
        const Linked& l = m_linked[triangle];
        if (const int k = SideOf(l, x, y); k >= 0) return Corner(triangle, k);
        const int at = l.v[0] == x ? 0 : l.v[1] == x ? 1 : 2;
        const int next = l.across[turn == 0 ? at : Next(Next(at))];
        if (next < 0) break;
        triangle = next >> 2;
        if (triangle == start) return -1;
      }
    return -1;
  }

  // The rest of a flip's test once the circle test has passed, kept out of
  // the loop that tests every stacked edge: the quadrilateral x, p, y, q
  // must be convex, and the sides of p-q that x and y lie on orient the new
  // triangles. True when flipped, the new sides put in `pushed`.
  [[gnu::always_inline]] bool FlipIfConvex(int ca, int cb, int q, int x, int y, Stacked pushed[4]) {
    const int p = m_linked[ca >> 2].v[kOpposite[ca & 3]];
    double xSide, ySide, pSide, qSide;
    OrientPair(P(p), P(q), P(x), P(y), &xSide, &ySide);
    if (!(xSide * ySide < 0)) return false;
    OrientPair(P(x), P(y), P(p), P(q), &pSide, &qSide);
    if (!(pSide * qSide < 0)) return false;
    FlipLinked(ca, cb, x, y, p, q, xSide > 0, ySide > 0, pushed);
    return true;
  }
  [[gnu::noinline]] bool FlipIfConvexPlain(int ca, int cb, int q, int x, int y, Stacked pushed[4]) {
    return FlipIfConvex(ca, cb, q, x, y, pushed);
  }

  // MakeDelaunayLinked's flips of the stacked edges, at most `budget` of
  // them tested; false when the triangles are found tangled. The stack's
  // top and the arrays' starts stay in registers: no store in the loop can
  // move them (the links never grow while flipping).
  template <bool kAvx>
  [[gnu::always_inline]] bool FlipStacked(GrowingBuffer<Stacked>& stack, long budget) {
    const CVector2* const positions = m_positions.data();
    const Linked* const linked = m_linked.data();
    Stacked* bottom = stack.data();
    Stacked* stacked = bottom + stack.size();  // one past the top
    Stacked* limit = bottom + stack.capacity();
    bool tangled = false;
    for (; stacked != bottom && budget > 0; --budget) {
      const Stacked top = *--stacked;
      int c = top.corner;
      const Linked& held = linked[c >> 2];
      if (std::array<int, 2>{held.v[c & 3], held.v[(c & 3) + 1]} != top.ends && (c = FindCorner(top)) < 0) {
        if (c == kTangled) {
          tangled = true;
          break;
        }
        continue;
      }
      const Linked& side = linked[c >> 2];
      const int across = side.across[c & 3];
      if (across < 0) continue;
      const int ca = side.first[c & 3] ? c : across, cb = ca == c ? across : c;
      const Linked& first = linked[ca >> 2];
      const int q = linked[cb >> 2].v[kOpposite[cb & 3]];
      if (!(InCircleWide(positions[first.v[0]], positions[first.v[1]], positions[first.v[2]], positions[q]) > 0))
        continue;
      if (limit - stacked < 4) [[unlikely]] {
        const size_t size = static_cast<size_t>(stacked - bottom);
        stack.resize(size);
        stack.reserve(size + 4);
        bottom = stack.data(), stacked = bottom + size, limit = bottom + stack.capacity();
      }
      const int x = std::min(top.ends[0], top.ends[1]), y = std::max(top.ends[0], top.ends[1]);
      if (kAvx ? FlipIfConvexAvx(ca, cb, q, x, y, stacked) : FlipIfConvexPlain(ca, cb, q, x, y, stacked)) stacked += 4;
    }
    stack.resize(static_cast<size_t>(stacked - bottom));
    return !tangled;
  }
  // The AVX copies of the loop and the flip make the same double operations
  // on the same operands in the same order as the plain ones: the target
  // brings three-operand encodings and fewer register copies, not fused
  // multiply-add (that is the separate fma target), so nothing is contracted
  // and every test rounds, and decides, as there.
#if defined(CALVETTA_AVX_FLIPS)
  static bool UseAvx() { return g_avxFlips.load(std::memory_order_relaxed) && __builtin_cpu_supports("avx"); }
  [[gnu::target("avx")]] bool FlipStackedAvx(GrowingBuffer<Stacked>& stack, long budget) {
    return FlipStacked<true>(stack, budget);
  }
  [[gnu::noinline, gnu::target("avx")]] bool FlipIfConvexAvx(int ca, int cb, int q, int x, int y,
                                                            Stacked pushed[4]) {
    return FlipIfConvex(ca, cb, q, x, y, pushed);
  }
#else
  static bool UseAvx() { return false; }
  bool FlipStackedAvx(GrowingBuffer<Stacked>& stack, long budget) { return FlipStackedPlain(stack, budget); }
  bool FlipIfConvexAvx(int ca, int cb, int q, int x, int y, Stacked pushed[4]) {
    return FlipIfConvexPlain(ca, cb, q, x, y, pushed);
  }
#endif
  bool FlipStackedPlain(GrowingBuffer<Stacked>& stack, long budget) { return FlipStacked<false>(stack, budget); }

  // FlipDirect on the links: the triangle of side ca (listed first on x-y)
  // becomes (p, q, x), that of cb (p, q, y), counter-clockwise as
  // `xLeft`/`yLeft` (x, y left of p -> q) say. `pushed` gets the new sides
  // x-p, x-q, y-p, y-q, the order in which they are stacked.
  [[gnu::always_inline]] void FlipLinked(int ca, int cb, int x, int y, int p, int q, bool xLeft, bool yLeft,
                                         Stacked pushed[4]) {
    const int a = ca >> 2, b = cb >> 2;
    Linked &A = m_linked[a], &B = m_linked[b];
    const int a1 = Next(ca & 3), a2 = Next(a1), b1 = Next(cb & 3), b2 = Next(b1);
    const bool ya = A.v[a1] == y, yb = B.v[b1] == y;
    const int xp = ya ? A.across[a2] : A.across[a1], yp = ya ? A.across[a1] : A.across[a2];
    const int xq = yb ? B.across[b2] : B.across[b1], yq = yb ? B.across[b1] : B.across[b2];
    if ((xp | yp | xq | yq) < 0) {
      Stacked sides[4];
      FlipLinkedAtHull(ca, cb, x, y, p, q, xLeft, yLeft, sides);
      pushed[0] = sides[0], pushed[1] = sides[2], pushed[2] = sides[1], pushed[3] = sides[3];
      return;
    }
    // Inside the hull every outer side keeps a triangle across: the table
    // loses x-y and gains p-q, and the steps below are those of the form
    // that follows, with its side numbers worked out.
    m_changes.push_back(Code({x, y}) | kErased);
    A.v = xLeft ? std::array<int, 4>{p, q, x, p} : std::array<int, 4>{p, x, q, p};
    B.v = yLeft ? std::array<int, 4>{p, q, y, p} : std::array<int, 4>{p, y, q, p};
    m_around[x] = a, m_around[p] = a, m_around[q] = a, m_around[y] = b;
    const int flippedA = xLeft ? 0 : 2, flippedB = yLeft ? 0 : 2;
    A.across[flippedA] = Corner(b, flippedB), A.first[flippedA] = true;
    B.across[flippedB] = Corner(a, flippedA), B.first[flippedB] = false;
    const auto link = [&](Linked& l, int t, int k, int across, Stacked& side) {
      side = {{l.v[k], l.v[k + 1]}, Corner(t, k)};
      l.across[k] = across;
      l.first[k] = false;
      Linked& other = m_linked[across >> 2];
      other.across[across & 3] = Corner(t, k);
      other.first[across & 3] = true;
    };
    link(A, a, 2 - flippedA, xp, pushed[0]);
    link(B, b, 2 - flippedB, yp, pushed[2]);
    link(A, a, 1, xq, pushed[1]);
    link(B, b, 1, yq, pushed[3]);
    m_changes.push_back(Code(Key(p, q)));
  }

  // FlipLinked where an outer side lies on the hull: such sides leave the
  // table with their old triangle and enter it with the new one. `sides`
  // gets the new sides x-p, y-p, x-q, y-q.
  [[gnu::noinline]] void FlipLinkedAtHull(int ca, int cb, int x, int y, int p, int q, bool xLeft, bool yLeft,
                                          Stacked sides[4]) {
    const int a = ca >> 2, b = cb >> 2;
    Linked &A = m_linked[a], &B = m_linked[b];
    // The side across each outer side, numbered as `sides`: in each old
    // triangle the side after the diagonal runs from one of its ends to p or q.
    int across[4];
    const int a1 = Next(ca & 3), a2 = Next(a1), b1 = Next(cb & 3), b2 = Next(b1);
    const int ya = A.v[a1] == y ? 1 : 0, yb = B.v[b1] == y ? 1 : 0;
    across[ya] = A.across[a1], across[1 - ya] = A.across[a2];
    across[2 + yb] = B.across[b1], across[3 - yb] = B.across[b2];
    const bool hull = (across[0] | across[1] | across[2] | across[3]) < 0;
    // The table's erasures, in each old triangle's side order: outer sides
    // with no triangle across, and the diagonal with the second triangle.
    if (hull) {
      for (int k = 0; k < 3; ++k)
        if (k != (ca & 3) && A.across[k] < 0) m_changes.push_back(Code(Key(A.v[k], A.v[k + 1])) | kErased);
      for (int k = 0; k < 3; ++k)
        if (k == (cb & 3) || B.across[k] < 0) m_changes.push_back(Code(Key(B.v[k], B.v[k + 1])) | kErased);
    } else {
      m_changes.push_back(Code({x, y}) | kErased);
    }
    A.v = {p, xLeft ? q : x, xLeft ? x : q, p};
    B.v = {p, yLeft ? q : y, yLeft ? y : q, p};
    m_around[x] = a, m_around[p] = a, m_around[q] = a, m_around[y] = b;
    // p-q is side 0 of a triangle that runs p, q and side 2 of one that runs
    // p, x or p, y, the side from or to p the other; side 1 joins x or y and q.
    const int flippedA = xLeft ? 0 : 2, flippedB = yLeft ? 0 : 2;
    A.across[flippedA] = Corner(b, flippedB), A.first[flippedA] = true;
    B.across[flippedB] = Corner(a, flippedA), B.first[flippedB] = false;
    for (int o = 0; o < 4; ++o) {
      const int t = o & 1 ? b : a, k = o < 2 ? 2 - (o & 1 ? flippedB : flippedA) : 1;
      Linked& l = o & 1 ? B : A;
      sides[o] = {{l.v[k], l.v[k + 1]}, Corner(t, k)};
      l.across[k] = across[o];
      // A side with a triangle across lists that one first; one without
      // enters the table afresh with its new triangle.
      l.first[k] = across[o] < 0;
      if (across[o] >= 0) {
        Linked& other = m_linked[across[o] >> 2];
        other.across[across[o] & 3] = Corner(t, k);
        other.first[across[o] & 3] = true;
      }
    }
    // The table's insertions, in each new triangle's side order: outer sides
    // with no triangle across, and the flipped diagonal with the first.
    if (hull) {
      for (int k = 0; k < 3; ++k)
        if (k == flippedA || A.across[k] < 0) m_changes.push_back(Code(Key(A.v[k], A.v[k + 1])));
      for (int k = 0; k < 3; ++k)
        if (k != flippedB && B.across[k] < 0) m_changes.push_back(Code(Key(B.v[k], B.v[k + 1])));
    } else {
      m_changes.push_back(Code(Key(p, q)));
    }
  }

  bool Lock(int a, int b) {
    m_locked.Insert(Key(a, b), {-1, -1});
    return true;
  }

  // The diagonal x-y of the quadrilateral x, p, y, q can become p-q.
  bool Convex(int p, int q, int x, int y) const {
    return Orient(P(p), P(q), P(x)) * Orient(P(p), P(q), P(y)) < 0 && Orient(P(x), P(y), P(p)) * Orient(P(x), P(y), P(q)) < 0;
  }

  // d lies inside the circle through the counter-clockwise a, b, c.
  static double InCircle(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
    const double ax = static_cast<double>(a.x) - d.x, ay = static_cast<double>(a.y) - d.y;
    const double bx = static_cast<double>(b.x) - d.x, by = static_cast<double>(b.y) - d.y;
    const double cx = static_cast<double>(c.x) - d.x, cy = static_cast<double>(c.y) - d.y;
    return (ax * ax + ay * ay) * (bx * cy - cx * by) - (bx * bx + by * by) * (ax * cy - cx * ay) +
           (cx * cx + cy * cy) * (ax * by - bx * ay);
  }

#if defined(__SSE2__)
  // A point as the pair (x, y) of doubles (widening a float is exact).
  static __m128d Wide(const CVector2& p) {
    return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&p))));
  }
#endif

  // InCircle's value, bit for bit, two lanes at a time: every lane performs
  // one of InCircle's double operations on the same operands, and IEEE
  // addition and multiplication give the same result whichever operand
  // comes first, so each term, and the sum, round exactly as there (no
  // fused multiply-add is used). The linked flips make millions of these
  // tests; the plain flips keep the scalar form, and the two must agree.
  static double InCircleWide(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
#if defined(__SSE2__)
    const __m128d wd = Wide(d);
    const __m128d A = _mm_sub_pd(Wide(a), wd), B = _mm_sub_pd(Wide(b), wd), C = _mm_sub_pd(Wide(c), wd);
    const __m128d xs = _mm_unpacklo_pd(A, B), ys = _mm_unpackhi_pd(A, B);  // (ax, bx), (ay, by)
    // (ax * ax + ay * ay, bx * bx + by * by) and cx * cx + cy * cy.
    const __m128d lengths = _mm_add_pd(_mm_mul_pd(xs, xs), _mm_mul_pd(ys, ys));
    const __m128d cc = _mm_mul_pd(C, C);
    const __m128d lc = _mm_add_sd(cc, _mm_unpackhi_pd(cc, cc));
    // (bx * cy - cx * by, ax * cy - cx * ay).
    const __m128d ysSwapped = _mm_shuffle_pd(ys, ys, 1);  // (by, ay)
    const __m128d dets = _mm_sub_pd(_mm_mul_pd(_mm_shuffle_pd(xs, xs, 1), _mm_unpackhi_pd(C, C)),
                                    _mm_mul_pd(_mm_unpacklo_pd(C, C), ysSwapped));
    // ax * by - bx * ay.
    const __m128d cross = _mm_mul_pd(xs, ysSwapped);
    const __m128d d3 = _mm_sub_sd(cross, _mm_unpackhi_pd(cross, cross));
    const __m128d terms = _mm_mul_pd(lengths, dets);
    const __m128d first = _mm_sub_sd(terms, _mm_unpackhi_pd(terms, terms));
    return _mm_cvtsd_f64(_mm_add_sd(first, _mm_mul_sd(lc, d3)));
#else
    return InCircle(a, b, c, d);
#endif
  }

  // Orient(a, b, c) and Orient(a, b, d), bit for bit (each lane makes
  // Orient's operations on its operands, in its order).
  static void OrientPair(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d, double* cSide,
                         double* dSide) {
#if defined(__SSE2__)
    const __m128d wa = Wide(a);
    const __m128d u = _mm_sub_pd(Wide(b), wa);
    const __m128d vc = _mm_sub_pd(Wide(c), wa), vd = _mm_sub_pd(Wide(d), wa);
    const __m128d sides = _mm_sub_pd(_mm_mul_pd(_mm_unpacklo_pd(u, u), _mm_unpackhi_pd(vc, vd)),
                                     _mm_mul_pd(_mm_unpackhi_pd(u, u), _mm_unpacklo_pd(vc, vd)));
    *cSide = _mm_cvtsd_f64(sides);
    *dSide = _mm_cvtsd_f64(_mm_unpackhi_pd(sides, sides));
#else
    *cSide = Orient(a, b, c);
    *dSide = Orient(a, b, d);
#endif
  }

  bool Crosses(int a, int b, int x, int y) const {
    return Orient(P(a), P(b), P(x)) * Orient(P(a), P(b), P(y)) < 0 && Orient(P(x), P(y), P(a)) * Orient(P(x), P(y), P(b)) < 0;
  }

  int Opposite(int t, int x, int y) const {
    for (int v : m_triangles[t])
      if (v != x && v != y) return v;
    return -1;
  }

  void Link(int t, bool on) {
    const std::array<int, 3>& v = m_triangles[t];
    for (int k = 0; k < 3; ++k) {
      const Edge key = Key(v[k], v[(k + 1) % 3]);
      if (on) {
        auto [owners, fresh] = m_edges.Insert(key, {t, -1});
        if (!fresh) (*owners)[1] = t;
        else m_changes.push_back(Code(key));
      } else {
        EdgeOwnerTable::Owners* owners = m_edges.Find(key);
        if (!owners) continue;
        if ((*owners)[0] == t) (*owners)[0] = (*owners)[1];
        else if ((*owners)[1] != t) continue;
        (*owners)[1] = -1;
        if ((*owners)[0] < 0) {
          m_edges.Erase(key);
          m_changes.push_back(Code(key) | kErased);
        }
      }
    }
  }

  void Set(int t, int a, int b, int c) {
    m_triangles[t] = Orient(P(a), P(b), P(c)) > 0 ? std::array<int, 3>{a, b, c} : std::array<int, 3>{a, c, b};
  }

  void Add(int a, int b, int c) {
    m_triangles.emplace_back();
    Set(static_cast<int>(m_triangles.size()) - 1, a, b, c);
    Link(static_cast<int>(m_triangles.size()) - 1, true);
  }

  // Swaps the diagonal x-y of its two triangles for p-q: the triangles are
  // unlinked and linked again. The direct form below makes the same owners
  // and logs the same insertions and erasures in the same order, looking
  // each side up once.
  void Flip(int x, int y) {
    if (!m_plainFlips && FlipDirect(x, y)) return;
    const EdgeOwnerTable::Owners owners = *m_edges.Find(Key(x, y));
    const int p = Opposite(owners[0], x, y), q = Opposite(owners[1], x, y);
    for (int t : owners) Link(t, false);
    Set(owners[0], p, q, x);
    Set(owners[1], p, q, y);
    for (int t : owners) Link(t, true);
  }

  // False, changing nothing, when the two triangles are not as a flip
  // expects them (then the plain form decides).
  bool FlipDirect(int x, int y) {
    const EdgeOwnerTable::Owners owners = *m_edges.Find(Key(x, y));
    const int a = owners[0], b = owners[1];
    if (a < 0 || b < 0 || a == b) return false;
    const int p = Opposite(a, x, y), q = Opposite(b, x, y);
    if (p < 0 || q < 0 || p == q) return false;
    for (const Edge& key : {Key(x, p), Key(y, p), Key(x, q), Key(y, q), Key(p, q)}) m_edges.Prefetch(key);
    if (m_edges.Find(Key(p, q))) return false;
    // The outer sides: each keeps its triangle across, if any, and moves to
    // the new triangle that holds its x or y end (a holds x after the flip).
    struct Side {
      Edge key;
      int from, to;
      EdgeOwnerTable::Owners* owners;
      int across;
    };
    Side sides[4] = {{Key(x, p), a, a, nullptr, -1}, {Key(y, p), a, b, nullptr, -1},
                     {Key(x, q), b, a, nullptr, -1}, {Key(y, q), b, b, nullptr, -1}};
    for (Side& side : sides) {
      side.owners = m_edges.Find(side.key);
      if (!side.owners) return false;
      const EdgeOwnerTable::Owners& o = *side.owners;
      if (o[0] == side.from) side.across = o[1];
      else if (o[1] == side.from) side.across = o[0];
      else return false;
      if (side.across == a || side.across == b) return false;
    }
    for (const Side& side : sides)
      if (side.across >= 0) *side.owners = {side.across, side.to};
    auto outer = [&](const Edge& key) -> const Side* {
      for (const Side& side : sides)
        if (side.key == key) return &side;
      return nullptr;
    };
    // The sides that leave or enter the table, in each triangle's side
    // order: outer sides with no triangle across, and the diagonal, which
    // leaves with the second triangle and enters with the first.
    auto changing = [&](int diagonalWith, auto change) {
      for (int t : {a, b}) {
        const std::array<int, 3> v = m_triangles[t];
        for (int k = 0; k < 3; ++k) {
          const Edge key = Key(v[k], v[(k + 1) % 3]);
          const Side* side = outer(key);
          if (side ? side->across < 0 : t == diagonalWith) change(t, key, side);
        }
      }
    };
    changing(b, [&](int, const Edge& key, const Side*) {
      m_edges.Erase(key);
      m_changes.push_back(Code(key) | kErased);
    });
    Set(a, p, q, x);
    Set(b, p, q, y);
    changing(a, [&](int t, const Edge& key, const Side* side) {
      m_edges.Insert(key, side ? EdgeOwnerTable::Owners{t, -1} : EdgeOwnerTable::Owners{a, b});
      m_changes.push_back(Code(key));
    });
    return true;
  }

  const std::vector<CVector2>& m_positions;
  std::vector<std::array<int, 3>> m_triangles;  // counter-clockwise
  struct EdgeHash {
    size_t operator()(const Edge& e) const {
      return std::hash<uint64_t>()(EdgeCode(e));
    }
  };
  EdgeOwnerTable m_edges;
  bool m_plainFlips;
  // The edges once more in a hash map: the order in which the repair visits
  // them is this map's, which follows every insertion and erasure made.
  // Those are logged and replayed only when the order is read.
  // Declared before the map: its nodes go back to the pool when it goes.
  NodePool m_orderNodes;
  using OrderMap =
      std::unordered_map<Edge, char, EdgeHash, std::equal_to<Edge>, PoolAllocator<std::pair<const Edge, char>>>;
  OrderMap m_order{OrderMap::allocator_type(&m_orderNodes)};
  BlockLog<uint64_t> m_changes;  // edge codes, kErased for an erasure
  static constexpr uint64_t kErased = 1ull << 63;
  static uint64_t Code(const Edge& e) { return EdgeCode(e); }
  const OrderMap& Ordered() {
    m_changes.ForEach([&](uint64_t change) {
      const Edge key(static_cast<int>((change & ~kErased) >> 32), static_cast<int>(change & 0xFFFFFFFFu));
      if (change & kErased) m_order.erase(key);
      else m_order.try_emplace(key, 0);
    });
    m_changes.clear();
    return m_order;
  }
  EdgeOwnerTable m_locked{0};  // segments forced in (owners unused)
  // MakeDelaunayLinked's triangles, and a triangle at each vertex, kept in
  // place of the edge table until a segment is forced by flips.
  std::vector<Linked> m_linked;
  std::vector<int> m_around;
  bool m_linksLive = false;
};

}  // namespace

namespace {

}  // namespace

// Each vertex's sides (those from it to a higher vertex) are gathered in
// turn; the pairs among them are told apart by marks on their high ends.
bool MeshSidesPairUp(const CVector2* positions, int vertexCount, const int* low, const uint32_t* high, size_t count,
                     const std::vector<int>& requiredStart, const std::vector<int>& required, double* outerLength) {
  const size_t vertices = static_cast<size_t>(std::max(vertexCount, 0));
  // Sides from vertex v go to bucketStart[v] .. bucketStart[v + 1] - 1.
  std::vector<int> bucketStart(vertices + 2, 0);
  for (size_t i = 0; i < count; ++i) ++bucketStart[low[i] + 2];
  for (size_t v = 0; v < vertices; ++v) bucketStart[v + 2] += bucketStart[v + 1];
  std::unique_ptr<uint32_t[]> bucket(new uint32_t[count ? count : 1]);
  for (size_t i = 0; i < count; ++i) bucket[bucketStart[low[i] + 1]++] = high[i];
  // Per high end: 1 + the low end whose sides last reached it, times 4, plus
  // 1 for a side with the triangle right of low -> high and 2 for one left of
  // it. A pair's second side must bring the other bit; none may come third.
  std::vector<uint64_t> marks(vertices, 0);
  std::vector<int> outer;
  double length = 0;
  for (size_t v = 0; v < vertices; ++v) {
    const uint32_t* const first = bucket.get() + bucketStart[v];
    const uint32_t* const last = bucket.get() + bucketStart[v + 1];
    const uint64_t marked = (v + 1) << 2;
    ptrdiff_t paired = 0;
    for (const uint32_t* s = first; s != last; ++s) {
      uint64_t& mark = marks[*s >> 1];
      const uint64_t side = uint64_t{1} << (*s & 1);
      if ((mark & ~uint64_t{3}) != marked) {
        mark = marked | side;
        continue;
      }
      if ((mark & 3) == 3 || (mark & side)) return false;
      mark |= side;
      ++paired;
    }
    for (int k = requiredStart[v]; k < requiredStart[v + 1]; ++k)
      if (required[k] <= static_cast<int>(v) || (marks[required[k]] & ~uint64_t{3}) != marked) return false;
    if (2 * paired == last - first) continue;
    outer.clear();
    for (const uint32_t* s = first; s != last; ++s)
      if ((marks[*s >> 1] & 3) != 3) outer.push_back(static_cast<int>(*s >> 1));
    std::sort(outer.begin(), outer.end());
    for (int h : outer) length += Length(positions[v], positions[h]);
  }
  *outerLength = length;
  return true;
}

// The triangles cover the convex hull of the vertices exactly once: every
// vertex is used, no edge has both its triangles on one side or more than two,
// and the area and the outer sides' length are the hull's.
bool CTriangleMesh::CoversHull() const {
  std::vector<int> points;
  for (int v = 0; v < m_vertexCount; ++v) {
    // Points that are not numbers have no hull to cover; keep what the sweep made.
    if (!std::isfinite(m_positions[v].x) || !std::isfinite(m_positions[v].y)) return true;
    if (m_representative[v] == v) points.push_back(v);
  }
  // Vertices run in ascending y, and no two of these share both x and y: in
  // ascending x, equal x keeping vertex order, they run as Before orders them.
  std::vector<int> ordered(points.size());
  {
    const std::vector<size_t> byX = StableOrder(points.size(), [&](size_t i) { return m_positions[points[i]].x; });
    for (size_t k = 0; k < points.size(); ++k) ordered[k] = points[byX[k]];
  }
  const std::vector<int> hull = ConvexHull(m_positions, ordered);
  if (hull.size() < 3) return true;  // all on one line: nothing to cover
  double hullArea = 0, hullLength = 0;
  for (size_t h = 0; h < hull.size(); ++h) {
    const CVector2 &a = m_positions[hull[h]], &b = m_positions[hull[(h + 1) % hull.size()]];
    hullArea += Orient(m_positions[hull[0]], a, b) / 2;
    hullLength += Length(a, b);
  }
  // Each side of each triangle: its ends, the smaller first, and whether the
  // triangle lies left of smaller -> larger; counted by their smaller ends.
  const size_t sideCount = 3 * m_triangles.size();
  std::unique_ptr<int[]> sideLow(new int[sideCount]);
  std::unique_ptr<uint32_t[]> sideHigh(new uint32_t[sideCount]);  // larger end << 1 | left
  std::vector<char> used(m_vertexCount, 0);
  double area = 0;
  size_t side = 0;
  for (const Triangle& t : m_triangles) {
    int v[3];
    VerticesOf(t, v);
    const double twice = Orient(m_positions[v[0]], m_positions[v[1]], m_positions[v[2]]);
    if (twice == 0) return false;
    area += std::fabs(twice) / 2;
    for (int k = 0; k < 3; ++k) {
      if (m_representative[v[k]] != v[k]) return false;
      used[v[k]] = 1;
      const auto edge = std::minmax(v[k], v[(k + 1) % 3]);
      const bool left = Orient(m_positions[edge.first], m_positions[edge.second], m_positions[v[(k + 2) % 3]]) > 0;
      sideLow[side] = edge.first;
      sideHigh[side++] = static_cast<uint32_t>(edge.second) << 1 | (left ? 1u : 0u);
    }
  }
  for (int v : points)
    if (!used[v]) return false;
  // Every constraint edge must be a side: its larger end, by its smaller.
  std::vector<int> requiredStart(static_cast<size_t>(m_vertexCount) + 2, 0), required(m_constraints.size());
  for (const ConstraintEdge& c : m_constraints) ++requiredStart[std::min(c.first, c.second) + 2];
  for (int v = 0; v < m_vertexCount; ++v) requiredStart[v + 2] += requiredStart[v + 1];
  for (const ConstraintEdge& c : m_constraints) {
    const auto [low, high] = std::minmax(c.first, c.second);
    required[requiredStart[low + 1]++] = high;
  }
  double outerLength = 0;
  if (!MeshSidesPairUp(m_positions.data(), m_vertexCount, sideLow.get(), sideHigh.get(), sideCount, requiredStart,
                       required, &outerLength))
    return false;
  return std::fabs(area - hullArea) <= kCoverTolerance * hullArea &&
         std::fabs(outerLength - hullLength) <= kCoverTolerance * hullLength;
}

void CTriangleMesh::AllowAvxFlips(bool allowed) { g_avxFlips.store(allowed, std::memory_order_relaxed); }

// Replaces the sweep's triangles by a triangulation of the hull into which
// every constraint edge is forced. Vertices and constraint edges stay as they are.
void CTriangleMesh::Retriangulate() {
  std::vector<int> points;
  for (int v = 0; v < m_vertexCount; ++v)
    if (m_representative[v] == v) points.push_back(v);
  HullTriangulation hull(m_positions, 3 * points.size(), m_linearScans);
  // A tangled repair is no better than the sweep's triangles: they stay.
  if (!hull.Build(points) || !hull.MakeDelaunay()) return;
  for (const ConstraintEdge& c : m_constraints) hull.Force(c.first, c.second);
  m_fronts.clear();
  m_frontsRenumbered = true;
  m_frontTails.clear();
  m_pending.clear();
  m_triangles.clear();
  m_createdEdges.clear();
  m_flipSettled.clear();
  EdgeOwnerTable created(3 * points.size());  // the created edge of each pair of ends, first
  for (const std::array<int, 3>& v : hull.Triangles()) {
    Triangle* t = NewTriangle({1, -1}, {1, -1}, {1, -1});
    for (int k = 0; k < 3; ++k) {
      const int a = v[k], b = v[(k + 1) % 3];
      if (const EdgeOwnerTable::Owners* found = created.Find(std::minmax(a, b))) {
        t->sides[k] = {0, (*found)[0]};
        m_createdEdges[(*found)[0]].right = t;
        continue;
      }
      t->sides[k] = JoinEdge(a, b, t);
      if (!t->sides[k].kind) created.Insert(std::minmax(a, b), {t->sides[k].index, -1});
    }
  }
}

// --- flips ---

inline int CTriangleMesh::OppositeVertex(const Triangle* t, int a, int b) const {
  for (EdgeRef side : t->sides) {
    const auto [x, y] = SideEnds(side);
    if (x != a && x != b) return x;
    if (y != a && y != b) return y;
  }
  return -1;
}

namespace {

bool AllFinite(std::initializer_list<const CVector2*> points) {
  for (const CVector2* v : points)
    if (!std::isfinite(v->x) || !std::isfinite(v->y)) return false;
  return true;
}

void SortedCorners(int a, int b, int c, int out[3]) {
  out[0] = std::min({a, b, c});
  out[2] = std::max({a, b, c});
  out[1] = a != out[0] && a != out[2] ? a : (b != out[0] && b != out[2] ? b : c);
}

}  // namespace

// TriangleMaxCosine of t's corners a, b and c, kept in t while its corners
// stay the same. A corner's cosine does not depend on the order of its two
// neighbours (IEEE products and sums commute), so the three corner cosines
// are the same in any vertex order; with finite coordinates none is NaN and
// their largest is the same value (but for the sign of a zero, which no
// comparison sees). Without finite coordinates nothing is kept.
inline double CTriangleMesh::MaxCosineOf(Triangle* t, int a, int b, int c, bool finite) const {
  int corners[3];
  SortedCorners(a, b, c, corners);
  if (finite && t->measured[0] == corners[0] && t->measured[1] == corners[1] && t->measured[2] == corners[2])
    return t->maxCosine;
  const double cosine = TriangleMaxCosine(m_positions[a], m_positions[b], m_positions[c]);
  if (finite) {
    std::copy(corners, corners + 3, t->measured);
    t->maxCosine = cosine;
  }
  return cosine;
}

// The flip test compares the smallest angles: min acos(cosine) over each
// pair's corners, each arc cosine within 1e-15 of the true one. With b and
// a the largest cosines before and after, the smallest angles are then
// within 1e-15 of acos(b) and acos(a) (the corner of the largest cosine has
// the smallest true angle), so the gain is acos(a) - acos(b) to 2e-15. For
// a < b that is the integral from a to b of acos' slope in size,
// s(t) = 1 / sqrt(1 - t^2), which is convex: the integral lies between
// (b - a) s((a + b) / 2) and (b - a) (s(a) + s(b)) / 2, and at least b - a.
// s at a or b is worked out to a few units in the last place ((1 - t)(1 + t)
// keeps 1 - t^2 to a few units even for t near 1); at the midpoint, whose
// sum rounds, s moves by at most |t| / (1 - t^2) times that rounding, under
// 1e-13 of s while |t| stays below kMidpointLimit. All far inside the 1e-9
// margin, which also covers the arc cosines and the rounding of the test's
// own subtraction. NaN fails every test here and is left to the angles.
int FlipGainFromCosines(double before, double after) {
  constexpr double kMargin = 1e-9, kMidpointLimit = 0.999;
  if (after >= before) return 0;
  const double rise = before - after;
  if (rise > kFlipGain + kMargin) return 1;
  const double mid = (before + after) / 2;
  if (std::fabs(mid) <= kMidpointLimit && rise / std::sqrt((1 - mid) * (1 + mid)) > kFlipGain + kMargin) return 1;
  if (std::fabs(before) < 1 && std::fabs(after) < 1) {
    const double slopes = 1 / std::sqrt((1 - before) * (1 + before)) + 1 / std::sqrt((1 - after) * (1 + after));
    if (rise * slopes / 2 < kFlipGain - kMargin) return 0;
  }
  return -1;
}

// Most calls are for an edge with one triangle so far (the sweep asks for
// each new edge): those are refused here, inline, before the full test.
inline void CTriangleMesh::Flip(int created, int depth) {
  if (m_flipBudget <= 0 || depth > kMaxFlipDepth) return;
  const CreatedEdge& e = m_createdEdges[created];
  if (e.left && e.right && e.left != e.right) return FlipPair(created, depth);
  if (static_cast<size_t>(created) < m_flipSettled.size()) m_flipSettled[created] = 1;
}

// Flip's test and flip of an edge between two triangles.
void CTriangleMesh::FlipPair(int created, int depth) {
  // Every refusal below depends only on the edge's two triangles: until a
  // flip changes one of them, the edge would be refused again.
  const auto refuse = [&] {
    if (static_cast<size_t>(created) < m_flipSettled.size()) m_flipSettled[created] = 1;
  };
  CreatedEdge& e = m_createdEdges[created];
  Triangle *left = e.left, *right = e.right;
  const int a = e.first, b = e.second;
  const int p = OppositeVertex(left, a, b), q = OppositeVertex(right, a, b);
  if (p < 0 || q < 0 || p == q) return refuse();
  const CVector2 &A = m_positions[a], &B = m_positions[b], &P = m_positions[p], &Q = m_positions[q];
  // When the new pair's smallest angle is no larger than the old pair's, as
  // their cosines tell, the gain is nowhere near the threshold: no arc
  // cosines needed to refuse. Most edges are refused here, so this comes
  // before the convexity test.
  const bool finite = m_finitePositions || AllFinite({&A, &B, &P, &Q});
  const double cosineBefore = std::max(MaxCosineOf(left, a, b, p, finite), MaxCosineOf(right, a, b, q, finite));
  // With finite coordinates no cosine is NaN (squared float differences
  // neither overflow nor underflow a double), so any one corner of the new
  // pair at or above cosineBefore puts their maximum there too. The corners
  // come in TriangleMaxCosine's order, and when none refuses, their maxima
  // are its answers.
  double cosineLeft, cosineRight;
  if (finite) {
    const CVector2* const corners[6][3] = {{&P, &Q, &A}, {&Q, &A, &P}, {&A, &P, &Q},
                                           {&P, &Q, &B}, {&Q, &B, &P}, {&B, &P, &Q}};
    double cosines[6];
    for (int k = 0; k < 6; ++k) {
      cosines[k] = CornerCosine(*corners[k][0], *corners[k][1], *corners[k][2]);
      if (cosines[k] >= cosineBefore) return refuse();
    }
    cosineLeft = std::max({cosines[0], cosines[1], cosines[2]});
    cosineRight = std::max({cosines[3], cosines[4], cosines[5]});
  } else {
    cosineLeft = TriangleMaxCosine(P, Q, A), cosineRight = TriangleMaxCosine(P, Q, B);
  }
  const double cosineAfter = std::max(cosineLeft, cosineRight);
  if (cosineAfter >= cosineBefore) return refuse();
  // Only a convex quadrilateral can swap its diagonal.
  if (InsideTriangle(P, B, Q, A) || InsideTriangle(A, P, Q, B) || InsideTriangle(A, B, Q, P) ||
      InsideTriangle(A, B, P, Q))
    return refuse();
  // The cosines settle most gains without arc cosines; the rest take them.
  const int gain = FlipGainFromCosines(cosineBefore, cosineAfter);
  if (gain == 0) return refuse();
  if (gain < 0) {
    const double before = std::min(TriangleMinAngle(A, B, P), TriangleMinAngle(A, B, Q));
    const double after = std::min(TriangleMinAngle(P, Q, A), TriangleMinAngle(P, Q, B));
    if (!(after - before > kFlipGain)) return refuse();
  }
  --m_flipBudget;
  ++m_flips;
  // A front's own edge has one triangle and never flips; should one ever,
  // the corners of the fronts are no longer what their records say.
  if (static_cast<size_t>(created) < m_frontUses.size() && m_frontUses[created] > 0) m_cornerIndex = false;

  // Sides other than the edge: in the left triangle b-p and p-a, in the right
  // a-q and q-b. The left triangle becomes (p, q, a), the right (p, q, b).
  auto sideJoining = [&](const Triangle* t, int x, int y) {
    for (EdgeRef side : t->sides) {
      const auto [s0, s1] = SideEnds(side);
      if ((s0 == x && s1 == y) || (s0 == y && s1 == x)) return side;
    }
    return EdgeRef{2, -1};
  };
  const EdgeRef bp = sideJoining(left, b, p), pa = sideJoining(left, p, a);
  const EdgeRef aq = sideJoining(right, a, q), qb = sideJoining(right, q, b);
  // This refusal comes after the budget is spent: marked only within the
  // passes, where it always was, never by the sweep for the passes to skip.
  if (bp.kind == 2 || pa.kind == 2 || aq.kind == 2 || qb.kind == 2) {
    if (m_flipPasses) refuse();
    return;
  }
  // Both triangles change: their edges are tested afresh.
  for (EdgeRef side : {EdgeRef{0, created}, bp, pa, aq, qb})
    if (!side.kind && static_cast<size_t>(side.index) < m_flipSettled.size()) m_flipSettled[side.index] = 0;
  const EdgeRef self = {0, created};
  IndexCreated(created, false);
  e.first = p;
  e.second = q;
  IndexCreated(created, true);
  m_createdBoxes.Set(static_cast<size_t>(created), P, Q);
  left->sides[0] = self, left->sides[1] = aq, left->sides[2] = pa;
  right->sides[0] = self, right->sides[1] = qb, right->sides[2] = bp;
  if (finite) {
    SortedCorners(p, q, a, left->measured);
    left->maxCosine = cosineLeft;
    SortedCorners(p, q, b, right->measured);
    right->maxCosine = cosineRight;
  }
  auto move = [&](EdgeRef side, Triangle* from, Triangle* to) {
    if (side.kind) return;
    CreatedEdge& moved = m_createdEdges[side.index];
    if (moved.left == from) moved.left = to;
    if (moved.right == from) moved.right = to;
  };
  move(aq, right, left);
  move(bp, left, right);
  for (Triangle* t : {left, right})
    for (int s = 0; s < 3; ++s)
      if (!t->sides[s].kind && t->sides[s].index != created) Flip(t->sides[s].index, depth + 1);
}

void CTriangleMesh::LinkRemaining() {
  for (Triangle& t : m_triangles)
    for (EdgeRef side : t.sides)
      if (!side.kind) {
        CreatedEdge& e = m_createdEdges[side.index];
        if (e.left && e.left != &t && !e.right) {
          e.right = &t;
          Unsettle(side);
        }
      }
}

// --- export ---

void CTriangleMesh::TriangleVertices(int triangle, int out[3]) const { VerticesOf(m_triangles[triangle], out); }

void CTriangleMesh::VerticesOf(const Triangle& t, int out[3]) const {
  const std::pair<int, int> ends[3] = {SideEnds(t.sides[0]), SideEnds(t.sides[1]), SideEnds(t.sides[2])};
  for (int i = 0; i < 3; ++i) {
    const auto [a0, a1] = ends[(i + 2) % 3];
    const auto [b0, b1] = ends[i];
    out[i] = (a0 == b0 || a0 == b1) ? a0 : a1;
  }
}

void CTriangleMesh::Edges(std::vector<std::pair<int, int>>& out) const {
  out.clear();
  for (const ConstraintEdge& c : m_constraints) out.emplace_back(c.first, c.second);
  for (const auto& e : m_createdEdges) out.emplace_back(e.first, e.second);
}

int CTriangleMesh::BuildRenderMesh(const CFeatureLineArray& geometry, const CFeatureLineArray& texture,
                                   CMeshReceiver* shape, const CRectF& rect, float uMin, float uMax, float vMin,
                                   float vMax) {
  if (!shape || m_vertexCount > kMaxRenderVertices) return 0;
  auto pointOf = [](const CFeatureLineArray& lines, const CMeshVertexSource& s) -> CVector2 {
    if (s.line < 0 || s.line >= lines.GetSize() || !lines[s.line] || s.point < 0 ||
        s.point >= lines[s.line]->GetPointCount())
      return CVector2(0, 0);
    return *lines[s.line]->PointAt(s.point);
  };
  const float width = rect.right - rect.left, height = rect.bottom - rect.top;
  auto* vertices = new CRenderVertex[static_cast<size_t>(m_vertexCount) + 1];
  for (int v = 0; v < m_vertexCount; ++v) {
    const CVector2 g = pointOf(geometry, m_sources[v]), tex = pointOf(texture, m_sources[v]);
    const float u = width != 0 ? (tex.x - rect.left) / width : 0;
    const float w = height != 0 ? (tex.y - rect.top) / height : 0;
    vertices[v] = {g.x, g.y, uMin + u * (uMax - uMin), vMin + w * (vMax - vMin), 0xFFFFFFFFu};
  }
  const int triangles = GetTriangleCount();
  // A pair makes two render meshes of one triangulation: its index triples
  // are read off the triangles once.
  if (!m_renderIndicesRead) {
    m_renderIndices.resize(3 * static_cast<size_t>(triangles));
    WORD* index = m_renderIndices.data();
    for (const Triangle& t : m_triangles) {
      int v[3];
      VerticesOf(t, v);
      for (int k = 0; k < 3; ++k) *index++ = static_cast<WORD>(v[k]);
    }
    m_renderIndicesRead = true;
  }
  auto* indices = new WORD[3 * static_cast<size_t>(triangles) + 1];
  std::copy(m_renderIndices.begin(), m_renderIndices.end(), indices);
  shape->SetMesh(vertices, m_vertexCount, indices, triangles);
  return m_vertexCount;
}

namespace {

// Vertex k takes the position of the feature point sources[k] names; a
// source that names no point leaves its vertex where it is.
template <class Source>
void CopyPositionsFrom(const CFeatureLineArray& lines, const Source* sources, size_t count, CRenderVertex* vertices) {
  for (size_t v = 0; v < count; ++v) {
    const Source& s = sources[v];
    if (s.line < 0 || s.line >= lines.GetSize() || !lines[s.line] || s.point < 0 ||
        s.point >= lines[s.line]->GetPointCount())
      continue;
    const CVector2& p = *lines[s.line]->PointAt(s.point);
    vertices[v].x = p.x;
    vertices[v].y = p.y;
  }
}

}  // namespace

void CopyMeshVertexPositions(const CFeatureLineArray& lines, const std::vector<CMeshVertexSource>& sources,
                             CRenderVertex* vertices) {
  CopyPositionsFrom(lines, sources.data(), sources.size(), vertices);
}

void CopyMeshVertexPositions(const CFeatureLineArray& lines, const CLinePoint* sources, int count,
                             CRenderVertex* vertices) {
  if (count > 0) CopyPositionsFrom(lines, sources, static_cast<size_t>(count), vertices);
}

// --- fold-over check ---

namespace {

struct EdgeSweepRecord {
  CRectF box;
  int first, second;
  CVector2 sourceFirst, sourceSecond, targetFirst, targetSecond;
};

CVector2 SourcePoint(const CFeatureLineArray& lines, const CMeshVertexSource& s) {
  if (s.line < 0 || s.line >= lines.GetSize() || !lines[s.line] || s.point < 0 ||
      s.point >= lines[s.line]->GetPointCount())
    return CVector2(0, 0);
  return *lines[s.line]->PointAt(s.point);
}

// BoundsOfPoints of the record's four points, in their order, worked out in
// place: the same comparisons, so the same box (NaN included).
void SetBounds(EdgeSweepRecord& r) {
  const CVector2* const corners[4] = {&r.sourceFirst, &r.sourceSecond, &r.targetFirst, &r.targetSecond};
  CRectF& box = r.box;
  box.left = box.right = corners[0]->x;
  box.top = box.bottom = corners[0]->y;
  for (int i = 1; i < 4; ++i) {
    const CVector2& p = *corners[i];
    if (p.x < box.left) box.left = p.x;
    if (p.y < box.top) box.top = p.y;
    if (p.x > box.right) box.right = p.x;
    if (p.y > box.bottom) box.bottom = p.y;
  }
}

bool EdgesCollide(const EdgeSweepRecord& a, const EdgeSweepRecord& b) {
  if (a.first == b.first || a.first == b.second || a.second == b.first || a.second == b.second) return false;
  if (a.box.right < b.box.left || b.box.right < a.box.left) return false;
  return MovingEdgesCross(a.sourceFirst, a.sourceSecond, a.targetFirst, a.targetSecond, b.sourceFirst,
                          b.sourceSecond, b.targetFirst, b.targetSecond) != 0;
}

// The active records of the fold-over sweep by their x range, in buckets
// over the finite x range of all boxes: a record meets only records whose
// boxes overlap its own in x, so only those are tested. Each bucket entry
// carries what EdgesCollide rejects most pairs on (the x range and the
// ends), so that most candidates are passed over without their record; the
// entries sit four to a group, field by field, so that one set of compares
// tests four of them.
class ActiveRecordsByX {
 public:
  explicit ActiveRecordsByX(const std::vector<EdgeSweepRecord>& records)
      : m_records(records), m_active(records.size(), 0), m_span(records.size()) {
    double x0 = INFINITY, x1 = -INFINITY, widths = 0;
    size_t finite = 0;
    for (const EdgeSweepRecord& r : records)
      if (FiniteX(r)) {
        x0 = std::min<double>(x0, r.box.left), x1 = std::max<double>(x1, r.box.right);
        widths += static_cast<double>(r.box.right) - r.box.left;
        ++finite;
      }
    // Buckets about twice as wide as a box: a box then spans one or two,
    // and the fuller buckets cost little more to scan a group at a time.
    const double mean = finite ? widths / static_cast<double>(finite) : 0;
    const double wanted = mean > 0 ? (x1 - x0) / (2 * mean) : 1.0;
    m_count = x0 <= x1 ? static_cast<int>(std::clamp(wanted, 1.0, static_cast<double>(kMaxBuckets))) : 0;
    m_left = x0;
    m_scale = x1 > x0 ? m_count / (x1 - x0) : 0.0;
    m_buckets.resize(static_cast<size_t>(m_count));
  }

  void Add(int r) {
    m_active[r] = 1;
    const EdgeSweepRecord& record = m_records[r];
    if (!FiniteX(record)) {
      m_span[r] = {kEverywhere, kEverywhere};
      m_everywhere.push_back(r);
      return;
    }
    m_span[r] = {Bucket(record.box.left), Bucket(record.box.right)};
    for (int b = m_span[r].first; b <= m_span[r].second; ++b) {
      BucketEntries& bucket = m_buckets[b];
      if (bucket.size % kLanes == 0) bucket.groups.emplace_back();
      EntryGroup& g = bucket.groups.back();
      const unsigned lane = bucket.size++ % kLanes;
      g.record[lane] = r, g.firstBucket[lane] = m_span[r].first;
      g.first[lane] = record.first, g.second[lane] = record.second;
      g.left[lane] = record.box.left, g.right[lane] = record.box.right;
    }
  }

  // Entries leave their buckets out of order: FirstCollision's answer does
  // not depend on the order in which it meets them.
  void Remove(int r) {
    m_active[r] = 0;
    if (m_span[r].first == kEverywhere) {
      m_everywhere.erase(std::find(m_everywhere.begin(), m_everywhere.end(), r));
      return;
    }
    for (int b = m_span[r].first; b <= m_span[r].second; ++b) {
      BucketEntries& bucket = m_buckets[b];
      EntryGroup* at = bucket.groups.data();
      unsigned lanes;
      while (!(lanes = at->LanesOf(r))) ++at;
      EntryGroup& last = bucket.groups.back();
      const unsigned lastLane = --bucket.size % kLanes;
      at->Take(__builtin_ctz(lanes), last, lastLane);
      last.Clear(lastLane);
      if (lastLane == 0) bucket.groups.pop_back();
    }
  }

  bool IsActive(int r) const { return m_active[r] != 0; }

  // The first active record in list order (ascending index) that collides
  // with r, or -1: the least index among those that collide, however the
  // candidates are met.
  int FirstCollision(int r) const {
    const EdgeSweepRecord& mine = m_records[r];
    if (m_span[r].first == kEverywhere) {
      for (size_t o = 0; o < m_records.size(); ++o)
        if (m_active[o] && static_cast<int>(o) != r && EdgesCollide(m_records[o], mine)) return static_cast<int>(o);
      return -1;
    }
    int best = -1;
    for (int o : m_everywhere)
      if ((best < 0 || o < best) && EdgesCollide(m_records[o], mine)) best = o;
    const Probe probe(mine);
    Limit below(best < 0 ? INT_MAX : best);
    const int first = m_span[r].first, last = m_span[r].second;
    for (int b = first; b <= last; ++b) {
      // A record spanning several of these buckets is met in the first of
      // them that both spans share.
      const Limit metBefore(b == first ? INT_MIN : b - 1);
      for (const EntryGroup& g : m_buckets[b].groups) {
        for (unsigned lanes = g.Candidates(metBefore, below, probe); lanes; lanes &= lanes - 1) {
          const int o = g.record[__builtin_ctz(lanes)];
          if ((best < 0 || o < best) && EdgesCollide(m_records[o], mine)) below = Limit(best = o);
        }
      }
    }
    return best;
  }

 private:
  static constexpr unsigned kLanes = 4;
  static constexpr int kEverywhere = -1;  // the span of a box whose x range is not finite

  // A bound on an entry field, kept alongside its copy in every lane so
  // that the groups of a search share one broadcast.
  struct Limit {
    explicit Limit(int v) : value(v) {
#if defined(__SSE2__)
      lanes = _mm_set1_epi32(v);
#endif
    }
    int value;
#if defined(__SSE2__)
    __m128i lanes;
#endif
  };
  // The searching record's ends and x range, likewise broadcast once.
  struct Probe {
    explicit Probe(const EdgeSweepRecord& r) : mine(r) {
#if defined(__SSE2__)
      first = _mm_set1_epi32(r.first), second = _mm_set1_epi32(r.second);
      left = _mm_set1_ps(r.box.left), right = _mm_set1_ps(r.box.right);
#endif
    }
    const EdgeSweepRecord& mine;
#if defined(__SSE2__)
    __m128i first, second;
    __m128 left, right;
#endif
  };
  // An empty lane lies apart in x from every finite box, so it is never a
  // candidate and never matches a record.
  struct alignas(16) EntryGroup {
    int record[kLanes] = {-1, -1, -1, -1}, firstBucket[kLanes] = {}, first[kLanes] = {-1, -1, -1, -1},
        second[kLanes] = {-1, -1, -1, -1};
    float left[kLanes] = {INFINITY, INFINITY, INFINITY, INFINITY},
          right[kLanes] = {-INFINITY, -INFINITY, -INFINITY, -INFINITY};

    void Take(unsigned lane, const EntryGroup& from, unsigned fromLane) {
      record[lane] = from.record[fromLane], firstBucket[lane] = from.firstBucket[fromLane];
      first[lane] = from.first[fromLane], second[lane] = from.second[fromLane];
      left[lane] = from.left[fromLane], right[lane] = from.right[fromLane];
    }
    void Clear(unsigned lane) {
      record[lane] = first[lane] = second[lane] = -1, firstBucket[lane] = 0;
      left[lane] = INFINITY, right[lane] = -INFINITY;
    }

    // The lanes (bit k for lane k) holding record r.
    unsigned LanesOf(int r) const {
#if defined(__SSE2__)
      const __m128i same = _mm_cmpeq_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(record)), _mm_set1_epi32(r));
      return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(same)));
#else
      unsigned lanes = 0;
      for (unsigned k = 0; k < kLanes; ++k) lanes |= static_cast<unsigned>(record[k] == r) << k;
      return lanes;
#endif
    }

    // The lanes (bit k for lane k) that pass EdgesCollide's own first tests
    // against `mine`, were not met in an earlier bucket (their first bucket
    // is after metBefore) and lie below `below`. A lane of `mine` itself
    // shares its ends, so fails.
    unsigned Candidates(const Limit& metBefore, const Limit& below, const Probe& probe) const {
#if defined(__SSE2__)
      const __m128i records = _mm_load_si128(reinterpret_cast<const __m128i*>(record));
      const __m128i firsts = _mm_load_si128(reinterpret_cast<const __m128i*>(first));
      const __m128i seconds = _mm_load_si128(reinterpret_cast<const __m128i*>(second));
      const __m128i shared =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(firsts, probe.first), _mm_cmpeq_epi32(firsts, probe.second)),
                       _mm_or_si128(_mm_cmpeq_epi32(seconds, probe.first), _mm_cmpeq_epi32(seconds, probe.second)));
      const __m128i fresh = _mm_and_si128(
          _mm_cmpgt_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(firstBucket)), metBefore.lanes),
          _mm_cmpgt_epi32(below.lanes, records));
      const __m128 apart = _mm_or_ps(_mm_cmplt_ps(_mm_load_ps(right), probe.left),
                                     _mm_cmplt_ps(probe.right, _mm_load_ps(left)));
      const __m128i taken = _mm_andnot_si128(_mm_or_si128(shared, _mm_castps_si128(apart)), fresh);
      return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(taken)));
#else
      return PlainCandidates(metBefore.value, below.value, probe.mine);
#endif
    }

    unsigned PlainCandidates(int metBefore, int below, const EdgeSweepRecord& mine) const {
      unsigned lanes = 0;
      for (unsigned k = 0; k < kLanes; ++k) {
        const bool shared = (first[k] == mine.first) | (first[k] == mine.second) | (second[k] == mine.first) |
                            (second[k] == mine.second);
        const bool apart = (right[k] < mine.box.left) | (mine.box.right < left[k]);
        const bool fresh = (firstBucket[k] > metBefore) & (record[k] < below);
        lanes |= static_cast<unsigned>(fresh & !shared & !apart) << k;
      }
      return lanes;
    }
  };
  struct BucketEntries {
    std::vector<EntryGroup> groups;
    unsigned size = 0;
  };
  static constexpr size_t kMaxBuckets = 1 << 16;
  static bool FiniteX(const EdgeSweepRecord& r) { return std::isfinite(r.box.left) && std::isfinite(r.box.right); }
  // x is a finite box side, so at or right of m_left: the bucket never
  // falls as x rises, which is all that the answer relies on.
  int Bucket(float x) const {
    const double at = (x - m_left) * m_scale;
    return at < static_cast<double>(m_count - 1) ? static_cast<int>(at) : m_count - 1;
  }

  const std::vector<EdgeSweepRecord>& m_records;
  std::vector<char> m_active;
  std::vector<std::pair<int, int>> m_span;  // first and last bucket of each record added
  std::vector<BucketEntries> m_buckets;
  std::vector<int> m_everywhere;  // boxes whose x range is not finite
  double m_left = 0, m_scale = 0;
  int m_count = 0;
};

// The first of strictly rising step tops at or beyond a value, through a
// table of the first step in each of as many equal cells over the tops'
// range: every step before the one listed for a value's cell lies in an
// earlier cell, so below the value (the cell never falls as the value
// rises), and the walk from there is short.
class StepFinder {
 public:
  explicit StepFinder(const std::vector<float>& tops) : m_tops(tops) {
    if (tops.empty() || !std::isfinite(tops.front()) || !std::isfinite(tops.back())) return;
    m_low = tops.front();
    const double range = static_cast<double>(tops.back()) - m_low;
    if (!(range > 0) || !std::isfinite(range)) return;
    const double scale = static_cast<double>(tops.size()) / range;
    if (!std::isfinite(scale)) return;
    m_cells = tops.size();
    m_scale = scale;
    m_first.assign(m_cells + 1, static_cast<uint32_t>(tops.size()));
    // Filled from the last step down, each cell keeps its first step; an
    // empty cell takes the first of the cells after it.
    for (size_t k = tops.size(); k-- > 0;) m_first[Cell(tops[k])] = static_cast<uint32_t>(k);
    for (size_t c = m_cells; c-- > 0;) m_first[c] = std::min(m_first[c], m_first[c + 1]);
  }

  // The first step k >= from with tops[k] >= value, or the step count
  // when there is none (a NaN value stays at `from`).
  uint32_t FirstAtOrBeyond(float value, uint32_t from) const {
    uint32_t k = from;
    if (m_cells > 0 && value >= m_low) k = std::max(k, m_first[Cell(value)]);
    const uint32_t end = static_cast<uint32_t>(m_tops.size());
    while (k < end && m_tops[k] < value) ++k;
    return k;
  }

 private:
  // For values at or above m_low: never falls as the value rises (the
  // difference, the product and the truncation each keep the order), and
  // lies in 0 .. m_cells.
  size_t Cell(float value) const {
    const double at = (static_cast<double>(value) - m_low) * m_scale;
    return at >= static_cast<double>(m_cells) ? m_cells : static_cast<size_t>(at);
  }

  const std::vector<float>& m_tops;
  std::vector<uint32_t> m_first;  // per cell, the first step in it or after it
  double m_low = 0, m_scale = 0;
  size_t m_cells = 0;
};

// With no top that is not a number (a box's top and bottom are NaN
// together) the records run in ascending top, and each step of the sweep
// below takes one run of equal tops, at that run's top. A record then
// leaves at the first step whose top is at or beyond its bottom: found once
// for all, the records leaving each step are listed in index order,
// stepStart[k] .. stepStart[k + 1] of `leaving`. False when some top is NaN.
bool ListLeavingSteps(const std::vector<EdgeSweepRecord>& records, std::vector<uint32_t>& stepStart,
                      std::vector<int>& leaving) {
  const size_t count = records.size();
  std::vector<float> runTop;
  std::vector<uint32_t> leaveAt(count);
  for (size_t i = 0; i < count; ++i) {
    const float top = records[i].box.top;
    if (std::isnan(top)) return false;
    if (runTop.empty() || !(top <= runTop.back())) runTop.push_back(top);
    leaveAt[i] = static_cast<uint32_t>(runTop.size() - 1);  // its own step, for now
  }
  const StepFinder steps(runTop);
  stepStart.assign(runTop.size() + 1, 0);
  for (size_t i = 0; i < count; ++i) {
    leaveAt[i] = steps.FirstAtOrBeyond(records[i].box.bottom, leaveAt[i]);
    if (leaveAt[i] < runTop.size()) ++stepStart[leaveAt[i] + 1];
  }
  for (size_t k = 0; k < runTop.size(); ++k) stepStart[k + 1] += stepStart[k];
  leaving.resize(stepStart.back());
  std::vector<uint32_t> fill(stepStart.begin(), stepStart.end() - 1);
  for (size_t i = 0; i < count; ++i)
    if (leaveAt[i] < runTop.size()) leaving[fill[leaveAt[i]]++] = static_cast<int>(i);
  return true;
}

// The sweep below with the active list kept by x and the records leaving a
// step found by their bottoms: the same pairs in the same order give the
// same first collision.
int SweepIndexed(const std::vector<EdgeSweepRecord>& records, int out[4]) {
  ActiveRecordsByX active(records);
  std::vector<uint32_t> stepStart;
  std::vector<int> stepLeaving;
  const bool listed = ListLeavingSteps(records, stepStart, stepLeaving);
  using Bottom = std::pair<float, int>;
  std::priority_queue<Bottom, std::vector<Bottom>, std::greater<Bottom>> bottoms;
  const size_t count = records.size();
  size_t next = 0, activeCount = 0, step = 0;
  std::vector<int> leaving;
  auto add = [&](size_t r) {
    active.Add(static_cast<int>(r));
    ++activeCount;
    if (!listed && !std::isnan(records[r].box.bottom)) bottoms.push({records[r].box.bottom, static_cast<int>(r)});
  };
  for (; next < count || activeCount > 0; ++step) {
    const float sweep = next < count ? records[next].box.top : records.back().box.bottom;
    if (next < count) add(next++);
    while (next < count && records[next].box.top <= sweep) add(next++);
    leaving.clear();
    if (next < count && listed) {
      leaving.assign(stepLeaving.begin() + stepStart[step], stepLeaving.begin() + stepStart[step + 1]);
    } else if (next < count) {
      while (!bottoms.empty() && bottoms.top().first <= sweep) {
        leaving.push_back(bottoms.top().second);
        bottoms.pop();
      }
      std::sort(leaving.begin(), leaving.end());
    } else {
      for (size_t r = 0; r < count; ++r)
        if (active.IsActive(static_cast<int>(r))) leaving.push_back(static_cast<int>(r));
    }
    for (int r : leaving) {
      const int other = active.FirstCollision(r);
      if (other >= 0) {
        out[0] = records[other].first;
        out[1] = records[other].second;
        out[2] = records[r].first;
        out[3] = records[r].second;
        return 1;
      }
      active.Remove(r);
      --activeCount;
    }
  }
  return 0;
}

// The records of the edges by the tops of their boxes, equal tops in edge
// order; each edge's top is found first (SetBounds's comparisons, in its
// order) and its record made once, in place.
void SortedRecords(const std::vector<std::pair<int, int>>& edges, const std::vector<CVector2>& sourceOf,
                   const std::vector<CVector2>& targetOf, std::vector<EdgeSweepRecord>& records) {
  std::vector<float> tops(edges.size());
  for (size_t i = 0; i < edges.size(); ++i) {
    const auto [a, b] = edges[i];
    float top = sourceOf[a].y;
    for (const float y : {sourceOf[b].y, targetOf[a].y, targetOf[b].y})
      if (y < top) top = y;
    tops[i] = top;
  }
  const std::vector<size_t> order = StableOrder(tops.size(), [&](size_t i) { return tops[i]; });
  records.resize(edges.size());
  for (size_t k = 0; k < order.size(); ++k) {
    const auto [a, b] = edges[order[k]];
    EdgeSweepRecord& r = records[k];
    r.first = a;
    r.second = b;
    r.sourceFirst = sourceOf[a];
    r.sourceSecond = sourceOf[b];
    r.targetFirst = targetOf[a];
    r.targetSecond = targetOf[b];
    SetBounds(r);
  }
}

}  // namespace

int FindCrossingTriangles(const CTriangleMesh& mesh, const CFeatureLineArray& source,
                          const CFeatureLineArray& target, int out[4]) {
  // Coincident vertices share their triangles, so no edge joins them; when
  // their points lie apart in the source they run through each other.
  for (int v = 1; v < mesh.GetVertexCount(); ++v)
    for (int w = v - 1; w >= 0 && mesh.Position(w).y == mesh.Position(v).y; --w) {
      if (mesh.Position(w).x != mesh.Position(v).x) continue;
      const CVector2 a = SourcePoint(source, mesh.Sources()[w]), b = SourcePoint(source, mesh.Sources()[v]);
      if (a.x == b.x && a.y == b.y) continue;
      out[0] = out[2] = w;
      out[1] = out[3] = v;
      return 1;
    }
  std::vector<std::pair<int, int>> edges;
  mesh.Edges(edges);
  // Each vertex's points looked up once, not once per edge end.
  std::vector<CVector2> sourceOf(static_cast<size_t>(mesh.GetVertexCount())), targetOf(sourceOf.size());
  for (size_t v = 0; v < sourceOf.size(); ++v) {
    sourceOf[v] = SourcePoint(source, mesh.Sources()[v]);
    targetOf[v] = SourcePoint(target, mesh.Sources()[v]);
  }
  std::vector<EdgeSweepRecord> records;
  SortedRecords(edges, sourceOf, targetOf, records);
  if (!mesh.UsesLinearScans()) return SweepIndexed(records, out);
  // A record leaves the active list once the sweep passes its bottom, after
  // it has been tested against every record still listed: each pair whose
  // boxes meet in y is tested once.
  std::vector<const EdgeSweepRecord*> active;
  size_t next = 0;
  while (next < records.size() || !active.empty()) {
    const float sweep = next < records.size() ? records[next].box.top : records.back().box.bottom;
    if (next < records.size()) active.push_back(&records[next++]);  // even when its top is not a number
    while (next < records.size() && records[next].box.top <= sweep) active.push_back(&records[next++]);
    for (size_t i = 0; i < active.size();) {
      const EdgeSweepRecord* r = active[i];
      if (!(r->box.bottom <= sweep) && next < records.size()) {
        ++i;
        continue;
      }
      for (const EdgeSweepRecord* other : active) {
        if (other == r || !EdgesCollide(*other, *r)) continue;
        out[0] = other->first;
        out[1] = other->second;
        out[2] = r->first;
        out[3] = r->second;
        return 1;
      }
      active.erase(active.begin() + static_cast<long>(i));
    }
  }
  return 0;
}

// --- outlines ---

namespace {

CTreeNode* TriangleNode(const CVector2& a, const CVector2& b, const CVector2& c) {
  auto* node = new CTreeNode;
  node->m_pBuffer = new BYTE[3 * sizeof(CVector2)];
  node->m_nCount = 3;
  auto* points = reinterpret_cast<CVector2*>(node->m_pBuffer);
  points[0] = a, points[1] = b, points[2] = c;
  return node;
}

}  // namespace

void CTriangleMesh::BuildEdges(const CTypedPtrArray<CPtrArray, CTreeNode*>& outlines) {
  std::vector<std::unique_ptr<CFeatureLine>> contours;
  CFeatureLineArray lines;
  for (int i = 0; i < outlines.GetSize(); ++i) {
    contours.push_back(std::make_unique<CFeatureLine>());
    const CTreeNode* node = outlines[i];
    if (node && node->m_pBuffer)
      for (int k = 0; k < node->m_nCount; ++k) contours.back()->AddPoint(reinterpret_cast<const CVector2*>(node->m_pBuffer)[k]);
    contours.back()->closed = 1;
    lines.Add(contours.back().get());
  }
  AddPoints(lines);
  // An outline may be concave: its hull is not the region to cover.
  m_coverHull = false;
}

void CTriangleMesh::ExportTriangles(CTypedPtrArray<CPtrArray, CTreeNode*>& out) const {
  for (int t = 0; t < GetTriangleCount(); ++t) {
    int v[3];
    TriangleVertices(t, v);
    out.Add(TriangleNode(m_positions[v[0]], m_positions[v[1]], m_positions[v[2]]));
  }
}

void TriangulateOutlines(const CTypedPtrArray<CPtrArray, CTreeNode*>& outlines, CTypedPtrArray<CPtrArray, CTreeNode*>& out) {
  CTriangleMesh mesh;
  mesh.BuildEdges(outlines);
  mesh.Triangulate();
  mesh.ExportTriangles(out);
}

void ClipTriangleToRect(const CVector2& a, const CVector2& b, const CVector2& c, const CRectF& rect,
                        CTypedPtrArray<CPtrArray, CTreeNode*>& out) {
  CRectClipper clipper(rect);
  const CVector2 triangle[3] = {a, c, b};
  const int count = clipper.Clip(triangle, 3);
  if (count < 1) return;
  CTreeNode polygon;
  polygon.m_pBuffer = new BYTE[static_cast<size_t>(count) * sizeof(CVector2)];
  polygon.m_nCount = count;
  std::copy(clipper.Output(), clipper.Output() + count, reinterpret_cast<CVector2*>(polygon.m_pBuffer));
  CTypedPtrArray<CPtrArray, CTreeNode*> outlines;
  outlines.Add(&polygon);
  TriangulateOutlines(outlines, out);
}
