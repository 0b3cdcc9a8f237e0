// The render-to-holder frame shared by the mesh effects, and the plain
// pass-through of "No Effect".
#include "render/effect_frame.h"

#include "model/geometry/matrix3.h"
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

CEffectTargetScope::CEffectTargetScope(IDirect3DDevice9* device, CTextureHolder* target)
    : CRenderTargetScope(device, target ? target->m_texture : nullptr, TRUE) {}

CEffectTargetScope::~CEffectTargetScope() {
  if (IsReady()) Device()->SetTexture(0, nullptr);
}

void SetStraightPictureStates(IDirect3DDevice9* device) {
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetTexture(1, nullptr);
  // Wrapping would pull the opposite edge into the border pixels of a
  // squeezed picture; mips would blur a picture drawn at its own size.
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
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
  SetStraightPictureStates(device);
  DrawCentredMesh(renderer, device, source, &mesh, extent);
}
