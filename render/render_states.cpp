// Whole-state setters of the renderer's passes and the render-target scope.
#include "render/render_states.h"

void SetStage(IDirect3DDevice9* device, DWORD stage, const CStageSetup& setup) {
  device->SetTextureStageState(stage, D3DTSS_COLOROP, setup.colourOp);
  device->SetTextureStageState(stage, D3DTSS_COLORARG1, setup.colourArg1);
  device->SetTextureStageState(stage, D3DTSS_COLORARG2, setup.colourArg2);
  device->SetTextureStageState(stage, D3DTSS_ALPHAOP, setup.alphaOp);
  device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, setup.alphaArg1);
  device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, setup.alphaArg2);
  device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, setup.texCoordIndex);
}

void DisableSecondStage(IDirect3DDevice9* device) {
  device->SetTexture(1, nullptr);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void SetPassBasics(IDirect3DDevice9* device) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
}

void SetBlend(IDirect3DDevice9* device, DWORD source, DWORD dest) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, source);
  device->SetRenderState(D3DRS_DESTBLEND, dest);
}

namespace {
constexpr DWORD kMaxAnisotropy = 10;

// No picture repeats: with wrapping, a stretched picture's border pixels
// would filter in its opposite edge.
void SetAddressing(IDirect3DDevice9* device, DWORD sampler) {
  device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
}
}  // namespace

void SetPictureSampler(IDirect3DDevice9* device, DWORD sampler) {
  device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
  device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
  device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(sampler, D3DSAMP_MAXMIPLEVEL, 0);
  device->SetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, kMaxAnisotropy);
  SetAddressing(device, sampler);
}

void SetPointSampler(IDirect3DDevice9* device, DWORD sampler) {
  device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  device->SetSamplerState(sampler, D3DSAMP_MAXMIPLEVEL, 0);
  SetAddressing(device, sampler);
}

CRenderTargetScope::CRenderTargetScope(IDirect3DDevice9* device, IDirect3DTexture9* target, BOOL clear)
    : m_device(device) {
  if (!device || !target) return;
  if (FAILED(device->GetRenderTarget(0, &m_savedTarget))) return;
  device->GetDepthStencilSurface(&m_savedDepth);
  IDirect3DSurface9* level = nullptr;
  if (FAILED(target->GetSurfaceLevel(0, &level))) return;
  device->SetDepthStencilSurface(nullptr);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderTarget(0, level);
  level->Release();
  if (clear) device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
  m_ready = TRUE;
}

CRenderTargetScope::~CRenderTargetScope() {
  if (m_savedTarget) {
    m_device->SetRenderTarget(0, m_savedTarget);
    m_device->SetDepthStencilSurface(m_savedDepth);
    m_savedTarget->Release();
  }
  if (m_savedDepth) m_savedDepth->Release();
}
