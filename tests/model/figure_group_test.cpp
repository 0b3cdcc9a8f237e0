// Figure groups: cubic flattening, bounds, masks of filled and stroked
// figures, grown outward and (through the reversed copy) inward, placement
// in the mask, cloning, glyph contours to nodes and the near-piece lists.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "model/geometry/bezier_math.h"
#include "model/outline/bezier_path.h"
#include "model/outline/figure_group.h"
#include "outline_test_shapes.h"

using namespace test_shapes;

namespace {

CBezierNode Node(float x, float y) { return CBezierNode{{x, y}, {{x, y}, {x, y}}, FALSE}; }

// A circle of four cubic arcs, running clockwise on the screen or not.
std::vector<CBezierNode> CircleNodes(float cx, float cy, float r, bool clockwise) {
  const float k = 0.5522847f * r;
  std::vector<CBezierNode> n = {
      {{cx + r, cy}, {{cx + r, cy - k}, {cx + r, cy + k}}, TRUE},
      {{cx, cy + r}, {{cx + k, cy + r}, {cx - k, cy + r}}, TRUE},
      {{cx - r, cy}, {{cx - r, cy + k}, {cx - r, cy - k}}, TRUE},
      {{cx, cy - r}, {{cx - k, cy - r}, {cx + k, cy - r}}, TRUE},
  };
  if (!clockwise) {
    std::reverse(n.begin(), n.end());
    for (CBezierNode& node : n) std::swap(node.handle[0], node.handle[1]);
  }
  return n;
}

// A path as loaded from a file: nodes held with its offset already added.
struct LoadedPath : CBezierPath {
  LoadedPath(const CBezierNodeArray& nodes, POINT offset) {
    CBezierNodeArray shifted;
    shifted.Copy(nodes);
    for (int i = 0; i < shifted.GetSize(); ++i) {
      CBezierNode& n = shifted.ElementAt(i);
      for (CVector2* v : {&n.point, &n.handle[0], &n.handle[1]}) {
        v->x += static_cast<float>(offset.x);
        v->y += static_cast<float>(offset.y);
      }
    }
    SetNodes(shifted);
    m_offset = offset;
  }
};

struct Mask : CMaskBuffer {
  Mask(int left, int top, int w, int h, int fill = 0) : CMaskBuffer() {
    x = left;
    y = top;
    width = w;
    height = h;
    Create(w, h, fill);
  }
  ~Mask() { Free(); }
  int At(int px, int py) const { return bits[py * width + px]; }
};

}  // namespace

TEST(FigureGroup, CubicsFlattenToLinesAndCloseQuadratics) {
  std::vector<CContourPoint> out;
  EXPECT_EQ(FlattenCubic({5, 5}, {5, 5}, {5, 5}, {5, 5}, out), 0);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(FlattenCubic({0, 0}, {10, 0}, {20, 0}, {30, 0}, out), 1);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].type, 1);
  out.clear();
  const float k = 0.5522847f * 100;
  const Bezier4 arc{{{100, 0}, {100, k}, {k, 100}, {0, 100}}};
  FlattenCubic(arc.p[0], arc.p[1], arc.p[2], arc.p[3], out);
  ASSERT_GT(out.size(), 2u);
  CVector2 from = arc.p[0];
  for (size_t i = 0; i + 1 < out.size(); i += 2) {
    ASSERT_EQ(out[i].type, 2);
    const CVector2 q = out[i].point, to = out[i + 1].point;
    const CVector2 mid((from.x + 2 * q.x + to.x) / 4, (from.y + 2 * q.y + to.y) / 4);
    float best = FLT_MAX;
    for (int s = 0; s <= 4000; ++s) {
      CVector2 p;
      CubicPoint(p, arc, s / 4000.0f);
      best = std::min(best, std::hypot(p.x - mid.x, p.y - mid.y));
    }
    EXPECT_LT(best, 0.5f);
    from = to;
  }
  EXPECT_EQ(from.x, 0.0f);
  EXPECT_EQ(from.y, 100.0f);
}

