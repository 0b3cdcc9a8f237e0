// CD3DMeshRenderer: the warp passes that build a frame's picture in image A
// (single warp, the two warped cross-dissolves and their composition), the
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
  if (!m_device || !mesh || mesh->m_vertexCount < 1 || mesh->m_triangleCount < 1) return;
  if (!EnsureVertexCapacity(mesh->m_vertexCount)) return;
  const int64_t indexCount = int64_t{mesh->m_triangleCount} * 3;
  if (indexCount * 2 > INT32_MAX || !EnsureIndexCapacity(static_cast<int>(indexCount * 2))) return;

  CRendererVertex* vertices = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), 0))) return;
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
  m_vertexBuffer->Unlock();
  WORD* indices = nullptr;
  if (FAILED(m_indexBuffer->Lock(0, 0, reinterpret_cast<void**>(&indices), 0))) {
    MessageBoxW(WindowHandle(), u"lock Index buffer fail!", nullptr, MB_OK);
    return;
  }
  std::copy(mesh->m_indices, mesh->m_indices + indexCount, indices);
  m_indexBuffer->Unlock();

  m_device->SetIndices(m_indexBuffer);
  m_device->SetFVF(kRendererFvf);
  m_device->SetStreamSource(0, m_vertexBuffer, 0, sizeof(CRendererVertex));
  m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, mesh->m_vertexCount, 0, mesh->m_triangleCount);
}

void CD3DMeshRenderer::BeginFrame() {
  if (!m_device) return;
  SetTransforms();
  m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
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
  // The caller chose stage 1's coordinate set; everything else is set here.
  DWORD texCoordIndex = 0;
  m_device->GetTextureStageState(1, D3DTSS_TEXCOORDINDEX, &texCoordIndex);
  CRenderTargetScope scope(m_device, to->m_texture, FALSE);
  if (!scope.IsReady()) return;
  const CStageSetup alphaMask = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT,
                                 D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_CURRENT, texCoordIndex};
  const CStageSetup colourLight = {D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_CURRENT,
                                   D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT, texCoordIndex};
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetStage(m_device, 0, kStageTextureOnly);
  SetStage(m_device, 1, mode == 1 ? alphaMask : colourLight);
  SetPictureSampler(m_device, 0);
  SetPointSampler(m_device, 1);
  SetBlend(m_device, D3DBLEND_ONE, D3DBLEND_ZERO);
  m_device->SetTexture(1, second);
  DrawTextureQuad(from->m_texture, from->m_picture, TextureSize(*from), from->m_picture, 1.0f, kOpaqueWhite);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
}

void CD3DMeshRenderer::DrawWarpedPair(const CShapeBase* sourceMesh, const CShapeBase* targetMesh,
                                      CTextureHolder* sourceHolder, CTextureHolder* targetHolder,
                                      CTextureHolder* maskHolder, BOOL alphaTarget, BYTE blend) {
  CTextureHolder& into = alphaTarget ? m_imageC : m_imageB;
  if (!m_device || !into.m_texture || !sourceHolder || !targetHolder) return;
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
  m_device->SetTexture(0, sourceHolder->m_texture);
  m_device->SetTexture(1, nullptr);
  DrawMesh(sourceMesh, &kOpaqueWhite);

  SetBlend(m_device, alphaTarget ? D3DBLEND_ONE : D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  m_device->SetTexture(0, targetHolder->m_texture);
  if (maskHolder && maskHolder->m_texture) {
    m_device->SetTexture(1, maskHolder->m_texture);
    DrawMeshMaskUV(targetMesh, &kOpaqueWhite);
  } else {
    const DWORD colour = (static_cast<DWORD>(blend) << 24) | 0x00FFFFFF;
    DrawMesh(targetMesh, &colour);
  }
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
  m_device->SetTexture(1, nullptr);
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
  DrawWarpedPair(sourceMesh, targetMesh, sourceHolder, targetHolder, mask, FALSE, blend);
  DrawWarpedPair(sourceMesh, targetMesh, sourceHolder, targetHolder, mask, TRUE, blend);

  // Image A: the colour of the cross-dissolve (B) with the covered area's
  // alpha (C).
  if (!m_imageA.m_texture) return;
  CRenderTargetScope scope(m_device, m_imageA.m_texture, TRUE);
  if (!scope.IsReady()) return;
  const CStageSetup alphaFromC = {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT,
                                  D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, 0};
  m_device->BeginScene();
  SetPassBasics(m_device);
  SetStage(m_device, 0, kStageTextureOnly);
  SetStage(m_device, 1, alphaFromC);
  SetPictureSampler(m_device, 0);
  SetPictureSampler(m_device, 1);
  SetBlend(m_device, D3DBLEND_ONE, D3DBLEND_ZERO);
  m_device->SetTexture(1, m_imageC.m_texture);
  DrawTextureQuad(m_imageB.m_texture, m_imageB.m_picture, TextureSize(m_imageB), m_imageB.m_picture, 1.0f,
                  kOpaqueWhite);
  m_device->EndScene();
  m_device->SetTexture(0, nullptr);
  m_device->SetTexture(1, nullptr);
}
