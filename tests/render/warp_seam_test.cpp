// The warp along the interpolated mesh: a picture morphed onto itself comes
// back unchanged whatever the mesh, and a shifted picture morphs half-way
// without a seam along any triangle edge.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "compat/d3d9_present.h"
#include "frame_fixture.h"
#include "render/shape_base.h"

namespace {

// A smooth picture defined everywhere, so shifted copies need no edge rule.
DWORD Smooth(int x, int y) {
  const auto byte = [](double v) { return static_cast<DWORD>(std::lround(std::clamp(v, 0.0, 255.0))); };
  const DWORD r = byte(128 + 100 * std::sin(x * 0.11 + y * 0.05));
  const DWORD g = byte(128 + 100 * std::cos(y * 0.13 - x * 0.03));
  const DWORD b = byte(128 + 90 * std::sin((x + y) * 0.07));
  return r << 16 | g << 8 | b;
}

using WarpSeams = FrameTest;

TEST_F(WarpSeams, PictureMorphedOntoItselfComesBackWhateverTheMesh) {
  const CString picture = Picture("p.bmp", 256, 256, Smooth);
  PlainPair(picture, picture);
  Pair()->SetFrameCount(5);
  // Lines in odd places, the same on both sides: a mesh of slanted,
  // long and thin triangles.
  for (CLineSet* set : {Pair()->GetSourceLines(), Pair()->GetTargetLines()}) {
    AddLine(set, {{13.5f, 200.25f}, {97.0f, 31.0f}, {120.0f, 60.0f}});
    AddLine(set, {{128.0f, 128.0f}, {129.0f, 250.0f}});
    AddLine(set, {{240.0f, 17.0f}, {200.5f, 111.0f}, {230.0f, 200.0f}});
    AddLine(set, {{160.0f, 3.0f}});
  }
  for (int frame = 0; frame < 5; ++frame) {
    const std::vector<DWORD> got = Grab(frame);
    int off = 0, worst = 0;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        const int d = ColourDistance(At(got, x, y), Smooth(x, y));
        off += d > 1;
        worst = std::max(worst, d);
      }
    EXPECT_EQ(off, 0) << "frame " << frame << " worst " << worst;
  }
}

// Pixel (x, y) of the half-way frame between picture f and its copy moved
// by (5, 3): both sample f at (x - 2.5, y - 1.5), the mean of its four
// nearest pixels.
DWORD HalfShifted(DWORD (*f)(int, int), int x, int y) {
  DWORD expected = 0;
  for (int shift : {0, 8, 16}) {
    const int sum = Channel(f(x - 3, y - 2), shift) + Channel(f(x - 2, y - 2), shift) + Channel(f(x - 3, y - 1), shift) +
                    Channel(f(x - 2, y - 1), shift);
    expected |= static_cast<DWORD>(std::lround(sum / 4.0)) << shift;
  }
  return expected;
}

// Whether a point lies in a triangle (edges included), or within `margin`
// pixels of it.
bool Inside(const CRenderVertex& a, const CRenderVertex& b, const CRenderVertex& c, float px, float py,
            float margin = 0.0f) {
  const float orientation = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0 ? -1.0f : 1.0f;
  // Distance of the point inside each edge (negative outside).
  const auto side = [&](const CRenderVertex& p, const CRenderVertex& q) {
    const float length = std::hypot(q.x - p.x, q.y - p.y);
    const float cross = (q.x - p.x) * (py - p.y) - (q.y - p.y) * (px - p.x);
    return length > 0 ? orientation * cross / length : 0.0f;
  };
  return side(a, b) >= -margin && side(b, c) >= -margin && side(c, a) >= -margin;
}

TEST_F(WarpSeams, HalfWayBetweenShiftedPicturesHasNoSeams) {
  PlainPair(Picture("s.bmp", 256, 256, Smooth), Picture("t.bmp", 256, 256, [](int x, int y) { return Smooth(x - 5, y - 3); }));
  // A grid of feature points, moved by (5, 3) on the target side.
  for (int row = 0; row < 5; ++row) {
    std::vector<CVector2> points;
    for (int col = 0; col < 5; ++col) points.emplace_back(40.0f + col * 41.0f + row * 3.0f, 40.0f + row * 43.0f - col * 2.0f);
    auto* source = new CFeatureLine;
    auto* target = new CFeatureLine;
    const float scale = Pair()->GetSourceLines()->GetScale();
    for (CVector2 p : points) {
      source->AddPoint(CVector2(p.x * scale, p.y * scale));
      target->AddPoint(CVector2((p.x + 5) * scale, (p.y + 3) * scale));
    }
    Pair()->GetSourceLines()->GetLines().Add(source);
    Pair()->GetTargetLines()->GetLines().Add(target);
  }
  Pair()->SetMeshDirty(TRUE);
  const std::vector<DWORD> got = Grab(1);

  // The pixels of every triangle made of feature points alone (the output
  // corners do not move, so triangles that reach them are not a shift).
  const auto* mesh = static_cast<const CShapeBase*>(Pair()->m_sourceShape);
  ASSERT_NE(mesh, nullptr);
  const int cornerLine = Pair()->GetSourceLines()->GetLineCount();
  int checked = 0, off = 0, worst = 0;
  for (int t = 0; t < mesh->m_triangleCount; ++t) {
    const WORD* corner = mesh->m_indices + 3 * t;
    bool shifted = true;
    for (int k = 0; k < 3; ++k) shifted &= Pair()->m_meshSources[corner[k]].line != cornerLine;
    if (!shifted) continue;
    const CRenderVertex &a = mesh->m_vertices[corner[0]], &b = mesh->m_vertices[corner[1]], &c = mesh->m_vertices[corner[2]];
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        // Pixel (x, y) shows the mesh at its centre, (x + 0.5, y + 0.5).
        if (!Inside(a, b, c, x + 0.5f, y + 0.5f)) continue;
        const int d = ColourDistance(At(got, x, y), HalfShifted(Smooth, x, y));
        off += d > 1;
        worst = std::max(worst, d);
        ++checked;
      }
  }
  EXPECT_GT(checked, 20000);
  EXPECT_EQ(off, 0) << "worst " << worst;
}

