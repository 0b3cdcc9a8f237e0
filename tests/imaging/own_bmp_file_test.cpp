// The own BMP reader and writer, against files ImageMagick writes and reads.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "compat/host_path.h"
#include "imaging/bmp_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

CString Program(const std::string& hostPath) { return CString(compat::FromHostPath(hostPath).c_str()); }

std::vector<BYTE> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void Write(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A test picture with distinct colours in every corner.
Rgba Picture(int width, int height) {
  Rgba p;
  p.width = width;
  p.height = height;
  p.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* q = &p.pixels[(static_cast<size_t>(y) * width + x) * 4];
      q[0] = static_cast<unsigned char>(x * 37 + y * 5);
      q[1] = static_cast<unsigned char>(y * 41);
      q[2] = static_cast<unsigned char>((x ^ y) * 13);
      q[3] = 255;
    }
  return p;
}

// Our decode (bottom row first) against a top-down RGBA reference.
void ExpectSame(const std::vector<DWORD>& ours, const Rgba& reference, const std::string& what) {
  ASSERT_EQ(ours.size(), static_cast<size_t>(reference.width) * reference.height) << what;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const DWORD p = ours[static_cast<size_t>(reference.height - 1 - y) * reference.width + x];
      const unsigned char* r = reference.At(x, y);
      ASSERT_EQ(p & 0xFFFFFF, static_cast<DWORD>(r[2] | (r[1] << 8) | (r[0] << 16))) << what << " at " << x << "," << y;
    }
}

class OwnBmp : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("convert");
  }
  TempFolder dir_;
};

TEST_F(OwnBmp, ReadsImageMagickFilesOfEveryDepthAndCoding) {
  Rgba picture = Picture(13, 7);
  ASSERT_TRUE(WritePpm(dir_.Path("in.ppm"), picture));
  struct Case { const char* name; const char* options; } cases[] = {
      {"24.bmp", "-type TrueColor BMP3:"}, {"32.bmp", "-type TrueColorAlpha -define bmp:format=bmp3 BMP3:"},
      {"8.bmp", "-type Palette BMP3:"},    {"4.bmp", "-colors 16 -type Palette BMP3:"},
      {"1.bmp", "-monochrome BMP3:"},      {"rle8.bmp", "-type Palette -compress RLE BMP3:"},
      {"rle4.bmp", "-colors 16 -type Palette -compress RLE BMP3:"}, {"v5.bmp", "-type TrueColor BMP:"}};
  for (const Case& c : cases) {
    std::string path = dir_.Path(c.name);
    std::string options = c.options;
    std::string prefix = options.substr(options.rfind(' ') + 1);
    options = options.substr(0, options.rfind(' '));
    ASSERT_TRUE(RunTool("convert " + Quote(dir_.Path("in.ppm")) + " " + options + " " + prefix + Quote(path))) << c.name;
    Rgba reference;
    ASSERT_TRUE(DecodeWithMagick(path, &reference)) << c.name;
    CBmpFile bmp;
    std::vector<DWORD> ours;
    ASSERT_TRUE(bmp.Read(Program(path), ours)) << c.name;
    ExpectSame(ours, reference, c.name);
  }
}

TEST_F(OwnBmp, TopDownFilesReportPositiveHeightAndComeOutBottomRowFirst) {
  Rgba picture = Picture(5, 4);
  ASSERT_TRUE(WritePpm(dir_.Path("in.ppm"), picture));
  ASSERT_TRUE(RunTool("convert " + Quote(dir_.Path("in.ppm")) + " -type TrueColor BMP3:" + Quote(dir_.Path("up.bmp"))));
  // Turn the file top-down by hand: negative height, rows reversed.
  std::vector<BYTE> bytes = Bytes(dir_.Path("up.bmp"));
  LONG height;
  std::memcpy(&height, &bytes[22], 4);
  height = -height;
  std::memcpy(&bytes[22], &height, 4);
  const size_t row = 16, data = 54;
  for (size_t y = 0; y < 2; ++y)
    std::swap_ranges(bytes.begin() + data + y * row, bytes.begin() + data + (y + 1) * row, bytes.begin() + data + (3 - y) * row);
  Write(dir_.Path("down.bmp"), bytes);
  CBmpFile bmp;
  PictureInfo info;
  ASSERT_TRUE(bmp.ReadInfo(Program(dir_.Path("down.bmp")), info));
  EXPECT_EQ(info.height, 4);
  std::vector<DWORD> ours;
  ASSERT_TRUE(bmp.Read(Program(dir_.Path("down.bmp")), ours));
  ExpectSame(ours, picture, "top-down");
}

