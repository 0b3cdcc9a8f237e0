// CFrameWnd's docking: the edge dock bars, docking, floating and re-docking
// bars, and the dock state saved to and restored from the profile.
//
// Sections: dock bars · docking and floating · dock state
#include <algorithm>
#include <vector>

#include "compat/afx.h"

namespace {

// The edge dock bars with the alignment each takes, in the order they are made.
struct DockBarEdge {
  UINT id;
  DWORD style;
};
constexpr DockBarEdge kDockBarEdges[] = {
    {AFX_IDW_DOCKBAR_TOP, CBRS_TOP},
    {AFX_IDW_DOCKBAR_BOTTOM, CBRS_BOTTOM},
    {AFX_IDW_DOCKBAR_LEFT, CBRS_LEFT},
    {AFX_IDW_DOCKBAR_RIGHT, CBRS_RIGHT},
};

CDockBar* EdgeDockBar(CFrameWnd* frame, UINT id) {
  auto* dock = dynamic_cast<CDockBar*>(frame->GetControlBar(id));
  return dock && !dock->m_bFloating ? dock : nullptr;
}

// The frame's bars in creation order, copied: docking may change the list.
std::vector<CControlBar*> BarsOf(const CPtrList& list) {
  std::vector<CControlBar*> bars;
  for (POSITION pos = list.GetHeadPosition(); pos;) bars.push_back(static_cast<CControlBar*>(list.GetNext(pos)));
  return bars;
}

WORD BarId(const CControlBar* bar) { return static_cast<WORD>(::GetDlgCtrlID(bar->m_hWnd)); }

}  // namespace

// --- dock bars ---

void CFrameWnd::EnableDocking(DWORD dwDockStyle) {
  m_pFloatingFrameClass = RUNTIME_CLASS(CMiniDockFrameWnd);
  for (const DockBarEdge& edge : kDockBarEdges) {
    if (!(edge.style & dwDockStyle & CBRS_ALIGN_ANY) || EdgeDockBar(this, edge.id)) continue;
    auto* dock = new CDockBar;
    if (!dock->Create(this, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CHILD | WS_VISIBLE | edge.style, edge.id)) {
      delete dock;
    }
  }
}

DWORD CFrameWnd::CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar) {
  // A floating frame takes more bars only when both sides ask for it.
  dwDockStyle &= CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI;
  if (ppDockBar) *ppDockBar = nullptr;
  for (CControlBar* bar : BarsOf(m_listControlBars)) {
    auto* dock = dynamic_cast<CDockBar*>(bar);
    if (!dock || !dock->IsWindowVisible() || !(dock->m_dwStyle & dwDockStyle & CBRS_ALIGN_ANY)) continue;
    if (dock->m_bFloating && !(dwDockStyle & dock->m_dwStyle & CBRS_FLOAT_MULTI)) continue;
    CRect area;
    dock->GetWindowRect(&area);
    // An empty edge still catches a drag that touches the line it lies on.
    if (area.Width() == 0) area.InflateRect(1, 0);
    if (area.Height() == 0) area.InflateRect(0, 1);
    bool over = CRect().IntersectRect(area, rect) != 0;
    for (int pos = 0; !over && pos < dock->m_arrBars.GetSize(); ++pos) {
      CControlBar* docked = dock->GetDockedControlBar(pos);
      if (!docked || !docked->IsVisible()) continue;
      CRect barRect;
      docked->GetWindowRect(&barRect);
      over = CRect().IntersectRect(barRect, rect) != 0;
    }
    if (over) {
      if (ppDockBar) *ppDockBar = dock;
      return dock->m_dwStyle & dwDockStyle;
    }
  }
  return 0;
}

// --- docking and floating ---

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect) {
  DockControlBar(pBar, nDockBarID ? dynamic_cast<CDockBar*>(GetControlBar(nDockBarID)) : nullptr, lpRect);
}

void CFrameWnd::DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect) {
  if (!pBar) return;
  if (!pDockBar) {
    // The dock bar of the bar's alignment; a bar that names several edges
    // (CBRS_ALIGN_ANY) takes the first it may dock at, rather than none.
    const DWORD align = pBar->m_dwStyle & CBRS_ALIGN_ANY;
    for (const DockBarEdge& edge : kDockBarEdges) {
      if ((edge.style & CBRS_ALIGN_ANY) == align) pDockBar = EdgeDockBar(this, edge.id);
      if (pDockBar) break;
    }
    for (const DockBarEdge& edge : kDockBarEdges) {
      if (pDockBar) break;
      if (edge.style & pBar->m_dwDockStyle & align) pDockBar = EdgeDockBar(this, edge.id);
    }
    for (const DockBarEdge& edge : kDockBarEdges) {
      if (pDockBar) break;
      if (edge.style & (pBar->m_dwDockStyle | align) & CBRS_ALIGN_ANY) pDockBar = EdgeDockBar(this, edge.id);
    }
  }
  if (!pDockBar) return;  // docking was not enabled for any edge the bar takes
  pDockBar->DockControlBar(pBar, lpRect);
}

