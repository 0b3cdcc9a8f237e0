// Importing pictures as a user does: Ctrl+F and Ctrl+H choose the source
// and the target picture in the image dialog, the panes show them, and a
// picture written again by another program shows its new content by itself.
#include <chrono>
#include <cstdlib>

#include "model/project/undo_history.h"
#include "ui/stored_text.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class ImportWorkflow : public Workflow {
 protected:
  // Runs the loop for `seconds`, or until `done`.
  template <class Done>
  void IdleFor(double seconds, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) Idle();
  }
  static void Convert(const std::string& arguments) {
    ASSERT_EQ(std::system(("convert " + arguments).c_str()), 0) << arguments;
  }
};

TEST_F(ImportWorkflow, ImportedPicturesShowAndReloadWhenChangedOnDisk) {
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Project()->SetOutputSize(64, 48);
  Idle();
  const CString source = Picture("source.bmp", kRed, kGreen), target = Picture("target.bmp", kBlue, kYellow);
  Import('F', Temp("source.bmp"));
  Import('H', Temp("target.bmp"));
  CMorphPair* pair = Project()->CurrentPair();
  EXPECT_EQ(pair->GetSourceSlot()->m_path.Native(), source.Native());
  EXPECT_EQ(pair->GetTargetSlot()->m_path.Native(), target.Native());
  EXPECT_TRUE(GetMainDocument()->IsModified());
  // A new project shows its pictures at half size: the 64 x 48 output as 32 x 24.
  EXPECT_FLOAT_EQ(pair->GetSourceSlot()->GetZoom(), 0.5f);
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kRed);
  EXPECT_EQ(ShownAt(View()->TargetPane(), 25, 5), kYellow);
  EXPECT_EQ(ReadRegistryText(u"ImageFilePath").Native() + u"source.bmp", source.Native())
      << "the dialog offers the folder again next time";

  // Another program writes the source again, as editors do: a new file renamed over the old.
  SetDocumentModified(FALSE);
  const fs::path picture = Temp("source.bmp");
  const Bytes before = ReadBytes(picture);
  Picture("repainted.bmp", kYellow, kBlue);
  fs::rename(Temp("repainted.bmp"), picture);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ShownAt(View()->SourcePane(), 5, 5) != kYellow && std::chrono::steady_clock::now() < end) Idle();
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kYellow) << "the pane shows the new picture";
  EXPECT_EQ(ShownAt(View()->SourcePane(), 25, 5), kBlue);
  EXPECT_EQ(ShownAt(View()->TargetPane(), 25, 5), kYellow) << "the target is as it was";
  EXPECT_TRUE(GetMainDocument()->IsModified());
  EXPECT_NE(ReadBytes(picture), before);
  Png("workflow_reloaded");
}

// A file that is no picture, chosen by mistake: the message names it as the
// user writes paths, and the pair, its pane, the document's flag and the
// undo history stay as they were; so does a watched picture that is written
// again as something that no longer reads.
TEST_F(ImportWorkflow, APictureThatCannotBeReadChangesNothing) {
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Project()->SetOutputSize(64, 48);
  Idle();
  const CString source = Picture("source.bmp", kRed, kGreen);
  Import('F', Temp("source.bmp"));
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_EQ(pair->GetSourceSlot()->m_path.Native(), source.Native());
  SetDocumentModified(FALSE);
  CHistoryRing& undo = CComandmanger::Get()->GetUndoRing();
  const BOOL undoEmpty = undo.IsEmpty();
  const int undoFile = undo.GetCurrentFile();

  WriteBytes(Temp("notpic.jpg"), Bytes{'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
  // The file typed into the image dialog, then the message answered.
  const std::u16string junk = Program(Temp("notpic.jpg"));
  compat::AddModalStepOnCaption(u"Image File", [junk](HWND dialog) {
    ::SetDlgItemTextW(dialog, edt1, junk.c_str());
    compat::host::InjectKeyPress(VK_RETURN);
  });
  std::u16string seen;
  AnswerMessageBox(&seen);
  View()->SetFocus();
  CtrlKey('F');
  Idle();
  EXPECT_EQ(seen, u"shown");
  EXPECT_EQ(compat::LastMessageBoxText(), compat::Utf8ToUtf16(Temp("notpic.jpg")) + u"cound not read!");
  EXPECT_EQ(pair->GetSourceSlot()->m_path.Native(), source.Native());
  EXPECT_EQ(pair->m_sourcePath.Native(), source.Native()) << "Ctrl+S would save the path of the text file";
  EXPECT_TRUE(pair->GetSourceSlot()->HasPicture());
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kRed) << "the pane still shows the picture";
  EXPECT_FALSE(GetMainDocument()->IsModified());
  EXPECT_EQ(undo.IsEmpty(), undoEmpty);
  EXPECT_EQ(undo.GetCurrentFile(), undoFile);

  // The watched picture written over with text: nothing changes either.
  const auto before = compat::MessageBoxCount();
  compat::SetRealMessageBoxes(false);
  WriteBytes(Temp("source.bmp"), Bytes{'n', 'o', 'p', 'e'});
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (compat::MessageBoxCount() == before && std::chrono::steady_clock::now() < end) Idle();
  EXPECT_GT(compat::MessageBoxCount(), before) << "the file that no longer reads is reported";
  EXPECT_TRUE(pair->GetSourceSlot()->HasPicture());
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kRed);
  EXPECT_FALSE(GetMainDocument()->IsModified());
}

// The watched picture written in place by other programs: the file is seen
// empty and cut short on the way, but only the finished picture counts; a
// file that stays unreadable is reported once.
TEST_F(ImportWorkflow, APictureRewrittenInPlaceReloadsWithoutFalseAlarms) {
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Project()->SetOutputSize(64, 48);
  Idle();
  const std::string picture = Temp("a.png");
  Convert("-size 64x48 xc:'#C02020' " + picture);
  Import('F', picture);
  ASSERT_EQ(ShownAt(View()->SourcePane(), 5, 5), kRed);
  compat::SetRealMessageBoxes(false);
  const int before = compat::MessageBoxCount();
  // Another program writes the picture in two pieces a moment apart, in
  // the background while the editor runs.
  auto writeSlowly = [&](const std::string& colour) {
    Convert("-size 64x48 xc:'" + colour + "' png:- | { dd bs=100 count=1 2>/dev/null; sleep 0.5; cat; } > " + picture +
            " &");
  };
  writeSlowly("#2040C0");
  IdleFor(2, [] { return false; });
  writeSlowly("#E0E020");
  IdleFor(5, [&] { return ShownAt(View()->SourcePane(), 5, 5) == kYellow; });
  IdleFor(1.5, [] { return false; });
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kYellow) << "the last picture written";
  EXPECT_EQ(compat::MessageBoxCount(), before) << compat::Utf16ToUtf8(compat::LastMessageBoxText());
  Png("workflow_rewritten_in_place");

  WriteBytes(picture, Bytes{'n', 'o', 'p', 'e'});
  IdleFor(5, [&] { return compat::MessageBoxCount() > before; });
  IdleFor(1.5, [] { return false; });
  EXPECT_EQ(compat::MessageBoxCount(), before + 1) << "one report for the file that does not read";
  EXPECT_EQ(compat::LastMessageBoxText(), compat::Utf8ToUtf16(picture) + u"cound not read!");
  EXPECT_EQ(ShownAt(View()->SourcePane(), 5, 5), kYellow);
}

}  // namespace
}  // namespace apptest
