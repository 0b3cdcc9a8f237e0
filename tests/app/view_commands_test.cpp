// The view's commands as a user reaches them: through the frame's command
// routing, with their enabled and checked states from the update handlers,
// and Export Current Frame through its save dialog.
#include "imaging/image_file.h"
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/project/undo_history.h"
#include "res/resource.h"
#include "support/small_disk.h"
#include "support/tool_runner.h"
#include "workflow_test_support.h"

namespace {

using apptest::Bytes;
using apptest::fs::path;

class ViewCommands : public apptest::Workflow {
 protected:
  CString Picture(const char* name, DWORD rgb) {
    constexpr int w = 64, h = 48;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | (x < 32 ? rgb : 0x10E010 + y);
    const CString file(apptest::Program(path(m_temp) / name));
    CImageFile writer;
    EXPECT_TRUE(writer.Save(file, 0, 0, w, h, pixels.data(), 0));
    return file;
  }
  void OpenPair() {
    Start();
    Frame()->ShowWindow(SW_MAXIMIZE);
    Project()->SetOutputSize(64, 48);
    CMorphPair* pair = Project()->CurrentPair();
    pair->SetSourceImage(Picture("a.bmp", 0xC02020));
    pair->SetTargetImage(Picture("b.bmp", 0x2040C0));
    View()->RefreshPanes();
    Idle();
    Command(ID_MODE_FEATURE_LINE);
  }
  int SourceWidth() {
    CRect rect;
    View()->SourcePane()->GetWindowRect(&rect);
    return rect.Width();
  }
  // Export Current Frame to `file`, the true-colour box ticked when asked and
  // the type list moved down `typeSteps` entries from BMP with the keyboard.
  // A message box expected afterwards is answered and noted in `seen`.
  void ExportFrame(const std::string& file, bool trueColor = false, std::u16string* seen = nullptr,
                   int typeSteps = 0) {
    const std::u16string name = apptest::Program(file);
    compat::AddModalStepOnCaption(u"Select Image File", [this, name, trueColor, seen, typeSteps](HWND dialog) {
      ::SetFocus(::GetDlgItem(dialog, cmb1));
      for (int i = 0; i < typeSteps; ++i) compat::host::InjectKeyPress(VK_DOWN);
      ::SetDlgItemTextW(dialog, edt1, name.c_str());
      ::SetFocus(::GetDlgItem(dialog, edt1));
      if (trueColor)
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
          if (HWND box = ::GetDlgItem(child, 1230)) ::SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
      compat::host::InjectKeyPress(VK_RETURN);
      if (seen) AnswerMessageBox(seen);
    });
    Command(ID_EXPORT_CURRENT_FRAME);
  }
  // The frames written above, as independent readers see them.
  void ExpectReadByTheTools() {
    using testsupport::RunTool;
    CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("identify") && testsupport::HaveTool("jpeginfo") &&
                              testsupport::HaveTool("tgatoppm") && testsupport::HaveTool("gifsicle"),
                          "identify, jpeginfo, tgatoppm or gifsicle");
    const auto quoted = [this](const char* name) { return " '" + Temp(name) + "'"; };
    const std::string palette = RunTool("identify -verbose" + quoted("frame.bmp"));
    EXPECT_NE(palette.find("Class: PseudoClass"), std::string::npos) << palette;
    EXPECT_NE(palette.find("Colormap entries: 256"), std::string::npos) << palette;
    const std::string trueColor = RunTool("identify -format '%r|%z|%wx%h'" + quoted("true.bmp"));
    EXPECT_NE(trueColor.find("DirectClass"), std::string::npos) << trueColor;
    EXPECT_NE(trueColor.find("|8|64x48"), std::string::npos) << "8 bits a channel: " << trueColor;
    int status = -1;
    const std::string jpeg = RunTool("jpeginfo -c" + quoted("frame.jpg"), &status);
    EXPECT_EQ(status, 0) << jpeg;
    EXPECT_NE(jpeg.find("OK"), std::string::npos) << jpeg;
    EXPECT_EQ(RunTool("identify -format '%Q'" + quoted("frame.jpg")), "75");
    EXPECT_EQ(RunTool("tgatoppm" + quoted("frame.tga") + " | head -2"), "P6\n64 48\n");
    const std::string gif = RunTool("gifsicle --info" + quoted("frame.gif"));
    EXPECT_NE(gif.find("1 image"), std::string::npos) << gif;
    EXPECT_EQ(gif.find("loop"), std::string::npos) << "no loop block: " << gif;
  }
  static int BmpBits(const Bytes& bytes) { return bytes.size() > 30 ? static_cast<unsigned char>(bytes[28]) : -1; }
};

