// The render-to-holder frame shared by the mesh effects, and the plain
// pass-through of "No Effect".
#include "render/effect_frame.h"

#include "model/matrix3.h"
#include "render/d3d_renderer.h"
#include "render/shape_base.h"
#include "render/texture_holder.h"

CEffectExtent GetHolderExtent(const CTextureHolder& holder) {
  CEffectExtent extent;
  extent.width = static_cast<float>(holder.PictureWidth());
  extent.height = static_cast<float>(holder.PictureHeight());
  extent.umax = holder.ExtentU();
  extent.vmax = holder.ExtentV();
  return extent;
}

CEffectTargetScope::CEffectTargetScope(IDirect3DDevice9* device, CTextureHolder* target) : m_device(device) {
  if (!device || !target || !target->m_texture) return;
  if (FAILED(device->GetRenderTarget(0, &m_savedTarget))) return;
  device->GetDepthStencilSurface(&m_savedDepth);
  IDirect3DSurface9* level = nullptr;
  if (FAILED(target->m_texture->GetSurfaceLevel(0, &level))) return;
  device->SetDepthStencilSurface(nullptr);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderTarget(0, level);
  level->Release();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
  m_ready = TRUE;
}

CEffectTargetScope::~CEffectTargetScope() {
  if (m_device) m_device->SetTexture(0, nullptr);
  if (m_savedTarget) {
    m_device->SetRenderTarget(0, m_savedTarget);
    m_device->SetDepthStencilSurface(m_savedDepth);
    m_savedTarget->Release();
  }
  if (m_savedDepth) m_savedDepth->Release();
}

void DrawCentredMesh(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CShapeBase* mesh,
                     const CEffectExtent& extent) {
  CMatrix3 move;
  move.SetTranslation(CVector2(extent.width * 0.5f, extent.height * 0.5f));
  mesh->Transform(move);
  device->BeginScene();
  // The meshes wind both ways; nothing may depend on what the last pass left.
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  device->SetTexture(0, source ? source->m_texture : nullptr);
  const DWORD white = 0xFFFFFFFF;
  renderer->DrawMesh(mesh, &white);
  device->EndScene();
}

void RenderPassThrough(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                       CTextureHolder* target) {
  if (!renderer || !source) return;
  CEffectTargetScope scope(device, target);
  if (!scope.IsReady()) return;
  const CEffectExtent extent = GetHolderExtent(*target);
  CColorMesh mesh(extent.width, extent.height, extent.umin, extent.umax, extent.vmin, extent.vmax);
  if (!mesh.Create()) return;
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  DrawCentredMesh(renderer, device, source, &mesh, extent);
}
