// TIFF codec: ImageMagick's and tiffcp's files in every compression, tiles,
// orientations, depths and pages decode as the tools decode them; ours pass
// tiffinfo with the tags we promise and read back; crafted hostile files.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>

#include "imaging/lib_codecs.h"
#include "imaging/pic_file.h"
#include "lib_codec_test_tools.h"

using namespace imaging_test;

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A file written with libtiff itself, for layouts no tool offers; `rows`
// fills each strip (or nothing when null).
struct Crafted {
  uint32_t width = 8, height = 4;
  uint16_t samples = 1, bits = 8, photometric = PHOTOMETRIC_MINISBLACK;
  uint32_t rowsPerStrip = 0;
  uint32_t tileWidth = 0, tileLength = 0;
  uint16_t compression = COMPRESSION_NONE;
  std::vector<uint16_t> map;  // red, green, blue arrays one after another
  bool writeRows = true;
};

bool WriteCrafted(const std::string& path, const Crafted& c, const std::vector<unsigned char>& rows = {}) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, c.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, c.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, c.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, c.bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, c.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, c.compression);
  if (c.samples == 2) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (!c.map.empty()) {
    size_t n = c.map.size() / 3;
    TIFFSetField(tif, TIFFTAG_COLORMAP, c.map.data(), c.map.data() + n, c.map.data() + 2 * n);
  }
  if (c.tileWidth) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, c.tileWidth);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, c.tileLength);
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, c.rowsPerStrip ? c.rowsPerStrip : c.height);
  }
  bool ok = true;
  if (c.writeRows && !c.tileWidth) {
    tmsize_t line = TIFFScanlineSize(tif);
    for (uint32_t y = 0; y < c.height && ok; ++y) {
      std::vector<unsigned char> row(rows.begin() + y * line, rows.begin() + (y + 1) * line);
      ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
  } else {
    // One byte of data, so that the directory has its offsets.
    unsigned char byte = 0;
    ok = c.tileWidth ? TIFFWriteRawTile(tif, 0, &byte, 1) == 1 : TIFFWriteRawStrip(tif, 0, &byte, 1) == 1;
    ok = ok && TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return ok;
}

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, PIC_FORMAT_TIF);
}

}  // namespace

