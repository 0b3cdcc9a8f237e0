// Overlay layers: the relief map and shading against values worked out by
// hand, the plain composite's order, the layer list, and the layer record.
#include "model/raster/layer_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/raster/pixel_buffer.h"
#include "record_bytes.h"

namespace {

struct Planes {
  explicit Planes(int w, int h, DWORD layerPixel, BYTE m)
      : layer(RECT{0, 0, w, h}), dest(RECT{0, 0, w, h}), mask(0, 0, w, h) {
    layer.Fill(layerPixel);
    dest.Fill(0);
    std::memset(mask.bits, m, static_cast<size_t>(w) * h);
  }
  ~Planes() {
    layer.Free();
    dest.Free();
    mask.Free();
  }
  CPixelBuffer layer;
  CPixelBuffer dest;
  CMaskBuffer mask;
};

}  // namespace

TEST(Relief, FlatPlaneIsNeutralInsideTheArea) {
  CShadowEffect e;
  e.softness = 0;
  std::vector<BYTE> shape(40 * 40, 200);
  const RECT plane{0, 0, 40, 40};
  const RECT area{15, 15, 25, 25};  // grown by the margin it still fits
  BYTE* relief = CompositeDropShadow(&e, nullptr, shape.data(), plane, area);
  ASSERT_NE(relief, nullptr);
  EXPECT_EQ(relief[20 * 40 + 20], 127);
  EXPECT_EQ(relief[15 * 40 + 24], 127);
  EXPECT_EQ(relief[2 * 40 + 2], 255);  // outside the area: untouched
  delete[] relief;
}

TEST(Relief, EdgeFacingTheLightIsLitAndTheOtherShaded) {
  // Light along +x (angle 0, distance 4): a step from 0 to 255 at column 20.
  CShadowEffect e;
  e.angle = 0;
  e.distance = 4;
  e.softness = 0;
  std::vector<BYTE> shape(40 * 40, 0);
  for (int y = 0; y < 40; ++y)
    for (int x = 20; x < 40; ++x) shape[y * 40 + x] = 255;
  BYTE* relief = CompositeDropShadow(&e, nullptr, shape.data(), RECT{0, 0, 40, 40}, RECT{12, 12, 28, 28});
  ASSERT_NE(relief, nullptr);
  // Independent: (s >> 1) - (o >> 1) + 127 with s four pixels to the right.
  EXPECT_EQ(relief[20 * 40 + 17], (255 >> 1) - 0 + 127);
  EXPECT_EQ(relief[20 * 40 + 22], 127);
  EXPECT_EQ(relief[20 * 40 + 14], 127);
  delete[] relief;
  // Light from the other side darkens the same edge; a light mask of 0
  // leaves pixels untouched.
  e.angle = 180;
  std::vector<BYTE> light(40 * 40, 255);
  light[20 * 40 + 22] = 0;
  relief = CompositeDropShadow(&e, light.data(), shape.data(), RECT{0, 0, 40, 40}, RECT{12, 12, 28, 28});
  ASSERT_NE(relief, nullptr);
  EXPECT_EQ(relief[20 * 40 + 21], 0 - (255 >> 1) + 127);
  EXPECT_EQ(relief[20 * 40 + 22], 255);
  delete[] relief;
}

TEST(Relief, NoPlaneWithoutADistanceOrARelief) {
  std::vector<BYTE> shape(16 * 16, 9);
  CShadowEffect e;
  e.distance = 0;
  EXPECT_EQ(CompositeDropShadow(&e, nullptr, shape.data(), RECT{0, 0, 16, 16}, RECT{0, 0, 16, 16}), nullptr);
  CLayer plain;
  plain.kind = kEffectRelief;  // a plain record that claims to be a relief
  EXPECT_EQ(CompositeDropShadow(&plain, nullptr, shape.data(), RECT{0, 0, 16, 16}, RECT{0, 0, 16, 16}), nullptr);
  EXPECT_EQ(CompositeDropShadow(nullptr, nullptr, shape.data(), RECT{0, 0, 16, 16}, RECT{0, 0, 16, 16}), nullptr);
  // Without a relief plane the shading draws nothing.
  Planes p(4, 4, 0xFF102030, 255);
  BlendColorThroughMask(p.layer, p.mask, nullptr, 0xFFFFFFFF, p.dest);
  EXPECT_EQ(p.dest.bits[5], 0u);
}

