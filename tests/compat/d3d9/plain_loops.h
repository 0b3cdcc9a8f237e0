// Runs the plain (non-vector) filter and coordinate loops for one scope, on
// any processor, so that tests can compare them with the wide ones.
#pragma once

#include "compat/d3d9/cpu_features.h"

class PlainLoops {
 public:
  PlainLoops() { compat::d3d9::AllowWideLoops(false); }
  ~PlainLoops() { compat::d3d9::AllowWideLoops(true); }
  PlainLoops(const PlainLoops&) = delete;
  PlainLoops& operator=(const PlainLoops&) = delete;
};