TEST_F(ViewCommands, PlayingDisablesTheCommandsAndTheModesGateTheTools) {
  OpenPair();
  for (UINT id : {ID_EDIT_UNDO, ID_FILE_NEW, ID_FILE_OPEN, ID_IMPORT_SOURCE, ID_EXPORT_CURRENT_FRAME, ID_EXPORT_ANIMATION,
                  ID_SWAP_SOURCE_TARGET, ID_MORPHER_SETUP, ID_SET_OUTPUT_SIZE})
    EXPECT_TRUE(Enabled(id)) << id;
  View()->PreviewWindow()->m_timeLineBar.m_bPlaying = 1;
  for (UINT id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_FILE_NEW, ID_FILE_OPEN, ID_IMPORT_SOURCE, ID_IMPORT_TARGET,
                  ID_EXPORT_CURRENT_FRAME, ID_EXPORT_ANIMATION, ID_SWAP_SOURCE_TARGET, ID_MODE_IMAGE_PROCESS,
                  ID_MORPHER_SETUP, ID_SET_OUTPUT_SIZE, ID_LOAD_SAMPLE})
    EXPECT_FALSE(Enabled(id)) << id;
  View()->PreviewWindow()->m_timeLineBar.m_bPlaying = 0;
  EXPECT_TRUE(Enabled(ID_EDIT_UNDO));

  Command(ID_MODE_FEATURE_LINE);
  EXPECT_TRUE(Enabled(ID_LINE_CREATE));
  EXPECT_TRUE(Enabled(ID_DELETE_CURRENT_POINT));
  EXPECT_FALSE(Enabled(ID_FIGURE_NEW));
  Command(ID_MODE_IMAGE_PROCESS);
  EXPECT_EQ(Project()->GetEditMode(), kEditImageProcess);
  EXPECT_FALSE(Enabled(ID_LINE_EDIT));
  EXPECT_FALSE(Enabled(ID_DELETE_CURRENT_POINT));
}

TEST_F(ViewCommands, PointDeletePressedTwiceReturnsToTheToolBefore) {
  OpenPair();
  Command(ID_LINE_CREATE);
  EXPECT_EQ(GetLineTool(), kLineToolNewLine);
  Command(ID_LINE_POINT_DELETE);
  EXPECT_EQ(GetLineTool(), kLineToolPointDelete);
  Command(ID_LINE_POINT_DELETE);
  EXPECT_EQ(GetLineTool(), kLineToolNewLine);
  // With the line-edit button checked the way back is to line edit.
  Frame()->m_wndToolBar.SendMessage(TB_CHECKBUTTON, ID_LINE_EDIT, MAKELPARAM(TRUE, 0));
  EXPECT_TRUE(ButtonChecked(ID_LINE_EDIT));
  Command(ID_LINE_POINT_DELETE);
  EXPECT_TRUE(ButtonChecked(ID_LINE_EDIT));
  Command(ID_LINE_POINT_DELETE);
  EXPECT_EQ(GetLineTool(), kLineToolEdit);
}

