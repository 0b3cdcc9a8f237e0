// CDialog: dialogs made from templates through the dialog manager with the
// object attached from the first message; DoModal on the framework's modal
// loop (RunModalLoop), keyboard through PreTranslateMessage; CPropertyPage
// as a dialog; AfxMessageBox.
//
// Sections: creation · modal runs · commands and controls · modal loop · message boxes
#include "compat/afx/dialog.h"

#include <cstdio>

#include "compat/afx/resource.h"
#include "compat/afx/wnd_state.h"
#include "compat/host_path.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  // Called virtually: a derived dialog's OnOK and OnCancel answer the buttons.
  {WM_COMMAND, CN_COMMAND, IDOK, IDOK, nullptr, AFX_HANDLER(afxThis->OnOK(); return TRUE;)},
  {WM_COMMAND, CN_COMMAND, IDCANCEL, IDCANCEL, nullptr, AFX_HANDLER(afxThis->OnCancel(); return TRUE;)},
END_MESSAGE_MAP()

namespace {

HWND HwndOf(const CWnd* wnd) { return wnd ? wnd->m_hWnd : nullptr; }

std::string TemplateName(LPCTSTR name) {
  if (!name) return "(none)";
  if (IS_INTRESOURCE(name)) return std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return compat::Utf16ToUtf8(name);
}

// A press in progress (a button held down) ends when a modal dialog starts.
void CancelCapture() {
  HWND capture = ::GetCapture();
  // Another thread's press (the interface thread's, under a worker's box) goes on.
  if (!capture || ::GetWindowThreadProcessId(capture, nullptr) != ::GetCurrentThreadId()) return;
  ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
  if (::GetCapture() == capture) ::ReleaseCapture();
}

}  // namespace

// A top-level dialog that starts hidden is centred on its owner (within the
// work area), rather than left at the owner's corner where its template's
// origin puts it.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
  if (!dialog) return TRUE;
  // Centred before its initialisation runs, so that windows the dialog
  // places beside its controls there, and a place of its own, stay as set.
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(hWnd, GWL_STYLE));
  if (!(style & (WS_CHILD | WS_VISIBLE | DS_ABSALIGN | DS_CENTER))) dialog->CenterWindow();
  return dialog->OnInitDialog();
}

// --- creation ---

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

BOOL CDialog::CreateFromResource(LPCTSTR lpszTemplateName, HWND hWndParent) {
  HINSTANCE instance = AfxFindResourceHandle(lpszTemplateName, RT_DIALOG);
  HWND hwnd = compat::afx::CreateAttached(this, [&] {
    return ::CreateDialogParamW(instance, lpszTemplateName, hWndParent, AfxDlgProc, 0);
  });
  if (!hwnd && m_hWnd) Detach();
  return hwnd != nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd) {
  if (m_hWnd) return FALSE;
  m_lpszTemplateName = lpszTemplateName;
  if (IS_INTRESOURCE(lpszTemplateName) && !m_nIDHelp)
    m_nIDHelp = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpszTemplateName));
  if (pParentWnd) m_pParentWnd = pParentWnd;
  HWND parent = HwndOf(pParentWnd);
  if (!parent) parent = HwndOf(AfxGetMainWnd());
  return CreateFromResource(lpszTemplateName, parent);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd) {
  if (m_hWnd || !lpDialogTemplate) return FALSE;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  HWND hwnd = compat::afx::CreateAttached(this, [&] {
    return ::CreateDialogIndirectParamW(nullptr, lpDialogTemplate, HwndOf(pParentWnd), AfxDlgProc, 0);
  });
  if (!hwnd && m_hWnd) Detach();
  return hwnd != nullptr;
}

// --- modal runs ---

INT_PTR CDialog::DoModal() {
  HWND parent = HwndOf(m_pParentWnd);
  if (!parent) parent = HwndOf(AfxGetMainWnd());
  if (parent) parent = ::GetAncestor(parent, GA_ROOT);
  if (!::FindResourceW(AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG), m_lpszTemplateName, RT_DIALOG)) {
    std::fprintf(stderr, "dialog: no dialog template %s\n", TemplateName(m_lpszTemplateName).c_str());
    return -1;
  }
  m_nModalResult = -1;
  m_bInDoModal = true;
  m_bContinueModal = TRUE;
  m_hWndOwnerDisabled = parent && ::IsWindowEnabled(parent) ? parent : nullptr;
  if (m_hWndOwnerDisabled) ::EnableWindow(parent, FALSE);
  CancelCapture();
  // A template without the visible style is shown once the loop is idle.
  if (CreateFromResource(m_lpszTemplateName, parent) && m_bContinueModal) {
    DWORD flags = MLF_SHOWONIDLE;
    if (GetStyle() & DS_NOIDLEMSG) flags |= MLF_NOIDLEMSG;
    RunModalLoop(flags);
  }
  // Ended without EndDialog (WM_QUIT, a failed creation): the owner still comes back first.
  if (m_hWndOwnerDisabled) ::EnableWindow(m_hWndOwnerDisabled, TRUE);
  if (parent && m_hWnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
  m_hWndOwnerDisabled = nullptr;
  if (m_hWnd) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    DestroyWindow();
  }
  m_bInDoModal = false;
  return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
  if (m_bInDoModal) {
    // The owner is enabled and active again before the dialog goes.
    if (m_hWndOwnerDisabled) {
      ::EnableWindow(m_hWndOwnerDisabled, TRUE);
      if (::GetActiveWindow() == m_hWnd) ::SetActiveWindow(m_hWndOwnerDisabled);
      m_hWndOwnerDisabled = nullptr;
    }
    EndModalLoop(nResult);
  }
  if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
  ExecuteDlgInit(m_lpszTemplateName);
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// --- commands and controls ---

