// The "Preview and Play" window: the preview's place at the output's aspect
// ratio, and the timeline's frame commands and play loop as a user runs
// them, with the frames the renderer was asked for.
#include <functional>
#include <memory>
#include <vector>

#include "controls/dialog_color.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "ui/preview_play_dlg.h"
#include "recording_renderer.h"
#include "ui_test_support.h"

namespace {

using Frames = std::vector<int>;

class PreviewPlayTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    compat::RunClock();  // play is paced by real time
    CMorphProject* project = GetMorphProject();
    project->ResetProject();
    project->SetOutputSize(320, 240);
    project->SetFps(100);
    project->CurrentPair()->SetFrameCount(3);
    m_window = std::make_unique<CPreviewPlayDlg>();
    ASSERT_TRUE(m_window->Create(CWnd::FromHandle(parent_)));
    m_window->ShowWindow(SW_SHOW);
    Pump();
    m_renderer.frames.clear();
  }
  void TearDown() override {
    m_renderer.onFrame = nullptr;
    if (m_window->m_hWnd) m_window->DestroyWindow();
    m_window.reset();
    CMorphProject* project = GetMorphProject();
    project->ResetProject();
    project->SetOutputSize(256, 256);
    project->SetFps(30);
    project->SetLoop(1);
    UiTest::TearDown();
  }
  CTimeLineBar& Bar() { return m_window->m_timeLineBar; }
  void Command(int id) {
    Bar().SendMessage(WM_COMMAND, id, 0);
    Pump();
  }
  static CMorphPair* Current() { return GetMorphProject()->CurrentPair(); }

  uitest::RecordingRenderer m_renderer;
  std::unique_ptr<CPreviewPlayDlg> m_window;
};

TEST_F(PreviewPlayTest, PreviewKeepsTheOutputsAspectCentredInTheFreeArea) {
  CRect bar;
  Bar().GetClientRect(&bar);
  const int barHeight = std::max<int>(bar.Height(), 80);
  m_window->MoveWindow(0, 0, 400, 200 + barHeight, TRUE);
  Pump();
  CRect preview;
  m_window->m_preview.GetWindowRect(&preview);
  m_window->ScreenToClient(&preview);
  EXPECT_EQ(preview, CRect(66, -1, 66 + 266 + 2, 201));
  CRect timeline;
  Bar().GetWindowRect(&timeline);
  m_window->ScreenToClient(&timeline);
  EXPECT_EQ(timeline.top, 200);
  uitest::UiTest::WritePng(m_window->m_hWnd, "preview_play");
  // Taller than wide: the width is kept and the height follows.
  m_renderer.frames.clear();
  m_window->MoveWindow(0, 0, 200, 400 + barHeight, TRUE);
  Pump();
  m_window->m_preview.GetWindowRect(&preview);
  m_window->ScreenToClient(&preview);
  EXPECT_EQ(preview.Width(), 202);
  EXPECT_EQ(preview.Height(), 150 + 2);
  EXPECT_EQ(preview.top, (400 - 150) / 2 - 1);
}

TEST_F(PreviewPlayTest, AWindowLowerThanTheTimelineKeepsAOnePixelPreview) {
  m_window->MoveWindow(0, 0, 300, 50, TRUE);
  Pump();
  CRect preview;
  m_window->m_preview.GetWindowRect(&preview);
  EXPECT_GE(preview.Width(), 3);
  EXPECT_GE(preview.Height(), 3);
}

// The window keeps the custom controls' colour in step with its own brush,
// and the timeline's curve paints its margins with the bar's brush.
TEST_F(PreviewPlayTest, TheDialogBrushColoursTheCustomControlsAndTheCurve) {
  const INT element = COLOR_BTNFACE;
  const COLORREF saved = GetSysColor(element);
  const COLORREF scripted = RGB(0x30, 0x90, 0x50);
  ASSERT_TRUE(SetSysColors(1, &element, &scripted));
  controls::SetDialogColor(saved);
  m_window->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  EXPECT_EQ(controls::GetDialogColor(), scripted);
  HWND curve = ::GetDlgItem(Bar().m_hWnd, 1009);
  ASSERT_NE(curve, nullptr);
  CRect client;
  ::GetClientRect(curve, &client);
  EXPECT_EQ(PixelAt(At(curve, 2, client.Height() / 2)), scripted);
  EXPECT_EQ(PixelAt(At(curve, client.Width() - 2, client.Height() - 2)), scripted);
  uitest::UiTest::WritePng(m_window->m_hWnd, "preview_play_dialog_colour");
  ASSERT_TRUE(SetSysColors(1, &element, &saved));
  m_window->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  EXPECT_EQ(controls::GetDialogColor(), saved);
}

