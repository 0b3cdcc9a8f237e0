// CDockContext: the modal drag and resize loops of a dockable control bar.
// The tracking frame is drawn with DrawDragRect on the desktop's DC while
// the desktop's updates are locked, so it shows over every window and
// nothing repaints under it; drawing the same frame twice erases it.
//
// Sections: set-up · dragging · resizing · docking toggle · the loop · feedback
#include "compat/afx.h"

namespace {

bool Horizontal(DWORD style) { return (style & CBRS_ORIENT_HORZ) != 0; }
bool Vertical(DWORD style) { return (style & CBRS_ORIENT_VERT) != 0; }

// Moves a rectangle the least so that the point lies inside it.
void KeepPointInside(CRect& rect, CPoint pt) {
  const int dx = pt.x < rect.left ? pt.x - rect.left : (pt.x >= rect.right ? pt.x - rect.right + 1 : 0);
  const int dy = pt.y < rect.top ? pt.y - rect.top : (pt.y >= rect.bottom ? pt.y - rect.bottom + 1 : 0);
  rect.OffsetRect(dx, dy);
}

}  // namespace

// --- set-up ---

CDockContext::CDockContext(CControlBar* pBar) : m_pBar(pBar), m_pDockSite(pBar ? pBar->m_pDockSite : nullptr) {}

CDockContext::~CDockContext() {
  if (m_pDC) CancelLoop();
}

// The floating frame around a bar of this client rectangle.
void CDockContext::AdjustWindowForFloat(CRect& rect) {
  CMiniDockFrameWnd::CalcBorders(&rect);
  rect.InflateRect(-2 * GetSystemMetrics(SM_CXBORDER), -2 * GetSystemMetrics(SM_CYBORDER));
}

void CDockContext::InitLoop() {
  // What is waiting to be painted is painted now, before the desktop is locked.
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageW(&msg);
  if (!m_pDockSite) m_pDockSite = m_pBar->m_pDockSite;
  m_dwDockStyle = m_pBar->m_dwDockStyle;
  m_dwStyle = m_pBar->m_dwStyle & CBRS_ALIGN_ANY;
  m_rectLast.SetRectEmpty();
  m_sizeLast = CSize(0, 0);
  m_bForceFrame = m_bFlip = m_bDitherLast = FALSE;
  HWND desktop = ::GetDesktopWindow();
  HDC hdc = ::LockWindowUpdate(desktop)
                ? ::GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE)
                : ::GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE);
  m_pDC = hdc ? new CDC : nullptr;
  if (m_pDC) m_pDC->Attach(hdc);
}

void CDockContext::CancelLoop() {
  if (m_pDC) DrawFocusRect(TRUE);
  if (::GetCapture() == m_pBar->GetSafeHwnd()) ::ReleaseCapture();
  HWND desktop = ::GetDesktopWindow();
  ::LockWindowUpdate(nullptr);
  if (m_pDC) {
    ::ReleaseDC(desktop, m_pDC->Detach());
    delete m_pDC;
    m_pDC = nullptr;
  }
}

// --- dragging ---

void CDockContext::StartDrag(CPoint pt) {
  InitDrag(pt);
  m_dwOverDockStyle = CanDock();
  Move(pt);
  Track();
}

void CDockContext::InitDrag(CPoint pt) {
  m_bDragging = TRUE;
  InitLoop();
  CRect rect;
  m_pBar->GetWindowRect(&rect);
  m_ptLast = pt;
  if (m_pBar->m_dwStyle & (CBRS_SIZE_DYNAMIC | CBRS_SIZE_FIXED)) {
    const int length = (m_pBar->m_dwStyle & CBRS_SIZE_DYNAMIC) ? 0 : -1;
    const CSize horz = m_pBar->CalcDynamicLayout(length, LM_HORZ | LM_HORZDOCK);
    const CSize vert = m_pBar->CalcDynamicLayout(length, LM_VERTDOCK);
    const CSize floating = (m_pBar->m_dwStyle & CBRS_SIZE_DYNAMIC) ? m_pBar->CalcDynamicLayout(length, LM_HORZ | LM_MRUWIDTH) : horz;
    m_rectDragHorz = CRect(rect.TopLeft(), horz);
    m_rectDragVert = CRect(rect.TopLeft(), vert);
    m_rectFrameDragHorz = CRect(rect.TopLeft(), floating);
    m_rectFrameDragVert = CRect(rect.TopLeft(), (m_pBar->m_dwStyle & CBRS_SIZE_DYNAMIC) ? floating : vert);
  } else {
    // A bar of one shape: the other orientation is its size turned about the point.
    const bool horzNow = Horizontal(m_dwStyle);
    const CSize size = m_pBar->CalcDynamicLayout(-1, horzNow ? LM_VERTDOCK : (LM_HORZ | LM_HORZDOCK));
    if (horzNow) {
      m_rectDragHorz = rect;
      m_rectDragVert = CRect(CPoint(pt.x - rect.Height() / 2, rect.top), size);
    } else {
      m_rectDragVert = rect;
      m_rectDragHorz = CRect(CPoint(rect.left, pt.y - rect.Width() / 2), size);
    }
    m_rectFrameDragHorz = m_rectDragHorz;
    m_rectFrameDragVert = m_rectDragVert;
  }
  AdjustWindowForFloat(m_rectFrameDragHorz);
  AdjustWindowForFloat(m_rectFrameDragVert);
  KeepPointInside(m_rectDragHorz, pt);
  KeepPointInside(m_rectDragVert, pt);
  KeepPointInside(m_rectFrameDragHorz, pt);
  KeepPointInside(m_rectFrameDragVert, pt);
}

