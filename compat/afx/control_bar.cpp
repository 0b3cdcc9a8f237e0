// CControlBar: a child of a frame that claims a strip along one of its edges
// at each layout (WM_SIZEPARENT), draws its borders and gripper in its
// non-client area, updates its commands at idle and passes its controls'
// notifications on to its owner. Also CWnd::RepositionBars, which runs that layout.
//
// Sections: creating · layout · painting · mouse and fly-by prompts · idle ·
// dock context · RepositionBars
#include <algorithm>

#include "compat/afx.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_NCPAINT()
ON_WM_NCCALCSIZE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_TIMER()
ON_WM_WINDOWPOSCHANGING()
ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

namespace {

constexpr int kBorderEdge = 2;  // an etched line: shadow and highlight
// The gripper: two raised bars' worth of width with room on both sides.
constexpr int kGripperInset = 2;
constexpr int kGripperWidth = 3;
constexpr int kGripperSpace = kGripperInset + kGripperWidth + kGripperInset;
// The fly-by check: the prompt goes when the pointer has left the bar's buttons.
constexpr UINT_PTR kFlyByTimer = 0xE001;
constexpr UINT kFlyByCheckMs = 200;

bool HasDockedGripper(DWORD barStyle) { return (barStyle & (CBRS_GRIPPER | CBRS_FLOATING)) == CBRS_GRIPPER; }

// Adds a child's new place to the layout's batch, unless it is already there.
void RepositionChild(AFX_SIZEPARENTPARAMS* layout, HWND hwnd, const CRect& rect) {
  if (!layout->hDWP) return;
  HWND parent = ::GetParent(hwnd);
  CRect now;
  ::GetWindowRect(hwnd, &now);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&now), 2);
  if (now == rect) return;
  layout->hDWP = ::DeferWindowPos(layout->hDWP, hwnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                                  SWP_NOACTIVATE | SWP_NOZORDER);
}

}  // namespace

// --- creating ---

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
  DestroyDockContext();
  // Deleted while its window lives: the window goes, the object is already going.
  m_bAutoDelete = FALSE;
  if (m_hWnd) DestroyWindow();
}

BOOL CControlBar::CreateBar(LPCTSTR lpszClassName, DWORD dwStyle, DWORD dwCtrlStyle, UINT nID, CWnd* pParentWnd) {
  m_dwStyle = dwStyle & CBRS_ALL;
  if (!lpszClassName) {
    lpszClassName = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  }
  const DWORD windowStyle = (dwStyle & ~CBRS_ALL) | dwCtrlStyle;
  return CWnd::CreateEx(0, lpszClassName, nullptr, windowStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

int CControlBar::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  // A bar made directly in a frame is one of the frame's bars.
  if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)))) {
    m_pDockSite = frame;
    frame->AddControlBar(this);
  }
  return 0;
}

void CControlBar::OnDestroy() {
  KillTimer(kFlyByTimer);
  if (m_nStateFlags & statusSet) SetStatusText(-1);
  if (m_pDockSite) {
    m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
  }
  // A dock bar must not keep a bar that is gone.
  if (m_pDockBar) {
    m_pDockBar->ForgetControlBar(this);
    m_pDockBar = nullptr;
  }
  CWnd::OnDestroy();
}

void CControlBar::PostNcDestroy() {
  if (m_bAutoDelete) delete this;
}

void CControlBar::SetBarStyle(DWORD dwStyle) {
  dwStyle &= CBRS_ALL;
  if (m_dwStyle == dwStyle) return;
  const DWORD old = m_dwStyle;
  m_dwStyle = dwStyle;
  OnBarStyleChange(old, dwStyle);
}

void CControlBar::SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom) {
  m_cxLeftBorder = cxLeft;
  m_cyTopBorder = cyTop;
  m_cxRightBorder = cxRight;
  m_cyBottomBorder = cyBottom;
}

BOOL CControlBar::IsFloating() const { return (m_dwStyle & CBRS_FLOATING) != 0; }

