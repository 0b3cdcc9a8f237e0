// Recorded meshes: the triangles (vertex triples in triangle order) and the
// fold-over answer of drawings of a few hundred to a few thousand points,
// as the sweep made them before it had a spatial index. Speed work inside
// the mesh must keep every triangle where it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/mesh/triangle_mesh.h"

namespace {

struct Drawing {
  std::vector<std::unique_ptr<CFeatureLine>> owned;
  CFeatureLineArray array;
  CFeatureLine* Add(bool closed = false) {
    owned.push_back(std::make_unique<CFeatureLine>());
    owned.back()->closed = closed ? 1 : 0;
    array.Add(owned.back().get());
    return owned.back().get();
  }
};

uint64_t Mix(uint64_t hash, int64_t value) {
  for (int i = 0; i < 8; ++i) hash = (hash ^ static_cast<uint8_t>(value >> (8 * i))) * 1099511628211ull;
  return hash;
}

// Gentle curves of ten points over a 640 x 480 output, in rows and columns,
// and seeded random strokes, some crossing and some sharing points.
void Draw(Drawing& d, int curves, unsigned seed) {
  CFeatureLine* frame = d.Add(true);
  for (const CVector2& p : {CVector2(0, 0), CVector2(640, 0), CVector2(640, 480), CVector2(0, 480)}) frame->AddPoint(p);
  const int rows = static_cast<int>(std::ceil(std::sqrt(curves)));
  for (int l = 0; l < curves; ++l) {
    CFeatureLine* line = d.Add();
    const float x0 = 10 + (l % rows) * 620.0f / rows, y0 = 10 + (l / rows) * 460.0f / rows;
    const float w = 600.0f / rows, h = 440.0f / rows;
    for (int k = 0; k < 10; ++k) line->AddPoint(CVector2(x0 + w * k / 10, y0 + h * 0.5f * (1 + std::sin(k * 0.7f + l))));
  }
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> x(0, 640), y(0, 480), bend(-40, 40);
  for (int c = 0; c < curves / 4; ++c) {
    CFeatureLine* line = d.Add();
    const CVector2 start(x(rng), y(rng));
    const float dx = bend(rng), dy = bend(rng);
    for (int k = 0; k < 6; ++k) line->AddPoint(CVector2(start.x + dx * k / 2, start.y + dy * k / 2));
  }
}

// The vertex triples of the drawing's mesh, in triangle order.
std::vector<int> Triangles(const Drawing& d, CTriangleMesh::ScanMode mode) {
  CTriangleMesh mesh;
  mesh.SetScanMode(mode);
  mesh.AddPoints(d.array);
  mesh.Triangulate();
  std::vector<int> triangles;
  for (int t = 0; t < mesh.GetTriangleCount(); ++t) {
    int v[3];
    mesh.TriangleVertices(t, v);
    triangles.insert(triangles.end(), v, v + 3);
  }
  return triangles;
}

// The vertex count and the triangles' vertex triples, in triangle order.
uint64_t MixTriangles(uint64_t hash, const CTriangleMesh& mesh) {
  hash = Mix(hash, mesh.GetVertexCount());
  for (int t = 0; t < mesh.GetTriangleCount(); ++t) {
    int v[3];
    mesh.TriangleVertices(t, v);
    for (int k : v) hash = Mix(hash, k);
  }
  return hash;
}

// Moves every point of `moved` but the frame's by up to `shift` and mixes
// in the fold-over answer of the morph from `d` to it.
uint64_t MixFoldOver(uint64_t hash, const CTriangleMesh& mesh, const Drawing& d, Drawing& moved, std::mt19937& rng,
                     float shift) {
  std::uniform_real_distribution<float> move(-shift, shift);
  for (int l = 1; l < moved.array.GetSize(); ++l)
    for (int p = 0; p < moved.array[l]->GetPointCount(); ++p) {
      CVector2* point = moved.array[l]->PointAt(p);
      *point = CVector2(point->x + move(rng), point->y + move(rng));
    }
  int out[4] = {-1, -1, -1, -1};
  hash = Mix(hash, FindCrossingTriangles(mesh, d.array, moved.array, out));
  for (int k : out) hash = Mix(hash, k);
  return hash;
}

uint64_t MeshHash(int curves, unsigned seed) {
  Drawing d;
  Draw(d, curves, seed);
  CTriangleMesh mesh;
  mesh.AddPoints(d.array);
  mesh.Triangulate();
  uint64_t hash = MixTriangles(14695981039346656037ull, mesh);
  // A target with every point but the frame's moved: the first pair that
  // passes through each other is the one the sweep of boxes meets first.
  Drawing moved;
  Draw(moved, curves, seed);
  std::mt19937 rng(seed + 1);
  return MixFoldOver(hash, mesh, d, moved, rng, 25);
}

TEST(TriangleMeshReference, DenseDrawingsKeepTheirTriangles) {
  EXPECT_EQ(MeshHash(20, 1), 11064617794408049111ull);
  EXPECT_EQ(MeshHash(60, 2), 2755707134777290485ull);
  EXPECT_EQ(MeshHash(150, 3), 9269549487418960339ull);
  EXPECT_EQ(MeshHash(400, 4), 7976024845807776560ull);
}

// Drawings whose sweep leaves holes, so that the mesh is triangulated afresh
// over its hull: built with the direct flips and lookups of that repair, the
// triangles are those of the plain form, which unlinks and links each flipped
// pair (the form the linear scans use).
TEST(TriangleMeshReference, HullRepairGivesTheTrianglesOfThePlainForm) {
  // The last drawing has about 1,150 points: its repair makes thousands of
  // flips, enough for a stale link or a wrongly listed owner to show.
  for (unsigned seed = 1; seed <= 9; ++seed) {
    Drawing d;
    Draw(d, seed < 9 ? 16 + 4 * static_cast<int>(seed) : 100, seed);
    const std::vector<int> triangles[2] = {Triangles(d, CTriangleMesh::ScanMode::Indexed),
                                           Triangles(d, CTriangleMesh::ScanMode::Linear)};
    EXPECT_EQ(triangles[0], triangles[1]) << "seed " << seed;
  }
}

// Crossing strokes with no frame round them: the repair's hull is ragged,
// so its flips reach the hull's sides and the edges round its corners.
TEST(TriangleMeshReference, HullRepairOfFramelessStrokesGivesThePlainFormsTriangles) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    Drawing d;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> x(0, 640), y(0, 480), bend(-90, 90);
    for (int c = 0; c < 40; ++c) {
      CFeatureLine* line = d.Add(c % 7 == 0);
      const CVector2 start(x(rng), y(rng));
      const float dx = bend(rng), dy = bend(rng);
      for (int k = 0; k < 6; ++k) line->AddPoint(CVector2(start.x + dx * k / 2 + bend(rng) / 8, start.y + dy * k / 2));
    }
    const std::vector<int> triangles[2] = {Triangles(d, CTriangleMesh::ScanMode::Indexed),
                                           Triangles(d, CTriangleMesh::ScanMode::Linear)};
    EXPECT_EQ(triangles[0], triangles[1]) << "seed " << seed;
    EXPECT_GT(triangles[0].size(), 300u) << "seed " << seed;
  }
}

