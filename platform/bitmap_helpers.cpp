// Device bitmaps made from 32-bit pixel memory.
#include "platform/bitmap_helpers.h"

#include <vector>

namespace {

// Limits for pixel memory handed in by callers.
constexpr int kMaxSide = 32768;
constexpr int64_t kMaxPixels = int64_t{1} << 28;

bool SizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

BITMAPINFOHEADER Header32(int width, int height) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(int64_t{width} * (height < 0 ? -height : height) * 4);
  return h;
}

// Colour times alpha, rounded so that an opaque pixel keeps its colour exactly.
uint32_t Premultiplied(uint32_t p) {
  uint32_t a = p >> 24;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) out |= ((((p >> shift) & 0xFF) * a + 127) / 255) << shift;
  return out;
}

}  // namespace

HBITMAP CreateBitmapFromBits(const void* bits, SIZE size) {
  if (!bits || !SizeAllowed(size.cx, size.cy)) return nullptr;
  BITMAPINFOHEADER header = Header32(size.cx, -size.cy);
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateDIBitmap(screen, &header, CBM_INIT, bits,
                                    reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return bitmap;
}

HBITMAP CreateBitmapFromPixelRows(const uint32_t* rows, int width, int height, HDC dc,
                                  BOOL topDown, BOOL premultiply) {
  if (!rows || !SizeAllowed(width, height)) return nullptr;
  std::vector<uint32_t> copy;
  const uint32_t* pixels = rows;
  if (premultiply) {
    copy.assign(rows, rows + static_cast<size_t>(width) * height);
    for (uint32_t& p : copy) p = Premultiplied(p);
    pixels = copy.data();
  }
  BITMAPINFOHEADER header = Header32(width, topDown ? -height : height);
  HDC screen = dc ? nullptr : ::GetDC(nullptr);
  HDC target = dc ? dc : screen;
  HBITMAP bitmap = ::CreateCompatibleBitmap(target, width, height);
  if (bitmap)
    ::SetDIBits(target, bitmap, 0, static_cast<UINT>(height), pixels,
                reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
  if (screen) ::ReleaseDC(nullptr, screen);
  return bitmap;
}
