// A renderer link that draws nothing, for tests to build on: registered while
// it lives; textures and shapes are null, every texture covers its extent.
#pragma once

#include "model/project/project_links.h"

class NullRendererLink : public CRendererLink {
 public:
  NullRendererLink() { SetRendererLink(this); }
  ~NullRendererLink() override { SetRendererLink(nullptr); }
  void RenderFrame(CMorphPair*) override {}
  void RecreateTextures(CMorphPair*) override {}
  void SetFills(const CFillStyle&, const CFillStyle&) override {}
  void ResizeSurfaces(int, int) override {}
  void SetBusy(int) override {}
  CTextureHolder* CreateTexture(const RECT&, int) override { return nullptr; }
  void DeleteTexture(CTextureHolder*) override {}
  void UploadTexture(CTextureHolder*, const DWORD*) override {}
  void GetTextureExtent(CTextureHolder*, float* u, float* v) override { *u = *v = 1.0f; }
  CMeshReceiver* CreateShape() override { return nullptr; }
  void SetCrossingEdges(const int*) override {}
};
