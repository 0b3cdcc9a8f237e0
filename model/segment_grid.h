// CSegmentGrid: a uniform grid over segments, for queries "which segments may
// touch this one". A segment is entered in every cell that its thickened
// course crosses, so any segment passing within the margin of a query segment
// is offered as a candidate; the caller's exact test decides. Candidates come
// roughly from the query's start outwards, each once per query.
#pragma once

#include <algorithm>
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
  // stop); returns true when a visit stopped the walk. A query with an end
  // that is not a finite number is the caller's to answer.
  template <class Visit>
  bool Query(const CVector2& p, const CVector2& q, Visit&& visit) const;

  static bool Finite(const CVector2& p);

private:
  // The ids of one cell, in the order they came; most cells hold a few, so
  // those live in the cell itself and only a crowded cell takes the heap.
  class Cell {
  public:
    Cell() = default;
    Cell(const Cell& other) { *this = other; }
    Cell& operator=(const Cell& other);
    ~Cell() { Release(); }
    const int* begin() const { return m_capacity > kLocal ? m_heap : m_local; }
    const int* end() const { return begin() + m_size; }
    size_t size() const { return m_size; }
    void push_back(int id);
    // Takes one `id` out, the last id taking its place.
    void Drop(int id);

  private:
    static constexpr uint32_t kLocal = 6;
    int* Data() { return m_capacity > kLocal ? m_heap : m_local; }
    void Release();
    uint32_t m_size = 0, m_capacity = kLocal;
    union {
      int m_local[kLocal];
      int* m_heap;
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

template <class Visit>
bool CSegmentGrid::Query(const CVector2& p, const CVector2& q, Visit&& visit) const {
  if (++m_query == 0) {
    std::fill(m_stamps.begin(), m_stamps.end(), 0u);
    m_query = 1;
  }
  for (int id : m_everywhere)
    if (Stamp(id) && visit(id)) return true;
  if (m_columns == 0) return false;
  const Span rows = Rows(p, q);
  // From p's end outwards: blockers of a sight line lie mostly near its start.
  const bool down = q.y < p.y;
  const bool left = q.x < p.x;
  for (int k = rows.row0; k <= rows.row1; ++k) {
    const int row = down ? rows.row1 - (k - rows.row0) : k;
    int col0, col1;
    if (!RowColumns(p, q, row, &col0, &col1)) continue;
    for (int c = col0; c <= col1; ++c) {
      const int col = left ? col1 - (c - col0) : c;
      for (int id : m_cells[static_cast<size_t>(row) * m_columns + col])
        if (Stamp(id) && visit(id)) return true;
    }
  }
  return false;
}
