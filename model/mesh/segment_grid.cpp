// A uniform grid of segments with a conservative cover: a segment's cells are
// found row by row from the part of it that can come within the margin of the
// row, widened by the margin, so rounding can only add cells, never lose one.
#include "model/mesh/segment_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cells per side at most: far more than any mesh needs, and it keeps the
// cell arithmetic well inside int.
constexpr int kMaxCellsPerSide = 4096;

}  // namespace

void CSegmentGrid::Reset(const CVector2* points, size_t count, size_t cells, float margin) {
  m_cells.clear();
  m_reach.clear();
  m_everywhere.clear();
  m_columns = m_rows = 0;
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  for (size_t i = 0; i < count; ++i) {
    if (!Finite(points[i])) continue;
    x0 = std::min(x0, static_cast<double>(points[i].x)), x1 = std::max(x1, static_cast<double>(points[i].x));
    y0 = std::min(y0, static_cast<double>(points[i].y)), y1 = std::max(y1, static_cast<double>(points[i].y));
  }
  if (!(x0 <= x1)) return;  // no finite point: every segment goes everywhere
  // Points far apart lose precision in float; the margin grows with them.
  const double extent = std::max({x1 - x0, y1 - y0, std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1)});
  m_margin = static_cast<double>(margin) + 1e-5 * extent;
  const double width = std::max(x1 - x0, 1e-3), height = std::max(y1 - y0, 1e-3);
  const double aspect = width / height;
  const double n = static_cast<double>(std::max<size_t>(cells, 1));
  m_columns = static_cast<int>(std::clamp(std::ceil(std::sqrt(n * aspect)), 1.0, double(kMaxCellsPerSide)));
  m_rows = static_cast<int>(std::clamp(std::ceil(n / m_columns), 1.0, double(kMaxCellsPerSide)));
  m_originX = x0, m_originY = y0;
  m_cellWidth = width / m_columns, m_cellHeight = height / m_rows;
  m_perWidth = 1 / m_cellWidth, m_perHeight = 1 / m_cellHeight;
  m_cells.resize(static_cast<size_t>(m_columns) * m_rows);
  // Points beyond the grid's bounds are clamped into its first and last rows.
  m_reach.resize(static_cast<size_t>(m_rows));
  for (int row = 0; row < m_rows; ++row)
    m_reach[static_cast<size_t>(row)] = {row == 0 ? -INFINITY : m_originY + row * m_cellHeight - m_margin,
                                         row == m_rows - 1 ? INFINITY : m_originY + (row + 1) * m_cellHeight + m_margin};
}

void CSegmentGrid::Insert(int id, const CVector2& a, const CVector2& b) {
  if (static_cast<size_t>(id) >= m_slots.size()) m_slots.resize(static_cast<size_t>(id) * 2 + 64);
  m_slots[static_cast<size_t>(id)].a = a, m_slots[static_cast<size_t>(id)].b = b;
  if (m_columns == 0 || !Finite(a) || !Finite(b)) {
    m_everywhere.push_back(id);
    return;
  }
  const Entry entry{id, std::max(a.y, b.y)};
  ForCells(a, b, [&](Cell& cell) { cell.Enter(entry); });
}

template <class Visit>
void CSegmentGrid::ForCells(const CVector2& a, const CVector2& b, Visit visit) {
  const Course course(a, b);
  const Span rows = Rows(course);
  if (rows.row0 == rows.row1) {
    // The thickened segment lies in one row: all of it counts, so its cells
    // are those its widened box spans.
    const int col0 = Column(course.minX - m_margin), col1 = Column(course.maxX + m_margin);
    Cell* cells = m_cells.data() + static_cast<size_t>(rows.row0) * m_columns;
    for (int col = col0; col <= col1; ++col) visit(cells[col]);
    return;
  }
  for (int row = rows.row0; row <= rows.row1; ++row) {
    int col0, col1;
    if (!RowColumns(course, row, &col0, &col1)) continue;
    for (int col = col0; col <= col1; ++col) visit(m_cells[static_cast<size_t>(row) * m_columns + col]);
  }
}

void CSegmentGrid::Remove(int id, const CVector2& a, const CVector2& b) {
  if (m_columns == 0 || !Finite(a) || !Finite(b)) {
    const auto it = std::find(m_everywhere.begin(), m_everywhere.end(), id);
    if (it == m_everywhere.end()) return;
    *it = m_everywhere.back();
    m_everywhere.pop_back();
    return;
  }
  ForCells(a, b, [id](Cell& cell) { cell.Drop(id); });
}

CSegmentGrid::Cell& CSegmentGrid::Cell::operator=(const Cell& other) {
  if (this == &other) return *this;
  Release();
  if (other.m_size > kLocal) {
    m_heap = new Entry[other.m_size];
    m_capacity = other.m_size;
  }
  m_size = other.m_size;
  std::copy(other.begin(), other.end(), Data());
  return *this;
}

void CSegmentGrid::Cell::Release() {
  if (m_capacity > kLocal) delete[] m_heap;
  m_size = 0, m_capacity = kLocal;
}

// A cell that outgrows its own room is a crowded one, likely to grow on:
// its first heap block is four times that room.
void CSegmentGrid::Cell::Grow() {
  const uint32_t capacity = m_capacity > kLocal ? 2 * m_capacity : 4 * kLocal;
  Entry* grown = new Entry[capacity];
  std::copy(begin(), end(), grown);
  const uint32_t size = m_size;
  Release();
  m_heap = grown;
  m_size = size, m_capacity = capacity;
}

void CSegmentGrid::Cell::Drop(int id) {
  Entry* data = Data();
  Entry* const last = data + m_size;
  Entry* const it = std::find_if(data, last, [id](const Entry& e) { return e.id == id; });
  if (it == last) return;
  std::copy(it + 1, last, it);
  --m_size;
}
