// The median-cut quantiser: box splitting, palettes and error diffusion.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "imaging/median_cut_quantizer.h"
#include "imaging/pic_image.h"

namespace {

// Pixels given as red, green, blue triples, stored blue, green, red, 0.
std::vector<BYTE> Frame(std::initializer_list<std::array<int, 3>> rgb) {
  std::vector<BYTE> pixels;
  for (const auto& c : rgb) {
    pixels.push_back(static_cast<BYTE>(c[2]));
    pixels.push_back(static_cast<BYTE>(c[1]));
    pixels.push_back(static_cast<BYTE>(c[0]));
    pixels.push_back(0);
  }
  return pixels;
}

TEST(MedianCutQuantizer, OneColourGivesOneEntryAndIndexZero) {
  std::vector<BYTE> pixels(4 * 6 * 5);
  for (size_t i = 0; i < pixels.size(); i += 4) pixels[i] = 9, pixels[i + 1] = 99, pixels[i + 2] = 199;
  CMedianCutQuantizer q(256);
  EXPECT_EQ(q.AddPixels(pixels.data(), 6, 5), 1);
  RGBQUAD palette[256] = {};
  ASSERT_EQ(q.MakePalette(palette), 1);
  EXPECT_EQ(palette[0].rgbBlue, 9);
  EXPECT_EQ(palette[0].rgbRed, 199);
  std::unique_ptr<CPicImage> image(q.CreateIndexedImage(pixels.data(), 6, 5, 8, 1, palette, 1.0f));
  for (LONG y = 0; y < 5; ++y)
    for (LONG x = 0; x < 6; ++x) EXPECT_EQ(image->GetPixelIndex(x, y), 0);
}

TEST(MedianCutQuantizer, ASmallColourCubeIsListedExactly) {
  std::vector<BYTE> pixels = Frame({{12, 12, 12}, {10, 10, 10}, {12, 12, 12}, {10, 10, 10}});
  CMedianCutQuantizer q(256);
  EXPECT_EQ(q.AddPixels(pixels.data(), 2, 2), 1);
  RGBQUAD palette[256] = {};
  ASSERT_EQ(q.MakePalette(palette), 2);
  EXPECT_EQ(palette[0].rgbRed, 12);  // order of first appearance
  EXPECT_EQ(palette[1].rgbRed, 10);
  std::unique_ptr<CPicImage> image(q.CreateIndexedImage(pixels.data(), 2, 2, 8, 2, palette, 1.0f));
  // Exact colours leave no error to diffuse; the top line is stored last.
  EXPECT_EQ(image->GetPixelIndex(0, 1), 0);
  EXPECT_EQ(image->GetPixelIndex(1, 1), 1);
  EXPECT_EQ(image->GetPixelIndex(0, 0), 0);
  EXPECT_EQ(image->GetPixelIndex(1, 0), 1);
  EXPECT_EQ(image->GetPaletteColor(2).rgbRed, 0);  // unused entries stay black
}

TEST(MedianCutQuantizer, SplitsOnTheWidestChannelWithRedFirstAndTheSplitValueLow) {
  // Spans 10, 10, 10: red is cut at 5, so {P1, P3} | {P2}.
  std::vector<BYTE> pixels = Frame({{0, 0, 0}, {10, 0, 10}, {0, 10, 10}});
  CMedianCutQuantizer q(2);
  EXPECT_EQ(q.AddPixels(pixels.data(), 3, 1), 2);
  RGBQUAD palette[256] = {};
  ASSERT_EQ(q.MakePalette(palette), 2);
  // Ascending volume: the single pixel first, then the average of the others.
  EXPECT_EQ(palette[0].rgbRed, 10);
  EXPECT_EQ(palette[0].rgbBlue, 10);
  EXPECT_EQ(palette[1].rgbRed, 0);
  EXPECT_EQ(palette[1].rgbGreen, 5);
  EXPECT_EQ(palette[1].rgbBlue, 5);

  // Red span 5 against green and blue 10: green is cut at 5, and a green of
  // exactly 5 stays in the low box.
  std::vector<BYTE> greenCut = Frame({{0, 0, 0}, {5, 5, 10}, {0, 10, 0}});
  CMedianCutQuantizer g(2);
  g.AddPixels(greenCut.data(), 3, 1);
  ASSERT_EQ(g.MakePalette(palette), 2);
  EXPECT_EQ(palette[0].rgbGreen, 10);  // the high box holds one pixel
  EXPECT_EQ(palette[1].rgbRed, 2);     // (0 + 5) / 2
  EXPECT_EQ(palette[1].rgbBlue, 5);
}

TEST(MedianCutQuantizer, AnEmptyFrameGivesNoColours) {
  CMedianCutQuantizer q(256);
  BYTE pixel[4] = {};
  EXPECT_EQ(q.AddPixels(pixel, 0, 7), 0);
  RGBQUAD palette[256] = {};
  EXPECT_EQ(q.MakePalette(palette), 0);
}

TEST(MedianCutQuantizer, ManyColoursFillTheWholePalette) {
  std::vector<BYTE> pixels(4 * 64 * 64);
  for (int i = 0; i < 64 * 64; ++i) {
    pixels[4 * i] = static_cast<BYTE>(i * 7);
    pixels[4 * i + 1] = static_cast<BYTE>(i * 13);
    pixels[4 * i + 2] = static_cast<BYTE>(i >> 4);
  }
  CMedianCutQuantizer q(256);
  EXPECT_EQ(q.AddPixels(pixels.data(), 64, 64), 256);
  RGBQUAD palette[256];
  EXPECT_EQ(q.MakePalette(palette), 256);
}

// The palette comes from how many pixels have each colour: the same pixels
// scattered, or gathered into long runs of one colour, or with runs of a
// colour broken up by others, give the same entries in the same order.
TEST(MedianCutQuantizer, ThePaletteDependsOnlyOnHowManyPixelsHaveEachColour) {
  constexpr int kSide = 48;
  std::vector<BYTE> scattered(4 * kSide * kSide);
  unsigned seed = 7;
  for (int i = 0; i < kSide * kSide; ++i) {
    seed = seed * 1103515245u + 12345u;
    // A few hundred colours, many of them repeated.
    const unsigned colour = (seed >> 16) % 700;
    scattered[4 * i] = static_cast<BYTE>(colour * 37);
    scattered[4 * i + 1] = static_cast<BYTE>(colour * 11 + 3);
    scattered[4 * i + 2] = static_cast<BYTE>(colour / 3);
  }
  std::vector<std::array<BYTE, 4>> sorted(kSide * kSide);
  for (int i = 0; i < kSide * kSide; ++i)
    sorted[i] = {scattered[4 * i], scattered[4 * i + 1], scattered[4 * i + 2], scattered[4 * i + 3]};
  std::sort(sorted.begin(), sorted.end());
  std::vector<BYTE> gathered, reversed;
  for (const auto& c : sorted) gathered.insert(gathered.end(), c.begin(), c.end());
  for (auto c = sorted.rbegin(); c != sorted.rend(); ++c) reversed.insert(reversed.end(), c->begin(), c->end());

  auto paletteOf = [](std::vector<BYTE> pixels, int maxColours) {
    CMedianCutQuantizer q(maxColours);
    q.AddPixels(pixels.data(), kSide, kSide);
    std::vector<RGBQUAD> palette(256);
    palette.resize(static_cast<size_t>(q.MakePalette(palette.data())));
    std::vector<DWORD> words;
    for (const RGBQUAD& c : palette) words.push_back(c.rgbBlue | c.rgbGreen << 8 | static_cast<DWORD>(c.rgbRed) << 16);
    return words;
  };
  for (int maxColours : {256, 37, 2}) {
    const std::vector<DWORD> expected = paletteOf(scattered, maxColours);
    EXPECT_EQ(expected.size(), static_cast<size_t>(maxColours));
    EXPECT_EQ(paletteOf(gathered, maxColours), expected) << maxColours;
    EXPECT_EQ(paletteOf(reversed, maxColours), expected) << maxColours;
  }
}

// The median cut done the plain way: each box holds its pixels, ranges are
// taken afresh, the largest volume is split on its widest channel (red,
// then green, on a tie) with the split value in the low box; a frame with
// fewer colours than entries lists them in the order of their first pixel.
std::vector<DWORD> PlainMedianCut(const std::vector<BYTE>& pixels, int maxColours) {
  struct Box {
    std::vector<DWORD> colours;  // blue, green, red in the low three bytes
    int least[3] = {255, 255, 255}, most[3] = {0, 0, 0};
    long volume = 0;
  };
  auto channel = [](DWORD colour, int k) { return static_cast<int>(colour >> (8 * k) & 0xFF); };
  auto measure = [&](Box& box) {
    if (!box.colours.empty()) {
      for (int k = 0; k < 3; ++k) box.least[k] = 255, box.most[k] = 0;
      for (DWORD c : box.colours)
        for (int k = 0; k < 3; ++k) box.least[k] = std::min(box.least[k], channel(c, k)), box.most[k] = std::max(box.most[k], channel(c, k));
    }
    box.volume = 1;
    for (int k = 0; k < 3; ++k) box.volume *= std::abs(box.most[k] - box.least[k]) + 1;
  };
  std::vector<Box> boxes;  // ascending volume, equal volumes in order of insertion
  auto insert = [&](Box box) {
    auto at = std::find_if(boxes.begin(), boxes.end(), [&](const Box& b) { return b.volume > box.volume; });
    boxes.insert(at, std::move(box));
  };
  Box all;
  for (size_t i = 0; i + 4 <= pixels.size(); i += 4)
    all.colours.push_back(pixels[i] | pixels[i + 1] << 8 | static_cast<DWORD>(pixels[i + 2]) << 16);
  measure(all);
  std::vector<DWORD> palette;
  if (all.volume >= maxColours) {
    insert(all);
    while (static_cast<int>(boxes.size()) < maxColours && boxes.back().volume >= 2) {
      Box box = std::move(boxes.back());
      boxes.pop_back();
      int spans[3];
      for (int k = 0; k < 3; ++k) spans[k] = std::abs(box.most[k] - box.least[k]);
      const int k = spans[2] >= spans[1] && spans[2] >= spans[0] ? 2 : spans[1] >= spans[0] ? 1 : 0;
      const int split = (box.least[k] + box.most[k]) / 2;
      Box low = box, high = box;
      low.colours.clear(), high.colours.clear();
      for (DWORD c : box.colours) (channel(c, k) <= split ? low : high).colours.push_back(c);
      measure(low), measure(high);
      insert(std::move(low)), insert(std::move(high));
    }
  }
  if (boxes.size() <= 1) {
    for (DWORD c : all.colours)
      if (palette.size() < 256 && std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
    return palette;
  }
  for (const Box& box : boxes) {
    unsigned long long sums[3] = {};
    for (DWORD c : box.colours)
      for (int k = 0; k < 3; ++k) sums[k] += static_cast<unsigned long long>(channel(c, k));
    const unsigned long long n = std::max<size_t>(box.colours.size(), 1);
    palette.push_back(static_cast<DWORD>(sums[0] / n | (sums[1] / n) << 8 | (sums[2] / n) << 16));
  }
  return palette;
}

// The quantiser's palette packed as the plain median cut gives it.
std::vector<DWORD> PackedPalette(CMedianCutQuantizer& q) {
  RGBQUAD palette[256];
  const int n = q.MakePalette(palette);
  std::vector<DWORD> packed;
  for (int i = 0; i < n; ++i) packed.push_back(palette[i].rgbBlue | palette[i].rgbGreen << 8 | static_cast<DWORD>(palette[i].rgbRed) << 16);
  return packed;
}

// Frames of every shape the splits meet: runs of a few colours, a channel
// that never changes, the cube's corners only, noise, gradients; tiny and
// one-line frames; palettes from 2 to 256 entries.
TEST(MedianCutQuantizer, PalettesMatchAPlainMedianCut) {
  unsigned seed = 99;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (int trial = 0; trial < 300; ++trial) {
    const DWORD width = 1 + next() % 48, height = 1 + next() % (trial % 5 == 0 ? 2 : 40);
    const int kind = trial % 5, maxColours = std::array<int, 6>{2, 3, 16, 37, 255, 256}[next() % 6];
    std::vector<unsigned> colours(1 + next() % 700);
    for (unsigned& c : colours) c = next();
    std::vector<BYTE> pixels(4 * width * height);
    for (DWORD i = 0, runLeft = 0, colour = 0; i < width * height; ++i) {
      if (runLeft == 0) runLeft = 1 + next() % 6, colour = colours[next() % colours.size()];
      --runLeft;
      BYTE* p = &pixels[4 * i];
      const unsigned noise = next();
      switch (kind) {
        case 0: p[0] = static_cast<BYTE>(colour), p[1] = static_cast<BYTE>(colour >> 8), p[2] = static_cast<BYTE>(colour >> 16); break;
        case 1: p[0] = 77, p[1] = static_cast<BYTE>(colour), p[2] = static_cast<BYTE>(colour >> 9); break;
        case 2: p[0] = noise & 1 ? 255 : 0, p[1] = noise & 2 ? 255 : 0, p[2] = noise & 4 ? 255 : 0; break;
        case 3: p[0] = static_cast<BYTE>(noise), p[1] = static_cast<BYTE>(noise >> 8), p[2] = static_cast<BYTE>(noise >> 16); break;
        default: p[0] = static_cast<BYTE>(i % width * 5), p[1] = static_cast<BYTE>(i / width * 3 + (noise & 7)), p[2] = static_cast<BYTE>(i); break;
      }
      p[3] = static_cast<BYTE>(noise >> 24);  // the fourth byte plays no part
    }
    const std::vector<DWORD> expected = PlainMedianCut(pixels, maxColours);
    // Each form of the boxes' partition the processor offers.
    for (int form = 0; form <= 1; ++form) {
      SetSplitFormLimit(form);
      CMedianCutQuantizer q(maxColours);
      q.AddPixels(pixels.data(), width, height);
      ASSERT_EQ(PackedPalette(q), expected) << "trial " << trial << ", " << width << " x " << height << ", kind " << kind << ", " << maxColours
                                            << ", form " << form;
    }
    SetSplitFormLimit(1);
  }
}

// Frames large and varied enough that boxes span many cells of the cube
// the colours are sorted by, and split values fall inside cells, on their
// edges and at the cube's ends: smooth blends with texture, a blend of one
// channel, values packed at 0 and 255, and full-range noise.
TEST(MedianCutQuantizer, LargeFramesMatchAPlainMedianCut) {
  unsigned seed = 4321;
  std::array<std::unique_ptr<CMedianCutQuantizer>, 4> quantizers;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (int trial = 0; trial < 12; ++trial) {
    const DWORD width = 130 + next() % 131, height = 97 + next() % 60;
    const int kind = trial % 4, maxColours = std::array<int, 4>{256, 255, 64, 7}[trial / 4 % 4];
    std::vector<BYTE> pixels(4 * width * height);
    for (DWORD y = 0; y < height; ++y)
      for (DWORD x = 0; x < width; ++x) {
        BYTE* p = &pixels[4 * (y * width + x)];
        const unsigned noise = next();
        const int texture = static_cast<int>(noise % 25) - 12;
        auto clamp = [](int v) { return static_cast<BYTE>(std::clamp(v, 0, 255)); };
        switch (kind) {
          case 0:
            p[0] = clamp(static_cast<int>(255 * y / height) + texture), p[1] = clamp(static_cast<int>(200 * x / width) - texture);
            p[2] = clamp(80 + trial * 9 + texture / 2);
            break;
          case 1: p[0] = 10, p[1] = static_cast<BYTE>(x + y), p[2] = 200; break;
          case 2: p[0] = noise & 1 ? 255 : static_cast<BYTE>(noise >> 4 & 3), p[1] = noise & 2 ? 254 : 0, p[2] = clamp(texture * 20); break;
          default: p[0] = static_cast<BYTE>(noise), p[1] = static_cast<BYTE>(noise >> 8), p[2] = static_cast<BYTE>(noise >> 16); break;
        }
        p[3] = static_cast<BYTE>(noise >> 3);
      }
    const std::vector<DWORD> expected = PlainMedianCut(pixels, maxColours);
    // One quantiser per palette size, as an animation's: nothing may stay
    // from frame to frame.
    std::unique_ptr<CMedianCutQuantizer>& kept = quantizers[static_cast<size_t>(trial / 4 % 4)];
    if (!kept) kept = std::make_unique<CMedianCutQuantizer>(maxColours);
    CMedianCutQuantizer& q = *kept;
    for (int form = 0; form <= 1; ++form) {
      SetSplitFormLimit(form);
      q.AddPixels(pixels.data(), width, height);
      ASSERT_EQ(PackedPalette(q), expected) << "trial " << trial << ", " << width << " x " << height << ", kind " << kind << ", " << maxColours
                                            << ", form " << form;
    }
    SetSplitFormLimit(1);
  }
}

// Colours sorted four at a time: every way four neighbours can share cells
// (all one cell, pairs, one odd lane out at each place, all apart), with
// colours that differ inside a cell, at every alignment of a frame's pixels
// to the groups of four and with frames that end part way into one.
TEST(MedianCutQuantizer, NeighboursSharingCellsMatchAPlainMedianCut) {
  unsigned seed = 31;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (int trial = 0; trial < 40; ++trial) {
    const DWORD width = 61 + trial % 4, height = 23 + trial % 3;
    const int maxColours = std::array<int, 4>{256, 64, 9, 2}[trial % 4];
    std::vector<BYTE> pixels(4 * width * height);
    DWORD cells[4] = {};
    for (DWORD i = 0; i < width * height; ++i) {
      if ((i + trial) % 4 == 0) {
        // The group's pattern: lane k takes the cell of lane pattern[k].
        const unsigned pattern = next() % 64;
        for (int k = 0; k < 4; ++k) {
          const int from = k == 0 ? 0 : static_cast<int>(pattern >> (2 * (k - 1)) & 3) % (k + 1);
          cells[k] = from == k ? next() % 4096 : cells[from];
        }
      }
      const DWORD cell = cells[(i + trial) % 4], inside = next();
      BYTE* p = &pixels[4 * i];
      p[0] = static_cast<BYTE>((cell & 15) << 4 | (inside & 7)), p[1] = static_cast<BYTE>((cell >> 4 & 15) << 4 | (inside >> 3 & 7));
      p[2] = static_cast<BYTE>((cell >> 8) << 4 | (inside >> 6 & 7)), p[3] = static_cast<BYTE>(inside >> 9);
    }
    CMedianCutQuantizer q(maxColours);
    q.AddPixels(pixels.data(), width, height);
    ASSERT_EQ(PackedPalette(q), PlainMedianCut(pixels, maxColours)) << "trial " << trial;
  }
}

TEST(MedianCutQuantizer, SerpentineDiffusionMatchesAHandComputation) {
  // Grey 100 on black and white, 2 x 2. Worked by hand: the bottom line runs
  // left to right (black, then 143 becomes white), the top line right to left
  // (71 black, then 110 + 31 = 141 white).
  std::vector<BYTE> pixels = Frame({{100, 100, 100}, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}});
  RGBQUAD palette[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  CMedianCutQuantizer q(256);
  std::unique_ptr<CPicImage> image(q.CreateIndexedImage(pixels.data(), 2, 2, 8, 2, palette, 1.0f));
  EXPECT_EQ(image->GetPixelIndex(0, 0), 0);
  EXPECT_EQ(image->GetPixelIndex(1, 0), 1);
  EXPECT_EQ(image->GetPixelIndex(1, 1), 0);
  EXPECT_EQ(image->GetPixelIndex(0, 1), 1);
  // The diffused error is left in the caller's pixels.
  EXPECT_EQ(pixels[4 * 0], 141);  // top left
  EXPECT_EQ(pixels[4 * 1], 71);   // top right
  EXPECT_EQ(pixels[4 * 3], 143);  // bottom right
}

// A strength that is not a number, or far beyond 1, once turned into
// integers out of range (undefined); it now spreads nothing, or as much as
// the clamp to 0..255 lets through.
TEST(MedianCutQuantizer, StrengthsOutOfRangeSpreadNothingOrSaturate) {
  std::vector<BYTE> pixels = Frame({{100, 100, 100}, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}});
  RGBQUAD palette[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  CMedianCutQuantizer q(256);
  std::unique_ptr<CPicImage> plain(q.CreateIndexedImage(pixels.data(), 2, 2, 8, 2, palette, std::nanf("")));
  for (LONG y = 0; y < 2; ++y)
    for (LONG x = 0; x < 2; ++x) EXPECT_EQ(plain->GetPixelIndex(x, y), 0);
  for (size_t i = 0; i < pixels.size(); i += 4) EXPECT_EQ(pixels[i], 100);
  // The bottom left pixel's error of 100 pushes every neighbour to white.
  std::unique_ptr<CPicImage> strong(q.CreateIndexedImage(pixels.data(), 2, 2, 8, 2, palette, 1e30f));
  EXPECT_EQ(strong->GetPixelIndex(0, 0), 0);
  EXPECT_EQ(pixels[4 * 3], 255);  // bottom right
  EXPECT_EQ(pixels[4 * 1], 255);  // top right
}

TEST(MedianCutQuantizer, TransparentIndexIsCarriedByTheImage) {
  std::vector<BYTE> pixels = Frame({{1, 2, 3}});
  RGBQUAD palette[1] = {{3, 2, 1, 0}};
  CMedianCutQuantizer q(256);
  std::unique_ptr<CPicImage> a(q.CreateIndexedImage(pixels.data(), 1, 1, 8, 1, palette, 1.0f, 0));
  std::unique_ptr<CPicImage> b(q.CreateIndexedImage(pixels.data(), 1, 1, 8, 1, palette, 1.0f));
  EXPECT_EQ(a->GetTransIndex(), 0);
  EXPECT_EQ(b->GetTransIndex(), -1);
}

}  // namespace

// Without diffusion every pixel takes the entry with the least sum of channel
// differences, the lowest index among equals, as a search of the whole
// palette finds it; palettes clustered (many ties), spread and small.
TEST(MedianCutQuantizer, UndiffusedPixelsTakeTheNearestEntryLowestIndexFirst) {
  std::vector<BYTE> pixels;
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, static_cast<int>((seed >> 16) & 0xFF); };
  for (int i = 0; i < 96 * 96; ++i) {
    // Half the pixels sweep the cube evenly, half fall at random.
    const bool even = i % 2 == 0;
    pixels.push_back(static_cast<BYTE>(even ? (i * 37) & 0xFF : next()));
    pixels.push_back(static_cast<BYTE>(even ? (i / 7 * 11) & 0xFF : next()));
    pixels.push_back(static_cast<BYTE>(even ? (i / 53 * 29) & 0xFF : next()));
    pixels.push_back(0);
  }
  for (int kind = 0; kind < 3; ++kind) {
    const int entries = kind == 2 ? 16 : 256;
    std::vector<RGBQUAD> palette(static_cast<size_t>(entries));
    for (RGBQUAD& c : palette) {
      // Clustered: channels from a handful of values near the middle.
      c.rgbBlue = static_cast<BYTE>(kind == 0 ? 120 + next() % 4 * 3 : next());
      c.rgbGreen = static_cast<BYTE>(kind == 0 ? 118 + next() % 5 * 2 : next());
      c.rgbRed = static_cast<BYTE>(kind == 0 ? 125 + next() % 3 * 5 : next());
      c.rgbReserved = 0;
    }
    std::vector<BYTE> copy = pixels;
    CMedianCutQuantizer q(256);
    // Sixteen entries fill a 4-bit picture's palette: no black entries beyond.
    const WORD bpp = entries == 16 ? 4 : 8;
    std::unique_ptr<CPicImage> image(q.CreateIndexedImage(copy.data(), 96, 96, bpp, entries, palette.data(), 0.0f));
    int wrong = 0;
    for (int i = 0; i < 96 * 96; ++i) {
      const BYTE* p = &pixels[4 * static_cast<size_t>(i)];
      int best = 0, bestDistance = 1 << 20;
      for (int k = 0; k < entries; ++k) {
        const int d = std::abs(p[0] - palette[k].rgbBlue) + std::abs(p[1] - palette[k].rgbGreen) + std::abs(p[2] - palette[k].rgbRed);
        if (d < bestDistance) best = k, bestDistance = d;
      }
      // Line 0 of the picture is the frame's last line.
      const int x = i % 96, y = 95 - i / 96;
      wrong += image->GetPixelIndex(x, y) != best;
    }
    EXPECT_EQ(wrong, 0) << "palette kind " << kind;
  }
}

