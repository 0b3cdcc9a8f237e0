// Thumbnails of swatches.
#include "ui/normal_render.h"

#include <memory>

#include "model/raster/color_variation_fill.h"
#include "model/raster/fill_render.h"
#include "model/raster/fill_style.h"
#include "model/raster/pixel_buffer.h"

namespace {

constexpr int kBoardCells = 8;
constexpr DWORD kBoardLight = 0xFFFAFAFA;
constexpr DWORD kBoardDark = 0xFF040404;

void DrawCheckerboard(DWORD* pixels, int w, int h) {
  for (int r = 0; r < kBoardCells; ++r) {
    for (int c = 0; c < kBoardCells; ++c) {
      const DWORD colour = ((r + c) & 1) ? kBoardLight : kBoardDark;
      for (int y = r * h / kBoardCells; y < (r + 1) * h / kBoardCells; ++y)
        for (int x = c * w / kBoardCells; x < (c + 1) * w / kBoardCells; ++x) pixels[y * w + x] = colour;
    }
  }
}

void CompositeColor(DWORD* pixels, int count, DWORD colour) {
  for (int i = 0; i < count; ++i) pixels[i] = BlendPixelOver(colour, pixels[i]);
}

// Lays rows top-down `source` over `pixels` with the rows in reverse order.
void CompositeFlipped(DWORD* pixels, const DWORD* source, int w, int h) {
  for (int y = 0; y < h; ++y) {
    const DWORD* from = source + static_cast<size_t>(h - 1 - y) * w;
    DWORD* to = pixels + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) to[x] = BlendPixelOver(from[x], to[x]);
  }
}

void CompositePicture(const CString& path, DWORD* pixels, int w, int h) {
  CFillStyle picture;
  picture.type = 2;
  picture.SetPatternImage(path);
  CPixelBuffer buffer(RECT{0, 0, w, h});
  if (!buffer.bits) return;
  RenderFill(picture, buffer);
  CompositeFlipped(pixels, buffer.bits, w, h);
  buffer.Free();
}

void CompositeGradient(const CGradientDesc& desc, DWORD* pixels, int w, int h) {
  std::unique_ptr<DWORD[]> gradient(RenderVaryColorFill(SIZE{w, h}, desc));
  if (gradient) CompositeFlipped(pixels, gradient.get(), w, h);
}

}  // namespace

void NormalRender(const CFillStyle& fill, DWORD* pixels, int w, int h) {
  if (!pixels || w <= 0 || h <= 0) return;
  DrawCheckerboard(pixels, w, h);
  try {
    CString path;
    CGradientDesc desc;
    if (fill.type == kFillColor || !fill.pattern)
      CompositeColor(pixels, w * h, fill.type == kFillColor ? fill.color : 0);
    else if (fill.GetPatternImage(path))
      CompositePicture(path, pixels, w, h);
    else if (fill.GetGradient(desc))
      CompositeGradient(desc, pixels, w, h);
  } catch (...) {
    AfxMessageBox(u"NormalRender exception");
  }
}

BOOL CreateThumbnailBitmap(const DWORD* pixels, int w, int h, CBitmap& bitmap) {
  if (!pixels || w <= 0 || h <= 0) return FALSE;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP handle = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!handle || !bits) return FALSE;
  // Opaque pixels are their own premultiplied form; full alpha throughout.
  auto* out = static_cast<DWORD*>(bits);
  for (int i = 0; i < w * h; ++i) out[i] = pixels[i] | 0xFF000000;
  bitmap.Attach(handle);
  return TRUE;
}
