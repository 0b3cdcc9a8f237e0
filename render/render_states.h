// The device states a pass relies on, set whole by every pass, so that no
// frame depends on what an earlier pass or effect left behind; and the
// scope that makes a holder's texture the render target for one pass.
#pragma once

#include "compat/d3d9.h"

class CTextureHolder;

// One texture stage: colour and alpha operations with their arguments and
// the texture-coordinate set.
struct CStageSetup {
  DWORD colourOp, colourArg1, colourArg2;
  DWORD alphaOp, alphaArg1, alphaArg2;
  DWORD texCoordIndex;
};

// The stage programs the passes use.
constexpr CStageSetup kStageTextureOnly = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                           D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0};
constexpr CStageSetup kStageTextureByDiffuse = {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                                D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0};
constexpr CStageSetup kStageDiffuseOnly = {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE,
                                           D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, 0};

void SetStage(IDirect3DDevice9* device, DWORD stage, const CStageSetup& setup);
// The operations and arguments only; the coordinate set stays as it is.
void SetStageOperations(IDirect3DDevice9* device, DWORD stage, const CStageSetup& setup);
// Stage 1 off and without texture.
void DisableSecondStage(IDirect3DDevice9* device);
// Cull none, depth test and writes off, alpha test off, solid fill.
void SetPassBasics(IDirect3DDevice9* device);
void SetBlend(IDirect3DDevice9* device, DWORD source, DWORD dest);
// The picture sampler of the warps and the final composition: filtered
// minification and magnification with linear mip blending from level 0.
void SetPictureSampler(IDirect3DDevice9* device, DWORD sampler);
// The device's start-up sampling (point, no mip levels) for the masks.
void SetPointSampler(IDirect3DDevice9* device, DWORD sampler);

// Saves render target 0 and the depth-stencil surface, unsets the latter,
// turns depth off and renders into level 0 of the holder's texture
// (cleared to 0 when asked); restores both when it ends.
class CRenderTargetScope {
 public:
  CRenderTargetScope(IDirect3DDevice9* device, IDirect3DTexture9* target, BOOL clear);
  ~CRenderTargetScope();
  CRenderTargetScope(const CRenderTargetScope&) = delete;
  CRenderTargetScope& operator=(const CRenderTargetScope&) = delete;

  // FALSE when a target could not be got: the pass draws nothing.
  BOOL IsReady() const { return m_ready; }

 protected:
  IDirect3DDevice9* Device() const { return m_device; }

 private:
  IDirect3DDevice9* m_device;
  IDirect3DSurface9* m_savedTarget = nullptr;
  IDirect3DSurface9* m_savedDepth = nullptr;
  BOOL m_ready = FALSE;
};
