// Tooltips fed by relayed moves, the status bar, the tab control and the
// progress bar as a user sees and works them, and a PNG strip of each.
#include <string>

#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

class CommonControlsTest : public ControlTest {
 protected:
  HWND Tooltip() {
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, parent_,
                           nullptr, nullptr, nullptr);
  }
  // A tool over a rectangle of `owner`, its text given.
  static void AddRectTool(HWND tip, HWND owner, UINT_PTR id, RECT r, const WCHAR* text) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = owner;
    ti.uId = id;
    ti.rect = r;
    ti.lpszText = const_cast<LPWSTR>(text);
    ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
  }
  static void RelayMove(HWND tip, HWND over, int x, int y) {
    POINT screen = At(over, x, y);
    compat::host::InjectMouseMove(screen.x, screen.y);
    Pump();
    MSG msg{over, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), 0, screen};
    SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  }
  // WM_NOTIFY codes a control sent its parent, caught while the record lives.
  void RecordNotifications(HWND from, std::vector<UINT>* codes, LRESULT answerChanging = 0) {
    Log().SetHandler(parent_, [from, codes, answerChanging](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
      if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->hwndFrom != from) return false;
      const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
      codes->push_back(code);
      *result = code == TCN_SELCHANGING ? answerChanging : 0;
      return true;
    });
  }
  static void SavePng(HWND hwnd, const char* name) {
    Pump();
    const std::string path = std::string(CALVETTA_CONTROLS_PNG_DIR) + "/" + name;
    EXPECT_TRUE(compat::WriteWindowPng(hwnd, path.c_str()));
  }
};

TEST_F(CommonControlsTest, RelayedMovesShowATipThatPopsAfterTheAutoPopDelay) {
  HWND tip = Tooltip();
  AddRectTool(tip, parent_, 1, RECT{10, 10, 110, 40}, u"Rest here");
  AddRectTool(tip, parent_, 2, RECT{200, 10, 300, 40}, u"Or here");
  std::vector<UINT> codes;
  RecordNotifications(tip, &codes);
  compat::StopClock();
  RelayMove(tip, parent_, 50, 20);
  compat::AdvanceClock(GetDoubleClickTime());
  Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(codes, std::vector<UINT>{TTN_SHOW});
  // Moving within the tool keeps it; the auto-pop delay hides it.
  RelayMove(tip, parent_, 60, 25);
  compat::AdvanceClock(GetDoubleClickTime() * 10 - 100);
  Pump();
  EXPECT_TRUE(IsWindowVisible(tip));
  compat::AdvanceClock(200);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  EXPECT_EQ(codes, (std::vector<UINT>{TTN_SHOW, TTN_POP}));
  // The delays the program sets; TTM_POP and TTM_ACTIVATE hide it at once.
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 100);
  EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 100);
  RelayMove(tip, parent_, 250, 20);
  compat::AdvanceClock(110);
  Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  SendMessageW(tip, TTM_POP, 0, 0);
  EXPECT_FALSE(IsWindowVisible(tip));
  SendMessageW(tip, TTM_ACTIVATE, FALSE, 0);
  RelayMove(tip, parent_, 50, 20);
  compat::AdvanceClock(1000);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  // A deleted tool shows nothing.
  SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
  TOOLINFOW ti{sizeof(TOOLINFOW), 0, parent_, 1, {}, nullptr, nullptr, 0, nullptr};
  SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  RelayMove(tip, parent_, 150, 200);
  RelayMove(tip, parent_, 50, 20);
  compat::AdvanceClock(1000);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  DestroyWindow(tip);
}

