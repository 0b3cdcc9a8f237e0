// The export's frames as the renderer draws them: the pair's frame grabs,
// each under the render lock with the project busy.
#pragma once

#include "export/export_frame_source.h"

class CRenderFrameGrabs : public CExportFrameSource {
 public:
  void GrabPixels(CMorphPair* pair, CPixelBuffer* buffer) override;
  void GrabDib24(CMorphPair* pair, CPixelBuffer* buffer) override;
};

// The one instance the render thread uses unless it is given another source.
CExportFrameSource* GetRenderFrameGrabs();
