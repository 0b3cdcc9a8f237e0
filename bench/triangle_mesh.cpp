// Mesh build time (points and edges, sweep, flips, both render meshes and the
// fold-over check) for feature lines of 50, 500, 5,000 and 50,000 points: the pair
// rebuilds its mesh on every edit.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "model/mesh/triangle_mesh.h"

namespace {

class Receiver : public CMeshReceiver {
 public:
  void SetMesh(CRenderVertex* v, int, WORD* t, int) override {
    delete[] v;
    delete[] t;
  }
};

// Feature lines of 10 points each, laid as gentle curves over a 640 x 480 picture.
struct LineSet {
  std::vector<std::unique_ptr<CFeatureLine>> owned;
  CFeatureLineArray array;
  explicit LineSet(int points) {
    Add({CVector2(0, 0), CVector2(640, 0), CVector2(640, 480), CVector2(0, 480)}, true);
    const int lines = points / 10;
    const int rows = static_cast<int>(std::ceil(std::sqrt(lines)));
    for (int l = 0; l < lines; ++l) {
      owned.push_back(std::make_unique<CFeatureLine>());
      const float x0 = 10 + (l % rows) * 620.0f / rows, y0 = 10 + (l / rows) * 460.0f / rows;
      const float w = 600.0f / rows, h = 440.0f / rows;
      for (int k = 0; k < 10; ++k)
        owned.back()->AddPoint(CVector2(x0 + w * k / 10, y0 + h * 0.5f * (1 + std::sin(k * 0.7f + l))));
      array.Add(owned.back().get());
    }
  }
  void Add(std::initializer_list<CVector2> points, bool closed) {
    owned.push_back(std::make_unique<CFeatureLine>());
    for (const CVector2& p : points) owned.back()->AddPoint(p);
    owned.back()->closed = closed;
    array.Add(owned.back().get());
  }
};

void BuildMesh(benchmark::State& state, CTriangleMesh::ScanMode mode) {
  LineSet lines(static_cast<int>(state.range(0)));
  Receiver source, target;
  for (auto _ : state) {
    CTriangleMesh mesh;
    mesh.SetScanMode(mode);
    mesh.AddPoints(lines.array);
    mesh.Triangulate();
    mesh.BuildRenderMesh(lines.array, lines.array, &source, CRectF(0, 0, 640, 480), 0, 1, 0, 1);
    mesh.BuildRenderMesh(lines.array, lines.array, &target, CRectF(0, 0, 640, 480), 0, 1, 0, 1);
    int out[4];
    benchmark::DoNotOptimize(FindCrossingTriangles(mesh, lines.array, lines.array, out));
    state.counters["triangles"] = mesh.GetTriangleCount();
  }
}
void BM_BuildMesh(benchmark::State& state) { BuildMesh(state, CTriangleMesh::ScanMode::Automatic); }
BENCHMARK(BM_BuildMesh)->Arg(50)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// Every edge scanned for every query, as the mesh did before its index.
void BM_BuildMeshLinearScans(benchmark::State& state) { BuildMesh(state, CTriangleMesh::ScanMode::Linear); }
BENCHMARK(BM_BuildMeshLinearScans)->Arg(50)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