TEST(TiffCodec, DecodesEveryCompressionAndLayoutAsTheToolsDo) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("tiffcp");
  REQUIRE_PIL();
  struct Kind { const char* name; const char* command; WORD bpp; bool alpha; int tolerance; bool magick; };
  const Kind kinds[] = {
      {"none", "convert {rgb} -alpha off -compress None {out}", 24, false, 0, false},
      {"packbits", "convert {rgb} -alpha off -compress RLE {out}", 24, false, 0, false},
      {"lzw", "convert {rgb} -alpha off -compress LZW {out}", 24, false, 0, false},
      {"deflate", "convert {rgb} -alpha off -compress Zip {out}", 24, false, 0, false},
      {"jpeg", "convert {rgb} -alpha off -compress JPEG -quality 92 {out}", 24, false, 3, false},
      {"rgba", "convert {rgba} -compress LZW -define tiff:alpha=associated {out}", 24, true, 0, false},
      {"g4", "convert {rgb} -alpha off -colorspace Gray -threshold 50% -type Bilevel -compress Group4 {out}", 1, false, 0, false},
      {"grey8", "convert {rgb} -alpha off -colorspace Gray -type Grayscale -compress LZW {out}", 8, false, 0, false},
      {"grey4", "convert {rgb} -alpha off -colorspace Gray -type Grayscale -depth 4 -compress None {out}", 4, false, 0, false},
      {"grey16", "convert {rgb} -alpha off -colorspace Gray -type Grayscale -depth 16 -compress None {out}", 8, false, 1, true},
      {"palette", "convert {pal} -alpha off -type Palette -compress LZW {out}", 8, false, 0, false},
      {"tiled-grey", "convert {rgb} -alpha off -colorspace Gray -type Grayscale {tmp} && tiffcp -t -w 16 -l 16 {tmp} {out}", 8, false, 0, false},
      {"tiled-rgb", "convert {rgb} -alpha off -compress None {tmp} && tiffcp -t -w 16 -l 32 -c lzw {tmp} {out}", 24, false, 0, false},
      {"tiled-palette", "convert {pal} -alpha off -type Palette {tmp} && tiffcp -t -w 32 -l 16 -c zip {tmp} {out}", 8, false, 0, false},
  };
  TempFolder folder;
  std::string rgb = folder.Path("rgb.pam"), rgba = folder.Path("rgba.pam"), pal = folder.Path("pal.pam");
  ASSERT_TRUE(WritePam(rgb, TestPicture(37, 45)));
  Rgba withAlpha = TestPicture(37, 45);
  for (size_t i = 3; i < withAlpha.pixels.size(); i += 4) withAlpha.pixels[i] = (i / 4) % 3 ? 255 : 0;
  ASSERT_TRUE(WritePam(rgba, withAlpha));
  ASSERT_TRUE(WritePam(pal, TestPicture(37, 45, 40)));
  std::vector<std::string> paths;
  std::string commands = "true";
  for (const Kind& kind : kinds) {
    std::string command = kind.command;
    paths.push_back(folder.Path(std::string(kind.name) + ".tif"));
    std::string tmp = folder.Path(std::string(kind.name) + ".strips.tif");
    for (auto [key, value] : {std::pair{"{rgb}", rgb}, {"{rgba}", rgba}, {"{pal}", pal}, {"{out}", paths.back()},
                              {"{tmp}", tmp}, {"{tmp}", tmp}}) {
      size_t at = command.find(key);
      if (at != std::string::npos) command.replace(at, strlen(key), Quote(value));
    }
    commands += " && " + command;
  }
  ASSERT_TRUE(RunTool(commands));
  std::vector<Rgba> references;
  ASSERT_TRUE(DecodeAllWithPil(paths, &references));
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(kinds[i].name);
    if (kinds[i].magick) {
      ASSERT_TRUE(DecodeWithMagick(paths[i], &references[i]));
    }
    CPicImage image;
    ASSERT_TRUE(LoadWithUs(paths[i], PIC_FORMAT_TIF, &image)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), kinds[i].bpp);
    EXPECT_EQ(image.GetFrameCount(), 1);
    Rgba ours = ToRgba(image);
    EXPECT_EQ(ours.hasAlpha, kinds[i].alpha);
    EXPECT_TRUE(SamePicture(references[i], ours, kinds[i].alpha, kinds[i].tolerance));
  }
}

TEST(TiffCodec, OrientationsTurnThePicture) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("tiffset");
  TempFolder folder;
  std::string source = folder.Path("in.pam");
  ASSERT_TRUE(WritePam(source, TestPicture(13, 7)));
  // Grey rows go through our turns, colour through libtiff's reader.
  for (const char* kind : {"grey", "rgb"}) {
    std::string base = folder.Path(std::string(kind) + ".tif");
    std::string options = std::string(kind) == "grey" ? "-colorspace Gray -type Grayscale" : "";
    ASSERT_TRUE(RunTool("convert " + Quote(source) + " -alpha off " + options + " -compress None " + Quote(base)));
    for (int orientation = 1; orientation <= 8; ++orientation) {
      SCOPED_TRACE(std::string(kind) + " orientation " + std::to_string(orientation));
      std::string path = folder.Path(std::string(kind) + std::to_string(orientation) + ".tif");
      ASSERT_TRUE(RunTool("cp " + Quote(base) + " " + Quote(path) + " && tiffset -s 274 " +
                          std::to_string(orientation) + " " + Quote(path)));
      Rgba reference;
      ASSERT_TRUE(DecodeWithMagick(path, &reference, "-auto-orient"));
      CPicImage image;
      ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TIF, &image)) << image.GetLastError();
      EXPECT_TRUE(SamePicture(reference, ToRgba(image), false));
    }
  }
}

