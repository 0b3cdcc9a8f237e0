// CWnd message routing: WindowProc, OnWndMsg, commands and notifications,
// and the default handlers, each of which passes its message on.
#include "compat/afx/wnd.h"

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

namespace {

// The control an owner-draw record speaks for; menus have none.
HWND OwnerDrawControl(HWND parent, UINT message, LPARAM lParam) {
  if (!lParam) return nullptr;
  switch (message) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      return item->CtlType == ODT_MENU ? nullptr : ::GetDlgItem(parent, static_cast<int>(item->CtlID));
    }
    case WM_COMPAREITEM: return reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    case WM_DELETEITEM: return reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
    default: return nullptr;
  }
}

bool IsOwnerDraw(UINT message) {
  return message == WM_DRAWITEM || message == WM_MEASUREITEM || message == WM_COMPAREITEM || message == WM_DELETEITEM;
}

bool IsControlColor(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

}  // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT result = 0;
  BOOL handled = FALSE;
  if (message == WM_COMMAND) {
    handled = OnCommand(wParam, lParam);
    result = handled ? 1 : 0;
  } else if (message == WM_NOTIFY) {
    handled = OnNotify(wParam, lParam, &result);
  } else if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message)) {
    AFX_MSGCALL call{message, wParam, lParam, 0, 0, nullptr, 0};
    handled = entry->handler(this, call);
    result = call.result;
  } else if (IsOwnerDraw(message)) {
    // With no handler of its own the parent lets the control draw itself.
    handled = SendChildNotify(OwnerDrawControl(m_hWnd, message, lParam), message, wParam, lParam, &result);
  } else if (IsControlColor(message)) {
    handled = SendChildNotify(reinterpret_cast<HWND>(lParam), message, wParam, lParam, &result);
  }
  if (handled && pResult) *pResult = result;
  return handled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  // A control's notification goes to its own object first.
  if (lParam && SendChildNotify(reinterpret_cast<HWND>(lParam), WM_COMMAND, wParam, lParam, nullptr)) return TRUE;
  const UINT id = LOWORD(wParam);
  UINT code = HIWORD(wParam);
  // Menus (0) and accelerators (1) both mean "the command".
  if (!lParam) code = CN_COMMAND;
  return OnCmdMsg(id, static_cast<int>(code), nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return FALSE;
  if (SendChildNotify(header->hwndFrom, WM_NOTIFY, wParam, lParam, pResult)) return TRUE;
  AFX_MSGCALL call{WM_NOTIFY, wParam, lParam, static_cast<UINT>(header->idFrom), header->code, nullptr, 0};
  const UINT code = MAKELONG(static_cast<WORD>(header->code), WM_NOTIFY);
  if (!OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(code), &call, nullptr)) return FALSE;
  if (pResult) *pResult = call.result;
  return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

// --- default handlers ---

int CWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) { (void)lpCreateStruct; return static_cast<int>(Default()); }
BOOL CWnd::OnNcCreate(LPCREATESTRUCT lpCreateStruct) { (void)lpCreateStruct; return static_cast<BOOL>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnMove(int x, int y) { (void)x; (void)y; Default(); }
void CWnd::OnSize(UINT nType, int cx, int cy) { (void)nType; (void)cx; (void)cy; Default(); }
void CWnd::OnSizing(UINT fwSide, LPRECT pRect) { (void)fwSide; (void)pRect; Default(); }
void CWnd::OnMoving(UINT fwSide, LPRECT pRect) { (void)fwSide; (void)pRect; Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnNcPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC* pDC) { (void)pDC; return static_cast<BOOL>(Default()); }
void CWnd::OnTimer(UINT_PTR nIDEvent) { (void)nIDEvent; Default(); }
void CWnd::OnShowWindow(BOOL bShow, UINT nStatus) { (void)bShow; (void)nStatus; Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO* lpMMI) { (void)lpMMI; Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS* lpwndpos) { (void)lpwndpos; Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS* lpwndpos) { (void)lpwndpos; Default(); }
void CWnd::OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp) { (void)bCalcValidRects; (void)lpncsp; Default(); }
LRESULT CWnd::OnNcHitTest(CPoint point) { (void)point; return static_cast<LRESULT>(Default()); }
BOOL CWnd::OnNcActivate(BOOL bActive) { (void)bActive; return static_cast<BOOL>(Default()); }
void CWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) { (void)nState; (void)pWndOther; (void)bMinimized; Default(); }
void CWnd::OnActivateApp(BOOL bActive, DWORD dwThreadID) { (void)bActive; (void)dwThreadID; Default(); }
int CWnd::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) { (void)pDesktopWnd; (void)nHitTest; (void)message; return static_cast<int>(Default()); }
void CWnd::OnSetFocus(CWnd* pOldWnd) { (void)pOldWnd; Default(); }
void CWnd::OnKillFocus(CWnd* pNewWnd) { (void)pNewWnd; Default(); }
void CWnd::OnEnable(BOOL bEnable) { (void)bEnable; Default(); }
BOOL CWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) { (void)pWnd; (void)nHitTest; (void)message; return static_cast<BOOL>(Default()); }
void CWnd::OnCaptureChanged(CWnd* pWnd) { (void)pWnd; Default(); }
void CWnd::OnMouseMove(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnLButtonDown(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnLButtonUp(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnLButtonDblClk(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnRButtonDown(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnRButtonUp(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnRButtonDblClk(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnMButtonDown(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
void CWnd::OnMButtonUp(UINT nFlags, CPoint point) { (void)nFlags; (void)point; Default(); }
BOOL CWnd::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) { (void)nFlags; (void)zDelta; (void)pt; return static_cast<BOOL>(Default()); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnNcMouseMove(UINT nHitTest, CPoint point) { (void)nHitTest; (void)point; Default(); }
void CWnd::OnNcLButtonDown(UINT nHitTest, CPoint point) { (void)nHitTest; (void)point; Default(); }
void CWnd::OnNcLButtonUp(UINT nHitTest, CPoint point) { (void)nHitTest; (void)point; Default(); }
void CWnd::OnNcLButtonDblClk(UINT nHitTest, CPoint point) { (void)nHitTest; (void)point; Default(); }
void CWnd::OnNcRButtonDown(UINT nHitTest, CPoint point) { (void)nHitTest; (void)point; Default(); }
void CWnd::OnNcRButtonUp(UINT nHitTest, CPoint point) { (void)nHitTest; (void)point; Default(); }
void CWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar; (void)nRepCnt; (void)nFlags; Default(); }
void CWnd::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar; (void)nRepCnt; (void)nFlags; Default(); }
void CWnd::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar; (void)nRepCnt; (void)nFlags; Default(); }
void CWnd::OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar; (void)nRepCnt; (void)nFlags; Default(); }
void CWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar; (void)nRepCnt; (void)nFlags; Default(); }
void CWnd::OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar; (void)nRepCnt; (void)nFlags; Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) { (void)nSBCode; (void)nPos; (void)pScrollBar; Default(); }
void CWnd::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) { (void)nSBCode; (void)nPos; (void)pScrollBar; Default(); }
void CWnd::OnContextMenu(CWnd* pWnd, CPoint pos) { (void)pWnd; (void)pos; Default(); }
void CWnd::OnSysCommand(UINT nID, LPARAM lParam) { (void)nID; (void)lParam; Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) { (void)uFlags; (void)lpszSection; Default(); }
void CWnd::OnSysColorChange() { Default(); }
// A control that colours itself (ON_WM_CTLCOLOR_REFLECT) answers first.
HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  LRESULT brush = 0;
  if (pDC && pWnd &&
      SendChildNotify(pWnd->m_hWnd, WM_CTLCOLORMSGBOX + nCtlColor, reinterpret_cast<WPARAM>(pDC->m_hDC),
                      reinterpret_cast<LPARAM>(pWnd->m_hWnd), &brush))
    return reinterpret_cast<HBRUSH>(brush);
  return reinterpret_cast<HBRUSH>(Default());
}
void CWnd::OnParentNotify(UINT message, LPARAM lParam) { (void)message; (void)lParam; Default(); }
void CWnd::OnStyleChanged(int nStyleType, LPSTYLESTRUCT lpStyleStruct) { (void)nStyleType; (void)lpStyleStruct; Default(); }
void CWnd::OnDropFiles(HDROP hDropInfo) { (void)hDropInfo; Default(); }
BOOL CWnd::OnQueryEndSession() { return static_cast<BOOL>(Default()); }
void CWnd::OnEndSession(BOOL bEnding) { (void)bEnding; Default(); }
void CWnd::OnChildActivate() { Default(); }
void CWnd::OnEnterIdle(UINT nWhy, CWnd* pWho) { (void)nWhy; (void)pWho; Default(); }
