// BMP codec: files written by ImageMagick, netpbm and PIL decode to their
// pixels, our files read back in those tools, and hand-made edge cases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

WORD BitCountOf(const std::vector<unsigned char>& file) { return file.size() > 29 ? file[28] | (file[29] << 8) : 0; }
DWORD CompressionOf(const std::vector<unsigned char>& file) { return file.size() > 30 ? file[30] : 99; }

struct ToolCase {
  const char* name;
  int colors;
  const char* command;  // %s: source picture, %d: target
  WORD bitCount;
  DWORD compression;
};

std::string Fill(const char* pattern, const std::string& source, const std::string& target) {
  std::string command = pattern;
  command.replace(command.find("{in}"), 4, Quote(source));
  command.replace(command.find("{out}"), 5, Quote(target));
  return command;
}

void PutLe32(std::vector<unsigned char>& bytes, size_t at, DWORD value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A minimal BMP with a 40-byte header; pixel bytes as given.
std::vector<unsigned char> MakeBmp(LONG width, LONG height, WORD bits, DWORD compression,
                                   const std::vector<RGBQUAD>& palette, const std::vector<unsigned char>& pixels,
                                   bool fileHeader = true) {
  std::vector<unsigned char> bytes(fileHeader ? 14 : 0);
  size_t info = bytes.size();
  bytes.resize(info + 40, 0);
  PutLe32(bytes, info, 40);
  PutLe32(bytes, info + 4, static_cast<DWORD>(width));
  PutLe32(bytes, info + 8, static_cast<DWORD>(height));
  bytes[info + 12] = 1;
  bytes[info + 14] = static_cast<unsigned char>(bits);
  PutLe32(bytes, info + 16, compression);
  PutLe32(bytes, info + 20, static_cast<DWORD>(pixels.size()));
  PutLe32(bytes, info + 32, static_cast<DWORD>(palette.size()));
  for (const RGBQUAD& entry : palette) {
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(&entry);
    bytes.insert(bytes.end(), raw, raw + 4);
  }
  if (fileHeader) {
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe32(bytes, 2, static_cast<DWORD>(bytes.size() + pixels.size()));
    PutLe32(bytes, 10, static_cast<DWORD>(bytes.size()));
  }
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return bytes;
}

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image, DWORD formatId = PIC_FORMAT_BMP) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, formatId);
}

}  // namespace

TEST(BmpCodec, ReadsWhatTheToolsWrite) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("ppmtobmp");
  REQUIRE_PIL();
  const ToolCase cases[] = {
      {"24-bit", 0, "convert {in} BMP3:{out}", 24, 0},
      {"8-bit", 100, "convert {in} -type Palette -compress None BMP3:{out}", 8, 0},
      {"4-bit", 16, "convert {in} -type Palette -compress None BMP3:{out}", 4, 0},
      {"1-bit", 2, "convert {in} -type Palette -compress None BMP3:{out}", 1, 0},
      {"RLE8", 100, "convert {in} -type Palette -compress RLE BMP3:{out}", 8, 1},
      {"RLE8 few colours", 5, "convert {in} -type Palette -compress RLE BMP3:{out}", 8, 1},
      {"OS/2 8-bit", 100, "convert {in} -type Palette -compress None BMP2:{out}", 8, 99},
      {"OS/2 24-bit", 0, "ppmtobmp -os2 {in} > {out}", 24, 99},
      {"netpbm 4-bit", 16, "ppmtobmp -bpp=4 {in} > {out}", 4, 0},
      {"netpbm 1-bit", 2, "ppmtobmp -bpp=1 {in} > {out}", 1, 0},
      {"netpbm 8-bit", 100, "ppmtobmp -bpp=8 {in} > {out}", 8, 0},
  };
  TempFolder folder;
  struct Made { std::string path, trace; const ToolCase* c; int width; };
  std::vector<Made> made;
  std::string commands = "true";
  for (int width : {13, 16, 1}) {
    for (const ToolCase& c : cases) {
      std::string in = folder.Path(std::to_string(made.size()) + ".ppm");
      std::string out = folder.Path(std::to_string(made.size()) + ".bmp");
      ASSERT_TRUE(WritePpm(in, TestPicture(width, 7, c.colors)));
      commands += " && " + Fill(c.command, in, out);
      made.push_back({out, std::string(c.name) + " width " + std::to_string(width), &c, width});
    }
  }
  ASSERT_TRUE(RunTool(commands));
  // PIL decodes; ImageMagick misreads its own run-length files of width 1.
  std::vector<std::string> paths;
  for (const Made& m : made) paths.push_back(m.path);
  std::vector<Rgba> references;
  ASSERT_TRUE(DecodeAllWithPil(paths, &references));
  for (size_t i = 0; i < made.size(); ++i) {
    SCOPED_TRACE(made[i].trace);
    const ToolCase& c = *made[i].c;
    std::vector<unsigned char> file = ReadBytes(made[i].path);
    ASSERT_GT(file.size(), 54u);
    if (c.compression == 99) {
      EXPECT_EQ(file[14], 12);  // an OS/2 core header
    } else if (made[i].width > 1) {  // one column has too few colours for the depth
      EXPECT_EQ(BitCountOf(file), c.bitCount);
      EXPECT_EQ(CompressionOf(file), c.compression);
    }
    CPicImage image;
    ASSERT_TRUE(LoadWithUs(made[i].path, PIC_FORMAT_BMP, &image)) << image.GetLastError();
    EXPECT_TRUE(SamePicture(references[i], ToRgba(image), false));
  }
}

// ImageMagick writes 16-bit files without their masks; these are made here
// and read by PIL, which also writes the 32-bit file.
TEST(BmpCodec, ReadsBitFieldAndThirtyTwoBitFiles) {
  REQUIRE_PIL();
  TempFolder folder;
  Rgba source = TestPicture(11, 5);
  struct Layout { const char* name; DWORD compression, red, green, blue; int redShift, greenShift, blueShift; };
  const Layout layouts[] = {{"565", BI_BITFIELDS, 0xF800, 0x7E0, 0x1F, 11, 5, 0},
                            {"555", BI_BITFIELDS, 0x7C00, 0x3E0, 0x1F, 10, 5, 0},
                            {"555 plain", BI_RGB, 0x7C00, 0x3E0, 0x1F, 10, 5, 0}};
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    size_t rowBytes = ((11 * 2 + 3) / 4) * 4;
    std::vector<unsigned char> rows(rowBytes * 5, 0);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 11; ++x) {
        const unsigned char* p = source.At(x, 4 - y);
        int greenBits = layout.green == 0x7E0 ? 6 : 5;
        DWORD word = ((p[0] >> 3) << layout.redShift) | ((p[1] >> (8 - greenBits)) << layout.greenShift) |
                     ((p[2] >> 3) << layout.blueShift);
        rows[y * rowBytes + 2 * x] = static_cast<unsigned char>(word);
        rows[y * rowBytes + 2 * x + 1] = static_cast<unsigned char>(word >> 8);
      }
    }
    std::vector<unsigned char> bytes = MakeBmp(11, 5, 16, layout.compression, {}, rows);
    if (layout.compression == BI_BITFIELDS) {
      std::vector<unsigned char> masks(12);
      PutLe32(masks, 0, layout.red);
      PutLe32(masks, 4, layout.green);
      PutLe32(masks, 8, layout.blue);
      bytes.insert(bytes.begin() + 54, masks.begin(), masks.end());
      PutLe32(bytes, 10, 54 + 12);
    }
    std::string path = folder.Path("sixteen.bmp");
    ASSERT_TRUE(WriteBytes(path, bytes));
    Rgba reference;
    ASSERT_TRUE(DecodeWithPil(path, &reference));
    CPicImage image;
    ASSERT_TRUE(DecodeBytes(bytes, &image)) << image.GetLastError();
    // 5- and 6-bit channels widen by a shift, PIL's by scaling.
    EXPECT_TRUE(SamePicture(reference, ToRgba(image), false, 8));
  }
  std::string out = folder.Path("pil32.bmp");
  ASSERT_TRUE(SaveWithPil(TestPicture(11, 5, 0, true), out, "RGBA"));
  ASSERT_EQ(BitCountOf(ReadBytes(out)), 32);
  Rgba reference;
  ASSERT_TRUE(DecodeWithPil(out, &reference));
  CPicImage image;
  ASSERT_TRUE(LoadWithUs(out, PIC_FORMAT_BMP, &image));
  EXPECT_FALSE(image.HasAlpha());
  EXPECT_TRUE(SamePicture(reference, ToRgba(image), false));
}

