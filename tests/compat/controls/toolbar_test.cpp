// The toolbar and its tooltips as a user works them: the timeline bar's
// toolbar built from raw messages, hover, clicks, check buttons and groups,
// disabled buttons, drop-downs and the tip the parent names.
#include <cstddef>
#include <cstring>
#include <string>

#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

constexpr int kCommands[10] = {928, 929, 924, 922, 920, 925, 923, 921, 926, 927};

// A 14x14 picture on the face colour: a dark square in the middle.
HBITMAP Glyph(COLORREF ink) { return controltest::FaceBitmap(14, 14, {{RECT{3, 3, 11, 11}, ink}}); }

class ToolbarTest : public ControlTest {
 protected:
  void TearDown() override {
    for (HBITMAP b : glyphs_) DeleteObject(b);
    ControlTest::TearDown();
  }

  // The timeline bar's toolbar, message by message as the bar builds it.
  HWND TimelineToolbar() {
    HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, 0x50000B64, 100, 300, 220, 24, parent_,
                              reinterpret_cast<HMENU>(1004), nullptr, nullptr);
    for (int i = 0; i < 10; ++i) {
      glyphs_.push_back(Glyph(RGB(0, 0, 128)));
      TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(glyphs_.back())};
      EXPECT_EQ(SendMessageW(tb, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&add)), i);
    }
    SendMessageW(tb, TB_SETBUTTONSIZE, 0, MAKELONG(20, 20));
    SendMessageW(tb, TB_SETBITMAPSIZE, 0, MAKELONG(14, 14));
    for (int i = 0; i < 10; ++i) {
      TBBUTTON b{};
      b.iBitmap = i;
      b.idCommand = kCommands[i];
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = i >= 8 ? TBSTYLE_CHECK : TBSTYLE_BUTTON;
      EXPECT_TRUE(SendMessageW(tb, TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&b)));
    }
    Pump();
    return tb;
  }

  std::vector<int> Commands(HWND from) {
    std::vector<int> ids;
    for (const wintest::Logged& e : Log().Entries())
      if (e.hwnd == parent_ && e.message == WM_COMMAND && reinterpret_cast<HWND>(e.lParam) == from)
        ids.push_back(LOWORD(e.wParam));
    return ids;
  }
  // Records the codes of WM_NOTIFY from one control while the message lasts.
  void RecordNotifications(HWND from, std::vector<UINT>* codes) {
    Log().SetHandler(parent_, [from, codes](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
      if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == from)
        codes->push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
      return false;
    });
  }
  static RECT ItemRect(HWND tb, int index) {
    RECT r{};
    SendMessageW(tb, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  POINT ButtonCenter(HWND tb, int index) {
    const RECT r = ItemRect(tb, index);
    return At(tb, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  std::vector<HBITMAP> glyphs_;
};

TEST_F(ToolbarTest, TimelineToolbarLaysItsTenButtonsInARow) {
  HWND tb = TimelineToolbar();
  ASSERT_NE(tb, nullptr);
  EXPECT_EQ(SendMessageW(tb, TB_BUTTONCOUNT, 0, 0), 10);
  RECT window;
  GetWindowRect(tb, &window);
  EXPECT_EQ(window.right - window.left, 220);  // CCS_NORESIZE keeps the rectangle given
  EXPECT_EQ(window.bottom - window.top, 24);
  // No divider: the row starts at the top; every button is 20 x 20.
  for (int i = 0; i < 10; ++i) {
    const RECT r = ItemRect(tb, i);
    EXPECT_EQ(r.left, 20 * i);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 20 * i + 20);
    EXPECT_EQ(r.bottom, 20);
  }
  EXPECT_EQ(SendMessageW(tb, TB_GETBUTTONSIZE, 0, 0), MAKELONG(20, 20));
  int cx = 0, cy = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(tb, TB_GETIMAGELIST, 0, 0)), &cx, &cy);
  EXPECT_EQ(cx, 14);
  EXPECT_EQ(cy, 14);
  EXPECT_EQ(SendMessageW(tb, TB_COMMANDTOINDEX, 921, 0), 7);
  RECT byId{};
  ASSERT_TRUE(SendMessageW(tb, TB_GETRECT, 921, reinterpret_cast<LPARAM>(&byId)));
  EXPECT_EQ(byId.left, 140);
  TBBUTTON b{};
  ASSERT_TRUE(SendMessageW(tb, TB_GETBUTTON, 8, reinterpret_cast<LPARAM>(&b)));
  EXPECT_EQ(b.idCommand, 926);
  EXPECT_EQ(b.fsStyle, TBSTYLE_CHECK);
  // The glyph sits in the middle of its button, its face transparent.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(PixelAt(At(tb, 50, 10)), RGB(0, 0, 128));
  EXPECT_EQ(PixelAt(At(tb, 43, 4)), face);
}

