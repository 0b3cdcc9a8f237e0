// CBoxReducer: box-filter resampling of 32-bit pictures fed one row at a
// time. Every destination pixel is the area-weighted mean of the source
// pixels it covers, each byte channel on its own. Whole pictures and the rows
// a decoder delivers take this one road, so a picture reduced while it is
// decoded is the very picture reduced after: only the rows a destination row
// still needs are kept, never the whole source.
#pragma once

#include <map>
#include <vector>

#include "compat/win32/types.h"

class CBoxReducer {
public:
  // `destination` holds destinationWidth x destinationHeight pixels, top row
  // first. Rows arrive top row first, or bottom row first when `bottomUp`.
  // Sizes below 1 make a reducer that takes no row (Valid is false).
  CBoxReducer(int sourceWidth, int sourceHeight, DWORD* destination, int destinationWidth, int destinationHeight,
              bool bottomUp = false);

  bool Valid() const { return m_valid; }
  int SourceWidth() const { return m_sourceWidth; }
  int SourceHeight() const { return m_sourceHeight; }
  // The next source row, sourceWidth pixels; rows past the last are ignored.
  void TakeRow(const DWORD* row);
  // Rows the reducer still waits for.
  int RowsLeft() const { return m_rowsLeft; }
  // When every destination pixel takes one source pixel whole (the same size,
  // or an enlargement by a whole factor), copies the whole source picture,
  // top row first, and returns true; otherwise leaves it to TakeRow.
  bool CopyWhole(const DWORD* source);

  // The source pixels one destination pixel covers, with their weights
  // (summing to 1).
  struct Tap {
    int first = 0;
    std::vector<float> weights;
    int Last() const { return first + static_cast<int>(weights.size()) - 1; }
  };

private:
  void FinishRow(int row);
  void Reduce(const DWORD* row, std::vector<float>& line) const;
  std::vector<float> TakeLine();

  bool m_valid = false;
  bool m_bottomUp = false;
  int m_sourceWidth = 0, m_sourceHeight = 0;
  DWORD* m_destination = nullptr;
  int m_width = 0, m_height = 0;
  std::vector<Tap> m_across, m_down;
  int m_rowsLeft = 0;
  int m_nextSource = 0;       // index of the row TakeRow gets next
  int m_nextDestination = 0;  // the next destination row to finish
  // Source rows already reduced across, four float channels a pixel, kept
  // while a destination row still needs them; spare lines for reuse.
  std::map<int, std::vector<float>> m_lines;
  std::vector<std::vector<float>> m_spare;
  std::vector<float> m_sum;
};
