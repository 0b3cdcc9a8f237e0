// Recorded outputs of the quantiser and the animated GIF writer: palettes,
// indices, the diffused source pixels and whole files of generated frames
// must stay byte for byte what the median-cut design gives, whatever the
// speed work inside. The frames are made with integer arithmetic only, so
// every machine makes the same ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "compat/host_path.h"
#include "imaging/anim_gif_writer.h"
#include "imaging/median_cut_quantizer.h"
#include "imaging/pic_image.h"
#include "support/tool_runner.h"

namespace {

uint64_t Fnv(const BYTE* data, size_t size, uint64_t hash = 14695981039346656037ull) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  return hash;
}

// Frame kinds a morph export meets: a smooth blend with a moving disc and
// grain (many colours), a few flat regions (fewer colours than entries, so one
// box lists them), saturated extremes that the diffusion clamps, and noise.
enum class Kind { Morph, FewColours, Extremes, Noise };

std::vector<BYTE> MakeFrame(Kind kind, DWORD width, DWORD height, int n) {
  std::vector<BYTE> pixels(4 * static_cast<size_t>(width) * height);
  uint32_t seed = 12345u + 7919u * static_cast<uint32_t>(n);
  auto next = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 24; };
  for (DWORD y = 0; y < height; ++y)
    for (DWORD x = 0; x < width; ++x) {
      BYTE* p = &pixels[4 * (static_cast<size_t>(y) * width + x)];
      const int cx = static_cast<int>(width) * (20 + 3 * n) / 100, cy = static_cast<int>(height) / 2;
      const int dx = static_cast<int>(x) - cx, dy = static_cast<int>(y) - cy;
      const int r2 = dx * dx + dy * dy, radius = static_cast<int>(width) / 5 + 1;
      const int disc = r2 < radius * radius ? 90 - 90 * r2 / (radius * radius) : 0;
      switch (kind) {
        case Kind::Morph: {
          const int grain = static_cast<int>(next() % 13) - 6;
          p[0] = static_cast<BYTE>(std::clamp(static_cast<int>(255 * y / height) - 2 * n + disc + grain, 0, 255));
          p[1] = static_cast<BYTE>(std::clamp(static_cast<int>(200 * x / width) + 4 * n + disc / 2 + grain, 0, 255));
          p[2] = static_cast<BYTE>(std::clamp(80 + 15 * n + disc - grain, 0, 255));
          break;
        }
        case Kind::FewColours:
          p[0] = static_cast<BYTE>(disc ? 200 : 10 + 4 * ((x / 7) % 3));
          p[1] = static_cast<BYTE>(disc ? 40 : 10 + 4 * ((y / 5) % 3));
          p[2] = static_cast<BYTE>(10 + n);
          break;
        case Kind::Extremes:
          p[0] = static_cast<BYTE>((x + y + n) % 3 ? 255 : 0);
          p[1] = static_cast<BYTE>(x * 255 / (width > 1 ? width - 1 : 1));
          p[2] = static_cast<BYTE>(((x ^ y) & 8) ? 250 : 3);
          break;
        case Kind::Noise:
          p[0] = static_cast<BYTE>(next()), p[1] = static_cast<BYTE>(next()), p[2] = static_cast<BYTE>(next());
          break;
      }
      p[3] = static_cast<BYTE>(next());  // the fourth byte plays no part
    }
  return pixels;
}

// Palette, indices and the diffused source of one quantised frame.
uint64_t QuantiseHash(Kind kind, DWORD width, DWORD height, int n, WORD bpp, int maxColours, float strength = 1.0f) {
  std::vector<BYTE> pixels = MakeFrame(kind, width, height, n);
  CMedianCutQuantizer quantizer(maxColours);
  quantizer.AddPixels(pixels.data(), width, height);
  RGBQUAD palette[256] = {};
  const int colours = quantizer.MakePalette(palette);
  std::unique_ptr<CPicImage> image(
      quantizer.CreateIndexedImage(pixels.data(), width, height, bpp, colours, palette, strength));
  uint64_t hash = Fnv(reinterpret_cast<const BYTE*>(&colours), sizeof colours);
  hash = Fnv(reinterpret_cast<const BYTE*>(palette), sizeof palette, hash);
  for (LONG y = 0; y < static_cast<LONG>(height); ++y)
    for (LONG x = 0; x < static_cast<LONG>(width); ++x) {
      const BYTE index = image->GetPixelIndex(x, y);
      hash = Fnv(&index, 1, hash);
    }
  return Fnv(pixels.data(), pixels.size(), hash);
}

