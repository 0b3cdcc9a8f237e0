// PNG codec: files of every colour type and depth written by ImageMagick and
// PIL decode to their pixels; ours pass pngcheck and read back; transparency
// on both sides; broken streams fail with libpng's text.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/lib_codecs.h"
#include "imaging/pic_file.h"
#include "lib_codec_test_tools.h"

using namespace imaging_test;

namespace {

// An 8-bit picture with `colors` distinct entries, indices in a pattern.
void MakePaletted(CPicImage& image, DWORD width, DWORD height, DWORD bpp, DWORD colors) {
  image.Create(width, height, bpp, PIC_FORMAT_PNG);
  for (DWORD i = 0; i < image.GetColorCount(); ++i)
    image.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 37), static_cast<BYTE>(255 - i * 11),
                          static_cast<BYTE>(i * 5 + 3));
  for (DWORD y = 0; y < height; ++y)
    for (DWORD x = 0; x < width; ++x) image.SetPixelIndex(x, y, static_cast<BYTE>((x * 3 + y * 7) % colors));
}

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, PIC_FORMAT_PNG);
}

}  // namespace

TEST(PngCodec, ReadsEveryColourTypeAndDepthTheToolsWrite) {
  REQUIRE_TOOL("convert");
  REQUIRE_PIL();
  struct Kind { const char* name; const char* command; WORD bpp; bool alpha; int tolerance; };
  const Kind kinds[] = {
      {"grey1", "convert {rgb} -colorspace Gray -threshold 50% -define png:bit-depth=1 -define png:color-type=0", 1, false, 0},
      {"grey2", "convert {rgb} -colorspace Gray -depth 2 -define png:bit-depth=2 -define png:color-type=0", 4, false, 0},
      {"grey4", "convert {rgb} -colorspace Gray -depth 4 -define png:bit-depth=4 -define png:color-type=0", 4, false, 0},
      {"grey8", "convert {rgb} -colorspace Gray -define png:bit-depth=8 -define png:color-type=0", 8, false, 0},
      {"grey16", "convert {rgb} -colorspace Gray -depth 16 -define png:bit-depth=16 -define png:color-type=0", 8, false, 1},
      {"palette", "convert {pal} PNG8:", 8, false, 0},
      {"palette-trns", "convert {pala} PNG8:", 8, false, 0},
      {"rgb", "convert {rgb} PNG24:", 24, false, 0},
      {"rgb16", "convert {rgb} -depth 16 PNG48:", 24, false, 1},
      {"rgba", "convert {rgba} PNG32:", 24, true, 0},
      {"grey-alpha16", "convert {rgba} -colorspace Gray -depth 16 -define png:color-type=4", 24, true, 1},
      {"rgb-interlaced", "convert {rgb} -interlace PNG PNG24:", 24, false, 0},
      {"rgba-interlaced", "convert {rgba} -interlace PNG PNG32:", 24, true, 0},
      {"palette-interlaced", "convert {pal} -interlace PNG PNG8:", 8, false, 0},
      {"grey2-interlaced", "convert {rgb} -colorspace Gray -depth 2 -interlace PNG -define png:bit-depth=2 -define png:color-type=0", 4, false, 0},
  };
  TempFolder folder;
  std::string rgb = folder.Path("rgb.pam"), rgba = folder.Path("rgba.pam"), pal = folder.Path("pal.pam"),
              pala = folder.Path("pala.pam");
  ASSERT_TRUE(WritePam(rgb, TestPicture(37, 23)));
  ASSERT_TRUE(WritePam(rgba, TestPicture(37, 23, 0, true)));
  ASSERT_TRUE(WritePam(pal, TestPicture(37, 23, 40)));
  Rgba holes = TestPicture(37, 23, 12);
  for (size_t i = 0; i < holes.pixels.size(); i += 4) holes.pixels[i + 3] = holes.pixels[i] == 0 ? 0 : 255;
  ASSERT_TRUE(WritePam(pala, holes));
  std::vector<std::string> paths;
  std::string commands = "true";
  for (const Kind& kind : kinds) {
    std::string command = kind.command;
    for (auto [key, value] : {std::pair{"{rgb}", rgb}, {"{rgba}", rgba}, {"{pal}", pal}, {"{pala}", pala}}) {
      size_t at = command.find(key);
      if (at != std::string::npos) command.replace(at, strlen(key), Quote(value));
    }
    paths.push_back(folder.Path(std::string(kind.name) + ".png"));
    bool prefixed = command.back() == ':';
    commands += " && " + command + (prefixed ? "" : " ") + Quote(prefixed ? paths.back() : "png:" + paths.back());
  }
  ASSERT_TRUE(RunTool(commands));
  std::vector<Rgba> references;
  ASSERT_TRUE(DecodeAllWithPil(paths, &references));
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(kinds[i].name);
    if (std::string(kinds[i].name).find("16") != std::string::npos) {
      // PIL clips 16-bit grey on conversion; ImageMagick scales it.
      ASSERT_TRUE(DecodeWithMagick(paths[i], &references[i]));
    }
    CPicImage image;
    ASSERT_TRUE(LoadWithUs(paths[i], PIC_FORMAT_PNG, &image)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), kinds[i].bpp);
    if (std::string(kinds[i].name) == "palette-trns") {
      // One fully transparent entry first: a transparent index, not alpha.
      ASSERT_EQ(image.GetTransIndex(), 0);
      for (int y = 0; y < references[i].height; ++y)
        for (int x = 0; x < references[i].width; ++x)
          EXPECT_EQ(references[i].At(x, y)[3] == 0, image.GetPixelIndex(x, references[i].height - 1 - y) == 0);
    }
    Rgba ours = ToRgba(image);
    EXPECT_EQ(ours.hasAlpha, kinds[i].alpha);
    EXPECT_TRUE(SamePicture(references[i], ours, kinds[i].alpha, kinds[i].tolerance));
  }
}