void CDockContext::Move(CPoint pt) {
  const CSize offset = pt - m_ptLast;
  m_rectDragHorz.OffsetRect(offset);
  m_rectDragVert.OffsetRect(offset);
  m_rectFrameDragHorz.OffsetRect(offset);
  m_rectFrameDragVert.OffsetRect(offset);
  m_ptLast = pt;
  m_dwOverDockStyle = m_bForceFrame ? 0 : CanDock();
  DrawFocusRect();
}

void CDockContext::OnKey(int nChar, BOOL bDown) {
  if (nChar == VK_CONTROL) UpdateState(&m_bForceFrame, bDown);
  if (nChar == VK_SHIFT) UpdateState(&m_bFlip, bDown);
}

void CDockContext::UpdateState(BOOL* pFlag, BOOL bNewValue) {
  if (*pFlag == bNewValue) return;
  *pFlag = bNewValue;
  // Only a bar that docks both ways can be flipped.
  m_bFlip = Horizontal(m_dwDockStyle) && Vertical(m_dwDockStyle) && m_bFlip;
  m_dwOverDockStyle = m_bForceFrame ? 0 : CanDock();
  DrawFocusRect();
}

DWORD CDockContext::FindDockBar(const CRect& rect, DWORD dwDockStyle, CDockBar** ppDockBar) {
  if (!m_pDockSite) {
    if (ppDockBar) *ppDockBar = nullptr;
    return 0;
  }
  return m_pDockSite->CanDock(rect, dwDockStyle, ppDockBar);
}

DWORD CDockContext::CanDock() {
  if (!m_pDockSite) return 0;
  const bool horzFirst = Horizontal(m_dwStyle) != static_cast<bool>(m_bFlip);
  const DWORD horzStyle = m_dwDockStyle & ~static_cast<DWORD>(CBRS_ORIENT_VERT);
  const DWORD vertStyle = m_dwDockStyle & ~static_cast<DWORD>(CBRS_ORIENT_HORZ);
  DWORD dock = 0;
  // The bar's own orientation first; Shift keeps it there.
  if (horzFirst && Horizontal(m_dwDockStyle))
    dock = FindDockBar(m_rectDragHorz, horzStyle, nullptr);
  else if (Vertical(m_dwDockStyle))
    dock = FindDockBar(m_rectDragVert, vertStyle, nullptr);
  if (m_bFlip) return dock;
  // Then the other orientation, where both shapes agree on the dock bar.
  if (dock == 0 && Horizontal(m_dwDockStyle)) {
    const DWORD other = FindDockBar(m_rectDragVert, horzStyle, nullptr);
    dock = FindDockBar(m_rectDragHorz, horzStyle, nullptr);
    if (dock != other) dock = 0;
  }
  if (dock == 0 && Vertical(m_dwDockStyle)) {
    const DWORD other = FindDockBar(m_rectDragHorz, vertStyle, nullptr);
    dock = FindDockBar(m_rectDragVert, vertStyle, nullptr);
    if (dock != other) dock = 0;
  }
  return dock;
}

CDockBar* CDockContext::GetDockBar(DWORD dwOverDockStyle) {
  CDockBar* dockBar = nullptr;
  DWORD found = 0;
  if (Horizontal(dwOverDockStyle))
    found = FindDockBar(m_rectDragHorz, dwOverDockStyle & ~static_cast<DWORD>(CBRS_ORIENT_VERT), &dockBar);
  if (found == 0 && Vertical(dwOverDockStyle))
    FindDockBar(m_rectDragVert, dwOverDockStyle & ~static_cast<DWORD>(CBRS_ORIENT_HORZ), &dockBar);
  return dockBar;
}