// The repair takes its points in ascending x, equal x in ascending y, sorted
// by the bits of the numbers: points of either sign round the origin, on
// -0 and +0 (equal numbers, so one point) and in runs of equal x or equal y
// must come in the order the plain form's comparisons give.
TEST(TriangleMeshReference, HullRepairOrdersPointsOfEverySignAsThePlainForm) {
  const float zeros[] = {-0.0f, 0.0f};
  for (unsigned seed = 1; seed <= 8; ++seed) {
    Drawing d;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> x(-320, 320), y(-240, 240), bend(-90, 90);
    std::uniform_int_distribution<int> pick(0, 5), step(-40, 40);
    const float unit = seed % 2 ? 1.0f : 0.125f;
    for (int c = 0; c < 36; ++c) {
      CFeatureLine* line = d.Add(c % 9 == 0);
      const CVector2 start(x(rng), y(rng));
      const float dx = bend(rng), dy = bend(rng);
      for (int k = 0; k < 5; ++k) {
        CVector2 p(start.x + dx * k / 2, start.y + dy * k / 2);
        // Some points on an axis (of either zero) or on a lattice of equal x or y.
        const int how = pick(rng);
        if (how == 0) p.x = zeros[k % 2];
        if (how == 1) p.y = zeros[(k + 1) % 2];
        if (how == 2) p = CVector2(unit * static_cast<float>(step(rng)), unit * static_cast<float>(step(rng)));
        line->AddPoint(p);
      }
    }
    const std::vector<int> triangles[2] = {Triangles(d, CTriangleMesh::ScanMode::Indexed),
                                           Triangles(d, CTriangleMesh::ScanMode::Linear)};
    EXPECT_EQ(triangles[0], triangles[1]) << "seed " << seed;
  }
}

