// "Scale": the effect, its parameter block and its one-quad mesh.
#include "effects/scale_effect.h"

#include <algorithm>
#include <cmath>

#include "compat/afx.h"
#include "model/geometry/matrix3.h"

namespace {

CEffectRegistration<CScaleEffect> registration;

// The point the scaling moves (the fixed point is its opposite) and the axes
// it runs along, by type; sizes in halves of the picture.
struct ScaleRule {
  float ax, ay;
  bool scaleX, scaleY;
};
constexpr ScaleRule kRules[CScaleEffect::kTypeCount] = {
    {1, 0, true, false},   // left to right
    {-1, 0, true, false},  // right to left
    {0, 1, false, true},   // top to bottom
    {0, -1, false, true},  // bottom to top
    {1, 1, true, true},    // left top to right bottom
    {-1, -1, true, true},  // right bottom to left top
    {-1, 1, true, true},   // right top to left bottom
    {1, -1, true, true},   // left bottom to right top
    {0, 0, true, true},    // centre to around
    {0, 0, true, false},   // centre to left and right
    {0, 0, false, true},   // centre to top and bottom
};

int UsableType(int type) { return type >= 0 && type < CScaleEffect::kTypeCount ? type : CScaleEffect::kFallbackType; }

}  // namespace

CString CScaleEffect::GetName() const { return CString(u"Scale"); }

void CScaleEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                          CTextureHolder* target, float progress) {
  if (!renderer || !device || !source || !target) return;
  CEffectTargetScope scope(device, target);
  if (!scope.IsReady()) return;
  const CEffectExtent extent = GetHolderExtent(*target);
  const float k = std::isnan(progress) ? 0.0f : std::clamp(progress, 0.0f, 1.0f);
  CScaleMesh mesh(extent);
  if (!mesh.Build(m_scaleType, k)) return;
  SetStraightPictureStates(device);
  DrawCentredMesh(renderer, device, source, &mesh, extent);
}

void CScaleEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(m_scaleType);
    return;
  }
  DWORD type = 0;
  ar >> type;
  m_scaleType = type < static_cast<DWORD>(kTypeCount) ? static_cast<int>(type) : kFallbackType;
}

BOOL CScaleMesh::Build(int scaleType, float k) {
  if (!Reserve(4, 2)) return 0;
  const CEffectExtent& e = m_extent;
  const float hw = e.width * 0.5f, hh = e.height * 0.5f;
  const float corners[4][4] = {{-hw, -hh, 0, 1}, {-hw, hh, 0, 0}, {hw, hh, 1, 0}, {hw, -hh, 1, 1}};
  for (int i = 0; i < 4; ++i) {
    m_vertices[i] = CRenderVertex{corners[i][0], corners[i][1], ExtentU(e.umin, e.umax, corners[i][2]),
                                  ExtentV(e.vmin, e.vmax, corners[i][3]), 0xFFFFFFFF};
  }
  const WORD triangles[6] = {0, 1, 2, 2, 3, 0};
  std::copy(triangles, triangles + 6, m_indices);

  const ScaleRule& rule = kRules[UsableType(scaleType)];
  const CVector2 a(rule.ax * hw, rule.ay * hh);
  CMatrix3 matrix, scale, back;
  matrix.SetTranslation(a);
  scale.SetScale(CVector2(rule.scaleX ? k : 1.0f, rule.scaleY ? k : 1.0f));
  back.SetTranslation(CVector2(-a.x, -a.y));
  matrix *= scale;
  matrix *= back;
  Transform(matrix);
  return 1;
}
