// The screw's clipped polar mesh, its pose over the transition, and what the
// effect draws, prepared or not.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "effects/screw_effect.h"
#include "wave_test_pictures.h"

namespace {

using namespace wave_test;

std::unique_ptr<CScrewMesh> BuildMesh(float w, float h, float u1 = 1.0f, float v1 = 1.0f) {
  auto mesh = std::make_unique<CScrewMesh>(w, h, 0.0f, u1, 0.0f, v1);
  EXPECT_TRUE(mesh->Create()) << w << " x " << h;
  return mesh;
}

double TriangleArea(const CShapeBase& mesh, int t) {
  const WORD* k = mesh.m_indices + 3 * t;
  const CRenderVertex &a = mesh.m_vertices[k[0]], &b = mesh.m_vertices[k[1]], &c = mesh.m_vertices[k[2]];
  return 0.5 * std::fabs(double(b.x - a.x) * (c.y - a.y) - double(c.x - a.x) * (b.y - a.y));
}

// The mesh lies in the picture, covers all of it once, and samples each
// point's own place in the texture.
void ExpectCoversThePicture(const CScrewMesh& mesh, float w, float h, float u1, float v1) {
  ASSERT_GT(mesh.m_vertexCount, 0);
  ASSERT_LE(mesh.m_vertexCount, 65536);
  for (int i = 0; i < mesh.m_vertexCount; ++i) {
    const CRenderVertex& v = mesh.m_vertices[i];
    ASSERT_TRUE(std::fabs(v.x) <= w / 2 + 1e-3f && std::fabs(v.y) <= h / 2 + 1e-3f) << v.x << "," << v.y;
    ASSERT_NEAR(v.u, u1 * (v.x / w + 0.5f), 1e-5);
    ASSERT_NEAR(v.v, v1 * (v.y / h + 0.5f), 1e-5);
  }
  double area = 0.0;
  for (int t = 0; t < mesh.m_triangleCount; ++t) {
    for (int c = 0; c < 3; ++c) ASSERT_LT(mesh.m_indices[3 * t + c], mesh.m_vertexCount);
    area += TriangleArea(mesh, t);
  }
  EXPECT_NEAR(area, double(w) * h, 1e-3 * w * h) << w << " x " << h;
}

TEST(ScrewMesh, PolarGridClippedToThePictureCoversItOnce) {
  const auto square = BuildMesh(256, 256, 1.0f, 1.0f);
  EXPECT_EQ(square->m_directions, 25);
  EXPECT_EQ(square->m_rings, 75);
  ExpectCoversThePicture(*square, 256, 256, 1.0f, 1.0f);
  // The farthest points are the corners, and they turn half as far.
  EXPECT_NEAR(square->m_largestDistance, 128 * std::sqrt(2.0f), 1e-2);
  for (float factor : square->m_radiusFactors) ASSERT_TRUE(factor >= 1.0f && factor <= 2.0f);

  const auto wide = BuildMesh(300, 70, 300 / 512.0f, 70 / 128.0f);
  EXPECT_EQ(wide->m_directions, 30);
  ExpectCoversThePicture(*wide, 300, 70, 300 / 512.0f, 70 / 128.0f);
  const auto dot = BuildMesh(1, 1);
  EXPECT_EQ(dot->m_directions, 5);
  ExpectCoversThePicture(*dot, 1, 1, 1.0f, 1.0f);
  CScrewMesh empty(0, 40, 0, 1, 0, 1);
  EXPECT_FALSE(empty.Create());
}

TEST(ScrewMesh, ClippedPiecesMayOutgrowTwiceTheGrid) {
  // Five directions over a small picture: the cut triangles bring more new
  // points than the grid has, past room for twice the grid.
  const auto mesh = BuildMesh(50, 50);
  const int grid = mesh->m_directions * mesh->m_rings + 1;
  EXPECT_GT(mesh->m_gridVertexCount, 2 * grid);
  ExpectCoversThePicture(*mesh, 50, 50, 1.0f, 1.0f);
}

TEST(ScrewMesh, HugePicturesKeepWithinSixteenBitIndices) {
  const auto mesh = BuildMesh(4000, 3000, 4000 / 4096.0f, 3000 / 4096.0f);
  EXPECT_EQ(mesh->m_directions, CScrewMesh::kMaxDirections);
  ExpectCoversThePicture(*mesh, 4000, 3000, 4000 / 4096.0f, 3000 / 4096.0f);
}

TEST(ScrewMesh, PoseShrinksAndTurnsTheCentreTwiceAsFarAsTheCorners) {
  const auto mesh = BuildMesh(64, 64);
  const std::vector<CRenderVertex> rest(mesh->m_vertices, mesh->m_vertices + mesh->m_vertexCount);
  // Half-way the scale is 1 - log21(1 + 20 q) and the turn 1440 degrees
  // times 1 - log21((1.05 - q) / 0.05): both log21(11) here.
  const double share = std::log(11.0) / std::log(21.0);
  const double scale = 1.0 - share, turn = 1440.0 * (1.0 - share);
  mesh->Animate(0.5f);
  int checked = 0;
  for (int i = 0; i < mesh->m_vertexCount; ++i) {
    const CRenderVertex &now = mesh->m_vertices[i], &was = rest[i];
    const double restLength = std::hypot(was.x, was.y);
    ASSERT_NEAR(std::hypot(now.x, now.y), scale * restLength, 1e-3);
    ASSERT_EQ(now.u, was.u);
    if (restLength < 4.0) continue;
    // Turned clockwise on the screen (y down): the angle grows.
    const double expected = turn / (1.0 + restLength / mesh->m_largestDistance);
    const double angle = (std::atan2(now.y, now.x) - std::atan2(was.y, was.x)) * 180.0 / 3.14159265358979;
    ASSERT_NEAR(std::remainder(angle - expected, 360.0), 0.0, 0.05) << i;
    ++checked;
  }
  EXPECT_GT(checked, 20);

  // At the start of the effect the picture is a point; at the end it is as built.
  mesh->Animate(1.0f);
  for (int i = 0; i < mesh->m_vertexCount; ++i)
    ASSERT_NEAR(std::hypot(mesh->m_vertices[i].x, mesh->m_vertices[i].y), 0.0, 1e-4);
  mesh->Animate(0.0005f);
  for (int i = 0; i < mesh->m_vertexCount; ++i) ASSERT_EQ(mesh->m_vertices[i].x, rest[i].x);
  // A progress outside 0..1 poses nothing that is not a number.
  for (float q : {-1.0f, 2.0f, std::numeric_limits<float>::quiet_NaN()}) {
    mesh->Animate(q);
    for (int i = 0; i < mesh->m_vertexCount; ++i) ASSERT_TRUE(std::isfinite(mesh->m_vertices[i].x)) << q;
  }
}

using ScrewEffectRender = EffectPictureTest;

TEST_F(ScrewEffectRender, UnpreparedScrewLeavesTheTargetAlone) {
  CScrewEffect effect;
  CTextureHolder source, target;
  MakePicture(source, 64, 64, TRUE, Coded);
  MakePicture(target, 64, 64, TRUE, [](int x, int y) { return Coded(y, x); });
  effect.Render(&renderer_, Device(), &source, &target, 0.5f);
  // Without a renderer to measure there is nothing to prepare for either.
  if (!GetRenderer()) {
    effect.Prepare(Device());
    EXPECT_EQ(effect.GetMesh(), nullptr);
  }
  effect.Render(&renderer_, Device(), &source, &target, 1.0f);
  const std::vector<DWORD> got = ReadPicture(target);
  int kept = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) kept += got[y * 64 + x] == Coded(y, x);
  EXPECT_EQ(kept, 64 * 64);
}

