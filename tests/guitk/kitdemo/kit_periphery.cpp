// kitdemo's periphery windows.
#include "kit_periphery.h"

#include "guitk/kit_colors.h"
#include "res/resource.h"

namespace kitdemo {
namespace {

constexpr UINT kStripId = 0x500;
constexpr UINT kFolderId = 0x501;
constexpr UINT kTabsId = 0x502;
constexpr UINT kScrollTabsId = 0x503;
constexpr UINT kPageId = 0x510;
constexpr UINT kToolkitMenu = 128;
constexpr UINT kFileClose = 0xE102;
const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

}  // namespace

BOOL CPeripheryFrame::Build() {
  if (!Create(nullptr, u"Kit periphery", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 660, 440))) return FALSE;
  if (!m_strip.Create(WS_VISIBLE, CRect(8, 8, 620, 32), this, kStripId)) return FALSE;
  m_strip.SetCaption(u"Layers");
  m_strip.SetEqualWidths(TRUE);
  m_strip.AddButton(0x520, u"Close");
  m_strip.AddCombo(0x521, 120)->SetHistoryMode(TRUE);
  m_strip.AddCombo(0x522, 120);
  if (!m_folder.Create(WS_VISIBLE, CRect(8, 40, 168, 380), this, kFolderId)) return FALSE;
  auto page = [this](CWnd* parent, const char16_t* text) {
    auto w = std::make_unique<CStatic>();
    w->Create(text, WS_CHILD | SS_CENTER, CRect(0, 0, 10, 10), parent, kPageId + static_cast<UINT>(m_pages.size()));
    m_pages.push_back(std::move(w));
    return m_pages.back().get();
  };
  for (const char16_t* name : {u"Shapes", u"Colours", u"Effects"}) m_folder.AddFolder(page(&m_folder, name), name);
  if (!m_tabs.Create(WS_VISIBLE, CRect(176, 40, 620, 200), this, kTabsId)) return FALSE;
  for (const char16_t* name : {u"Source", u"Target", u"Output"}) m_tabs.AddTab(page(&m_tabs, name), name);
  if (!m_scrollTabs.Create(WS_VISIBLE, CRect(176, 208, 476, 380), this, kScrollTabsId)) return FALSE;
  for (const char16_t* name : {u"Morph 1", u"Morph 2", u"Morph 3", u"Morph 4", u"Morph 5", u"Morph 6"})
    m_scrollTabs.AddTab(page(&m_scrollTabs, name), name);
  return TRUE;
}

BOOL CMdiDemoFrame::Build() {
  if (!Create(nullptr, u"Kit MDI", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 620, 420))) return FALSE;
  if (CreateKitMenuBar(kToolkitMenu) == -1 || CreateKitToolBar(kToolkitMenu) == -1) return FALSE;
  if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 4)) return FALSE;
  EnableKitDocking(CBRS_ALIGN_ANY);
  // The menu bar lies above the toolbar in the outer top ring.
  m_wndMenuBar.EnableDocking(CBRS_ALIGN_ANY);
  DockControlBar(&m_wndMenuBar, kKitOuterTop);
  m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
  DockControlBar(&m_wndToolBar, kKitOuterTop);
  SetDrawStyle(static_cast<UINT>(g_kitDrawStyle));
  LoadDefaultLayout();
  m_menu = ::CreateMenu();
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuW(file, MF_STRING, kFileClose, u"&Close");
  ::AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
  m_windowMenu = ::CreatePopupMenu();
  ::AppendMenuW(m_windowMenu, MF_STRING, ID_WINDOW_CASCADE, u"&Cascade");
  ::AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_windowMenu), u"&Window");
  MDISetMenu(CMenu::FromHandle(m_menu), CMenu::FromHandle(m_windowMenu));
  for (const char16_t* title : {u"Morph A", u"Morph B"}) {
    auto* child = new CMDIChildWnd;
    if (!child->Create(nullptr, title, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, rectDefault, this)) return FALSE;
  }
  m_wndTabs.Rescan();
  RecalcLayout();
  return TRUE;
}

}  // namespace kitdemo
