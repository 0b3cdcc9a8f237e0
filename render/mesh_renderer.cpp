// CD3DMeshRenderer: the warp passes that build a frame's picture in image A
// (single warp, the warped cross-dissolve, and the warped pairs), the
// pass that copies a mask texture into a holder and the blend pass that
// applies a second texture.
#include <algorithm>
#include <cstdint>

#include "compat/win32/message_box.h"
#include "render/d3d_renderer.h"
#include "render/render_states.h"
#include "render/shape_base.h"

namespace {

constexpr float kVertexZ = 0.9f;
constexpr DWORD kOpaqueWhite = 0xFFFFFFFF;
// The whole mask picture, as a quad of a texture it fills entirely.
constexpr LONG kMaskQuadSide = 256;

SIZE TextureSize(const CTextureHolder& holder) { return SIZE{holder.m_textureWidth, holder.m_textureHeight}; }

// Stage 1 of the warps: it passes colour on and multiplies alpha by its
// texture (the mask) when one is bound, through its second coordinates.
constexpr CStageSetup kWarpMaskStage = {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT,
                                        D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_CURRENT, 1};

}  // namespace

CD3DMeshRenderer::CD3DMeshRenderer() {
  // The foreground layer is transparent until the project sets one.
  m_backgroundB.color = 0;
}

void CD3DMeshRenderer::DrawMeshMaskUV(const CShapeBase* mesh, const DWORD* colour) {
  (void)colour;  // the mask decides the alpha; the diffuse is always white
  // Room for six indices a triangle, as the wire frame of the same mesh needs.
  CRendererVertex* vertices = LockMeshVertices(mesh, 6);
  if (!vertices) return;
  const float maskWidth = static_cast<float>(m_imageA.m_textureWidth);
  const float maskHeight = static_cast<float>(m_imageA.m_textureHeight);
  for (int i = 0; i < mesh->m_vertexCount; ++i) {
    const CRenderVertex& v = mesh->m_vertices[i];
    // Shifted by half a pixel like every other mesh, so the target picture
    // lies exactly over the source; the mask coordinate of the unshifted
    // point then lands on the mask texel of each pixel's centre.
    vertices[i] = CRendererVertex{v.x - 0.5f, v.y - 0.5f, kVertexZ, 1.0f, kOpaqueWhite,
                                  v.u,        v.v,        v.x / maskWidth, v.y / maskHeight};
  }
  DrawLockedMesh(mesh);
}