TEST_F(ToolbarTest, HoverRaisesAClickCommandsAndACheckButtonToggles) {
  HWND tb = TimelineToolbar();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  // Flat: no edge at rest; raised under the pointer; gone once the pointer leaves.
  EXPECT_EQ(PixelAt(At(tb, 40, 0)), face);
  MoveTo(ButtonCenter(tb, 2));
  EXPECT_EQ(PixelAt(At(tb, 40, 0)), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelAt(At(tb, 59, 19)), GetSysColor(COLOR_BTNSHADOW));
  compat::StopClock();
  MoveTo(At(parent_, 10, 10));
  compat::AdvanceClock(200);
  EXPECT_EQ(PixelAt(At(tb, 40, 0)), face);

  ClearLog();
  Click(ButtonCenter(tb, 2));
  EXPECT_EQ(Commands(tb), std::vector<int>{924});
  EXPECT_EQ(GetCapture(), nullptr);

  // A press dragged off and released elsewhere sends nothing.
  ClearLog();
  Press(ButtonCenter(tb, 3));
  EXPECT_TRUE(SendMessageW(tb, TB_GETSTATE, 922, 0) & TBSTATE_PRESSED);
  MoveTo(At(parent_, 10, 10));
  EXPECT_FALSE(SendMessageW(tb, TB_GETSTATE, 922, 0) & TBSTATE_PRESSED);
  ReleaseAt(At(parent_, 10, 10));
  EXPECT_TRUE(Commands(tb).empty());

  // The Loop check button toggles on each click and shows sunken while checked.
  compat::AdvanceClock(1000);
  Click(ButtonCenter(tb, 8));
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 926, 0));
  MoveTo(At(parent_, 10, 10));
  compat::AdvanceClock(200);
  EXPECT_EQ(PixelAt(At(tb, 160, 0)), GetSysColor(COLOR_BTNSHADOW));
  compat::AdvanceClock(1000);
  Click(ButtonCenter(tb, 8));
  EXPECT_FALSE(SendMessageW(tb, TB_ISBUTTONCHECKED, 926, 0));
  EXPECT_EQ(Commands(tb), (std::vector<int>{926, 926}));
}

struct HotCounts {
  WNDPROC super = nullptr;
  int timers = 0;
  int paints = 0;
} g_hot;

// Lets time pass in steps of the poll's period: timers due together come as one.
void Wait(int milliseconds) {
  for (int t = 0; t < milliseconds; t += 100) {
    compat::AdvanceClock(100);
    compat::PumpMessages();
  }
}

LRESULT CALLBACK CountTimersAndPaints(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) ++g_hot.timers;
  if (message == WM_PAINT) ++g_hot.paints;
  return CallWindowProcW(g_hot.super, hwnd, message, wParam, lParam);
}

// Hot tracking polls the pointer. Resting on the hot button paints nothing;
// once the pointer has gone (onto the bare desktop, where the host puts a
// pointer that left for another program) one check ends the hot look, and
// from then on the toolbar gets no timer and paints nothing: an idle program.
TEST_F(ToolbarTest, HotTrackingStopsPollingAndPaintingOnceThePointerHasGone) {
  HWND tb = TimelineToolbar();
  g_hot = HotCounts{};
  g_hot.super = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(tb, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountTimersAndPaints)));
  compat::StopClock();
  MoveTo(ButtonCenter(tb, 2));
  Pump();
  g_hot.timers = g_hot.paints = 0;
  Wait(1000);
  EXPECT_GE(g_hot.timers, 5);
  EXPECT_EQ(g_hot.paints, 0);

  RECT parent;
  GetWindowRect(parent_, &parent);
  MoveTo(POINT{parent.right + 50, parent.bottom + 50});
  g_hot.timers = g_hot.paints = 0;
  Wait(1000);
  EXPECT_LE(g_hot.timers, 1);
  EXPECT_EQ(g_hot.paints, 1);
  EXPECT_EQ(PixelAt(At(tb, 40, 0)), GetSysColor(COLOR_BTNFACE));
  g_hot.timers = g_hot.paints = 0;
  Wait(3000);
  EXPECT_EQ(g_hot.timers, 0);
  EXPECT_EQ(g_hot.paints, 0);
  SetWindowLongPtrW(tb, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hot.super));
}

