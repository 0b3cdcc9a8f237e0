// The export dialog as a user works it: Render asks for the output file and
// counts the frames up, Stop ends an export with a usable file, Cancel waits
// for the export, the folder is remembered, unsupported types are refused.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "compat/vfw.h"
#include "controls/edit_ctrl.h"
#include "export/export_frame_source.h"
#include "export/render_thread.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "res/resource.h"
#include "support/small_disk.h"
#include "support/tool_runner.h"
#include "ui/export_animation_dlg.h"
#include "ui/stored_text.h"
#include "ui_test_support.h"

namespace {

using dlgtest::QueueCheck;
using dlgtest::QueueKey;

// Each frame in one colour of its own, optionally slowly, so that a test
// can act while the export runs.
class CSolidFrames : public CExportFrameSource {
 public:
  void GrabPixels(CMorphPair* pair, CPixelBuffer* buffer) override {
    const DWORD color = 0xFF000000u | static_cast<DWORD>(pair->GetCurrentFrame() * 40 & 0xFF) << 16;
    for (int i = 0; i < buffer->Width() * buffer->Height(); ++i) buffer->bits[i] = color;
    Grabbed();
  }
  void GrabDib24(CMorphPair* pair, CPixelBuffer* buffer) override {
    BYTE* out = reinterpret_cast<BYTE*>(buffer->bits);
    for (int i = 0; i < buffer->Width() * buffer->Height(); ++i) {
      out[i * 3] = 0;
      out[i * 3 + 1] = 0;
      out[i * 3 + 2] = static_cast<BYTE>(pair->GetCurrentFrame() * 40);
    }
    Grabbed();
  }
  int delayMs = 0;
  std::atomic<int> grabs{0};

 private:
  void Grabbed() {
    ++grabs;
    if (delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
  }
};

class ExportDialogTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    compat::SetAviCompressorChoice(comptypeDIB);
    GetMorphProject()->ResetProject();
    GetMorphProject()->SetOutputSize(32, 24);
    GetMorphProject()->CurrentPair()->SetFrameCount(6);
    GetMorphProject()->SetFps(20);
  }
  void TearDown() override {
    GetMorphProject()->ResetProject();
    GetMorphProject()->SetOutputSize(256, 256);
    GetMorphProject()->SetFps(30);
    UiTest::TearDown();
  }
  // Render pressed, then the file name typed into the save dialog.
  void QueueRenderTo(const CString& path) {
    QueueKey(VK_RETURN);
    compat::AddModalStepOnCaption(u"Select Output File", [path](HWND fileDialog) {
      ::SetDlgItemTextW(fileDialog, edt1, path);
      compat::host::InjectKeyPress(VK_RETURN);
    });
  }
  // Runs `then` inside the loop once the export has ended.
  static void WhenExportEnds(CExportAnimationDlg& dialog, std::function<void()> then) {
    compat::AddModalStep([&dialog, then] {
      if (!dialog.IsRendering()) return then();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      WhenExportEnds(dialog, then);
    });
  }
  static std::u16string ItemText(HWND dialog, int id) { return Text(::GetDlgItem(dialog, id)); }

  CSolidFrames m_frames;
  uitest::HostFolder m_out;
};

TEST_F(ExportDialogTest, RendersAGifCountingTheFramesUpAndRemembersTheFolder) {
  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("gifsicle"), "gifsicle");
  CExportAnimationDlg dialog;
  dialog.SetFrameSource(&m_frames);
  std::vector<int> shown;
  QueueCheck([&] {
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDOK), u"Render");
    EXPECT_EQ(controls::EditCtrlFromHandle(::GetDlgItem(dialog.m_hWnd, 3222))->GetValue(), 75.0);
    EXPECT_EQ(controls::EditCtrlFromHandle(::GetDlgItem(dialog.m_hWnd, 1024))->GetValue(), 20.0);
    EXPECT_EQ(IsDlgButtonChecked(dialog.m_hWnd, 1010), BST_CHECKED);
    uitest::UiTest::WritePng(dialog.m_hWnd, "export_dialog");
  });
  // The radio says AVI; the file's extension picks the writer.
  QueueRenderTo(m_out.Path(u"anim.gif"));
  WhenExportEnds(dialog, [&] {
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDOK), u"Render");
    EXPECT_EQ(ItemText(dialog.m_hWnd, 1013), u"5");
    QueueKey(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(m_frames.grabs, 6);
  const std::string info = testsupport::RunTool("gifsicle --info '" + m_out.Host() + "/anim.gif'");
  EXPECT_NE(info.find("6 images"), std::string::npos) << info;
  EXPECT_NE(info.find("delay 0.05s"), std::string::npos) << info;
  // Offered again next time, from the registry store.
  EXPECT_EQ(uitest::Str(ReadRegistryText(u"RenderFilePath")), uitest::Str(m_out.Program() + u"\\"));
}

