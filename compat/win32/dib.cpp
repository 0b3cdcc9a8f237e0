// Bitmaps: device bitmaps, DIB sections, and moving device-independent
// pixels in and out (1, 4, 8, 16, 24 and 32 bits per pixel).
#include <algorithm>
#include <cstring>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

namespace {

int64_t DibStride(int width, int bits) { return ((int64_t{width} * bits + 31) / 32) * 4; }

bool SizeAllowed(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxBitmapSide && h <= kMaxBitmapSide && w * h <= kMaxBitmapPixels;
}

// Channel masks of a 16- or 32-bit DIB (BI_RGB defaults or BI_BITFIELDS).
struct Masks {
  uint32_t r, g, b;
};

int MaskShift(uint32_t m) {
  int s = 0;
  while (m && !(m & 1)) { m >>= 1; ++s; }
  return s;
}

uint32_t ScaleChannel(uint32_t v, uint32_t mask) {
  if (!mask) return 0;
  uint32_t max = mask >> MaskShift(mask);
  return max ? (v * 255 + max / 2) / max : 0;
}

bool ReadMasks(const BITMAPINFO* info, Masks* m) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biCompression == BI_BITFIELDS) {
    const auto* fields = reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(info) + h.biSize);
    *m = Masks{fields[0], fields[1], fields[2]};
    return m->r && m->g && m->b;
  }
  *m = h.biBitCount == 16 ? Masks{0x7C00, 0x03E0, 0x001F} : Masks{0xFF0000, 0x00FF00, 0x0000FF};
  return true;
}

bool HeaderValid(const BITMAPINFOHEADER& h) {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 124) return false;
  if (h.biHeight == INT32_MIN || !SizeAllowed(h.biWidth, std::abs(h.biHeight))) return false;
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 24: return h.biCompression == BI_RGB;
    case 16: case 32: return h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS;
    default: return false;
  }
}

void DecodeRow(const BITMAPINFO* info, const RGBQUAD* palette, DWORD paletteSize, const Masks& masks,
               const BYTE* src, uint32_t* out, int width) {
  int bits = info->bmiHeader.biBitCount;
  auto fromPalette = [&](unsigned index) {
    if (index >= paletteSize) return 0u;
    const RGBQUAD& q = palette[index];
    return (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
  };
  for (int x = 0; x < width; ++x) {
    switch (bits) {
      case 1: out[x] = fromPalette((src[x >> 3] >> (7 - (x & 7))) & 1); break;
      case 4: out[x] = fromPalette((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15); break;
      case 8: out[x] = fromPalette(src[x]); break;
      case 24: out[x] = src[3 * x] | (uint32_t{src[3 * x + 1]} << 8) | (uint32_t{src[3 * x + 2]} << 16); break;
      case 16:
      case 32: {
        uint32_t v = bits == 16 ? uint32_t(src[2 * x] | (src[2 * x + 1] << 8))
                                : uint32_t(src[4 * x]) | (uint32_t(src[4 * x + 1]) << 8) |
                                      (uint32_t(src[4 * x + 2]) << 16) | (uint32_t(src[4 * x + 3]) << 24);
        if (bits == 32 && info->bmiHeader.biCompression == BI_RGB) {
          out[x] = v;  // keeps the alpha byte, which AlphaBlend reads
        } else {
          out[x] = (ScaleChannel((v & masks.r) >> MaskShift(masks.r), masks.r) << 16) |
                   (ScaleChannel((v & masks.g) >> MaskShift(masks.g), masks.g) << 8) |
                   ScaleChannel((v & masks.b) >> MaskShift(masks.b), masks.b);
        }
        break;
      }
      default: out[x] = 0;
    }
  }
}

// Writes one top-down row of pixels in the caller's DIB format (1, 24 or 32 bits).
void EncodeRow(int bits, const uint32_t* in, BYTE* out, int width, int64_t rowBytes) {
  switch (bits) {
    case 1:
      std::memset(out, 0, static_cast<size_t>(rowBytes));
      for (int x = 0; x < width; ++x)
        if (in[x] & 0xFFFFFF) out[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
      break;
    case 24:
      for (int x = 0; x < width; ++x) {
        out[3 * x] = static_cast<BYTE>(in[x]);
        out[3 * x + 1] = static_cast<BYTE>(in[x] >> 8);
        out[3 * x + 2] = static_cast<BYTE>(in[x] >> 16);
      }
      break;
    default:
      std::memcpy(out, in, static_cast<size_t>(width) * 4);
      break;
  }
}

BitmapObj* CompatibleBitmap(HDC hdc, int w, int h, HBITMAP* handle) {
  DcObj* dc = GetDc(hdc);
  bool mono = dc && dc->Mono();
  return NewBitmap(w, h, mono, handle);
}

}  // namespace

bool DecodeDib(const BITMAPINFO* info, UINT usage, const void* bits, UINT firstScan, UINT scans,
               std::vector<uint32_t>* out, int* width, int* height) {
  if (!info || !bits || usage != DIB_RGB_COLORS || !HeaderValid(info->bmiHeader)) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  int w = h.biWidth, hh = std::abs(h.biHeight);
  bool bottomUp = h.biHeight > 0;
  DWORD paletteSize = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
  if (paletteSize > 256) return false;
  const auto* palette = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + h.biSize);
  Masks masks{};
  if ((h.biBitCount == 16 || h.biBitCount == 32) && !ReadMasks(info, &masks)) return false;
  int64_t stride = DibStride(w, h.biBitCount);
  out->assign(static_cast<size_t>(w) * hh, 0);
  UINT last = std::min<UINT>(firstScan + std::min<UINT>(scans, static_cast<UINT>(hh)), static_cast<UINT>(hh));
  const BYTE* src = static_cast<const BYTE*>(bits);
  for (UINT scan = firstScan; scan < last; ++scan) {
    int row = bottomUp ? hh - 1 - static_cast<int>(scan) : static_cast<int>(scan);
    DecodeRow(info, palette, paletteSize, masks, src + (scan - firstScan) * stride,
              &(*out)[static_cast<size_t>(row) * w], w);
  }
  *width = w;
  *height = hh;
  return true;
}

}  // namespace compat::gdi