void CDockContext::EndDrag() {
  CancelLoop();
  if (m_dwOverDockStyle != 0) {
    CDockBar* dockBar = GetDockBar(m_dwOverDockStyle);
    if (dockBar) {
      const CRect& drop = Horizontal(m_dwOverDockStyle) ? m_rectDragHorz : m_rectDragVert;
      m_uMRUDockID = static_cast<UINT>(dockBar->GetDlgCtrlID());
      m_rectMRUDockPos = drop;
      dockBar->ScreenToClient(&m_rectMRUDockPos);
      m_pDockSite->DockControlBar(m_pBar, dockBar, &drop);
      m_pDockSite->RecalcLayout();
      return;
    }
  }
  const bool horzFloat = (Horizontal(m_dwStyle) && !m_bFlip) || (Vertical(m_dwStyle) && m_bFlip);
  m_dwMRUFloatStyle = (horzFloat ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT) | (m_dwDockStyle & CBRS_FLOAT_MULTI);
  m_ptMRUFloatPos = (horzFloat ? m_rectFrameDragHorz : m_rectFrameDragVert).TopLeft();
  m_pDockSite->FloatControlBar(m_pBar, m_ptMRUFloatPos, m_dwMRUFloatStyle);
}

// --- resizing ---

void CDockContext::StartResize(int nHitTest, CPoint pt) {
  m_bDragging = FALSE;
  InitLoop();
  CRect rect;
  m_pBar->GetWindowRect(&rect);
  m_ptLast = pt;
  m_nHitTest = nHitTest;
  const CSize size = m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
  m_rectRequestedSize = CRect(rect.TopLeft(), size);
  m_rectActualSize = m_rectRequestedSize;
  m_rectActualFrameSize = m_rectRequestedSize;
  AdjustWindowForFloat(m_rectActualFrameSize);
  m_rectFrameBorders = CRect(CPoint(0, 0), m_rectActualFrameSize.Size() - m_rectActualSize.Size());
  m_dwOverDockStyle = 0;
  Stretch(pt);
  Track();
}

void CDockContext::Stretch(CPoint pt) {
  const CSize offset = pt - m_ptLast;
  DWORD mode = LM_HORZ;
  int length;
  if (m_nHitTest == HTLEFT || m_nHitTest == HTRIGHT) {
    (m_nHitTest == HTLEFT ? m_rectRequestedSize.left : m_rectRequestedSize.right) += offset.cx;
    length = m_rectRequestedSize.Width();
  } else {
    mode |= LM_LENGTHY;
    (m_nHitTest == HTTOP ? m_rectRequestedSize.top : m_rectRequestedSize.bottom) += offset.cy;
    length = m_rectRequestedSize.Height();
  }
  const CSize size = m_pBar->CalcDynamicLayout(std::max(length, 0), mode);
  CRect desk;
  ::GetWindowRect(::GetDesktopWindow(), &desk);
  CRect frame = m_rectActualFrameSize;
  const bool fromLeadingEdge = m_nHitTest == HTLEFT || m_nHitTest == HTTOP;
  if (fromLeadingEdge) {
    frame.left = frame.right - (size.cx + m_rectFrameBorders.Width());
    frame.top = frame.bottom - (size.cy + m_rectFrameBorders.Height());
  } else {
    frame.right = frame.left + size.cx + m_rectFrameBorders.Width();
    frame.bottom = frame.top + size.cy + m_rectFrameBorders.Height();
  }
  // A frame pushed entirely off the desktop is not taken.
  CRect onDesk;
  if (onDesk.IntersectRect(desk, frame)) {
    if (fromLeadingEdge) {
      m_rectActualSize.left = m_rectActualSize.right - size.cx;
      m_rectActualSize.top = m_rectActualSize.bottom - size.cy;
    } else {
      m_rectActualSize.right = m_rectActualSize.left + size.cx;
      m_rectActualSize.bottom = m_rectActualSize.top + size.cy;
    }
    m_rectActualFrameSize = frame;
  }
  m_ptLast = pt;
  DrawFocusRect();
}

void CDockContext::EndResize() {
  CancelLoop();
  m_pBar->CalcDynamicLayout(m_rectActualSize.Width(), LM_HORZ | LM_COMMIT);
  m_pDockSite->FloatControlBar(m_pBar, m_rectActualFrameSize.TopLeft(),
                               CBRS_ALIGN_TOP | (m_dwDockStyle & CBRS_FLOAT_MULTI) | CBRS_SIZE_DYNAMIC);
}

