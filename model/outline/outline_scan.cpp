// Scan conversion of CShapeOutline: edge tables, the row scanner, the
// anti-aliased coverage renderer (8 x 8 samples a pixel, 16 x 16 kernel),
// the one-sample renderer and the orientation pass.
//
// Sections: edge tables / scanner / coverage kernel / renderers / orientation
#include <algorithm>
#include <cmath>

#include "model/outline/outline_scanner.h"
#include "model/outline/outline_walk.h"
#include "model/raster/pixel_buffer.h"

using namespace outline_walk;

// --- edge tables ---

void COutlineEdgeTable::AddEdge(int x0, int y0, int x1, int y1, int tag, int contour) {
  if (y0 == y1) return;
  COutlineEdge e;
  e.tag = tag;
  e.contour = contour;
  e.slope = static_cast<float>(static_cast<double>(x1) - x0) / static_cast<float>(static_cast<double>(y1) - y0);
  if (y0 <= y1) {
    e.x = static_cast<float>(x0);
    e.startRow = y0;
    e.endRow = y1;
    e.endX = x1;
    e.direction = 1;
  } else {
    e.x = static_cast<float>(x1);
    e.startRow = y1;
    e.endRow = y0;
    e.endX = x0;
    e.direction = 0;
  }
  if (e.endRow <= 0 || e.startRow >= rows) return;
  if (e.startRow < 0) {
    e.x += e.slope * static_cast<float>(-static_cast<double>(e.startRow));
    e.startRow = 0;
  }
  e.order = static_cast<int>(edges.size());
  edges.push_back(e);
}

COutlineEdgeTable CShapeOutline::ScanContour(int contour, int rows) {
  COutlineEdgeTable table(std::clamp(rows, 0, kMaxOutlineRows));
  if (contour < 0 || contour >= GetContourCount()) return table;
  COutlineContour& record = m_contours[contour];
  const CVector2 start = ReadPoint(record.buffer + 4);
  int minRow = RoundEdge(start.y);
  int maxRow = minRow;
  WalkFlattened(record.buffer, [&](const CVector2& p, const CVector2& q) {
    const int y0 = RoundEdge(p.y);
    const int y1 = RoundEdge(q.y);
    table.AddEdge(RoundEdge(p.x), y0, RoundEdge(q.x), y1, contour, contour);
    minRow = std::min({minRow, y0, y1});
    maxRow = std::max({maxRow, y0, y1});
  });
  record.midRow = static_cast<int>((int64_t{minRow} + maxRow) / 2);
  return table;
}

// --- scanner ---

COutlineScanner::COutlineScanner(CShapeOutline& outline, const Setup& setup) : m_outline(outline), m_setup(setup) {
  m_setup.rows = std::clamp(m_setup.rows, 0, kMaxOutlineRows);
  if (m_setup.orient) m_marks.assign(static_cast<size_t>(m_setup.rows) + 1, 0);
  BuildTables();
}

void COutlineScanner::BuildTables() {
  int tag = 0;
  for (int c = 0; c < m_outline.GetContourCount(); ++c) {
    COutlineEdgeTable table;
    if (m_setup.width <= 0 && m_setup.depth <= 0) {
      table = m_outline.ScanContour(c, m_setup.rows);
      const int mid = m_outline.m_contours[c].midRow;
      if (m_setup.orient && mid >= 0 && mid < m_setup.rows) m_marks[mid] = 1;
    } else if (m_setup.depth <= 0) {
      // Tags run on across contours, as in the extrusions.
      table = m_outline.ScanContourAngled(c, m_setup.rows, m_setup.width, 0, 0, &tag);
    } else if (m_setup.width <= 0) {
      table = m_outline.BuildExtrusion(c, m_setup.rows, m_setup.depth, m_setup.angle, &tag);
    } else {
      table = m_outline.ScanContourAngled(c, m_setup.rows, m_setup.width, m_setup.depth, m_setup.angle, &tag);
    }
    const int base = static_cast<int>(m_edges.size());
    for (COutlineEdge& e : table.edges) {
      e.order += base;
      m_edges.push_back(e);
    }
  }
  m_tagCount = tag;
  // Within a row the newest edge comes first, as when pushed on a list head.
  std::stable_sort(m_edges.begin(), m_edges.end(), [](const COutlineEdge& a, const COutlineEdge& b) {
    if (a.startRow != b.startRow) return a.startRow < b.startRow;
    if (a.contour != b.contour) return a.contour < b.contour;
    return a.order > b.order;
  });
  m_tagMin.assign(static_cast<size_t>(m_tagCount), 1);  // min > max: not seen in this row
  m_tagMax.assign(static_cast<size_t>(m_tagCount), 0);
}