TEST_F(OwnBmp, SavedFilesAreBottomUp24BitAndReadBackByImageMagick) {
  const DWORD pixels[6] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF112233, 0xFF445566, 0xFF778899};
  PictureDescription d;
  d.width = 3;
  d.height = 2;
  d.bitsPerPixel = 24;
  ASSERT_TRUE(CBmpFile().Save(Program(dir_.Path("out.bmp")), d, reinterpret_cast<const BYTE*>(pixels)));
  std::vector<BYTE> bytes = Bytes(dir_.Path("out.bmp"));
  ASSERT_EQ(bytes.size(), 78u);
  EXPECT_EQ(bytes[54], 0x33);  // first stored row: the picture's bottom row
  Rgba back;
  ASSERT_TRUE(DecodeWithMagick(dir_.Path("out.bmp"), &back));
  EXPECT_EQ(back.At(0, 0)[2], 0xFF);  // top-left is blue
  EXPECT_EQ(back.At(2, 1)[0], 0x77);
}

TEST(OwnBmpRules, RefusesBadHeadersDepthsAndPalettes) {
  TempFolder dir;
  auto header = [](WORD bits, DWORD colorsUsed, DWORD compression) {
    std::vector<BYTE> b(54, 0);
    b[0] = 'B', b[1] = 'M';
    b[14] = 40, b[18] = 4, b[22] = 2, b[26] = 1;
    b[28] = static_cast<BYTE>(bits);
    std::memcpy(&b[30], &compression, 4);
    std::memcpy(&b[46], &colorsUsed, 4);
    b.resize(54 + 4 * 256 + 64, 0);
    return b;
  };
  std::vector<DWORD> pixels;
  PictureInfo info;
  Write(dir.Path("short.bmp"), std::vector<BYTE>(13, 'B'));
  EXPECT_FALSE(CBmpFile().ReadInfo(Program(dir.Path("short.bmp")), info));
  std::vector<BYTE> swapped = header(24, 0, 0);
  swapped[0] = 'M', swapped[1] = 'B';
  Write(dir.Path("mb.bmp"), swapped);
  EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("mb.bmp")), pixels));
  Write(dir.Path("16.bmp"), header(16, 0, 0));
  EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("16.bmp")), pixels));
  Write(dir.Path("many.bmp"), header(8, 300, 0));
  EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("many.bmp")), pixels));
  Write(dir.Path("rle24.bmp"), header(24, 0, BI_RLE8));
  EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("rle24.bmp")), pixels));
}

TEST(OwnBmpRules, RunLengthDataFollowsItsCodesAndStaysInThePicture) {
  TempFolder dir;
  std::vector<BYTE> b(54, 0);
  b[0] = 'B', b[1] = 'M';
  b[14] = 40, b[18] = 4, b[22] = 1, b[26] = 1, b[28] = 8, b[30] = BI_RLE8, b[46] = 6;
  const BYTE palette[24] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 50, 60, 70, 0};
  b.insert(b.end(), palette, palette + 24);
  const BYTE rle[] = {0x03, 0x05, 0x00, 0x00, 0x00, 0x01};
  b.insert(b.end(), rle, rle + sizeof rle);
  Write(dir.Path("rle.bmp"), b);
  std::vector<DWORD> pixels;
  ASSERT_TRUE(CBmpFile().Read(Program(dir.Path("rle.bmp")), pixels));
  ASSERT_EQ(pixels.size(), 4u);
  EXPECT_EQ(pixels[0], 0xFF463C32u);
  EXPECT_EQ(pixels[2], 0xFF463C32u);
  EXPECT_EQ(pixels[3], 0xFF010101u);  // palette entry 0 fills the rest of the line
  // Runs and deltas far past the picture are cut at its end.
  b.resize(54 + 24);
  const BYTE hostile[] = {0xFF, 0x05, 0x00, 0x02, 0xFF, 0xFF, 0x00, 0x09, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
  b.insert(b.end(), hostile, hostile + sizeof hostile);
  Write(dir.Path("hostile.bmp"), b);
  EXPECT_TRUE(CBmpFile().Read(Program(dir.Path("hostile.bmp")), pixels));
  EXPECT_EQ(pixels.size(), 4u);
}

