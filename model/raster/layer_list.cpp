// Layer records, the layer list and the compositing steps of the layers.
#include "model/raster/layer_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "compat/afx/archive.h"
#include "compat/afx/file.h"
#include "model/raster/color_variation_fill.h"
#include "model/raster/pixel_buffer.h"
#include "model/outline/shape_outline.h"

namespace {

constexpr double kDegToRad = 0.017453292;

int Channel(DWORD c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

// Alpha of a layer pixel under a mask value.
DWORD MaskedAlpha(DWORD a, DWORD m) { return a == 255 ? m : ((a * m) >> 8); }

CLayer* MakeEffect(int kind) {
  if (kind == kEffectPlain) return new CLayer;
  if (kind == kEffectRelief || kind == kEffectReliefInner) return new CShadowEffect;
  if (kind == kEffectDistanceRamp) return new CRampEffect;
  return nullptr;
}

int64_t RectPixels(const RECT& r) {
  return std::max<int64_t>(0, int64_t{r.right} - r.left) * std::max<int64_t>(0, int64_t{r.bottom} - r.top);
}

bool RectInside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The relief value at one pixel from the working plane (o at the pixel, s at
// the pixel moved by the light direction).
BYTE ReliefValue(int o, int s, const BYTE* light, int64_t li) {
  if (!light) return static_cast<BYTE>((s >> 1) - (o >> 1) + 127);
  const int m = light[li];
  if (m == 0) return 255;
  if (m == 255) return static_cast<BYTE>((s >> 1) - (o >> 1) + 127);
  const int diff = s - o;
  if (diff >= 1) return static_cast<BYTE>(((m * diff) >> 9) + 127);
  if (diff < 0) return static_cast<BYTE>(127 - ((m * -diff) >> 9));
  return 255;
}

DWORD ShadePixel(DWORD p, int v, DWORD c) {
  int k = 0;
  int sign = 0;
  if (v >= 128 && v <= 254) {
    k = (4 * v - 508) / 3;
    sign = 1;
  } else if (v < 127) {
    k = (4 * (127 - v)) / 3;
    sign = -1;
  }
  if (sign == 0) return p;
  DWORD out = p & 0xFF000000;
  for (int shift = 0; shift < 24; shift += 8) {
    const int step = (Channel(c, shift) * k) >> 8;
    const int ch = std::clamp(Channel(p, shift) + sign * step, 0, 255);
    out |= static_cast<DWORD>(ch) << shift;
  }
  return out;
}

int64_t CommonPixels(const CPixelBuffer& a, const CMaskBuffer& m, const CPixelBuffer& b) {
  if (!a.bits || !m.bits || !b.bits) return 0;
  const int64_t pa = int64_t{a.Width()} * a.Height();
  const int64_t pm = int64_t{std::max(m.width, 0)} * std::max(m.height, 0);
  const int64_t pb = int64_t{b.Width()} * b.Height();
  return std::min({pa, pm, pb});
}

}  // namespace

// --- records ---

CLayer* CLayer::Clone() const {
  CLayer* copy = new CLayer;
  copy->kind = kind;
  return copy;
}

void CLayer::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    ar << kind;
  else
    ar >> kind;
}

CLayer* CShadowEffect::Clone() const {
  CShadowEffect* copy = new CShadowEffect;
  copy->kind = kind;
  copy->distance = distance;
  copy->angle = angle;
  copy->softness = softness;
  copy->color = color;
  return copy;
}

void CShadowEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kind << distance << angle << softness << color;
  } else {
    ar >> kind >> distance >> angle >> softness >> color;
  }
}

CLayer* CRampEffect::Clone() const {
  CRampEffect* copy = new CRampEffect;
  copy->kind = kind;
  copy->gradient = gradient;
  copy->distanceLimit = distanceLimit;
  return copy;
}

void CRampEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kind << distanceLimit;
  } else {
    ar >> kind >> distanceLimit;
  }
  gradient.Serialize(ar);
}

COverlayItem::COverlayItem() : effect(new CLayer) {}

COverlayItem::~COverlayItem() { delete effect; }

COverlayItem* COverlayItem::Clone() const {
  COverlayItem* copy = new COverlayItem;
  copy->shapeKind = shapeKind;
  copy->fill = fill;
  delete copy->effect;
  copy->effect = effect->Clone();
  copy->blurRadius = blurRadius;
  copy->visible = visible;
  // The shape parameters go with the copy too: a cloned band or shifted
  // layer must look like its original.
  copy->bandMode = bandMode;
  copy->width = width;
  copy->angle = angle;
  copy->rect = rect;
  return copy;
}

