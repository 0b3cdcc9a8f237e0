// "Page Curl And Turn" (id 10): the camera and states around the curl mesh,
// the copy into the target, and the block.
#include "effects/page_curl_effect.h"

#include <algorithm>
#include <cmath>

#include "compat/afx.h"
#include "effects/page_camera.h"
#include "effects/page_curl_mesh.h"
#include "render/effect_frame.h"
#include "render/texture_holder.h"

namespace {

constexpr float kDefaultRadius = 200.0f;
constexpr float kDefaultDirection = 45.0f;

// A NaN has no place in a range: it loads as the default.
float ClampFloat(float value, float low, float high, float fallback) {
  return std::isnan(value) ? fallback : std::clamp(value, low, high);
}

D3DMATERIAL9 PageMaterial() {
  D3DMATERIAL9 material{};
  material.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
  material.Specular = D3DCOLORVALUE{0.1f, 0.1f, 0.1f, 0.0f};
  material.Power = 3.5f;
  return material;
}

}  // namespace

CString CPageCurlEffect::GetName() const { return CString(u"Page Curl And Turn"); }

void CPageCurlEffect::Render(CD3DRenderer*, IDirect3DDevice9* device, CTextureHolder* source,
                             CTextureHolder* target, float progress) {
  if (!device || !source || !target || !target->m_texture) return;
  const CEffectExtent extent = GetHolderExtent(*target);
  // Wholly curled away when the effect starts, flat when it ends.
  const float q = 1.0f - progress;
  SetPageCamera(device, -0.5f, -0.5f);
  {
    CPageViewport view(device, *target);
    CCurlMesh mesh;
    mesh.m_cylinder = m_curl ? 1 : 0;
    mesh.BuildPage(m_radius, q, m_direction, m_style, m_bandWidth);
    if (!mesh.m_triangles.empty()) {
      IDirect3DVertexBuffer9* vertices = nullptr;
      IDirect3DIndexBuffer9* indices = nullptr;
      // Without the buffers the back buffer holds nothing of this frame:
      // neither draw nor copy it over the target.
      if (!mesh.FillVertexBuffer(device, &vertices, &indices, extent.umax, extent.vmax)) return;
      SetPageMeshStates(device, m_lit, PageMaterial());
      DrawPageMesh(device, source->m_texture, vertices, indices, static_cast<int>(mesh.m_vertices.size()),
                   static_cast<int>(mesh.m_triangles.size()));
      vertices->Release();
      indices->Release();
    }
  }
  CopyBackBufferToHolder(device, target);
}

void CPageCurlEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_radius << m_direction << m_lit << m_style << m_curl;
    return;
  }
  float radius = 0.0f, direction = 0.0f;
  int lit = 0, style = 0, curl = 0;
  ar >> radius >> direction >> lit >> style >> curl;
  m_radius = ClampFloat(radius, 0.0f, kMaxRadius, kDefaultRadius);
  m_direction = ClampFloat(direction, 0.0f, kMaxDirection, kDefaultDirection);
  m_bandWidth = 5.0f;
  m_lit = lit ? 1 : 0;
  m_style = std::clamp(style, 0, kMaxStyle);
  m_curl = curl ? 1 : 0;
}

namespace {
CEffectRegistration<CPageCurlEffect> registration;
}  // namespace
