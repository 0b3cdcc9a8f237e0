// The triangle mesh's test of one edge against a sight line, written out in
// one piece so that the sweep's hundreds of thousands of calls pay for no
// calls, no repeated differences and no end-point table.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "model/geometry/geometry.h"
#include "model/geometry/vector2.h"

// A sight line A-B made ready to be tested against many edges: its ends
// widened to double, its differences and its box, each the very value the
// test would otherwise work out again for every edge.
struct CSightSegment {
  CSightSegment(const CVector2& from, const CVector2& to)
      : a(from), b(to), ax(from.x), ay(from.y), bx(to.x), by(to.y), abx(bx - ax), aby(by - ay),
        minX(std::min(from.x, to.x)), maxX(std::max(from.x, to.x)), minY(std::min(from.y, to.y)),
        maxY(std::max(from.y, to.y)), aBits(Bits(from)), bBits(Bits(to)) {}

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
  // An end of CD at the very place of an end of AB: then BlockedBy's
  // crossing branch cannot answer true, and LiesAlong alone decides.
  bool SharesEnd(const CVector2& c, const CVector2& d) const {
    return (a.x == c.x && a.y == c.y) || (a.x == d.x && a.y == d.y) || (b.x == c.x && b.y == c.y) ||
           (b.x == d.x && b.y == d.y);
  }
  // BlockedBy's answer (0 or 1) for an edge with an end that has the bits of
  // A or B, or -1 for any other: such an end is that very place (or a NaN,
  // which fails the crossing branch's first test just as well), so LiesAlong
  // decides, and its far test is made on the other end of AB first, as one
  // end past the distance settles it whatever the other's. +0 and -0 are
  // not told equal here; the caller asks the whole test.
  int SharedEndAnswer(const CVector2& c, const CVector2& d) const;

  static uint64_t Bits(const CVector2& v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
  }

  CVector2 a, b;
  double ax, ay, bx, by, abx, aby;
  float minX, maxX, minY, maxY;
  uint64_t aBits, bBits;

private:
  // LiesAlong given CD's differences and the distance value of A (either
  // sign: only its size is used).
  bool LiesAlong(const CVector2& c, const CVector2& d, double cdx, double cdy, double crossA) const;
  // LiesAlong's far test of the end (x, y) of AB alone.
  static bool Far(double x, double y, const CVector2& c, const CVector2& d);
  // An end certainly farther than the distance, told from squares without
  // the root and the division: with both squares normal numbers, cross^2 >
  // length2 * (D (1 + 2^-20))^2 as rounded makes |cross| / length, as
  // rounded below, exceed D by a factor of at least 1 + 2^-20 - 8 * 2^-53.
  // No square can overflow (float inputs); NaN fails the comparisons.
  static constexpr double kFar = kGeometryOnLineDistance * (1 + 0x1p-20), kFar2 = kFar * kFar;
  static constexpr double kLeastFar2 = 0x1p-960;
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
  // numS is LiesAlong's distance value of A, negated, exactly: ay - cy is
  // -(cy - ay) and each product and difference rounds to the negated value
  // (a zero may change sign), and that value is only used by its size.
  const double acx = cx - ax, acy = cy - ay;
  const double numS = acy * cdx - acx * cdy;
  if (std::fabs(den) > kGeometryCrossTolerance && maxX >= std::min(c.x, d.x) && std::max(c.x, d.x) >= minX &&
      maxY >= std::min(c.y, d.y) && std::max(c.y, d.y) >= minY) {
    const double numT = acx * aby - acy * abx;
    // s = numS / den and t = numT / -den. A rounded quotient keeps the sign
    // of the exact one (or is 0) and is at least 1 where the exact one is, so
    // a numerator of no length, of the wrong sign or not shorter than den
    // gives a parameter outside (1e-5, 0.999999) for certain: most edges
    // tested do not cross, and they are turned down without a division.
    const bool positive = den > 0, inside = std::fabs(numS) < std::fabs(den) && std::fabs(numT) < std::fabs(den);
    if (inside && numS != 0 && numT != 0 && (numS > 0) == positive && (numT > 0) != positive) {
      const float s = static_cast<float>(numS / den);
      const float t = static_cast<float>(numT / -den);
      // A shared end answers with parameters 0 or 1, never inside: the
      // crossing is not taken then. Asked only of a crossing, as most edges
      // tested do not cross and the comparisons are many.
      if (s > kLow && s < kHigh && t > kLow && t < kHigh && !SharesEnd(c, d)) return true;
    }
  }
  return LiesAlong(c, d, cdx, cdy, numS);
}

inline bool CSightSegment::LiesAlong(const CVector2& c, const CVector2& d) const {
  const double cx = c.x, cy = c.y;
  const double cdx = static_cast<double>(d.x) - cx, cdy = static_cast<double>(d.y) - cy;
  return LiesAlong(c, d, cdx, cdy, (ay - cy) * cdx - (ax - cx) * cdy);
}

inline bool CSightSegment::LiesAlong(const CVector2& c, const CVector2& d, double cdx, double cdy,
                                     double crossA) const {
  // SegmentRelation's distances of A and B from CD's line; C = D (length
  // 0) and NaN (no comparison holds) are left to it.
  const double cx = c.x, cy = c.y;
  const double crossB = (by - cy) * cdx - (bx - cx) * cdy;
  const double length2 = cdx * cdx + cdy * cdy;
  const double far2 = length2 * kFar2;
  if (far2 >= kLeastFar2 && (crossA * crossA > far2 || crossB * crossB > far2)) return false;
  const double length = std::sqrt(length2);
  if (length != 0.0) {
    if (std::fabs(crossA) / length > kGeometryOnLineDistance) return false;
    if (std::fabs(crossB) / length > kGeometryOnLineDistance) return false;
  }
  return SegmentRelation(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y) >= 0;
}

