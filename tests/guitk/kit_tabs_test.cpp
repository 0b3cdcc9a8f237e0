// The tab control and the scrolling tab strip as a user works them: tab
// colours, clicks, deleting the current tab, the scroll buttons on the
// stopped clock and the hidden list of the tabs.
#include "guitk/kit_tabs.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "guitk/kit_colors.h"
#include "guitk_test_support.h"

namespace {

using kittest::KitTest;

class TabControls : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    frame_ = new CFrameWnd;
    ASSERT_TRUE(frame_->Create(nullptr, u"Tabs", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 540, 340)));
    commands_.HookWindow(frame_->m_hWnd);
    Pump();
  }
  void TearDown() override {
    commands_.HookWindow(static_cast<HWND>(nullptr));
    if (tabs_) tabs_->DestroyWindow();
    for (auto& w : pages_) w->DestroyWindow();
    tabs_.reset();
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  template <class Tabs>
  Tabs& Make(int count, int width = 460) {
    auto* tabs = new Tabs;
    tabs_.reset(tabs);
    EXPECT_TRUE(tabs->Create(WS_VISIBLE, CRect(10, 10, 10 + width, 210), frame_, 700));
    for (int i = 0; i < count; ++i) AddPage(i);
    Pump();
    return *tabs;
  }
  void AddPage(int i) {
    auto page = std::make_unique<CStatic>();
    CString name;
    name.Format(u"Page %d", i + 1);
    EXPECT_TRUE(page->Create(name, WS_CHILD | SS_CENTER, CRect(0, 0, 10, 10), tabs_.get(), 710 + i));
    tabs_->AddTab(page.get(), name);
    pages_.push_back(std::move(page));
  }
  POINT TabPoint(int i, int shift = 0) const {
    CRect r = tabs_->GetTab(i)->rect;
    POINT p{r.left + 6 + shift, r.CenterPoint().y};
    tabs_->ClientToScreen(&p);
    return p;
  }
  static POINT Centre(CWnd& w) {
    CRect r;
    w.GetWindowRect(&r);
    return r.CenterPoint();
  }

  class CommandLog : public CSubclassWnd {
   public:
    std::vector<UINT> ids;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_COMMAND) ids.push_back(LOWORD(wParam));
      return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
  };

  CFrameWnd* frame_ = nullptr;
  std::unique_ptr<CKitTabCtrl> tabs_;
  std::vector<std::unique_ptr<CStatic>> pages_;
  CommandLog commands_;
};

TEST_F(TabControls, TheEleventhTabTakesTheFirstsColourAndSevenTheOtherColour) {
  CKitTabCtrl& tabs = Make<CKitTabCtrl>(11);
  ASSERT_EQ(tabs.GetTabCount(), 11);
  EXPECT_EQ(tabs.GetTab(0)->tabColor, 0xE6AE93u);
  EXPECT_EQ(tabs.GetTab(3)->tabColor, 0xBDBDF4u);
  EXPECT_EQ(tabs.GetTab(6)->tabColor, 0xA5CAF7u);  // seven has no row of its own
  EXPECT_EQ(tabs.GetTab(9)->tabColor, 0xBDBDF4u);  // ten shares four's
  EXPECT_EQ(tabs.GetTab(10)->tabColor, tabs.GetTab(0)->tabColor);
  EXPECT_EQ(CKitTabCtrl::TabColorFor(20), 0xA5CAF7u);
  EXPECT_EQ(tabs.GetTab(0)->textColor, 0xFFFFFFu);
  // Eleven captions do not fit 460 pixels: the tabs share the width.
  const int each = (460 - 12) / 11;
  EXPECT_EQ(tabs.GetTab(0)->rect.left, 4);
  EXPECT_EQ(tabs.GetTab(0)->rect.Width(), each);
  EXPECT_EQ(tabs.GetTab(1)->rect.left, 4 + each + 1);
  EXPECT_EQ(tabs.GetTab(0)->rect.bottom, 199 - 20 + 19);  // along the bottom, 19 high
  WritePng(frame_->m_hWnd, "guitk_tab_ctrl");
}

TEST_F(TabControls, ClickingATabShowsItsWindowAndTellsTheParent) {
  CKitTabCtrl& tabs = Make<CKitTabCtrl>(3);
  EXPECT_TRUE(pages_[0]->IsWindowVisible());
  EXPECT_FALSE(pages_[1]->IsWindowVisible());
  CRect page;
  pages_[0]->GetWindowRect(&page);
  tabs.ScreenToClient(&page);
  EXPECT_EQ(page, CRect(3, 3, 460 - 6, 199 - 20 - 6));  // inset 2, 2, 5 and 6 from the rest
  Click(TabPoint(2));
  EXPECT_EQ(tabs.GetCurrentTab(), 2);
  EXPECT_FALSE(pages_[0]->IsWindowVisible());
  EXPECT_TRUE(pages_[2]->IsWindowVisible());
  EXPECT_EQ(Text(frame_->m_hWnd), u"Page 3");
  ASSERT_FALSE(commands_.ids.empty());
  EXPECT_EQ(commands_.ids.back(), kKitTabClickedCommand);
  // The current tab is drawn in its colour.
  EXPECT_EQ(PixelAt(TabPoint(2, -3)), tabs.GetTab(2)->tabColor);
  WritePng(frame_->m_hWnd, "guitk_tab_ctrl_third");
}

