// Texture sampling for a run of pixels: level choice, texel coordinates and
// the point, bilinear and trilinear filters with wrap or clamp addressing.
#pragma once

#include "compat/d3d9/pipeline.h"

namespace compat::d3d9 {

// Levels and filter for a footprint of 2^lod texels per pixel.
LevelChoice ChooseLevels(const SamplerSetup& sampler, double lod);

// log2 of the larger screen derivative of (s, t), in level-0 texels.
double FootprintLod(double dsdx, double dtdx, double dsdy, double dtdy);

// Fixed-point planes of the levels an affine primitive's stage reads (after `lod` is set).
void SetupAffineLevels(const SamplerSetup& sampler, int stage, PrimitiveSetup& prim);

// The pixels of a batch: its segments.
struct BatchPixels {
  const Segment* segments;
  int count;
  int pixels;
};

// Where each segment's texels lie in the texture when the batch copies level
// texels one to one (what SampleSegments would return, without copying);
// false otherwise.
bool DirectTexels(const DrawState& state, const PrimitiveSetup& prim, int stage, const BatchPixels& batch,
                  const uint32_t** rows);

// Texels of stage `stage` for a batch of at most kBatch pixels.
void SampleSegments(const DrawState& state, const PrimitiveSetup& prim, int stage, const BatchPixels& batch,
                    uint32_t* out);

}  // namespace compat::d3d9