// The same operations as LiesAlong's for the one end.
inline bool CSightSegment::Far(double x, double y, const CVector2& c, const CVector2& d) {
  const double cx = c.x, cy = c.y;
  const double cdx = static_cast<double>(d.x) - cx, cdy = static_cast<double>(d.y) - cy;
  const double cross = (y - cy) * cdx - (x - cx) * cdy;
  const double far2 = (cdx * cdx + cdy * cdy) * kFar2;
  return far2 >= kLeastFar2 && cross * cross > far2;
}

inline int CSightSegment::SharedEndAnswer(const CVector2& c, const CVector2& d) const {
  const uint64_t cBits = Bits(c), dBits = Bits(d);
  if (cBits == aBits || dBits == aBits) return !Far(bx, by, c, d) && LiesAlong(c, d);
  if (cBits == bBits || dBits == bBits) return !Far(ax, ay, c, d) && LiesAlong(c, d);
  return -1;
}

// An edge CD seen from a point A, made ready to show many points hidden
// behind it: Hides(x) is true only where CSightSegment(A, x).BlockedBy(C, D)
// is certain to be true by its crossing branch. It answers false wherever it
// cannot be sure; the caller then asks the full test.
//
// Why true is certain. Let u = 2^-53. Every input is a float widened to
// double exactly; each difference (of x and A, of C and A, of D and C) is
// within u of its exact value relative to it, each product of two of them
// within 3u, and each of the three cross values
//   den = cd x ab, numS = ac x cd (s = numS / den), numT = ac x ab (t = numT / -den)
// within 4.01u * S of its exact value, S the sum of the magnitudes of its two
// products (spreadS; spreadN and spreadT are each at most |ab|_1 times
// |cd|_1 or |ac|_1, whose product as worked out below is at least the
// exact one times 1 - 4u, the bound taken for both). That
// holds for the values worked out here and for the same ones BlockedBy works
// out, in any order and with or without fused multiply-adds. Hides demands
// |den| >= 4e-6 and every spread <= 1e6 |den|, so each cross value here and
// there lies within 4.6e-10 |den| of the exact one, and the exact parameters
// it demands in [0.001, 0.999] are exact ones in [0.000999, 0.999001]. Then
// in BlockedBy: |den| > 1e-6; s and t, each a quotient off by at most 1e-9,
// round to floats inside (1e-5, 0.999999); the exact segments cross inside
// both, so their boxes meet (compared on the floats themselves) and they
// share no end. A caller that skips edges lying wholly above some y not
// above min(A.y, x.y) does not skip CD: the crossing lies on both.
class CSightShadow {
public:
  CSightShadow() = default;
  CSightShadow(const CVector2& from, const CVector2& c, const CVector2& d);
  bool Hides(const CVector2& x) const;
  bool Live() const { return m_live; }

private:
  static constexpr double kLow = 0.001, kHigh = 0.999, kLeastDen = 4e-6, kMostSpread = 1e6;
  double m_ax = 0, m_ay = 0, m_acx = 0, m_acy = 0, m_cdx = 0, m_cdy = 0, m_numS = 0, m_spreadS = 0, m_reach = 0;
  bool m_live = false;
};

inline CSightShadow::CSightShadow(const CVector2& from, const CVector2& c, const CVector2& d)
    : m_ax(from.x), m_ay(from.y), m_acx(static_cast<double>(c.x) - from.x), m_acy(static_cast<double>(c.y) - from.y),
      m_cdx(static_cast<double>(d.x) - c.x), m_cdy(static_cast<double>(d.y) - c.y) {
  m_numS = m_acy * m_cdx - m_acx * m_cdy;
  m_spreadS = std::fabs(m_acy * m_cdx) + std::fabs(m_acx * m_cdy);
  m_reach = std::max(std::fabs(m_cdx) + std::fabs(m_cdy), std::fabs(m_acx) + std::fabs(m_acy));
  // Finite ends only: then a point that is not a finite number fails a test.
  m_live = std::isfinite(m_ax) && std::isfinite(m_ay) && std::isfinite(m_spreadS) && std::isfinite(m_cdx) &&
           std::isfinite(m_cdy) && std::isfinite(m_acx) && std::isfinite(m_acy);
}

inline bool CSightShadow::Hides(const CVector2& x) const {
  const double abx = static_cast<double>(x.x) - m_ax, aby = static_cast<double>(x.y) - m_ay;
  const double den = m_cdx * aby - m_cdy * abx;
  const double numT = m_acx * aby - m_acy * abx;
  const double size = std::fabs(den);
  // Written so that a NaN fails each test.
  if (!(size >= kLeastDen)) return false;
  // s |den| and t |den|, without a division; asked before the spread, as
  // most points tested lie outside the shadow.
  const double s = den > 0 ? m_numS : -m_numS, t = den > 0 ? -numT : numT;
  if (!(m_live && s >= kLow * size && s <= kHigh * size && t >= kLow * size && t <= kHigh * size)) return false;
  const double spread = std::max(m_spreadS, m_reach * (std::fabs(abx) + std::fabs(aby)));
  return spread <= kMostSpread * size;
}

// The same test for a sight line used once.
inline bool SightLineBlockedBy(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
  return CSightSegment(a, b).BlockedBy(c, d);
}
