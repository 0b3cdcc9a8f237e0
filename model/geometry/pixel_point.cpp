// Saturating whole-pixel positions.
#include "model/geometry/pixel_point.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPixelLimit = 1 << 30;
}

LONG RoundedCoordinate(float v) {
  if (!(v == v)) return 0;
  const double r = v < 0.0f ? -std::floor(0.5 - v) : std::floor(v + 0.5);
  return static_cast<LONG>(std::clamp(r, -kPixelLimit, kPixelLimit));
}

LONG TruncatedCoordinate(float v) {
  if (!(v == v)) return 0;
  return static_cast<LONG>(std::clamp(static_cast<double>(v), -kPixelLimit, kPixelLimit));
}

POINT RoundedPoint(const CVector2& v) { return POINT{RoundedCoordinate(v.x), RoundedCoordinate(v.y)}; }
