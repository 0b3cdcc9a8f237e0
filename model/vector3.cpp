// CVector3 arithmetic.
#include "model/vector3.h"

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

float Dot3(const CVector3& a, const CVector3& b) {
  return static_cast<float>(static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                            static_cast<double>(a.z) * b.z);
}

// Formed into temporaries first, so out may be a or b.
void Cross3(const CVector3& a, const CVector3& b, CVector3& out) {
  const float x = static_cast<float>(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y);
  const float y = static_cast<float>(static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z);
  const float z = static_cast<float>(static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x);
  out.x = x;
  out.y = y;
  out.z = z;
}
