// Whole-pixel positions of model points. Points may come from files and be
// anything: the integers saturate at +/- 2^30 (NaN gives 0) so that sums and
// differences of them never overflow 32 bits.
#pragma once

#include "compat/win32/types.h"
#include "model/geometry/vector2.h"

// Rounded half away from zero.
POINT RoundedPoint(const CVector2& v);
LONG RoundedCoordinate(float v);
// Truncated toward zero.
LONG TruncatedCoordinate(float v);
