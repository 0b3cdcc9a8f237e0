// Rectangles of a surface set to one colour: the device's clears, run at once
// or put off into the draw that follows them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "compat/d3d9.h"

namespace compat::d3d9 {

// Sets r (rows top .. bottom - 1, columns left .. right - 1) of pixels whose
// rows are `pitch` words apart, on the calling thread.
void FillArea(uint32_t* pixels, size_t pitch, const RECT& r, uint32_t colour);
// The same, spread across the worker pool when the rectangle is large.
void FillAreaAcrossWorkers(uint32_t* pixels, size_t pitch, const RECT& r, uint32_t colour);

}  // namespace compat::d3d9
