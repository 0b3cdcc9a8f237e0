// Thumbnail items: layer stacks over a square figure composite to values
// predicted pixel by pixel, the stack's bounds, and the feathered clip.
#include "model/raster/thumb_item.h"

#include <gtest/gtest.h>

#include "model/raster/color_variation_fill.h"
#include "model/outline/figure_group.h"
#include "model/raster/layer_list.h"
#include "model/raster/pixel_buffer.h"

namespace {

CBezierNode Node(float x, float y) { return CBezierNode{{x, y}, {{x, y}, {x, y}}, FALSE}; }

void AddSquare(CFigureGroup& g, float l, float t, float r, float b) {
  const CBezierNode nodes[4] = {Node(l, t), Node(r, t), Node(r, b), Node(l, b)};
  g.AddNodes(nodes, 4, kFigureFilled);
}

CBezierPath SquarePath(float l, float t, float r, float b) {
  CBezierNodeArray nodes;
  nodes.Add(Node(l, t));
  nodes.Add(Node(r, t));
  nodes.Add(Node(r, b));
  nodes.Add(Node(l, b));
  CBezierPath path;
  path.SetNodes(nodes);
  path.SetClosed(TRUE);
  return path;
}

// An item whose figure is the square (10, 10)-(50, 50).
struct SquareItem : CThumbItem {
  SquareItem() {
    figure = new CFigureGroup;
    AddSquare(*figure, 10, 10, 50, 50);
  }
  COverlayItem* AddLayer(DWORD colour) {
    COverlayItem* layer = new COverlayItem;
    layer->fill.color = colour;
    layers->Add(layer);
    return layer;
  }
  DWORD At(int x, int y) const {
    return result->bits[int64_t{y - result->rect.top} * result->Width() + (x - result->rect.left)];
  }
};

}  // namespace

TEST(ThumbItem, SkipValueKeepsTheEarlierPicture) {
  SquareItem item;
  item.AddLayer(0xFFFF0000);
  EXPECT_EQ(item.Render(), 0);
  ASSERT_NE(item.result, nullptr);
  CPixelBuffer* before = item.result;
  item.skip = 7;
  EXPECT_EQ(item.Render(), 7);
  EXPECT_EQ(item.result, before);
}

TEST(ThumbItem, PlainLayerWithoutClipKeepsItsAlpha) {
  SquareItem item;
  item.AddLayer(0xFFFF0000);
  item.Render();
  ASSERT_NE(item.result, nullptr);
  // The figure's bounds keep a two-pixel margin for its soft edge.
  EXPECT_EQ(item.result->rect.left, 8);
  EXPECT_EQ(item.result->rect.right, 52);
  EXPECT_EQ(item.At(30, 30), 0xFFFF0000u);
  EXPECT_EQ(item.At(12, 12), 0xFFFF0000u);
  EXPECT_EQ(item.At(8, 8), 0u);
}

TEST(ThumbItem, FirstLayerLiesAtTheBackAndShiftsWidenTheBounds) {
  SquareItem item;
  COverlayItem* shadow = item.AddLayer(0xFF000000);
  shadow->shapeKind = kShapeShifted;
  shadow->width = 10;  // distance
  shadow->angle = 0;
  item.AddLayer(0xFFFF0000);  // the figure in front of its shadow
  item.layers->GetBackground().color = 0xFF0000FF;
  RECT bounds;
  item.ComputeLayerBounds(bounds);
  EXPECT_EQ(bounds.right, 62);
  item.Render();
  EXPECT_EQ(item.At(30, 30), 0xFFFF0000u);
  EXPECT_EQ(item.At(55, 30), 0xFF000000u);   // the shadow shows right of the figure
  // Nothing of either layer below the shadow's band: the background.
  item.layers->GetAt(1)->visible = 0;
  item.Render();
  EXPECT_EQ(item.At(15, 30), 0xFF0000FFu);
  EXPECT_EQ(item.At(30, 30), 0xFF000000u);
}

TEST(ThumbItem, ReliefShadesTheEdgesAsPredicted) {
  SquareItem item;
  COverlayItem* layer = item.AddLayer(0xFF808080);
  CShadowEffect* e = new CShadowEffect;
  e->distance = 4;
  e->angle = 0;
  e->softness = 0;
  e->color = 0xFF606060;
  delete layer->effect;
  layer->effect = e;
  item.Render();
  // Independent: the figure's coverage, the relief comparing it two pixels
  // before and two after each pixel, the shading and the masked alpha.
  CMaskBuffer base(8, 8, 52, 52);
  item.figure->DrawMask(&base, 0, 0, 0);
  const auto cover = [&](int x, int y) -> int {
    return (x < 8 || x >= 52) ? 0 : base.bits[(y - 8) * 44 + (x - 8)];
  };
  for (int x = 8; x < 52; ++x) {
    const int m = cover(x, 30);
    if (m == 0) {
      EXPECT_EQ(item.At(x, 30), 0u) << x;
      continue;
    }
    const int o = cover(x - 2, 30);
    const int s = cover(x + 2, 30);
    int v = 255;
    if (m == 255) {
      v = (s >> 1) - (o >> 1) + 127;
    } else if (s > o) {
      v = ((m * (s - o)) >> 9) + 127;
    } else if (s < o) {
      v = 127 - ((m * (o - s)) >> 9);
    }
    int channel = 0x80;
    if (v >= 128 && v <= 254) channel = std::min(255, channel + ((0x60 * ((4 * v - 508) / 3)) >> 8));
    if (v < 127) channel = std::max(0, channel - ((0x60 * ((4 * (127 - v)) / 3)) >> 8));
    const DWORD alpha = m;  // an opaque layer takes the mask as its alpha
    EXPECT_EQ(item.At(x, 30), (alpha << 24) | static_cast<DWORD>(channel) * 0x010101u) << x;
  }
  EXPECT_GT(item.At(11, 30) & 0xFF, 0x80u);  // lit where the light enters
  EXPECT_LT(item.At(48, 30) & 0xFF, 0x80u);  // shaded where it leaves
  base.Free();
  // A relief without distance draws nothing; the background shows.
  e->distance = 0;
  item.layers->GetBackground().color = 0xFF00FF00;
  item.Render();
  EXPECT_EQ(item.At(30, 30), 0xFF00FF00u);
}

