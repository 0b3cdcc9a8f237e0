// Flips, mirrors, quarter turns and raising the bit depth.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "imaging/pic_image.h"

namespace {

// A picture of random indices or colours and, when asked, random alpha.
void Fill(CPicImage& image, unsigned seed, bool alpha) {
  std::mt19937 random(seed);
  for (DWORD y = 0; y < image.GetHeight(); ++y) {
    for (DWORD x = 0; x < image.GetWidth(); ++x) {
      if (image.GetColorCount()) image.SetPixelIndex(x, y, static_cast<BYTE>(random()));
      else image.SetPixelColor(x, y, RGBQUAD{BYTE(random()), BYTE(random()), BYTE(random()), 0});
    }
  }
  for (DWORD i = 0; i < image.GetColorCount(); ++i) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(2 * i), BYTE(3 * i));
  if (alpha) {
    image.AlphaCreate();
    for (DWORD y = 0; y < image.GetHeight(); ++y)
      for (DWORD x = 0; x < image.GetWidth(); ++x) image.AlphaSet(x, y, BYTE(random()));
  }
}

DWORD Pixel(const CPicImage& image, DWORD x, DWORD y) {
  if (image.GetColorCount()) return image.GetPixelIndex(x, y);
  RGBQUAD c = image.GetPixelColor(x, y);
  return c.rgbBlue | (c.rgbGreen << 8) | (c.rgbRed << 16);
}

bool SamePixels(const CPicImage& a, const CPicImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (DWORD y = 0; y < a.GetHeight(); ++y)
    for (DWORD x = 0; x < a.GetWidth(); ++x)
      if (Pixel(a, x, y) != Pixel(b, x, y) || a.AlphaGet(x, y) != b.AlphaGet(x, y)) return false;
  return true;
}

struct Shape { DWORD width, height, bpp; };
const Shape kShapes[] = {{10, 3, 1}, {9, 7, 1}, {33, 2, 1}, {5, 4, 4}, {7, 3, 8}, {3, 5, 24}, {1, 1, 1}};

}  // namespace

TEST(PicTransform, FlipAndMirrorMoveEveryPixel) {
  for (const Shape& s : kShapes) {
    CPicImage original(s.width, s.height, s.bpp);
    Fill(original, s.width * 31 + s.bpp, true);
    CPicImage flipped(original), mirrored(original);
    ASSERT_TRUE(flipped.Flip());
    ASSERT_TRUE(mirrored.Mirror());
    for (DWORD y = 0; y < s.height; ++y) {
      for (DWORD x = 0; x < s.width; ++x) {
        ASSERT_EQ(Pixel(flipped, x, y), Pixel(original, x, s.height - 1 - y)) << s.width << "/" << s.bpp;
        ASSERT_EQ(flipped.AlphaGet(x, y), original.AlphaGet(x, s.height - 1 - y));
        ASSERT_EQ(Pixel(mirrored, x, y), Pixel(original, s.width - 1 - x, y)) << s.width << "/" << s.bpp;
        ASSERT_EQ(mirrored.AlphaGet(x, y), original.AlphaGet(s.width - 1 - x, y));
      }
    }
    flipped.Flip();
    mirrored.Mirror();
    EXPECT_TRUE(SamePixels(flipped, original));
    EXPECT_TRUE(SamePixels(mirrored, original));
  }
}

TEST(PicTransform, QuarterTurnsMatchAPixelByPixelTurn) {
  for (const Shape& s : kShapes) {
    CPicImage original(s.width, s.height, s.bpp);
    Fill(original, s.height * 17 + s.bpp, true);
    CPicImage left(original), right(original);
    ASSERT_TRUE(left.RotateLeft());
    ASSERT_TRUE(right.RotateRight());
    ASSERT_EQ(left.GetWidth(), s.height);
    ASSERT_EQ(left.GetHeight(), s.width);
    for (DWORD y = 0; y < s.width; ++y) {
      for (DWORD x = 0; x < s.height; ++x) {
        ASSERT_EQ(Pixel(left, x, y), Pixel(original, y, s.height - 1 - x)) << s.width << "/" << s.bpp;
        ASSERT_EQ(left.AlphaGet(x, y), original.AlphaGet(y, s.height - 1 - x));
        ASSERT_EQ(Pixel(right, x, y), Pixel(original, s.width - 1 - y, x)) << s.width << "/" << s.bpp;
      }
    }
    ASSERT_TRUE(left.RotateRight());
    EXPECT_TRUE(SamePixels(left, original));
    EXPECT_EQ(left.GetPaletteColor(1).rgbGreen, original.GetPaletteColor(1).rgbGreen);
  }
}

