// The mesh's one-piece sight-line test against the plain pair of geometry
// calls it stands for: any disagreement would change the triangles.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "model/geometry/geometry.h"
#include "model/mesh/sight_line.h"

namespace {

bool PlainBlocks(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d) {
  float s = 0, t = 0;
  if (SegmentIntersectParams(a, b, c, d, &s, &t) && s > 1e-5f && s < 0.999999f && t > 1e-5f && t < 0.999999f)
    return true;
  return SegmentRelation(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y) >= 0;
}

// The point at u times AB from `shared` (an end of AB), pushed `off` across
// the line: the far end of an edge that meets the line at that end.
CVector2 AlongFrom(const CVector2& a, const CVector2& b, const CVector2& shared, float u, float off) {
  const float dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
  const CVector2 along(shared.x + u * dx, shared.y + u * dy);
  return length > 0 ? CVector2(along.x - off * dy / length, along.y + off * dx / length) : along;
}

// Compares the two over `count` quadruples from `make`; both answers must
// occur, so that a family that never blocks (or always does) is noticed.
template <class Make>
void ExpectSameAnswers(const char* family, int count, Make make) {
  int blocked = 0, failures = 0;
  for (int i = 0; i < count && failures < 5; ++i) {
    CVector2 p[4];
    make(p);
    const bool plain = PlainBlocks(p[0], p[1], p[2], p[3]);
    blocked += plain;
    if (SightLineBlockedBy(p[0], p[1], p[2], p[3]) != plain) {
      ++failures;
      ADD_FAILURE() << family << ": (" << p[0].x << ", " << p[0].y << ")-(" << p[1].x << ", " << p[1].y << ") by ("
                    << p[2].x << ", " << p[2].y << ")-(" << p[3].x << ", " << p[3].y << "): plain says " << plain;
    }
  }
  EXPECT_GT(blocked, 0) << family;
  EXPECT_LT(blocked, count) << family;
}

}  // namespace

