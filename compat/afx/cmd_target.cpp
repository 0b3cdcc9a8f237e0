// CCmdTarget: message-map lookup and command routing; CCmdUI for control windows.
#include "compat/afx/wnd.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {

constexpr UINT kButtonSetCheck = 0x00F1;  // BM_SETCHECK

bool CommandEntryMatches(const AFX_MSGMAP_ENTRY& e, UINT id, UINT code) {
  if (HIWORD(code) == WM_NOTIFY) {
    return e.nMessage == WM_NOTIFY && LOWORD(e.nCode) == LOWORD(code) && id >= e.nID && id <= e.nLastID;
  }
  return e.nMessage == WM_COMMAND && e.nCode == code && id >= e.nID && id <= e.nLastID;
}

bool MessageEntryMatches(const AFX_MSGMAP_ENTRY& e, UINT message) {
  if (e.pRegistered) return *e.pRegistered != 0 && *e.pRegistered == message;
  if (e.nMessage == WM_COMMAND || e.nMessage == WM_NOTIFY) return false;
  if (e.nCode == AFX_MSGRANGE) return message >= e.nMessage && message <= e.nLastID;
  return e.nMessage == message;
}

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->handler; ++e) {
      if (MessageEntryMatches(*e, message)) return e;
    }
  }
  return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  const UINT code = static_cast<UINT>(nCode);
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->handler; ++e) {
      if (!CommandEntryMatches(*e, nID, code)) continue;
      if (pHandlerInfo) return TRUE;  // only asked whether a handler exists
      if (HIWORD(code) == WM_NOTIFY) {
        auto* call = static_cast<AFX_MSGCALL*>(pExtra);
        call->nID = nID;
        if (e->handler(this, *call)) return TRUE;
        continue;
      }
      AFX_MSGCALL call{WM_COMMAND, 0, 0, nID, code, pExtra, 0};
      // A ON_COMMAND_EX handler answering FALSE lets routing go on.
      if (e->handler(this, call)) return TRUE;
    }
  }
  return FALSE;
}

// --- the wait cursor ---

namespace {

// Nested waits share one count per thread: the arrow comes back with the last.
thread_local int t_waitDepth = 0;
thread_local HCURSOR t_beforeWait = nullptr;

}  // namespace

void CCmdTarget::BeginWaitCursor() {
  HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  if (t_waitDepth++ == 0) t_beforeWait = previous;
}

void CCmdTarget::EndWaitCursor() {
  if (t_waitDepth == 0) return;
  if (--t_waitDepth == 0) ::SetCursor(t_beforeWait ? t_beforeWait : ::LoadCursorW(nullptr, IDC_ARROW));
}

void CCmdTarget::RestoreWaitCursor() {
  if (t_waitDepth > 0) ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

CWaitCursor::CWaitCursor() { CCmdTarget().BeginWaitCursor(); }
CWaitCursor::~CWaitCursor() { CCmdTarget().EndWaitCursor(); }
void CWaitCursor::Restore() { CCmdTarget().RestoreWaitCursor(); }

// --- CCmdUI ---

void CCmdUI::Enable(BOOL bOn) {
  if (m_pOther) {
    HWND hwnd = m_pOther->m_hWnd;
    // A control about to be disabled gives the focus back to its parent.
    if (!bOn && ::GetFocus() == hwnd) ::SetFocus(::GetParent(hwnd));
    ::EnableWindow(hwnd, bOn);
  }
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
  if (m_pOther) ::SendMessageW(m_pOther->m_hWnd, kButtonSetCheck, static_cast<WPARAM>(nCheck), 0);
}

void CCmdUI::SetRadio(BOOL bOn) { SetCheck(bOn ? 1 : 0); }

void CCmdUI::SetText(LPCTSTR lpszText) {
  if (m_pOther) ::SetWindowTextW(m_pOther->m_hWnd, lpszText);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
  if (!target) return FALSE;
  m_bEnableChanged = FALSE;
  BOOL handled = target->OnCmdMsg(m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), this, nullptr);
  if (!handled && disableIfNoHandler && !m_bEnableChanged) {
    // No update handler: the command is enabled exactly when something handles it.
    int probe = 0;
    Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &probe));
  }
  return handled;
}
