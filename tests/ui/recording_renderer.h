// A renderer for the window tests: it draws nothing and records what it was
// asked for, the frame of every render first.
#pragma once

#include <functional>
#include <vector>

#include "model/project/morph_pair.h"
#include "model/project/project_links.h"
#include "support/null_renderer_link.h"

namespace uitest {

class RecordingRenderer : public NullRendererLink {
 public:
  void RenderFrame(CMorphPair* pair) override {
    frames.push_back(pair->GetCurrentFrame());
    if (onFrame) onFrame(static_cast<int>(frames.size()));
  }
  void RecreateTextures(CMorphPair*) override { ++recreations; }
  int Renders() const { return static_cast<int>(frames.size()); }

  std::vector<int> frames;
  int recreations = 0;
  // Called after each render with the number of renders so far.
  std::function<void(int count)> onFrame;
};

}  // namespace uitest
