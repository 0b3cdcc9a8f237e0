// The folder bar as a user works it: header clicks move the headers above
// and below the open folder, hot headers on the stopped clock, the shelf's
// hand cursor.
#include "guitk/kit_folder.h"

#include <gtest/gtest.h>

#include <memory>

#include "guitk/kit_colors.h"
#include "guitk_test_support.h"

namespace {

using kittest::KitTest;

constexpr int kHeight = 300;

class FolderBar : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    frame_ = new CFrameWnd;
    ASSERT_TRUE(frame_->Create(nullptr, u"Folders", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 300, 400)));
    Pump();
  }
  void TearDown() override {
    for (auto& w : windows_) w->DestroyWindow();
    owned_.reset();
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  template <class Bar>
  Bar& Make(int folders) {
    auto* bar = new Bar;
    owned_.reset(bar);
    bar_ = bar;
    Fill(bar, folders);
    return *bar;
  }
  void Fill(CKitFolder* bar, int folders) {
    ASSERT_TRUE(bar->Create(WS_VISIBLE, CRect(10, 10, 210, 10 + kHeight), frame_, 500));
    static const char16_t* names[] = {u"Shapes", u"Colours", u"Effects", u"Sounds"};
    for (int i = 0; i < folders; ++i) {
      auto w = std::make_unique<CStatic>();
      ASSERT_TRUE(w->Create(names[i], WS_CHILD | SS_CENTER, CRect(0, 0, 10, 10), bar, 510 + i));
      bar->AddFolder(w.get(), names[i]);
      windows_.push_back(std::move(w));
    }
    Pump();
  }
  POINT HeaderCentre(int i) const {
    POINT p = bar_->GetFolder(i).header.CenterPoint();
    bar_->ClientToScreen(&p);
    return p;
  }
  CRect Placed(int i) const {
    CRect r;
    windows_[static_cast<size_t>(i)]->GetWindowRect(&r);
    bar_->ScreenToClient(&r);
    return r;
  }
  static void Advance(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 10) {
      compat::AdvanceClock(10);
      Pump();
    }
  }

  CFrameWnd* frame_ = nullptr;
  CKitFolder* bar_ = nullptr;
  std::unique_ptr<CKitFolder> owned_;
  std::vector<std::unique_ptr<CStatic>> windows_;
};

TEST_F(FolderBar, OpeningAFolderMovesTheHeadersAboveAndBelowIt) {
  CKitFolder& bar = Make<CKitFolder>(3);
  // Folder 0 open: its header on top, the others stacked at the bottom.
  EXPECT_EQ(bar.GetFolder(0).header, CRect(0, 0, 200, 23));
  EXPECT_EQ(bar.GetFolder(1).header, CRect(0, kHeight - 42, 200, kHeight - 21));
  EXPECT_EQ(bar.GetFolder(2).header, CRect(0, kHeight - 21, 200, kHeight));
  EXPECT_EQ(Placed(0), CRect(0, 23, 200, kHeight - 42));  // the whole free area, one pixel lower for folder 0
  EXPECT_TRUE(windows_[0]->IsWindowVisible());
  WritePng(frame_->m_hWnd, "guitk_folder_first");

  Click(HeaderCentre(2));
  EXPECT_EQ(bar.GetOpenFolder(), 2);
  EXPECT_EQ(bar.GetFolder(1).header, CRect(0, 23, 200, 46));
  EXPECT_EQ(bar.GetFolder(2).header, CRect(0, 46, 200, 69));
  EXPECT_EQ(bar.GetFreeTop(), 68);
  EXPECT_EQ(Placed(2), CRect(0, 68, 200, kHeight));
  EXPECT_FALSE(windows_[0]->IsWindowVisible());
  EXPECT_TRUE(windows_[2]->IsWindowVisible());
  WritePng(frame_->m_hWnd, "guitk_folder_last");

  // The last folder, already open: nothing changes.
  Click(HeaderCentre(2));
  EXPECT_EQ(bar.GetOpenFolder(), 2);
  EXPECT_EQ(bar.GetFolder(2).header, CRect(0, 46, 200, 69));
  EXPECT_TRUE(windows_[2]->IsWindowVisible());

  // Back to the middle one: the last goes to the bottom.
  Click(HeaderCentre(1));
  EXPECT_EQ(bar.GetOpenFolder(), 1);
  EXPECT_EQ(bar.GetFolder(2).header, CRect(0, kHeight - 21, 200, kHeight));
  EXPECT_EQ(Placed(1), CRect(0, 45, 200, kHeight - 21));
  EXPECT_FALSE(windows_[2]->IsWindowVisible());
  EXPECT_TRUE(windows_[1]->IsWindowVisible());
  // The middle one again: its follower is below, so it is open already.
  Click(HeaderCentre(1));
  EXPECT_EQ(bar.GetOpenFolder(), 1);
  EXPECT_TRUE(windows_[1]->IsWindowVisible());
}

TEST_F(FolderBar, WithoutFoldersTheBarIsOneFaceColouredArea) {
  CKitFolder& bar = Make<CKitFolder>(0);
  bar.SetWindowPos(nullptr, 0, 0, 180, 200, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(bar.GetFreeBottom(), 0);  // no layout ran
  EXPECT_EQ(PixelAt(At(bar.m_hWnd, 90, 100)), GetFaceColor(kKitStyleFlat));
  EXPECT_EQ(PixelAt(At(bar.m_hWnd, 3, 3)), GetFaceColor(kKitStyleFlat));
}

TEST_F(FolderBar, AHeaderUnderThePointerIsHotUntilThePointerLeavesIt) {
  CKitFolder& bar = Make<CKitFolder>(3);
  MoveTo(HeaderCentre(1));
  EXPECT_EQ(bar.GetHotFolder(), 1);
  EXPECT_EQ(g_kitHotFolder, 1);
  const POINT edge{HeaderCentre(1).x - 80, HeaderCentre(1).y};
  EXPECT_EQ(PixelAt(edge), GetHotColor());
  // Out of the bar altogether: only the timer sees it go.
  MoveTo(POINT{HeaderCentre(1).x + 300, HeaderCentre(1).y});
  EXPECT_EQ(bar.GetHotFolder(), 1);
  Advance(100);
  EXPECT_EQ(bar.GetHotFolder(), -1);
  EXPECT_EQ(PixelAt(edge), GetFaceColor(kKitStyleFlat));
}

TEST_F(FolderBar, TheShelfShowsTheHandOverItsHeaders) {
  CKitShelfFolder& shelf = Make<CKitShelfFolder>(2);
  MoveTo(HeaderCentre(1));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
  Click(HeaderCentre(1));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
  EXPECT_EQ(shelf.GetOpenFolder(), 1);
  EXPECT_TRUE(shelf.IsKindOf(RUNTIME_CLASS(CKitFolder)));
}

}  // namespace
