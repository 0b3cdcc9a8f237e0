// The common controls' wrappers inside framework windows: a toolbar from a
// bitmap resource with the toolbar colour mapping whose tips the parent's
// message map names, a tooltip on a window, and the status bar with a hidden
// progress bar, and a tab control.
#include <gtest/gtest.h>

#include <vector>

#include "compat/afx.h"
#include "compat/host.h"
#include "test_helpers.h"

namespace {

constexpr UINT kToolbarBitmap = 901;  // two 16 x 16 images: a black square, a red square
constexpr UINT kToolbarId = 1004;

class CToolbarHost : public CWnd {
 public:
  std::vector<UINT> commands;
  std::vector<UINT_PTR> asked;

 protected:
  afx_msg void OnButton(UINT nID) { commands.push_back(nID); }
  afx_msg BOOL OnNeedText(UINT, NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<TOOLTIPTEXTW*>(header);
    asked.push_back(header->idFrom);
    info->lpszText = const_cast<LPWSTR>(header->idFrom == 40 ? u"Square" : u"");
    *result = 0;
    return TRUE;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CToolbarHost, CWnd)
ON_COMMAND_RANGE(40, 41, OnButton)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnNeedText)
END_MESSAGE_MAP()

class CommonControlsWrapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    ASSERT_TRUE(host.CreateEx(0, nullptr, u"Host", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr));
    Pump();
  }
  void TearDown() override {
    host.DestroyWindow();
    compat::ResetDesktop(800, 600);
  }
  static void Pump() { PumpWindows(); }
  static POINT At(const CWnd& wnd, int x, int y) { return ScreenAt(wnd, x, y); }
  static COLORREF PixelAt(POINT screen) { return DesktopPixel(screen); }

  CToolbarHost host;
};

TEST_F(CommonControlsWrapperTest, ToolbarBitmapsTakeTheButtonColoursAndTheParentNamesTheTips) {
  // Black in a toolbar bitmap is drawn in the button-text colour in force when it is added.
  const INT element = COLOR_BTNTEXT;
  const COLORREF before = ::GetSysColor(COLOR_BTNTEXT);
  const COLORREF blue = RGB(0, 0, 200);
  ::SetSysColors(1, &element, &blue);
  CToolBarCtrl bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER,
                         CRect(10, 10, 210, 40), &host, kToolbarId));
  EXPECT_EQ(bar.AddBitmap(2, kToolbarBitmap), 0);
  EXPECT_EQ(bar.AddBitmap(1, 31999), -1);  // no such bitmap
  ::SetSysColors(1, &element, &before);
  TBBUTTON buttons[2] = {};
  for (int i = 0; i < 2; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = 40 + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = TBSTYLE_CHECK;
  }
  ASSERT_TRUE(bar.AddButtons(2, buttons));
  EXPECT_EQ(bar.GetButtonCount(), 2);
  CRect first;
  ASSERT_TRUE(bar.GetItemRect(0, &first));
  EXPECT_EQ(first, CRect(0, 0, 24, 22));
  // The image sits centred: 16 x 16 in 24 x 22; its square is 8 pixels from 4.
  EXPECT_EQ(PixelAt(At(bar, 4 + 8, 3 + 8)), blue);
  // The silver face lets the button's face through.
  EXPECT_EQ(PixelAt(At(bar, 4 + 1, 3 + 3)), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(PixelAt(At(bar, 24 + 4 + 8, 3 + 8)), RGB(255, 0, 0));

  ASSERT_NE(bar.GetToolTips(), nullptr);
  compat::StopClock();
  const POINT middle = At(bar, 12, 11);
  compat::host::InjectMouseMove(middle.x, middle.y);
  Pump();
  compat::AdvanceClock(::GetDoubleClickTime() + 10);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(bar.GetToolTips()->m_hWnd));
  EXPECT_EQ(host.asked, std::vector<UINT_PTR>{40});

  compat::host::InjectClick(0, middle.x, middle.y);
  Pump();
  EXPECT_EQ(host.commands, std::vector<UINT>{40});
  EXPECT_TRUE(bar.IsButtonChecked(40));
  EXPECT_TRUE(bar.CheckButton(40, FALSE));
  EXPECT_FALSE(bar.IsButtonChecked(40));
  EXPECT_FALSE(bar.CheckButton(77));
  EXPECT_TRUE(bar.EnableButton(41, FALSE));
  EXPECT_FALSE(bar.IsButtonEnabled(41));
  TBBUTTON got{};
  ASSERT_TRUE(bar.GetButton(1, &got));
  EXPECT_EQ(got.idCommand, 41);
  EXPECT_EQ(got.fsState, 0);
  // A program's image list replaces the one cut from the bitmaps.
  CImageList own;
  ASSERT_TRUE(own.Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1));
  CImageList* cut = bar.GetImageList();
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->GetImageCount(), 2);
  bar.SetImageList(&own);
  EXPECT_EQ(bar.GetImageList()->GetSafeHandle(), own.GetSafeHandle());
  bar.SetImageList(nullptr);
  EXPECT_EQ(bar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS), 0u);
  bar.DestroyWindow();
  compat::RunClock();
}

