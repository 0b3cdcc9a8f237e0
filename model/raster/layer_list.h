// The overlay layers of a thumbnail item: the owning layer list, the layer
// records with their relief effect and archive form, and the compositing
// steps that lay one layer's paint behind the picture built so far.
#pragma once

#include "compat/afx/coll.h"
#include "compat/win32/types.h"
#include "model/raster/fill_style.h"
#include "model/raster/gradient_desc.h"

class CArchive;
class CShapeOutline;
struct CNearSegmentGrid;
struct CMaskBuffer;
struct CPixelBuffer;

// Effect kinds of a layer.
constexpr int kEffectPlain = 0;
constexpr int kEffectRelief = 1;
constexpr int kEffectReliefInner = 2;
constexpr int kEffectDistanceRamp = 4;

// Shape kinds of a layer.
constexpr int kShapeFigure = 0;
constexpr int kShapeBand = 1;
constexpr int kShapeShifted = 2;
constexpr int kShapeRect = 3;

class CLayer {
 public:
  CLayer() = default;
  virtual ~CLayer() = default;
  virtual CLayer* Clone() const;
  virtual void Serialize(CArchive& ar);

  int kind = kEffectPlain;
};

class CShadowEffect : public CLayer {
 public:
  CShadowEffect() { kind = kEffectRelief; }
  CLayer* Clone() const override;
  void Serialize(CArchive& ar) override;

  int distance = 5;
  int angle = 45;  // degrees
  int softness = 3;
  DWORD color = 0xFFFFFF00;
};

// Paints the layer with a colour ramp by the distance from the figure's
// outline.
class CRampEffect : public CLayer {
 public:
  CRampEffect() { kind = kEffectDistanceRamp; }
  CLayer* Clone() const override;
  // Record: kind, distance limit, the gradient record.
  void Serialize(CArchive& ar) override;

  CGradientDesc gradient;
  float distanceLimit = 20.0f;  // pixels from the outline the lists reach
};

class COverlayItem {
 public:
  COverlayItem();
  virtual ~COverlayItem();
  COverlayItem(const COverlayItem&) = delete;
  COverlayItem& operator=(const COverlayItem&) = delete;
  virtual COverlayItem* Clone() const;
  virtual void Serialize(CArchive& ar);

  int shapeKind = kShapeFigure;
  CFillStyle fill;
  CLayer* effect = nullptr;  // owned, never null
  int blurRadius = 0;
  int visible = 1;
  // Shape parameters: band position mode 0..3 and band width, or the shift
  // distance and angle in degrees, or the fixed rectangle (relative to the
  // figure's top-left). Kept with the layer; the layer record does not
  // carry them.
  int bandMode = 0;
  float width = 0;  // band width or shift distance
  float angle = 0;
  RECT rect = {0, 0, 0, 0};
};

class CLayerList {
 public:
  CLayerList();
  virtual ~CLayerList();
  CLayerList(const CLayerList&) = delete;
  CLayerList& operator=(const CLayerList&) = delete;

  int GetSize() const { return m_layers.GetSize(); }
  COverlayItem* GetAt(int i) const { return m_layers[i]; }
  // Takes ownership.
  int Add(COverlayItem* layer) { return static_cast<int>(m_layers.Add(layer)); }
  void RemoveAll();
  int RemoveAt(int i);
  void CopyInOrder(CArray<COverlayItem*, COverlayItem*>& out) const;
  void CopyReversed(CArray<COverlayItem*, COverlayItem*>& out) const;
  CFillStyle& GetBackground() { return m_background; }
  const CFillStyle& GetBackground() const { return m_background; }

  int flag = 1;

 private:
  CArray<COverlayItem*, COverlayItem*> m_layers;
  CFillStyle m_background;
};

// The relief plane (planeRect's size) of a relief effect over the shape,
// or null when the effect is missing, not a relief or has distance 0; the
// caller frees it with delete[]. lightMask may be null. Without a
// temporary plane the shape plane is blurred in place.
BYTE* CompositeDropShadow(const CLayer* effect, const BYTE* lightMask, BYTE* shapePlane,
                          const RECT& planeRect, const RECT& areaRect);
// Shades the layer through the relief and lays dest over it. Nothing
// happens without a relief plane.
void BlendColorThroughMask(CPixelBuffer& layer, const CMaskBuffer& mask, const BYTE* relief,
                           DWORD colour, CPixelBuffer& dest);
// Lays dest over the masked layer.
void AlphaComposite(const CMaskBuffer& mask, CPixelBuffer& layer, CPixelBuffer& dest);
// The distance-ramp fill: each masked pixel takes the ramp's colour at its
// distance from the nearest listed outline piece; the layer colour lies
// over dest. Distances beyond the ramp take its last colour.
void RenderLayer(const CRampEffect& effect, const CShapeOutline& outline, const CNearSegmentGrid& lists,
                 const CMaskBuffer& mask, CPixelBuffer& layer, CPixelBuffer& dest);
