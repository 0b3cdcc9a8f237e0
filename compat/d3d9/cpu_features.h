// Which instruction sets the running processor offers, for loops compiled
// in more than one form.
#pragma once

namespace compat::d3d9 {

bool HasAvx2();
// AVX-512 F, VL and BW: masked loads and stores of 32-bit lanes on 256-bit vectors.
bool HasAvx512();

// Off: both answer false, so that tests can run the plain loops on any
// processor and compare them with the wider ones. On by default.
void AllowWideLoops(bool allow);

}  // namespace compat::d3d9
