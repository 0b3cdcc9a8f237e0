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

}  // namespace
}  // namespace apptest
