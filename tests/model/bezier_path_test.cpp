// CBezierPath: node removal and insertion, smooth handles, auto handles,
// frame resizing, bounds, hit testing and comparison.
#include <gtest/gtest.h>

#include <cmath>

#include "model/outline/bezier_path.h"

namespace {

CBezierPath Corners(std::initializer_list<CVector2> points) {
  CBezierPath path;
  for (const CVector2& p : points) path.AppendPoint(p, nullptr);
  return path;
}

void ExpectAt(const CVector2& v, float x, float y) {
  EXPECT_NEAR(v.x, x, 1e-3);
  EXPECT_NEAR(v.y, y, 1e-3);
}

}  // namespace

TEST(BezierPath, RemovePointMovesTheSelectionAlong) {
  CBezierPath one = Corners({{5, 5}});
  one.SetSelected(0);
  EXPECT_EQ(one.RemovePoint(0), 0);
  EXPECT_EQ(one.GetPointCount(), 0);
  EXPECT_EQ(one.GetSelected(), -1);
  CBezierPath three = Corners({{0, 0}, {10, 0}, {20, 0}});
  three.RemovePoint(2);
  EXPECT_EQ(three.GetSelected(), 1);
  three.RemovePoint(0);
  EXPECT_EQ(three.GetSelected(), 0);
  EXPECT_EQ(three.RemovePoint(5), -1);
}

TEST(BezierPath, InsertPointOnlyBeforeAnExistingNode) {
  CBezierPath path = Corners({{0, 0}, {10, 0}});
  EXPECT_EQ(path.InsertPoint(2, CVector2(5, 5), nullptr), -1);
  EXPECT_EQ(path.GetPointCount(), 2);
  EXPECT_EQ(path.InsertPoint(1, CVector2(5, 5), nullptr), 0);
  ExpectAt(path.NodeAt(1).point, 5, 5);
}

TEST(BezierPath, SmoothHandleTurnsTheOtherAndCollapsesToACorner) {
  CBezierPath path = Corners({{100, 100}});
  const CVector2 handles[2] = {{90, 100}, {110, 100}};
  path.Reset();
  path.AppendPoint(CVector2(100, 100), handles);
  path.SetSmooth(0, 1);
  path.MoveHandle(0, 1, 100, 110);  // handle 1 turns 90 degrees
  ExpectAt(path.NodeAt(0).handle[0], 100, 90);
  EXPECT_NEAR(path.HandleLength(0, 0), 10.0f, 1e-4);
  path.MoveHandle(0, 1, 100.5f, 100);
  EXPECT_EQ(path.IsSmooth(0), 0);
  ExpectAt(path.NodeAt(0).handle[0], 100, 90);
}

TEST(BezierPath, AutoHandlesFollowTheNeighboursOrLieFlat) {
  CBezierPath path = Corners({{0, 0}, {50, 50}, {100, 0}});
  path.AutoHandles(1);
  ExpectAt(path.NodeAt(1).handle[0], 30, 50);
  ExpectAt(path.NodeAt(1).handle[1], 70, 50);
  CBezierPath pair = Corners({{0, 0}, {40, 40}});
  pair.AutoHandles(0);  // both neighbours are node 1
  ExpectAt(pair.NodeAt(0).handle[0], 20, 0);
  ExpectAt(pair.NodeAt(0).handle[1], -20, 0);
  EXPECT_FALSE(pair.HandlesCollapsed(0));
  pair.CollapseHandles(0);
  EXPECT_TRUE(pair.HandlesCollapsed(0));
}

TEST(BezierPath, SplitSegmentKeepsTheCurve) {
  CBezierPath path;
  const CVector2 h0[2] = {{0, 0}, {0, 40}}, h1[2] = {{100, 40}, {100, 0}};
  path.AppendPoint(CVector2(0, 0), h0);
  path.AppendPoint(CVector2(100, 0), h1);
  path.SplitSegment(0, 0.5f);
  ASSERT_EQ(path.GetPointCount(), 3);
  ExpectAt(path.NodeAt(1).point, 50, 30);
  EXPECT_EQ(path.IsSmooth(1), 0);
  ExpectAt(path.NodeAt(0).handle[1], 0, 20);
  ExpectAt(path.NodeAt(2).handle[0], 100, 20);
}

