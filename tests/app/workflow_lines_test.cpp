// Feature lines as a newcomer edits them, then keeps them: a line drawn in
// the source appears in the target, a point dragged in the target, copied
// back with the copy-across buttons, Delete on a selected point,
// and the project saved with Ctrl+S, closed with Ctrl+N and opened with
// Ctrl+O holding the same lines and pictures.
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/project/undo_history.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class LinesWorkflow : public Workflow {
 protected:
  // A user choosing `file` in the framework's file dialog of this caption, after Ctrl+`key`.
  void FileCommand(UINT key, const char16_t* caption, const std::string& file) {
    const std::u16string name = Program(file);
    compat::AddModalStepOnCaption(caption, [name](HWND dialog) {
      ::SetDlgItemTextW(dialog, edt1, name.c_str());
      compat::host::InjectKeyPress(VK_RETURN);
    });
    View()->SetFocus();
    CtrlKey(key);
    Idle();
  }
  CLineSet* Source() { return Project()->CurrentPair()->GetSourceLines(); }
  CLineSet* Target() { return Project()->CurrentPair()->GetTargetLines(); }
  static std::pair<float, float> At(CLineSet* lines, int line, int point) {
    const CVector2* p = lines->PointAt(line, point);
    return p ? std::pair<float, float>{p->x, p->y} : std::pair<float, float>{-1.0f, -1.0f};
  }
};

TEST_F(LinesWorkflow, DrawMoveCopyAcrossDeleteAndKeepTheLinesInTheFile) {
  OpenPair();
  CComandmanger::Get()->Clear();
  CImageViewDlg* source = View()->SourcePane();
  CImageViewDlg* target = View()->TargetPane();

  // "Create New Line Mode": two clicks and a click on the last point end the line.
  ClickToolbarButton(ID_LINE_CREATE);
  ClickIn(source, 10, 10);
  ClickIn(source, 40, 30);
  ClickIn(source, 40, 30);
  Idle();
  ASSERT_EQ(Source()->GetLineCount(), 1);
  ASSERT_EQ(Target()->GetLineCount(), 1);
  EXPECT_EQ(At(Target(), 0, 1), At(Source(), 0, 1)) << "the target gets the line where it was drawn";

  // "Line Edit Mode": the target's second point dragged elsewhere; it stays selected.
  ClickToolbarButton(ID_LINE_EDIT);
  Drag(target, POINT{40, 30}, POINT{50, 40});
  Idle();
  EXPECT_EQ(At(Target(), 0, 1), (std::pair<float, float>{50.0f, 40.0f}));
  EXPECT_EQ(At(Source(), 0, 1), (std::pair<float, float>{40.0f, 30.0f}));
  Png("workflow_lines_moved");

  // The copy-across buttons copy only the selected point, in their
  // direction. Like Delete Current Point they make no Undo step of their
  // own; the document is marked modified all the same.
  SetDocumentModified(FALSE);
  CComandmanger::Get()->Clear();
  ClickToolbarButton(ID_COPY_TARGET_LINES_TO_SOURCE);
  EXPECT_EQ(At(Source(), 0, 1), (std::pair<float, float>{50.0f, 40.0f}));
  EXPECT_EQ(At(Source(), 0, 0), (std::pair<float, float>{10.0f, 10.0f})) << "an unselected point stays";
  EXPECT_TRUE(GetMainDocument()->IsModified()) << "closing would ask to save the copy";
  Drag(target, POINT{50, 40}, POINT{30, 35});
  Idle();
  CComandmanger::Get()->Clear();
  ClickToolbarButton(ID_COPY_SOURCE_LINES_TO_TARGET);
  EXPECT_EQ(At(Target(), 0, 1), (std::pair<float, float>{50.0f, 40.0f}));
  EXPECT_TRUE(CComandmanger::Get()->GetUndoRing().IsEmpty()) << "the copies are not Undo steps";

  // Three points, the middle one selected and deleted.
  ClickIn(source, 30, 25);  // on the segment: a point is inserted there, selected
  Idle();
  ASSERT_EQ(Source()->LineAt(0)->GetPointCount(), 3);
  ASSERT_EQ(Target()->LineAt(0)->GetPointCount(), 3);
  CComandmanger::Get()->Clear();
  SetDocumentModified(FALSE);
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_DELETE);
  Idle();
  EXPECT_EQ(Source()->LineAt(0)->GetPointCount(), 2);
  EXPECT_EQ(Target()->LineAt(0)->GetPointCount(), 2);
  EXPECT_TRUE(GetMainDocument()->IsModified());
  EXPECT_TRUE(CComandmanger::Get()->GetUndoRing().IsEmpty()) << "Delete Current Point is not an Undo step";
  const auto kept = At(Source(), 0, 1), keptTarget = At(Target(), 0, 0);

  // Ctrl+S on an untitled project asks for a name; Ctrl+N empties the
  // editor; Ctrl+O brings the lines and pictures back.
  FileCommand('S', u"Save As", Temp("lines.pvk"));
  ASSERT_TRUE(fs::exists(Temp("lines.pvk")));
  EXPECT_EQ(Title().Native(), u"lines.pvk - Calvetta");
  EXPECT_FALSE(GetMainDocument()->IsModified());
  const CString sourcePicture = Project()->CurrentPair()->GetSourceSlot()->m_path;
  View()->SetFocus();
  CtrlKey('N');
  Idle();
  EXPECT_EQ(Title().Native(), u"Untitled - Calvetta");
  EXPECT_EQ(Source()->GetLineCount(), 0);
  FileCommand('O', u"Open", Temp("lines.pvk"));
  EXPECT_EQ(Title().Native(), u"lines.pvk - Calvetta");
  ASSERT_EQ(Source()->GetLineCount(), 1);
  EXPECT_EQ(Source()->LineAt(0)->GetPointCount(), 2);
  EXPECT_EQ(At(Source(), 0, 1), kept);
  EXPECT_EQ(At(Target(), 0, 0), keptTarget);
  EXPECT_EQ(Project()->CurrentPair()->GetSourceSlot()->m_path.Native(), sourcePicture.Native());
  EXPECT_EQ(ShownAt(source, 5, 5), kRed) << "the picture shows again";
  Png("workflow_lines_reopened");
}

