// What the model asks of the renderer (CRendererLink), the project's
// Direct3D start-up and the renderer's end.
#include "render/renderer_link.h"

#include "compat/afx/wnd.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "render/d3d_renderer.h"
#include "render/effect_frame.h"
#include "render/frame_render.h"
#include "render/pair_pictures.h"
#include "render/shape_base.h"

namespace {

template <class T>
void DeleteHolder(T*& holder) {
  delete holder;
  holder = nullptr;
}

void ReleasePairTextures(CMorphPair* pair) {
  for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()}) DeleteHolder(slot->m_texture);
  DeleteHolder(pair->m_pairTexture);
  DeleteHolder(pair->m_totalMaskTexture);
  DeleteHolder(pair->GetTransitionPicture()->texture);
  DeleteHolder(pair->GetLight()->lightTexture);
  DeleteHolder(pair->GetLight()->pictureTexture);
}

bool IsInProject(const CMorphPair* pair) {
  const CMorphProject* project = GetMorphProject();
  for (int i = 0; i < project->GetPairCount(); ++i)
    if (project->PairAt(i) == pair) return true;
  return false;
}

class CMeshRendererLink : public CRendererLink {
 public:
  void RenderFrame(CMorphPair* pair) override { ::RenderFrame(pair); }

  void RecreateTextures(CMorphPair* pair) override {
    CD3DMeshRenderer* renderer = GetRenderer();
    if (!renderer || !pair) return;
    IDirect3DDevice9* device = renderer->m_device;
    LoadLightPicture(pair, device);
    RenderLightTarget(pair, device);
    LoadTotalMaskPicture(pair, device);
    LoadTransitionPicture(pair, device);
    // A pair still being read from a file is laid out when the project has
    // taken it, for the file's output size rather than the one open now.
    if (IsInProject(pair)) {
      LoadImageSlot(pair->GetSourceSlot(), pair);
      LoadImageSlot(pair->GetTargetSlot(), pair);
    }
    if (pair->m_inEffect) pair->m_inEffect->Prepare(device);
    if (pair->m_outEffect) pair->m_outEffect->Prepare(device);
  }

  void SetFills(const CFillStyle& background, const CFillStyle& foreground) override {
    if (CD3DMeshRenderer* renderer = GetRenderer()) {
      renderer->SetBackgroundA(background);
      renderer->SetBackgroundB(foreground);
    }
  }

  void ResizeSurfaces(int width, int height) override {
    CD3DMeshRenderer* renderer = GetRenderer();
    if (!renderer) return;
    const bool newDevice = width > renderer->m_backWidth || height > renderer->m_backHeight;
    renderer->ResizeOutput(width, height);
    if (!newDevice) return;
    // A new device: every pair's pictures are made again on it.
    CMorphProject* project = GetMorphProject();
    for (int i = 0; i < project->GetPairCount(); ++i) {
      ReleasePairTextures(project->PairAt(i));
      RecreateTextures(project->PairAt(i));
    }
  }

  void SetBusy(int busy) override {
    if (CD3DMeshRenderer* renderer = GetRenderer()) renderer->m_busy = busy;
  }

  CTextureHolder* CreateTexture(const RECT& picture, int renderTarget) override {
    CD3DMeshRenderer* renderer = GetRenderer();
    auto* holder = new CTextureHolder;
    if (renderer)
      holder->Create(renderer->m_device, picture.left, picture.top, picture.right, picture.bottom, renderTarget);
    return holder;
  }

  void DeleteTexture(CTextureHolder* texture) override { delete texture; }

  void UploadTexture(CTextureHolder* texture, const DWORD* pixels) override {
    if (texture) texture->Upload(pixels);
  }

  void GetTextureExtent(CTextureHolder* texture, float* u, float* v) override {
    if (u) *u = texture ? texture->ExtentU() : 1.0f;
    if (v) *v = texture ? texture->ExtentV() : 1.0f;
  }

  CMeshReceiver* CreateShape() override { return new CShapeBase; }

  void SetCrossingEdges(const int vertices[4]) override {
    if (CD3DMeshRenderer* renderer = GetRenderer())
      for (int k = 0; k < 4; ++k) renderer->m_crossingEdges[k] = vertices[k];
  }

  void RenderPassThrough(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                         CTextureHolder* target) override {
    ::RenderPassThrough(renderer, device, source, target);
  }
};

CMeshRendererLink g_link;

}  // namespace

void CMorphProject::InitDirect3D(CWnd* window) {
  if (IsRendererCreated()) ShutdownDirect3D();
  auto* renderer = new CD3DMeshRenderer;
  renderer->m_outputWidth = m_width;
  renderer->m_outputHeight = m_height;
  if (FAILED(renderer->Init(window))) {
    delete renderer;
    EndAfterDirect3DFailure();
  }
  SetRenderer(renderer);
  SetFillRenderer(renderer);
  SetRendererLink(&g_link);
  renderer->m_busy = m_busy;
  renderer->m_backgroundA = m_background;
  renderer->m_backgroundB = m_foreground;
  // The frame fits the window it is made on until that window's size changes.
  if (window && window->m_hWnd) window->GetClientRect(&renderer->m_viewRect);
  renderer->ResizeOutput(m_width, m_height);
}

BOOL IsRendererCreated() { return GetRenderer() != nullptr; }

void ShutdownDirect3D() {
  CD3DMeshRenderer* renderer = GetRenderer();
  if (!renderer) return;
  CMorphProject* project = GetMorphProject();
  for (int i = 0; i < project->GetPairCount(); ++i) ReleasePairTextures(project->PairAt(i));
  SetRendererLink(nullptr);
  SetFillRenderer(nullptr);
  SetRenderer(nullptr);
  delete renderer;
}