TEST_F(TabControls, DeletingTheCurrentFirstTabLeavesTabZeroCurrent) {
  CKitTabCtrl& tabs = Make<CKitTabCtrl>(3);
  ASSERT_TRUE(tabs.DeleteTab(0));
  EXPECT_EQ(tabs.GetCurrentTab(), 0);
  EXPECT_EQ(tabs.GetTab(0)->caption, u"Page 2");
  EXPECT_TRUE(pages_[1]->IsWindowVisible());
  EXPECT_FALSE(pages_[0]->IsWindowVisible());
  tabs.SetCurrentTab(1);
  ASSERT_TRUE(tabs.DeleteTab(1));  // the current last one: its left neighbour follows
  EXPECT_EQ(tabs.GetCurrentTab(), 0);
  EXPECT_TRUE(pages_[1]->IsWindowVisible());
  EXPECT_FALSE(tabs.DeleteTab(5));
  ASSERT_TRUE(tabs.RefreshTab(pages_[1].get(), u"Renamed"));
  EXPECT_EQ(tabs.GetTab(0)->caption, u"Renamed");
}

TEST_F(TabControls, TheScrollButtonsEnableOnlyWhenTheTabsOverflowAndScrollTenPixels) {
  CKitScrollTabStrip& strip = Make<CKitScrollTabStrip>(2, 300);
  EXPECT_FALSE(strip.GetScrollLeftButton().IsWindowEnabled());
  EXPECT_FALSE(strip.GetScrollRightButton().IsWindowEnabled());
  EXPECT_EQ(strip.GetTab(0)->rect.top, 2);  // tabs along the top
  for (int i = 2; i < 9; ++i) AddPage(i);
  Pump();
  ASSERT_GT(strip.GetTabsWidth(), strip.GetVisibleWidth());
  EXPECT_TRUE(strip.GetScrollLeftButton().IsWindowEnabled());
  EXPECT_TRUE(strip.GetScrollRightButton().IsWindowEnabled());
  WritePng(frame_->m_hWnd, "guitk_scroll_tab_strip");

  // Five pixels inside the first tab's right edge, before scrolling.
  const POINT before = TabPoint(0, strip.GetTab(0)->rect.Width() - 11);
  Click(Centre(strip.GetScrollRightButton()));
  EXPECT_EQ(strip.GetScrollOffset(), -10);
  Click(Centre(strip.GetScrollRightButton()));
  EXPECT_EQ(strip.GetScrollOffset(), -20);
  // The same screen point now lies 20 pixels further along: on the second tab.
  Click(before);
  EXPECT_EQ(strip.GetCurrentTab(), 1);
  Click(Centre(strip.GetScrollLeftButton()));
  EXPECT_EQ(strip.GetScrollOffset(), -10);
  Click(Centre(strip.GetScrollLeftButton()));
  Click(Centre(strip.GetScrollLeftButton()));
  EXPECT_EQ(strip.GetScrollOffset(), 0);  // no further than the first tab
  WritePng(frame_->m_hWnd, "guitk_scroll_tab_strip_scrolled");

  // Fewer tabs again: the buttons go grey.
  while (strip.GetTabCount() > 1) strip.DeleteTab(strip.GetTabCount() - 1);
  Pump();
  EXPECT_FALSE(strip.GetScrollLeftButton().IsWindowEnabled());
}

TEST_F(TabControls, TheHiddenListNamesTheTabsAndItsSelectionMakesOneCurrent) {
  CKitScrollTabStrip& strip = Make<CKitScrollTabStrip>(4, 400);
  CKitHistoryCombo& list = strip.GetTabList();
  EXPECT_FALSE(list.IsWindowVisible());
  ASSERT_EQ(list.GetCount(), 4);
  CString text;
  list.GetLBText(3, text);
  EXPECT_EQ(text, u"Page 4");
  list.SetCurSel(3);
  strip.SendMessage(WM_COMMAND, MAKEWPARAM(kKitTabListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list.m_hWnd));
  EXPECT_EQ(strip.GetCurrentTab(), 3);
  EXPECT_TRUE(pages_[3]->IsWindowVisible());
  EXPECT_FALSE(pages_[0]->IsWindowVisible());
}

}  // namespace