using namespace compat::gdi;

HBITMAP CreateBitmap(int w, int h, UINT planes, UINT bitCount, const void* bits) {
  if (w == 0 || h == 0) w = h = 1;
  if (!SizeAllowed(w, h) || planes != 1 || bitCount == 0 || bitCount > 32) return nullptr;
  HBITMAP handle = nullptr;
  BitmapObj* bmp = NewBitmap(w, h, bitCount == 1, &handle);
  if (!bits) return handle;
  // Device bitmap rows are padded to 16 bits.
  int bytesPerPixel = bitCount == 1 ? 0 : static_cast<int>(bitCount) / 8;
  int64_t stride = bitCount == 1 ? ((w + 15) / 16) * 2 : ((int64_t{w} * bitCount + 15) / 16) * 2;
  const BYTE* src = static_cast<const BYTE*>(bits);
  for (int y = 0; y < h; ++y) {
    const BYTE* row = src + y * stride;
    uint32_t* dst = &bmp->store[static_cast<size_t>(y) * w];
    for (int x = 0; x < w; ++x) {
      if (bitCount == 1) {
        dst[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0x00FFFFFFu : 0u;
      } else if (bytesPerPixel >= 3) {
        const BYTE* p = row + x * bytesPerPixel;
        dst[x] = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                 (bytesPerPixel == 4 ? uint32_t{p[3]} << 24 : 0u);
      } else if (bytesPerPixel == 2) {
        uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
        dst[x] = (ScaleChannel((v >> 11) & 31, 0xF800) << 16) | (ScaleChannel((v >> 5) & 63, 0x7E0) << 8) |
                 ScaleChannel(v & 31, 0x1F);
      }
    }
  }
  return handle;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
  return bm ? CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits)
            : nullptr;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (!GetDc(hdc)) return nullptr;
  if (cx == 0 || cy == 0) return CreateBitmap(1, 1, 1, 1, nullptr);
  if (!SizeAllowed(cx, cy)) return nullptr;
  HBITMAP handle = nullptr;
  CompatibleBitmap(hdc, cx, cy, &handle);
  return handle;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* h, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  if (!h || h->biHeight == INT32_MIN || !SizeAllowed(h->biWidth, std::abs(h->biHeight))) return nullptr;
  HBITMAP handle = nullptr;
  BitmapObj* bmp = CompatibleBitmap(hdc, h->biWidth, std::abs(h->biHeight), &handle);
  if ((init & CBM_INIT) && bits && info) {
    std::vector<uint32_t> pixels;
    int w = 0, hh = 0;
    if (!DecodeDib(info, usage, bits, 0, static_cast<UINT>(std::abs(info->bmiHeader.biHeight)),
                   &pixels, &w, &hh)) {
      DeleteObject(handle);
      return nullptr;
    }
    for (int y = 0; y < std::min(hh, bmp->height); ++y)
      for (int x = 0; x < std::min(w, bmp->width); ++x) {
        uint32_t p = pixels[static_cast<size_t>(y) * w + x];
        bmp->store[static_cast<size_t>(y) * bmp->width + x] = bmp->mono ? MonoPixel(p) : p;
      }
  }
  return handle;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bitsOut, HANDLE section,
                         DWORD) {
  if (bitsOut) *bitsOut = nullptr;
  if (!info || section || usage != DIB_RGB_COLORS || !HeaderValid(info->bmiHeader)) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  // Sections are 32-bit with the standard channel layout: the program's pixels
  // are the surface GDI draws on.
  Masks masks{};
  if (h.biBitCount != 32 || !ReadMasks(info, &masks) || masks.r != 0xFF0000 || masks.g != 0xFF00 ||
      masks.b != 0xFF)
    return nullptr;
  auto bmp = std::make_unique<BitmapObj>();
  bmp->width = h.biWidth;
  bmp->height = std::abs(h.biHeight);
  bmp->dibSection = true;
  bmp->dibHeader = h;
  bmp->dibHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmp->dibHeader.biSizeImage = static_cast<DWORD>(int64_t{bmp->width} * bmp->height * 4);
  bmp->dibBits = new uint32_t[static_cast<size_t>(bmp->width) * bmp->height]();
  if (bitsOut) *bitsOut = bmp->dibBits;
  return static_cast<HBITMAP>(Register(std::move(bmp)));
}

