// Exporting the animation as a user does it: Ctrl+D opens the export
// dialog over the busy project, Render asks for the file, the editor's own
// frames are written, and independent readers count them; closing the dialog
// gives the editor back.
#include <chrono>
#include <thread>

#include "compat/vfw.h"
#include "ui/export_animation_dlg.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class ExportWorkflow : public Workflow {
 protected:
  // Render pressed in the export dialog, the file typed into its save dialog,
  // then `then` once the export has ended.
  static void QueueRender(const std::string& file, std::function<void(CExportAnimationDlg*)> then) {
    dlgtest::QueueKey(VK_RETURN);
    const std::u16string name = Program(file);
    compat::AddModalStepOnCaption(u"Select Output File", [name](HWND fileDialog) {
      ::SetDlgItemTextW(fileDialog, edt1, name.c_str());
      compat::host::InjectKeyPress(VK_RETURN);
    });
    WhenEnded(std::move(then));
  }
  static void WhenEnded(std::function<void(CExportAnimationDlg*)> then) {
    compat::AddModalStep([then] {
      auto* dialog = dynamic_cast<CExportAnimationDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
      if (dialog && !dialog->IsRendering()) return then(dialog);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      WhenEnded(then);
    });
  }
};

// With no file chosen before, the save dialog starts in the project's folder.
TEST_F(ExportWorkflow, TheOutputFileDialogStartsInTheProjectsFolder) {
  OpenPair();
  const std::u16string project = Program(Temp("day.pvk"));
  ASSERT_TRUE(GetMainDocument()->DoSave(project.c_str()));
  std::u16string lookIn;
  dlgtest::QueueKey(VK_RETURN);
  compat::AddModalStepOnCaption(u"Select Output File", [&lookIn](HWND fileDialog) {
    char16_t text[512] = {};
    ::GetDlgItemTextW(fileDialog, cmb2, text, 512);
    lookIn = text;
    compat::host::InjectKeyPress(VK_ESCAPE);
  });
  dlgtest::QueueKey(VK_ESCAPE);
  View()->SetFocus();
  CtrlKey('D');
  Idle();
  EXPECT_EQ(lookIn, compat::Utf8ToUtf16(fs::path(Temp("day.pvk")).parent_path().string()));
}

TEST_F(ExportWorkflow, CtrlDRendersTheAnimationToAviAndGifAndGivesTheEditorBack) {
  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("ffprobe") && testsupport::HaveTool("gifsicle"), "ffprobe or gifsicle");
  compat::SetAviCompressorChoice(comptypeDIB);
  OpenPair();
  CMorphPair* pair = Project()->CurrentPair();
  pair->SetFrameCount(5);
  pair->m_fadeIn = 0;
  Project()->SetFps(10);
  m_app->m_transitionPanel.RefreshFromProject();
  Idle();

  int busyInDialog = -1;
  compat::AddModalStepOnTemplate(IDD_EXPORT, [&](HWND dialog) {
    busyInDialog = Project()->IsBusy();
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("workflow_export_dialog").c_str()));
  });
  QueueRender(Temp("movie.avi"), [this](CExportAnimationDlg*) { QueueRender(Temp("movie.gif"), [](CExportAnimationDlg*) {
                                                                  dlgtest::QueueKey(VK_ESCAPE);
                                                                }); });
  View()->SetFocus();
  CtrlKey('D');
  Idle();

  EXPECT_EQ(busyInDialog, 1) << "the project is busy while the dialog is open";
  EXPECT_EQ(Project()->IsBusy(), 0);
  EXPECT_TRUE(MainWindowEnabled());
  EXPECT_TRUE(Enabled(ID_EXPORT_ANIMATION));
  const std::string frames = testsupport::RunTool(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames,width,height -of csv=p=0 '" +
      Temp("movie.avi") + "'");
  EXPECT_EQ(frames, "64,48,5\n");
  const std::string gif = testsupport::RunTool("gifsicle --info '" + Temp("movie.gif") + "'");
  EXPECT_NE(gif.find("5 images"), std::string::npos) << gif;
  EXPECT_NE(gif.find("logical screen 64x48"), std::string::npos) << gif;
  EXPECT_NE(gif.find("delay 0.10s"), std::string::npos) << "ten frames a second: " << gif;
}

}  // namespace
}  // namespace apptest
