// List boxes and combo boxes as a user picks from them: the notification
// order, keys, the wheel, and the answers to bad requests.
#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

class ListBoxTest : public ControlTest {
 protected:
  HWND MakeList(DWORD style, int id = 300) {
    HWND list = Make(u"ListBox", u"", WS_BORDER | WS_VSCROLL | style, 10, 10, 150, 100, id);
    for (const WCHAR* name : {u"Alpha", u"Beta", u"Gamma", u"Delta", u"Epsilon", u"Zeta", u"Eta", u"Theta",
                              u"Iota", u"Kappa", u"Lambda", u"Mu"})
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    Pump();
    ClearLog();
    return list;
  }
  POINT ItemPoint(HWND list, int index) {
    RECT r;
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return At(list, r.left + 10, (r.top + r.bottom) / 2);
  }
};

TEST_F(ListBoxTest, DoubleClickNotifiesOnlyWithLbsNotify) {
  HWND quiet = MakeList(0, 301);
  HWND notify = Make(u"ListBox", u"", WS_BORDER | LBS_NOTIFY, 200, 10, 150, 100, 302);
  SendMessageW(notify, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"One"));
  SendMessageW(notify, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Two"));
  Pump();
  ClearLog();
  compat::StopClock();
  const POINT q = ItemPoint(quiet, 1);
  Click(q);
  compat::AdvanceClock(50);
  Click(q);
  EXPECT_EQ(SendMessageW(quiet, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Codes(quiet), (std::vector<WORD>{LBN_SETFOCUS}));

  compat::AdvanceClock(1000);
  const POINT n = ItemPoint(notify, 1);
  Click(n);
  compat::AdvanceClock(50);
  Click(n);
  EXPECT_EQ(Codes(notify), (std::vector<WORD>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_DBLCLK}));
  EXPECT_EQ(Codes(quiet).back(), LBN_KILLFOCUS);
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndKeepItInView) {
  HWND list = MakeList(LBS_NOTIFY);
  SetFocus(list);
  ClearLog();
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
  Key(VK_END);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 11);
  EXPECT_GT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
  Key(VK_HOME);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
  Key(VK_NEXT);
  EXPECT_GT(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
  Key('L');  // first letter
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 10);
  EXPECT_EQ(Codes(list), (std::vector<WORD>(5, LBN_SELCHANGE)));
  // The wheel scrolls without choosing.
  SendMessageW(list, LB_SETTOPINDEX, 0, 0);
  compat::host::InjectWheel(-WHEEL_DELTA, Center(list).x, Center(list).y);
  Pump();
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 3);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 10);
  // Its own scroll bar follows.
  SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &info));
  EXPECT_EQ(info.nMax, 11);
  EXPECT_EQ(info.nPos, 3);
  // A click on the bar's down arrow scrolls the list by one item.
  RECT client;
  GetClientRect(list, &client);
  Click(At(list, client.right + 8, client.bottom - 4));
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 4);
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 4);
}

TEST_F(ListBoxTest, BadIndexesAnswerLbErrAndChangeNothing) {
  HWND list = MakeList(0);
  WCHAR text[32];
  EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 12, reinterpret_cast<LPARAM>(text)), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(-3), 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 99, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_INSERTSTRING, 13, reinterpret_cast<LPARAM>(u"x")), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 12, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 12);
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);  // clears, answers LB_ERR
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
  // Searching wraps around from the start index and ignores case.
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, 5, reinterpret_cast<LPARAM>(u"beta")), 1);
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"Bet")), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_ADDSTRING, 0, 0), 12);  // NULL is the empty text
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 12, 0), 0);
  SendMessageW(list, LB_SETCURSEL, 4, 0);
  SendMessageW(list, LB_DELETESTRING, 1, 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 3);  // the selection follows its item
  EXPECT_EQ(SendMessageW(list, LB_SETITEMDATA, 0, 77), LB_OKAY);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 0, 0), 77);
}

class ComboBoxTest : public ControlTest {
 protected:
  HWND MakeCombo(DWORD kind = CBS_DROPDOWNLIST, int id = 400) {
    HWND combo = Make(u"ComboBox", u"", kind | WS_VSCROLL | WS_TABSTOP, 10, 10, 150, 120, id);
    for (const WCHAR* name : {u"Linear", u"Smooth", u"Sharp", u"Step"})
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    Pump();
    ClearLog();
    return combo;
  }
  static HWND DroppedList() { return FindWindowW(u"ComboLBox", nullptr); }
};

TEST_F(ComboBoxTest, ADropDownListOpensOnAClickAndArrowsAndEnterChoose) {
  HWND combo = MakeCombo();
  RECT window;
  GetWindowRect(combo, &window);
  EXPECT_LT(window.bottom - window.top, 40);  // the field keeps one line
  // WS_VSCROLL is the dropped list's: the field shows no bar of its own.
  RECT client;
  GetClientRect(combo, &client);
  EXPECT_EQ(client.right, window.right - window.left);
  Click(Center(combo));
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  HWND list = DroppedList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(GetCapture(), list);
  EXPECT_EQ(GetFocus(), combo);
  EXPECT_NE(GetActiveWindow(), list);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Codes(combo), (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN}));
  Key(VK_RETURN);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Codes(combo), (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  EXPECT_EQ(Text(combo), u"Sharp");
}

