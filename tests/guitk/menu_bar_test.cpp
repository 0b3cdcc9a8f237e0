// The menu bar of kitdemo's toolkit frame (menu 128) as a user works it:
// Alt and F10, arrow keys, mnemonics, a mouse sweep with a popup open, the
// chosen command, and the title buttons' presses.
#include "guitk/menu_bar.h"

#include <gtest/gtest.h>

#include "kit_frame_fixture.h"
#include "res/resource.h"

namespace {

using kittest::KitFrameTest;
using kittest::OpenPopups;

class MenuBar : public KitFrameTest {
 protected:
  void SetUp() override {
    KitFrameTest::SetUp();
    Open();
    recorder_.HookWindow(frame_->m_hWnd);
  }
  void TearDown() override {
    recorder_.HookWindow(static_cast<HWND>(nullptr));
    KitFrameTest::TearDown();
  }
  kittest::PopupRecorder recorder_;
  CMenuBar& Bar() { return frame_->m_wndMenuBar; }
  void Alt() {
    KeyDown(VK_MENU);
    KeyUp(VK_MENU);
  }
  HMENU ShownMenu() const { return recorder_.Shown(); }
};

TEST_F(MenuBar, TheFrameHasNoMenuLineOnlyTheBarsSixTitles) {
  EXPECT_EQ(::GetMenu(frame_->m_hWnd), nullptr);
  // Made from the frame's 0x50402804: the bar bits leave the window style,
  // the clipping and the bar's own low bits come in.
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(Bar().m_hWnd, GWL_STYLE)), 0x5200000Eu);
  ASSERT_EQ(Bar().GetItemCount(), 6);
  EXPECT_EQ(static_cast<CMenuBarTitleItem*>(Bar().GetItem(0))->m_strCaption, CString(u"&File"));
  EXPECT_EQ(static_cast<CMenuBarTitleItem*>(Bar().GetItem(5))->Mnemonic(), u'H');
  // Each title's button is the bar's child with the title's position as id.
  EXPECT_EQ(::GetDlgCtrlID(static_cast<CMenuBarTitleItem*>(Bar().GetItem(3))->m_button.m_hWnd), 3);
  // The bar lies above the toolbar.
  CRect bar, tools;
  Bar().GetWindowRect(&bar);
  frame_->m_wndToolBar.GetWindowRect(&tools);
  EXPECT_LT(bar.top, tools.top);
  EXPECT_LE(bar.bottom, tools.top + 2);  // rows of a dock bar overlap by their gap
  EXPECT_EQ(static_cast<UINT>(Bar().GetParent()->GetDlgCtrlID()), kKitOuterTop);
  EXPECT_EQ(static_cast<UINT>(frame_->m_wndToolBar.GetParent()->GetDlgCtrlID()), kKitOuterTop);
  WritePng(frame_->m_hWnd, "guitk_kit_frame");
}

TEST_F(MenuBar, AltSelectsTheFirstTitleAndASecondAltDeselects) {
  Alt();
  EXPECT_EQ(Bar().GetTrackingState(), 1);
  EXPECT_EQ(Bar().GetHotItem(), 0);
  EXPECT_TRUE(Bar().GetItem(0)->m_fsState & CMenuBarItem::kHot);
  // A selected title opens nothing: no popup border joins it.
  RegisterPressedButton(RECT{}, -1);
  Bar().Invalidate();
  FramePump();
  RECT pressed;
  int orientation = 0;
  GetPressedButton(&pressed, &orientation);
  EXPECT_EQ(orientation, -1);
  Alt();
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  EXPECT_EQ(Bar().GetHotItem(), -1);
  // F10 is bound to Line Edit Mode here: the accelerator runs, before and
  // instead of the bar, even with a title selected, and its release selects nothing.
  PressKey(VK_F10);
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  Alt();
  PressKey(VK_F10);
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  EXPECT_EQ(Bar().GetHotItem(), -1);
  const std::vector<UINT> lineEdit(2, static_cast<UINT>(ID_LINE_EDIT));
  EXPECT_EQ(frame_->m_commands, lineEdit);
}

TEST_F(MenuBar, LeftFromTheFirstTitleWrapsToTheLastAndRightComesBack) {
  Alt();
  PressKey(VK_LEFT);
  EXPECT_EQ(Bar().GetHotItem(), 5);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Bar().GetHotItem(), 0);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Bar().GetHotItem(), 1);
  // Home is not the bar's: the bar lets go and the key goes on.
  PressKey(VK_HOME);
  EXPECT_EQ(Bar().GetTrackingState(), 0);
}