namespace {

// The serpentine diffusion worked plainly: every entry searched, each amount
// the strength's product truncated as the quantiser's tables do, the line
// below taking its amounts behind, below and ahead in that order.
void DiffuseByHand(std::vector<BYTE>& pixels, int width, int height, const std::vector<RGBQUAD>& palette, float strength,
                   std::vector<BYTE>& indices) {
  auto amount = [strength](int e, float share) {
    const float product = static_cast<float>(std::abs(e)) * strength * share;
    const int magnitude = product >= 256.0f ? 256 : product <= -256.0f ? -256 : product == product ? static_cast<int>(product) : 0;
    return e < 0 ? -magnitude : magnitude;
  };
  auto spread = [&amount](BYTE* pixel, const int* error, float share) {
    for (int ch = 0; ch < 3; ++ch) pixel[ch] = static_cast<BYTE>(std::clamp(pixel[ch] + amount(error[ch], share), 0, 255));
  };
  indices.assign(static_cast<size_t>(width) * height, 0);
  for (int k = 0; k < height; ++k) {
    const int line = height - 1 - k, dir = k % 2 == 0 ? 1 : -1;
    for (int step = 0, x = dir > 0 ? 0 : width - 1; step < width; ++step, x += dir) {
      BYTE* p = &pixels[4 * (static_cast<size_t>(line) * width + x)];
      int best = 0, bestDistance = 1 << 20;
      for (size_t i = 0; i < palette.size(); ++i) {
        const int d = std::abs(p[0] - palette[i].rgbBlue) + std::abs(p[1] - palette[i].rgbGreen) + std::abs(p[2] - palette[i].rgbRed);
        if (d < bestDistance) best = static_cast<int>(i), bestDistance = d;
      }
      indices[static_cast<size_t>(k) * width + x] = static_cast<BYTE>(best);
      const int error[3] = {p[0] - palette[best].rgbBlue, p[1] - palette[best].rgbGreen, p[2] - palette[best].rgbRed};
      const bool ahead = step + 1 < width, behind = step > 0;
      if (ahead) spread(p + 4 * dir, error, 0.4375f);
      if (line == 0) continue;
      BYTE* b = p - 4 * width;
      if (behind) spread(b - 4 * dir, error, 0.1875f);
      spread(b, error, 0.3125f);
      if (ahead) spread(b + 4 * dir, error, 0.0625f);
    }
  }
}

// Maps `pixels` onto `palette` in each form of the mapping loop the
// processor offers, expecting the plain walk's diffused pixels and indices.
void ExpectEveryLoopFormGives(const std::vector<BYTE>& expected, const std::vector<BYTE>& expectedIndices, const std::vector<BYTE>& pixels,
                              int width, int height, const std::vector<RGBQUAD>& palette, float strength, const std::string& what) {
  for (int form = 0; form <= 3; ++form) {
    SetMappingFormLimit(form);
    std::vector<BYTE> mapped = pixels;
    CMedianCutQuantizer q(256);
    std::unique_ptr<CPicImage> image(q.CreateIndexedImage(mapped.data(), static_cast<DWORD>(width), static_cast<DWORD>(height), 8,
                                                          static_cast<int>(palette.size()), palette.data(), strength));
    int wrongIndices = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) wrongIndices += image->GetPixelIndex(x, y) != expectedIndices[static_cast<size_t>(y) * width + x];
    EXPECT_EQ(wrongIndices, 0) << what << ", strength " << strength << ", form " << form;
    EXPECT_TRUE(mapped == expected) << what << ", strength " << strength << ", form " << form;
  }
  SetMappingFormLimit(3);
}

}  // namespace

