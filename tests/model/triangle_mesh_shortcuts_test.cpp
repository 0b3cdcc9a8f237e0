// The mesh's shortcuts against the plain computations they stand for, over
// random and awkward inputs: a shortcut may only answer where the plain form
// gives the same answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "model/triangle_mesh.h"

namespace {

// The corner cosine and angle as the flips work them out.
double Cosine(const CVector2& at, const CVector2& p, const CVector2& q) {
  const double ux = static_cast<double>(p.x) - at.x, uy = static_cast<double>(p.y) - at.y;
  const double vx = static_cast<double>(q.x) - at.x, vy = static_cast<double>(q.y) - at.y;
  const double lengths = std::sqrt((ux * ux + uy * uy) * (vx * vx + vy * vy));
  if (lengths <= 0) return 1;
  return std::clamp((ux * vx + uy * vy) / lengths, -1.0, 1.0);
}

double MaxCosine(const CVector2& a, const CVector2& b, const CVector2& c) {
  return std::max({Cosine(a, b, c), Cosine(b, c, a), Cosine(c, a, b)});
}

double MinAngle(const CVector2& a, const CVector2& b, const CVector2& c) {
  return std::min({std::acos(Cosine(a, b, c)), std::acos(Cosine(b, c, a)), std::acos(Cosine(c, a, b))});
}

// The flip of diagonal a-b of quadrilateral a, p, b, q to p-q: the gain of
// the smallest angle, plainly and from the cosines. Returns whether the
// cosines decided.
bool CheckFlipGain(const CVector2& a, const CVector2& b, const CVector2& p, const CVector2& q) {
  const double cosineBefore = std::max(MaxCosine(a, b, p), MaxCosine(a, b, q));
  const double cosineAfter = std::max(MaxCosine(p, q, a), MaxCosine(p, q, b));
  const double before = std::min(MinAngle(a, b, p), MinAngle(a, b, q));
  const double after = std::min(MinAngle(p, q, a), MinAngle(p, q, b));
  const bool plain = after - before > 0.02;
  const int quick = FlipGainFromCosines(cosineBefore, cosineAfter);
  EXPECT_TRUE(quick == -1 || quick == (plain ? 1 : 0))
      << a.x << "," << a.y << " " << b.x << "," << b.y << " " << p.x << "," << p.y << " " << q.x << "," << q.y;
  return quick != -1;
}

TEST(FlipGainFromCosines, AgreesWithTheAnglesOnRandomAndAwkwardQuadrilaterals) {
  std::mt19937 random(25);
  int decided = 0, total = 0;
  for (float scale : {1e-6f, 1.0f, 640.0f, 3e7f}) {
    std::uniform_real_distribution<float> coordinate(-scale, scale);
    for (int i = 0; i < 20000; ++i) {
      const CVector2 a(coordinate(random), coordinate(random)), b(coordinate(random), coordinate(random));
      const CVector2 p(coordinate(random), coordinate(random)), q(coordinate(random), coordinate(random));
      decided += CheckFlipGain(a, b, p, q);
      ++total;
    }
  }
  // Most gains are far from the threshold: the cosines settle them.
  EXPECT_GT(decided, total * 4 / 5);

  // Gains close to the threshold: a kite a, p, b, q whose apex q moves in
  // tiny steps across the point where the flip starts to pay.
  for (int i = 0; i < 4000; ++i) {
    const float y = 0.3f + 1e-4f * static_cast<float>(i);
    CheckFlipGain(CVector2(-1, 0), CVector2(1, 0), CVector2(0, 1), CVector2(0, -y));
    CheckFlipGain(CVector2(-1, 0), CVector2(1, 0), CVector2(0.01f * i, 0.7f), CVector2(-0.2f, -y));
  }
  // Collinear, coincident and not-a-number corners.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<CVector2> awkward = {CVector2(0, 0), CVector2(1, 0), CVector2(2, 0), CVector2(0, 1),
                                         CVector2(1, 1), CVector2(0, 0), CVector2(1e-30f, 0), CVector2(nan, 0),
                                         CVector2(inf, 1), CVector2(3e38f, -3e38f)};
  for (const CVector2& a : awkward)
    for (const CVector2& b : awkward)
      for (const CVector2& p : awkward)
        for (const CVector2& q : awkward) CheckFlipGain(a, b, p, q);
  // Cosine pairs straddling the threshold, at both ends of the range.
  for (double before : {0.5, 0.7, 0.9, 0.99, 0.999999, 1.0})
    for (double rise : {0.0, 1e-12, 0.019, 0.02 - 1e-10, 0.02, 0.02 + 1e-10, 0.021, 0.5}) {
      const double after = before - rise;
      const int quick = FlipGainFromCosines(before, after);
      if (quick == -1) continue;
      const bool plain = std::acos(after) - std::acos(before) > 0.02;
      EXPECT_EQ(quick, plain ? 1 : 0) << before << " " << rise;
    }
  EXPECT_EQ(FlipGainFromCosines(std::nan(""), 0.5), -1);
  EXPECT_EQ(FlipGainFromCosines(0.9, std::nan("")), -1);
}

}  // namespace
