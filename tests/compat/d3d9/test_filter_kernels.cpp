// The filter loops on random textures and coordinates, bit for bit: the
// bilinear loop (wide and plain) against the channel formula, runs along one
// texel row against the plain loop, and the blend of two mip levels against
// its formula.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "compat/d3d9/texture_filters.h"
#include "plain_loops.h"

namespace {

using compat::d3d9::InteriorKernel;

std::vector<uint32_t> Noise(size_t n, std::mt19937& rng) {
  std::vector<uint32_t> p(n);
  for (uint32_t& v : p) v = static_cast<uint32_t>(rng());
  return p;
}

// A run of n pixels on texel row `row` (24.8 with the fraction `fy`): 16.16
// ramp values shifted to 24.8 as the coordinate loops store them, kept inside
// the texture; the step may be negative (mirrored quads) or far above one
// texel (minification wider than the loop's column window).
struct RowRun {
  std::vector<int32_t> s, t;
};

RowRun MakeRun(std::mt19937& rng, int w, int h, int n) {
  std::uniform_int_distribution<int> pick(0, 1 << 30);
  int32_t step = (pick(rng) % (6 << 16)) - (3 << 16);
  if (pick(rng) % 5 == 0) step = (pick(rng) % (12 << 16)) - (6 << 16);
  // The run's span in 16.16, fitted inside columns 0 .. w - 2.
  int64_t span = static_cast<int64_t>(step) * (n - 1);
  int64_t room = (static_cast<int64_t>(w - 2) << 16) - std::llabs(span);
  if (room < 0) {
    step = 0;
    room = static_cast<int64_t>(w - 2) << 16;
    span = 0;
  }
  int64_t low = room > 0 ? pick(rng) % (room + 1) : 0;
  int64_t start = span >= 0 ? low : low - span;
  int32_t row = (pick(rng) % ((h - 1) << 8));  // 24.8, leaving row h - 1 for the lower texel
  RowRun r;
  for (int i = 0; i < n; ++i) {
    r.s.push_back(static_cast<int32_t>((start + static_cast<int64_t>(step) * i) >> 8));
    r.t.push_back(row);
  }
  return r;
}

TEST(FilterKernels, RowRunsMatchThePerPixelLoopBitForBit) {
  std::mt19937 rng(4242);
  InteriorKernel row = compat::d3d9::PickRowInterior(true);
  InteriorKernel plain = compat::d3d9::PickInterior(true);
  for (int round = 0; round < 3000; ++round) {
    int w = 2 + static_cast<int>(rng() % 400), h = 2 + static_cast<int>(rng() % 40);
    int n = 1 + static_cast<int>(rng() % 70);
    std::vector<uint32_t> tex = Noise(static_cast<size_t>(w) * h, rng);
    RowRun run = MakeRun(rng, w, h, n);
    std::vector<uint32_t> expected(n), actual(n);
    plain(tex.data(), w, run.s.data(), run.t.data(), n, expected.data());
    row(tex.data(), w, run.s.data(), run.t.data(), n, actual.data());
    ASSERT_EQ(expected, actual) << "texture " << w << " x " << h << ", run of " << n << " from s "
                                << run.s.front() << " to " << run.s.back() << ", t " << run.t.front();
  }
}

TEST(FilterKernels, RowRunsAtTheTexturesLastColumnsAndRowsStayInside) {
  // Runs ending on column w - 2 of the last row pair: the column blocks the
  // loop reads must not pass the texture's end (the sanitiser build checks).
  std::mt19937 rng(7);
  InteriorKernel row = compat::d3d9::PickRowInterior(true);
  InteriorKernel plain = compat::d3d9::PickInterior(true);
  for (int w : {2, 3, 5, 17, 33, 64, 161}) {
    const int h = 3, n = 40;
    std::vector<uint32_t> tex = Noise(static_cast<size_t>(w) * h, rng);
    RowRun run;
    for (int i = 0; i < n; ++i) {
      run.s.push_back(((w - 2) << 8) * i / (n - 1) + (i % 7));
      run.s.back() = std::min(run.s.back(), (w - 2) << 8 | 255);
      run.t.push_back((1 << 8) | 200);
    }
    std::sort(run.s.begin(), run.s.end());
    std::vector<uint32_t> expected(n), actual(n);
    plain(tex.data(), w, run.s.data(), run.t.data(), n, expected.data());
    row(tex.data(), w, run.s.data(), run.t.data(), n, actual.data());
    EXPECT_EQ(expected, actual) << "width " << w;
  }
}

// Bilinear weights of 8 bits: each row pair blended vertically, then the two
// columns horizontally, each step rounded.
uint32_t BilinearTexel(const std::vector<uint32_t>& tex, int w, int32_t s, int32_t t) {
  const uint32_t* a = tex.data() + static_cast<size_t>(t >> 8) * w + (s >> 8);
  int fx = s & 255, fy = t & 255;
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    int c00 = (a[0] >> shift) & 255, c10 = (a[1] >> shift) & 255;
    int c01 = (a[w] >> shift) & 255, c11 = (a[w + 1] >> shift) & 255;
    int left = (c00 * 256 + (c01 - c00) * fy + 128) >> 8, right = (c10 * 256 + (c11 - c10) * fy + 128) >> 8;
    result |= static_cast<uint32_t>(((left * 256 + (right - left) * fx + 128) >> 8) & 255) << shift;
  }
  return result;
}

