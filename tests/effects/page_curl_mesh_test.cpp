// The page-curl mesh: where every vertex of the flat, wrapped, back and
// rolled parts lands, the split pages, and the front-to-back order.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/page_curl_mesh.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kBand = 5.0f;

// Where a vertex lay on the flat page, read back from its texture
// coordinates (u runs left to right, v top to bottom over 1000 units).
void FlatPosition(const CCurlVertex& v, float* x, float* y) {
  *x = v.texture.x * 1000.0f - 500.0f;
  *y = 500.0f - v.texture.y * 1000.0f;
}

double TotalArea(const CCurlMesh& mesh) {
  double area = 0.0;
  for (const CCurlTriangle& t : mesh.m_triangles) {
    const CVector3& a = mesh.m_vertices[t.index[0]].position;
    const CVector3& b = mesh.m_vertices[t.index[1]].position;
    const CVector3& c = mesh.m_vertices[t.index[2]].position;
    area += 0.5 * std::fabs((double(b.x) - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (double(b.y) - a.y));
  }
  return area;
}

struct Expected {
  float x, y, z;
};

// Independent model of one vertex of a whole page curled at angle a over a
// cylinder of radius r (or rolled), from the vertex's flat position. The
// part a vertex belongs to and the truncated roll radius are decided at the
// distance d + shift, so that a vertex on a dividing line can be tried on
// both sides of it.
Expected Model(float x0, float y0, float r, float p, float angleDegrees, bool cylinder, float shift) {
  const float a = angleDegrees * 0.017453292f;
  const float c = std::cos(a), s = std::sin(a);
  const float xr = c * x0 - s * y0, yr = s * x0 + c * y0;
  const float extent = 500.0f * (std::fabs(c) + std::fabs(s));
  const float line = (1.0f - p) * 2.0f * extent - extent;
  auto turnBack = [&](float yy, float zz) { return Expected{c * xr + s * yy, c * yy - s * xr, zz}; };
  const float d = yr - line, decide = d + shift;
  if (decide <= 0.0f) return turnBack(yr, 0.0f);
  if (cylinder) {
    if (decide >= kPi * r) return turnBack(2.0f * line + kPi * r - yr, -2.0f * r);
    const float wrap = std::trunc(std::max(r, 10.0f));
    return turnBack(line + wrap * std::sin(d / wrap), wrap * std::cos(d / wrap) - wrap);
  }
  const float rr = std::max(r, 10.0f);
  const float rolled = std::max(1.0f, std::trunc(rr - 0.01f * decide));
  return turnBack(line + rolled * std::sin(d / rolled), rolled * std::cos(d / rolled) - rr);
}

bool Near(const CVector3& p, const Expected& e, float tolerance) {
  return std::fabs(p.x - e.x) < tolerance && std::fabs(p.y - e.y) < tolerance && std::fabs(p.z - e.z) < tolerance;
}

// Every vertex of a whole-page curl where the model puts it.
void ExpectWholePageShape(float r, float p, float angle, bool cylinder) {
  CCurlMesh mesh;
  mesh.m_cylinder = cylinder;
  mesh.BuildPage(r, p, angle, 0, kBand);
  ASSERT_FALSE(mesh.m_triangles.empty());
  int misplaced = 0;
  for (const CCurlVertex& v : mesh.m_vertices) {
    float x0, y0;
    FlatPosition(v, &x0, &y0);
    // Texture coordinates carry float rounding into the recovered position.
    bool placed = false;
    for (float shift : {0.0f, -0.02f, 0.02f})
      placed = placed || Near(v.position, Model(x0, y0, r, p, angle, cylinder, shift), 0.05f);
    if (!placed) ++misplaced;
  }
  EXPECT_EQ(misplaced, 0) << "r " << r << " p " << p << " angle " << angle << " cylinder " << cylinder;
}

}  // namespace