void COverlayItem::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << shapeKind << blurRadius << visible << effect->kind;
    effect->Serialize(ar);
    fill.Serialize(ar);
    return;
  }
  int effectKind = 0;
  ar >> shapeKind >> blurRadius >> visible >> effectKind;
  CLayer* loaded = MakeEffect(effectKind);
  // An effect this program cannot make is refused; the layer keeps a
  // usable effect rather than none.
  if (!loaded) AfxThrowArchiveException(CArchiveException::badClass);
  delete effect;
  effect = loaded;
  effect->Serialize(ar);
  // The effect's record restores its kind; one that disagrees with the
  // class made for it would be drawn as something it is not.
  bool agrees = effect->kind == kEffectPlain;
  if (dynamic_cast<CShadowEffect*>(effect))
    agrees = effect->kind == kEffectRelief || effect->kind == kEffectReliefInner;
  else if (dynamic_cast<CRampEffect*>(effect))
    agrees = effect->kind == kEffectDistanceRamp;
  if (!agrees) {
    delete effect;
    effect = new CLayer;
    AfxThrowArchiveException(CArchiveException::badClass);
  }
  fill.Serialize(ar);
}

// --- layer list ---

CLayerList::CLayerList() {
  m_background.type = kFillColor;
  m_background.color = 0;
}

CLayerList::~CLayerList() { RemoveAll(); }

void CLayerList::RemoveAll() {
  for (int i = 0; i < m_layers.GetSize(); ++i) delete m_layers[i];
  m_layers.RemoveAll();
}

int CLayerList::RemoveAt(int i) {
  if (i < 0 || i >= m_layers.GetSize()) return 0;
  delete m_layers[i];
  m_layers.RemoveAt(i);
  return 1;
}

void CLayerList::CopyInOrder(CArray<COverlayItem*, COverlayItem*>& out) const {
  out.SetSize(m_layers.GetSize());
  for (int i = 0; i < m_layers.GetSize(); ++i) out[i] = m_layers[i];
}

void CLayerList::CopyReversed(CArray<COverlayItem*, COverlayItem*>& out) const {
  const int n = m_layers.GetSize();
  out.SetSize(n);
  for (int i = 0; i < n; ++i) out[i] = m_layers[n - 1 - i];
}

// --- compositing ---

BYTE* CompositeDropShadow(const CLayer* effect, const BYTE* lightMask, BYTE* shapePlane,
                          const RECT& planeRect, const RECT& areaRect) {
  const CShadowEffect* shadow = dynamic_cast<const CShadowEffect*>(effect);
  if (!shadow || shadow->kind == 0 || shadow->distance == 0 || !shapePlane) return nullptr;
  const int64_t planeBytes = RectPixels(planeRect);
  if (planeBytes <= 0 || planeBytes > kMaxRasterPixels) return nullptr;
  const double rad = shadow->angle * kDegToRad;
  const int dx = static_cast<int>(std::clamp(std::cos(rad) * shadow->distance + 0.5, -1e6, 1e6));
  const int dy = static_cast<int>(std::clamp(std::sin(rad) * shadow->distance + 0.5, -1e6, 1e6));
  int r = std::clamp(shadow->softness, -(1 << 16), 1 << 16);
  const int reach = std::max(std::abs(dx), std::abs(dy));
  if (r <= reach) r = reach;
  const int margin = r + std::max(std::abs(dx) / 2, std::abs(dy) / 2) + 1;
  const RECT grown{areaRect.left - margin, areaRect.top - margin, areaRect.right + margin,
                   areaRect.bottom + margin};

  BYTE* work = shapePlane;
  RECT workRect = planeRect;
  BYTE* temp = nullptr;
  if (!RectInside(grown, planeRect)) {
    const int64_t n = RectPixels(grown);
    if (n <= 0 || n > kMaxRasterPixels) return nullptr;
    temp = new BYTE[n];
    const SIZE tempSize{grown.right - grown.left, grown.bottom - grown.top};
    const SIZE planeSize{planeRect.right - planeRect.left, planeRect.bottom - planeRect.top};
    // Half the light offset centres the relief on the shape's edge.
    const POINT offset{planeRect.left - grown.left + dx / 2, planeRect.top - grown.top + dy / 2};
    CopyMaskClipped(temp, tempSize, shapePlane, planeSize, offset);
    work = temp;
    workRect = grown;
  }
  const SIZE workSize{workRect.right - workRect.left, workRect.bottom - workRect.top};

  BYTE* result = new BYTE[planeBytes];
  std::memset(result, 255, static_cast<size_t>(planeBytes));
  if (shadow->softness > 0) BlurMaskGaussian(work, workSize, shadow->softness);
  if (shadow->distance < 0) {
    for (int64_t i = 0; i < planeBytes; ++i)
      if (result[i] != 0) result[i] = static_cast<BYTE>(~result[i]);
    delete[] temp;
    return result;
  }
  const auto at = [&](int64_t x, int64_t y) -> int {
    x -= workRect.left;
    y -= workRect.top;
    if (x < 0 || y < 0 || x >= workSize.cx || y >= workSize.cy) return 0;
    return work[y * workSize.cx + x];
  };
  const int planeWidth = planeRect.right - planeRect.left;
  const RECT area{std::max(areaRect.left, planeRect.left), std::max(areaRect.top, planeRect.top),
                  std::min(areaRect.right, planeRect.right), std::min(areaRect.bottom, planeRect.bottom)};
  for (int64_t y = area.top; y < area.bottom; ++y) {
    for (int64_t x = area.left; x < area.right; ++x) {
      const int64_t li = (y - planeRect.top) * planeWidth + (x - planeRect.left);
      result[li] = ReliefValue(at(x, y), at(x + dx, y + dy), lightMask, li);
    }
  }
  delete[] temp;
  return result;
}

