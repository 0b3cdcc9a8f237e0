// The toolkit's toolbar (toolbar 128) and status bar on kitdemo's toolkit
// frame: sizes and rows, the hot look on the stopped clock, the gripper,
// the right-click menu, drop-down menus, and the status bar's own painting.
#include <gtest/gtest.h>

#include "guitk/kit_dock_bar.h"
#include "guitk/kit_mini_frame.h"
#include "guitk/kit_status_bar.h"
#include "guitk/kit_tool_bar.h"
#include "kit_frame_fixture.h"
#include "res/resource.h"

namespace {

using kittest::KitFrameTest;
using kittest::OpenPopups;

// The rows of a toolbar as its layout works them out.
class RowsToolBar : public CKitToolBarWnd {
 public:
  using CKitToolBarWnd::CalcSize;
  using CToolBar::WrapToolBar;
  std::vector<TBBUTTON> Buttons() {
    std::vector<TBBUTTON> list(static_cast<size_t>(SendMessage(TB_BUTTONCOUNT)));
    for (size_t i = 0; i < list.size(); ++i) SendMessage(TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&list[i]));
    return list;
  }
};

std::vector<int> Wraps(const std::vector<TBBUTTON>& buttons) {
  std::vector<int> at;
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].fsState & TBSTATE_WRAP) at.push_back(static_cast<int>(i));
  return at;
}

class KitBars : public KitFrameTest {
 protected:
  void SetUp() override {
    KitFrameTest::SetUp();
    Open();
  }
  CKitToolBarWnd& Tools() { return frame_->m_wndToolBar; }
  CRect ButtonRect(int index) {
    CRect r;
    Tools().GetItemRect(index, &r);
    Tools().ClientToScreen(&r);
    return r;
  }
};

TEST_F(KitBars, AnEmptyToolBarIs32By0AndToolbar128WrapsAsTheFrameworkDoes) {
  RowsToolBar bar;
  ASSERT_TRUE(bar.CreateEx(frame_, TBSTYLE_FLAT, WS_CHILD | CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC, CRect(0, 0, 0, 0), 0x5100));
  EXPECT_EQ(bar.CalcSize(nullptr, 0), CSize(32, 0));
  ASSERT_TRUE(bar.LoadToolBar(IDR_MAINFRAME));
  std::vector<TBBUTTON> buttons = bar.Buttons();
  ASSERT_EQ(buttons.size(), 23u);
  ASSERT_EQ(buttons[5].iBitmap, 6);  // a flat separator
  // Worked out by hand from 23-pixel buttons and 6-pixel separators: a row
  // breaks at the last separator before the overflow, else before the button.
  struct Golden {
    int width;
    std::vector<int> wraps;
    CSize size;
  };
  const Golden golden[] = {
      {478, {}, CSize(478, 22)},
      {200, {8, 12, 20}, CSize(184, 96)},
      {100, {3, 8, 12, 16, 20}, CSize(92, 140)},
  };
  for (const Golden& g : golden) {
    bar.WrapToolBar(buttons.data(), static_cast<int>(buttons.size()), g.width);
    EXPECT_EQ(Wraps(buttons), g.wraps) << g.width;
    EXPECT_EQ(bar.CalcSize(buttons.data(), static_cast<int>(buttons.size())), g.size) << g.width;
  }
  bar.DestroyWindow();
}

// Toolbars meet edge to edge in the outer ring, yet one that would start
// within two borders of the row's end goes to a row of its own.
TEST_F(KitBars, ASecondToolBarNearTheRowsEndWrapsInTheOuterRing) {
  CKitToolBarWnd second;
  ASSERT_TRUE(second.CreateEx(frame_, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect(0, 0, 0, 0), 0x5101));
  ASSERT_TRUE(second.LoadToolBar(IDR_MAINFRAME));
  second.EnableDocking(CBRS_ALIGN_ANY);
  CDockBar* outer = KitOuterDockBar(frame_, CBRS_ALIGN_TOP);
  frame_->SetWindowPos(nullptr, 0, 0, 1200, 500, SWP_NOMOVE | SWP_NOZORDER);
  CRect first;
  Tools().GetWindowRect(&first);
  frame_->DockControlBar(&second, outer, CRect(first.right, first.top, first.right + 40, first.bottom));
  frame_->RecalcLayout();
  CRect beside;
  second.GetWindowRect(&beside);
  ASSERT_EQ(beside.top, first.top) << "the second toolbar is not in the first one's row";
  ASSERT_EQ(beside.left, first.right) << "toolbars meet edge to edge";
  // The row made one pixel longer than where the second toolbar starts.
  CRect row;
  outer->GetWindowRect(&row);
  CRect frameRect;
  frame_->GetWindowRect(&frameRect);
  const int shrink = row.right - (beside.left + 1);
  frame_->SetWindowPos(nullptr, 0, 0, frameRect.Width() - shrink, frameRect.Height(), SWP_NOMOVE | SWP_NOZORDER);
  frame_->RecalcLayout();
  outer->GetWindowRect(&row);
  Tools().GetWindowRect(&first);
  ASSERT_EQ(row.right, first.right + 1);
  CRect wrapped;
  second.GetWindowRect(&wrapped);
  EXPECT_GT(wrapped.top, first.top) << "the second toolbar stays in the row";
  second.DestroyWindow();
}