// A 32-bit file of the given header size and compression: the header, then
// `extra` (masks that follow a 40-byte header), then the pixel bytes.
std::vector<BYTE> File32(LONG width, LONG height, DWORD headerSize, DWORD compression, const std::vector<DWORD>& masks,
                         const std::vector<BYTE>& pixelBytes) {
  std::vector<BYTE> b(14 + headerSize, 0);
  b[0] = 'B', b[1] = 'M';
  const DWORD extra = headerSize == 40 && compression == BI_BITFIELDS ? 12 : 0;
  const DWORD offset = 14 + headerSize + extra;
  std::memcpy(&b[10], &offset, 4);
  std::memcpy(&b[14], &headerSize, 4);
  std::memcpy(&b[18], &width, 4);
  std::memcpy(&b[22], &height, 4);
  b[26] = 1, b[28] = 32;
  std::memcpy(&b[30], &compression, 4);
  if (headerSize > 40)
    for (size_t i = 0; i < masks.size(); ++i) std::memcpy(&b[54 + 4 * i], &masks[i], 4);
  if (extra)
    for (size_t i = 0; i < 3; ++i) b.insert(b.end(), reinterpret_cast<const BYTE*>(&masks[i]), reinterpret_cast<const BYTE*>(&masks[i]) + 4);
  b.insert(b.end(), pixelBytes.begin(), pixelBytes.end());
  return b;
}

TEST(OwnBmpRules, AHeightWithNoPositiveMagnitudeIsRefusedBeforeAnyArithmetic) {
  TempFolder dir;
  std::vector<BYTE> b = File32(1, std::numeric_limits<LONG>::min(), 40, BI_RGB, {}, {1, 2, 3, 4});
  Write(dir.Path("min.bmp"), b);
  PictureInfo info;
  std::vector<DWORD> pixels;
  EXPECT_FALSE(CBmpFile().ReadInfo(Program(dir.Path("min.bmp")), info));
  EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("min.bmp")), pixels));
}

TEST(OwnBmpRules, ThirtyTwoBitFilesWithAnUnusedFourthByteAreOpaque) {
  TempFolder dir;
  // Two pixels, bottom row first: blue-green-red-unused.
  Write(dir.Path("zero.bmp"), File32(2, 1, 40, BI_RGB, {}, {10, 20, 30, 0, 40, 50, 60, 0}));
  std::vector<DWORD> pixels;
  ASSERT_TRUE(CBmpFile().Read(Program(dir.Path("zero.bmp")), pixels));
  EXPECT_EQ(pixels, (std::vector<DWORD>{0xFF1E140Au, 0xFF3C3228u}));
  // One non-zero fourth byte: the file has alpha, and keeps it as it stands.
  Write(dir.Path("alpha.bmp"), File32(2, 1, 40, BI_RGB, {}, {10, 20, 30, 0, 40, 50, 60, 7}));
  ASSERT_TRUE(CBmpFile().Read(Program(dir.Path("alpha.bmp")), pixels));
  EXPECT_EQ(pixels, (std::vector<DWORD>{0x001E140Au, 0x073C3228u}));
}

TEST(OwnBmpRules, BitFieldMasksPlaceEveryChannel) {
  TempFolder dir;
  std::vector<DWORD> pixels;
  // Bytes stored red, green, blue, unused: masks after a 40-byte header.
  Write(dir.Path("rgbx.bmp"), File32(1, 1, 40, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}, {10, 20, 30, 99}));
  ASSERT_TRUE(CBmpFile().Read(Program(dir.Path("rgbx.bmp")), pixels));
  EXPECT_EQ(pixels, (std::vector<DWORD>{0xFF0A141Eu}));  // red 10, green 20, blue 30, no alpha mask
  // A V5 header with an alpha mask in the low byte, a 5-bit red field and no
  // green: pixel 0x448800C1 gives alpha 0xC1, red 17 of 31, blue 0x44.
  const std::vector<DWORD> masks = {0x00F80000u, 0, 0xFF000000u, 0xFF};
  Write(dir.Path("v5.bmp"), File32(1, 1, 124, BI_BITFIELDS, masks, {0xC1, 0x00, 0x88, 0x44}));
  ASSERT_TRUE(CBmpFile().Read(Program(dir.Path("v5.bmp")), pixels));
  const DWORD red = (17 * 255 + 15) / 31;
  EXPECT_EQ(pixels, (std::vector<DWORD>{0xC1000044u | (red << 16)}));
}

