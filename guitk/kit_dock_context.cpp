// CKitDockContext: where a dragged bar may dock, and its tracking frame.
#include "guitk/kit_dock_context.h"

#include "guitk/kit_control_bar.h"
#include "guitk/kit_dock_bar.h"

namespace {

bool Horizontal(DWORD style) { return (style & CBRS_ORIENT_HORZ) != 0; }
bool Vertical(DWORD style) { return (style & CBRS_ORIENT_VERT) != 0; }

bool HoldsKind(CDockBar* dock, bool (*kind)(const CObject*)) {
  for (int i = 0; i < dock->m_arrBars.GetSize(); ++i) {
    if (CControlBar* bar = dock->GetDockedControlBar(i); bar && kind(bar)) return true;
  }
  return false;
}

bool IsSizable(const CObject* object) { return dynamic_cast<const CKitControlBar*>(object) != nullptr; }
bool IsToolBarKind(const CObject* object) { return KitIsToolBar(object); }
bool IsMenuBarKind(const CObject* object) { return KitIsMenuBar(object); }

}  // namespace

// A bar that lies across the frame floats centred on the pointer, so that a
// wide bar taken by the far end of its caption comes off under the hand.
void CKitDockContext::StartDrag(CPoint pt) {
  m_bFirstDraw = m_bRedraw = TRUE;
  InitDrag(pt);
  if (Horizontal(m_pBar->m_dwStyle)) {
    for (CRect* rect : {&m_rectFrameDragHorz, &m_rectFrameDragVert}) rect->OffsetRect(pt - rect->CenterPoint());
  }
  m_dwOverDockStyle = CanDock();
  Move(pt);
  Track();
  m_bFirstDraw = m_bRedraw = TRUE;
}

void CKitDockContext::StartResize(int nHitTest, CPoint pt) {
  m_bFirstDraw = m_bRedraw = TRUE;
  CDockContext::StartResize(nHitTest, pt);
  m_nHitTest = 0;
  m_bFirstDraw = m_bRedraw = TRUE;
}

BOOL CKitDockContext::Accepts(CDockBar* dock, CControlBar* touched) const {
  const bool inner = dynamic_cast<CKitDocBarExten*>(dock) && !dynamic_cast<CKitDocBarExtenEx*>(dock);
  const bool outer = dynamic_cast<CKitDocBarExtenEx*>(dock) != nullptr;
  const bool dragMenu = KitIsMenuBar(m_pBar), dragTool = KitIsToolBar(m_pBar), dragSizable = IsSizable(m_pBar);
  if (inner && (HoldsKind(dock, IsMenuBarKind) || dragMenu)) return FALSE;
  if (outer && (HoldsKind(dock, IsSizable) || dragSizable)) return FALSE;
  if (inner && (HoldsKind(dock, IsToolBarKind) || dragTool)) return FALSE;
  if ((dragTool || dragMenu) && touched && IsSizable(touched)) return FALSE;
  return TRUE;
}

// The frame's search for a dock bar under the drag, with the toolkit's
// refusals; the framework's CanDock and GetDockBar ask it.
DWORD CKitDockContext::FindDockBar(const CRect& rect, DWORD dockStyle, CDockBar** dockBar) {
  if (dockBar) *dockBar = nullptr;
  if (!m_pDockSite) return 0;
  dockStyle &= CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI;
  for (POSITION pos = m_pDockSite->m_listControlBars.GetHeadPosition(); pos;) {
    auto* dock = dynamic_cast<CDockBar*>(static_cast<CControlBar*>(m_pDockSite->m_listControlBars.GetNext(pos)));
    if (!dock || !dock->IsWindowVisible() || !(dock->m_dwStyle & dockStyle & CBRS_ALIGN_ANY)) continue;
    if (dock->m_bFloating && !(dockStyle & dock->m_dwStyle & CBRS_FLOAT_MULTI)) continue;
    CRect area;
    dock->GetWindowRect(&area);
    if (area.Width() == 0) area.InflateRect(1, 0);
    if (area.Height() == 0) area.InflateRect(0, 1);
    bool over = CRect().IntersectRect(area, rect) != 0;
    CControlBar* touched = nullptr;
    for (int i = 0; i < dock->m_arrBars.GetSize(); ++i) {
      CControlBar* docked = dock->GetDockedControlBar(i);
      if (!docked || docked == m_pBar || !docked->IsVisible()) continue;
      CRect barRect;
      docked->GetWindowRect(&barRect);
      if (CRect().IntersectRect(barRect, rect)) {
        over = true;
        touched = docked;
        break;
      }
    }
    if (!over || !Accepts(dock, touched)) continue;
    if (dockBar) *dockBar = dock;
    return dock->m_dwStyle & dockStyle;
  }
  return 0;
}

// Always the thick frame; the first call of a drag only arms the drawing.
void CKitDockContext::DrawFocusRect(BOOL bRemoveRect) {
  if (!m_pDC) return;
  if (m_bFirstDraw && !bRemoveRect) {
    m_bFirstDraw = FALSE;
    return;
  }
  CRect rect;
  if (m_bDragging && Horizontal(m_dwOverDockStyle)) rect = m_rectDragHorz;
  else if (m_bDragging && Vertical(m_dwOverDockStyle)) rect = m_rectDragVert;
  else if (!m_bDragging) rect = m_rectActualFrameSize;
  else if ((Horizontal(m_dwStyle) && !m_bFlip) || (Vertical(m_dwStyle) && m_bFlip)) rect = m_rectFrameDragHorz;
  else rect = m_rectFrameDragVert;
  CSize size(::GetSystemMetrics(SM_CXFRAME) - 1, ::GetSystemMetrics(SM_CYFRAME) - 1);
  if (bRemoveRect) size = CSize(0, 0);
  CBrush* white = CBrush::FromHandle(static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  CBrush* dither = CDC::GetHalftoneBrush();
  CBrush* brush = (m_bDragging && m_dwOverDockStyle != 0) ? white : dither;
  CBrush* last = m_bDitherLast ? dither : white;
  if (m_bRedraw) {
    // Nothing of ours is on the screen yet: draw without erasing.
    m_pDC->DrawDragRect(&rect, size, nullptr, CSize(0, 0), brush, brush);
    m_bRedraw = FALSE;
  } else {
    m_pDC->DrawDragRect(&rect, size, &m_rectLast, m_sizeLast, brush, last);
  }
  m_rectLast = rect;
  m_sizeLast = size;
  m_bDitherLast = brush == dither;
}
