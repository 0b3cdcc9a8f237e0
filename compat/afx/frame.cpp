// CFrameWnd and CView: the frame's menu, accelerators and title, its one view,
// the command route through them, and the menu's command-state updates.
#include "compat/afx.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)
IMPLEMENT_DYNAMIC(CView, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_WM_SIZE()
ON_WM_SETFOCUS()
ON_WM_INITMENUPOPUP()
ON_WM_SYSCOLORCHANGE()
ON_WM_SETTINGCHANGE()
ON_WM_NCACTIVATE()
ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
ON_WM_MENUSELECT()
ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnToolTipText)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_MOUSEACTIVATE()
ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
END_MESSAGE_MAP()

namespace {

constexpr DWORD kDefaultViewStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;
constexpr UINT kFirstSystemCommand = 0xF000;

CFrameWnd* FrameOf(HWND child) {
  for (HWND hwnd = ::GetParent(child); hwnd; hwnd = ::GetParent(hwnd)) {
    if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(hwnd))) return frame;
  }
  return nullptr;
}

// Asks the update handlers whether a command may run, touching nothing on screen.
class CTestCmdUI : public CCmdUI {
 public:
  BOOL m_bEnabled = TRUE;
  void Enable(BOOL bOn) override {
    m_bEnabled = bOn;
    m_bEnableChanged = TRUE;
  }
  void SetCheck(int) override {}
  void SetRadio(BOOL) override {}
  void SetText(LPCTSTR) override {}
};

}  // namespace

// --- CWnd: frames and owners above a window ---

CFrameWnd* CWnd::GetParentFrame() const { return m_hWnd ? FrameOf(m_hWnd) : nullptr; }

CFrameWnd* CWnd::GetTopLevelFrame() const {
  auto* frame = dynamic_cast<CFrameWnd*>(const_cast<CWnd*>(this));
  if (!frame) frame = GetParentFrame();
  while (frame) {
    CFrameWnd* above = frame->GetParentFrame();
    if (!above) break;
    frame = above;
  }
  return frame;
}

CWnd* CWnd::GetTopLevelOwner() const {
  HWND hwnd = m_hWnd;
  for (HWND up = hwnd; up; up = ::GetParent(up)) hwnd = up;  // parents, then owners
  return CWnd::FromHandle(hwnd);
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const {
  HWND direct = ::GetDlgItem(m_hWnd, nID);
  if (direct && (!bOnlyPerm || CWnd::FromHandlePermanent(direct))) {
    return bOnlyPerm ? CWnd::FromHandlePermanent(direct) : CWnd::FromHandle(direct);
  }
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (CWnd* found = CWnd::FromHandle(child)->GetDescendantWindow(nID, bOnlyPerm)) return found;
  }
  return nullptr;
}

// --- CMenuCmdUI ---