TEST(SightLine, AgreesWithThePlainTestOnRandomAndDegenerateSegments) {
  std::mt19937 rng(25);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<int> small(0, 4);

  // A few grid points: shared ends, collinear overlaps, touching ends and
  // zero-length edges come up all the time.
  ExpectSameAnswers("grid", 200000, [&](CVector2* p) {
    for (int k = 0; k < 4; ++k) p[k] = CVector2(small(rng) * 0.5f, small(rng) * 0.5f);
  });
  // General position, at scales from tiny to huge.
  for (float scale : {1e-30f, 1e-6f, 1.0f, 640.0f, 1e7f, 1e30f}) {
    ExpectSameAnswers("random", 50000, [&](CVector2* p) {
      for (int k = 0; k < 4; ++k) p[k] = CVector2(unit(rng) * scale, unit(rng) * scale);
    });
  }
  // The edge near AB's line: around the 0.001 on-line distance.
  ExpectSameAnswers("near line", 200000, [&](CVector2* p) {
    p[0] = CVector2(unit(rng) * 100, unit(rng) * 100);
    p[1] = CVector2(unit(rng) * 100, unit(rng) * 100);
    for (int k = 2; k < 4; ++k) {
      const float u = unit(rng) * 1.6f - 0.3f, off = (unit(rng) - 0.5f) * 0.0025f;
      const float dx = p[1].x - p[0].x, dy = p[1].y - p[0].y, length = std::hypot(dx, dy);
      p[k] = CVector2(p[0].x + u * dx - off * dy / length, p[0].y + u * dy + off * dx / length);
    }
  });
  // Crossings near the ends of both segments (parameters near 1e-5 and
  // 0.999999) and nearly parallel pairs near the cross tolerance.
  ExpectSameAnswers("near ends", 200000, [&](CVector2* p) {
    const float e[] = {0.0f, 1e-6f, 1e-5f, 1.2e-5f, 0.999999f, 0.9999995f, 1.0f};
    std::uniform_int_distribution<int> pick(0, 6);
    p[0] = CVector2(0, 0), p[1] = CVector2(1000 * unit(rng) + 1, 1000 * unit(rng));
    const float s = e[pick(rng)], t = e[pick(rng)], angle = unit(rng) * 6.2831853f;
    const float length = unit(rng) < 0.5f ? 1e-3f : 500.0f;
    const CVector2 x(p[1].x * s, p[1].y * s), dir(std::cos(angle) * length, std::sin(angle) * length);
    p[2] = CVector2(x.x - dir.x * t, x.y - dir.y * t), p[3] = CVector2(x.x + dir.x * (1 - t), x.y + dir.y * (1 - t));
  });
  // Nearly parallel segments along a line with ends of mixed magnitudes:
  // the cross products lose most of their digits, and only the box test
  // keeps apart ends that the rounded parameters would call a crossing.
  ExpectSameAnswers("mixed magnitudes", 200000, [&](CVector2* p) {
    const float slope = unit(rng) * 2 - 1;
    for (int k = 0; k < 4; ++k) {
      const float u = (unit(rng) - 0.5f) * std::pow(10.0f, static_cast<float>(small(rng) * 4));
      p[k] = CVector2(u, u * slope + (unit(rng) - 0.5f) * 1e-3f);
    }
  });
  // Crossings just past either end of either segment, or exactly at one,
  // where the parameters' signs and sizes alone turn the edge down.
  ExpectSameAnswers("past the ends", 200000, [&](CVector2* p) {
    const float e[] = {-0.5f, -1e-7f, 0.0f, 1e-6f, 0.5f, 0.9999999f, 1.0f, 1.0000001f, 1.5f};
    std::uniform_int_distribution<int> pick(0, 8);
    p[0] = CVector2(100 * unit(rng), 100 * unit(rng)), p[1] = CVector2(100 * unit(rng), 100 * unit(rng));
    const float s = e[pick(rng)], t = e[pick(rng)], angle = unit(rng) * 6.2831853f;
    const float length = unit(rng) < 0.5f ? 2e-3f : 200.0f;
    const CVector2 x(p[0].x + (p[1].x - p[0].x) * s, p[0].y + (p[1].y - p[0].y) * s);
    const CVector2 dir(std::cos(angle) * length, std::sin(angle) * length);
    p[2] = CVector2(x.x - dir.x * t, x.y - dir.y * t), p[3] = CVector2(x.x + dir.x * (1 - t), x.y + dir.y * (1 - t));
  });
  // Ends of AB at the on-line distance from CD's line to within a few parts
  // in a million: on both sides of the squares' certain-far limit.
  for (float scale : {1e-3f, 1e-2f, 1.0f}) {
    ExpectSameAnswers("at the distance", 100000, [&](CVector2* p) {
      p[2] = CVector2(unit(rng) * scale, unit(rng) * scale), p[3] = CVector2(unit(rng) * scale, unit(rng) * scale);
      const float dx = p[3].x - p[2].x, dy = p[3].y - p[2].y, length = std::hypot(dx, dy);
      for (int k = 0; k < 2; ++k) {
        const float u = unit(rng) * 1.4f - 0.2f;
        const float off = 0.001f * (1 + (unit(rng) - 0.5f) * 4e-6f) * (unit(rng) < 0.5f ? -1.0f : 1.0f);
        p[k] = CVector2(p[2].x + u * dx - off * dy / length, p[2].y + u * dy + off * dx / length);
      }
    });
  }
  // A within a few on-line distances of CD's line, B near it too or far
  // across it: the crossing branch is taken and turned down, and its
  // numerator for A then stands in the on-line test.
  ExpectSameAnswers("A by the line", 200000, [&](CVector2* p) {
    p[2] = CVector2(unit(rng) * 100, unit(rng) * 100), p[3] = CVector2(unit(rng) * 100, unit(rng) * 100);
    const float dx = p[3].x - p[2].x, dy = p[3].y - p[2].y, length = std::hypot(dx, dy);
    for (int k = 0; k < 2; ++k) {
      const float u = unit(rng) * 1.4f - 0.2f, off = (unit(rng) - 0.5f) * 0.006f * static_cast<float>(small(rng) % 2);
      p[k] = CVector2(p[2].x + u * dx - off * dy / length, p[2].y + u * dy + off * dx / length);
    }
    if (small(rng) < 2) p[1] = CVector2(unit(rng) * 100, unit(rng) * 100);
  });
  // Non-finite coordinates anywhere.
  const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity(), 0.0f, 1.0f, 3e38f, -3e38f, 1e-45f};
  ExpectSameAnswers("non-finite", 200000, [&](CVector2* p) {
    for (int k = 0; k < 4; ++k) {
      p[k] = CVector2(small(rng) * 0.5f, small(rng) * 0.5f);
      if (small(rng) == 0) p[k].x = odd[small(rng) + small(rng) % 4];
      if (small(rng) == 0) p[k].y = odd[small(rng) + small(rng) % 4];
    }
  });
}

