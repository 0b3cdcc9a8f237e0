// Palette entries, pixel packing, nearest colours, alpha and selection planes.
#include <gtest/gtest.h>

#include "imaging/pic_image.h"

TEST(PicPixels, NibblesAndBitsPackHighFirst) {
  CPicImage nibbles(3, 1, 4);
  nibbles.Clear(0);
  nibbles.SetPixelIndex(0, 0, 0x1F);
  nibbles.SetPixelIndex(1, 0, 3);
  EXPECT_EQ(nibbles.GetBits()[0], 0xF3);
  nibbles.SetPixelIndex(0, 0, 2);
  EXPECT_EQ(nibbles.GetBits()[0], 0x23);
  EXPECT_EQ(nibbles.GetPixelIndex(1, 0), 3);

  CPicImage bits(10, 1, 1);
  bits.Clear(0);
  bits.SetPixelIndex(0, 0, 1);
  bits.SetPixelIndex(9, 0, 3);
  EXPECT_EQ(bits.GetBits()[0], 0x80);
  EXPECT_EQ(bits.GetBits()[1], 0x40);
  bits.SetPixelIndex(0, 0, 0);
  EXPECT_EQ(bits.GetBits()[0], 0x00);
  EXPECT_EQ(bits.GetPixelIndex(9, 0), 1);
}

TEST(PicPixels, OutsideThePictureGivesTheTransparentIndex) {
  CPicImage image(2, 2, 8);
  EXPECT_EQ(image.GetPixelIndex(-1, 0), 0);
  image.SetTransIndex(5);
  EXPECT_EQ(image.GetPixelIndex(2, 0), 5);
  image.SetPixelIndex(5, 5, 9);  // ignored
  CPicImage truecolor(2, 2, 24);
  EXPECT_EQ(truecolor.GetPixelIndex(0, 0), 0);
}

TEST(PicPixels, ColorFourthByteComesFromPaletteOrAlphaPlane) {
  CPicImage truecolor(2, 2, 24);
  truecolor.SetPixelColor(1, 1, RGBQUAD{1, 2, 3, 99}, true);
  EXPECT_EQ(truecolor.GetPixelColor(1, 1).rgbReserved, 0);  // no plane yet
  truecolor.AlphaCreate();
  truecolor.SetPixelColor(1, 1, RGBQUAD{1, 2, 3, 99}, true);
  EXPECT_EQ(truecolor.GetPixelColor(1, 1).rgbReserved, 99);
  EXPECT_EQ(truecolor.GetPixelColor(1, 1).rgbRed, 3);

  CPicImage paletted(2, 2, 8);
  paletted.SetPaletteColor(0, 1, 1, 1, 44);
  paletted.AlphaCreate();
  paletted.AlphaSet(200);
  EXPECT_EQ(paletted.GetPixelColor(0, 0).rgbReserved, 44);
  paletted.SetPixelColor(0, 0, RGB(1, 1, 1));
  EXPECT_EQ(paletted.GetPixelIndex(0, 0), 0);
}

TEST(PicPixels, NearestIndexPrefersTheLowestOfEqualDistances) {
  CPicImage image(1, 1, 8);
  image.SetPaletteColor(3, 10, 0, 0);
  image.SetPaletteColor(7, 30, 0, 0);
  image.SetPaletteColor(9, 200, 100, 50);
  for (int i = 0; i < 256; ++i) {
    if (i != 3 && i != 7 && i != 9) image.SetPaletteColor(static_cast<BYTE>(i), 255, 255, 255);
  }
  EXPECT_EQ(image.GetNearestIndex(RGBQUAD{0, 0, 20, 0}), 3);
  EXPECT_EQ(image.GetNearestIndex(RGBQUAD{50, 100, 200, 0}), 9);
  EXPECT_EQ(image.GetNearestIndexCached(RGBQUAD{0, 0, 20, 0}), 3);
  image.SetPaletteColor(3, 255, 255, 255);
  // The cache holds the answer for the palette it was computed on.
  EXPECT_EQ(image.GetNearestIndexCached(RGBQUAD{0, 0, 20, 0}), 3);
  image.ResetNearestIndexCache(257);
  EXPECT_EQ(image.GetNearestIndexCached(RGBQUAD{0, 0, 20, 0}), 7);
}