CFrameWnd* CControlBar::GetDockingFrame() const {
  CFrameWnd* frame = GetParentFrame();
  return frame ? frame : m_pDockSite;
}

// The frame whose handlers answer the bar's command updates and prompts: the
// owner when it is a frame, else the frame the bar sits in.
CFrameWnd* CControlBar::CommandTarget() const {
  if (auto* owner = dynamic_cast<CFrameWnd*>(GetOwner())) return owner;
  return GetTopLevelFrame();
}

// --- layout ---

BOOL CControlBar::IsVisible() const {
  if (m_nStateFlags & delayHide) return FALSE;
  return (m_nStateFlags & delayShow) || (GetStyle() & WS_VISIBLE);
}

void CControlBar::DelayShow(BOOL bShow) {
  m_nStateFlags &= ~static_cast<UINT>(delayHide | delayShow);
  const bool visible = (GetStyle() & WS_VISIBLE) != 0;
  if (bShow && !visible) m_nStateFlags |= delayShow;
  if (!bShow && visible) m_nStateFlags |= delayHide;
}

DWORD CControlBar::RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout) {
  DWORD style = (m_dwStyle & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY)) | (GetStyle() & WS_VISIBLE);
  if (!(m_nStateFlags & (delayHide | delayShow))) return style;
  UINT show = 0;
  if ((m_nStateFlags & delayHide) && (style & WS_VISIBLE)) show = SWP_HIDEWINDOW;
  if ((m_nStateFlags & delayShow) && !(style & WS_VISIBLE)) show = SWP_SHOWWINDOW;
  if (!show) {
    m_nStateFlags &= ~static_cast<UINT>(delayHide | delayShow);
    return style;
  }
  // The layout places the bar as it will be; only a real layout shows or hides it.
  style ^= WS_VISIBLE;
  if (lpLayout->hDWP) {
    m_nStateFlags &= ~static_cast<UINT>(delayHide | delayShow);
    lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, m_hWnd, nullptr, 0, 0, 0, 0,
                                      show | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return style;
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  return CSize(bStretch && bHorz ? 32767 : 0, bStretch && !bHorz ? 32767 : 0);
}

CSize CControlBar::CalcDynamicLayout(int, DWORD dwMode) {
  return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZ) != 0);
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const {
  if (m_dwStyle & CBRS_BORDER_LEFT) rect.left += kBorderEdge;
  if (m_dwStyle & CBRS_BORDER_TOP) rect.top += kBorderEdge;
  if (m_dwStyle & CBRS_BORDER_RIGHT) rect.right -= kBorderEdge;
  if (m_dwStyle & CBRS_BORDER_BOTTOM) rect.bottom -= kBorderEdge;
  // The margins run along the bar: a vertical bar turns them.
  if (bHorz) {
    rect.left += m_cxLeftBorder;
    rect.top += m_cyTopBorder;
    rect.right -= m_cxRightBorder;
    rect.bottom -= m_cyBottomBorder;
    if (HasDockedGripper(m_dwStyle)) rect.left += kGripperSpace;
  } else {
    rect.left += m_cyTopBorder;
    rect.top += m_cxLeftBorder;
    rect.right -= m_cyBottomBorder;
    rect.bottom -= m_cxRightBorder;
    if (HasDockedGripper(m_dwStyle)) rect.top += kGripperSpace;
  }
}

