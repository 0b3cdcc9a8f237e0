// CD3DMeshRenderer: the end of a frame — wipe, mask and light passes, the
// effect pass, the composition over the backgrounds on the back buffer, the
// on-screen wire frame, presenting — the export's read-back of the frame,
// and the background pictures with the output-size surfaces.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "compat/afx/wnd.h"
#include "model/project/effect.h"
#include "model/raster/fill_render.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "render/d3d_renderer.h"
#include "render/render_states.h"
#include "render/shape_base.h"

namespace {

constexpr float kVertexZ = 0.9f;
constexpr DWORD kOpaqueWhite = 0xFFFFFFFF;
constexpr DWORD kWireColour = 0xFF0000FF;
constexpr DWORD kCrossingColour = 0xFFFF0000;
constexpr int kIndicesPerWireTriangle = 6;
constexpr int kCrossingIndices = 4;

SIZE TextureSize(const CTextureHolder& holder) { return SIZE{holder.m_textureWidth, holder.m_textureHeight}; }

}  // namespace

// --- the frame ---

void CD3DMeshRenderer::Draw(BOOL present, IDirect3DTexture9* wipe, IDirect3DTexture9* light,
                            IDirect3DTexture9* mask, CEffect* effect, float progress, float alpha,
                            const CShapeBase* mesh) {
  if (!m_device) return;
  CTextureHolder* current = &m_imageA;
  CTextureHolder* other = &m_imageB;
  if (wipe) {
    RenderTextureToTarget(wipe, &m_imageC);
    m_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    BlendPass(1, current, other, m_imageC.m_texture);
    std::swap(current, other);
  }
  if (mask) {
    m_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    BlendPass(1, current, other, mask);
    std::swap(current, other);
  }
  if (light) {
    m_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    BlendPass(0, current, other, light);
    std::swap(current, other);
  }
  RECT view;
  ComputeViewRect(&view, present);
  const LONG width = view.right - view.left, height = view.bottom - view.top;
  if (effect) {
    // An effect that cannot draw (buffers refused, never prepared) leaves
    // its target untouched: start it clear, so such a frame shows no
    // picture rather than whatever an earlier frame left in it.
    { CRenderTargetScope clear(m_device, other->m_texture, TRUE); }
    DisableSecondStage(m_device);
    effect->Render(this, m_device, current, other, progress);
    current = other;
  }

  // An export frame is composed straight on the frame-size target it is
  // read back from; a shown one on the back buffer, of which only the
  // frame's area is shown (the rest is left as it is).
  IDirect3DSurface9* shownTarget = nullptr;
  m_frameInRenderSurface = FALSE;
  if (!present && m_renderSurface && width == m_outputWidth && height == m_outputHeight &&
      SUCCEEDED(m_device->GetRenderTarget(0, &shownTarget))) {
    m_frameInRenderSurface = SUCCEEDED(m_device->SetRenderTarget(0, m_renderSurface));
  }
  const RECT frame{0, 0, width, height};
  // A background of one opaque colour hides whatever is beneath it: the
  // frame cleared to that colour holds the same pixels as the frame cleared
  // and that layer drawn over it, without a pass over the whole frame.
  const DWORD solid = m_backgroundAPicture.m_texture && m_backgroundAPicture.m_texture == m_solidBackgroundTexture
                          ? m_solidBackgroundA
                          : 0;
  BeginFrame(&frame, solid);
  SetPassBasics(m_device);
  SetStage(m_device, 0, kStageTextureByDiffuse);
  DisableSecondStage(m_device);
  SetPictureSampler(m_device, 0);
  SetBlend(m_device, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  // A layer without texture is left out (a quad without one would be white).
  const auto layer = [&](const CTextureHolder& holder, float layerAlpha) {
    if (holder.m_texture)
      DrawTextureQuad(holder.m_texture, holder.m_picture, TextureSize(holder), frame, layerAlpha, kOpaqueWhite);
  };
  if (!solid) layer(m_backgroundAPicture, 1.0f);
  m_device->EndScene();
  m_device->BeginScene();
  layer(*current, alpha);
  m_device->EndScene();
  m_device->BeginScene();
  if (!m_foregroundClear) layer(m_backgroundBPicture, 1.0f);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
  if (shownTarget) {
    m_device->SetRenderTarget(0, shownTarget);
    shownTarget->Release();
  }

  // Only an on-screen frame gets the wire frame; an export frame stays in
  // the back buffer for the grab.
  if (!present) return;
  if (GetMorphProject()->GetShowMesh()) {
    DrawMeshWireframe(mesh, kWireColour);
    DrawCrossingEdges(mesh, kCrossingColour, m_crossingEdges);
  }
  const RECT shown{0, 0, width, height};
  m_device->Present(&shown, &shown, WindowHandle(), nullptr);
}

// --- wire frame ---

namespace {

// The mesh's vertices scaled onto the fitted frame, in the shared buffer.
BOOL WriteWireVertices(IDirect3DVertexBuffer9* buffer, const CShapeBase* mesh, float sx, float sy, DWORD colour) {
  CRendererVertex* vertices = nullptr;
  if (FAILED(buffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), 0))) return FALSE;
  for (int i = 0; i < mesh->m_vertexCount; ++i) {
    const CRenderVertex& v = mesh->m_vertices[i];
    vertices[i] = CRendererVertex{v.x * sx, v.y * sy, kVertexZ, 1.0f, colour, 0.0f, 0.0f, 0.0f, 0.0f};
  }
  buffer->Unlock();
  return TRUE;
}

