// "Scale and Rotate" (id 3): its quad mesh, its frame and its block.
#include "effects/scale_rotate_effect.h"

#include <algorithm>
#include <cmath>

#include "compat/afx.h"
#include "model/geometry/matrix3.h"
#include "render/d3d_renderer.h"
#include "render/effect_frame.h"

namespace {

constexpr float kDefaultScale = 5.0f;

// A NaN has no place in a range: it loads as the default.
float ClampScale(float value) {
  if (std::isnan(value)) return kDefaultScale;
  return std::clamp(value, CScaleRotateEffect::kMinScale, CScaleRotateEffect::kMaxScale);
}

}  // namespace

BOOL CScaleRotateMesh::Build(float scaleX, float scaleY, float angleDegrees) {
  if (!Reserve(4, 2)) return 0;
  const float hw = m_width * 0.5f, hh = m_height * 0.5f;
  const float corners[4][4] = {{-hw, -hh, 0, 1}, {-hw, hh, 0, 0}, {hw, hh, 1, 0}, {hw, -hh, 1, 1}};
  CMatrix3 matrix, rotation;
  matrix.SetScale(CVector2(scaleX, scaleY));
  rotation.SetRotationAbout(CVector2(0.0f, 0.0f), angleDegrees);
  matrix *= rotation;
  for (int i = 0; i < 4; ++i) {
    CVector2 moved;
    matrix.TransformPoint(CVector2(corners[i][0], corners[i][1]), moved);
    m_vertices[i] = CRenderVertex{moved.x, moved.y, ExtentU(m_u0, m_u1, corners[i][2]),
                                  ExtentV(m_v0, m_v1, corners[i][3]), 0xFFFFFFFF};
  }
  const WORD triangles[6] = {0, 1, 2, 2, 3, 0};
  std::copy(triangles, triangles + 6, m_indices);
  return 1;
}

CString CScaleRotateEffect::GetName() const { return CString(u"Scale and Rotate"); }

float CScaleRotateEffect::FrameScale(float scale, float q) {
  // An enlargement comes back to full size as the effect ends; a scale at or
  // below 1 starts at full size and shrinks to its own (0: a line).
  if (scale <= 1.0f) return (1.0f - scale) * q + scale;
  return (scale - 1.0f) * q + 1.0f;
}

void CScaleRotateEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                                CTextureHolder* target, float progress) {
  if (!renderer || !source) return;
  CEffectTargetScope scope(device, target);
  if (!scope.IsReady()) return;
  const float q = 1.0f - progress;
  const float angle = static_cast<float>(m_rotate) * q * 360.0f;
  const CEffectExtent extent = GetHolderExtent(*target);
  CScaleRotateMesh mesh(extent.width, extent.height, extent.umin, extent.umax, extent.vmin, extent.vmax);
  if (!mesh.Build(FrameScale(m_scaleX, q), FrameScale(m_scaleY, q), angle)) return;
  SetStraightPictureStates(device);
  DrawCentredMesh(renderer, device, source, &mesh, extent);
}

void CScaleRotateEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_scaleX << m_scaleY << m_rotate;
    return;
  }
  float scaleX = 0.0f, scaleY = 0.0f;
  int rotate = 0;
  ar >> scaleX >> scaleY >> rotate;
  m_scaleX = ClampScale(scaleX);
  m_scaleY = ClampScale(scaleY);
  m_rotate = std::clamp(rotate, kMinRotate, kMaxRotate);
}

namespace {
CEffectRegistration<CScaleRotateEffect> registration;
}  // namespace
