// CVector2 arithmetic.
#include "model/vector2.h"

#include <cmath>

namespace {
// Squared lengths at or below this are treated as zero by Normalize.
constexpr float kNormalizeMinSquared = 1e-16f;
}  // namespace

CVector2& CVector2::operator+=(const CVector2& v) {
  x += v.x;
  y += v.y;
  return *this;
}

void CVector2::operator-=(const CVector2& v) {
  x -= v.x;
  y -= v.y;
}

void CVector2::operator*=(float f) {
  x *= f;
  y *= f;
}

CVector2 CVector2::operator*(float f) const { return CVector2(x * f, y * f); }

void CVector2::operator/=(float f) {
  const float r = 1.0f / f;
  x *= r;
  y *= r;
}

float CVector2::Length() const {
  return static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
}

void CVector2::Normalize() {
  const float s = x * x + y * y;
  if (s <= kNormalizeMinSquared) return;
  const double r = 1.0 / std::sqrt(static_cast<double>(s));
  x = static_cast<float>(x * r);
  y = static_cast<float>(y * r);
}

CVector2 operator-(const CVector2& a, const CVector2& b) { return CVector2(a.x - b.x, a.y - b.y); }

float Dot(const CVector2& a, const CVector2& b) {
  return static_cast<float>(static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y);
}