void SetLineStates(IDirect3DDevice9* device) {
  SetPassBasics(device);
  device->SetTexture(0, nullptr);
  SetStage(device, 0, kStageDiffuseOnly);
  DisableSecondStage(device);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

}  // namespace

void CD3DMeshRenderer::DrawMeshWireframe(const CShapeBase* mesh, DWORD colour) {
  if (!mesh || mesh->m_triangleCount < 1) return;
  // Each triangle's three edges as a line list: six indices a triangle, so
  // the shared index buffer grows for it as for the mesh draws.
  const int64_t indexCount = int64_t{mesh->m_triangleCount} * kIndicesPerWireTriangle;
  if (indexCount > INT32_MAX) return;
  DrawMeshLines(mesh, colour, static_cast<int>(indexCount), [mesh](WORD* indices) {
    for (int t = 0; t < mesh->m_triangleCount; ++t) {
      const WORD* corner = mesh->m_indices + 3 * t;
      WORD* out = indices + kIndicesPerWireTriangle * t;
      out[0] = corner[0], out[1] = corner[1];
      out[2] = corner[1], out[3] = corner[2];
      out[4] = corner[2], out[5] = corner[0];
    }
  });
}

void CD3DMeshRenderer::DrawCrossingEdges(const CShapeBase* mesh, DWORD colour, const int indices[4]) {
  if (!mesh || !indices || indices[0] == -1) return;
  for (int k = 0; k < kCrossingIndices; ++k)
    if (indices[k] < 0 || indices[k] >= mesh->m_vertexCount) return;
  DrawMeshLines(mesh, colour, kCrossingIndices, [indices](WORD* out) {
    for (int k = 0; k < kCrossingIndices; ++k) out[k] = static_cast<WORD>(indices[k]);
  });
}

void CD3DMeshRenderer::DrawMeshLines(const CShapeBase* mesh, DWORD colour, int indexCount,
                                     const std::function<void(WORD*)>& writeIndices) {
  if (!m_device || mesh->m_vertexCount < 1 || m_outputWidth < 1 || m_outputHeight < 1) return;
  if (!EnsureIndexCapacity(indexCount) || !EnsureVertexCapacity(mesh->m_vertexCount)) return;
  RECT fitted;
  ComputeViewRect(&fitted, TRUE);
  const float sx = static_cast<float>(fitted.right - fitted.left) / static_cast<float>(m_outputWidth);
  const float sy = static_cast<float>(fitted.bottom - fitted.top) / static_cast<float>(m_outputHeight);
  if (!WriteWireVertices(m_vertexBuffer, mesh, sx, sy, colour)) return;
  WORD* indices = nullptr;
  if (FAILED(m_indexBuffer->Lock(0, 0, reinterpret_cast<void**>(&indices), 0))) return;
  writeIndices(indices);
  m_indexBuffer->Unlock();
  m_device->BeginScene();
  SetLineStates(m_device);
  m_device->SetIndices(m_indexBuffer);
  m_device->SetFVF(kRendererFvf);
  m_device->SetStreamSource(0, m_vertexBuffer, 0, sizeof(CRendererVertex));
  m_device->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, mesh->m_vertexCount, 0, indexCount / 2);
  m_device->EndScene();
}

// --- read-back ---

