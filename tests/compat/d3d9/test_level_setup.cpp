// A primitive's level setup against the rules one plane at a time: the
// short-run planes (16.16 over the bounding box, no wrapping, both
// coordinates or neither), the exact 40.24 planes and the one-to-one copy
// test, over random planes and planes placed on the rules' edges (corners
// at 0 and at the size of wrapped axes, at +-8192 texels of clamped ones,
// boxes of 256 and 257 pixels, steps within a few 2^-26 of one texel and of
// none, NaN and infinite planes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "compat/d3d9/pipeline.h"
#include "compat/d3d9/sampling.h"

namespace {

using namespace compat::d3d9;

// The rules, one plane at a time.
std::optional<SmallPlane> PlainSmall(const Plane& p, double scale, bool wrap, int size, const PrimitiveSetup& prim) {
  if (prim.xLast - prim.xFirst > 256 || prim.yLast - prim.yFirst > 256) return std::nullopt;
  std::vector<double> corners;
  for (int y : {prim.yFirst, prim.yLast})
    for (int x : {prim.xFirst, prim.xLast}) corners.push_back((p.c + p.dx * x + p.dy * y + 0.5) * scale - 0.5);
  for (double v : corners) {
    if (!std::isfinite(v)) return std::nullopt;
    if (wrap ? (v < 0 || v >= size) : std::fabs(v) >= 8192) return std::nullopt;
  }
  if (!(std::fabs(p.dx * scale) < 8192) || !(std::fabs(p.dy * scale) < 8192)) return std::nullopt;
  return SmallPlane{static_cast<int32_t>(std::lrint(corners[0] * 65536.0)),
                    static_cast<int32_t>(std::lrint(p.dx * scale * 65536.0)),
                    static_cast<int32_t>(std::lrint(p.dy * scale * 65536.0))};
}

int64_t PlainFixed(double v, double limit) {
  double f = v * 16777216.0, l = limit * 16777216.0;
  if (!(f > -l)) f = -l;
  if (f > l) f = l;
  return static_cast<int64_t>(std::nearbyint(f));
}

FixedPlane PlainFixedPlane(const Plane& p, double scale) {
  return FixedPlane{PlainFixed((p.c + 0.5) * scale - 0.5, 1 << 22), PlainFixed(p.dx * scale, 1 << 22),
                    PlainFixed(p.dy * scale, 1 << 22)};
}

struct Texture {
  std::vector<uint32_t> texels;
  SamplerSetup sampler;
};

// Levels halving from w x h (no texels are read here).
Texture MakeTexture(int w, int h, int levels, bool wrapU, bool wrapV) {
  Texture tex;
  tex.texels.resize(1);
  SamplerSetup& s = tex.sampler;
  s.levels = levels;
  for (int i = 0; i < levels; ++i) {
    s.pixels[i] = tex.texels.data();
    s.width[i] = std::max(1, w >> i);
    s.height[i] = std::max(1, h >> i);
  }
  s.magLinear = s.minLinear = true;
  s.mip = MipMode::Linear;
  s.wrapU = wrapU;
  s.wrapV = wrapV;
  return tex;
}

double Uniform(std::mt19937& rng, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(rng);
}

// A value on or next to an edge of the short-run rules.
double EdgeValue(std::mt19937& rng, int size) {
  static const double kTiny[] = {0.0, 1e-12, -1e-12, 0x1p-17, -0x1p-17, 0.5, -0.5};
  double edges[] = {0.0, static_cast<double>(size), 8192.0, -8192.0};
  double v = edges[rng() % 4] + kTiny[rng() % 7];
  return rng() % 3 == 0 ? std::nextafter(v, rng() % 2 ? 1e9 : -1e9) : v;
}

TEST(LevelSetup, MatchesThePlanesMadeOnePlaneAtATime) {
  std::mt19937 rng(3110);
  static const int kSides[] = {1, 3, 64, 100, 640, 1024, 4096};
  static const int kBoxes[] = {0, 1, 17, 255, 256, 257};
  int small = 0, copies = 0, edges = 0;
  for (int round = 0; round < 60000; ++round) {
    Texture tex = MakeTexture(kSides[rng() % 7], kSides[rng() % 7], 1 + static_cast<int>(rng() % 4), rng() % 2,
                              rng() % 2);
    const SamplerSetup& sampler = tex.sampler;
    PrimitiveSetup p;
    p.xFirst = static_cast<int>(rng() % 700) - 30;
    p.yFirst = static_cast<int>(rng() % 500) - 30;
    p.xLast = p.xFirst + kBoxes[rng() % 6];
    p.yLast = p.yFirst + kBoxes[rng() % 6];
    // Steps near one texel a pixel (copies and their near misses), near none,
    // around the scales of the levels, and near the largest short-run step.
    auto step = [&](bool along) {
      switch (rng() % 6) {
        case 0: return (along ? 1.0 : 0.0) + static_cast<int>(rng() % 9 - 4) * 0x1p-26;
        case 1: return along ? 1.0 : 0.0;
        case 2: return (rng() % 2 ? 8192.0 : -8192.0) * (1.0 + static_cast<int>(rng() % 5 - 2) * 0x1p-52);
        default: return Uniform(rng, -3.0, 3.0);
      }
    };
    p.s[0] = Plane{0, step(true), step(false)};
    p.t[0] = Plane{0, step(false), step(true)};
    if (rng() % 8 == 0) p.s[0] = Plane{0, 1, 0}, p.t[0] = Plane{0, 0, 1};
    // The box's top-left corner on a rule's edge (at level 0), or anywhere.
    const bool onEdge = rng() % 2 == 0;
    edges += onEdge;
    double s0 = onEdge ? EdgeValue(rng, sampler.width[0]) : Uniform(rng, -0.2, 1.2) * sampler.width[0];
    double t0 = onEdge ? EdgeValue(rng, sampler.height[0]) : Uniform(rng, -0.2, 1.2) * sampler.height[0];
    if (rng() % 3 == 0) s0 = std::round(s0), t0 = std::round(t0);
    p.s[0].c = s0 - p.s[0].dx * p.xFirst - p.s[0].dy * p.yFirst;
    p.t[0].c = t0 - p.t[0].dx * p.xFirst - p.t[0].dy * p.yFirst;
    if (rng() % 200 == 0) (rng() % 2 ? p.s[0].c : p.t[0].dy) = std::numeric_limits<double>::quiet_NaN();
    if (rng() % 200 == 0) (rng() % 2 ? p.t[0].c : p.s[0].dx) = std::numeric_limits<double>::infinity();
    // Both slots in use at times: a blend of two levels.
    p.lod[0].level0 = static_cast<int>(rng() % sampler.levels);
    p.lod[0].level1 = std::min(sampler.levels - 1, p.lod[0].level0 + 1);
    p.lod[0].blend = p.lod[0].level1 > p.lod[0].level0 && rng() % 2 ? 1 + static_cast<int>(rng() % 255) : 0;
    p.lod[0].linear = true;
    SetupAffineLevels(sampler, 0, p);

    const int levels[2] = {p.lod[0].level0, p.lod[0].level1};
    for (int slot = 0; slot < (p.lod[0].blend > 0 ? 2 : 1); ++slot) {
      const int level = levels[slot];
      const double kx = static_cast<double>(sampler.width[level]) / sampler.width[0];
      const double ky = static_cast<double>(sampler.height[level]) / sampler.height[0];
      std::optional<SmallPlane> ss = PlainSmall(p.s[0], kx, sampler.wrapU, sampler.width[level], p);
      std::optional<SmallPlane> st = PlainSmall(p.t[0], ky, sampler.wrapV, sampler.height[level], p);
      const FixedPlane fs = PlainFixedPlane(p.s[0], kx), ft = PlainFixedPlane(p.t[0], ky);
      constexpr int64_t kUnit = int64_t{1} << 24;
      const bool unit = fs.dx == kUnit && fs.dy == 0 && ft.dx == 0 && ft.dy == kUnit && (fs.c & (kUnit - 1)) == 0 &&
                        (ft.c & (kUnit - 1)) == 0;
      const std::string where = "round " + std::to_string(round) + ", slot " + std::to_string(slot);
      ASSERT_EQ(p.small[0][slot], ss && st) << where;
      ASSERT_EQ(p.unitStep[0][slot], unit) << where;
      if (ss && st) {
        ++small;
        const SmallPlane* got[2] = {&p.smallS[0][slot], &p.smallT[0][slot]};
        const SmallPlane* want[2] = {&*ss, &*st};
        for (int k = 0; k < 2; ++k) {
          ASSERT_EQ(got[k]->c, want[k]->c) << where << ", coordinate " << k;
          ASSERT_EQ(got[k]->dx, want[k]->dx) << where << ", coordinate " << k;
          ASSERT_EQ(got[k]->dy, want[k]->dy) << where << ", coordinate " << k;
        }
      }
      // The exact planes wherever something reads them.
      if (!(ss && st) || unit) {
        const FixedPlane* got[2] = {&p.levelS[0][slot], &p.levelT[0][slot]};
        const FixedPlane* want[2] = {&fs, &ft};
        for (int k = 0; k < 2; ++k) {
          ASSERT_EQ(got[k]->c, want[k]->c) << where << ", coordinate " << k;
          ASSERT_EQ(got[k]->dx, want[k]->dx) << where << ", coordinate " << k;
          ASSERT_EQ(got[k]->dy, want[k]->dy) << where << ", coordinate " << k;
        }
      }
      copies += unit;
    }
  }
  EXPECT_GT(small, 10000);
  EXPECT_GT(copies, 200);
  EXPECT_GT(edges, 20000);
}

}  // namespace