TEST_F(ToolbarTest, ADisabledButtonIsGreyedAndItsClicksDoNothing) {
  HWND tb = TimelineToolbar();
  EXPECT_TRUE(SendMessageW(tb, TB_ENABLEBUTTON, 924, FALSE));
  EXPECT_FALSE(SendMessageW(tb, TB_ISBUTTONENABLED, 924, 0));
  // The glyph's ink is embossed: shadow where it was, highlight one pixel below right.
  EXPECT_EQ(PixelAt(At(tb, 46, 6)), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelAt(At(tb, 54, 14)), GetSysColor(COLOR_BTNHIGHLIGHT));
  ClearLog();
  Click(ButtonCenter(tb, 2));
  EXPECT_TRUE(Commands(tb).empty());
  EXPECT_EQ(GetCapture(), nullptr);
  // Ids not on the toolbar answer FALSE (or -1) and change nothing.
  EXPECT_FALSE(SendMessageW(tb, TB_ENABLEBUTTON, 4242, TRUE));
  EXPECT_EQ(SendMessageW(tb, TB_ISBUTTONENABLED, 4242, 0), -1);
  EXPECT_EQ(SendMessageW(tb, TB_GETSTATE, 4242, 0), -1);
  EXPECT_EQ(SendMessageW(tb, TB_COMMANDTOINDEX, 4242, 0), -1);
  EXPECT_FALSE(SendMessageW(tb, TB_DELETEBUTTON, 10, 0));
  RECT r{};
  EXPECT_FALSE(SendMessageW(tb, TB_GETITEMRECT, 10, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(SendMessageW(tb, TB_BUTTONCOUNT, 0, 0), 10);
  // A missing bitmap resource adds nothing.
  TBADDBITMAP missing{GetModuleHandleW(nullptr), 31999};
  EXPECT_EQ(SendMessageW(tb, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&missing)), -1);
  EXPECT_EQ(ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(SendMessageW(tb, TB_GETIMAGELIST, 0, 0))), 10);
  // Wild counts and sizes are refused rather than allocated.
  TBADDBITMAP wild{nullptr, reinterpret_cast<UINT_PTR>(glyphs_[0])};
  EXPECT_EQ(SendMessageW(tb, TB_ADDBITMAP, 1u << 30, reinterpret_cast<LPARAM>(&wild)), -1);
  EXPECT_FALSE(SendMessageW(tb, TB_SETBITMAPSIZE, 0, MAKELONG(65535, 65535)));
  int cx = 0, cy = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(tb, TB_GETIMAGELIST, 0, 0)), &cx, &cy);
  EXPECT_EQ(cx, 14);
  EXPECT_EQ(ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(SendMessageW(tb, TB_GETIMAGELIST, 0, 0))), 10);
}

