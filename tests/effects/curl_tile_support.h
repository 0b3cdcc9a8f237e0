// Shared by the page-curl, tile and scale-and-rotate tests: a smooth test
// picture, pixel comparison, and a device that refuses buffers on demand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "compat/d3d9.h"
#include "render/render_fixture.h"

namespace curl_tile_test {

// Channels rising by 2 per pixel: a bilinear sample anywhere inside is the
// same linear function, so expectations can be worked out exactly.
inline DWORD Gradient(int x, int y) {
  return 0xFF000000u | (DWORD(30 + 2 * x) << 16) | (DWORD(30 + 2 * y) << 8) | 0x80u;
}
inline float GradientRed(float x) { return 30.0f + 2.0f * x; }
inline float GradientGreen(float y) { return 30.0f + 2.0f * y; }

inline int Channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }
inline int Alpha(DWORD pixel) { return Channel(pixel, 24); }

// Largest channel difference over the pixels whose x and y are at least
// `border` inside the picture.
inline int MaxDifference(const std::vector<DWORD>& a, const std::vector<DWORD>& b, int width, int height,
                         int border) {
  int worst = 0;
  for (int y = border; y < height - border; ++y)
    for (int x = border; x < width - border; ++x)
      for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(Channel(a[size_t(y) * width + x], shift) -
                                         Channel(b[size_t(y) * width + x], shift)));
  return worst;
}

// Passes every call to the real device, except that buffer creation fails
// while `refuseBuffers` is set.
class RefusingDevice : public IDirect3DDevice9 {
 public:
  explicit RefusingDevice(IDirect3DDevice9* device) : d(device) {}
  bool refuseBuffers = true;

