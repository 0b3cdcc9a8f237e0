// CPentavoApp: start-up, shutdown, the wheel hook and the application's commands.
#include "app/pentavo_app.h"

#include <cstdlib>

#include "app/load_sample_dlg.h"
#include "app/main_frame.h"
#include "app/pentavo_doc.h"
#include "app/pentavo_view.h"
#include "app/shell_editor_link.h"
#include "compat/win32/shell.h"
#include "controls/color_icon_host.h"
#include "controls/custom_controls.h"
#include "model/project/project_links.h"
#include "platform/program_folder.h"
#include "render/renderer_link.h"
#include "res/resource.h"
#include "ui/palette_icon_host.h"

namespace {

constexpr UINT kEffectBarId = 2448;
constexpr const TCHAR* kProfileFile = u"cM.ini";
constexpr const TCHAR* kDefaultLayoutFile = u"cMDefault.ini";

HHOOK g_mouseHook = nullptr;

CKitFrameWnd* MainKitFrame() { return dynamic_cast<CKitFrameWnd*>(AfxGetMainWnd()); }

// Class names over which the wheel keeps its own meaning.
bool KeepsTheWheel(HWND window) {
  char16_t name[256] = {};
  if (!window || !::GetClassNameW(window, name, 256)) return false;
  const CString className(name);
  return className == u"ScrollBar" || className == u"ComboBox";
}

}  // namespace

// --- CAboutDlg ---

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() { return CDialog::OnInitDialog(); }

// --- CPentavoApp ---

BEGIN_MESSAGE_MAP(CPentavoApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
ON_COMMAND(ID_SHOW_EFFECT, OnShowEffect)
ON_UPDATE_COMMAND_UI(ID_SHOW_EFFECT, OnUpdateShowEffect)
ON_COMMAND(ID_LOAD_SAMPLE, OnLoadSample)
ON_COMMAND(ID_VISIT_HOMEPAGE, OnVisitHomepage)
ON_COMMAND(ID_SUPPORT, OnSupport)
ON_COMMAND(ID_DEFAULT_LAYOUT, OnDefaultLayout)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFiles)
END_MESSAGE_MAP()

CPentavoApp::CPentavoApp() : CWinApp(u"Calvetta") {}

CPentavoApp::~CPentavoApp() = default;

void CPentavoApp::UseProfile(const TCHAR* fileName) {
  std::free(const_cast<TCHAR*>(m_pszProfileName));
  m_pszProfileName = _wcsdup(GetProgramFolder() + u"\\" + fileName);
}

BOOL CPentavoApp::InitInstance() {
  Enable3dControlsStatic();
  controls::RegisterCustomControls(m_hInstance, &RegisterUiClasses);
  controls::SetColorIconHost(&GetPaletteIconHost());
  UseProfile(kProfileFile);
  LoadStdProfileSettings(4);
  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPentavoDoc), RUNTIME_CLASS(CMainFrame),
                                        RUNTIME_CLASS(CPentavoView)));
  SetEditorLink(&GetShellEditorLink());
  if (!OnCmdMsg(ID_FILE_NEW, 0, nullptr, nullptr)) OnFileNew();
  if (!m_pMainWnd) return FALSE;

  if (CreateDockingPanel(m_wndEffectBar, u"Effect", kEffectBarId, AFX_IDW_DOCKBAR_BOTTOM) &&
      CreateTransitionPanel()) {
    m_wndEffectBar.SetHostedWindow(&m_transitionPanel);
    m_transitionPanel.ShowWindow(SW_SHOW);
    m_pTransitionPanel = &m_transitionPanel;
  }

  // A project on the command line that cannot be opened has been reported
  // by the document; the program ends there.
  CCommandLineInfo commandLine;
  ParseCommandLine(commandLine);
  if (!ProcessShellCommand(commandLine)) return FALSE;

  RegisterShellFileTypes(FALSE);
  RestoreLayout();
  m_pMainWnd->UpdateWindow();

  CLoadSampleDlg samples;
  samples.DoModalIfWanted();

  if (m_pMainWnd && m_pMainWnd->m_hWnd) {
    m_pMainWnd->SendMessage(WM_NCPAINT, 0, 0);
    m_pMainWnd->InvalidateRect(nullptr, TRUE);
    m_pMainWnd->UpdateWindow();
  }
  g_mouseHook = ::SetWindowsHookExW(WH_MOUSE, MouseHookProc, nullptr, ::GetCurrentThreadId());
  return TRUE;
}

int CPentavoApp::ExitInstance() {
  if (g_mouseHook) ::UnhookWindowsHookEx(g_mouseHook);
  g_mouseHook = nullptr;
  SetEditorLink(nullptr);
  ReleasePaletteWindows();
  ShutdownDirect3D();
  return CWinApp::ExitInstance();
}

