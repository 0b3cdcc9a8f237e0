// A device with the renderer's shared buffers and helpers to draw quads and
// meshes the way the renderer does (FVF 0x244, rhw 1) and to read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "compat/d3d9.h"
#include "compat/d3d9_present.h"
#include "compat/d3dx9.h"

struct QuadVertex {
  float x, y, z, rhw;
  DWORD diffuse;
  float u0, v0, u1, v1;
};
static_assert(sizeof(QuadVertex) == 36);

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT kBackWidth = 64, kBackHeight = 48;
  static constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

  void SetUp() override {
    d3d_ = Direct3DCreate9(31);
    ASSERT_NE(d3d_, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kBackWidth;
    pp.BackBufferHeight = kBackHeight;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x56, &pp, &device_), D3D_OK);
    ASSERT_EQ(device_->CreateVertexBuffer(kVertices * 36, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf,
                                          D3DPOOL_DEFAULT, &vb_, nullptr), D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(kIndices * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib_, nullptr), D3D_OK);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetFVF(kFvf);
  }

  void TearDown() override {
    if (!device_) return;
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    for (DWORD s = 0; s < 2; ++s) device_->SetTexture(s, nullptr);
    EXPECT_EQ(vb_->Release(), 0u);
    EXPECT_EQ(ib_->Release(), 0u);
    EXPECT_EQ(device_->Release(), 0u);
    EXPECT_EQ(d3d_->Release(), 0u);
  }

  // --- resources ---

  IDirect3DTexture9* MakeTexture(UINT w, UINT h, const std::vector<uint32_t>& pixels, UINT levels = 1) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(w, h, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    Upload(t, pixels);
    return t;
  }

  IDirect3DTexture9* MakeRenderTexture(UINT w, UINT h) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t,
                                     nullptr), D3D_OK);
    return t;
  }

  static void Upload(IDirect3DTexture9* t, const std::vector<uint32_t>& pixels) {
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    std::memcpy(lr.pBits, pixels.data(), pixels.size() * 4);
    t->UnlockRect(0);
  }

  // Makes level 0 of the texture the render target; returns the surface (caller releases).
  IDirect3DSurface9* Target(IDirect3DTexture9* t) {
    IDirect3DSurface9* s = nullptr;
    EXPECT_EQ(t->GetSurfaceLevel(0, &s), D3D_OK);
    EXPECT_EQ(device_->SetRenderTarget(0, s), D3D_OK);
    return s;
  }

  static std::vector<uint32_t> Read(IDirect3DSurface9* s) {
    D3DSURFACE_DESC d;
    s->GetDesc(&d);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(lr.Pitch, static_cast<INT>(d.Width * 4));
    std::vector<uint32_t> out(static_cast<size_t>(d.Width) * d.Height);
    std::memcpy(out.data(), lr.pBits, out.size() * 4);
    s->UnlockRect();
    return out;
  }

  std::vector<uint32_t> ReadBackBuffer() {
    IDirect3DSurface9* bb = nullptr;
    EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
    std::vector<uint32_t> out = Read(bb);
    bb->Release();
    return out;
  }

  // --- states ---

  void Stage(DWORD stage, DWORD colourOp, DWORD colour1, DWORD colour2, DWORD alphaOp, DWORD alpha1, DWORD alpha2) {
    device_->SetTextureStageState(stage, D3DTSS_COLOROP, colourOp);
    device_->SetTextureStageState(stage, D3DTSS_COLORARG1, colour1);
    device_->SetTextureStageState(stage, D3DTSS_COLORARG2, colour2);
    device_->SetTextureStageState(stage, D3DTSS_ALPHAOP, alphaOp);
    device_->SetTextureStageState(stage, D3DTSS_ALPHAARG1, alpha1);
    device_->SetTextureStageState(stage, D3DTSS_ALPHAARG2, alpha2);
  }

  void Blend(DWORD src, DWORD dst) {
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, src);
    device_->SetRenderState(D3DRS_DESTBLEND, dst);
  }

  void Sampler(DWORD sampler, DWORD filter) {
    device_->SetSamplerState(sampler, D3DSAMP_MINFILTER, filter);
    device_->SetSamplerState(sampler, D3DSAMP_MAGFILTER, filter);
  }

  // --- drawing ---

  void DrawTriangles(const std::vector<QuadVertex>& vertices, const std::vector<WORD>& indices) {
    ASSERT_LE(vertices.size(), kVertices);
    ASSERT_LE(indices.size(), kIndices);
    void* p = nullptr;
    ASSERT_EQ(vb_->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, vertices.data(), vertices.size() * sizeof(QuadVertex));
    vb_->Unlock();
    ASSERT_EQ(ib_->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, indices.data(), indices.size() * 2);
    ib_->Unlock();
    device_->SetIndices(ib_);
    device_->SetFVF(kFvf);
    device_->SetStreamSource(0, vb_, 0, 36);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kVertices, 0,
                                            static_cast<UINT>(indices.size() / 3)), D3D_OK);
  }

  // The renderer's quad: corners shifted by -0.5, uv over (0, 0)..(umax, vmax).
  void DrawQuad(float left, float top, float right, float bottom, DWORD diffuse = 0xFFFFFFFF, float umax = 1,
                float vmax = 1) {
    std::vector<QuadVertex> v = {
        {left - 0.5f, top - 0.5f, 0.9f, 1, diffuse, 0, 0, 0, 0},
        {left - 0.5f, bottom - 0.5f, 0.9f, 1, diffuse, 0, vmax, 0, 1},
        {right - 0.5f, bottom - 0.5f, 0.9f, 1, diffuse, umax, vmax, 1, 1},
        {right - 0.5f, top - 0.5f, 0.9f, 1, diffuse, umax, 0, 1, 0},
    };
    DrawTriangles(v, {0, 1, 2, 2, 3, 0});
  }

  static constexpr UINT kVertices = 1280, kIndices = 10800;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
};

// Deterministic test pictures.
inline std::vector<uint32_t> NoisePicture(UINT w, UINT h, uint32_t seed) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  uint32_t x = seed * 2654435761u + 1;
  for (uint32_t& v : p) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v = x;
  }
  return p;
}

// round(a * b / 255), the device's unorm product.
inline uint32_t Mul(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }
