// The MDI layer and the toolkit's MDI tabs as a user works them: two document
// windows, their tabs, the maximised child's caption in the frame's title,
// the window list in the window menu, closing a tab.
#include <gtest/gtest.h>

#include "compat/afx.h"
#include "guitk/kit_tabs.h"
#include "guitk_test_support.h"

namespace {

using kittest::KitTest;

constexpr UINT kTabsId = 0xE840;  // among the bars, not the pane
constexpr UINT kFileClose = 0xE102;

class MdiTabs : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    frame_ = new CMDIFrameWnd;
    ASSERT_TRUE(frame_->Create(nullptr, u"Kit MDI", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(30, 30, 630, 430)));
    ASSERT_NE(frame_->m_hWndMDIClient, nullptr);
    // File, Window, Help: the window list goes to the end of "Window".
    menu_ = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuW(file, MF_STRING, kFileClose, u"&Close");
    windowMenu_ = ::CreatePopupMenu();
    ::AppendMenuW(windowMenu_, MF_STRING, ID_WINDOW_CASCADE, u"&Cascade");
    HMENU help = ::CreatePopupMenu();
    ::AppendMenuW(help, MF_STRING, 0xE140, u"&About");
    ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(windowMenu_), u"&Window");
    ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), u"&Help");
    frame_->MDISetMenu(CMenu::FromHandle(menu_), CMenu::FromHandle(windowMenu_));
    ASSERT_EQ(frame_->GetWindowMenuPopup(menu_), windowMenu_);
    ASSERT_TRUE(tabs_.Create(0, CRect(0, 0, 0, 0), frame_, kTabsId));
    frame_->RecalcLayout();
    frame_->SetActiveWindow();
    Pump();
  }
  void TearDown() override {
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  CMDIChildWnd* OpenChild(const char16_t* title) {
    auto* child = new CMDIChildWnd;
    EXPECT_TRUE(child->Create(nullptr, title, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CFrameWnd::rectDefault, frame_));
    Pump();
    return child;
  }
  static void Advance(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 10) {
      compat::AdvanceClock(10);
      Pump();
    }
  }
  std::u16string MenuText(HMENU menu, int position) {
    WCHAR text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
    return text;
  }
  POINT TabPoint(int i) const {
    CRect r = tabs_.GetTab(i)->rect;
    POINT p{r.left + 6, r.CenterPoint().y};
    tabs_.ClientToScreen(&p);
    return p;
  }
  HWND Active() const { return reinterpret_cast<HWND>(::SendMessageW(frame_->m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0)); }

  CMDIFrameWnd* frame_ = nullptr;
  CKitMdiTabs tabs_;
  HMENU menu_ = nullptr;
  HMENU windowMenu_ = nullptr;
};

TEST_F(MdiTabs, TwoChildrenGetTwoTabsAndTheWindowMenuListsThem) {
  EXPECT_FALSE(tabs_.IsWindowVisible());  // no children, no strip
  CMDIChildWnd* first = OpenChild(u"Morph A");
  CMDIChildWnd* second = OpenChild(u"Morph B");
  EXPECT_EQ(Active(), second->m_hWnd);
  EXPECT_EQ(frame_->MDIGetActive(), second);
  Advance(100);
  ASSERT_EQ(tabs_.GetTabCount(), 2);
  EXPECT_EQ(tabs_.GetTab(0)->caption, u"Morph A");
  EXPECT_EQ(tabs_.GetTab(1)->caption, u"Morph B");
  EXPECT_EQ(tabs_.GetCurrentTab(), 1);
  // The strip takes 24 pixels above the client.
  EXPECT_TRUE(tabs_.IsWindowVisible());
  CRect strip, client;
  tabs_.GetWindowRect(&strip);
  ::GetWindowRect(frame_->m_hWndMDIClient, &client);
  EXPECT_EQ(strip.Height(), CKitMdiTabs::kStripHeight);
  EXPECT_EQ(client.top, strip.bottom);
  // Under the tabs the windows show maximised; the frame's title carries the active one's.
  BOOL maximized = FALSE;
  frame_->MDIGetActive(&maximized);
  EXPECT_TRUE(maximized);
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI - [Morph B]");
  // The window list: a separator, then both windows, the active one checked.
  const int items = ::GetMenuItemCount(windowMenu_);
  ASSERT_EQ(items, 4);
  EXPECT_EQ(MenuText(windowMenu_, 2), u"&1 Morph A");
  EXPECT_EQ(MenuText(windowMenu_, 3), u"&2 Morph B");
  EXPECT_EQ(::GetMenuItemID(windowMenu_, 2), static_cast<UINT>(AFX_IDM_FIRST_MDICHILD));
  EXPECT_EQ(::GetMenuState(windowMenu_, 3, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  WritePng(frame_->m_hWnd, "guitk_mdi_tabs");

  // A tab click brings its window forward, still maximised.
  Click(TabPoint(0));
  EXPECT_EQ(Active(), first->m_hWnd);
  EXPECT_EQ(tabs_.GetCurrentTab(), 0);
  EXPECT_TRUE(::IsZoomed(first->m_hWnd));
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI - [Morph A]");
  EXPECT_EQ(::GetMenuState(windowMenu_, 2, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  // The window list's command does the same.
  frame_->SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD + 1, 0);
  EXPECT_EQ(Active(), second->m_hWnd);
  Advance(200);
  EXPECT_EQ(tabs_.GetCurrentTab(), 1);
}

TEST_F(MdiTabs, RestoringAChildGivesTheFrameItsOwnTitleBack) {
  OpenChild(u"One");
  CMDIChildWnd* two = OpenChild(u"Two");
  Advance(100);
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI - [Two]");
  two->MDIRestore();
  EXPECT_FALSE(::IsZoomed(two->m_hWnd));
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI");
  two->MDIMaximize();
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI - [Two]");
  // Renaming the active window shows in the title, the list and, at the next scan, its tab.
  two->SetWindowText(u"Two (edited)");
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI - [Two (edited)]");
  EXPECT_EQ(MenuText(windowMenu_, 3), u"&2 Two (edited)");
  Advance(200);
  EXPECT_EQ(tabs_.GetTab(1)->caption, u"Two (edited)");
}

TEST_F(MdiTabs, ClosingTheCurrentTabClosesItsWindowAndTheTabGoes) {
  CMDIChildWnd* first = OpenChild(u"Keep");
  OpenChild(u"Close me");
  Advance(100);
  ASSERT_EQ(tabs_.GetTabCount(), 2);
  CRect close;
  tabs_.GetCloseButton().GetWindowRect(&close);
  Click(close.CenterPoint());
  EXPECT_EQ(Active(), first->m_hWnd);  // the next window comes forward
  Advance(200);
  ASSERT_EQ(tabs_.GetTabCount(), 1);
  EXPECT_EQ(tabs_.GetTab(0)->caption, u"Keep");
  EXPECT_EQ(::GetMenuItemCount(windowMenu_), 3);
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI - [Keep]");
  // The last one closed with Ctrl+F4: the strip goes and the client takes its place.
  frame_->SetActiveWindow();
  // The framework's loop offers each key to PreTranslateMessage first.
  compat::host::InjectKey(VK_CONTROL, true);
  compat::host::InjectKeyPress(VK_F4);
  compat::host::InjectKey(VK_CONTROL, false);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (CWnd::WalkPreTranslateTree(frame_->m_hWnd, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  Advance(200);
  EXPECT_EQ(Active(), nullptr);
  EXPECT_EQ(tabs_.GetTabCount(), 0);
  EXPECT_FALSE(tabs_.IsWindowVisible());
  EXPECT_EQ(::GetMenuItemCount(windowMenu_), 1);
  EXPECT_EQ(Text(frame_->m_hWnd), u"Kit MDI");
}

}  // namespace