// Points on shared circles (rings of lattice points at equal distances from
// a centre, every four of a ring on one circle), a loose cloud and crossing
// strokes, from tiny to huge scales: the repair's in-circle tests meet exact
// zeros and values near the ends of the double range, and the direct flips
// must decide each of them as the plain ones do.
TEST(TriangleMeshReference, HullRepairOfRingsAndCloudsGivesThePlainFormsTriangles) {
  // Lattice points at squared distance 325 from the centre (twelve of them
  // up to sign) and 25 (the 3-4-5 ones).
  const int ring[][2] = {{1, 18}, {6, 17}, {10, 15}, {15, 10}, {17, 6}, {18, 1}, {3, 4}, {4, 3}, {5, 0}, {0, 5}};
  for (float scale : {1e-30f, 1e-3f, 1.0f, 7.3f, 1e6f, 1e30f})
    for (unsigned seed = 1; seed <= 5; ++seed) {
      Drawing d;
      std::mt19937 rng(seed);
      std::uniform_int_distribution<int> centre(-3, 3), sign(0, 1);
      std::uniform_real_distribution<float> loose(-30, 30);
      for (int c = 0; c < 3; ++c) {
        const int cx = 20 * centre(rng), cy = 20 * centre(rng);
        for (const auto& p : ring)
          for (int s = 0; s < 4; ++s)
            d.Add()->AddPoint(CVector2(scale * static_cast<float>(cx + (s & 1 ? -p[0] : p[0])),
                                       scale * static_cast<float>(cy + (s & 2 ? -p[1] : p[1]))));
      }
      for (int k = 0; k < 40; ++k) d.Add()->AddPoint(CVector2(scale * loose(rng) * 3, scale * loose(rng) * 3));
      for (unsigned c = 0; c < 4 + seed; ++c) {
        CFeatureLine* line = d.Add(c % 4 == 3);
        const CVector2 start(scale * loose(rng) * 3, scale * loose(rng) * 3);
        const float dx = loose(rng), dy = loose(rng);
        for (int k = 0; k < 5; ++k) line->AddPoint(CVector2(start.x + scale * dx * k, start.y + scale * dy * k));
      }
      const std::vector<int> triangles[2] = {Triangles(d, CTriangleMesh::ScanMode::Indexed),
                                             Triangles(d, CTriangleMesh::ScanMode::Linear)};
      EXPECT_EQ(triangles[0], triangles[1]) << "scale " << scale << ", seed " << seed;
    }
}

// Long strokes over a dense cloud, with no frame: few of their segments are
// edges after the Delaunay flips, so each is forced in by flips that read
// the edge order after hundreds of thousands of changes, erasures among
// them, and later segments meet those forced before.
TEST(TriangleMeshReference, HullRepairForcingLongStrokesGivesThePlainFormsTriangles) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    Drawing d;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> x(0, 400), y(0, 300);
    for (int k = 0; k < 900; ++k) d.Add()->AddPoint(CVector2(x(rng), y(rng)));
    for (int c = 0; c < 12; ++c) {
      CFeatureLine* line = d.Add(c % 4 == 3);
      for (int k = 0; k < 3; ++k) line->AddPoint(CVector2(x(rng), y(rng)));
    }
    const std::vector<int> triangles[2] = {Triangles(d, CTriangleMesh::ScanMode::Indexed),
                                           Triangles(d, CTriangleMesh::ScanMode::Linear)};
    EXPECT_EQ(triangles[0], triangles[1]) << "seed " << seed;
    EXPECT_GT(triangles[0].size(), 3u * 1700) << "seed " << seed;
  }
}

// Takes the render mesh's triangle indices into a hash.
class HashingReceiver : public CMeshReceiver {
 public:
  explicit HashingReceiver(uint64_t* hash) : m_hash(hash) {}
  void SetMesh(CRenderVertex* vertices, int vertexCount, WORD* triangles, int triangleCount) override {
    *m_hash = Mix(*m_hash, vertexCount);
    for (int i = 0; i < 3 * triangleCount; ++i) *m_hash = Mix(*m_hash, triangles[i]);
    delete[] vertices;
    delete[] triangles;
  }