// The mapping loop, in each form the processor offers and the strength selects,
// gives the indices and diffused pixels that the plain walk gives: palettes
// with many ties, with few entries far from most colours (distances past
// 255), of one entry or repeated entries (and the black ones past the
// palette); strengths whose amounts are exact fixed-point products and ones
// that are not (negative, not a number, huge); lines of one pixel and
// pictures of one line; fourth bytes left alone.
TEST(MedianCutQuantizer, DiffusionMatchesAPlainWalkForAnyPaletteAndStrength) {
  unsigned seed = 99;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, static_cast<int>((seed >> 16) & 0xFF); };
  const std::array<std::array<int, 2>, 7> sizes = {{{1, 1}, {1, 9}, {9, 1}, {2, 2}, {33, 17}, {64, 40}, {17, 33}}};
  const float strengths[] = {0.0f, 0.35f, 0.8f, 1.0f, 1.3f, 2.0f, 2.6f, -1.0f, std::nanf(""), 1e30f};
  int cases = 0;
  for (int kind = 0; kind < 5; ++kind) {
    std::vector<RGBQUAD> palette(kind == 3 ? 1 : kind == 4 ? 40 : 256);
    for (size_t i = 0; i < palette.size(); ++i) {
      RGBQUAD& c = palette[i];
      if (kind == 0) {  // clustered: many ties
        c = RGBQUAD{static_cast<BYTE>(120 + next() % 4 * 3), static_cast<BYTE>(118 + next() % 5 * 2), static_cast<BYTE>(125 + next() % 3 * 5), 0};
      } else if (kind == 2) {  // the cube's corners but black, then entries near black
        const int corner = static_cast<int>(i) + 1, v = static_cast<int>(i) - 7;
        c = i < 7 ? RGBQUAD{static_cast<BYTE>(corner & 1 ? 255 : 0), static_cast<BYTE>(corner & 2 ? 255 : 0), static_cast<BYTE>(corner & 4 ? 255 : 0), 0}
                  : RGBQUAD{static_cast<BYTE>(v % 8), static_cast<BYTE>(v / 8 % 8), static_cast<BYTE>(v / 64), 0};
      } else if (kind == 4 && i >= 20) {  // every entry twice
        c = palette[i - 20];
      } else {
        c = RGBQUAD{static_cast<BYTE>(next()), static_cast<BYTE>(next()), static_cast<BYTE>(next()), 0};
      }
    }
    for (const auto& size : sizes)
      for (float strength : strengths) {
        const int width = size[0], height = size[1];
        std::vector<BYTE> pixels(4 * static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x) {
            // Smooth ramps with noise, and some pixels anywhere in the cube.
            BYTE* p = &pixels[4 * (static_cast<size_t>(y) * width + x)];
            const bool wild = next() % 5 == 0;
            p[0] = static_cast<BYTE>(wild ? next() : std::clamp(x * 255 / width + next() % 16 - 8, 0, 255));
            p[1] = static_cast<BYTE>(wild ? next() : std::clamp(y * 255 / height + next() % 16 - 8, 0, 255));
            p[2] = static_cast<BYTE>(wild ? next() : std::clamp(128 + next() % 32 - 16, 0, 255));
            p[3] = static_cast<BYTE>(next());
          }
        // An 8-bit picture's entries past the palette are black, and searched.
        std::vector<RGBQUAD> entries = palette;
        entries.resize(256, RGBQUAD{0, 0, 0, 0});
        std::vector<BYTE> expected = pixels, expectedIndices;
        DiffuseByHand(expected, width, height, entries, strength, expectedIndices);
        ExpectEveryLoopFormGives(expected, expectedIndices, pixels, width, height, palette, strength,
                                 "palette kind " + std::to_string(kind) + ", " + std::to_string(width) + " x " + std::to_string(height));
        ++cases;
      }
  }
  EXPECT_EQ(cases, 5 * 7 * 10);
}