TEST(TiffCodec, PagesAreChosenByTheFrameIndex) {
  REQUIRE_TOOL("convert");
  TempFolder folder;
  std::string path = folder.Path("pages.tif");
  ASSERT_TRUE(RunTool("convert -size 5x4 xc:red xc:lime xc:blue -compress LZW " + Quote(path)));
  CPicImage third;
  third.SetFrameIndex(2);
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TIF, &third)) << third.GetLastError();
  EXPECT_EQ(third.GetFrameCount(), 3);
  RGBQUAD color = third.GetPixelColor(1, 1);
  EXPECT_EQ(color.rgbBlue, 255);
  EXPECT_EQ(color.rgbRed, 0);
  CPicImage beyond;
  beyond.SetFrameIndex(3);
  EXPECT_FALSE(LoadWithUs(path, PIC_FORMAT_TIF, &beyond));
  EXPECT_STREQ(beyond.GetLastError(), "Error: page not present in TIFF file");
  EXPECT_EQ(beyond.GetFrameCount(), 3);
}

TEST(TiffCodec, GreyPalettesFollowThePhotometric) {
  TempFolder folder;
  std::string white = folder.Path("w.tif"), black = folder.Path("b.tif"), grey4 = folder.Path("g4.tif");
  Crafted one;
  one.bits = 1;
  one.photometric = PHOTOMETRIC_MINISWHITE;
  ASSERT_TRUE(WriteCrafted(white, one, std::vector<unsigned char>(4, 0x0F)));
  one.photometric = PHOTOMETRIC_MINISBLACK;
  ASSERT_TRUE(WriteCrafted(black, one, std::vector<unsigned char>(4, 0x0F)));
  Crafted four;
  four.bits = 4;
  four.photometric = PHOTOMETRIC_MINISWHITE;
  ASSERT_TRUE(WriteCrafted(grey4, four, std::vector<unsigned char>(16, 0x12)));
  CPicImage w, b, g;
  ASSERT_TRUE(LoadWithUs(white, PIC_FORMAT_TIF, &w));
  ASSERT_TRUE(LoadWithUs(black, PIC_FORMAT_TIF, &b));
  ASSERT_TRUE(LoadWithUs(grey4, PIC_FORMAT_TIF, &g));
  EXPECT_EQ(w.GetPaletteColor(0).rgbRed, 255);
  EXPECT_EQ(w.GetPaletteColor(1).rgbRed, 0);
  EXPECT_EQ(b.GetPaletteColor(0).rgbRed, 0);
  EXPECT_EQ(b.GetPaletteColor(1).rgbRed, 255);
  EXPECT_EQ(g.GetBpp(), 4);
  EXPECT_EQ(g.GetPaletteColor(0).rgbRed, 255);
  EXPECT_EQ(g.GetPaletteColor(1).rgbRed, 238);
  EXPECT_EQ(g.GetPaletteColor(15).rgbRed, 0);
}

TEST(TiffCodec, ColourMapsOfEightAndSixteenBits) {
  TempFolder folder;
  Crafted c;
  c.photometric = PHOTOMETRIC_PALETTE;
  c.map.assign(3 * 256, 0);
  c.map[5] = 200;             // red of entry 5, low byte values only
  c.map[256 + 5] = 100;
  std::string low = folder.Path("low.tif"), wide = folder.Path("wide.tif");
  ASSERT_TRUE(WriteCrafted(low, c, std::vector<unsigned char>(32, 5)));
  c.map[2 * 256 + 9] = 256;   // one value of 256 makes the whole map 16-bit
  ASSERT_TRUE(WriteCrafted(wide, c, std::vector<unsigned char>(32, 5)));
  CPicImage a, b;
  ASSERT_TRUE(LoadWithUs(low, PIC_FORMAT_TIF, &a));
  ASSERT_TRUE(LoadWithUs(wide, PIC_FORMAT_TIF, &b));
  EXPECT_EQ(a.GetPaletteColor(5).rgbRed, 200);
  EXPECT_EQ(a.GetPaletteColor(5).rgbGreen, 100);
  EXPECT_EQ(b.GetPaletteColor(5).rgbRed, 200 * 255 / 65535);
  EXPECT_EQ(b.GetPaletteColor(9).rgbBlue, 256 * 255 / 65535);
}

// A 16-bit palette file has a map of 65536 entries; the picture takes 256.
TEST(TiffCodec, ColourMapBeyondTwoHundredFiftySixEntriesIsCut) {
  TempFolder folder;
  Crafted c;
  c.bits = 16;
  c.photometric = PHOTOMETRIC_PALETTE;
  c.map.assign(3 * 65536, 0);
  for (size_t i = 0; i < 65536; ++i) c.map[i] = static_cast<uint16_t>(i);
  std::string path = folder.Path("p16.tif");
  ASSERT_TRUE(WriteCrafted(path, c, std::vector<unsigned char>(64, 0)));
  CPicImage image;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TIF, &image)) << image.GetLastError();
  EXPECT_EQ(image.GetColorCount(), 256u);
  EXPECT_EQ(image.GetPaletteColor(255).rgbRed, 255 * 255 / 65535);
}

