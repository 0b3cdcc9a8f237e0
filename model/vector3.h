// CVector3: a point or direction in space with a homogeneous w that the
// arithmetic leaves alone.
#pragma once

struct CVector3 {
  float x;
  float y;
  float z;
  float w;

  // Only w is set; x, y and z are left for the owner to fill.
  CVector3() : w(1.0f) {}
  CVector3(float xValue, float yValue, float zValue, float wValue) : x(xValue), y(yValue), z(zValue), w(wValue) {}

  void operator+=(const CVector3& v);
  void operator-=(const CVector3& v);
  void operator*=(float f);
  // Leaves a vector whose squared length is at most 1e-16 unchanged.
  void Normalize();
};

void CopyXYZ(CVector3& dst, const CVector3& src);
float Dot3(const CVector3& a, const CVector3& b);
void Cross3(const CVector3& a, const CVector3& b, CVector3& out);
