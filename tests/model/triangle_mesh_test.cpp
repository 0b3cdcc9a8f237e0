// The triangle mesh: vertices and constraint edges, coverage of the output
// rectangle, minimum-angle flips, the fold-over check and render meshes, on
// hand-made and seeded random line sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "model/geometry/geometry.h"
#include "model/mesh/triangle_mesh.h"

namespace {

// Line sets built for a test; the lines are owned here.
struct Lines {
  std::vector<std::unique_ptr<CFeatureLine>> owned;
  CFeatureLineArray array;
  CFeatureLine* Add(std::initializer_list<CVector2> points, bool closed = false) {
    owned.push_back(std::make_unique<CFeatureLine>());
    for (const CVector2& p : points) owned.back()->AddPoint(p);
    owned.back()->closed = closed ? 1 : 0;
    array.Add(owned.back().get());
    return owned.back().get();
  }
  CFeatureLine* AddCorners(float width, float height) {
    return Add({CVector2(0, 0), CVector2(width, 0), CVector2(width, height), CVector2(0, height)}, true);
  }
};

double Area(const CVector2& a, const CVector2& b, const CVector2& c) {
  return 0.5 * ((static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                (static_cast<double>(c.x) - a.x) * (static_cast<double>(b.y) - a.y));
}

struct Built {
  std::unique_ptr<CTriangleMesh> mesh = std::make_unique<CTriangleMesh>();
  std::vector<std::array<int, 3>> triangles;
  std::set<std::pair<int, int>> triangleEdges;
};

Built Build(const CFeatureLineArray& lines) {
  Built b;
  b.mesh->AddPoints(lines);
  EXPECT_EQ(b.mesh->Triangulate(), 1);
  for (int t = 0; t < b.mesh->GetTriangleCount(); ++t) {
    std::array<int, 3> v;
    b.mesh->TriangleVertices(t, v.data());
    b.triangles.push_back(v);
    for (int k = 0; k < 3; ++k)
      b.triangleEdges.insert(std::minmax(v[k], v[(k + 1) % 3]));
  }
  return b;
}

double TotalArea(const Built& b) {
  double total = 0;
  for (const auto& t : b.triangles)
    total += std::fabs(Area(b.mesh->Position(t[0]), b.mesh->Position(t[1]), b.mesh->Position(t[2])));
  return total;
}

// How many triangles hold the point strictly inside.
int Cover(const Built& b, float x, float y) {
  int n = 0;
  for (const auto& t : b.triangles) {
    const CVector2 &p = b.mesh->Position(t[0]), &q = b.mesh->Position(t[1]), &r = b.mesh->Position(t[2]);
    const float tri[6] = {p.x, p.y, q.x, q.y, r.x, r.y};
    if (PointInTriangle(tri, x, y)) ++n;
  }
  return n;
}

// Every constraint segment is a side of some triangle.
void ExpectConstraintsAreEdges(const Built& b) {
  std::vector<std::pair<int, int>> edges;
  b.mesh->Edges(edges);
  for (int e = 0; e < b.mesh->GetConstraintCount(); ++e) {
    auto key = std::minmax(edges[e].first, edges[e].second);
    if (key.first == key.second) continue;
    const CVector2 &p = b.mesh->Position(key.first), &q = b.mesh->Position(key.second);
    if (p.x == q.x && p.y == q.y) continue;  // coincident points make no side
    EXPECT_TRUE(b.triangleEdges.count(key)) << "constraint " << key.first << "-" << key.second;
  }
}

class MeshReceiver : public CMeshReceiver {
 public:
  ~MeshReceiver() override {
    delete[] vertices;
    delete[] triangles;
  }
  void SetMesh(CRenderVertex* v, int count, WORD* t, int triangleCount) override {
    vertices = v, vertexCount = count, triangles = t, this->triangleCount = triangleCount;
  }
  CRenderVertex* vertices = nullptr;
  WORD* triangles = nullptr;
  int vertexCount = 0, triangleCount = 0;
};

TEST(TriangleMesh, FourCornersMakeTwoTrianglesAndFiveEdges) {
  Lines lines;
  lines.AddCorners(100, 80);
  Built b = Build(lines.array);
  EXPECT_EQ(b.mesh->GetVertexCount(), 4);
  EXPECT_EQ(b.mesh->GetConstraintCount(), 4);
  EXPECT_EQ(b.mesh->GetTriangleCount(), 2);
  EXPECT_EQ(b.mesh->GetCreatedEdgeCount(), 1);
  EXPECT_NEAR(TotalArea(b), 8000, 1e-3);
}

TEST(TriangleMesh, VerticesRunInAscendingYAndEqualYKeepDrawingOrder) {
  Lines lines;
  lines.Add({CVector2(50, 40), CVector2(10, 40), CVector2(30, 40)});
  lines.Add({CVector2(5, 10), CVector2(6, 70), CVector2(7, 20)});
  CTriangleMesh mesh;
  mesh.AddPoints(lines.array);
  const float ys[] = {10, 20, 40, 40, 40, 70};
  for (int v = 0; v < 6; ++v) EXPECT_EQ(mesh.Position(v).y, ys[v]);
  EXPECT_EQ(mesh.Position(2).x, 50);
  EXPECT_EQ(mesh.Position(3).x, 10);
  EXPECT_EQ(mesh.Position(4).x, 30);
  EXPECT_EQ(mesh.Sources()[3].line, 0);
  EXPECT_EQ(mesh.Sources()[3].point, 1);
  // Two open lines of three points: four constraint edges; closing one adds a fifth.
  EXPECT_EQ(mesh.GetConstraintCount(), 4);
  lines.owned[1]->closed = 1;
  CTriangleMesh closed;
  closed.AddPoints(lines.array);
  EXPECT_EQ(closed.GetConstraintCount(), 5);
}

// Large sets are put in order by their keys' bits rather than by
// comparisons: the order must still be that of a stable sort on y, through
// long runs of equal y, -0 beside +0, negative and infinite y.
TEST(TriangleMesh, VerticesOfLargeSetsRunAsAStableSortOnYPutsThem) {
  std::mt19937 random(77);
  const float odd[] = {-0.0f, 0.0f, -1.5f, 1e30f, -1e30f, INFINITY, -INFINITY, 1e-40f, -1e-40f, 3.0f};
  for (int round = 0; round < 12; ++round) {
    Lines lines;
    std::vector<CVector2> points;
    const int count = 300 + round * 400;
    std::uniform_int_distribution<int> level(0, round % 3 == 0 ? 5 : 2000), kind(0, 9);
    std::uniform_real_distribution<float> anywhere(-1e4f, 1e4f);
    CFeatureLine* line = nullptr;
    for (int i = 0; i < count; ++i) {
      if (i % 7 == 0) line = lines.Add({});
      const int how = kind(random);
      const float y = how == 0 ? odd[random() % std::size(odd)]
                      : how < 5 ? static_cast<float>(level(random)) * 0.25f - 100
                                : anywhere(random);
      const CVector2 p(static_cast<float>(i), y);
      line->AddPoint(p);
      points.push_back(p);
    }
    std::vector<size_t> expected(points.size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    std::stable_sort(expected.begin(), expected.end(), [&](size_t a, size_t b) { return points[a].y < points[b].y; });
    CTriangleMesh mesh;
    mesh.AddPoints(lines.array);
    ASSERT_EQ(mesh.GetVertexCount(), count);
    for (int v = 0; v < count; ++v) {
      const CVector2& want = points[expected[v]];
      ASSERT_EQ(mesh.Position(v).x, want.x) << "round " << round << " vertex " << v;
      ASSERT_EQ(std::signbit(mesh.Position(v).y), std::signbit(want.y)) << "round " << round << " vertex " << v;
      EXPECT_EQ(mesh.Sources()[v].line, static_cast<int>(expected[v] / 7));
      EXPECT_EQ(mesh.Sources()[v].point, static_cast<int>(expected[v] % 7));
    }
  }
}

TEST(TriangleMesh, FeatureLinesBecomeEdgesAndTheRectangleIsCoveredOnce) {
  Lines lines;
  lines.AddCorners(200, 150);
  lines.Add({CVector2(30, 40), CVector2(80, 60), CVector2(120, 30), CVector2(170, 70)});
  lines.Add({CVector2(40, 110), CVector2(100, 120), CVector2(160, 100)});
  lines.Add({CVector2(100, 80)});
  Built b = Build(lines.array);
  ExpectConstraintsAreEdges(b);
  EXPECT_NEAR(TotalArea(b), 200.0 * 150.0, 1e-2);
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> x(0.5f, 199.5f), y(0.5f, 149.5f);
  for (int i = 0; i < 500; ++i) {
    float px = x(rng), py = y(rng);
    int c = Cover(b, px, py);
    EXPECT_LE(c, 1) << px << "," << py;
  }
}

// No created edge is left whose flip would raise the smaller smallest angle
// of its two triangles by more than the threshold.
void ExpectNoWorthwhileFlip(const Built& b) {
  std::map<std::pair<int, int>, std::vector<int>> owners;
  for (size_t t = 0; t < b.triangles.size(); ++t)
    for (int k = 0; k < 3; ++k) owners[std::minmax(b.triangles[t][k], b.triangles[t][(k + 1) % 3])].push_back(int(t));
  auto minAngle = [&](int p, int q, int r) {
    auto angle = [&](int at, int u, int v) {
      double ux = b.mesh->Position(u).x - b.mesh->Position(at).x, uy = b.mesh->Position(u).y - b.mesh->Position(at).y;
      double vx = b.mesh->Position(v).x - b.mesh->Position(at).x, vy = b.mesh->Position(v).y - b.mesh->Position(at).y;
      return std::acos(std::clamp((ux * vx + uy * vy) / std::sqrt((ux * ux + uy * uy) * (vx * vx + vy * vy)), -1.0, 1.0));
    };
    return std::min({angle(p, q, r), angle(q, r, p), angle(r, p, q)});
  };
  for (const auto& owner : owners) {
    const auto& [edge, tris] = owner;
    if (tris.size() != 2 || b.mesh->FindEdge(edge.first, edge.second) >= 0) continue;
    // Structured bindings are not captured by every compiler's C++20 yet.
    auto opposite = [&b, &ends = owner.first](int t) {
      for (int v : b.triangles[t])
        if (v != ends.first && v != ends.second) return v;
      return -1;
    };
    int p = opposite(tris[0]), q = opposite(tris[1]);
    const CVector2 &A = b.mesh->Position(edge.first), &B = b.mesh->Position(edge.second);
    const CVector2 &P = b.mesh->Position(p), &Q = b.mesh->Position(q);
    const float t1[6] = {P.x, P.y, B.x, B.y, Q.x, Q.y}, t2[6] = {A.x, A.y, P.x, P.y, Q.x, Q.y};
    const float t3[6] = {A.x, A.y, B.x, B.y, Q.x, Q.y}, t4[6] = {A.x, A.y, B.x, B.y, P.x, P.y};
    if (PointInTriangle(t1, A.x, A.y) || PointInTriangle(t2, B.x, B.y) || PointInTriangle(t3, P.x, P.y) ||
        PointInTriangle(t4, Q.x, Q.y))
      continue;
    double before = std::min(minAngle(edge.first, edge.second, p), minAngle(edge.first, edge.second, q));
    double after = std::min(minAngle(p, q, edge.first), minAngle(p, q, edge.second));
    EXPECT_LE(after - before, 0.02 + 1e-9) << edge.first << "-" << edge.second;
  }
}

// Area of the convex hull of the mesh's vertices (gift wrapping).
double HullArea(const CTriangleMesh& mesh) {
  std::vector<CVector2> points;
  for (int v = 0; v < mesh.GetVertexCount(); ++v) points.push_back(mesh.Position(v));
  size_t start = 0;
  for (size_t i = 1; i < points.size(); ++i)
    if (points[i].x < points[start].x || (points[i].x == points[start].x && points[i].y < points[start].y)) start = i;
  double area = 0;
  size_t at = start;
  for (size_t guard = 0; guard <= points.size(); ++guard) {
    size_t next = at == 0 ? 1 : 0;
    for (size_t i = 0; i < points.size(); ++i) {
      const double turn = Area(points[at], points[next], points[i]);
      const double further = std::hypot(points[i].x - points[at].x, points[i].y - points[at].y) -
                             std::hypot(points[next].x - points[at].x, points[next].y - points[at].y);
      if (turn < 0 || (turn == 0 && further > 0)) next = i;
    }
    area += Area(points[start], points[at], points[next]);
    at = next;
    if (at == start) break;
  }
  return std::fabs(area);
}

TEST(TriangleMesh, FlipsLeaveNoWorthwhileFlip) {
  Lines lines;
  lines.AddCorners(100, 100);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> c(5, 95);
  for (int i = 0; i < 30; ++i) lines.Add({CVector2(c(rng), c(rng))});
  Built b = Build(lines.array);
  EXPECT_NEAR(TotalArea(b), 10000.0, 1e-2);
  ExpectNoWorthwhileFlip(b);
}

TEST(TriangleMesh, RenderMeshTakesPositionsFromOneSetAndTextureFromTheOther) {
  Lines geometry, texture;
  geometry.AddCorners(200, 100);
  geometry.Add({CVector2(100, 50)});
  texture.AddCorners(200, 100);
  texture.Add({CVector2(50, 25)});
  CTriangleMesh mesh;
  mesh.AddPoints(geometry.array);
  mesh.Triangulate();
  MeshReceiver shape;
  EXPECT_EQ(mesh.BuildRenderMesh(geometry.array, texture.array, &shape, CRectF(0, 0, 200, 100), 0, 0.5f, 0, 1), 5);
  ASSERT_EQ(shape.vertexCount, 5);
  ASSERT_EQ(shape.triangleCount, 4);
  for (int v = 0; v < 5; ++v) {
    const CRenderVertex& r = shape.vertices[v];
    EXPECT_EQ(r.diffuse, 0xFFFFFFFFu);
    if (r.x == 100 && r.y == 50) {
      EXPECT_FLOAT_EQ(r.u, 0.125f);  // 50 / 200 into 0 .. 0.5
      EXPECT_FLOAT_EQ(r.v, 0.25f);
    }
  }
  // Per-frame updates move the positions only.
  geometry.owned[1]->PointAt(0)->x = 120;
  CopyMeshVertexPositions(geometry.array, mesh.Sources(), shape.vertices);
  bool moved = false;
  for (int v = 0; v < 5; ++v) moved |= shape.vertices[v].x == 120 && shape.vertices[v].u == 0.125f;
  EXPECT_TRUE(moved);
}

// A pair's two shapes come from one triangulation, and each indexes its
// triangles as they are, vertex triples in triangle order.
TEST(TriangleMesh, BothRenderMeshesIndexTheTriangles) {
  std::mt19937 rng(41);
  std::uniform_real_distribution<float> x(1, 199), y(1, 99);
  for (int build = 0; build < 6; ++build) {
    Lines lines;
    lines.AddCorners(200, 100);
    for (int i = 0; i < 3 + 7 * build; ++i) lines.Add({CVector2(x(rng), y(rng)), CVector2(x(rng), y(rng))});
    CTriangleMesh mesh;
    mesh.AddPoints(lines.array);
    mesh.Triangulate();
    std::vector<WORD> expected;
    for (int t = 0; t < mesh.GetTriangleCount(); ++t) {
      int v[3];
      mesh.TriangleVertices(t, v);
      expected.insert(expected.end(), v, v + 3);
    }
    for (int shape = 0; shape < 2; ++shape) {
      MeshReceiver receiver;
      mesh.BuildRenderMesh(lines.array, lines.array, &receiver, CRectF(0, 0, 200, 100), 0, 1, 0, 1);
      ASSERT_EQ(receiver.triangleCount, mesh.GetTriangleCount());
      EXPECT_EQ(std::vector<WORD>(receiver.triangles, receiver.triangles + 3 * receiver.triangleCount), expected)
          << "build " << build << " shape " << shape;
    }
  }
}

TEST(FindCrossingTriangles, IdenticalLinesNeverFoldAndSwappedSegmentsDo) {
  Lines base;
  base.AddCorners(100, 100);
  base.Add({CVector2(20, 30), CVector2(40, 30)});
  base.Add({CVector2(60, 70), CVector2(80, 70)});
  CTriangleMesh mesh;
  mesh.AddPoints(base.array);
  mesh.Triangulate();
  int out[4] = {-1, -1, -1, -1};
  EXPECT_EQ(FindCrossingTriangles(mesh, base.array, base.array, out), 0);
  // The two segments trade places, passing through each other on the way.
  Lines moved;
  moved.AddCorners(100, 100);
  moved.Add({CVector2(60, 70), CVector2(80, 70)});
  moved.Add({CVector2(20, 30), CVector2(40, 30)});
  Lines swapped;
  swapped.AddCorners(100, 100);
  swapped.Add({CVector2(20, 80), CVector2(40, 80)});
  swapped.Add({CVector2(60, 20), CVector2(80, 20)});
  EXPECT_EQ(FindCrossingTriangles(mesh, base.array, swapped.array, out), 1);
  std::set<int> ends(out, out + 4);
  EXPECT_EQ(ends.size(), 4u);
}

// Coincident points share one vertex of the triangles. Lines that merely
// meet at a point never fold; points that only meet half-way, lying apart in
// the source and the target, run through each other and are reported.
TEST(FindCrossingTriangles, PointsMeetingHalfWayAreReported) {
  Lines mid, source, target;
  for (Lines* lines : {&mid, &source, &target}) lines->AddCorners(100, 100);
  mid.Add({CVector2(20, 30), CVector2(50, 50)});
  mid.Add({CVector2(50, 50), CVector2(80, 30)});
  CTriangleMesh mesh;
  mesh.AddPoints(mid.array);
  mesh.Triangulate();
  int out[4] = {-1, -1, -1, -1};
  EXPECT_EQ(FindCrossingTriangles(mesh, mid.array, mid.array, out), 0);
  source.Add({CVector2(20, 30), CVector2(40, 50)});
  source.Add({CVector2(60, 50), CVector2(80, 30)});
  target.Add({CVector2(20, 30), CVector2(60, 50)});
  target.Add({CVector2(40, 50), CVector2(80, 30)});
  ASSERT_EQ(FindCrossingTriangles(mesh, source.array, target.array, out), 1);
  std::set<std::pair<int, int>> ends;
  for (int k = 0; k < 4; ++k) ends.insert({mesh.Sources()[out[k]].line, mesh.Sources()[out[k]].point});
  EXPECT_EQ(ends, (std::set<std::pair<int, int>>{{1, 1}, {2, 0}}));
}

// One seeded random line set of the kind `round % 5` names, over the corners
// of a 64 x 48 output: separate points, short horizontal segments, duplicates
// and collinear runs, crossing lines, lines partly outside the output.
void AddRandomLines(std::mt19937& rng, int round, Lines& lines) {
  lines.AddCorners(64, 48);
  const int kind = round % 5;
  std::uniform_int_distribution<int> count(0, 6);
  std::uniform_real_distribution<float> x(1, 63), y(1, 47), wild(-20, 90);
  if (kind == 0) {
    for (int i = count(rng); i > 0; --i) lines.Add({CVector2(x(rng), y(rng))});
  } else if (kind == 1) {
    // Distinct rows never cross.
    for (int i = count(rng); i > 0; --i) {
      float row = 2 + 7 * i, a = x(rng), b = x(rng);
      if (std::fabs(a - b) < 1) b = a + 1;
      lines.Add({CVector2(a, row), CVector2(b, row)});
    }
  } else if (kind == 2) {
    float px = x(rng), py = y(rng);
    lines.Add({CVector2(px, py), CVector2(px, py)});
    lines.Add({CVector2(0, py), CVector2(32, py), CVector2(64, py)});
    lines.Add({CVector2(px, 0), CVector2(px, 48)});
  } else if (kind == 3) {
    for (int i = count(rng); i > 0; --i) lines.Add({CVector2(x(rng), y(rng)), CVector2(x(rng), y(rng))});
  } else {
    for (int i = count(rng); i > 0; --i) lines.Add({CVector2(wild(rng), wild(rng)), CVector2(wild(rng), wild(rng))});
  }
}

// Seeded random line sets, degenerate ones included: every set gives triangles
// that cover the convex hull of its points exactly once (the output rectangle
// when all points lie in it), with every kept feature segment a side.
TEST(TriangleMesh, TenThousandRandomLineSets) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 10000; ++round) {
    Lines lines;
    AddRandomLines(rng, round, lines);
    const int kind = round % 5;
    std::uniform_real_distribution<float> x(1, 63), y(1, 47);
    Built b = Build(lines.array);
    int out[4];
    // Lines that do not move never fold, however degenerate.
    ASSERT_EQ(FindCrossingTriangles(*b.mesh, lines.array, lines.array, out), 0) << "round " << round;
    ExpectConstraintsAreEdges(b);
    const double region = kind == 4 ? HullArea(*b.mesh) : 64.0 * 48.0;
    ASSERT_NEAR(TotalArea(b), region, 1e-4 * region) << "round " << round;
    // Areas could add up with an overlap hiding a hole: sample the cover.
    for (int k = 0; k < 8; ++k) ASSERT_EQ(Cover(b, x(rng) + 0.013f, y(rng) + 0.017f), 1) << "round " << round;
    if (round % 10 == 3 || round % 10 == 4) ExpectNoWorthwhileFlip(b);
  }
}

// FindEdge answers from each vertex's list of its constraint edges: the same
// edge as a search of all of them, for every pair of vertices (and none for
// numbers that name no vertex), on random sets with lines drawn over each
// other, coincident points and crossings.
TEST(TriangleMesh, FindEdgeNamesTheConstraintJoiningTwoVertices) {
  std::mt19937 rng(41);
  for (int round = 0; round < 300; ++round) {
    Lines lines;
    AddRandomLines(rng, round, lines);
    Built b = Build(lines.array);
    std::vector<std::pair<int, int>> edges;
    b.mesh->Edges(edges);
    const int n = b.mesh->GetVertexCount();
    std::map<std::pair<int, int>, int> joining;
    for (int c = b.mesh->GetConstraintCount() - 1; c >= 0; --c) joining[std::minmax(edges[c].first, edges[c].second)] = c;
    for (int a = -1; a <= n; ++a)
      for (int v = -1; v <= n; ++v) {
        const auto found = joining.find(std::minmax(a, v));
        ASSERT_EQ(b.mesh->FindEdge(a, v), found == joining.end() ? -1 : found->second) << "round " << round << " " << a << "-" << v;
      }
  }
}

// Crossing feature lines once left the region round the crossing without
// triangles, and the background showed through the morph.
TEST(TriangleMesh, CrossingLinesLeaveNoHole) {
  Lines lines;
  lines.AddCorners(256, 256);
  lines.Add({CVector2(13.5f, 200.25f), CVector2(97, 31), CVector2(201.75f, 190.5f)});
  lines.Add({CVector2(128, 128), CVector2(129, 250)});
  lines.Add({CVector2(240, 17), CVector2(31, 111)});
  Built b = Build(lines.array);
  EXPECT_NEAR(TotalArea(b), 256.0 * 256.0, 0.5);
  for (float y = 3.1f; y < 256; y += 9.7f)
    for (float x = 2.3f; x < 256; x += 11.3f) ASSERT_EQ(Cover(b, x, y), 1) << x << "," << y;
}


// Points whose feature segments were left out for crossing earlier ones, and
// points no front could reach, once stayed outside every triangle and left
// holes round them.
TEST(TriangleMesh, PointsCutOffByCrossingLinesAreStillTriangulated) {
  Lines lines;
  lines.AddCorners(64, 48);
  lines.Add({CVector2(4.06817055f, 8.58559799f), CVector2(32.4413567f, 19.9744453f)});
  lines.Add({CVector2(17.0885315f, 42.2686577f), CVector2(56.8254738f, 37.8126793f)});
  lines.Add({CVector2(60.529747f, 31.3573608f), CVector2(43.3036652f, 25.3142033f)});
  lines.Add({CVector2(40.8337288f, 32.3724747f), CVector2(30.6056805f, 27.3501701f)});
  lines.Add({CVector2(1.50399303f, 23.797245f), CVector2(33.0147324f, 8.0815773f)});
  lines.Add({CVector2(25.3793926f, 36.1630974f), CVector2(16.0100021f, 15.2542639f)});
  Built b = Build(lines.array);
  EXPECT_EQ(b.mesh->GetVertexCount(), 16);
  EXPECT_NEAR(TotalArea(b), 3072.0, 1e-3);
  for (float y = 0.37f; y < 48; y += 1.3f)
    for (float x = 0.29f; x < 64; x += 1.7f) ASSERT_EQ(Cover(b, x, y), 1) << x << "," << y;
  ExpectConstraintsAreEdges(b);
  // Five of the six segments cross none before them; the last crosses the first.
  EXPECT_EQ(b.mesh->GetConstraintCount(), 4 + 5);
  ExpectNoWorthwhileFlip(b);
}

// A point on another line's segment splits that segment, coincident points
// share one vertex in the triangles, and a segment drawn twice is one edge;
// the vertices and their sources stay one per feature point.
TEST(TriangleMesh, PointsOnSegmentsAndCoincidentPointsJoinTheMesh) {
  Lines lines;
  lines.AddCorners(64, 48);
  lines.Add({CVector2(0, 20), CVector2(30, 20), CVector2(64, 20)});  // ends on both sides of the frame
  lines.Add({CVector2(30, 20), CVector2(30, 40)});                    // starts on the first point's twin
  lines.Add({CVector2(30, 40), CVector2(30, 20)});                    // the same segment backwards
  lines.Add({CVector2(10, 20), CVector2(10, 5)});                     // from a point on a segment
  Built b = Build(lines.array);
  ASSERT_EQ(b.mesh->GetVertexCount(), 4 + 3 + 2 + 2 + 2);
  std::set<std::pair<int, int>> sources;
  for (const CMeshVertexSource& s : b.mesh->Sources()) sources.insert({s.line, s.point});
  EXPECT_EQ(sources.size(), 13u);
  EXPECT_NEAR(TotalArea(b), 3072.0, 1e-3);
  for (float y = 0.37f; y < 48; y += 1.3f)
    for (float x = 0.29f; x < 64; x += 1.7f) ASSERT_EQ(Cover(b, x, y), 1) << x << "," << y;
  ExpectConstraintsAreEdges(b);
  // Every side of the frame and of the lines is made of triangle sides.
  auto vertexAt = [&](float x, float y) {
    for (int v = 0; v < b.mesh->GetVertexCount(); ++v)
      if (b.mesh->Position(v).x == x && b.mesh->Position(v).y == y) return v;
    return -1;
  };
  auto side = [&](CVector2 p, CVector2 q) {
    int a = vertexAt(p.x, p.y), c = vertexAt(q.x, q.y);
    return b.triangleEdges.count(std::minmax(a, c)) == 1 && b.mesh->FindEdge(a, c) >= 0;
  };
  EXPECT_TRUE(side(CVector2(0, 0), CVector2(0, 20)));
  EXPECT_TRUE(side(CVector2(0, 20), CVector2(0, 48)));
  EXPECT_TRUE(side(CVector2(0, 20), CVector2(10, 20)));
  EXPECT_TRUE(side(CVector2(10, 20), CVector2(30, 20)));
  EXPECT_TRUE(side(CVector2(30, 20), CVector2(30, 40)));
  EXPECT_TRUE(side(CVector2(10, 5), CVector2(10, 20)));
  EXPECT_TRUE(side(CVector2(64, 20), CVector2(64, 48)));
  // The frame's left side is split once at (0, 20), the right once at (64, 20),
  // the first line once at (10, 20); the twice-drawn segment counts once.
  EXPECT_EQ(b.mesh->GetConstraintCount(), 6 + 3 + 1 + 1);
  ExpectNoWorthwhileFlip(b);
}

// Points that are not numbers (a damaged file) neither crash nor hang the
// sweep, its repair or the fold-over check.
TEST(TriangleMesh, PointsThatAreNotNumbersEndTheBuild) {
  for (float bad : {std::nanf(""), INFINITY, -INFINITY}) {
    Lines lines;
    lines.AddCorners(64, 48);
    lines.Add({CVector2(10, 10), CVector2(bad, 20), CVector2(30, bad)});
    lines.Add({CVector2(50, 5), CVector2(5, 40)});
    lines.Add({CVector2(bad, bad)});
    Built b = Build(lines.array);
    int out[4];
    FindCrossingTriangles(*b.mesh, lines.array, lines.array, out);
    EXPECT_EQ(b.mesh->GetVertexCount(), 4 + 3 + 2 + 1);
  }
}

// Feature points outside the output: the triangles cover the hull of all
// points, so the output rectangle inside it is covered once.
TEST(TriangleMesh, PointsOutsideTheOutputCoverTheirHull) {
  Lines lines;
  lines.AddCorners(64, 48);
  lines.Add({CVector2(-15, 30), CVector2(20, 60)});
  lines.Add({CVector2(80, -10), CVector2(50, 20)});
  lines.Add({CVector2(70, 70)});
  Built b = Build(lines.array);
  EXPECT_NEAR(TotalArea(b), HullArea(*b.mesh), 1e-3);
  EXPECT_GT(HullArea(*b.mesh), 3072.0);
  for (float y = 0.37f; y < 48; y += 1.3f)
    for (float x = 0.29f; x < 64; x += 1.7f) ASSERT_EQ(Cover(b, x, y), 1) << x << "," << y;
  for (int v = 0; v < b.mesh->GetVertexCount(); ++v) {
    bool used = false;
    for (const auto& t : b.triangles) used |= t[0] == v || t[1] == v || t[2] == v;
    EXPECT_TRUE(used) << v;
  }
  ExpectConstraintsAreEdges(b);
  ExpectNoWorthwhileFlip(b);
}

// The mesh as its triangles and edges, built with the spatial index or with
// the linear scans the index stands in for.
struct MeshImage {
  std::vector<std::array<int, 3>> triangles;
  std::vector<std::pair<int, int>> edges;
  int vertices = 0;
  bool operator==(const MeshImage&) const = default;
};

MeshImage BuildImage(const CFeatureLineArray& lines, bool linear) {
  CTriangleMesh mesh;
  mesh.SetScanMode(linear ? CTriangleMesh::ScanMode::Linear : CTriangleMesh::ScanMode::Indexed);
  mesh.AddPoints(lines);
  mesh.Triangulate();
  MeshImage image;
  image.vertices = mesh.GetVertexCount();
  for (int t = 0; t < mesh.GetTriangleCount(); ++t) {
    image.triangles.emplace_back();
    mesh.TriangleVertices(t, image.triangles.back().data());
  }
  mesh.Edges(image.edges);
  return image;
}

// The fold-over check's answer, both ways, for a target of moved points;
// returns the indexed answer.
int ExpectSameFoldOver(const CFeatureLineArray& source, const CFeatureLineArray& target, const char* what) {
  int answers[2][5];
  for (int linear = 0; linear < 2; ++linear) {
    CTriangleMesh mesh;
    mesh.SetScanMode(linear ? CTriangleMesh::ScanMode::Linear : CTriangleMesh::ScanMode::Indexed);
    mesh.AddPoints(source);
    mesh.Triangulate();
    int* a = answers[linear];
    a[1] = a[2] = a[3] = a[4] = -1;
    a[0] = FindCrossingTriangles(mesh, source, target, a + 1);
  }
  for (int k = 0; k < 5; ++k) EXPECT_EQ(answers[0][k], answers[1][k]) << what << " value " << k;
  return answers[0][0];
}

// The lines with every point but the corners moved by up to `reach`.
void AddMovedCopy(std::mt19937& rng, const Lines& from, float reach, Lines& to) {
  std::uniform_real_distribution<float> move(-reach, reach);
  for (int l = 0; l < from.array.GetSize(); ++l) {
    to.owned.push_back(std::make_unique<CFeatureLine>());
    const CFeatureLine* line = from.array[l];
    for (int p = 0; p < line->GetPointCount(); ++p) {
      CVector2 point = *line->PointAt(p);
      if (l > 0) point = CVector2(point.x + move(rng), point.y + move(rng));
      to.owned.back()->AddPoint(point);
    }
    to.owned.back()->closed = line->closed;
    to.array.Add(to.owned.back().get());
  }
}

// The spatial index only narrows which edges are tested: the sweep, its
// repairs and the fold-over check must make exactly what the scans of every
// edge make, on the random sets of the mesh tests and on dense drawings.
TEST(TriangleMesh, SpatialIndexGivesTheTrianglesOfTheLinearScans) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 2500; ++round) {
    Lines lines;
    AddRandomLines(rng, round, lines);
    ASSERT_TRUE(BuildImage(lines.array, false) == BuildImage(lines.array, true)) << "round " << round;
    Lines moved;
    AddMovedCopy(rng, lines, 12, moved);
    ExpectSameFoldOver(lines.array, moved.array, "random set");
  }
}

