// "Scale and Rotate": the whole picture spun about its centre while it
// scales, drawn as one quad.
#pragma once

#include "model/project/effect.h"
#include "render/shape_base.h"

// The picture quad, centred on the origin, scaled and then turned.
class CScaleRotateMesh : public CShapeBase {
 public:
  CScaleRotateMesh(float width, float height, float u0, float u1, float v0, float v1)
      : m_width(width), m_height(height), m_u0(u0), m_u1(u1), m_v0(v0), m_v1(v1) {}
  // Angle in degrees, clockwise on the y-down target. Returns 1, or 0 when
  // the arrays cannot be had.
  BOOL Build(float scaleX, float scaleY, float angleDegrees);

 private:
  float m_width, m_height;
  float m_u0, m_u1, m_v0, m_v1;
};

class CScaleRotateEffect : public CEffect {
 public:
  static constexpr int kId = 3;
  static constexpr float kMinScale = 0.0f, kMaxScale = 10.0f;
  static constexpr int kMinRotate = 1, kMaxRotate = 2048;

  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  // Scale X, Scale Y (floats), Rotate (int); values out of range load clamped.
  void Serialize(CArchive& ar) override;

  // The scale of one axis at q = 1 - progress: above 1, the set scale at
  // progress 0 down to full size at 1; at or below 1, full size at
  // progress 0 down to the set scale at 1.
  static float FrameScale(float scale, float q);

  float m_scaleX = 5.0f;
  float m_scaleY = 5.0f;
  int m_rotate = 1;  // whole turns
};
