// Texture sizes, upload edge replication, and the exact pass-through.
#include <gtest/gtest.h>

#include "render/effect_frame.h"
#include "render/shape_base.h"
#include "render_fixture.h"

namespace {

DWORD Pattern(int x, int y) { return 0x80000000u | (static_cast<DWORD>(x * 7 % 256) << 16) | ((y * 13 % 256) << 8) | ((x + y) % 256); }

using TextureHolderTest = RendererTest;

TEST_F(TextureHolderTest, PicturesGetPowerOfTwoTexturesWithEdgesRepeated) {
  CTextureHolder holder;
  MakePicture(holder, 300, 200, FALSE, Pattern);
  EXPECT_EQ(holder.m_textureWidth, 512);
  EXPECT_EQ(holder.m_textureHeight, 256);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(holder.m_texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  auto at = [&](int x, int y) { return reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x]; };
  EXPECT_EQ(at(0, 0), Pattern(0, 0));
  EXPECT_EQ(at(511, 10), Pattern(299, 10));
  EXPECT_EQ(at(17, 255), Pattern(17, 199));
  EXPECT_EQ(at(511, 255), Pattern(299, 199));
  holder.m_texture->UnlockRect(0);

  CTextureHolder narrow;
  ASSERT_NE(narrow.Create(Device(), 0, 0, 1, 1, FALSE), nullptr);
  EXPECT_EQ(narrow.m_textureWidth, 2);
  EXPECT_EQ(narrow.m_textureHeight, 2);
}

TEST_F(TextureHolderTest, PassThroughCopiesColourAndAlphaExactly) {
  CTextureHolder source, target;
  MakePicture(source, 250, 130, TRUE, Pattern);
  ASSERT_NE(target.Create(Device(), 0, 0, 250, 130, TRUE), nullptr);
  RenderPassThrough(&renderer_, Device(), &source, &target);
  const std::vector<DWORD> got = ReadPicture(target);
  ASSERT_EQ(got.size(), 250u * 130u);
  int wrong = 0;
  for (int y = 0; y < 130; ++y)
    for (int x = 0; x < 250; ++x) wrong += got[y * 250 + x] != Pattern(x, y);
  EXPECT_EQ(wrong, 0);
}

TEST_F(TextureHolderTest, LargeMeshesGrowTheSharedBuffersOnce) {
  CShapeBase mesh;
  // A strip of 2,000 vertices and 3,996 triangles: past both first capacities.
  ASSERT_TRUE(mesh.Reserve(2000, 1998 * 2));
  for (int i = 0; i < 2000; ++i) mesh.m_vertices[i] = CRenderVertex{float(i % 1000), float(i / 1000 * 10), 0, 0, 0xFFFFFFFF};
  for (int i = 0; i < 999 - 1 + 1; ++i) {
    WORD a = WORD(i), b = WORD(i + 1), c = WORD(i + 1000), d = WORD(i + 1001);
    WORD* t = mesh.m_indices + i * 6;
    t[0] = a, t[1] = b, t[2] = c, t[3] = b, t[4] = d, t[5] = c;
  }
  const DWORD white = 0xFFFFFFFF;
  renderer_.DrawMesh(&mesh, &white);
  EXPECT_EQ(renderer_.m_vertexCapacity, 2000);
  EXPECT_EQ(renderer_.m_indexCapacity, 1998 * 2 * 3);
  CColorMesh quad(10, 10, 0, 1, 0, 1);
  ASSERT_TRUE(quad.Create());
  renderer_.DrawMesh(&quad, &white);
  EXPECT_EQ(renderer_.m_vertexCapacity, 2000);
}

}  // namespace