  HRESULT QueryInterface(REFIID riid, void** object) override { return d->QueryInterface(riid, object); }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT CreateTexture(UINT w, UINT h, UINT l, DWORD u, D3DFORMAT f, D3DPOOL p, IDirect3DTexture9** t,
                        HANDLE* s) override {
    return d->CreateTexture(w, h, l, u, f, p, t, s);
  }
  HRESULT CreateVertexBuffer(UINT n, DWORD u, DWORD f, D3DPOOL p, IDirect3DVertexBuffer9** b, HANDLE* s) override {
    if (refuseBuffers) return D3DERR_OUTOFVIDEOMEMORY;
    return d->CreateVertexBuffer(n, u, f, p, b, s);
  }
  HRESULT CreateIndexBuffer(UINT n, DWORD u, D3DFORMAT f, D3DPOOL p, IDirect3DIndexBuffer9** b,
                            HANDLE* s) override {
    if (refuseBuffers) return D3DERR_OUTOFVIDEOMEMORY;
    return d->CreateIndexBuffer(n, u, f, p, b, s);
  }
  HRESULT CreateRenderTarget(UINT w, UINT h, D3DFORMAT f, D3DMULTISAMPLE_TYPE m, DWORD q, BOOL l,
                             IDirect3DSurface9** s, HANDLE* h2) override {
    return d->CreateRenderTarget(w, h, f, m, q, l, s, h2);
  }
  HRESULT CreateOffscreenPlainSurface(UINT w, UINT h, D3DFORMAT f, D3DPOOL p, IDirect3DSurface9** s,
                                      HANDLE* h2) override {
    return d->CreateOffscreenPlainSurface(w, h, f, p, s, h2);
  }
  HRESULT SetRenderTarget(DWORD i, IDirect3DSurface9* s) override { return d->SetRenderTarget(i, s); }
  HRESULT GetRenderTarget(DWORD i, IDirect3DSurface9** s) override { return d->GetRenderTarget(i, s); }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* s) override { return d->SetDepthStencilSurface(s); }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** s) override { return d->GetDepthStencilSurface(s); }
  HRESULT GetBackBuffer(UINT c, UINT i, D3DBACKBUFFER_TYPE t, IDirect3DSurface9** s) override {
    return d->GetBackBuffer(c, i, t, s);
  }
  HRESULT SetViewport(const D3DVIEWPORT9* v) override { return d->SetViewport(v); }
  HRESULT GetViewport(D3DVIEWPORT9* v) override { return d->GetViewport(v); }
  HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override { return d->SetRenderState(s, v); }
  HRESULT GetRenderState(D3DRENDERSTATETYPE s, DWORD* v) override { return d->GetRenderState(s, v); }
  HRESULT SetTextureStageState(DWORD st, D3DTEXTURESTAGESTATETYPE t, DWORD v) override {
    return d->SetTextureStageState(st, t, v);
  }
  HRESULT GetTextureStageState(DWORD st, D3DTEXTURESTAGESTATETYPE t, DWORD* v) override {
    return d->GetTextureStageState(st, t, v);
  }
  HRESULT SetSamplerState(DWORD s, D3DSAMPLERSTATETYPE t, DWORD v) override { return d->SetSamplerState(s, t, v); }
  HRESULT GetSamplerState(DWORD s, D3DSAMPLERSTATETYPE t, DWORD* v) override { return d->GetSamplerState(s, t, v); }
  HRESULT SetTexture(DWORD s, IDirect3DBaseTexture9* t) override { return d->SetTexture(s, t); }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE s, const D3DMATRIX* m) override { return d->SetTransform(s, m); }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE s, D3DMATRIX* m) override { return d->GetTransform(s, m); }
  HRESULT SetMaterial(const D3DMATERIAL9* m) override { return d->SetMaterial(m); }
  HRESULT SetVertexShader(IDirect3DVertexShader9* s) override { return d->SetVertexShader(s); }
  HRESULT SetPixelShader(IDirect3DPixelShader9* s) override { return d->SetPixelShader(s); }
  HRESULT SetFVF(DWORD f) override { return d->SetFVF(f); }
  HRESULT GetFVF(DWORD* f) override { return d->GetFVF(f); }
  HRESULT SetStreamSource(UINT n, IDirect3DVertexBuffer9* b, UINT o, UINT s) override {
    return d->SetStreamSource(n, b, o, s);
  }
  HRESULT SetIndices(IDirect3DIndexBuffer9* b) override { return d->SetIndices(b); }
  HRESULT BeginScene() override { return d->BeginScene(); }
  HRESULT EndScene() override { return d->EndScene(); }
  HRESULT Clear(DWORD n, const D3DRECT* r, DWORD f, D3DCOLOR c, float z, DWORD s) override {
    return d->Clear(n, r, f, c, z, s);
  }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE t, INT b, UINT m, UINT n, UINT s, UINT p) override {
    return d->DrawIndexedPrimitive(t, b, m, n, s, p);
  }
  HRESULT StretchRect(IDirect3DSurface9* s, const RECT* sr, IDirect3DSurface9* t, const RECT* tr,
                      D3DTEXTUREFILTERTYPE f) override {
    return d->StretchRect(s, sr, t, tr, f);
  }
  HRESULT GetRenderTargetData(IDirect3DSurface9* r, IDirect3DSurface9* s) override {
    return d->GetRenderTargetData(r, s);
  }
  HRESULT Present(const RECT* s, const RECT* t, HWND w, const RGNDATA* r) override { return d->Present(s, t, w, r); }

 private:
  IDirect3DDevice9* d;
};

// The effects' fixture: a gradient source picture and a target holder of
// the same size, both render targets as the renderer's working pictures.
class EffectPictureTest : public RendererTest {
 protected:
  void MakePictures(int width, int height) {
    ASSERT_TRUE(width <= 112 && height <= 112) << "the gradient would overflow its channels";
    width_ = width;
    height_ = height;
    MakePicture(source_, width, height, TRUE, Gradient);
    MakePicture(target_, width, height, TRUE, [](int, int) { return 0xFF00FF00u; });
  }
  std::vector<DWORD> Source() { return ReadPicture(source_); }
  std::vector<DWORD> Target() { return ReadPicture(target_); }
  DWORD At(const std::vector<DWORD>& picture, int x, int y) const { return picture[size_t(y) * width_ + x]; }

  int width_ = 0, height_ = 0;
  CTextureHolder source_, target_;
};

}  // namespace curl_tile_test
