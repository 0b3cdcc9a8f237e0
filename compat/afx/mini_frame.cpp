// CMiniFrameWnd: a frame with the small tool-window caption. The window
// layer draws and sizes that caption; the frame only bends the hit test to
// its MFS_ styles and keeps its caption in step with its owner frame.
// CMiniDockFrameWnd: the floating frame of control bars.
#include "compat/afx.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMiniDockFrameWnd, CMiniFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
ON_WM_NCHITTEST()
ON_WM_NCACTIVATE()
ON_WM_GETMINMAXINFO()
ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatus)
ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CMiniFrameWnd)
ON_WM_CLOSE()
ON_WM_NCLBUTTONDOWN()
ON_WM_NCLBUTTONDBLCLK()
ON_WM_MOUSEACTIVATE()
END_MESSAGE_MAP()

namespace {

// The frame whose activation a synchronised mini frame shows.
HWND OwnerFrame(HWND mini) {
  HWND owner = ::GetWindow(mini, GW_OWNER);
  return owner ? owner : ::GetParent(mini);
}

}  // namespace

BOOL CMiniFrameWnd::Create(LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                           CWnd* pParentWnd, UINT nID) {
  return CreateEx(0, lpClassName, lpWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CMiniFrameWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle,
                             const RECT& rect, CWnd* pParentWnd, UINT nID) {
  // Sizable by its edges (MFS_4THICKFRAME) or also by its corners.
  if (dwStyle & (MFS_THICKFRAME | MFS_4THICKFRAME)) dwStyle |= WS_THICKFRAME;
  else dwStyle &= ~static_cast<DWORD>(WS_THICKFRAME);
  // The bit shares its value with WS_MAXIMIZEBOX; a tool caption has no system menu to block.
  dwStyle &= ~static_cast<DWORD>(MFS_BLOCKSYSMENU);
  dwExStyle |= WS_EX_TOOLWINDOW;
  HWND parent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
  // A top-level mini frame is owned by its frame: it stays above it and goes with it.
  const bool placed = rect.left != CW_USEDEFAULT;
  return CWnd::CreateEx(dwExStyle, lpClassName, lpWindowName, dwStyle, rect.left, rect.top,
                        placed ? rect.right - rect.left : CW_USEDEFAULT, placed ? rect.bottom - rect.top : CW_USEDEFAULT,
                        parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

void PASCAL CMiniFrameWnd::CalcBorders(LPRECT lpClientRect, DWORD dwStyle, DWORD dwExStyle) {
  ::AdjustWindowRectEx(lpClientRect, dwStyle & ~static_cast<DWORD>(0xFFFF), FALSE, dwExStyle | WS_EX_TOOLWINDOW);
}

LRESULT CMiniFrameWnd::OnNcHitTest(CPoint point) {
  LRESULT hit = Default();
  const DWORD style = GetStyle();
  if ((style & MFS_4THICKFRAME) && hit >= HTTOPLEFT && hit <= HTBOTTOMRIGHT) {
    // A corner sizes by the edge whose border the point lies on.
    CRect window;
    GetWindowRect(&window);
    const int border = GetSystemMetrics(SM_CXFRAME);
    const bool left = hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
    const bool top = hit == HTTOPLEFT || hit == HTTOPRIGHT;
    const bool onSide = left ? point.x < window.left + border : point.x >= window.right - border;
    hit = onSide ? (left ? HTLEFT : HTRIGHT) : (top ? HTTOP : HTBOTTOM);
  }
  // A frame moved by its edges is not sized by them.
  if ((style & MFS_MOVEFRAME) && (hit == HTBORDER || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT))) hit = HTCAPTION;
  return hit;
}

BOOL CMiniFrameWnd::OnNcActivate(BOOL bActive) {
  if (GetStyle() & MFS_SYNCACTIVE) {
    // Active while this frame, its owner frame or a sibling floating frame holds the activation.
    HWND active = ::GetActiveWindow();
    HWND owner = OwnerFrame(m_hWnd);
    const bool family = active && (active == m_hWnd || (owner && (active == owner || ::GetWindow(active, GW_OWNER) == owner)));
    bActive = bActive || family || m_bSyncActive;
  }
  return static_cast<BOOL>(DefWindowProc(WM_NCACTIVATE, bActive, 0));
}

void CMiniFrameWnd::OnShowWindow(BOOL bShow, UINT nStatus) {
  CFrameWnd::OnShowWindow(bShow, nStatus);
  // Shown while its owner is active: the caption says so from the start.
  if (bShow && (GetStyle() & MFS_SYNCACTIVE)) {
    HWND owner = OwnerFrame(m_hWnd);
    m_bSyncActive = owner && ::GetActiveWindow() == owner;
    SendMessage(WM_NCACTIVATE, FALSE);
  }
}

void CMiniFrameWnd::OnGetMinMaxInfo(MINMAXINFO* lpMMI) {
  CFrameWnd::OnGetMinMaxInfo(lpMMI);
  // Nothing smaller than the caption and its close button.
  lpMMI->ptMinTrackSize.x = std::max(static_cast<int>(lpMMI->ptMinTrackSize.x), GetSystemMetrics(SM_CXSMSIZE) * 2);
  lpMMI->ptMinTrackSize.y = std::max(static_cast<int>(lpMMI->ptMinTrackSize.y), GetSystemMetrics(SM_CYSMCAPTION));
}

LRESULT CMiniFrameWnd::OnFloatStatus(WPARAM wParam, LPARAM) {
  if (!(GetStyle() & MFS_SYNCACTIVE)) return 0;
  if (wParam & (FS_ACTIVATE | FS_DEACTIVATE)) {
    m_bSyncActive = (wParam & FS_ACTIVATE) != 0;
    SendMessage(WM_NCACTIVATE, m_bSyncActive || ::GetActiveWindow() == m_hWnd);
  }
  return 1;
}

// --- CMiniDockFrameWnd ---

CMiniDockFrameWnd::CMiniDockFrameWnd() : m_wndDockBar(TRUE) {
  // A member, not a heap object: the window's end must not delete it.
  m_wndDockBar.m_bAutoDelete = FALSE;
}

BOOL CMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle) {
  // No layout until a bar is docked: an empty frame has nothing to fit.
  m_bInRecalcLayout = TRUE;
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | MFS_MOVEFRAME | MFS_4THICKFRAME | MFS_SYNCACTIVE |
                MFS_BLOCKSYSMENU;
  if (dwBarStyle & CBRS_SIZE_DYNAMIC) style &= ~static_cast<DWORD>(MFS_MOVEFRAME);
  // Placed and sized once a bar is docked in it.
  if (!CMiniFrameWnd::CreateEx(0, nullptr, u"", style, CRect(0, 0, 0, 0), pParent)) {
    m_bInRecalcLayout = FALSE;
    return FALSE;
  }
  DWORD barStyle = (dwBarStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) ? CBRS_ALIGN_LEFT : CBRS_ALIGN_TOP;
  barStyle |= dwBarStyle & CBRS_FLOAT_MULTI;
  // Created under the docking frame, so that it joins that frame's bars, then moved in here.
  if (!m_wndDockBar.Create(pParent, WS_CHILD | WS_VISIBLE | barStyle, AFX_IDW_DOCKBAR_FLOAT)) {
    m_bInRecalcLayout = FALSE;
    return FALSE;
  }
  m_wndDockBar.SetParent(this);
  m_bInRecalcLayout = FALSE;
  return TRUE;
}

void CMiniDockFrameWnd::RecalcLayout(BOOL) {
  if (m_bInRecalcLayout || !m_wndDockBar.GetSafeHwnd()) return;
  m_bInRecalcLayout = TRUE;
  m_nIdleFlags &= ~static_cast<UINT>(idleLayout | idleNotify);
  // A bar that lays itself out to a length is sized by the frame's edges;
  // any other moves the frame by them.
  if (m_wndDockBar.m_dwStyle & CBRS_SIZE_DYNAMIC) ModifyStyle(MFS_MOVEFRAME, 0);
  else ModifyStyle(0, MFS_MOVEFRAME);
  // The frame fits round its bars.
  const BOOL horz = (m_wndDockBar.m_dwStyle & CBRS_ORIENT_HORZ) != 0;
  m_wndDockBar.m_rectLayout.SetRectEmpty();
  const CSize size = m_wndDockBar.CalcFixedLayout(FALSE, horz);
  m_wndDockBar.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  CRect rect(0, 0, size.cx, size.cy);
  ::AdjustWindowRectEx(&rect, GetStyle() & ~static_cast<DWORD>(0xFFFF), FALSE, GetExStyle());
  SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CString title;
  m_wndDockBar.GetWindowText(title);
  SetWindowText(title);
  m_bInRecalcLayout = FALSE;
}

CControlBar* CMiniDockFrameWnd::SoleBar() {
  if (m_wndDockBar.m_dwStyle & CBRS_FLOAT_MULTI) return nullptr;
  for (int pos = 1; pos < m_wndDockBar.m_arrBars.GetSize(); ++pos) {
    if (CControlBar* bar = m_wndDockBar.GetDockedControlBar(pos)) return bar;
  }
  return nullptr;
}

void CMiniDockFrameWnd::OnClose() {
  // Closing hides the bars; the frame goes away with its last bar.
  m_wndDockBar.ShowAll(FALSE);
}

void CMiniDockFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point) {
  CControlBar* bar = SoleBar();
  if (bar && bar->m_pDockContext) {
    if (nHitTest == HTCAPTION) {
      bar->m_pDockContext->StartDrag(point);
      return;
    }
    if (nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT && (bar->m_dwStyle & CBRS_SIZE_DYNAMIC)) {
      bar->m_pDockContext->StartResize(static_cast<int>(nHitTest), point);
      return;
    }
  }
  CMiniFrameWnd::OnNcLButtonDown(nHitTest, point);
}

void CMiniDockFrameWnd::OnNcLButtonDblClk(UINT nHitTest, CPoint point) {
  CControlBar* bar = SoleBar();
  if (nHitTest == HTCAPTION && bar && bar->m_pDockContext) {
    bar->m_pDockContext->ToggleDocking();
    return;
  }
  CMiniFrameWnd::OnNcLButtonDblClk(nHitTest, point);
}

int CMiniDockFrameWnd::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  // Sizing a floating bar leaves the activation where it is.
  if (nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT) return MA_NOACTIVATE;
  return CMiniFrameWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
}
