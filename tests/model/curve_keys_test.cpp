// CCurveKeys and CEditCurve: the spline through the keys, range changes,
// the curve record byte by byte, insertion and the control's hit test.
#include <gtest/gtest.h>

#include <cmath>

#include "compat/win32.h"
#include "model/outline/curve_keys.h"
#include "record_bytes.h"

namespace {

void SetKeys(CCurveKeys& curve, std::initializer_list<CVector2> keys) {
  curve.SetPoints(keys.begin(), static_cast<int>(keys.size()));
}

}  // namespace

TEST(CurveKeys, DefaultRangeAndKeys) {
  CCurveKeys curve;
  ASSERT_EQ(curve.GetSize(), 4);
  EXPECT_FLOAT_EQ(curve[3].x, 400.0f);
  EXPECT_FLOAT_EQ(curve.x1, 255.0f);
  EXPECT_FLOAT_EQ(curve.y1, 255.0f);
}

TEST(CurveKeys, TwoKeysGiveAStraightSegmentWithThirdHandles) {
  CCurveKeys curve;
  SetKeys(curve, {{0, 0}, {99, 256}});
  CBezierNodeArray nodes;
  curve.Rebuild(nodes);
  ASSERT_EQ(nodes.GetSize(), 2);
  EXPECT_NEAR(nodes[0].handle[1].x, 33.0f, 1e-4);
  EXPECT_NEAR(nodes[1].handle[0].y, 256.0f * 2 / 3, 1e-3);
  EXPECT_FLOAT_EQ(nodes[0].handle[0].x, 0.0f);  // the ends keep their anchors
  EXPECT_EQ(nodes[1].smooth, 1);
}

TEST(CurveKeys, SplinePassesThroughEveryKeyWithContinuousTangents) {
  CCurveKeys curve;
  CBezierNodeArray nodes;
  curve.Rebuild(nodes);
  ASSERT_EQ(nodes.GetSize(), 4);
  for (int i = 1; i < 3; ++i) {
    const CVector2 in = nodes[i].point - nodes[i].handle[0];
    const CVector2 out = nodes[i].handle[1] - nodes[i].point;
    EXPECT_NEAR(in.x * out.y - in.y * out.x, 0.0f, 1e-2) << i;  // handles in line
    EXPECT_GT(Dot(in, out), 0.0f);
  }
  CVector2Array* line = curve.BuildPolyline();
  EXPECT_FLOAT_EQ(line->ElementAt(0).x, 0.0f);
  EXPECT_FLOAT_EQ(line->ElementAt(line->GetSize() - 1).x, 400.0f);
  delete line;
}

TEST(CurveKeys, CoincidentKeysStayFinite) {
  CCurveKeys curve;
  SetKeys(curve, {{0, 0}, {0, 0}, {50, 50}});
  CBezierNodeArray nodes;
  curve.Rebuild(nodes);
  for (int i = 0; i < nodes.GetSize(); ++i) {
    for (const CVector2& h : nodes[i].handle) EXPECT_TRUE(std::isfinite(h.x) && std::isfinite(h.y)) << i;
  }
  SetKeys(curve, {{5, 5}});
  CVector2Array* line = curve.BuildPolyline();
  EXPECT_EQ(line->GetSize(), 1);
  delete line;
}

TEST(CurveKeys, SetRangeRescalesKeysAndFlipTwiceRestores) {
  CCurveKeys curve;
  curve.SetRange(0, 99, 0, 256);
  EXPECT_FLOAT_EQ(curve[1].x, 60.0f * 99 / 255);
  EXPECT_FLOAT_EQ(curve[1].y, 60.0f * 256 / 255);
  EXPECT_FLOAT_EQ(curve.x1, 99.0f);
  const float y = curve[2].y;
  curve.FlipY();
  EXPECT_FLOAT_EQ(curve[2].y, 256.0f - y);
  curve.FlipY();
  EXPECT_FLOAT_EQ(curve[2].y, y);
}

TEST(CurveKeys, SettingTheSameRangeMovesNoKeyAndARealChangeRoundsOnce) {
  CCurveKeys curve;
  curve.SetRangeValues(0.0f, 99.0f, 0.0f, 256.0f);
  // Values whose float rescaling by an unchanged range moves them a unit in
  // the last place.
  const CVector2 keys[] = {{0, 0}, {0.2193f, 0.4386f}, {0.8772f, 201.3f}, {98.7f, 255.9f}};
  curve.SetPoints(keys, 4);
  curve.SetRange(0.0f, 99.0f, 0.0f, 256.0f);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(curve[i].x, keys[i].x) << i;
    EXPECT_EQ(curve[i].y, keys[i].y) << i;
  }
  curve.SetRange(0.0f, 49.0f, 0.0f, 256.0f);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(curve[i].x, static_cast<float>(static_cast<double>(keys[i].x) * 49.0 / 99.0)) << i;
}

