// Copies between surfaces (StretchRect, GetRenderTargetData) and Present,
// which hands the back buffer to the window layer through a hook.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "compat/d3d9/device.h"
#include "compat/d3d9/worker_pool.h"
#include "compat/d3d9_present.h"
#include "compat/win32/window_present.h"

namespace compat::d3d9 {

namespace {

// Frames go to the window layer unless a test or a host takes them.
std::atomic<D3DPresentTarget> g_presentTarget{&compat::PresentToWindow};

bool ValidRect(const RECT& r, const Surface* s) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         static_cast<UINT>(r.right) <= s->Width() && static_cast<UINT>(r.bottom) <= s->Height();
}

RECT Whole(const Surface* s) {
  return RECT{0, 0, static_cast<LONG>(s->Width()), static_cast<LONG>(s->Height())};
}

uint32_t TexelClamped(const Surface* s, const RECT& r, int x, int y) {
  x = std::clamp(x, static_cast<int>(r.left), static_cast<int>(r.right) - 1);
  y = std::clamp(y, static_cast<int>(r.top), static_cast<int>(r.bottom) - 1);
  return s->ReadPixels()[static_cast<size_t>(y) * s->Width() + x];
}

uint32_t Bilinear(const Surface* s, const RECT& r, double sx, double sy) {
  int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
  uint32_t fx = static_cast<uint32_t>((sx - x0) * 256.0), fy = static_cast<uint32_t>((sy - y0) * 256.0);
  uint32_t c[4] = {TexelClamped(s, r, x0, y0), TexelClamped(s, r, x0 + 1, y0), TexelClamped(s, r, x0, y0 + 1),
                   TexelClamped(s, r, x0 + 1, y0 + 1)};
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t top = (((c[0] >> shift) & 255) * (256 - fx) + ((c[1] >> shift) & 255) * fx + 128) >> 8;
    uint32_t bottom = (((c[2] >> shift) & 255) * (256 - fx) + ((c[3] >> shift) & 255) * fx + 128) >> 8;
    out |= ((top * (256 - fy) + bottom * fy + 128) >> 8) << shift;
  }
  return out;
}

// Scaled copy: pixel centres of the destination mapped into the source rectangle.
void Stretch(const Surface* src, const RECT& sr, Surface* dst, const RECT& dr, bool linear) {
  double kx = static_cast<double>(sr.right - sr.left) / (dr.right - dr.left);
  double ky = static_cast<double>(sr.bottom - sr.top) / (dr.bottom - dr.top);
  for (LONG y = dr.top; y < dr.bottom; ++y) {
    uint32_t* row = dst->Pixels() + static_cast<size_t>(y) * dst->Width();
    double sy = sr.top + (y - dr.top + 0.5) * ky;
    for (LONG x = dr.left; x < dr.right; ++x) {
      double sx = sr.left + (x - dr.left + 0.5) * kx;
      row[x] = linear ? Bilinear(src, sr, sx - 0.5, sy - 0.5)
                      : TexelClamped(src, sr, static_cast<int>(sx), static_cast<int>(sy));
    }
  }
}

constexpr LONG kCopyBandRows = 32;
constexpr int64_t kParallelCopyPixels = 64 * 1024;

// The pixel pointers are taken (and any deferred fill applied) before the
// jobs start: a job never applies one itself.
struct CopyJob {
  const uint32_t* src;
  size_t srcPitch;
  RECT sr;
  uint32_t* dst;
  size_t dstPitch;
  RECT dr;

  static void Band(void* self, int band) {
    auto* job = static_cast<CopyJob*>(self);
    size_t width = static_cast<size_t>(job->sr.right - job->sr.left);
    LONG first = band * kCopyBandRows, last = std::min(first + kCopyBandRows, job->sr.bottom - job->sr.top);
    for (LONG y = first; y < last; ++y) {
      const uint32_t* from = job->src + static_cast<size_t>(job->sr.top + y) * job->srcPitch + job->sr.left;
      uint32_t* to = job->dst + static_cast<size_t>(job->dr.top + y) * job->dstPitch + job->dr.left;
      std::copy(from, from + width, to);
    }
  }
};

// Equal-size copy of a rectangle, across the workers when it is large.
void CopyRows(const Surface* src, const RECT& sr, Surface* dst, const RECT& dr) {
  CopyJob job{src->ReadPixels(), src->Width(), sr, dst->Pixels(), dst->Width(), dr};
  int bands = static_cast<int>((sr.bottom - sr.top + kCopyBandRows - 1) / kCopyBandRows);
  if (int64_t{sr.right - sr.left} * (sr.bottom - sr.top) < kParallelCopyPixels) {
    for (int b = 0; b < bands; ++b) CopyJob::Band(&job, b);
  } else {
    WorkerPool::Instance().Run(bands, &CopyJob::Band, &job);
  }
}

}  // namespace

HRESULT Device::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                            const RECT* destRect, D3DTEXTUREFILTERTYPE filter) {
  Surface* src = AsSurface(source);
  Surface* dst = AsSurface(dest);
  if (!src || !dst || !src->HasPixels() || !dst->HasPixels()) return D3DERR_INVALIDCALL;
  RECT sr = sourceRect ? *sourceRect : Whole(src);
  RECT dr = destRect ? *destRect : Whole(dst);
  if (!ValidRect(sr, src) || !ValidRect(dr, dst)) return D3DERR_INVALIDCALL;
  if (src == dst) return D3DERR_INVALIDCALL;  // as on the platform: no copy onto itself
  bool sameSize = sr.right - sr.left == dr.right - dr.left && sr.bottom - sr.top == dr.bottom - dr.top;
  if (sameSize) {
    CopyRows(src, sr, dst, dr);
  } else {
    Stretch(src, sr, dst, dr, filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC);
  }
  return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* dest) {
  Surface* src = AsSurface(renderTarget);
  Surface* dst = AsSurface(dest);
  if (!src || !dst || !src->HasPixels() || !dst->HasPixels() || src == dst) return D3DERR_INVALIDCALL;
  if (src->Width() != dst->Width() || src->Height() != dst->Height()) return D3DERR_INVALIDCALL;
  CopyRows(src, Whole(src), dst, Whole(dst));
  return D3D_OK;
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND window, const RGNDATA*) {
  Surface* back = AsSurface(backBuffer_.Get());
  RECT sr = Whole(back);
  if (sourceRect) {
    sr.left = std::max(sourceRect->left, LONG{0});
    sr.top = std::max(sourceRect->top, LONG{0});
    sr.right = std::min(sourceRect->right, static_cast<LONG>(back->Width()));
    sr.bottom = std::min(sourceRect->bottom, static_cast<LONG>(back->Height()));
  }
  if (sr.left >= sr.right || sr.top >= sr.bottom) return D3D_OK;
  RECT dr = destRect ? *destRect : RECT{0, 0, sr.right - sr.left, sr.bottom - sr.top};
  HWND target = window ? window : params_.hDeviceWindow ? params_.hDeviceWindow : window_;
  if (D3DPresentTarget hook = g_presentTarget.load()) hook(target, dr, back->ReadPixels(), static_cast<int>(back->Width()), sr);
  return D3D_OK;
}

}  // namespace compat::d3d9

namespace compat {

void SetD3DPresentTarget(D3DPresentTarget target) { d3d9::g_presentTarget.store(target); }

}  // namespace compat
