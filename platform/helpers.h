// Small helpers shared by the image file code and the geometry: narrow paths
// for the C library and the strict point-in-triangle test.
#pragma once

#include "compat/afx.h"

// The ANSI code page is UTF-8 here: one UTF-16 unit becomes up to three
// bytes, so a buffer of twice the character count is not always enough.
// Size `dest` as kAnsiBytesPerWideChar * characters + 1.
inline constexpr int kAnsiBytesPerWideChar = 3;

// Converts `text` to the ANSI code page into `dest` (terminator included)
// and returns the length without the terminator; NULL text gives "".
int WideToAnsi(char* dest, LPCWSTR text);

// True when p lies strictly inside the triangle abc, for either winding; a
// point on an edge or a vertex is outside. Works on any point type with float
// members x and y.
inline constexpr float kPointInTriangleTolerance = 1e-6f;

namespace platform_detail {
// The cross product (a - p) x (b - p), rounded once to a float.
inline float CrossAround(float ax, float ay, float bx, float by, float px, float py) {
  double cross = (static_cast<double>(ax) - px) * (static_cast<double>(by) - py) -
                 (static_cast<double>(ay) - py) * (static_cast<double>(bx) - px);
  return static_cast<float>(cross);
}
}  // namespace platform_detail

template <class V>
BOOL PointInTriangle(const V& a, const V& b, const V& c, const V& p) {
  float d1 = platform_detail::CrossAround(a.x, a.y, b.x, b.y, p.x, p.y);
  float d2 = platform_detail::CrossAround(b.x, b.y, c.x, c.y, p.x, p.y);
  float d3 = platform_detail::CrossAround(c.x, c.y, a.x, a.y, p.x, p.y);
  const float t = kPointInTriangleTolerance;
  return (d1 > t && d2 > t && d3 > t) || (d1 < -t && d2 < -t && d3 < -t);
}
