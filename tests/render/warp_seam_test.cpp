// The warp along the interpolated mesh: a picture morphed onto itself comes
// back unchanged whatever the mesh, and a shifted picture morphs half-way
// without a seam along any triangle edge.
#include <gtest/gtest.h>

#include <cmath>

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

// Whether a point lies in a triangle (edges included).
bool Inside(const CRenderVertex& a, const CRenderVertex& b, const CRenderVertex& c, float px, float py) {
  const auto side = [&](const CRenderVertex& p, const CRenderVertex& q) {
    return (q.x - p.x) * (py - p.y) - (q.y - p.y) * (px - p.x);
  };
  const float d1 = side(a, b), d2 = side(b, c), d3 = side(c, a);
  const bool negative = d1 < 0 || d2 < 0 || d3 < 0, positive = d1 > 0 || d2 > 0 || d3 > 0;
  return !(negative && positive);
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
        // Half-way, both pictures sample the source at (x - 2.5, y - 1.5):
        // the mean of its four nearest pixels.
        DWORD expected = 0;
        for (int shift : {0, 8, 16}) {
          const int sum = Channel(Smooth(x - 3, y - 2), shift) + Channel(Smooth(x - 2, y - 2), shift) +
                          Channel(Smooth(x - 3, y - 1), shift) + Channel(Smooth(x - 2, y - 1), shift);
          expected |= static_cast<DWORD>(std::lround(sum / 4.0)) << shift;
        }
        const int d = ColourDistance(At(got, x, y), expected);
        off += d > 1;
        worst = std::max(worst, d);
        ++checked;
      }
  }
  EXPECT_GT(checked, 20000);
  EXPECT_EQ(off, 0) << "worst " << worst;
}

}  // namespace