TEST_F(ToolbarTest, RestingOnAButtonShowsTheTextTheParentGivesAtTheDelay) {
  HWND tb = TimelineToolbar();
  std::vector<UINT_PTR> asked;
  Log().SetHandler(parent_, [&](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
    if (message != WM_NOTIFY) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    if (info->hdr.code != TTN_NEEDTEXTW) return false;
    asked.push_back(info->hdr.idFrom);
    info->lpszText = const_cast<LPWSTR>(info->hdr.idFrom == 924 ? u"Play" : u"");
    return true;
  });
  HWND tip = reinterpret_cast<HWND>(SendMessageW(tb, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), static_cast<LRESULT>(GetDoubleClickTime()));
  compat::StopClock();
  MoveTo(ButtonCenter(tb, 2));
  compat::AdvanceClock(GetDoubleClickTime() - 50);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  compat::AdvanceClock(60);
  Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(asked, std::vector<UINT_PTR>{924});
  // Topmost, below the pointer, in the info colours; the mouse goes through it.
  EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT tipRect;
  GetWindowRect(tip, &tipRect);
  const POINT p = ButtonCenter(tb, 2);
  EXPECT_GT(tipRect.top, p.y);
  EXPECT_EQ(PixelAt(POINT{tipRect.left + 1, tipRect.top + 1}), GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(SendMessageW(tip, WM_NCHITTEST, 0, MAKELPARAM(tipRect.left + 2, tipRect.top + 2)), HTTRANSPARENT);
  EXPECT_NE(GetActiveWindow(), tip);
  // Clicking pops it; a button with an empty text shows nothing.
  Click(p);
  EXPECT_FALSE(IsWindowVisible(tip));
  compat::AdvanceClock(1000);
  MoveTo(ButtonCenter(tb, 4));
  compat::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  EXPECT_EQ(asked, (std::vector<UINT_PTR>{924, 920}));
  const std::string path = std::string(CALVETTA_CONTROLS_PNG_DIR) + "/toolbar_tooltip.png";
  MoveTo(ButtonCenter(tb, 2));
  compat::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  ASSERT_TRUE(compat::host::WriteDesktopPng(path));
  // Destroying the toolbar takes its tooltip window with it.
  DestroyWindow(tb);
  EXPECT_FALSE(IsWindow(tip));
}

TEST_F(ToolbarTest, CheckingAButtonOfAGroupUnchecksOnlyTheOthersOfItsRun) {
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NORESIZE | CCS_NODIVIDER,
                            10, 10, 300, 24, parent_, reinterpret_cast<HMENU>(7), nullptr, nullptr);
  const int ids[] = {1, 2, 0, 3, 4, 5};
  for (int id : ids) {
    TBBUTTON b{};
    b.idCommand = id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = id ? TBSTYLE_CHECKGROUP : TBSTYLE_SEP;
    SendMessageW(tb, TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&b));
  }
  SendMessageW(tb, TB_CHECKBUTTON, 1, TRUE);
  SendMessageW(tb, TB_CHECKBUTTON, 3, TRUE);
  SendMessageW(tb, TB_CHECKBUTTON, 5, TRUE);
  EXPECT_FALSE(SendMessageW(tb, TB_ISBUTTONCHECKED, 3, 0));
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 5, 0));
  SendMessageW(tb, TB_CHECKBUTTON, 4, TRUE);
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 1, 0));  // the separator ends the run
  EXPECT_FALSE(SendMessageW(tb, TB_ISBUTTONCHECKED, 3, 0));
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 4, 0));
  EXPECT_FALSE(SendMessageW(tb, TB_ISBUTTONCHECKED, 5, 0));
  // An id not on the toolbar: FALSE, and every check stays.
  EXPECT_FALSE(SendMessageW(tb, TB_CHECKBUTTON, 99, TRUE));
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 1, 0));
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 4, 0));
  // A click on the checked button of a group leaves it checked; on another moves the check.
  const RECT second = ItemRect(tb, 1);
  Click(At(tb, (second.left + second.right) / 2, 10));
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 2, 0));
  EXPECT_FALSE(SendMessageW(tb, TB_ISBUTTONCHECKED, 1, 0));
  compat::StopClock();
  compat::AdvanceClock(1000);
  Click(At(tb, (second.left + second.right) / 2, 10));
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 2, 0));
  // Separators are 8 pixels wide in the default sizes.
  EXPECT_EQ(ItemRect(tb, 2).right - ItemRect(tb, 2).left, 8);
}

