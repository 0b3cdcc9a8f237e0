// The toolkit's frame: placement, style and theme from its profile section,
// the menu bar and toolbar made from resources, the two rings of dock bars,
// the drawing style carried to every bar, and the layout saved on closing
// and restored only when the saved state fits the bars that exist.
//
// Sections: profile · creating · bars · docking · drawing style · saving and restoring
#include "guitk/kit_frame_wnd.h"

#include <algorithm>
#include <cstdint>

#include "guitk/kit_colors.h"
#include "guitk/kit_control_bar.h"

IMPLEMENT_DYNCREATE(CKitFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CKitFrameWnd, CFrameWnd)
ON_WM_CREATE()
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

namespace {

constexpr int kDefaultLeft = 10;
constexpr int kDefaultTop = 10;
constexpr int kDefaultRight = 600;
constexpr int kDefaultBottom = 400;
constexpr DWORD kMenuBarStyle = 0x50402804;
constexpr DWORD kToolBarStyle = 0x50402834;

CWinApp* App() { return AfxGetApp(); }

int ProfileInt(const CString& section, LPCTSTR key, int value) {
  CWinApp* app = App();
  return app ? static_cast<int>(app->GetProfileInt(section, key, value)) : value;
}

// Every sizable docking bar of the frame.
template <class Fn>
void ForEachKitControlBar(CFrameWnd* frame, Fn fn) {
  for (POSITION pos = frame->m_listControlBars.GetHeadPosition(); pos;) {
    auto* bar = static_cast<CControlBar*>(frame->m_listControlBars.GetNext(pos));
    if (auto* kit = dynamic_cast<CKitControlBar*>(bar)) fn(kit);
  }
}

}  // namespace

// --- profile ---

void KitPlaceFrame(CREATESTRUCT& cs, const CString& section, bool readTheme) {
  const int left = ProfileInt(section, u"left", kDefaultLeft);
  const int top = ProfileInt(section, u"top", kDefaultTop);
  const int bottom = ProfileInt(section, u"bottom", kDefaultBottom);
  const int right = ProfileInt(section, u"right", kDefaultRight);
  const int status = ProfileInt(section, u"status", 1);
  g_kitDrawStyle = ProfileInt(section, u"Style", kKitStyleFlat);
  if (readTheme) g_kitTheme = ProfileInt(section, u"Theme", 0);
  if (CWinApp* app = App()) app->m_nCmdShow = status;
  int cx = right - left, cy = bottom - top;
  if (cx <= 0 || cy <= 0) {
    // A damaged rectangle: the first start's size.
    cx = kDefaultRight - kDefaultLeft;
    cy = kDefaultBottom - kDefaultTop;
  }
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // Counted from the work area's corner; a place saved on a larger screen
  // still leaves an icon's width and height of the window on this one.
  cs.cx = cx;
  cs.cy = cy;
  cs.x = static_cast<int>(std::min<int64_t>(int64_t{left} + work.left, GetSystemMetrics(SM_CXSCREEN) - GetSystemMetrics(SM_CXICON)));
  cs.y = static_cast<int>(std::min<int64_t>(int64_t{top} + work.top, GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYICON)));
  // The clipping styles take effect only when the window is made with them.
  cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

CString KitProfileBase() {
  CWinApp* app = App();
  CString base = app && app->m_pszAppName ? app->m_pszAppName : u"";
  base.Replace(u' ', u'_');
  return base;
}

LPCTSTR KitIconWndClass(UINT iconId) {
  HICON icon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(iconId));
  return AfxRegisterWndClass(0, nullptr, nullptr, icon);
}

BOOL CKitFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  KitPlaceFrame(cs, MainSection(), true);
  return CFrameWnd::PreCreateWindow(cs);
}

// --- creating ---

BOOL CKitFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  m_nIDHelp = nIDResource;
  CString strings;
  strings.LoadString(nIDResource);
  const int newline = strings.Find(u'\n');
  const CString title = newline >= 0 ? strings.Left(newline) : strings;
  if (!AfxDeferRegisterClass(AFX_WNDFRAMEORVIEW_REG)) return FALSE;
  LPCTSTR windowClass = GetIconWndClass(dwDefaultStyle, nIDResource);
  if (!Create(windowClass, title, dwDefaultStyle, rectDefault, pParentWnd, nullptr, 0, pContext)) return FALSE;
  m_hMenuDefault = ::GetMenu(m_hWnd);
  m_hAccelTable = ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
  if (!pContext) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
  return TRUE;
}

int CKitFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  return CFrameWnd::OnCreate(lpcs) == -1 ? -1 : 0;
}

void CKitFrameWnd::OnSysColorChange() { CFrameWnd::OnSysColorChange(); }

// A toolbar tells its owner, the frame, of a drop-down, not the dock bar
// that holds it: the notification goes back to the bar, whose own handler
// opens the drop-down.
bool KitForwardDropDown(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header || header->code != static_cast<UINT>(TBN_DROPDOWN)) return false;
  auto* bar = dynamic_cast<CKitToolBarWnd*>(CWnd::FromHandlePermanent(header->hwndFrom));
  return bar && bar->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult);
}

// --- bars ---

int KitCreateMenuBar(CFrameWnd* frame, KitFrameBars bars, UINT style, UINT menuId) {
  if (!bars.menuBar.Create(frame, kMenuBarStyle, kKitMenuBarId)) return -1;
  if (!bars.menuBar.LoadMenu(menuId)) return -1;
  bars.drawnMenu.LoadMenu(menuId);
  bars.manager.m_nDrawStyle = static_cast<int>(style);
  bars.manager.Install(frame);
  bars.manager.LoadToolbar(menuId);
  return 0;
}

int KitCreateToolBar(CFrameWnd* frame, CKitToolBarWnd& toolBar, HIMAGELIST& images, UINT toolbarId) {
  if (!toolBar.CreateEx(frame, TBSTYLE_FLAT, kToolBarStyle, CRect(0, 0, 0, 0), toolbarId)) return -1;
  if (!toolBar.LoadToolBar(toolbarId)) return -1;
  // The pictures in their own colours, light grey as the transparent colour.
  auto current = reinterpret_cast<HIMAGELIST>(toolBar.SendMessage(TB_GETIMAGELIST));
  int cx = 0, cy = 0;
  if (!current || !ImageList_GetIconSize(current, &cx, &cy)) return 0;
  const int count = ImageList_GetImageCount(current);
  HBITMAP bitmap = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(toolbarId));
  if (!bitmap) return 0;
  HIMAGELIST colour = ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, count, 0);
  if (colour) {
    ImageList_AddMasked(colour, bitmap, RGB(192, 192, 192));
    toolBar.SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(colour));
    if (images) ImageList_Destroy(images);
    images = colour;
  }
  ::DeleteObject(bitmap);
  return 0;
}

// --- docking ---

// --- drawing style ---

void KitApplyDrawStyle(CFrameWnd* frame, KitFrameBars bars, UINT style) {
  g_kitDrawStyle = static_cast<int>(style);
  // A bar that was never made has nothing to repaint.
  if (bars.statusBar.m_hWnd) {
    bars.statusBar.SetStyle(static_cast<int>(style));
  } else {
    bars.statusBar.m_nStyle = static_cast<int>(style);
  }
  if (bars.menuBar.m_hWnd) bars.menuBar.SetStyle(static_cast<int>(style));
  bars.menuBar.m_nStyle = static_cast<int>(style);
  if (bars.toolBar.m_hWnd) bars.toolBar.SetStyle(static_cast<int>(style));
  bars.toolBar.m_nStyle = static_cast<int>(style);
  for (CKitDocBarExtenEx* dock : bars.ring.m_outer) {
    if (dock && dock->m_hWnd) dock->SetStyle(style);
  }
  g_kitMenuStyle = static_cast<int>(style);
  bars.manager.m_nDrawStyle = static_cast<int>(style);
  if (frame->m_hWnd) {
    frame->SendMessage(WM_NCPAINT, 1, 0);
    frame->Invalidate(TRUE);
    frame->UpdateWindow();
  }
}

// --- saving and restoring ---