// Every form of the loop gives the plain walk's indices and pixels where
// entries crowd a colour's neighbourhood: palettes of 1 to 256 entries
// packed into a small cube (across the borders of the cubes whose lists
// are shared), entries repeated and equally far from a colour in any order
// (ties settled by index), and entries far from every colour (distances
// past 255); the nearest entries last in a long list, so that the winner
// sits in a late group of its cell's candidates; and each entry twice in a
// long list, where only the first of each pair can win.
TEST(MedianCutQuantizer, EveryLoopFormMatchesThePlainWalkWhereEntriesAreCrowded) {
  unsigned seed = 7;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, static_cast<int>((seed >> 16) & 0xFF); };
  // Cells whose candidates fill one group, and many.
  const int counts[] = {1, 2, 15, 16, 17, 24, 31, 32, 33, 40, 64, 96, 128, 256};
  const int width = 23, height = 19;
  int cases = 0;
  for (int count : counts)
    for (int layout = 0; layout < 5; ++layout) {
      std::vector<RGBQUAD> palette(static_cast<size_t>(count));
      for (RGBQUAD& c : palette) {
        if (layout == 0 || layout >= 3) {  // anywhere in a cube of side 32 across four parents' borders
          c = RGBQUAD{static_cast<BYTE>(100 + next() % 32), static_cast<BYTE>(100 + next() % 32), static_cast<BYTE>(100 + next() % 32), 0};
        } else if (layout == 1) {  // six colours 6 away from (120, 120, 120) along the axes, repeated in any order
          const int axis = next() % 6, step = axis % 2 ? 6 : -6;
          c = RGBQUAD{static_cast<BYTE>(120 + (axis / 2 == 0 ? step : 0)), static_cast<BYTE>(120 + (axis / 2 == 1 ? step : 0)),
                      static_cast<BYTE>(120 + (axis / 2 == 2 ? step : 0)), 0};
        } else {  // near white, for dark pixels
          c = RGBQUAD{static_cast<BYTE>(230 + next() % 26), static_cast<BYTE>(230 + next() % 26), static_cast<BYTE>(230 + next() % 26), 0};
        }
      }
      if (layout == 4)  // the second half repeats the first
        for (size_t i = static_cast<size_t>(count) / 2; i < palette.size(); ++i) palette[i] = palette[i - static_cast<size_t>(count) / 2];
      if (layout == 3) {  // the farthest from the cube's middle first
        auto away = [](const RGBQUAD& c) { return std::abs(c.rgbBlue - 116) + std::abs(c.rgbGreen - 116) + std::abs(c.rgbRed - 116); };
        std::stable_sort(palette.begin(), palette.end(), [&away](const RGBQUAD& a, const RGBQUAD& b) { return away(a) > away(b); });
      }
      std::vector<BYTE> pixels(4 * static_cast<size_t>(width) * height);
      for (size_t i = 0; i < pixels.size(); i += 4) {
        for (int ch = 0; ch < 3; ++ch)
          pixels[i + ch] = static_cast<BYTE>(layout == 2 ? next() % 48 : layout == 1 ? 120 + next() % 9 - 4 : layout == 3 ? 104 + next() % 24 : 92 + next() % 48);
        pixels[i + 3] = static_cast<BYTE>(next());
      }
      std::vector<RGBQUAD> entries = palette;
      entries.resize(256, RGBQUAD{0, 0, 0, 0});
      for (float strength : {1.0f, 0.0f}) {
        std::vector<BYTE> expected = pixels, expectedIndices;
        DiffuseByHand(expected, width, height, entries, strength, expectedIndices);
        ExpectEveryLoopFormGives(expected, expectedIndices, pixels, width, height, palette, strength,
                                 std::to_string(count) + " entries, layout " + std::to_string(layout));
        ++cases;
      }
    }
  EXPECT_EQ(cases, 14 * 5 * 2);
}