void CMenuCmdUI::Enable(BOOL bOn) {
  if (m_pMenu) ::EnableMenuItem(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
  m_bEnableChanged = TRUE;
}

void CMenuCmdUI::SetCheck(int nCheck) {
  if (!m_pMenu) return;
  ::CheckMenuItem(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
}

// The framework's dot stands for the check mark; loaded once and kept for the
// process, so that whoever redraws it changes every radio item.
HBITMAP compat::afx::MenuRadioDot() {
  static HBITMAP dot = ::LoadBitmapW(AfxFindResourceHandle(MAKEINTRESOURCEW(AFX_IDB_MENU_RADIO_DOT), RT_BITMAP),
                                     MAKEINTRESOURCEW(AFX_IDB_MENU_RADIO_DOT));
  return dot;
}

void CMenuCmdUI::SetRadio(BOOL bOn) {
  if (!m_pMenu) return;
  HBITMAP dot = compat::afx::MenuRadioDot();
  if (bOn && dot) ::SetMenuItemBitmaps(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION, nullptr, dot);
  ::CheckMenuItem(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_CHECKED : MF_UNCHECKED));
}

void CMenuCmdUI::SetText(LPCTSTR lpszText) {
  if (!m_pMenu) return;
  const UINT state = ::GetMenuState(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
  ::ModifyMenuW(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, lpszText);
}

// --- CView ---

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  }
  return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  auto* context = static_cast<CCreateContext*>(lpcs->lpCreateParams);
  if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnDestroy() {
  if (CFrameWnd* frame = FrameOf(m_hWnd); frame && frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
  CWnd::OnDestroy();
}

void CView::PostNcDestroy() { delete this; }

void CView::OnPaint() {
  CPaintDC dc(this);
  OnDraw(&dc);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*) {
  if (bActivate && pActivateView == this) SetFocus();
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  const int result = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
  if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT) return result;
  // A click in the view, or in a child of it, makes it the frame's active view.
  if (CFrameWnd* frame = FrameOf(m_hWnd)) {
    if (frame->GetActiveView() != this) {
      frame->SetActiveView(this);
    } else if (::GetFocus() != m_hWnd && !::IsChild(m_hWnd, ::GetFocus())) {
      SetFocus();
    }
  }
  return result;
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// --- CFrameWnd: creating ---

CFrameWnd::~CFrameWnd() {
  if (m_hMenuDefault && ::IsMenu(m_hMenuDefault) && ::GetMenu(m_hWnd) != m_hMenuDefault) {
    ::DestroyMenu(m_hMenuDefault);
  }
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  }
  return TRUE;
}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
  HMENU menu = nullptr;
  if (lpszMenuName) {
    menu = ::LoadMenuW(AfxGetResourceHandle(), lpszMenuName);
    if (!menu) return FALSE;
  }
  m_strTitle = lpszWindowName;
  // rectDefault lets the window manager choose the place and size.
  const bool chosen = rect.left == CW_USEDEFAULT;
  const int width = chosen ? CW_USEDEFAULT : rect.right - rect.left;
  const int height = chosen ? CW_USEDEFAULT : rect.bottom - rect.top;
  if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, width, height,
                pParentWnd ? pParentWnd->m_hWnd : nullptr, menu, pContext)) {
    if (menu) ::DestroyMenu(menu);
    return FALSE;
  }
  return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  HINSTANCE instance = AfxGetResourceHandle();
  m_nIDHelp = nIDResource;
  CString strings;
  strings.LoadString(nIDResource);
  const int newline = strings.Find(u'\n');
  CString title = newline >= 0 ? strings.Left(newline) : strings;
  if (title.IsEmpty()) {
    if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName) title = app->m_pszAppName;
  }
  if (!AfxDeferRegisterClass(AFX_WNDFRAMEORVIEW_REG)) return FALSE;
  LPCTSTR windowClass = GetIconWndClass(dwDefaultStyle, nIDResource);
  if (!Create(windowClass, title, dwDefaultStyle, rectDefault, pParentWnd, MAKEINTRESOURCEW(nIDResource), 0,
              pContext)) {
    return FALSE;
  }
  m_hMenuDefault = ::GetMenu(m_hWnd);
  m_hAccelTable = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(nIDResource));
  // Without a document the views learn here that their frame is complete.
  if (!pContext) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
  return TRUE;
}

LPCTSTR CFrameWnd::GetIconWndClass(DWORD, UINT nIDResource) {
  HICON icon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
  if (!icon) return _afxWndFrameOrView;
  // The frame class with the resource's icon.
  WNDCLASSW frameClass{};
  ::GetClassInfoW(AfxGetInstanceHandle(), _afxWndFrameOrView, &frameClass);
  return AfxRegisterWndClass(frameClass.style, frameClass.hCursor, frameClass.hbrBackground, icon);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  auto* context = static_cast<CCreateContext*>(lpcs->lpCreateParams);
  if (!OnCreateClient(lpcs, context)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (pContext && pContext->m_pNewViewClass) return CreateView(pContext) != nullptr;
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
  auto* view = dynamic_cast<CWnd*>(pContext->m_pNewViewClass->CreateObject());
  if (!view) return nullptr;
  // A view that fails deletes itself in PostNcDestroy.
  if (!view->CreateEx(0, nullptr, nullptr, kDefaultViewStyle, CRect(0, 0, 0, 0), this, nID, pContext)) return nullptr;
  return view;
}

void CFrameWnd::PostNcDestroy() { delete this; }

// --- CFrameWnd: views, documents and title ---

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
  CView* old = m_pViewActive;
  if (old == pViewNew) return;
  m_pViewActive = pViewNew;
  if (!bNotify) return;
  if (old) old->OnActivateView(FALSE, pViewNew, old);
  if (pViewNew) pViewNew->OnActivateView(TRUE, pViewNew, old);
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible) {
  if (!m_pViewActive) {
    if (auto* view = dynamic_cast<CView*>(CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)))) {
      SetActiveView(view, FALSE);
    }
  }
  // Every New and Open tells the views afresh.
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
  if (bMakeVisible) {
    CWinApp* app = AfxGetApp();
    int show = -1;
    if (app && app->m_pMainWnd == this) {
      show = app->m_nCmdShow;
      app->m_nCmdShow = -1;  // only the first showing follows the command line
    }
    ActivateFrame(show);
    if (m_pViewActive) m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
  }
  OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = ::IsWindowVisible(m_hWnd) ? SW_SHOW : SW_SHOWNORMAL;
  ShowWindow(nCmdShow);
  BringWindowToTop();
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
  if (!(GetStyle() & FWS_ADDTOTITLE)) return;
  CDocument* doc = GetActiveDocument();
  UpdateFrameTitleForDocument(bAddToTitle && doc ? doc->GetTitle().GetString() : nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCTSTR lpszDocName) {
  CString title = lpszDocName && *lpszDocName ? CString(lpszDocName) + u" - " + m_strTitle : m_strTitle;
  CString current;
  GetWindowText(current);
  if (current.Compare(title) != 0) SetWindowText(title);  // no flicker for an unchanged title
}