BOOL CPentavoApp::PreTranslateMessage(MSG* pMsg) { return CWinApp::PreTranslateMessage(pMsg); }

LRESULT CALLBACK CPentavoApp::MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION)
    if (auto* app = dynamic_cast<CPentavoApp*>(AfxGetApp())) app->OnHookMouseWheel(wParam, lParam);
  return ::CallNextHookEx(g_mouseHook, nCode, wParam, lParam);
}

void CPentavoApp::OnHookMouseWheel(WPARAM message, LPARAM hookStruct) {
  if (message != WM_MOUSEWHEEL || !hookStruct) return;
  const auto* hook = reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(hookStruct);
  const int delta = static_cast<short>(HIWORD(hook->mouseData));
  CPentavoView* view = GetMainView();
  if (!view) return;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  if (KeepsTheWheel(::WindowFromPoint(cursor))) return;
  view->OnMouseWheelRouted(delta);
}

void CPentavoApp::OnAppAbout() {
  CAboutDlg about;
  about.DoModal();
}

void CPentavoApp::OnShowEffect() {
  auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
  if (!frame || !m_wndEffectBar.m_hWnd) return;
  const BOOL visible = (m_wndEffectBar.GetStyle() & WS_VISIBLE) != 0;
  frame->ShowControlBar(&m_wndEffectBar, !visible, FALSE);
}

void CPentavoApp::OnUpdateShowEffect(CCmdUI* pCmdUI) {
  pCmdUI->SetCheck(m_wndEffectBar.m_hWnd && (m_wndEffectBar.GetStyle() & WS_VISIBLE) ? 1 : 0);
}

// The menu always shows the dialog, whatever was asked at start-up.
void CPentavoApp::OnLoadSample() {
  CLoadSampleDlg samples;
  samples.m_bDoNotShow = FALSE;
  samples.DoModalIfWanted();
}

namespace {

// Without an opener for the address, or with one that failed, the item would
// otherwise do nothing at all.
void OpenAddress(CWnd* main, LPCTSTR address) {
  const HINSTANCE result = ::ShellExecuteW(main ? main->m_hWnd : nullptr, u"open", address, nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) > 32) return;
  AfxMessageBox(CString(u"Cannot open \"") + address + u"\".", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void CPentavoApp::OnVisitHomepage() { OpenAddress(m_pMainWnd, kHomePageAddress); }

void CPentavoApp::OnSupport() { OpenAddress(m_pMainWnd, kSupportAddress); }

// The layout saved at the last exit; a first start, with none saved yet,
// keeps the bars as they were made (the factory layout is the Window menu's
// to apply). The bars take their places at once: the Load Sample dialog that
// follows keeps the frame's idle layout pass from running until it closes.
void CPentavoApp::RestoreLayout() {
  CKitFrameWnd* frame = MainKitFrame();
  if (!frame) return;
  frame->LoadDefaultLayout();
  frame->RecalcLayout();
}

// The recent-file list is dropped until the program ends; "cMDefault.ini" is only read.
void CPentavoApp::OnDefaultLayout() {
  delete m_pRecentFileList;
  m_pRecentFileList = nullptr;
  UseProfile(kDefaultLayoutFile);
  if (CKitFrameWnd* frame = MainKitFrame()) frame->LoadDefaultLayout();
  UseProfile(kProfileFile);
}

// Once the default layout has dropped the recent-file list, the File menu
// lists no file: the entries the list put in go, and the first item shows
// the menu's own greyed text again.
void CPentavoApp::OnUpdateRecentFiles(CCmdUI* pCmdUI) {
  if (m_pRecentFileList || !pCmdUI->m_pMenu) {
    OnUpdateRecentFileMenu(pCmdUI);
    return;
  }
  const HMENU menu = pCmdUI->m_pMenu->m_hMenu;
  for (UINT id = ID_FILE_MRU_FILE1 + 1; id < ID_FILE_MRU_FILE1 + 16; ++id) ::DeleteMenu(menu, id, MF_BYCOMMAND);
  pCmdUI->m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(menu));
  CMenu resource;
  CString text;
  if (resource.LoadMenu(IDR_MAINFRAME)) resource.GetMenuString(ID_FILE_MRU_FILE1, text, MF_BYCOMMAND);
  pCmdUI->SetText(text);
  pCmdUI->Enable(FALSE);
}

int RunPentavoApp(CPentavoApp& app) {
  if (!app.InitInstance()) {
    if (app.m_pMainWnd && app.m_pMainWnd->m_hWnd) app.m_pMainWnd->DestroyWindow();
    app.ExitInstance();
    return 1;
  }
  return app.Run();
}