TEST(Relief, NegativeDistanceGivesAnEmptyPlane) {
  CShadowEffect e;
  e.distance = -3;
  std::vector<BYTE> shape(30 * 30, 100);
  BYTE* relief = CompositeDropShadow(&e, nullptr, shape.data(), RECT{0, 0, 30, 30}, RECT{0, 0, 30, 30});
  ASSERT_NE(relief, nullptr);
  for (int i = 0; i < 900; ++i) ASSERT_EQ(relief[i], 0);
  delete[] relief;
}

TEST(Shading, ReliefValuesBrightenDarkenOrLeave) {
  const DWORD layerPixel = 0xFF808080;
  const DWORD colour = 0xFF808080;
  const BYTE values[4] = {255, 127, 254, 0};
  Planes p(4, 1, layerPixel, 255);
  BlendColorThroughMask(p.layer, p.mask, values, colour, p.dest);
  const int step = (0x80 * 169) >> 8;
  EXPECT_EQ(p.dest.bits[0], layerPixel);
  EXPECT_EQ(p.dest.bits[1], layerPixel);
  EXPECT_EQ(p.dest.bits[2], 0xFF000000u | (0x80 + step) * 0x010101u);
  EXPECT_EQ(p.dest.bits[3], 0xFF000000u | (0x80 - step) * 0x010101u);
  // Held at the channel limits.
  Planes q(2, 1, 0xFFF0F0F0, 255);
  q.layer.bits[1] = 0xFF101010;
  const BYTE extremes[2] = {254, 0};
  BlendColorThroughMask(q.layer, q.mask, extremes, 0xFFFFFFFF, q.dest);
  EXPECT_EQ(q.dest.bits[0], 0xFFFFFFFFu);
  EXPECT_EQ(q.dest.bits[1], 0xFF000000u);
}

TEST(Composite, HalfMaskOnAnEmptyPictureKeepsTheColourAtHalfAlpha) {
  Planes p(2, 2, 0xFF336699, 128);
  p.mask.bits[3] = 0;
  AlphaComposite(p.mask, p.layer, p.dest);
  EXPECT_EQ(p.dest.bits[0], 0x80336699u);
  EXPECT_EQ(p.dest.bits[3], 0u);  // mask 0 leaves the picture
}

TEST(Composite, LaterLayersGoBehindEarlierOnes) {
  Planes front(2, 1, 0xFFFF0000, 255);
  AlphaComposite(front.mask, front.layer, front.dest);
  CPixelBuffer back(RECT{0, 0, 2, 1});
  back.Fill(0xFF0000FF);
  AlphaComposite(front.mask, back, front.dest);
  EXPECT_EQ(front.dest.bits[0], 0xFFFF0000u);  // opaque front hides it
  // A half-transparent front lets the back layer show through.
  Planes half(1, 1, 0xFFFF0000, 128);
  AlphaComposite(half.mask, half.layer, half.dest);
  CPixelBuffer solid(RECT{0, 0, 1, 1});
  solid.Fill(0xFF0000FF);
  std::memset(half.mask.bits, 255, 1);
  AlphaComposite(half.mask, solid, half.dest);
  // Independent: 128/256 of red over blue, opaque.
  EXPECT_EQ(half.dest.bits[0], BlendPixelOver(0x80FF0000, 0xFF0000FF));
  EXPECT_EQ(half.dest.bits[0] >> 24, 255u);
  EXPECT_EQ((half.dest.bits[0] >> 16) & 0xFF, 0xFFu * 128 / 256);
  back.Free();
  solid.Free();
}

