// Render targets, viewport, Clear, render-to-texture, the readback copies,
// Present and the reference counts of everything the device hands out.
#include "device_fixture.h"

namespace {

using TargetsAndCopies = DeviceTest;

TEST_F(TargetsAndCopies, SetRenderTargetMakesTheViewportTheWholeTarget) {
  D3DVIEWPORT9 small{2, 3, 10, 5, 0.0f, 1.0f};
  device_->SetViewport(&small);
  IDirect3DTexture9* rt = MakeRenderTexture(20, 10);
  IDirect3DSurface9* s = Target(rt);
  D3DVIEWPORT9 vp;
  device_->GetViewport(&vp);
  EXPECT_EQ(vp.X, 0u);
  EXPECT_EQ(vp.Y, 0u);
  EXPECT_EQ(vp.Width, 20u);
  EXPECT_EQ(vp.Height, 10u);
  EXPECT_EQ(vp.MaxZ, 1.0f);
  s->Release();
  rt->Release();
}

TEST_F(TargetsAndCopies, ClearAndDrawingStayInsideTheViewport) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  D3DVIEWPORT9 vp{4, 2, 10, 6, 0.0f, 1.0f};
  device_->SetViewport(&vp);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  std::vector<uint32_t> px = ReadBackBuffer();
  int inside = 0;
  for (UINT y = 0; y < kBackHeight; ++y)
    for (UINT x = 0; x < kBackWidth; ++x) {
      bool in = x >= 4 && x < 14 && y >= 2 && y < 8;
      inside += in;
      ASSERT_EQ(px[y * kBackWidth + x], in ? 0xFF0000FFu : 0xFF000000u) << x << "," << y;
    }
  EXPECT_EQ(inside, 60);
  // A full-target quad is cut to the viewport too.
  Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  DrawQuad(0, 0, kBackWidth, kBackHeight, 0xFF00FF00);
  px = ReadBackBuffer();
  EXPECT_EQ(px[2 * kBackWidth + 4], 0xFF00FF00u);
  EXPECT_EQ(px[7 * kBackWidth + 13], 0xFF00FF00u);
  EXPECT_EQ(px[7 * kBackWidth + 14], 0xFF000000u);
  EXPECT_EQ(px[8 * kBackWidth + 13], 0xFF000000u);
  EXPECT_EQ(px[1 * kBackWidth + 4], 0xFF000000u);
}

TEST_F(TargetsAndCopies, AViewportReachingPastTheTargetIsCutToIt) {
  D3DVIEWPORT9 huge{0, 0, 100000, 100000, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&huge), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  DrawQuad(-1000, -1000, 1000, 1000, 0xFF0000FF);
  EXPECT_EQ(ReadBackBuffer(), std::vector<uint32_t>(kBackWidth * kBackHeight, 0xFF0000FF));
  D3DVIEWPORT9 outside{500, 500, 10, 10, 0.0f, 1.0f};
  device_->SetViewport(&outside);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  DrawQuad(0, 0, kBackWidth, kBackHeight, 0xFFFFFFFF);
  EXPECT_EQ(ReadBackBuffer(), std::vector<uint32_t>(kBackWidth * kBackHeight, 0xFF0000FF));
}

