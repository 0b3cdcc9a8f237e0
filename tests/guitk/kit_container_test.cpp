// The stacking panel as a user works it: fixed and shared heights, its
// border, and a held button's command reaching the windows around it.
#include "guitk/kit_container.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "guitk/kit_colors.h"
#include "guitk_test_support.h"

namespace {

using kittest::KitTest;

constexpr UINT kButtonId = 0x610;

// A frame that keeps the commands it is sent or posted.
class CommandFrame : public CFrameWnd {
 public:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (LOWORD(wParam) == kButtonId) ++m_nCommands;
    return CFrameWnd::OnCommand(wParam, lParam);
  }
  int m_nCommands = 0;
};

class KitContainerTest : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    frame_ = new CommandFrame;
    ASSERT_TRUE(frame_->Create(nullptr, u"Container", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 320, 300)));
    ASSERT_TRUE(box_.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 140), frame_, 0x600));
    Pump();
  }
  void TearDown() override {
    box_.DestroyWindow();
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  CWnd* Add(const char16_t* text, int kind, UINT id) {
    auto w = std::make_unique<CButton>();
    EXPECT_TRUE(w->Create(text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 10, 10), &box_, id));
    box_.AddItem(w.get(), kind);
    windows_.push_back(std::move(w));
    return windows_.back().get();
  }
  CRect Placed(CWnd* w) const {
    CRect r;
    w->GetWindowRect(&r);
    box_.ScreenToClient(&r);
    return r;
  }

  CommandFrame* frame_ = nullptr;
  CKitContainer box_;
  std::vector<std::unique_ptr<CWnd>> windows_;
};

TEST_F(KitContainerTest, FixedItemsTake24PixelsAndTheOthersShareTheRestInOrder) {
  CWnd* bar = Add(u"Bar", CKitContainer::kFixed, kButtonId);
  CWnd* top = Add(u"Top", CKitContainer::kFlexible, 0x611);
  CWnd* bottom = Add(u"Bottom", CKitContainer::kFlexible, 0x612);
  ASSERT_EQ(box_.GetItemCount(), 3);
  EXPECT_EQ(Placed(bar), CRect(0, 0, 200, 24));
  EXPECT_EQ(Placed(top), CRect(0, 24, 200, 77));  // (130 - 24) / 2
  EXPECT_EQ(Placed(bottom), CRect(0, 77, 200, 130));
  // Too short for the fixed items: the others get nothing, never a negative height.
  box_.MoveWindow(10, 10, 200, 20);
  Pump();
  EXPECT_EQ(Placed(top).Height(), 0);
  EXPECT_EQ(Placed(bottom).Height(), 0);
  box_.MoveWindow(10, 10, 200, 130);
  Pump();
  EXPECT_EQ(Placed(bottom), CRect(0, 77, 200, 130));
}

TEST_F(KitContainerTest, ASunkenBorderIsDarkAboveAndLightBelowOverTheFace) {
  box_.SetBorder(CKitContainer::kBorderSunken);
  box_.UpdateWindow();
  Pump();
  EXPECT_EQ(PixelAt(At(box_.m_hWnd, 0, 0)), ::GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelAt(At(box_.m_hWnd, 199, 129)), ::GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelAt(At(box_.m_hWnd, 100, 60)), GetFaceColor(kKitStyleFlat));
  box_.SetBorder(CKitContainer::kBorderRaised);
  box_.UpdateWindow();
  Pump();
  EXPECT_EQ(PixelAt(At(box_.m_hWnd, 0, 0)), ::GetSysColor(COLOR_BTNHIGHLIGHT));
  Add(u"Bar", CKitContainer::kFixed, kButtonId);
  Add(u"Rest", CKitContainer::kFlexible, 0x611);
  Pump();
  WritePng(frame_->m_hWnd, "guitk_container");
}

TEST_F(KitContainerTest, AHeldButtonsClickReachesTheFrame) {
  CWnd* bar = Add(u"Bar", CKitContainer::kFixed, kButtonId);
  Pump();
  CRect r;
  bar->GetWindowRect(&r);
  Click(r.CenterPoint());
  Pump();
  EXPECT_EQ(frame_->m_nCommands, 1);
}

}  // namespace
