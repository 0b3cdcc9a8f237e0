// The frame of the effects that draw a lit-or-unlit 3-D mesh of the page:
// a camera that sees exactly the 1000 x 1000 unit page, the top-left
// picture-size part of the current render target (the back buffer) as the
// view, and the copy of that part into the target holder afterwards.
#pragma once

#include "compat/d3d9.h"

class CTextureHolder;

// A vertex of the page meshes: position, normal, one texture coordinate.
struct CPageVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(CPageVertex) == 32);

constexpr DWORD kPageVertexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
// The page's side in scene units; at the camera's distance the view is as high.
constexpr float kPageSize = 1000.0f;

// World = translation (worldX, worldY, 0); the camera 1000 units before the
// page, a square view of exactly the page; depth test off.
void SetPageCamera(IDirect3DDevice9* device, float worldX, float worldY);

// Saves the viewport, sets one of the picture's size at the same origin and
// clears it to transparent black; the destructor puts the old one back.
class CPageViewport {
 public:
  CPageViewport(IDirect3DDevice9* device, const CTextureHolder& target);
  ~CPageViewport();
  CPageViewport(const CPageViewport&) = delete;
  CPageViewport& operator=(const CPageViewport&) = delete;

 private:
  IDirect3DDevice9* m_device;
  D3DVIEWPORT9 m_saved{};
};

// Unlit (or left as the device has it when `lit`) with that material, both
// faces, the texture's colour and alpha blended over the cleared view,
// clamped filtered sampling.
void SetPageMeshStates(IDirect3DDevice9* device, BOOL lit, const D3DMATERIAL9& material);

// Draws the indexed triangle list with the source texture in a scene of its
// own; the vertex format in force before is restored.
void DrawPageMesh(IDirect3DDevice9* device, IDirect3DTexture9* texture, IDirect3DVertexBuffer9* vertices,
                  IDirect3DIndexBuffer9* indices, int vertexCount, int triangleCount);

// The picture rectangle of the back buffer into level 0 of the target's
// texture; nothing when either surface cannot be got.
void CopyBackBufferToHolder(IDirect3DDevice9* device, CTextureHolder* target);
