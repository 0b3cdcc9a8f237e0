// Pixel and mask buffers: allocation, per-pixel compositing, plane copies,
// the Gaussian and box blurs and the rectangle copies of 32-bit pictures.
//
// Sections: allocation / compositing / plane copies / blurs / pixel copies
#include "model/raster/pixel_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "compat/afx/file.h"

namespace {

int64_t PlaneBytes(int w, int h) {
  if (w <= 0 || h <= 0) return 0;
  return static_cast<int64_t>(w) * h;
}

int64_t SizeBytes(const SIZE& size) { return PlaneBytes(size.cx, size.cy); }

template <class T>
T* AllocateRaster(int64_t count) {
  if (count > kMaxRasterPixels) AfxThrowMemoryException();
  if (count <= 0) return nullptr;
  return new T[static_cast<size_t>(count)];
}

int Channel(DWORD c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

}  // namespace

// --- allocation ---

CMaskBuffer::CMaskBuffer(int left, int top, int right, int bottom)
    : x(left), y(top), width(right - left), height(bottom - top) {
  Create(width, height, 0);
}

BYTE* CMaskBuffer::Create(int w, int h, int fill) {
  const int64_t count = PlaneBytes(w, h);
  bits = AllocateRaster<BYTE>(count);
  if (bits) std::memset(bits, fill & 0xFF, static_cast<size_t>(count));
  return bits;
}

int64_t CMaskBuffer::CommonBytes(const CMaskBuffer& other) const {
  if (!bits || !other.bits) return 0;
  return std::min(PlaneBytes(width, height), PlaneBytes(other.width, other.height));
}

void CMaskBuffer::CopyTo(CMaskBuffer& other) const {
  const int64_t n = CommonBytes(other);
  if (n > 0) std::memcpy(other.bits, bits, static_cast<size_t>(n));
}

void CMaskBuffer::CopyFrom(const CMaskBuffer& other) {
  const int64_t n = CommonBytes(other);
  if (n > 0) std::memcpy(bits, other.bits, static_cast<size_t>(n));
}

void CMaskBuffer::Subtract(const CMaskBuffer& other) {
  const int64_t n = CommonBytes(other);
  for (int64_t i = 0; i < n; ++i) {
    if (bits[i] >= other.bits[i]) bits[i] = static_cast<BYTE>(bits[i] - other.bits[i]);
  }
}

void CMaskBuffer::Intersect(const CMaskBuffer& other) {
  const int64_t n = CommonBytes(other);
  for (int64_t i = 0; i < n; ++i) bits[i] &= other.bits[i];
}

void CMaskBuffer::Free() {
  delete[] bits;
  bits = nullptr;
}

CPixelBuffer::CPixelBuffer(const RECT& r) : rect(r) {
  bits = AllocateRaster<DWORD>(PlaneBytes(Width(), Height()));
}

int CPixelBuffer::Width() const {
  return static_cast<int>(std::max<int64_t>(0, int64_t{rect.right} - rect.left));
}

int CPixelBuffer::Height() const {
  return static_cast<int>(std::max<int64_t>(0, int64_t{rect.bottom} - rect.top));
}

void CPixelBuffer::Free() {
  delete[] bits;
  bits = nullptr;
}

void CPixelBuffer::Fill(DWORD colour) {
  if (!bits) return;
  std::fill_n(bits, PlaneBytes(Width(), Height()), colour);
}

// --- compositing ---

DWORD BlendPixelOver(DWORD s, DWORD d) {
  const int sa = Channel(s, 24);
  const int da = Channel(d, 24);
  if (sa == 0) return d;
  if (sa == 255 || da == 0) return s;
  int resultAlpha = 255;
  int t = sa;
  if (da != 255) {
    resultAlpha = 255 - (((255 - da) * (255 - sa)) >> 8);
    t = (sa * 256) / resultAlpha;
  }
  DWORD out = static_cast<DWORD>(resultAlpha & 0xFF) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const int dc = Channel(d, shift);
    const int v = dc + (((Channel(s, shift) - dc) * t) >> 8);
    out |= static_cast<DWORD>(v & 0xFF) << shift;
  }
  return out;
}