TEST(CurlMesh, ProgressZeroIsTheFlatPageInEveryMode) {
  for (int cylinder = 0; cylinder < 2; ++cylinder) {
    for (int mode = 0; mode < CCurlMesh::kModeCount; ++mode) {
      CCurlMesh mesh;
      mesh.m_cylinder = cylinder;
      mesh.BuildPage(200.0f, 0.0f, 45.0f, mode, kBand);
      ASSERT_FALSE(mesh.m_triangles.empty()) << mode;
      for (const CCurlVertex& v : mesh.m_vertices) {
        float x0, y0;
        FlatPosition(v, &x0, &y0);
        ASSERT_NEAR(v.position.x, x0, 0.02f);
        ASSERT_NEAR(v.position.y, y0, 0.02f);
        ASSERT_EQ(v.position.z, 0.0f);
        ASSERT_NEAR(v.normal.x, 0.0f, 1e-6f);
        ASSERT_NEAR(v.normal.y, 0.0f, 1e-6f);
        ASSERT_NEAR(v.normal.z, 1.0f, 1e-6f);
      }
      // The page is covered once: no gap, no overlap.
      EXPECT_NEAR(TotalArea(mesh), 1.0e6, 1.0) << "mode " << mode;
    }
  }
}

TEST(CurlMesh, CylinderWrapsThenLaysThePagePastHalfATurnOnItsBack) {
  ExpectWholePageShape(200.0f, 0.5f, 0.0f, true);
  ExpectWholePageShape(200.0f, 1.0f, 45.0f, true);
  ExpectWholePageShape(100.0f, 0.75f, 30.0f, true);
  // The wrap bends with 25 while half a turn ends at pi x 25.7.
  ExpectWholePageShape(25.7f, 0.4f, 10.0f, true);
  // Below 10 the wrap bends with 10.
  ExpectWholePageShape(3.0f, 0.3f, 0.0f, true);
}

TEST(CurlMesh, RollTightensWithDistanceFromTheLine) {
  ExpectWholePageShape(200.0f, 0.5f, 0.0f, false);
  ExpectWholePageShape(150.0f, 1.0f, 60.0f, false);
}

TEST(CurlMesh, SmallRollingRadiusNeverDividesByZero) {
  // Radius 10 shrinks to nothing 1000 units from the line: the roll keeps
  // a radius of 1 instead of producing infinities.
  for (float r : {0.0f, 10.0f, 14.0f}) {
    CCurlMesh mesh;
    mesh.m_cylinder = 0;
    mesh.BuildPage(r, 1.0f, 0.0f, 0, kBand);
    ASSERT_FALSE(mesh.m_vertices.empty());
    for (const CCurlVertex& v : mesh.m_vertices) {
      ASSERT_TRUE(std::isfinite(v.position.x) && std::isfinite(v.position.y) && std::isfinite(v.position.z)) << r;
      ASSERT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) && std::isfinite(v.normal.z)) << r;
    }
    ExpectWholePageShape(r, 1.0f, 0.0f, false);
  }
}

TEST(CurlMesh, HalvesAndQuartersCurlTheirOwnWay) {
  // Style 2 at angle 0: the right half curls up from its bottom edge, the
  // left half down from its top edge.
  CCurlMesh halves;
  halves.m_cylinder = 1;
  halves.BuildPage(100.0f, 0.5f, 0.0f, 2, kBand);
  int rightCurled = 0, leftCurled = 0;
  for (const CCurlVertex& v : halves.m_vertices) {
    if (v.position.z > -0.01f) continue;
    float x0, y0;
    FlatPosition(v, &x0, &y0);
    if (x0 > 0.01f) {
      ++rightCurled;
      EXPECT_LT(y0, 0.01f);
    } else if (x0 < -0.01f) {
      ++leftCurled;
      EXPECT_GT(y0, -0.01f);
    }
  }
  EXPECT_GT(rightCurled, 0);
  EXPECT_GT(leftCurled, 0);

  // Style 3 mirrors the right half's direction: both halves curl from the
  // top of the middle line, each a mirror image of the other.
  CCurlMesh mirrored;
  mirrored.m_cylinder = 1;
  mirrored.BuildPage(100.0f, 0.4f, 30.0f, 3, kBand);
  double rightX = 0.0, leftX = 0.0, rightZ = 0.0, leftZ = 0.0;
  for (const CCurlVertex& v : mirrored.m_vertices) {
    float x0, y0;
    FlatPosition(v, &x0, &y0);
    if (v.position.z > -0.01f) continue;
    if (x0 > 0.01f) {
      rightX += v.position.x;
      rightZ += v.position.z;
    } else if (x0 < -0.01f) {
      leftX += v.position.x;
      leftZ += v.position.z;
    }
  }
  EXPECT_LT(leftZ, -1.0);
  EXPECT_NEAR(rightX, -leftX, 1e-3 * std::fabs(leftX));
  EXPECT_NEAR(rightZ, leftZ, 1e-3 * std::fabs(leftZ));

  // Style 4 at angle 0: every quarter curls from the horizontal centre
  // line, a quarter of its height at progress 0.25.
  CCurlMesh quarters;
  quarters.m_cylinder = 1;
  quarters.BuildPage(100.0f, 0.25f, 0.0f, 4, kBand);
  int curled = 0;
  for (const CCurlVertex& v : quarters.m_vertices) {
    float x0, y0;
    FlatPosition(v, &x0, &y0);
    if (v.position.z < -0.01f) {
      ++curled;
      EXPECT_LE(std::fabs(y0), 125.05f);
    } else {
      EXPECT_GE(std::fabs(y0), 124.95f);
    }
  }
  EXPECT_GT(curled, 0);
}

