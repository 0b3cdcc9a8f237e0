// CFrameWnd's control bars and its status-bar side: the list of bars, their
// layout, the View menu's bar commands, command prompts in the message bar,
// the key indicators and the tooltip texts of the bars' buttons.
#include "compat/afx.h"

#include <algorithm>

namespace {

// Commands of the system menu (SC_*) have no prompt of their own here.
constexpr UINT kFirstSystemCommand = 0xF000;

// One "\n"-separated part of a command's string resource.
CString CommandStringPart(UINT nID, int part) {
  CString full;
  if (!full.LoadString(nID)) return CString();
  int start = 0;
  for (int i = 0; i < part; ++i) {
    const int newline = full.Find(u'\n', start);
    if (newline < 0) return CString();
    start = newline + 1;
  }
  const int end = full.Find(u'\n', start);
  return end < 0 ? full.Mid(start) : full.Mid(start, end - start);
}

}  // namespace

// --- the bar list ---

void CFrameWnd::AddControlBar(CControlBar* pBar) {
  if (pBar && !m_listControlBars.Find(pBar)) m_listControlBars.AddTail(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar) {
  if (POSITION pos = m_listControlBars.Find(pBar)) m_listControlBars.RemoveAt(pos);
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) {
  if (nID == 0) return nullptr;
  for (POSITION pos = m_listControlBars.GetHeadPosition(); pos;) {
    auto* bar = static_cast<CControlBar*>(m_listControlBars.GetNext(pos));
    if (bar->m_hWnd && static_cast<UINT>(::GetDlgCtrlID(bar->m_hWnd)) == nID) return bar;
  }
  return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay) {
  if (!pBar || !pBar->m_hWnd) return;
  CFrameWnd* frame = pBar->GetDockingFrame();
  pBar->DelayShow(bShow);
  if (!bDelay && frame) frame->RecalcLayout();
  if (pBar->IsFloating()) ShowFloatingFrameOf(pBar, bShow);
}

BOOL CFrameWnd::OnBarCheck(UINT nID) {
  CControlBar* bar = GetControlBar(nID);
  if (!bar) return FALSE;
  ShowControlBar(bar, (bar->GetStyle() & WS_VISIBLE) == 0, FALSE);
  return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
  if (CControlBar* bar = GetControlBar(pCmdUI->m_nID)) {
    pCmdUI->SetCheck((bar->GetStyle() & WS_VISIBLE) != 0);
    return;
  }
  pCmdUI->ContinueRouting();
}

// --- the message bar ---

CWnd* CFrameWnd::GetMessageBar() { return GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE); }

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const { rMessage = CommandStringPart(nID, 0); }

void CFrameWnd::SetMessageText(LPCTSTR lpszText) { SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(lpszText)); }

void CFrameWnd::SetMessageText(UINT nID) { SendMessage(WM_SETMESSAGESTRING, nID); }

// wParam names a command whose prompt to show (0: none), or lParam gives the
// text itself. Answers the command shown before.
LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
  const UINT before = m_nIDLastMessage;
  if (CWnd* bar = GetMessageBar()) {
    CString prompt;
    if (lParam) {
      prompt = reinterpret_cast<LPCTSTR>(lParam);
    } else if (wParam) {
      GetMessageString(static_cast<UINT>(wParam), prompt);
    }
    bar->SetWindowText(prompt);
    // A bar shared with an outer frame shows that frame what it shows.
    if (CFrameWnd* owner = bar->GetParentFrame(); owner && owner != this) {
      owner->m_nIDLastMessage = static_cast<UINT>(wParam);
      owner->m_nIDTracking = static_cast<UINT>(wParam);
    }
  }
  m_nIDLastMessage = static_cast<UINT>(wParam);
  m_nIDTracking = static_cast<UINT>(wParam);
  return before;
}

// The highlighted menu item's prompt while a menu is open; the idle prompt
// when it closes (flags 0xFFFF with no menu).
void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu) {
  if (nFlags == 0xFFFF && !hSysMenu) {
    m_nIDTracking = AFX_IDS_IDLEMESSAGE;
    SendMessage(WM_SETMESSAGESTRING, m_nIDTracking);
    if (CWnd* bar = GetMessageBar()) bar->UpdateWindow();
    return;
  }
  if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP)) || nItemID >= kFirstSystemCommand) {
    m_nIDTracking = 0;
  } else {
    m_nIDTracking = nItemID;
  }
  if (m_nIDTracking != m_nIDLastMessage) SendMessage(WM_SETMESSAGESTRING, m_nIDTracking);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI) {
  int key = 0;
  switch (pCmdUI->m_nID) {
    case ID_INDICATOR_CAPS: key = VK_CAPITAL; break;
    case ID_INDICATOR_NUM: key = VK_NUMLOCK; break;
    case ID_INDICATOR_SCRL: key = VK_SCROLL; break;
    default:
      pCmdUI->ContinueRouting();
      return;
  }
  // The indicator shows while its lock is on.
  pCmdUI->Enable((::GetKeyState(key) & 1) != 0);
}

// A bar's tooltip asks for a button's tip: the part of the command's string
// after the prompt.
BOOL CFrameWnd::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult) {
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
  UINT_PTR id = pNMHDR->idFrom;
  if (info->uFlags & TTF_IDISHWND) id = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(id)));
  CString tip;
  if (id != 0 && id <= 0xFFFF) tip = CommandStringPart(static_cast<UINT>(id), 1);
  const int count = std::min(tip.GetLength(), static_cast<int>(std::size(info->szText)) - 1);
  std::copy_n(tip.GetString(), count, info->szText);
  info->szText[count] = 0;
  info->lpszText = info->szText;
  if (pResult) *pResult = 0;
  // The tip shows above the other popups.
  ::SetWindowPos(pNMHDR->hwndFrom, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOMOVE);
  return TRUE;
}
