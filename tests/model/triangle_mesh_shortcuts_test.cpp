// The mesh's shortcuts against the plain computations they stand for, over
// random and awkward inputs: a shortcut may only answer where the plain form
// gives the same answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "model/mesh/triangle_mesh.h"

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

// Pairs of cosines whose arc cosines differ by close to the threshold, all
// over the range and right up to where the slope runs off: a decided answer
// is the arc cosines' own, and all but the closest are decided.
TEST(FlipGainFromCosines, SettlesGainsNearTheThresholdAsTheAnglesDo) {
  int decided = 0, total = 0;
  for (int i = -1000; i <= 1000; ++i) {
    const double after = std::clamp(i / 1000.0, -1.0, 1.0) * 0.99999;
    for (const double offset : {-1e-3, -1e-5, -1e-7, -3e-9, -1e-12, 0.0, 1e-12, 3e-9, 1e-7, 1e-5, 1e-3}) {
      // acos(after) - acos(before) = 0.02 + offset.
      const double target = std::acos(after) - (0.02 + offset);
      if (target < 0) continue;
      const double before = std::cos(target);
      const int quick = FlipGainFromCosines(before, after);
      if (std::fabs(offset) >= 1e-5) total += 1, decided += quick != -1;
      if (quick == -1) continue;
      EXPECT_EQ(quick, std::acos(after) - std::acos(before) > 0.02 ? 1 : 0) << before << " " << after;
    }
  }
  EXPECT_GT(decided, total * 95 / 100);
  // One end at -1 or 1, where the slope there has no size.
  for (double t : {0.0, 0.3, 0.9, 0.99, 0.99999}) {
    for (double rise : {1e-6, 0.01, 0.0199, 0.0201}) {
      for (const auto& [before, after] : {std::pair(1.0, 1.0 - rise), std::pair(-1.0 + rise, -1.0), std::pair(t, t - rise)}) {
        const int quick = FlipGainFromCosines(before, after);
        if (quick != -1) {
          EXPECT_EQ(quick, std::acos(after) - std::acos(before) > 0.02 ? 1 : 0) << before << " " << after;
        }
      }
    }
  }
}

// The cover check's side test as it first stood: every side as one number,
// sorted, and the sides of each pair of ends read off together.
bool PlainSidesPairUp(const std::vector<CVector2>& positions, const std::vector<int>& low,
                      const std::vector<uint32_t>& high, const std::vector<std::pair<int, int>>& required,
                      double* outerLength) {
  std::vector<uint64_t> sides;
  for (size_t i = 0; i < low.size(); ++i) sides.push_back(static_cast<uint64_t>(low[i]) << 33 | high[i]);
  std::sort(sides.begin(), sides.end());
  for (const auto& [a, b] : required) {
    const uint64_t key = static_cast<uint64_t>(a) << 33 | static_cast<uint64_t>(b) << 1;
    const auto at = std::lower_bound(sides.begin(), sides.end(), key);
    if (at == sides.end() || (*at | 1) != (key | 1)) return false;
  }
  double length = 0;
  for (size_t i = 0; i < sides.size();) {
    size_t j = i + 1;
    while (j < sides.size() && (sides[j] | 1) == (sides[i] | 1)) ++j;
    if (j - i > 2 || (j - i == 2 && sides[i] == sides[i + 1])) return false;
    if (j - i == 1) {
      const CVector2 &a = positions[sides[i] >> 33], &b = positions[(sides[i] & 0x1FFFFFFFFull) >> 1];
      length += std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
    }
    i = j;
  }
  *outerLength = length;
  return true;
}

// Random soups of sides over a few vertices (so that pairs, lone sides, sides
// on one side of their pair and triples all turn up), with random required
// pairs: the bucketed test agrees with the sorted one, lengths to the bit.
TEST(MeshSidesPairUp, AgreesWithTheSortedSidesOnRandomSoups) {
  std::mt19937 random(7);
  int paired = 0, total = 0;
  for (int round = 0; round < 6000; ++round) {
    const int vertexCount = 1 + static_cast<int>(random() % 12);
    std::vector<CVector2> positions;
    std::uniform_real_distribution<float> coordinate(-1000, 1000);
    for (int v = 0; v < vertexCount; ++v) positions.emplace_back(coordinate(random), coordinate(random));
    // Mostly a pair's sides on both sides, often a lone one (an outer side:
    // their lengths add up in order), now and then a third.
    std::vector<int> low;
    std::vector<uint32_t> high;
    const int pairs = vertexCount > 1 ? static_cast<int>(random() % (2 * vertexCount)) : 0;
    for (int k = 0; k < pairs; ++k) {
      const int a = static_cast<int>(random() % vertexCount), b = static_cast<int>(random() % vertexCount);
      if (a == b) continue;
      const int draw = static_cast<int>(random() % 16);
      const int sides = draw < 5 ? 1 : (draw == 5 ? 3 : 2);
      const uint32_t first = random() % 2;
      for (int s = 0; s < sides; ++s) {
        low.push_back(std::min(a, b));
        high.push_back(static_cast<uint32_t>(std::max(a, b)) << 1 | (random() % 16 == 0 ? first : (first + s) % 2));
      }
    }
    // Shuffled: the sides of a pair need not come together.
    std::vector<size_t> order(low.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    std::vector<int> shuffledLow;
    std::vector<uint32_t> shuffledHigh;
    for (size_t i : order) shuffledLow.push_back(low[i]), shuffledHigh.push_back(high[i]);
    // Required pairs: some among the sides, some not, now and then one
    // with equal ends (never a side).
    std::vector<std::pair<int, int>> required;
    for (int k = static_cast<int>(random() % 4); k > 0; --k) {
      if (!low.empty() && random() % 3 != 0) {
        const size_t i = random() % low.size();
        required.emplace_back(low[i], static_cast<int>(high[i] >> 1));
      } else {
        const int a = static_cast<int>(random() % vertexCount), b = static_cast<int>(random() % vertexCount);
        required.emplace_back(std::min(a, b), std::max(a, b));
      }
    }
    std::vector<int> requiredStart(static_cast<size_t>(vertexCount) + 1, 0), requiredHigh;
    std::sort(required.begin(), required.end());
    for (const auto& [a, b] : required) ++requiredStart[a + 1], requiredHigh.push_back(b);
    for (int v = 0; v < vertexCount; ++v) requiredStart[v + 1] += requiredStart[v];

    double plainLength = -1, length = -2;
    const bool plain = PlainSidesPairUp(positions, shuffledLow, shuffledHigh, required, &plainLength);
    const bool quick = MeshSidesPairUp(positions.data(), vertexCount, shuffledLow.data(), shuffledHigh.data(),
                                       shuffledLow.size(), requiredStart, requiredHigh, &length);
    ASSERT_EQ(quick, plain) << "round " << round;
    if (plain) {
      EXPECT_EQ(length, plainLength) << "round " << round;
    }
    paired += plain;
    ++total;
  }
  // Both answers turn up often.
  EXPECT_GT(paired, total / 5);
  EXPECT_LT(paired, total * 4 / 5);
}

}  // namespace