TEST(CurlMesh, UnknownModeBuildsNothing) {
  for (int mode : {-1, 5, 100}) {
    CCurlMesh mesh;
    mesh.BuildPage(200.0f, 0.5f, 45.0f, mode, kBand);
    EXPECT_TRUE(mesh.m_vertices.empty());
    EXPECT_TRUE(mesh.m_triangles.empty());
    IDirect3DVertexBuffer9* vb = reinterpret_cast<IDirect3DVertexBuffer9*>(1);
    IDirect3DIndexBuffer9* ib = reinterpret_cast<IDirect3DIndexBuffer9*>(1);
    EXPECT_FALSE(mesh.FillVertexBuffer(nullptr, &vb, &ib, 1.0f, 1.0f));
    EXPECT_EQ(vb, nullptr);
    EXPECT_EQ(ib, nullptr);
  }
}

TEST(CurlMesh, FrontTrianglesFirstTheOthersReversed) {
  CCurlMesh mesh;
  auto vertex = [](float x, float y, float z) {
    return CCurlVertex{CVector3(x, y, z, 1.0f), CVector3(0, 0, 1, 1), CVector2(0, 0)};
  };
  // 0-2 turn counter-clockwise seen with y up (normal +z), 3-5 clockwise,
  // 6-8 have two coincident corners.
  mesh.m_vertices = {vertex(0, 0, 0), vertex(1, 0, 0), vertex(1, 1, 0), vertex(0, 0, 0), vertex(1, 1, 0),
                     vertex(1, 0, 0), vertex(0, 0, 0), vertex(0, 0, 0), vertex(1, 1, 0)};
  const CCurlTriangle front{{0, 1, 2}, 3}, back{{3, 4, 5}, 3}, degenerate{{6, 7, 8}, 3};
  EXPECT_EQ(mesh.TriangleNormal(front).z, 1.0f);
  EXPECT_EQ(mesh.TriangleNormal(back).z, -1.0f);
  const CVector3 zero = mesh.TriangleNormal(degenerate);
  EXPECT_EQ(zero.x, 0.0f);
  EXPECT_EQ(zero.y, 0.0f);
  EXPECT_EQ(zero.z, 0.0f);

  const CCurlTriangle frontB{{2, 0, 1}, 3}, backB{{4, 3, 5}, 3};
  mesh.m_triangles = {back, front, degenerate, frontB, backB};
  mesh.SortFrontBack();
  auto same = [](const CCurlTriangle& a, const CCurlTriangle& b) {
    return a.index[0] == b.index[0] && a.index[1] == b.index[1] && a.index[2] == b.index[2];
  };
  ASSERT_EQ(mesh.m_triangles.size(), 5u);
  EXPECT_TRUE(same(mesh.m_triangles[0], front));
  EXPECT_TRUE(same(mesh.m_triangles[1], frontB));
  EXPECT_TRUE(same(mesh.m_triangles[2], backB));
  EXPECT_TRUE(same(mesh.m_triangles[3], degenerate));
  EXPECT_TRUE(same(mesh.m_triangles[4], back));
}
