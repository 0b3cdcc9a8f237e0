// An editor link for tests that counts what the model asked of the editor,
// and a renderer link that draws nothing, for tests to build on.
#pragma once

#include <string>
#include <vector>

#include "model/project/project_links.h"

class CountingEditorLink : public CEditorLink {
 public:
  CountingEditorLink() { SetEditorLink(this); }
  ~CountingEditorLink() override { SetEditorLink(nullptr); }

  void RefreshPanel() override { ++panelRefreshes; }
  void RebuildThumbnails() override {}
  void StopPlayback() override { ++stops; }
  void RefreshTimeline() override {}
  void ApplyFrameCount() override {}
  void RefreshImageView(int) override {}
  void EnableViews(BOOL) override {}
  void SetDocumentModified(BOOL) override { ++modified; }
  void CheckFigureTool(int) override {}
  void PairChanged(WPARAM) override { ++pairChanges; }
  void ShowMessage(const char16_t* text) override { messages.emplace_back(text); }
  void ShowIntersect(BOOL folded) override { intersect = folded; }
  void ShowZoom() override {}

  int panelRefreshes = 0;
  int stops = 0;
  int modified = 0;
  int pairChanges = 0;
  int intersect = -1;
  std::vector<std::u16string> messages;
};

// Registered while it lives; every call does nothing (textures and shapes are
// null, every texture covers its whole extent).
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