// 16-bit rows are twice the picture's rows: the strip buffer is sized for
// what the read writes, and every sample of a row is narrowed.
TEST(TiffCodec, SixteenBitRowsNarrowToTheirHighBytes) {
  TempFolder folder;
  Crafted grey;
  grey.width = 33;
  grey.height = 9;
  grey.bits = 16;
  std::vector<unsigned char> rows;
  for (uint32_t y = 0; y < grey.height; ++y)
    for (uint32_t x = 0; x < grey.width; ++x) {
      uint16_t v = static_cast<uint16_t>((x * 7 + y * 29) * 256 + 0x5A);
      rows.push_back(static_cast<unsigned char>(v));
      rows.push_back(static_cast<unsigned char>(v >> 8));
    }
  std::string one = folder.Path("g16.tif");
  ASSERT_TRUE(WriteCrafted(one, grey, rows));
  CPicImage image;
  ASSERT_TRUE(LoadWithUs(one, PIC_FORMAT_TIF, &image)) << image.GetLastError();
  for (uint32_t y = 0; y < grey.height; ++y)
    for (uint32_t x = 0; x < grey.width; ++x)
      ASSERT_EQ(image.GetPixelIndex(x, grey.height - 1 - y), (x * 7 + y * 29) & 0xFF) << x << "," << y;

  // Grey with alpha: two samples a pixel, the grey of the far half too.
  Crafted pair = grey;
  pair.samples = 2;
  std::vector<unsigned char> pairs;
  for (size_t i = 0; i + 1 < rows.size(); i += 2) {
    pairs.insert(pairs.end(), {rows[i], rows[i + 1], 0xFF, 0x80});
  }
  std::string two = folder.Path("ga16.tif");
  ASSERT_TRUE(WriteCrafted(two, pair, pairs));
  CPicImage both;
  ASSERT_TRUE(LoadWithUs(two, PIC_FORMAT_TIF, &both)) << both.GetLastError();
  for (uint32_t x = 0; x < grey.width; ++x) ASSERT_EQ(both.GetPixelIndex(x, grey.height - 1), (x * 7) & 0xFF) << x;
}

TEST(TiffCodec, SizesBeyondThePictureLimitAreRefused) {
  TempFolder folder;
  struct Case { const char* name; Crafted crafted; };
  Crafted picture;  // 100000 x 100000 pixels
  picture.width = picture.height = 100000;
  picture.writeRows = false;
  Crafted strip;  // a fine picture whose 16-bit two-sample strip is 3.6 GB
  strip.width = strip.height = 30000;
  strip.bits = 16;
  strip.samples = 2;
  strip.compression = COMPRESSION_LZW;  // libtiff splits one uncompressed strip
  strip.writeRows = false;
  Crafted tile;  // a small picture with one tile of 4 GB
  tile.width = tile.height = 64;
  tile.tileWidth = tile.tileLength = 65536;
  tile.writeRows = false;
  Crafted raster;  // colour for libtiff's reader: 4 bytes a pixel
  raster.width = 30000;
  raster.height = 20000;
  raster.samples = 3;
  raster.photometric = PHOTOMETRIC_RGB;
  raster.writeRows = false;
  for (const Case& c : {Case{"picture", picture}, Case{"strip", strip}, Case{"tile", tile}, Case{"raster", raster}}) {
    SCOPED_TRACE(c.name);
    std::string path = folder.Path(std::string(c.name) + ".tif");
    ASSERT_TRUE(WriteCrafted(path, c.crafted));
    CPicImage image;
    EXPECT_FALSE(LoadWithUs(path, PIC_FORMAT_TIF, &image));
    EXPECT_STREQ(image.GetLastError(), "TIFF image too large");
  }
}