// A finished line hands over to "Line Edit Mode"; choosing "Create New Line
// Mode" again starts a second line, ended here with a right click.
TEST_F(LinesWorkflow, EachNewLineToolChoiceDrawsASeparateLine) {
  OpenPair();
  CImageViewDlg* source = View()->SourcePane();
  ClickToolbarButton(ID_LINE_CREATE);
  for (const POINT& p : {POINT{5, 5}, POINT{30, 10}, POINT{30, 10}}) ClickIn(source, p.x, p.y);
  Idle();
  ASSERT_EQ(Source()->GetLineCount(), 1);
  EXPECT_EQ(GetLineTool(), kLineToolEdit) << "the double click ended the line";

  ClickToolbarButton(ID_LINE_CREATE);
  ClickIn(source, 10, 40);
  ClickIn(source, 50, 40);
  const POINT end = OnScreen(source, 50, 40);
  compat::host::InjectClick(1, end.x, end.y);
  Idle();
  ASSERT_EQ(Source()->GetLineCount(), 2);
  ASSERT_EQ(Target()->GetLineCount(), 2);
  EXPECT_EQ(Source()->LineAt(0)->GetPointCount(), 2);
  EXPECT_EQ(Source()->LineAt(1)->GetPointCount(), 2);
  EXPECT_EQ(At(Source(), 1, 0), (std::pair<float, float>{10.0f, 40.0f}));
  EXPECT_EQ(At(Source(), 1, 1), (std::pair<float, float>{50.0f, 40.0f}));
}

}  // namespace
}  // namespace apptest