void COutlineScanner::ActivateRow(int s) {
  while (m_nextEdge < m_edges.size() && m_edges[m_nextEdge].startRow <= s) {
    COutlineEdge& e = m_edges[m_nextEdge++];
    e.x += e.slope * static_cast<float>(s - e.startRow);  // only for an edge entering late
    e.startRow = s;
    m_active.push_back(&e);
    m_changed = true;
  }
}

namespace {

bool SortsBefore(const COutlineEdge* a, const COutlineEdge* b) {
  return a->x < b->x || (a->x == b->x && a->slope < b->slope);
}

// Stable insertion sort: the list is nearly sorted from the row before.
// Returns whether any edge moved.
bool SortEdges(std::vector<COutlineEdge*>& v) {
  bool moved = false;
  for (size_t i = 1; i < v.size(); ++i) {
    COutlineEdge* e = v[i];
    size_t j = i;
    while (j > 0 && SortsBefore(e, v[j - 1])) {
      v[j] = v[j - 1];
      --j;
    }
    if (j != i) moved = true;
    v[j] = e;
  }
  return moved;
}

}  // namespace

void COutlineScanner::PairContourEdges() {
  if (m_changed) {
    m_sorted.clear();
    for (COutlineEdge* e : m_active) {
      if (e->tag < 0 || (m_setup.width <= 0 && m_setup.depth <= 0)) m_sorted.push_back(e);
    }
    SortEdges(m_sorted);
  } else if (!SortEdges(m_sorted)) {
    return;  // same edges in the same order: the pairs stand
  }
  // Each edge still present takes the next present edge of the other
  // direction as its partner.
  m_pairs.clear();
  m_used.assign(m_sorted.size(), 0);
  for (size_t i = 0; i < m_sorted.size(); ++i) {
    if (m_used[i]) continue;
    for (size_t j = i + 1; j < m_sorted.size(); ++j) {
      if (!m_used[j] && m_sorted[j]->direction != m_sorted[i]->direction) {
        m_used[j] = 1;
        m_pairs.emplace_back(m_sorted[i], m_sorted[j]);
        break;
      }
    }
  }
}

int COutlineScanner::ClassifyContours() {
  std::vector<COutlineEdge*> sorted;
  for (COutlineEdge* e : m_active) sorted.push_back(e);
  SortEdges(sorted);
  int winding = 0;
  for (size_t i = 0; i < sorted.size(); ++i) {
    const COutlineEdge* e = sorted[i];
    const int step = e->direction == 0 ? 1 : -1;
    const int c = e->contour;
    if (c < 0 || c >= m_outline.GetContourCount() || m_outline.m_contours[c].orientClass != 0) {
      winding += step;
      continue;
    }
    size_t rightmost = i;
    for (size_t j = i + 1; j < sorted.size(); ++j) {
      if (sorted[j]->contour == c) rightmost = j;
    }
    if (sorted[rightmost]->direction == e->direction) return 0;
    if ((i > 0 && sorted[i - 1]->x == e->x) || (i + 1 < sorted.size() && sorted[i + 1]->x == e->x)) return 0;
    const int cls = ((winding != 0 && e->direction == 0) || (winding == 0 && e->direction == 1)) ? 2 : 1;
    if (m_outline.m_value == 0) {
      m_outline.m_value = cls;
    } else if (m_outline.m_value != cls) {
      m_outline.ReverseContour(c);
      // The edges already taken from the contour run the other way now too,
      // so that this scan fills it as the next one will.
      for (COutlineEdge& edge : m_edges) {
        if (edge.contour == c) edge.direction = 1 - edge.direction;
      }
      m_changed = true;
    }
    m_outline.m_contours[c].orientClass = m_outline.m_value;
    ++m_outline.m_orientedCount;
    winding += step;
  }
  return 1;
}