TEST_F(MenuBar, DownOpensTheTitlesPopupAndTheChosenItemReachesTheFrame) {
  Alt();
  PressKey(VK_RIGHT);  // Edit
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  HMENU shown = nullptr;
  int state = -1;
  RECT popup{}, title = Bar().GetItem(1)->m_rcItem;
  Bar().ClientToScreen(&title);
  driver.steps.push_back([&] {
    shown = ShownMenu();
    state = Bar().GetTrackingState();
    if (!OpenPopups().empty()) GetWindowRect(OpenPopups().back(), &popup);
    compat::host::InjectKeyPress(VK_DOWN);  // Undo
  });
  driver.steps.push_back([] { compat::host::InjectKeyPress(VK_RETURN); });
  PressKey(VK_DOWN);
  driver.HookWindow(static_cast<HWND>(nullptr));
  FramePump();
  EXPECT_EQ(shown, GetSubMenu(Bar().GetMenu(), 1));
  EXPECT_EQ(state, 2);
  // Under the title, joined to it.
  EXPECT_EQ(popup.left, title.left);
  EXPECT_NEAR(popup.top, title.bottom - 2, 1);
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  ASSERT_EQ(frame_->m_commands.size(), 1u);
  EXPECT_EQ(frame_->m_commands[0], static_cast<UINT>(ID_EDIT_UNDO));
}

TEST_F(MenuBar, AMouseSweepWithAPopupOpenReopensEachNeighbour) {
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  std::vector<HMENU> shown;
  for (int title = 1; title <= 3; ++title) {
    driver.steps.push_back([&, title] {
      shown.push_back(ShownMenu());
      const POINT p = TitleCentre(title);
      compat::host::InjectMouseMove(p.x, p.y);
    });
  }
  driver.steps.push_back([&] { shown.push_back(ShownMenu()); });
  driver.steps.push_back([] { compat::host::InjectKeyPress(VK_ESCAPE); });
  const POINT file = TitleCentre(0);
  compat::host::InjectMouseMove(file.x, file.y);
  compat::host::InjectClick(0, file.x, file.y);
  FramePump();
  driver.HookWindow(static_cast<HWND>(nullptr));
  ASSERT_EQ(shown.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(shown[static_cast<size_t>(i)], GetSubMenu(Bar().GetMenu(), i)) << i;
  EXPECT_TRUE(OpenPopups().empty());
  EXPECT_TRUE(frame_->m_commands.empty());
}

TEST_F(MenuBar, ArrowKeysInsideAPopupMoveToTheNeighbourTitle) {
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  std::vector<HMENU> shown;
  driver.steps.push_back([&] {
    shown.push_back(ShownMenu());
    compat::host::InjectKey(VK_MENU, false);  // the user lets go of Alt in the menu
    compat::host::InjectKeyPress(VK_LEFT);
  });
  driver.steps.push_back([&] {
    shown.push_back(ShownMenu());
    compat::host::InjectKeyPress(VK_RIGHT);
  });
  driver.steps.push_back([&] { shown.push_back(ShownMenu()); });
  // Alt+E opens Edit by its mnemonic.
  compat::host::InjectKey(VK_MENU, true);
  compat::host::InjectKeyPress('E');
  FramePump();
  driver.HookWindow(static_cast<HWND>(nullptr));
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], GetSubMenu(Bar().GetMenu(), 1));
  EXPECT_EQ(shown[1], GetSubMenu(Bar().GetMenu(), 0));
  EXPECT_EQ(shown[2], GetSubMenu(Bar().GetMenu(), 1));
  // The Alt release after the mnemonic selects nothing.
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  // No title walked over keeps its frame.
  for (int i = 0; i < Bar().GetItemCount(); ++i)
    EXPECT_FALSE(Bar().GetItem(i)->m_fsState & (CMenuBarItem::kHot | CMenuBarItem::kPressed)) << "title " << i;
}

