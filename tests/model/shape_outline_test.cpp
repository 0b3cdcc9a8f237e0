// Shape outlines: contour buffers taken in and checked, reversal, moving,
// transforming, copies, bounds and drawing through a recording device.
#include <gtest/gtest.h>

#include <string>

#include "outline_test_shapes.h"

using namespace test_shapes;

namespace {

std::vector<BYTE> Bytes(const CShapeOutline& o, int i) {
  const BYTE* b = o.GetContour(i)->buffer;
  uint32_t size;
  std::memcpy(&size, b, 4);
  return std::vector<BYTE>(b, b + size);
}

CVector2 PointAt(const std::vector<BYTE>& b, size_t offset) {
  float xy[2];
  std::memcpy(xy, b.data() + offset, 8);
  return CVector2(xy[0], xy[1]);
}

struct RecordingDC {
  std::string calls;
  void MoveTo(int x, int y) { calls += "M" + std::to_string(x) + "," + std::to_string(y) + " "; }
  void LineTo(int x, int y) { calls += "L" + std::to_string(x) + "," + std::to_string(y) + " "; }
};

std::vector<BYTE> MixedContour() {
  return ContourBytes({0, 0}, {{kOutlinePolyline, {{80, 0}, {80, 40}}},
                               {kOutlineQSpline, {{60, 80}, {20, 80}, {0, 40}}},
                               {kOutlinePolyline, {{0, 0}}}});
}

}  // namespace

TEST(ShapeOutline, MalformedBuffersAreRefused) {
  CShapeOutline o;
  std::vector<BYTE> good = MixedContour();
  EXPECT_EQ(o.AddContour(good.data(), static_cast<uint32_t>(good.size())), 0);
  std::vector<BYTE> shortSize = good;
  const uint32_t wrong = static_cast<uint32_t>(good.size() - 3);  // cuts a record
  std::memcpy(shortSize.data(), &wrong, 4);
  EXPECT_EQ(o.AddContour(shortSize.data(), static_cast<uint32_t>(shortSize.size())), -1);
  std::vector<BYTE> longSize = good;
  const uint32_t beyond = static_cast<uint32_t>(good.size() + 100);
  std::memcpy(longSize.data(), &beyond, 4);
  EXPECT_EQ(o.AddContour(longSize.data(), static_cast<uint32_t>(longSize.size())), -1);
  std::vector<BYTE> countTooBig = good;
  const WORD huge = 0xFFFF;
  std::memcpy(countTooBig.data() + 14, &huge, 2);
  EXPECT_EQ(o.AddContour(countTooBig.data(), static_cast<uint32_t>(countTooBig.size())), -1);
  EXPECT_EQ(o.AddContour(good.data(), 8), -1);
  EXPECT_EQ(o.GetContourCount(), 1);
  RECT r;
  o.GetBounds(&r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 80);
  EXPECT_EQ(r.bottom, 80);
  EXPECT_EQ(o.GetContour(0)->midRow, 40);
}

TEST(ShapeOutline, ReversalRunsBackAndTwiceGivesTheSameBytes) {
  CShapeOutline o;
  Add(o, MixedContour());
  const std::vector<BYTE> original = Bytes(o, 0);
  o.ReverseContour(0);
  const std::vector<BYTE> reversed = Bytes(o, 0);
  ASSERT_EQ(reversed.size(), original.size());
  // Records in reverse order with their own types and counts: one polyline
  // point, three spline points, two polyline points.
  WORD type, count;
  std::memcpy(&type, reversed.data() + 12, 2);
  std::memcpy(&count, reversed.data() + 14, 2);
  EXPECT_EQ(type, kOutlinePolyline);
  EXPECT_EQ(count, 1);
  const CVector2 first = PointAt(reversed, 16);  // p[N-2] = (0, 40)
  EXPECT_EQ(first.x, 0);
  EXPECT_EQ(first.y, 40);
  const CVector2 control = PointAt(reversed, 28);  // control points reversed: (20, 80) first
  EXPECT_EQ(control.x, 20);
  const CVector2 last = PointAt(reversed, reversed.size() - 8);
  EXPECT_EQ(last.x, 0);
  EXPECT_EQ(last.y, 0);
  o.ReverseAll();
  EXPECT_EQ(Bytes(o, 0), original);
  o.ReverseContour(5);  // no such contour
  o.ReverseContour(-1);
}

TEST(ShapeOutline, OffsetMovesPointsAndWidensRowRanges) {
  CShapeOutline o;
  Add(o, MixedContour());
  const std::vector<BYTE> before = Bytes(o, 0);
  const COutlineContour rows = *o.GetContour(0);
  o.Offset(0, 0);
  EXPECT_EQ(Bytes(o, 0), before);
  EXPECT_EQ(o.GetContour(0)->maxRow, rows.maxRow);
  o.Offset(0.5f, 0.5f);
  EXPECT_EQ(PointAt(Bytes(o, 0), 4).x, 0.5f);
  EXPECT_EQ(PointAt(Bytes(o, 0), 16).x, 80.5f);
  EXPECT_EQ(o.GetContour(0)->maxRow, rows.maxRow + 1);
  EXPECT_EQ(o.GetContour(0)->minRow, rows.minRow - 1);
  RECT r;
  o.GetBounds(&r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 80);
}

TEST(ShapeOutline, CloneOwnsItsBuffersAndTransformRecomputesBounds) {
  CShapeOutline o;
  Add(o, MixedContour());
  CShapeOutline* copy = o.Clone();
  copy->Offset(100, 0);
  EXPECT_EQ(PointAt(Bytes(o, 0), 16).x, 80.0f);
  EXPECT_EQ(PointAt(Bytes(*copy, 0), 16).x, 180.0f);
  delete copy;
  CMatrix3 m;
  m.SetScale(CVector2(0.5f, -2.0f));
  o.Transform(m);
  RECT r;
  o.GetBounds(&r);
  EXPECT_EQ(r.right, 40);
  EXPECT_EQ(r.top, -160);
  EXPECT_EQ(r.bottom, 0);
  EXPECT_EQ(o.GetContour(0)->minRow, -160);

  CShapeOutline empty;
  empty.GetBounds(&r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.bottom, 0);
  empty.ReverseAll();
  empty.SetValueAll(2);
  EXPECT_EQ(empty.GetValue(), 2);
}

TEST(ShapeOutline, DrawWalksLinesAndSubdividesCurves) {
  CShapeOutline o;
  RecordingDC dc;
  const POINT origin{10, 20};
  EXPECT_EQ(o.Draw(&dc, &origin, 1.0f), 0);
  EXPECT_TRUE(dc.calls.empty());
  Add(o, Polygon({{0, 0}, {4, 0}, {4, 2}}));
  EXPECT_EQ(o.Draw(&dc, &origin, 2.0f), 1);  // eighths of a pixel, times 2
  EXPECT_EQ(dc.calls, "M10,20 L18,20 L18,24 L10,20 ");
  CShapeOutline curve;
  Add(curve, ContourBytes({0, 0}, {{kOutlineQSpline, {{40, 0}, {40, 40}}}}));
  RecordingDC curved;
  curve.Draw(&curved, &origin, 8.0f);
  // A bent quadratic is drawn as several short pieces ending at its end.
  EXPECT_GT(std::count(curved.calls.begin(), curved.calls.end(), 'L'), 4);
  EXPECT_NE(curved.calls.find("L50,60 "), std::string::npos);
}