TEST(TiffCodec, NotATiffFileIsRefused) {
  CPicImage image;
  EXPECT_FALSE(DecodeBytes(std::vector<unsigned char>(64, 0x33), &image));
  EXPECT_STREQ(image.GetLastError(), "Error encountered while opening TIFF file");
  EXPECT_FALSE(DecodeBytes({}, &image));
  EXPECT_STREQ(image.GetLastError(), "Error encountered while opening TIFF file");
}

TEST(TiffCodec, WritesFilesTiffinfoDescribes) {
  REQUIRE_TOOL("tiffinfo");
  REQUIRE_PIL();
  TempFolder folder;
  struct Case { const char* name; std::vector<std::string> expected; bool lossy; bool alpha; };
  std::vector<Case> cases = {
      {"bilevel", {"Compression Scheme: CCITT Group 4", "Photometric Interpretation: min-is-white"}, false, false},
      {"grey4", {"Bits/Sample: 4", "Compression Scheme: None", "palette color"}, false, false},
      {"ramp", {"Compression Scheme: PackBits", "Photometric Interpretation: min-is-black"}, false, false},
      {"palette", {"Compression Scheme: PackBits", "Photometric Interpretation: palette color",
                   "Color Map: (present)"}, false, false},
      {"rgb", {"Compression Scheme: JPEG", "Rows/Strip: 8", "Photometric Interpretation: RGB color"}, true, false},
      {"rgba", {"Samples/Pixel: 4", "Extra Samples: 1<unassoc-alpha>", "Compression Scheme: JPEG"}, true, true},
      {"grey-alpha", {"Samples/Pixel: 2", "Extra Samples: 1<unassoc-alpha>"}, false, true},
  };
  std::vector<std::string> paths;
  std::vector<Rgba> written;
  for (const Case& c : cases) {
    std::string name = c.name;
    CPicImage image;
    if (name == "bilevel") {
      image.Create(19, 7, 1, PIC_FORMAT_TIF);
      image.SetPaletteColor(0, 0, 0, 0);
      image.SetPaletteColor(1, 255, 255, 255);
      for (LONG y = 0; y < 7; ++y)
        for (LONG x = 0; x < 19; ++x) image.SetPixelIndex(x, y, (x + y) % 3 == 0);
    } else if (name == "grey4" || name == "ramp" || name == "palette" || name == "grey-alpha") {
      image.Create(19, 7, name == "grey4" ? 4 : 8, PIC_FORMAT_TIF);
      for (DWORD i = 0; i < image.GetColorCount(); ++i)
        image.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(name == "palette" ? 255 - i : i),
                              static_cast<BYTE>(i));
      if (name == "grey4") image.SetGrayPalette();
      for (LONG y = 0; y < 7; ++y)
        for (LONG x = 0; x < 19; ++x) image.SetPixelIndex(x, y, static_cast<BYTE>(x * 13 + y * 3));
      if (name == "grey-alpha") {
        image.AlphaCreate();
        for (LONG y = 0; y < 7; ++y)
          for (LONG x = 0; x < 19; ++x) image.AlphaSet(x, y, static_cast<BYTE>(x * 10));
      }
    } else {
      Rgba picture = TestPicture(24, 16, 0, c.alpha);
      for (size_t i = 2; i < picture.pixels.size(); i += 4) picture.pixels[i] = 90;
      CPicImage made = FromRgba(picture, c.alpha);
      image.Transfer(made);
    }
    paths.push_back(folder.Path(name + ".tif"));
    ASSERT_TRUE(image.Save(paths.back().c_str(), PIC_FORMAT_TIF)) << image.GetLastError();
    written.push_back(ToRgba(image));
    std::string report = Capture("tiffinfo " + Quote(paths.back()));
    SCOPED_TRACE(report);
    EXPECT_FALSE(Has(report, "Error")) << name;
    EXPECT_TRUE(Has(report, "Resolution: 72, 72 pixels/inch")) << name;
    for (const std::string& line : c.expected) EXPECT_TRUE(Has(report, line)) << name << ": " << line;
  }
  std::vector<Rgba> references;
  ASSERT_TRUE(DecodeAllWithPil(paths, &references));
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    CPicImage back;
    ASSERT_TRUE(LoadWithUs(paths[i], PIC_FORMAT_TIF, &back)) << back.GetLastError();
    Rgba ours = ToRgba(back);
    if (cases[i].lossy) {
      EXPECT_GT(Psnr(written[i], references[i]), 30.0);
      EXPECT_GT(Psnr(written[i], ours), 30.0);
    } else {
      EXPECT_TRUE(SamePicture(written[i], references[i], cases[i].alpha));
      EXPECT_TRUE(SamePicture(written[i], ours, cases[i].alpha));
    }
  }
}