// An edge sharing an end with the sight line is settled by LiesAlong, which
// must answer as the whole test does: edges meeting either end, lying along
// the line or just off it, overlapping or pointing away, at every scale.
TEST(SightLine, EdgesSharingAnEndLieAlongAsTheWholeTestSays) {
  std::mt19937 rng(2512);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<int> pick(0, 3), small(0, 4);
  const float offsets[] = {0.0f, 5e-4f, 9.9e-4f, 1e-3f, 1.01e-3f, 2e-3f, 0.3f};
  std::uniform_int_distribution<int> offset(0, 6);
  for (float scale : {1e-3f, 1.0f, 640.0f, 1e6f}) {
    int along = 0, total = 0, failures = 0;
    for (int i = 0; i < 100000 && failures < 5; ++i) {
      CVector2 a(unit(rng) * scale, unit(rng) * scale), b(unit(rng) * scale, unit(rng) * scale);
      if (i % 7 == 0) b = CVector2(small(rng) * 0.5f * scale, small(rng) * 0.5f * scale), a = b;
      // The far end of the edge: along AB (or back past its shared end) at
      // some fraction, pushed off the line by one of the offsets.
      const float u = unit(rng) * 2.4f - 1.2f, off = offsets[offset(rng)] * (unit(rng) < 0.5f ? -1.0f : 1.0f);
      const int end = pick(rng);
      const CVector2& shared = end < 2 ? a : b;
      CVector2 other = i % 11 == 0 ? shared : AlongFrom(a, b, shared, u, off);
      const CVector2 c = end % 2 ? other : shared, d = end % 2 ? shared : other;
      const CSightSegment line(a, b);
      const bool plain = PlainBlocks(a, b, c, d);
      along += plain, ++total;
      if (line.LiesAlong(c, d) != plain || line.BlockedBy(c, d) != plain) {
        ++failures;
        ADD_FAILURE() << "scale " << scale << ": (" << a.x << ", " << a.y << ")-(" << b.x << ", " << b.y << ") by ("
                      << c.x << ", " << c.y << ")-(" << d.x << ", " << d.y << "): plain says " << plain;
      }
    }
    EXPECT_GT(along, 0) << scale;
    EXPECT_LT(along, total) << scale;
  }
}

// The shadow may only say "hidden" where the whole test says blocked; it
// must also say it often in plain cases, or the sweep gains nothing.
TEST(SightLine, AShadowHidesOnlyWhatTheWholeTestBlocks) {
  std::mt19937 rng(2513);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<int> small(0, 4);
  const auto expectSound = [&](const char* family, int count, bool mustHide, auto make) {
    int hidden = 0, failures = 0;
    for (int i = 0; i < count && failures < 5; ++i) {
      CVector2 p[4];
      make(p);
      if (!CSightShadow(p[0], p[2], p[3]).Hides(p[1])) continue;
      ++hidden;
      if (!CSightSegment(p[0], p[1]).BlockedBy(p[2], p[3])) {
        ++failures;
        ADD_FAILURE() << family << ": (" << p[0].x << ", " << p[0].y << ")-(" << p[1].x << ", " << p[1].y
                      << ") said hidden by (" << p[2].x << ", " << p[2].y << ")-(" << p[3].x << ", " << p[3].y << ")";
      }
    }
    if (mustHide) {
      EXPECT_GT(hidden, count / 20) << family;
    }
  };
  for (float scale : {1e-3f, 1.0f, 640.0f, 1e7f, 1e30f})
    expectSound("random", 100000, scale >= 1.0f, [&](CVector2* p) {
      for (int k = 0; k < 4; ++k) p[k] = CVector2(unit(rng) * scale, unit(rng) * scale);
    });
  expectSound("grid", 100000, false, [&](CVector2* p) {
    for (int k = 0; k < 4; ++k) p[k] = CVector2(small(rng) * 0.5f, small(rng) * 0.5f);
  });
  // Crossings at parameters on and around the shadow's own limits and the
  // whole test's, on short and long edges, at every angle.
  expectSound("near limits", 300000, true, [&](CVector2* p) {
    const float e[] = {1e-5f, 2e-5f, 9.99e-4f, 1e-3f, 1.001e-3f, 0.5f, 0.998f, 0.999f, 0.999001f, 0.999999f};
    std::uniform_int_distribution<int> pick(0, 9);
    p[0] = CVector2(100 * unit(rng), 100 * unit(rng));
    p[1] = CVector2(p[0].x + 1000 * unit(rng) - 500, p[0].y + 1000 * unit(rng) - 500);
    const float s = e[pick(rng)], t = e[pick(rng)], angle = unit(rng) * 6.2831853f;
    const float length = unit(rng) < 0.3f ? 2e-3f : 300.0f;
    const CVector2 x(p[0].x + (p[1].x - p[0].x) * s, p[0].y + (p[1].y - p[0].y) * s);
    const CVector2 dir(std::cos(angle) * length, std::sin(angle) * length);
    p[2] = CVector2(x.x - dir.x * t, x.y - dir.y * t), p[3] = CVector2(x.x + dir.x * (1 - t), x.y + dir.y * (1 - t));
  });
  // Nearly parallel and nearly collinear: the cross values lose their digits.
  expectSound("nearly parallel", 300000, false, [&](CVector2* p) {
    const float slope = unit(rng) * 2 - 1;
    for (int k = 0; k < 4; ++k) {
      const float u = (unit(rng) - 0.5f) * std::pow(10.0f, static_cast<float>(small(rng) * 2));
      p[k] = CVector2(u, u * slope + (unit(rng) - 0.5f) * std::pow(10.0f, -static_cast<float>(small(rng))));
    }
  });
  // Ends that are not numbers or are huge, anywhere.
  const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity(), 3e38f, -3e38f, 1e-45f, 0.0f, 1.0f};
  expectSound("non-finite", 200000, false, [&](CVector2* p) {
    for (int k = 0; k < 4; ++k) {
      p[k] = CVector2(unit(rng) * 4, unit(rng) * 4);
      if (small(rng) == 0) p[k].x = odd[small(rng) + small(rng) % 4];
      if (small(rng) == 0) p[k].y = odd[small(rng) + small(rng) % 4];
    }
  });
}