 private:
  uint64_t* m_hash;
};

// Awkward drawings: strokes on a coarse lattice (collinear runs, shared and
// coincident points, lines drawn over each other), a few points pushed to
// -0, huge or tiny coordinates, and in some drawings a point that is not a
// number. Hashed: the vertex count, the triangles, every edge, the render
// mesh's indices and the fold-over answers against two moved targets.
uint64_t AwkwardMeshHash(unsigned seed, CTriangleMesh::ScanMode mode) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> cell(0, 12), count(2, 7), pick(0, 99);
  auto draw = [&](Drawing& d, std::mt19937 r) {
    CFeatureLine* frame = d.Add(true);
    for (const CVector2& p : {CVector2(0, 0), CVector2(120, 0), CVector2(120, 120), CVector2(0, 120)}) frame->AddPoint(p);
    const int lines = 6 + static_cast<int>(seed % 40);
    for (int l = 0; l < lines; ++l) {
      CFeatureLine* line = d.Add(pick(r) < 15);
      const int n = count(r);
      for (int k = 0; k < n; ++k) {
        CVector2 p(10.0f * cell(r), 10.0f * cell(r));
        const int kind = pick(r);
        if (kind < 2) p.x = -0.0f;
        else if (kind < 4) p.y = -0.0f;
        else if (kind < 5) p = CVector2(p.x * 1e-6f, p.y * 1e-6f);
        else if (kind < 6 && seed % 3 == 0) p.y = 3e7f;
        else if (kind < 7 && seed % 5 == 0) p.x = NAN;
        line->AddPoint(p);
      }
    }
  };
  Drawing d;
  draw(d, rng);
  CTriangleMesh mesh;
  mesh.SetScanMode(mode);
  mesh.AddPoints(d.array);
  mesh.Triangulate();
  uint64_t hash = MixTriangles(14695981039346656037ull, mesh);
  std::vector<std::pair<int, int>> edges;
  mesh.Edges(edges);
  for (const auto& [a, b] : edges) hash = Mix(Mix(hash, a), b);
  HashingReceiver receiver(&hash);
  mesh.BuildRenderMesh(d.array, d.array, &receiver, CRectF(0, 0, 120, 120), 0, 1, 0, 1);
  for (float shift : {3.0f, 25.0f}) {
    Drawing moved;
    draw(moved, rng);
    std::mt19937 r(seed + 7);
    hash = MixFoldOver(hash, mesh, d, moved, r, shift);
  }
  return hash;
}

// Recorded from the mesh before its flips, cover check and fold-over sort
// were made faster.
TEST(TriangleMeshReference, AwkwardDrawingsKeepTheirMeshesAndFoldOverAnswers) {
  uint64_t all[2] = {14695981039346656037ull, 14695981039346656037ull};
  for (unsigned seed = 1; seed <= 150; ++seed) {
    all[0] = Mix(all[0], static_cast<int64_t>(AwkwardMeshHash(seed, CTriangleMesh::ScanMode::Indexed)));
    all[1] = Mix(all[1], static_cast<int64_t>(AwkwardMeshHash(seed, CTriangleMesh::ScanMode::Linear)));
  }
  EXPECT_EQ(all[0], 11617574982344116098ull);
  EXPECT_EQ(all[1], 11617574982344116098ull);
}

// Rows of lattice points crossed by strokes on the half lattice, at several
// scales: the repair's Delaunay flips meet many four points on one circle,
// where the result depends on the order of the flips, and points in line.
TEST(TriangleMeshReference, HullRepairOfLatticeStrokesGivesThePlainFormsTriangles) {
  for (float scale : {1.0f, 0.001f, 1000.0f, 3.7f})
    for (unsigned strokes : {3u, 8u, 20u}) {
      Drawing d;
      for (int r = 0; r < 12; ++r) {
        CFeatureLine* row = d.Add();
        for (int k = 0; k < 16; ++k) row->AddPoint(CVector2(scale * 8 * k, scale * 8 * r));
      }
      std::mt19937 rng(strokes);
      std::uniform_int_distribution<int> cell(0, 15), step(-2, 2);
      for (unsigned c = 0; c < strokes; ++c) {
        CFeatureLine* line = d.Add(c % 5 == 4);
        int x = cell(rng), y = cell(rng) % 12;
        for (int k = 0; k < 4; ++k, x += step(rng), y += step(rng))
          line->AddPoint(CVector2(scale * (4 * x + 2), scale * (4 * y + 2)));
      }
      const std::vector<int> triangles[2] = {Triangles(d, CTriangleMesh::ScanMode::Indexed),
                                             Triangles(d, CTriangleMesh::ScanMode::Linear)};
      EXPECT_EQ(triangles[0], triangles[1]) << "scale " << scale << ", " << strokes << " strokes";
      EXPECT_GT(triangles[0].size(), 3u * 300) << "scale " << scale << ", " << strokes << " strokes";
    }
}

