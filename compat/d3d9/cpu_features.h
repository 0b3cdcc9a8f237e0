// Which instruction sets the running processor offers, for loops compiled
// in more than one form.
#pragma once

namespace compat::d3d9 {

bool HasAvx2();
// AVX-512 F, VL and BW: masked loads and stores of 32-bit lanes on 256-bit vectors.
bool HasAvx512();

}  // namespace compat::d3d9