// No tool at hand writes RLE4; a hand-coded stream of every packet kind is
// checked against PIL's reading of it.
TEST(BmpCodec, ReadsRle4LikePil) {
  REQUIRE_PIL();
  std::vector<RGBQUAD> palette;
  for (int i = 0; i < 16; ++i) palette.push_back(RGBQUAD{BYTE(i * 16), BYTE(255 - i * 16), BYTE(i * 5), 0});
  // PIL reads absolute runs of odd length wrongly; those are pinned below.
  const std::vector<unsigned char> rle = {
      5, 0x12,           // run of 5: 1 2 1 2 1
      0, 4, 0x34, 0x56,  // absolute run of 4
      0, 0,              // end of line
      4, 0xAB,           // run of 4
      0, 4, 0xCD, 0xEF,  // absolute run of 4
      1, 0x70,
      0, 0,
      9, 0x9A,
      0, 0, 0, 1};       // end of line, end of picture
  std::vector<unsigned char> bytes = MakeBmp(9, 3, 4, BI_RLE4, palette, rle);
  TempFolder folder;
  std::string path = folder.Path("rle4.bmp");
  ASSERT_TRUE(WriteBytes(path, bytes));
  Rgba reference;
  ASSERT_TRUE(DecodeWithPil(path, &reference));
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(bytes, &image)) << image.GetLastError();
  EXPECT_EQ(image.GetBpp(), 4);
  EXPECT_EQ(image.GetPixelIndex(6, 0), 4);
  EXPECT_EQ(image.GetPixelIndex(8, 0), 6);
  EXPECT_TRUE(SamePicture(reference, ToRgba(image), false));
}

TEST(BmpCodec, Rle4AbsoluteRunsPadToWholeWords) {
  std::vector<RGBQUAD> palette(16, RGBQUAD{0, 0, 0, 0});
  const std::vector<unsigned char> rle = {
      0, 3, 0x12, 0x30,              // 3 pixels in 2 bytes, no padding
      0, 5, 0x45, 0x67, 0x80, 0xEE,  // 5 pixels in 3 bytes and a padding byte
      1, 0x90,                       // run of 1
      0, 1};
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(MakeBmp(9, 1, 4, BI_RLE4, palette, rle), &image));
  for (BYTE x = 0; x < 9; ++x) EXPECT_EQ(image.GetPixelIndex(x, 0), x + 1);
}

TEST(BmpCodec, RunLengthDataNeverWritesOutsideThePicture) {
  std::vector<RGBQUAD> palette(256, RGBQUAD{1, 2, 3, 0});
  const std::vector<unsigned char> rle = {
      255, 7,        // run far past the row
      0, 2, 200, 1,  // delta to the right of the picture
      3, 9,          // dropped
      0, 2, 0, 200,  // delta below the picture
      0, 5, 1, 2, 3, 4, 5, 0,  // absolute run, dropped
      0, 0, 0, 0};   // lines past the last
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(MakeBmp(3, 2, 8, BI_RLE8, palette, rle), &image));
  EXPECT_EQ(image.GetPixelIndex(0, 0), 7);
  EXPECT_EQ(image.GetPixelIndex(2, 0), 7);
  EXPECT_EQ(image.GetPixelIndex(0, 1), 0);
}

TEST(BmpCodec, TopDownFileDecodesLikeItsBottomUpTwin) {
  std::vector<unsigned char> rows = {1, 2, 3, 0, 4, 5, 6, 0};  // 1 x 2, 24-bit
  std::vector<unsigned char> bottomUp = MakeBmp(1, 2, 24, BI_RGB, {}, rows);
  std::vector<unsigned char> topDownRows = {4, 5, 6, 0, 1, 2, 3, 0};
  std::vector<unsigned char> topDown = MakeBmp(1, -2, 24, BI_RGB, {}, topDownRows);
  CPicImage a, b;
  ASSERT_TRUE(DecodeBytes(bottomUp, &a));
  ASSERT_TRUE(DecodeBytes(topDown, &b));
  EXPECT_TRUE(SamePicture(ToRgba(a), ToRgba(b)));
  EXPECT_EQ(b.GetPixelColor(0, 1).rgbBlue, 4);

  // 16-bit and run-length rows land in the same places.
  CPicImage c, d;
  ASSERT_TRUE(DecodeBytes(MakeBmp(1, 2, 16, BI_RGB, {}, {0x1F, 0, 0, 0, 0, 0x7C, 0, 0}), &c));
  ASSERT_TRUE(DecodeBytes(MakeBmp(1, -2, 16, BI_RGB, {}, {0, 0x7C, 0, 0, 0x1F, 0, 0, 0}), &d));
  EXPECT_TRUE(SamePicture(ToRgba(c), ToRgba(d)));
  EXPECT_EQ(d.GetPixelColor(0, 1).rgbRed, 248);
  std::vector<RGBQUAD> palette(256, RGBQUAD{0, 0, 0, 0});
  CPicImage e, f;
  ASSERT_TRUE(DecodeBytes(MakeBmp(2, 2, 8, BI_RLE8, palette, {2, 5, 0, 0, 2, 9, 0, 1}), &e));
  ASSERT_TRUE(DecodeBytes(MakeBmp(2, -2, 8, BI_RLE8, palette, {2, 9, 0, 0, 2, 5, 0, 1}), &f));
  EXPECT_EQ(f.GetPixelIndex(1, 0), 5);
  EXPECT_EQ(f.GetPixelIndex(0, 1), 9);
  EXPECT_EQ(e.GetPixelIndex(0, 1), 9);
}

