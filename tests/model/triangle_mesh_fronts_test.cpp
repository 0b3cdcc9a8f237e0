// The sweep with its spatial index keeps what it learnt about front corners
// and front ends between vertices; built with linear scans it keeps nothing.
// Both must give the same triangles, on sets that make many fronts at once
// and on degenerate ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

#include "model/mesh/triangle_mesh.h"

namespace {

struct Lines {
  std::vector<std::unique_ptr<CFeatureLine>> owned;
  CFeatureLineArray array;
  CFeatureLine* Add(const std::vector<CVector2>& points, bool closed = false) {
    owned.push_back(std::make_unique<CFeatureLine>());
    for (const CVector2& p : points) owned.back()->AddPoint(p);
    owned.back()->closed = closed ? 1 : 0;
    array.Add(owned.back().get());
    return owned.back().get();
  }
};

struct Image {
  std::vector<std::array<int, 3>> triangles;
  std::vector<std::pair<int, int>> edges;
  bool operator==(const Image&) const = default;
};

Image Build(const Lines& lines, CTriangleMesh::ScanMode mode) {
  CTriangleMesh mesh;
  mesh.SetScanMode(mode);
  mesh.AddPoints(lines.array);
  mesh.Triangulate();
  Image image;
  for (int t = 0; t < mesh.GetTriangleCount(); ++t) {
    image.triangles.emplace_back();
    mesh.TriangleVertices(t, image.triangles.back().data());
  }
  mesh.Edges(image.edges);
  return image;
}

void ExpectSameBothWays(const Lines& lines, const char* what, int round) {
  const Image indexed = Build(lines, CTriangleMesh::ScanMode::Indexed);
  EXPECT_FALSE(indexed.triangles.empty()) << what << " round " << round;
  EXPECT_TRUE(indexed == Build(lines, CTriangleMesh::ScanMode::Linear)) << what << " round " << round;
}

// Short wavy strokes in rows of cells, as a traced drawing gives: each
// stroke's low end starts a front of its own, and fronts meet and merge as
// the sweep climbs. Some strokes are closed, some share an end with the one
// before, and all are moved by `scale` and `offset`.
void AddStrokes(std::mt19937& rng, int strokes, float scale, float offset, Lines& lines) {
  std::uniform_real_distribution<float> jitter(-3, 3), phase(0, 6.3f);
  auto at = [&](float x, float y) { return CVector2(offset + scale * x, offset + scale * y); };
  lines.Add({at(0, 0), at(640, 0), at(640, 480), at(0, 480)}, true);
  const int rows = static_cast<int>(std::ceil(std::sqrt(strokes)));
  for (int s = 0; s < strokes; ++s) {
    const float x0 = 10 + (s % rows) * 620.0f / rows + jitter(rng), y0 = 10 + (s / rows) * 460.0f / rows + jitter(rng);
    const float w = 600.0f / rows, h = 440.0f / rows, p = phase(rng);
    std::vector<CVector2> points;
    for (int k = 0; k < 8; ++k) points.push_back(at(x0 + w * k / 8, y0 + h * 0.5f * (1 + std::sin(k * 0.9f + p))));
    if (s % 7 == 3) points.resize(4);
    if (s % 5 == 2 && s > 0) points[0] = *lines.array[lines.array.GetSize() - 1]->PointAt(0);
    lines.Add(points, s % 7 == 3);
  }
}

void ExpectSameStrokes(std::mt19937& rng, int strokes, float scale, float offset, const char* what, int round) {
  Lines lines;
  AddStrokes(rng, strokes, scale, offset, lines);
  ExpectSameBothWays(lines, what, round);
}

TEST(TriangleMeshFronts, ManyFrontsGiveTheTrianglesOfTheLinearScans) {
  std::mt19937 rng(2512);
  for (int round = 0; round < 12; ++round) {
    ExpectSameStrokes(rng, 20 + 10 * round, 1, 0, "strokes", round);
  }
  // Far from the origin float spacing is coarse; very small, points nearly meet.
  for (int round = 0; round < 4; ++round) {
    ExpectSameStrokes(rng, 40, 1, 1e6f, "far strokes", round);
    ExpectSameStrokes(rng, 40, 1e-3f, 0, "tiny strokes", round);
  }
}

// Points on a small lattice: whole rows at one height, collinear runs,
// lines that lie on one another and points shared by several lines. Here
// vertices often find no front edge in sight and wait, or start fronts of
// their own that later join, and the triangles still close over them.
void AddLattice(std::mt19937& rng, int size, int round, Lines& lines) {
  std::uniform_int_distribution<int> cell(0, size);
  const float edge = static_cast<float>(size);
  lines.Add({{0, 0}, {edge, 0}, {edge, edge}, {0, edge}}, true);
  for (int l = 0; l < size + round % 20; ++l) {
    const float x = static_cast<float>(cell(rng)), y = static_cast<float>(cell(rng));
    const int kind = l % 4;
    const float dx = kind == 1 ? 0.0f : 1.0f, dy = kind == 0 ? 0.0f : (kind == 3 ? -1.0f : 1.0f);
    std::vector<CVector2> points;
    for (int k = 0; k < 1 + cell(rng) % 4; ++k) points.emplace_back(x + dx * k, y + dy * k);
    lines.Add(points);
  }
}

void Mix(uint64_t& hash, int value) { hash = (hash ^ static_cast<uint32_t>(value)) * 1099511628211ull; }

// The fronts' bookkeeping serves both forms of the sweep alike, so the
// triangles are also held to those recorded from the sweep before it kept
// anything between vertices.
TEST(TriangleMeshFronts, LatticesKeepTheirRecordedTriangles) {
  const std::pair<int, uint64_t> recorded[] = {{4, 0x0807f3beef56e7a7ull}, {6, 0x70a4450c5a5d1d0eull}, {12, 0x21bcea89b1196bbaull}};
  for (const auto& [size, expected] : recorded) {
    std::mt19937 rng(25);
    uint64_t hash = 1469598103934665603ull;
    for (int round = 0; round < 200; ++round) {
      Lines lines;
      AddLattice(rng, size, round, lines);
      const Image indexed = Build(lines, CTriangleMesh::ScanMode::Indexed);
      EXPECT_TRUE(indexed == Build(lines, CTriangleMesh::ScanMode::Linear)) << "size " << size << " round " << round;
      for (const std::array<int, 3>& t : indexed.triangles)
        for (int v : t) Mix(hash, v);
      for (const auto& [a, b] : indexed.edges) Mix(hash, a), Mix(hash, b);
      Mix(hash, -1);
    }
    EXPECT_EQ(hash, expected) << "size " << size;
  }
}

// A point that is not a number is offered to every sight test; the rest of
// the drawing must come out the same both ways.
TEST(TriangleMeshFronts, APointThatIsNotANumberGivesTheTrianglesOfTheLinearScans) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3; ++round) {
    Lines lines;
    AddStrokes(rng, 30, 1, 0, lines);
    lines.Add({{100, 100}, {std::nanf(""), 200}, {300, 300}});
    const Image indexed = Build(lines, CTriangleMesh::ScanMode::Indexed);
    EXPECT_TRUE(indexed == Build(lines, CTriangleMesh::ScanMode::Linear)) << "round " << round;
  }
}

