// The timeline curve: the frame cursor dragged and moved by keys with 301,
// frame counts, the menu's commands, and its pixels.
#include "controls/tl_curver_ctrl.h"
#include "custom_controls_test_support.h"

namespace {

using controls::CTLCurverCtrl;
using customtest::CustomControlTest;

class TLCurverCtrlTest : public CustomControlTest {
 protected:
  // 240 x 80: the curve area is (8, 14) .. (216, 76); 100 frames put frame f
  // at x = 207 f / 99 + 8.
  void SetUp() override {
    CustomControlTest::SetUp();
    hwnd_ = Make(u"TLCurverCtrl", u"", 0, 20, 40, 240, 80, 610);
    ASSERT_NE(hwnd_, nullptr);
    ctrl_ = static_cast<CTLCurverCtrl*>(CWnd::FromHandlePermanent(hwnd_));
    ctrl_->SetCurrentFrame(0);
    Pump();
  }
  std::vector<int> Frames() const {
    std::vector<int> frames;
    for (const auto& n : notes_)
      if (n.code == controls::kNotifyFrameChanged) frames.push_back(n.frame);
    return frames;
  }
  HWND hwnd_ = nullptr;
  CTLCurverCtrl* ctrl_ = nullptr;
};

TEST_F(TLCurverCtrlTest, APressBesideTheCursorDragsItToTheLastFrameAtMost) {
  EXPECT_EQ(ctrl_->GetCursorX(), 8);
  Press(At(hwnd_, 12, 40));  // 4 pixels off: nothing
  EXPECT_EQ(GetCapture(), nullptr);
  ReleaseAt(At(hwnd_, 12, 40));
  compat::AdvanceClock(1000);  // not a double click
  Press(At(hwnd_, 11, 40));  // 3 pixels off: the cursor is taken
  EXPECT_EQ(GetCapture(), hwnd_);
  MoveTo(At(hwnd_, 11 + 21, 40));
  EXPECT_EQ(ctrl_->GetCurrentFrame(), 21 * 99 / 207);
  MoveTo(At(hwnd_, 400, 40));
  ReleaseAt(At(hwnd_, 400, 40));
  EXPECT_EQ(ctrl_->GetCurrentFrame(), 99);
  EXPECT_EQ(ctrl_->GetCursorX(), 215);
  EXPECT_EQ(Frames(), (std::vector<int>{10, 99}));
  EXPECT_EQ(notes_.back().id, 610u);
}

TEST_F(TLCurverCtrlTest, ArrowKeysMoveTheFrameAndReportEvenAtTheEnds) {
  SetFocus(hwnd_);
  Key(VK_LEFT);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(Frames(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(ctrl_->GetCursorX(), 207 * 2 / 99 + 8);
}

TEST_F(TLCurverCtrlTest, FrameCountClampsTheFrameAndOneFrameWorks) {
  ctrl_->SetCurrentFrame(99);
  ctrl_->SetFrameCount(50);
  EXPECT_EQ(ctrl_->GetCurrentFrame(), 50);  // one past the last frame, until the cursor moves
  SetFocus(hwnd_);
  Key(VK_LEFT);
  EXPECT_EQ(ctrl_->GetCurrentFrame(), 49);
  ctrl_->SetFrameCount(1);
  EXPECT_EQ(ctrl_->GetCurrentFrame(), 1);
  EXPECT_EQ(ctrl_->GetCursorX(), 8);
  Key(VK_RIGHT);
  Press(At(hwnd_, 8, 40));
  MoveTo(At(hwnd_, 100, 40));
  ReleaseAt(At(hwnd_, 100, 40));
  EXPECT_EQ(ctrl_->GetCurrentFrame(), 0);
  EXPECT_EQ(Frames(), (std::vector<int>{49, 1, 0}));
}

TEST_F(TLCurverCtrlTest, ResetGivesTheStraightLineAndRemoveIsSafeWithNoSelection) {
  SendMessageW(hwnd_, WM_COMMAND, ID_CURVE_RESET_POINTS, 0);
  ASSERT_EQ(ctrl_->m_curve.GetSize(), 2);
  EXPECT_FLOAT_EQ(ctrl_->m_curve[0].x, 8);
  EXPECT_FLOAT_EQ(ctrl_->m_curve[0].y, 76);
  EXPECT_FLOAT_EQ(ctrl_->m_curve[1].x, 216);
  EXPECT_FLOAT_EQ(ctrl_->m_curve[1].y, 14);
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyCurveChanged}));
  SendMessageW(hwnd_, WM_COMMAND, ID_CURVE_REMOVE_POINT, 0);
  EXPECT_EQ(ctrl_->m_curve.GetSize(), 2);
  // A press on the line adds a key there.
  Click(At(hwnd_, 112, 45));
  EXPECT_EQ(ctrl_->m_curve.GetSize(), 3);
  SendMessageW(hwnd_, WM_COMMAND, ID_CURVE_REMOVE_POINT, 0);
  EXPECT_EQ(ctrl_->m_curve.GetSize(), 2);
}

TEST_F(TLCurverCtrlTest, TooltipShowsTheFrameAndLevelOfTheKeyUnderThePointer) {
  SendMessageW(hwnd_, WM_COMMAND, ID_CURVE_RESET_POINTS, 0);
  auto tip = [this] {
    WCHAR text[64] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND;
    info.hwnd = parent_;  // a whole-window tool belongs to the window's parent
    info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    info.lpszText = text;
    SendMessageW(ctrl_->m_tooltip.m_hWnd, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    return std::u16string(text);
  };
  MoveTo(At(hwnd_, 215, 14));
  EXPECT_EQ(tip(), u"(100,256)");
  MoveTo(At(hwnd_, 60, 45));
  EXPECT_EQ(tip(), u"");
}

// The green cursor line lies under the ruler's black marker line.
TEST_F(TLCurverCtrlTest, RulerMarkerOverTheCursorLineAndAPicture) {
  SendMessageW(hwnd_, WM_COMMAND, ID_CURVE_RESET_POINTS, 0);
  ctrl_->SetCurrentFrame(30);
  const int x = ctrl_->GetCursorX();
  WritePng(hwnd_, "tl_curver_ctrl");
  EXPECT_EQ(PixelAt(At(hwnd_, x, 30)), RGB(0, 0, 0));
  EXPECT_EQ(PixelAt(At(hwnd_, 230, 5)), RGB(0xC0, 0xC0, 0xC0));
}

TEST_F(TLCurverCtrlTest, TheHostsBrushPaintsTheBackgroundUntilItIsTakenAway) {
  const COLORREF host = RGB(0x20, 0x40, 0x60);
  HBRUSH brush = CreateSolidBrush(host);
  ctrl_->SetBackgroundBrush(brush);
  Pump();
  EXPECT_EQ(PixelAt(At(hwnd_, 230, 5)), host);
  EXPECT_EQ(PixelAt(At(hwnd_, 2, 40)), host);
  ctrl_->SetBackgroundBrush(nullptr);
  Pump();
  EXPECT_EQ(PixelAt(At(hwnd_, 230, 5)), RGB(0xC0, 0xC0, 0xC0));
  DeleteObject(brush);
}

}  // namespace
