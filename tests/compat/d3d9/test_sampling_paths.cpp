// The sampling loops of the wider instruction sets against the plain ones,
// bit for bit: whole batches of random primitives (tiny, slivers, wider than
// the short-run planes, partly or wholly outside the texture, wrapped or
// clamped, one to six levels down to 1 x 1, blended levels) sampled once with
// the wide loops and once with them turned off, and batches whose ends lie
// at a clamped texture's edge, where each decides whether its footprints
// lie inside; and the two-level loop against one level at a time and the
// blend.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <vector>

#include "compat/d3d9/cpu_features.h"
#include "compat/d3d9/pipeline.h"
#include "compat/d3d9/sampling.h"
#include "compat/d3d9/shading.h"
#include "compat/d3d9/texture_filters.h"
#include "plain_loops.h"

namespace {

using namespace compat::d3d9;

// A texture and its levels, each halving down to 1 x 1, random texels.
struct Levels {
  std::vector<std::vector<uint32_t>> texels;
  SamplerSetup sampler;
};

Levels MakeLevels(std::mt19937& rng, int w, int h, int levels) {
  Levels l;
  l.sampler.levels = levels;
  l.texels.resize(levels);
  for (int i = 0; i < levels; ++i) {
    int lw = std::max(1, w >> i), lh = std::max(1, h >> i);
    l.texels[i].resize(static_cast<size_t>(lw) * lh);
    for (uint32_t& v : l.texels[i]) v = static_cast<uint32_t>(rng());
    l.sampler.pixels[i] = l.texels[i].data();
    l.sampler.width[i] = lw;
    l.sampler.height[i] = lh;
  }
  return l;
}

double Uniform(std::mt19937& rng, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(rng);
}

// One random affine primitive's stage 0: a bounding box, the texel planes
// (level-0 texels, centres at integers) and the level choice.
struct Case {
  Levels levels;
  DrawState state;
  PrimitiveSetup prim;
};

Case MakeCase(std::mt19937& rng) {
  Case c;
  static const int kSides[] = {1, 2, 3, 5, 16, 64, 100, 256, 1024};
  int w = kSides[rng() % 9], h = kSides[rng() % 9];
  int levels = 1 + static_cast<int>(rng() % 6);
  c.levels = MakeLevels(rng, w, h, levels);
  SamplerSetup& sampler = c.levels.sampler;
  sampler.baseLevel = static_cast<int>(rng() % 2) * (levels > 1 ? 1 : 0);
  sampler.magLinear = rng() % 4 != 0;
  sampler.minLinear = rng() % 4 != 0;
  sampler.mip = static_cast<MipMode>(rng() % 3);
  sampler.wrapU = rng() % 2;
  sampler.wrapV = rng() % 2;
  sampler.opaque = rng() % 5 == 0;
  c.state.stageCount = 1;
  c.state.stages[0].samples = true;
  c.state.samplers[0] = sampler;

  PrimitiveSetup& p = c.prim;
  // Boxes from one pixel to wider than the short-run planes take (256).
  static const int kBoxes[] = {1, 2, 7, 30, 120, 255, 300, 700};
  int bw = kBoxes[rng() % 8], bh = kBoxes[rng() % 8];
  if (rng() % 3 == 0) bh = 1 + static_cast<int>(rng() % 3);  // a sliver
  p.xFirst = static_cast<int>(rng() % 200) - 20;
  p.yFirst = static_cast<int>(rng() % 200) - 20;
  p.xLast = p.xFirst + bw - 1;
  p.yLast = p.yFirst + bh - 1;
  // Scales around one texel per pixel (both mip slots in use), far from it,
  // or exactly one (the copies); mirrored at times; offsets that put the
  // box inside, across the edges or wholly outside the texture.
  double scale = std::exp2(Uniform(rng, -3.0, 3.0));
  if (rng() % 3 == 0) scale = std::exp2(Uniform(rng, -0.3, 0.6));
  double angle = rng() % 3 == 0 ? 0.0 : Uniform(rng, -3.2, 3.2);
  p.s[0].dx = scale * std::cos(angle);
  p.s[0].dy = -scale * std::sin(angle) * Uniform(rng, 0.5, 1.5);
  p.t[0].dx = scale * std::sin(angle) * Uniform(rng, 0.5, 1.5);
  p.t[0].dy = scale * std::cos(angle);
  if (rng() % 6 == 0) {
    p.s[0] = Plane{0, 1, 0};
    p.t[0] = Plane{0, 0, 1};
  }
  if (rng() % 5 == 0) p.s[0].dx = -p.s[0].dx;
  double s0 = Uniform(rng, -0.3, 1.3) * w, t0 = Uniform(rng, -0.3, 1.3) * h;
  if (rng() % 4 == 0) {
    s0 = std::floor(s0);
    t0 = std::floor(t0);
  }
  if (rng() % 10 == 0) s0 += w * 3.0;
  p.s[0].c = s0 - p.s[0].dx * p.xFirst - p.s[0].dy * p.yFirst;
  p.t[0].c = t0 - p.t[0].dx * p.xFirst - p.t[0].dy * p.yFirst;
  p.lod[0] = ChooseLevels(sampler, FootprintLod(p.s[0].dx, p.t[0].dx, p.s[0].dy, p.t[0].dy));
  SetupAffineLevels(sampler, 0, p);
  return c;
}

// Segments over the box's rows, cut into batches as the rasteriser does:
// at most `limit` pixels each, a row split where a batch fills.
std::vector<std::vector<Segment>> MakeBatches(std::mt19937& rng, const PrimitiveSetup& p, int limit) {
  std::vector<std::vector<Segment>> batches(1);
  int pixels = 0;
  int width = p.xLast - p.xFirst + 1;
  for (int y = p.yFirst; y <= p.yLast; ++y) {
    int a = p.xFirst + static_cast<int>(rng() % width), b = p.xFirst + static_cast<int>(rng() % width);
    if (a > b) std::swap(a, b);
    for (int x = a; x <= b;) {
      int n = std::min(b + 1 - x, limit - pixels);
      batches.back().push_back(Segment{y, x, n});
      pixels += n;
      x += n;
      if (pixels == limit) {
        batches.emplace_back();
        pixels = 0;
      }
    }
  }
  if (batches.back().empty()) batches.pop_back();
  return batches;
}

std::vector<uint32_t> Sample(const Case& c, const std::vector<Segment>& segments) {
  int pixels = 0;
  for (const Segment& g : segments) pixels += g.n;
  BatchPixels batch{segments.data(), static_cast<int>(segments.size()), pixels};
  std::vector<uint32_t> out(kBatch, 0xDEADBEEFu);
  SampleSegments(c.state, c.prim, 0, batch, out.data());
  out.resize(pixels);
  return out;
}

TEST(SamplingPaths, WideLoopsMatchThePlainOnesOnRandomPrimitives) {
  if (!HasAvx2()) GTEST_SKIP() << "no AVX2 here: only the plain loops run";
  std::mt19937 rng(2525);
  int compared = 0;
  for (int round = 0; round < 1500; ++round) {
    Case c = MakeCase(rng);
    int limit = BatchLimit(c.state, c.prim);
    for (const std::vector<Segment>& segments : MakeBatches(rng, c.prim, limit)) {
      std::vector<uint32_t> wide = Sample(c, segments), plain;
      {
        PlainLoops off;
        plain = Sample(c, segments);
      }
      ASSERT_EQ(wide, plain) << "round " << round << ": texture " << c.levels.sampler.width[0] << " x "
                             << c.levels.sampler.height[0] << ", box " << c.prim.xFirst << ".." << c.prim.xLast
                             << " x " << c.prim.yFirst << ".." << c.prim.yLast << ", level "
                             << c.prim.lod[0].level0 << " blend " << c.prim.lod[0].blend << ", small "
                             << c.prim.small[0][0] << ", row " << segments[0].y;
      ++compared;
    }
  }
  EXPECT_GT(compared, 3000);
}

TEST(SamplingPaths, BoundsMadeOnceAPrimitiveMatchEachBatchsOwnChecks) {
  // The primitive's box bounds decide, for all its batches, whether runs are
  // plain ramps and lie inside the texture: with them cleared every batch
  // checks its own coordinates, and the texels must not change (a bound
  // claiming too much would also read outside the texture).
  std::mt19937 rng(2526);
  int boxed = 0;
  for (int round = 0; round < 1500; ++round) {
    Case c = MakeCase(rng);
    Case unbounded = c;  // its sampler still reads c's texels
    for (int slot = 0; slot < 2; ++slot) {
      boxed += c.prim.boxInside[0][slot];
      unbounded.prim.rampBox[0][slot] = unbounded.prim.boxInside[0][slot] = false;
    }
    int limit = BatchLimit(c.state, c.prim);
    for (bool wide : {true, false}) {
      std::optional<PlainLoops> off;
      if (!wide) off.emplace();
      for (const std::vector<Segment>& segments : MakeBatches(rng, c.prim, limit))
        ASSERT_EQ(Sample(c, segments), Sample(unbounded, segments))
            << "round " << round << (wide ? ", wide loops" : ", plain loops") << ", box " << c.prim.xFirst << ".."
            << c.prim.xLast << " x " << c.prim.yFirst << ".." << c.prim.yLast << ", small " << c.prim.small[0][0];
    }
  }
  EXPECT_GT(boxed, 40);
}

// A primitive whose footprints reach a texture edge by a few texels at
// most, clamped, at scales that take one level or blend two: its batches
// decide from their segments' ends whether every footprint lies inside, and a
// last pixel one texel off that decision would read past the edge.
Case MakeEdgeCase(std::mt19937& rng) {
  Case c;
  static const int kSides[] = {16, 37, 64, 100};
  int w = kSides[rng() % 4], h = kSides[rng() % 4];
  c.levels = MakeLevels(rng, w, h, 3);
  SamplerSetup& sampler = c.levels.sampler;
  sampler.magLinear = sampler.minLinear = rng() % 5 != 0;
  sampler.mip = rng() % 4 == 0 ? MipMode::Point : MipMode::Linear;
  sampler.wrapU = sampler.wrapV = false;
  c.state.stageCount = 1;
  c.state.stages[0].samples = true;
  c.state.samplers[0] = sampler;

  PrimitiveSetup& p = c.prim;
  // Small boxes take the short-run planes; wider ones the exact planes' ramps.
  static const int kBoxes[] = {1, 3, 9, 24, 60, 300};
  int bw = kBoxes[rng() % 6], bh = kBoxes[rng() % 5];
  p.xFirst = static_cast<int>(rng() % 50);
  p.yFirst = static_cast<int>(rng() % 50);
  p.xLast = p.xFirst + bw - 1;
  p.yLast = p.yFirst + bh - 1;
  double scale = std::exp2(Uniform(rng, -0.4, 1.2));
  double angle = rng() % 2 == 0 ? 0.0 : Uniform(rng, -0.2, 0.2);
  double sign = rng() % 4 == 0 ? -1.0 : 1.0;
  p.s[0].dx = sign * scale * std::cos(angle);
  p.s[0].dy = -scale * std::sin(angle);
  p.t[0].dx = scale * std::sin(angle);
  p.t[0].dy = scale * std::cos(angle);
  // The box's far side (or near side) ends within a few texels of an edge,
  // on either side of it, often on a whole or half texel.
  auto nearEdge = [&](double span, int size, double& start) {
    double edge = rng() % 2 == 0 ? 0.0 : size - 1.0;
    double jitter = rng() % 3 == 0 ? std::round(Uniform(rng, -6.0, 6.0)) * 0.5 : Uniform(rng, -3.0, 3.0);
    start = edge == 0.0 ? edge + jitter : edge + jitter - span;
  };
  double s0, t0;
  nearEdge(std::fabs(p.s[0].dx) * (bw - 1), w, s0);
  nearEdge(std::fabs(p.t[0].dy) * (bh - 1), h, t0);
  if (sign < 0) s0 += std::fabs(p.s[0].dx) * (bw - 1);
  p.s[0].c = s0 - p.s[0].dx * p.xFirst - p.s[0].dy * p.yFirst;
  p.t[0].c = t0 - p.t[0].dx * p.xFirst - p.t[0].dy * p.yFirst;
  p.lod[0] = ChooseLevels(sampler, FootprintLod(p.s[0].dx, p.t[0].dx, p.s[0].dy, p.t[0].dy));
  SetupAffineLevels(sampler, 0, p);
  return c;
}

TEST(SamplingPaths, BatchesAtTextureEdgesMatchThePlainLoopsAndTheUnboundedChecks) {
  // Wide against plain, and bounded against unbounded (each batch checking
  // its own coordinates), for batches that end exactly at, just inside or
  // just outside the footprints that still lie inside; both short-run and
  // exact planes, one level and two.
  std::mt19937 rng(2527);
  int endsDecided[2] = {}, twoLevels[2] = {};
  for (int round = 0; round < 3000; ++round) {
    Case c = MakeEdgeCase(rng);
    Case unbounded = c;
    for (int slot = 0; slot < 2; ++slot) unbounded.prim.rampBox[0][slot] = unbounded.prim.boxInside[0][slot] = false;
    if (!c.prim.boxInside[0][0]) ++endsDecided[c.prim.small[0][0] ? 0 : 1];
    // Two levels taken in one pass: short-run planes, or ramps of the exact ones.
    if (c.prim.lod[0].blend > 0 && c.prim.lod[0].linear) {
      const bool ends = !c.prim.boxInside[0][0] || !c.prim.boxInside[0][1];
      if (ends && c.prim.small[0][0] && c.prim.small[0][1]) ++twoLevels[0];
      if (ends && !c.prim.small[0][0] && !c.prim.small[0][1] && c.prim.rampBox[0][0] && c.prim.rampBox[0][1])
        ++twoLevels[1];
    }
    int limit = BatchLimit(c.state, c.prim);
    for (const std::vector<Segment>& segments : MakeBatches(rng, c.prim, limit)) {
      std::vector<uint32_t> wide = Sample(c, segments);
      ASSERT_EQ(wide, Sample(unbounded, segments)) << "round " << round << ", unbounded";
      PlainLoops off;
      ASSERT_EQ(wide, Sample(c, segments))
          << "round " << round << ": texture " << c.levels.sampler.width[0] << " x " << c.levels.sampler.height[0]
          << ", box " << c.prim.xFirst << ".." << c.prim.xLast << " x " << c.prim.yFirst << ".." << c.prim.yLast
          << ", level " << c.prim.lod[0].level0 << " blend " << c.prim.lod[0].blend << ", small "
          << c.prim.small[0][0] << ", inside " << c.prim.boxInside[0][0];
    }
  }
  EXPECT_GT(endsDecided[0], 1000);
  EXPECT_GT(endsDecided[1], 200);
  EXPECT_GT(twoLevels[0], 400);
  EXPECT_GT(twoLevels[1], 80);
}

TEST(SamplingPaths, SmallPrimitivesBatchesMatchTheirPixelsTakenOneByOne) {
  // A small primitive's texels do not depend on how its runs are cut, so a
  // batch must give what each of its pixels gives as a batch of its own
  // (which takes either the interior loop or addressing, alone). Batches
  // reaching past the edges take the inside pixels of all their runs in one
  // interior loop and the outside ones through addressing: runs wholly
  // outside, outside at either end, batches with no pixel inside, wrapped
  // and clamped, one level and two, wide loops and plain.
  std::mt19937 rng(2528);
  int partly = 0;
  for (int round = 0; round < 2500; ++round) {
    Case c = round % 2 ? MakeEdgeCase(rng) : MakeCase(rng);
    const bool twoLevels = c.prim.lod[0].blend > 0;
    if (!c.prim.small[0][0] || (twoLevels && !c.prim.small[0][1])) continue;
    partly += !c.prim.boxInside[0][0];
    for (bool wide : {true, false}) {
      std::optional<PlainLoops> off;
      if (!wide) off.emplace();
      for (const std::vector<Segment>& segments : MakeBatches(rng, c.prim, kBatch)) {
        std::vector<uint32_t> whole = Sample(c, segments);
        int at = 0;
        for (const Segment& g : segments)
          for (int i = 0; i < g.n; ++i, ++at)
            ASSERT_EQ(whole[at], Sample(c, {Segment{g.y, g.x + i, 1}})[0])
                << "round " << round << (wide ? ", wide loops" : ", plain loops") << ", pixel " << g.x + i << ", "
                << g.y << ", box " << c.prim.xFirst << ".." << c.prim.xLast << " x " << c.prim.yFirst << ".."
                << c.prim.yLast << ", texture " << c.levels.sampler.width[0] << " x "
                << c.levels.sampler.height[0];
      }
    }
  }
  EXPECT_GT(partly, 400);
}

TEST(SamplingPaths, AddressedLoopsMatchTheInteriorOnesInsideTheTexture) {
  // A batch sorts its pixels one by one into the interior loop and
  // addressing (a run need not be monotone), so on footprints wholly inside
  // every wrap and clamp loop must give the interior loop's bytes: footprints
  // on the last column and row, POINT ones half a texel before the first,
  // sides of powers of two and others, wide loops and plain.
  std::mt19937 rng(2529);
  static const int kSides[] = {1, 2, 3, 8, 37, 64, 100};
  for (int round = 0; round < 3000; ++round) {
    const bool linear = round % 2 == 0;
    const int w = kSides[rng() % 7], h = kSides[rng() % 7];
    const int bias = linear ? 0 : 128, margin = linear ? 2 : 1;
    if (w < margin || h < margin) continue;
    std::vector<uint32_t> tex(static_cast<size_t>(w) * h);
    for (uint32_t& v : tex) v = static_cast<uint32_t>(rng());
    // 24.8 coordinates whose footprints lie inside, often on the limits.
    auto coordinate = [&](int size) {
      const int32_t low = -bias, high = ((size - margin) << 8) + 255 - bias;
      switch (rng() % 4) {
        case 0: return low;
        case 1: return high;
        default: return low + static_cast<int32_t>(rng() % static_cast<uint32_t>(high - low + 1));
      }
    };
    const int n = 1 + static_cast<int>(rng() % 40);
    std::vector<int32_t> s(n + 16), t(n + 16);
    for (int i = 0; i < n; ++i) s[i] = coordinate(w), t[i] = coordinate(h);
    for (bool wide : {true, false}) {
      std::optional<PlainLoops> off;
      if (!wide) off.emplace();
      std::vector<uint32_t> interior(n + 8), addressed(n + 8);
      PickInterior(linear)(tex.data(), w, s.data(), t.data(), n, interior.data());
      for (int mode = 0; mode < 4; ++mode) {
        PickAddressed(linear, mode & 1, mode & 2, w, h)(tex.data(), w, h, s.data(), t.data(), n, addressed.data());
        for (int i = 0; i < n; ++i)
          ASSERT_EQ(addressed[i], interior[i]) << "round " << round << ", " << w << " x " << h << ", pixel " << i
                                               << " at " << s[i] << ", " << t[i] << (linear ? ", bilinear" : ", point")
                                               << ", wrap " << mode << (wide ? ", wide" : ", plain");
      }
    }
  }
}

TEST(SamplingPaths, TexelsReadInPlaceAreTheSampledOnes) {
  // Levels mapped one to one are read in place where every segment lies
  // inside the texture: the rows handed out must hold the texels sampling
  // gives, for boxes wholly inside, reaching an edge exactly, or past it
  // (each segment checked, or no rows at all).
  std::mt19937 rng(2530);
  int direct[2] = {};
  for (int round = 0; round < 3000; ++round) {
    Case c;
    const int w = 16 + static_cast<int>(rng() % 60), h = 16 + static_cast<int>(rng() % 60);
    c.levels = MakeLevels(rng, w, h, 1);
    SamplerSetup& sampler = c.levels.sampler;
    sampler.magLinear = sampler.minLinear = rng() % 3 != 0;
    sampler.wrapU = rng() % 2;
    sampler.wrapV = rng() % 2;
    c.state.stageCount = 1;
    c.state.stages[0].samples = true;
    c.state.samplers[0] = sampler;
    PrimitiveSetup& p = c.prim;
    p.xFirst = static_cast<int>(rng() % 40);
    p.yFirst = static_cast<int>(rng() % 40);
    p.xLast = p.xFirst + static_cast<int>(rng() % 30);
    p.yLast = p.yFirst + static_cast<int>(rng() % 30);
    // The box's texels from a column and row that put its far side at, near
    // or past the texture's last ones, or its near side before the first.
    const int sx = static_cast<int>(rng() % 3 == 0 ? w - 1 - (p.xLast - p.xFirst) + static_cast<int>(rng() % 5) - 2
                                                   : static_cast<int>(rng() % (w + 4)) - 3);
    const int ty = static_cast<int>(rng() % 3 == 0 ? h - 1 - (p.yLast - p.yFirst) + static_cast<int>(rng() % 5) - 2
                                                   : static_cast<int>(rng() % (h + 4)) - 3);
    p.s[0] = Plane{static_cast<double>(sx - p.xFirst), 1, 0};
    p.t[0] = Plane{static_cast<double>(ty - p.yFirst), 0, 1};
    p.lod[0] = ChooseLevels(sampler, 0.0);
    SetupAffineLevels(sampler, 0, p);
    ASSERT_TRUE(p.unitStep[0][0]) << "round " << round;
    for (const std::vector<Segment>& segments : MakeBatches(rng, p, kBatch)) {
      const uint32_t* rows[kBatch];
      int pixels = 0;
      for (const Segment& g : segments) pixels += g.n;
      if (!DirectTexels(c.state, p, 0, BatchPixels{segments.data(), static_cast<int>(segments.size()), pixels}, rows))
        continue;
      ++direct[p.boxInside[0][0]];
      std::vector<uint32_t> sampled = Sample(c, segments);
      int at = 0;
      for (size_t k = 0; k < segments.size(); ++k)
        for (int i = 0; i < segments[k].n; ++i, ++at)
          ASSERT_EQ(rows[k][i], sampled[at]) << "round " << round << ", segment " << k << ", pixel " << i;
    }
  }
  EXPECT_GT(direct[0], 100);
  EXPECT_GT(direct[1], 500);
}

TEST(SamplingPaths, TwoLevelRunsMatchEachLevelThenTheBlend) {
  // The two-level loop (where there is one) against the plain loops on each
  // level and the plain blend, for runs of every length up to 40 and a few
  // longer: short runs (masked), whole groups, a last group overlapping the
  // one before it. Footprints on the levels' last column and row, weights 1
  // and 255, and levels wide enough that a row is more than 2^16 bytes away
  // from the next, catch a loop reading the wrong texels.
  TrilinearKernel together = PickTrilinearInterior();
  if (!together) GTEST_SKIP() << "no two-level loop here";
  std::mt19937 rng(404);
  static const int kLong[] = {256, 257, 300, 513};
  for (int round = 0; round < 604; ++round) {
    int n = round < 600 ? 1 + round % 40 : kLong[round - 600];
    int weight = round % 7 == 0 ? (round % 2 ? 1 : 255) : 1 + static_cast<int>(rng() % 255);
    const bool wide = round % 5 == 0;
    int w[2], h[2];
    std::vector<uint32_t> tex[2];
    std::vector<int32_t> s[2], t[2];
    for (int l = 0; l < 2; ++l) {
      w[l] = wide ? 4000 + static_cast<int>(rng() % 200) : 2 + static_cast<int>(rng() % 50);
      h[l] = 2 + static_cast<int>(rng() % (wide ? 40 : 20));
      tex[l].resize(static_cast<size_t>(w[l]) * h[l]);
      for (uint32_t& v : tex[l]) v = static_cast<uint32_t>(rng());
      for (int i = 0; i < n; ++i) {
        s[l].push_back(static_cast<int32_t>(rng() % ((w[l] - 1) << 8)));
        t[l].push_back(static_cast<int32_t>(rng() % ((h[l] - 1) << 8)));
        if (rng() % 6 == 0) s[l].back() = (w[l] - 2) << 8 | (rng() % 2 ? 255 : 0);
        if (rng() % 6 == 0) t[l].back() = (h[l] - 2) << 8 | (rng() % 2 ? 255 : 0);
      }
    }
    std::vector<uint32_t> expected(n), upper(n), actual(n + 8, 0xDEADBEEFu);
    {
      PlainLoops off;
      InteriorKernel single = PickInterior(true);
      single(tex[0].data(), w[0], s[0].data(), t[0].data(), n, expected.data());
      single(tex[1].data(), w[1], s[1].data(), t[1].data(), n, upper.data());
      LerpTexels(upper.data(), weight, n, expected.data());
    }
    together(LevelRun{tex[0].data(), w[0], s[0].data(), t[0].data()},
             LevelRun{tex[1].data(), w[1], s[1].data(), t[1].data()}, weight, n, actual.data());
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(actual[i], expected[i]) << "pixel " << i << " of " << n << ", weight " << weight << ", levels "
                                        << w[0] << " x " << h[0] << " and " << w[1] << " x " << h[1];
    for (int i = n; i < n + 8; ++i) ASSERT_EQ(actual[i], 0xDEADBEEFu) << "written past the run of " << n;
  }
}

}  // namespace
