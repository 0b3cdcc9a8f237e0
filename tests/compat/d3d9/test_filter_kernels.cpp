// The filter loops on random textures and coordinates, bit for bit: the
// bilinear loop (wide and plain) against the channel formula, runs along one
// texel row against the plain loop, and the blend of two mip levels against
// its formula; and every loop on textures fenced by pages it may not read.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

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
uint32_t BilinearTexel(const uint32_t* tex, int w, int32_t s, int32_t t) {
  const uint32_t* a = tex + static_cast<size_t>(t >> 8) * w + (s >> 8);
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

uint32_t BilinearTexel(const std::vector<uint32_t>& tex, int w, int32_t s, int32_t t) {
  return BilinearTexel(tex.data(), w, s, t);
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

// A texture of w x h random texels (w * h a multiple of 1024, so that it
// fills whole pages) between two pages that may not be read: a loop loading
// one byte before the first texel or after the last faults, in any build.
class FencedTexture {
 public:
  FencedTexture(int w, int h, std::mt19937& rng) : w_(w), h_(h) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t bytes = static_cast<size_t>(w) * h * sizeof(uint32_t);
    const size_t body = (bytes + page - 1) / page * page;
    size_ = body + 2 * page;
    void* at = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = at == MAP_FAILED ? nullptr : static_cast<char*>(at);
    if (!base_) return;
    mprotect(base_, page, PROT_NONE);
    mprotect(base_ + page + body, page, PROT_NONE);
    texels_ = reinterpret_cast<uint32_t*>(base_ + page + body - bytes);
    for (size_t i = 0; i < bytes / sizeof(uint32_t); ++i) texels_[i] = static_cast<uint32_t>(rng());
  }
  ~FencedTexture() {
    if (base_) munmap(base_, size_);
  }
  FencedTexture(const FencedTexture&) = delete;
  FencedTexture& operator=(const FencedTexture&) = delete;

  const uint32_t* texels() const { return texels_; }
  int w() const { return w_; }
  // A 24.8 coordinate whose footprint lies inside, on one of the first or
  // last two texels of the axis (size texels) half the time.
  static int32_t Edgy(std::mt19937& rng, int size) {
    static const int kFractions[] = {0, 1, 128, 254, 255};
    int whole = static_cast<int>(rng() % (size - 1));
    if (rng() % 2) {
      const int edges[] = {0, std::min(1, size - 2), std::max(0, size - 3), size - 2};
      whole = edges[rng() % 4];
    }
    return whole << 8 | (rng() % 3 ? kFractions[rng() % 5] : static_cast<int>(rng() % 256));
  }
  int32_t S(std::mt19937& rng) const { return Edgy(rng, w_); }
  int32_t T(std::mt19937& rng) const { return Edgy(rng, h_); }

 private:
  int w_, h_;
  char* base_ = nullptr;
  size_t size_ = 0;
  uint32_t* texels_ = nullptr;
};

// Shapes of 1024 texels and more: one or two columns, two rows, squares.
const int kFencedShapes[][2] = {{32, 32}, {2, 512}, {3, 1024}, {512, 2}, {1024, 3}, {64, 48}, {100, 256}};

void CheckFencedLoops(const char* loops) {
  std::mt19937 rng(1234);
  InteriorKernel interior = compat::d3d9::PickInterior(true), row = compat::d3d9::PickRowInterior(true);
  compat::d3d9::TrilinearKernel together = compat::d3d9::PickTrilinearInterior();
  for (const auto& shape : kFencedShapes) {
    FencedTexture lower(shape[0], shape[1], rng), upper(shape[1], shape[0], rng);
    ASSERT_TRUE(lower.texels() && upper.texels());
    for (int round = 0; round < 120; ++round) {
      const int n = round < 100 ? 1 + round % 50 : 256 + round;
      std::vector<int32_t> s0(n), t0(n), s1(n), t1(n);
      for (int i = 0; i < n; ++i) {
        s0[i] = lower.S(rng), t0[i] = lower.T(rng), s1[i] = upper.S(rng), t1[i] = upper.T(rng);
      }
      std::vector<uint32_t> out(n), expected(n);
      interior(lower.texels(), lower.w(), s0.data(), t0.data(), n, out.data());
      for (int i = 0; i < n; ++i) expected[i] = BilinearTexel(lower.texels(), lower.w(), s0[i], t0[i]);
      ASSERT_EQ(out, expected) << loops << " loops, " << shape[0] << " x " << shape[1] << ", run of " << n;
      // Along one row (sorted, as a run's columns are): the first, last or any row pair.
      std::vector<int32_t> rowS = s0, rowT(n, t0[0]);
      std::sort(rowS.begin(), rowS.end());
      row(lower.texels(), lower.w(), rowS.data(), rowT.data(), n, out.data());
      for (int i = 0; i < n; ++i) expected[i] = BilinearTexel(lower.texels(), lower.w(), rowS[i], rowT[i]);
      ASSERT_EQ(out, expected) << loops << " loops, row run on " << shape[0] << " x " << shape[1] << ", t "
                               << rowT[0];
      if (!together) continue;
      const int weight = 1 + static_cast<int>(rng() % 255);
      together(compat::d3d9::LevelRun{lower.texels(), lower.w(), s0.data(), t0.data()},
               compat::d3d9::LevelRun{upper.texels(), upper.w(), s1.data(), t1.data()}, weight, n, out.data());
      for (int i = 0; i < n; ++i) {
        expected[i] = BilinearTexel(lower.texels(), lower.w(), s0[i], t0[i]);
        compat::d3d9::LerpTexels(std::vector<uint32_t>{BilinearTexel(upper.texels(), upper.w(), s1[i], t1[i])}.data(),
                                 weight, 1, &expected[i]);
      }
      ASSERT_EQ(out, expected) << loops << " loops, two levels " << shape[0] << " x " << shape[1] << ", run of " << n;
    }
  }
}

TEST(FilterKernels, LoopsReadNothingBeforeOrAfterTheTexture) {
  // Footprints on the first and last rows and columns, in runs of every
  // length: the wide loops' loads (texel pairs, column blocks, the last
  // group's repeated lanes) must stay on the texture's own pages.
  CheckFencedLoops("wide");
  PlainLoops off;
  CheckFencedLoops("plain");
}

}  // namespace