void CFrameWnd::ReDockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect) {
  if (!pBar) return;
  if (!pDockBar) {
    // The dock bar holding the bar's placeholder, else one of its alignment.
    auto* holder = reinterpret_cast<CControlBar*>(static_cast<UINT_PTR>(BarId(pBar)));
    CDockBar* possible = nullptr;
    for (const DockBarEdge& edge : kDockBarEdges) {
      CDockBar* dock = EdgeDockBar(this, edge.id);
      if (!dock) continue;
      if (dock->FindBar(holder) > 0) {
        pDockBar = dock;
        break;
      }
      if ((edge.style & CBRS_ALIGN_ANY) == (pBar->m_dwStyle & CBRS_ALIGN_ANY)) possible = dock;
    }
    if (!pDockBar) pDockBar = possible;
  }
  if (!pDockBar) {
    DockControlBar(pBar, static_cast<CDockBar*>(nullptr), lpRect);
    return;
  }
  pDockBar->ReDockControlBar(pBar, lpRect);
}

CMiniDockFrameWnd* CFrameWnd::CreateFloatingFrame(DWORD dwStyle) {
  CRuntimeClass* frameClass = m_pFloatingFrameClass ? m_pFloatingFrameClass : RUNTIME_CLASS(CMiniDockFrameWnd);
  auto* frame = dynamic_cast<CMiniDockFrameWnd*>(frameClass->CreateObject());
  if (!frame) return nullptr;
  if (!frame->Create(this, dwStyle)) {
    // A frame whose window never came deletes itself only after creation.
    if (!frame->GetSafeHwnd()) delete frame;
    return nullptr;
  }
  return frame;
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle) {
  if (!pBar) return;
  CMiniDockFrameWnd* frame = nullptr;
  if (pBar->IsFloating() && pBar->m_pDockBar) frame = dynamic_cast<CMiniDockFrameWnd*>(pBar->m_pDockBar->GetParent());
  if (!frame) frame = CreateFloatingFrame(dwStyle);
  if (!frame) return;
  frame->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  frame->m_wndDockBar.DockControlBar(pBar);
  frame->RecalcLayout(TRUE);
  if (pBar->GetStyle() & WS_VISIBLE) {
    frame->ShowWindow(SW_SHOWNA);
    frame->UpdateWindow();
  }
}

void CFrameWnd::ShowFloatingFrameOf(CControlBar* pBar, BOOL bShow) {
  CDockBar* dock = pBar->m_pDockBar;
  auto* frame = dock ? dynamic_cast<CMiniDockFrameWnd*>(dock->GetParent()) : nullptr;
  if (!frame) return;
  const int visible = dock->GetDockedVisibleCount();
  if (bShow && visible >= 1) {
    // The bar's own show happens in the frame's layout, before the frame appears.
    frame->RecalcLayout();
    frame->ShowWindow(SW_SHOWNA);
  } else if (visible == 0) {
    frame->ShowWindow(SW_HIDE);
  }
}

BOOL CFrameWnd::OnNcActivate(BOOL bActive) {
  std::vector<HWND> floating;
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND hwnd, LPARAM list) -> BOOL {
    if (dynamic_cast<CMiniFrameWnd*>(CWnd::FromHandlePermanent(hwnd)))
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&floating));
  std::erase_if(floating, [this](HWND hwnd) { return ::GetWindow(hwnd, GW_OWNER) != m_hWnd; });
  const HWND active = ::GetActiveWindow();
  if (!bActive && std::find(floating.begin(), floating.end(), active) != floating.end()) bActive = TRUE;
  for (HWND hwnd : floating) ::SendMessageW(hwnd, WM_FLOATSTATUS, bActive ? FS_ACTIVATE : FS_DEACTIVATE, 0);
  return static_cast<BOOL>(DefWindowProc(WM_NCACTIVATE, bActive, 0));
}

// --- dock state ---