// A point that is not a number keeps its sight lines out of the index; the
// finite rest still goes through it and must give what the scans give.
TEST(TriangleMesh, SpatialIndexAgreesWhenSomePointsAreNotNumbers) {
  std::mt19937 rng(31);
  const float odd[] = {std::nanf(""), INFINITY, -INFINITY};
  std::uniform_int_distribution<int> pick(0, 2);
  for (int round = 0; round < 300; ++round) {
    Lines lines;
    AddRandomLines(rng, round, lines);
    const float bad = odd[pick(rng)];
    if (round % 3 == 0) lines.Add({CVector2(bad, 20)});
    if (round % 3 == 1) lines.Add({CVector2(30, bad), CVector2(12, 9)});
    if (round % 3 == 2) lines.Add({CVector2(bad, bad), CVector2(40, 30), CVector2(5, 44)});
    ASSERT_TRUE(BuildImage(lines.array, false) == BuildImage(lines.array, true)) << "round " << round;
  }
}

TEST(TriangleMesh, SpatialIndexAgreesOnDenseDrawings) {
  std::mt19937 rng(7);
  int folds = 0;
  for (int round = 0; round < 8; ++round) {
    // Curves of ten points over a 640 x 480 output, some crossing, some
    // sharing points, as a traced face gives.
    Lines lines;
    lines.AddCorners(640, 480);
    std::uniform_real_distribution<float> x(0, 640), y(0, 480), bend(-30, 30);
    const int curves = 20 + 15 * round;
    for (int c = 0; c < curves; ++c) {
      const CVector2 start(x(rng), y(rng));
      const float dx = bend(rng), dy = bend(rng);
      std::vector<CVector2> points;
      for (int k = 0; k < 10; ++k)
        points.emplace_back(start.x + dx * k / 3, start.y + dy * k / 3 + bend(rng) / 6);
      if (round % 3 == 1 && c > 0) points[0] = *lines.array[lines.array.GetSize() - 1]->PointAt(9);
      CFeatureLine* line = lines.Add({});
      for (const CVector2& p : points) line->AddPoint(p);
    }
    ASSERT_TRUE(BuildImage(lines.array, false) == BuildImage(lines.array, true)) << "round " << round;
    for (float reach : {0.0f, 3.0f, 40.0f}) {
      Lines moved;
      AddMovedCopy(rng, lines, reach, moved);
      folds += ExpectSameFoldOver(lines.array, moved.array, "dense drawing");
    }
  }
  // The first of several crossing pairs depends on the order of the tests.
  EXPECT_GT(folds, 5);
}