TEST_F(CommonControlsTest, AMaximumWidthWrapsALongTipIntoLines) {
  HWND tip = Tooltip();
  AddRectTool(tip, parent_, 1, RECT{0, 0, 100, 100},
              u"A rather long tip that tells the user a great deal about the button under the pointer");
  AddRectTool(tip, parent_, 2, RECT{100, 0, 200, 100}, u"First line\r\nSecond line");
  compat::StopClock();
  RelayMove(tip, parent_, 50, 50);
  compat::AdvanceClock(1000);
  Pump();
  RECT oneLine;
  GetWindowRect(tip, &oneLine);
  SendMessageW(tip, TTM_POP, 0, 0);
  EXPECT_EQ(SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 150), -1);
  RelayMove(tip, parent_, 150, 50);
  RelayMove(tip, parent_, 50, 50);
  compat::AdvanceClock(1000);
  Pump();
  RECT wrapped;
  GetWindowRect(tip, &wrapped);
  EXPECT_LE(wrapped.right - wrapped.left, 150 + 10);
  EXPECT_GE(wrapped.bottom - wrapped.top, 3 * (oneLine.bottom - oneLine.top) / 2);
  SavePng(tip, "tooltip_wrapped.png");
  // "\r\n" breaks a line by itself.
  SendMessageW(tip, TTM_POP, 0, 0);
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, -1);
  RelayMove(tip, parent_, 150, 50);
  compat::AdvanceClock(1000);
  Pump();
  RECT twoLines;
  GetWindowRect(tip, &twoLines);
  EXPECT_GT(twoLines.bottom - twoLines.top, oneLine.bottom - oneLine.top + 8);
  // Kept on the desktop near the right edge.
  SendMessageW(tip, TTM_POP, 0, 0);
  MoveWindow(parent_, 700, 20, 300, 300, TRUE);
  Pump();
  RelayMove(tip, parent_, 50, 50);
  compat::AdvanceClock(1000);
  Pump();
  RECT edge;
  GetWindowRect(tip, &edge);
  EXPECT_LE(edge.right, GetSystemMetrics(SM_CXSCREEN));
  DestroyWindow(tip);
}

TEST_F(CommonControlsTest, ATextSetWhileThePointerMovesShowsAndResizesTheTip) {
  // As a curve editor does: one tool over the control with no text until the
  // pointer reaches a point, then the point's text, changed as it moves.
  HWND tip = Tooltip();
  AddRectTool(tip, parent_, 1, RECT{0, 0, 400, 300}, u"");
  auto setText = [&](const WCHAR* text) {
    TOOLINFOW ti{sizeof(TOOLINFOW), 0, parent_, 1, {}, nullptr, const_cast<LPWSTR>(text), 0, nullptr};
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  };
  compat::StopClock();
  RelayMove(tip, parent_, 50, 50);
  compat::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  RelayMove(tip, parent_, 60, 50);
  setText(u"(3,100)");
  compat::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  RECT narrow;
  GetWindowRect(tip, &narrow);
  setText(u"(12,200) and a good deal more");
  RECT wide;
  GetWindowRect(tip, &wide);
  EXPECT_EQ(wide.left, narrow.left);
  EXPECT_GT(wide.right - wide.left, narrow.right - narrow.left + 40);
  setText(u"");
  EXPECT_FALSE(IsWindowVisible(tip));
  DestroyWindow(tip);
}

TEST_F(CommonControlsTest, SubclassedToolRelaysItsOwnMovesAndAsksForItsText) {
  HWND child = Make(u"Static", u"", SS_BLACKRECT | SS_NOTIFY, 50, 50, 80, 30, 44);
  HWND tip = Tooltip();
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = parent_;
  ti.uId = reinterpret_cast<UINT_PTR>(child);
  ti.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  Log().SetHandler(parent_, [child](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
    if (message != WM_NOTIFY) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    if (info->hdr.code != TTN_GETDISPINFOW || info->hdr.idFrom != reinterpret_cast<UINT_PTR>(child)) return false;
    std::u16string text = u"Black box";
    std::copy(text.begin(), text.end(), info->szText);
    info->szText[text.size()] = 0;
    return true;
  });
  compat::StopClock();
  MoveTo(Center(child));
  compat::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  EXPECT_TRUE(IsWindowVisible(tip));
  WCHAR text[80] = {};
  TOOLINFOW get = ti;
  get.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&get));
  EXPECT_EQ(std::u16string(text), u"Black box");
  // Leaving the tool pops the tip even though nothing is relayed outside it.
  MoveTo(At(parent_, 300, 300));
  compat::AdvanceClock(200);
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  DestroyWindow(tip);
  // The tool window lives on after its tooltip is gone.
  MoveTo(Center(child));
  compat::AdvanceClock(1000);
  Pump();
  EXPECT_TRUE(IsWindow(child));
}