TEST_F(ExportDialogTest, StopDuringAnAviLeavesAReadableFileAndCancelWaitsForTheExport) {
  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("ffprobe"), "ffprobe");
  GetMorphProject()->CurrentPair()->SetFrameCount(400);
  m_frames.delayMs = 5;
  CExportAnimationDlg dialog;
  dialog.SetFrameSource(&m_frames);
  QueueRenderTo(m_out.Path(u"movie"));  // no extension: the chosen format's
  std::function<void()> stopAfterSomeFrames = [&] {
    if (m_frames.grabs < 5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      compat::AddModalStep(stopAfterSomeFrames);
      return;
    }
    // Cancel while it runs does nothing.
    ::SendMessageW(dialog.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindowVisible(dialog.m_hWnd));
    EXPECT_TRUE(dialog.IsRendering());
    const POINT stop = Center(::GetDlgItem(dialog.m_hWnd, IDOK));
    compat::host::InjectMouseMove(stop.x, stop.y);
    compat::host::InjectClick(0, stop.x, stop.y);
  };
  compat::AddModalStep(stopAfterSomeFrames);
  // The click plays once the loop takes input again.
  WhenExportEnds(dialog, [&] {
    EXPECT_LT(m_frames.grabs, 400);
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDOK), u"Render");
    QueueKey(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  const int grabbed = m_frames.grabs;
  EXPECT_LT(grabbed, 400);
  const std::string probe = testsupport::RunTool(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 '" +
      m_out.Host() + "/movie.AVI'");
  ASSERT_FALSE(probe.empty()) << "ffprobe could not read the stopped export";
  EXPECT_GT(std::atoi(probe.c_str()), 0);
  EXPECT_LE(std::atoi(probe.c_str()), grabbed);
}