void CD3DMeshRenderer::BeginFrame(const RECT* cleared, D3DCOLOR colour) {
  if (!m_device) return;
  SetTransforms();
  if (cleared) {
    const D3DRECT area{cleared->left, cleared->top, cleared->right, cleared->bottom};
    m_device->Clear(1, &area, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
  }
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetStage(m_device, 0, kStageTextureByDiffuse);
  DisableSecondStage(m_device);
  m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  SetBlend(m_device, D3DBLEND_ONE, D3DBLEND_ONE);
}

void CD3DMeshRenderer::ComputeViewRect(RECT* out, BOOL fit) const {
  if (!out) return;
  if (!fit || m_outputWidth < 1 || m_outputHeight < 1) {
    *out = RECT{0, 0, m_outputWidth, m_outputHeight};
    return;
  }
  const int64_t viewWidth = m_viewRect.right - m_viewRect.left;
  const int64_t viewHeight = m_viewRect.bottom - m_viewRect.top;
  // Relatively taller than the output: keep the width.
  if (viewHeight * m_outputWidth > viewWidth * m_outputHeight) {
    const LONG height = static_cast<LONG>(viewWidth * m_outputHeight / m_outputWidth);
    const LONG top = static_cast<LONG>((viewHeight - height) / 2);
    *out = RECT{0, top, static_cast<LONG>(viewWidth), top + height};
  } else {
    const LONG width = static_cast<LONG>(viewHeight * m_outputWidth / m_outputHeight);
    const LONG left = static_cast<LONG>((viewWidth - width) / 2);
    *out = RECT{left, 0, left + width, static_cast<LONG>(viewHeight)};
  }
}

void CD3DMeshRenderer::RenderTextureToTarget(IDirect3DTexture9* texture, CTextureHolder* target) {
  if (!m_device || !target || !target->m_texture) return;
  CRenderTargetScope scope(m_device, target->m_texture, FALSE);
  if (!scope.IsReady()) return;
  m_device->SetTexture(0, texture);
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetStage(m_device, 0, kStageTextureOnly);
  DisableSecondStage(m_device);
  SetPictureSampler(m_device, 0);
  SetBlend(m_device, D3DBLEND_ONE, D3DBLEND_ZERO);
  const RECT whole{0, 0, kMaskQuadSide, kMaskQuadSide};
  DrawTextureQuad(texture, whole, SIZE{kMaskQuadSide, kMaskQuadSide}, target->m_picture, 1.0f, kOpaqueWhite);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
}

void CD3DMeshRenderer::BlendPass(int mode, CTextureHolder* from, CTextureHolder* to, IDirect3DTexture9* second) {
  if (!m_device || !from || !to || !to->m_texture) return;
  CRenderTargetScope scope(m_device, to->m_texture, FALSE);
  if (!scope.IsReady()) return;
  const CStageSetup alphaMask = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT,
                                 D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_CURRENT, 0};
  const CStageSetup colourLight = {D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_CURRENT,
                                   D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT, 0};
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetStage(m_device, 0, kStageTextureOnly);
  // The caller chose stage 1's coordinate set; everything else is set here.
  SetStageOperations(m_device, 1, mode == 1 ? alphaMask : colourLight);
  SetPictureSampler(m_device, 0);
  SetPointSampler(m_device, 1);
  SetBlend(m_device, D3DBLEND_ONE, D3DBLEND_ZERO);
  m_device->SetTexture(1, second);
  DrawTextureQuad(from->m_texture, from->m_picture, TextureSize(*from), from->m_picture, 1.0f, kOpaqueWhite);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
}

void CD3DMeshRenderer::WarpSource(const CShapeBase* mesh, CTextureHolder* picture, CTextureHolder& into) {
  if (!m_device || !into.m_texture || !picture) return;
  CRenderTargetScope scope(m_device, into.m_texture, TRUE);
  if (!scope.IsReady()) return;
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetPictureSampler(m_device, 0);
  SetPointSampler(m_device, 1);
  SetBlend(m_device, D3DBLEND_ONE, D3DBLEND_ONE);
  // The target's alpha is its own times the blend byte (or the mask).
  SetStage(m_device, 0, kStageTextureByDiffuse);
  SetStage(m_device, 1, kWarpMaskStage);
  m_device->SetTexture(0, picture->m_texture);
  m_device->SetTexture(1, nullptr);
  DrawMesh(mesh, &kOpaqueWhite);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
}

void CD3DMeshRenderer::WarpTarget(const CShapeBase* mesh, CTextureHolder* picture, CTextureHolder* maskHolder,
                                  TargetBlend how, BYTE blend, CTextureHolder& into) {
  if (!m_device || !into.m_texture || !picture) return;
  CRenderTargetScope scope(m_device, into.m_texture, FALSE);
  if (!scope.IsReady()) return;
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetPictureSampler(m_device, 0);
  SetPointSampler(m_device, 1);
  SetStage(m_device, 0, kStageTextureByDiffuse);
  SetStage(m_device, 1, kWarpMaskStage);
  SetBlend(m_device, how == TargetBlend::Coverage ? D3DBLEND_ONE : D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  if (how == TargetBlend::ColourAndCoverage) {
    m_device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA);
  }
  m_device->SetTexture(0, picture->m_texture);
  if (maskHolder && maskHolder->m_texture) {
    m_device->SetTexture(1, maskHolder->m_texture);
    DrawMeshMaskUV(mesh, &kOpaqueWhite);
  } else {
    m_device->SetTexture(1, nullptr);
    const DWORD colour = (static_cast<DWORD>(blend) << 24) | 0x00FFFFFF;
    DrawMesh(mesh, &colour);
  }
  // No other pass expects separate alpha factors.
  m_device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
  m_device->SetTexture(1, nullptr);
}

