// Notifications reflected to the control that sent them, and the window's
// scroll-bar members.
//
// The parent finds the sending control by the handle the message carries
// (lParam of WM_COMMAND and WM_CTLCOLOR*, hwndFrom of WM_NOTIFY, hwndItem of
// the owner-draw records) and only when that control is its own child, so a
// WM_NOTIFY a program sends to some window reaches no other object.
#include <algorithm>

#include "compat/afx/controls.h"

namespace {

// The reflect entry for the message (WM_REFLECT_BASE + the parent's message)
// and notification code, or null.
const AFX_MSGMAP_ENTRY* FindReflectEntry(const AFX_MSGMAP* map, UINT message, UINT code) {
  for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->handler; ++e) {
      if (e->nMessage == message && e->nCode == code) return e;
    }
  }
  return nullptr;
}

bool IsControlColor(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

}  // namespace

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  UINT reflected = WM_REFLECT_BASE + message;
  UINT code = 0;
  if (message == WM_COMMAND) {
    code = HIWORD(wParam);
  } else if (message == WM_NOTIFY) {
    code = reinterpret_cast<const NMHDR*>(lParam)->code;
  } else if (IsControlColor(message)) {
    reflected = WM_REFLECT_BASE + WM_CTLCOLOR;
  } else if (message != WM_DRAWITEM && message != WM_MEASUREITEM && message != WM_COMPAREITEM &&
             message != WM_DELETEITEM) {
    return FALSE;
  }
  const AFX_MSGMAP_ENTRY* entry = FindReflectEntry(GetMessageMap(), reflected, code);
  if (!entry) return FALSE;
  AFX_MSGCALL call{reflected, wParam, lParam, 0, code, nullptr, 0};
  if (IsControlColor(message)) call.nCode = message - WM_CTLCOLORMSGBOX;
  if (!entry->handler(this, call)) return FALSE;
  if (pResult) *pResult = call.result;
  return TRUE;
}

BOOL CWnd::SendChildNotify(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (!hWndChild || hWndChild == m_hWnd || ::GetParent(hWndChild) != m_hWnd) return FALSE;
  CWnd* child = FromHandlePermanent(hWndChild);
  return child && child->OnChildNotify(message, wParam, lParam, pResult);
}

// --- scroll bars ---
BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
  if (!lpScrollInfo) return FALSE;
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw);
  return TRUE;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) {
  if (!lpScrollInfo) return FALSE;
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  lpScrollInfo->fMask = nMask;
  return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
int CWnd::GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }
void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  ::SetScrollRange(m_hWnd, nBar, nMinPos, nMaxPos, bRedraw);
}
void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const {
  ::GetScrollRange(m_hWnd, nBar, lpMinPos, lpMaxPos);
}

// The highest position a program can scroll to: the last page ends at the maximum.
int CWnd::GetScrollLimit(int nBar) {
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  if (!::GetScrollInfo(m_hWnd, nBar, &info)) return 0;
  return std::max(info.nMin, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
}

BOOL CWnd::EnableScrollBar(int nSBFlags, UINT nArrowFlags) {
  return ::EnableScrollBar(m_hWnd, static_cast<UINT>(nSBFlags), nArrowFlags);
}
void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) { ::ShowScrollBar(m_hWnd, static_cast<int>(nBar), bShow); }