int SetDIBits(HDC, HBITMAP hbm, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
  BitmapObj* bmp = GetBitmap(hbm);
  std::vector<uint32_t> pixels;
  int w = 0, h = 0;
  if (!bmp || !DecodeDib(info, usage, bits, start, lines, &pixels, &w, &h)) return 0;
  PixelView v = bmp->View();
  bool bottomUp = info->bmiHeader.biHeight > 0;
  UINT last = std::min<UINT>(start + lines, static_cast<UINT>(h));
  for (UINT scan = start; scan < last; ++scan) {
    int row = bottomUp ? h - 1 - static_cast<int>(scan) : static_cast<int>(scan);
    if (row >= bmp->height) continue;
    for (int x = 0; x < std::min(w, bmp->width); ++x) {
      uint32_t p = pixels[static_cast<size_t>(row) * w + x];
      v.Row(row)[x] = bmp->mono ? MonoPixel(p) : p;
    }
  }
  return static_cast<int>(last > start ? last - start : 0);
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
              UINT usage) {
  BitmapObj* bmp = GetBitmap(hbm);
  if (!GetDc(hdc) || !bmp || !info || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (!bits) {
    // Describe the bitmap: its size and native depth.
    if (h.biBitCount == 0) {
      h.biWidth = bmp->width;
      h.biHeight = bmp->height;
      h.biPlanes = 1;
      h.biBitCount = bmp->mono ? 1 : 32;
      h.biCompression = BI_RGB;
      h.biSizeImage = static_cast<DWORD>(DibStride(bmp->width, h.biBitCount) * bmp->height);
      h.biClrUsed = 0;
      if (bmp->mono) {
        info->bmiColors[0] = RGBQUAD{0, 0, 0, 0};
        (&info->bmiColors[0])[1] = RGBQUAD{255, 255, 255, 0};
      }
    }
    return 1;
  }
  if (h.biBitCount != 1 && h.biBitCount != 24 && h.biBitCount != 32) return 0;
  if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return 0;
  int w = std::min<int>(h.biWidth, bmp->width);
  int rows = std::abs(h.biHeight);
  bool bottomUp = h.biHeight > 0;
  int64_t stride = DibStride(h.biWidth, h.biBitCount);
  if (h.biBitCount == 1) {
    (&info->bmiColors[0])[0] = RGBQUAD{0, 0, 0, 0};
    (&info->bmiColors[0])[1] = RGBQUAD{255, 255, 255, 0};
  }
  PixelView v = bmp->View();
  std::vector<uint32_t> row(static_cast<size_t>(h.biWidth), 0);
  UINT done = 0;
  for (UINT scan = start; scan < start + lines && scan < static_cast<UINT>(rows); ++scan, ++done) {
    int y = bottomUp ? rows - 1 - static_cast<int>(scan) : static_cast<int>(scan);
    std::fill(row.begin(), row.end(), 0u);
    if (y < bmp->height) std::memcpy(row.data(), v.Row(y), static_cast<size_t>(w) * 4);
    EncodeRow(h.biBitCount, row.data(), static_cast<BYTE*>(bits) + done * stride, h.biWidth, stride);
  }
  return static_cast<int>(done);
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop) {
  DcObj* dc = GetDc(hdc);
  std::vector<uint32_t> pixels;
  int w = 0, h = 0;
  if (!dc || !info) return 0;
  if (!DecodeDib(info, usage, bits, 0, static_cast<UINT>(std::abs(info->bmiHeader.biHeight)),
                 &pixels, &w, &h))
    return 0;
  // A bottom-up DIB counts its source rectangle from the bottom row. The
  // rectangles may come from a metafile, anywhere in 32 bits: their sums are
  // worked out in doubles and clamped.
  bool bottomUp = info->bmiHeader.biHeight > 0;
  int top = bottomUp ? ClampToInt(double(h) - ySrc - srcHeight) : ySrc;
  BlitSource src;
  src.view = PixelView{pixels.data(), w, h, w};
  POINT a = dc->ToDevice(xDest, yDest);
  POINT b = dc->ToDevice(ClampToInt(double(xDest) + destWidth), ClampToInt(double(yDest) + destHeight));
  if (!StretchToDc(*dc, a.x, a.y, b.x - a.x, b.y - a.y, &src, xSrc, top, srcWidth, srcHeight,
                   rop & 0x00FFFFFF))
    return 0;
  return h;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
  DcObj* dc = GetDc(hdc);
  std::vector<uint32_t> pixels;
  int dw = 0, dh = 0;
  if (!dc || !info || w > INT32_MAX || h > INT32_MAX) return 0;
  if (!DecodeDib(info, usage, bits, startScan, lines, &pixels, &dw, &dh)) return 0;
  bool bottomUp = info->bmiHeader.biHeight > 0;
  int top = bottomUp ? ClampToInt(double(dh) - ySrc - h) : ySrc;
  BlitSource src;
  src.view = PixelView{pixels.data(), dw, dh, dw};
  POINT a = dc->ToDevice(xDest, yDest);
  if (!StretchToDc(*dc, a.x, a.y, static_cast<int>(w), static_cast<int>(h), &src, xSrc, top,
                   static_cast<int>(w), static_cast<int>(h), SRCCOPY))
    return 0;
  return static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(dh)));
}

