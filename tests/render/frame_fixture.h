// A project with the renderer started headless, pictures written to a
// temporary folder, and frames grabbed as the export grabs them.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/project/feature_line.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "model/project_links_fake.h"
#include "render/d3d_renderer.h"
#include "render/frame_render.h"
#include "render/renderer_link.h"
#include "support/tool_runner.h"

inline int Channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// Largest difference of the colour channels.
inline int ColourDistance(DWORD a, DWORD b) {
  int worst = 0;
  for (int shift : {0, 8, 16}) worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
  return worst;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetMorphProject()->InitDirect3D(nullptr);
    ASSERT_TRUE(IsRendererCreated());
  }
  void TearDown() override {
    ShutdownDirect3D();
    DestroyMorphProject();
  }

  static CMorphProject* Project() { return GetMorphProject(); }
  static CMorphPair* Pair() { return GetMorphProject()->CurrentPair(); }
  static CD3DMeshRenderer* Renderer() { return GetRenderer(); }

  // An opaque picture file of w x h pixels coloured by f(x, y) (0x00RRGGBB).
  template <class F>
  CString Picture(const std::string& name, int w, int h, F f) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | f(x, y);
    CString path(compat::FromHostPath(dir_.File(name)));
    CImageFile file;
    EXPECT_TRUE(file.Save(path, 0, 0, w, h, pixels.data(), 0));
    return path;
  }

  CString Solid(const std::string& name, DWORD rgb, int w = 64, int h = 64) {
    return Picture(name, w, h, [rgb](int, int) { return rgb; });
  }

  // A pair without fades and effects, frames 0..2 so frame 1 is t = 0.5.
  static void PlainPair(const CString& source, const CString& target) {
    CMorphPair* pair = Pair();
    pair->m_fadeIn = pair->m_fadeOut = 0;
    pair->m_inFrames = pair->m_outFrames = 0;
    pair->SetFrameCount(3);
    pair->SetSourceImage(source);
    pair->SetTargetImage(target);
  }

  // A feature line through the points (output pixels) on one side.
  static void AddLine(CLineSet* set, std::initializer_list<CVector2> points) {
    auto* line = new CFeatureLine;
    for (CVector2 p : points) line->AddPoint(CVector2(p.x * set->GetScale(), p.y * set->GetScale()));
    set->GetLines().Add(line);
    Pair()->SetMeshDirty(TRUE);
  }

  // The frame as the export's 32-bit grab gives it.
  static std::vector<DWORD> Grab(int frame, int width = 0) {
    SIZE output;
    Project()->GetOutputSize(output);
    if (width == 0) width = output.cx;
    Pair()->SetCurrentFrame(frame);
    CPixelBuffer buffer(RECT{0, 0, width, output.cy});
    RenderFrameToPixels(Pair(), &buffer);
    std::vector<DWORD> out(buffer.bits, buffer.bits + static_cast<size_t>(width) * output.cy);
    buffer.Free();
    return out;
  }

  static DWORD At(const std::vector<DWORD>& frame, int x, int y, int width = 256) {
    return frame[static_cast<size_t>(y) * width + x];
  }

  testsupport::TempDir dir_;
  CountingEditorLink editor_;
};
