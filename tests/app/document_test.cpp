// New, Open and Save of a project through the framework's dialogs and the
// command line, and what a refused file or a failed save leaves behind.
#include <sys/stat.h>

#include "editor_test_support.h"
#include "imaging/image_file.h"
#include "model/project/project_links.h"
#include "model/raster/fill_style.h"
#include "res/resource.h"

namespace apptest {
namespace {

class Documents : public EditorTest {
 protected:
  // A user choosing `path` in the framework's file dialog of this caption.
  void QueueDialog(const char16_t* caption, const std::string& path) {
    const std::u16string name = Program(path);
    compat::AddModalStepOnCaption(caption, [name](HWND dialog) { ::SetDlgItemTextW(dialog, edt1, name.c_str()); });
    dlgtest::QueueKey(VK_RETURN);
  }
  void Command(UINT id) {
    Frame()->SendMessage(WM_COMMAND, id);
    Idle();
  }
  void Open(const std::string& path) {
    QueueDialog(u"Open", path);
    Command(ID_FILE_OPEN);
  }
  void SaveAs(const std::string& path) {
    QueueDialog(u"Save As", path);
    Command(ID_FILE_SAVE_AS);
  }
  // The next message box, answered with this button.
  void Answer(int button) {
    compat::AddModalStepOnCaption(u"Calvetta", [button](HWND box) { ::PostMessageW(box, WM_COMMAND, button, 0); });
  }
  static std::u16string LastMessage() { return compat::LastMessageBoxText(); }
  // Two pairs, saved as `path`.
  void SaveTwoPairs(const std::string& path) {
    Project()->InsertPair();
    SaveAs(path);
    ASSERT_TRUE(fs::exists(path));
  }
  BOOL Modified() { return GetMainDocument()->IsModified(); }
};

TEST_F(Documents, NewOpenAndSaveAsKeepAnUneditedProjectByteForByte) {
  Start();
  SaveTwoPairs(Temp("first.pvk"));
  EXPECT_EQ(Title().Native(), u"first.pvk - Calvetta");
  EXPECT_FALSE(Modified());
  Frame()->SendMessage(WM_COMMAND, ID_FILE_NEW);
  EXPECT_EQ(Title().Native(), u"Untitled - Calvetta");
  EXPECT_EQ(Project()->GetPairCount(), 1);
  Open(Temp("first.pvk"));
  EXPECT_EQ(Project()->GetPairCount(), 2);
  EXPECT_EQ(Title().Native(), u"first.pvk - Calvetta");
  SaveAs(Temp("again.pvk"));
  EXPECT_EQ(ReadBytes(Temp("again.pvk")), ReadBytes(Temp("first.pvk")));
}

// A project opens as it was saved whatever output size the open project has:
// its outlines and lines are not laid out again for the size being left.
TEST_F(Documents, AProjectOpensAsSavedWhileAnotherOutputSizeIsOpen) {
  Start();
  Project()->SetOutputSize(640, 480);
  std::vector<DWORD> pixels(100 * 80, 0xFF4080C0);
  const CString picture(Program(Temp("p.bmp")).c_str());
  ASSERT_TRUE(CImageFile().Save(picture, 0, 0, 100, 80, pixels.data(), 0));
  CMorphPair* pair = Project()->CurrentPair();
  pair->SetSourceImage(picture);
  pair->SetTargetImage(picture);
  for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()}) {
    slot->GetShape()->AppendPoint(CVector2(100, 100), nullptr);
    slot->GetLines()->GetLines().Add(new CFeatureLine);
    slot->GetLines()->LineAt(0)->AddPoint(CVector2(600, 420));
  }
  SaveAs(Temp("large.pvk"));
  Command(ID_FILE_NEW);
  Project()->SetOutputSize(320, 240);
  Open(Temp("large.pvk"));
  pair = Project()->CurrentPair();
  for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()}) {
    ASSERT_EQ(slot->GetShape()->GetPointCount(), 1);
    EXPECT_EQ(slot->GetShape()->NodeAt(0).point.y, 100.0f);
    EXPECT_EQ(slot->GetLines()->LineAt(0)->PointAt(0)->x, 600.0f);
  }
  SaveAs(Temp("again.pvk"));
  EXPECT_EQ(ReadBytes(Temp("again.pvk")), ReadBytes(Temp("large.pvk")));
}