TEST(FigureGroup, BoundsRoundTheFirstAnchorToNearestAndTheRestAwayFromZero) {
  CFigureGroup g;
  const CBezierNode nodes[3] = {Node(2.5f, 3.2f), Node(-10.5f, 4), Node(7, 8.5f)};
  g.AddNodes(nodes, 3, kFigureFilled);
  RECT r;
  g.ComputeBounds(r);
  EXPECT_EQ(r.left, -13);
  EXPECT_EQ(r.top, 1);  // 3.2 -> 3, minus 2
  EXPECT_EQ(r.right, 9);
  EXPECT_EQ(r.bottom, 11);  // 8.5 -> 9, plus 2
  RECT stored;
  g.GetBounds(stored);
  EXPECT_EQ(stored.left, -13);
}

TEST(FigureGroup, FilledCircleMaskGrowsOutwardAndTheCopyShrinks) {
  for (bool clockwise : {true, false}) {
    CFigureGroup g;
    const std::vector<CBezierNode> nodes = CircleNodes(48, 48, 20, clockwise);
    g.AddNodes(nodes.data(), 4, kFigureFilled);
    Mask plain(0, 0, 96, 96);
    g.DrawMask(&plain, 0, 0, 0);
    EXPECT_NEAR(MaskArea(plain), M_PI * 400, 1 + 2 * M_PI * 20 / 8) << clockwise;
    Mask grown(0, 0, 96, 96);
    g.DrawMask(&grown, 4, 0, 0);
    EXPECT_NEAR(MaskArea(grown), M_PI * 576, 1 + 2 * M_PI * 24 / 8) << clockwise;
    Mask shrunk(0, 0, 96, 96);
    g.DrawMaskCopy(&shrunk, 4, 0, 0);
    EXPECT_NEAR(MaskArea(shrunk), M_PI * 256, 1 + 2 * M_PI * 16 / 8) << clockwise;
    EXPECT_EQ(shrunk.At(48, 48), 255);
    EXPECT_EQ(shrunk.At(48, 30), 0);
  }
}

TEST(FigureGroup, StrokedLineCoversHalfItsWeightEachSide) {
  CFigureGroup g;
  const CBezierNode line[2] = {Node(10, 20), Node(50, 20)};
  g.AddNodes(line, 2, kFigureStroked);
  CFigureItemArray items;
  g.CopyItemsTo(items);
  items[0]->weight = 4;
  CFigureGroup stroked;
  stroked.AddNodes(items[0]->nodes->GetData(), items[0]->nodes->GetSize(), kFigureStroked);
  for (int i = 0; i < items.GetSize(); ++i) {
    delete items[i]->nodes;
    delete items[i];
  }
  // Nodes added take weight 1.0 (half a pixel each side), whatever the
  // weight of the copied item they came from.
  Mask thin(0, 0, 64, 40);
  stroked.DrawMask(&thin, 0, 0, 0);
  EXPECT_NEAR(MaskArea(thin), 40 * 1.0 + M_PI * 0.25, 12);
  Mask wide(0, 0, 64, 40);
  stroked.DrawMask(&wide, 1.5f, 0, 0);  // half the weight plus 1.5
  EXPECT_NEAR(MaskArea(wide), 40 * 4.0 + M_PI * 4, 1 + 90 / 8.0);
  EXPECT_EQ(wide.At(30, 20), 255);
  EXPECT_EQ(wide.At(30, 25), 0);
}

TEST(FigureGroup, MaskPlacementAndEmptyGroups) {
  CFigureGroup empty;
  Mask untouched(0, 0, 8, 8, 5);
  empty.DrawMask(&untouched, 2, 0, 0);
  EXPECT_EQ(untouched.At(3, 3), 5);

  CFigureGroup g;
  const CBezierNode square[4] = {Node(110, 60), Node(130, 60), Node(130, 80), Node(110, 80)};
  g.AddNodes(square, 4, kFigureFilled);
  Mask placed(100, 50, 48, 48);
  g.DrawMask(&placed, 0, 3.9f, 0);  // moved by three whole pixels
  // Mask columns 13 .. 32 hold it; the coverage kernel reaches half a pixel
  // past each side.
  EXPECT_EQ(placed.At(14, 20), 255);
  EXPECT_EQ(placed.At(11, 20), 0);
  EXPECT_GT(placed.At(12, 20), 0);
  EXPECT_EQ(placed.At(31, 20), 255);
  EXPECT_EQ(placed.At(34, 20), 0);
  EXPECT_NEAR(MaskArea(placed), 400, 1 + 80 / 8.0);
}