// --- dense meshes ---

// A picture with fine detail beside smooth ramps: a sample taken a fraction
// of a pixel off shows in the blue channel.
DWORD Detailed(int x, int y) {
  const auto byte = [](double v) { return static_cast<DWORD>(std::lround(std::clamp(v, 0.0, 255.0))); };
  const DWORD r = byte(128 + 100 * std::sin(x * 0.11 + y * 0.05));
  const DWORD g = byte(128 + 100 * std::cos(y * 0.13 - x * 0.03));
  const DWORD b = byte(128 + 110 * std::sin(x * 0.9) * std::cos(y * 0.7));
  return r << 16 | g << 8 | b;
}

struct MeshCase {
  int width, rows, columns, workers;
  int randomPoints = 0;  // one-point lines at random places instead of the rows
};

// Rows of points jittered inside their cells (so no two lines cross) over
// the whole output; the target side's points are moved by (dx, dy). Near
// neighbours across rows make many thin triangles.
void AddJitteredRows(CMorphPair* pair, const MeshCase& c, int height, float dx, float dy) {
  if (c.randomPoints > 0) {
    // Points anywhere: neighbours at any distance and angle make slivers of
    // every shape, many far thinner than a pixel.
    std::mt19937 random(static_cast<unsigned>(c.randomPoints * 31 + c.width));
    std::uniform_real_distribution<float> across(1.0f, c.width - 1.0f), down(1.0f, height - 1.0f);
    const float scale = pair->GetSourceLines()->GetScale();
    for (int i = 0; i < c.randomPoints; ++i) {
      const float x = across(random), y = down(random);
      auto* source = new CFeatureLine;
      auto* target = new CFeatureLine;
      source->AddPoint(CVector2(x * scale, y * scale));
      target->AddPoint(CVector2((x + dx) * scale, (y + dy) * scale));
      pair->GetSourceLines()->GetLines().Add(source);
      pair->GetTargetLines()->GetLines().Add(target);
    }
    pair->SetMeshDirty(TRUE);
    return;
  }
  std::mt19937 random(static_cast<unsigned>(c.rows * 7919 + c.columns));
  std::uniform_real_distribution<float> jitter(0.1f, 0.9f);
  const float cellW = static_cast<float>(c.width) / c.columns, cellH = static_cast<float>(height) / c.rows;
  const float scale = pair->GetSourceLines()->GetScale();
  for (int row = 0; row < c.rows; ++row) {
    auto* source = new CFeatureLine;
    auto* target = new CFeatureLine;
    for (int col = 0; col < c.columns; ++col) {
      const float x = (col + jitter(random)) * cellW, y = (row + jitter(random)) * cellH;
      source->AddPoint(CVector2(x * scale, y * scale));
      target->AddPoint(CVector2((x + dx) * scale, (y + dy) * scale));
    }
    pair->GetSourceLines()->GetLines().Add(source);
    pair->GetTargetLines()->GetLines().Add(target);
  }
  pair->SetMeshDirty(TRUE);
}

class DenseMeshSeams : public FrameTest, public ::testing::WithParamInterface<MeshCase> {
 protected:
  void TearDown() override {
    compat::SetD3DWorkerCount(0);
    FrameTest::TearDown();
  }
  int Width() const { return GetParam().width; }
  int Height() const { return GetParam().width * 3 / 4; }
  void Start() {
    compat::SetD3DWorkerCount(GetParam().workers);
    Project()->SetOutputSize(Width(), Height());
  }
  DWORD Pixel(const std::vector<DWORD>& frame, int x, int y) const {
    return frame[static_cast<size_t>(y) * Width() + x];
  }
};