TEST_F(Documents, ARefusedFileLeavesTheOpenProjectTitleFileAndFlagAlone) {
  Start();
  SaveTwoPairs(Temp("good.pvk"));
  Project()->InsertPair();  // three pairs now, not saved
  ASSERT_TRUE(Modified());
  const Bytes saved = ReadBytes(Temp("good.pvk"));
  Bytes damaged = saved;
  damaged.resize(damaged.size() / 2);
  WriteBytes(Temp("bad.pvk"), damaged);
  QueueDialog(u"Open", Temp("bad.pvk"));
  Answer(IDNO);  // "Save changes ...?"
  Answer(IDOK);
  Command(ID_FILE_OPEN);
  EXPECT_EQ(LastMessage(), u"Failed to open document.");
  EXPECT_EQ(Project()->GetPairCount(), 3);
  EXPECT_EQ(Title().Native(), u"good.pvk - Calvetta");
  EXPECT_TRUE(Modified());
  EXPECT_EQ(ReadBytes(Temp("bad.pvk")), damaged);
  EXPECT_EQ(ReadBytes(Temp("good.pvk")), saved);
  // The next Save writes the project that stayed open, to its own file.
  Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE);
  EXPECT_FALSE(Modified());
  Frame()->SendMessage(WM_COMMAND, ID_FILE_NEW);
  Open(Temp("good.pvk"));
  EXPECT_EQ(Project()->GetPairCount(), 3);
}

// A picture whose reads fail (a failing disk or mount) is one the editor
// cannot read: said as for any unreadable picture, and the project opens.
TEST_F(Documents, APictureWithAReadErrorIsReportedAndItsProjectOpens) {
  Start();
  std::vector<DWORD> pixels(16 * 16, 0xFF4080C0);
  const CString picture(Program(Temp("p.bmp")).c_str());
  ASSERT_TRUE(CImageFile().Save(picture, 0, 0, 16, 16, pixels.data(), 0));
  Project()->CurrentPair()->SetSourceImage(picture);
  CFillStyle fill;
  fill.type = 2;  // a picture
  fill.SetPatternImage(picture);
  Project()->SetBackground(fill);
  SaveAs(Temp("pictures.pvk"));
  const Bytes saved = ReadBytes(Temp("pictures.pvk"));
  Command(ID_FILE_NEW);
  SaveTwoPairs(Temp("good.pvk"));
  const Bytes good = ReadBytes(Temp("good.pvk"));
  // Reads of this process's memory at address 0 fail with an I/O error.
  fs::remove(Temp("p.bmp"));
  fs::create_symlink("/proc/self/mem", Temp("p.bmp"));
  compat::SetRealMessageBoxes(false);
  Open(Temp("pictures.pvk"));
  EXPECT_EQ(LastMessage(), compat::Utf8ToUtf16(Temp("p.bmp")) + u"cound not read!");
  EXPECT_EQ(Title().Native(), u"pictures.pvk - Calvetta");
  EXPECT_EQ(Project()->GetPairCount(), 1);
  EXPECT_FALSE(Project()->CurrentPair()->GetSourceSlot()->HasPicture());
  Command(ID_FILE_SAVE);
  EXPECT_EQ(ReadBytes(Temp("pictures.pvk")), saved);
  EXPECT_EQ(ReadBytes(Temp("good.pvk")), good);
}