TEST_F(CommonControlsTest, StatusBarShowsItsPartsAndPaintsIntoAGivenDc) {
  HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, u"Ready", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent_,
                             reinterpret_cast<HMENU>(0xE801), nullptr, nullptr);
  ASSERT_NE(bar, nullptr);
  SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  RECT client;
  GetClientRect(parent_, &client);
  RECT placed;
  GetWindowRect(bar, &placed);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.bottom, client.bottom);  // along the bottom of its parent, all across
  EXPECT_EQ(placed.right - placed.left, client.right);
  const int rights[4] = {200, 300, 400, -1};
  ASSERT_TRUE(SendMessageW(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(rights)));
  const WCHAR* texts[4] = {u"Ready", u"\tMid", u"CAP", u"NUM"};
  for (int i = 0; i < 4; ++i) SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(texts[i]));
  SendMessageW(bar, SB_SETTEXTW, 2 | SBT_POPOUT, reinterpret_cast<LPARAM>(u"CAP"));
  int parts[4] = {};
  EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts)), 4);
  EXPECT_EQ(parts[2], 400);
  WCHAR text[32] = {};
  EXPECT_EQ(SendMessageW(bar, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text)), MAKELONG(3, SBT_POPOUT));
  EXPECT_EQ(std::u16string(text), u"CAP");
  EXPECT_EQ(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0), MAKELONG(5, 0));
  RECT part{};
  ASSERT_TRUE(SendMessageW(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part)));
  EXPECT_EQ(part.left, 202);
  EXPECT_EQ(part.right, 300);
  EXPECT_FALSE(SendMessageW(bar, SB_GETRECT, 4, reinterpret_cast<LPARAM>(&part)));
  int borders[3] = {};
  ASSERT_TRUE(SendMessageW(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders)));
  EXPECT_EQ(borders[2], 2);
  Pump();
  // A sunken part frame, and the grip's lines in the corner.
  EXPECT_EQ(PixelAt(At(bar, 202, part.top)), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelAt(At(bar, 299, part.bottom - 1)), GetSysColor(COLOR_BTNHIGHLIGHT));
  RECT barClient;
  GetClientRect(bar, &barClient);
  int gripInk = 0;
  for (int d = 1; d < 12; ++d)
    gripInk += PixelAt(At(bar, barClient.right - d, barClient.bottom - 2)) != GetSysColor(COLOR_BTNFACE);
  EXPECT_GT(gripInk, 3);
  SavePng(bar, "status_bar.png");

  // WM_PAINT with a memory DC: the text lands there and not on the screen.
  SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(u"Painted elsewhere"));
  Pump();
  SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(u"WWWWWWWW"));
  ValidateRect(bar, nullptr);
  const POINT probe = At(bar, 4, (barClient.bottom) / 2);
  auto screenInk = [&] {
    int n = 0;
    for (int x = 4; x < 60; ++x)
      for (int y = 4; y < barClient.bottom - 4; ++y) n += PixelAt(At(bar, x, y)) != GetSysColor(COLOR_BTNFACE);
    return n;
  };
  const int before = screenInk();
  HDC screen = GetDC(bar);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, barClient.right, barClient.bottom);
  HGDIOBJ old = SelectObject(mem, bitmap);
  SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  int memInk = 0;
  for (int x = 4; x < 60; ++x)
    for (int y = 4; y < barClient.bottom - 4; ++y) memInk += GetPixel(mem, x, y) != GetSysColor(COLOR_BTNFACE);
  EXPECT_GT(memInk, 20);
  EXPECT_EQ(screenInk(), before);
  (void)probe;
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(bar, screen);

  // An owner-drawn part is the parent's to draw, with the value it was given.
  std::vector<ULONG_PTR> drawn;
  Log().SetHandler(parent_, [&drawn](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    if (message != WM_DRAWITEM) return false;
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    drawn.push_back(item->itemData);
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_HIGHLIGHT));
    *result = TRUE;
    return true;
  });
  SendMessageW(bar, SB_SETTEXTW, 3 | SBT_OWNERDRAW, 1234);
  EXPECT_EQ(SendMessageW(bar, SB_GETTEXTW, 3, 0), 1234);
  ASSERT_TRUE(SendMessageW(bar, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&part)));
  EXPECT_EQ(PixelAt(At(bar, part.left + 5, (part.top + part.bottom) / 2)), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), 1234u);

  // Simple mode shows one text over the whole bar and keeps the parts.
  SendMessageW(bar, SB_SIMPLE, TRUE, 0);
  SendMessageW(bar, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(u"Opens a file"));
  EXPECT_TRUE(SendMessageW(bar, SB_ISSIMPLE, 0, 0));
  ASSERT_TRUE(SendMessageW(bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part)));
  EXPECT_EQ(part.right, barClient.right);
  SavePng(bar, "status_bar_simple.png");
  SendMessageW(bar, SB_SIMPLE, FALSE, 0);
  EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 0, 0), 4);
  // The bar follows its parent's new size.
  MoveWindow(parent_, 20, 20, 500, 300, TRUE);
  SendMessageW(bar, WM_SIZE, 0, 0);
  GetClientRect(parent_, &client);
  GetWindowRect(bar, &placed);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.bottom, client.bottom);
  EXPECT_EQ(placed.right, client.right);
}