TEST(LayerList, OwnsCopiesAndRemovesLayers) {
  CLayerList list;
  EXPECT_EQ(list.GetBackground().color, 0u);
  CArray<COverlayItem*, COverlayItem*> out;
  list.CopyReversed(out);
  EXPECT_EQ(out.GetSize(), 0);
  COverlayItem* a = new COverlayItem;
  COverlayItem* b = new COverlayItem;
  list.Add(a);
  list.Add(b);
  list.CopyReversed(out);
  ASSERT_EQ(out.GetSize(), 2);
  EXPECT_EQ(out[0], b);
  list.CopyInOrder(out);
  EXPECT_EQ(out[0], a);
  EXPECT_EQ(list.RemoveAt(0), 1);
  EXPECT_EQ(list.RemoveAt(5), 0);
  EXPECT_EQ(list.GetAt(0), b);
}

TEST(LayerRecord, RoundTripsAndClonesDeeply) {
  COverlayItem item;
  item.shapeKind = kShapeBand;
  item.blurRadius = 2;
  item.visible = 0;
  item.bandMode = 2;
  item.width = 3.5f;
  delete item.effect;
  CShadowEffect* e = new CShadowEffect;
  e->kind = kEffectReliefInner;
  e->distance = 7;
  e->color = 0xFF010203;
  item.effect = e;
  item.fill.color = 0xFF445566;
  const std::vector<BYTE> bytes = StoreRecord(item);
  const std::vector<BYTE> head =
      RecordBytes().Int(1).Int(2).Int(0).Int(2).Int(2).Int(7).Int(45).Int(3).Int(0xFF010203).bytes();
  ASSERT_GE(bytes.size(), head.size());
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  COverlayItem back;
  EXPECT_EQ(LoadRecord(bytes, back), -1);
  ASSERT_NE(dynamic_cast<CShadowEffect*>(back.effect), nullptr);
  EXPECT_EQ(back.effect->kind, kEffectReliefInner);
  EXPECT_EQ(back.fill.color, 0xFF445566u);
  COverlayItem* copy = item.Clone();
  EXPECT_NE(copy->effect, item.effect);
  EXPECT_EQ(static_cast<CShadowEffect*>(copy->effect)->distance, 7);
  EXPECT_EQ(copy->bandMode, 2);
  EXPECT_EQ(copy->width, 3.5f);
  delete copy;
}

TEST(LayerRecord, UnknownOrMismatchedEffectsAreRefused) {
  COverlayItem item;
  std::vector<BYTE> kind3 = RecordBytes().Int(0).Int(0).Int(1).Int(3).Int(3).bytes();
  EXPECT_EQ(LoadRecord(kind3, item), CArchiveException::badClass);
  ASSERT_NE(item.effect, nullptr);
  // A plain effect whose own record says relief.
  std::vector<BYTE> mismatch = RecordBytes().Int(0).Int(0).Int(1).Int(0).Int(1).bytes();
  EXPECT_EQ(LoadRecord(mismatch, item), CArchiveException::badClass);
  ASSERT_NE(item.effect, nullptr);
  EXPECT_EQ(item.effect->kind, kEffectPlain);
}

TEST(LayerRecord, DistanceRampKeepsItsGradient) {
  COverlayItem item;
  delete item.effect;
  CRampEffect* ramp = new CRampEffect;
  ramp->distanceLimit = 12.5f;
  ramp->gradient.colors[1] = 0xFF00FF00;
  item.effect = ramp;
  const std::vector<BYTE> bytes = StoreRecord(item);
  COverlayItem back;
  ASSERT_EQ(LoadRecord(bytes, back), -1);
  const CRampEffect* loaded = dynamic_cast<const CRampEffect*>(back.effect);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->kind, kEffectDistanceRamp);
  EXPECT_EQ(loaded->distanceLimit, 12.5f);
  EXPECT_EQ(loaded->gradient.colors[1], 0xFF00FF00u);
  CLayer* copy = loaded->Clone();
  EXPECT_EQ(static_cast<CRampEffect*>(copy)->gradient.colors[1], 0xFF00FF00u);
  delete copy;
}
