// Single-line edits as a user types into them: notifications, the modified
// flag, selection by keys, scrolling, the clipboard and undo.
#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

class EditTest : public ControlTest {
 protected:
  HWND MakeEdit(DWORD style = ES_AUTOHSCROLL, int width = 120, const WCHAR* text = u"") {
    HWND edit = Make(u"Edit", text, WS_BORDER | WS_TABSTOP | style, 10, 10, width, 22, 200);
    SetFocus(edit);
    Pump();
    ClearLog();
    return edit;
  }
  static std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
};

TEST_F(EditTest, EveryKeystrokeNotifiesUpdateThenChangeAndSetsTheModifiedFlag) {
  HWND edit = MakeEdit();
  Type("ab");
  EXPECT_EQ(Codes(edit), (std::vector<WORD>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
  EXPECT_EQ(Text(edit), u"ab");
  EXPECT_TRUE(SendMessageW(edit, EM_GETMODIFY, 0, 0));
  ClearLog();
  Key(VK_BACK);
  EXPECT_EQ(Codes(edit), (std::vector<WORD>{EN_UPDATE, EN_CHANGE}));
  EXPECT_EQ(Text(edit), u"a");
}

TEST_F(EditTest, TypedPunctuationAndCapitalsArriveAsTheCharactersTyped) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, 300);
  Type("Pi = 3.14, -2; (x/y)! 'A_b'");
  EXPECT_EQ(Text(edit), u"Pi = 3.14, -2; (x/y)! 'A_b'");
}

// Program writes: on the platform EN_CHANGE says the text may have changed,
// and a single-line edit (unlike a multi-line one) sends it for WM_SETTEXT;
// an unchanged text is no exception. So EN_UPDATE then EN_CHANGE follow
// every WM_SETTEXT, once each, and the write clears the modified flag: the
// numeric field counts on exactly one change per program write.
TEST_F(EditTest, EveryProgramWriteNotifiesOnceEvenWithTheSameTextAndClearsTheModifiedFlag) {
  HWND edit = MakeEdit();
  Type("1");
  ClearLog();
  SetWindowTextW(edit, u"42");
  EXPECT_EQ(Codes(edit), (std::vector<WORD>{EN_UPDATE, EN_CHANGE}));
  EXPECT_FALSE(SendMessageW(edit, EM_GETMODIFY, 0, 0));
  SetWindowTextW(edit, u"42");
  EXPECT_EQ(Codes(edit), (std::vector<WORD>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
  SetWindowTextW(edit, nullptr);  // NULL is the empty text
  EXPECT_EQ(Text(edit), u"");
  EXPECT_EQ(Codes(edit).size(), 6u);
}

TEST_F(EditTest, HomeThenShiftEndSelectsTheWholeLine) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, 120, u"frame");
  Key(VK_END);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{5}, DWORD{5}));
  Key(VK_HOME);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{0}));
  Chord(VK_SHIFT, VK_END);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{5}));
  Chord(VK_SHIFT, VK_LEFT);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{4}));
  Key(VK_RIGHT);  // a plain arrow collapses the selection at its end
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{4}, DWORD{4}));
  Type("s");
  EXPECT_EQ(Text(edit), u"framse");
}

TEST_F(EditTest, SetSelAnswersThePlatformsSpecialValues) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, 120, u"morph");
  SendMessageW(edit, EM_SETSEL, 0, -1);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{5}));
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  const auto none = Selection(edit);
  EXPECT_EQ(none.first, none.second);
  SendMessageW(edit, EM_SETSEL, 2, 99);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{2}, DWORD{5}));
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"XY"));
  EXPECT_EQ(Text(edit), u"moXY");
  WCHAR small[3];
  EXPECT_EQ(GetWindowTextW(edit, small, 3), 2);  // a small buffer is filled to its size
  EXPECT_EQ(std::u16string(small), u"mo");
}

// The limit holds what the user enters and what EM_REPLACESEL adds; as on
// the platform, a program's WM_SETTEXT is not cut.
TEST_F(EditTest, LimitCutsTypingAndReplacementsButNotProgramWrites) {
  HWND edit = MakeEdit();
  SendMessageW(edit, EM_LIMITTEXT, 3, 0);
  Type("abcd");
  EXPECT_EQ(Text(edit), u"abc");
  EXPECT_EQ(Codes(edit).back(), EN_MAXTEXT);
  SendMessageW(edit, EM_SETSEL, 1, 2);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"XYZ"));
  EXPECT_EQ(Text(edit), u"aXc");
  SetWindowTextW(edit, u"123456");
  EXPECT_EQ(Text(edit), u"123456");
  Type("7");
  EXPECT_EQ(Text(edit), u"123456");
}

