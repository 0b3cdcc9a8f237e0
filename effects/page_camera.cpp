// Camera, view, states, draw and copy of the 3-D page effects.
#include "effects/page_camera.h"

#include <cmath>

#include "compat/d3dx9.h"
#include "render/effect_frame.h"
#include "render/texture_holder.h"

void SetPageCamera(IDirect3DDevice9* device, float worldX, float worldY) {
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  D3DXMATRIX world, view, projection;
  D3DXMatrixTranslation(&world, worldX, worldY, 0.0f);
  const D3DXVECTOR3 eye{0.0f, 0.0f, -kPageSize}, at{0.0f, 0.0f, 0.0f}, up{0.0f, 1.0f, 0.0f};
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  // Half the page over the camera's distance: the view is the page's height.
  const float fieldOfView = 2.0f * std::atan(0.5f / 1.0f);
  D3DXMatrixPerspectiveFovLH(&projection, fieldOfView, 1.0f, 0.0f, 1.0f);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->SetTransform(D3DTS_WORLD, &world);
}

CPageViewport::CPageViewport(IDirect3DDevice9* device, const CTextureHolder& target) : m_device(device) {
  device->GetViewport(&m_saved);
  D3DVIEWPORT9 view = m_saved;
  view.Width = static_cast<DWORD>(target.PictureWidth());
  view.Height = static_cast<DWORD>(target.PictureHeight());
  device->SetViewport(&view);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
}

CPageViewport::~CPageViewport() { m_device->SetViewport(&m_saved); }

void SetPageMeshStates(IDirect3DDevice9* device, BOOL lit, const D3DMATERIAL9& material) {
  if (!lit) {
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  }
  device->SetMaterial(&material);

  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  // Both faces: a curled or turning page shows its back.
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
  device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_DITHERENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  SetStraightPictureStates(device);
  // Pages seen at a slant: filtered across mip levels.
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
  device->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, 16);
}

void DrawPageMesh(IDirect3DDevice9* device, IDirect3DTexture9* texture, IDirect3DVertexBuffer9* vertices,
                  IDirect3DIndexBuffer9* indices, int vertexCount, int triangleCount) {
  DWORD savedFvf = 0;
  device->GetFVF(&savedFvf);
  device->SetStreamSource(0, vertices, 0, sizeof(CPageVertex));
  device->SetFVF(kPageVertexFvf);
  device->SetIndices(indices);
  device->SetVertexShader(nullptr);
  device->SetPixelShader(nullptr);
  device->BeginScene();
  device->SetTexture(0, texture);
  if (vertexCount > 0 && triangleCount > 0)
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(vertexCount), 0,
                                 static_cast<UINT>(triangleCount));
  device->EndScene();
  device->SetFVF(savedFvf);
  device->SetTexture(0, nullptr);
}

void CopyBackBufferToHolder(IDirect3DDevice9* device, CTextureHolder* target) {
  if (!target->m_texture) return;
  IDirect3DSurface9* level = nullptr;
  if (FAILED(target->m_texture->GetSurfaceLevel(0, &level))) return;
  IDirect3DSurface9* backBuffer = nullptr;
  if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
    device->StretchRect(backBuffer, &target->m_picture, level, &target->m_picture, D3DTEXF_NONE);
    backBuffer->Release();
  }
  level->Release();
}
