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
// Inline: the fold-over check classifies points against planes by the
// hundred thousand.
inline float Dot3(const CVector3& a, const CVector3& b) {
  return static_cast<float>(static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                            static_cast<double>(a.z) * b.z);
}

// Formed into temporaries first, so out may be a or b.
inline void Cross3(const CVector3& a, const CVector3& b, CVector3& out) {
  const float x = static_cast<float>(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y);
  const float y = static_cast<float>(static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z);
  const float z = static_cast<float>(static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x);
  out.x = x;
  out.y = y;
  out.z = z;
}