TEST(FigureGroup, HostileNodesStayDefined) {
  const float nan = std::nanf("");
  CFigureGroup g;
  const CBezierNode nodes[4] = {Node(nan, 3), Node(1e30f, -1e30f), {{5, 5}, {{nan, nan}, {1e20f, 4}}, FALSE}, Node(9, 9)};
  g.AddNodes(nodes, 4, kFigureFilled);
  g.AddNodes(nodes, -3, kFigureStroked);
  g.AddNodes(nullptr, 5, kFigureFilled);
  RECT r;
  g.ComputeBounds(r);
  Mask m(0, 0, 32, 32);
  g.DrawMask(&m, 2, 1e30f, nan);
  g.DrawMaskCopy(&m, 2, 0, 0);
  CNearSegmentGrid lists;
  g.RenderMask(lists, 1 << 30);
  SUCCEED();
}

TEST(FigureGroup, CloneTwiceGivesBackTheNodeOrder) {
  CFigureGroup g;
  const std::vector<CBezierNode> nodes = CircleNodes(0, 0, 10, true);
  g.AddNodes(nodes.data(), 4, kFigureFilled);
  CFigureGroup* once = g.Clone();
  EXPECT_EQ(once->GetItem(0)->nodes->ElementAt(0).point.y, -10.0f);
  EXPECT_EQ(once->GetItem(0)->nodes->ElementAt(0).handle[0].x, nodes[3].handle[1].x);
  CFigureGroup* twice = once->Clone();
  for (int k = 0; k < 4; ++k) {
    const CBezierNode& a = twice->GetItem(0)->nodes->ElementAt(k);
    EXPECT_EQ(a.point.x, nodes[k].point.x);
    EXPECT_EQ(a.handle[0].y, nodes[k].handle[0].y);
    EXPECT_EQ(a.handle[1].y, nodes[k].handle[1].y);
  }
  delete once;
  delete twice;
}

TEST(FigureGroup, GlyphContoursBecomeNodes) {
  const std::vector<BYTE> contour = ContourBytes(
      {0, 0}, {{kOutlinePolyline, {{30, 0}}}, {kOutlineQSpline, {{30, 30}, {0, 30}}}, {kOutlinePolyline, {{0, 0}}}});
  CFigureItem item{kFigureFilled, 1.0f, new CBezierNodeArray};
  ContourToNodes(contour.data(), item);
  ASSERT_EQ(item.nodes->GetSize(), 3);
  const CBezierNode& corner = item.nodes->ElementAt(1);
  EXPECT_EQ(corner.point.x, 30.0f);
  EXPECT_NEAR(corner.handle[1].y, 20.0f, 1e-4f);  // 2/3 of the way to the control
  const CBezierNode& end = item.nodes->ElementAt(2);
  EXPECT_NEAR(end.handle[0].x, 20.0f, 1e-4f);
  EXPECT_EQ(item.nodes->ElementAt(0).handle[0].x, 0.0f);
  delete item.nodes;
}