TEST(PngCodec, TwoBitGreyBecomesFourBitWithItsRamp) {
  REQUIRE_TOOL("convert");
  TempFolder folder;
  std::string path = folder.Path("g2.png");
  ASSERT_TRUE(RunTool("convert -size 8x2 gradient:black-white -depth 2 -define png:bit-depth=2 "
                      "-define png:color-type=0 " + Quote("png:" + path)));
  CPicImage image;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_PNG, &image)) << image.GetLastError();
  ASSERT_EQ(image.GetBpp(), 4);
  EXPECT_EQ(image.GetColorCount(), 16u);
  for (BYTE i = 0; i < 4; ++i) EXPECT_EQ(image.GetPaletteColor(i).rgbGreen, i * 85);
  EXPECT_EQ(image.GetPixelIndex(0, 1), 0);
  EXPECT_EQ(image.GetPixelIndex(0, 0), 3);
}

TEST(PngCodec, PaletteTransparencyTables) {
  REQUIRE_PIL();
  TempFolder folder;
  Rgba picture = TestPicture(9, 5, 6);
  std::string one = folder.Path("one.png"), two = folder.Path("two.png");
  ASSERT_TRUE(SaveWithPil(picture, one, "P", "transparency=0"));
  ASSERT_TRUE(SaveWithPil(picture, two, "P", "transparency=bytes([0, 128])"));
  CPicImage single;
  ASSERT_TRUE(LoadWithUs(one, PIC_FORMAT_PNG, &single)) << single.GetLastError();
  EXPECT_EQ(single.GetTransIndex(), 0);
  EXPECT_FALSE(single.IsAlphaPalette());
  CPicImage table;
  ASSERT_TRUE(LoadWithUs(two, PIC_FORMAT_PNG, &table)) << table.GetLastError();
  EXPECT_EQ(table.GetTransIndex(), -1);
  EXPECT_TRUE(table.IsAlphaPalette());
  EXPECT_EQ(table.GetPaletteColor(0).rgbReserved, 0);
  EXPECT_EQ(table.GetPaletteColor(1).rgbReserved, 128);
  EXPECT_EQ(table.GetPaletteColor(2).rgbReserved, 255);
}