namespace {

// Sorts runs and joins those that overlap or touch.
void MergeRuns(std::vector<COutlineRun>& runs) {
  if (runs.size() < 2) return;
  std::sort(runs.begin(), runs.end(), [](const COutlineRun& a, const COutlineRun& b) { return a.left < b.left; });
  size_t out = 0;
  for (size_t i = 1; i < runs.size(); ++i) {
    if (int64_t{runs[i].left} <= int64_t{runs[out].right} + 1) {
      runs[out].right = std::max(runs[out].right, runs[i].right);
    } else {
      runs[++out] = runs[i];
    }
  }
  runs.resize(out + 1);
}

// a minus b, both merged; the result stays sorted and disjoint.
void SubtractRuns(const std::vector<COutlineRun>& a, const std::vector<COutlineRun>& b,
                  std::vector<COutlineRun>& out) {
  out.clear();
  size_t j = 0;
  for (COutlineRun run : a) {
    while (j < b.size() && b[j].right < run.left) ++j;
    int left = run.left;
    for (size_t k = j; k < b.size() && b[k].left <= run.right; ++k) {
      if (b[k].left > left) out.push_back({left, b[k].left - 1});
      left = std::max(left, b[k].right + 1);
      if (left > run.right) break;
    }
    if (left <= run.right) out.push_back({left, run.right});
  }
}

COutlineRun RunBetween(float a, float b) {
  int l = RoundEdge(a);
  int r = RoundEdge(b);
  if (l > r) std::swap(l, r);
  return {l, r};
}

}  // namespace

void COutlineScanner::CollectRuns() {
  m_runs.clear();
  for (const auto& pair : m_pairs) m_runs.push_back(RunBetween(pair.first->x, pair.second->x));
  // Each closed piece spans from its leftmost to its rightmost active edge.
  m_pieces.clear();
  if (m_tagCount > 0) {
    for (COutlineEdge* e : m_active) {
      if (e->tag < 0 || e->tag >= m_tagCount) continue;
      const int x = RoundEdge(e->x);
      const size_t t = static_cast<size_t>(e->tag);
      if (m_tagMin[t] > m_tagMax[t]) {  // first edge of this tag in the row
        m_tagMin[t] = m_tagMax[t] = x;
        m_tagsSeen.push_back(e->tag);
      } else {
        m_tagMin[t] = std::min(m_tagMin[t], x);
        m_tagMax[t] = std::max(m_tagMax[t], x);
      }
    }
    for (int t : m_tagsSeen) {
      m_pieces.push_back({m_tagMin[t], m_tagMax[t]});
      m_tagMin[t] = 1;
      m_tagMax[t] = 0;
    }
    m_tagsSeen.clear();
  }
  if (m_setup.inward && m_setup.depth <= 0) {
    MergeRuns(m_runs);
    MergeRuns(m_pieces);
    SubtractRuns(m_runs, m_pieces, m_merged);
  } else {
    m_runs.insert(m_runs.end(), m_pieces.begin(), m_pieces.end());
    MergeRuns(m_runs);
    m_merged.swap(m_runs);
  }
}

void COutlineScanner::RetireRow(int s) {
  size_t out = 0;
  m_changed = false;
  for (COutlineEdge* e : m_active) {
    if (e->endRow <= s + 1) {
      m_changed = true;
      continue;
    }
    e->x += e->slope;
    m_active[out++] = e;
  }
  m_active.resize(out);
}

// --- coverage kernel ---

