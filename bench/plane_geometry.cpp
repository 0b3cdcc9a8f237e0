// Plane geometry on the mesh's and the curves' paths: the moving-edge test
// of the fold-over check, segment flattening and nearest points on curves.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "model/geometry/bezier_math.h"
#include "model/geometry/geometry.h"
#include "model/geometry/picking.h"

namespace {

std::vector<CVector2> RandomPoints(int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> coord(0.0f, 256.0f);
  std::vector<CVector2> points(count);
  for (CVector2& p : points) p = CVector2(coord(rng), coord(rng));
  return points;
}

void BM_MovingEdgesCross(benchmark::State& state) {
  const std::vector<CVector2> p = RandomPoints(4096, 1);
  size_t i = 0;
  int hits = 0;
  for (auto _ : state) {
    const CVector2* a = &p[i];
    hits += MovingEdgesCross(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    i = (i + 8) % (p.size() - 8);
  }
  benchmark::DoNotOptimize(hits);
}
BENCHMARK(BM_MovingEdgesCross);

void BM_FlattenCubicSegment(benchmark::State& state) {
  const std::vector<CVector2> p = RandomPoints(4096, 2);
  size_t i = 0;
  CCurveSampleArray samples;
  for (auto _ : state) {
    const Bezier4 c{{p[i], p[i + 1], p[i + 2], p[i + 3]}};
    samples.RemoveAll();
    FlattenCubicSegment(c, samples);
    benchmark::DoNotOptimize(samples.GetData());
    i = (i + 4) % (p.size() - 4);
  }
}
BENCHMARK(BM_FlattenCubicSegment);

void BM_NearestOnQuadratic(benchmark::State& state) {
  const std::vector<CVector2> p = RandomPoints(4096, 3);
  size_t i = 0;
  CVector2 out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NearestOnQuadratic(p[i + 3], &p[i], out));
    i = (i + 4) % (p.size() - 4);
  }
}
BENCHMARK(BM_NearestOnQuadratic);

}  // namespace

BENCHMARK_MAIN();
