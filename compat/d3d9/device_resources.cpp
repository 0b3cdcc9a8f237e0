// Resource creation on the device: sizes, formats and lengths are checked
// before any memory is taken.
#include <new>

#include "compat/d3d9/device.h"

namespace compat::d3d9 {

namespace {

bool SizeAllowed(UINT width, UINT height) {
  return width > 0 && height > 0 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide;
}

// Runs a constructor; a failed allocation is a result, not an exception.
template <class Out, class Make>
HRESULT Hand(Out** out, Make make) {
  try {
    *out = make();
    return D3D_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** texture, HANDLE*) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (!SizeAllowed(width, height) || !IsColourFormat(format)) return D3DERR_INVALIDCALL;
  UINT full = Texture::FullChain(width, height);
  if (levels == 0 || levels > full) levels = full;
  return Hand(texture, [&] { return new Texture(width, height, levels, usage, format, pool); });
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL, IDirect3DVertexBuffer9** buffer,
                                   HANDLE*) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || length > kMaxBufferBytes) return D3DERR_INVALIDCALL;
  return Hand(buffer, [&] { return new VertexBuffer(length, usage, fvf); });
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL,
                                  IDirect3DIndexBuffer9** buffer, HANDLE*) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || length > kMaxBufferBytes) return D3DERR_INVALIDCALL;
  if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  return Hand(buffer, [&] { return new IndexBuffer(length, usage, format); });
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                   IDirect3DSurface9** surface, HANDLE*) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!SizeAllowed(width, height) || !IsColourFormat(format)) return D3DERR_INVALIDCALL;
  return Hand(surface, [&] { return new Surface(width, height, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT); });
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE*) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!SizeAllowed(width, height) || !IsColourFormat(format)) return D3DERR_INVALIDCALL;
  return Hand(surface, [&] { return new Surface(width, height, format, 0, pool); });
}

}  // namespace compat::d3d9