TEST_F(TargetsAndCopies, RenderToTextureThenSampleItAndReadItBack) {
  // Pass 1: a coloured quad into a render-target texture, restoring the back buffer after.
  IDirect3DSurface9* saved = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &saved), D3D_OK);
  IDirect3DTexture9* rt = MakeRenderTexture(16, 8);
  IDirect3DSurface9* level = Target(rt);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  DrawQuad(0, 0, 8, 8, 0xFFFF0000);
  device_->SetRenderTarget(0, saved);
  saved->Release();
  level->Release();
  // Pass 2: that texture copied 1:1 into the back buffer.
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetTexture(0, rt);
  DrawQuad(0, 0, 16, 8);
  device_->SetTexture(0, nullptr);
  rt->Release();
  // Readback as the renderer's grab does it.
  IDirect3DSurface9 *bb = nullptr, *copy = nullptr, *sys = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
  ASSERT_EQ(device_->CreateRenderTarget(16, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &copy, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(16, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
  RECT r{0, 0, 16, 8};
  ASSERT_EQ(device_->StretchRect(bb, &r, copy, &r, D3DTEXF_NONE), D3D_OK);
  ASSERT_EQ(device_->GetRenderTargetData(copy, sys), D3D_OK);
  std::vector<uint32_t> px = Read(sys);
  EXPECT_EQ(px[0], 0xFFFF0000u);
  EXPECT_EQ(px[7 * 16 + 7], 0xFFFF0000u);
  EXPECT_EQ(px[7 * 16 + 8], 0u);
  // Sizes that differ, and rectangles outside a surface, are refused.
  IDirect3DSurface9* other = nullptr;
  device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &other, nullptr);
  EXPECT_EQ(device_->GetRenderTargetData(copy, other), D3DERR_INVALIDCALL);
  RECT outside{0, 0, kBackWidth + 1, 8};
  EXPECT_EQ(device_->StretchRect(bb, &outside, copy, &r, D3DTEXF_NONE), D3DERR_INVALIDCALL);
  EXPECT_EQ(other->Release(), 0u);
  EXPECT_EQ(sys->Release(), 0u);
  EXPECT_EQ(copy->Release(), 0u);
  bb->Release();
}

TEST_F(TargetsAndCopies, LargeCopiesKeepEveryPixel) {
  // Large enough to be split across the workers.
  const UINT w = 400, h = 200;
  IDirect3DSurface9 *src = nullptr, *rt = nullptr, *sys = nullptr;
  device_->CreateOffscreenPlainSurface(w, h, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &src, nullptr);
  device_->CreateRenderTarget(w, h, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &rt, nullptr);
  device_->CreateOffscreenPlainSurface(w, h, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr);
  std::vector<uint32_t> picture = NoisePicture(w, h, 17);
  D3DLOCKED_RECT lr;
  src->LockRect(&lr, nullptr, 0);
  std::memcpy(lr.pBits, picture.data(), picture.size() * 4);
  src->UnlockRect();
  ASSERT_EQ(device_->StretchRect(src, nullptr, rt, nullptr, D3DTEXF_NONE), D3D_OK);
  ASSERT_EQ(device_->GetRenderTargetData(rt, sys), D3D_OK);
  EXPECT_TRUE(Read(sys) == picture);
  // A sub-rectangle lands where asked and nowhere else.
  device_->SetRenderTarget(0, rt);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  RECT from{10, 20, 310, 190}, to{50, 5, 350, 175};
  ASSERT_EQ(device_->StretchRect(src, &from, rt, &to, D3DTEXF_NONE), D3D_OK);
  device_->GetRenderTargetData(rt, sys);
  std::vector<uint32_t> px = Read(sys);
  EXPECT_EQ(px[5 * w + 50], picture[20 * w + 10]);
  EXPECT_EQ(px[174 * w + 349], picture[189 * w + 309]);
  EXPECT_EQ(px[175 * w + 349], 0u);
  EXPECT_EQ(px[5 * w + 49], 0u);
  IDirect3DSurface9* bb = nullptr;
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
  device_->SetRenderTarget(0, bb);
  bb->Release();
  EXPECT_EQ(src->Release(), 0u);
  EXPECT_EQ(rt->Release(), 0u);
  EXPECT_EQ(sys->Release(), 0u);
}

TEST_F(TargetsAndCopies, LargeClearsFillExactlyTheirRectangles) {
  // Large enough to be streamed across the workers; edges off any alignment.
  const UINT w = 517, h = 301;
  IDirect3DTexture9* texture = MakeRenderTexture(w, h);
  IDirect3DSurface9* target = Target(texture);
  for (int workers : {1, 8}) {
    compat::SetD3DWorkerCount(workers);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x11223344, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(Read(target) == std::vector<uint32_t>(size_t{w} * h, 0x11223344u)) << workers << " workers";
    const D3DRECT rects[2] = {{3, 1, 514, 290}, {0, 295, 1, 301}};
    ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, 0xFFEEDDCC, 1.0f, 0), D3D_OK);
    std::vector<uint32_t> px = Read(target);
    int wrong = 0;
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) {
        const bool inside = (x >= 3 && x < 514 && y >= 1 && y < 290) || (x == 0 && y >= 295);
        wrong += px[size_t{y} * w + x] != (inside ? 0xFFEEDDCCu : 0x11223344u);
      }
    EXPECT_EQ(wrong, 0) << workers << " workers";
  }
  compat::SetD3DWorkerCount(0);
  target->Release();
  texture->Release();
}

