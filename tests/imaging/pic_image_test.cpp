// The image object: storage layout, copies, ghosts and hand-over.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/pic_image.h"

TEST(PicImage, CreateNormalisesDepthAndPadsRows) {
  CPicImage image;
  ASSERT_TRUE(image.Create(5, 2, 2));
  EXPECT_EQ(image.GetBpp(), 4);
  EXPECT_EQ(image.GetColorCount(), 16u);
  ASSERT_TRUE(image.Create(5, 2, 16));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(image.GetPalette(), nullptr);
  ASSERT_TRUE(image.Create(5, 2, 32));
  EXPECT_EQ(image.GetBpp(), 24);

  struct Case { DWORD width, bpp, rowBytes; } cases[] = {
      {3, 24, 12}, {1, 24, 4}, {33, 1, 8}, {32, 1, 4}, {9, 4, 8}, {5, 8, 8}};
  for (const Case& c : cases) {
    ASSERT_TRUE(image.Create(c.width, 3, c.bpp));
    EXPECT_EQ(image.GetRowBytes(), c.rowBytes) << c.width << "x" << c.bpp;
    EXPECT_EQ(image.GetHeader().biSizeImage, c.rowBytes * 3);
    EXPECT_EQ(image.GetBits(), static_cast<BYTE*>(image.GetDib()) + 40 + 4 * image.GetColorCount());
  }
}

TEST(PicImage, CreateRefusesEmptyAndOversizedPictures) {
  CPicImage image;
  EXPECT_EQ(image.Create(0, 10, 24), nullptr);
  EXPECT_EQ(image.Create(10, 0, 8), nullptr);
  EXPECT_EQ(image.Create(0x80000000u, 1, 1), nullptr);
  EXPECT_EQ(image.Create(65536, 65536, 24), nullptr);
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(image.GetBits(), nullptr);
}

TEST(PicImage, StartupDefaults) {
  CPicImage image;
  EXPECT_EQ(image.GetJpegQuality(), 75);
  EXPECT_EQ(image.GetTransIndex(), -1);
  EXPECT_EQ(image.GetAlphaMax(), 255);
  EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 2835);
  image.SetXDPI(96);
  EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 3780);
  image.SetJpegQuality(0);
  EXPECT_EQ(image.GetJpegQuality(), 1);
}

TEST(PicImage, CreateFromBGRAPutsTheFirstLineOnTopAndKeepsAlpha) {
  const BYTE pixels[] = {1, 2, 3, 10, 4, 5, 6, 20,    // top line
                         7, 8, 9, 30, 11, 12, 13, 40};  // bottom line
  CPicImage image;
  ASSERT_TRUE(image.CreateFromBGRA(2, 2, pixels));
  EXPECT_EQ(image.GetBpp(), 24);
  RGBQUAD topLeft = image.GetPixelColor(0, 1);
  EXPECT_EQ(topLeft.rgbBlue, 1);
  EXPECT_EQ(topLeft.rgbRed, 3);
  EXPECT_EQ(topLeft.rgbReserved, 10);
  EXPECT_EQ(image.AlphaGet(1, 1), 20);
  EXPECT_EQ(image.AlphaGet(0, 0), 30);
  EXPECT_EQ(image.GetPixelColor(1, 0).rgbGreen, 12);
  EXPECT_FALSE(image.CreateFromBGRA(2, 2, nullptr));
}

TEST(PicImage, TransferLeavesTheSourceEmpty) {
  CPicImage target;
  {
    CPicImage source(4, 4, 8, PIC_FORMAT_PCX);
    source.Clear(9);
    source.AlphaCreate();
    target.Transfer(source);
    EXPECT_FALSE(source.IsValid());
    EXPECT_FALSE(source.HasAlpha());
  }
  ASSERT_TRUE(target.IsValid());
  EXPECT_EQ(target.GetPixelIndex(3, 3), 9);
  EXPECT_TRUE(target.HasAlpha());
  EXPECT_EQ(target.GetFormatId(), static_cast<DWORD>(PIC_FORMAT_PCX));
}

TEST(PicImage, GhostSharesAndFreesNothing) {
  CPicImage source(3, 3, 24);
  source.AlphaCreate();
  source.Clear(5);
  {
    CPicImage ghost;
    ghost.Ghost(&source);
    EXPECT_TRUE(ghost.IsGhost());
    EXPECT_EQ(ghost.GetBits(), source.GetBits());
  }
  EXPECT_EQ(source.GetBits()[0], 5);
  EXPECT_TRUE(source.HasAlpha());
}