LONG GetBitmapBits(HBITMAP hbm, LONG cb, LPVOID out) {
  BitmapObj* bmp = GetBitmap(hbm);
  if (!bmp || cb < 0) return 0;
  int64_t stride = bmp->mono ? ((bmp->width + 15) / 16) * 2 : int64_t{bmp->width} * 4;
  int64_t total = stride * bmp->height;
  if (!out) return static_cast<LONG>(total);
  PixelView v = bmp->View();
  int64_t written = 0;
  std::vector<BYTE> row(static_cast<size_t>(stride));
  for (int y = 0; y < bmp->height && written < cb; ++y) {
    EncodeRow(bmp->mono ? 1 : 32, v.Row(y), row.data(), bmp->width, stride);
    int64_t n = std::min<int64_t>(stride, cb - written);
    std::memcpy(static_cast<BYTE*>(out) + written, row.data(), static_cast<size_t>(n));
    written += n;
  }
  return static_cast<LONG>(written);
}

LONG SetBitmapBits(HBITMAP hbm, DWORD cb, const void* bits) {
  BitmapObj* bmp = GetBitmap(hbm);
  if (!bmp || !bits) return 0;
  int64_t stride = bmp->mono ? ((bmp->width + 15) / 16) * 2 : int64_t{bmp->width} * 4;
  PixelView v = bmp->View();
  const BYTE* src = static_cast<const BYTE*>(bits);
  int rows = static_cast<int>(std::min<int64_t>(bmp->height, cb / stride));
  for (int y = 0; y < rows; ++y) {
    const BYTE* row = src + y * stride;
    for (int x = 0; x < bmp->width; ++x)
      v.Row(y)[x] = bmp->mono ? (((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0x00FFFFFFu : 0u)
                              : (row[4 * x] | (uint32_t{row[4 * x + 1]} << 8) |
                                 (uint32_t{row[4 * x + 2]} << 16) | (uint32_t{row[4 * x + 3]} << 24));
  }
  return static_cast<LONG>(rows * stride);
}

BOOL GetBitmapDimensionEx(HBITMAP hbm, LPSIZE size) {
  BitmapObj* bmp = GetBitmap(hbm);
  if (!bmp || !size) return FALSE;
  *size = bmp->dimension;
  return TRUE;
}
