// The two plain rasters the system passes pictures and masks in: CPixelBuffer
// (32-bit ARGB on a rectangle) and CMaskBuffer (8-bit coverage at an origin),
// with the free functions on bare 8-bit planes: copies, blurs, pixel copies.
#pragma once

#include <cstdint>

#include "compat/win32/types.h"

// No raster of the program comes near this; larger requests are refused.
constexpr int64_t kMaxRasterPixels = int64_t{1} << 28;

struct CMaskBuffer {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  BYTE* bits = nullptr;

  CMaskBuffer() = default;
  CMaskBuffer(int left, int top, int right, int bottom);

  // Allocates width x height bytes filled with the low byte of fill; does not
  // set width and height and does not free earlier bits.
  BYTE* Create(int w, int h, int fill);
  void CopyTo(CMaskBuffer& other) const;
  void CopyFrom(const CMaskBuffer& other);
  // Where this >= other, this -= other; smaller bytes stay as they are.
  void Subtract(const CMaskBuffer& other);
  // Bitwise AND, byte by byte.
  void Intersect(const CMaskBuffer& other);
  void Free();
  // Bytes both buffers hold (0 when either has no bits).
  int64_t CommonBytes(const CMaskBuffer& other) const;
};

struct CPixelBuffer {
  RECT rect = {0, 0, 0, 0};
  DWORD* bits = nullptr;

  CPixelBuffer() = default;
  // Pixels are not cleared.
  explicit CPixelBuffer(const RECT& r);

  int Width() const;
  int Height() const;
  void Free();
  void Fill(DWORD colour);
  void CompositeOverColor(DWORD colour);
  // The mask has this buffer's size.
  void MultiplyAlpha(const CMaskBuffer& mask);
  // pitch: pixels from one row of the memory to the next.
  void SetAlphaFromMask(const CMaskBuffer& mask, int pitch);
  // other OVER this on the common rectangle.
  void BlendOver(const CPixelBuffer& other);
};

// One pixel s laid over one pixel d.
DWORD BlendPixelOver(DWORD s, DWORD d);

int64_t CopyMaskPlane(BYTE* dst, const BYTE* src, const SIZE& size);
void CopyMaskShifted(BYTE* dst, const BYTE* src, const SIZE& size, const POINT& offset);
void CopyMaskClipped(BYTE* dst, const SIZE& dstSize, const BYTE* src, const SIZE& srcSize,
                     const POINT& offset);

constexpr int kGaussianTaps = 33;
constexpr int kMaxGaussianRadius = 1 << 16;
int MakeGaussianKernel(int out[kGaussianTaps], int radius);
void ConvolveMaskSeparable(BYTE* plane, const SIZE& size, const int* taps, int count);
void BlurMaskGaussian(BYTE* plane, const SIZE& size, int radius);
void BoxBlurMask(const BYTE* src, const SIZE& size, int rx, int ry, BYTE* dst);

// Rows top..bottom - 1, columns left..right - 1 of a top-down 32-bit image of
// srcSize into dst, packed. Parts of the rectangle outside the source are not
// written.
void CopyPixelRect(DWORD* dst, const RECT& rect, const DWORD* src, const SIZE& srcSize);
// Destination row k from source row bottom - 1 - k.
void CopyPixelRectFlipped(DWORD* dst, const RECT& rect, const DWORD* src, const SIZE& srcSize);
// As the flipped copy, 3 bytes a pixel (blue, green, red), rows packed.
void CopyPixelRectToRgb24(BYTE* dst, const RECT& rect, const DWORD* src, const SIZE& srcSize);
