// kitdemo's toolkit MDI frame as a user works it: two documents with a tab
// each, a closed document losing its tab, and the frame's place and docking
// layout kept across a restart in the "<base>Main" section.
#include "guitk/kit_mdi_frame.h"

#include <gtest/gtest.h>

#include "kit_frame_fixture.h"
#include "kitdemo/kit_periphery.h"

namespace {

using kittest::KitTest;
using kittest::ProfileApp;

class KitMdiFrame : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    app_ = std::make_unique<ProfileApp>(folder_.Path(u"cM.ini"), u"Kit Demo");
  }
  void TearDown() override {
    if (frame_) Close();
    app_.reset();
    KitTest::TearDown();
  }
  void Open() {
    frame_ = new kitdemo::CMdiDemoFrame;
    ASSERT_TRUE(frame_->Build());
    frame_->SetActiveWindow();
    Advance(100);
  }
  void Close() {
    frame_->DestroyWindow();
    frame_ = nullptr;
    Pump();
  }
  static void Advance(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 10) {
      compat::AdvanceClock(10);
      Pump();
    }
  }
  HWND Active() const {
    return reinterpret_cast<HWND>(::SendMessageW(frame_->m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0));
  }
  UINT ToolBarDock() const { return static_cast<UINT>(frame_->m_wndToolBar.GetParent()->GetDlgCtrlID()); }
  std::string ProfileText() const {
    std::ifstream file(folder_.Host() + "/cM.ini");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  // The lines of one section, without its header.
  std::vector<std::string> Section(const std::string& name) const {
    std::vector<std::string> out;
    std::istringstream in(ProfileText());
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      if (line.front() == '[') {
        inside = line == "[" + name + "]";
        continue;
      }
      if (inside) out.push_back(line);
    }
    return out;
  }

  TempFolder folder_;
  std::unique_ptr<ProfileApp> app_;
  kitdemo::CMdiDemoFrame* frame_ = nullptr;
};

TEST_F(KitMdiFrame, EachDocumentHasATabThatActivatesItAndClosingOneRemovesIt) {
  Open();
  ASSERT_EQ(frame_->m_wndTabs.GetTabCount(), 2);
  EXPECT_EQ(frame_->m_wndTabs.GetTab(0)->caption, u"Morph A");
  EXPECT_TRUE(frame_->m_wndTabs.IsWindowVisible());
  HWND second = Active();
  CRect r = frame_->m_wndTabs.GetTab(0)->rect;
  POINT p{r.left + 6, r.CenterPoint().y};
  frame_->m_wndTabs.ClientToScreen(&p);
  Click(p);
  HWND first = Active();
  EXPECT_NE(first, second);
  EXPECT_EQ(frame_->m_wndTabs.GetCurrentTab(), 0);
  ::SendMessageW(frame_->m_hWndMDIClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(first), 0);
  Advance(200);
  ASSERT_EQ(frame_->m_wndTabs.GetTabCount(), 1);
  EXPECT_EQ(frame_->m_wndTabs.GetTab(0)->caption, u"Morph B");
}

TEST_F(KitMdiFrame, PlaceAndDockingLayoutComeBackFromTheMainSectionWithTheBlankAsUnderscore) {
  Open();
  EXPECT_EQ(frame_->MainSection(), CString(u"Kit_DemoMain"));
  frame_->DockControlBar(&frame_->m_wndToolBar, kKitOuterLeft);
  frame_->MoveWindow(30, 40, 520, 330);
  Pump();
  ASSERT_EQ(ToolBarDock(), kKitOuterLeft);
  Close();
  const std::vector<std::string> expected = {"left=30", "right=550", "bottom=370", "top=40",
                                             "status=1", "Style=32769", "Theme=0"};
  EXPECT_EQ(Section("Kit_DemoMain"), expected);
  EXPECT_FALSE(Section("Kit_Demo-Summary").empty());
  Open();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  CRect placed;
  frame_->GetWindowRect(&placed);
  EXPECT_EQ(placed, CRect(30 + work.left, 40 + work.top, 550 + work.left, 370 + work.top));
  EXPECT_EQ(ToolBarDock(), kKitOuterLeft);
  EXPECT_EQ(frame_->m_wndTabs.GetTabCount(), 2);
}

}  // namespace

namespace {

std::u16string MenuText(HMENU menu, int position) {
  WCHAR text[64] = {};
  ::GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
  return text;
}

TEST_F(KitMdiFrame, TheMenuBarShowsTheFramesMenuAndListsTheDocumentsInItsWindowMenu) {
  Open();
  EXPECT_EQ(::GetMenu(frame_->m_hWnd), nullptr);  // the bar is the only menu line
  EXPECT_EQ(frame_->m_wndMenuBar.GetMenu(), frame_->m_menu);
  ASSERT_EQ(frame_->m_wndMenuBar.GetWindowMenu(), frame_->m_windowMenu);
  HMENU window = frame_->m_windowMenu;
  // The popup opening, as the menu loop tells the frame.
  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), 1);
  ASSERT_EQ(::GetMenuItemCount(window), 4);
  EXPECT_EQ(::GetMenuState(window, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(MenuText(window, 2), u"&1 Morph A");
  EXPECT_EQ(MenuText(window, 3), u"&2 Morph B");
  EXPECT_EQ(::GetMenuState(window, 3, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  // Eight more documents: the tenth entry stands for the rest.
  for (int i = 0; i < 9; ++i) {
    auto* child = new CMDIChildWnd;
    ASSERT_TRUE(child->Create(nullptr, u"More", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CFrameWnd::rectDefault,
                              frame_));
  }
  Pump();
  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), 1);
  ASSERT_EQ(::GetMenuItemCount(window), 12);  // Cascade, separator, nine documents, "More windows"
  EXPECT_EQ(MenuText(window, 11), u"&More windows...");
  // A system menu of the same handle is left alone.
  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), MAKELPARAM(1, 1));
  EXPECT_EQ(::GetMenuItemCount(window), 12);
  // Choosing an entry activates that document.
  frame_->SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD);
  Pump();
  EXPECT_EQ(Active(), ::GetDlgItem(frame_->m_hWndMDIClient, AFX_IDM_FIRST_MDICHILD));
}

}  // namespace

namespace {

TEST_F(KitMdiFrame, TheTabsLieBetweenTheBarsAndTheDocuments) {
  Open();
  CRect tabs, menuBar, toolBar, client;
  frame_->m_wndTabs.GetWindowRect(&tabs);
  frame_->m_wndMenuBar.GetWindowRect(&menuBar);
  frame_->m_wndToolBar.GetWindowRect(&toolBar);
  ::GetWindowRect(frame_->m_hWndMDIClient, &client);
  EXPECT_GE(tabs.top, menuBar.bottom);
  EXPECT_GE(tabs.top, toolBar.bottom);
  EXPECT_EQ(client.top, tabs.bottom);
}

}  // namespace
