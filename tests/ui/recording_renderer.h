// A renderer for the window tests: it draws nothing and records what it was
// asked for, the frame of every render first.
#pragma once

#include <functional>
#include <vector>

#include "model/project/morph_pair.h"
#include "model/project/project_links.h"

namespace uitest {

class RecordingRenderer : public CRendererLink {
 public:
  RecordingRenderer() { SetRendererLink(this); }
  ~RecordingRenderer() override { SetRendererLink(nullptr); }
  void RenderFrame(CMorphPair* pair) override {
    frames.push_back(pair->GetCurrentFrame());
    if (onFrame) onFrame(static_cast<int>(frames.size()));
  }
  void RecreateTextures(CMorphPair*) override { ++recreations; }
  void SetFills(const CFillStyle&, const CFillStyle&) override {}
  void ResizeSurfaces(int, int) override {}
  void SetBusy(int) override {}
  CTextureHolder* CreateTexture(const RECT&, int) override { return nullptr; }
  void DeleteTexture(CTextureHolder*) override {}
  void UploadTexture(CTextureHolder*, const DWORD*) override {}
  void GetTextureExtent(CTextureHolder*, float* u, float* v) override { *u = *v = 1.0f; }
  CMeshReceiver* CreateShape() override { return nullptr; }
  void SetCrossingEdges(const int*) override {}
  int Renders() const { return static_cast<int>(frames.size()); }

  std::vector<int> frames;
  int recreations = 0;
  // Called after each render with the number of renders so far.
  std::function<void(int count)> onFrame;
};

}  // namespace uitest
