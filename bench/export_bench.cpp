// Export of a 100-frame 640x480 pair to each output kind, frames per second:
// rendered by the renderer and written ("rendered"), and written alone from
// ready frames ("writer only").
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/vfw.h"
#include "export/export_frame_source.h"
#include "export/render_thread.h"
#include "imaging/image_file.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "render/renderer_link.h"
#include "tests/support/tool_runner.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 100;

struct Output {
  const char* name;
  DWORD compressor;
};
const Output kOutputs[] = {{"a.bmp", 0},         {"a.tga", 0},          {"anim.gif", 0},
                           {"movie.avi", comptypeDIB}, {"mjpeg.avi", comptypeMJPG}, {"movie.swf", 0}};

// Ready frames: a gradient that moves with the frame number.
class CReadyFrames : public CExportFrameSource {
 public:
  void GrabPixels(CMorphPair* pair, CPixelBuffer* buffer) override {
    int f = pair->GetCurrentFrame();
    for (int y = 0; y < buffer->Height(); ++y)
      for (int x = 0; x < buffer->Width(); ++x)
        buffer->bits[y * buffer->Width() + x] = 0xFF000000u | ((x + f) & 0xFF) << 16 | (y & 0xFF) << 8 | ((x ^ y) & 0xFF);
  }
  void GrabDib24(CMorphPair* pair, CPixelBuffer* buffer) override {
    BYTE* out = reinterpret_cast<BYTE*>(buffer->bits);
    int f = pair->GetCurrentFrame();
    for (int y = 0; y < buffer->Height(); ++y)
      for (int x = 0; x < buffer->Width(); ++x, out += 3) {
        out[0] = static_cast<BYTE>(x ^ y);
        out[1] = static_cast<BYTE>(y);
        out[2] = static_cast<BYTE>(x + f);
      }
  }
};

CString Picture(const testsupport::TempDir& dir, const std::string& name, int phase) {
  std::vector<DWORD> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      int r = static_cast<int>(127 + 120 * std::sin((x + phase) * 0.02)), g = (y * 255) / kHeight;
      pixels[static_cast<size_t>(y) * kWidth + x] = 0xFF000000u | r << 16 | g << 8 | ((x + y + phase) & 0xFF);
    }
  CString path(compat::FromHostPath(dir.File(name)).c_str());
  CImageFile().Save(path, 0, 0, kWidth, kHeight, pixels.data(), 0);
  return path;
}

void SetUpProject(const testsupport::TempDir& dir) {
  CMorphProject* project = GetMorphProject();
  project->SetOutputSize(kWidth, kHeight);
  project->SetFps(25);
  project->InitDirect3D(nullptr);
  CMorphPair* pair = project->PairAt(0);
  pair->m_fadeIn = pair->m_fadeOut = 0;
  pair->m_inFrames = pair->m_outFrames = 0;
  pair->SetFrameCount(kFrames);
  pair->SetSourceImage(Picture(dir, "source.bmp", 0));
  pair->SetTargetImage(Picture(dir, "target.bmp", 200));
}

void BM_Export(benchmark::State& state) {
  const Output& output = kOutputs[state.range(0)];
  const bool rendered = state.range(1) != 0;
  testsupport::TempDir dir;
  SetUpProject(dir);
  CReadyFrames ready;
  compat::SetAviCompressorChoice(output.compressor ? output.compressor : comptypeDIB);
  for (auto _ : state) {
    CRenerThread thread;
    thread.SetOutputPath(CString(compat::FromHostPath(dir.File(output.name)).c_str()));
    thread.SetFps(25);
    if (!rendered) thread.SetFrameSource(&ready);
    thread.CreateThread(0, 0, nullptr);
    thread.WaitForEnd();
  }
  state.SetLabel(std::string(output.name) + (rendered ? " rendered" : " writer only"));
  state.counters["fps"] = benchmark::Counter(static_cast<double>(kFrames) * state.iterations(), benchmark::Counter::kIsRate);
  ShutdownDirect3D();
  DestroyMorphProject();
}

BENCHMARK(BM_Export)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 0}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