TEST_F(TargetsAndCopies, ClearsOfEveryWidthAndOffsetStayInTheirRectangles) {
  // Rows filled in wide stores with narrower ones at their ends: every width
  // up to a few stores wide, at every offset within one.
  const UINT w = 90, h = 4;
  IDirect3DTexture9* texture = MakeRenderTexture(w, h);
  IDirect3DSurface9* target = Target(texture);
  int wrong = 0;
  for (LONG left = 0; left < 9; ++left)
    for (LONG width = 1; left + width <= static_cast<LONG>(w); ++width) {
      device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x01010101, 1.0f, 0);
      const uint32_t colour = 0x80000000u | static_cast<uint32_t>(left << 8 | width);
      const D3DRECT rect{left, 1, left + width, 3};
      ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
      std::vector<uint32_t> px = Read(target);
      for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
          const bool inside = y >= 1 && y < 3 && static_cast<LONG>(x) >= left && static_cast<LONG>(x) < left + width;
          wrong += px[size_t{y} * w + x] != (inside ? colour : 0x01010101u);
        }
    }
  EXPECT_EQ(wrong, 0);
  target->Release();
  texture->Release();
}

TEST_F(TargetsAndCopies, StretchRectScalesWithPointAndLinearFilters) {
  IDirect3DSurface9 *src = nullptr, *dst = nullptr;
  device_->CreateOffscreenPlainSurface(2, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &src, nullptr);
  device_->CreateRenderTarget(4, 1, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &dst, nullptr);
  D3DLOCKED_RECT lr;
  src->LockRect(&lr, nullptr, 0);
  static_cast<uint32_t*>(lr.pBits)[0] = 0;
  static_cast<uint32_t*>(lr.pBits)[1] = 0xFFFFFFFF;
  src->UnlockRect();
  device_->StretchRect(src, nullptr, dst, nullptr, D3DTEXF_POINT);
  EXPECT_EQ(Read(dst), (std::vector<uint32_t>{0, 0, 0xFFFFFFFF, 0xFFFFFFFF}));
  device_->StretchRect(src, nullptr, dst, nullptr, D3DTEXF_LINEAR);
  EXPECT_EQ(Read(dst), (std::vector<uint32_t>{0, 0x40404040, 0xBFBFBFBF, 0xFFFFFFFF}));
  src->Release();
  dst->Release();
}

std::vector<uint32_t> g_presented;
RECT g_presentedSource, g_presentedDest;
HWND g_presentedWindow;

void CapturePresent(HWND window, const RECT& dest, const uint32_t* bgra, int pitch, const RECT& source) {
  g_presentedWindow = window;
  g_presentedDest = dest;
  g_presentedSource = source;
  g_presented.clear();
  for (LONG y = source.top; y < source.bottom; ++y)
    for (LONG x = source.left; x < source.right; ++x) g_presented.push_back(bgra[y * pitch + x]);
}

TEST_F(TargetsAndCopies, PresentHandsTheBackBufferRegionToTheWindowLayer) {
  compat::SetD3DPresentTarget(&CapturePresent);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0);
  RECT r{0, 0, 5, 3};
  HWND window = reinterpret_cast<HWND>(0x1234);
  ASSERT_EQ(device_->Present(&r, &r, window, nullptr), D3D_OK);
  compat::SetD3DPresentTarget(nullptr);
  EXPECT_EQ(g_presentedWindow, window);
  EXPECT_EQ(g_presentedSource.right, 5);
  EXPECT_EQ(g_presentedDest.bottom, 3);
  EXPECT_EQ(g_presented, std::vector<uint32_t>(15, 0xFF112233));
}