// Long segments across the whole drawing with many points on them, just off
// them and just beyond reach: the indexed build finds the points that split
// a segment by x column, and must split exactly where the linear scan does
// (vertical segments in one column, points at the drawing's x extremes,
// coincident points).
TEST(TriangleMeshFronts, PointsOnLongSegmentsSplitThemAsTheLinearScansDo) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> step(0, 40);
  const float offsets[] = {0.0f, 0.0004f, -0.0009f, 0.002f, 0.0f};
  for (int round = 0; round < 6; ++round) {
    Lines lines;
    lines.Add({{0, 0}, {400, 0}, {400, 300}, {0, 300}}, true);
    lines.Add({{0, 0}, {400, 300}});      // the diagonal, end to end
    lines.Add({{200, 0}, {200, 300}});    // vertical: a single column
    lines.Add({{0, 150}, {400, 150}});    // horizontal through every column
    for (int k = 0; k < 60; ++k) {
      const int s = step(rng);
      const float offset = offsets[(k + round) % std::size(offsets)];
      const float t = s / 40.0f;
      switch (k % 3) {
        case 0: lines.Add({{400 * t, 300 * t + offset}}); break;
        case 1: lines.Add({{200 + offset, 300 * t}}); break;
        default: lines.Add({{400 * t, 150 + offset}}); break;
      }
    }
    const Image indexed = Build(lines, CTriangleMesh::ScanMode::Indexed);
    EXPECT_GT(indexed.edges.size(), 60u) << "round " << round;  // the segments were split
    EXPECT_TRUE(indexed == Build(lines, CTriangleMesh::ScanMode::Linear)) << "round " << round;
  }
}