TEST(CurveKeysRecord, BytesAreCountPointsThenRange) {
  CCurveKeys curve;
  SetKeys(curve, {{0, 0}, {99, 256}});
  curve.SetRangeValues(0, 99, 0, 256);
  const std::vector<BYTE> expected =
      RecordBytes().Int(2).Point(0, 0).Point(99, 256).Float(0).Float(99).Float(0).Float(256).bytes();
  const std::vector<BYTE> stored = StoreRecord(curve);
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(stored.size(), 4u + 8 * 2 + 16);
  CCurveKeys back;
  ASSERT_EQ(LoadRecord(expected, back), -1);
  ASSERT_EQ(back.GetSize(), 2);
  EXPECT_FLOAT_EQ(back.y1, 256.0f);
}

TEST(CurveKeysRecord, HostileCountsAreRefusedAndKeepTheCurve) {
  for (int count : {-1, CCurveKeys::kMaxKeys + 1}) {
    CCurveKeys curve;
    EXPECT_EQ(LoadRecord(RecordBytes().Int(count).bytes(), curve), CArchiveException::badIndex);
    EXPECT_EQ(curve.GetSize(), 4);
  }
  CCurveKeys curve;
  EXPECT_EQ(LoadRecord(RecordBytes().Int(1).Point(1, 1).Float(0).bytes(), curve), CArchiveException::endOfFile);
  EXPECT_EQ(curve.GetSize(), 4);
}

TEST(EditCurve, InsertOnlyStrictlyBetweenNeighbours) {
  CEditCurve curve;
  EXPECT_EQ(curve.InsertPoint(CVector2(60, 10)), -1);
  EXPECT_EQ(curve.InsertPoint(CVector2(500, 10)), -1);
  EXPECT_EQ(curve.InsertPoint(CVector2(-1, 10)), -1);
  EXPECT_EQ(curve.GetSize(), 4);
  EXPECT_EQ(curve.InsertPoint(CVector2(90, 10)), 2);
  EXPECT_FLOAT_EQ(curve[2].x, 90.0f);
}

TEST(EditCurve, HitTestKeysThenCurveThenNothing) {
  CEditCurve curve;
  CCurveHit hit;
  curve.HitTest(POINT{56, 63}, hit);  // [56, 64) around (60, 60)
  EXPECT_EQ(hit.code, kCurveHitKey);
  EXPECT_EQ(hit.key, 1);
  curve.HitTest(POINT{64, 60}, hit);
  EXPECT_EQ(hit.code, kCurveHitCurve);
  EXPECT_NEAR(hit.y, 64.0f, 1.0f);
  curve.HitTest(POINT{90, 130}, hit);
  EXPECT_EQ(hit.code, kCurveHitNothing);
}

TEST(EditCurve, SelectedYIsClampedToTheDisplay) {
  CEditCurve curve;
  curve.SetRect(RECT{0, 10, 100, 90});
  curve.selected = 2;
  curve.SetSelectedY(200);
  EXPECT_FLOAT_EQ(curve[2].y, 90.0f);
  curve.SetSelectedY(-5);
  EXPECT_FLOAT_EQ(curve[2].y, 10.0f);
  curve.selected = 9;  // stale: nothing moves
  curve.SetSelectedY(50);
}

TEST(EditCurve, TakesATimingCurvesKeysAndRangeAndGivesThemBack) {
  CBezierCurve timing;
  timing.SetRange(0, 49, 0, 256);
  CEditCurve edit;
  edit.selected = 1;
  edit = timing;
  EXPECT_FLOAT_EQ(edit.x1, 49.0f);
  EXPECT_FLOAT_EQ(edit[3].x, timing[3].x);
  EXPECT_EQ(edit.selected, 1);
  edit.FlipY();
  timing = edit;
  EXPECT_FLOAT_EQ(timing[0].y, 256.0f);
  EXPECT_GT(timing.GetTableCount(), 0);
}

TEST(EditCurve, DrawsTheCurveInRedAndTheSelectedKeyFilledBlue) {
  compat::ResetDesktop(800, 600);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"CalvettaCurveControl";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND window = CreateWindowExW(0, u"CalvettaCurveControl", u"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr, nullptr,
                                nullptr);
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  const RECT all{0, 0, 300, 300};
  HBRUSH black = CreateSolidBrush(0);
  FillRect(dc, &all, black);
  CEditCurve curve;
  const CVector2 keys[] = {{10, 10}, {100, 100}, {200, 150}};
  curve.SetPoints(keys, 3);
  curve.SetRect(RECT{0, 0, 150, 300});
  curve.selected = 1;
  curve.Draw(dc);
  EXPECT_EQ(GetPixel(dc, 100, 100) & 0xFFFFFF, 0xFF0000u);  // the selected key, filled
  EXPECT_EQ(GetPixel(dc, 8, 8) & 0xFFFFFF, 0xFFFFFFu);      // a key's frame
  EXPECT_EQ(GetPixel(dc, 148, 150) & 0xFFFFFF, 0xFFFFFFu);  // the last key, held inside the display
  int red = 0;
  for (int y = 30; y <= 70; ++y) red += (GetPixel(dc, 50, y) & 0xFFFFFF) == 0x0000FFu;
  EXPECT_GE(red, 1);  // the curve passes x = 50
  DeleteObject(black);
  ReleaseDC(window, dc);
  compat::ResetDesktop(800, 600);
}
