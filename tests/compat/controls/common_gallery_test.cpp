// Every common control in its states on one window, written to a PNG for a
// person to look at: toolbar buttons flat and raised (normal, hot, pressed,
// checked, disabled, indeterminate, drop-down), progress bars, tabs, a status
// bar with each part border, and a tip.
#include <cstdio>

#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

// Four 16 x 15 glyphs: a square, a cross, a bar and a dot.
HBITMAP Strip() {
  return controltest::FaceBitmap(64, 15, {{RECT{3, 3, 13, 12}, RGB(0, 0, 0)},
                                          {RECT{16 + 2, 6, 16 + 14, 9}, RGB(0, 0, 0)},
                                          {RECT{16 + 6, 2, 16 + 9, 13}, RGB(0, 0, 0)},
                                          {RECT{32 + 2, 5, 32 + 14, 10}, RGB(200, 0, 0)},
                                          {RECT{48 + 5, 4, 48 + 11, 11}, RGB(0, 128, 0)}});
}

class CommonGalleryTest : public ControlTest {
 protected:
  HWND Toolbar(DWORD style, int y, HBITMAP strip) {
    HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_NORESIZE | style, 10, y, 400, 30,
                              parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(y)), nullptr, nullptr);
    SendMessageW(tb, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(strip)};
    SendMessageW(tb, TB_ADDBITMAP, 4, reinterpret_cast<LPARAM>(&add));
    const struct {
      int image;
      BYTE state;
      BYTE style;
    } buttons[] = {
        {0, TBSTATE_ENABLED, TBSTYLE_BUTTON},                            // normal
        {1, TBSTATE_ENABLED, TBSTYLE_BUTTON},                            // hot
        {2, TBSTATE_ENABLED | TBSTATE_PRESSED, TBSTYLE_BUTTON},          // pressed
        {0, 0, TBSTYLE_SEP},
        {3, TBSTATE_ENABLED | TBSTATE_CHECKED, TBSTYLE_CHECK},           // checked
        {0, 0, TBSTYLE_BUTTON},                                          // disabled
        {1, TBSTATE_ENABLED | TBSTATE_INDETERMINATE, TBSTYLE_BUTTON},    // indeterminate
        {0, 0, TBSTYLE_SEP},
        {2, TBSTATE_ENABLED, TBSTYLE_DROPDOWN},                          // drop-down
        {3, 0, TBSTYLE_DROPDOWN},                                        // disabled drop-down
    };
    int id = 100;
    for (const auto& b : buttons) {
      TBBUTTON tbb{};
      tbb.iBitmap = b.image;
      tbb.idCommand = ++id;
      tbb.fsState = b.state;
      tbb.fsStyle = b.style;
      SendMessageW(tb, TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&tbb));
    }
    return tb;
  }
};

TEST_F(CommonGalleryTest, EveryCommonControlInItsStatesIsDrawnInTheClassicLook) {
  HBITMAP strip = Strip();
  HWND flat = Toolbar(TBSTYLE_FLAT | CCS_NODIVIDER, 10, strip);
  HWND raised = Toolbar(0, 50, strip);
  MoveTo(At(flat, 24 + 12, 11));  // the second button is hot

  const int positions[] = {0, 30, 50, 100};
  for (int i = 0; i < 4; ++i) {
    HWND bar = Make(PROGRESS_CLASSW, nullptr, 0, 10, 100 + i * 24, 200, 18, 300 + i);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(positions[i]), 0);
  }
  HWND smooth = Make(PROGRESS_CLASSW, nullptr, PBS_SMOOTH, 220, 100, 200, 18, 310);
  SendMessageW(smooth, PBM_SETPOS, 60, 0);
  HWND vertical = Make(PROGRESS_CLASSW, nullptr, PBS_VERTICAL, 430, 100, 18, 90, 311);
  SendMessageW(vertical, PBM_SETPOS, 40, 0);

  HWND tabs = Make(WC_TABCONTROLW, u"", WS_TABSTOP, 10, 200, 300, 100, 400);
  const WCHAR* names[] = {u"Solid", u"Gradient", u"Picture"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(names[i]);
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tabs, TCM_SETCURSEL, 1, 0);

  HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent_,
                                reinterpret_cast<HMENU>(500), nullptr, nullptr);
  SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  const int rights[] = {180, 280, 380, -1};
  SendMessageW(status, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(rights));
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(u"Sunken"));
  SendMessageW(status, SB_SETTEXTW, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>(u"\tPop-out"));
  SendMessageW(status, SB_SETTEXTW, 2 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(u"\t\tNo border"));
  SendMessageW(status, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(u"Frame 12"));

  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0, parent_, nullptr, nullptr, nullptr);
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = parent_;
  ti.uId = 1;
  ti.rect = RECT{460, 100, 580, 200};
  ti.lpszText = const_cast<LPWSTR>(u"A tip in the info colours");
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  compat::StopClock();
  const POINT over = At(parent_, 480, 110);
  MoveTo(over);
  MSG msg{parent_, WM_MOUSEMOVE, 0, MAKELPARAM(480, 110), 0, over};
  SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  compat::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  // The flat toolbar's hot button went flat when the pointer left for the tip's tool.
  MoveTo(At(flat, 24 + 12, 11));
  Pump();

  // A few classic pixels: the raised toolbar's normal button is framed, the
  // checked button shows the dithered face, the pressed one is sunken.
  EXPECT_EQ(PixelAt(At(raised, 1, 3)), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelAt(At(raised, 23, 23)), GetSysColor(COLOR_3DDKSHADOW));
  RECT checked{};
  SendMessageW(flat, TB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&checked));
  const COLORREF d0 = PixelAt(At(flat, checked.left + 2, checked.top + 2));
  const COLORREF d1 = PixelAt(At(flat, checked.left + 3, checked.top + 2));
  EXPECT_NE(d0, d1);
  RECT pressed{};
  SendMessageW(flat, TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&pressed));
  EXPECT_EQ(PixelAt(At(flat, pressed.left, pressed.top)), GetSysColor(COLOR_BTNSHADOW));

  const std::string path = std::string(CALVETTA_CONTROLS_PNG_DIR) + "/common_controls_gallery.png";
  std::remove(path.c_str());
  ASSERT_TRUE(compat::host::WriteDesktopPng(path));
  DestroyWindow(flat);
  DestroyWindow(raised);
  DeleteObject(strip);
}

}  // namespace