// A bar docked at an edge of its parent takes its size from its layout, is
// placed along that edge and leaves the rest to the bars after it.
LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam) {
  auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
  const DWORD style = RecalcDelayShow(layout);
  if (!(style & WS_VISIBLE) || !(style & CBRS_ALIGN_ANY)) return 0;
  CRect rect(layout->rect);
  const CSize avail = rect.Size();
  DWORD mode = layout->bStretch ? LM_STRETCH : 0;
  if ((m_dwStyle & CBRS_SIZE_DYNAMIC) && (m_dwStyle & CBRS_FLOATING)) {
    mode |= LM_HORZ | LM_MRUWIDTH;
  } else if (style & CBRS_ORIENT_HORZ) {
    mode |= LM_HORZ | LM_HORZDOCK;
  } else {
    mode |= LM_VERTDOCK;
  }
  CSize size = CalcDynamicLayout(-1, mode);
  size.cx = std::min(size.cx, avail.cx);
  size.cy = std::min(size.cy, avail.cy);
  if (style & CBRS_ORIENT_HORZ) {
    layout->sizeTotal.cy += size.cy;
    layout->sizeTotal.cx = std::max(layout->sizeTotal.cx, size.cx);
    if (style & CBRS_ALIGN_TOP) {
      layout->rect.top += size.cy;
    } else if (style & CBRS_ALIGN_BOTTOM) {
      rect.top = rect.bottom - size.cy;
      layout->rect.bottom -= size.cy;
    }
  } else if (style & CBRS_ORIENT_VERT) {
    layout->sizeTotal.cx += size.cx;
    layout->sizeTotal.cy = std::max(layout->sizeTotal.cy, size.cy);
    if (style & CBRS_ALIGN_LEFT) {
      layout->rect.left += size.cx;
    } else if (style & CBRS_ALIGN_RIGHT) {
      rect.left = rect.right - size.cx;
      layout->rect.right -= size.cx;
    }
  }
  rect.right = rect.left + size.cx;
  rect.bottom = rect.top + size.cy;
  RepositionChild(layout, m_hWnd, rect);
  return 0;
}

void CControlBar::OnWindowPosChanging(WINDOWPOS* lpWndPos) {
  CWnd::OnWindowPosChanging(lpWndPos);
  // A bar that changes size draws its borders and gripper afresh.
  if (!(lpWndPos->flags & SWP_NOSIZE)) lpWndPos->flags |= SWP_FRAMECHANGED;
}

// --- painting ---

void CControlBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp) {
  CRect inside(0, 0, 0, 0);
  CalcInsideRect(inside, (m_dwStyle & CBRS_ORIENT_HORZ) != 0);
  ShrinkToInside(lpncsp, inside);
}

void CControlBar::ShrinkToInside(NCCALCSIZE_PARAMS* lpncsp, const CRect& inside) {
  RECT& r = lpncsp->rgrc[0];
  r.left += inside.left;
  r.top += inside.top;
  r.right += inside.right;
  r.bottom += inside.bottom;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
}

void CControlBar::OnNcPaint() { EraseNonClient(); }

void CControlBar::EraseNonClient() {
  CWindowDC dc(this);
  CRect client;
  GetClientRect(&client);
  CRect window;
  GetWindowRect(&window);
  ScreenToClient(&window);
  client.OffsetRect(-window.left, -window.top);
  dc.ExcludeClipRect(&client);
  window.OffsetRect(-window.left, -window.top);
  CRect inside = window;
  DrawBorders(&dc, inside);
  dc.FillSolidRect(&inside, ::GetSysColor(COLOR_BTNFACE));
  DrawGripper(&dc, window);
}

void CControlBar::DrawBorders(CDC* pDC, CRect& rect) {
  UINT sides = 0;
  if (m_dwStyle & CBRS_BORDER_LEFT) sides |= BF_LEFT;
  if (m_dwStyle & CBRS_BORDER_TOP) sides |= BF_TOP;
  if (m_dwStyle & CBRS_BORDER_RIGHT) sides |= BF_RIGHT;
  if (m_dwStyle & CBRS_BORDER_BOTTOM) sides |= BF_BOTTOM;
  if (sides) pDC->DrawEdge(&rect, EDGE_ETCHED, sides);
  if (sides & BF_LEFT) rect.left += kBorderEdge;
  if (sides & BF_TOP) rect.top += kBorderEdge;
  if (sides & BF_RIGHT) rect.right -= kBorderEdge;
  if (sides & BF_BOTTOM) rect.bottom -= kBorderEdge;
}

