// "Scale": the whole picture grows or shrinks about an edge, a corner or the
// centre, along one axis or both.
#pragma once

#include "model/project/effect.h"
#include "render/effect_frame.h"
#include "render/shape_base.h"

class CScaleEffect : public CEffect {
 public:
  static constexpr int kId = 21;
  static constexpr int kTypeCount = 11;
  // What a type beyond the list means: scaling about the centre.
  static constexpr int kFallbackType = 8;

  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  // The scale type as one word.
  void Serialize(CArchive& ar) override;

  int m_scaleType = 0;
};

// One quad over the picture, scaled by k about the type's fixed point.
class CScaleMesh : public CShapeBase {
 public:
  explicit CScaleMesh(const CEffectExtent& extent) : m_extent(extent) {}
  BOOL Build(int scaleType, float k);

 private:
  CEffectExtent m_extent;
};
