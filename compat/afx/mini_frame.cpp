// CMiniFrameWnd: a frame with the small tool-window caption. The window
// layer draws and sizes that caption; the frame only bends the hit test to
// its MFS_ styles and keeps its caption in step with its owner frame.
// CMiniDockFrameWnd: the floating frame of control bars.
#include "compat/afx.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
ON_WM_NCHITTEST()
ON_WM_NCACTIVATE()
ON_WM_GETMINMAXINFO()
ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatus)
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
  if (dwStyle & MFS_THICKFRAME) dwStyle |= WS_THICKFRAME;
  else dwStyle &= ~static_cast<DWORD>(WS_THICKFRAME);
  // The bit shares its value with WS_MAXIMIZEBOX; a tool caption has no system menu to block.
  dwStyle &= ~static_cast<DWORD>(MFS_BLOCKSYSMENU);
  dwExStyle |= WS_EX_TOOLWINDOW;
  HWND parent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
  // A top-level mini frame is owned by its frame: it stays above it and goes with it.
  return CWnd::CreateEx(dwExStyle, lpClassName, lpWindowName, dwStyle, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

void PASCAL CMiniFrameWnd::CalcBorders(LPRECT lpClientRect, DWORD dwStyle, DWORD dwExStyle) {
  ::AdjustWindowRectEx(lpClientRect, dwStyle & ~static_cast<DWORD>(0xFFFF), FALSE, dwExStyle | WS_EX_TOOLWINDOW);
}

LRESULT CMiniFrameWnd::OnNcHitTest(CPoint point) {
  LRESULT hit = Default();
  const DWORD style = GetStyle();
  if (style & MFS_4THICKFRAME) {
    if (hit == HTTOPLEFT || hit == HTTOPRIGHT) hit = HTTOP;
    else if (hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) hit = HTBOTTOM;
  }
  if ((style & MFS_MOVEFRAME) && hit == HTBORDER) hit = HTCAPTION;
  (void)point;
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

