// The layout a user arranges is the layout the next start shows: the split
// between the panes dragged with the mouse and the "Preview and Play" bar
// closed with F2 are back after the program ends and starts again.
#include "workflow_test_support.h"

namespace apptest {
namespace {

using LayoutWorkflow = Workflow;

TEST_F(LayoutWorkflow, ADraggedSplitAndAClosedBarAreKeptAcrossARestart) {
  Start();
  CRect source;
  View()->SourcePane()->GetWindowRect(&source);
  const int before = source.Width();
  ASSERT_GT(before, 100);

  // The source pane's right sizing border is the splitter: dragged 60 pixels left.
  const POINT grip{source.right - 2, (source.top + source.bottom) / 2};
  compat::host::InjectMouseMove(grip.x, grip.y);
  compat::host::InjectMouseButton(0, true, grip.x, grip.y);
  compat::host::InjectMouseMove(grip.x - 30, grip.y);
  compat::host::InjectMouseMove(grip.x - 60, grip.y);
  compat::host::InjectMouseButton(0, false, grip.x - 60, grip.y);
  Idle();
  View()->SourcePane()->GetWindowRect(&source);
  const int dragged = source.Width();
  EXPECT_EQ(dragged, before - 60);
  CRect target;
  View()->TargetPane()->GetWindowRect(&target);
  EXPECT_EQ(target.left, source.right) << "the target pane took the room";

  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F2);
  Idle();
  ASSERT_FALSE(View()->PreviewBar().GetStyle() & WS_VISIBLE);
  Png("workflow_layout_arranged");
  Exit();

  Start();
  View()->SourcePane()->GetWindowRect(&source);
  EXPECT_EQ(source.Width(), dragged) << "the split is where it was left";
  EXPECT_FALSE(View()->PreviewBar().GetStyle() & WS_VISIBLE) << "the closed bar stays closed";
  EXPECT_EQ(MenuCheck(ID_SHOW_PREVIEW), 0);
  EXPECT_TRUE(m_app->m_wndEffectBar.GetStyle() & WS_VISIBLE);
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F2);
  Idle();
  EXPECT_TRUE(View()->PreviewBar().GetStyle() & WS_VISIBLE) << "F2 brings it back";
  Png("workflow_layout_restarted");
}

}  // namespace
}  // namespace apptest
