// TGA codec: ImageMagick's and PIL's files in every depth, coding and row
// order decode to their pixels; ours read back; crafted packets and headers.
#include <gtest/gtest.h>

#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, PIC_FORMAT_TGA);
}

std::vector<unsigned char> Header(BYTE type, WORD width, WORD height, BYTE depth, BYTE descriptor = 0,
                                  BYTE mapType = 0, WORD mapFirst = 0, WORD mapLength = 0, BYTE mapBits = 0) {
  return {0, mapType, type, BYTE(mapFirst), BYTE(mapFirst >> 8), BYTE(mapLength), BYTE(mapLength >> 8), mapBits,
          0, 0, 0, 0, BYTE(width), BYTE(width >> 8), BYTE(height), BYTE(height >> 8), depth, descriptor};
}

std::vector<unsigned char> Join(std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(TgaCodec, ReadsImageMagickFilesInEveryOrigin) {
  REQUIRE_TOOL("convert");
  REQUIRE_PIL();
  struct Kind { const char* name; int colors; bool alpha; const char* options; BYTE depth; int tolerance; };
  const Kind kinds[] = {{"24-bit", 0, false, "", 24, 0},
                        {"32-bit", 0, true, "", 32, 0},
                        {"colour-mapped", 60, false, "-type Palette", 8, 0},
                        {"grey", 0, false, "-type Grayscale", 8, 0},
                        {"16-bit", 0, false, "-depth 5", 16, 8}};
  TempFolder folder;
  struct Made { std::string path, trace; const Kind* kind; };
  std::vector<Made> made;
  std::string commands = "true";
  for (const Kind& kind : kinds) {
    std::string in = folder.Path(std::string(kind.name) + ".pam");
    ASSERT_TRUE(WritePam(in, TestPicture(13, 6, kind.colors, kind.alpha)));
    for (const char* origin : {"BottomLeft", "TopLeft", "TopRight", "BottomRight"}) {
      for (const char* coding : {"None", "RLE"}) {
        std::string out = folder.Path(std::to_string(made.size()) + ".tga");
        std::string alpha = kind.alpha ? "" : "-alpha off";
        commands += " && convert " + Quote(in) + " " + alpha + " " + kind.options + " -orient " + origin +
                    " -compress " + coding + " " + Quote(out);
        made.push_back({out, std::string(kind.name) + " " + origin + " " + coding, &kind});
      }
    }
  }
  ASSERT_TRUE(RunTool(commands));
  // ImageMagick keeps the stored row order when reading; PIL turns the
  // picture by the descriptor's origin bits.
  std::vector<std::string> paths;
  for (const Made& m : made) paths.push_back(m.path);
  std::vector<Rgba> references;
  ASSERT_TRUE(DecodeAllWithPil(paths, &references));
  for (size_t i = 0; i < made.size(); ++i) {
    SCOPED_TRACE(made[i].trace);
    const Kind& kind = *made[i].kind;
    std::vector<unsigned char> file = ReadBytes(made[i].path);
    ASSERT_GT(file.size(), 18u);
    EXPECT_EQ(file[16], kind.depth);
    EXPECT_EQ(file[2] > 8, made[i].trace.find("RLE") != std::string::npos);
    CPicImage image;
    ASSERT_TRUE(LoadWithUs(made[i].path, PIC_FORMAT_TGA, &image)) << image.GetLastError();
    EXPECT_EQ(image.HasAlpha(), kind.alpha);
    EXPECT_TRUE(SamePicture(references[i], ToRgba(image), kind.alpha, kind.tolerance));
  }
}

TEST(TgaCodec, ReadsPilFiles) {
  REQUIRE_PIL();
  TempFolder folder;
  Rgba source = TestPicture(9, 4, 0, true);
  for (const char* mode : {"RGB", "RGBA", "L", "P"}) {
    for (const char* arguments : {"rle=False", "rle=True", "rle=True, orientation=1"}) {
      SCOPED_TRACE(std::string(mode) + " " + arguments);
      std::string path = folder.Path("pil.tga");
      ASSERT_TRUE(SaveWithPil(source, path, mode, arguments));
      Rgba reference;
      ASSERT_TRUE(DecodeWithPil(path, &reference));
      CPicImage image;
      ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TGA, &image)) << image.GetLastError();
      EXPECT_TRUE(SamePicture(reference, ToRgba(image), std::string(mode) == "RGBA"));
    }
  }
}

