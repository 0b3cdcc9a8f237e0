// A memory DC over a 32-bit bitmap for pixel tests, and a pixel-art view of it.
#pragma once

#include <string>

#include "compat/win32.h"

class GdiCanvas {
 public:
  GdiCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255))
      : width_(width), height_(height), background_(fill) {
    HDC screen = CreateCompatibleDC(nullptr);
    dc_ = CreateCompatibleDC(nullptr);
    // A memory DC's own bitmap is black and white; 32-bit needs a DIB-compatible one.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    DeleteDC(screen);
    old_ = SelectObject(dc_, bitmap_);
    Clear(fill);
  }
  ~GdiCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  uint32_t* bits() const { return bits_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void Clear(COLORREF c) {
    background_ = c;
    for (int i = 0; i < width_ * height_; ++i)
      bits_[i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  COLORREF At(int x, int y) const {
    uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Rows of the rectangle: '.' for the background colour, '#' for anything else.
  std::string Art(int left, int top, int right, int bottom) const {
    std::string s;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) s += At(x, y) == background_ ? '.' : '#';
      s += '\n';
    }
    return s;
  }
  std::string Art() const { return Art(0, 0, width_, height_); }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) == c;
    return n;
  }
  int CountNot(COLORREF c) const { return width_ * height_ - Count(c); }

 private:
  int width_, height_;
  COLORREF background_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Joins pixel-art rows written one per string.
inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) {
    s += r;
    s += '\n';
  }
  return s;
}
