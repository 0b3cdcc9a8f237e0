// CSpinButton: the owner-drawn button of a numeric field (up, down, or the
// drop-down button). It tells its parent when it is drawn pressed (1028) and
// released (1029), on those transitions only.
#pragma once

#include "compat/afx.h"

namespace controls {

class CSpinButton : public CButton {
 public:
  typedef void (*GlyphFunction)(CDC& dc, const CRect& r);
  static void DropDownGlyph(CDC& dc, const CRect& r);
  static void UpGlyph(CDC& dc, const CRect& r);
  static void DownGlyph(CDC& dc, const CRect& r);

  explicit CSpinButton(GlyphFunction glyph = DropDownGlyph) : m_pfnGlyph(glyph) {}

  BOOL m_bLatched = FALSE;  // drawn pressed while its popup is open
  BOOL m_bNoLatch = FALSE;  // spin buttons show only the system's pressed state
  GlyphFunction m_pfnGlyph;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

 private:
  bool m_bDrawnPressed = false;
};

}  // namespace controls