TEST(TiffCodec, BilevelPictureWithBlackFirstIsInvertedInPlace) {
  CPicImage image(9, 2, 1);
  image.SetPaletteColor(0, 0, 0, 0);
  image.SetPaletteColor(1, 255, 255, 255);
  image.SetPixelIndex(3, 1, 1);
  CPicMemFile out;
  out.Open();
  ASSERT_TRUE(image.Encode(&out, PIC_FORMAT_TIF)) << image.GetLastError();
  EXPECT_EQ(image.GetPaletteColor(0).rgbRed, 255);
  EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 0);
  EXPECT_EQ(image.GetPixelIndex(3, 1), 0);
  EXPECT_EQ(image.GetPixelIndex(4, 1), 1);
  out.Seek(0, SEEK_SET);
  CPicImage back;
  ASSERT_TRUE(back.Decode(&out, PIC_FORMAT_TIF)) << back.GetLastError();
  EXPECT_EQ(back.GetPixelColor(3, 1).rgbRed, 255);
  EXPECT_EQ(back.GetPixelColor(4, 1).rgbRed, 0);
}

TEST(TiffCodec, AppendedPagesCarryTheirNumbersAndNames) {
  REQUIRE_TOOL("tiffinfo");
  TempFolder folder;
  std::string path = folder.Path("series.tif");
  // Linking a page to the one before reads the file back.
  FILE* stream = fopen(path.c_str(), "w+b");
  ASSERT_TRUE(stream);
  {
    CPicIOFile file(stream);
    CPicImageTIF codec;
    for (int page = 1; page <= 3; ++page) {
      CPicImage picture(6, 5, 8);
      picture.SetGrayPalette();
      picture.Clear(static_cast<BYTE>(page * 40));
      codec.Copy(picture);
      ASSERT_TRUE(codec.Encode(&file, true)) << codec.GetLastError();
    }
  }
  fclose(stream);
  std::string report = Capture("tiffinfo " + Quote(path));
  EXPECT_FALSE(Has(report, "Error")) << report;
  for (int page = 1; page <= 3; ++page) {
    std::string n = std::to_string(page);
    EXPECT_TRUE(Has(report, "Page Number: " + n + "-" + n)) << report;
    EXPECT_TRUE(Has(report, "PageName: Page " + n)) << report;
  }
  EXPECT_TRUE(Has(report, "Subfile Type: multi-page document (2 = 0x2)")) << report;
  CPicImage second;
  second.SetFrameIndex(1);
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TIF, &second)) << second.GetLastError();
  EXPECT_EQ(second.GetFrameCount(), 3);
  EXPECT_EQ(second.GetPixelIndex(2, 2), 80);
}

namespace {

// A stream with room for `room` bytes; writes beyond fail.
class ShortDisk : public CPicMemFile {
public:
  explicit ShortDisk(size_t room) : m_room(room) {}
  size_t Write(const void* buffer, size_t size, size_t count) override {
    if (Tell() + size * count > m_room) return 0;
    return CPicMemFile::Write(buffer, size, count);
  }

private:
  size_t m_room;
};

}  // namespace

// The last write of a file is its directory; a stream that cannot take it
// must not be reported as saved.
TEST(TiffCodec, FailedWritesAreReported) {
  CPicImage image(64, 64, 8);
  image.SetGrayPalette();
  image.Clear(9);
  ShortDisk none(0);
  none.Open();
  EXPECT_FALSE(image.Encode(&none, PIC_FORMAT_TIF));
  EXPECT_STREQ(image.GetLastError(), "initialization fail");
  // The header and the rows fit, the directory does not.
  for (size_t room : {40u, 120u, 160u}) {
    SCOPED_TRACE(room);
    ShortDisk some(room);
    some.Open();
    EXPECT_FALSE(image.Encode(&some, PIC_FORMAT_TIF));
    EXPECT_STREQ(image.GetLastError(), "Error saving TIFF file");
  }
}