// The fold-over sweep lists the records leaving each step in advance.
// Lattice drawings: many edges share their tops and bottoms (level edges
// have both at once), some points sit on -0, and the targets move points by
// whole steps, to NaN or to infinity.
TEST(TriangleMesh, FoldOverStepListsGiveTheAnswersOfThePlainScan) {
  std::mt19937 random(2025);
  std::uniform_int_distribution<int> cell(0, 12), stepMove(-2, 2), kind(0, 19);
  int folds = 0;
  for (int round = 0; round < 120; ++round) {
    Lines source, target;
    auto add = [](Lines& into, const std::vector<CVector2>& points, bool closed) {
      CFeatureLine* line = into.Add({}, closed);
      for (const CVector2& p : points) line->AddPoint(p);
    };
    const std::vector<CVector2> frame = {CVector2(-0.0f, -0.0f), CVector2(120, 0), CVector2(120, 120), CVector2(0, 120)};
    add(source, frame, true);
    add(target, frame, true);
    for (int l = 0; l < 30; ++l) {
      std::vector<CVector2> from, to;
      for (int k = 0; k < 4; ++k) {
        const CVector2 p(10.0f * cell(random), 10.0f * cell(random));
        from.push_back(p);
        const int how = kind(random);
        const float reach = round % 4 == 0 ? 10.0f : round % 4 == 1 ? 4.0f : 1.5f;
        if (round % 3 == 0 || how > 3)
          to.emplace_back(p.x + reach * stepMove(random), p.y + reach * stepMove(random));
        else if (how == 0)
          to.emplace_back(std::numeric_limits<float>::quiet_NaN(), p.y);
        else if (how == 1)
          to.emplace_back(p.x, std::numeric_limits<float>::infinity());
        else
          to.push_back(p);
      }
      add(source, from, false);
      add(target, to, false);
    }
    folds += ExpectSameFoldOver(source.array, target.array, "lattice drawing");
    folds += ExpectSameFoldOver(source.array, source.array, "lattice drawing");
  }
  EXPECT_GT(folds, 10);  // the lattice moves fold often enough to compare first pairs
}