void CPixelBuffer::CompositeOverColor(DWORD colour) {
  if (!bits) return;
  const int64_t n = PlaneBytes(Width(), Height());
  for (int64_t i = 0; i < n; ++i) bits[i] = BlendPixelOver(bits[i], colour);
}

void CPixelBuffer::MultiplyAlpha(const CMaskBuffer& mask) {
  if (!bits || !mask.bits) return;
  const int64_t n = std::min(PlaneBytes(Width(), Height()), PlaneBytes(mask.width, mask.height));
  for (int64_t i = 0; i < n; ++i) {
    const DWORD m = mask.bits[i];
    const DWORD a = bits[i] >> 24;
    if (m == 255 || a == 0) continue;
    DWORD alpha = 0;
    if (m != 0) alpha = (a == 255) ? m : ((a * m) >> 8);
    bits[i] = (bits[i] & 0x00FFFFFF) | (alpha << 24);
  }
}

void CPixelBuffer::SetAlphaFromMask(const CMaskBuffer& mask, int pitch) {
  const int w = Width();
  const int h = Height();
  if (!bits || pitch < w) return;
  for (int row = 0; row < h; ++row) {
    DWORD* line = bits + static_cast<int64_t>(row) * pitch;
    for (int col = 0; col < w; ++col) line[col] &= 0x00FFFFFF;
  }
  if (!mask.bits) return;
  // The mask lands at its own (x, y) counted from the first pixel.
  const int64_t left = std::max<int64_t>(0, mask.x);
  const int64_t top = std::max<int64_t>(0, mask.y);
  const int64_t right = std::min<int64_t>(w, int64_t{mask.x} + mask.width);
  const int64_t bottom = std::min<int64_t>(h, int64_t{mask.y} + mask.height);
  if (right <= left || bottom <= top) return;
  for (int64_t row = top; row < bottom; ++row) {
    DWORD* line = bits + row * pitch;
    const BYTE* src = mask.bits + (row - mask.y) * mask.width - mask.x;
    for (int64_t col = left; col < right; ++col) {
      line[col] = (line[col] & 0x00FFFFFF) | (static_cast<DWORD>(src[col]) << 24);
    }
  }
}

void CPixelBuffer::BlendOver(const CPixelBuffer& other) {
  if (!bits || !other.bits) return;
  const LONG left = std::max(rect.left, other.rect.left);
  const LONG top = std::max(rect.top, other.rect.top);
  const LONG right = std::min(rect.right, other.rect.right);
  const LONG bottom = std::min(rect.bottom, other.rect.bottom);
  if (right <= left || bottom <= top) return;
  const int w = Width();
  const int ow = other.Width();
  for (LONG row = top; row < bottom; ++row) {
    DWORD* d = bits + int64_t{row - rect.top} * w + (left - rect.left);
    const DWORD* s = other.bits + int64_t{row - other.rect.top} * ow + (left - other.rect.left);
    for (LONG i = 0; i < right - left; ++i) d[i] = BlendPixelOver(s[i], d[i]);
  }
}

// --- plane copies ---

int64_t CopyMaskPlane(BYTE* dst, const BYTE* src, const SIZE& size) {
  const int64_t n = SizeBytes(size);
  if (n > 0 && dst && src) std::memcpy(dst, src, static_cast<size_t>(n));
  return n;
}

void CopyMaskShifted(BYTE* dst, const BYTE* src, const SIZE& size, const POINT& offset) {
  const int64_t w = size.cx;
  const int64_t h = size.cy;
  const int64_t dx = offset.x;
  const int64_t dy = offset.y;
  if (!dst || !src || w <= 0 || h <= 0) return;
  if (std::abs(dx) > w || std::abs(dy) > h) return;
  const int64_t cols = w - std::abs(dx);
  const int64_t rows = h - std::abs(dy);
  for (int64_t r = 0; r < rows; ++r) {
    const int64_t sy = dy >= 0 ? r : r - dy;
    const int64_t sx = dx >= 0 ? 0 : -dx;
    std::memmove(dst + (sy + dy) * w + sx + dx, src + sy * w + sx, static_cast<size_t>(cols));
  }
}