namespace {

struct CoverageTables {
  int range[16][16][16];  // range[i][j][k] = W[i][j] + ... + W[i][k]
  int rowSum[16];
};

const CoverageTables& Coverage() {
  static const CoverageTables tables = [] {
    static const int kEdge[16] = {0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0, 0, 0};
    static const int kNear[16] = {0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0};
    static const int kWide[16] = {0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0};
    static const int kMiddle[16] = {2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2};
    CoverageTables t{};
    for (int i = 0; i < 16; ++i) {
      const int* w = (i == 0 || i == 15) ? kEdge : (i == 1 || i == 14) ? kNear : (i < 4 || i > 11) ? kWide : kMiddle;
      for (int j = 0; j < 16; ++j) {
        int sum = 0;
        for (int k = j; k < 16; ++k) {
          sum += w[k];
          t.range[i][j][k] = sum;
        }
      }
      t.rowSum[i] = t.range[i][0][15];
    }
    return t;
  }();
  return tables;
}

int FloorDiv8(int64_t v) { return static_cast<int>(v >= 0 ? v / 8 : -((-v + 7) / 8)); }

// Accumulates one mask row from its sixteen sub-rows: partial pixels through
// the range sums, runs of fully covered pixels through difference arrays so
// that a long span costs the same as a short one.
class CoverageRows {
 public:
  explicit CoverageRows(int width)
      : m_width(width), m_cur(width, 0), m_next(width, 0), m_curDiff(width + 1, 0), m_nextDiff(width + 1, 0) {}

  void AddRun(int k, int xl, int xr) {
    const CoverageTables& t = Coverage();
    // Clipped a little beyond the mask, which leaves every pixel inside as it is.
    const int64_t l = std::max<int64_t>(xl, -16);
    const int64_t r = std::min<int64_t>(xr, int64_t{m_width} * 8 + 16);
    if (l > r) return;
    const int pLo = std::max(0, FloorDiv8(l - 11 + 7));
    const int pHi = std::min(m_width - 1, FloorDiv8(r + 4));
    if (pLo > pHi) return;
    const int fullLo = std::max(pLo, FloorDiv8(l + 4 + 7));
    const int fullHi = std::min(pHi, FloorDiv8(r - 11));
    for (int p = pLo; p <= pHi; ++p) {
      if (p >= fullLo && p <= fullHi) {
        p = fullHi;
        continue;
      }
      const int64_t base = int64_t{p} * 8 - 4;
      const int a = static_cast<int>(std::max(l, base) - base);
      const int b = static_cast<int>(std::min(r, base + 15) - base);
      m_cur[p] += t.range[k + 8][a][b];
      m_next[p] += t.range[k][a][b];
    }
    if (fullLo <= fullHi) {
      m_curDiff[fullLo] += t.rowSum[k + 8];
      m_curDiff[fullHi + 1] -= t.rowSum[k + 8];
      m_nextDiff[fullLo] += t.rowSum[k];
      m_nextDiff[fullHi + 1] -= t.rowSum[k];
    }
    m_curLo = std::min(m_curLo, pLo);
    m_curHi = std::max(m_curHi, pHi);
    m_nextLo = std::min(m_nextLo, pLo);
    m_nextHi = std::max(m_nextHi, pHi);
  }

  // Writes the current row over its touched columns and moves on a row.
  void Finish(BYTE* row) {
    if (row && m_curLo <= m_curHi) {
      int running = 0;
      for (int p = m_curLo; p <= m_curHi; ++p) {
        running += m_curDiff[p];
        const int c = (m_cur[p] + running) >> 1;
        row[p] = static_cast<BYTE>(c <= 127 ? c : c <= 255 ? c - 1 : 255);
      }
    }
    if (m_curLo <= m_curHi) {
      std::fill(m_cur.begin() + m_curLo, m_cur.begin() + m_curHi + 1, 0);
      std::fill(m_curDiff.begin() + m_curLo, m_curDiff.begin() + m_curHi + 2, 0);
    }
    m_cur.swap(m_next);
    m_curDiff.swap(m_nextDiff);
    m_curLo = m_nextLo;
    m_curHi = m_nextHi;
    m_nextLo = m_width;
    m_nextHi = -1;
  }

 private:
  int m_width;
  std::vector<int> m_cur, m_next, m_curDiff, m_nextDiff;
  int m_curLo = 1 << 30, m_curHi = -1, m_nextLo = 1 << 30, m_nextHi = -1;
};

int TruncToInt(double v) { return v > 2e9 ? 2000000000 : v < -2e9 ? -2000000000 : v == v ? static_cast<int>(v) : 0; }

}  // namespace