TEST_F(CommonControlsWrapperTest, AToolTipOnAWindowFollowsItsRelayedMovesAndNewText) {
  CWnd child;
  ASSERT_TRUE(child.CreateEx(0, u"Static", u"", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, CRect(20, 20, 120, 60), &host, 5));
  CToolTipCtrl tip;
  ASSERT_TRUE(tip.Create(&host));
  tip.Activate(TRUE);
  ASSERT_TRUE(tip.AddTool(&child, u"Old text"));
  EXPECT_EQ(tip.SetMaxTipWidth(200), -1);
  EXPECT_EQ(tip.GetToolCount(), 1);
  tip.SetDelayTime(TTDT_INITIAL, 50);
  EXPECT_EQ(tip.GetDelayTime(TTDT_INITIAL), 50);
  tip.UpdateTipText(u"New text", &child);
  compat::StopClock();
  const POINT p = At(child, 30, 20);
  compat::host::InjectMouseMove(p.x, p.y);
  Pump();
  MSG msg{child.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 20), 0, p};
  tip.RelayEvent(&msg);
  compat::AdvanceClock(60);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(tip.m_hWnd));
  WCHAR text[80] = {};
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = host.m_hWnd;
  ti.uId = reinterpret_cast<UINT_PTR>(child.m_hWnd);
  ti.lpszText = text;
  ::SendMessageW(tip.m_hWnd, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::u16string(text), u"New text");
  tip.Pop();
  EXPECT_FALSE(::IsWindowVisible(tip.m_hWnd));
  tip.DelTool(&child);
  EXPECT_EQ(tip.GetToolCount(), 0);
  tip.DestroyWindow();
  compat::RunClock();
}

TEST_F(CommonControlsWrapperTest, StatusBarWithAHiddenProgressBarAndATabControl) {
  CStatusBarCtrl status;
  ASSERT_TRUE(status.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, CRect(0, 0, 0, 0), &host, 0xE801));
  int widths[3] = {150, 250, -1};
  ASSERT_TRUE(status.SetParts(3, widths));
  EXPECT_EQ(status.GetParts(0, nullptr), 3);
  ASSERT_TRUE(status.SetText(u"Frame 3", 1, SBT_NOBORDERS));
  int type = 0;
  EXPECT_EQ(Text(status.GetText(1, &type)), u"Frame 3");
  EXPECT_EQ(type, SBT_NOBORDERS);
  EXPECT_EQ(status.GetTextLength(1), 7);
  int h = 0, v = 0, s = 0;
  ASSERT_TRUE(status.GetBorders(h, v, s));
  EXPECT_EQ(s, 2);
  CRect pane;
  ASSERT_TRUE(status.GetRect(2, &pane));
  // The progress bar waits hidden in the last pane until work runs.
  CProgressCtrl progress;
  ASSERT_TRUE(progress.Create(WS_CHILD, pane, &status, 1));
  progress.SetRange(0, 100);
  progress.SetStep(25);
  progress.StepIt();
  progress.StepIt();
  EXPECT_EQ(progress.GetPos(), 50);
  EXPECT_EQ(progress.OffsetPos(-10), 50);
  EXPECT_EQ(progress.SetPos(70), 40);
  int low = -1, high = -1;
  progress.GetRange(low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100);
  EXPECT_FALSE(::IsWindowVisible(progress.m_hWnd));
  status.SetSimple(TRUE);
  EXPECT_TRUE(status.IsSimple());

  CTabCtrl tabs;
  ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 300, 200), &host, 7));
  EXPECT_EQ(tabs.InsertItem(0, u"Solid"), 0);
  EXPECT_EQ(tabs.InsertItem(TCIF_TEXT | TCIF_PARAM, 1, u"Gradient", 0, 77), 1);
  EXPECT_EQ(tabs.GetItemCount(), 2);
  EXPECT_EQ(tabs.SetCurSel(1), 0);
  EXPECT_EQ(tabs.GetCurSel(), 1);
  CRect item;
  ASSERT_TRUE(tabs.GetItemRect(1, &item));
  EXPECT_GT(item.left, 0);
  CRect page(0, 0, 290, 190);
  tabs.AdjustRect(FALSE, &page);
  EXPECT_GT(page.top, item.bottom);
  TCITEM got{};
  got.mask = TCIF_PARAM;
  ASSERT_TRUE(tabs.GetItem(1, &got));
  EXPECT_EQ(got.lParam, 77);
  EXPECT_TRUE(tabs.DeleteAllItems());
  EXPECT_EQ(tabs.GetItemCount(), 0);
}

}  // namespace
