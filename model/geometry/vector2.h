// CVector2: the plane point and vector of the whole model (feature points,
// key points, Bezier nodes, mesh vertices), two raw 32-bit floats.
#pragma once

class CArchive;

struct CVector2 {
  float x;
  float y;

  // Left unset on purpose: arrays of points are zero-filled by their owners.
  CVector2() = default;
  CVector2(float xValue, float yValue) : x(xValue), y(yValue) {}

  CVector2& operator+=(const CVector2& v);
  void operator-=(const CVector2& v);
  void operator*=(float f);
  CVector2 operator*(float f) const;
  // One reciprocal, then two products; dividing by 0 gives infinities or NaN.
  void operator/=(float f);

  float Length() const;
  // Leaves a vector whose squared length is at most 1e-16 unchanged.
  void Normalize();
};

CVector2 operator-(const CVector2& a, const CVector2& b);
float Dot(const CVector2& a, const CVector2& b);

// The archive form: x then y, each the raw 32-bit pattern of the float
// (8 bytes, no tag), so every value comes back bit for bit.
CArchive& operator>>(CArchive& ar, CVector2& v);
CArchive& operator<<(CArchive& ar, CVector2 v);