TEST_F(ViewCommands, OnlyOnePanePressedTwiceReturnsToTheOldSplit) {
  OpenPair();
  CImageViewDlg* source = View()->SourcePane();
  CImageViewDlg* target = View()->TargetPane();
  const int split = SourceWidth();
  ASSERT_GT(split, 0);
  EXPECT_EQ(MenuCheck(ID_ONLY_SOURCE), 0);

  compat::host::InjectKeyPress(VK_F11);
  Idle();
  EXPECT_TRUE(source->IsWindowVisible());
  EXPECT_FALSE(target->IsWindowVisible());
  EXPECT_GT(SourceWidth(), split) << "the source fills the view";
  EXPECT_EQ(MenuCheck(ID_ONLY_SOURCE), 1);
  compat::host::InjectKeyPress(VK_F11);
  Idle();
  EXPECT_TRUE(target->IsWindowVisible());
  EXPECT_EQ(SourceWidth(), split);

  compat::host::InjectKeyPress(VK_F12);
  Idle();
  EXPECT_FALSE(source->IsWindowVisible());
  EXPECT_TRUE(target->IsWindowVisible());
  EXPECT_EQ(MenuCheck(ID_ONLY_TARGET), 1);
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_only_target").c_str()));
  compat::host::InjectKeyPress(VK_F12);
  Idle();
  EXPECT_TRUE(source->IsWindowVisible());
  EXPECT_TRUE(target->IsWindowVisible());
  EXPECT_EQ(SourceWidth(), split);
}

TEST_F(ViewCommands, ZoomStopsAtItsLimitsAndActualSizeReturnsToOne) {
  OpenPair();
  for (int i = 0; i < 100 && Enabled(ID_ZOOM_IN); ++i) Command(ID_ZOOM_IN);
  EXPECT_FALSE(Enabled(ID_ZOOM_IN));
  EXPECT_FLOAT_EQ(Project()->CurrentPair()->GetTargetSlot()->GetZoom(), 4.0f);
  for (int i = 0; i < 100 && Enabled(ID_ZOOM_OUT); ++i) Command(ID_ZOOM_OUT);
  EXPECT_FALSE(Enabled(ID_ZOOM_OUT));
  EXPECT_TRUE(Enabled(ID_ZOOM_IN));
  Command(ID_ZOOM_ACTUAL);
  EXPECT_FLOAT_EQ(Project()->CurrentPair()->GetSourceSlot()->GetZoom(), 1.0f);
}

