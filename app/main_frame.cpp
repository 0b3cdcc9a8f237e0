// CMainFrame and CMainStatusBar.
#include "app/main_frame.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "guitk/kit_colors.h"
#include "model/project/image_slot.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "platform/replacing_file.h"
#include "platform/settings_store.h"
#include "res/resource.h"

namespace {

const UINT kIndicators[] = {ID_SEPARATOR, IDS_ZOOM_100, IDS_TRIANGLES_NOT_CROSSED,
                            ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
constexpr DWORD kStatusBarStyle = 0x50008200;
constexpr UINT kProgressId = 1;
constexpr const TCHAR* kWindowRectName = u"Warpel_WINDOW_RECT";

// The edit-mode buttons that form one check group, in toolbar order; the
// starred ones start checked.
struct GroupButton {
  UINT id;
  bool checked;
};
constexpr GroupButton kEditModeButtons[] = {{ID_MODE_IMAGE_PROCESS, false}, {ID_MODE_FEATURE_LINE, true},
                                            {ID_LINE_POINT_DELETE, false},  {ID_LINE_CREATE, true},
                                            {ID_LINE_EDIT, false}};

CStatusBar* StatusBarOfProgress() {
  CProgressCtrl& progress = GetStatusProgressCtrl();
  if (!progress.m_hWnd) return nullptr;
  return dynamic_cast<CStatusBar*>(CWnd::FromHandlePermanent(::GetParent(progress.m_hWnd)));
}

}  // namespace

// --- CMainStatusBar ---

IMPLEMENT_DYNAMIC(CMainStatusBar, CKitStatusBar)

BEGIN_MESSAGE_MAP(CMainStatusBar, CKitStatusBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

CProgressCtrl& GetStatusProgressCtrl() {
  static CProgressCtrl progress;
  return progress;
}

void CMainStatusBar::OnSize(UINT nType, int cx, int cy) {
  CKitStatusBar::OnSize(nType, cx, cy);
  CRect client;
  GetClientRect(&client);
  if (m_bCreated || client.Width() < 1) return;
  CProgressCtrl& progress = GetStatusProgressCtrl();
  if (progress.m_hWnd) return;  // another status bar made it
  if (!progress.Create(WS_CHILD, client, this, kProgressId)) return;
  progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  progress.SendMessage(PBM_SETPOS, 0);
  m_bCreated = TRUE;
}

void ShowZoomInStatusBar() {
  CStatusBar* bar = StatusBarOfProgress();
  if (!bar) return;
  const float zoom = GetMorphProject()->CurrentPair()->GetSourceSlot()->GetZoom();
  CString text;
  text.Format(u"%d%%", static_cast<int>(zoom * 100.0f + 0.5f));
  bar->SetPaneText(CMainStatusBar::kZoomPane, text, TRUE);
}

void ShowIntersectInStatusBar(BOOL intersect) {
  if (CStatusBar* bar = StatusBarOfProgress())
    bar->SetPaneText(CMainStatusBar::kIntersectPane,
                     intersect ? u"Trangles have intersects" : u"Trangles have not intersects", TRUE);
}

// --- CMainFrame ---

IMPLEMENT_DYNCREATE(CMainFrame, CKitFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CKitFrameWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_CHECK_EDIT_MODE, OnCheckEditMode)
ON_MESSAGE(WM_CHECK_FIGURE_TOOL, OnCheckFigureTool)
END_MESSAGE_MAP()

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) { return CKitFrameWnd::PreCreateWindow(cs) ? TRUE : FALSE; }

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CKitFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
  if (CreateKitMenuBar(IDR_MAINFRAME) == -1 || CreateKitToolBar(IDR_MAINFRAME) == -1) return -1;
  if (!m_wndMainStatusBar.CreateEx(this, kStatusBarStyle, kStatusBarStyle, AFX_IDW_STATUS_BAR) ||
      !m_wndMainStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
    return -1;
  for (const GroupButton& button : kEditModeButtons) {
    const int index = m_wndToolBar.CommandToIndex(button.id);
    if (index < 0) continue;
    m_wndToolBar.SetButtonStyle(index, TBBS_CHECKGROUP);
    if (button.checked) CheckToolButton(button.id);
  }
  // The toolbar docks in the outer top ring; the menu bar is never docked:
  // it stays where the frame made it, along the top.
  m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
  EnableKitDocking(CBRS_ALIGN_ANY);
  DockControlBar(&m_wndToolBar, kKitOuterTop);
  g_kitDrawStyle = 0x8001;
  SetDrawStyle(0x8001);
  if (CWinApp* app = AfxGetApp()) SetWindowText(app->m_pszAppName);
  RestoreWindowRect();
  // The message pane starts with the idle prompt ("Ready").
  PostMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
  return 0;
}

// The layout gives the menu bar the width of its titles; the rest of its
// row would show the frame's own background.
void CMainFrame::RecalcLayout(BOOL bNotify) {
  CKitFrameWnd::RecalcLayout(bNotify);
  if (!m_wndMenuBar.m_hWnd || m_wndMenuBar.m_pDockBar || !m_wndMenuBar.IsWindowVisible()) return;
  CRect client, bar;
  GetClientRect(&client);
  m_wndMenuBar.GetWindowRect(&bar);
  ScreenToClient(&bar);
  if (bar.left != client.left || bar.right != client.right)
    m_wndMenuBar.SetWindowPos(nullptr, client.left, bar.top, client.Width(), bar.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::SetDrawStyle(UINT style) {
  CKitFrameWnd::SetDrawStyle(style);
  if (m_wndMainStatusBar.m_hWnd) m_wndMainStatusBar.SetStyle(static_cast<int>(style));
  m_wndMainStatusBar.m_nStyle = static_cast<int>(style);
}

// The rectangle saved at the last exit wins over the profile's placement,
// held inside the desktop in case the screen has shrunk since.
void CMainFrame::RestoreWindowRect() {
  BYTE* bytes = nullptr;
  int count = 0;
  if (!RegReadValue(kSettingsRegistryKey, kWindowRectName, &bytes, &count)) return;
  RECT rect{};
  const bool whole = count == static_cast<int>(sizeof rect);
  if (whole) std::memcpy(&rect, bytes, sizeof rect);
  delete[] bytes;
  if (!whole) return;
  const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
  const int width = std::clamp(static_cast<int>(rect.right - rect.left), 100, std::max(100, screenW));
  const int height = std::clamp(static_cast<int>(rect.bottom - rect.top), 100, std::max(100, screenH));
  const int left = std::clamp(static_cast<int>(rect.left), 0, std::max(0, screenW - width));
  const int top = std::clamp(static_cast<int>(rect.top), 0, std::max(0, screenH - height));
  SetWindowPos(nullptr, left, top, width, height, SWP_HIDEWINDOW | SWP_NOZORDER);
}

void CMainFrame::OnDestroy() {
  CKitFrameWnd::OnDestroy();
  CRect rect;
  GetWindowRect(&rect);
  const RECT saved = rect;
  RegWriteValue(kSettingsRegistryKey, kWindowRectName, reinterpret_cast<const BYTE*>(&saved), sizeof saved);
}

void CMainFrame::CheckToolButton(UINT id) {
  if (m_wndToolBar.m_hWnd) m_wndToolBar.SendMessage(TB_CHECKBUTTON, id, MAKELPARAM(TRUE, 0));
}

LRESULT CMainFrame::OnCheckEditMode(WPARAM, LPARAM lParam) {
  if (lParam == kEditFigure) CheckToolButton(ID_MODE_FIGURE);
  else if (lParam == kEditFeatureLine) CheckToolButton(ID_MODE_FEATURE_LINE);
  return 0;
}

LRESULT CMainFrame::OnCheckFigureTool(WPARAM, LPARAM lParam) {
  if (lParam == 0) CheckToolButton(ID_FIGURE_INSERT_POINT);
  else if (lParam == 1) CheckToolButton(ID_FIGURE_NEW);
  else if (lParam == 2) CheckToolButton(ID_FIGURE_MOVE_POINT);
  return 0;
}

// The profile is replaced whole or not at all, so a layout that cannot be
// written leaves the earlier one; the placement not reading back, or the
// flush failing, is how the frame learns of it.
BOOL CMainFrame::DestroyWindow() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  const bool placed = m_hWnd && ::GetWindowPlacement(m_hWnd, &placement);
  const CString section = MainSection();
  const BOOL destroyed = CKitFrameWnd::DestroyWindow();
  CWinApp* app = AfxGetApp();
  if (!placed || !app || !app->m_pszProfileName) return destroyed;
  const RECT& saved = placement.rcNormalPosition;
  const struct {
    const TCHAR* entry;
    LONG value;
  } kept[] = {{u"left", saved.left}, {u"right", saved.right}, {u"bottom", saved.bottom}, {u"top", saved.top}};
  bool written = true;
  for (const auto& item : kept) {
    // A value that cannot be in the file: missing entries read as it.
    constexpr int kMissing = -0x7FFFFFF;
    if (static_cast<int>(app->GetProfileInt(section, item.entry, kMissing)) != item.value) written = false;
  }
  // The layout is held in memory until the profile is flushed: now, whole.
  if (!::WritePrivateProfileStringW(nullptr, nullptr, nullptr, app->m_pszProfileName)) written = false;
  if (!written) ReportWriteFailureOnce(app->m_pszProfileName);
  return destroyed;
}