// --- docking toggle ---

void CDockContext::ToggleDocking() {
  if (!m_pDockSite) m_pDockSite = m_pBar->m_pDockSite;
  if (!m_pDockSite) return;
  if (m_pBar->IsFloating()) {
    if (!(m_pBar->m_dwDockStyle & CBRS_ALIGN_ANY)) return;
    CRect rect = m_rectMRUDockPos;
    CDockBar* dockBar = nullptr;
    if (m_uMRUDockID != 0) {
      dockBar = dynamic_cast<CDockBar*>(m_pDockSite->GetControlBar(m_uMRUDockID));
      if (dockBar) dockBar->ClientToScreen(&rect);
    }
    m_pDockSite->ReDockControlBar(m_pBar, dockBar, dockBar ? &rect : nullptr);
    m_pDockSite->RecalcLayout();
    return;
  }
  CPoint at = m_ptMRUFloatPos;
  if (at.x < 0 || at.y < 0) {
    // Never floated: where it lies now.
    at = m_rectMRUDockPos.TopLeft();
    if (CWnd* parent = m_pBar->GetParent()) parent->ClientToScreen(&at);
  }
  m_pDockSite->FloatControlBar(m_pBar, at, m_dwMRUFloatStyle);
}

// --- the loop ---

BOOL CDockContext::Track() {
  if (::GetCapture() != nullptr) {
    CancelLoop();
    return FALSE;
  }
  m_pBar->SetCapture();
  // A press let go where it was made, the pointer never moved, is a click (the
  // first of a double click, say), not a drop: the bar stays where it is.
  const CPoint pressed = m_ptLast;
  bool moved = false;
  while (::GetCapture() == m_pBar->GetSafeHwnd()) {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && compat::RunModalStep()) continue;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    switch (msg.message) {
      case WM_LBUTTONUP:
        if (m_bDragging && !moved && CPoint(msg.pt) == pressed) {
          CancelLoop();
          return FALSE;
        }
        m_bDragging ? EndDrag() : EndResize();
        return TRUE;
      case WM_MOUSEMOVE:
        moved = moved || CPoint(msg.pt) != pressed;
        m_bDragging ? Move(msg.pt) : Stretch(msg.pt);
        break;
      case WM_KEYUP:
        if (m_bDragging) OnKey(static_cast<int>(msg.wParam), FALSE);
        break;
      case WM_KEYDOWN:
        if (m_bDragging) OnKey(static_cast<int>(msg.wParam), TRUE);
        if (msg.wParam == VK_ESCAPE) {
          CancelLoop();
          return FALSE;
        }
        break;
      case WM_RBUTTONDOWN:
        CancelLoop();
        return FALSE;
      default:
        ::DispatchMessageW(&msg);
        break;
    }
  }
  CancelLoop();
  return FALSE;
}

// --- feedback ---

void CDockContext::DrawFocusRect(BOOL bRemoveRect) {
  if (!m_pDC) return;
  CSize size(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER));
  CBrush* white = CBrush::FromHandle(static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  CBrush* dither = CDC::GetHalftoneBrush();
  CBrush* brush = white;
  CRect rect;
  if (m_bDragging && Horizontal(m_dwOverDockStyle)) {
    rect = m_rectDragHorz;
  } else if (m_bDragging && Vertical(m_dwOverDockStyle)) {
    rect = m_rectDragVert;
  } else {
    // Floating: the thick frame of a floating frame, in the halftone.
    size = CSize(GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXBORDER),
                 GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYBORDER));
    if (!m_bDragging) rect = m_rectActualFrameSize;
    else if ((Horizontal(m_dwStyle) && !m_bFlip) || (Vertical(m_dwStyle) && m_bFlip)) rect = m_rectFrameDragHorz;
    else rect = m_rectFrameDragVert;
    brush = dither;
  }
  if (bRemoveRect) size = CSize(0, 0);
  // Over a dock bar the frame sits one pixel in, as the bar will.
  if (m_bDragging && (Horizontal(m_dwOverDockStyle) || Vertical(m_dwOverDockStyle)))
    rect.InflateRect(-GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER));
  m_pDC->DrawDragRect(&rect, size, &m_rectLast, m_sizeLast, brush, m_bDitherLast ? dither : white);
  m_rectLast = rect;
  m_sizeLast = size;
  m_bDitherLast = brush == dither;
}
