// Per-pixel work of a span, in batches of up to kBatch pixels: each step
// (sampling, stage operation, blend) is a tight loop over the batch, chosen
// once per batch, so every state combination runs specialised loops.
#include "compat/d3d9/shading.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "compat/d3d9/fused_shading.h"
#include "compat/d3d9/pixel_ops.h"
#include "compat/d3d9/sampling.h"

namespace compat::d3d9 {

namespace {

// Perspective runs re-derive their mip level per this many pixels.
constexpr int kPerspectiveBatch = 16;

inline uint32_t ChannelAt(const Plane& p, double x, double y) {
  double v = p.At(x, y);
  if (!(v > 0.0)) return 0;
  if (v >= 255.0) return 255;
  return static_cast<uint32_t>(v + 0.5);
}

void InterpolateDiffuse(const PrimitiveSetup& prim, int x, int y, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i) {
    uint32_t packed = 0;
    for (int c = 0; c < 4; ++c) packed |= ChannelAt(prim.colour[c], x + i, y) << (8 * c);
    out[i] = packed;
  }
}

// Scratch of one batch: the inputs of the stages and their results.
struct Batch {
  int n = 0;
  uint32_t diffuse[kBatch];
  uint32_t factor[kBatch];
  uint32_t texel[kStages][kBatch];
  uint32_t result[kStages][kBatch];
  uint32_t scratch[kBatch];
  bool flatDiffuse = false;
  uint32_t flatColour = 0;
  bool diffuseReady = false, factorReady = false;
};

// Constant diffuse and factor runs are written only when a stage reads them whole.
struct StageInputs {
  Batch& b;
  const DrawState& state;
  const uint32_t* current;
  const uint32_t* texture;
  const uint32_t* Of(Arg a) const {
    switch (a) {
      case Arg::Diffuse: return Diffuse(b);
      case Arg::Current: return current ? current : Diffuse(b);
      case Arg::Texture: return texture;
      case Arg::Factor:
        if (!b.factorReady) std::fill(b.factor, b.factor + b.n, state.factor);
        b.factorReady = true;
        return b.factor;
    }
    return current;
  }
  static const uint32_t* Diffuse(Batch& b) {
    if (!b.diffuseReady) std::fill(b.diffuse, b.diffuse + b.n, b.flatColour);
    b.diffuseReady = true;
    return b.diffuse;
  }
};

// The constant an argument holds over the whole batch, if it is one.
bool ConstantOf(Arg a, const StageInputs& in, const Batch& b, const DrawState& state, uint32_t* value) {
  if (a == Arg::Factor) {
    *value = state.factor;
    return true;
  }
  bool diffuse = a == Arg::Diffuse || (a == Arg::Current && !in.current);
  if (diffuse && b.flatDiffuse) {
    *value = b.flatColour;
    return true;
  }
  return false;
}

// Evaluates one channel group's operation; returns where its result lies.
const uint32_t* Evaluate(const ChannelOp& op, const StageInputs& in, const Batch& b, const DrawState& state,
                         uint32_t* out) {
  switch (op.op) {
    case Op::Select1: return in.Of(op.arg1);
    case Op::Select2: return in.Of(op.arg2);
    case Op::Modulate: break;
  }
  uint32_t constant;
  if (ConstantOf(op.arg2, in, b, state, &constant)) {
    ModulateConstantRun(in.Of(op.arg1), constant, out, b.n);
  } else if (ConstantOf(op.arg1, in, b, state, &constant)) {
    ModulateConstantRun(in.Of(op.arg2), constant, out, b.n);
  } else {
    ModulateRun(in.Of(op.arg1), in.Of(op.arg2), out, b.n);
  }
  return out;
}

const uint32_t* RunStages(const DrawState& state, Batch& b) {
  const uint32_t* current = nullptr;  // stage 0's current is the diffuse colour
  for (int s = 0; s < state.stageCount; ++s) {
    const StageProgram& stage = state.stages[s];
    StageInputs in{b, state, current, b.texel[s]};
    const uint32_t* colour = Evaluate(stage.colour, in, b, state, b.result[s]);
    if (stage.alpha == stage.colour) {
      current = colour;
      continue;
    }
    const uint32_t* alpha = Evaluate(stage.alpha, in, b, state, b.scratch);
    MergeAlphaRun(colour, alpha, b.result[s], b.n);
    current = b.result[s];
  }
  return current ? current : StageInputs::Diffuse(b);
}

uint32_t* RowAt(const DrawState& state, const Segment& g) {
  return state.target + static_cast<size_t>(g.y) * state.pitch + g.x;
}

// Segments are a handful of pixels: fixed-size moves instead of a library
// call, eight pixels a step; the last move of a run ends at its end, over
// pixels already copied (the batch and the target never overlap).
inline void CopyPixels(const uint32_t* from, int n, uint32_t* to) {
  if (n < 4) {
    if (n >= 2) {
      std::memcpy(to, from, 8);
      std::memcpy(to + n - 2, from + n - 2, 8);
    } else if (n == 1) {
      to[0] = from[0];
    }
    return;
  }
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    std::memcpy(to + i, from + i, 16);
    std::memcpy(to + i + 4, from + i + 4, 16);
  }
  if (i + 4 <= n) {
    std::memcpy(to + i, from + i, 16);
    i += 4;
  }
  if (i < n) std::memcpy(to + n - 4, from + n - 4, 16);
}

