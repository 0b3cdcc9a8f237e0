// The frame a mesh effect draws in: the target holder's texture as render
// target, cleared, with the depth buffer off; everything restored after.
#pragma once

#include "compat/d3d9.h"

class CD3DRenderer;
class CShapeBase;
class CTextureHolder;

// The picture size of a holder and the part of its texture the picture fills.
struct CEffectExtent {
  float width = 0.0f, height = 0.0f;
  float umin = 0.0f, umax = 1.0f, vmin = 0.0f, vmax = 1.0f;
};
CEffectExtent GetHolderExtent(const CTextureHolder& holder);

class CEffectTargetScope {
 public:
  // Saves render target 0 and the depth-stencil surface, turns depth off and
  // makes level 0 of the target's texture the cleared render target.
  CEffectTargetScope(IDirect3DDevice9* device, CTextureHolder* target);
  ~CEffectTargetScope();
  CEffectTargetScope(const CEffectTargetScope&) = delete;
  CEffectTargetScope& operator=(const CEffectTargetScope&) = delete;

  // FALSE when the saved or the new target could not be got: draw nothing.
  BOOL IsReady() const { return m_ready; }

 private:
  IDirect3DDevice9* m_device;
  IDirect3DSurface9* m_savedTarget = nullptr;
  IDirect3DSurface9* m_savedDepth = nullptr;
  BOOL m_ready = FALSE;
};

// Moves a centred mesh onto the picture (by half its size) and draws it with
// the source texture, blending ONE / ZERO, colour 0xFFFFFFFF, in a scene of
// its own. Stage 0 is left to the caller.
void DrawCentredMesh(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CShapeBase* mesh,
                     const CEffectExtent& extent);

// The whole frame for the plain pass-through: the source picture copied
// into the target, colour and alpha exact.
void RenderPassThrough(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                       CTextureHolder* target);