// libtiff's reader premultiplies alpha; the picture gets its colours back.
TEST(TiffCodec, AlphaRoundTripsWithItsColours) {
  Rgba picture = TestPicture(17, 9, 0, true);
  for (size_t i = 3; i < picture.pixels.size(); i += 4) picture.pixels[i] = static_cast<unsigned char>(128 + i % 128);
  CPicImage image = FromRgba(picture, true);
  image.SetCodecOption(COMPRESSION_LZW);
  CPicMemFile out;
  out.Open();
  ASSERT_TRUE(image.Encode(&out, PIC_FORMAT_TIF)) << image.GetLastError();
  out.Seek(0, SEEK_SET);
  CPicImage back;
  ASSERT_TRUE(back.Decode(&out, PIC_FORMAT_TIF)) << back.GetLastError();
  EXPECT_TRUE(SamePicture(picture, ToRgba(back), true, 1));
}

// Several samples a pixel are read a byte each; other sample sizes are
// refused rather than read past the row.
TEST(TiffCodec, SamplesNarrowerThanAByteAreRefusedWhenSeveral) {
  TempFolder folder;
  Crafted c;
  c.samples = 3;
  c.bits = 4;
  std::string path = folder.Path("lab4.tif");
  ASSERT_TRUE(WriteCrafted(path, c, std::vector<unsigned char>(4 * 12, 0x77)));
  CPicImage image;
  EXPECT_FALSE(LoadWithUs(path, PIC_FORMAT_TIF, &image));
  EXPECT_STREQ(image.GetLastError(), "Unsupported TIFF sample layout");
}

// CIE L*a*b* files take the colour conversion: full lightness, no a or b, is
// white; half lightness a mid grey.
TEST(TiffCodec, LabSamplesBecomeColours) {
  TempFolder folder;
  Crafted c;
  c.width = 2;
  c.height = 1;
  c.samples = 3;
  c.photometric = PHOTOMETRIC_CIELAB;
  std::string path = folder.Path("lab.tif");
  ASSERT_TRUE(WriteCrafted(path, c, {255, 0, 0, 128, 0, 0}));
  CPicImage image;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TIF, &image)) << image.GetLastError();
  ASSERT_EQ(image.GetBpp(), 24);
  EXPECT_GE(image.GetPixelColor(0, 0).rgbGreen, 253);
  EXPECT_NEAR(image.GetPixelColor(1, 0).rgbGreen, 119, 3);
  EXPECT_NEAR(image.GetPixelColor(1, 0).rgbRed, image.GetPixelColor(1, 0).rgbBlue, 3);
}

namespace {

// A little-endian TIFF put together by hand, for directories libtiff will
// read but not write. Entries are (tag, type, count, value or offset).
struct Entry {
  uint16_t tag, type;
  uint32_t count, value;
};

std::vector<unsigned char> HandMadeTiff(std::vector<Entry> entries, const std::vector<unsigned char>& tail) {
  std::vector<unsigned char> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
  auto put16 = [&](uint16_t v) { bytes.insert(bytes.end(), {BYTE(v), BYTE(v >> 8)}); };
  auto put32 = [&](uint32_t v) { bytes.insert(bytes.end(), {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}); };
  put16(static_cast<uint16_t>(entries.size()));
  for (const Entry& e : entries) {
    put16(e.tag);
    put16(e.type);
    put32(e.count);
    put32(e.value);
  }
  put32(0);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

}  // namespace

// One-pixel tiles of a bilevel picture: sixteen tiles across a row of two
// bytes. Their byte columns once ran past the row and asked for a copy of
// minus one bytes.
TEST(TiffCodec, TilesNarrowerThanAByteStayInsideTheRow) {
  const uint32_t kTiles = 16;
  const uint32_t kEntries = 10;
  uint32_t tail = 8 + 2 + kEntries * 12 + 4;  // where the arrays start
  uint32_t offsets = tail, counts = tail + 4 * kTiles, data = tail + 8 * kTiles;
  std::vector<unsigned char> arrays;
  for (uint32_t i = 0; i < kTiles; ++i)
    for (int b = 0; b < 4; ++b) arrays.push_back(BYTE((data + i) >> (8 * b)));
  for (uint32_t i = 0; i < kTiles; ++i) arrays.insert(arrays.end(), {1, 0, 0, 0});
  for (uint32_t i = 0; i < kTiles; ++i) arrays.push_back(i % 2 ? 0x80 : 0);
  std::vector<unsigned char> file = HandMadeTiff({{256, 3, 1, 16},
                                                  {257, 3, 1, 1},
                                                  {258, 3, 1, 1},
                                                  {259, 3, 1, 1},
                                                  {262, 3, 1, 1},
                                                  {277, 3, 1, 1},
                                                  {322, 3, 1, 1},
                                                  {323, 3, 1, 1},
                                                  {324, 4, kTiles, offsets},
                                                  {325, 4, kTiles, counts}},
                                                 arrays);
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(file, &image)) << image.GetLastError();
  EXPECT_EQ(image.GetWidth(), 16u);
  EXPECT_EQ(image.GetBpp(), 1);
}