TEST_F(ScrewEffectRender, WholeAtTheEndAPointAtTheStartAndSmallHalfWay) {
  CScrewEffect effect;
  CTextureHolder measure;
  ASSERT_NE(measure.Create(Device(), 0, 0, kSide, kSide, TRUE), nullptr);
  effect.PrepareFor(&measure);
  ASSERT_NE(effect.GetMesh(), nullptr);

  DirtyDeviceStates();
  EXPECT_EQ(CountChanged(RenderCoded(effect, 1.0f), kSide, kSide), 0);
  // Poses repeat: the next frames start again from the built mesh.
  EXPECT_EQ(CountChanged(RenderCoded(effect, 1.0f), kSide, kSide), 0);

  const std::vector<DWORD> start = RenderCoded(effect, 0.0f);
  EXPECT_EQ(std::count(start.begin(), start.end(), 0u), kSide * kSide);

  // Half-way the corners reach 0.21 of the half-diagonal (about 18.6
  // pixels); everything beyond is clear, the centre shows the centre.
  const std::vector<DWORD> half = RenderCoded(effect, 0.5f);
  int litOutside = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      litOutside += half[y * kSide + x] != 0 && std::hypot(x + 0.5 - kSide / 2.0, y + 0.5 - kSide / 2.0) > 20.5;
  EXPECT_EQ(litOutside, 0);
  const DWORD centre = half[(kSide / 2) * kSide + kSide / 2];
  EXPECT_NEAR(CodedX(centre), kSide / 2.0, 5.0);
  EXPECT_NEAR(CodedY(centre), kSide / 2.0, 5.0);
}

TEST(ScrewEffectBlock, IdFiveIsTheScrewWithAnEmptyBlock) {
  std::unique_ptr<CEffect> effect(GetEffectRegistry().Create(5));
  ASSERT_NE(effect, nullptr);
  EXPECT_TRUE(effect->GetName() == u"Screw");
  EXPECT_TRUE(StoreBlock(*effect).empty());
  EXPECT_TRUE(LoadBlock(*effect, {}));
}

}  // namespace
