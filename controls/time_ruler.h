// CTimeRuler: the timecode labels and the cursor marker under the timeline curve.
#pragma once

#include "compat/afx.h"

namespace controls {

class CTimeRuler {
 public:
  // Labels every 150 pixels, each 15 frames times the step apart (so 10
  // pixels a frame), and the cursor marker at `cursorX`.
  void Draw(CDC& dc, const CRect& rect, int step, int offset, int cursorX);

  CRect m_rect;
  int m_nOffset = 0;
  int m_nStep = 1;
  int m_nCursorX = 0;

 private:
  void DrawLabels(CDC& dc);
  void DrawMarker(CDC& dc);
  CFont m_font;
};

}  // namespace controls