TEST(PicTransform, TurnsPlaceTheTopLeftCorner) {
  CPicImage image(3, 2, 8);
  image.Clear(0);
  image.SetPixelIndex(0, 1, 7);  // top-left
  CPicImage target;
  ASSERT_TRUE(image.RotateLeft(&target));
  EXPECT_EQ(target.GetPixelIndex(0, 0), 7);  // bottom-left
  EXPECT_EQ(image.GetWidth(), 3u);           // untouched
  ASSERT_TRUE(image.RotateRight());
  EXPECT_EQ(image.GetPixelIndex(1, 2), 7);  // top-right
  CPicImage empty;
  EXPECT_FALSE(empty.RotateLeft());
  EXPECT_FALSE(empty.Flip());
  EXPECT_FALSE(empty.Mirror());
  EXPECT_FALSE(empty.IncreaseBpp(24));
}

TEST(PicTransform, IncreaseBppRules) {
  CPicImage truecolor(3, 3, 24);
  Fill(truecolor, 5, false);
  CPicImage before(truecolor);
  EXPECT_TRUE(truecolor.IncreaseBpp(24));
  EXPECT_EQ(memcmp(truecolor.GetDib(), before.GetDib(), truecolor.GetSize()), 0);
  EXPECT_FALSE(truecolor.IncreaseBpp(8));
  EXPECT_FALSE(truecolor.IncreaseBpp(16));
  CPicImage eight(2, 2, 8);
  EXPECT_FALSE(eight.IncreaseBpp(4));

  CPicImage mono(9, 2, 1);
  mono.SetPaletteColor(1, 255, 255, 255);
  Fill(mono, 3, false);
  mono.SetPaletteColor(0, 0, 0, 0);
  mono.SetPaletteColor(1, 255, 255, 255);
  CPicImage monoBefore(mono);
  ASSERT_TRUE(mono.IncreaseBpp(8));
  EXPECT_EQ(mono.GetBpp(), 8);
  EXPECT_EQ(mono.GetPaletteColor(1).rgbRed, 255);
  for (int i = 2; i < 256; ++i) EXPECT_EQ(mono.GetPaletteColor(BYTE(i)).rgbRed, 0);
  EXPECT_TRUE(SamePixels(mono, monoBefore));
}

TEST(PicTransform, IncreaseBppTo24KeepsOrMakesAlpha) {
  CPicImage withPlane(4, 2, 8);
  Fill(withPlane, 11, true);
  CPicImage before(withPlane);
  ASSERT_TRUE(withPlane.IncreaseBpp(24));
  EXPECT_EQ(withPlane.GetBpp(), 24);
  for (DWORD y = 0; y < 2; ++y) {
    for (DWORD x = 0; x < 4; ++x) {
      RGBQUAD expected = before.GetPixelColor(x, y);
      RGBQUAD got = withPlane.GetPixelColor(x, y);
      EXPECT_EQ(got.rgbRed, expected.rgbRed);
      EXPECT_EQ(got.rgbBlue, expected.rgbBlue);
      EXPECT_EQ(withPlane.AlphaGet(x, y), before.AlphaGet(x, y));
    }
  }

  CPicImage paletteAlpha(2, 1, 8);
  paletteAlpha.SetPaletteColor(3, 1, 2, 3, 128);
  paletteAlpha.SetPixelIndex(0, 0, 3);
  paletteAlpha.SetPixelIndex(1, 0, 4);
  paletteAlpha.SetTransIndex(4);
  ASSERT_TRUE(paletteAlpha.IncreaseBpp(24));
  EXPECT_EQ(paletteAlpha.AlphaGet(0, 0), 128);
  EXPECT_EQ(paletteAlpha.AlphaGet(1, 0), 0);
  EXPECT_EQ(paletteAlpha.GetTransIndex(), 4);

  CPicImage plain(2, 1, 4);
  ASSERT_TRUE(plain.IncreaseBpp(24));
  EXPECT_FALSE(plain.HasAlpha());
}
