// The framework's multiple-document frames over the "MDIClient" window.
#include "compat/afx.h"
#include "compat/afx/wnd_state.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

// --- CMDIFrameWnd ---

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU hMenuBar) {
  if (!hMenuBar) return nullptr;
  const int count = ::GetMenuItemCount(hMenuBar);
  for (int i = count - 1; i >= 0; --i) {
    HMENU popup = ::GetSubMenu(hMenuBar, i);
    if (!popup) continue;
    const int items = ::GetMenuItemCount(popup);
    for (int j = 0; j < items; ++j) {
      const UINT id = ::GetMenuItemID(popup, j);
      if (id >= ID_WINDOW_NEW && id <= ID_WINDOW_TILE_VERT) return popup;
    }
  }
  return count >= 2 ? ::GetSubMenu(hMenuBar, count - 2) : nullptr;
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT, CMenu* pWindowMenu) {
  CLIENTCREATESTRUCT ccs{pWindowMenu ? pWindowMenu->GetSafeHmenu() : nullptr, AFX_IDM_FIRST_MDICHILD};
  m_hWndMDIClient = ::CreateWindowExW(WS_EX_CLIENTEDGE, u"MDIClient", nullptr,
                                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)),
                                      AfxGetInstanceHandle(), &ccs);
  return m_hWndMDIClient != nullptr;
}

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*) {
  HMENU windowMenu = GetWindowMenuPopup(::GetMenu(m_hWnd));
  return CreateClient(lpcs, windowMenu ? CMenu::FromHandle(windowMenu) : nullptr);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const {
  if (pbMaximized) *pbMaximized = FALSE;
  if (!m_hWndMDIClient) return nullptr;
  HWND active = reinterpret_cast<HWND>(
      ::SendMessageW(m_hWndMDIClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(pbMaximized)));
  return dynamic_cast<CMDIChildWnd*>(CWnd::FromHandlePermanent(active));
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate) {
  if (m_hWndMDIClient && pWndActivate)
    ::SendMessageW(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(pWndActivate->m_hWnd), 0);
}

void CMDIFrameWnd::MDIMaximize(CWnd* pWnd) {
  if (m_hWndMDIClient && pWnd) ::SendMessageW(m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(pWnd->m_hWnd), 0);
}

void CMDIFrameWnd::MDIRestore(CWnd* pWnd) {
  if (m_hWndMDIClient && pWnd) ::SendMessageW(m_hWndMDIClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(pWnd->m_hWnd), 0);
}

void CMDIFrameWnd::MDINext() {
  if (m_hWndMDIClient) ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 0);
}

void CMDIFrameWnd::MDIPrev() {
  if (m_hWndMDIClient) ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 1);
}

CMenu* CMDIFrameWnd::MDISetMenu(CMenu* pFrameMenu, CMenu* pWindowMenu) {
  if (!m_hWndMDIClient) return nullptr;
  HMENU old = reinterpret_cast<HMENU>(::SendMessageW(m_hWndMDIClient, WM_MDISETMENU,
                                                     reinterpret_cast<WPARAM>(pFrameMenu ? pFrameMenu->GetSafeHmenu() : nullptr),
                                                     reinterpret_cast<LPARAM>(pWindowMenu ? pWindowMenu->GetSafeHmenu() : nullptr)));
  return old ? CMenu::FromHandle(old) : nullptr;
}

