// Cubic segment evaluation, splitting, flattening, arc length and searches.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/geometry/bezier_math.h"

namespace {

Bezier4 Segment(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
  return Bezier4{{CVector2(x0, y0), CVector2(x1, y1), CVector2(x2, y2), CVector2(x3, y3)}};
}

// Quarter of a circle of radius 100 by the usual cubic approximation.
const float kKappa = 0.5522847f;
const Bezier4 kQuarter = Segment(100, 0, 100, 100 * kKappa, 100 * kKappa, 100, 0, 100);

float TableLength(const CArcLengthTable& table) { return table[table.GetSize() - 1].length; }

}  // namespace

TEST(BezierMath, BernsteinEndsAndMiddle) {
  EXPECT_EQ(CubicBernstein(0, 0, 1, 1, 0.5f), 0.5f);
  EXPECT_EQ(CubicBernstein(3, 5, 7, 9, 0.0f), 3.0f);
  EXPECT_EQ(CubicBernstein(3, 5, 7, 9, 1.0f), 9.0f);
  CVector2 p;
  CubicPoint(p, kQuarter, 0.5f);
  EXPECT_NEAR(std::hypot(p.x, p.y), 100.0, 0.03);
}

TEST(BezierMath, SplitStraightSegment) {
  Bezier4 left, right;
  SplitCubic(Segment(0, 0, 1, 0, 2, 0, 3, 0), left, right, 0.5f);
  const float expectLeft[4] = {0, 0.5f, 1, 1.5f}, expectRight[4] = {1.5f, 2, 2.5f, 3};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(left.p[i].x, expectLeft[i]);
    EXPECT_EQ(right.p[i].x, expectRight[i]);
    EXPECT_EQ(left.p[i].y, 0.0f);
  }
}

TEST(BezierMath, SplitHalvesFollowTheCurve) {
  Bezier4 left, right;
  SplitCubic(kQuarter, left, right, 0.3f);
  CVector2 onLeft, onRight, whole;
  CubicPoint(onLeft, left, 0.5f);
  CubicPoint(whole, kQuarter, 0.15f);
  EXPECT_NEAR(onLeft.x, whole.x, 1e-4f);
  EXPECT_NEAR(onLeft.y, whole.y, 1e-4f);
  CubicPoint(onRight, right, 0.5f);
  CubicPoint(whole, kQuarter, 0.65f);
  EXPECT_NEAR(onRight.x, whole.x, 1e-4f);
  EXPECT_NEAR(onRight.y, whole.y, 1e-4f);
}

TEST(BezierMath, StraightSegmentFlattensToOneInteriorSample) {
  CCurveSampleArray samples;
  FlattenCubicSegment(Segment(0, 0, 1, 0, 2, 0, 3, 0), samples);
  ASSERT_EQ(samples.GetSize(), 3);
  EXPECT_EQ(samples[0].t, 0.0f);
  EXPECT_EQ(samples[1].t, 0.5f);
  EXPECT_EQ(samples[1].point.x, 1.5f);
  EXPECT_EQ(samples[2].t, 1.0f);
  CArcLengthTable table;
  BuildArcLengthTable(samples, table);
  ASSERT_EQ(table.GetSize(), 3);
  EXPECT_EQ(table[1].length, 1.5f);
  EXPECT_EQ(table[1].t, 0.5f);
  EXPECT_EQ(table[2].length, 3.0f);
  EXPECT_EQ(ArcLengthToParam(table, 2.25f), 0.75f);
  EXPECT_EQ(ArcLengthToParam(table, 0.75f), 0.25f);
  EXPECT_EQ(ArcLengthToParam(table, 4.5f), 1.5f);   // extrapolates along the last pair
  EXPECT_EQ(ArcLengthToParam(table, -1.5f), -0.5f);  // and the first
}

TEST(BezierMath, UnevenStraightSegmentHasExactLength) {
  // Collinear control points bunched at the end: the speed varies, the length is 30.
  const Bezier4 c = Segment(0, 0, 25, 0, 27, 0, 30, 0);
  CArcLengthTable table;
  BuildSegmentArcTable(c, table);
  EXPECT_GT(table.GetSize(), 3);
  EXPECT_NEAR(TableLength(table), 30.0f, 1e-4f);
  for (int i = 1; i < table.GetSize(); ++i) EXPECT_GT(table[i].t, table[i - 1].t);
  // Half the length is reached where x(t) = 15, found here by bisection.
  double lo = 0, hi = 1;
  for (int i = 0; i < 60; ++i) {
    const double mid = (lo + hi) / 2;
    (CubicBernstein(0, 25, 27, 30, static_cast<float>(mid)) < 15 ? lo : hi) = mid;
  }
  EXPECT_NEAR(ArcLengthToParam(table, 15.0f), lo, 0.01);
}

