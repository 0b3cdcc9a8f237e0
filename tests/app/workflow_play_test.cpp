// Preview and play as a user runs it: the Play button of the timeline runs
// the frames in the preview, the editor's commands are disabled meanwhile (an
// accelerator pressed then does nothing), and Stop gives them back with the
// pair at the frame play started from.
#include <set>

#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/project/undo_history.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class PlayWorkflow : public Workflow {
 protected:
  // Clicks a button of the timeline's own toolbar.
  void ClickTimelineButton(int command) {
    CToolBarCtrl& bar = View()->PreviewWindow()->m_timeLineBar.m_toolBar;
    RECT rect{};
    ASSERT_TRUE(bar.SendMessage(TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect)));
    const POINT at = OnScreen(&bar, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    compat::host::InjectMouseMove(at.x, at.y);
    compat::host::InjectClick(0, at.x, at.y);
  }
  bool PlayButtonEnabled() {
    return View()->PreviewWindow()->m_timeLineBar.m_toolBar.SendMessage(TB_ISBUTTONENABLED, kPlay) != 0;
  }
  // Runs inside the play loop, once for each message it takes: one a frame.
  void Tick() {
    CMorphPair* pair = Project()->CurrentPair();
    m_framesSeen.insert(pair->GetCurrentFrame());
    ++m_ticks;
    if (m_ticks == 2) {
      for (UINT id : {ID_EDIT_UNDO, ID_FILE_OPEN, ID_IMPORT_SOURCE, ID_EXPORT_CURRENT_FRAME, ID_EXPORT_ANIMATION,
                      ID_SWAP_SOURCE_TARGET, ID_MORPHER_SETUP, ID_SET_OUTPUT_SIZE})
        EXPECT_FALSE(Enabled(id)) << "while playing " << id;
      EXPECT_FALSE(PlayButtonEnabled());
      EXPECT_TRUE(View()->PreviewWindow()->m_timeLineBar.IsPlaying());
      CtrlKey('Z');  // taken by the accelerators, refused by the update handler
    } else if (m_ticks == 4) {
      m_linesWhilePlaying = pair->GetSourceLines()->GetLineCount();
      Png("workflow_playing");
    } else if (m_ticks >= 8 && m_framesSeen.size() >= 3 && !m_stopClicked) {
      m_stopClicked = true;
      ClickTimelineButton(kStop);
    }
  }
  // The play loop takes one message a frame and a repainted preview is always
  // due, so a timer would never get its turn: a message hook watches instead.
  static LRESULT CALLBACK OnMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && s_running &&
        s_running->View()->PreviewWindow()->m_timeLineBar.IsPlaying())
      s_running->Tick();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static constexpr int kPlay = 924, kStop = 922;
  static PlayWorkflow* s_running;
  std::set<int> m_framesSeen;
  int m_ticks = 0;
  int m_linesWhilePlaying = -1;
  bool m_stopClicked = false;
};

PlayWorkflow* PlayWorkflow::s_running = nullptr;

TEST_F(PlayWorkflow, PlayRunsTheFramesWithTheCommandsDisabledAndStopGivesThemBack) {
  OpenPair();
  CMorphPair* pair = Project()->CurrentPair();
  pair->SetFrameCount(6);
  pair->SetCurrentFrame(2);
  Project()->SetFps(50);
  Project()->SetLoop(1);
  m_app->m_transitionPanel.RefreshFromProject();
  // A line to undo: Ctrl+Z must leave it while playing.
  CComandmanger::Get()->Clear();
  SetLineTool(kLineToolNewLine);
  ClickIn(View()->SourcePane(), 10, 10);
  ClickIn(View()->SourcePane(), 40, 30);
  ClickIn(View()->SourcePane(), 40, 30);
  Idle();
  ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), 1);
  ASSERT_TRUE(Enabled(ID_EDIT_UNDO));

  s_running = this;
  HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, &PlayWorkflow::OnMessage, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  ClickTimelineButton(kPlay);
  Idle();  // returns when play has ended
  ::UnhookWindowsHookEx(hook);
  s_running = nullptr;

  EXPECT_GE(m_ticks, 8);
  EXPECT_GE(m_framesSeen.size(), 3u) << "the frames moved on while playing";
  EXPECT_EQ(m_linesWhilePlaying, 1) << "Ctrl+Z did nothing while playing";
  EXPECT_FALSE(View()->PreviewWindow()->m_timeLineBar.IsPlaying());
  EXPECT_TRUE(PlayButtonEnabled());
  EXPECT_EQ(pair->GetCurrentFrame(), 2) << "back at the frame play started from";
  for (UINT id : {ID_EDIT_UNDO, ID_FILE_OPEN, ID_IMPORT_SOURCE, ID_EXPORT_ANIMATION, ID_MORPHER_SETUP})
    EXPECT_TRUE(Enabled(id)) << "after play " << id;
  CtrlKey('Z');
  Idle();
  EXPECT_EQ(pair->GetSourceLines()->GetLineCount(), 0) << "Ctrl+Z works again";
}

}  // namespace
}  // namespace apptest
