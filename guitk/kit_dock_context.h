// CKitDockContext: the framework's drag and resize of a bar, with the
// toolkit's rule of which ring a bar may dock in (toolbars and the menu bar
// the outer one, sizable bars the inner one) and a thick tracking frame. The
// framework's CanDock and GetDockBar search through FindDockBar.
#pragma once

#include "compat/afx.h"

class CKitDockContext : public CDockContext {
 public:
  explicit CKitDockContext(CControlBar* bar) : CDockContext(bar) {}

  void StartDrag(CPoint pt) override;
  void StartResize(int nHitTest, CPoint pt) override;
  void DrawFocusRect(BOOL bRemoveRect = FALSE) override;

  // The dock bar of the site under `rect` that takes this bar; its matching
  // style bits, 0 when none does.
  DWORD FindDockBar(const CRect& rect, DWORD dockStyle, CDockBar** dockBar) override;
  // Whether the toolkit lets the dragged bar dock into `dock`, the drag
  // touching `touched` (a bar of that dock bar, or null).
  BOOL Accepts(CDockBar* dock, CControlBar* touched) const;

  BOOL m_bFirstDraw = TRUE;
  BOOL m_bRedraw = TRUE;
};
