// The D3DX helpers: texture creation with a clamped level count, mip levels
// by 2 x 2 averaging, surface loading from memory, and the left-handed
// camera matrices (row vectors: v' = v x M).
#include "compat/d3dx9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "compat/d3d9/objects.h"

using compat::d3d9::AsSurface;
using compat::d3d9::AsTexture;
using compat::d3d9::Surface;
using compat::d3d9::Texture;

// --- matrices ---

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& rhs) const {
  D3DXMATRIX out;
  D3DXMatrixMultiply(&out, this, &rhs);
  return out;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& rhs) {
  D3DXMATRIX copy = *this;
  D3DXMatrixMultiply(this, &copy, &rhs);
  return *this;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  *out = D3DXMATRIX(D3DMATRIX{});
  for (int i = 0; i < 4; ++i) out->m[i][i] = 1.0f;
  return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                  a->m[i][3] * b->m[3][j];
  *out = r;
  return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
  D3DXMatrixIdentity(out);
  out->_41 = x;
  out->_42 = y;
  out->_43 = z;
  return out;
}

namespace {

D3DXVECTOR3 Subtract(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3DXVECTOR3 Normalize(const D3DXVECTOR3& a) {
  float length = std::sqrt(Dot(a, a));
  if (length == 0.0f) return a;
  return {a.x / length, a.y / length, a.z / length};
}

}  // namespace

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
  D3DXVECTOR3 z = Normalize(Subtract(*at, *eye));
  D3DXVECTOR3 x = Normalize(Cross(*up, z));
  D3DXVECTOR3 y = Cross(z, x);
  D3DXMATRIX& m = *out;
  m._11 = x.x; m._12 = y.x; m._13 = z.x; m._14 = 0.0f;
  m._21 = x.y; m._22 = y.y; m._23 = z.y; m._24 = 0.0f;
  m._31 = x.z; m._32 = y.z; m._33 = z.z; m._34 = 0.0f;
  m._41 = -Dot(x, *eye); m._42 = -Dot(y, *eye); m._43 = -Dot(z, *eye); m._44 = 1.0f;
  return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar) {
  float ys = 1.0f / std::tan(fovY / 2.0f);
  float xs = ys / aspect;
  *out = D3DXMATRIX(D3DMATRIX{});
  out->_11 = xs;
  out->_22 = ys;
  out->_33 = zFar / (zFar - zNear);
  out->_34 = 1.0f;
  out->_43 = -zNear * zFar / (zFar - zNear);
  return out;
}

// --- textures ---

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture) {
  if (!device || !texture) return D3DERR_INVALIDCALL;
  // Zero or too many levels mean the full chain.
  UINT full = Texture::FullChain(std::max(width, 1u), std::max(height, 1u));
  if (levels == 0 || levels == D3DX_DEFAULT || levels > full) levels = full;
  return device->CreateTexture(width, height, levels, usage, format, pool, texture, nullptr);
}

namespace {

// One level from the one above: each texel the rounded mean of its 2 x 2 block
// (clamped at an odd edge).
void Downsample(const Surface* from, Surface* to) {
  const uint32_t* src = from->ReadPixels();
  int sw = static_cast<int>(from->Width()), sh = static_cast<int>(from->Height());
  for (UINT y = 0; y < to->Height(); ++y) {
    int y0 = std::min(static_cast<int>(2 * y), sh - 1), y1 = std::min(y0 + 1, sh - 1);
    uint32_t* row = to->Pixels() + static_cast<size_t>(y) * to->Width();
    for (UINT x = 0; x < to->Width(); ++x) {
      int x0 = std::min(static_cast<int>(2 * x), sw - 1), x1 = std::min(x0 + 1, sw - 1);
      uint32_t c[4] = {src[static_cast<size_t>(y0) * sw + x0], src[static_cast<size_t>(y0) * sw + x1],
                       src[static_cast<size_t>(y1) * sw + x0], src[static_cast<size_t>(y1) * sw + x1]};
      uint32_t out = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 2;
        for (uint32_t v : c) sum += (v >> shift) & 255;
        out |= (sum >> 2) << shift;
      }
      row[x] = out;
    }
  }
}

}  // namespace

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* texture, const PALETTEENTRY*, UINT sourceLevel, DWORD) {
  if (!texture) return D3DERR_INVALIDCALL;
  Texture* t = AsTexture(texture);
  if (sourceLevel == D3DX_DEFAULT) sourceLevel = 0;
  if (sourceLevel >= static_cast<UINT>(t->Levels())) return D3DERR_INVALIDCALL;
  for (int level = static_cast<int>(sourceLevel) + 1; level < t->Levels(); ++level)
    Downsample(t->Level(level - 1), t->Level(level));
  return D3D_OK;
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* dest, const PALETTEENTRY*, const RECT* destRect,
                                  LPCVOID source, D3DFORMAT sourceFormat, UINT sourcePitch, const PALETTEENTRY*,
                                  const RECT* sourceRect, DWORD, D3DCOLOR) {
  Surface* dst = AsSurface(dest);
  if (!dst || !dst->HasPixels() || !source || !sourceRect) return D3DERR_INVALIDCALL;
  if (sourceFormat != D3DFMT_A8R8G8B8 && sourceFormat != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
  const RECT& sr = *sourceRect;
  RECT dr = destRect ? *destRect : RECT{0, 0, static_cast<LONG>(dst->Width()), static_cast<LONG>(dst->Height())};
  if (sr.left < 0 || sr.top < 0 || sr.left >= sr.right || sr.top >= sr.bottom) return D3DERR_INVALIDCALL;
  if (static_cast<uint64_t>(sr.right) * 4 > sourcePitch) return D3DERR_INVALIDCALL;
  if (dr.left < 0 || dr.top < 0 || dr.left >= dr.right || dr.top >= dr.bottom ||
      static_cast<UINT>(dr.right) > dst->Width() || static_cast<UINT>(dr.bottom) > dst->Height())
    return D3DERR_INVALIDCALL;
  uint32_t alpha = sourceFormat == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u;
  const auto* bytes = static_cast<const uint8_t*>(source);
  int64_t sw = sr.right - sr.left, sh = sr.bottom - sr.top, dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  // Equal sizes copy; other sizes take the nearest source pixel.
  for (int64_t y = 0; y < dh; ++y) {
    int64_t sy = sr.top + y * sh / dh;
    const auto* srow = reinterpret_cast<const uint32_t*>(bytes + static_cast<size_t>(sy) * sourcePitch);
    uint32_t* drow = dst->Pixels() + static_cast<size_t>(dr.top + y) * dst->Width() + dr.left;
    for (int64_t x = 0; x < dw; ++x) {
      uint32_t v;
      std::memcpy(&v, srow + sr.left + x * sw / dw, 4);
      drow[x] = v | alpha;
    }
  }
  return D3D_OK;
}
