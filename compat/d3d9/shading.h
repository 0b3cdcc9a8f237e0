// Shades one row run of a primitive: samples its stages' textures, combines
// them with the diffuse colour and texture factor, and blends into the target.
#pragma once

#include "compat/d3d9/pipeline.h"

namespace compat::d3d9 {

// Most pixels shaded together: fewer for perspective draws, whose mip level
// is derived once per batch, and for primitives whose texel coordinates start
// exact at each run (where batches split runs, which must not depend on the
// batch size). Primitives whose coordinates come from planes over their
// bounding box take the largest batches: fewer steps per pixel.
int BatchLimit(const DrawState& state);
int BatchLimit(const DrawState& state, const PrimitiveSetup& prim);

// A batch of segments inside the clip rectangle, `pixels` <= BatchLimit in all.
void ShadeSegments(const DrawState& state, const PrimitiveSetup& prim, const Segment* segments, int count,
                   int pixels);

// Pixels x0 .. x1 - 1 of row y, inside the clip rectangle.
void ShadeSpan(const DrawState& state, const PrimitiveSetup& prim, int y, int x0, int x1);

}  // namespace compat::d3d9
