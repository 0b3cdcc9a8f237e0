// Shades one row run of a primitive: samples its stages' textures, combines
// them with the diffuse colour and texture factor, and blends into the target.
#pragma once

#include "compat/d3d9/pipeline.h"

namespace compat::d3d9 {

// Most pixels shaded together: fewer for perspective draws, whose mip level
// is derived once per batch.
int BatchLimit(const DrawState& state);

// A batch of segments inside the clip rectangle, `pixels` <= BatchLimit in all.
void ShadeSegments(const DrawState& state, const PrimitiveSetup& prim, const Segment* segments, int count,
                   int pixels);

// Pixels x0 .. x1 - 1 of row y, inside the clip rectangle.
void ShadeSpan(const DrawState& state, const PrimitiveSetup& prim, int y, int x0, int x1);

}  // namespace compat::d3d9