TEST_P(DenseMeshSeams, PictureMorphedOntoItselfComesBack) {
  Start();
  const CString picture = Picture("p.bmp", Width(), Height(), Detailed);
  PlainPair(picture, picture);
  AddJitteredRows(Pair(), GetParam(), Height(), 0.0f, 0.0f);
  const std::vector<DWORD> got = Grab(1);
  const auto* mesh = static_cast<const CShapeBase*>(Pair()->m_sourceShape);
  ASSERT_NE(mesh, nullptr);
  const int points = GetParam().randomPoints > 0 ? GetParam().randomPoints : GetParam().rows * GetParam().columns;
  EXPECT_GT(mesh->m_triangleCount, points * 3 / 2);
  int off = 0, worst = 0;
  for (int y = 0; y < Height(); ++y)
    for (int x = 0; x < Width(); ++x) {
      const int d = ColourDistance(Pixel(got, x, y), Detailed(x, y));
      if (d > 1 && off < 5) ADD_FAILURE() << "pixel " << x << ", " << y << " off by " << d;
      off += d > 1;
      worst = std::max(worst, d);
    }
  EXPECT_EQ(off, 0) << "worst " << worst << " of " << mesh->m_triangleCount << " triangles";
}

TEST_P(DenseMeshSeams, HalfWayBetweenShiftedPicturesIsTheHalfShiftedPicture) {
  Start();
  PlainPair(Picture("s.bmp", Width(), Height(), Detailed),
            Picture("t.bmp", Width(), Height(), [](int x, int y) { return Detailed(x - 5, y - 3); }));
  AddJitteredRows(Pair(), GetParam(), Height(), 5.0f, 3.0f);
  const std::vector<DWORD> got = Grab(1);
  const auto* mesh = static_cast<const CShapeBase*>(Pair()->m_sourceShape);
  ASSERT_NE(mesh, nullptr);
  // Pixels whose centre lies in a triangle made of feature points alone
  // (the output corners do not move) and clearly outside the others (which
  // one owns a centre on their common edge is the rasteriser's call), away
  // from the picture's border.
  std::vector<char> shifted(static_cast<size_t>(Width()) * Height(), 0);
  const int cornerLine = Pair()->GetSourceLines()->GetLineCount();
  for (bool moving : {true, false})
    for (int t = 0; t < mesh->m_triangleCount; ++t) {
      const WORD* corner = mesh->m_indices + 3 * t;
      bool moved = true;
      for (int k = 0; k < 3; ++k) moved &= Pair()->m_meshSources[corner[k]].line != cornerLine;
      if (moved != moving) continue;
      const CRenderVertex &a = mesh->m_vertices[corner[0]], &b = mesh->m_vertices[corner[1]],
                          &c = mesh->m_vertices[corner[2]];
      const int left = std::max(3, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))) - 1);
      // The target side is read 2.5 pixels to the right and 1.5 down: beyond its picture near those edges.
      const int right = std::min(Width() - 4, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))) + 1);
      const int top = std::max(2, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))) - 1);
      const int bottom = std::min(Height() - 3, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))) + 1);
      for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
          const float margin = moving ? 0.0f : 0.05f;
          if (Inside(a, b, c, x + 0.5f, y + 0.5f, margin)) shifted[static_cast<size_t>(y) * Width() + x] = moving;
        }
    }
  int checked = 0, off = 0, worst = 0;
  for (int y = 0; y < Height(); ++y)
    for (int x = 0; x < Width(); ++x) {
      if (!shifted[static_cast<size_t>(y) * Width() + x]) continue;
      const int d = ColourDistance(Pixel(got, x, y), HalfShifted(Detailed, x, y));
      if (d > 1 && off < 5) ADD_FAILURE() << "pixel " << x << ", " << y << " off by " << d;
      off += d > 1;
      worst = std::max(worst, d);
      ++checked;
    }
  EXPECT_GT(checked, Width() * Height() * 3 / 4);
  EXPECT_EQ(off, 0) << "worst " << worst << " of " << mesh->m_triangleCount << " triangles";
}

// About 400, 2,000 and 10,000 triangles, at two sizes, with one and eight
// workers; in rows of jittered points and at random places.
INSTANTIATE_TEST_SUITE_P(Meshes, DenseMeshSeams,
                         ::testing::Values(MeshCase{640, 10, 20, 1}, MeshCase{640, 20, 50, 1},
                                           MeshCase{640, 50, 100, 1}, MeshCase{640, 20, 50, 8},
                                           MeshCase{1024, 20, 50, 1}, MeshCase{1024, 50, 100, 8},
                                           MeshCase{1024, 10, 20, 8}, MeshCase{640, 0, 0, 1, 200},
                                           MeshCase{640, 0, 0, 8, 1000}, MeshCase{1024, 0, 0, 1, 1000},
                                           MeshCase{1024, 0, 0, 8, 1000}, MeshCase{1024, 0, 0, 8, 5000}),
                         [](const ::testing::TestParamInfo<MeshCase>& info) {
                           const MeshCase& c = info.param;
                           if (c.randomPoints > 0)
                             return std::to_string(c.width) + "_" + std::to_string(c.randomPoints) + "random_" +
                                    std::to_string(c.workers) + "workers";
                           return std::to_string(c.width) + "_" + std::to_string(c.rows * c.columns) + "points_" +
                                  std::to_string(c.workers) + "workers";
                         });

}  // namespace