TEST_F(EditTest, ALongTextScrollsWithAutoHScrollAndStopsAtTheEdgeWithout) {
  HWND scrolling = MakeEdit(ES_AUTOHSCROLL, 60);
  Type("abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(Text(scrolling), u"abcdefghijklmnopqrstuvwxyz");
  EXPECT_GT(SendMessageW(scrolling, EM_GETFIRSTVISIBLELINE, 0, 0), 0);  // first visible character
  Key(VK_HOME);
  EXPECT_EQ(SendMessageW(scrolling, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

  HWND fixed = Make(u"Edit", u"", WS_BORDER, 10, 60, 60, 22, 201);
  SendMessageW(fixed, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetFocus(fixed);
  Type("abcdefghijklmnopqrstuvwxyz");
  const std::u16string kept = Text(fixed);
  EXPECT_GT(kept.size(), 3u);
  EXPECT_LT(kept.size(), 26u);
}

TEST_F(EditTest, CutThenPasteMovesAWordAndUndoTakesThePasteBack) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, 200, u"warp morph");
  Key(VK_HOME);
  for (int i = 0; i < 5; ++i) Chord(VK_SHIFT, VK_RIGHT);  // "warp "
  Chord(VK_CONTROL, 'X');
  EXPECT_EQ(Text(edit), u"morph");
  Key(VK_END);
  Type(" ");
  Chord(VK_CONTROL, 'V');
  EXPECT_EQ(Text(edit), u"morph warp ");
  Chord(VK_CONTROL, 'Z');
  EXPECT_EQ(Text(edit), u"morph ");
  // Copy leaves the text alone; a read-only edit refuses cut and typing.
  SendMessageW(edit, EM_SETSEL, 0, 5);
  SendMessageW(edit, WM_COPY, 0, 0);
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  Chord(VK_CONTROL, 'X');
  Type("q");
  EXPECT_EQ(Text(edit), u"morph ");
  SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
  SendMessageW(edit, EM_SETSEL, 6, 6);
  SendMessageW(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(edit), u"morph morph");
}

// The clipboard is the one other programs share: the host's text pastes,
// up to its first line break on a single line, and copies land there.
TEST_F(EditTest, PasteAndCopyGoThroughTheClipboardOtherProgramsShare) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, 200);
  compat::host::SetClipboardText(std::string("640\nsecond line"));
  Chord(VK_CONTROL, 'V');
  EXPECT_EQ(Text(edit), u"640");
  Chord(VK_SHIFT, VK_INSERT);
  EXPECT_EQ(Text(edit), u"640640");
  SendMessageW(edit, EM_SETSEL, 1, 4);
  Chord(VK_CONTROL, VK_INSERT);
  std::string shared;
  ASSERT_TRUE(compat::host::GetClipboardText(&shared));
  EXPECT_EQ(shared, "406");
  SendMessageW(edit, EM_SETSEL, 0, 2);
  Chord(VK_CONTROL, 'C');
  ASSERT_TRUE(compat::host::GetClipboardText(&shared));
  EXPECT_EQ(shared, "64");
  // A password is never copied, and an empty clipboard pastes nothing.
  HWND password = Make(u"Edit", u"secret", WS_BORDER | ES_PASSWORD, 10, 40, 120, 22, 201);
  SetFocus(password);
  SendMessageW(password, EM_SETSEL, 0, -1);
  Chord(VK_CONTROL, 'C');
  ASSERT_TRUE(compat::host::GetClipboardText(&shared));
  EXPECT_EQ(shared, "64");
  compat::host::SetClipboardText(std::nullopt);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  Chord(VK_CONTROL, 'V');
  EXPECT_EQ(Text(edit), u"640640");
}

WNDPROC g_editSuper = nullptr;

// Drops every character that is not a digit, as a numeric field does.
LRESULT CALLBACK DigitsOnly(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR && wParam >= 0x20 && (wParam < '0' || wParam > '9')) return 0;
  return CallWindowProcW(g_editSuper, hwnd, message, wParam, lParam);
}

TEST_F(EditTest, ASubclassCanDropCharactersAndFocusIsNotified) {
  HWND edit = MakeEdit();
  g_editSuper = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DigitsOnly)));
  Type("1a2b");
  EXPECT_EQ(Text(edit), u"12");
  EXPECT_EQ(SendMessageW(edit, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
  ClearLog();
  HWND other = Make(u"Button", u"x", BS_PUSHBUTTON, 10, 100, 40, 20, 5);
  SetFocus(other);
  SetFocus(edit);
  EXPECT_EQ(Codes(edit), (std::vector<WORD>{EN_KILLFOCUS, EN_SETFOCUS}));
}

TEST_F(EditTest, MouseSelectsAndTheCaretBlinksWithTheClock) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, 200, u"abc   ");
  compat::StopClock();
  // Drag from the left edge past the end selects everything.
  Press(At(edit, 1, 8));
  MoveTo(At(edit, 190, 8));
  ReleaseAt(At(edit, 190, 8));
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{6}));
  SendMessageW(edit, EM_SETSEL, 6, 6);  // after the spaces, clear of any glyph
  const DWORD caretPos = static_cast<DWORD>(SendMessageW(edit, EM_POSFROMCHAR, 6, 0));
  const POINT caret = At(edit, LOWORD(caretPos), HIWORD(caretPos) + 4);
  const COLORREF on = PixelAt(caret);
  compat::AdvanceClock(540);
  const COLORREF off = PixelAt(caret);
  EXPECT_EQ(on, RGB(0, 0, 0));
  EXPECT_EQ(off, GetSysColor(COLOR_WINDOW));
  compat::AdvanceClock(540);
  EXPECT_EQ(PixelAt(caret), on);
}

}  // namespace
