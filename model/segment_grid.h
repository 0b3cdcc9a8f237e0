// CSegmentGrid: a uniform grid over segments, for queries "which segments may
// touch this one". A segment is entered in every cell that its thickened
// course crosses, so any segment passing within the margin of a query segment
// is offered as a candidate; the caller's exact test decides. Candidates come
// roughly from the query's start outwards, each once per query.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/vector2.h"

class CSegmentGrid {
public:
  // Covers the finite points of `points` with about `cells` cells; `margin`
  // is the distance within which two segments must meet in some cell.
  void Reset(const CVector2* points, size_t count, size_t cells, float margin);

  // A segment with an end that is not a finite number is offered to every query.
  void Insert(int id, const CVector2& a, const CVector2& b);
  // The segment must be given with the ends it was inserted with.
  void Remove(int id, const CVector2& a, const CVector2& b);

  // Offers the candidates for the segment p-q to `visit` (id -> true to
  // stop); returns true when a visit stopped the walk. Segments lying wholly
  // at y below `lowest` (both ends' y less than it) are not offered. A query
  // with an end that is not a finite number is the caller's to answer.
  template <class Visit>
  bool Query(const CVector2& p, const CVector2& q, Visit&& visit, float lowest = -INFINITY) const;

  static bool Finite(const CVector2& p);

private:
  // One segment of a cell with the larger y of its ends, which lets a query
  // pass over segments wholly below its `lowest` without stamping them.
  struct Entry {
    int id;
    float maxY;
  };
  // The entries of one cell, in the order they came; most cells hold a few, so
  // those live in the cell itself and only a crowded cell takes the heap.
  class Cell {
  public:
    Cell() = default;
    Cell(const Cell& other) { *this = other; }
    Cell& operator=(const Cell& other);
    ~Cell() { Release(); }
    const Entry* begin() const { return m_capacity > kLocal ? m_heap : m_local; }
    const Entry* end() const { return begin() + m_size; }
    size_t size() const { return m_size; }
    // Inline: Insert enters a segment in each of its cells; the rare growth is a call.
    void push_back(const Entry& entry) {
      if (m_size == m_capacity) [[unlikely]]
        Grow();
      Data()[m_size++] = entry;
    }
    // Takes one `id` out, the last id taking its place.
    void Drop(int id);

  private:
    static constexpr uint32_t kLocal = 8;
    Entry* Data() { return m_capacity > kLocal ? m_heap : m_local; }
    void Grow();
    void Release();
    uint32_t m_size = 0, m_capacity = kLocal;
    union {
      Entry m_local[kLocal];
      Entry* m_heap;
    };
  };
  struct Span {
    int row0, row1;
  };
  // Cells of row `row` that the thickened segment crosses: [*col0, *col1].
  bool RowColumns(const CVector2& a, const CVector2& b, int row, int* col0, int* col1) const;
  Span Rows(const CVector2& a, const CVector2& b) const;
  // Calls visit(cell) for each cell a segment is entered in.
  template <class Visit>
  void ForCells(const CVector2& a, const CVector2& b, Visit visit);
  int Column(double x) const;
  int Row(double y) const;
  bool Stamp(int id) const;

  double m_originX = 0, m_originY = 0, m_cellWidth = 1, m_cellHeight = 1, m_margin = 0;
  int m_columns = 0, m_rows = 0;
  std::vector<Cell> m_cells;
  std::vector<int> m_everywhere;  // segments with an end that is not a number
  mutable std::vector<uint32_t> m_stamps;
  mutable uint32_t m_query = 0;
};