TEST_F(KitBars, TheHotLookClearsWithin250msOrTenAfterAClick) {
  const CRect first = ButtonRect(0);
  MoveTo(first.CenterPoint());
  FramePump();
  EXPECT_EQ(Tools().GetHotButton(), 0);
  EXPECT_EQ(PixelAt(POINT{first.left, first.CenterPoint().y}), GetThemeBaseColor());
  WritePng(Tools().m_hWnd, "guitk_kit_toolbar_hot");
  const POINT away{first.CenterPoint().x, first.bottom + 120};
  MoveTo(away);
  Advance(240);
  EXPECT_EQ(Tools().GetHotButton(), 0);  // until the timer looks
  Advance(20);
  EXPECT_EQ(Tools().GetHotButton(), -1);
  EXPECT_NE(PixelAt(POINT{first.left, first.CenterPoint().y}), GetThemeBaseColor());
  // After a click the timer looks again after 10 ms.
  const CRect open = ButtonRect(1);
  MoveTo(open.CenterPoint());
  compat::host::InjectClick(0, open.CenterPoint().x, open.CenterPoint().y);
  FramePump();
  EXPECT_EQ(Tools().GetHotButton(), 1);
  MoveTo(away);
  Advance(15);
  EXPECT_EQ(Tools().GetHotButton(), -1);
  ASSERT_FALSE(frame_->m_commands.empty());
  EXPECT_EQ(frame_->m_commands.back(), static_cast<UINT>(ID_FILE_OPEN));
}

TEST_F(KitBars, ADockedBarHasAGripperAndAFloatingBarNone) {
  auto gripperDots = [&] {
    CRect window;
    Tools().GetWindowRect(&window);
    int dots = 0;
    for (int y = window.top + 6; y < window.bottom - 3; y += 2) dots += PixelAt(POINT{window.left + 5, y}) == GetSysColor(COLOR_BTNSHADOW);
    return dots;
  };
  EXPECT_GE(gripperDots(), 5);
  frame_->FloatControlBar(&Tools(), CPoint(200, 250));
  FramePump();
  ASSERT_TRUE(Tools().IsFloating());
  EXPECT_EQ(gripperDots(), 0);
  WritePng(Tools().GetParentFrame()->m_hWnd, "guitk_kit_toolbar_floating");
}

TEST_F(KitBars, TheRightClickMenuAndADropDownButtonsPopupAppear) {
  Tools().m_nRightMenuId = IDR_MAINFRAME;
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  size_t shownRight = 0, shownDrop = 0;
  RECT dropPopup{}, dropButton{};
  driver.steps.push_back([&] { shownRight = OpenPopups().size(); });
  const CRect first = ButtonRect(0);
  compat::host::InjectMouseMove(first.CenterPoint().x, first.CenterPoint().y);
  compat::host::InjectClick(1, first.CenterPoint().x, first.CenterPoint().y);
  FramePump();
  EXPECT_EQ(shownRight, 1u);
  EXPECT_TRUE(OpenPopups().empty());
  // The Save button drops the Edit menu down.
  Tools().SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  Tools().SetButtonStyle(2, Tools().GetButtonStyle(2) | TBBS_DROPDOWN);
  Tools().AddDropDown(ID_FILE_SAVE, IDR_MAINFRAME);
  FramePump();
  const CRect save = ButtonRect(2);
  driver.steps.push_back([&] {
    shownDrop = OpenPopups().size();
    if (shownDrop) GetWindowRect(OpenPopups().back(), &dropPopup);
    dropButton = KitDropDownButtonRect();
    EXPECT_TRUE(Tools().IsPopupOpen());
  });
  compat::host::InjectMouseMove(save.right - 3, save.CenterPoint().y);
  compat::host::InjectClick(0, save.right - 3, save.CenterPoint().y);
  FramePump();
  driver.HookWindow(static_cast<HWND>(nullptr));
  EXPECT_EQ(shownDrop, 1u);
  EXPECT_EQ(CRect(dropButton), save);
  EXPECT_EQ(dropPopup.left, save.left);
  EXPECT_FALSE(Tools().IsPopupOpen());
  // A button without a record drops nothing down.
  NMTOOLBARW nm{};
  nm.hdr.hwndFrom = Tools().m_hWnd;
  nm.hdr.code = TBN_DROPDOWN;
  nm.iItem = ID_FILE_OPEN;
  LRESULT result = 5;
  Tools().OnWndMsg(WM_NOTIFY + WM_REFLECT_BASE, 0, reinterpret_cast<LPARAM>(&nm), &result);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(OpenPopups().empty());
}

