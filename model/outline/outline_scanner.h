// The scan of a CShapeOutline row by row: every contour's edge table, the
// active edge list, spans paired by direction (the contours themselves) and
// by tag (closed pieces of widenings and extrusions), merged into disjoint
// runs per row. Shared by the coverage renderers, the orientation pass and
// the near-segment collection. Internal to the outline code.
#pragma once

#include <vector>

#include "model/outline/shape_outline.h"

// A run of covered columns, both ends included.
struct COutlineRun {
  int left;
  int right;
};

class COutlineScanner {
 public:
  struct Setup {
    int rows = 0;
    int width = 0;   // widening, outline units
    int depth = 0;   // extrusion, outline units
    int angle = 0;   // extrusion direction, degrees
    bool orient = false;  // classify contours on their middle rows
    bool inward = false;  // subtract widening pieces instead of adding them
  };

  COutlineScanner(CShapeOutline& outline, const Setup& setup);

  // Scans rows 0 .. lastRow (clipped to the table), calling row(s, runs, count)
  // with the merged runs of each row. With stopWhenOriented the scan ends once
  // every contour has been classified. Without visitEmptyRows rows that no
  // edge crosses are skipped.
  template <class F>
  void Run(int lastRow, bool stopWhenOriented, F row, bool visitEmptyRows = true);

 private:
  void BuildTables();
  void ActivateRow(int s);
  // Pairs the contours' own edges by direction, again whenever edges came,
  // went or changed places (crossing edges of a self-intersecting contour).
  void PairContourEdges();
  int ClassifyContours();
  void CollectRuns();
  void RetireRow(int s);

  CShapeOutline& m_outline;
  Setup m_setup;
  std::vector<COutlineEdge> m_edges;  // every edge, ordered by start row
  size_t m_nextEdge = 0;
  std::vector<COutlineEdge*> m_active;
  std::vector<COutlineEdge*> m_sorted;
  std::vector<std::pair<COutlineEdge*, COutlineEdge*>> m_pairs;
  std::vector<char> m_marks;
  std::vector<char> m_used;
  int m_tagCount = 0;
  std::vector<int> m_tagMin, m_tagMax;
  std::vector<int> m_tagsSeen;
  std::vector<COutlineRun> m_runs, m_pieces, m_merged;
  bool m_changed = true;
};

template <class F>
void COutlineScanner::Run(int lastRow, bool stopWhenOriented, F row, bool visitEmptyRows) {
  lastRow = std::min(lastRow, m_setup.rows - 1);
  for (int s = 0; s <= lastRow; ++s) {
    if (stopWhenOriented && m_outline.m_orientedCount >= m_outline.GetContourCount()) break;
    if (m_active.empty() && !visitEmptyRows) {
      if (m_nextEdge >= m_edges.size()) break;
      s = std::max(s, m_edges[m_nextEdge].startRow);
      if (s > lastRow) break;
    }
    ActivateRow(s);
    if (m_active.empty()) {
      row(s, m_merged.data(), 0);
      continue;
    }
    if (m_setup.orient && m_marks[s] && !ClassifyContours() && s < m_setup.rows - 1) m_marks[s + 1] = 1;
    PairContourEdges();
    CollectRuns();
    row(s, m_merged.data(), static_cast<int>(m_merged.size()));
    RetireRow(s);
  }
}
