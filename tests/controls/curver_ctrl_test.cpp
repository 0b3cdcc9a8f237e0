// The curve editor as a user works it: pressing on keys, on the curve and
// elsewhere, dragging a key, deleting keys, and the curve in and out.
#include <memory>

#include "controls/curver_ctrl.h"
#include "custom_controls_test_support.h"

namespace {

using controls::CCurverCtrl;
using customtest::CustomControlTest;

class CurverCtrlTest : public CustomControlTest {
 protected:
  // 216 x 128: the curve area is (8, 14) .. (208, 114).
  void SetUp() override {
    CustomControlTest::SetUp();
    hwnd_ = Make(u"CurverCtrl", u"", 0, 20, 40, 216, 128, 600);
    ASSERT_NE(hwnd_, nullptr);
    ctrl_ = static_cast<CCurverCtrl*>(CWnd::FromHandlePermanent(hwnd_));
    CCurveKeys keys;
    const CVector2 points[] = {CVector2(0, 0), CVector2(50, 128), CVector2(100, 256)};
    keys.SetPoints(points, 3);
    keys.SetRangeValues(0, 100, 0, 256);
    ctrl_->SetCurve(keys);
    Pump();
  }
  // A point on the shown curve between the first two keys.
  POINT OnCurve(float x) const {
    std::unique_ptr<CVector2Array> line(ctrl_->m_curve.BuildPolyline());
    for (int i = 0; i + 1 < line->GetSize(); ++i) {
      const CVector2 a = line->GetAt(i), b = line->GetAt(i + 1);
      if (a.x <= x && x <= b.x && b.x > a.x) {
        const float y = a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
        return POINT{static_cast<LONG>(x), static_cast<LONG>(y + 0.5f)};
      }
    }
    return POINT{0, 0};
  }
  CEditCurve& Curve() { return ctrl_->m_curve; }
  int Notes() const { return static_cast<int>(notes_.size()); }

  HWND hwnd_ = nullptr;
  CCurverCtrl* ctrl_ = nullptr;
};

TEST_F(CurverCtrlTest, SetCurveShowsTheKeysFlippedInTheCurveAreaAndGetCurveGivesThemBack) {
  ASSERT_EQ(Curve().GetSize(), 3);
  EXPECT_FLOAT_EQ(Curve()[0].x, 8);
  EXPECT_FLOAT_EQ(Curve()[0].y, 114);
  EXPECT_FLOAT_EQ(Curve()[1].x, 108);
  EXPECT_FLOAT_EQ(Curve()[1].y, 64);
  EXPECT_FLOAT_EQ(Curve()[2].y, 14);
  CCurveKeys back;
  ctrl_->GetCurve(back);
  back.SetRange(0, 100, 0, 256);
  ASSERT_EQ(back.GetSize(), 3);
  EXPECT_NEAR(back[1].x, 50, 1e-3);
  EXPECT_NEAR(back[1].y, 128, 1e-3);
  EXPECT_NEAR(back[2].y, 256, 1e-3);
}

TEST_F(CurverCtrlTest, PressSelectsAKeyInsertsOnTheCurveAndIgnoresElsewhere) {
  Click(At(hwnd_, 108, 64));
  EXPECT_EQ(Curve().selected, 1);
  EXPECT_EQ(Curve().GetSize(), 3);
  Click(At(hwnd_, 60, 20));  // away from the curve and the keys
  EXPECT_EQ(Curve().GetSize(), 3);
  EXPECT_EQ(Curve().selected, 1);
  const POINT on = OnCurve(60);
  Click(At(hwnd_, on.x, on.y));
  EXPECT_EQ(Curve().GetSize(), 4);
  EXPECT_EQ(Curve().selected, 1);
  EXPECT_NEAR(Curve()[1].x, 60, 0.5);
  EXPECT_EQ(Notes(), 0);  // selecting and inserting are not point moves
}

TEST_F(CurverCtrlTest, VerticalDragMovesTheKeyOneMessageBehindAndClamps) {
  Press(At(hwnd_, 108, 64));
  MoveTo(At(hwnd_, 108, 50));
  EXPECT_FLOAT_EQ(Curve()[1].y, 64);  // the previous message's y
  EXPECT_EQ(Notes(), 1);
  MoveTo(At(hwnd_, 140, 40));
  EXPECT_FLOAT_EQ(Curve()[1].y, 50);
  EXPECT_FLOAT_EQ(Curve()[1].x, 108);  // x never changes
  MoveTo(At(hwnd_, 140, -30));
  MoveTo(At(hwnd_, 140, -31));
  EXPECT_FLOAT_EQ(Curve()[1].y, 14);  // held in the display rectangle
  ReleaseAt(At(hwnd_, 140, -31));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Notes(), 4);
  EXPECT_EQ(notes_.back().code, controls::kNotifyCurveChanged);
  EXPECT_EQ(notes_.back().id, 600u);
}

TEST_F(CurverCtrlTest, DeleteKeepsTheEndsAndIsSafeWithNoSelection) {
  SetFocus(hwnd_);
  Key(VK_DELETE);  // nothing selected
  EXPECT_EQ(Curve().GetSize(), 3);
  EXPECT_EQ(Notes(), 1);
  Click(At(hwnd_, 8, 114));  // the first key
  Key(VK_DELETE);
  EXPECT_EQ(Curve().GetSize(), 3);
  Click(At(hwnd_, 207, 14));  // the last key
  Key(VK_DELETE);
  EXPECT_EQ(Curve().GetSize(), 3);
  Click(At(hwnd_, 108, 64));
  Key(VK_DELETE);
  EXPECT_EQ(Curve().GetSize(), 2);
  EXPECT_EQ(Notes(), 4);
  // A press on the curve right at a key's x inserts nothing and drags nothing.
  Curve().selected = -1;
  CCurveHit hit{};
  Curve().HitTest(POINT{8, 114}, hit);
  EXPECT_EQ(hit.code, kCurveHitKey);
  MoveTo(At(hwnd_, 100, 100));
  Key(VK_DELETE);
  EXPECT_EQ(Curve().GetSize(), 2);
}

TEST_F(CurverCtrlTest, PictureOfTheCurveWithItsGrid) {
  Click(At(hwnd_, 108, 64));
  WritePng(hwnd_, "curver_ctrl");
  EXPECT_EQ(PixelAt(At(hwnd_, 2, 2)), RGB(0xA8, 0xA8, 0xA8));
  EXPECT_EQ(PixelAt(At(hwnd_, 30, 14)), RGB(0, 0, 0));  // the top grid line
}

}  // namespace
