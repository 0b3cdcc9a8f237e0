// Bitmaps from pixel memory: row order, premultiplication and bad input.
#include <gtest/gtest.h>

#include <vector>

#include "platform/bitmap_helpers.h"

namespace {

struct Buffer {  // the shape of the model's pixel buffer
  RECT rect;
  uint32_t* bits;
};

uint32_t PixelAt(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST(BitmapHelpers, BitsAreTopDown) {
  std::vector<uint32_t> px = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
  HBITMAP b = CreateBitmapFromBits(px.data(), SIZE{2, 2});
  ASSERT_NE(b, nullptr);
  BITMAP info;
  GetObjectW(b, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(PixelAt(b, 0, 0), 0xFF0000u);
  EXPECT_EQ(PixelAt(b, 0, 1), 0x0000FFu);
  DeleteObject(b);
  EXPECT_EQ(CreateBitmapFromBits(nullptr, SIZE{2, 2}), nullptr);
  EXPECT_EQ(CreateBitmapFromBits(px.data(), SIZE{0, 2}), nullptr);
  EXPECT_EQ(CreateBitmapFromBits(px.data(), SIZE{1 << 20, 1 << 20}), nullptr);
}

TEST(BitmapHelpers, PixelBuffersShowTheirFirstRowAtTheBottomUnlessTopDown) {
  std::vector<uint32_t> px = {0x00FF0000, 0x00FF0000, 0x000000FF, 0x000000FF};
  Buffer buffer{RECT{5, 5, 7, 7}, px.data()};
  HBITMAP up = CreateBitmapFromPixels(buffer, nullptr, FALSE, FALSE);
  HBITMAP down = CreateBitmapFromPixels(buffer, nullptr, TRUE, FALSE);
  EXPECT_EQ(PixelAt(up, 0, 1), 0xFF0000u);
  EXPECT_EQ(PixelAt(down, 0, 0), 0xFF0000u);
  DeleteObject(up);
  DeleteObject(down);
}

TEST(BitmapHelpers, PremultiplyKeepsOpaqueColoursExact) {
  // Opaque white stays white (a shift by 8 would give 254); half alpha halves.
  std::vector<uint32_t> px = {0xFFFFFFFF, 0x80FF8000};
  Buffer buffer{RECT{0, 0, 2, 1}, px.data()};
  HBITMAP b = CreateBitmapFromPixels(buffer, nullptr, TRUE, TRUE);
  EXPECT_EQ(PixelAt(b, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(b, 1, 0), 0x804000u);
  EXPECT_EQ(px[0], 0xFFFFFFFFu);  // the caller's pixels are left alone
  DeleteObject(b);
}

}  // namespace
