// The wave grid: its layout, and what each deformation does to it, worked
// out by hand on small grids.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "effects/wave_mesh.h"

namespace {

constexpr double kPi = 3.14159265358979;

// A 124 x 124 picture in a 128 x 128 texture.
std::unique_ptr<CWaveMesh> Grid(int columns, int rows) {
  auto mesh = std::make_unique<CWaveMesh>(124.0f, 124.0f, 0.0f, 0.96875f, 0.0f, 0.96875f);
  mesh->m_columns = columns;
  mesh->m_rows = rows;
  EXPECT_TRUE(mesh->Create());
  return mesh;
}

TEST(WaveMesh, GridSpansThePictureWithRowZeroOnTop) {
  const float w = 310.0f, h = 170.0f, u1 = 310.0f / 512.0f, v1 = 170.0f / 256.0f;
  CWaveMesh mesh(w, h, 0.0f, u1, 0.0f, v1);
  ASSERT_TRUE(mesh.Create());
  ASSERT_EQ(mesh.m_vertexCount, 32 * 32);
  ASSERT_EQ(mesh.m_triangleCount, 1922);
  for (int j = 0; j < 32; ++j) {
    for (int i = 0; i < 32; ++i) {
      const CRenderVertex& v = mesh.m_vertices[j * 32 + i];
      ASSERT_NEAR(v.x, -w / 2 + i * w / 31, 1e-3) << i << "," << j;
      ASSERT_NEAR(v.y, -h / 2 + j * h / 31, 1e-3) << i << "," << j;
      // The top row (smallest y) samples the top of the picture: no flip.
      ASSERT_NEAR(v.u, u1 * i / 31, 1e-6);
      ASSERT_NEAR(v.v, v1 * j / 31, 1e-6);
    }
  }
  // The triangles tile the rectangle: every index is a vertex, no triangle
  // is turned over and together they cover exactly its area.
  double area = 0.0;
  for (int t = 0; t < mesh.m_triangleCount; ++t) {
    const WORD* k = mesh.m_indices + 3 * t;
    for (int c = 0; c < 3; ++c) ASSERT_LT(k[c], mesh.m_vertexCount);
    const CRenderVertex &a = mesh.m_vertices[k[0]], &b = mesh.m_vertices[k[1]], &c = mesh.m_vertices[k[2]];
    const double cross = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    ASSERT_LT(cross, 0.0) << "triangle " << t;
    area += -0.5 * cross;
  }
  EXPECT_NEAR(area, w * h, 0.5);
}

TEST(WaveMesh, EmptyPicturesAndOversizedGridsAreRefused) {
  CWaveMesh empty(0.0f, 50.0f, 0, 1, 0, 1);
  EXPECT_FALSE(empty.Create());
  CWaveMesh oneColumn(50.0f, 50.0f, 0, 1, 0, 1);
  oneColumn.m_columns = 1;
  EXPECT_FALSE(oneColumn.Create());
  CWaveMesh huge(50.0f, 50.0f, 0, 1, 0, 1);
  huge.m_columns = huge.m_rows = 257;  // past 16-bit indices
  EXPECT_FALSE(huge.Create());
  // A deformation of a mesh that was never built touches nothing.
  huge.ApplyWave(20, 100, 1);
  huge.ApplyRadialPinch(1);
  EXPECT_EQ(huge.m_vertexCount, 0);
}

TEST(WaveMesh, EveryDeformationLeavesTheBorderInPlace) {
  const std::vector<void (*)(CWaveMesh&)> deformations = {
      [](CWaveMesh& m) { m.ApplyWave(20, 100, 0.7); },
      [](CWaveMesh& m) { m.ApplyDiagonalWave(20, 6, 20, 37); },
      [](CWaveMesh& m) { m.ApplyCircleWave(20, 5, 20, 0.3); },
      [](CWaveMesh& m) { m.ApplySphere(1.0); },
      [](CWaveMesh& m) { m.ApplyRadialPinch(1.0); },
  };
  const auto rest = Grid(32, 32);
  for (size_t d = 0; d < deformations.size(); ++d) {
    const auto mesh = Grid(32, 32);
    deformations[d](*mesh);
    int innerMoved = 0;
    for (int j = 0; j < 32; ++j) {
      for (int i = 0; i < 32; ++i) {
        const CRenderVertex &a = mesh->m_vertices[j * 32 + i], &b = rest->m_vertices[j * 32 + i];
        const bool same = a.x == b.x && a.y == b.y && a.u == b.u && a.v == b.v;
        if (i == 0 || j == 0 || i == 31 || j == 31)
          ASSERT_TRUE(same) << "deformation " << d << " moved border vertex " << i << "," << j;
        else
          innerMoved += !same;
      }
    }
    EXPECT_GT(innerMoved, 800) << "deformation " << d;
  }
}

// The single inner vertex of a 3 x 3 grid is the centre (a = b = r = 0),
// where every term of the wave is at its crest.
TEST(WaveMesh, WaveAndDiagonalWaveAtTheCentreOfAThreeByThreeGrid) {
  // dx = m (1/8 + 1/2 + 1) with m = 20 A, dy = 0; scaled by 0.04: 1.3 A.
  const auto wave = Grid(3, 3);
  wave->ApplyWave(2.0, 7.0, 0.0);
  EXPECT_NEAR(wave->m_vertices[4].x, 2.6f, 1e-5);
  EXPECT_NEAR(wave->m_vertices[4].y, 0.0f, 1e-5);
  // A quarter turn sends the same push down the screen.
  const auto turned = Grid(3, 3);
  turned->ApplyWave(2.0, 7.0, kPi / 2);
  EXPECT_NEAR(turned->m_vertices[4].x, 0.0f, 1e-5);
  EXPECT_NEAR(turned->m_vertices[4].y, 2.6f, 1e-5);

  // x moves by A cos(V T / 1000 x F pi): V T / 1000 = 0.5 and F = 2 give a
  // whole turn plus half, so x goes back by A; y by A sin(0).
  const auto diagonal = Grid(3, 3);
  diagonal->ApplyDiagonalWave(3.0, 2.0, 10.0, 50.0);
  EXPECT_NEAR(diagonal->m_vertices[4].x, -3.0f, 1e-4);
  EXPECT_NEAR(diagonal->m_vertices[4].y, 0.0f, 1e-5);
}

TEST(WaveMesh, CircleWaveCrestPushesAlongTheDiagonal) {
  // On a 5 x 5 grid vertex (1, 1) sits at a = b = -1/4, r = sqrt(2) / 4. A
  // velocity term that puts the sine at its crest leaves
  // d = (C - 1) x amplitude x 0.002 / r in both x and y.
  const double r = std::sqrt(2.0) / 4;
  const double velocityTimesQ = 1.6181229773462784 * r - 0.25;
  const auto mesh = Grid(5, 5);
  const CRenderVertex before = mesh->m_vertices[5 + 1];
  mesh->ApplyCircleWave(10.0, 1.0, velocityTimesQ, 1.0);
  const double d = 4 * 10.0 * 0.002 / r;
  EXPECT_NEAR(mesh->m_vertices[6].x - before.x, d, 1e-4);
  EXPECT_NEAR(mesh->m_vertices[6].y - before.y, d, 1e-4);
  // The odd grid's centre has no distance to divide by: it stays put.
  EXPECT_EQ(mesh->m_vertices[12].x, 0.0f);
  EXPECT_EQ(mesh->m_vertices[12].y, 0.0f);
}

TEST(WaveMesh, SphereAndPinchMoveTextureCoordinatesOnly) {
  // Vertex (24, 24) of the default grid: a = b = 24/31 - 1/2.
  const double a = 24.0 / 31 - 0.5, r = std::sqrt(2.0) * a, extent = 0.96875;
  const int k = 24 * 32 + 24;
  const auto rest = Grid(32, 32);

  // On the ball (r < 1/2 at q = 1), a point at distance r shows the picture
  // at arcsine(r), scaled so that the rim reaches the picture's edge.
  const auto sphere = Grid(32, 32);
  sphere->ApplySphere(1.0);
  const double onBall = (std::asin(r) * 2 / kPi / r * a + 0.5) * extent;
  EXPECT_NEAR(sphere->m_vertices[k].u, onBall, 1e-5);
  EXPECT_NEAR(sphere->m_vertices[k].v, onBall, 1e-5);
  EXPECT_EQ(sphere->m_vertices[k].x, rest->m_vertices[k].x);
  // Beyond the ball and its blend band (r >= 0.6) nothing changes.
  EXPECT_EQ(sphere->m_vertices[1 * 32 + 1].u, rest->m_vertices[1 * 32 + 1].u);
  // An odd grid's centre samples the picture's centre.
  const auto odd = Grid(3, 3);
  odd->ApplySphere(1.0);
  EXPECT_NEAR(odd->m_vertices[4].u, 0.5 * extent, 1e-6);

  // The pinch samples 0.35 of the extent nearer the centre, along the
  // diagonal here: 0.35 / sqrt(2) in each coordinate.
  const auto pinch = Grid(32, 32);
  pinch->ApplyRadialPinch(1.0);
  EXPECT_NEAR(pinch->m_vertices[k].u, (24.0 / 31 - 0.35 / std::sqrt(2.0)) * extent, 1e-5);
  EXPECT_NEAR(pinch->m_vertices[k].v, (24.0 / 31 - 0.35 / std::sqrt(2.0)) * extent, 1e-5);
  EXPECT_EQ(pinch->m_vertices[k].y, rest->m_vertices[k].y);
  // Samples never leave the picture's part of the texture.
  for (int i = 0; i < pinch->m_vertexCount; ++i) {
    ASSERT_GE(pinch->m_vertices[i].u, 0.0f);
    ASSERT_LE(pinch->m_vertices[i].u, extent);
  }
}

}  // namespace