// SharedEndAnswer, which the index's walk asks first of every edge it
// offers, must answer as the whole test wherever it answers, and must answer
// for every edge with an end bit for bit at an end of the line: edges along
// the line, just off it, pointing back past the shared end, of no length, with
// the other end not a number or huge, and lines whose ends are -0 or +0.
TEST(SightLine, SharedEndsAnswerAsTheWholeTest) {
  std::mt19937 rng(2514);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<int> pick(0, 3), small(0, 4), offset(0, 7);
  const float offsets[] = {0.0f, 5e-4f, 9.99999e-4f, 1e-3f, 1.000001e-3f, 2e-3f, 0.3f, 40.0f};
  const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity(), 3e38f, 1e-45f};
  for (float scale : {1e-3f, 1.0f, 640.0f, 1e6f}) {
    int answered = 0, blocked = 0, failures = 0;
    for (int i = 0; i < 100000 && failures < 5; ++i) {
      CVector2 a(unit(rng) * scale, unit(rng) * scale), b(unit(rng) * scale, unit(rng) * scale);
      if (i % 13 == 0) a = CVector2(-0.0f, small(rng) * 0.5f * scale);
      if (i % 17 == 0) b = a;
      const float u = unit(rng) * 2.4f - 1.2f, off = offsets[offset(rng)] * (unit(rng) < 0.5f ? -1.0f : 1.0f);
      const int end = pick(rng);
      const CVector2& shared = end < 2 ? a : b;
      CVector2 other = i % 11 == 0 ? shared : AlongFrom(a, b, shared, u, off);
      if (i % 19 == 0) other.x = odd[small(rng)];
      CVector2 c = end % 2 ? other : shared, d = end % 2 ? shared : other;
      // -0 in place of +0 (and back): the same place, other bits.
      const bool signFlip = i % 2 == 0 && shared.x == 0;
      if (signFlip) (end % 2 ? d : c).x = -shared.x;
      const CSightSegment line(a, b);
      const int answer = line.SharedEndAnswer(c, d);
      const bool whole = line.BlockedBy(c, d);
      if (answer >= 0) ++answered, blocked += answer;
      const bool sameBits = CSightSegment::Bits(c) == line.aBits || CSightSegment::Bits(d) == line.aBits ||
                            CSightSegment::Bits(c) == line.bBits || CSightSegment::Bits(d) == line.bBits;
      if ((answer >= 0) != sameBits || (answer >= 0 && (answer == 1) != whole) || whole != PlainBlocks(a, b, c, d)) {
        ++failures;
        ADD_FAILURE() << "scale " << scale << ": (" << a.x << ", " << a.y << ")-(" << b.x << ", " << b.y << ") by ("
                      << c.x << ", " << c.y << ")-(" << d.x << ", " << d.y << "): answer " << answer << ", whole "
                      << whole;
      }
    }
    EXPECT_GT(answered, 80000) << scale;
    EXPECT_GT(blocked, 0) << scale;
    EXPECT_LT(blocked, answered) << scale;
  }
  // An edge with no end at either end of the line is never answered, even
  // one crossing it or lying along it.
  const CSightSegment line(CVector2(0, 0), CVector2(10, 0));
  EXPECT_EQ(line.SharedEndAnswer(CVector2(5, -1), CVector2(5, 1)), -1);
  EXPECT_EQ(line.SharedEndAnswer(CVector2(1, 0), CVector2(9, 0)), -1);
  EXPECT_EQ(line.SharedEndAnswer(CVector2(-0.0f, 0), CVector2(0, 3)), -1);
  EXPECT_EQ(line.SharedEndAnswer(CVector2(0, 0), CVector2(0, 3)), 0);
  EXPECT_EQ(line.SharedEndAnswer(CVector2(4, 0), CVector2(10, 0)), line.BlockedBy(CVector2(4, 0), CVector2(10, 0)));
}
