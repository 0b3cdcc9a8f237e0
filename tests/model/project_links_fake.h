// An editor link for tests that counts what the model asked of the editor.
#pragma once

#include <string>
#include <vector>

#include "model/project/project_links.h"
#include "support/null_renderer_link.h"

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

