// CD3DRenderer and CD3DMeshRenderer: the one object that owns the Direct3D
// device, draws every pass of a frame into its working pictures and either
// presents the result or leaves it for the export grab.
#pragma once

#include <functional>

#include "compat/d3d9.h"
#include "model/raster/fill_style.h"
#include "render/text_overlay.h"
#include "render/texture_holder.h"

class CEffect;
class CShapeBase;
class CWnd;

// Every vertex the renderer writes: FVF 0x244.
struct CRendererVertex {
  float x, y, z, rhw;
  DWORD diffuse;
  float u0, v0;
  float u1, v1;
};
static_assert(sizeof(CRendererVertex) == 36);

constexpr DWORD kRendererFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

class CD3DRenderer {
 public:
  static constexpr int kInitialVertexCapacity = 1280;
  static constexpr int kInitialIndexCapacity = 10800;

  CD3DRenderer() = default;
  virtual ~CD3DRenderer();
  CD3DRenderer(const CD3DRenderer&) = delete;
  CD3DRenderer& operator=(const CD3DRenderer&) = delete;

  // 0, or E_FAIL at the first step that fails.
  HRESULT Init(CWnd* window);
  void Release();
  void SetTransforms();
  // One quad of the picture rectangle of a power-of-two texture over dest;
  // the second texture coordinate runs 0..1 over the quad.
  void DrawTextureQuad(IDirect3DTexture9* texture, const RECT& picture, SIZE textureSize, const RECT& dest,
                       float alpha, DWORD colour);
  // The mesh through the shared buffers; colour null keeps each vertex's own.
  virtual void DrawMesh(const CShapeBase* mesh, const DWORD* colour);

  // Grows the shared buffers to hold that many vertices or indices; FALSE
  // (after showing the platform's message) when the device refuses.
  BOOL EnsureVertexCapacity(int vertices);
  BOOL EnsureIndexCapacity(int indices);

  int m_backWidth = 1024;
  int m_backHeight = 768;
  int m_outputWidth = 256;
  int m_outputHeight = 256;
  IDirect3DVertexBuffer9* m_vertexBuffer = nullptr;
  IDirect3DDevice9* m_device = nullptr;
  CWnd* m_window = nullptr;
  IDirect3D9* m_d3d = nullptr;
  int m_vertexCapacity = kInitialVertexCapacity;
  int m_indexCapacity = kInitialIndexCapacity;
  IDirect3DIndexBuffer9* m_indexBuffer = nullptr;
  IDirect3DSurface9* m_renderSurface = nullptr;
  IDirect3DSurface9* m_systemSurface = nullptr;

 protected:
  // Creates the two output-size grab surfaces; FALSE when either fails.
  BOOL CreateGrabSurfaces();
  void ReleaseGrabSurfaces();
  HWND WindowHandle() const;
  // A mesh draw in two steps: the shared buffers grown for the mesh (room
  // for indicesPerTriangle indices a triangle) and the vertex buffer locked
  // for the caller to fill, or null when nothing can be drawn; then the
  // indices copied and the mesh drawn.
  CRendererVertex* LockMeshVertices(const CShapeBase* mesh, int indicesPerTriangle);
  void DrawLockedMesh(const CShapeBase* mesh);
};

class CD3DMeshRenderer : public CD3DRenderer {
 public:
  CD3DMeshRenderer();