BOOL CMDIFrameWnd::PreCreateWindow(CREATESTRUCT& cs) { return CFrameWnd::PreCreateWindow(cs); }

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg) {
  // Ctrl+F4, Ctrl+F6 and Ctrl+Tab work the document windows before the frame's accelerators.
  if (m_hWndMDIClient && ::TranslateMDISysAccel(m_hWndMDIClient, pMsg)) return TRUE;
  return CFrameWnd::PreTranslateMessage(pMsg);
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  // The active document window (its view and document) first.
  CMDIChildWnd* child = MDIGetActive();
  if (child && child->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMDIFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  if (lParam == 0 && id >= AFX_IDM_FIRST_MDICHILD) {
    DefWindowProc(WM_COMMAND, wParam, lParam);
    return TRUE;
  }
  return CFrameWnd::OnCommand(wParam, lParam);
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

// --- CMDIChildWnd ---

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

BOOL CMDIChildWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CMDIFrameWnd* pParentWnd, CCreateContext* pContext) {
  if (!pParentWnd) pParentWnd = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
  if (!pParentWnd || !pParentWnd->m_hWndMDIClient) return FALSE;
  if (!lpszClassName) {
    if (!AfxDeferRegisterClass(AFX_WNDFRAMEORVIEW_REG)) return FALSE;
    lpszClassName = GetIconWndClass(dwStyle, m_nIDHelp);
  }
  m_strTitle = lpszWindowName;
  CREATESTRUCT cs{};
  cs.style = static_cast<LONG>(dwStyle | WS_CHILD);
  cs.lpszClass = lpszClassName;
  cs.lpszName = lpszWindowName;
  cs.hwndParent = pParentWnd->m_hWnd;
  const bool chosen = rect.left == CW_USEDEFAULT;
  cs.x = rect.left;
  cs.y = chosen ? CW_USEDEFAULT : rect.top;
  cs.cx = chosen ? CW_USEDEFAULT : rect.right - rect.left;
  cs.cy = chosen ? CW_USEDEFAULT : rect.bottom - rect.top;
  cs.hInstance = AfxGetInstanceHandle();
  if (!PreCreateWindow(cs)) return FALSE;
  MDICREATESTRUCTW mcs{cs.lpszClass, cs.lpszName, cs.hInstance, cs.x, cs.y, cs.cx, cs.cy,
                       static_cast<DWORD>(cs.style) & ~static_cast<DWORD>(WS_MAXIMIZE | WS_VISIBLE), reinterpret_cast<LPARAM>(pContext)};
  const HWND client = pParentWnd->m_hWndMDIClient;
  HWND hwnd = compat::afx::CreateAttached(this, [&] {
    return reinterpret_cast<HWND>(::SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  });
  return hwnd ? TRUE : FALSE;
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  m_nIDHelp = nIDResource;
  CString strings;
  strings.LoadString(nIDResource);
  const int newline = strings.Find(u'\n');
  const CString title = newline >= 0 ? strings.Left(newline) : strings;
  if (!AfxDeferRegisterClass(AFX_WNDFRAMEORVIEW_REG)) return FALSE;
  LPCTSTR windowClass = GetIconWndClass(dwDefaultStyle, nIDResource);
  return Create(windowClass, title, dwDefaultStyle, rectDefault, dynamic_cast<CMDIFrameWnd*>(pParentWnd), pContext);
}

int CMDIChildWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  CREATESTRUCT copy = *lpCreateStruct;
  const auto* mcs = static_cast<const MDICREATESTRUCTW*>(lpCreateStruct->lpCreateParams);
  copy.lpCreateParams = mcs ? reinterpret_cast<void*>(mcs->lParam) : nullptr;
  return CFrameWnd::OnCreate(&copy);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
  HWND client = ::GetParent(m_hWnd);
  return client ? dynamic_cast<CMDIFrameWnd*>(CWnd::FromHandlePermanent(::GetParent(client))) : nullptr;
}

void CMDIChildWnd::MDIDestroy() {
  HWND client = ::GetParent(m_hWnd);
  if (client) ::SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIActivate() {
  if (HWND client = ::GetParent(m_hWnd)) ::SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIMaximize() {
  if (HWND client = ::GetParent(m_hWnd)) ::SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIRestore() {
  if (HWND client = ::GetParent(m_hWnd)) ::SendMessageW(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CMDIChildWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  // The client forgets the window and brings the next one forward.
  MDIDestroy();
  return TRUE;
}

void CMDIChildWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = SW_SHOW;
  ShowWindow(nCmdShow);
  MDIActivate();
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefMDIChildProcW(m_hWnd, message, wParam, lParam);
}