// Errors at their largest, pixel after pixel along full-width lines: far
// corners of the cube alternating in every channel against palettes of
// black and white (and one grey), fourth bytes at both ends. The amounts
// then saturate every lane the vector loop works in, including those whose
// results must never reach a stored byte.
TEST(MedianCutQuantizer, EveryLoopFormMatchesThePlainWalkWhereErrorsAreLargest) {
  const int width = 640, height = 3;
  const std::vector<std::vector<RGBQUAD>> palettes = {
      {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}},
      {RGBQUAD{255, 255, 255, 0}, RGBQUAD{0, 0, 0, 0}, RGBQUAD{128, 128, 128, 0}},
      {RGBQUAD{255, 0, 255, 0}, RGBQUAD{0, 255, 0, 0}}};
  int cases = 0;
  for (size_t kind = 0; kind < palettes.size(); ++kind)
    for (int pattern = 0; pattern < 3; ++pattern) {
      std::vector<BYTE> pixels(4 * static_cast<size_t>(width) * height);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          BYTE* p = &pixels[4 * (static_cast<size_t>(y) * width + x)];
          const bool odd = ((pattern == 0 ? x : pattern == 1 ? x / 3 : x + y) & 1) != 0;
          p[0] = odd ? 255 : 0, p[1] = odd ? 0 : 255, p[2] = odd ? 255 : 0;
          p[3] = static_cast<BYTE>((x & 2) ? 255 : 0);
        }
      std::vector<RGBQUAD> entries = palettes[kind];
      entries.resize(256, RGBQUAD{0, 0, 0, 0});
      std::vector<BYTE> expected = pixels, expectedIndices;
      DiffuseByHand(expected, width, height, entries, 1.0f, expectedIndices);
      ExpectEveryLoopFormGives(expected, expectedIndices, pixels, width, height, palettes[kind], 1.0f,
                               "palette " + std::to_string(kind) + ", pattern " + std::to_string(pattern));
      ++cases;
    }
  EXPECT_EQ(cases, 9);
}

