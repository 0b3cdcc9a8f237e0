// PCX codec: netpbm's and ImageMagick's files of every plane layout decode to
// what pcxtoppm makes of them; ours read back in pcxtoppm and ImageMagick;
// run-length rules and hostile headers.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, PIC_FORMAT_PCX);
}

std::vector<unsigned char> Encoded(CPicImage& image) {
  CPicMemFile file;
  file.Open();
  EXPECT_TRUE(image.Encode(&file, PIC_FORMAT_PCX)) << image.GetLastError();
  return std::vector<unsigned char>(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
}

std::vector<unsigned char> Header(BYTE bits, BYTE planes, WORD width, WORD height, WORD bytesPerLine) {
  std::vector<unsigned char> header(128, 0);
  header[0] = 10;
  header[1] = 5;
  header[2] = 1;
  header[3] = bits;
  header[8] = BYTE(width - 1);
  header[9] = BYTE((width - 1) >> 8);
  header[10] = BYTE(height - 1);
  header[11] = BYTE((height - 1) >> 8);
  header[65] = planes;
  header[66] = BYTE(bytesPerLine);
  header[67] = BYTE(bytesPerLine >> 8);
  return header;
}

bool PcxToPpm(const std::string& path, Rgba* picture) {
  std::string ppm = path + ".ppm";
  return RunTool("pcxtoppm " + Quote(path) + " > " + Quote(ppm)) && ReadNetpbm(ppm, picture);
}

}  // namespace

TEST(PcxCodec, ReadsNetpbmAndImageMagickFiles) {
  REQUIRE_TOOL("ppmtopcx");
  REQUIRE_TOOL("pcxtoppm");
  REQUIRE_TOOL("convert");
  struct Case { const char* name; int colors; const char* command; BYTE bits, planes; } cases[] = {
      {"1 plane of 1 bit", 2, "ppmtopcx {in} > {out}", 1, 1},
      {"2 planes of 1 bit", 4, "ppmtopcx {in} > {out}", 1, 2},
      {"4 planes of 1 bit", 16, "ppmtopcx {in} > {out}", 1, 4},
      {"packed 2 bits", 4, "ppmtopcx -packed {in} > {out}", 2, 1},
      {"packed 4 bits", 16, "ppmtopcx -packed {in} > {out}", 4, 1},
      {"8 bits", 100, "ppmtopcx -8bit {in} > {out}", 8, 1},
      {"24 bits", 0, "ppmtopcx -24bit {in} > {out}", 8, 3},
      {"ImageMagick 8 bits", 100, "convert {in} -type Palette PCX:{out}", 8, 1},
      {"ImageMagick 24 bits", 0, "convert {in} PCX:{out}", 8, 3},
  };
  TempFolder folder;
  for (int width : {13, 16}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " width " + std::to_string(width));
      std::string in = folder.Path("source.ppm"), out = folder.Path("tool.pcx");
      ASSERT_TRUE(WritePpm(in, TestPicture(width, 6, c.colors)));
      std::string command = c.command;
      command.replace(command.find("{in}"), 4, Quote(in));
      command.replace(command.find("{out}"), 5, Quote(out));
      ASSERT_TRUE(RunTool(command));
      std::vector<unsigned char> file = ReadBytes(out);
      ASSERT_GT(file.size(), 128u);
      EXPECT_EQ(file[3], c.bits);
      EXPECT_EQ(file[65], c.planes);
      Rgba reference;
      ASSERT_TRUE(PcxToPpm(out, &reference));
      CPicImage image;
      ASSERT_TRUE(LoadWithUs(out, PIC_FORMAT_PCX, &image)) << image.GetLastError();
      EXPECT_TRUE(SamePicture(reference, ToRgba(image), false));
    }
  }
}

TEST(PcxCodec, WritesFilesTheToolsRead) {
  REQUIRE_TOOL("pcxtoppm");
  TempFolder folder;
  for (DWORD bpp : {1u, 4u, 8u, 24u}) {
    for (DWORD width : {13u, 64u}) {
      SCOPED_TRACE(std::to_string(bpp) + " bits, width " + std::to_string(width));
      CPicImage image(width, 5, bpp);
      for (DWORD i = 0; i < image.GetColorCount(); ++i)
        image.SetPaletteColor(BYTE(i), BYTE(i * 16 + 5), BYTE(250 - i), BYTE(i * 7));
      if (bpp == 1) image.SetGrayPalette();  // the format's one-bit files are black and white
      for (DWORD y = 0; y < 5; ++y)
        for (DWORD x = 0; x < width; ++x) {
          if (bpp == 24) image.SetPixelColor(x, y, RGBQUAD{BYTE(x * 9), BYTE(x < 40 ? 200 : y * 40), BYTE(x * y), 0});
          else image.SetPixelIndex(x, y, BYTE(x / 3 + y));
        }
      std::string path = folder.Path("ours.pcx");
      ASSERT_TRUE(WriteBytes(path, Encoded(image)));
      Rgba reference;
      ASSERT_TRUE(PcxToPpm(path, &reference));
      EXPECT_TRUE(SamePicture(ToRgba(image), reference, false));
    }
  }
}

