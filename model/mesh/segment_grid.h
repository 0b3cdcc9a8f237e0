// CSegmentGrid: a uniform grid over segments, for queries "which segments may
// touch this one". A segment is entered in every cell that its thickened
// course crosses, so any segment passing within the margin of a query segment
// is offered as a candidate; the caller's exact test decides. Candidates come
// roughly from the query's start outwards, each once per query.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "model/geometry/vector2.h"

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
  // stop, or (id, a, b) -> true to stop, with the ends the segment was
  // inserted with); returns true when a visit stopped the walk. Segments
  // lying wholly at y below `lowest` (both ends' y less than it) are not
  // offered. A query with an end that is not a finite number is the
  // caller's to answer.
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
  // The entries of one cell, by their maxY from low to high (in the order
  // they came where equal), so that a query walks a cell from the top down
  // and stops at the first entry below its `lowest`; most cells hold a few,
  // so those live in the cell itself and only a crowded cell takes the heap.
  class Cell {
  public:
    Cell() = default;
    Cell(const Cell& other) { *this = other; }
    Cell& operator=(const Cell& other);
    ~Cell() { Release(); }
    const Entry* begin() const { return m_capacity > kLocal ? m_heap : m_local; }
    const Entry* end() const { return begin() + m_size; }
    size_t size() const { return m_size; }
    // Inline: Insert enters a segment in each of its cells; the rare growth
    // is a call. The sweep enters edges mostly at its top, where a new
    // entry goes last.
    void Enter(const Entry& entry) {
      if (m_size == m_capacity) [[unlikely]]
        Grow();
      Entry* const data = Data();
      uint32_t k = m_size++;
      for (; k > 0 && data[k - 1].maxY > entry.maxY; --k) data[k] = data[k - 1];
      data[k] = entry;
    }
    // Takes one `id` out, the entries above it moving down.
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
  // A segment made ready for the walk over its rows: its box and its run
  // in x per unit of y, worked out once rather than for every row.
  struct Course {
    Course(const CVector2& a, const CVector2& b);
    double ax, ay, minX, maxX, minY, maxY, xPerY;
  };
  // Cells of row `row` that the thickened segment crosses: [*col0, *col1].
  bool RowColumns(const Course& s, int row, int* col0, int* col1) const;
  Span Rows(const Course& s) const;
  // Calls visit(cell) for each cell a segment is entered in.
  template <class Visit>
  void ForCells(const CVector2& a, const CVector2& b, Visit visit);
  int Column(double x) const;
  int Row(double y) const;
  bool Stamp(int id) const;
  template <class Visit>
  static bool Offer(Visit& visit, int id, const CVector2& a, const CVector2& b);

  double m_originX = 0, m_originY = 0, m_cellWidth = 1, m_cellHeight = 1, m_margin = 0;
  double m_perWidth = 1, m_perHeight = 1;  // reciprocals of the cell sides
  int m_columns = 0, m_rows = 0;
  std::vector<Cell> m_cells;
  // Per row: the y range a segment must reach into to come within the
  // margin of it, the first and last rows reaching out for ever.
  struct Reach {
    double top, bottom;
  };
  std::vector<Reach> m_reach;
  std::vector<int> m_everywhere;  // segments with an end that is not a number
  // Per id: its ends, handed to the visit, and the last query that offered
  // it, side by side, as a walk reads both for each candidate.
  struct Slot {
    CVector2 a, b;
    uint32_t stamp = 0;
  };
  mutable std::vector<Slot> m_slots;
  mutable uint32_t m_query = 0;
};

// Inline: every query walks them row by row and cell by cell.
inline bool CSegmentGrid::Finite(const CVector2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The floor of the quotient clamped to the grid, found as the truncation of
// the clamped quotient: the same cell, as the two agree from 0 to the last
// cell, and truncation is one instruction where floor is several. Taken by
// the reciprocal: a cell found a rounding off at a border is covered by the
// margin, which every segment and query is widened by, and far exceeds it.
inline int CSegmentGrid::Column(double x) const {
  const double c = (x - m_originX) * m_perWidth;
  if (!(c > 0)) return 0;
  return c < m_columns - 1 ? static_cast<int>(c) : m_columns - 1;
}

inline int CSegmentGrid::Row(double y) const {
  const double r = (y - m_originY) * m_perHeight;
  if (!(r > 0)) return 0;
  return r < m_rows - 1 ? static_cast<int>(r) : m_rows - 1;
}

inline CSegmentGrid::Course::Course(const CVector2& a, const CVector2& b)
    : ax(a.x), ay(a.y), minX(std::min(a.x, b.x)), maxX(std::max(a.x, b.x)), minY(std::min(a.y, b.y)),
      maxY(std::max(a.y, b.y)), xPerY(a.y != b.y ? (static_cast<double>(b.x) - a.x) / (static_cast<double>(b.y) - a.y) : 0) {}

inline CSegmentGrid::Span CSegmentGrid::Rows(const Course& s) const {
  return {Row(s.minY - m_margin), Row(s.maxY + m_margin)};
}

inline bool CSegmentGrid::RowColumns(const Course& s, int row, int* col0, int* col1) const {
  double lo = s.minX, hi = s.maxX;
  if (s.minY != s.maxY) {
    // The part of the segment that can lie within the margin of this row.
    const double top = m_reach[static_cast<size_t>(row)].top, bottom = m_reach[static_cast<size_t>(row)].bottom;
    const double y0 = std::max(top, s.minY), y1 = std::min(bottom, s.maxY);
    if (y0 > y1) return false;
    const double xa = s.ax + (y0 - s.ay) * s.xPerY, xb = s.ax + (y1 - s.ay) * s.xPerY;
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
  uint32_t& stamp = m_slots[static_cast<size_t>(id)].stamp;
  if (stamp == m_query) return false;
  stamp = m_query;
  return true;
}

template <class Visit>
inline bool CSegmentGrid::Offer(Visit& visit, int id, const CVector2& a, const CVector2& b) {
  if constexpr (std::is_invocable_v<Visit&, int, const CVector2&, const CVector2&>)
    return visit(id, a, b);
  else
    return visit(id);
}

template <class Visit>
bool CSegmentGrid::Query(const CVector2& p, const CVector2& q, Visit&& visit, float lowest) const {
  if (++m_query == 0) {
    for (Slot& slot : m_slots) slot.stamp = 0;
    m_query = 1;
  }
  for (int id : m_everywhere)
    if (Stamp(id) && Offer(visit, id, m_slots[static_cast<size_t>(id)].a, m_slots[static_cast<size_t>(id)].b))
      return true;
  if (m_columns == 0) return false;
  const Course course(p, q);
  const Span rows = Rows(course);
  // Held in locals: a visit that calls out would otherwise make every
  // candidate reload them. A visit never queries this grid again.
  Slot* const slots = m_slots.data();
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
      col0 = Column(course.minX - m_margin), col1 = Column(course.maxX + m_margin);
    } else if (!RowColumns(course, row, &col0, &col1)) {
      continue;
    }
    const Cell* cell = cells + static_cast<size_t>(row) * m_columns + (left ? col1 : col0);
    const std::ptrdiff_t step = left ? -1 : 1;
    for (int n = col1 - col0; n >= 0; --n, cell += step) {
      for (const Entry *first = cell->begin(), *e = first + cell->size(); e != first;) {
        --e;
        if (e->maxY < lowest) break;
        Slot& slot = slots[e->id];
        if (slot.stamp == query) continue;
        slot.stamp = query;
        if (Offer(visit, e->id, slot.a, slot.b)) return true;
      }
    }
  }
  return false;
}