void CopyMaskClipped(BYTE* dst, const SIZE& dstSize, const BYTE* src, const SIZE& srcSize,
                     const POINT& offset) {
  if (!dst || !src) return;
  if (offset.x == 0 && offset.y == 0 && dstSize.cx == srcSize.cx && dstSize.cy == srcSize.cy) {
    CopyMaskPlane(dst, src, dstSize);
    return;
  }
  const int64_t dstBytes = SizeBytes(dstSize);
  if (dstBytes <= 0 || SizeBytes(srcSize) <= 0) return;
  std::memset(dst, 0, static_cast<size_t>(dstBytes));
  const int64_t dx = offset.x;
  const int64_t dy = offset.y;
  const int64_t cols = std::min<int64_t>(dstSize.cx, srcSize.cx + dx) - std::max<int64_t>(dx, 0);
  const int64_t rows = std::min<int64_t>(dstSize.cy, srcSize.cy + dy) - std::max<int64_t>(dy, 0);
  if (cols < 1 || rows < 1) return;
  const int64_t srcX = std::max<int64_t>(-dx, 0);
  const int64_t srcY = std::max<int64_t>(-dy, 0);
  const int64_t dstX = std::max<int64_t>(dx, 0);
  const int64_t dstY = std::max<int64_t>(dy, 0);
  for (int64_t r = 0; r < rows; ++r) {
    std::memcpy(dst + (dstY + r) * dstSize.cx + dstX, src + (srcY + r) * srcSize.cx + srcX,
                static_cast<size_t>(cols));
  }
}

// --- blurs ---

int MakeGaussianKernel(int out[kGaussianTaps], int radius) {
  // Beyond this radius every tap but the centre is the same; negative radii
  // would leave no spread at all.
  radius = std::clamp(radius, 0, kMaxGaussianRadius);
  const int64_t spread = 14 * int64_t{radius} + 48;
  const int s = static_cast<int>((spread * spread) / 961);
  const double v = 0.5 * s;
  const double norm = 1.0 / std::sqrt(6.283185005187988 * v);
  double g[kGaussianTaps];
  double sum = 0.0;
  for (int i = 0; i < kGaussianTaps; ++i) {
    g[i] = norm * std::exp(-static_cast<double>(i) * i / (2.0 * v));
    sum += g[i];
  }
  const double total = g[0] * g[0] + 4.0 * (sum - g[0]) * sum;
  for (int i = 0; i < kGaussianTaps; ++i) {
    const double tap = (total * g[i]) * 256.0;
    out[i] = tap >= 2147483647.0 || !(tap == tap) ? 0x7FFFFFFF : static_cast<int>(tap);
    if (out[i] == 0) return i;
  }
  return kGaussianTaps;
}

namespace {

// One pass of the separable blur over lines of `length` samples, `stride`
// apart within a line and `lineStride` apart between lines. The window of an
// output reaches m - 1 samples back and m forward, as the blur always has;
// with a single tap (m = 0) that window would be empty and wipe the plane,
// so it is the sample itself.
template <class In>
void ConvolveLines(const In* src, uint32_t* dst, int64_t lines, int64_t length, int64_t stride,
                   int64_t lineStride, const int* taps, int m) {
  for (int64_t line = 0; line < lines; ++line) {
    const In* s = src + line * lineStride;
    uint32_t* d = dst + line * lineStride;
    for (int64_t c = 0; c < length; ++c) {
      const uint32_t value = static_cast<uint32_t>(s[c * stride]);
      if (value == 0) continue;
      const int64_t lo = std::max<int64_t>(0, c - m);
      const int64_t hi = std::min<int64_t>(length - 1, c + std::max(m - 1, 0));
      for (int64_t o = lo; o <= hi; ++o) {
        d[o * stride] += value * static_cast<uint32_t>(taps[o > c ? o - c : c - o]);
      }
    }
  }
}

}  // namespace