void CD3DMeshRenderer::ClearBeyondPicture(CTextureHolder& holder, const CShapeBase* first,
                                          const CShapeBase* second) {
  const float right = static_cast<float>(holder.m_picture.right);
  const float bottom = static_cast<float>(holder.m_picture.bottom);
  bool inside = true;
  for (const CShapeBase* mesh : {first, second})
    for (int i = 0; mesh && i < mesh->m_vertexCount; ++i)
      inside &= mesh->m_vertices[i].x <= right && mesh->m_vertices[i].y <= bottom;  // false for NaN too
  if (inside || !m_device || !holder.m_texture) return;
  CRenderTargetScope scope(m_device, holder.m_texture, FALSE);
  if (!scope.IsReady()) return;
  const D3DRECT beyond[2] = {
      {holder.m_picture.right, 0, holder.m_textureWidth, holder.m_textureHeight},
      {0, holder.m_picture.bottom, holder.m_picture.right, holder.m_textureHeight}};
  m_device->Clear(2, beyond, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
}

void CD3DMeshRenderer::DrawWarpedPair(const CShapeBase* sourceMesh, const CShapeBase* targetMesh,
                                      CTextureHolder* sourceHolder, CTextureHolder* targetHolder,
                                      CTextureHolder* maskHolder, BOOL alphaTarget, BYTE blend) {
  CTextureHolder& into = alphaTarget ? m_imageC : m_imageB;
  if (!sourceHolder || !targetHolder) return;
  WarpSource(sourceMesh, sourceHolder, into);
  WarpTarget(targetMesh, targetHolder, maskHolder, alphaTarget ? TargetBlend::Coverage : TargetBlend::Colour, blend,
             into);
}

void CD3DMeshRenderer::DrawSingleWarp(const CShapeBase* sourceMesh, const CShapeBase* targetMesh,
                                      CTextureHolder* sourceHolder, CTextureHolder* targetHolder, BOOL useTarget) {
  CTextureHolder* picture = useTarget ? targetHolder : sourceHolder;
  if (!m_device || !m_imageA.m_texture || !picture) return;
  CRenderTargetScope scope(m_device, m_imageA.m_texture, TRUE);
  if (!scope.IsReady()) return;
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetPictureSampler(m_device, 0);
  SetBlend(m_device, D3DBLEND_ONE, D3DBLEND_ZERO);
  SetStage(m_device, 0, kStageTextureOnly);
  DisableSecondStage(m_device);
  m_device->SetTexture(0, picture->m_texture);
  DrawMesh(useTarget ? targetMesh : sourceMesh, &kOpaqueWhite);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
}

void CD3DMeshRenderer::DrawMorph(const CShapeBase* sourceMesh, const CShapeBase* targetMesh,
                                 CTextureHolder* sourceHolder, CTextureHolder* targetHolder,
                                 CTextureHolder* maskHolder, IDirect3DTexture9* maskTexture, BYTE blend,
                                 int warpMode) {
  if (!m_device) return;
  m_device->EndScene();
  if (warpMode == 1 || warpMode == 2) {
    DrawSingleWarp(sourceMesh, targetMesh, sourceHolder, targetHolder, warpMode == 2);
    return;
  }
  CTextureHolder* mask = nullptr;
  if (maskTexture && maskHolder && maskHolder->m_texture) {
    RenderTextureToTarget(maskTexture, maskHolder);
    mask = maskHolder;
  }
  if (!sourceHolder || !targetHolder || !m_imageA.m_texture) return;
  // Image A: the warped source, then the warped target over it in one pass,
  // its colour cross-dissolving by its alpha while its alpha adds to the
  // covered area's. Image A holds only its picture: what the meshes drew
  // beyond it is cleared.
  WarpSource(sourceMesh, sourceHolder, m_imageA);
  WarpTarget(targetMesh, targetHolder, mask, TargetBlend::ColourAndCoverage, blend, m_imageA);
  ClearBeyondPicture(m_imageA, sourceMesh, targetMesh);
}
