// CMenu: ownership of handles, the CWnd menu calls, and owner-drawn items
// reaching the CMenu that holds them while a user opens the menu.
#include <gtest/gtest.h>

#include "compat/afx.h"
#include "compat/host.h"

namespace {

class CDrawnTestMenu : public CMenu {
 public:
  int measured = 0;
  std::vector<UINT> drawnStates;
  void MeasureItem(LPMEASUREITEMSTRUCT mis) override {
    ++measured;
    mis->itemWidth = 80;
    mis->itemHeight = 22;
  }
  void DrawItem(LPDRAWITEMSTRUCT dis) override {
    drawnStates.push_back(dis->itemState);
    FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush((dis->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  }
};

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override { compat::ResetDesktop(800, 600); }
  void TearDown() override { compat::ResetDesktop(800, 600); }
};

TEST_F(MenuTest, PermanentMenusOwnTheirHandlesAndTemporaryOnesDoNot) {
  HMENU raw = ::CreatePopupMenu();
  CMenu* temporary = CMenu::FromHandle(raw);
  ASSERT_NE(temporary, nullptr);
  EXPECT_EQ(temporary->m_hMenu, raw);
  EXPECT_EQ(CMenu::FromHandlePermanent(raw), nullptr);
  {
    CMenu owner;
    ASSERT_TRUE(owner.CreateMenu());
    ASSERT_TRUE(owner.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(raw), u"&File"));
    EXPECT_EQ(CMenu::FromHandlePermanent(owner.m_hMenu), &owner);
    EXPECT_EQ(owner.GetSubMenu(0), temporary);
    EXPECT_EQ(owner.GetMenuItemID(0), 0xFFFFFFFFu);
    CString text;
    EXPECT_EQ(owner.GetMenuString(0, text, MF_BYPOSITION), 5);
    EXPECT_EQ(text.Native(), u"&File");
  }
  // The owner's destructor destroyed the menu with its submenu.
  EXPECT_FALSE(::IsMenu(raw));
  CMenu kept;
  ASSERT_TRUE(kept.CreatePopupMenu());
  HMENU handle = kept.Detach();
  EXPECT_EQ(CMenu::FromHandlePermanent(handle), nullptr);
  EXPECT_TRUE(::IsMenu(handle));
  ::DestroyMenu(handle);
}

TEST_F(MenuTest, WindowsGetAndSetMenusAndOwnerDrawnItemsReachTheirMenu) {
  CWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), u"Menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                           nullptr, nullptr));
  CMenu bar;
  ASSERT_TRUE(bar.CreateMenu());
  CDrawnTestMenu popup;
  ASSERT_TRUE(popup.CreatePopupMenu());
  popup.AppendMenu(MF_OWNERDRAW, 11, reinterpret_cast<LPCTSTR>(1));
  popup.AppendMenu(MF_OWNERDRAW | MF_CHECKED, 12, reinterpret_cast<LPCTSTR>(2));
  bar.AppendMenu(MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup.m_hMenu), u"&Shapes");
  RECT before, after;
  wnd.GetClientRect(&before);
  ASSERT_TRUE(wnd.SetMenu(&bar));
  wnd.GetClientRect(&after);
  EXPECT_EQ(before.bottom - after.bottom, GetSystemMetrics(SM_CYMENU));  // the strip came with the menu
  EXPECT_EQ(wnd.GetMenu(), &bar);
  EXPECT_NE(wnd.GetSystemMenu(FALSE), nullptr);
  wnd.DrawMenuBar();

  // Alt+S opens the popup; Down selects the first item; Enter chooses it.
  compat::host::InjectKey(VK_MENU, true);
  compat::host::InjectKeyPress('S');
  compat::host::InjectKey(VK_MENU, false);
  compat::host::InjectKeyPress(VK_DOWN);
  compat::host::InjectKeyPress(VK_RETURN);
  compat::PumpMessages();
  EXPECT_EQ(popup.measured, 2);
  ASSERT_FALSE(popup.drawnStates.empty());
  bool checked = false, selected = false;
  for (UINT state : popup.drawnStates) {
    checked |= (state & ODS_CHECKED) != 0;
    selected |= (state & ODS_SELECTED) != 0;
  }
  EXPECT_TRUE(checked);
  EXPECT_TRUE(selected);
  ASSERT_TRUE(wnd.SetMenu(nullptr));
  wnd.GetClientRect(&after);
  EXPECT_EQ(after.bottom, before.bottom);
  wnd.DestroyWindow();
}

}  // namespace
