// The editor's own windows in place: the transition panel in the "Effect"
// bar, the preview and timeline in "Preview and Play", and every effect of
// the program with its settings dialog.
#include "controls/image_list_ctrl.h"
#include "editor_test_support.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "res/resource.h"

namespace apptest {
namespace {

using EditorWindows = EditorTest;

TEST_F(EditorWindows, EveryEffectOfTheProgramHasItsSettingsDialog) {
  const std::vector<int> ids = GetEffectRegistry().GetIds();
  EXPECT_EQ(ids.size(), 13u);
  for (int id : ids) EXPECT_NE(FindEffectDialogMaker(id), nullptr) << id;
}

TEST_F(EditorWindows, PanelAndTimelineFollowThePairOperations) {
  Start();
  ASSERT_TRUE(m_app->m_transitionPanel.m_hWnd);
  CPreviewPlayDlg* preview = View()->PreviewWindow();
  ASSERT_TRUE(preview->m_timeLineBar.m_hWnd);
  ASSERT_TRUE(preview->m_preview.m_hWnd);
  CMorphProject* project = GetMorphProject();
  // The hosted "No Effect" dialogs of the first pair.
  ASSERT_NE(m_app->m_transitionPanel.GetHostedDialog(0), nullptr);
  project->InsertPair();
  project->MovePairUp();
  Pump();
  HWND list = ::GetDlgItem(m_app->m_transitionPanel.m_hWnd, 1180);
  auto* pairs = dynamic_cast<controls::CImageListCtrl*>(CWnd::FromHandlePermanent(list));
  ASSERT_NE(pairs, nullptr);
  EXPECT_EQ(pairs->GetCount(), 2);
  EXPECT_EQ(pairs->GetSelection(), 0);
  // Play turns the pair list off and on again.
  project->SetPlaying(1);
  EXPECT_FALSE(::IsWindowEnabled(list));
  project->SetPlaying(0);
  EXPECT_TRUE(::IsWindowEnabled(list));
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("calvetta_editor_windows").c_str()));
}

}  // namespace
}  // namespace apptest
