// Whole frames of a pair with 300 feature points (640 x 480 and 1024 x 768),
// as an export renders them: mesh interpolation, the warps and their
// composition, the final passes and the read-back. The first argument is the
// number of rasterising threads (0 = one per core), the second the width.
// The machine may be shared: each frame is timed on its own, and the median,
// the tenth percentile and the fastest frames are reported beside the mean.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "compat/d3d9_present.h"
#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/project/feature_line.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "render/frame_render.h"
#include "render/renderer_link.h"

namespace {

constexpr int kFrames = 100;
constexpr int kLines = 20;
constexpr int kPointsPerLine = 15;

CString WritePicture(const std::string& path, int width, int height, int phase) {
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const DWORD r = static_cast<DWORD>(128 + 120 * std::sin((x + phase) * 0.05));
      const DWORD g = static_cast<DWORD>(128 + 120 * std::cos((y - phase) * 0.04));
      pixels[static_cast<size_t>(y) * width + x] = 0xFF000000 | r << 16 | g << 8 | ((x ^ y) & 0xFF);
    }
  CString name(compat::FromHostPath(path));
  CImageFile file;
  file.Save(name, 0, 0, width, height, pixels.data(), 0);
  return name;
}

// Rows of points across the picture (scaled with it); the target's are moved
// a little, never across their neighbours.
void AddFeatureLines(CMorphPair* pair, float size) {
  for (int row = 0; row < kLines; ++row) {
    auto* source = new CFeatureLine;
    auto* target = new CFeatureLine;
    const float scale = pair->GetSourceLines()->GetScale();
    for (int k = 0; k < kPointsPerLine; ++k) {
      const float x = (20.0f + k * 40.0f) * size, y = (15.0f + row * 23.0f) * size;
      const float dx = 6.0f * size * std::sin(row + k), dy = 4.0f * size * std::cos(row * k);
      source->AddPoint(CVector2(x * scale, y * scale));
      target->AddPoint(CVector2((x + dx) * scale, (y + dy) * scale));
    }
    pair->GetSourceLines()->GetLines().Add(source);
    pair->GetTargetLines()->GetLines().Add(target);
  }
  pair->SetMeshDirty(TRUE);
}

void BM_RenderFrames(benchmark::State& state) {
  compat::SetD3DWorkerCount(static_cast<int>(state.range(0)));
  const int width = static_cast<int>(state.range(1)), height = width * 3 / 4;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("calvetta-render-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  CMorphProject* project = GetMorphProject();
  project->SetOutputSize(width, height);
  project->InitDirect3D(nullptr);
  CMorphPair* pair = project->CurrentPair();
  pair->SetSourceImage(WritePicture((folder / "source.bmp").string(), width, height, 0));
  pair->SetTargetImage(WritePicture((folder / "target.bmp").string(), width, height, 40));
  AddFeatureLines(pair, static_cast<float>(width) / 640.0f);

  CPixelBuffer buffer(RECT{0, 0, width, height});
  int frame = 0;
  std::vector<double> times;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    const auto before = std::chrono::steady_clock::now();
    pair->SetCurrentFrame(frame);
    RenderFrameToPixels(pair, &buffer);
    benchmark::DoNotOptimize(buffer.bits[frame * 97]);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count());
    frame = (frame + 1) % kFrames;
  }
  const double elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double frames = static_cast<double>(state.iterations());
  state.counters["fps"] = frames * 1000.0 / elapsedMs;
  state.counters["ms_per_frame"] = elapsedMs / frames;
  std::sort(times.begin(), times.end());
  state.counters["median_ms"] = times[times.size() / 2];
  state.counters["p10_ms"] = times[times.size() / 10];
  state.counters["fastest_ms"] = times.front();
  buffer.Free();
  ShutdownDirect3D();
  DestroyMorphProject();
  std::filesystem::remove_all(folder);
}

// Whole runs of the pair's 100 frames: one worker and one per core, 640 x 480 and 1024 x 768.
BENCHMARK(BM_RenderFrames)
    ->ArgsProduct({{1, 0}, {640, 1024}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3 * kFrames)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