TEST(OwnBmpRules, CoreHeaderFilesHaveSixteenBitSidesAndThreeBytePalettes) {
  TempFolder dir;
  // 3 x 2 at 8 bits: 12-byte header, 256 palette entries of 3 bytes.
  std::vector<BYTE> b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 8, 0};
  for (int i = 0; i < 256; ++i) b.insert(b.end(), {BYTE(i), BYTE(2 * i), BYTE(255 - i)});
  const DWORD offset = static_cast<DWORD>(b.size());
  std::memcpy(&b[10], &offset, 4);
  b.insert(b.end(), {1, 2, 3, 0, 4, 5, 6, 0});  // bottom row, then top row (rows of 4 bytes)
  Write(dir.Path("core.bmp"), b);
  PictureInfo info;
  ASSERT_TRUE(CBmpFile().ReadInfo(Program(dir.Path("core.bmp")), info));
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(info.bitsPerPixel, 8u);
  std::vector<DWORD> pixels;
  ASSERT_TRUE(CBmpFile().Read(Program(dir.Path("core.bmp")), pixels));
  auto entry = [](DWORD i) { return 0xFF000000u | i | ((2 * i & 0xFF) << 8) | ((255 - i) << 16); };
  EXPECT_EQ(pixels, (std::vector<DWORD>{entry(1), entry(2), entry(3), entry(4), entry(5), entry(6)}));
}

// Raw rows at a depth, behind a grey palette at 8 bits or fewer.
std::vector<BYTE> RawFile(LONG width, LONG height, BYTE bits, const std::vector<BYTE>& pixelBytes) {
  std::vector<BYTE> b = File32(width, height, 40, BI_RGB, {}, {});
  b[28] = bits;
  for (DWORD i = 0; bits <= 8 && i < (1u << bits); ++i) b.insert(b.end(), {BYTE(i), BYTE(i), BYTE(i), 0});
  const DWORD offset = static_cast<DWORD>(b.size());
  std::memcpy(&b[10], &offset, 4);
  b.insert(b.end(), pixelBytes.begin(), pixelBytes.end());
  return b;
}

TEST(OwnBmpRules, RawRowsShorterThanTheHeaderSaysAreRefused) {
  TempFolder dir;
  std::vector<DWORD> pixels;
  // 1 x -536870911 at 32 bits from a file of a few bytes.
  Write(dir.Path("tall.bmp"), File32(1, -536870911, 40, BI_RGB, {}, std::vector<BYTE>(2800, 1)));
  EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("tall.bmp")), pixels));
  // 3 x 2: the last row may lack its padding only, at 1, 4 and 32 bits.
  Write(dir.Path("unpadded.bmp"), RawFile(3, 2, 32, std::vector<BYTE>(12 + 12, 7)));
  EXPECT_TRUE(CBmpFile().Read(Program(dir.Path("unpadded.bmp")), pixels));
  for (BYTE bits : {1, 4, 32}) {
    Write(dir.Path("short.bmp"), RawFile(3, 2, bits, std::vector<BYTE>(bits == 32 ? 12 + 11 : 4, 7)));
    EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("short.bmp")), pixels)) << int(bits);
  }
  // 8-bit rows need one byte, 8 bits with none is refused.
  Write(dir.Path("empty8.bmp"), RawFile(3, 2, 8, {}));
  EXPECT_FALSE(CBmpFile().Read(Program(dir.Path("empty8.bmp")), pixels));
}

// 8-bit rows with one byte, 24-bit rows with any: the pixels the file holds,
// bottom row first, and zero after them.
TEST(OwnBmpRules, ShortEightAndTwentyFourBitRowsKeepWhatTheFileHolds) {
  TempFolder dir;
  const DWORD g200 = 0xFFC8C8C8u, g7 = 0xFF070707u;
  struct Case {
    BYTE bits;
    std::vector<BYTE> data;
    std::vector<DWORD> expected;
  } cases[] = {
      {8, {200}, {g200, 0, 0, 0, 0, 0}},
      {24, {}, {0, 0, 0, 0, 0, 0}},
      {24, std::vector<BYTE>(12 + 4, 7), {g7, g7, g7, g7, 0, 0}},
  };
  for (const Case& c : cases) {
    Write(dir.Path("short.bmp"), RawFile(3, 2, c.bits, c.data));
    std::vector<DWORD> pixels;
    ASSERT_TRUE(CBmpFile().Read(Program(dir.Path("short.bmp")), pixels)) << int(c.bits) << " " << c.data.size();
    EXPECT_EQ(pixels, c.expected) << int(c.bits) << " " << c.data.size();
  }
}

}  // namespace