// The step lists find each record's leaving step through a table of equal
// cells over the range of the tops. Tops bunched in one cell by a far
// outlier, ranges of a few subnormal steps, ranges near the float limit and
// bottoms at infinity must leave every record where the plain scan does.
TEST(TriangleMesh, FoldOverStepTableAgreesOverAwkwardRanges) {
  std::mt19937 random(77);
  std::uniform_int_distribution<int> cell(0, 9), stepMove(-1, 1);
  const float scales[] = {1e-44f, 1e-30f, 1.0f, 3e3f, 1e25f, 3e37f};
  int folds = 0;
  for (int round = 0; round < 48; ++round) {
    const float scale = scales[round % 6];
    Lines source, target;
    auto add = [](Lines& into, const std::vector<CVector2>& points) {
      CFeatureLine* line = into.Add({});
      for (const CVector2& p : points) line->AddPoint(p);
    };
    for (int l = 0; l < 24; ++l) {
      std::vector<CVector2> from, to;
      for (int k = 0; k < 3; ++k) {
        CVector2 p(scale * static_cast<float>(cell(random)), scale * static_cast<float>(cell(random)));
        // An outlier far below or above the rest puts the others' tops in one cell.
        if (round % 4 == 1 && l == 0 && k == 0) p.y = -scale * 1e6f;
        if (round % 4 == 2 && l == 23 && k == 2) p.y = std::min(scale * 1e6f, 3e38f);
        from.push_back(p);
        CVector2 q(p.x + scale * static_cast<float>(stepMove(random)), p.y + scale * static_cast<float>(stepMove(random)));
        if (round % 8 == 3 && k == 1) q.y = (l % 2 ? 1 : -1) * std::numeric_limits<float>::infinity();
        to.push_back(q);
      }
      add(source, from);
      add(target, to);
    }
    folds += ExpectSameFoldOver(source.array, target.array, "awkward range");
    folds += ExpectSameFoldOver(target.array, source.array, "awkward range, reversed");
  }
  EXPECT_GT(folds, 10);
}