TEST(PngCodec, WritesFilesPngcheckAcceptsAndReadsThemBack) {
  REQUIRE_TOOL("pngcheck");
  REQUIRE_PIL();
  TempFolder folder;
  struct Case { const char* name; DWORD bpp; bool alpha; const char* header; };
  const Case cases[] = {{"p1", 1, false, "1-bit palette"},   {"p4", 4, false, "4-bit palette"},
                        {"p8", 8, false, "8-bit palette"},   {"rgb", 24, false, "24-bit RGB"},
                        {"rgba", 24, true, "32-bit RGB+alpha"}};
  std::vector<std::string> paths;
  std::vector<Rgba> written;
  for (const Case& c : cases) {
    CPicImage image;
    if (c.bpp == 24) {
      CPicImage made = FromRgba(TestPicture(21, 11, 0, c.alpha), c.alpha);
      image.Transfer(made);
    } else {
      MakePaletted(image, 21, 11, c.bpp, 1u << (c.bpp > 4 ? 5 : c.bpp));
    }
    paths.push_back(folder.Path(std::string(c.name) + ".png"));
    ASSERT_TRUE(image.Save(paths.back().c_str(), PIC_FORMAT_PNG)) << image.GetLastError();
    written.push_back(ToRgba(image));
    std::string report = Capture("pngcheck -v " + Quote(paths.back()));
    EXPECT_NE(report.find(c.header), std::string::npos) << report;
    EXPECT_NE(report.find("No errors detected"), std::string::npos) << report;
  }
  std::vector<Rgba> references;
  ASSERT_TRUE(DecodeAllWithPil(paths, &references));
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_TRUE(SamePicture(written[i], references[i], cases[i].alpha));
    CPicImage back;
    ASSERT_TRUE(LoadWithUs(paths[i], PIC_FORMAT_PNG, &back)) << back.GetLastError();
    EXPECT_TRUE(SamePicture(written[i], ToRgba(back), cases[i].alpha));
  }
}

TEST(PngCodec, TransparentIndexMovesToTheFrontOfTheFile) {
  REQUIRE_TOOL("pngcheck");
  TempFolder folder;
  CPicImage image;
  MakePaletted(image, 10, 4, 8, 9);
  image.SetTransIndex(5);
  RGBQUAD fifth = image.GetPaletteColor(5), first = image.GetPaletteColor(0);
  std::string path = folder.Path("t.png");
  ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_PNG)) << image.GetLastError();
  std::string report = Capture("pngcheck -v " + Quote(path));
  EXPECT_NE(report.find("chunk tRNS at offset"), std::string::npos) << report;
  EXPECT_NE(report.find("length 1"), std::string::npos) << report;
  // The caller's picture has the two entries exchanged and its pixels renumbered.
  EXPECT_EQ(image.GetTransIndex(), 0);
  EXPECT_EQ(image.GetPaletteColor(0).rgbRed, fifth.rgbRed);
  EXPECT_EQ(image.GetPaletteColor(5).rgbRed, first.rgbRed);
  EXPECT_EQ(image.GetPixelIndex(0, 0), 5);
  CPicImage back;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_PNG, &back));
  EXPECT_EQ(back.GetTransIndex(), 0);
  EXPECT_EQ(back.GetPaletteColor(0).rgbRed, fifth.rgbRed);
}

// A transparent index beyond a 16-entry palette once swapped entries the
// palette does not have; it is ignored and no tRNS is written.
TEST(PngCodec, TransparentIndexOutsideThePaletteIsIgnored) {
  REQUIRE_TOOL("pngcheck");
  TempFolder folder;
  CPicImage image;
  MakePaletted(image, 10, 4, 4, 16);
  image.SetTransIndex(200);
  RGBQUAD first = image.GetPaletteColor(0);
  std::string path = folder.Path("t.png");
  ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_PNG)) << image.GetLastError();
  std::string report = Capture("pngcheck -v " + Quote(path));
  EXPECT_EQ(report.find("tRNS"), std::string::npos) << report;
  EXPECT_NE(report.find("No errors detected"), std::string::npos) << report;
  EXPECT_EQ(image.GetPaletteColor(0).rgbRed, first.rgbRed);
  EXPECT_EQ(image.GetTransIndex(), 200);
}

// A paletted picture with an alpha plane is written as colour type 6, where a
// tRNS chunk is forbidden.
TEST(PngCodec, PalettedPictureWithAlphaWritesNoTransparencyTable) {
  REQUIRE_TOOL("pngcheck");
  TempFolder folder;
  CPicImage image;
  MakePaletted(image, 10, 4, 8, 9);
  image.SetTransIndex(3);
  image.SetAlphaPalette(true);
  ASSERT_TRUE(image.AlphaCreate());
  image.AlphaSet(200);
  std::string path = folder.Path("t.png");
  ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_PNG)) << image.GetLastError();
  std::string report = Capture("pngcheck -v " + Quote(path));
  EXPECT_NE(report.find("32-bit RGB+alpha"), std::string::npos) << report;
  EXPECT_EQ(report.find("tRNS"), std::string::npos) << report;
  EXPECT_NE(report.find("No errors detected"), std::string::npos) << report;
  CPicImage back;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_PNG, &back));
  EXPECT_EQ(back.AlphaGet(4, 2), 200);
}