TEST_F(ToolbarTest, DropDownArrowNotifiesAndWrapBreaksTheRow) {
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NORESIZE | CCS_NODIVIDER,
                            10, 10, 300, 60, parent_, reinterpret_cast<HMENU>(8), nullptr, nullptr);
  SendMessageW(tb, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  EXPECT_EQ(SendMessageW(tb, TB_GETEXTENDEDSTYLE, 0, 0), TBSTYLE_EX_DRAWDDARROWS);
  TBBUTTON buttons[3] = {};
  buttons[0].idCommand = 50;
  buttons[0].fsState = TBSTATE_ENABLED | TBSTATE_WRAP;
  buttons[0].fsStyle = TBSTYLE_DROPDOWN;
  buttons[1].idCommand = 51;
  buttons[1].fsState = TBSTATE_ENABLED;
  buttons[2].idCommand = 52;
  buttons[2].fsState = TBSTATE_ENABLED | TBSTATE_HIDDEN;
  SendMessageW(tb, TB_ADDBUTTONS, 3, reinterpret_cast<LPARAM>(buttons));
  const RECT first = ItemRect(tb, 0);
  const RECT second = ItemRect(tb, 1);
  EXPECT_EQ(first.right - first.left, 24 + 14);
  EXPECT_EQ(second.left, 0);
  EXPECT_EQ(second.top, first.bottom);
  ClearLog();
  std::vector<UINT> codes;
  RecordNotifications(tb, &codes);
  Click(At(tb, first.right - 4, 10));
  EXPECT_EQ(codes, std::vector<UINT>{TBN_DROPDOWN});
  EXPECT_TRUE(Commands(tb).empty());
  compat::StopClock();
  compat::AdvanceClock(1000);
  Click(At(tb, first.left + 6, 10));
  EXPECT_EQ(Commands(tb), std::vector<int>{50});
  // A hidden button takes no room until shown.
  EXPECT_TRUE(SendMessageW(tb, TB_HIDEBUTTON, 52, FALSE));
  EXPECT_EQ(ItemRect(tb, 2).left, second.right);
}

TEST_F(ToolbarTest, WithoutNoResizeTheToolbarTakesItsParentsWidthAndItsRowsHeight) {
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_WRAPABLE, 0, 0, 50, 50, parent_,
                            reinterpret_cast<HMENU>(9), nullptr, nullptr);
  TBBUTTON b{};
  b.fsState = TBSTATE_ENABLED;
  for (int i = 0; i < 3; ++i) {
    b.idCommand = 60 + i;
    SendMessageW(tb, TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&b));
  }
  SendMessageW(tb, TB_AUTOSIZE, 0, 0);
  RECT client, placed;
  GetClientRect(parent_, &client);
  GetWindowRect(tb, &placed);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&placed), 2);
  // Along the top, under a two-pixel divider, one row of default 24 x 22 buttons.
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right - placed.left, client.right);
  EXPECT_EQ(placed.bottom - placed.top, 2 + 22);
  EXPECT_EQ(ItemRect(tb, 2).left, 48);
  EXPECT_EQ(ItemRect(tb, 2).top, 2);
  // A narrow parent wraps the row and the toolbar grows to hold both rows.
  MoveWindow(parent_, 20, 20, 60 + GetSystemMetrics(SM_CXFRAME) * 2, 300, TRUE);
  SendMessageW(tb, TB_AUTOSIZE, 0, 0);
  EXPECT_EQ(ItemRect(tb, 2).left, 0);
  EXPECT_EQ(ItemRect(tb, 2).top, 2 + 22);
  GetWindowRect(tb, &placed);
  EXPECT_EQ(placed.bottom - placed.top, 2 + 44);
}