TEST(BezierPath, BoundsCoverHandlesAndKeepAFlippedOrientation) {
  CBezierPath path = Corners({{10.7f, 20}, {-5.9f, 40}});
  EXPECT_EQ(path.GetBounds().left, -7);
  EXPECT_EQ(path.GetBounds().right, 12);
  EXPECT_EQ(path.GetBounds().top, 18);
  // Dragging the right edge past the left flips the frame; it stays flipped.
  path.ResizeByHandle(4, -20, 0);
  EXPECT_GT(path.GetBounds().left, path.GetBounds().right);
}

TEST(BezierPathResize, RightHandleDoublesAboutTheLeftEdge) {
  CBezierPath path = Corners({{10, 10}, {50, 30}});
  const RECT before = path.GetBounds();  // 8..52
  const LONG width = before.right - before.left;
  path.ResizeByHandle(4, before.right + width, 0);
  EXPECT_NEAR(path.NodeAt(0).point.x, 10 + (10 - before.left), 1e-3);
  EXPECT_NEAR(path.NodeAt(1).point.x, before.left + 2 * (50 - before.left), 1e-3);
  EXPECT_FLOAT_EQ(path.NodeAt(1).point.y, 30.0f);
}

TEST(BezierPathResize, EdgeOntoItsOppositeGoesOnePixelFurther) {
  CBezierPath path = Corners({{10, 10}, {50, 30}});
  const LONG left = path.GetBounds().left;
  path.ResizeByHandle(4, left, 0);
  // Width -1: every x mirrored about the left edge, nothing collapsed to it.
  EXPECT_NEAR(path.NodeAt(1).point.x, left - (50 - left) / 44.0f, 1e-3);
  EXPECT_NE(path.NodeAt(0).point.x, path.NodeAt(1).point.x);
}

TEST(BezierPathResize, CornerHandleFiveScalesAboutTopLeft) {
  CBezierPath path = Corners({{10, 10}, {50, 50}});
  const RECT b = path.GetBounds();  // 8..52
  path.ResizeByHandle(5, b.right + 44, b.bottom + 44);
  EXPECT_NEAR(path.NodeAt(1).point.x, 92.0f, 1e-3);
  EXPECT_NEAR(path.NodeAt(1).point.y, 92.0f, 1e-3);
}

TEST(BezierPathResize, EmptyFrameNeverDividesByZero) {
  CBezierPath path;
  path.ResizeByHandle(5, 30, 40);
  EXPECT_EQ(path.GetBounds().right, 30);
  path.AppendPoint(CVector2(0, 0), nullptr);
  path.ResizeByHandle(1, 0, 0);
  EXPECT_TRUE(std::isfinite(path.NodeAt(0).point.x));
}

TEST(BezierPathHit, SegmentMiddleNodesHandlesAndOutside) {
  CBezierPath path = Corners({{0, 0}, {100, 0}});
  int out[3];
  EXPECT_EQ(path.HitTest(50, 6, out), kPathHitSegment);
  EXPECT_EQ(out[0], 0);
  EXPECT_FLOAT_EQ(HitParam(out), 0.5f);
  EXPECT_EQ(path.HitTest(50, 40, out), kPathHitOutside);
  EXPECT_EQ(path.HitTest(103, 3, out), kPathHitNode);
  EXPECT_EQ(out[0], 1);
  path.SetSelected(1);
  path.MoveHandle(1, 0, 80, -6);
  EXPECT_EQ(path.HitTest(81, -5, out), kPathHitHandle);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 0);
}

TEST(BezierPathHit, FrameEditingFindsTheEightHandles) {
  CBezierPath path = Corners({{10, 10}, {50, 30}});
  path.SetEditMode(0);
  const RECT b = path.GetBounds();
  int out[3];
  EXPECT_EQ(path.HitTest(b.right, b.bottom, out), kPathHitFrameHandle);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(path.HitTest(b.left + (b.right - b.left) / 2, b.top, out), kPathHitFrameHandle);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(path.HitTest(30, 20, out), kPathHitNothing);
  path.SetEditMode(7);
  EXPECT_EQ(path.HitTest(b.right, b.bottom, out), kPathHitNothing);
}

TEST(BezierPath, EqualityAndCopy) {
  CBezierPath a = Corners({{1, 2}, {3, 4}}), b = Corners({{1, 2}, {3, 4}});
  EXPECT_TRUE(a == b);
  a.SetClamping(1, -5, 5);
  b.SetClamping(1, -5, 5);
  EXPECT_TRUE(a == b);
  b.SetClamping(1, -5, 6);
  EXPECT_FALSE(a == b);
  CBezierPath c(a);
  EXPECT_TRUE(c == a);
  c.MovePoint(0, 1, 3);
  EXPECT_FALSE(c == a);
}

