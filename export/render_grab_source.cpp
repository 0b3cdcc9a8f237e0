// The export's frame source over the renderer's frame grabs.
#include "export/render_grab_source.h"

#include "render/frame_render.h"

void CRenderFrameGrabs::GrabPixels(CMorphPair* pair, CPixelBuffer* buffer) { RenderFrameToPixels(pair, buffer); }

void CRenderFrameGrabs::GrabDib24(CMorphPair* pair, CPixelBuffer* buffer) { RenderFrameToDib24(pair, buffer); }

CExportFrameSource* GetRenderFrameGrabs() {
  static CRenderFrameGrabs grabs;
  return &grabs;
}