// --- CFrameWnd: layout ---

void CFrameWnd::RecalcLayout(BOOL) {
  if (m_bInRecalcLayout) return;  // a bar's layout may ask for another
  // A minimized frame has no client area to share out: laid out now, every
  // bar and pane would shrink to nothing. Its restore's size message lays it out.
  if (IsIconic()) return;
  m_bInRecalcLayout = TRUE;
  m_nIdleFlags &= ~static_cast<UINT>(idleLayout | idleNotify);
  RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST);
  m_bInRecalcLayout = FALSE;
}

void CFrameWnd::DelayRecalcLayout(BOOL bNotify) {
  m_nIdleFlags |= idleLayout | (bNotify ? idleNotify : 0);
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED) RecalcLayout();
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
  if (m_nIdleFlags & idleLayout) RecalcLayout(m_nIdleFlags & idleNotify);
  m_nIdleFlags = 0;
  return 0;
}

void CFrameWnd::OnSysColorChange() {
  CWnd::OnSysColorChange();
  SendMessageToDescendants(WM_SYSCOLORCHANGE, 0, 0, TRUE);
}

void CFrameWnd::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
  CWnd::OnSettingChange(uFlags, lpszSection);
  SendMessageToDescendants(WM_SETTINGCHANGE, uFlags, reinterpret_cast<LPARAM>(lpszSection), TRUE);
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd) {
  if (m_pViewActive && m_pViewActive->m_hWnd) {
    m_pViewActive->SetFocus();
  } else {
    CWnd::OnSetFocus(pOldWnd);
  }
}

// --- CFrameWnd: closing ---

void CFrameWnd::OnClose() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    if (!app->SaveAllModified()) return;
    HWND self = m_hWnd;
    app->CloseAllDocuments(FALSE);  // destroys this frame (and the object) through its document
    if (!::IsWindow(self)) return;
  } else if (CDocument* doc = GetActiveDocument()) {
    if (!doc->SaveModified()) return;
    doc->OnCloseDocument();
    return;
  }
  DestroyWindow();
}

void CFrameWnd::OnDestroy() {
  // The menu of the resource goes with the window; nothing else holds it.
  m_hMenuDefault = nullptr;
  CWnd::OnDestroy();
}

// --- CFrameWnd: commands ---

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable) {
    return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) != 0;
  }
  return CWnd::PreTranslateMessage(pMsg);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  // The active view (and through it the document and template) first, then the frame, then the application.
  if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!lParam) {
    // A menu or accelerator command runs only when its update handlers allow it.
    CTestCmdUI state;
    state.m_nID = LOWORD(wParam);
    state.DoUpdate(this, m_bAutoMenuEnable && state.m_nID < kFirstSystemCommand);
    if (!state.m_bEnabled) return TRUE;
  }
  return CWnd::OnCommand(wParam, lParam);
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
  if (bSysMenu || !pPopupMenu) return;
  CMenuCmdUI state;
  state.m_pMenu = pPopupMenu;
  HMENU menu = pPopupMenu->m_hMenu;
  state.m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(menu));
  for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
    const UINT id = ::GetMenuItemID(menu, static_cast<int>(state.m_nIndex));
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators and submenus
    state.m_nID = id;
    state.DoUpdate(this, m_bAutoMenuEnable && id < kFirstSystemCommand);
  }
}