TEST(TiffCodec, SavingToAFullDiskFails) {
  FILE* probe = fopen("/dev/full", "wb");
  if (!probe) GTEST_SKIP() << "no /dev/full";
  fclose(probe);
  CPicImage image(40, 30, 24);
  image.Clear(77);
  EXPECT_FALSE(image.Save("/dev/full", PIC_FORMAT_TIF));
  EXPECT_STREQ(image.GetLastError(), "Error saving TIFF file");
}

TEST(TiffCodec, CodecOptionChoosesTheCompression) {
  CPicImage image(20, 10, 8);
  image.SetGrayPalette();
  image.Clear(200);
  image.SetCodecOption(COMPRESSION_ADOBE_DEFLATE);
  CPicMemFile out;
  out.Open();
  ASSERT_TRUE(image.Encode(&out, PIC_FORMAT_TIF)) << image.GetLastError();
  out.Seek(0, SEEK_SET);
  CPicImage back;
  ASSERT_TRUE(back.Decode(&out, PIC_FORMAT_TIF)) << back.GetLastError();
  EXPECT_EQ(back.GetPixelIndex(19, 9), 200);
  // Group 4 fax holds one bit a sample; unknown schemes are no schemes.
  for (DWORD option : {DWORD(COMPRESSION_CCITTFAX4), DWORD(54321)}) {
    SCOPED_TRACE(option);
    image.SetCodecOption(option);
    CPicMemFile refused;
    refused.Open();
    EXPECT_FALSE(image.Encode(&refused, PIC_FORMAT_TIF));
    EXPECT_STREQ(image.GetLastError(), "Error saving TIFF file");
  }
}

// PIL stores RGBA as unassociated alpha (extra sample 2): the colour under a
// nearly transparent pixel is the file's, not rounded through a multiply.
TEST(TiffCodec, UnassociatedAlphaKeepsTheFilesColours) {
  REQUIRE_PIL();
  TempFolder folder;
  Rgba picture = TestPicture(23, 11, 0, true);
  for (size_t i = 3; i < picture.pixels.size(); i += 4) picture.pixels[i] = static_cast<unsigned char>(1 + i % 40);
  for (const char* compression : {"raw", "tiff_lzw"}) {
    SCOPED_TRACE(compression);
    std::string path = folder.Path(std::string(compression) + ".tif");
    ASSERT_TRUE(SaveWithPil(picture, path, "RGBA", std::string("compression=\"") + compression + "\""));
    CPicImage image;
    ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TIF, &image)) << image.GetLastError();
    EXPECT_TRUE(SamePicture(picture, ToRgba(image)));
  }
}

// A resolution far beyond any device still loads; the header's pixels a
// metre saturate instead of overflowing.
TEST(TiffCodec, HugeResolutionsAreClampedNotOverflowed) {
  REQUIRE_PIL();
  TempFolder folder;
  std::string path = folder.Path("dense.tif");
  ASSERT_TRUE(SaveWithPil(TestPicture(3, 2), path, "RGB", "dpi=(2000000000, 2000000000)"));
  CPicImage image;
  ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_TIF, &image)) << image.GetLastError();
  EXPECT_EQ(image.GetXDPI(), 2000000000);
  EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 2147483647);
}