TEST_F(KitBars, ADropDownWindowTearsOffAndTheToolBarStillRepaints) {
  CEdit hosted;
  ASSERT_TRUE(hosted.Create(WS_CHILD | ES_MULTILINE, CRect(0, 0, 140, 90), frame_, 4000));
  Tools().SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  Tools().SetButtonStyle(1, Tools().GetButtonStyle(1) | TBBS_DROPDOWN);
  Tools().AddDropDown(ID_FILE_OPEN, 0, &hosted, 7);
  FramePump();
  const CRect open = ButtonRect(1);
  compat::host::InjectMouseMove(open.right - 3, open.CenterPoint().y);
  compat::host::InjectClick(0, open.right - 3, open.CenterPoint().y);
  FramePump();
  auto* torn = dynamic_cast<CKitMiniFrameWnd*>(CWnd::FromHandlePermanent(::GetParent(hosted.m_hWnd)));
  ASSERT_NE(torn, nullptr);
  EXPECT_TRUE(hosted.IsWindowVisible());
  EXPECT_EQ(torn->m_nValue, 7u);
  EXPECT_FALSE(Tools().IsPopupOpen());
  CRect place;
  torn->GetWindowRect(&place);
  EXPECT_NEAR(place.left, open.left, 12);
  RECT shot = place;
  InflateRect(&shot, 4, 4);
  for (int i = 0; i < 3; ++i) FramePump();
  EXPECT_TRUE(compat::host::WriteSurfacePng(*compat::host::DesktopSurface(), &shot,
                                            std::string(CALVETTA_GUITK_PNG_DIR) + "/guitk_kit_toolbar_tear_off.png"));
  // No window's updates stay locked: another can lock them, and the bar
  // repaints in a new look.
  EXPECT_TRUE(LockWindowUpdate(frame_->m_hWnd));
  LockWindowUpdate(nullptr);
  CRect client;
  Tools().GetClientRect(&client);
  CPoint top(client.right - 2, client.top), bottom(client.right - 2, client.bottom - 1);
  Tools().ClientToScreen(&top);
  Tools().ClientToScreen(&bottom);
  EXPECT_EQ(PixelAt(top), PixelAt(bottom));
  Tools().SetStyle(kKitStyleGradient);
  EXPECT_NE(PixelAt(top), PixelAt(bottom));
  // Escape gives the window back.
  const HWND tornWindow = torn->m_hWnd;
  PressKey(VK_ESCAPE);
  if (IsWindow(tornWindow)) {
    ADD_FAILURE() << "Escape left the window torn off";
    torn->CloseFrame();
    FramePump();
  }
  EXPECT_EQ(::GetParent(hosted.m_hWnd), frame_->m_hWnd);
}

TEST_F(KitBars, TheStatusBarDrawsItsFramesFillerAndGripOverTheControl) {
  CKitStatusBar& status = frame_->m_wndStatusBar;
  FramePump();
  CRect client;
  status.GetClientRect(&client);
  auto at = [&](int x, int y) {
    CPoint p(x, y);
    status.ClientToScreen(&p);
    return PixelAt(p);
  };
  // The grip: white grooves at k = 0, 4, 8, 12 and dark ones beside them.
  EXPECT_EQ(at(client.right - 10, client.bottom - 5), RGB(255, 255, 255));
  EXPECT_EQ(at(client.right - 9, client.bottom - 5), GetPressedColor());
  EXPECT_EQ(at(client.right - 6, client.bottom - 5), RGB(255, 255, 255));
  // Flat pane frames in the shadow colour.
  CRect caps;
  status.GetItemRect(1, &caps);
  EXPECT_EQ(at(caps.left, caps.top + caps.Height() / 2), GetShadowColor(kKitStyleFlat));
  EXPECT_EQ(at(caps.left + caps.Width() / 2, caps.top), GetShadowColor(kKitStyleFlat));
  // The filler beside the last pane, over the control's own painting.
  CRect last;
  status.GetItemRect(3, &last);
  ASSERT_GT(client.right, last.right + 6);
  EXPECT_EQ(at(client.right - 2, client.top + 1), GetFaceColor(kKitStyleFlat));
  WritePng(status.m_hWnd, "guitk_kit_status_bar");
}

}  // namespace
