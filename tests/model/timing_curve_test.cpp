// CBezierCurve as a pair's timing curve: the table, y at x at the known
// values, and ranges of one frame that must never divide by zero.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "model/outline/curve_keys.h"

namespace {

// What the pair does when its frame count changes.
void SetFrames(CBezierCurve& curve, int frames) {
  curve.SetRange(0.0f, static_cast<float>(frames - 1), 0.0f, 256.0f);
  curve.RebuildTable();
}

}  // namespace

TEST(TimingCurve, DefaultCurveClampsPastTheRangeAndStartsAtZero) {
  CBezierCurve curve;
  EXPECT_FLOAT_EQ(curve.Evaluate(300.0f), 180.0f);
  EXPECT_FLOAT_EQ(curve.Evaluate(-1.0f), 0.0f);
  EXPECT_NEAR(curve.Evaluate(60.0f), 60.0f, 0.5f);
}

TEST(TimingCurve, StraightTwoKeyTable) {
  CBezierCurve curve;
  curve.SetRangeValues(0, 99, 0, 256);
  const CVector2 keys[] = {{0, 0}, {99, 256}};
  curve.SetPoints(keys, 2);
  ASSERT_EQ(curve.GetTableCount(), 1);
  const CBezierCurve::Table table = curve.TableAt(0);
  ASSERT_EQ(table.GetSize(), 3);
  EXPECT_FLOAT_EQ(table[1].x, 49.5f);
  EXPECT_FLOAT_EQ(table[1].y, 128.0f);
  EXPECT_FLOAT_EQ(curve.Evaluate(49.5f), 128.0f);
  EXPECT_FLOAT_EQ(curve.Evaluate(99.0f), 256.0f);
}

TEST(TimingCurve, StaleTablesAreBuiltOnFirstUse) {
  CBezierCurve curve;
  curve.FreeTables();
  EXPECT_FLOAT_EQ(curve.Evaluate(300.0f), 180.0f);
  EXPECT_GT(curve.GetTableCount(), 0);
}

TEST(TimingCurve, CopyRebuildsItsOwnTables) {
  CBezierCurve a;
  SetFrames(a, 50);
  CBezierCurve b;
  b = a;
  EXPECT_FLOAT_EQ(b.x1, 49.0f);
  EXPECT_FLOAT_EQ(b.Evaluate(20.0f), a.Evaluate(20.0f));
}

TEST(TimingCurve, OneFrameRangeStaysFiniteAndComesBack) {
  CBezierCurve curve;
  SetFrames(curve, 100);
  const float middle = curve.Evaluate(40.0f);
  SetFrames(curve, 1);
  const float only = curve.Evaluate(0.0f);
  EXPECT_TRUE(std::isfinite(only));
  for (int i = 0; i < curve.GetSize(); ++i) EXPECT_TRUE(std::isfinite(curve[i].x)) << i;
  SetFrames(curve, 100);
  for (int i = 0; i < curve.GetSize(); ++i) EXPECT_TRUE(std::isfinite(curve[i].x) && std::isfinite(curve[i].y)) << i;
  EXPECT_FLOAT_EQ(curve.Evaluate(40.0f), middle);
}

TEST(TimingCurve, ZeroWidthRangeReadFromAFileEvaluatesFinite) {
  CBezierCurve curve;
  const CVector2 keys[] = {{0, 0}, {0, 0}, {0, 256}};
  curve.SetRangeValues(0, 0, 0, 256);
  curve.SetPoints(keys, 3);
  EXPECT_TRUE(std::isfinite(curve.Evaluate(0.0f)));
  SetFrames(curve, 10);
  EXPECT_TRUE(std::isfinite(curve.Evaluate(5.0f)));
}

TEST(TimingCurve, WildKeysCostABoundedTableAndAMovedKeyIsSeenAtOnce) {
  // Keys far outside the range flatten to the depth limit in every segment
  // unless the curve's points are shared out.
  std::vector<CVector2> keys;
  for (int k = 0; k < 512; ++k) keys.emplace_back(static_cast<float>(k), (k % 2 ? 1e30f : -1e30f) / (k + 1));
  CBezierCurve timing;
  timing.SetRangeValues(0, 511, 0, 256);
  timing.SetPoints(keys.data(), static_cast<int>(keys.size()));
  int points = 0;
  for (int i = 0; i < timing.GetTableCount(); ++i) points += timing.TableAt(i).GetSize();
  EXPECT_LE(points, (1 << 14) + 2 * 511);
  CEditCurve edit;
  edit.SetPoints(keys.data(), static_cast<int>(keys.size()));
  std::unique_ptr<CVector2Array> line(edit.BuildPolyline());
  EXPECT_LE(line->GetSize(), (1 << 14) + 512);

  // The control keeps its flattened curve between paints, never past a change.
  CEditCurve control;
  CCurveHit hit;
  control.HitTest(POINT{64, 60}, hit);
  ASSERT_EQ(hit.code, kCurveHitCurve);
  control[1].y = 160;
  control.HitTest(POINT{64, 60}, hit);
  EXPECT_EQ(hit.code, kCurveHitNothing);
}
