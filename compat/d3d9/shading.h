// Shades one row run of a primitive: samples its stages' textures, combines
// them with the diffuse colour and texture factor, and blends into the target.
#pragma once

#include "compat/d3d9/pipeline.h"

namespace compat::d3d9 {

// Pixels x0 .. x1 - 1 of row y, already inside the state's clip rectangle.
void ShadeSpan(const DrawState& state, const PrimitiveSetup& prim, int y, int x0, int x1);

}  // namespace compat::d3d9