namespace {

void GetPlainBarInfo(CControlBar* bar, CControlBarInfo* info) {
  info->m_nBarID = BarId(bar);
  info->m_pBar = bar;
  info->m_bVisible = bar->IsVisible();
  info->m_nMRUWidth = static_cast<UINT>(bar->m_nMRUWidth);
  info->m_bHorz = (bar->m_dwStyle & CBRS_ORIENT_HORZ) != 0;
  info->m_bFloating = FALSE;
  if (bar->m_pDockBar) {
    CRect rect;
    bar->GetWindowRect(&rect);
    bar->m_pDockBar->ScreenToClient(&rect);
    info->m_pointPos = rect.TopLeft();
  }
  if (CDockContext* context = bar->m_pDockContext) {
    info->m_bDocking = TRUE;
    info->m_uMRUDockID = context->m_uMRUDockID;
    info->m_rectMRUDockPos = context->m_rectMRUDockPos;
    info->m_dwMRUFloatStyle = context->m_dwMRUFloatStyle;
    info->m_ptMRUFloatPos = context->m_ptMRUFloatPos;
  }
}

void SetPlainBarInfo(CControlBar* bar, const CControlBarInfo* info) {
  if (info->m_bDocking && bar->m_pDockContext) {
    CDockContext* context = bar->m_pDockContext;
    context->m_uMRUDockID = info->m_uMRUDockID;
    context->m_rectMRUDockPos = info->m_rectMRUDockPos;
    context->m_dwMRUFloatStyle = info->m_dwMRUFloatStyle;
    context->m_ptMRUFloatPos = info->m_ptMRUFloatPos;
  }
  bar->m_nMRUWidth = static_cast<int>(info->m_nMRUWidth);
  UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (info->m_bVisible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  // Its place in its row; the layout keeps a bar where it was put.
  const bool placed = info->m_pointPos.x != -1 || info->m_pointPos.y != -1;
  if (!placed || !bar->m_pDockBar || bar->m_pDockBar->m_bFloating) flags |= SWP_NOMOVE;
  bar->SetWindowPos(nullptr, info->m_pointPos.x, info->m_pointPos.y, 0, 0, flags);
}

}  // namespace

void CFrameWnd::GetDockState(CDockState& state) const {
  state.Clear();
  for (CControlBar* bar : BarsOf(m_listControlBars)) {
    auto* info = new CControlBarInfo;
    if (auto* dock = dynamic_cast<CDockBar*>(bar)) dock->GetBarInfo(info);
    else GetPlainBarInfo(bar, info);
    state.m_arrBarInfo.Add(info);
  }
}

void CFrameWnd::SetDockState(const CDockState& state) {
  std::vector<CControlBarInfo*> infos;
  for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); ++i)
    infos.push_back(static_cast<CControlBarInfo*>(state.m_arrBarInfo[i]));
  // First the bar of every record, with a new floating frame for each floating dock bar.
  for (CControlBarInfo* info : infos) {
    info->m_pBar = nullptr;
    if (info->m_bFloating && info->m_nBarID == AFX_IDW_DOCKBAR_FLOAT) {
      CMiniDockFrameWnd* frame = CreateFloatingFrame(info->m_bHorz ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT);
      if (!frame) continue;
      frame->SetWindowPos(nullptr, info->m_pointPos.x, info->m_pointPos.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      info->m_pBar = &frame->m_wndDockBar;
    } else if (info->m_nBarID != 0) {
      CControlBar* bar = GetControlBar(info->m_nBarID);
      if (auto* dock = dynamic_cast<CDockBar*>(bar); dock && dock->m_bFloating) bar = nullptr;
      info->m_pBar = bar;  // null for an id this frame does not have
    }
  }
  // Then the dock bars' rows, then each bar's place, visibility and remembered places.
  for (CControlBarInfo* info : infos) {
    if (auto* dock = dynamic_cast<CDockBar*>(info->m_pBar)) dock->SetBarInfo(info, this);
  }
  for (CControlBarInfo* info : infos) {
    if (info->m_pBar && !dynamic_cast<CDockBar*>(info->m_pBar)) SetPlainBarInfo(info->m_pBar, info);
  }
  // Floating frames fit round what they got; one left empty goes.
  for (CControlBarInfo* info : infos) {
    auto* dock = dynamic_cast<CDockBar*>(info->m_pBar);
    if (!dock || !dock->m_bFloating) continue;
    auto* frame = dynamic_cast<CMiniDockFrameWnd*>(dock->GetParent());
    info->m_pBar = nullptr;
    if (!frame) continue;
    if (dock->GetDockedCount() == 0) {
      frame->DestroyWindow();
      continue;
    }
    frame->RecalcLayout(TRUE);
    frame->ShowWindow(dock->GetDockedVisibleCount() > 0 ? SW_SHOWNA : SW_HIDE);
  }
  for (CControlBarInfo* info : infos) info->m_pBar = nullptr;
  RecalcLayout();
}

void CFrameWnd::SaveBarState(LPCTSTR lpszProfileName) const {
  CDockState state;
  GetDockState(state);
  state.SaveState(lpszProfileName);
}

void CFrameWnd::LoadBarState(LPCTSTR lpszProfileName) {
  CDockState state;
  state.LoadState(lpszProfileName);
  SetDockState(state);
}