TEST(BezierMath, QuarterCircleLengthAndFlatness) {
  CCurveSampleArray samples;
  FlattenCubicSegment(kQuarter, samples);
  CArcLengthTable table;
  BuildArcLengthTable(samples, table);
  EXPECT_NEAR(TableLength(table), 50.0 * M_PI, 0.15);
  // Every chord of the flattening stays within about the flatness of the curve.
  for (int i = 1; i < samples.GetSize(); ++i) {
    CVector2 mid;
    CubicPoint(mid, kQuarter, (samples[i - 1].t + samples[i].t) / 2);
    const float cx = (samples[i - 1].point.x + samples[i].point.x) / 2, cy = (samples[i - 1].point.y + samples[i].point.y) / 2;
    EXPECT_LT(std::hypot(mid.x - cx, mid.y - cy), 0.1f);
  }
  // Equal arc steps land on equal angles of the circle.
  for (int k = 1; k < 4; ++k) {
    CVector2 p;
    CubicPoint(p, kQuarter, ArcLengthToParam(table, static_cast<float>(TableLength(table) * k / 4)));
    EXPECT_NEAR(std::atan2(p.y, p.x), M_PI / 2 * k / 4, 0.003) << k;
  }
}

TEST(BezierMath, InteriorSamplesAndPoints) {
  CCurveSampleArray samples;
  FlattenCubicInterior(kQuarter, samples);
  CVector2Array points;
  FlattenCubicToPoints(kQuarter, points);
  ASSERT_EQ(points.GetSize(), samples.GetSize());
  EXPECT_GT(samples[0].t, 0.0f);
  EXPECT_LT(samples[samples.GetSize() - 1].t, 1.0f);
  EXPECT_EQ(points[0].x, samples[0].point.x);
}

TEST(BezierMath, CollapsedSegmentHasUsableTable) {
  CArcLengthTable table;
  BuildSegmentArcTable(Segment(5, 5, 5, 5, 5, 5, 5, 5), table);
  ASSERT_EQ(table.GetSize(), 3);
  EXPECT_EQ(TableLength(table), 0.0f);
  EXPECT_EQ(ArcLengthToParam(table, 0.0f), 0.0f);  // not 0/0
  CArcLengthTable single;
  single.Add(ArcLengthEntry{0.0f, 0.25f});
  EXPECT_EQ(ArcLengthToParam(single, 3.0f), 0.25f);
  EXPECT_EQ(ArcLengthToParam(CArcLengthTable(), 3.0f), 0.0f);
}

TEST(BezierMath, HugeAndNonFiniteSegmentsEndFlattening) {
  CCurveSampleArray samples;
  FlattenCubicInterior(Segment(0, 0, 1e30f, 0, -1e30f, 1e30f, 0, 0), samples);
  EXPECT_LT(samples.GetSize(), 1 << 17);
  for (int i = 1; i < samples.GetSize(); ++i) ASSERT_GT(samples[i].t, samples[i - 1].t);
  samples.RemoveAll();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  FlattenCubicInterior(Segment(0, 0, nan, 0, 1, 1, 2, 2), samples);
  EXPECT_EQ(samples.GetSize(), 1);
  samples.RemoveAll();
  FlattenCubicInterior(Segment(0, 0, std::numeric_limits<float>::infinity(), 0, 1, 1, 2, 2), samples);
  EXPECT_EQ(samples.GetSize(), 1);
}

TEST(BezierMath, YAtX) {
  EXPECT_NEAR(CubicYAtX(Segment(0, 0, 1, 1, 2, 2, 3, 3), 1.7f), 1.7f, 1e-3f);
  // An S-shaped timing curve against x(t) = x solved by bisection.
  const Bezier4 s = Segment(0, 0, 80, 0, 20, 256, 100, 256);
  for (float x : {5.0f, 33.0f, 50.0f, 71.5f, 99.0f}) {
    double lo = 0, hi = 1;
    for (int i = 0; i < 60; ++i) {
      const double mid = (lo + hi) / 2;
      (CubicBernstein(0, 80, 20, 100, static_cast<float>(mid)) < x ? lo : hi) = mid;
    }
    EXPECT_NEAR(CubicYAtX(s, x), CubicBernstein(0, 0, 256, 256, static_cast<float>(lo)), 0.01) << x;
  }
  const float nan = std::numeric_limits<float>::quiet_NaN();
  CubicYAtX(Segment(0, 0, nan, 0, 1, 1, 2, 2), 1.0f);  // ends, no hang
}

TEST(BezierMath, FindSegmentParam) {
  EXPECT_EQ(FindSegmentParam(CVector2(100, 0), kQuarter, 4.0f, 0.0f, 1.0f), 0.0f);
  EXPECT_EQ(FindSegmentParam(CVector2(0, 101), kQuarter, 4.0f, 0.0f, 1.0f), 1.0f);
  EXPECT_EQ(FindSegmentParam(CVector2(50, 50), kQuarter, 4.0f, 0.0f, 1.0f), -1.0f);   // the circle's inside
  EXPECT_EQ(FindSegmentParam(CVector2(300, 300), kQuarter, 4.0f, 0.0f, 1.0f), -1.0f);
  // A point 3 units off the curve at 40 degrees is found near that place.
  const double angle = 40.0 * M_PI / 180;
  const CVector2 near(static_cast<float>(103 * std::cos(angle)), static_cast<float>(103 * std::sin(angle)));
  const float t = FindSegmentParam(near, kQuarter, 4.0f, 0.0f, 1.0f);
  ASSERT_GE(t, 0.0f);
  CVector2 on;
  CubicPoint(on, kQuarter, t);
  EXPECT_LT(std::hypot(on.x - near.x, on.y - near.y), 8.0);
  // Zero tolerance cannot recurse forever.
  EXPECT_EQ(FindSegmentParam(CVector2(0, 100), kQuarter, 0.0f, 0.0f, 1.0f), -1.0f);
}
