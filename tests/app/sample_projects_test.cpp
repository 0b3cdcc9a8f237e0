// The sample projects the build writes into the program folder, as a
// newcomer meets them: picked in the Load Sample dialog, opened without a
// message with every picture found, shown in the preview, and exported as
// an AVI and an animated GIF that independent tools read.
#include <chrono>
#include <set>
#include <thread>

#include "editor_test_support.h"
#include "render/d3d_renderer.h"
#include "res/resource.h"
#include "support/small_disk.h"
#include "support/tool_runner.h"

namespace apptest {
namespace {

using testsupport::HaveTool;
using testsupport::RunTool;

class SampleProjects : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    CopySamples();
    Start();
    Frame()->ShowWindow(SW_MAXIMIZE);
    Idle();
  }
  static std::vector<std::u16string> SampleNames() {
    std::vector<std::u16string> names;
    for (const auto& entry : fs::directory_iterator(ProgramFolder() / "Sample"))
      names.push_back(Program(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }
  // Picks `name` in the Load Sample dialog and presses OK.
  void LoadSample(const std::u16string& name) {
    compat::AddModalStepOnTemplate(IDD_LOAD_SAMPLE, [name](HWND dialog) {
      HWND list = ::GetDlgItem(dialog, 908);
      const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        char16_t text[1024] = {};
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        if (std::u16string(text).ends_with(u"/" + name)) ::SendMessageW(list, LB_SETCURSEL, i, 0);
      }
      ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    Frame()->SendMessage(WM_COMMAND, ID_LOAD_SAMPLE);
    Idle();
  }
  // Distinct colours the preview shows: a rendered picture has many.
  size_t PreviewColours() {
    CWnd& preview = View()->PreviewWindow()->m_preview;
    CRect client;
    preview.GetClientRect(&client);
    preview.ClientToScreen(&client);
    auto surface = compat::host::DesktopSurface();
    std::set<uint32_t> colours;
    for (int y = std::max<int>(client.top, 0); y < client.bottom && y < 768; ++y)
      for (int x = std::max<int>(client.left, 0); x < client.right && x < 1024; ++x)
        colours.insert(surface->Row(y)[x] & 0xFFFFFF);
    return colours.size();
  }
  // Export Animation to `file`; returns once the export has ended.
  void ExportAnimation(const std::string& file) {
    const std::u16string name = Program(file);
    const std::string total = std::to_string(Project()->GetTotalFrames() - 1);
    compat::AddModalStepOnTemplate(IDD_EXPORT, [name, file, total](HWND dialog) {
      compat::AddModalStepOnCaption(u"Select Output File", [name](HWND chooser) {
        ::SetDlgItemTextW(chooser, edt1, name.c_str());
        compat::host::InjectKeyPress(VK_RETURN);
      });
      WhenEnded(dialog, file, total);
      compat::host::InjectKeyPress(VK_RETURN);  // "Render"
    });
    Frame()->SendMessage(WM_COMMAND, ID_EXPORT_ANIMATION);
    Idle();
  }
  // Closes the export dialog once its last frame is counted and Render shows again.
  static void WhenEnded(HWND dialog, const std::string& file, const std::string& total) {
    compat::AddModalStep([dialog, file, total] {
      char16_t button[64] = {}, frame[64] = {};
      ::GetDlgItemTextW(dialog, IDOK, button, 64);
      ::GetDlgItemTextW(dialog, 1013, frame, 64);
      if (fs::exists(file) && std::u16string(button) == u"Render" && std::u16string(frame) == Program(total)) {
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      WhenEnded(dialog, file, total);
    });
  }
  // Closes the export dialog once the user was told and it is ready again:
  // Render, and the frame number it ended on.
  static void WhenToldAndReady(HWND dialog, int before, const std::u16string& shownFrame) {
    compat::AddModalStep([dialog, before, shownFrame] {
      char16_t button[64] = {}, frame[64] = {};
      ::GetDlgItemTextW(dialog, IDOK, button, 64);
      ::GetDlgItemTextW(dialog, 1013, frame, 64);
      if (compat::MessageBoxCount() > before && std::u16string(button) == u"Render" && std::u16string(frame) == shownFrame) {
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      WhenToldAndReady(dialog, before, shownFrame);
    });
  }
  static int ProbeFrames(const std::string& file) {
    return std::atoi(RunTool("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                             "stream=nb_read_frames -of csv=p=0 '" + file + "'").c_str());
  }
};

TEST_F(SampleProjects, EachOpensWithEveryPictureAndShowsInThePreview) {
  const std::vector<std::u16string> names = SampleNames();
  ASSERT_GE(names.size(), 3u);
  for (const std::u16string& name : names) {
    SCOPED_TRACE(compat::Utf16ToUtf8(name));
    compat::ResetMessageBoxLog();
    LoadSample(name);
    EXPECT_EQ(compat::MessageBoxCount(), 0) << compat::Utf16ToUtf8(compat::LastMessageBoxText());
    EXPECT_EQ(Title().Native(), name + u" - Calvetta");
    ASSERT_GE(Project()->GetPairCount(), 2);
    for (int i = 0; i < Project()->GetPairCount(); ++i) {
      CMorphPair* pair = Project()->PairAt(i);
      EXPECT_TRUE(pair->GetSourceSlot()->HasPicture()) << "pair " << i;
      EXPECT_TRUE(pair->GetTargetSlot()->HasPicture()) << "pair " << i;
      EXPECT_GT(pair->GetSourceLines()->GetLineCount(), 0) << "pair " << i;
    }
    // The preview takes the sample's output aspect, and the on-screen frame
    // is fitted into the preview's client area (not cropped from a larger one).
    SIZE output;
    Project()->GetOutputSize(output);
    CRect client;
    View()->PreviewWindow()->m_preview.GetClientRect(&client);
    EXPECT_NEAR(client.Width() * output.cy, client.Height() * output.cx, output.cx + output.cy);
    ASSERT_TRUE(GetRenderer());
    const RECT& fitted = GetRenderer()->m_viewRect;
    EXPECT_EQ(fitted.right - fitted.left, client.Width());
    EXPECT_EQ(fitted.bottom - fitted.top, client.Height());
    // The frame the sample opens on shows both pictures blending.
    EXPECT_EQ(Project()->GetCurrentIndex(), 0);
    EXPECT_GT(PreviewColours(), 200u) << "the preview shows no picture";
    std::string png = "sample_" + compat::Utf16ToUtf8(name.substr(0, name.find(u'.')));
    std::replace(png.begin(), png.end(), ' ', '_');
    EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath(png).c_str()));
  }
}

// One sample a case, so that each stays well inside the modal-loop watchdog.
class SampleExport : public SampleProjects, public ::testing::WithParamInterface<const char16_t*> {};

TEST_P(SampleExport, ExportsAnAviAndAGifThatOtherToolsRead) {
  CALVETTA_REQUIRE_TOOL(HaveTool("ffprobe") && HaveTool("gifsicle"), "ffprobe or gifsicle");
  const std::u16string name = GetParam();
  ASSERT_TRUE(fs::exists(ProgramFolder() / "Sample" / compat::Utf16ToUtf8(name)));
  LoadSample(name);
  ASSERT_EQ(Title().Native(), name + u" - Calvetta");
  const int frames = Project()->GetTotalFrames();
  ExportAnimation(Temp("sample.avi"));
  EXPECT_EQ(ProbeFrames(Temp("sample.avi")), frames);
  ExportAnimation(Temp("sample.gif"));
  const std::string info = RunTool("gifsicle --info '" + Temp("sample.gif") + "'");
  EXPECT_NE(info.find(std::to_string(frames) + " images"), std::string::npos) << info;
  EXPECT_FALSE(Project()->IsBusy());
}

// A sample exported into a full 256 KB disk in each kind the dialog can be
// given: one message each, the dialog ready again, and no file left, not
// even an empty one.
TEST_F(SampleProjects, ExportsIntoAFullDiskTellOnceForEachKindAndLeaveNoFile) {
  if (!testsupport::InPrivateMounts()) return;
  LoadSample(u"Shapes.pvk");
  testsupport::SmallDisk disk(256 * 1024);
  ASSERT_TRUE(disk.Mounted());
  disk.Fill();
  compat::SetRealMessageBoxes(false);  // the render thread's messages are logged, not waited for
  for (const char* name : {"movie.avi", "anim.gif", "still.bmp", "still.tga", "movie.swf", "still.jpg"}) {
    SCOPED_TRACE(name);
    const int before = compat::MessageBoxCount();
    const std::u16string file = Program(disk.File(name));
    // An AVI that cannot be opened and stills, each skipped, end at the last
    // frame; the others are ready for another try at 0.
    const std::string kind(name);
    const bool ends = kind.ends_with(".avi") || kind.ends_with(".bmp") || kind.ends_with(".tga");
    const std::u16string shownFrame = ends ? compat::Utf8ToUtf16(std::to_string(Project()->GetTotalFrames() - 1)) : u"0";
    compat::AddModalStepOnTemplate(IDD_EXPORT, [file, before, shownFrame](HWND dialog) {
      compat::AddModalStepOnCaption(u"Select Output File", [file](HWND chooser) {
        ::SetDlgItemTextW(chooser, edt1, file.c_str());
        compat::host::InjectKeyPress(VK_RETURN);
      });
      WhenToldAndReady(dialog, before, shownFrame);
      compat::host::InjectKeyPress(VK_RETURN);  // "Render"
    });
    Frame()->SendMessage(WM_COMMAND, ID_EXPORT_ANIMATION);
    Idle();
    EXPECT_EQ(compat::MessageBoxCount() - before, 1) << compat::Utf16ToUtf8(compat::LastMessageBoxText());
    for (const auto& entry : fs::directory_iterator(disk.Path()))
      EXPECT_EQ(entry.path().filename(), ".filler") << "left behind: " << entry.path();
  }
  EXPECT_FALSE(Project()->IsBusy());
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleExport, ::testing::Values(u"Day and Night.pvk", u"Shapes.pvk", u"Textures.pvk"));

}  // namespace
}  // namespace apptest