TEST_F(PreviewPlayTest, LoopingPlayRunsFrameAfterFrameAndReturnsToTheStartingFrame) {
  m_renderer.onFrame = [this](int count) {
    if (count == 5) Bar().OnStop();
  };
  Command(924);
  EXPECT_EQ(m_renderer.frames, (Frames{1, 2, 0, 1, 2, 0}));
  EXPECT_FALSE(Bar().IsPlaying());
  EXPECT_EQ(Current()->GetCurrentFrame(), 0);
}

TEST_F(PreviewPlayTest, PlayWithoutLoopStopsAtTheEnd) {
  GetMorphProject()->SetLoop(0);
  Current()->SetCurrentFrame(1);
  Command(924);
  EXPECT_EQ(m_renderer.frames, (Frames{2, 1}));
  EXPECT_EQ(Current()->GetCurrentFrame(), 1);
}

TEST_F(PreviewPlayTest, PlayGoesOnToTheNextPairAndFrameCommandsWaitMeanwhile) {
  GetMorphProject()->SetLoop(0);
  GetMorphProject()->InsertPair();
  Current()->SetFrameCount(2);
  GetMorphProject()->SelectPair(0);
  m_renderer.frames.clear();
  m_renderer.onFrame = [this](int count) {
    if (count == 1) Bar().SendMessage(WM_COMMAND, 921, 0);  // "Last frame" while playing
  };
  Command(924);
  EXPECT_EQ(m_renderer.frames, (Frames{1, 2, 0, 1, 0}));
  EXPECT_EQ(GetMorphProject()->GetCurrentIndex(), 0);
}

TEST_F(PreviewPlayTest, FrameCommandsStepAndStopAtTheEnds) {
  Current()->SetFrameCount(10);
  Command(921);
  EXPECT_EQ(Current()->GetCurrentFrame(), 9);
  m_renderer.frames.clear();
  Command(923);  // at the last frame: nothing
  EXPECT_TRUE(m_renderer.frames.empty());
  Command(925);
  EXPECT_EQ(Current()->GetCurrentFrame(), 8);
  Command(920);
  EXPECT_EQ(Current()->GetCurrentFrame(), 0);
  m_renderer.frames.clear();
  Command(925);  // at frame 0: nothing
  EXPECT_TRUE(m_renderer.frames.empty());
  Command(923);
  EXPECT_EQ(m_renderer.frames, (Frames{1}));
}

TEST_F(PreviewPlayTest, ARateOfZeroDoesNotPlay) {
  GetMorphProject()->SetFps(0);
  Command(924);
  EXPECT_TRUE(m_renderer.frames.empty());
  EXPECT_FALSE(Bar().IsPlaying());
}

TEST_F(PreviewPlayTest, AClickOnATitleBarEndsPlay) {
  m_renderer.onFrame = [this](int count) {
    if (count == 2) PostMessageW(parent_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  };
  Bar().SendMessage(WM_COMMAND, 924, 0);
  EXPECT_EQ(m_renderer.frames, (Frames{1, 2, 0}));
  EXPECT_FALSE(Bar().IsPlaying());
  // The click stays queued for its window (taken here: a caption press
  // would start a move that waits for the button's release).
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, parent_, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
}

TEST_F(PreviewPlayTest, WindowsClosedDuringPlayEndItWithoutAFault) {
  constexpr UINT kCloseAll = WM_APP + 7;
  const HWND window = m_window->m_hWnd;
  Log().SetHandler(parent_, [window](HWND, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message == kCloseAll) ::DestroyWindow(window);
    return false;
  });
  m_renderer.onFrame = [this](int count) {
    if (count == 2) PostMessageW(parent_, kCloseAll, 0, 0);
  };
  Command(924);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(m_renderer.frames.size(), 2u);
}

}  // namespace