void ConvolveMaskSeparable(BYTE* plane, const SIZE& size, const int* taps, int count) {
  const int64_t w = size.cx;
  const int64_t h = size.cy;
  if (!plane || !taps || w <= 0 || h <= 0 || w * h > kMaxRasterPixels) return;
  int n = std::min(count, kGaussianTaps);
  if (n > 2 * w) n = static_cast<int>(w / 2);
  if (n <= 0) return;
  const int m = n - 1;
  std::vector<uint32_t> first(static_cast<size_t>(w * h), 0);
  std::vector<uint32_t> second(static_cast<size_t>(w * h), 0);
  ConvolveLines(plane, first.data(), h, w, 1, w, taps, m);
  // The vertical pass walks rows line by line for sequential access.
  for (int64_t c = 0; c < h; ++c) {
    const int64_t lo = std::max<int64_t>(0, c - m);
    const int64_t hi = std::min<int64_t>(h - 1, c + std::max(m - 1, 0));
    const uint32_t* s = first.data() + c * w;
    for (int64_t o = lo; o <= hi; ++o) {
      const uint32_t tap = static_cast<uint32_t>(taps[o > c ? o - c : c - o]);
      uint32_t* d = second.data() + o * w;
      for (int64_t x = 0; x < w; ++x) d[x] += s[x] * tap;
    }
  }
  for (int64_t i = 0; i < w * h; ++i) {
    plane[i] = second[i] > 0xFF0000 ? 255 : static_cast<BYTE>(second[i] >> 16);
  }
}

void BlurMaskGaussian(BYTE* plane, const SIZE& size, int radius) {
  const int64_t n = SizeBytes(size);
  if (!plane || n <= 0) return;
  int64_t before = 0;
  for (int64_t i = 0; i < n; ++i) before += plane[i];
  int taps[kGaussianTaps];
  ConvolveMaskSeparable(plane, size, taps, MakeGaussianKernel(taps, radius));
  int64_t after = 0;
  for (int64_t i = 0; i < n; ++i) after += plane[i];
  BYTE level[256];
  const double ratio = after == 0 ? 1.0 : static_cast<double>(before) / static_cast<double>(after);
  for (int i = 0; i < 256; ++i) level[i] = static_cast<BYTE>(std::min(255.0, std::floor(i * ratio)));
  for (int64_t i = 0; i < n; ++i) plane[i] = level[plane[i]];
}

namespace {

// Truncating division of a window sum by the window's divisor through a
// multiply: the sums never exceed 255 times the divisor, for which the
// rounded-up reciprocal at 2^40 is exact while divisor^2 * 255 < 2^40.
class WindowDivider {
 public:
  explicit WindowDivider(int64_t divisor)
      : m_divisor(divisor), m_exact(divisor < 60000), m_factor((uint64_t{1} << 40) / static_cast<uint64_t>(divisor) + 1) {}
  BYTE operator()(int64_t sum) const {
    return static_cast<BYTE>(m_exact ? (static_cast<uint64_t>(sum) * m_factor) >> 40 : sum / m_divisor);
  }

 private:
  int64_t m_divisor;
  bool m_exact;
  uint64_t m_factor;
};

// Running-sum box filter along lines; the window of output x is
// x - r .. x + r - 1 clipped to the line, the divisor always 2r so that the
// ends fade. Reads and writes stay inside the line for every r.
void BoxLines(const BYTE* src, BYTE* dst, int64_t lines, int64_t length, int64_t stride,
              int64_t lineStride, int64_t r) {
  const WindowDivider divide(2 * r);
  for (int64_t line = 0; line < lines; ++line) {
    const BYTE* s = src + line * lineStride;
    BYTE* d = dst + line * lineStride;
    int64_t sum = 0;
    for (int64_t x = 0; x < std::min(r, length); ++x) sum += s[x * stride];
    for (int64_t x = 0; x < length; ++x) {
      d[x * stride] = divide(sum);
      if (x + r < length) sum += s[(x + r) * stride];
      if (x - r >= 0) sum -= s[(x - r) * stride];
    }
  }
}

// The same filter down the columns, walked row by row with one running sum
// per column so that memory is read in order.
void BoxColumns(const BYTE* src, BYTE* dst, int64_t width, int64_t height, int64_t r) {
  const WindowDivider divide(2 * r);
  std::vector<int64_t> sum(static_cast<size_t>(width), 0);
  for (int64_t y = 0; y < std::min(r, height); ++y) {
    for (int64_t x = 0; x < width; ++x) sum[x] += src[y * width + x];
  }
  for (int64_t y = 0; y < height; ++y) {
    BYTE* out = dst + y * width;
    for (int64_t x = 0; x < width; ++x) out[x] = divide(sum[x]);
    if (y + r < height) {
      const BYTE* add = src + (y + r) * width;
      for (int64_t x = 0; x < width; ++x) sum[x] += add[x];
    }
    if (y - r >= 0) {
      const BYTE* take = src + (y - r) * width;
      for (int64_t x = 0; x < width; ++x) sum[x] -= take[x];
    }
  }
}

}  // namespace

