// How the panes show the pictures, as a user changes it: image-process mode
// (its toolbar button) shows each picture whole and a drag there sets its
// clip, which the feature-line mode (F7) then shows at the output size; the zoom buttons make
// a picture larger than its pane and the pane's scroll bar moves it.
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class ViewWorkflow : public Workflow {
 protected:
  static SCROLLINFO Scroll(CWnd* pane, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    pane->GetScrollInfo(bar, &info, SIF_ALL);
    return info;
  }
  // A click on the pane's horizontal scroll bar, `fromRight` pixels left of its right end.
  static void ClickHorizontalBar(CWnd* pane, int fromRight) {
    CRect client;
    pane->GetClientRect(&client);
    const POINT at = OnScreen(pane, client.right - fromRight, client.bottom + ::GetSystemMetrics(SM_CYHSCROLL) / 2);
    compat::host::InjectMouseMove(at.x, at.y);
    compat::host::InjectClick(0, at.x, at.y);
  }
};

TEST_F(ViewWorkflow, ImageProcessModeShowsThePictureWholeAndADragSetsTheClip) {
  // 128 x 96 pictures, their colour changing at column 40; the output is 64 x 48.
  OpenPair(128, 96, 40);
  CImageViewDlg* source = View()->SourcePane();
  CImageSlot* slot = Project()->CurrentPair()->GetSourceSlot();
  EXPECT_EQ(Scroll(source, SB_HORZ).nMax, 64) << "line modes show the picture at the output size";

  ClickToolbarButton(ID_MODE_IMAGE_PROCESS);
  EXPECT_EQ(Project()->GetEditMode(), kEditImageProcess);
  EXPECT_TRUE(ButtonChecked(ID_MODE_IMAGE_PROCESS));
  EXPECT_FALSE(ButtonChecked(ID_MODE_FEATURE_LINE));
  EXPECT_FALSE(Enabled(ID_LINE_CREATE));
  EXPECT_FALSE(Enabled(ID_LINE_POINT_DELETE));
  EXPECT_EQ(Scroll(source, SB_HORZ).nMax, 128) << "the picture whole";
  EXPECT_EQ(Scroll(View()->TargetPane(), SB_VERT).nMax, 96);
  EXPECT_EQ(ShownAt(source, 30, 30), kRed);
  EXPECT_EQ(ShownAt(source, 100, 30), kGreen);

  // The clip: columns 10 to 74, rows 20 to 68 of the source picture.
  Drag(source, POINT{10, 20}, POINT{74, 68});
  Idle();
  EXPECT_EQ(CRect(slot->m_clip), CRect(10, 20, 74, 68));
  EXPECT_EQ(Project()->CurrentPair()->GetSourceLines()->GetLineCount(), 0) << "no line drawn in this mode";
  Png("workflow_image_process");

  // The key changes the mode; the toolbar's group follows only its own clicks.
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F7);
  Idle();
  EXPECT_EQ(Project()->GetEditMode(), kEditFeatureLine);
  EXPECT_TRUE(Enabled(ID_LINE_CREATE));
  EXPECT_EQ(Scroll(source, SB_HORZ).nMax, 64);
  // The clip fills the 64 x 48 output: its column 40 lies at 30.
  EXPECT_EQ(ShownAt(source, 25, 20), kRed);
  EXPECT_EQ(ShownAt(source, 35, 20), kGreen);
  EXPECT_EQ(ShownAt(View()->TargetPane(), 25, 20), kYellow) << "the target keeps its whole picture";
  Png("workflow_clip_in_line_mode");
}