BYTE* CD3DMeshRenderer::LockRenderedFrame(int* pitch) {
  if (pitch) *pitch = 0;
  if (!m_device || !m_renderSurface || !m_systemSurface) return nullptr;
  if (!m_frameInRenderSurface) {
    // A frame left on the back buffer is copied out of it first.
    IDirect3DSurface9* back = nullptr;
    if (FAILED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return nullptr;
    const RECT frame{0, 0, m_outputWidth, m_outputHeight};
    const HRESULT copied = m_device->StretchRect(back, &frame, m_renderSurface, nullptr, D3DTEXF_NONE);
    back->Release();
    if (FAILED(copied)) return nullptr;
  }
  // The frame surface is lockable: reading it in place saves copying the
  // whole frame once more. A device that refuses the lock gets the frame
  // copied to system memory first.
  D3DLOCKED_RECT locked;
  m_lockedSurface = m_renderSurface;
  if (FAILED(m_renderSurface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    m_lockedSurface = nullptr;
    if (FAILED(m_device->GetRenderTargetData(m_renderSurface, m_systemSurface))) return nullptr;
    if (FAILED(m_systemSurface->LockRect(&locked, nullptr, 0))) return nullptr;
    m_lockedSurface = m_systemSurface;
  }
  if (pitch) *pitch = locked.Pitch;
  return static_cast<BYTE*>(locked.pBits);
}

void CD3DMeshRenderer::UnlockRenderedFrame() {
  if (m_lockedSurface) m_lockedSurface->UnlockRect();
  m_lockedSurface = nullptr;
}

// --- backgrounds and surfaces ---

namespace {

// Paints the fill into the holder's texture. Returns the colour of a fill
// that came out as one opaque colour (the texture's every texel and level
// then hold it: the upload repeats the edge texels and the smaller levels
// average equal texels), else 0.
DWORD PaintBackground(const CFillStyle& fill, CTextureHolder& holder, int width, int height) {
  if (!holder.m_texture || width < 1 || height < 1) return 0;
  // Freed however the painting ends: a fill may fail with an exception.
  struct Painted : CPixelBuffer {
    using CPixelBuffer::CPixelBuffer;
    ~Painted() { Free(); }
  } buffer(RECT{0, 0, width, height});
  if (!buffer.bits) return 0;
  buffer.Fill(0);
  RenderFillStyle(fill, buffer);
  holder.Upload(buffer.bits);
  const DWORD* begin = buffer.bits;
  const DWORD* end = begin + static_cast<size_t>(width) * height;
  const DWORD first = buffer.bits[0];
  const bool solid = (first >> 24) == 0xFF && std::all_of(begin, end, [first](DWORD p) { return p == first; });
  return solid ? first : 0;
}

}  // namespace

void CD3DMeshRenderer::SetBackgroundA(const CFillStyle& fill) {
  m_backgroundA = fill;
  m_solidBackgroundA = PaintBackground(m_backgroundA, m_backgroundAPicture, m_outputWidth, m_outputHeight);
  m_solidBackgroundTexture = m_backgroundAPicture.m_texture;
}

void CD3DMeshRenderer::SetBackgroundB(const CFillStyle& fill) {
  m_backgroundB = fill;
  m_foregroundClear = fill.type == kFillColor && (fill.color >> 24) == 0;
  PaintBackground(m_backgroundB, m_backgroundBPicture, m_outputWidth, m_outputHeight);
}

BOOL CD3DMeshRenderer::ResizeOutput(int width, int height) {
  if (!m_device || width < 1 || height < 1) return FALSE;
  m_outputWidth = width;
  m_outputHeight = height;
  // An export frame is composed in the back buffer: a frame larger than it
  // (a project file may ask for one) needs a larger device.
  if (width > m_backWidth || height > m_backHeight) {
    for (CTextureHolder* holder : {&m_imageA, &m_imageB, &m_imageC, &m_backgroundAPicture, &m_backgroundBPicture})
      holder->Release();
    m_backWidth = std::max(m_backWidth, width);
    m_backHeight = std::max(m_backHeight, height);
    if (FAILED(Init(m_window))) return FALSE;
  }
  BOOL made = CreateGrabSurfaces();
  m_frameInRenderSurface = FALSE;  // the new frame surface holds no frame
  for (CTextureHolder* image : {&m_imageA, &m_imageB, &m_imageC})
    made &= image->Create(m_device, 0, 0, width, height, TRUE) != nullptr;
  for (CTextureHolder* background : {&m_backgroundAPicture, &m_backgroundBPicture})
    made &= background->Create(m_device, 0, 0, width, height, FALSE) != nullptr;
  SetBackgroundA(CFillStyle(m_backgroundA));
  SetBackgroundB(CFillStyle(m_backgroundB));
  return made;
}