TEST_F(TargetsAndCopies, ReferenceCountsFollowThePlatformsRules) {
  // Getters add a reference; the back buffer is held by the device and as render target.
  IDirect3DSurface9* bb = nullptr;
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
  EXPECT_EQ(bb->AddRef(), 4u);
  EXPECT_EQ(bb->Release(), 3u);
  // A surface level shares its texture's count; a bound texture survives the caller's release.
  IDirect3DTexture9* t = MakeRenderTexture(8, 8);
  IDirect3DSurface9* level = nullptr;
  t->GetSurfaceLevel(0, &level);
  EXPECT_EQ(t->AddRef(), 3u);
  t->Release();
  device_->SetRenderTarget(0, level);
  EXPECT_EQ(level->Release(), 2u);  // the device still holds it as render target
  device_->SetTexture(0, t);
  EXPECT_EQ(t->Release(), 2u);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);  // still alive
  device_->SetRenderTarget(0, bb);
  EXPECT_EQ(device_->SetTexture(0, nullptr), D3D_OK);  // the last reference goes here
  // The depth-stencil surface is an object only, held by the device until unset.
  IDirect3DSurface9* depth = nullptr;
  ASSERT_EQ(device_->GetDepthStencilSurface(&depth), D3D_OK);
  device_->SetDepthStencilSurface(nullptr);
  IDirect3DSurface9* none = reinterpret_cast<IDirect3DSurface9*>(1);
  EXPECT_EQ(device_->GetDepthStencilSurface(&none), D3DERR_NOTFOUND);
  EXPECT_EQ(none, nullptr);
  device_->SetDepthStencilSurface(depth);
  EXPECT_EQ(depth->Release(), 2u);
  // Buffers bound to the device outlive their creator's release, as the effects expect.
  IDirect3DVertexBuffer9* vb = nullptr;
  device_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x112, D3DPOOL_DEFAULT, &vb, nullptr);
  device_->SetStreamSource(0, vb, 0, 32);
  EXPECT_EQ(vb->Release(), 1u);
  device_->SetStreamSource(0, nullptr, 0, 0);
  bb->Release();
}

TEST_F(TargetsAndCopies, LocksReportRowsWidthTimesFourApartAndCheckTheirRectangle) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 300, 7, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(lr.Pitch, 1200);
  t->UnlockRect(0);
  RECT bad{0, 0, 301, 7};
  EXPECT_EQ(t->LockRect(0, &lr, &bad, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(1, &lr, nullptr, 0), D3DERR_INVALIDCALL);
  void* p = nullptr;
  EXPECT_EQ(vb_->Lock(kVertices * 36 - 4, 8, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(p, nullptr);
  t->Release();
}

TEST_F(TargetsAndCopies, DeviceStartsWithThePlatformsDefaultStates) {
  IDirect3DDevice9* dev = nullptr;
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 8;
  pp.BackBufferHeight = 8;
  pp.BackBufferFormat = D3DFMT_A8R8G8B8;
  pp.Windowed = TRUE;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
  DWORD v = 0;
  dev->GetFVF(&v);
  EXPECT_EQ(v, 0u);
  dev->GetRenderState(D3DRS_CULLMODE, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DCULL_CCW));
  dev->GetRenderState(D3DRS_TEXTUREFACTOR, &v);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  dev->GetTextureStageState(1, D3DTSS_TEXCOORDINDEX, &v);
  EXPECT_EQ(v, 1u);
  dev->GetSamplerState(1, D3DSAMP_ADDRESSU, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTADDRESS_WRAP));
  D3DDISPLAYMODE mode;
  EXPECT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(dev->Release(), 0u);
}

}  // namespace