TEST_F(Documents, AProjectOnTheCommandLineOpensOrIsReportedAndTheProgramEnds) {
  Start();
  SaveTwoPairs(Temp("given.pvk"));
  Exit();
  // A shell or a file manager passes the full path as the host writes it.
  Start({compat::Utf8ToUtf16(Temp("given.pvk"))});
  EXPECT_EQ(Title().Native(), u"given.pvk - Calvetta");
  EXPECT_EQ(Project()->GetPairCount(), 2);
  Exit();

  WriteBytes(Temp("broken.pvk"), Bytes{1, 2, 3});
  Answer(IDOK);
  compat::afx::SetCommandLine({u"calvetta", compat::Utf8ToUtf16(Temp("broken.pvk"))});
  m_app = std::make_unique<CPentavoApp>();
  EXPECT_NE(RunPentavoApp(*m_app), 0);
  EXPECT_EQ(LastMessage(), u"Failed to open document.");
  EXPECT_FALSE(m_app->m_pMainWnd) << "the editor is gone";
  EXPECT_FALSE(::FindWindowW(nullptr, u"Untitled - Calvetta"));
  m_app.reset();
}

TEST_F(Documents, AFailedSaveNamesTheFileAndItsCauseAndTheDocumentStaysModified) {
  Start();
  Project()->InsertPair();
  ASSERT_TRUE(Modified());
  // A folder nobody may write to (for the superuser, who may write anywhere,
  // one of the kernel's), and one that is not there.
  std::string locked = "/sys/p.pvk";
  if (geteuid() != 0) {
    fs::create_directories(Temp("locked"));
    chmod(Temp("locked").c_str(), 0555);
    locked = Temp("locked") + "/p.pvk";
  }
  const struct {
    std::string path;
    const char16_t* cause;
  } cases[] = {
      {Temp("missing") + "/p.pvk", u"\nThe file or its folder was not found.\nCheck the path and the file name."},
      {locked, u"\nThe file cannot be written: it is read-only, its folder cannot be written, or another program holds it."}};
  for (const auto& failure : cases) {
    Answer(IDOK);
    EXPECT_FALSE(GetMainDocument()->DoSave(Program(failure.path).c_str()));
    EXPECT_EQ(LastMessage(), compat::Utf8ToUtf16(failure.path) + failure.cause);
    EXPECT_TRUE(Modified());
    EXPECT_EQ(Title().Native(), u"Untitled - Calvetta");
  }
  chmod(Temp("locked").c_str(), 0755);
}

TEST_F(Documents, ThePairOperationsReachThePanelTheDocumentAndTheStatusBar) {
  Start();
  ASSERT_FALSE(Modified());
  CWnd* panel = m_app->m_pTransitionPanel;
  ASSERT_TRUE(panel && panel->m_hWnd);
  panel->UpdateWindow();
  Project()->InsertPair();
  EXPECT_TRUE(Modified());
  SetDocumentModified(FALSE);
  panel->UpdateWindow();
  Project()->MovePairUp();
  // The panel shows the new order in its pair list (control 1180).
  const HWND pairList = ::GetDlgItem(panel->m_hWnd, 1180);
  ASSERT_TRUE(pairList);
  RECT dirty{};
  EXPECT_TRUE(::GetUpdateRect(panel->m_hWnd, &dirty, FALSE) || ::GetUpdateRect(pairList, &dirty, FALSE))
      << "the panel is refreshed";
  EXPECT_TRUE(Modified());
  GetEditorLink()->ShowIntersect(TRUE);
  EXPECT_EQ(Pane(2), u"Trangles have intersects");
  GetEditorLink()->ShowIntersect(FALSE);
  EXPECT_EQ(Pane(2), u"Trangles have not intersects");
  Project()->CurrentPair()->GetSourceSlot()->SetZoom(0.5f);
  GetEditorLink()->ShowZoom();
  EXPECT_EQ(Pane(1), u"50%");
  Project()->CurrentPair()->GetSourceSlot()->SetZoom(1.0f);
  GetEditorLink()->ShowZoom();
  EXPECT_EQ(Pane(1), u"100%");
}

}  // namespace
}  // namespace apptest
