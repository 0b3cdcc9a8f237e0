// Processor features, asked once.
#include "compat/d3d9/cpu_features.h"

namespace compat::d3d9::features {

std::atomic<unsigned> state{0};

unsigned Probe() {
  unsigned found = kKnown;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();  // may run before the library's own constructors
  if (__builtin_cpu_supports("avx2")) found |= kAvx2;
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw"))
    found |= kAvx512;
#endif
  // Keeps kPlainOnly as it is.
  return state.fetch_or(found, std::memory_order_relaxed) | found;
}

}  // namespace compat::d3d9::features

namespace compat::d3d9 {

void AllowWideLoops(bool allow) {
  if (allow) features::state.fetch_and(~features::kPlainOnly, std::memory_order_relaxed);
  else features::state.fetch_or(features::kPlainOnly, std::memory_order_relaxed);
}

}  // namespace compat::d3d9
