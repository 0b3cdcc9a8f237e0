// The transform tracker: handle positions, hit testing, cursors and the
// transforms of scripted drags applied to selected points.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/outline/transform_tracker.h"

namespace {

CTransformTracker TrackerOver(float left, float right, float top, float bottom) {
  CTransformTracker tracker;
  tracker.SetRect(CRectF(left, top, right, bottom));
  return tracker;
}

// All nine handle points: corners, rotation handle, edge middles.
std::vector<CVector2> Handles(const CTransformTracker& tracker) {
  CVector2 p[5];
  tracker.GetPoints(p);
  std::vector<CVector2> all(p, p + 5);
  for (int i = 0; i < 4; ++i) {
    all.push_back(CVector2((p[i].x + p[(i + 1) % 4].x) / 2, (p[i].y + p[(i + 1) % 4].y) / 2));
  }
  return all;
}

POINT Pt(LONG x, LONG y) { return POINT{x, y}; }
POINT Rounded(const CVector2& v) { return Pt(std::lround(v.x), std::lround(v.y)); }

// A drag as the line set runs it: each mouse step moves the frame (inside),
// turns it (handle 4) or sizes it, and the selected points follow the step.
void Drag(CTransformTracker& tracker, int handle, const std::vector<POINT>& path, std::vector<CVector2>& points) {
  for (size_t i = 1; i < path.size(); ++i) {
    const POINT& from = path[i - 1];
    const POINT& to = path[i];
    if (handle == CTransformTracker::kInside) {
      const POINT d{to.x - from.x, to.y - from.y};
      for (CVector2& p : points) p += CVector2(static_cast<float>(d.x), static_cast<float>(d.y));
      tracker.Offset(d);
      continue;
    }
    if (handle == CTransformTracker::kRotationHandle) tracker.Rotate(from, to, Pt(0, 0));
    else tracker.MoveHandle(handle, from, to);
    for (CVector2& p : points) tracker.TransformPoint(p, p);
  }
}

// Turns the frame by dragging the rotation handle around the centre in
// steps of at most 45 degrees (one step turns at most 90).
void TurnBy(CTransformTracker& tracker, float degrees) {
  const CVector2 c = tracker.GetRect().CenterPoint();
  auto at = [&](double deg) {
    const double a = deg * M_PI / 180;
    return Pt(std::lround(c.x + 100000 * std::cos(a)), std::lround(c.y + 100000 * std::sin(a)));
  };
  const int steps = static_cast<int>(std::ceil(std::fabs(degrees) / 45.0f));
  for (int i = 0; i < steps; ++i) tracker.Rotate(at(degrees * i / steps), at(degrees * (i + 1) / steps), Pt(0, 0));
}

}  // namespace

