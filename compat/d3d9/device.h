// The software Direct3D 9 device: the states the fixed-function pipeline
// reads, the bound resources (each holding a reference) and the draw entry.
// Calls are serialised by the caller (the program holds its render lock for
// every use); the device spreads each call's work over the worker pool itself.
#pragma once

#include "compat/d3d9/objects.h"
#include "compat/d3d9/pipeline.h"
#include "compat/d3d9/rasterizer.h"

namespace compat::d3d9 {

constexpr int kMaxTextureStages = 8;
constexpr int kRenderStateCount = 256;
constexpr int kStageStateCount = 33;
constexpr int kSamplerCount = 16;
constexpr int kSamplerStateCount = 14;

class Device final : public RefCounted<IDirect3DDevice9> {
 public:
  Device(IDirect3D9* factory, HWND window, const D3DPRESENT_PARAMETERS& params);

  // resources (device_resources.cpp)
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE* shared) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                             HANDLE* shared) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                             DWORD quality, BOOL lockable, IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE* shared) override;

  // targets and states (device.cpp)
  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetMaterial(const D3DMATERIAL9* material) override;
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* fvf) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;

  // drawing (device_draw.cpp) and copies (device_copy.cpp)
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT numVertices,
                               UINT startIndex, UINT primCount) override;
  HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                      const RECT* destRect, D3DTEXTUREFILTERTYPE filter) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* dest) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND window, const RGNDATA* dirtyRegion) override;

 private:
  ~Device() override = default;
  friend class RefCounted<IDirect3DDevice9>;

  void SetDefaultStates();
  ChannelOp ResolveChannel(DWORD op, DWORD arg1, DWORD arg2, bool hasTexture) const;
  void SetupSampler(int stage, SamplerSetup& sampler) const;
  bool BuildDrawState(bool perspective, DrawState& state) const;
  RECT ViewportClip() const;

  Ref<IDirect3D9> factory_;
  HWND window_;
  D3DPRESENT_PARAMETERS params_;
  Ref<IDirect3DSurface9> backBuffer_, autoDepthStencil_;
  Ref<IDirect3DSurface9> renderTarget_, depthStencil_;
  D3DVIEWPORT9 viewport_{};

  DWORD renderStates_[kRenderStateCount] = {};
  DWORD stageStates_[kMaxTextureStages][kStageStateCount] = {};
  DWORD samplerStates_[kSamplerCount][kSamplerStateCount] = {};
  Ref<IDirect3DBaseTexture9> textures_[kMaxTextureStages];
  D3DMATRIX world_{}, view_{}, projection_{};
  D3DMATERIAL9 material_{};

  DWORD fvf_ = 0;
  Ref<IDirect3DVertexBuffer9> stream_;
  UINT streamOffset_ = 0, streamStride_ = 0;
  Ref<IDirect3DIndexBuffer9> indices_;

  DrawState drawState_;
  Rasterizer rasterizer_;
};

}  // namespace compat::d3d9
