// CVector2 arithmetic.
#include "model/geometry/vector2.h"

#include <cmath>
#include <cstring>

#include "compat/afx/archive.h"

namespace {

// Squared lengths at or below this are treated as zero by Normalize.
constexpr float kNormalizeMinSquared = 1e-16f;

DWORD BitsOf(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float FloatOfBits(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

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

CArchive& operator>>(CArchive& ar, CVector2& v) {
  DWORD x, y;
  ar >> x >> y;
  v.x = FloatOfBits(x);
  v.y = FloatOfBits(y);
  return ar;
}

CArchive& operator<<(CArchive& ar, CVector2 v) { return ar << BitsOf(v.x) << BitsOf(v.y); }