// The triangles of the drawing's mesh with the repair's flips run by the
// loop built for AVX (where the processor has it) or by the plain one.
std::vector<int> TrianglesFlippedBy(const Drawing& d, bool avx) {
  CTriangleMesh::AllowAvxFlips(avx);
  std::vector<int> triangles = Triangles(d, CTriangleMesh::ScanMode::Indexed);
  CTriangleMesh::AllowAvxFlips(true);
  return triangles;
}

// Both copies of the repair's flip loop give the same triangles (the tests
// above hold the AVX one, where it runs, to the plain form's): dense curves whose sweep leaves holes, rings of points on shared
// circles and loose clouds from tiny to huge scales (in-circle values of
// exactly zero and near the ends of the double range), lattice rows crossed
// by strokes, and strokes over a cloud forced in after the flips.
TEST(TriangleMeshReference, HullRepairFlipsAlikeInItsAvxAndPlainLoops) {
  std::vector<std::string> names;
  std::vector<std::unique_ptr<Drawing>> drawings;
  const auto add = [&](const std::string& name) -> Drawing& {
    names.push_back(name);
    drawings.push_back(std::make_unique<Drawing>());
    return *drawings.back();
  };
  for (unsigned seed = 1; seed <= 2; ++seed) Draw(add("curves " + std::to_string(seed)), 100, seed);
  const int ring[][2] = {{1, 18}, {6, 17}, {10, 15}, {15, 10}, {17, 6}, {18, 1}, {3, 4}, {4, 3}, {5, 0}, {0, 5}};
  for (float scale : {1e-30f, 1.0f, 7.3f, 1e30f}) {
    Drawing& d = add("rings at " + std::to_string(scale));
    std::mt19937 rng(static_cast<unsigned>(std::log2(scale) + 200));
    std::uniform_real_distribution<float> loose(-90, 90);
    for (int c = 0; c < 4; ++c)
      for (const auto& p : ring)
        for (int s = 0; s < 4; ++s)
          d.Add()->AddPoint(CVector2(scale * static_cast<float>(40 * c + (s & 1 ? -p[0] : p[0])),
                                     scale * static_cast<float>(20 * (c & 1) + (s & 2 ? -p[1] : p[1]))));
    for (int k = 0; k < 300; ++k) d.Add()->AddPoint(CVector2(scale * loose(rng), scale * loose(rng)));
    for (int c = 0; c < 2; ++c) {
      CFeatureLine* line = d.Add();
      for (int k = 0; k < 3; ++k) line->AddPoint(CVector2(scale * loose(rng), scale * loose(rng)));
    }
  }
  {
    Drawing& d = add("lattice");
    for (int r = 0; r < 20; ++r) {
      CFeatureLine* row = d.Add();
      for (int k = 0; k < 24; ++k) row->AddPoint(CVector2(8.0f * k, 8.0f * r));
    }
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> cell(0, 23), step(-2, 2);
    for (int c = 0; c < 20; ++c) {
      CFeatureLine* line = d.Add();
      int x = cell(rng), y = cell(rng) % 20;
      for (int k = 0; k < 4; ++k, x += step(rng), y += step(rng))
        line->AddPoint(CVector2(4.0f * x + 2, 4.0f * y + 2));
    }
  }
  {
    Drawing& d = add("strokes over a cloud");
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> x(0, 400), y(0, 300);
    for (int k = 0; k < 600; ++k) d.Add()->AddPoint(CVector2(x(rng), y(rng)));
    for (int c = 0; c < 3; ++c) {
      CFeatureLine* line = d.Add();
      for (int k = 0; k < 3; ++k) line->AddPoint(CVector2(x(rng), y(rng)));
    }
  }
  for (size_t i = 0; i < drawings.size(); ++i) {
    const std::vector<int> avx = TrianglesFlippedBy(*drawings[i], true), plain = TrianglesFlippedBy(*drawings[i], false);
    EXPECT_EQ(avx, plain) << names[i];
    EXPECT_GT(avx.size(), 3u * 400) << names[i];
  }
}


