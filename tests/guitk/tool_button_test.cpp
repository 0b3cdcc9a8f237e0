// Tool buttons as a user works them, on the controllable clock: hot look,
// auto-repeat, tooltip, sizing, and repainting after a colour change.
#include "guitk/tool_button.h"

#include <gtest/gtest.h>

#include "guitk_test_support.h"
#include "res/resource.h"

namespace {

using kittest::KitTest;

constexpr UINT kButtonId = 301;

class ToolButton : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    frame_ = new CFrameWnd;
    ASSERT_TRUE(frame_->Create(nullptr, u"Buttons", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 440, 300)));
    frame_->SetActiveWindow();
    commands_.HookWindow(frame_->m_hWnd);
    Pump();
  }
  void TearDown() override {
    commands_.HookWindow(static_cast<HWND>(nullptr));
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  template <class Button>
  void Make(Button* button, const char16_t* caption, int x = 20, int y = 20) {
    ASSERT_TRUE(button->Create(u"", WS_CHILD | WS_VISIBLE, CRect(x, y, x + 80, y + 24), frame_, kButtonId));
    button->SetFont(CFont::FromHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))));
    button->SetCaption(caption);
  }
  // Lets the clock run in steps so that timers fire as they would.
  static void Advance(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 10) {
      compat::AdvanceClock(10);
      Pump();
    }
  }
  // A point of the background left of the caption.
  static POINT Face(CWnd& w) {
    CRect r;
    w.GetWindowRect(&r);
    return POINT{r.left + 4, r.CenterPoint().y};
  }
  static POINT Centre(CWnd& w) {
    CRect r;
    w.GetWindowRect(&r);
    return r.CenterPoint();
  }

  class CommandCounter : public CSubclassWnd {
   public:
    int clicks = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_COMMAND && LOWORD(wParam) == kButtonId) ++clicks;
      return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
  };

  CFrameWnd* frame_ = nullptr;
  CommandCounter commands_;
};

TEST_F(ToolButton, TheHotLookClearsWithin50msOfThePointerLeaving) {
  CKitToolButton button;
  Make(&button, u"Tool");
  MoveTo(Centre(button));
  EXPECT_TRUE(button.IsHot());
  const COLORREF hot = PixelAt(Face(button));
  EXPECT_EQ(hot, GetHotColor());
  WritePng(frame_->m_hWnd, "guitk_tool_button_hot");
  MoveTo(POINT{Centre(button).x, Centre(button).y + 100});
  EXPECT_TRUE(button.IsHot());  // until the timer looks
  Advance(50);
  EXPECT_FALSE(button.IsHot());
  EXPECT_EQ(PixelAt(Face(button)), GetLightFaceColor());
}

TEST_F(ToolButton, ARepeatButtonRepeatsEvery50msWhileHeldAndStopsOffIt) {
  CKitRepeatButton button;
  Make(&button, u"Repeat");
  Press(Centre(button));
  EXPECT_TRUE(button.IsRepeating());
  Advance(200);
  EXPECT_EQ(commands_.clicks, 4);
  MoveTo(POINT{Centre(button).x + 200, Centre(button).y});
  Advance(50);
  EXPECT_FALSE(button.IsRepeating());
  const int stopped = commands_.clicks;
  MoveTo(Centre(button));  // sliding back does not start it again
  Advance(200);
  EXPECT_EQ(commands_.clicks, stopped);
  ReleaseAt(Centre(button));
  EXPECT_EQ(commands_.clicks, stopped + 1);  // the release over the button is an ordinary click
}

TEST_F(ToolButton, AHoverRepeatButtonRepeatsEvery20msWhileThePointerRestsOnIt) {
  CKitHoverRepeatButton button;
  Make(&button, u"Hover");
  MoveTo(Centre(button));
  Advance(100);
  EXPECT_EQ(commands_.clicks, 0) << "not without its repeat flag";
  button.SetRepeat(TRUE);
  MoveTo(POINT{Centre(button).x + 1, Centre(button).y});
  EXPECT_TRUE(button.IsRepeating());
  Advance(100);
  EXPECT_EQ(commands_.clicks, 5);
  // Off the button the ticks send nothing and stop.
  MoveTo(POINT{Centre(button).x, Centre(button).y + 100});
  Advance(100);
  EXPECT_EQ(commands_.clicks, 5);
  EXPECT_FALSE(button.IsRepeating());
}

TEST_F(ToolButton, ALinkButtonShowsTheHandOverItsLinkAndTheArrowBeside) {
  CKitLinkButton button;
  Make(&button, u"Link");
  CRect r;
  button.GetWindowRect(&r);
  EXPECT_EQ(button.LinkRect().left, 4);
  MoveTo(POINT{r.left + 10, r.CenterPoint().y});
  button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
  MoveTo(POINT{r.left + 2, r.CenterPoint().y});
  EXPECT_TRUE(button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

TEST_F(ToolButton, TheTooltipShowsOverTheButton) {
  CKitToolButton button;
  Make(&button, u"Tip");
  button.SetTooltip(u"Does a thing");
  ASSERT_NE(button.GetToolTip(), nullptr);
  // The framework's message loop offers every message to PreTranslateMessage first.
  const POINT p = Centre(button);
  compat::host::InjectMouseMove(p.x, p.y);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.hwnd == button.m_hWnd) button.PreTranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  Advance(1000);
  EXPECT_TRUE(button.GetToolTip()->IsWindowVisible());
  WritePng(frame_->m_hWnd, "guitk_tool_button_tooltip");
}

TEST_F(ToolButton, TheButtonSizesItselfToIconAndCaption) {
  CKitToolButton empty;
  Make(&empty, u"", 20, 60);
  EXPECT_EQ(empty.GetSize().cx, 7);
  CRect r;
  empty.GetWindowRect(&r);
  EXPECT_EQ(r.Width(), 7);

  CKitToolButton button;
  Make(&button, u"Caption", 20, 100);
  CClientDC dc(&button);
  CFont* old = dc.SelectObject(button.GetFont());
  const CSize text = dc.GetTextExtent(u"Caption", 7);
  dc.SelectObject(old);
  button.SetIcon(LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
  const CSize size = button.GetSize();
  EXPECT_EQ(size.cx, 2 + 32 + 8 + text.cx + 1);  // margin, icon, gap, the whole caption, the frame
  EXPECT_EQ(size.cy, 32);
  button.GetWindowRect(&r);
  EXPECT_EQ(r.Size(), size);
  WritePng(frame_->m_hWnd, "guitk_tool_buttons");
}

TEST_F(ToolButton, ANewColourTableRepaintsTheButton) {
  CKitToolButton button;
  Make(&button, u"Face");
  EXPECT_EQ(PixelAt(Face(button)), GetLightFaceColor());
  SetColor(COLOR_BTNFACE, RGB(100, 140, 180));
  EXPECT_EQ(GetLightFaceColor(), RGB(136, 166, 196));
  EXPECT_EQ(PixelAt(Face(button)), RGB(136, 166, 196));
}

}  // namespace