void RemoveSharedIdRecords(CDockState& state) {
  for (INT_PTR i = state.m_arrBarInfo.GetSize() - 1; i >= 0; --i) {
    auto* info = static_cast<CControlBarInfo*>(state.m_arrBarInfo[i]);
    if (info->m_nBarID == kKitStripId) {
      delete info;
      state.m_arrBarInfo.RemoveAt(i);
      continue;
    }
    for (INT_PTR slot = info->m_arrBarID.GetSize() - 1; slot >= 0; --slot) {
      const auto id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(info->m_arrBarID[slot]));
      if ((id & 0xFFFF) == kKitStripId) info->m_arrBarID.RemoveAt(slot);
    }
  }
}

namespace {

// A layout saved while a bar could still dock may name it in a dock bar's
// rows; a bar that no longer docks keeps the place the frame gave it. Its
// entries go, and a row they leave empty with them.
void RemoveUndockableEntries(CFrameWnd* frame, CDockState& state) {
  auto undockable = [frame](UINT id) {
    CControlBar* bar = id ? frame->GetControlBar(id & 0xFFFF) : nullptr;
    return bar && !dynamic_cast<CDockBar*>(bar) && bar->m_dwDockStyle == 0;
  };
  for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); ++i) {
    CPtrArray& ids = static_cast<CControlBarInfo*>(state.m_arrBarInfo[i])->m_arrBarID;
    for (INT_PTR slot = ids.GetSize() - 1; slot >= 0; --slot) {
      if (!undockable(static_cast<UINT>(reinterpret_cast<UINT_PTR>(ids[slot])))) continue;
      ids.RemoveAt(slot);
      const bool emptyRow = slot > 0 && slot < ids.GetSize() && ids[slot - 1] == nullptr && ids[slot] == nullptr;
      if (emptyRow) ids.RemoveAt(slot);
    }
  }
}

}  // namespace

void KitSaveFrame(CFrameWnd* frame, const CString& base, const CString& section) {
  CWinApp* app = App();
  if (!frame->m_hWnd || !app) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  ::GetWindowPlacement(frame->m_hWnd, &placement);
  app->WriteProfileString(section, nullptr, nullptr);
  app->WriteProfileInt(section, u"left", placement.rcNormalPosition.left);
  app->WriteProfileInt(section, u"right", placement.rcNormalPosition.right);
  app->WriteProfileInt(section, u"bottom", placement.rcNormalPosition.bottom);
  app->WriteProfileInt(section, u"top", placement.rcNormalPosition.top);
  app->WriteProfileInt(section, u"status", static_cast<int>(placement.showCmd));
  app->WriteProfileInt(section, u"Style", g_kitDrawStyle);
  app->WriteProfileInt(section, u"Theme", g_kitTheme);
  CDockState state;
  frame->GetDockState(state);
  RemoveSharedIdRecords(state);
  state.SaveState(base);
  ForEachKitControlBar(frame, [&](CKitControlBar* bar) { bar->SaveBarSizeState(base); });
  // The layout's hundreds of entries reach the disk together, in one replacement of the file.
  ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, app->m_pszProfileName);
}

void KitLoadLayout(CFrameWnd* frame, const CString& base) {
  CDockState state;
  state.LoadState(base);
  RemoveSharedIdRecords(state);
  for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); ++i) {
    auto* info = static_cast<CControlBarInfo*>(state.m_arrBarInfo[i]);
    for (INT_PTR slot = 0; slot < info->m_arrBarID.GetSize(); ++slot) {
      UINT id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(info->m_arrBarID[slot]));
      if (id > 0xFFFF) id &= 0xFFFF;
      if (id != 0 && !frame->GetControlBar(id)) return;  // saved for other bars: keep the creation layout
    }
    if (!info->m_bFloating && !frame->GetControlBar(info->m_nBarID)) return;
  }
  RemoveUndockableEntries(frame, state);
  frame->SetDockState(state);
  ForEachKitControlBar(frame, [&](CKitControlBar* bar) { bar->LoadBarSizeState(base); });
}

BOOL CKitFrameWnd::DestroyWindow() {
  KitSaveFrame(this, m_strProfileBase, MainSection());
  return CFrameWnd::DestroyWindow();
}