// The fold-over check keeps its active edges four to a group in x buckets.
// Combs (long spines that share every bucket with many teeth, teeth whose
// boxes touch their neighbours' exactly, tips on the spine) fill the
// buckets past one group, empty them out of order and report the first of
// many crossing pairs; the teeth swing by whole steps.
TEST(TriangleMesh, FoldOverBucketGroupsGiveTheAnswersOfThePlainScan) {
  std::mt19937 random(4242);
  std::uniform_int_distribution<int> swing(-2, 2), keep(0, 3);
  int folds = 0;
  for (int round = 0; round < 40; ++round) {
    Lines source, target;
    for (Lines* lines : {&source, &target}) lines->AddCorners(200, 200);
    const int teeth = 6 + round;
    const float pitch = 180.0f / teeth, spineY = 20.0f + 4 * (round % 5);
    for (Lines* lines : {&source, &target})
      lines->Add({CVector2(-0.0f, spineY), CVector2(100, spineY + (round % 2)), CVector2(200, spineY)});
    for (int t = 0; t < teeth; ++t) {
      // A tooth's foot on the spine, its box touching the next tooth's.
      const float x = 10 + pitch * t, next = 10 + pitch * (t + 1);
      const CVector2 foot(x, spineY), knee(next, spineY + 60), tip(x, spineY + 120 + 10 * (t % 3));
      source.Add({foot, knee, tip});
      const float step = round % 3 == 0 ? pitch : pitch / 2;
      auto moved = [&](const CVector2& p) {
        return keep(random) == 0 ? p : CVector2(p.x + step * swing(random), p.y + 10.0f * swing(random));
      };
      target.Add({foot, moved(knee), moved(tip)});
    }
    folds += ExpectSameFoldOver(source.array, target.array, "comb");
    folds += ExpectSameFoldOver(target.array, source.array, "comb, reversed");
    ExpectSameFoldOver(source.array, source.array, "still comb");
  }
  EXPECT_GT(folds, 20);
}

}  // namespace