TEST(FilterKernels, InteriorRunsOfAnyLengthMatchTheChannelFormula) {
  // Short runs end in a partial group of four, whose missing lanes must
  // neither be written nor read outside the texture.
  std::mt19937 rng(31);
  InteriorKernel plain = compat::d3d9::PickInterior(true);
  for (int round = 0; round < 400; ++round) {
    int w = 2 + static_cast<int>(rng() % 60), h = 2 + static_cast<int>(rng() % 30);
    int n = 1 + static_cast<int>(rng() % 11);
    std::vector<uint32_t> tex = Noise(static_cast<size_t>(w) * h, rng);
    std::vector<int32_t> s(n), t(n);
    for (int i = 0; i < n; ++i) {
      s[i] = static_cast<int32_t>(rng() % ((w - 1) << 8));
      t[i] = static_cast<int32_t>(rng() % ((h - 1) << 8));
    }
    std::vector<uint32_t> out(n + 1, 0xDEADBEEFu);
    plain(tex.data(), w, s.data(), t.data(), n, out.data());
    for (int i = 0; i < n; ++i) ASSERT_EQ(out[i], BilinearTexel(tex, w, s[i], t[i])) << "pixel " << i << " of " << n;
    EXPECT_EQ(out[n], 0xDEADBEEFu) << "written past the run of " << n;
  }
}

// Runs of 1 to 40 pixels and a few longer than the loops' offset stretch:
// whole groups of eight, a last group overlapping the one before it, and
// runs shorter than a group (masked); extreme weights 0 and 255 and
// footprints on the texture's last column and row; every tenth texture
// wide enough that its rows lie more than 2^16 texels from the first.
void CheckInteriorRuns(std::mt19937& rng, const char* loops) {
  InteriorKernel kernel = compat::d3d9::PickInterior(true);
  static const int kLong[] = {255, 256, 257, 263, 264, 520, 777};
  for (int round = 0; round < 607; ++round) {
    const bool wide = round % 10 == 3;
    int w = wide ? 3000 + static_cast<int>(rng() % 300) : 2 + static_cast<int>(rng() % 70);
    int h = 2 + static_cast<int>(rng() % (wide ? 50 : 30));
    int n = round < 600 ? 1 + round % 40 : kLong[round - 600];
    std::vector<uint32_t> tex(static_cast<size_t>(w) * h);
    for (uint32_t& v : tex) v = static_cast<uint32_t>(rng());
    std::vector<int32_t> s(n), t(n);
    for (int i = 0; i < n; ++i) {
      s[i] = static_cast<int32_t>(rng() % ((w - 1) << 8));
      t[i] = static_cast<int32_t>(rng() % ((h - 1) << 8));
      if (rng() % 8 == 0) s[i] = (w - 2) << 8 | (rng() % 2 ? 255 : 0);
      if (rng() % 8 == 0) t[i] = (h - 2) << 8 | (rng() % 2 ? 255 : 0);
    }
    std::vector<uint32_t> out(n + 8, 0xDEADBEEFu);
    kernel(tex.data(), w, s.data(), t.data(), n, out.data());
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(out[i], BilinearTexel(tex, w, s[i], t[i]))
          << loops << " loops, pixel " << i << " of " << n << ", texture " << w << " x " << h;
    for (int i = n; i < n + 8; ++i) ASSERT_EQ(out[i], 0xDEADBEEFu) << loops << " loops wrote past the run of " << n;
  }
}

TEST(FilterKernels, InteriorRunsOfEveryLengthMatchTheFormulaWideAndPlain) {
  std::mt19937 rng(77);
  CheckInteriorRuns(rng, "wide");
  PlainLoops off;
  CheckInteriorRuns(rng, "plain");
}

TEST(FilterKernels, LevelBlendOfAnyLengthMatchesTheChannelFormula) {
  std::mt19937 rng(99);
  for (int n : {0, 1, 3, 4, 7, 8, 9, 15, 16, 31, 64, 255}) {
    for (int weight : {1, 37, 128, 255}) {
      std::vector<uint32_t> a = Noise(n, rng), b = Noise(n, rng), out = a;
      compat::d3d9::LerpTexels(b.data(), weight, n, out.data());
      for (int i = 0; i < n; ++i) {
        uint32_t want = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          int x = (a[i] >> shift) & 255, y = (b[i] >> shift) & 255;
          want |= static_cast<uint32_t>(((x * 256 + (y - x) * weight + 128) >> 8) & 255) << shift;
        }
        ASSERT_EQ(out[i], want) << "pixel " << i << " of " << n << ", weight " << weight;
      }
    }
  }
}

}  // namespace