// An AVI that cannot be made (here the compressor choice is cancelled) is
// told, and the dialog shows the export ended at its last frame.
TEST_F(ExportDialogTest, AnAviThatCannotBeMadeEndsAtTheLastFrame) {
  compat::SetAviCompressorChoice(comptypeDIB, 7500, /*cancel=*/true);
  CExportAnimationDlg dialog;
  dialog.SetFrameSource(&m_frames);
  compat::ResetMessageBoxLog();
  QueueRenderTo(m_out.Path(u"movie.avi"));
  WhenExportEnds(dialog, [&] {
    EXPECT_EQ(compat::LastMessageBoxText(), u"Create AVI File Error!");
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDOK), u"Render");
    EXPECT_EQ(ItemText(dialog.m_hWnd, 1013), u"5");
    QueueKey(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(m_frames.grabs, 0);
}

// The file chooser opens in the folder the program last exported to, as
// stored, not in the folder of the file this dialog shows.
TEST_F(ExportDialogTest, SelectOutputFileOpensInTheStoredExportFolder) {
  CExportAnimationDlg dialog;
  dialog.SetFrameSource(&m_frames);
  uitest::HostFolder elsewhere;
  QueueRenderTo(m_out.Path(u"first.gif"));
  WhenExportEnds(dialog, [&] {
    // Meanwhile another window of the program exported elsewhere.
    WriteRegistryText(u"RenderFilePath", elsewhere.Program() + u"\\");
    QueueRenderTo(u"second.gif");
    WhenExportEnds(dialog, [&] { QueueKey(VK_ESCAPE); });
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(std::filesystem::exists(elsewhere.Host() + "/second.gif"));
  EXPECT_FALSE(std::filesystem::exists(m_out.Host() + "/second.gif"));
}

TEST_F(ExportDialogTest, UnsupportedTypeIsRefusedWithAMessageAndTheDialogStays) {
  CExportAnimationDlg dialog;
  dialog.SetFrameSource(&m_frames);
  compat::ResetMessageBoxLog();
  QueueRenderTo(m_out.Path(u"frame.png"));
  QueueCheck([&] {
    EXPECT_EQ(compat::MessageBoxCount(), 1);
    EXPECT_EQ(compat::LastMessageBoxText(), u"Animations cannot be exported to files of this type.");
    EXPECT_FALSE(dialog.IsRendering());
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDOK), u"Render");
    QueueKey(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(m_frames.grabs, 0);
}

// The frame field keeps its range 0..4086: a typed number past it is
// refused, while a number the export itself showed past it neither blocks
// the next Render nor is taken for the user's.
TEST_F(ExportDialogTest, TheFrameFieldKeepsItsRangeButTheExportsOwnNumberNeverBlocksRender) {
  GetMorphProject()->CurrentPair()->SetFrameCount(6000);
  CExportAnimationDlg dialog;
  compat::ResetMessageBoxLog();
  bool asked = false;
  QueueCheck([&] {
    ::SetDlgItemTextW(dialog.m_hWnd, 1013, u"4086");
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.m_nCurrentFrame, 4086u);
    ::SetDlgItemTextW(dialog.m_hWnd, 1013, u"4087");
    EXPECT_FALSE(dialog.UpdateData(TRUE)) << "typed past the range";
    EXPECT_EQ(compat::MessageBoxCount(), 1);
    ::SendMessageW(dialog.m_hWnd, WM_RENDER_PROGRESS, 0, 5000);
    EXPECT_EQ(ItemText(dialog.m_hWnd, 1013), u"5000");
    compat::AddModalStepOnCaption(u"Select Output File", [&](HWND fileDialog) {
      asked = true;
      ::PostMessageW(fileDialog, WM_COMMAND, IDCANCEL, 0);
    });
    ::SendMessageW(dialog.m_hWnd, WM_COMMAND, IDOK, 0);  // Render
    EXPECT_TRUE(asked) << "Render went on to ask for the file";
    EXPECT_EQ(compat::MessageBoxCount(), 1) << "no range message for the export's own number";
    ::SetFocus(::GetDlgItem(dialog.m_hWnd, IDOK));
    QueueKey(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

// A full disk through the dialog: one message naming the file, the dialog
// ready for another try (Render, no frame number, the chosen file), and an
// empty folder.
TEST_F(ExportDialogTest, GifAndStillsIntoAFullDiskAreToldAndTheDialogIsReadyAgain) {
  if (!testsupport::InPrivateMounts()) return;
  testsupport::SmallDisk disk(256 * 1024);
  ASSERT_TRUE(disk.Mounted());
  disk.Fill();
  const CString folder(compat::FromHostPath(disk.Path()).c_str());
  for (const char16_t* name : {u"anim.gif", u"frame.bmp"}) {
    SCOPED_TRACE(CString(name) == u"anim.gif" ? "gif" : "stills");
    compat::ResetMessageBoxLog();
    const CString chosen = folder + u"\\" + name;
    // Paths the user reads are written as the desktop writes them.
    const std::string hostName(CString(name) == u"anim.gif" ? "anim.gif" : "frame.bmp");
    const std::u16string shownChosen = compat::Utf8ToUtf16(disk.File(hostName));
    const std::u16string shownFailed = compat::Utf8ToUtf16(disk.File(hostName == "anim.gif" ? hostName : "frame0.bmp"));
    const std::u16string text =
        std::u16string(CString(name) == u"anim.gif" ? u"Create GIF File Error!\n" : u"Create BMP File Error!\n") +
        shownFailed;
    CExportAnimationDlg dialog;
    dialog.SetFrameSource(&m_frames);
    QueueRenderTo(chosen);
    WhenExportEnds(dialog, [&] {
      EXPECT_EQ(compat::MessageBoxCount(), 1);
      EXPECT_EQ(compat::LastMessageBoxText(), text);
      EXPECT_EQ(ItemText(dialog.m_hWnd, IDOK), u"Render");
      // The GIF ends unfinished: no number, the chosen file. The stills are
      // skipped one by one and the export runs to its last frame.
      const bool gif = hostName == "anim.gif";
      EXPECT_EQ(ItemText(dialog.m_hWnd, 1013), gif ? u"0" : u"5");
      EXPECT_EQ(ItemText(dialog.m_hWnd, 1012), gif ? shownChosen : compat::Utf8ToUtf16(disk.File("frame5.bmp")));
      QueueKey(VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(disk.Path())) files += entry.path().filename() != ".filler";
    EXPECT_EQ(files, 0u);
  }
}

TEST_F(ExportDialogTest, ChineseSystemsReadTheButtonInChinese) {
  const char* lang = std::getenv("LANG");
  const std::string saved = lang ? lang : "";
  setenv("LANG", "zh_CN.UTF-8", 1);
  CExportAnimationDlg dialog;
  QueueCheck([&] {
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDOK), u"渲染");
    QueueKey(VK_ESCAPE);
  });
  dialog.DoModal();
  if (lang)
    setenv("LANG", saved.c_str(), 1);
  else
    unsetenv("LANG");
}

}  // namespace
