// Hot paths of the rasters: anti-aliased and one-sample scan conversion of
// outlines (plain, widened, extruded), the near-segment collection, mask
// blurs, pixel compositing and colour-variation fills.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "model/raster/color_variation_fill.h"
#include "model/raster/pixel_buffer.h"
#include "model/outline/shape_outline.h"

namespace {

// A circle of quadratic pieces, centre and radius in pixels.
std::vector<BYTE> Circle(float cx, float cy, float r, int pieces) {
  std::vector<BYTE> b(12);
  auto put = [&b](const void* p, size_t n) {
    const BYTE* bytes = static_cast<const BYTE*>(p);
    b.insert(b.end(), bytes, bytes + n);
  };
  const float start[2] = {(cx + r) * 8, cy * 8};
  std::memcpy(b.data() + 4, start, 8);
  const WORD type = kOutlineQSpline, count = static_cast<WORD>(pieces + 1);
  put(&type, 2);
  put(&count, 2);
  const double reach = r / std::cos(M_PI / pieces);
  for (int k = 0; k < pieces; ++k) {
    const double a = (k + 0.5) * 2 * M_PI / pieces;
    const float p[2] = {static_cast<float>((cx + reach * std::cos(a)) * 8), static_cast<float>((cy + reach * std::sin(a)) * 8)};
    put(p, 8);
  }
  put(start, 8);
  const uint32_t size = static_cast<uint32_t>(b.size());
  std::memcpy(b.data(), &size, 4);
  return b;
}

// Sixteen rings and discs spread over a 512 x 512 mask, like a line of text.
void FillOutline(CShapeOutline& o) {
  for (int i = 0; i < 16; ++i) {
    const float cx = 40 + (i % 4) * 120.0f, cy = 40 + (i / 4) * 120.0f;
    const std::vector<BYTE> outer = Circle(cx, cy, 40, 32);
    o.AddContour(outer.data(), static_cast<uint32_t>(outer.size()));
  }
}

struct Mask {
  CMaskBuffer m;
  explicit Mask(int size) {
    m.width = m.height = size;
    m.Create(size, size, 0);
  }
  ~Mask() { m.Free(); }
};

void BM_RenderCoverage(benchmark::State& state) {
  CShapeOutline o;
  FillOutline(o);
  Mask mask(512);
  const float width = static_cast<float>(state.range(0));
  const float depth = static_cast<float>(state.range(1));
  for (auto _ : state) {
    o.SetValueAll(0);
    o.RenderCoverage(&mask.m, width, depth, 30, 0);
    benchmark::DoNotOptimize(mask.m.bits);
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_RenderCoverage)->Args({0, 0})->Args({3, 0})->Args({0, 6})->Args({3, 6})->Unit(benchmark::kMillisecond);

void BM_RenderSolid(benchmark::State& state) {
  CShapeOutline o;
  FillOutline(o);
  CMatrix3 m;
  m.SetScale(CVector2(0.125f, 0.125f));
  o.Transform(m);
  Mask mask(512);
  for (auto _ : state) {
    o.RenderSolid(&mask.m, 0, 0, 0, 0);
    benchmark::DoNotOptimize(mask.m.bits);
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_RenderSolid)->Unit(benchmark::kMicrosecond);

void BM_CollectNearSegments(benchmark::State& state) {
  CShapeOutline o;
  FillOutline(o);
  CMatrix3 m;
  m.SetScale(CVector2(0.125f, 0.125f));
  o.Transform(m);
  o.BuildSegmentTable();
  CNearSegmentGrid grid;
  for (auto _ : state) {
    grid.Create(RECT{0, 0, 512, 512});
    o.CollectNearSegments(grid, 8);
    benchmark::DoNotOptimize(grid.items.data());
  }
}
BENCHMARK(BM_CollectNearSegments)->Unit(benchmark::kMillisecond);

void BM_BoxBlur(benchmark::State& state) {
  std::vector<BYTE> src(512 * 512), dst(512 * 512);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<BYTE>(i * 7);
  const int r = static_cast<int>(state.range(0));
  for (auto _ : state) {
    BoxBlurMask(src.data(), SIZE{512, 512}, r, r, dst.data());
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_BoxBlur)->Arg(2)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_GaussianBlur(benchmark::State& state) {
  std::vector<BYTE> plane(512 * 512);
  for (auto _ : state) {
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = (i / 512 / 64 + i % 512 / 64) % 2 ? 255 : 0;
    BlurMaskGaussian(plane.data(), SIZE{512, 512}, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(plane.data());
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_GaussianBlur)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_BlendOver(benchmark::State& state) {
  CPixelBuffer below(RECT{0, 0, 512, 512}), above(RECT{0, 0, 512, 512});
  above.Fill(0x80FF4020);
  for (auto _ : state) {
    below.Fill(0xC0204080);
    below.BlendOver(above);
    benchmark::DoNotOptimize(below.bits);
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
  below.Free();
  above.Free();
}
BENCHMARK(BM_BlendOver)->Unit(benchmark::kMicrosecond);

void BM_VaryColorFill(benchmark::State& state) {
  CGradientDesc d;
  d.style = static_cast<int>(state.range(0));
  d.repeatCount = 3;
  for (auto _ : state) {
    std::unique_ptr<DWORD[]> px(RenderVaryColorFill(SIZE{512, 512}, d));
    benchmark::DoNotOptimize(px.get());
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_VaryColorFill)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