DWORD CDialog::GetDefID() const { return static_cast<DWORD>(::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0)); }
void CDialog::SetDefID(UINT nID) { ::SendMessageW(m_hWnd, DM_SETDEFID, nID, 0); }
void CDialog::NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
void CDialog::PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (pWndCtrl) ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
}
void CDialog::MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  // Only input goes to the dialog manager; a child dialog's keys join its parent's navigation.
  const bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                     (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
  return input && IsDialogMessage(pMsg);
}

BOOL CWnd::IsDialogMessage(LPMSG lpMsg) { return ::IsDialogMessageW(m_hWnd, lpMsg); }

// --- modal loop ---

int CWnd::RunModalLoop(DWORD dwFlags) {
  m_bContinueModal = TRUE;
  bool showOnIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
  HWND parent = ::GetParent(m_hWnd);
  if (!parent) parent = ::GetWindow(m_hWnd, GW_OWNER);
  bool idleTold = false;
  bool kickIdle = !(dwFlags & MLF_NOKICKIDLE);
  LONG idleCount = 0;
  compat::afx::InstallMessageFilter();
  while (ContinueModal()) {
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      idleTold = false;
      kickIdle = !(dwFlags & MLF_NOKICKIDLE);
      idleCount = 0;
      if (msg.message == WM_QUIT) {
        // Every loop on the way out sees the quit too.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        m_nModalResult = -1;
        break;
      }
      // Other filters see the message; the framework's own walks it below.
      auto& state = compat::afx::ThreadState();
      const HWND outerLoop = state.ownModalLoop;
      state.ownModalLoop = m_hWnd;
      const BOOL filtered = ::CallMsgFilterW(&msg, MSGF_DIALOGBOX);
      state.ownModalLoop = outerLoop;
      if (filtered) continue;
      if (!AfxPreTranslateMessageTree(this, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
      continue;
    }
    if (showOnIdle) {
      ShowWindow(SW_SHOWNORMAL);
      ::SetActiveWindow(m_hWnd);
      UpdateWindow();
      showOnIdle = false;
      continue;
    }
    if (!idleTold) {
      idleTold = true;
      if (parent && !(dwFlags & MLF_NOIDLEMSG))
        ::SendMessageW(parent, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
      continue;
    }
    // The window does its idle work (updating its controls) while it asks for more.
    if (kickIdle) {
      if (!::SendMessageW(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++)) kickIdle = false;
      continue;
    }
    if (compat::RunModalStep()) continue;
    ::WaitMessage();
  }
  m_bContinueModal = FALSE;
  return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return m_bContinueModal && ::IsWindow(m_hWnd); }

void CWnd::EndModalLoop(int nResult) {
  m_nModalResult = nResult;
  if (m_bContinueModal) {
    m_bContinueModal = FALSE;
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop if it waits
  }
}

// --- property pages ---

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CDialog(nIDTemplate), m_nIDCaption(nIDCaption) {}
CPropertyPage::CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption)
    : CDialog(lpszTemplateName), m_nIDCaption(nIDCaption) {}

// --- message boxes ---

namespace {

CString AppTitle() {
  CString title;
  if (title.LoadString(AFX_IDS_APP_TITLE)) return title;
  WCHAR path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const WCHAR* name = path;
  for (const WCHAR* p = path; *p; ++p)
    if (*p == u'\\' || *p == u'/') name = p + 1;
  title = name;
  const int dot = title.ReverseFind(u'.');
  if (dot > 0) title = title.Left(dot);
  return title;
}

}  // namespace

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT) {
  CWnd* main = AfxGetMainWnd();
  // The box belongs over whatever the user works in: the main window's active popup.
  HWND owner = main ? ::GetLastActivePopup(main->m_hWnd) : ::GetActiveWindow();
  if (owner && !::IsWindowEnabled(owner)) owner = ::GetActiveWindow();
  compat::afx::InstallMessageFilter();
  return ::MessageBoxW(owner, lpszText, AppTitle(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  CString text;
  text.LoadString(nIDPrompt);
  return AfxMessageBox(text, nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}