TEST(PicPalette, GrayRampsAndTheGrayScaleTest) {
  CPicImage sixteen(1, 1, 4);
  sixteen.SetGrayPalette();
  EXPECT_EQ(sixteen.GetPaletteColor(1).rgbRed, 17);
  EXPECT_EQ(sixteen.GetPaletteColor(15).rgbBlue, 255);
  EXPECT_FALSE(sixteen.IsGrayScale());
  CPicImage full(1, 1, 8);
  full.SetGrayPalette();
  EXPECT_TRUE(full.IsGrayScale());
  CPicImage two(1, 1, 1);
  two.SetGrayPalette();
  EXPECT_EQ(two.GetPaletteColor(1).rgbGreen, 255);
}

TEST(PicPalette, AccessorsStayInsideThePalette) {
  CPicImage image(2, 1, 1);
  image.SetPaletteColor(1, 9, 8, 7, 6);
  image.SetPaletteColor(2, 1, 1, 1);  // beyond two entries: ignored
  RGBQUAD outside = image.GetPaletteColor(200);
  EXPECT_EQ(outside.rgbRed | outside.rgbGreen | outside.rgbBlue | outside.rgbReserved, 0);
  BYTE r = 0, g = 0, b = 0;
  EXPECT_FALSE(image.GetPaletteColor(2, &r, &g, &b));
  EXPECT_TRUE(image.GetPaletteColor(1, &r, &g, &b));
  EXPECT_EQ(r, 9);
  EXPECT_TRUE(image.AlphaPaletteIsValid());

  const PicRgbTriple triples[] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  image.SetPalette(triples, 3);
  EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 4);
  EXPECT_EQ(image.GetPaletteColor(1).rgbBlue, 6);
  EXPECT_EQ(image.GetPaletteColor(1).rgbReserved, 6);
  const BYTE reds[] = {50, 60};
  image.SetPalette(2, reds);
  EXPECT_EQ(image.GetPaletteColor(1).rgbBlue, 60);
}

TEST(PicPalette, SwapIndexSwapsEntriesAndPixels) {
  CPicImage image(3, 1, 4);
  image.SetPaletteColor(1, 10, 0, 0);
  image.SetPaletteColor(2, 20, 0, 0);
  image.SetPixelIndex(0, 0, 1);
  image.SetPixelIndex(1, 0, 2);
  image.SetPixelIndex(2, 0, 3);
  image.SwapIndex(1, 2);
  EXPECT_EQ(image.GetPixelIndex(0, 0), 2);
  EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
  EXPECT_EQ(image.GetPixelIndex(2, 0), 3);
  EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 20);
  // An index beyond the palette changes nothing.
  image.SwapIndex(1, 200);
  EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 20);
  EXPECT_EQ(image.GetPixelIndex(0, 0), 2);
}

TEST(PicAlpha, CreateFlipMirrorAndCopy) {
  CPicImage image(3, 2, 24);
  image.AlphaCreate();
  image.AlphaSet(0, 0, 1);
  image.AlphaSet(2, 1, 9);
  EXPECT_EQ(image.AlphaGet(3, 0), 0);
  ASSERT_TRUE(image.AlphaFlip());
  EXPECT_EQ(image.AlphaGet(0, 1), 1);
  ASSERT_TRUE(image.AlphaMirror());
  EXPECT_EQ(image.AlphaGet(2, 1), 1);
  EXPECT_EQ(image.AlphaGet(0, 0), 9);
  image.AlphaCreate();
  EXPECT_EQ(image.AlphaGet(0, 0), 0);

  CPicImage other(3, 2, 24);
  EXPECT_FALSE(other.AlphaCopy(CPicImage(3, 2, 24)));
  image.AlphaSet(5);
  image.SetAlphaMax(128);
  EXPECT_TRUE(other.AlphaCopy(image));
  EXPECT_EQ(other.AlphaGet(1, 1), 5);
  EXPECT_EQ(other.GetAlphaMax(), 128);
  CPicImage taller(3, 4, 24);
  EXPECT_FALSE(taller.AlphaCopy(image));
}

TEST(PicSelection, DeleteLeavesAnEmptyBox) {
  CPicImage image(10, 20, 8);
  EXPECT_TRUE(image.SelectionDelete());
  const RECT& box = image.GetSelectionBox();
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 0);
  EXPECT_EQ(box.bottom, 20);
}

TEST(PicColors, ConversionsSwapTheRightBytes) {
  RGBQUAD quad = CPicImage::RGBtoRGBQUAD(RGB(51, 34, 17));
  EXPECT_EQ(quad.rgbBlue, 17);
  EXPECT_EQ(quad.rgbGreen, 34);
  EXPECT_EQ(quad.rgbRed, 51);
  EXPECT_EQ(quad.rgbReserved, 0);
  CPicImage image(2, 1, 24);
  BYTE buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  image.RGBtoBGR(buffer, 6);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(buffer[3], 6);
  EXPECT_EQ(buffer[6], 7);
}
