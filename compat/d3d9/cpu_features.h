// Which instruction sets the running processor offers, for loops compiled
// in more than one form. Asked per batch of pixels, so the answer is one
// load once known.
#pragma once

#include <atomic>

namespace compat::d3d9 {

namespace features {
// Bit kKnown once the processor was asked; kAvx2 and kAvx512 what it offers;
// kPlainOnly while the wide loops are turned off.
constexpr unsigned kKnown = 1, kAvx2 = 2, kAvx512 = 4, kPlainOnly = 8;
extern std::atomic<unsigned> state;
unsigned Probe();

inline unsigned Current() {
  unsigned s = state.load(std::memory_order_relaxed);
  return s & kKnown ? s : Probe();
}
}  // namespace features

inline bool HasAvx2() {
  return (features::Current() & (features::kAvx2 | features::kPlainOnly)) == features::kAvx2;
}

// AVX-512 F, VL and BW: masked loads and stores of 32-bit lanes on 256-bit vectors.
inline bool HasAvx512() {
  return (features::Current() & (features::kAvx512 | features::kPlainOnly)) == features::kAvx512;
}

// Off: both answer false, so that tests can run the plain loops on any
// processor and compare them with the wider ones. On by default.
void AllowWideLoops(bool allow);

}  // namespace compat::d3d9
