// Hot paths of the codec library: decoding the common formats from memory,
// raising paletted pictures to 24 bits, flipping and turning.
#include <benchmark/benchmark.h>

#include <vector>

#include "imaging/pic_file.h"
#include "imaging/pic_image.h"

namespace {

constexpr DWORD kWidth = 1024, kHeight = 768;

CPicImage MakePicture(DWORD bpp) {
  CPicImage image(kWidth, kHeight, bpp);
  for (DWORD i = 0; i < image.GetColorCount(); ++i) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i * 3), BYTE(i * 7));
  BYTE* bits = image.GetBits();
  for (DWORD i = 0; i < image.GetHeader().biSizeImage; ++i) bits[i] = BYTE((i / 7) * 13);
  return image;
}

std::vector<BYTE> EncodeAs(DWORD bpp, DWORD formatId) {
  CPicImage image = MakePicture(bpp);
  CPicMemFile file;
  file.Open();
  image.Encode(&file, formatId);
  return std::vector<BYTE>(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
}

void Decode(benchmark::State& state, DWORD bpp, DWORD formatId) {
  std::vector<BYTE> bytes = EncodeAs(bpp, formatId);
  for (auto _ : state) {
    CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
    CPicImage image;
    benchmark::DoNotOptimize(image.Decode(&file, formatId));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

void BM_DecodeBmp24(benchmark::State& state) { Decode(state, 24, PIC_FORMAT_BMP); }
void BM_DecodeTga24(benchmark::State& state) { Decode(state, 24, PIC_FORMAT_TGA); }
void BM_DecodePcx8(benchmark::State& state) { Decode(state, 8, PIC_FORMAT_PCX); }
void BM_DecodePcx24(benchmark::State& state) { Decode(state, 24, PIC_FORMAT_PCX); }

void BM_IncreaseBpp8To24(benchmark::State& state) {
  CPicImage source = MakePicture(8);
  for (auto _ : state) {
    CPicImage image(source);
    benchmark::DoNotOptimize(image.IncreaseBpp(24));
  }
}

void BM_Flip24(benchmark::State& state) {
  CPicImage image = MakePicture(24);
  for (auto _ : state) benchmark::DoNotOptimize(image.Flip());
}

void BM_RotateLeft24(benchmark::State& state) {
  CPicImage image = MakePicture(24);
  for (auto _ : state) benchmark::DoNotOptimize(image.RotateLeft());
}

}  // namespace

BENCHMARK(BM_DecodeBmp24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTga24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePcx8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePcx24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IncreaseBpp8To24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flip24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateLeft24)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