TEST_F(ToolbarTest, ButtonsAreInsertedDeletedAndChangedByIdOrIndex) {
  HWND tb = TimelineToolbar();
  TBBUTTON sep{};
  sep.fsStyle = TBSTYLE_SEP;
  sep.iBitmap = 6;
  ASSERT_TRUE(SendMessageW(tb, TB_INSERTBUTTON, 2, reinterpret_cast<LPARAM>(&sep)));
  EXPECT_EQ(SendMessageW(tb, TB_BUTTONCOUNT, 0, 0), 11);
  EXPECT_EQ(SendMessageW(tb, TB_COMMANDTOINDEX, 924, 0), 3);
  EXPECT_EQ(ItemRect(tb, 3).left, 40 + 6);  // a separator as wide as its image field
  ASSERT_TRUE(SendMessageW(tb, TB_DELETEBUTTON, 2, 0));
  EXPECT_EQ(ItemRect(tb, 2).left, 40);

  TBBUTTONINFOW info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_IMAGE | TBIF_STATE | TBIF_STYLE | TBIF_LPARAM | TBIF_SIZE;
  EXPECT_EQ(SendMessageW(tb, TB_GETBUTTONINFOW, 926, reinterpret_cast<LPARAM>(&info)), 8);
  EXPECT_EQ(info.iImage, 8);
  EXPECT_EQ(info.fsStyle, TBSTYLE_CHECK);
  EXPECT_EQ(info.cx, 20);
  info.dwMask = TBIF_COMMAND | TBIF_IMAGE;
  info.idCommand = 990;
  info.iImage = 1;
  ASSERT_TRUE(SendMessageW(tb, TB_SETBUTTONINFOW, 926, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(SendMessageW(tb, TB_COMMANDTOINDEX, 990, 0), 8);
  EXPECT_EQ(SendMessageW(tb, TB_COMMANDTOINDEX, 926, 0), -1);
  info.dwMask = TBIF_BYINDEX | TBIF_COMMAND;
  EXPECT_EQ(SendMessageW(tb, TB_GETBUTTONINFOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.idCommand, 928);
  EXPECT_EQ(SendMessageW(tb, TB_GETBUTTONINFOW, 4242, reinterpret_cast<LPARAM>(&info)), -1);

  // TB_SETSTATE writes the whole state; hiding takes the button out of the row.
  ASSERT_TRUE(SendMessageW(tb, TB_SETSTATE, 920, MAKELONG(TBSTATE_ENABLED | TBSTATE_HIDDEN, 0)));
  EXPECT_EQ(SendMessageW(tb, TB_GETSTATE, 920, 0), TBSTATE_ENABLED | TBSTATE_HIDDEN);
  EXPECT_EQ(ItemRect(tb, 5).left, 80);
  // The renamed button still answers the parent's tip request by its new id.
  std::vector<UINT_PTR> asked;
  Log().SetHandler(parent_, [&asked](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TTN_NEEDTEXTW)
      asked.push_back(reinterpret_cast<NMHDR*>(lParam)->idFrom);
    return false;
  });
  compat::StopClock();
  MoveTo(ButtonCenter(tb, 8));
  compat::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  EXPECT_EQ(asked, std::vector<UINT_PTR>{990});
}

TEST_F(ToolbarTest, ANewParentHearsTheClicksAndAProgramsTooltipReplacesTheOwn) {
  HWND tb = TimelineToolbar();
  HWND other = TopLevel(450, 20, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE, u"Other");
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(tb, TB_SETPARENT, reinterpret_cast<WPARAM>(other), 0)), parent_);
  ClearLog();
  Click(ButtonCenter(tb, 0));
  int toOther = 0, toParent = 0;
  for (const wintest::Logged& e : Log().Entries()) {
    if (e.message != WM_COMMAND || reinterpret_cast<HWND>(e.lParam) != tb) continue;
    toOther += e.hwnd == other;
    toParent += e.hwnd == parent_;
  }
  EXPECT_EQ(toOther, 1);
  EXPECT_EQ(toParent, 0);
  // The toolbar's own tip goes when the program gives it another; the program's stays the program's.
  HWND own = reinterpret_cast<HWND>(SendMessageW(tb, TB_GETTOOLTIPS, 0, 0));
  HWND program = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0, parent_, nullptr,
                                 nullptr, nullptr);
  SendMessageW(tb, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(program), 0);
  EXPECT_FALSE(IsWindow(own));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(tb, TB_GETTOOLTIPS, 0, 0)), program);
  EXPECT_EQ(SendMessageW(program, TTM_GETTOOLCOUNT, 0, 0), 10);
  DestroyWindow(tb);
  EXPECT_TRUE(IsWindow(program));
  DestroyWindow(program);
}

TEST_F(ToolbarTest, AShorterButtonRecordDeclaredByTheCallerIsSteppedBySize) {
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_NORESIZE, 10, 10, 300, 30, parent_,
                            reinterpret_cast<HMENU>(11), nullptr, nullptr);
  // The record without its data and string fields, packed back to back.
  constexpr size_t kShort = offsetof(TBBUTTON, dwData);
  SendMessageW(tb, TB_BUTTONSTRUCTSIZE, kShort, 0);
  std::vector<BYTE> records(2 * kShort, 0xEE);
  for (int i = 0; i < 2; ++i) {
    TBBUTTON b{};
    b.idCommand = 70 + i;
    b.fsState = TBSTATE_ENABLED;
    std::memcpy(records.data() + i * kShort, &b, kShort);
  }
  ASSERT_TRUE(SendMessageW(tb, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(records.data())));
  TBBUTTON got{};
  ASSERT_TRUE(SendMessageW(tb, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&got)));
  EXPECT_EQ(got.idCommand, 71);
  EXPECT_EQ(got.dwData, 0u);
}

}  // namespace
