// The triangle mesh's test of one edge against a sight line, written out in
// one piece so that the sweep's hundreds of thousands of calls pay for no
// calls, no repeated differences and no end-point table.
#pragma once

#include <algorithm>
#include <cmath>

#include "model/geometry.h"
#include "model/vector2.h"

// A sight line A-B made ready to be tested against many edges: its ends
// widened to double, its differences and its box, each the very value the
// test would otherwise work out again for every edge.
struct CSightSegment {
  CSightSegment(const CVector2& from, const CVector2& to)
      : a(from), b(to), ax(from.x), ay(from.y), bx(to.x), by(to.y), abx(bx - ax), aby(by - ay),
        minX(std::min(from.x, to.x)), maxX(std::max(from.x, to.x)), minY(std::min(from.y, to.y)),
        maxY(std::max(from.y, to.y)) {}

  // True when edge CD hides B from A: the two cross with both parameters
  // inside (1e-5, 0.999999), or AB lies along CD and overlaps it. The same
  // answer, bit for bit, as
  //   (SegmentIntersectParams(a, b, c, d, &s, &t) && s, t in (1e-5f, 0.999999f))
  //   || SegmentRelation(a, b, c, d) >= 0:
  // every value it compares is computed by the same double operations in the
  // same order as there (no fused multiply-add on this target), so no margin
  // is needed; the only shortcut is the one SegmentRelation takes itself, an
  // end of AB farther than 0.001 from CD's line.
  bool BlockedBy(const CVector2& c, const CVector2& d) const;
  // The same answer for an edge that shares an end with AB: such an edge
  // never crosses it, and hides B only by lying along AB.
  bool LiesAlong(const CVector2& c, const CVector2& d) const;

  CVector2 a, b;
  double ax, ay, bx, by, abx, aby;
  float minX, maxX, minY, maxY;
};

inline bool CSightSegment::BlockedBy(const CVector2& c, const CVector2& d) const {
  constexpr float kLow = 1e-5f, kHigh = 0.999999f;
  const double cx = c.x, cy = c.y;
  const double cdx = static_cast<double>(d.x) - cx, cdy = static_cast<double>(d.y) - cy;
  // The box test takes fmax/fmin, where a NaN yields the other value;
  // std::max/min (one instruction each) may differ only when some
  // coordinate is NaN, and then den, which uses all eight, is NaN and
  // fails its test whatever the boxes say.
  const double den = cdx * aby - cdy * abx;
  if (std::fabs(den) > kGeometryCrossTolerance && maxX >= std::min(c.x, d.x) && std::max(c.x, d.x) >= minX &&
      maxY >= std::min(c.y, d.y) && std::max(c.y, d.y) >= minY) {
    const double acx = cx - ax, acy = cy - ay;
    const float s = static_cast<float>((acy * cdx - acx * cdy) / den);
    const float t = static_cast<float>((acx * aby - acy * abx) / -den);
    // A shared end answers with parameters 0 or 1, never inside: the
    // crossing is not taken then. Asked only of a crossing, as most edges
    // tested do not cross and the comparisons are many.
    if (s > kLow && s < kHigh && t > kLow && t < kHigh &&
        !((a.x == c.x && a.y == c.y) || (a.x == d.x && a.y == d.y) || (b.x == c.x && b.y == c.y) ||
          (b.x == d.x && b.y == d.y)))
      return true;
  }
  return LiesAlong(c, d);
}

inline bool CSightSegment::LiesAlong(const CVector2& c, const CVector2& d) const {
  // SegmentRelation's distances of A and B from CD's line; C = D (length
  // 0) and NaN (no comparison holds) are left to it.
  const double cx = c.x, cy = c.y;
  const double cdx = static_cast<double>(d.x) - cx, cdy = static_cast<double>(d.y) - cy;
  const double length = std::sqrt(cdx * cdx + cdy * cdy);
  if (length != 0.0) {
    if (std::fabs((ay - cy) * cdx - (ax - cx) * cdy) / length > kGeometryOnLineDistance) return false;
    if (std::fabs((by - cy) * cdx - (bx - cx) * cdy) / length > kGeometryOnLineDistance) return false;
  }
  return SegmentRelation(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y) >= 0;
}

// The same test for a sight line used once.
inline bool SightLineBlockedBy(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
  return CSightSegment(a, b).BlockedBy(c, d);
}