// Writes or blends the batch's colours into the target, segment by segment.
void Output(const DrawState& state, const Segment* segments, int count, int pixels, const uint32_t* colour) {
  bool readsTarget = state.separateAlpha ||
                     (state.blend && !(state.srcBlend == D3DBLEND_ONE && state.dstBlend == D3DBLEND_ZERO));
  if (!readsTarget) {
    for (int k = 0, at = 0; k < count; at += segments[k].n, ++k)
      CopyPixels(colour + at, segments[k].n, RowAt(state, segments[k]));
    return;
  }
  if (state.separateAlpha) {
    const BlendFactors factors{state.srcBlend, state.dstBlend, state.srcBlendAlpha, state.dstBlendAlpha};
    for (int k = 0, at = 0; k < count; at += segments[k].n, ++k)
      BlendRunSeparate(factors, colour + at, RowAt(state, segments[k]), segments[k].n);
    return;
  }
  if (count == 1) {
    BlendRun(state.srcBlend, state.dstBlend, colour, RowAt(state, segments[0]), pixels);
    return;
  }
  ShortBlend blend = PickShortBlend(state.srcBlend, state.dstBlend);
  for (int k = 0, at = 0; k < count; at += segments[k].n, ++k)
    blend(state.srcBlend, state.dstBlend, colour + at, RowAt(state, segments[k]), segments[k].n);
}

}  // namespace

int BatchLimit(const DrawState& state) { return state.perspective ? kPerspectiveBatch : kRunBatch; }

int BatchLimit(const DrawState& state, const PrimitiveSetup& prim) {
  if (state.perspective) return kPerspectiveBatch;
  // Planes over the bounding box, or levels copied one to one (whose runs
  // step by exactly one texel), give the same texels however runs split.
  auto anyRun = [&](int stage, int slot) { return prim.small[stage][slot] || prim.unitStep[stage][slot]; };
  for (int s = 0; s < state.stageCount; ++s) {
    if (!state.stages[s].samples) continue;
    if (!anyRun(s, 0) || (prim.lod[s].blend > 0 && !anyRun(s, 1))) return kRunBatch;
  }
  return kBatch;
}

namespace {

// Kept out of line: its scratch makes a large frame that batches taking the
// fused loop need not set up.
[[gnu::noinline]] void ShadeGeneral(const DrawState& state, const PrimitiveSetup& prim, const Segment* segments,
                                    int count, int pixels) {
  Batch b;
  b.n = pixels;
  b.flatDiffuse = !prim.gouraud;
  b.flatColour = prim.flatColour;
  if (!b.flatDiffuse) {
    for (int k = 0, at = 0; k < count; at += segments[k].n, ++k)
      InterpolateDiffuse(prim, segments[k].x, segments[k].y, segments[k].n, b.diffuse + at);
    b.diffuseReady = true;
  }
  BatchPixels batch{segments, count, pixels};
  for (int s = 0; s < state.stageCount; ++s)
    if (state.stages[s].samples) SampleSegments(state, prim, s, batch, b.texel[s]);
  const uint32_t* colour = RunStages(state, b);
  Output(state, segments, count, pixels, colour);
}

}  // namespace

void ShadeSegments(const DrawState& state, const PrimitiveSetup& prim, const Segment* segments, int count,
                   int pixels) {
  if (state.fused.blend != FusedBlend::Off && ShadeFused(state, prim, segments, count, pixels)) return;
  ShadeGeneral(state, prim, segments, count, pixels);
}

void ShadeSpan(const DrawState& state, const PrimitiveSetup& prim, int y, int x0, int x1) {
  int limit = BatchLimit(state);
  for (int x = x0; x < x1; x += limit) {
    Segment g{y, x, std::min(limit, x1 - x)};
    ShadeSegments(state, prim, &g, 1, g.n);
  }
}

}  // namespace compat::d3d9
