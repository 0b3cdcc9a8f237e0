// The pair list's thumbnails and the panes as a user changes a pair's
// pictures: a small picture imported over a clip set on a larger one, Swap
// with its Undo and Redo, a clip seen in the line mode, and a picture that
// another program writes again.
#include <chrono>
#include <cmath>
#include <functional>

#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class ThumbnailWorkflow : public Workflow {
 protected:
  // What the first thumbnail shows of its source picture at `fraction` of
  // the picture's width, on the middle row of the thumbnail.
  uint32_t SourceThumbnailAt(double fraction) {
    Idle();
    CWnd* list = CWnd::FromHandle(::GetDlgItem(m_app->m_transitionPanel.m_hWnd, 1180));
    const int side = kThumbHeight - 2 * kThumbInset;
    return ShownAt(list, kThumbInset + static_cast<int>(fraction * side), kThumbHeight / 2);
  }
  void WaitUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < end) Idle();
  }

  static constexpr int kThumbHeight = 50, kThumbInset = 3;
};

// A clip set on a 128 x 96 picture misses a 16 x 16 one altogether: the
// small picture shows whole everywhere, and the clip waits for a picture it
// fits.
TEST_F(ThumbnailWorkflow, ASmallPictureImportedOverAClipShowsWhole) {
  OpenPair(128, 96, 40);
  CMorphPair* pair = Project()->CurrentPair();
  CImageSlot* slot = pair->GetSourceSlot();
  // A line on the source side first: it must stay in sight.
  SetLineTool(kLineToolNewLine);
  for (POINT p : {POINT{10, 10}, POINT{40, 30}, POINT{40, 30}}) ClickIn(View()->SourcePane(), p.x, p.y);
  Idle();
  ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), 1);

  ClickToolbarButton(ID_MODE_IMAGE_PROCESS);
  Drag(View()->SourcePane(), POINT{60, 50}, POINT{120, 90});
  Idle();
  ASSERT_EQ(CRect(slot->m_clip), CRect(60, 50, 120, 90));

  Picture("small.bmp", kYellow, kYellow, 16, 16);
  Import('F', Temp("small.bmp"));
  EXPECT_TRUE(slot->HasPicture()) << "the preview draws the pair only with both pictures";
  EXPECT_EQ(slot->GetPixelSize().cx, 16);
  EXPECT_EQ(slot->GetPixelSize().cy, 16);
  EXPECT_EQ(CRect(slot->m_clip), CRect(60, 50, 120, 90)) << "the clip is kept for a picture it fits";
  EXPECT_EQ(ShownAt(View()->SourcePane(), 2, 2), kYellow) << "the pane shows the picture";
  EXPECT_EQ(SourceThumbnailAt(0.5), kYellow) << "the thumbnail is not the grey of no picture";

  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F7);
  Idle();
  EXPECT_EQ(pair->GetSourceLines()->GetLineCount(), 1);
  EXPECT_EQ(ShownAt(View()->SourcePane(), 30, 20), kYellow) << "the whole picture at the output size";
  const CVector2* point = pair->GetSourceLines()->PointAt(0, 0);
  ASSERT_NE(point, nullptr);
  EXPECT_NE(ShownAt(View()->SourcePane(), static_cast<int>(std::lround(point->x)), static_cast<int>(std::lround(point->y))),
            kYellow)
      << "the line is drawn over it";
  Png("workflow_small_picture_over_clip");
}

// Each change of what a pair shows reaches its thumbnail: Swap and its Undo
// and Redo, and a clip set in image-process mode once the line mode shows it.
TEST_F(ThumbnailWorkflow, ThumbnailsFollowSwapUndoRedoAndTheClip) {
  // Source red before column 40 and green after it; target blue, then yellow.
  OpenPair(128, 96, 40);
  Project()->RefreshPairList();
  ASSERT_EQ(SourceThumbnailAt(0.1), kRed);

  Command(ID_SWAP_SOURCE_TARGET);
  EXPECT_EQ(SourceThumbnailAt(0.1), kBlue);
  View()->SetFocus();
  CtrlKey('Z');
  Idle();
  ASSERT_EQ(ShownAt(View()->SourcePane(), 5, 5), kRed) << "Undo swapped the pictures back";
  EXPECT_EQ(SourceThumbnailAt(0.1), kRed);
  CtrlKey('Y');
  Idle();
  ASSERT_EQ(ShownAt(View()->SourcePane(), 5, 5), kBlue);
  EXPECT_EQ(SourceThumbnailAt(0.1), kBlue);

  // Columns 10 to 74: at a third of the clip lies column 31, still blue,
  // where the whole picture is yellow.
  ClickToolbarButton(ID_MODE_IMAGE_PROCESS);
  Drag(View()->SourcePane(), POINT{10, 20}, POINT{74, 68});
  Idle();
  ASSERT_EQ(CRect(Project()->CurrentPair()->GetSourceSlot()->m_clip), CRect(10, 20, 74, 68));
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_F7);
  Idle();
  ASSERT_EQ(ShownAt(View()->SourcePane(), 20, 20), kBlue);
  EXPECT_EQ(SourceThumbnailAt(0.33), kBlue);
  Png("workflow_thumbnail_after_clip");
}

// Another program writes the imported picture again: the pane and the
// thumbnail both show the new one.
TEST_F(ThumbnailWorkflow, AThumbnailFollowsAPictureWrittenAgain) {
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Project()->SetOutputSize(64, 48);
  Idle();
  Picture("source.bmp", kRed, kRed);
  Import('F', Temp("source.bmp"));
  ASSERT_EQ(SourceThumbnailAt(0.5), kRed);

  Picture("repainted.bmp", kBlue, kBlue);
  fs::rename(Temp("repainted.bmp"), Temp("source.bmp"));
  WaitUntil([&] { return ShownAt(View()->SourcePane(), 5, 5) == kBlue; });
  ASSERT_EQ(ShownAt(View()->SourcePane(), 5, 5), kBlue);
  EXPECT_EQ(SourceThumbnailAt(0.5), kBlue);
}

}  // namespace
}  // namespace apptest