TEST_F(CommonControlsTest, AClickOnATabAsksThenTellsAndArrowKeysMoveTheSelection) {
  HWND tabs = Make(WC_TABCONTROLW, u"", WS_TABSTOP, 10, 10, 300, 150, 33);
  const WCHAR* names[3] = {u"General", u"Colours", u"Output"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<LPWSTR>(names[i]);
    item.lParam = 100 + i;
    EXPECT_EQ(SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)), i);
  }
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
  RECT second{};
  ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second)));
  std::vector<UINT> codes;
  RecordNotifications(tabs, &codes);
  Click(At(tabs, (second.left + second.right) / 2, (second.top + second.bottom) / 2));
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(GetFocus(), tabs);
  SavePng(tabs, "tab_control.png");
  // Keys with the focus; the ends stay put.
  codes.clear();
  Key(VK_RIGHT);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  Key(VK_RIGHT);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
  // A parent that answers TRUE to TCN_SELCHANGING keeps the page.
  codes.clear();
  RecordNotifications(tabs, &codes, TRUE);
  Key(VK_LEFT);
  EXPECT_EQ(codes, std::vector<UINT>{TCN_SELCHANGING});
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  // TCM_SETCURSEL selects quietly; the page lies inside the frame below the tabs.
  codes.clear();
  EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 3, 0), -1);
  EXPECT_TRUE(codes.empty());
  RECT page{0, 0, 300, 150};
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  EXPECT_GT(page.top, second.bottom);
  EXPECT_GT(page.left, 0);
  SendMessageW(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&page));
  EXPECT_EQ(page.top, 0);
  EXPECT_EQ(page.right, 300);
  TCHITTESTINFO hit{{(second.left + second.right) / 2, (second.top + second.bottom) / 2}, 0};
  EXPECT_EQ(SendMessageW(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
  hit.pt = POINT{250, 100};
  EXPECT_EQ(SendMessageW(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
  EXPECT_EQ(hit.flags, static_cast<UINT>(TCHT_NOWHERE));
  TCITEMW got{};
  got.mask = TCIF_PARAM;
  ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&got)));
  EXPECT_EQ(got.lParam, 102);
  SendMessageW(tabs, TCM_DELETEALLITEMS, 0, 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(CommonControlsTest, AHiddenProgressBarSteppedHalfwayShowsHalfItsBlocks) {
  HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD, 10, 10, 202, 18, parent_,
                             reinterpret_cast<HMENU>(55), nullptr, nullptr);
  SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  EXPECT_EQ(SendMessageW(bar, PBM_SETSTEP, 10, 0), 10);
  for (int i = 0; i < 5; ++i) SendMessageW(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50);
  ShowWindow(bar, SW_SHOWNA);
  Pump();
  const COLORREF block = GetSysColor(COLOR_HIGHLIGHT);
  // Blocks two thirds of the inner height wide (9), two pixels apart: 18 fit, 9 are lit.
  int blocks = 0;
  bool inBlock = false;
  for (int x = 2; x < 200; ++x) {
    const bool lit = PixelAt(At(bar, x, 9)) == block;
    blocks += lit && !inBlock;
    inBlock = lit;
  }
  EXPECT_EQ(blocks, 9);
  EXPECT_EQ(PixelAt(At(bar, 190, 9)), GetSysColor(COLOR_BTNFACE));
  SavePng(bar, "progress_half.png");
  // Positions clamp to the range; stepping past the end starts over.
  EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 500, 0), 50);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 100);
  SendMessageW(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 10);
  EXPECT_EQ(SendMessageW(bar, PBM_DELTAPOS, 5, 0), 10);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 15);
  SendMessageW(bar, PBM_SETRANGE32, 1000, 2000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 2000);
}

}  // namespace