// Strokes drawn again over themselves, end to end, backwards, in part, or
// with a point that is not a number: each segment is kept once, the later
// copy losing its edges, as the linear scans keep them.
TEST(TriangleMeshFronts, StrokesDrawnOverEachOtherKeepEachEdgeOnce) {
  std::mt19937 rng(25);
  for (int round = 0; round < 12; ++round) {
    Lines lines;
    AddStrokes(rng, 30, 1.0f, 0.0f, lines);
    CTriangleMesh plain;
    plain.SetScanMode(CTriangleMesh::ScanMode::Indexed);
    plain.AddPoints(lines.array);
    const int strokes = lines.array.GetSize();
    for (int s = 1; s < strokes; s += 3) {
      const CFeatureLine& line = *lines.array[s];
      std::vector<CVector2> points;
      for (int k = 0; k < line.GetPointCount(); ++k) points.push_back(*line.PointAt(k));
      bool closed = line.closed != 0;
      switch ((s / 3 + round) % 3) {
        case 0: break;
        case 1: std::reverse(points.begin(), points.end()); break;
        default: points.resize(points.size() / 2 + 1), closed = false; break;
      }
      lines.Add(points, closed);
    }
    CTriangleMesh drawnTwice;
    drawnTwice.SetScanMode(CTriangleMesh::ScanMode::Indexed);
    drawnTwice.AddPoints(lines.array);
    EXPECT_EQ(drawnTwice.GetConstraintCount(), plain.GetConstraintCount()) << "round " << round;
    if (round % 4 == 3) {
      // A copy through a point that is not a number goes past the index.
      const CFeatureLine& line = *lines.array[2];
      lines.Add({*line.PointAt(0), *line.PointAt(1), CVector2(NAN, 5), *line.PointAt(1), *line.PointAt(0)});
    }
    ExpectSameBothWays(lines, "strokes drawn twice", round);
  }
}

}  // namespace

// Combs: teeth hanging from a bar hide long runs of the front from the
// points between and below them, so most front edges are shown hidden
// behind one tooth at a time. Some points lie exactly on, or a hair off,
// the line through a tooth's tip and the tip of the next, or on the line
// of a tooth itself; some teeth are drawn twice a hair apart or lie along
// one another. Hidden or seen, every front edge must be judged as the
// linear scans judge it.
TEST(TriangleMeshFronts, CombsHidingRunsOfTheFrontGiveTheTrianglesOfTheLinearScans) {
  std::mt19937 rng(2514);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float hairs[] = {0.0f, 1e-6f, -1e-6f, 4e-4f, -9.9e-4f, 1e-3f, 1.01e-3f, 0.02f};
  std::uniform_int_distribution<int> hair(0, 7);
  for (int round = 0; round < 16; ++round) {
    Lines lines;
    const float width = 640, height = 480, scale = round % 4 == 3 ? 1e-3f : 1.0f;
    auto at = [&](float x, float y) { return CVector2(x * scale, y * scale); };
    lines.Add({at(0, 0), at(width, 0), at(width, height), at(0, height)}, true);
    const int teeth = 20 + 6 * round;
    std::vector<CVector2> tips;
    for (int k = 0; k < teeth; ++k) {
      const float x = (k + 0.5f) * width / teeth, root = 20 + 10 * unit(rng);
      const float tip = root + 40 + (height - 100) * unit(rng), lean = (unit(rng) - 0.5f) * width / teeth;
      lines.Add({at(x, root), at(x + lean * 0.5f, (root + tip) / 2), at(x + lean, tip)});
      tips.push_back(at(x + lean, tip));
      if (k % 9 == 4) lines.Add({at(x + hairs[hair(rng)], root), at(x + lean + hairs[hair(rng)], tip)});
      if (k % 11 == 7) lines.Add({at(x + lean * 0.25f, (3 * root + tip) / 4), at(x + lean * 0.75f, (root + 3 * tip) / 4)});
    }
    // Points below the bar: at random, and on or next to the line through
    // the tips of neighbouring teeth, beyond either tip.
    for (int k = 0; k < 3 * teeth; ++k) {
      if (k % 2 == 0 || tips.size() < 2) {
        lines.Add({at(width * unit(rng), 30 + (height - 40) * unit(rng))});
        continue;
      }
      const size_t i = static_cast<size_t>(unit(rng) * (tips.size() - 1));
      const CVector2 a = tips[i], b = tips[i + 1];
      const float u = unit(rng) < 0.5f ? -0.5f - unit(rng) : 1.5f + unit(rng), off = hairs[hair(rng)] * scale;
      const float dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
      const CVector2 p(a.x + u * dx - off * dy / length, a.y + u * dy + off * dx / length);
      if (p.x > 0 && p.x < width * scale && p.y > 0 && p.y < height * scale) lines.Add({p});
    }
    ExpectSameBothWays(lines, "comb", round);
  }
}