TEST(BezierPath, GraphModeHoldsPointsInTheRange) {
  CBezierPath path = Corners({{0, 0}, {10, 0}});
  path.SetClamping(1, -5, 5);
  path.MovePoint(1, 20, 50);
  ExpectAt(path.NodeAt(1).point, 10, 5);
  path.MoveHandle(1, 0, -30, 0);
  EXPECT_FLOAT_EQ(path.NodeAt(1).handle[0].x, 0.0f);
}

TEST(BezierPath, PolylineCountsForOpenAndClosed) {
  CBezierNodeArray nodes;
  int count = -1;
  EXPECT_EQ(BuildBezierPolyline(nodes, TRUE, &count), nullptr);
  EXPECT_EQ(count, 0);
  CBezierPath path = Corners({{0, 0}, {10, 0}, {10, 10}});
  path.CopyNodesTo(nodes);
  CVector2* open = BuildBezierPolyline(nodes, FALSE, &count);
  EXPECT_EQ(count, 7);
  ExpectAt(open[6], 10, 10);
  delete[] open;
  CVector2* closed = BuildBezierPolyline(nodes, TRUE, &count);
  EXPECT_EQ(count, 10);
  ExpectAt(closed[9], 0, 0);
  delete[] closed;
}

TEST(BezierPath, ArcNodeStopsWhereTheCircleStillExists) {
  CBezierPath path = Corners({{0, 0}, {50, 40}, {100, 0}});
  path.SetKind(kPathKindArc);
  path.MovePoint(1, 50, 0);  // collinear: no circle
  EXPECT_GT(path.NodeAt(1).point.y, 0.0f);
  EXPECT_LT(path.NodeAt(1).point.y, 40.0f);
}

TEST(BezierPath, SetNodesKeepsASelectionThatStillExists) {
  CBezierPath path = Corners({{0, 0}, {10, 0}, {20, 0}});
  path.SetSelected(2);
  CBezierNodeArray nodes;
  path.CopyNodesTo(nodes);
  EXPECT_EQ(path.SetNodes(nodes), 2);
  EXPECT_EQ(path.GetSelected(), 2);
  nodes.SetSize(2);
  path.SetNodes(nodes);
  EXPECT_EQ(path.GetSelected(), -1);
  EXPECT_EQ(path.GetEditMode(), 1);
}

TEST(BezierPathHit, CollapsedHandlesOfAFinishedOutlineLetTheNodeBeTaken) {
  CBezierPath path = Corners({{0, 0}, {100, 0}, {100, 100}});
  path.SetClosed(1);
  path.SetSelected(1);
  int out[3];
  EXPECT_EQ(path.HitTest(100, 0, out), kPathHitHandle);  // handles on the point
  path.SetState(kPathFinished);
  EXPECT_EQ(path.HitTest(100, 0, out), kPathHitNode);
  EXPECT_EQ(out[0], 1);
}

TEST(BezierPathHit, OpenPathEndsOfferOnlyTheirInnerHandles) {
  CBezierPath path;
  const CVector2 h0[2] = {{-10, 0}, {10, 0}}, h1[2] = {{90, 0}, {110, 0}};
  path.AppendPoint(CVector2(0, 0), h0);
  path.AppendPoint(CVector2(100, 0), h1);
  path.SetSelected(0);
  int out[3];
  EXPECT_EQ(path.HitTest(-10, 0, out), kPathHitNothing);  // the outer handle is no candidate
  EXPECT_EQ(path.HitTest(90, 0, out), kPathHitHandle);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 0);
}

TEST(BezierPath, DirtyRectCoversBothNeighbouringSegments) {
  CBezierPath path = Corners({{0, 0}, {50, 20.6f}, {100, -30.4f}});
  RECT r;
  path.GetNodeDirtyRect(r, 1);
  EXPECT_EQ(r.left, -2);
  EXPECT_EQ(r.top, -32);
  EXPECT_EQ(r.right, 102);
  EXPECT_EQ(r.bottom, 23);
}

TEST(BezierPath, ArcBoundsAreTheCircleSquare) {
  CBezierPath path = Corners({{0, 0}, {50, 50}, {100, 0}});
  path.SetKind(kPathKindArc);
  path.RecalcBounds();
  EXPECT_EQ(path.GetBounds().left, 0);
  EXPECT_EQ(path.GetBounds().right, 100);
  EXPECT_EQ(path.GetBounds().bottom, 50);
}
