// Whole frames of a 640 x 480 pair with 300 feature points, as an export
// renders them: mesh interpolation, the warps and their composition, the
// final passes and the read-back. The argument is the number of rasterising
// threads (0 = one per core).
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "compat/d3d9_present.h"
#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/feature_line.h"
#include "model/morph_pair.h"
#include "model/morph_project.h"
#include "model/pixel_buffer.h"
#include "render/frame_render.h"
#include "render/renderer_link.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 100;
constexpr int kLines = 20;
constexpr int kPointsPerLine = 15;

CString WritePicture(const std::string& path, int phase) {
  std::vector<DWORD> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const DWORD r = static_cast<DWORD>(128 + 120 * std::sin((x + phase) * 0.05));
      const DWORD g = static_cast<DWORD>(128 + 120 * std::cos((y - phase) * 0.04));
      pixels[static_cast<size_t>(y) * kWidth + x] = 0xFF000000 | r << 16 | g << 8 | ((x ^ y) & 0xFF);
    }
  CString name(compat::FromHostPath(path));
  CImageFile file;
  file.Save(name, 0, 0, kWidth, kHeight, pixels.data(), 0);
  return name;
}

// Rows of points across the picture; the target's are moved a little, never
// across their neighbours.
void AddFeatureLines(CMorphPair* pair) {
  for (int row = 0; row < kLines; ++row) {
    auto* source = new CFeatureLine;
    auto* target = new CFeatureLine;
    const float scale = pair->GetSourceLines()->GetScale();
    for (int k = 0; k < kPointsPerLine; ++k) {
      const float x = 20.0f + k * 40.0f, y = 15.0f + row * 23.0f;
      source->AddPoint(CVector2(x * scale, y * scale));
      target->AddPoint(CVector2((x + 6.0f * std::sin(row + k)) * scale, (y + 4.0f * std::cos(row * k)) * scale));
    }
    pair->GetSourceLines()->GetLines().Add(source);
    pair->GetTargetLines()->GetLines().Add(target);
  }
  pair->SetMeshDirty(TRUE);
}

void BM_RenderFrames(benchmark::State& state) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "calvetta-render-bench";
  std::filesystem::create_directories(folder);
  CMorphProject* project = GetMorphProject();
  project->SetOutputSize(kWidth, kHeight);
  project->InitDirect3D(nullptr);
  CMorphPair* pair = project->CurrentPair();
  pair->SetSourceImage(WritePicture((folder / "source.bmp").string(), 0));
  pair->SetTargetImage(WritePicture((folder / "target.bmp").string(), 40));
  AddFeatureLines(pair);

  CPixelBuffer buffer(RECT{0, 0, kWidth, kHeight});
  int frame = 0;
  for (auto _ : state) {
    pair->SetCurrentFrame(frame);
    RenderFrameToPixels(pair, &buffer);
    benchmark::DoNotOptimize(buffer.bits[frame * 97]);
    frame = (frame + 1) % kFrames;
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["ms/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) / 1000.0,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  buffer.Free();
  ShutdownDirect3D();
  DestroyMorphProject();
  std::filesystem::remove_all(folder);
}

// Whole runs of the pair's 100 frames.
BENCHMARK(BM_RenderFrames)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3 * kFrames)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
