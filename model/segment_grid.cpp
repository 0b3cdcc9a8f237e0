// A uniform grid of segments with a conservative cover: a segment's cells are
// found row by row from the part of it that can come within the margin of the
// row, widened by the margin, so rounding can only add cells, never lose one.
#include "model/segment_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cells per side at most: far more than any mesh needs, and it keeps the
// cell arithmetic well inside int.
constexpr int kMaxCellsPerSide = 4096;

}  // namespace

void CSegmentGrid::Reset(const CVector2* points, size_t count, size_t cells, float margin) {
  m_cells.clear();
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
  m_cells.resize(static_cast<size_t>(m_columns) * m_rows);
}

void CSegmentGrid::Insert(int id, const CVector2& a, const CVector2& b) {
  if (static_cast<size_t>(id) >= m_stamps.size()) m_stamps.resize(static_cast<size_t>(id) * 2 + 64, 0u);
  if (m_columns == 0 || !Finite(a) || !Finite(b)) {
    m_everywhere.push_back(id);
    return;
  }
  const Span rows = Rows(a, b);
  for (int row = rows.row0; row <= rows.row1; ++row) {
    int col0, col1;
    if (!RowColumns(a, b, row, &col0, &col1)) continue;
    for (int col = col0; col <= col1; ++col) m_cells[static_cast<size_t>(row) * m_columns + col].push_back(id);
  }
}

void CSegmentGrid::Remove(int id, const CVector2& a, const CVector2& b) {
  auto drop = [id](std::vector<int>& list) {
    const auto it = std::find(list.begin(), list.end(), id);
    if (it == list.end()) return;
    *it = list.back();
    list.pop_back();
  };
  if (m_columns == 0 || !Finite(a) || !Finite(b)) {
    drop(m_everywhere);
    return;
  }
  const Span rows = Rows(a, b);
  for (int row = rows.row0; row <= rows.row1; ++row) {
    int col0, col1;
    if (!RowColumns(a, b, row, &col0, &col1)) continue;
    for (int col = col0; col <= col1; ++col) drop(m_cells[static_cast<size_t>(row) * m_columns + col]);
  }
}
