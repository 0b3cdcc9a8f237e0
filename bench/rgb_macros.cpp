// Baseline benchmark: packing colours with the platform's RGB macro.
#include <benchmark/benchmark.h>

#include "compat/win32.h"

static void BM_PackRgb(benchmark::State& state) {
  BYTE r = 1, g = 2, b = 3;
  for (auto _ : state) {
    COLORREF c = RGB(r, g, b);
    benchmark::DoNotOptimize(c);
    ++r;
  }
}
BENCHMARK(BM_PackRgb);

BENCHMARK_MAIN();