void CControlBar::DrawGripper(CDC* pDC, const CRect& rect) {
  if (!HasDockedGripper(m_dwStyle)) return;
  const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF dark = ::GetSysColor(COLOR_BTNSHADOW);
  CRect inside = rect;
  if (m_dwStyle & CBRS_BORDER_LEFT) inside.left += kBorderEdge;
  if (m_dwStyle & CBRS_BORDER_TOP) inside.top += kBorderEdge;
  if (m_dwStyle & CBRS_BORDER_RIGHT) inside.right -= kBorderEdge;
  if (m_dwStyle & CBRS_BORDER_BOTTOM) inside.bottom -= kBorderEdge;
  if (m_dwStyle & CBRS_ORIENT_HORZ) {
    pDC->Draw3dRect(inside.left + m_cxLeftBorder + kGripperInset, inside.top + m_cyTopBorder, kGripperWidth,
                    inside.Height() - m_cyTopBorder - m_cyBottomBorder, light, dark);
  } else {
    pDC->Draw3dRect(inside.left + m_cyTopBorder, inside.top + m_cxLeftBorder + kGripperInset,
                    inside.Width() - m_cyTopBorder - m_cyBottomBorder, kGripperWidth, light, dark);
  }
}

void CControlBar::OnPaint() {
  CPaintDC dc(this);
  if (IsVisible()) DoPaint(&dc);
}

void CControlBar::DoPaint(CDC*) {}

BOOL CControlBar::OnEraseBkgnd(CDC* pDC) {
  // A common control clears its own background.
  if (m_pfnSuper) return static_cast<BOOL>(Default());
  CRect client;
  GetClientRect(&client);
  pDC->FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
  return TRUE;
}

// --- mouse and fly-by prompts ---

INT_PTR CControlBar::OnToolHitTest(CPoint, TOOLINFOW*) const { return -1; }

LRESULT CControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE && (m_dwStyle & CBRS_FLYBY)) TrackFlyBy(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM: {
      // What the bar's controls tell it is meant for the frame: the bar's own
      // handlers first, then its owner.
      LRESULT result = 0;
      if (OnWndMsg(message, wParam, lParam, &result)) return result;
      CWnd* owner = GetOwner();
      if (owner && owner->m_hWnd) return owner->SendMessage(message, wParam, lParam);
      return 0;
    }
    default:
      return CWnd::WindowProc(message, wParam, lParam);
  }
}

BOOL CControlBar::SetStatusText(INT_PTR nHit) {
  CFrameWnd* frame = CommandTarget();
  if (nHit == -1) {
    if (!(m_nStateFlags & statusSet)) return FALSE;
    m_nStateFlags &= ~static_cast<UINT>(statusSet);
    if (frame) frame->SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    return TRUE;
  }
  m_nStateFlags |= statusSet;
  if (frame) frame->SendMessage(WM_SETMESSAGESTRING, static_cast<WPARAM>(nHit));
  return TRUE;
}

// The pointer over a button shows its prompt; the timer notices when it has left.
void CControlBar::TrackFlyBy(CPoint point) {
  const INT_PTR hit = OnToolHitTest(point, nullptr);
  if (hit == m_nFlyByHit) return;
  m_nFlyByHit = hit;
  SetStatusText(hit);
  if (hit != -1) SetTimer(kFlyByTimer, kFlyByCheckMs, nullptr);
}

void CControlBar::CheckFlyBy() {
  CPoint point;
  ::GetCursorPos(&point);
  INT_PTR hit = -1;
  if (::WindowFromPoint(point) == m_hWnd) {
    ScreenToClient(&point);
    hit = OnToolHitTest(point, nullptr);
  }
  if (hit != m_nFlyByHit) {
    m_nFlyByHit = hit;
    SetStatusText(hit);
  }
  if (hit == -1) KillTimer(kFlyByTimer);
}

void CControlBar::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kFlyByTimer) {
    CheckFlyBy();
    return;
  }
  CWnd::OnTimer(nIDEvent);
}

void CControlBar::OnLButtonDown(UINT nFlags, CPoint point) {
  // A press on the bar's empty space (not on a button) drags a docked bar.
  if (m_pDockBar && m_pDockContext && OnToolHitTest(point, nullptr) == -1) {
    ClientToScreen(&point);
    StartDockDrag(point);
    return;
  }
  CWnd::OnLButtonDown(nFlags, point);
}