uint64_t AnimatedGifHash(Kind kind, DWORD width, DWORD height, int frames, bool transparent, int workers) {
  testsupport::TempDir dir;
  const std::u16string path = compat::FromHostPath(dir.File("anim.gif"));
  {
    CAnimGifWriter writer;
    writer.SetWorkers(workers);
    if (transparent) {
      writer.SetTransparent(true);
      writer.SetTransparentColor(0xFF0A0A0B);
    }
    EXPECT_TRUE(writer.Open(path.c_str(), 4, SIZE{static_cast<LONG>(width), static_cast<LONG>(height)}));
    for (int n = 0; n < frames; ++n) {
      std::vector<BYTE> pixels = MakeFrame(kind, width, height, n);
      EXPECT_TRUE(writer.AddFrame(pixels.data()));
    }
    writer.Close();
  }
  std::ifstream in(dir.File("anim.gif"), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(bytes.empty());
  return Fnv(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

TEST(GifOutputReference, QuantisedFramesKeepTheirPalettesIndicesAndDiffusion) {
  EXPECT_EQ(QuantiseHash(Kind::Morph, 160, 120, 3, 8, 256), 6966159051981564447ull);
  EXPECT_EQ(QuantiseHash(Kind::Morph, 37, 23, 9, 8, 256), 16030285323338725110ull);
  EXPECT_EQ(QuantiseHash(Kind::FewColours, 64, 48, 2, 8, 256), 702042026889963609ull);
  EXPECT_EQ(QuantiseHash(Kind::Extremes, 61, 40, 1, 8, 256), 10381702429906587212ull);
  EXPECT_EQ(QuantiseHash(Kind::Noise, 50, 30, 4, 8, 256), 18021858648412407427ull);
  EXPECT_EQ(QuantiseHash(Kind::Morph, 1, 57, 0, 8, 256), 15355155949636088096ull);
  EXPECT_EQ(QuantiseHash(Kind::Noise, 83, 1, 0, 8, 256), 9771932892540536626ull);
  EXPECT_EQ(QuantiseHash(Kind::Morph, 48, 32, 5, 4, 16), 14954405460305543386ull);
  EXPECT_EQ(QuantiseHash(Kind::Extremes, 33, 17, 6, 1, 2), 5255430807385673007ull);
}

// Strengths other than the export's: weaker, stronger than the channel
// range allows, and turned round.
TEST(GifOutputReference, OtherDiffusionStrengthsKeepTheirOutput) {
  EXPECT_EQ(QuantiseHash(Kind::Morph, 64, 48, 2, 8, 256, 0.5f), 10332751060952044464ull);
  EXPECT_EQ(QuantiseHash(Kind::Extremes, 40, 30, 1, 8, 256, 3.0f), 4668608517055462572ull);
  EXPECT_EQ(QuantiseHash(Kind::Noise, 30, 20, 5, 8, 64, -0.75f), 10262118127112711117ull);
}

// Frames quantised on workers come out in order with the same bytes.
TEST(GifOutputReference, AnimatedFilesKeepTheirBytes) {
  for (int workers : {1, 3}) {
    EXPECT_EQ(AnimatedGifHash(Kind::Morph, 160, 120, 12, false, workers), 14448357054069029179ull) << workers;
    EXPECT_EQ(AnimatedGifHash(Kind::Morph, 64, 48, 5, true, workers), 5113739864819493149ull) << workers;
    EXPECT_EQ(AnimatedGifHash(Kind::FewColours, 64, 48, 6, true, workers), 7942041200032119201ull) << workers;
    EXPECT_EQ(AnimatedGifHash(Kind::Extremes, 52, 31, 3, false, workers), 14416299691974035192ull) << workers;
    EXPECT_EQ(AnimatedGifHash(Kind::Noise, 40, 40, 2, false, workers), 8859867136292365146ull) << workers;
  }
}

}  // namespace
