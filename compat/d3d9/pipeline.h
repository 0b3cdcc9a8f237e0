// The pixel pipeline of one draw call, resolved from the device's states, and
// the per-primitive records the rasteriser walks: edges in 24.8 fixed point
// and attribute planes evaluated at pixel centres (integer coordinates).
#pragma once

#include <cstdint>

#include "compat/d3d9/objects.h"

namespace compat::d3d9 {

constexpr int kStages = 2;
constexpr int kTexCoordSets = 2;
constexpr int kBatch = 256;      // most pixels shaded together
constexpr int kRunBatch = 64;    // most for primitives whose texel coordinates restart with each run
// Vertex positions snap to 2^-22 pixel: every float position of magnitude
// 2 or more lies on that grid already, so the snap moves no vertex of a mesh
// away from its neighbours' view of it, and no thin triangle turns over.
constexpr int kSubpixelBits = 22;

enum class Arg : uint8_t { Diffuse, Current, Texture, Factor };
enum class Op : uint8_t { Select1, Select2, Modulate };

struct ChannelOp {
  Op op = Op::Select1;
  Arg arg1 = Arg::Current, arg2 = Arg::Current;
  bool operator==(const ChannelOp&) const = default;
};

struct StageProgram {
  ChannelOp colour, alpha;
  bool samples = false;  // one of its channels reads the stage's texture
  int texCoordSet = 0;
};

enum class MipMode : uint8_t { None, Point, Linear };

// What a stage's sampler reads: the texture's levels and its filter states.
struct SamplerSetup {
  const uint32_t* pixels[kMaxLevels] = {};
  int width[kMaxLevels] = {}, height[kMaxLevels] = {};
  int levels = 0;
  int baseLevel = 0;
  bool magLinear = false, minLinear = false;
  MipMode mip = MipMode::None;
  bool wrapU = true, wrapV = true;
  bool opaque = false;  // X8R8G8B8: alpha reads as 255
};

// How a draw's pixels may take the fused loop (fused_shading.h): stage 0
// filters its texture and multiplies by a constant, the later stages pass the
// colour on, and the blend is one of the common pairs. Off: the general path.
// Factors: separate alpha factors, each of the four ZERO, ONE, SRCALPHA or
// INVSRCALPHA, applied per channel as lane masks.
enum class FusedBlend : uint8_t { Off, Copy, Add, Over, OverPremultiplied, Factors };
enum class FusedConstant : uint8_t { None, Diffuse, Factor };
// A second stage that mixes stage 0's colour with its own texture (copies only):
// each channel group takes the current colour, the texture, or their product.
enum class FusedMix : uint8_t { Current, Texture, Product };
struct FusedPlan {
  FusedBlend blend = FusedBlend::Off;
  FusedConstant constant = FusedConstant::None;
  bool secondTexture = false;
  FusedMix colour = FusedMix::Current, alpha = FusedMix::Current;
  // Factors: each factor as (alpha & use) ^ flip per channel, as the four
  // 16-bit lanes of one pixel (b, g, r from the colour factors, a from the
  // alpha ones): source use and flip, then destination use and flip.
  uint64_t factorLanes[4] = {};
};

struct DrawState {
  int stageCount = 0;
  StageProgram stages[kStages];
  SamplerSetup samplers[kStages];
  uint32_t factor = 0xFFFFFFFF;
  bool blend = false;
  DWORD srcBlend = 2, dstBlend = 1;
  // Alpha blended with its own factors; only set when they differ from the colour's.
  bool separateAlpha = false;
  DWORD srcBlendAlpha = 2, dstBlendAlpha = 1;
  uint32_t* target = nullptr;
  int pitch = 0;
  RECT clip{};  // viewport inside the render target
  bool perspective = false;
  FusedPlan fused;
};

// value(x, y) = c + dx * x + dy * y, with x, y in pixels.
struct Plane {
  double c = 0, dx = 0, dy = 0;
  double At(double x, double y) const { return c + dx * x + dy * y; }
};

// Which levels a stage reads for one primitive, when its footprint is constant.
struct LevelChoice {
  int level0 = 0, level1 = 0;
  int blend = 0;  // weight of level1 out of 256
  bool linear = false;
};

// A texel-coordinate plane in 40.24 fixed point, exact over the whole target.
struct FixedPlane {
  int64_t c = 0, dx = 0, dy = 0;
};

// A 16.16 texel-coordinate plane relative to a small primitive's top-left
// pixel; valid (no overflow, no wrap) over the primitive's bounding box.
struct SmallPlane {
  int32_t c = 0, dx = 0, dy = 0;
};

// How the rasteriser walks a triangle's rows, found once at setup: the edge
// each side (left, right) starts on, the two-edge side's lower edge (-1 with
// none) and the first row it takes over, the batch size its texels allow, and
// whether its columns lie inside the clip.
struct RowWalk {
  int8_t start[2] = {}, lower = -1, lowerSide = 0;
  bool inside = false;
  int corner = 0, limit = kBatch;
};

struct PrimitiveSetup {
  // Edge i: E = dx * (Y - y0) - dy * (X - x0) over fixed-point X, Y.
  int64_t x0[3], y0[3], dx[3], dy[3];
  int edgeCount = 3;  // 0 for a line pixel run (its span is given directly)
  int yFirst = 0, yLast = -1;
  int xFirst = 0, xLast = -1;  // bounding box columns inside the clip rectangle
  RowWalk walk;
  // Texel coordinates of each stage in level-0 units (s = u * W - 0.5), or for
  // perspective draws u * q * W, v * q * H with q the plane of 1 / w.
  Plane s[kStages], t[kStages];
  Plane q;
  Plane colour[4];  // b, g, r, a in 0..255
  uint32_t flatColour = 0;
  bool gouraud = false;
  LevelChoice lod[kStages];
  // Affine draws: the planes of the two levels `lod` chose, in those levels' texels.
  FixedPlane levelS[kStages][2], levelT[kStages][2];
  // The same for small primitives, cheaper to evaluate per pixel.
  bool small[kStages][2] = {};
  // The level maps pixels onto texel centres one to one (no filtering needed).
  bool unitStep[kStages][2] = {};
  SmallPlane smallS[kStages][2], smallT[kStages][2];
  // Bounds over the bounding box, made once for all its batches: every run
  // of the level is a plain 16.16 ramp (affine draws), and every footprint
  // lies inside the texture.
  bool rampBox[kStages][2] = {};
  bool boxInside[kStages][2] = {};
};

// A run of n pixels of row y from column x; a batch holds several.
struct Segment {
  int y, x, n;
};

// One vertex after transformation: screen position, 1 / w, and attributes that
// are linear in screen space (texture coordinates premultiplied by q).
struct ScreenVertex {
  float x, y, q;
  float tex[kTexCoordSets][2];
  float colour[4];  // b, g, r, a in 0..255
  uint32_t packedColour;
};

}  // namespace compat::d3d9
