// Scroll bars under the mouse with the clock held: arrow repeat, thumb
// dragging, and the window bars of WS_VSCROLL and WS_HSCROLL.
#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

class ScrollBarTest : public ControlTest {
 protected:
  // The scroll codes the parent received, for one bar (null: the window's own).
  std::vector<WORD> ScrollCodes(UINT message, HWND from) {
    std::vector<WORD> codes;
    for (const wintest::Logged& e : Log().Entries()) {
      if (e.message == message && reinterpret_cast<HWND>(e.lParam) == from) codes.push_back(LOWORD(e.wParam));
    }
    return codes;
  }
  static void HoldFor(DWORD milliseconds) {
    for (DWORD t = 0; t < milliseconds; t += 10) {
      compat::AdvanceClock(10);
      Pump();
    }
  }
};

TEST_F(ScrollBarTest, AHeldArrowRepeatsAtTheSteadyRateAfterAPause) {
  HWND bar = Make(u"ScrollBar", u"", SBS_VERT, 10, 10, 17, 200, 500);
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 50, 0};
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
  ClearLog();
  compat::StopClock();
  Press(At(bar, 8, 190));  // the down arrow
  HoldFor(1000);
  ReleaseAt(At(bar, 8, 190));
  const std::vector<WORD> codes = ScrollCodes(WM_VSCROLL, bar);
  // One at the press, then one at 200 ms and every 50 ms up to 1 s: 18.
  ASSERT_EQ(codes.size(), 19u);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), SB_LINEDOWN), 18);
  EXPECT_EQ(codes.back(), SB_ENDSCROLL);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenSetsThePositionThenEnds) {
  HWND bar = Make(u"ScrollBar", u"", SBS_HORZ, 10, 10, 217, 17, 501);
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
  ClearLog();
  // The thumb starts right after the left arrow.
  Press(At(bar, 22, 8));
  MoveTo(At(bar, 80, 8));
  SCROLLINFO track{sizeof(track), SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(bar, SB_CTL, &track);
  EXPECT_GT(track.nTrackPos, 0);
  EXPECT_EQ(track.nPos, 0);  // the program moves the position itself
  MoveTo(At(bar, 400, 8));
  ReleaseAt(At(bar, 400, 8));
  std::vector<WORD> codes = ScrollCodes(WM_HSCROLL, bar);
  ASSERT_GE(codes.size(), 4u);
  EXPECT_EQ(codes[0], SB_THUMBTRACK);
  EXPECT_EQ(codes[codes.size() - 2], SB_THUMBPOSITION);
  EXPECT_EQ(codes.back(), SB_ENDSCROLL);
  // The last position is the end of the range less the page.
  for (const wintest::Logged& e : Log().Entries()) {
    if (e.message == WM_HSCROLL && LOWORD(e.wParam) == SB_THUMBPOSITION) {
      EXPECT_EQ(HIWORD(e.wParam), 90);
    }
  }
}

TEST_F(ScrollBarTest, ValuesStayInRangeAndTheControlAnswersKeys) {
  HWND bar = Make(u"ScrollBar", u"", SBS_VERT | WS_TABSTOP, 10, 10, 17, 200, 502);
  SetScrollRange(bar, SB_CTL, 10, 20, TRUE);
  EXPECT_EQ(SetScrollPos(bar, SB_CTL, 50, TRUE), 10);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 20);
  SCROLLINFO page{sizeof(page), SIF_PAGE, 0, 0, 5, 0, 0};
  SetScrollInfo(bar, SB_CTL, &page, TRUE);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 16);  // the last page ends at the maximum
  int low = 0, high = 0;
  EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &low, &high));
  EXPECT_EQ(low, 10);
  EXPECT_EQ(high, 20);
  SetFocus(bar);
  ClearLog();
  Key(VK_DOWN);
  Key(VK_NEXT);
  EXPECT_EQ(ScrollCodes(WM_VSCROLL, bar), (std::vector<WORD>{SB_LINEDOWN, SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL}));
}

TEST_F(ScrollBarTest, WindowBarsScrollTheWindowItselfAndADisabledBarIgnoresClicks) {
  HWND view = Make(wintest::kTestClass, u"", WS_VSCROLL | WS_HSCROLL | WS_BORDER, 10, 10, 200, 150, 503);
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE, 0, 999, 100, 0, 0};
  SetScrollInfo(view, SB_VERT, &info, TRUE);
  SetScrollInfo(view, SB_HORZ, &info, TRUE);
  EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & WS_VSCROLL);
  RECT client;
  GetClientRect(view, &client);
  ClearLog();
  const POINT downArrow = At(view, client.right + 8, client.bottom - 5);
  Click(downArrow);
  EXPECT_EQ(ScrollCodes(WM_VSCROLL, nullptr), (std::vector<WORD>{SB_LINEDOWN, SB_ENDSCROLL}));
  const POINT rightPage = At(view, client.right - 30, client.bottom + 8);
  Click(rightPage);
  EXPECT_EQ(ScrollCodes(WM_HSCROLL, nullptr), (std::vector<WORD>{SB_PAGERIGHT, SB_ENDSCROLL}));
  for (const wintest::Logged& e : Log().Entries()) {
    if (e.message == WM_VSCROLL) {
      EXPECT_EQ(e.hwnd, view);
    }
  }

  EXPECT_TRUE(EnableScrollBar(view, SB_VERT, ESB_DISABLE_BOTH));
  ClearLog();
  Click(downArrow);
  EXPECT_TRUE(ScrollCodes(WM_VSCROLL, nullptr).empty());
  EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & WS_VSCROLL);  // still drawn
  // The disabled arrow shows its greyed glyph in the place it had.
  EXPECT_NE(PixelAt(At(view, client.right + 1, client.bottom - 2)), GetSysColor(COLOR_SCROLLBAR));

  // With nothing to scroll a bar goes, unless asked to stay disabled.
  SCROLLINFO none{sizeof(none), SIF_RANGE | SIF_PAGE, 0, 50, 100, 0, 0};
  SetScrollInfo(view, SB_HORZ, &none, TRUE);
  EXPECT_FALSE(GetWindowLongW(view, GWL_STYLE) & WS_HSCROLL);
  none.fMask |= SIF_DISABLENOSCROLL;
  SetScrollInfo(view, SB_HORZ, &none, TRUE);
  EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & WS_HSCROLL);
  ClearLog();
  GetClientRect(view, &client);
  Click(At(view, client.right - 5, client.bottom + 8));
  EXPECT_TRUE(ScrollCodes(WM_HSCROLL, nullptr).empty());
  // Something to scroll again enables it; nothing, without the request, hides it.
  SCROLLINFO again{sizeof(again), SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 500, 100, 0, 0};
  SetScrollInfo(view, SB_HORZ, &again, TRUE);
  Click(At(view, client.right - 5, client.bottom + 8));
  EXPECT_EQ(ScrollCodes(WM_HSCROLL, nullptr), (std::vector<WORD>{SB_LINERIGHT, SB_ENDSCROLL}));
  none.fMask = SIF_RANGE | SIF_PAGE;
  SetScrollInfo(view, SB_HORZ, &none, TRUE);
  EXPECT_FALSE(GetWindowLongW(view, GWL_STYLE) & WS_HSCROLL);
}

}  // namespace