void BlendColorThroughMask(CPixelBuffer& layer, const CMaskBuffer& mask, const BYTE* relief,
                           DWORD colour, CPixelBuffer& dest) {
  if (!relief) return;
  const int64_t n = CommonPixels(layer, mask, dest);
  for (int64_t i = 0; i < n; ++i) {
    const DWORD m = mask.bits[i];
    if (m == 0) continue;
    DWORD p = ShadePixel(layer.bits[i], relief[i], colour);
    p = (p & 0x00FFFFFF) | (MaskedAlpha(p >> 24, m) << 24);
    layer.bits[i] = p;
    dest.bits[i] = BlendPixelOver(dest.bits[i], p);
  }
}

void AlphaComposite(const CMaskBuffer& mask, CPixelBuffer& layer, CPixelBuffer& dest) {
  const int64_t n = CommonPixels(layer, mask, dest);
  for (int64_t i = 0; i < n; ++i) {
    const DWORD m = mask.bits[i];
    if (m == 0) continue;
    const DWORD p = (layer.bits[i] & 0x00FFFFFF) | (MaskedAlpha(layer.bits[i] >> 24, m) << 24);
    layer.bits[i] = p;
    dest.bits[i] = BlendPixelOver(dest.bits[i], p);
  }
}

void RenderLayer(const CRampEffect& effect, const CShapeOutline& outline, const CNearSegmentGrid& lists,
                 const CMaskBuffer& mask, CPixelBuffer& layer, CPixelBuffer& dest) {
  constexpr int kRampLength = 513;
  CGradientDesc desc = effect.gradient;
  desc.angle = 0;
  desc.style = 0;
  DWORD* ramp = RenderVaryColorFill(SIZE{kRampLength, 2}, desc);
  if (!ramp) return;
  const int64_t n = CommonPixels(layer, mask, dest);
  const int w = mask.width;
  for (int64_t i = 0; n > 0 && i < n; ++i) {
    const DWORD m = mask.bits[i];
    if (m == 0) continue;
    const int x = mask.x + static_cast<int>(i % w);
    const int y = mask.y + static_cast<int>(i / w);
    float d = 10000.0f;
    for (int k = lists.Head(x, y); k >= 0 && k < static_cast<int>(lists.items.size());
         k = lists.items[static_cast<size_t>(k)].next) {
      const CNearSegmentGrid::Item& item = lists.items[static_cast<size_t>(k)];
      d = std::min(d, outline.SegmentDistance(item.contour, item.segment, x, y, nullptr));
    }
    // A pixel that no listed piece comes near, or one beyond the ramp, takes
    // the ramp's last colour rather than reading past it.
    d = d >= 0 ? std::min(d, static_cast<float>(kRampLength - 1)) : static_cast<float>(kRampLength - 1);
    const int at = std::min(static_cast<int>(d), kRampLength - 2);
    DWORD colour;
    LerpArgb(ramp[at], ramp[at + 1], colour, d - static_cast<float>(at));
    colour = (colour & 0x00FFFFFF) | (MaskedAlpha(colour >> 24, m) << 24);
    layer.bits[i] = colour;
    dest.bits[i] = BlendPixelOver(colour, dest.bits[i]);
  }
  delete[] ramp;
}