TEST(TransformTracker, HandlePointsOfAnUnturnedFrame) {
  const CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
  const std::vector<CVector2> h = Handles(tracker);
  const float expected[9][2] = {{0, 0}, {100, 0}, {100, 50}, {0, 50}, {115, 25}, {50, 0}, {100, 25}, {50, 50}, {0, 25}};
  for (int i = 0; i < 9; ++i) {
    EXPECT_FLOAT_EQ(h[i].x, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(h[i].y, expected[i][1]) << i;
  }
}

TEST(TransformTracker, HitTestFindsEveryHandleAndItsSquare) {
  for (float angle : {0.0f, 30.0f, -125.0f}) {
    CTransformTracker tracker = TrackerOver(40, 240, 60, 160);
    // Turn the frame by dragging the rotation handle around the centre (140, 110).
    TurnBy(tracker, angle);
    ASSERT_NEAR(tracker.GetAngle(), angle, 0.1f);
    const std::vector<CVector2> h = Handles(tracker);
    for (int i = 0; i < 9; ++i) {
      POINT centre{static_cast<LONG>(h[i].x), static_cast<LONG>(h[i].y)};
      int handle = 99;
      EXPECT_EQ(tracker.HitTest(centre, handle), 1);
      EXPECT_EQ(handle, i) << "angle " << angle;
      // The square runs from -4 inclusive to +4 exclusive.
      EXPECT_EQ(tracker.HitTest(Pt(centre.x - 4, centre.y + 3), handle), 1);
      EXPECT_EQ(handle, i);
      tracker.HitTest(Pt(centre.x + 4, centre.y), handle);
      EXPECT_NE(handle, i);
    }
    int handle = 99;
    EXPECT_EQ(tracker.HitTest(Pt(150, 100), handle), 1);  // inside, on no handle
    EXPECT_EQ(handle, -1);
    EXPECT_EQ(tracker.HitTest(Pt(500, 500), handle), 0);
    EXPECT_EQ(handle, -1);
  }
}

TEST(TransformTracker, OutlineIsNotInside) {
  const CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
  int handle = 0;
  EXPECT_EQ(tracker.HitTest(Pt(30, 0), handle), 0);   // on the top edge, between handles
  EXPECT_EQ(tracker.HitTest(Pt(100, 40), handle), 0);
  EXPECT_EQ(tracker.HitTest(Pt(30, 1), handle), 1);
  EXPECT_EQ(handle, -1);
  // The diagonal between the frame's two triangles, and its centre, are inside.
  EXPECT_EQ(tracker.HitTest(Pt(80, 40), handle), 1);
  EXPECT_EQ(handle, -1);
  EXPECT_EQ(tracker.HitTest(Pt(50, 25), handle), 1);
}

TEST(TransformTracker, TruncatedHandlePositions) {
  // Handle points are truncated toward zero before the square is laid.
  const CTransformTracker tracker = TrackerOver(-10.7f, 10.7f, -20.9f, 20.9f);
  int handle = 99;
  EXPECT_EQ(tracker.HitTest(Pt(-14, -24), handle), 1);
  EXPECT_EQ(handle, 0);  // corner (-10.7, -20.9) -> (-10, -20)
  EXPECT_EQ(tracker.HitTest(Pt(-15, -20), handle), 0);
}

TEST(TransformTracker, CursorsFollowTheTurn) {
  CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
  EXPECT_EQ(tracker.CursorIdAt(Pt(100, 25)), kCursorSizeWE);    // handle 6
  EXPECT_EQ(tracker.CursorIdAt(Pt(50, 0)), kCursorSizeNS);      // handle 5
  EXPECT_EQ(tracker.CursorIdAt(Pt(0, 0)), kCursorSizeNWSE);     // handle 0
  EXPECT_EQ(tracker.CursorIdAt(Pt(100, 0)), kCursorSizeNESW);   // handle 1
  EXPECT_EQ(tracker.CursorIdAt(Pt(115, 25)), kCursorRotateResource);
  EXPECT_EQ(tracker.CursorIdAt(Pt(30, 20)), kCursorSizeAll);
  EXPECT_EQ(tracker.CursorIdAt(Pt(300, 20)), 0);
  // A quarter turn: the right edge's middle now points down.
  tracker.Rotate(Pt(150, 25), Pt(50, 125), Pt(0, 0));
  ASSERT_NEAR(tracker.GetAngle(), 90.0f, 1e-3f);
  std::vector<CVector2> h = Handles(tracker);
  EXPECT_EQ(tracker.CursorIdAt(Rounded(h[6])), kCursorSizeNS);
  EXPECT_EQ(tracker.CursorIdAt(Rounded(h[5])), kCursorSizeWE);
}

TEST(TransformTracker, CursorForAngleSectors) {
  EXPECT_EQ(CursorForAngle(0), kCursorSizeWE);
  EXPECT_EQ(CursorForAngle(22.4f), kCursorSizeWE);
  EXPECT_EQ(CursorForAngle(22.5f), kCursorSizeNESW);
  EXPECT_EQ(CursorForAngle(-22.4f), kCursorSizeWE);
  EXPECT_EQ(CursorForAngle(-22.5f), kCursorSizeNWSE);  // 360 after the shift
  EXPECT_EQ(CursorForAngle(-23), kCursorSizeNWSE);
  EXPECT_EQ(CursorForAngle(337.5f), kCursorSizeNWSE);  // exactly 360 after the shift
  EXPECT_EQ(CursorForAngle(180), kCursorSizeWE);
  EXPECT_EQ(CursorForAngle(-630), kCursorSizeNS);
  EXPECT_EQ(CursorForAngle(7200 + 45), kCursorSizeNESW);
  CursorForAngle(-1e30f);  // ends
  CursorForAngle(-INFINITY);
}

TEST(TransformTracker, SizingHandleScalesSymmetrically) {
  CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
  const CMatrix3& step = tracker.MoveHandle(6, Pt(100, 25), Pt(110, 25));
  EXPECT_EQ(step.m[0], 1.2f);
  EXPECT_EQ(tracker.GetRect().left, -10.0f);
  EXPECT_EQ(tracker.GetRect().right, 110.0f);
  EXPECT_EQ(tracker.GetRect().top, 0.0f);
  CVector2 centre;
  tracker.TransformPoint(CVector2(50, 25), centre);
  EXPECT_FLOAT_EQ(centre.x, 50.0f);
  EXPECT_FLOAT_EQ(centre.y, 25.0f);
}

TEST(TransformTracker, DragPastTheOppositeEdgeSwaps) {
  CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
  const CMatrix3& step = tracker.MoveHandle(8, Pt(0, 25), Pt(150, 25));
  EXPECT_EQ(tracker.GetRect().left, -50.0f);
  EXPECT_EQ(tracker.GetRect().right, 150.0f);
  EXPECT_EQ(step.m[0], 2.0f);
  EXPECT_EQ(step.m[4], 1.0f);
  // A frame of no width cannot be scaled in x.
  CTransformTracker flat = TrackerOver(10, 10, 0, 50);
  EXPECT_EQ(flat.MoveHandle(6, Pt(10, 25), Pt(30, 25)).m[0], 1.0f);
}

TEST(TransformTracker, EveryHandleMovesItsEdges) {
  // k: which sides move with a step of (+4, +6) in the frame's own axes.
  struct Case { int k; float left, right, top, bottom; };
  const Case cases[] = {{0, 4, 96, 6, 44}, {1, -4, 104, 6, 44}, {2, -4, 104, -6, 56}, {3, 4, 96, -6, 56},
                        {4, 4, 96, 6, 44}, {5, 0, 100, 6, 44}, {6, -4, 104, 0, 50}, {7, 0, 100, -6, 56},
                        {8, 4, 96, 0, 50}, {42, 4, 96, 6, 44}};
  for (const Case& c : cases) {
    CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
    tracker.MoveHandle(c.k, Pt(0, 0), Pt(4, 6));
    EXPECT_EQ(tracker.GetRect().left, c.left) << c.k;
    EXPECT_EQ(tracker.GetRect().right, c.right) << c.k;
    EXPECT_EQ(tracker.GetRect().top, c.top) << c.k;
    EXPECT_EQ(tracker.GetRect().bottom, c.bottom) << c.k;
  }
}

TEST(TransformTracker, ScriptedDragsMoveScaleAndRotatePoints) {
  CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
  std::vector<CVector2> points = {CVector2(0, 0), CVector2(100, 50), CVector2(25, 40)};
  // Move from inside by (30, -10) in three mouse steps.
  Drag(tracker, CTransformTracker::kInside, {Pt(50, 25), Pt(60, 20), Pt(70, 18), Pt(80, 15)}, points);
  EXPECT_EQ(points[0].x, 30.0f);
  EXPECT_EQ(points[0].y, -10.0f);
  EXPECT_EQ(tracker.GetRect().left, 30.0f);
  // Pull the bottom edge down by 25 in two steps: height 50 -> 100 about the centre.
  Drag(tracker, 7, {Pt(80, 40), Pt(80, 50), Pt(80, 65)}, points);
  EXPECT_NEAR(points[0].y, -35.0f, 1e-4f);
  EXPECT_NEAR(points[1].y, 65.0f, 1e-4f);
  EXPECT_NEAR(points[2].y, 45.0f, 1e-4f);   // 30 below the top of a 50-high frame -> 60 below -35
  EXPECT_NEAR(points[2].x, 55.0f, 1e-4f);   // x untouched
  // Turn by 90 degrees about the centre (80, 15) in steps of 45.
  Drag(tracker, CTransformTracker::kRotationHandle, {Pt(180, 15), Pt(151, 86), Pt(80, 115)}, points);
  EXPECT_NEAR(tracker.GetAngle(), 90.0f, 0.1f);
  EXPECT_NEAR(points[0].x, 130.0f, 0.1f);   // (30, -35) is (-50, -50) from the centre
  EXPECT_NEAR(points[0].y, -35.0f, 0.1f);
  EXPECT_NEAR(points[1].x, 30.0f, 0.1f);
  EXPECT_NEAR(points[1].y, 65.0f, 0.1f);
}

TEST(TransformTracker, SizingATurnedFrameScalesAlongItsOwnAxes) {
  CTransformTracker tracker = TrackerOver(-50, 50, -20, 20);
  tracker.Rotate(Pt(100, 0), Pt(71, 71), Pt(0, 0));  // about 45 degrees
  const float angle = tracker.GetAngle();
  const double a = angle * M_PI / 180;
  // A point on the frame's own x axis and one on its y axis.
  std::vector<CVector2> points = {CVector2(static_cast<float>(40 * std::cos(a)), static_cast<float>(40 * std::sin(a))),
                                  CVector2(static_cast<float>(-10 * std::sin(a)), static_cast<float>(10 * std::cos(a)))};
  // Drag handle 6 outwards along the turned x axis by 25: width 100 -> 150.
  Drag(tracker, 6, {Pt(0, 0), Pt(std::lround(25 * std::cos(a)), std::lround(25 * std::sin(a)))}, points);
  const double sx = tracker.GetRect().Width() / 100.0;
  EXPECT_NEAR(sx, 1.5, 0.02);
  EXPECT_NEAR(std::hypot(points[0].x, points[0].y), 40 * sx, 1e-3);
  EXPECT_NEAR(std::atan2(points[0].y, points[0].x), a, 1e-5);
  EXPECT_NEAR(std::hypot(points[1].x, points[1].y), 10 * tracker.GetRect().Height() / 40.0, 1e-3);
  EXPECT_NEAR(tracker.GetAngle(), angle, 0.0f);
}

TEST(TransformTracker, RotateAboutTheCentreOnlyTurnsNothing) {
  CTransformTracker tracker = TrackerOver(0, 100, 0, 50);
  tracker.Rotate(Pt(50, 25), Pt(80, 40), Pt(0, 0));
  EXPECT_EQ(tracker.GetAngle(), 0.0f);
  CVector2 p;
  tracker.TransformPoint(CVector2(7, 9), p);
  EXPECT_FLOAT_EQ(p.x, 7.0f);
  EXPECT_FLOAT_EQ(p.y, 9.0f);
  // The offset moves the centre into the caller's window.
  tracker.Rotate(Pt(160, 35), Pt(60, 135), Pt(10, 10));
  EXPECT_NEAR(tracker.GetAngle(), 90.0f, 1e-3f);
  tracker.TransformPoint(CVector2(100, 25), p);
  EXPECT_NEAR(p.x, 50.0f, 1e-4f);
  EXPECT_NEAR(p.y, 75.0f, 1e-4f);
}

TEST(TransformTracker, ScaleAndOffsetTheFrame) {
  CTransformTracker tracker = TrackerOver(10, 20, 30, 40);
  tracker.Scale(2.0f);
  tracker.Offset(Pt(-5, 1));
  EXPECT_EQ(tracker.GetRect().left, 15.0f);
  EXPECT_EQ(tracker.GetRect().bottom, 81.0f);
}

TEST(RectToEightPoints, CornersThenIntegerMiddles) {
  POINT p[8];
  RectToEightPoints(RECT{0, 0, 7, -5}, p);
  EXPECT_EQ(p[2].x, 7);
  EXPECT_EQ(p[2].y, -5);
  EXPECT_EQ(p[4].x, 3);   // top middle: 7 / 2
  EXPECT_EQ(p[5].y, -2);  // right middle: -5 / 2 toward zero
  EXPECT_EQ(p[6].x, 3);
  EXPECT_EQ(p[7].x, 0);
  EXPECT_EQ(p[7].y, -2);
}