void CControlBar::OnLButtonDblClk(UINT nFlags, CPoint point) {
  if (m_pDockBar && m_pDockContext && OnToolHitTest(point, nullptr) == -1) {
    ToggleDocking();
    return;
  }
  CWnd::OnLButtonDblClk(nFlags, point);
}

// --- idle ---

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
  // A show or hide that no layout has carried out yet happens now.
  const bool visible = (GetStyle() & WS_VISIBLE) != 0;
  UINT show = 0;
  if ((m_nStateFlags & delayHide) && visible) show = SWP_HIDEWINDOW;
  if ((m_nStateFlags & delayShow) && !visible) show = SWP_SHOWWINDOW;
  m_nStateFlags &= ~static_cast<UINT>(delayHide | delayShow);
  if (show) SetWindowPos(nullptr, 0, 0, 0, 0, show | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A hidden bar, or one in a hidden dock bar, has nothing to show.
  if (!(GetStyle() & WS_VISIBLE)) return 0;
  if (m_pDockBar && !(::GetWindowLongPtrW(::GetParent(m_hWnd), GWL_STYLE) & WS_VISIBLE)) return 0;
  if (CFrameWnd* target = CommandTarget()) OnUpdateCmdUI(target, static_cast<BOOL>(wParam));
  return 0;
}

// --- dock context ---
// A dockable bar drags and toggles through its CDockContext; a bar without
// one does neither.

void CControlBar::EnableDocking(DWORD dwDockStyle) {
  // CBRS_FLOAT_MULTI travels with the dock style: such bars share a floating frame.
  m_dwDockStyle = dwDockStyle & (CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI);
  if (!m_pDockContext) m_pDockContext = CreateDockContext();
}

CDockContext* CControlBar::CreateDockContext() { return new CDockContext(this); }

void CControlBar::DestroyDockContext() {
  delete m_pDockContext;
  m_pDockContext = nullptr;
}

void CControlBar::StartDockDrag(CPoint point) { m_pDockContext->StartDrag(point); }
void CControlBar::ToggleDocking() { m_pDockContext->ToggleDocking(); }

// --- RepositionBars ---

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlags, LPRECT lpRectParam,
                          LPCRECT lpRectClient, BOOL bStretch) {
  const bool query = (nFlags & ~reposNoPosLeftOver) == reposQuery;
  AFX_SIZEPARENTPARAMS layout{};
  layout.bStretch = bStretch;
  if (lpRectClient) {
    layout.rect = *lpRectClient;
  } else {
    ::GetClientRect(m_hWnd, &layout.rect);
  }
  layout.hDWP = query ? nullptr : ::BeginDeferWindowPos(8);
  HWND leftOver = nullptr;
  // Children in creation order: the first bar made takes the outermost strip.
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
    if (id == nIDLeftOver) {
      leftOver = child;
    } else if (id >= nIDFirst && id <= nIDLast && CWnd::FromHandlePermanent(child)) {
      ::SendMessageW(child, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }
  }
  if (query) {
    if (lpRectParam) {
      if (bStretch) {
        *lpRectParam = layout.rect;
      } else {
        *lpRectParam = RECT{0, 0, layout.sizeTotal.cx, layout.sizeTotal.cy};
      }
    }
    return;
  }
  if ((nFlags & ~reposNoPosLeftOver) == reposExtra && lpRectParam) {
    layout.rect.left += lpRectParam->left;
    layout.rect.top += lpRectParam->top;
    layout.rect.right -= lpRectParam->right;
    layout.rect.bottom -= lpRectParam->bottom;
  }
  if (leftOver && !(nFlags & reposNoPosLeftOver)) {
    CRect rest(layout.rect);
    if (rest.right < rest.left) rest.right = rest.left;
    if (rest.bottom < rest.top) rest.bottom = rest.top;
    RepositionChild(&layout, leftOver, rest);
  }
  if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
}
