// The triangle mesh's test of one edge against a sight line, written out in
// one piece so that the sweep's hundreds of thousands of calls pay for no
// calls, no repeated differences and no end-point table.
#pragma once

#include <algorithm>
#include <cmath>

#include "model/geometry.h"
#include "model/vector2.h"

// True when edge CD hides B from A: the two cross with both parameters
// inside (1e-5, 0.999999), or AB lies along CD and overlaps it. The same
// answer, bit for bit, as
//   (SegmentIntersectParams(a, b, c, d, &s, &t) && s, t in (1e-5f, 0.999999f))
//   || SegmentRelation(a, b, c, d) >= 0:
// every value it compares is computed by the same double operations in the
// same order as there (no fused multiply-add on this target), so no margin
// is needed; the only shortcut is the one SegmentRelation takes itself, an
// end of AB farther than 0.001 from CD's line.
inline bool SightLineBlockedBy(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
  constexpr float kLow = 1e-5f, kHigh = 0.999999f;
  const double abx = static_cast<double>(b.x) - a.x, aby = static_cast<double>(b.y) - a.y;
  const double cdx = static_cast<double>(d.x) - c.x, cdy = static_cast<double>(d.y) - c.y;
  // A shared end answers with parameters 0 or 1, never inside.
  const bool shared = (a.x == c.x && a.y == c.y) || (a.x == d.x && a.y == d.y) || (b.x == c.x && b.y == c.y) ||
                      (b.x == d.x && b.y == d.y);
  if (!shared) {
    // The box test takes fmax/fmin, where a NaN yields the other value;
    // std::max/min (one instruction each) may differ only when some
    // coordinate is NaN, and then den, which uses all eight, is NaN and
    // fails its test whatever the boxes say.
    const double den = cdx * aby - cdy * abx;
    if (std::fabs(den) > kGeometryCrossTolerance && std::max(a.x, b.x) >= std::min(c.x, d.x) &&
        std::max(c.x, d.x) >= std::min(a.x, b.x) && std::max(a.y, b.y) >= std::min(c.y, d.y) &&
        std::max(c.y, d.y) >= std::min(a.y, b.y)) {
      const double acx = static_cast<double>(c.x) - a.x, acy = static_cast<double>(c.y) - a.y;
      const float s = static_cast<float>((acy * cdx - acx * cdy) / den);
      const float t = static_cast<float>((acx * aby - acy * abx) / -den);
      if (s > kLow && s < kHigh && t > kLow && t < kHigh) return true;
    }
  }
  // SegmentRelation's distances of A and B from CD's line; C = D (length
  // 0) and NaN (no comparison holds) are left to it.
  const double length = std::sqrt(cdx * cdx + cdy * cdy);
  if (length != 0.0) {
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y, cx = c.x, cy = c.y;
    if (std::fabs((ay - cy) * cdx - (ax - cx) * cdy) / length > kGeometryOnLineDistance) return false;
    if (std::fabs((by - cy) * cdx - (bx - cx) * cdy) / length > kGeometryOnLineDistance) return false;
  }
  return SegmentRelation(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y) >= 0;
}