TEST(PicImage, CreateOnAGhostLeavesTheSourcePlanesAlone) {
  CPicImage source(3, 3, 24);
  source.AlphaCreate();
  source.AlphaSet(77);
  CPicImage ghost;
  ghost.Ghost(&source);
  ASSERT_TRUE(ghost.Create(2, 2, 8));
  EXPECT_FALSE(ghost.IsGhost());
  EXPECT_FALSE(ghost.HasAlpha());
  EXPECT_NE(ghost.GetBits(), source.GetBits());
  EXPECT_EQ(source.AlphaGet(2, 2), 77);
}

TEST(PicImage, CopyOfAGhostIsAnIndependentImage) {
  CPicImage source(3, 2, 8);
  source.SetPixelIndex(1, 1, 42);
  source.AlphaCreate();
  CPicImage ghost;
  ghost.Ghost(&source);
  CPicImage copy(ghost);
  EXPECT_FALSE(copy.IsGhost());
  EXPECT_NE(copy.GetBits(), source.GetBits());
  EXPECT_EQ(copy.GetPixelIndex(1, 1), 42);
  EXPECT_NE(copy.GetAlphaPlane(), source.GetAlphaPlane());

  CPicImage info;
  info.CopyInfo(ghost);
  EXPECT_FALSE(info.IsGhost());
  EXPECT_EQ(info.GetInfo().pixels, nullptr);
}

TEST(PicImage, CopyWithoutPixelsTakesPaletteOnly) {
  CPicImage source(4, 1, 4);
  source.SetPaletteColor(3, 10, 20, 30);
  source.Clear(0x33);
  source.SetTransIndex(3);
  CPicImage copy(source, false, false, false);
  EXPECT_EQ(copy.GetPaletteColor(3).rgbGreen, 20);
  EXPECT_EQ(copy.GetTransIndex(), 3);
}

TEST(PicImage, TransColorComesFromThePaletteBelow24Bits) {
  CPicImage image(2, 2, 8);
  image.SetPaletteColor(5, 1, 2, 3);
  image.SetTransColor(RGBQUAD{9, 9, 9, 0});
  image.SetTransIndex(5);
  EXPECT_EQ(image.GetTransColor().rgbRed, 1);
  image.Create(2, 2, 24);
  EXPECT_EQ(image.GetTransColor().rgbRed, 9);
}

TEST(PicImage, LuminanceComparison) {
  const BYTE white[3] = {255, 255, 255}, black[3] = {0, 0, 0}, red[3] = {0, 0, 100}, green[3] = {0, 51, 0};
  EXPECT_EQ(CPicImage::CompareColorsByLuminance(white, black), 1);
  EXPECT_EQ(CPicImage::CompareColorsByLuminance(black, white), -1);
  // 30 x 100 / 100 = 30 and 59 x 51 / 100 = 30.
  EXPECT_EQ(CPicImage::CompareColorsByLuminance(red, green), 0);
}

TEST(PicImage, LastErrorIsCutTo255Characters) {
  CPicImage image;
  std::string text(300, 'x');
  image.SetLastError(text.c_str());
  EXPECT_EQ(strlen(image.GetLastError()), 255u);
}

TEST(PicImage, BitfieldPixelsWidenInPlaceAndFromQuads) {
  CPicImage image(3, 2, 24);
  // 5-6-5 words laid out as 16-bit rows (8 bytes each) at the start of the
  // picture's own pixel block.
  BYTE* bits = image.GetBits();
  const WORD words[2][3] = {{0xF800, 0x07E0, 0x001F}, {0xFFFF, 0x0000, 0x0841}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      bits[y * 8 + 2 * x] = BYTE(words[y][x]);
      bits[y * 8 + 2 * x + 1] = BYTE(words[y][x] >> 8);
    }
  image.Bitfield2RGB(bits, 0xF800, 0x07E0, 0x001F, 16);
  EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 248);
  EXPECT_EQ(image.GetPixelColor(1, 0).rgbGreen, 252);
  EXPECT_EQ(image.GetPixelColor(2, 0).rgbBlue, 248);
  EXPECT_EQ(image.GetPixelColor(0, 1).rgbGreen, 252);
  RGBQUAD low = image.GetPixelColor(2, 1);
  EXPECT_EQ(low.rgbRed, 8);
  EXPECT_EQ(low.rgbGreen, 8);
  EXPECT_EQ(low.rgbBlue, 8);

  std::vector<BYTE> quads = {1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99, 10, 11, 12, 99, 13, 14, 15, 99, 16, 17, 18, 99};
  image.Bitfield2RGB(quads.data(), 0, 0, 0, 32);
  EXPECT_EQ(image.GetPixelColor(2, 1).rgbRed, 18);
  EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 1);
  EXPECT_FALSE(image.HasAlpha());
}