// Strokes on a coarse lattice with points squeezed towards the origin,
// thrown far out, at -0 or not a number: fronts fold round the far points,
// corners are hidden by edges that later flip away, and some sight lines
// go past the index. The index keeps what it learnt about each hidden
// corner; the linear scans keep nothing; both must close the same corners.
TEST(TriangleMeshFronts, FarAndSqueezedPointsGiveTheTrianglesOfTheLinearScans) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> cell(0, 12), count(2, 7), pick(0, 99);
    Lines lines;
    lines.Add({{0, 0}, {120, 0}, {120, 120}, {0, 120}}, true);
    const int strokes = 6 + static_cast<int>(seed % 40);
    for (int l = 0; l < strokes; ++l) {
      const bool closed = pick(rng) < 15;
      std::vector<CVector2> points;
      for (int k = count(rng); k > 0; --k) {
        CVector2 p(10.0f * cell(rng), 10.0f * cell(rng));
        const int kind = pick(rng);
        if (kind < 5) p = CVector2(p.x * 1e-6f, p.y * 1e-6f);
        else if (kind < 6 + static_cast<int>(seed % 4)) p.y = 3e7f;
        else if (kind < 8) p.x = -0.0f;
        else if (kind < 9 && seed % 7 == 0) p.x = NAN;
        points.push_back(p);
      }
      lines.Add(points, closed);
    }
    const Image indexed = Build(lines, CTriangleMesh::ScanMode::Indexed);
    EXPECT_TRUE(indexed == Build(lines, CTriangleMesh::ScanMode::Linear)) << "seed " << seed;
  }
}

// Lone edges that start fronts of their own and turn as their first
// triangle is made, vertices that wait and then join a front's end, and
// fronts that merge: which vertex joins which front, and which fronts
// merge, follow from the fronts' end vertices, read again only for the
// fronts changed since. The triangles are held to those recorded when
// every front was read each time.
TEST(TriangleMeshFronts, FrontEndsReadOnlyWhereChangedKeepTheRecordedTriangles) {
  uint64_t hash = 1469598103934665603ull;
  for (int size : {3, 5, 8, 9}) {
    std::mt19937 rng(static_cast<unsigned>(size) * 7919u);
    for (int round = 0; round < 150; ++round) {
      Lines lines;
      AddLattice(rng, size, round, lines);
      const Image indexed = Build(lines, CTriangleMesh::ScanMode::Indexed);
      for (const std::array<int, 3>& t : indexed.triangles)
        for (int v : t) Mix(hash, v);
      for (const auto& [a, b] : indexed.edges) Mix(hash, a), Mix(hash, b);
      Mix(hash, -1);
    }
  }
  EXPECT_EQ(hash, 0x96b102a909787e4dull);
}

// The flip passes after the sweep pass over the edges the sweep's own flips
// refused while their triangles stayed; built with linear scans, the first
// pass tests every edge. Both must flip the same edges in the same order:
// near-square cells (where most edges are close calls), scattered short
// strokes, strokes that cross (the hull repair replaces the sweep's
// triangles), and points that are not finite (the flips measure afresh).
TEST(TriangleMeshFronts, FlipPassesSkipOnlyEdgesTheyWouldRefuse) {
  std::mt19937 rng(4711);
  for (int round = 0; round < 8; ++round) {
    std::uniform_real_distribution<float> jitter(-0.02f * (round + 1), 0.02f * (round + 1));
    Lines cells;
    cells.Add({{0, 0}, {40, 0}, {40, 40}, {0, 40}}, true);
    for (int y = 1; y < 20; ++y)
      for (int x = 1; x < 20; x += 2)
        cells.Add({{2.0f * x + jitter(rng), 2.0f * y + jitter(rng)}, {2.0f * x + 2 + jitter(rng), 2.0f * y + jitter(rng)}});
    ExpectSameBothWays(cells, "cells", round);

    std::uniform_real_distribution<float> where(1, 399), reach(-6, 6);
    Lines scattered, crossing;
    for (Lines* lines : {&scattered, &crossing}) lines->Add({{0, 0}, {400, 0}, {400, 400}, {0, 400}}, true);
    for (int s = 0; s < 120; ++s) {
      const CVector2 p(where(rng), where(rng));
      const CVector2 q(p.x + reach(rng), p.y + reach(rng) * (s % 3 == 0 ? 0.01f : 1.0f));
      for (Lines* lines : {&scattered, &crossing}) lines->Add({p, q});
    }
    ExpectSameBothWays(scattered, "scattered", round);
    for (int s = 0; s < 4 + round; ++s) crossing.Add({{where(rng), where(rng)}, {where(rng), where(rng)}});
    ExpectSameBothWays(crossing, "crossing", round);
  }
  for (const float odd : {INFINITY, -INFINITY, 3e38f}) {
    Lines lines;
    AddStrokes(rng, 30, 1, 0, lines);
    lines.Add({{200, 200}, {odd, 250}});
    ExpectSameBothWays(lines, "far point", 0);
  }
}