TEST_F(MenuBar, ASystemKeyInsideAPopupDoesNotLeaveTheNextAltStuck) {
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  driver.steps.push_back([] {
    compat::host::InjectKey(VK_MENU, true);
    compat::host::InjectKey(VK_MENU, false);
  });
  Alt();
  PressKey(VK_DOWN);  // the File popup; Alt inside it closes it
  driver.HookWindow(static_cast<HWND>(nullptr));
  EXPECT_TRUE(OpenPopups().empty());
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  // The next Alt release only clears the mark; the one after selects again.
  Alt();
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  Alt();
  EXPECT_EQ(Bar().GetTrackingState(), 1);
  EXPECT_EQ(Bar().GetHotItem(), 0);
}

TEST_F(MenuBar, MnemonicsInTheKeyboardStateOpenTheirPopupAndOthersAreEaten) {
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  HMENU shown = nullptr;
  driver.steps.push_back([&] { shown = ShownMenu(); });
  Alt();
  PressKey('Q');  // no title has it: eaten, the bar stays selected
  EXPECT_EQ(Bar().GetTrackingState(), 1);
  PressKey('H');
  driver.HookWindow(static_cast<HWND>(nullptr));
  EXPECT_EQ(shown, GetSubMenu(Bar().GetMenu(), 5));
  EXPECT_EQ(Bar().GetTrackingState(), 0);
}

TEST_F(MenuBar, ATitlePressArrivesAsPositionPlus100) {
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  HMENU shown = nullptr;
  int hot = -1;
  driver.steps.push_back([&] {
    shown = ShownMenu();
    hot = Bar().GetHotItem();
  });
  auto* title = static_cast<CMenuBarTitleItem*>(Bar().GetItem(2));
  Bar().SendMessage(WM_COMMAND, 2 + 100, reinterpret_cast<LPARAM>(title->m_button.m_hWnd));
  driver.HookWindow(static_cast<HWND>(nullptr));
  EXPECT_EQ(shown, GetSubMenu(Bar().GetMenu(), 2));
  EXPECT_EQ(hot, 2);
}

TEST_F(MenuBar, TheHotTitleIsDrawnByTheBarAndClearsWhenThePointerLeaves) {
  const POINT p = TitleCentre(1);
  MoveTo(p);
  FramePump();
  EXPECT_EQ(Bar().GetTrackingState(), 3);
  EXPECT_EQ(Bar().GetHotItem(), 1);
  auto* title = static_cast<CMenuBarTitleItem*>(Bar().GetItem(1));
  EXPECT_FALSE(title->m_button.IsWindowVisible());
  CRect r = title->m_rcItem;
  Bar().ClientToScreen(&r);
  EXPECT_EQ(PixelAt(POINT{r.left, r.top + r.Height() / 2}), GetThemeBaseColor());
  EXPECT_EQ(PixelAt(POINT{r.left + 2, r.top + 2}), GetHotColor());
  MoveTo(POINT{p.x, p.y + 200});
  Advance(100);
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  EXPECT_TRUE(title->m_button.IsWindowVisible());
}

TEST_F(MenuBar, DockedLeftTheTitlesStackAndUpAndDownMoveBetweenThem) {
  frame_->DockControlBar(&Bar(), kKitOuterLeft);
  frame_->RecalcLayout();
  FramePump();
  ASSERT_FALSE(Bar().IsHorizontal());
  const CRect first = Bar().GetItem(0)->m_rcItem, second = Bar().GetItem(1)->m_rcItem;
  EXPECT_EQ(second.top, first.bottom);
  EXPECT_EQ(second.left, first.left);
  EXPECT_GT(first.Height(), first.Width());
  Alt();
  PressKey(VK_DOWN);
  EXPECT_EQ(Bar().GetHotItem(), 1);
  PressKey(VK_UP);
  PressKey(VK_UP);
  EXPECT_EQ(Bar().GetHotItem(), 5);
  PressKey(VK_ESCAPE);
  WritePng(frame_->m_hWnd, "guitk_kit_menu_bar_left");
}

TEST_F(MenuBar, FloatingItsFrameCannotBeClosed) {
  frame_->FloatControlBar(&Bar(), CPoint(300, 300));
  FramePump();
  ASSERT_TRUE(Bar().IsFloating());
  CWnd* holder = Bar().GetParentFrame();
  ASSERT_NE(holder, frame_);
  HMENU system = ::GetSystemMenu(holder->m_hWnd, FALSE);
  // The toolkit's floating frame may have no system menu at all; one that has keeps Close grey.
  if (system) {
    EXPECT_TRUE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  }
  EXPECT_EQ(Bar().GetItemCount(), 6);
}

}  // namespace
