// The thumbnail item: its layer stack, the bounds of the stack and the
// feathered clip.
#include "model/raster/thumb_item.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/outline/figure_group.h"
#include "model/raster/fill_render.h"
#include "model/raster/layer_list.h"
#include "model/raster/pixel_buffer.h"

namespace {

constexpr double kDegToRad = 0.017453292;
// Grows and shifts beyond this are refused as nonsense rather than drawn.
constexpr float kMaxLayerReach = 1 << 14;

float Reach(float v) { return std::isfinite(v) ? std::clamp(v, -kMaxLayerReach, kMaxLayerReach) : 0.0f; }
int Whole(double v) { return static_cast<int>(std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : 0.0); }

void Grow(RECT& r, int by) {
  r.left -= by;
  r.top -= by;
  r.right += by;
  r.bottom += by;
}

void Move(RECT& r, int64_t dx, int64_t dy) {
  r.left = static_cast<LONG>(r.left + dx);
  r.right = static_cast<LONG>(r.right + dx);
  r.top = static_cast<LONG>(r.top + dy);
  r.bottom = static_cast<LONG>(r.bottom + dy);
}

void Unite(RECT& into, const RECT& r) {
  into.left = std::min(into.left, r.left);
  into.top = std::min(into.top, r.top);
  into.right = std::max(into.right, r.right);
  into.bottom = std::max(into.bottom, r.bottom);
}

POINT ShiftOf(const COverlayItem& layer) {
  const double rad = Reach(layer.angle) * kDegToRad;
  const double d = Reach(layer.width);
  return POINT{Whole(std::cos(rad) * d), Whole(std::sin(rad) * d)};
}

int64_t RectPixels(const RECT& r) {
  return std::max<int64_t>(0, int64_t{r.right} - r.left) * std::max<int64_t>(0, int64_t{r.bottom} - r.top);
}

// A mask plane on the stack's rectangle.
struct Plane : CMaskBuffer {
  explicit Plane(const RECT& r) : CMaskBuffer(r.left, r.top, r.right, r.bottom) {}
  ~Plane() { Free(); }
  Plane(const Plane&) = delete;
  Plane& operator=(const Plane&) = delete;
  SIZE Size() const { return SIZE{width, height}; }
  void Clear() { std::memset(bits, 0, static_cast<size_t>(width) * height); }
};

// Builds the mask of one layer while keeping the running state of bands
// and shifts between layers.
class LayerMasks {
 public:
  LayerMasks(CFigureGroup* figure, const RECT& area)
      : m_figure(figure), m_area(area), m_base(area), m_prevOuter(area), m_prev(area) {
    if (m_figure) m_figure->DrawMask(&m_base, 0, 0, 0);
    m_prevOuter.CopyFrom(m_base);
    m_prev.CopyFrom(m_base);
  }

  // Whether the last band made was the first band, centred on the outline
  // and without blur: the distance ramp follows the outline there.
  bool FirstPlainBand() const { return m_firstPlainBand; }

  void Make(const COverlayItem& layer, Plane& mask) {
    m_firstPlainBand = false;
    mask.Clear();
    switch (layer.shapeKind) {
      case kShapeFigure: Figure(layer, mask); break;
      case kShapeBand: Band(layer, mask); break;
      case kShapeShifted: Shifted(layer, mask); break;
      case kShapeRect: Rect(layer, mask); break;
      default: break;
    }
    if (layer.blurRadius > 0) BlurMaskGaussian(mask.bits, mask.Size(), layer.blurRadius);
    m_prev.CopyFrom(mask);
  }

 private:
  void Draw(Plane& mask, float grow) {
    if (m_figure) m_figure->DrawMask(&mask, grow, m_shiftX, m_shiftY);
  }

  void Figure(const COverlayItem& layer, Plane& mask) {
    if (m_shiftX != 0 || m_shiftY != 0 || layer.blurRadius != 0)
      Draw(mask, static_cast<float>(layer.blurRadius));
    else
      mask.CopyFrom(m_base);
  }

