// Every control in every state on one window, written to a PNG beside the
// test build for a person to look at, with a few pixels of the classic look.
#include <cstdio>

#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

class GalleryTest : public ControlTest {
 protected:
  HWND At(const WCHAR* cls, const WCHAR* text, DWORD style, int x, int y, int cx, int cy) {
    return Make(cls, text, style, x, y, cx, cy, ++id_);
  }
  int id_ = 1000;
};

TEST_F(GalleryTest, EveryControlInEveryStateIsDrawnInTheClassicLook) {
  // A larger desktop than the fixture's, with the logging class again.
  compat::ResetDesktop(1000, 700);
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = wintest::LoggingProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
  wc.lpszClassName = wintest::kTestClass;
  ASSERT_NE(RegisterClassW(&wc), 0);
  parent_ = TopLevel(10, 10, 960, 660, WS_OVERLAPPEDWINDOW | WS_VISIBLE, u"Controls");
  // Push buttons: normal, default, pressed, focused, disabled.
  At(u"Button", u"&Normal", BS_PUSHBUTTON, 10, 10, 90, 26);
  At(u"Button", u"&Default", BS_DEFPUSHBUTTON, 110, 10, 90, 26);
  HWND pressed = At(u"Button", u"Pressed", BS_PUSHBUTTON, 210, 10, 90, 26);
  SendMessageW(pressed, BM_SETSTATE, TRUE, 0);
  HWND focused = At(u"Button", u"Focused", BS_PUSHBUTTON, 310, 10, 90, 26);
  At(u"Button", u"Disabled", BS_PUSHBUTTON | WS_DISABLED, 410, 10, 90, 26);
  HWND defPressed = At(u"Button", u"Def pressed", BS_DEFPUSHBUTTON, 510, 10, 90, 26);
  SendMessageW(defPressed, BM_SETSTATE, TRUE, 0);
  // Check boxes and radio buttons.
  At(u"Button", u"Unchecked", BS_AUTOCHECKBOX, 10, 50, 110, 20);
  HWND checked = At(u"Button", u"Checked", BS_AUTOCHECKBOX, 130, 50, 110, 20);
  SendMessageW(checked, BM_SETCHECK, BST_CHECKED, 0);
  HWND mixed = At(u"Button", u"Indeterminate", BS_AUTO3STATE, 250, 50, 120, 20);
  SendMessageW(mixed, BM_SETCHECK, BST_INDETERMINATE, 0);
  HWND disabledCheck = At(u"Button", u"Disabled", BS_AUTOCHECKBOX | WS_DISABLED, 380, 50, 110, 20);
  SendMessageW(disabledCheck, BM_SETCHECK, BST_CHECKED, 0);
  HWND pushedCheck = At(u"Button", u"Pressed", BS_AUTOCHECKBOX, 500, 50, 110, 20);
  SendMessageW(pushedCheck, BM_SETSTATE, TRUE, 0);
  At(u"Button", u"Radio off", BS_AUTORADIOBUTTON | WS_GROUP, 10, 80, 110, 20);
  HWND radioOn = At(u"Button", u"Radio on", BS_AUTORADIOBUTTON, 130, 80, 110, 20);
  SendMessageW(radioOn, BM_SETCHECK, BST_CHECKED, 0);
  HWND radioOff = At(u"Button", u"Disabled", BS_AUTORADIOBUTTON | WS_DISABLED, 250, 80, 110, 20);
  SendMessageW(radioOff, BM_SETCHECK, BST_CHECKED, 0);
  At(u"Button", u"Left text", BS_AUTOCHECKBOX | BS_LEFTTEXT, 380, 80, 110, 20);
  At(u"Button", u"Group box", BS_GROUPBOX, 620, 10, 320, 100);
  // Statics.
  At(u"Static", u"Left text that wraps onto a second line", SS_LEFT, 10, 120, 140, 34);
  At(u"Static", u"Centred", SS_CENTER | WS_BORDER, 160, 120, 100, 20);
  At(u"Static", u"Right", SS_RIGHT, 270, 120, 100, 20);
  At(u"Static", u"Disabled", SS_LEFT | WS_DISABLED, 380, 120, 100, 20);
  At(u"Static", u"&Sunken", SS_LEFT | SS_SUNKEN, 490, 120, 100, 20);
  At(u"Static", u"", SS_BLACKRECT, 600, 120, 40, 20);
  At(u"Static", u"", SS_GRAYRECT, 650, 120, 40, 20);
  At(u"Static", u"", SS_WHITERECT, 700, 120, 40, 20);
  At(u"Static", u"", SS_ETCHEDFRAME, 750, 120, 60, 30);
  At(u"Static", u"", SS_ETCHEDHORZ, 820, 130, 120, 2);
  // Edits.
  At(u"Edit", u"Plain", WS_BORDER | ES_AUTOHSCROLL, 10, 170, 120, 22);
  HWND selected = At(u"Edit", u"Selected text", WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL, 140, 170, 120, 22);
  SendMessageW(selected, EM_SETSEL, 0, 8);
  At(u"Edit", u"Read-only", WS_BORDER | ES_READONLY, 270, 170, 120, 22);
  At(u"Edit", u"Disabled", WS_BORDER | WS_DISABLED, 400, 170, 120, 22);
  At(u"Edit", u"1234", WS_BORDER | ES_RIGHT | ES_NUMBER, 530, 170, 80, 22);
  HWND scrolled = At(u"Edit", u"A long text that scrolls out of its box", WS_BORDER | ES_AUTOHSCROLL, 620, 170, 120, 22);
  SendMessageW(scrolled, EM_SETSEL, 40, 40);
  At(u"Edit", u"secret", WS_BORDER | ES_PASSWORD, 750, 170, 100, 22);
  HWND focusedEdit = At(u"Edit", u"Focused", WS_BORDER | ES_AUTOHSCROLL, 860, 170, 80, 22);
  // List boxes.
  HWND list = At(u"ListBox", u"", WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 10, 210, 150, 110);
  for (const WCHAR* name : {u"Morph", u"Warp", u"Dissolve", u"Wipe", u"Blur", u"Zoom", u"Spin", u"Fade", u"Page"})
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  SendMessageW(list, LB_SETCURSEL, 2, 0);
  HWND shortList = At(u"ListBox", u"", WS_BORDER | WS_VSCROLL | LBS_DISABLENOSCROLL, 170, 210, 120, 110);
  SendMessageW(shortList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Only one"));
  HWND disabledList = At(u"ListBox", u"", WS_BORDER | WS_DISABLED, 300, 210, 120, 110);
  SendMessageW(disabledList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Disabled"));
  // Combo boxes: closed, closed and focused, disabled, with an edit, and one dropped.
  auto fill = [](HWND combo) {
    for (const WCHAR* name : {u"Linear", u"Smooth", u"Sharp", u"Step"})
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
  };
  fill(At(u"ComboBox", u"", CBS_DROPDOWNLIST, 440, 210, 120, 100));
  fill(At(u"ComboBox", u"", CBS_DROPDOWNLIST | WS_DISABLED, 440, 245, 120, 100));
  fill(At(u"ComboBox", u"", CBS_DROPDOWN, 440, 280, 120, 100));
  HWND dropped = At(u"ComboBox", u"", CBS_DROPDOWNLIST, 580, 210, 120, 100);
  fill(dropped);
  // Scroll bars: horizontal, vertical, disabled, and a window's own pair.
  HWND horz = At(u"ScrollBar", u"", SBS_HORZ, 10, 340, 200, 17);
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 20, 30, 0};
  SetScrollInfo(horz, SB_CTL, &info, TRUE);
  HWND vert = At(u"ScrollBar", u"", SBS_VERT, 220, 340, 17, 150);
  SetScrollInfo(vert, SB_CTL, &info, TRUE);
  HWND off = At(u"ScrollBar", u"", SBS_HORZ, 10, 370, 200, 17);
  SetScrollInfo(off, SB_CTL, &info, TRUE);
  EnableScrollBar(off, SB_CTL, ESB_DISABLE_BOTH);
  HWND view = Make(wintest::kTestClass, u"", WS_BORDER | WS_VSCROLL | WS_HSCROLL, 260, 340, 200, 150, 1100);
  SCROLLINFO big{sizeof(big), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 999, 100, 400, 0};
  SetScrollInfo(view, SB_VERT, &big, TRUE);
  SetScrollInfo(view, SB_HORZ, &big, TRUE);
  EnableScrollBar(view, SB_HORZ, ESB_DISABLE_BOTH);

  SetFocus(focused);
  Pump();
  // Classic look: a raised push button, a check mark, a radio dot, the dotted focus.
  EXPECT_EQ(PixelAt(ControlTest::At(focused, 0, 0)), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_EQ(PixelAt(ControlTest::At(focused, 89, 25)), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(PixelAt(ControlTest::At(focused, 88, 24)), GetSysColor(COLOR_3DSHADOW));
  const COLORREF d0 = PixelAt(ControlTest::At(focused, 20, 3)), d1 = PixelAt(ControlTest::At(focused, 21, 3));
  EXPECT_NE(d0, d1);
  // The default button's black frame.
  EXPECT_EQ(PixelAt(ControlTest::At(GetDlgItem(parent_, 1002), 0, 0)), GetSysColor(COLOR_WINDOWFRAME));

  SetFocus(focusedEdit);
  SendMessageW(dropped, CB_SHOWDROPDOWN, TRUE, 0);
  Pump();
  const std::string path = std::string(CALVETTA_CONTROLS_PNG_DIR) + "/controls_gallery.png";
  std::remove(path.c_str());
  ASSERT_TRUE(compat::host::WriteDesktopPng(path));
  FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
}

}  // namespace