TEST(PngCodec, AlphaIsScaledByTheAlphaMaximum) {
  CPicImage image = FromRgba(TestPicture(6, 3, 0, true), true);
  image.AlphaSet(200);
  image.SetAlphaMax(128);
  CPicMemFile out;
  out.Open();
  ASSERT_TRUE(image.Encode(&out, PIC_FORMAT_PNG));
  CPicImage back;
  out.Seek(0, SEEK_SET);
  ASSERT_TRUE(back.Decode(&out, PIC_FORMAT_PNG)) << back.GetLastError();
  EXPECT_EQ(back.AlphaGet(2, 1), 200 * 128 / 255);
}

TEST(PngCodec, TransparentColourOfATrueColourPictureBecomesAlpha) {
  Rgba picture = TestPicture(8, 4, 6);
  CPicImage image = FromRgba(picture, false);
  RGBQUAD key = image.GetPixelColor(0, 3);
  key.rgbReserved = 0;
  image.SetTransColor(key);
  image.SetTransIndex(0);
  CPicMemFile out;
  out.Open();
  ASSERT_TRUE(image.Encode(&out, PIC_FORMAT_PNG));
  // The plane made for the call is gone afterwards.
  EXPECT_FALSE(image.HasAlpha());
  CPicImage back;
  out.Seek(0, SEEK_SET);
  ASSERT_TRUE(back.Decode(&out, PIC_FORMAT_PNG)) << back.GetLastError();
  ASSERT_TRUE(back.HasAlpha());
  for (LONG y = 0; y < 4; ++y) {
    for (LONG x = 0; x < 8; ++x) {
      RGBQUAD c = image.GetPixelColor(x, y);
      bool keyed = c.rgbBlue == key.rgbBlue && c.rgbGreen == key.rgbGreen && c.rgbRed == key.rgbRed;
      EXPECT_EQ(back.AlphaGet(x, y), keyed ? 0 : 255) << x << "," << y;
    }
  }
}

TEST(PngCodec, BrokenStreamsFailWithLibpngsText) {
  CPicImage image = FromRgba(TestPicture(40, 30), false);
  CPicMemFile out;
  out.Open();
  ASSERT_TRUE(image.Encode(&out, PIC_FORMAT_PNG));
  BYTE* data = out.GetBuffer(false);
  std::vector<unsigned char> whole(data, data + out.Size());

  CPicImage cut;
  std::vector<unsigned char> half(whole.begin(), whole.begin() + whole.size() / 2);
  EXPECT_FALSE(DecodeBytes(half, &cut));
  EXPECT_STREQ(cut.GetLastError(), "Read Error");
  std::vector<unsigned char> crc = whole;
  crc[20] ^= 1;  // inside IHDR
  EXPECT_FALSE(DecodeBytes(crc, &cut));
  EXPECT_NE(std::string(cut.GetLastError()).find("CRC"), std::string::npos) << cut.GetLastError();
  EXPECT_FALSE(DecodeBytes({}, &cut));
  EXPECT_STREQ(cut.GetLastError(), "Read Error");
}

TEST(PngCodec, ExpandsTwoBitRowsInPlace) {
  BYTE row[4] = {0x1B, 0xE4, 0, 0};  // 0 1 2 3 3 2 1 0
  CPicImagePNG::Expand2to4bpp(row, 8);
  EXPECT_EQ(row[0], 0x01);
  EXPECT_EQ(row[1], 0x23);
  EXPECT_EQ(row[2], 0x32);
  EXPECT_EQ(row[3], 0x10);
}

TEST(PngCodec, SavingToAFullDiskFails) {
  FILE* probe = fopen("/dev/full", "wb");
  if (!probe) GTEST_SKIP() << "no /dev/full";
  fclose(probe);
  CPicImage image(40, 30, 24);
  image.Clear(77);
  EXPECT_FALSE(image.Save("/dev/full", PIC_FORMAT_PNG));
  EXPECT_STREQ(image.GetLastError(), "Error saving PNG file");
}