TEST_F(ViewCommands, SwapExchangesPicturesAndLinesAndUndoRedoFollowAnEdit) {
  OpenPair();
  CMorphPair* pair = Project()->CurrentPair();
  const CString source = pair->GetSourceSlot()->m_path, target = pair->GetTargetSlot()->m_path;
  CComandmanger::Get()->Clear();
  SetLineTool(kLineToolNewLine);
  for (POINT p : {POINT{10, 10}, POINT{30, 20}, POINT{30, 20}}) {
    View()->SourcePane()->ClientToScreen(&p);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
  }
  Idle();
  ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), 1);
  CtrlKey('Z');
  Idle();
  EXPECT_EQ(pair->GetSourceLines()->GetLineCount(), 0) << "Ctrl+Z undid the line";
  EXPECT_TRUE(Enabled(ID_EDIT_REDO));
  Command(ID_EDIT_REDO);
  EXPECT_EQ(pair->GetSourceLines()->GetLineCount(), 1) << "Redo brought it back";

  pair->GetTargetLines()->PointAt(0, 0)->x = 5.0f;
  const float sourceX = pair->GetSourceLines()->PointAt(0, 0)->x;
  // The source's left half, darkened: both go along with the picture.
  pair->GetSourceSlot()->m_clip = RECT{0, 0, 32, 48};
  pair->GetSourceSlot()->m_adjust.brightness = -50.0f;
  pair->ReloadImages();
  const DWORD darkened = pair->GetSourceSlot()->GetPixels()[0];
  SetDocumentModified(FALSE);
  Command(ID_SWAP_SOURCE_TARGET);
  EXPECT_EQ(pair->GetSourceSlot()->m_path.Native(), target.Native());
  EXPECT_EQ(pair->GetTargetSlot()->m_path.Native(), source.Native());
  EXPECT_FLOAT_EQ(pair->GetSourceLines()->PointAt(0, 0)->x, 5.0f);
  EXPECT_FLOAT_EQ(pair->GetTargetLines()->PointAt(0, 0)->x, sourceX);
  EXPECT_EQ(pair->GetTargetSlot()->GetPixelSize().cx, 32);
  EXPECT_EQ(pair->GetTargetSlot()->GetPixels()[0], darkened);
  EXPECT_EQ(pair->GetSourceSlot()->GetPixelSize().cx, 64);
  EXPECT_TRUE(GetMainDocument()->IsModified());
  Command(ID_EDIT_UNDO);
  EXPECT_EQ(pair->GetSourceSlot()->m_path.Native(), source.Native());
  EXPECT_EQ(pair->m_targetPath.Native(), target.Native());
  EXPECT_FLOAT_EQ(pair->GetSourceLines()->PointAt(0, 0)->x, sourceX);
  EXPECT_EQ(pair->GetSourceSlot()->GetPixels()[0], darkened);
  EXPECT_EQ(pair->GetTargetSlot()->GetPixelSize().cx, 64);
  Command(ID_EDIT_REDO);
  EXPECT_EQ(pair->GetTargetSlot()->m_clip.right, 32);
  EXPECT_EQ(pair->GetTargetSlot()->GetPixels()[0], darkened);
}