void BoxBlurMask(const BYTE* src, const SIZE& size, int rx, int ry, BYTE* dst) {
  const int64_t n = SizeBytes(size);
  if (!src || !dst || n <= 0 || n > kMaxRasterPixels) return;
  rx = std::max(rx, 0);
  ry = std::max(ry, 0);
  if (rx == 0 && ry == 0) {
    std::memcpy(dst, src, static_cast<size_t>(n));
    return;
  }
  std::vector<BYTE> temp;
  const BYTE* vertSrc = src;
  if (rx > 0) {
    BYTE* out = dst;
    if (ry > 0) {
      temp.resize(static_cast<size_t>(n));
      out = temp.data();
    }
    BoxLines(src, out, size.cy, size.cx, 1, size.cx, rx);
    vertSrc = out;
  }
  if (ry > 0) BoxColumns(vertSrc, dst, size.cx, size.cy, ry);
}

// --- pixel copies ---

namespace {

// Copies the columns of `rect` that lie inside the source for destination
// row k, taken from source row `srcRow` (skipped when outside).
template <class Store>
void CopyRectRows(const RECT& rect, const DWORD* src, const SIZE& srcSize, bool flipped, Store store) {
  if (!src || rect.right <= rect.left || rect.bottom <= rect.top) return;
  const int64_t w = int64_t{rect.right} - rect.left;
  const int64_t h = int64_t{rect.bottom} - rect.top;
  const int64_t colLo = std::max<int64_t>(rect.left, 0);
  const int64_t colHi = std::min<int64_t>(rect.right, srcSize.cx);
  for (int64_t k = 0; k < h; ++k) {
    const int64_t srcRow = flipped ? int64_t{rect.bottom} - 1 - k : int64_t{rect.top} + k;
    if (srcRow < 0 || srcRow >= srcSize.cy || colHi <= colLo) continue;
    for (int64_t c = colLo; c < colHi; ++c) store(k * w + (c - rect.left), src[srcRow * srcSize.cx + c]);
  }
}

}  // namespace

void CopyPixelRect(DWORD* dst, const RECT& rect, const DWORD* src, const SIZE& srcSize) {
  if (!dst) return;
  CopyRectRows(rect, src, srcSize, false, [dst](int64_t i, DWORD p) { dst[i] = p; });
}

void CopyPixelRectFlipped(DWORD* dst, const RECT& rect, const DWORD* src, const SIZE& srcSize) {
  if (!dst) return;
  CopyRectRows(rect, src, srcSize, true, [dst](int64_t i, DWORD p) { dst[i] = p; });
}

void CopyPixelRectToRgb24(BYTE* dst, const RECT& rect, const DWORD* src, const SIZE& srcSize) {
  if (!dst) return;
  CopyRectRows(rect, src, srcSize, true, [dst](int64_t i, DWORD p) {
    dst[i * 3] = static_cast<BYTE>(p);
    dst[i * 3 + 1] = static_cast<BYTE>(p >> 8);
    dst[i * 3 + 2] = static_cast<BYTE>(p >> 16);
  });
}
