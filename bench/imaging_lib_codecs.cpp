// Hot paths of the codecs on the system libraries: JPEG, PNG and TIFF
// decoding and encoding of a 1024 x 768 picture in memory.
#include <benchmark/benchmark.h>

#include <vector>

#include "imaging/pic_file.h"
#include "imaging/pic_image.h"

namespace {

constexpr DWORD kWidth = 1024, kHeight = 768;

// Gradients with some detail: neither flat nor noise.
CPicImage MakePicture(DWORD bpp, bool alpha = false) {
  CPicImage image(kWidth, kHeight, bpp);
  if (bpp == 8) image.SetGrayPalette();
  for (DWORD y = 0; y < kHeight; ++y) {
    BYTE* row = image.GetBits() + static_cast<size_t>(y) * image.GetRowBytes();
    for (DWORD x = 0; x < image.GetRowBytes(); ++x) row[x] = BYTE(x / 4 + y / 3 + ((x ^ y) & 15));
  }
  if (alpha) {
    image.AlphaCreate();
    for (DWORD y = 0; y < kHeight; ++y)
      for (DWORD x = 0; x < kWidth; ++x) image.AlphaSet(LONG(x), LONG(y), BYTE(x + y));
  }
  return image;
}

std::vector<BYTE> EncodeAs(CPicImage& image, DWORD formatId) {
  CPicMemFile file;
  file.Open();
  image.Encode(&file, formatId);
  return std::vector<BYTE>(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
}

void Decode(benchmark::State& state, DWORD bpp, bool alpha, DWORD formatId) {
  CPicImage picture = MakePicture(bpp, alpha);
  std::vector<BYTE> bytes = EncodeAs(picture, formatId);
  for (auto _ : state) {
    CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
    CPicImage image;
    if (!image.Decode(&file, formatId)) {
      state.SkipWithError(image.GetLastError());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * (bpp / 8));
}

void Encode(benchmark::State& state, DWORD bpp, bool alpha, DWORD formatId) {
  CPicImage picture = MakePicture(bpp, alpha);
  for (auto _ : state) benchmark::DoNotOptimize(EncodeAs(picture, formatId));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * (bpp / 8));
}

void BM_DecodeJpeg24(benchmark::State& state) { Decode(state, 24, false, PIC_FORMAT_JPG); }
void BM_EncodeJpeg24(benchmark::State& state) { Encode(state, 24, false, PIC_FORMAT_JPG); }
void BM_DecodePng24(benchmark::State& state) { Decode(state, 24, false, PIC_FORMAT_PNG); }
void BM_DecodePng32(benchmark::State& state) { Decode(state, 24, true, PIC_FORMAT_PNG); }
void BM_EncodePng32(benchmark::State& state) { Encode(state, 24, true, PIC_FORMAT_PNG); }
void BM_DecodeTiff8(benchmark::State& state) { Decode(state, 8, false, PIC_FORMAT_TIF); }
void BM_DecodeTiff24(benchmark::State& state) { Decode(state, 24, false, PIC_FORMAT_TIF); }
void BM_EncodeTiff24(benchmark::State& state) { Encode(state, 24, false, PIC_FORMAT_TIF); }

}  // namespace

BENCHMARK(BM_DecodeJpeg24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpeg24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTiff8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTiff24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeTiff24)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