TEST_F(ViewCommands, ExportCurrentFrameWritesEachTypeAndReportsFailures) {
  OpenPair();
  Project()->CurrentPair()->m_fadeIn = 0;  // frame 0 shows the source picture, not the background alone
  ExportFrame(Temp("frame.bmp"));
  EXPECT_EQ(BmpBits(apptest::ReadBytes(Temp("frame.bmp"))), 8) << "a palette picture without the option";
  ExportFrame(Temp("plain"));
  EXPECT_EQ(BmpBits(apptest::ReadBytes(Temp("plain.BMP"))), 8) << "a name without an ending is a BMP";
  // With another type chosen, the name takes that type's ending and format.
  ExportFrame(Temp("typed"), false, nullptr, 1);
  const Bytes typed = apptest::ReadBytes(Temp("typed.JPG"));
  ASSERT_GT(typed.size(), 2u) << "typed.JPG";
  EXPECT_EQ(static_cast<unsigned char>(typed[0]), 0xFF);
  EXPECT_FALSE(apptest::fs::exists(Temp("typed.BMP")));
  ExportFrame(Temp("true.bmp"), true);
  EXPECT_EQ(BmpBits(apptest::ReadBytes(Temp("true.bmp"))), 24);
  ExportFrame(Temp("frame.jpg"));
  const Bytes jpg = apptest::ReadBytes(Temp("frame.jpg"));
  ASSERT_GT(jpg.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(jpg[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(jpg[1]), 0xD8);
  ExportFrame(Temp("frame.tga"));
  CImageFile tga;
  LONG w = 0, h = 0;
  ASSERT_TRUE(tga.Open(CString(apptest::Program(Temp("frame.tga")))));
  ASSERT_TRUE(tga.GetSize(&w, &h));
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  ExportFrame(Temp("frame.gif"));
  const Bytes gif = apptest::ReadBytes(Temp("frame.gif"));
  ASSERT_GT(gif.size(), 6u);
  EXPECT_EQ(std::string(gif.data(), 3), "GIF");
  EXPECT_EQ(std::string(gif.begin(), gif.end()).find("NETSCAPE"), std::string::npos) << "one frame, no loop block";
  EXPECT_EQ(apptest::ReadBytes(Temp("frame.gif")).back(), ';');

  ExpectReadByTheTools();
  // A file that cannot be made: a message for each kind of writer, and the main window usable after.
  for (const char* name : {"frame.gif", "frame.bmp", "frame.jpg"}) {
    std::u16string seen;
    ExportFrame(std::string("/proc/") + name, false, &seen);
    EXPECT_EQ(seen, u"shown") << name;
    EXPECT_TRUE(Frame()->IsWindowEnabled()) << name;
  }
}

// A disk that fills while the frame is written: the user is told, the
// earlier file of that name is kept, and nothing partial is left beside it.
TEST_F(ViewCommands, ExportCurrentFrameIntoAFullDiskKeepsTheEarlierFile) {
  OpenPair();
  const Bytes earlier{'o', 'l', 'd'};
  const char* names[] = {"frame.bmp", "frame.gif", "frame.jpg", "frame.tga"};
  for (const char* name : names) apptest::WriteBytes(Temp(name), earlier);
  const auto entries = [this] {
    size_t count = 0;
    for (const auto& entry : apptest::fs::directory_iterator(m_temp)) count += entry.is_regular_file();
    return count;
  };
  const size_t before = entries();
  for (const char* name : names) {
    std::u16string seen;
    const std::u16string file = apptest::Program(Temp(name));
    compat::AddModalStepOnCaption(u"Select Image File", [this, file, &seen](HWND dialog) {
      ::SetDlgItemTextW(dialog, edt1, file.c_str());
      compat::host::InjectKeyPress(VK_RETURN);
      // "Do you want to replace it?": yes.
      compat::AddModalStepOnCaption(u"Select Image File", [](HWND) { compat::host::InjectKeyPress(VK_RETURN); });
      AnswerMessageBox(&seen);
    });
    {
      testsupport::FileSizeLimit limit(512);
      Command(ID_EXPORT_CURRENT_FRAME);
    }
    EXPECT_EQ(seen, u"shown") << name;
    EXPECT_EQ(apptest::ReadBytes(Temp(name)), earlier) << name;
    EXPECT_TRUE(Frame()->IsWindowEnabled()) << name;
  }
  EXPECT_EQ(entries(), before) << "no temporary file is left";
}

TEST_F(ViewCommands, F1OpensTheHelpPageBesideTheProgram) {
  apptest::StubOpener opener(m_temp);
  const path page = apptest::ProgramFolder() / "Help" / "Calvetta" / "index.html";
  const bool madePage = !apptest::fs::exists(page);
  if (madePage) apptest::WriteBytes(page, Bytes{'<', 'p', '>'});

  OpenPair();
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F1);
  Idle();
  EXPECT_EQ(opener.Opened(1), std::vector<std::string>{page.string()});

  if (madePage) apptest::fs::remove_all(apptest::ProgramFolder() / "Help");
}

// The pages the build puts beside the program link only to each other's files.
TEST(HelpPages, EveryLinkResolves) {
  const path folder = apptest::ProgramFolder() / "Help" / "Calvetta";
  ASSERT_TRUE(apptest::fs::exists(folder / "index.html"));
  int links = 0, pictures = 0;
  for (const auto& entry : apptest::fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".html") continue;
    const Bytes bytes = apptest::ReadBytes(entry.path());
    const std::string text(bytes.begin(), bytes.end());
    // Links and the pages' screenshots alike.
    for (const std::string attribute : {"href=\"", "src=\""})
      for (size_t at = text.find(attribute); at != std::string::npos; at = text.find(attribute, at + 1)) {
        const size_t start = at + attribute.size(), end = text.find('"', start);
        const std::string target = text.substr(start, end - start);
        EXPECT_TRUE(apptest::fs::exists(folder / target)) << entry.path().filename() << " -> " << target;
        ++(attribute[0] == 's' ? pictures : links);
      }
  }
  EXPECT_GT(links, 10);
  EXPECT_GE(pictures, 4) << "the screenshots of the main window, panel, preview and export";
}

}  // namespace
