// The image panes inside the editor: the view makes them, a pair's pictures
// and lines show in both, a line drawn in one appears in the other through
// the view's redraw, the zoom reaches the status bar, undo restores an edit.
#include "editor_test_support.h"
#include "imaging/image_file.h"
#include "model/project/line_tool.h"
#include "model/project/undo_history.h"

namespace {

using apptest::EditorTest;

class EditorPanes : public EditorTest {
 protected:
  // A w x h picture of one colour with a white square in its middle.
  CString Picture(const char* name, DWORD rgb) {
    constexpr int w = 160, h = 120;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | (x >= 60 && x < 100 && y >= 40 && y < 80 ? 0xFFFFFF : rgb);
    const CString path(apptest::Program(apptest::fs::path(m_temp) / name));
    CImageFile file;
    EXPECT_TRUE(file.Save(path, 0, 0, w, h, pixels.data(), 0));
    return path;
  }
  void OpenPair() {
    Start();
    Frame()->ShowWindow(SW_MAXIMIZE);
    // In the line modes a pane shows the picture at the output size.
    Project()->SetOutputSize(160, 120);
    CMorphPair* pair = Project()->CurrentPair();
    pair->SetSourceImage(Picture("a.bmp", 0xC02020));
    pair->SetTargetImage(Picture("b.bmp", 0x2040C0));
    for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()}) slot->SetZoom(1.0f);
    View()->RefreshPanes();
    View()->RedrawPanes();
    Idle();
  }
  static COLORREF PaneColour(CWnd* pane, int x, int y) {
    POINT p{x, y};
    pane->ClientToScreen(&p);
    auto surface = compat::host::DesktopSurface();
    const uint32_t v = surface->Row(p.y)[p.x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  void ClickIn(CWnd* pane, int x, int y) {
    POINT p{x, y};
    pane->ClientToScreen(&p);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
  }
};

TEST_F(EditorPanes, ALineDrawnInOnePaneAppearsInTheOtherAndUndoTakesItBack) {
  OpenPair();
  CImageViewDlg* source = View()->SourcePane();
  CImageViewDlg* target = View()->TargetPane();
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_image_panes_open").c_str()));
  EXPECT_EQ(PaneColour(source, 20, 20), RGB(0xC0, 0x20, 0x20));
  EXPECT_EQ(PaneColour(target, 20, 20), RGB(0x20, 0x40, 0xC0));
  EXPECT_EQ(PaneColour(target, 80, 60), RGB(255, 255, 255));

  CComandmanger::Get()->Clear();
  SetLineTool(kLineToolNewLine);
  ClickIn(source, 20, 30);
  ClickIn(source, 50, 30);
  ClickIn(source, 50, 100);
  ClickIn(source, 50, 100);
  Idle();
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), 1);
  ASSERT_EQ(pair->GetTargetLines()->GetLineCount(), 1);
  EXPECT_EQ(PaneColour(target, 35, 30), RGB(0, 255, 0)) << "the view redrew the other pane";
  EXPECT_TRUE(GetMainDocument()->IsModified());
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_image_panes").c_str()));

  ASSERT_TRUE(CComandmanger::Get()->Undo());
  Idle();
  EXPECT_EQ(pair->GetSourceLines()->GetLineCount(), 0);
  EXPECT_EQ(PaneColour(target, 35, 30), RGB(0x20, 0x40, 0xC0));
}

TEST_F(EditorPanes, ArrowKeysNudgeTheSelectedPointsOfTheActivePane) {
  OpenPair();
  SetLineTool(kLineToolNewLine);
  CImageViewDlg* source = View()->SourcePane();
  ClickIn(source, 20, 30);
  ClickIn(source, 50, 30);
  ClickIn(source, 50, 30);
  Idle();
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_EQ(pair->GetTargetLines()->GetLineCount(), 1);
  // The keys work on the lines of the active pane, here the one just clicked.
  ASSERT_EQ(GetActiveImageView(), source);
  CLineSet* lines = pair->GetSourceLines();
  lines->ClearSelection();
  lines->SelectPoint(0, 1, 0);
  const CVector2 before = *lines->PointAt(0, 1), other = *lines->PointAt(0, 0);
  SetDocumentModified(FALSE);
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_RIGHT);
  compat::host::InjectKeyPress(VK_DOWN);
  compat::host::InjectKeyPress(VK_DOWN);
  Idle();
  EXPECT_EQ(lines->PointAt(0, 1)->x, before.x + 1);
  EXPECT_EQ(lines->PointAt(0, 1)->y, before.y + 2);
  EXPECT_EQ(lines->PointAt(0, 0)->x, other.x) << "only the selected point moves";
  EXPECT_EQ(lines->PointAt(0, 0)->y, other.y);
  EXPECT_TRUE(GetMainDocument()->IsModified());
  // Another key moves nothing and leaves the document as it was.
  SetDocumentModified(FALSE);
  compat::host::InjectKeyPress('A');
  Idle();
  EXPECT_EQ(lines->PointAt(0, 1)->x, before.x + 1);
  EXPECT_FALSE(GetMainDocument()->IsModified());
}

TEST_F(EditorPanes, TheZoomStepsReachTheStatusBar) {
  OpenPair();
  CImageViewDlg* source = View()->SourcePane();
  source->Shrink(0.0f);
  Idle();
  EXPECT_EQ(Pane(1), u"90%");
  source->ActualSize();
  Idle();
  EXPECT_EQ(Pane(1), u"100%");
  source->Enlarge(0.0f);
  Idle();
  EXPECT_EQ(Pane(1), u"200%");
}

}  // namespace
