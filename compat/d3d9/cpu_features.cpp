// Processor features, asked once.
#include "compat/d3d9/cpu_features.h"

#include <atomic>

namespace compat::d3d9 {

namespace {
std::atomic<bool> g_wideAllowed{true};
}  // namespace

void AllowWideLoops(bool allow) { g_wideAllowed.store(allow, std::memory_order_relaxed); }

bool HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = [] {
    __builtin_cpu_init();  // may run before the library's own constructors
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has && g_wideAllowed.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

bool HasAvx512() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512bw");
  }();
  return has && g_wideAllowed.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

}  // namespace compat::d3d9
