// Bitmaps and device-independent pixels: row order, padding, palettes, bit
// fields, sections shared with the program, and headers that must be refused.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "compat/win32/gdi_canvas.h"

namespace {

struct Dib {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
  BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

Dib Header(int w, int h, int bits, DWORD compression = BI_RGB) {
  Dib d;
  d.header.biSize = sizeof(BITMAPINFOHEADER);
  d.header.biWidth = w;
  d.header.biHeight = h;
  d.header.biPlanes = 1;
  d.header.biBitCount = static_cast<WORD>(bits);
  d.header.biCompression = compression;
  return d;
}

TEST(GdiDib, SectionsAreTheProgramsPixelsBottomUp) {
  Dib d = Header(3, 2, 32);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, d.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, section);
  SetPixel(dc, 0, 0, RGB(1, 2, 3));
  auto* px = static_cast<uint32_t*>(bits);
  EXPECT_EQ(px[3] & 0xFFFFFF, 0x010203u);  // row 0 is the last row in memory
  px[0] = 0x00FF0000;
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
  DIBSECTION ds;
  ASSERT_EQ(GetObjectW(section, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biHeight, 2);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(section);
}

TEST(GdiDib, GetDIBitsWritesPaddedBottomUpRows) {
  GdiCanvas c(3, 2);
  SetPixel(c.dc(), 0, 0, RGB(10, 20, 30));
  SetPixel(c.dc(), 2, 1, RGB(40, 50, 60));
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(c.dc(), 3, 2);
  HGDIOBJ old = SelectObject(mem, copy);
  BitBlt(mem, 0, 0, 3, 2, c.dc(), 0, 0, SRCCOPY);
  SelectObject(mem, old);
  Dib query = Header(0, 0, 0);
  ASSERT_EQ(GetDIBits(mem, copy, 0, 0, nullptr, query.info(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(query.header.biWidth, 3);
  EXPECT_EQ(query.header.biBitCount, 32);
  Dib d = Header(3, 2, 24);
  std::vector<BYTE> rows(2 * 12, 0xEE);
  ASSERT_EQ(GetDIBits(mem, copy, 0, 2, rows.data(), d.info(), DIB_RGB_COLORS), 2);
  // First stored row is the bottom one: (2,1) at its third pixel, blue first.
  EXPECT_EQ(rows[6], 60);
  EXPECT_EQ(rows[8], 40);
  EXPECT_EQ(rows[12 + 0], 30);
  EXPECT_EQ(rows[12 + 2], 10);
  DeleteDC(mem);
  DeleteObject(copy);
}

TEST(GdiDib, PalettesAndBitFieldsDecode) {
  GdiCanvas c(4, 2);
  Dib eight = Header(4, -1, 8);
  eight.header.biClrUsed = 2;
  eight.colors[0] = RGBQUAD{255, 0, 0, 0};  // blue
  eight.colors[1] = RGBQUAD{0, 0, 255, 0};  // red
  const BYTE indexes[4] = {0, 1, 1, 7};     // 7 is outside the palette: black
  SetDIBitsToDevice(c.dc(), 0, 0, 4, 1, 0, 0, 0, 1, indexes, eight.info(), DIB_RGB_COLORS);
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.At(1, 0), RGB(255, 0, 0));
  EXPECT_EQ(c.At(3, 0), RGB(0, 0, 0));
  Dib mono = Header(4, -1, 1);
  mono.colors[0] = RGBQUAD{0, 0, 0, 0};
  mono.colors[1] = RGBQUAD{255, 255, 255, 0};
  const BYTE bits1[4] = {0x50, 0, 0, 0};  // 0101 padded to 32 bits
  SetDIBitsToDevice(c.dc(), 0, 1, 4, 1, 0, 0, 0, 1, bits1, mono.info(), DIB_RGB_COLORS);
  EXPECT_EQ(c.At(0, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.At(1, 1), RGB(255, 255, 255));
  struct {
    BITMAPINFOHEADER h;
    DWORD masks[3];
  } fields{Header(2, -1, 16, BI_BITFIELDS).header, {0xF800, 0x07E0, 0x001F}};
  const WORD pixels565[2] = {0xF800, 0x07E0};
  StretchDIBits(c.dc(), 0, 0, 2, 1, 0, 0, 2, 1, pixels565, reinterpret_cast<BITMAPINFO*>(&fields),
                DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(c.At(1, 0), RGB(0, 255, 0));
}

TEST(GdiDib, StretchDIBitsCountsSourceRowsFromTheBottom) {
  GdiCanvas c(2, 2);
  Dib d = Header(1, 3, 24);
  // Three bottom-up rows of one pixel, each padded to four bytes: bottom red, middle green, top blue.
  const BYTE rows[12] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
  StretchDIBits(c.dc(), 0, 0, 1, 2, 0, 0, 1, 2, rows, d.info(), DIB_RGB_COLORS, SRCCOPY);
  // Source rows 0..1 from the bottom are green over red.
  EXPECT_EQ(c.At(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(c.At(0, 1), RGB(255, 0, 0));
}

TEST(GdiDib, BadHeadersAndSizesAreRefused) {
  Dib odd = Header(4, 4, 7);
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, odd.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  Dib huge = Header(1 << 20, 1 << 20, 32);
  EXPECT_EQ(CreateDIBSection(nullptr, huge.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  Dib worst = Header(4, INT_MIN, 32);
  EXPECT_EQ(CreateDIBSection(nullptr, worst.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  Dib small = Header(4, 4, 32);
  small.header.biSize = 12;
  EXPECT_EQ(CreateDIBSection(nullptr, small.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  Dib colors = Header(4, 1, 8);
  colors.header.biClrUsed = 100000;
  GdiCanvas c(4, 1);
  const BYTE px[4] = {};
  EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 4, 1, 0, 0, 0, 1, px, colors.info(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(CreateBitmap(-3, 4, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 2, 32, nullptr), nullptr);
}

TEST(GdiDib, CompatibleBitmapsFollowTheSelectedBitmap) {
  HDC fresh = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateCompatibleBitmap(fresh, 8, 8);  // a new memory DC holds a 1x1 mono bitmap
  BITMAP info;
  GetObjectW(mono, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 1);
  GdiCanvas c(2, 2);
  HBITMAP color = CreateCompatibleBitmap(c.dc(), 8, 8);
  GetObjectW(color, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmWidthBytes, 32);
  HGDIOBJ old = SelectObject(fresh, color);
  EXPECT_EQ(SelectObject(c.dc(), color), nullptr);  // a bitmap lives in one DC at a time
  SelectObject(fresh, old);
  DeleteDC(fresh);
  DeleteObject(mono);
  DeleteObject(color);
  EXPECT_EQ(GetDeviceCaps(c.dc(), BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(c.dc(), LOGPIXELSY), 96);
}

TEST(GdiDib, EveryMemoryDcCanTakeBackItsOwnBitmap) {
  // The 1x1 bitmap of fresh memory DCs is shared: putting it back must work in each of them.
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP x = CreateBitmap(2, 2, 1, 32, nullptr), y = CreateBitmap(2, 2, 1, 32, nullptr);
  HGDIOBJ oldA = SelectObject(a, x);
  HGDIOBJ oldB = SelectObject(b, y);
  ASSERT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(a, oldA), x);
  EXPECT_EQ(SelectObject(b, oldB), y);
  EXPECT_NE(SelectObject(b, x), nullptr);  // x is free again
  SelectObject(b, oldB);
  EXPECT_TRUE(DeleteObject(x));
  EXPECT_TRUE(DeleteObject(y));
  DeleteDC(a);
  DeleteDC(b);
}

}  // namespace
