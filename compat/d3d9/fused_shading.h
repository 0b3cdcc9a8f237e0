// The common draws' last steps in one pass per row run: the stage's texels
// times a constant, blended straight into the target in registers, or mixed
// with a second stage's texels read in place (picture passes through a mask).
#pragma once

#include "compat/d3d9/pipeline.h"

namespace compat::d3d9 {

// Whether the draw's states allow the fused loop, and its blend and constant.
FusedPlan PlanFused(const DrawState& state);

// Shades a batch in the fused loop; false leaves it to the general path
// (Gouraud colour as the constant), which gives the same pixels.
bool ShadeFused(const DrawState& state, const PrimitiveSetup& prim, const Segment* segments, int count,
                int pixels);

}  // namespace compat::d3d9