// --- renderers ---

void CShapeOutline::RenderCoverage(CMaskBuffer* mask, float width, float depth, float angle, int orient) {
  if (!mask || !mask->bits || mask->width <= 0 || mask->height <= 0) return;
  if (int64_t{mask->height} * 8 > kMaxOutlineRows) return;
  SetBounds(0, 0, mask->width, mask->height);
  if (width > 0) NormalizeOrientation();
  COutlineScanner::Setup setup;
  setup.rows = mask->height * 8;
  setup.width = width > 0 ? TruncToInt(width * 8.0) : 0;
  setup.depth = depth > 0 ? TruncToInt(depth * 8.0) : 0;
  setup.angle = TruncToInt(angle);
  if (orient != 0 && m_orientedCount == 0 && setup.width <= 0 && setup.depth <= 0) ClassifyAll(setup.rows);
  setup.inward = m_offsetInward != 0;
  COutlineScanner scanner(*this, setup);
  CoverageRows rows(mask->width);
  // Sub-row s is sub-row (s + 4) mod 8 of its block: mask row m gathers the
  // sixteen sub-rows 8m - 4 .. 8m + 11. The last mask row is not written.
  const int lastSubRow = 8 * mask->height - 5;
  scanner.Run(lastSubRow, false, [&](int s, const COutlineRun* runs, int count) {
    const int k = (s + 4) & 7;
    for (int i = 0; i < count; ++i) rows.AddRun(k, runs[i].left, runs[i].right);
    if (k == 7) {
      const int block = (s + 4) >> 3;
      rows.Finish(block >= 1 ? mask->bits + int64_t{block - 1} * mask->width : nullptr);
    }
  });
}

void CShapeOutline::RenderSolid(CMaskBuffer* mask, float width, float depth, float angle, int orient) {
  if (!mask || !mask->bits || mask->width <= 0 || mask->height <= 0) return;
  COutlineScanner::Setup setup;
  setup.rows = mask->height;
  setup.width = width > 0 ? TruncToInt(width) : 0;
  setup.depth = depth > 0 ? TruncToInt(depth) : 0;
  setup.angle = TruncToInt(angle);
  if (orient != 0 && m_orientedCount == 0 && setup.width <= 0 && setup.depth <= 0) ClassifyAll(setup.rows);
  setup.inward = m_offsetInward != 0;
  COutlineScanner scanner(*this, setup);
  scanner.Run(mask->height - 1, false, [&](int s, const COutlineRun* runs, int count) {
    BYTE* row = mask->bits + int64_t{s} * mask->width;
    for (int i = 0; i < count; ++i) {
      const int l = std::max(runs[i].left, 0);
      const int r = std::min(runs[i].right, mask->width - 1);
      if (l <= r) std::fill(row + l, row + r + 1, BYTE{255});
    }
  });
}

// --- orientation ---

void CShapeOutline::NormalizeOrientation() {
  if (m_value != 0 || m_left > m_right || m_top > m_bottom) return;
  float dx = 0, dy = 0;
  if (m_left <= 0 || m_top <= 0) {
    dx = static_cast<float>(1 - int64_t{m_left});
    dy = static_cast<float>(1 - int64_t{m_top});
    Offset(dx, dy);
  }
  m_orientedCount = 0;
  ClassifyAll(static_cast<int>(std::clamp<int64_t>(8 * (int64_t{m_bottom} + 1), 0, kMaxOutlineRows)));
  if (dx != 0 || dy != 0) Offset(-dx, -dy);
}

// Orientation asked of a render is settled in a pass of its own before the
// render: classified on the fly, the rows above a contour's middle row would
// already have been filled the old way.
void CShapeOutline::ClassifyAll(int rows) {
  COutlineScanner::Setup setup;
  setup.rows = rows;
  setup.orient = true;
  COutlineScanner scanner(*this, setup);
  scanner.Run(setup.rows - 1, true, [](int, const COutlineRun*, int) {});
}