// One quantiser maps frame after frame, as an animation's writer has it do,
// each frame on a palette of its own and in each form of the loop, and
// every frame comes out as the plain walk makes it: nothing of the cubes'
// lists kept for one palette serves the next. Palettes crowded into a
// corner of the cube (the longest lists, for colours far off), spread,
// sparse, and crowded around the colours of the frame, in turn and again.
TEST(MedianCutQuantizer, AQuantiserServingManyFramesMapsEachAsAFreshOneWould) {
  unsigned seed = 2024;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, static_cast<int>((seed >> 16) & 0xFF); };
  const int width = 48, height = 40;
  std::vector<std::vector<RGBQUAD>> palettes;
  for (int kind = 0; kind < 4; ++kind) {
    std::vector<RGBQUAD> palette(kind == 2 ? 12 : 256);
    for (RGBQUAD& c : palette) {
      const int spread = kind == 0 ? 12 : kind == 3 ? 64 : 256, base = kind == 0 ? 236 : kind == 3 ? 96 : 0;
      c = RGBQUAD{static_cast<BYTE>(base + next() % spread), static_cast<BYTE>(base + next() % spread), static_cast<BYTE>(base + next() % spread), 0};
    }
    palettes.push_back(palette);
  }
  for (int form : {3, 0}) {
    SetMappingFormLimit(form);
    CMedianCutQuantizer q(256);
    for (int frame = 0; frame < 8; ++frame) {
      const std::vector<RGBQUAD>& palette = palettes[static_cast<size_t>(frame % 4)];
      // Colours from the whole cube, and ramps through the middle.
      std::vector<BYTE> pixels(4 * static_cast<size_t>(width) * height);
      for (size_t i = 0; i < pixels.size(); i += 4) {
        const bool ramp = i / 4 % 3 == 0;
        for (int ch = 0; ch < 3; ++ch) pixels[i + ch] = static_cast<BYTE>(ramp ? 96 + (i / 4 + 7 * ch) % 64 : next());
        pixels[i + 3] = 0;
      }
      std::vector<RGBQUAD> entries = palette;
      entries.resize(256, RGBQUAD{0, 0, 0, 0});
      std::vector<BYTE> expected = pixels, expectedIndices;
      DiffuseByHand(expected, width, height, entries, 1.0f, expectedIndices);
      std::vector<BYTE> mapped = pixels;
      std::unique_ptr<CPicImage> image(
          q.CreateIndexedImage(mapped.data(), width, height, 8, static_cast<int>(palette.size()), palette.data(), 1.0f));
      int wrong = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) wrong += image->GetPixelIndex(x, y) != expectedIndices[static_cast<size_t>(y) * width + x];
      EXPECT_EQ(wrong, 0) << "frame " << frame << ", form " << form;
      EXPECT_TRUE(mapped == expected) << "frame " << frame << ", form " << form;
    }
  }
  SetMappingFormLimit(3);
}
