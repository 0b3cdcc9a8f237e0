// The frame's edges as the mouse works them without a window manager: the
// status bar's size grip sizes the frame, and the minimised frame is a
// caption strip whose title, buttons and clicks work.
#include "workflow_test_support.h"

namespace apptest {
namespace {

using FrameEdgesWorkflow = Workflow;

TEST_F(FrameEdgesWorkflow, TheStatusBarsGripSizesTheFrame) {
  Start();
  CWnd* frame = Frame();
  frame->SetWindowPos(nullptr, 40, 30, 900, 640, SWP_NOZORDER);
  Idle();
  CWnd& bar = Frame()->m_wndMainStatusBar;
  CRect before, barBefore, grip;
  frame->GetWindowRect(&before);
  bar.GetWindowRect(&barBefore);
  bar.GetClientRect(&grip);
  // A press in the grip's lines at the bar's lower right corner.
  const POINT from = OnScreen(&bar, grip.right - 4, grip.bottom - 4);
  ASSERT_EQ(::WindowFromPoint(from), bar.m_hWnd);
  // Dragged inwards, so that every move lands on the frame.
  compat::host::InjectMouseMove(from.x, from.y);
  compat::host::InjectMouseButton(0, true, from.x, from.y);
  compat::host::InjectMouseMove(from.x - 30, from.y - 20);
  compat::host::InjectMouseMove(from.x - 60, from.y - 40);
  compat::host::InjectMouseButton(0, false, from.x - 60, from.y - 40);
  Idle();
  const auto edges = [](const CRect& r) { return std::vector<LONG>{r.left, r.top, r.right, r.bottom}; };
  CRect after, barAfter;
  frame->GetWindowRect(&after);
  EXPECT_EQ(edges(after), edges(CRect(before.left, before.top, before.right - 60, before.bottom - 40)));
  bar.GetWindowRect(&barAfter);
  EXPECT_EQ(edges(barAfter), edges(CRect(barBefore.left, barBefore.top - 40, barBefore.right - 60, barBefore.bottom - 40)))
      << "the bar follows the frame's new edge";
}

// Without a window manager: the strip at the desktop's bottom left shows the
// title and the restore, maximise and close buttons; a click on the title
// activates it, a click on a button works it.
TEST_F(FrameEdgesWorkflow, TheMinimisedFrameIsACaptionStripWhoseButtonsAndClicksWork) {
  Start();
  CWnd* frame = Frame();
  frame->SetWindowPos(nullptr, 40, 30, 900, 640, SWP_NOZORDER);
  Idle();
  CRect normal;
  frame->GetWindowRect(&normal);
  compat::host::InjectMouseMove(normal.right - 48, normal.top + 13);
  compat::host::InjectClick(0, normal.right - 48, normal.top + 13);
  Idle();
  ASSERT_TRUE(frame->IsIconic());
  CRect strip;
  frame->GetWindowRect(&strip);
  EXPECT_EQ(strip.Width(), ::GetSystemMetrics(SM_CXMINIMIZED));
  const int middle = strip.top + strip.Height() / 2;
  const auto shown = [](int x, int y) { return compat::host::DesktopSurface()->Row(y)[x] & 0xFFFFFF; };
  const auto rgb = [](int index) {
    const COLORREF c = ::GetSysColor(index);
    return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
  };
  const auto at = [&](LRESULT hit) {
    for (int x = strip.right - 1; x >= strip.left; --x)
      if (frame->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(x, middle)) == hit) return x;
    return -1;
  };
  const auto painted = [&](const char* what) {
    const bool active = ::GetActiveWindow() == frame->m_hWnd;
    int title = 0;
    for (int x = strip.left + 20; x < at(HTMINBUTTON) - 2; ++x)
      for (int y = strip.top + 4; y < strip.bottom - 4; ++y)
        title += shown(x, y) == rgb(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    EXPECT_GT(title, 10) << what << ": the title is written";
    EXPECT_EQ(shown(strip.left + 30, strip.top + 5), rgb(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION)) << what;
    for (LRESULT button : {HTMINBUTTON, HTMAXBUTTON, HTCLOSE})
      EXPECT_EQ(shown(at(button) - 2, strip.top + 6), rgb(COLOR_BTNFACE)) << what << ": button " << button;
  };
  painted("minimised");
  Png("frame_minimised_strip");
  ::SetActiveWindow(nullptr);
  Idle();
  compat::host::InjectMouseMove(strip.left + 40, middle);
  compat::host::InjectClick(0, strip.left + 40, middle);
  Idle();
  EXPECT_EQ(::GetActiveWindow(), frame->m_hWnd) << "a click on the title activates the strip";
  EXPECT_TRUE(frame->IsIconic());
  painted("activated");
  compat::host::InjectMouseMove(at(HTMAXBUTTON) - 3, middle);
  compat::host::InjectClick(0, at(HTMAXBUTTON) - 3, middle);
  Idle();
  EXPECT_TRUE(frame->IsZoomed()) << "the strip's maximise button";
}

}  // namespace
}  // namespace apptest
