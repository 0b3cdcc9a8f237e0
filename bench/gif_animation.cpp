// Animated GIF output of a 100-frame 640x480 animation: the time to quantise
// and write it, and the mean PSNR of the frames it holds against the source.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "compat/host_path.h"
#include "imaging/anim_gif_writer.h"
#include "imaging/gif_codec.h"
#include "imaging/median_cut_quantizer.h"
#include "imaging/pic_file.h"
#include "imaging/pic_image.h"

namespace {

constexpr DWORD kWidth = 640, kHeight = 480;
constexpr int kFrames = 100;

// A morph-like frame: smooth gradients, a moving disc and fine texture.
std::vector<BYTE> MakeFrame(int n) {
  std::vector<BYTE> pixels(4 * kWidth * kHeight);
  const double t = n / double(kFrames);
  const double cx = 160 + 320 * t, cy = 240 + 80 * std::sin(6.28 * t);
  for (DWORD y = 0; y < kHeight; ++y)
    for (DWORD x = 0; x < kWidth; ++x) {
      BYTE* p = &pixels[4 * (y * kWidth + x)];
      double d = std::hypot(x - cx, y - cy);
      double disc = d < 90 ? 1.0 - d / 90 : 0.0;
      double texture = 12 * std::sin(x * 0.37 + y * 0.21) * std::cos(y * 0.13 - n * 0.2);
      p[0] = static_cast<BYTE>(std::clamp(255.0 * y / kHeight * (1 - t) + 60 * disc + texture, 0.0, 255.0));
      p[1] = static_cast<BYTE>(std::clamp(200.0 * x / kWidth + 40 * t + 120 * disc + texture, 0.0, 255.0));
      p[2] = static_cast<BYTE>(std::clamp(80 + 150 * t + 100 * disc - texture, 0.0, 255.0));
      p[3] = 255;
    }
  return pixels;
}

double Psnr(const std::vector<BYTE>& source, const CPicImage& image) {
  double squared = 0;
  for (DWORD y = 0; y < kHeight; ++y)
    for (DWORD x = 0; x < kWidth; ++x) {
      const BYTE* p = &source[4 * (y * kWidth + x)];
      RGBQUAD c = image.GetPixelColor(static_cast<LONG>(x), static_cast<LONG>(kHeight - 1 - y));
      double db = p[0] - c.rgbBlue, dg = p[1] - c.rgbGreen, dr = p[2] - c.rgbRed;
      squared += db * db + dg * dg + dr * dr;
    }
  double mse = squared / (3.0 * kWidth * kHeight);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

const std::vector<std::vector<BYTE>>& Frames() {
  static std::vector<std::vector<BYTE>> frames = [] {
    std::vector<std::vector<BYTE>> all;
    for (int i = 0; i < kFrames; ++i) all.push_back(MakeFrame(i));
    return all;
  }();
  return frames;
}

// Argument: the writer's workers. With one, frames are quantised in place on
// the calling thread (each gets a fresh copy, untimed); with more, the
// writer copies each frame and the workers quantise while frames are added.
void BM_AnimatedGif100Frames(benchmark::State& state) {
  const auto& frames = Frames();
  const int workers = static_cast<int>(state.range(0));
  std::string path = (std::filesystem::temp_directory_path() / ("calvetta-bench-" + std::to_string(getpid()) + ".gif")).string();
  std::u16string programPath = compat::FromHostPath(path);
  // One buffer for the copies: a fresh one each frame would be freed (and
  // unmapped, at this size) inside the timed part.
  std::vector<BYTE> copy(frames[0].size());
  for (auto _ : state) {
    CAnimGifWriter writer;
    writer.SetWorkers(workers);
    writer.Open(programPath.c_str(), 3, SIZE{kWidth, kHeight});
    for (const auto& frame : frames) {
      if (workers > 1) {
        writer.AddFrame(const_cast<BYTE*>(frame.data()));
        continue;
      }
      state.PauseTiming();
      std::copy(frame.begin(), frame.end(), copy.begin());  // the quantiser diffuses into its input
      state.ResumeTiming();
      writer.AddFrame(copy.data());
    }
    writer.Close();
  }
  state.counters["file_MB"] = std::filesystem::file_size(path) / 1e6;
  state.counters["frames_per_s"] = benchmark::Counter(kFrames * double(state.iterations()), benchmark::Counter::kIsRate);
  std::filesystem::remove(path);

  // The file holds exactly the indexed frames; measure them against the source.
  double total = 0;
  for (const auto& frame : frames) {
    std::vector<BYTE> copy = frame;
    CMedianCutQuantizer quantizer(256);
    quantizer.AddPixels(copy.data(), kWidth, kHeight);
    RGBQUAD palette[256] = {};
    int colors = quantizer.MakePalette(palette);
    std::unique_ptr<CPicImage> image(
        quantizer.CreateIndexedImage(copy.data(), kWidth, kHeight, 8, colors, palette, 1.0f));
    total += Psnr(frame, *image);
  }
  state.counters["mean_psnr_dB"] = total / kFrames;
}
BENCHMARK(BM_AnimatedGif100Frames)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(static_cast<int>(std::thread::hardware_concurrency()))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// One frame quantised and mapped by a quantiser that serves the whole
// animation, as a writer's worker does; the frame is copied in first (about
// 1 % of the time) since the diffusion writes into it.
void BM_QuantiseAndMapFrame(benchmark::State& state) {
  const auto& frames = Frames();
  CMedianCutQuantizer quantizer(256);
  std::vector<BYTE> copy(frames[0].size());
  size_t n = 0;
  for (auto _ : state) {
    const auto& frame = frames[n++ % frames.size()];
    std::copy(frame.begin(), frame.end(), copy.begin());
    quantizer.AddPixels(copy.data(), kWidth, kHeight);
    RGBQUAD palette[256] = {};
    const int colors = quantizer.MakePalette(palette);
    std::unique_ptr<CPicImage> image(
        quantizer.CreateIndexedImage(copy.data(), kWidth, kHeight, 8, colors, palette, 1.0f));
    benchmark::DoNotOptimize(image->GetBits());
  }
}
BENCHMARK(BM_QuantiseAndMapFrame)->Unit(benchmark::kMillisecond);

// The median cut alone: one frame's histogram, splits and palette, by a
// quantiser that serves the whole animation (nothing is diffused, so the
// frames are read in place).
void BM_MedianCutFrame(benchmark::State& state) {
  const auto& frames = Frames();
  CMedianCutQuantizer quantizer(256);
  size_t n = 0;
  for (auto _ : state) {
    const auto& frame = frames[n++ % frames.size()];
    quantizer.AddPixels(const_cast<BYTE*>(frame.data()), kWidth, kHeight);
    RGBQUAD palette[256] = {};
    benchmark::DoNotOptimize(quantizer.MakePalette(palette));
  }
}
BENCHMARK(BM_MedianCutFrame)->Unit(benchmark::kMillisecond);

// The mapping stage alone: one frame diffused onto its palette, made once.
// Each iteration maps a fresh copy (the copy untimed) with a quantiser that
// has served earlier frames, so its cell lists are made afresh per palette
// as in an animation.
void BM_MapFrame(benchmark::State& state) {
  const auto& frame = Frames()[0];
  CMedianCutQuantizer quantizer(256);
  std::vector<BYTE> copy = frame;
  quantizer.AddPixels(copy.data(), kWidth, kHeight);
  RGBQUAD palette[256] = {};
  const int colors = quantizer.MakePalette(palette);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(frame.begin(), frame.end(), copy.begin());
    state.ResumeTiming();
    std::unique_ptr<CPicImage> image(
        quantizer.CreateIndexedImage(copy.data(), kWidth, kHeight, 8, colors, palette, 1.0f));
    benchmark::DoNotOptimize(image->GetBits());
  }
}
BENCHMARK(BM_MapFrame)->Unit(benchmark::kMillisecond);

// One quantised frame's control and image blocks encoded (the LZW stage of
// a writer's worker), into memory.
void BM_EncodeFramePage(benchmark::State& state) {
  std::vector<BYTE> copy = Frames()[0];
  CMedianCutQuantizer quantizer(256);
  quantizer.AddPixels(copy.data(), kWidth, kHeight);
  RGBQUAD palette[256] = {};
  const int colors = quantizer.MakePalette(palette);
  std::unique_ptr<CPicImage> image(
      quantizer.CreateIndexedImage(copy.data(), kWidth, kHeight, 8, colors, palette, 1.0f));
  CPicImageGIF codec;
  for (auto _ : state) {
    CPicMemFile blocks;
    blocks.Open();
    benchmark::DoNotOptimize(codec.EncodePage(&blocks, image.get(), true));
    state.counters["bytes"] = static_cast<double>(blocks.Size());
  }
}
BENCHMARK(BM_EncodeFramePage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