  void Band(const COverlayItem& layer, Plane& mask) {
    const float w = Reach(layer.width);
    const int b = std::clamp(layer.blurRadius, 0, static_cast<int>(kMaxLayerReach));
    const float h = w + static_cast<float>(b / 2);
    Plane outer(m_area);
    Draw(outer, m_offset + h);
    Plane inner(m_area);
    if (m_offset - h >= 0) {
      Draw(inner, m_offset - h);
    } else if (m_figure) {
      // The figure shrunk by the band's inner reach, kept within the figure.
      m_figure->DrawMaskCopy(&inner, h - m_offset, m_shiftX, m_shiftY);
      inner.Intersect(m_base);
    }
    switch (layer.bandMode) {
      case 0: mask.CopyFrom(m_prevOuter); mask.Subtract(inner); break;
      case 1: mask.CopyFrom(outer); mask.Subtract(m_prevOuter); break;
      case 2: mask.CopyFrom(outer); mask.Subtract(inner); break;
      default: mask.CopyFrom(outer); break;
    }
    m_prevOuter.CopyFrom(outer);
    m_offset += w + static_cast<float>(b);
    m_firstPlainBand = layer.bandMode == 2 && m_offset == w;
  }

  void Shifted(const COverlayItem& layer, Plane& mask) {
    const POINT d = ShiftOf(layer);
    CopyMaskShifted(mask.bits, m_prev.bits, mask.Size(), d);
    m_shiftX += static_cast<float>(d.x);
    m_shiftY += static_cast<float>(d.y);
  }

  void Rect(const COverlayItem& layer, Plane& mask) {
    RECT fig{0, 0, 0, 0};
    if (m_figure) m_figure->GetBounds(fig);
    const int64_t left = std::max<int64_t>(int64_t{layer.rect.left} + fig.left, m_area.left);
    const int64_t top = std::max<int64_t>(int64_t{layer.rect.top} + fig.top, m_area.top);
    const int64_t right = std::min<int64_t>(int64_t{layer.rect.right} + fig.left, m_area.right);
    const int64_t bottom = std::min<int64_t>(int64_t{layer.rect.bottom} + fig.top, m_area.bottom);
    for (int64_t y = top; y < bottom; ++y)
      std::memset(mask.bits + (y - m_area.top) * mask.width + (left - m_area.left), 255,
                  static_cast<size_t>(std::max<int64_t>(0, right - left)));
  }

  CFigureGroup* m_figure;
  RECT m_area;
  Plane m_base;
  Plane m_prevOuter;
  Plane m_prev;
  float m_offset = 0;
  bool m_firstPlainBand = false;
  float m_shiftX = 0;
  float m_shiftY = 0;
};

void CompositeLayer(const COverlayItem& layer, const LayerMasks& masks, CFigureGroup* figure, Plane& mask,
                    CPixelBuffer& paint, CPixelBuffer& work, const RECT& area) {
  const int kind = layer.effect ? layer.effect->kind : kEffectPlain;
  if (kind == kEffectRelief || kind == kEffectReliefInner) {
    // A relief without a distance has no plane and draws nothing.
    BYTE* relief = CompositeDropShadow(layer.effect, mask.bits, mask.bits, area, area);
    if (!relief) return;
    BlendColorThroughMask(paint, mask, relief, static_cast<const CShadowEffect*>(layer.effect)->color, work);
    delete[] relief;
    return;
  }
  const CRampEffect* ramp = dynamic_cast<const CRampEffect*>(layer.effect);
  const bool followsOutline =
      layer.shapeKind == kShapeFigure || (layer.shapeKind == kShapeBand && masks.FirstPlainBand());
  if (ramp && figure && followsOutline) {
    CNearSegmentGrid lists;
    const float limit = std::isfinite(ramp->distanceLimit) ? std::clamp(ramp->distanceLimit, 0.0f, 4096.0f) : 0;
    figure->RenderMask(lists, static_cast<int>(limit) + 2);
    if (figure->GetOutline()) RenderLayer(*ramp, *figure->GetOutline(), lists, mask, paint, work);
    return;
  }
  AlphaComposite(mask, paint, work);
}

}  // namespace

CThumbItem::CThumbItem() : layers(new CLayerList) {}

CThumbItem::~CThumbItem() {
  delete figure;
  if (result) result->Free();
  delete result;
  delete layers;
}

CThumbItem& CThumbItem::operator=(const CClipRecord& other) {
  clip.featherRadius = other.featherRadius;
  clip.reserved = other.reserved;
  clip.name = other.name;
  clip.outline = other.outline;
  return *this;
}

void CThumbItem::SetClipPath(const CBezierPath& path) { clip.outline = path; }

