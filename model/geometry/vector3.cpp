// CVector3 arithmetic.
#include "model/geometry/vector3.h"

#include <cmath>

namespace {
constexpr float kNormalizeMinSquared = 1e-16f;
}  // namespace

void CVector3::operator+=(const CVector3& v) {
  x += v.x;
  y += v.y;
  z += v.z;
}

void CVector3::operator-=(const CVector3& v) {
  x -= v.x;
  y -= v.y;
  z -= v.z;
}

void CVector3::operator*=(float f) {
  x *= f;
  y *= f;
  z *= f;
}

void CVector3::Normalize() {
  const float s = x * x + y * y + z * z;
  if (s <= kNormalizeMinSquared) return;
  const double r = 1.0 / std::sqrt(static_cast<double>(s));
  x = static_cast<float>(x * r);
  y = static_cast<float>(y * r);
  z = static_cast<float>(z * r);
}

void CopyXYZ(CVector3& dst, const CVector3& src) {
  dst.x = src.x;
  dst.y = src.y;
  dst.z = src.z;
}