namespace {

struct Nodes {
  CTypedPtrArray<CPtrArray, CTreeNode*> array;
  ~Nodes() {
    for (int i = 0; i < array.GetSize(); ++i) delete array[i];
  }
  const CVector2* Points(int i) const { return reinterpret_cast<const CVector2*>(array[i]->m_pBuffer); }
  double Area() const {
    double total = 0;
    for (int i = 0; i < array.GetSize(); ++i) {
      const CVector2* p = Points(i);
      total += std::fabs(0.5 * ((p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y)));
    }
    return total;
  }
};

TEST(ClipTriangleToRect, InsideOutsideAndCutCorners) {
  const CRectF rect(0, 0, 10, 10);
  Nodes inside;
  ClipTriangleToRect(CVector2(1, 1), CVector2(8, 2), CVector2(4, 7), rect, inside.array);
  ASSERT_EQ(inside.array.GetSize(), 1);
  EXPECT_NEAR(inside.Area(), 0.5 * std::fabs(7.0 * 6.0 - 3.0 * 1.0), 1e-4);
  Nodes outside;
  ClipTriangleToRect(CVector2(20, 20), CVector2(30, 20), CVector2(25, 30), rect, outside.array);
  EXPECT_EQ(outside.array.GetSize(), 0);
  // One corner beyond the right side: a quadrilateral, two triangles.
  Nodes cut;
  ClipTriangleToRect(CVector2(2, 2), CVector2(14, 5), CVector2(2, 8), rect, cut.array);
  EXPECT_EQ(cut.array.GetSize(), 2);
  // Whole area 36, the part beyond x = 10 has base 2 (at x = 10) and height 4.
  EXPECT_NEAR(cut.Area(), 36.0 - 0.5 * 2.0 * 4.0, 1e-3);
  // A point exactly on xmin is inside.
  Nodes onEdge;
  ClipTriangleToRect(CVector2(0, 1), CVector2(5, 1), CVector2(0, 6), rect, onEdge.array);
  ASSERT_EQ(onEdge.array.GetSize(), 1);
  EXPECT_NEAR(onEdge.Area(), 12.5, 1e-4);
}

// The clipper hands over convex pieces; a convex outline of n points becomes
// n - 2 triangles of its area.
TEST(TriangulateOutlines, ConvexOutlinesBecomeTrianglesOfTheirArea) {
  Nodes outlines, out;
  auto* node = new CTreeNode;
  const CVector2 hexagon[6] = {CVector2(2, 0), CVector2(6, 0), CVector2(8, 3), CVector2(6, 6), CVector2(2, 6), CVector2(0, 3)};
  node->m_pBuffer = new BYTE[sizeof hexagon];
  node->m_nCount = 6;
  std::copy(hexagon, hexagon + 6, reinterpret_cast<CVector2*>(node->m_pBuffer));
  outlines.array.Add(node);
  TriangulateOutlines(outlines.array, out.array);
  EXPECT_EQ(out.array.GetSize(), 4);
  EXPECT_NEAR(out.Area(), 6 * 4 + 2 * 0.5 * 2 * 6, 1e-4);
}

}  // namespace

namespace {

// A thin sliver of coordinates near zero once came out as the same triangle
// twice, doubling the area a mesh covers.
TEST(ClipTriangleToRect, NearlyAxisAlignedCornersGiveOneCover) {
  Nodes out;
  ClipTriangleToRect(CVector2(0, 0), CVector2(-10.1015f, 1.52529e-6f), CVector2(1.20459e-7f, -10.1015f),
                     CRectF(-25, -25, 25, 25), out.array);
  EXPECT_NEAR(out.Area(), 0.5 * 10.1015 * 10.1015, 1e-2);
}

}  // namespace