// Inline: every query walks them row by row and cell by cell.
inline bool CSegmentGrid::Finite(const CVector2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The floor of the quotient clamped to the grid, found as the truncation of
// the clamped quotient: the same cell, as the two agree from 0 to the last
// cell, and truncation is one instruction where floor is several.
inline int CSegmentGrid::Column(double x) const {
  const double c = (x - m_originX) / m_cellWidth;
  if (!(c > 0)) return 0;
  return c < m_columns - 1 ? static_cast<int>(c) : m_columns - 1;
}

inline int CSegmentGrid::Row(double y) const {
  const double r = (y - m_originY) / m_cellHeight;
  if (!(r > 0)) return 0;
  return r < m_rows - 1 ? static_cast<int>(r) : m_rows - 1;
}

inline CSegmentGrid::Span CSegmentGrid::Rows(const CVector2& a, const CVector2& b) const {
  const double lo = std::min<double>(a.y, b.y) - m_margin, hi = std::max<double>(a.y, b.y) + m_margin;
  return {Row(lo), Row(hi)};
}

inline bool CSegmentGrid::RowColumns(const CVector2& a, const CVector2& b, int row, int* col0, int* col1) const {
  // Points of the segment that can lie within the margin of this row.
  const double top = m_originY + row * m_cellHeight - m_margin;
  const double bottom = m_originY + (row + 1) * m_cellHeight + m_margin;
  const double ay = a.y, by = b.y, ax = a.x, bx = b.x;
  double lo = std::min(ax, bx), hi = std::max(ax, bx);
  if (ay != by) {
    // The first and last rows of the grid reach out for ever: points beyond
    // the grid's bounds are clamped into them.
    const double yTop = row == 0 ? -INFINITY : top, yBottom = row == m_rows - 1 ? INFINITY : bottom;
    double t0 = (yTop - ay) / (by - ay), t1 = (yBottom - ay) / (by - ay);
    if (t0 > t1) std::swap(t0, t1);
    t0 = std::max(t0, 0.0), t1 = std::min(t1, 1.0);
    if (t0 > t1) return false;
    const double xa = ax + t0 * (bx - ax), xb = ax + t1 * (bx - ax);
    // Rounding in the interpolation is far below the margin; the end box
    // keeps the range honest.
    lo = std::max(lo, std::min(xa, xb)), hi = std::min(hi, std::max(xa, xb));
    if (lo > hi) lo = hi = (xa + xb) / 2;
  }
  *col0 = Column(lo - m_margin);
  *col1 = Column(hi + m_margin);
  return true;
}

inline bool CSegmentGrid::Stamp(int id) const {
  uint32_t& stamp = m_stamps[static_cast<size_t>(id)];
  if (stamp == m_query) return false;
  stamp = m_query;
  return true;
}

template <class Visit>
bool CSegmentGrid::Query(const CVector2& p, const CVector2& q, Visit&& visit, float lowest) const {
  if (++m_query == 0) {
    std::fill(m_stamps.begin(), m_stamps.end(), 0u);
    m_query = 1;
  }
  for (int id : m_everywhere)
    if (Stamp(id) && visit(id)) return true;
  if (m_columns == 0) return false;
  const Span rows = Rows(p, q);
  // Held in locals: a visit that calls out would otherwise make every
  // candidate reload them. A visit never queries this grid again.
  uint32_t* const stamps = m_stamps.data();
  const uint32_t query = m_query;
  const Cell* const cells = m_cells.data();
  // From p's end outwards: blockers of a sight line lie mostly near its start.
  const bool down = q.y < p.y;
  const bool left = q.x < p.x;
  for (int k = rows.row0; k <= rows.row1; ++k) {
    const int row = down ? rows.row1 - (k - rows.row0) : k;
    int col0, col1;
    if (rows.row0 == rows.row1) {
      // All of the thickened query lies in this row, as Insert's one-row case.
      col0 = Column(std::min<double>(p.x, q.x) - m_margin), col1 = Column(std::max<double>(p.x, q.x) + m_margin);
    } else if (!RowColumns(p, q, row, &col0, &col1)) {
      continue;
    }
    const Cell* const rowCells = cells + static_cast<size_t>(row) * m_columns;
    for (int c = col0; c <= col1; ++c) {
      const Cell& cell = rowCells[left ? col1 - (c - col0) : c];
      for (const Entry *e = cell.begin(), *end = e + cell.size(); e != end; ++e) {
        if (e->maxY < lowest) continue;
        uint32_t& stamp = stamps[e->id];
        if (stamp == query) continue;
        stamp = query;
        if (visit(e->id)) return true;
      }
    }
  }
  return false;
}
