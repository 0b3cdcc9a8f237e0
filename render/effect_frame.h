// The frame a mesh effect draws in: the target holder's texture as render
// target, cleared, with the depth buffer off; everything restored after.
#pragma once

#include "compat/d3d9.h"
#include "render/render_states.h"

class CD3DRenderer;
class CShapeBase;
class CTextureHolder;

// The picture size of a holder and the part of its texture the picture fills.
struct CEffectExtent {
  float width = 0.0f, height = 0.0f;
  float umin = 0.0f, umax = 1.0f, vmin = 0.0f, vmax = 1.0f;
};
CEffectExtent GetHolderExtent(const CTextureHolder& holder);

// The effects' render-target frame: the target holder's texture, cleared;
// the stage-0 texture is unset when it ends.
class CEffectTargetScope : public CRenderTargetScope {
 public:
  CEffectTargetScope(IDirect3DDevice9* device, CTextureHolder* target);
  ~CEffectTargetScope();
};

// Stage 0 takes colour and alpha straight from the texture, stage 1 is off,
// sampler 0 filters linearly from level 0 and clamps at the texture's
// border, triangles are solid with no alpha test: whatever the passes
// before left on the device, a mesh effect copies its picture untinted.
void SetStraightPictureStates(IDirect3DDevice9* device);

// Moves a centred mesh onto the picture (by half its size) and draws it with
// the source texture, blending ONE / ZERO, colour 0xFFFFFFFF, in a scene of
// its own. Stage 0 is left to the caller.
void DrawCentredMesh(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CShapeBase* mesh,
                     const CEffectExtent& extent);

// The whole frame for the plain pass-through: the source picture copied
// into the target, colour and alpha exact.
void RenderPassThrough(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                       CTextureHolder* target);
