// Box-filter resampling of slot pictures: the reduction of a large picture
// to the 1024-pixel limit, and the layout resample of a loaded picture.
#include <benchmark/benchmark.h>

#include <vector>

#include "model/raster/box_scale.h"

namespace {

std::vector<DWORD> Noise(int w, int h) {
  std::vector<DWORD> p(static_cast<size_t>(w) * h);
  DWORD x = 2463534242u;
  for (DWORD& v : p) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v = x;
  }
  return p;
}

void Scale(benchmark::State& state, int w, int h, int dw, int dh) {
  const std::vector<DWORD> src = Noise(w, h);
  std::vector<DWORD> dst(static_cast<size_t>(dw) * dh);
  for (auto _ : state) {
    BoxScalePixels(src.data(), w, h, dst.data(), dw, dh);
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h);
}

void BM_ReduceToLimit(benchmark::State& state) { Scale(state, 2048, 1536, 1024, 768); }
void BM_LayoutResample(benchmark::State& state) { Scale(state, 1024, 768, 640, 480); }
void BM_Enlarge(benchmark::State& state) { Scale(state, 320, 240, 640, 480); }

}  // namespace

BENCHMARK(BM_ReduceToLimit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutResample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Enlarge)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