TEST(PcxCodec, WritesAlphaAsAFourthPlane) {
  REQUIRE_TOOL("convert");
  TempFolder folder;
  CPicImage image(5, 3, 24);
  image.AlphaCreate();
  for (DWORD y = 0; y < 3; ++y)
    for (DWORD x = 0; x < 5; ++x) {
      image.SetPixelColor(x, y, RGBQUAD{BYTE(x * 50), 9, BYTE(y * 100), 0});
      image.AlphaSet(x, y, BYTE(x * 60));
    }
  std::vector<unsigned char> bytes = Encoded(image);
  EXPECT_EQ(bytes[65], 4);
  EXPECT_EQ(bytes[66], 6);  // even bytes per line for an odd width
  CPicImage back;
  ASSERT_TRUE(DecodeBytes(bytes, &back));
  EXPECT_TRUE(SamePicture(ToRgba(image), ToRgba(back)));
  std::string path = folder.Path("alpha.pcx");
  ASSERT_TRUE(WriteBytes(path, bytes));
  Rgba reference;
  ASSERT_TRUE(DecodeWithMagick(path, &reference));
  EXPECT_TRUE(SamePicture(ToRgba(image), reference, false));
}

TEST(PcxCodec, RunsOfSixtyFourAndOddWidthPadding) {
  for (BYTE value : {BYTE(200), BYTE(100)}) {
    CPicImage image(64, 1, 8);
    image.Clear(value);
    std::vector<unsigned char> bytes = Encoded(image);
    std::vector<unsigned char> data(bytes.begin() + 128, bytes.end() - 769);
    if (value == 200) EXPECT_EQ(data, (std::vector<unsigned char>{255, 200, 193, 200}));
    else EXPECT_EQ(data, (std::vector<unsigned char>{255, 100, 100}));
  }
  CPicImage odd(3, 1, 24);
  odd.Clear(7);
  std::vector<unsigned char> bytes = Encoded(odd);
  EXPECT_EQ(bytes[66], 4);
  // Each plane row: a run of three 7s, then the pad byte.
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 128, bytes.end()),
            (std::vector<unsigned char>{195, 7, 0, 195, 7, 0, 195, 7, 0}));
}

TEST(PcxCodec, MonochromeFilesAreBlackAndWhite) {
  CPicImage image(8, 1, 1);
  image.SetPaletteColor(0, 255, 255, 255);
  image.SetPaletteColor(1, 0, 0, 0);
  image.Clear(0x0F);  // four white, four black
  std::vector<unsigned char> bytes = Encoded(image);
  // Indices inverted so that the file's 0 bits are the black pixels.
  EXPECT_EQ(bytes[128], 193);  // a run of one byte above 191
  EXPECT_EQ(bytes[129], 0xF0);
  EXPECT_EQ(bytes[19], 255);
  CPicImage back;
  ASSERT_TRUE(DecodeBytes(bytes, &back));
  EXPECT_EQ(back.GetPixelColor(0, 0).rgbRed, 255);
  EXPECT_EQ(back.GetPixelColor(7, 0).rgbRed, 0);
  // The header's map does not matter for one plane of one bit.
  bytes[16] = 200;
  ASSERT_TRUE(DecodeBytes(bytes, &back));
  EXPECT_EQ(back.GetPaletteColor(0).rgbRed, 0);
}

TEST(PcxCodec, BadFilesFailWithTheirTexts) {
  CPicImage image;
  EXPECT_FALSE(DecodeBytes(std::vector<unsigned char>(60, 10), &image));
  EXPECT_STREQ(image.GetLastError(), "Can't read PCX image");
  std::vector<unsigned char> header = Header(8, 1, 4, 1, 4);
  header[0] = 5;
  EXPECT_FALSE(DecodeBytes(header, &image));
  EXPECT_STREQ(image.GetLastError(), "Error: Not a PCX file");
  header = Header(8, 1, 4, 1, 4);
  header[2] = 0;
  EXPECT_FALSE(DecodeBytes(header, &image));
  EXPECT_STREQ(image.GetLastError(), "PCX file has unknown encoding scheme");
  EXPECT_FALSE(DecodeBytes(Header(8, 5, 4, 1, 4), &image));
  EXPECT_STREQ(image.GetLastError(), "Can't handle image with more than 4 planes");
  // Rows shorter than the picture are refused before anything is read.
  EXPECT_FALSE(DecodeBytes(Header(8, 1, 640, 1, 2), &image));
  EXPECT_STREQ(image.GetLastError(), "PCX bytes per line too small");
  EXPECT_FALSE(DecodeBytes(Header(1, 1, 17, 1, 2), &image));

  std::vector<unsigned char> file = Header(8, 1, 640, 1, 640);
  file.push_back(0xC0 + 63);
  file.push_back(1);
  file.resize(file.size() + 577, 3);
  file.push_back(0);
  EXPECT_FALSE(DecodeBytes(file, &image));
  EXPECT_STREQ(image.GetLastError(), "bad color map signature");

  std::vector<unsigned char> shortMap = Header(8, 1, 2, 1, 2);
  shortMap.insert(shortMap.end(), {1, 2, 12, 0, 0, 0});
  EXPECT_FALSE(DecodeBytes(shortMap, &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted PCX");

  std::vector<unsigned char> span = Header(8, 1, 4, 1, 4);
  span.insert(span.end(), {1, 0xC5, 7});
  EXPECT_FALSE(DecodeBytes(span, &image));
  EXPECT_STREQ(image.GetLastError(), "repeat count spans end of image");
  std::vector<unsigned char> cut = Header(8, 1, 4, 2, 4);
  cut.insert(cut.end(), {1, 2});
  EXPECT_FALSE(DecodeBytes(cut, &image));
  EXPECT_STREQ(image.GetLastError(), "corrupted PCX");
  std::vector<unsigned char> twoPlanes = Header(8, 2, 4, 1, 4);
  twoPlanes.resize(twoPlanes.size() + 8, 1);
  EXPECT_FALSE(DecodeBytes(twoPlanes, &image));
  EXPECT_STREQ(image.GetLastError(), "Can't handle more than 1 bit per pixel");
}