// Takes the render mesh and drops it.
class DroppingReceiver : public CMeshReceiver {
 public:
  void SetMesh(CRenderVertex* vertices, int, WORD* triangles, int) override {
    delete[] vertices;
    delete[] triangles;
  }
};

// The whole build as the editor runs it on each edit: mesh, render mesh and
// fold-over check against `moved`.
void BuildAndRender(const Drawing& d, const Drawing& moved, CTriangleMesh::ScanMode mode) {
  CTriangleMesh mesh;
  mesh.SetScanMode(mode);
  mesh.AddPoints(d.array);
  mesh.Triangulate();
  for (int t = 0; t < mesh.GetTriangleCount(); ++t) {
    int v[3];
    mesh.TriangleVertices(t, v);
    for (int k : v) ASSERT_TRUE(k >= 0 && k < mesh.GetVertexCount());
  }
  DroppingReceiver receiver;
  mesh.BuildRenderMesh(d.array, d.array, &receiver, CRectF(0, 0, 120, 120), 0, 1, 0, 1);
  int out[4] = {-1, -1, -1, -1};
  FindCrossingTriangles(mesh, d.array, moved.array, out);
}

// A point some 1e18 times farther out than the drawing's spacing swamps the
// side tests: the same three points come out on different sides by the one
// measured from, and the hull repair gets flat and clockwise triangles. Its
// walk round a vertex then circled for ever (the small drawing, cut down from
// a lattice drawing below that hung). Lattice drawings: collinear runs, shared
// and coincident points, lines drawn over each other, points at -0 and tiny.
TEST(TriangleMeshReference, HugeCoordinatesEndTheBuild) {
  const float huges[] = {1e20f, 1e30f, 1e38f, -1e38f, 3.4e38f};
  for (float huge : huges)
    for (auto mode : {CTriangleMesh::ScanMode::Indexed, CTriangleMesh::ScanMode::Linear}) {
      SCOPED_TRACE(testing::Message() << "huge " << huge);
      Drawing d;
      for (const CVector2& p : {CVector2(70, 30), CVector2(60, 90), CVector2(60, 30), CVector2(50, 80)})
        d.Add()->AddPoint(p);
      CFeatureLine* line = d.Add();
      line->AddPoint(CVector2(70, 100));
      line->AddPoint(CVector2(50, huge));
      d.Add()->AddPoint(CVector2(50, 50));
      BuildAndRender(d, d, mode);
    }
  for (float huge : huges)
    for (unsigned seed = 1; seed <= 12; ++seed) {
      SCOPED_TRACE(testing::Message() << "huge " << huge << ", seed " << seed);
      std::mt19937 rng(seed);
      std::uniform_int_distribution<int> cell(0, 12), count(2, 7), pick(0, 99);
      auto draw = [&](Drawing& d, std::mt19937 r) {
        CFeatureLine* frame = d.Add(true);
        for (const CVector2& p : {CVector2(0, 0), CVector2(120, 0), CVector2(120, 120), CVector2(0, 120)})
          frame->AddPoint(p);
        for (int l = 0; l < 6 + static_cast<int>(seed); ++l) {
          CFeatureLine* line = d.Add(pick(r) < 15);
          for (int k = 0, n = count(r); k < n; ++k) {
            CVector2 p(10.0f * cell(r), 10.0f * cell(r));
            const int kind = pick(r);
            if (kind < 2) p.x = -0.0f;
            else if (kind < 4) p.y = -0.0f;
            else if (kind < 5) p = CVector2(p.x * 1e-6f, p.y * 1e-6f);
            else if (kind < 6) p.y = huge;
            else if (kind < 7) p.x = -huge;
            line->AddPoint(p);
          }
        }
      };
      Drawing d, moved;
      draw(d, rng);
      draw(moved, rng);
      BuildAndRender(d, moved, CTriangleMesh::ScanMode::Indexed);
      BuildAndRender(d, moved, CTriangleMesh::ScanMode::Linear);
    }
}

}  // namespace