void CThumbItem::ComputeLayerBounds(RECT& out) {
  RECT fig{0, 0, 0, 0};
  if (figure) figure->ComputeBounds(fig);
  RECT bounds = fig;
  int64_t sx = 0;
  int64_t sy = 0;
  int64_t band = 0;
  CArray<COverlayItem*, COverlayItem*> stack;
  layers->CopyReversed(stack);
  for (int i = 0; i < stack.GetSize(); ++i) {
    const COverlayItem& layer = *stack[i];
    const int blur = std::clamp(layer.blurRadius, 0, static_cast<int>(kMaxLayerReach));
    if (layer.shapeKind == kShapeFigure) {
      Grow(bounds, blur);
    } else if (layer.shapeKind == kShapeBand) {
      band = std::min<int64_t>(band + Whole(Reach(layer.width)) + 2, kMaxLayerReach);
      RECT r = fig;
      Grow(r, blur + static_cast<int>(band));
      Move(r, sx, sy);
      Unite(bounds, r);
    } else if (layer.shapeKind == kShapeShifted) {
      const POINT d = ShiftOf(layer);
      RECT r = fig;
      Move(r, d.x, d.y);
      Grow(r, blur);
      Unite(bounds, r);
      sx = std::clamp<int64_t>(sx + d.x, -kMaxLayerReach, kMaxLayerReach);
      sy = std::clamp<int64_t>(sy + d.y, -kMaxLayerReach, kMaxLayerReach);
    } else if (layer.shapeKind == kShapeRect) {
      RECT r = layer.rect;
      Move(r, fig.left, fig.top);
      Unite(bounds, r);
    }
  }
  out = bounds;
}

void CThumbItem::RenderLayers() {
  if (result) result->Free();
  delete result;
  result = nullptr;
  RECT area;
  ComputeLayerBounds(area);
  const int64_t pixels = RectPixels(area);
  if (pixels <= 0 || pixels > kMaxRasterPixels) return;
  result = new CPixelBuffer(area);
  if (!result->bits) return;
  RenderFillStyle(layers->GetBackground(), *result);
  CPixelBuffer work(area);
  work.Fill(0);
  LayerMasks masks(figure, area);
  CArray<COverlayItem*, COverlayItem*> stack;
  layers->CopyReversed(stack);
  for (int i = 0; i < stack.GetSize(); ++i) {
    const COverlayItem& layer = *stack[i];
    CPixelBuffer paint(area);
    RenderFillStyle(layer.fill, paint);
    Plane mask(area);
    if (paint.bits && mask.bits && work.bits) {
      masks.Make(layer, mask);
      if (layer.visible) CompositeLayer(layer, masks, figure, mask, paint, work, area);
    }
    paint.Free();
  }
  result->BlendOver(work);
  work.Free();
}

int CThumbItem::Render() {
  if (skip != 0) return skip;
  RenderLayers();
  if (!result) return 0;
  RECT area;
  ComputeLayerBounds(area);
  CMaskBuffer* mask = MakeFeatheredMask(clip.outline, area, clip.featherRadius);
  if (mask) {
    result->MultiplyAlpha(*mask);
    mask->Free();
    delete mask;
  }
  return 0;
}

CMaskBuffer* MakeFeatheredMask(const CBezierPath& path, const RECT& area, int radius) {
  if (path.GetPointCount() == 0) return nullptr;
  const int64_t areaPixels = RectPixels(area);
  if (areaPixels <= 0 || areaPixels > kMaxRasterPixels) return nullptr;
  radius = std::clamp(radius, 0, static_cast<int>(kMaxLayerReach));
  CFigureGroup group;
  group.AddPath(path, kFigureFilled);
  RECT b;
  group.ComputeBounds(b);
  Grow(b, radius);
  const int64_t pixels = RectPixels(b);
  if (pixels <= 0 || pixels > kMaxRasterPixels) return nullptr;
  Plane first(b);
  if (!first.bits) return nullptr;
  group.DrawMask(&first, 0, 0, 0);
  if (radius > 0) {
    Plane blurred(b);
    if (blurred.bits) {
      BoxBlurMask(first.bits, first.Size(), radius, radius, blurred.bits);
      first.CopyFrom(blurred);
    }
  }
  CMaskBuffer* out = new CMaskBuffer(area.left, area.top, area.right, area.bottom);
  if (!out->bits) {
    delete out;
    return nullptr;
  }
  const LONG left = std::max(area.left, b.left);
  const LONG top = std::max(area.top, b.top);
  const LONG right = std::min(area.right, b.right);
  const LONG bottom = std::min(area.bottom, b.bottom);
  for (LONG y = top; y < bottom; ++y)
    std::memcpy(out->bits + int64_t{y - area.top} * out->width + (left - area.left),
                first.bits + int64_t{y - b.top} * first.width + (left - b.left),
                static_cast<size_t>(std::max<LONG>(0, right - left)));
  return out;
}