TEST(FigureGroup, NearPieceListsMeasureDistanceToTheOutline) {
  CFigureGroup g;
  const std::vector<CBezierNode> nodes = CircleNodes(40, 40, 15, true);
  g.AddNodes(nodes.data(), 4, kFigureFilled);
  CNearSegmentGrid lists;
  g.RenderMask(lists, 5);
  ASSERT_FALSE(lists.heads.empty());
  const CShapeOutline* o = g.GetOutline();
  for (int y = 22; y <= 58; y += 3) {
    for (int x = 22; x <= 58; x += 3) {
      const double exact = std::fabs(std::hypot(x - 40.0, y - 40.0) - 15);
      float best = FLT_MAX;
      for (int i = lists.Head(x, y); i >= 0; i = lists.items[i].next) {
        best = std::min(best, o->SegmentDistance(lists.items[i].contour, lists.items[i].segment, x, y, nullptr));
      }
      if (exact < 4) {
        EXPECT_NEAR(best, exact, 0.25) << x << "," << y;  // cubic arcs and eighth-pixel units
      }
    }
  }
}

TEST(FigureGroup, PathsAreAddedWithoutTheirOffset) {
  const std::vector<CBezierNode> circle = CircleNodes(48, 48, 20, true);
  CBezierNodeArray nodes;
  for (const CBezierNode& n : circle) nodes.Add(n);
  const LoadedPath path(nodes, POINT{7, -3});
  ASSERT_EQ(path.NodeAt(0).point.x, 75.0f);

  CFigureGroup g;
  EXPECT_EQ(g.GetTransform().p1.x, 0.0f);
  EXPECT_EQ(g.GetTransform().p3.x, 1.0f);
  EXPECT_EQ(g.GetTransform().p3.y, 1.0f);
  g.AddPath(path, kFigureFilled);
  g.AddPath(CBezierPath(), kFigureStroked);
  ASSERT_EQ(g.GetItemCount(), 2);
  const CFigureItem* item = g.GetItem(0);
  EXPECT_EQ(item->kind, kFigureFilled);
  EXPECT_EQ(item->weight, 1.0f);
  ASSERT_EQ(item->nodes->GetSize(), 4);
  for (int k = 0; k < 4; ++k) {
    const CBezierNode& a = item->nodes->ElementAt(k);
    EXPECT_EQ(a.point.x, circle[k].point.x);
    EXPECT_EQ(a.point.y, circle[k].point.y);
    EXPECT_EQ(a.handle[0].x, circle[k].handle[0].x);
    EXPECT_EQ(a.handle[1].y, circle[k].handle[1].y);
    EXPECT_EQ(a.smooth, circle[k].smooth);
  }
  EXPECT_EQ(g.GetItem(1)->nodes->GetSize(), 0);
  // The copy is the group's own: the path may go away.
  EXPECT_NE(item->nodes->GetData(), &path.NodeAt(0));

  // Drawn where the unshifted circle lies; the empty stroked item adds
  // nothing but its half-pixel widening of nothing.
  CFigureGroup filled;
  filled.AddPath(path, kFigureFilled);
  Mask m(0, 0, 96, 96);
  filled.DrawMask(&m, 0, 0, 0);
  EXPECT_EQ(m.At(48, 48), 255);
  EXPECT_EQ(m.At(72, 48), 0);
  EXPECT_NEAR(MaskArea(m), M_PI * 400, 1 + 2 * M_PI * 20 / 8);
}

TEST(FigureGroup, StrokedItemOfWeightFourCoversTwoPixelsEachSide) {
  CFigureGroup g;
  const CBezierNode line[2] = {Node(10, 20), Node(50, 20)};
  g.AddNodes(line, 2, kFigureStroked);
  g.GetItem(0)->weight = 4;
  Mask m(0, 0, 64, 40);
  g.DrawMask(&m, 0, 0, 0);
  EXPECT_NEAR(MaskArea(m), 40 * 4.0 + M_PI * 4, 1 + 90 / 8.0);
  // Rows 18 .. 21 lie within 2 of the line at y = 20; the outer two get the
  // coverage kernel's soft edge, the same on both sides.
  EXPECT_EQ(m.At(30, 19), 255);
  EXPECT_EQ(m.At(30, 20), 255);
  EXPECT_GT(m.At(30, 18), 127);
  EXPECT_EQ(m.At(30, 18), m.At(30, 21));
  EXPECT_EQ(m.At(30, 16), 0);
  EXPECT_EQ(m.At(30, 23), 0);
}