  void DrawMeshMaskUV(const CShapeBase* mesh, const DWORD* colour);
  // A new scene with the frame's transforms and the passes' common states;
  // `cleared`, when given, is the part of the back buffer cleared first (to `colour`).
  void BeginFrame(const RECT* cleared, D3DCOLOR colour = 0);
  void ComputeViewRect(RECT* out, BOOL fit) const;
  void RenderTextureToTarget(IDirect3DTexture9* texture, CTextureHolder* target);
  void BlendPass(int mode, CTextureHolder* from, CTextureHolder* to, IDirect3DTexture9* second);
  void DrawWarpedPair(const CShapeBase* sourceMesh, const CShapeBase* targetMesh, CTextureHolder* sourceHolder,
                      CTextureHolder* targetHolder, CTextureHolder* maskHolder, BOOL alphaTarget, BYTE blend);
  void DrawSingleWarp(const CShapeBase* sourceMesh, const CShapeBase* targetMesh, CTextureHolder* sourceHolder,
                      CTextureHolder* targetHolder, BOOL useTarget);
  void DrawMorph(const CShapeBase* sourceMesh, const CShapeBase* targetMesh, CTextureHolder* sourceHolder,
                 CTextureHolder* targetHolder, CTextureHolder* maskHolder, IDirect3DTexture9* maskTexture, BYTE blend,
                 int warpMode);
  void Draw(BOOL present, IDirect3DTexture9* wipe, IDirect3DTexture9* light, IDirect3DTexture9* mask, CEffect* effect,
            float progress, float alpha, const CShapeBase* mesh);
  void DrawMeshWireframe(const CShapeBase* mesh, DWORD colour);
  void DrawCrossingEdges(const CShapeBase* mesh, DWORD colour, const int indices[4]);
  // The frame left in the back buffer at (0, 0, output size), or null. The
  // pitch of the locked rows goes to *pitch when asked for.
  BYTE* LockRenderedFrame(int* pitch = nullptr);
  void UnlockRenderedFrame();
  void SetBackgroundA(const CFillStyle& fill);
  void SetBackgroundB(const CFillStyle& fill);
  // A new output size: the grab surfaces, images A, B and C and the two
  // background pictures are made again at that size and the backgrounds
  // painted anew; a frame larger than the back buffer starts a new device
  // with a back buffer that holds it (m_device then changes). FALSE when a
  // surface or texture could not be made.
  BOOL ResizeOutput(int width, int height);

  RECT m_viewRect = {0, 0, 720, 576};
  CFillStyle m_backgroundA;
  CFillStyle m_backgroundB;
  int m_busy = 0;
  int m_crossingEdges[4] = {-1, -1, -1, -1};
  CTextureHolder m_imageA;
  CTextureHolder m_imageB;
  CTextureHolder m_imageC;
  CTextureHolder m_backgroundAPicture;
  CTextureHolder m_backgroundBPicture;
  // The opaque colour every texel of m_solidBackgroundTexture (background
  // A's, when it is still that one) holds; 0 when its texels vary or let
  // what is beneath show through.
  DWORD m_solidBackgroundA = 0;
  IDirect3DTexture9* m_solidBackgroundTexture = nullptr;
  // Text shown over the frame; nothing draws it yet.
  CTextOverlay m_textOverlay;

 private:
  // How the warped target goes over the warped source: its colour by its
  // alpha (the cross-dissolve), its alpha added as coverage, or both at once
  // (separate alpha factors).
  enum class TargetBlend { Colour, Coverage, ColourAndCoverage };
  // The two halves of DrawWarpedPair: the source picture warped into the
  // cleared holder, then the target picture over it.
  void WarpSource(const CShapeBase* mesh, CTextureHolder* picture, CTextureHolder& into);
  void WarpTarget(const CShapeBase* mesh, CTextureHolder* picture, CTextureHolder* maskHolder, TargetBlend how,
                  BYTE blend, CTextureHolder& into);
  // Clears what the meshes drew of a holder's texture beyond its picture.
  void ClearBeyondPicture(CTextureHolder& holder, const CShapeBase* first, const CShapeBase* second);

  // The foreground is one fully transparent colour: its layer changes no pixel.
  BOOL m_foregroundClear = TRUE;
  // The last frame was composed for export on the frame-size render target
  // (read back from there), not on the back buffer.
  BOOL m_frameInRenderSurface = FALSE;
  // The surface LockRenderedFrame locked, for UnlockRenderedFrame.
  IDirect3DSurface9* m_lockedSurface = nullptr;

  // A line list over the mesh's vertices scaled onto the fitted view, in
  // one colour; writeIndices fills indexCount indices.
  void DrawMeshLines(const CShapeBase* mesh, DWORD colour, int indexCount,
                     const std::function<void(WORD*)>& writeIndices);
};

// The process-wide renderer (null until start-up succeeded) and the one the
// fill swatches paint with.
CD3DMeshRenderer* GetRenderer();
void SetRenderer(CD3DMeshRenderer* renderer);
void SetFillRenderer(CD3DMeshRenderer* renderer);
CD3DMeshRenderer* GetFillRenderer();