// A raw packet that runs past the end of a row continues on the next row.
TEST(TgaCodec, RawPacketsCarryOnIntoTheNextRow) {
  std::vector<unsigned char> data = {5, 1, 2, 3, 4, 5, 6};  // 6 raw 8-bit values
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(Join(Header(11, 3, 2, 8), data), &image)) << image.GetLastError();
  for (BYTE x = 0; x < 3; ++x) {
    EXPECT_EQ(image.GetPixelIndex(x, 0), x + 1);
    EXPECT_EQ(image.GetPixelIndex(x, 1), x + 4);
  }
  // Values past the last row are dropped.
  std::vector<unsigned char> longer = {9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_TRUE(DecodeBytes(Join(Header(11, 3, 2, 8), longer), &image));
  EXPECT_EQ(image.GetPixelIndex(2, 1), 6);
}

// Common writers let a run go on past the end of a row, as raw packets do.
TEST(TgaCodec, RunPacketsCarryOnIntoTheNextRow) {
  std::vector<unsigned char> data = {0x80 + 3, 7, 0x80 + 1, 9};  // four sevens, then two nines
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(Join(Header(11, 3, 2, 8), data), &image)) << image.GetLastError();
  const BYTE expected[2][3] = {{7, 7, 7}, {7, 9, 9}};
  for (LONG y = 0; y < 2; ++y)
    for (LONG x = 0; x < 3; ++x) EXPECT_EQ(image.GetPixelIndex(x, y), expected[y][x]) << x << "," << y;
  // A run longer than what is left of the picture ends with it.
  std::vector<unsigned char> longer = {255, 7};
  ASSERT_TRUE(DecodeBytes(Join(Header(11, 10, 2, 8), longer), &image));
  EXPECT_EQ(image.GetPixelIndex(9, 1), 7);
  // 24-bit runs keep their colour across the row end too.
  std::vector<unsigned char> colour = {0x80 + 2, 1, 2, 3, 0x00, 4, 5, 6};
  ASSERT_TRUE(DecodeBytes(Join(Header(10, 2, 2, 24), colour), &image)) << image.GetLastError();
  RGBQUAD carried = image.GetPixelColor(0, 1), last = image.GetPixelColor(1, 1);
  EXPECT_EQ(carried.rgbBlue, 1);
  EXPECT_EQ(carried.rgbRed, 3);
  EXPECT_EQ(last.rgbBlue, 4);
  EXPECT_EQ(last.rgbRed, 6);
}

// Map entries are read at their stored size and placed from the first index.
TEST(TgaCodec, ColorMapEntriesKeepTheirSizeAndFirstIndex) {
  std::vector<unsigned char> map = {0xFF, 0x7F, 0x1F, 0x00};  // two 16-bit entries
  std::vector<unsigned char> pixels = {2, 3};
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(Join(Join(Header(1, 2, 1, 8, 0, 1, 2, 2, 16), map), pixels), &image));
  EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 248);
  EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 248);
  EXPECT_EQ(image.GetPixelColor(1, 0).rgbBlue, 248);
  EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, 0);
  std::vector<unsigned char> map32 = {1, 2, 3, 4};
  ASSERT_TRUE(DecodeBytes(Join(Join(Header(1, 1, 1, 8, 0, 1, 0, 1, 32), map32), {0}), &image));
  EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 3);
}

TEST(TgaCodec, GreyFilesGetTheGreyRampAndSixteenBitWordsWiden) {
  std::vector<unsigned char> map = {1, 2, 3};
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(Join(Join(Header(3, 1, 1, 8, 0, 1, 0, 1, 24), map), {200}), &image));
  EXPECT_EQ(image.GetPixelColor(0, 0).rgbGreen, 200);
  ASSERT_TRUE(DecodeBytes(Join(Header(2, 1, 1, 16), {0xFF, 0x7F}), &image));
  RGBQUAD white = image.GetPixelColor(0, 0);
  EXPECT_EQ(white.rgbBlue, 248);
  EXPECT_EQ(white.rgbRed, 248);
}

TEST(TgaCodec, TopDownThirtyTwoBitKeepsAlphaWithItsRow) {
  std::vector<unsigned char> rows = {1, 1, 1, 10, 2, 2, 2, 20};  // 1 x 2, top row first
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(Join(Header(2, 1, 2, 32, 0x20), rows), &image));
  EXPECT_EQ(image.GetPixelColor(0, 1).rgbBlue, 1);
  EXPECT_EQ(image.AlphaGet(0, 1), 10);
  EXPECT_EQ(image.AlphaGet(0, 0), 20);
}