TEST(BmpCodec, BareBitmapWithAShortPalette) {
  std::vector<RGBQUAD> palette(16, RGBQUAD{0, 0, 0, 0});
  palette[15] = RGBQUAD{9, 8, 7, 0};
  std::vector<unsigned char> pixels = {15, 0, 0, 0};
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(MakeBmp(1, 1, 8, BI_RGB, palette, pixels, false), &image)) << image.GetLastError();
  EXPECT_EQ(image.GetColorCount(), 256u);
  EXPECT_EQ(image.GetPixelIndex(0, 0), 15);
  EXPECT_EQ(image.GetPaletteColor(15).rgbBlue, 9);
  EXPECT_EQ(image.GetPaletteColor(16).rgbBlue, 0);
}

TEST(BmpCodec, SixteenBitMasksAndDefaultMasks) {
  std::vector<unsigned char> withMasks = MakeBmp(1, 1, 16, BI_BITFIELDS, {}, {0, 0xF8, 0, 0});
  // The three masks sit between header and pixels.
  std::vector<unsigned char> masks = {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
  withMasks.insert(withMasks.begin() + 54, masks.begin(), masks.end());
  PutLe32(withMasks, 10, 54 + 12);
  CPicImage image;
  ASSERT_TRUE(DecodeBytes(withMasks, &image));
  RGBQUAD red = image.GetPixelColor(0, 0);
  EXPECT_EQ(red.rgbRed, 248);
  EXPECT_EQ(red.rgbGreen, 0);
  EXPECT_EQ(red.rgbBlue, 0);
  ASSERT_TRUE(DecodeBytes(MakeBmp(1, 1, 16, BI_RGB, {}, {0xFF, 0x7F, 0, 0}), &image));
  EXPECT_EQ(image.GetPixelColor(0, 0).rgbGreen, 248);
}

TEST(BmpCodec, HostileHeadersFailWithTheirTexts) {
  CPicImage image;
  EXPECT_FALSE(DecodeBytes({'B', 'M', 1}, &image));
  EXPECT_STREQ(image.GetLastError(), "Not a BMP");
  std::vector<unsigned char> bad = MakeBmp(1, 1, 24, BI_RGB, {}, {0, 0, 0, 0});
  PutLe32(bad, 14, 64);
  EXPECT_FALSE(DecodeBytes(bad, &image));
  EXPECT_STREQ(image.GetLastError(), "Error reading BMP info");
  EXPECT_FALSE(DecodeBytes(MakeBmp(0, 1, 24, BI_RGB, {}, {}), &image));
  EXPECT_FALSE(DecodeBytes(MakeBmp(1, 1, 24, BI_RLE8, {}, {}), &image));
  EXPECT_STREQ(image.GetLastError(), "unknown compression");
  std::vector<RGBQUAD> two(2, RGBQUAD{0, 0, 0, 0});
  EXPECT_FALSE(DecodeBytes(MakeBmp(1, 1, 1, BI_RLE8, two, {}), &image));
  EXPECT_STREQ(image.GetLastError(), "compression type not supported");
  // A declared size beyond what a picture may hold is refused before rows are read.
  EXPECT_FALSE(DecodeBytes(MakeBmp(100000, 100000, 24, BI_RGB, {}, {}), &image));
  EXPECT_STREQ(image.GetLastError(), "Can't allocate memory");
  // An image size larger than the picture only reads what the picture holds.
  std::vector<RGBQUAD> full(256, RGBQUAD{0, 0, 0, 0});
  std::vector<unsigned char> claim = MakeBmp(1, 1, 8, BI_RGB, full, std::vector<unsigned char>(64, 3));
  EXPECT_TRUE(DecodeBytes(claim, &image));
  EXPECT_EQ(image.GetPixelIndex(0, 0), 3);
  // A file that stops inside the palette is truncated.
  std::vector<unsigned char> shortPalette = MakeBmp(1, 1, 8, BI_RGB, two, {});
  PutLe32(shortPalette, 14 + 32, 16);
  EXPECT_FALSE(DecodeBytes(shortPalette, &image));
  EXPECT_STREQ(image.GetLastError(), "BMP file is truncated");
}

// Pixel data that stops early, raw or run-length, at any depth: the picture
// loads with the pixels the file holds and black (zero) after them.
TEST(BmpCodec, ShortPixelDataKeepsWhatItHoldsAndZeroesTheRest) {
  std::vector<RGBQUAD> palette(256, RGBQUAD{0, 0, 0, 0});
  palette[5] = RGBQUAD{50, 60, 70, 0};
  const std::vector<RGBQUAD> sixteen(palette.begin(), palette.begin() + 16);
  struct Case {
    const char* name;
    std::vector<unsigned char> file;
    size_t cut;         // bytes taken off the end
    LONG x, y;          // a pixel the data reached (stored rows, bottom row 0), or -1
    BYTE blue;          // its blue
    LONG zeroX, zeroY;  // a pixel past the data
  } cases[] = {
      {"24-bit", MakeBmp(3, 2, 24, BI_RGB, {}, std::vector<unsigned char>(24, 9)), 12, 0, 0, 9, 2, 1},
      {"24-bit, no pixel bytes", MakeBmp(3, 2, 24, BI_RGB, {}, {}), 0, -1, -1, 0, 0, 0},
      {"8-bit", MakeBmp(3, 2, 8, BI_RGB, palette, std::vector<unsigned char>(8, 5)), 3, 0, 1, 50, 2, 1},
      {"16-bit", MakeBmp(2, 2, 16, BI_RGB, {}, std::vector<unsigned char>(8, 0xFF)), 4, 1, 0, 248, 1, 1},
      {"32-bit", MakeBmp(2, 2, 32, BI_RGB, {}, std::vector<unsigned char>(16, 7)), 8, 1, 0, 7, 0, 1},
      {"RLE8 inside a packet", MakeBmp(3, 2, 8, BI_RLE8, palette, {2, 5, 0, 0, 4}), 0, 1, 0, 50, 2, 1},
      {"RLE4 inside an absolute run", MakeBmp(3, 2, 4, BI_RLE4, sixteen, {2, 0x55, 0, 0, 0, 5, 1}), 0, 1, 0, 50, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<unsigned char> file(c.file.begin(), c.file.end() - static_cast<long>(c.cut));
    CPicImage image;
    ASSERT_TRUE(DecodeBytes(file, &image)) << image.GetLastError();
    if (c.x >= 0) {
      EXPECT_EQ(image.GetPixelColor(c.x, c.y).rgbBlue, c.blue);
    }
    const RGBQUAD zero = image.GetPixelColor(c.zeroX, c.zeroY);
    EXPECT_EQ(zero.rgbBlue | zero.rgbGreen | zero.rgbRed, 0);
  }
}

TEST(BmpCodec, WritesFilesTheToolsRead) {
  REQUIRE_TOOL("convert");
  TempFolder folder;
  for (DWORD bpp : {1u, 4u, 8u, 24u}) {
    SCOPED_TRACE(bpp);
    CPicImage image(13, 5, bpp);
    for (DWORD i = 0; i < image.GetColorCount(); ++i)
      image.SetPaletteColor(BYTE(i), BYTE(i * 7), BYTE(255 - i), BYTE(i * 3));
    for (DWORD y = 0; y < 5; ++y)
      for (DWORD x = 0; x < 13; ++x) {
        if (bpp == 24) image.SetPixelColor(x, y, RGBQUAD{BYTE(x * 19), BYTE(y * 50), BYTE(x * y), 0});
        else image.SetPixelIndex(x, y, BYTE(x * 3 + y));
      }
    image.SetXDPI(96);
    std::string path = folder.Path("ours.bmp");
    ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_BMP));
    Rgba reference;
    ASSERT_TRUE(DecodeWithMagick(path, &reference));
    EXPECT_TRUE(SamePicture(ToRgba(image), reference, false));
    CPicImage back;
    ASSERT_TRUE(LoadWithUs(path, PIC_FORMAT_BMP, &back));
    EXPECT_EQ(back.GetXDPI(), 96);
    EXPECT_EQ(back.GetYDPI(), 72);
  }
}
