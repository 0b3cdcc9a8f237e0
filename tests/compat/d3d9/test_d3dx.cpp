// The D3DX helpers: level counts, mip building, surface loading, and the
// camera matrices (checked against their closed forms and by transforming points).
#include <cmath>

#include "device_fixture.h"

namespace {

using D3dx = DeviceTest;

TEST_F(D3dx, CreateTextureClampsLevelsToTheFullChain) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 8, 8, 6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(t->GetLevelCount(), 4u);  // 8, 4, 2, 1
  t->Release();
  ASSERT_EQ(D3DXCreateTexture(device_, 300, 200, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(t->GetLevelCount(), 9u);
  D3DSURFACE_DESC d;
  t->GetLevelDesc(3, &d);
  EXPECT_EQ(d.Width, 37u);
  EXPECT_EQ(d.Height, 25u);
  t->GetLevelDesc(8, &d);
  EXPECT_EQ(d.Width, 1u);
  EXPECT_EQ(d.Height, 1u);
  EXPECT_EQ(t->GetLevelDesc(9, &d), D3DERR_INVALIDCALL);
  t->Release();
  EXPECT_EQ(D3DXCreateTexture(device_, 0x10000, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
}

TEST_F(D3dx, FilterTextureAveragesTwoByTwoBlocks) {
  // 4 x 2 level 0: two 2 x 2 blocks -> level 1 is 2 x 1, level 2 is 1 x 1.
  std::vector<uint32_t> level0 = {0x00000000, 0x04080C10, 0xFF000001, 0xFF000003,
                                  0x04080C10, 0x00000000, 0xFF000001, 0xFF000002};
  IDirect3DTexture9* t = MakeTexture(4, 2, level0, 0);
  ASSERT_EQ(t->GetLevelCount(), 3u);
  ASSERT_EQ(D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_LINEAR), D3D_OK);
  IDirect3DSurface9* s = nullptr;
  t->GetSurfaceLevel(1, &s);
  // Each channel (sum of four + 2) / 4: left block alpha (0 + 4 + 4 + 0 + 2) / 4 = 2, right block
  // blue (1 + 3 + 1 + 2 + 2) / 4 = 2; level 2 alpha (2 + 255 + 2 + 255 + 2) / 4 = 0x81.
  EXPECT_EQ(Read(s), (std::vector<uint32_t>{0x02040608, 0xFF000002}));
  s->Release();
  t->GetSurfaceLevel(2, &s);
  EXPECT_EQ(Read(s), (std::vector<uint32_t>{0x81020305}));
  s->Release();
  EXPECT_EQ(D3DXFilterTexture(t, nullptr, 3, D3DX_FILTER_LINEAR), D3DERR_INVALIDCALL);
  t->Release();
}

TEST_F(D3dx, MinifiedMipmappedTextureSamplesTheSmallerLevel) {
  // Level 0 white, level 1 black: drawn at half size with a mip filter it reads level 1.
  IDirect3DTexture9* t = MakeTexture(16, 16, std::vector<uint32_t>(256, 0xFFFFFFFF), 2);
  D3DLOCKED_RECT lr;
  t->LockRect(1, &lr, nullptr, 0);
  std::memset(lr.pBits, 0, 64 * 4);
  t->UnlockRect(1);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetTexture(0, t);
  device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
  device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  DrawQuad(0, 0, 8, 8);
  EXPECT_EQ(ReadBackBuffer()[3 * kBackWidth + 3], 0u);
  // Between the levels (lod 0.5) trilinear filtering mixes them about evenly.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  DrawQuad(0, 0, 11.3137f, 11.3137f);
  uint32_t mixed = ReadBackBuffer()[3 * kBackWidth + 3] & 0xFF;
  EXPECT_GT(mixed, 0x60u);
  EXPECT_LT(mixed, 0xA0u);
  // Without a mip filter only the base level is read.
  device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  DrawQuad(0, 0, 8, 8);
  EXPECT_EQ(ReadBackBuffer()[3 * kBackWidth + 3], 0xFFFFFFFFu);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(D3dx, LoadSurfaceFromMemoryCopiesTheSourceRectangle) {
  IDirect3DTexture9* t = nullptr;
  D3DXCreateTexture(device_, 3, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
  IDirect3DSurface9* s = nullptr;
  t->GetSurfaceLevel(0, &s);
  std::vector<uint32_t> source = {1, 2, 3, 4, 5, 6};
  RECT r{0, 0, 3, 2};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 12, nullptr, &r,
                                      D3DX_FILTER_LINEAR, 0), D3D_OK);
  EXPECT_EQ(Read(s), source);
  // A pitch shorter than the rectangle's rows is refused.
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 8, nullptr, &r,
                                      D3DX_FILTER_LINEAR, 0), D3DERR_INVALIDCALL);
  s->Release();
  t->Release();
}

TEST(D3dxMatrices, CameraMatricesMapPointsAsTheEffectsExpect) {
  D3DXMATRIX view, projection, world;
  D3DXVECTOR3 eye(0, 0, -1000), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 2 * std::atan(0.5f), 1.0f, 0.0f, 1.0f);
  D3DXMatrixTranslation(&world, 10, 20, 30);
  EXPECT_FLOAT_EQ(view._43, 1000.0f);
  EXPECT_FLOAT_EQ(projection._11, 2.0f);
  EXPECT_FLOAT_EQ(projection._34, 1.0f);
  D3DXMATRIX all = world * view * projection;
  // (490, -520, -30) moves to (500, -500, 0): at depth 1000 that is the view's corner.
  float p[3] = {490, -520, -30}, out[4];
  for (int c = 0; c < 4; ++c) out[c] = p[0] * all.m[0][c] + p[1] * all.m[1][c] + p[2] * all.m[2][c] + all.m[3][c];
  EXPECT_FLOAT_EQ(out[0] / out[3], 1.0f);
  EXPECT_FLOAT_EQ(out[1] / out[3], -1.0f);
  EXPECT_FLOAT_EQ(out[3], 1000.0f);
  EXPECT_FLOAT_EQ(out[2], out[3]);  // near 0, far 1: z equals w
  // The renderer's own camera: z = 1 at the near plane maps to depth 0.
  D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1024.0f / 768.0f, 1.0f, 3000.0f);
  EXPECT_NEAR(projection._22, 1.0f / std::tan(D3DX_PI / 8), 1e-5);
  EXPECT_NEAR(projection._11 * 1024.0f / 768.0f, projection._22, 1e-5);
  EXPECT_NEAR(1.0f * projection._33 + projection._43, 0.0f, 1e-5);
}

}  // namespace