TEST(TgaCodec, BadFilesFailWithTheirTexts) {
  CPicImage image;
  EXPECT_FALSE(DecodeBytes({1, 2, 3}, &image));
  EXPECT_STREQ(image.GetLastError(), "Not a TGA");
  EXPECT_FALSE(DecodeBytes(Header(4, 1, 1, 8), &image));
  EXPECT_STREQ(image.GetLastError(), "Unknown TGA image type");
  EXPECT_FALSE(DecodeBytes(Header(2, 0, 1, 24), &image));
  EXPECT_STREQ(image.GetLastError(), "bad TGA header");
  EXPECT_FALSE(DecodeBytes(Header(2, 1, 1, 12), &image));
  EXPECT_STREQ(image.GetLastError(), "bad TGA header");
  EXPECT_FALSE(DecodeBytes(Header(1, 1, 1, 8, 0, 1, 0, 257, 24), &image));
  EXPECT_STREQ(image.GetLastError(), "bad TGA header");
  std::vector<unsigned char> half = Join(Header(2, 2, 4, 24), std::vector<unsigned char>(12, 5));
  EXPECT_FALSE(DecodeBytes(half, &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted TGA");
  // A file cut inside a packet or a colour map is corrupted too.
  EXPECT_FALSE(DecodeBytes(Join(Header(10, 4, 4, 24), {0x83}), &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted TGA");
  EXPECT_FALSE(DecodeBytes(Join(Header(10, 4, 1, 24), {0x03, 1, 2, 3}), &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted TGA");
  EXPECT_FALSE(DecodeBytes(Join(Header(1, 1, 1, 8, 0, 1, 0, 4, 24), {1, 2, 3, 4, 5}), &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted TGA");
}

TEST(TgaCodec, WritesFilesTheToolsRead) {
  REQUIRE_TOOL("identify");
  REQUIRE_PIL();
  TempFolder folder;
  Rgba source = TestPicture(7, 5, 0, true);
  for (DWORD bpp : {8u, 24u, 32u}) {
    SCOPED_TRACE(bpp);
    CPicImage image;
    ASSERT_TRUE(image.CreateFromBGRA(7, 5, std::vector<BYTE>(7 * 5 * 4, 0).data()));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        const unsigned char* p = source.At(x, y);
        image.SetPixelColor(x, 4 - y, RGBQUAD{p[2], p[1], p[0], p[3]}, true);
      }
    if (bpp == 24) image.AlphaDelete();
    if (bpp == 8) {
      CPicImage indexed(7, 5, 8);
      for (int i = 0; i < 256; ++i) indexed.SetPaletteColor(BYTE(i), BYTE(i), BYTE(255 - i), BYTE(i / 2));
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) indexed.SetPixelIndex(x, y, BYTE(x * 30 + y));
      image.Transfer(indexed);
    }
    std::string path = folder.Path("ours.tga");
    ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_TGA)) << image.GetLastError();
    EXPECT_EQ(ReadBytes(path)[16], bpp);
    EXPECT_TRUE(RunTool("identify " + Quote(path)));
    Rgba reference;
    ASSERT_TRUE(DecodeWithPil(path, &reference));
    EXPECT_TRUE(SamePicture(ToRgba(image), reference, bpp == 32));
  }
}

TEST(TgaCodec, EncoderScalesAlphaAndRefusesLowDepths) {
  CPicImage image(1, 1, 24);
  image.AlphaCreate();
  image.AlphaSet(200);
  image.SetAlphaMax(128);
  CPicMemFile file;
  file.Open();
  ASSERT_TRUE(image.Encode(&file, PIC_FORMAT_TGA));
  EXPECT_EQ(file.Size(), 22);
  EXPECT_EQ(file.GetBuffer(false)[21], 200 * 128 / 255);
  CPicImage mono(3, 3, 1);
  EXPECT_FALSE(mono.Encode(&file, PIC_FORMAT_TGA));
  EXPECT_STREQ(mono.GetLastError(), "Bit depth must be 8 or 24");
  CPicImage four(3, 3, 4);
  EXPECT_FALSE(four.Encode(&file, PIC_FORMAT_TGA));
}