TEST_F(ComboBoxTest, EscapeCancelsAndPutsTheOldChoiceBack) {
  HWND combo = MakeCombo();
  SetFocus(combo);
  ClearLog();
  Key(VK_F4);
  Key(VK_END);
  Key(VK_ESCAPE);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Codes(combo), (std::vector<WORD>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  // Alt+Down opens too; a click on an item chooses it.
  ClearLog();
  Chord(VK_MENU, VK_DOWN);
  HWND list = DroppedList();
  ASSERT_TRUE(IsWindowVisible(list));
  RECT item;
  SendMessageW(list, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&item));
  Click(At(list, 10, (item.top + item.bottom) / 2));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(Codes(combo), (std::vector<WORD>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
}

TEST_F(ComboBoxTest, TheDroppedListStaysOnTheScreenBesideItsField) {
  HWND combo = MakeCombo();
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  // The parent moved so that the field lies at the screen's bottom, right edge, or corner.
  const POINT places[] = {{20, desk.bottom - 60}, {desk.right - 80, 100}, {desk.right - 80, desk.bottom - 60}};
  for (const POINT& place : places) {
    SetWindowPos(parent_, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    Click(Center(combo));
    HWND list = DroppedList();
    ASSERT_TRUE(list && IsWindowVisible(list));
    RECT field, dropped, overlap;
    GetWindowRect(combo, &field);
    GetWindowRect(list, &dropped);
    EXPECT_GE(dropped.left, desk.left);
    EXPECT_LE(dropped.right, desk.right) << place.x << "," << place.y;
    EXPECT_LE(dropped.bottom, desk.bottom) << place.x << "," << place.y;
    EXPECT_FALSE(IntersectRect(&overlap, &field, &dropped)) << place.x << "," << place.y;
    Key(VK_ESCAPE);
  }
}

TEST_F(ComboBoxTest, ClosedListChoosesWithArrowsLettersAndTheWheel) {
  HWND combo = MakeCombo();
  SetFocus(combo);
  ClearLog();
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  Key('S');  // the next item starting with S after "Smooth"
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  compat::host::InjectWheel(-WHEEL_DELTA, Center(combo).x, Center(combo).y);
  Pump();
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(Codes(combo), (std::vector<WORD>(3, CBN_SELCHANGE)));
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
}

TEST_F(ComboBoxTest, BadRequestsAnswerCbErr) {
  HWND combo = MakeCombo();
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessageW(combo, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(Text(combo), u"");
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 4, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"STEP")), 3);
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"sm")), 1);
  EXPECT_EQ(SendMessageW(combo, CB_GETEDITSEL, 0, 0), CB_ERR);  // no edit in a drop-down list
  EXPECT_EQ(SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Nowhere")), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, WM_NOTIFY, 0, 0), 0);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
}

TEST_F(ComboBoxTest, ADropDownComboEditsItsTextAndNotifiesEditChanges) {
  HWND combo = MakeCombo(CBS_DROPDOWN | CBS_AUTOHSCROLL, 401);
  HWND edit = GetWindow(combo, GW_CHILD);
  ASSERT_NE(edit, nullptr);
  SendMessageW(combo, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(Text(combo), u"Smooth");
  EXPECT_TRUE(Codes(combo).empty());  // the combo's own writes are not edits
  SetFocus(combo);
  EXPECT_EQ(GetFocus(), edit);
  ClearLog();
  Key(VK_END);
  Type("er");
  EXPECT_EQ(Text(combo), u"Smoother");
  EXPECT_EQ(Codes(combo), (std::vector<WORD>{CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_EDITUPDATE, CBN_EDITCHANGE}));
  SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, 3));
  DWORD start = 0, end = 0;
  SendMessageW(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u);
  SendMessageW(combo, CB_LIMITTEXT, 4, 0);
  Type("xyz");
  // F4 from the edit opens the list; a choice writes the edit.
  ClearLog();
  Key(VK_F4);
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Text(combo), u"Sharp");
  EXPECT_EQ(Codes(combo), (std::vector<WORD>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
}

}  // namespace

namespace {

class ClosingTest : public controltest::ControlTest {};

// A parent that closes on a choice destroys the control inside the
// notification; the control must not touch its state afterwards.
TEST_F(ClosingTest, ControlsDestroyedByTheirNotificationsStopCleanly) {
  HWND combo = Make(u"ComboBox", u"", CBS_DROPDOWNLIST, 10, 10, 150, 120, 1);
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"One"));
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Two"));
  HWND list = Make(u"ListBox", u"", LBS_NOTIFY | WS_BORDER, 200, 10, 150, 100, 2);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Item"));
  Log().SetHandler(parent_, [&](HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT*) {
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELENDOK) DestroyWindow(reinterpret_cast<HWND>(lParam));
    if (message == WM_COMMAND && HIWORD(wParam) == LBN_DBLCLK) DestroyWindow(reinterpret_cast<HWND>(lParam));
    return false;
  });
  SetFocus(combo);
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(IsWindow(combo));
  EXPECT_EQ(FindWindowW(u"ComboLBox", nullptr), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);

  compat::StopClock();
  const POINT p = At(list, 20, 5);
  Click(p);
  compat::AdvanceClock(50);
  Click(p);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