TEST_F(ViewWorkflow, TheZoomButtonsEnlargeThePanesAndTheScrollBarMovesThePicture) {
  // 160 x 120 pictures with their colour changing at column 20, shown at that size.
  OpenPair(160, 120, 20);
  Project()->SetOutputSize(160, 120);
  View()->RefreshPanes();
  Idle();
  CImageViewDlg* source = View()->SourcePane();
  CImageSlot* slot = Project()->CurrentPair()->GetSourceSlot();
  CRect client;
  source->GetClientRect(&client);
  ASSERT_LT(client.Width(), 320) << "the pane must be narrower than the enlarged picture";
  EXPECT_FALSE(source->GetStyle() & WS_DISABLED);

  ClickToolbarButton(ID_ZOOM_IN);
  EXPECT_FLOAT_EQ(slot->GetZoom(), 2.0f);
  EXPECT_FLOAT_EQ(Project()->CurrentPair()->GetTargetSlot()->GetZoom(), 2.0f) << "both panes";
  EXPECT_EQ(Pane(1), u"200%");
  SCROLLINFO bar = Scroll(source, SB_HORZ);
  EXPECT_EQ(bar.nMax, 320);
  EXPECT_EQ(bar.nPos, 0);
  EXPECT_EQ(ShownAt(source, 30, 30), kRed) << "column 15 of the picture";

  // The right arrow moves it one pixel, the bar beside the thumb a page (up to the end).
  const int arrow = ::GetSystemMetrics(SM_CXHSCROLL);
  ClickHorizontalBar(source, arrow / 2);
  Idle();
  EXPECT_EQ(Scroll(source, SB_HORZ).nPos, 1);
  ClickHorizontalBar(source, arrow + 3);
  Idle();
  bar = Scroll(source, SB_HORZ);
  EXPECT_EQ(bar.nPos, 320 - static_cast<int>(bar.nPage)) << "at the end";
  EXPECT_EQ(ShownAt(source, 30, 30), kGreen) << "the picture moved left under the pane";
  Png("workflow_scrolled");

  ClickToolbarButton(ID_ZOOM_ACTUAL);
  EXPECT_FLOAT_EQ(slot->GetZoom(), 1.0f);
  EXPECT_EQ(Scroll(source, SB_HORZ).nPos, 0) << "the picture fits again";
  EXPECT_EQ(ShownAt(source, 10, 30), kRed);
  EXPECT_EQ(ShownAt(source, 30, 30), kGreen);
}

// A project saved zoomed in and opened again: the zoom pane says the zoom
// the panes show, not the one of the project before.
TEST_F(ViewWorkflow, TheZoomPaneFollowsAReopenedProject) {
  OpenPair();
  for (CImageSlot* slot : {Project()->CurrentPair()->GetSourceSlot(), Project()->CurrentPair()->GetTargetSlot()})
    slot->SetZoom(2.63f);
  ASSERT_TRUE(Project()->SaveProjectFile(Program(Temp("zoomed.pvk")).c_str()));
  Command(ID_FILE_NEW);
  ASSERT_TRUE(m_app->OpenDocumentFile(Program(Temp("zoomed.pvk")).c_str()));
  Idle();
  EXPECT_FLOAT_EQ(Project()->CurrentPair()->GetSourceSlot()->GetZoom(), 2.63f);
  EXPECT_EQ(Pane(1), u"263%");
}

// The status bar writes its panes in its own font, 14 pixels high and of
// normal weight, like the other bars: not in the large bold system font.
TEST_F(ViewWorkflow, TheStatusBarWritesInItsOwnSmallFont) {
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Idle();
  CStatusBar& bar = Frame()->m_wndMainStatusBar;
  auto font = reinterpret_cast<HFONT>(bar.SendMessage(WM_GETFONT));
  ASSERT_NE(font, nullptr) << "the control would draw with the system font";
  LOGFONTW face{};
  ASSERT_GT(::GetObjectW(font, sizeof face, &face), 0);
  EXPECT_EQ(face.lfHeight, 14) << "a cell height in pixels";
  EXPECT_EQ(face.lfWeight, FW_NORMAL);
  EXPECT_EQ(std::u16string(face.lfFaceName), u"Arial");

  // The zoom pane's "100 %" inked within the font's height.
  bar.UpdateWindow();
  CRect pane;
  bar.GetItemRect(CMainStatusBar::kZoomPane, &pane);
  bar.ClientToScreen(&pane);
  int top = INT32_MAX, bottom = -1;
  for (int y = pane.top + 2; y < pane.bottom - 2; ++y)
    for (int x = pane.left + 2; x < pane.right - 2; ++x) {
      const uint32_t pixel = compat::host::DesktopSurface()->Row(y)[x];
      if (((pixel >> 16) & 0xFF) < 0x60 && ((pixel >> 8) & 0xFF) < 0x60 && (pixel & 0xFF) < 0x60) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  ASSERT_GE(bottom, 0) << "no text in the zoom pane";
  EXPECT_LE(bottom - top + 1, 14);
  EXPECT_GE(bottom - top + 1, 6);
}

}  // namespace
}  // namespace apptest
