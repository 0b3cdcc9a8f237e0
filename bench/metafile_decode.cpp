// The metafile decoder on a large drawing: a 4000 x 2000 enhanced metafile of
// 20,000 polygon and text records, decoded into a picture.
#include <benchmark/benchmark.h>

#include <vector>

#include "imaging/metafile_codec.h"
#include "imaging/pic_file.h"
#include "tests/support/metafile_writer.h"

namespace {

constexpr int kWidth = 4000, kHeight = 2000;
constexpr int kRecords = 20000;

std::vector<uint8_t> BusyMetafile() {
  testsupport::EmfWriter w(kWidth, kHeight);
  for (uint32_t slot = 1; slot <= 8; ++slot) w.CreateBrush(slot, BS_SOLID, 0x102030u * slot);
  w.CreatePen(9, PS_SOLID, 1, 0x404040);
  w.CreateFont(10, -14, u"Arial");
  w.SelectObject(9);
  w.SelectObject(10);
  w.SetBkMode(TRANSPARENT);
  uint32_t seed = 12345;
  auto next = [&seed](int range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
  };
  for (int i = 0; i < kRecords / 2; ++i) {
    if (i % 64 == 0) w.SelectObject(1 + (i / 64) % 8);
    int x = next(kWidth - 80), y = next(kHeight - 80);
    w.Poly(3, {{x, y}, {x + 20 + next(60), y + next(20)}, {x + 10 + next(60), y + 20 + next(60)},
               {x + next(20), y + 10 + next(60)}});
    w.TextOut(next(kWidth - 100), next(kHeight - 20), u"Calvetta 42");
  }
  return w.Finish();
}

void BM_DecodeBusyEmf(benchmark::State& state) {
  std::vector<uint8_t> bytes = BusyMetafile();
  for (auto _ : state) {
    CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
    CPicImageWMF image;
    benchmark::DoNotOptimize(image.Decode(&file));
  }
  state.SetLabel("4000x2000, 20000 records");
}

BENCHMARK(BM_DecodeBusyEmf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