TEST(ThumbItem, BandLayerOutlinesTheFigure) {
  SquareItem item;
  item.AddLayer(0xFFFF0000);
  COverlayItem* band = item.AddLayer(0xFF00FF00);
  band->shapeKind = kShapeBand;
  band->bandMode = 2;
  band->width = 3;
  RECT bounds;
  item.ComputeLayerBounds(bounds);
  EXPECT_EQ(bounds.left, 8 - 5);
  item.Render();
  EXPECT_EQ(item.At(30, 30), 0xFFFF0000u);  // the figure's core is not in the band
  EXPECT_EQ(item.At(10, 30), 0xFF00FF00u);
  EXPECT_EQ(item.At(8, 30), 0xFF00FF00u);   // outside the figure, within the band
  EXPECT_EQ(item.At(5, 30) >> 24, 0u);
}

TEST(ThumbItem, ClipCutsHardWithoutFeatherAndSoftWithIt) {
  SquareItem item;
  item.AddLayer(0xFFFF0000);
  item.clip.featherRadius = 0;
  item.SetClipPath(SquarePath(20, 20, 40, 40));
  item.Render();
  EXPECT_EQ(item.At(30, 30), 0xFFFF0000u);
  EXPECT_EQ(item.At(21, 30) >> 24, 255u);
  EXPECT_EQ(item.At(19, 30) >> 24, 48u);  // the outline's own soft edge
  EXPECT_EQ(item.At(17, 30) >> 24, 0u);  // outside the clip's bounds
  EXPECT_EQ(item.At(12, 12) >> 24, 0u);
  item.clip.featherRadius = 4;
  item.Render();
  EXPECT_EQ(item.At(30, 30) >> 24, 255u);
  // The feather ramps across about twice the radius, half way at the edge.
  for (int x = 16; x < 24; ++x) EXPECT_LT(item.At(x, 30) >> 24, item.At(x + 1, 30) >> 24) << x;
  EXPECT_NEAR(static_cast<int>(item.At(20, 30) >> 24), 128, 20);
  EXPECT_EQ(item.At(26, 30) >> 24, 255u);
  EXPECT_EQ(item.At(13, 30) >> 24, 0u);
}

TEST(FeatheredMask, EmptyOutlineGivesNoMask) {
  EXPECT_EQ(MakeFeatheredMask(CBezierPath(), RECT{0, 0, 10, 10}, 3), nullptr);
  CMaskBuffer* m = MakeFeatheredMask(SquarePath(2, 2, 6, 6), RECT{0, 0, 0, 10}, 3);
  EXPECT_EQ(m, nullptr);
}

TEST(ThumbItem, ClipRecordAssignmentCopiesEverything) {
  CThumbItem item;
  CClipRecord clip;
  clip.featherRadius = 3;
  clip.reserved = 9;
  clip.name = u"soft";
  clip.outline = SquarePath(0, 0, 5, 5);
  item = clip;
  EXPECT_EQ(item.clip.featherRadius, 3);
  EXPECT_EQ(item.clip.reserved, 9);
  EXPECT_EQ(item.clip.outline.GetPointCount(), 4);
  EXPECT_EQ(item.fill.color, 0xFF808080u);
  // An item without a figure renders an empty stack without failing.
  EXPECT_EQ(item.Render(), 0);
}

TEST(ThumbItem, DistanceRampColoursByDistanceFromTheOutline) {
  SquareItem item;
  COverlayItem* layer = item.AddLayer(0xFFFFFFFF);
  CRampEffect* e = new CRampEffect;
  e->gradient.stopCount = 2;
  e->gradient.colors[0] = 0xFF000000;
  e->gradient.colors[1] = 0xFFFFFFFF;
  e->gradient.positions[0] = 0;
  e->gradient.positions[1] = 0.05f;
  e->distanceLimit = 12;
  delete layer->effect;
  layer->effect = e;
  item.Render();
  CGradientDesc flat = e->gradient;
  flat.angle = 0;
  flat.style = 0;
  DWORD* ramp = RenderVaryColorFill(SIZE{513, 2}, flat);
  ASSERT_NE(ramp, nullptr);
  // (20, 30) lies 10 pixels inside the square's left edge, (13, 30) three.
  for (int x : {13, 20}) {
    const DWORD got = item.At(x, 30);
    const DWORD want = ramp[x - 10];
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((want >> shift) & 0xFF), 2) << x;
    EXPECT_EQ(got >> 24, 255u);
  }
  // The centre is 20 pixels from every edge, beyond the lists' reach: it
  // takes the ramp's last colour instead of reading past the ramp.
  EXPECT_EQ(item.At(30, 30), ramp[512]);
  delete[] ramp;
}
