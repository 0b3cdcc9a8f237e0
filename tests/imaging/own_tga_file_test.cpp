// The own TGA reader and writer: origins, colour maps, grey, and files that
// PIL and ImageMagick write and read.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "compat/host_path.h"
#include "imaging/tga_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

CString Program(const std::string& hostPath) { return CString(compat::FromHostPath(hostPath).c_str()); }
void Write(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
std::vector<BYTE> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<BYTE> Header(BYTE type, WORD width, WORD height, BYTE depth, BYTE descriptor, BYTE idLength = 0,
                         BYTE mapType = 0, WORD mapFirst = 0, WORD mapLength = 0, BYTE mapBits = 0) {
  return {idLength, mapType, type, BYTE(mapFirst), BYTE(mapFirst >> 8), BYTE(mapLength), BYTE(mapLength >> 8), mapBits,
          0, 0, 0, 0, BYTE(width), BYTE(width >> 8), BYTE(height), BYTE(height >> 8), depth, descriptor};
}

std::vector<DWORD> ReadAll(const std::string& path, LONG width, LONG height, bool* ok) {
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  *ok = CTgaFile().Read(Program(path), pixels.data(), width, height);
  return pixels;
}

TEST(OwnTga, OriginsPlaceTheTopLeftPixelFirst) {
  TempFolder dir;
  // A 2 x 2 picture stored as 24-bit pixels 1, 2, 3, 4 in file order.
  const std::pair<int, std::vector<DWORD>> cases[] = {
      {0, {3, 4, 1, 2}}, {1, {4, 3, 2, 1}}, {2, {1, 2, 3, 4}}, {3, {2, 1, 4, 3}}};
  for (const auto& [origin, expected] : cases) {
    std::vector<BYTE> file = Header(2, 2, 2, 24, static_cast<BYTE>(origin << 4), 5);
    file.insert(file.end(), {'h', 'e', 'l', 'l', 'o'});  // an ID field is skipped
    for (BYTE v = 1; v <= 4; ++v) file.insert(file.end(), {v, 0, 0});
    Write(dir.Path("o.tga"), file);
    bool ok;
    std::vector<DWORD> pixels = ReadAll(dir.Path("o.tga"), 2, 2, &ok);
    ASSERT_TRUE(ok) << origin;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(pixels[i], 0xFF000000u | expected[i]) << "origin " << origin << " pixel " << i;
  }
}

TEST(OwnTga, ColourMapsGreyAndSixteenBitPixels) {
  TempFolder dir;
  std::vector<BYTE> mapped = Header(1, 2, 1, 8, 0x20, 0, 1, 3, 2, 24);
  mapped.insert(mapped.end(), {10, 20, 30, 40, 50, 60, 3, 4});
  Write(dir.Path("map.tga"), mapped);
  bool ok;
  std::vector<DWORD> pixels = ReadAll(dir.Path("map.tga"), 2, 1, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(pixels[0], 0xFF1E140Au);
  EXPECT_EQ(pixels[1], 0xFF3C3228u);
  // Grey pictures index a grey ramp.
  std::vector<BYTE> grey = Header(3, 2, 1, 8, 0x20);
  grey.insert(grey.end(), {0x00, 0x80});
  Write(dir.Path("grey.tga"), grey);
  pixels = ReadAll(dir.Path("grey.tga"), 2, 1, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(pixels[1], 0xFF808080u);
  std::vector<BYTE> sixteen = Header(2, 1, 1, 16, 0x20);
  sixteen.insert(sixteen.end(), {0x00, 0x7C});
  Write(dir.Path("16.tga"), sixteen);
  pixels = ReadAll(dir.Path("16.tga"), 1, 1, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(pixels[0], 0xFFF80000u);
}

TEST(OwnTga, RefusesWhatItCannotReadSafely) {
  TempFolder dir;
  bool ok;
  Write(dir.Path("short.tga"), std::vector<BYTE>(17, 0));
  ReadAll(dir.Path("short.tga"), 1, 1, &ok);
  EXPECT_FALSE(ok);
  PictureInfo info;
  EXPECT_FALSE(CTgaFile().ReadInfo(Program(dir.Path("short.tga")), info));
  std::vector<BYTE> rle = Header(10, 1, 1, 24, 0);
  rle.insert(rle.end(), {0x80, 1, 2, 3});
  Write(dir.Path("rle.tga"), rle);
  ReadAll(dir.Path("rle.tga"), 1, 1, &ok);
  EXPECT_FALSE(ok);
  std::vector<BYTE> bigMap = Header(1, 1, 1, 8, 0, 0, 1, 200, 100, 24);
  bigMap.resize(bigMap.size() + 300 + 1, 0);
  Write(dir.Path("bigmap.tga"), bigMap);
  ReadAll(dir.Path("bigmap.tga"), 1, 1, &ok);
  EXPECT_FALSE(ok);
  std::vector<BYTE> shortPixels = Header(2, 4, 4, 32, 0);
  shortPixels.resize(shortPixels.size() + 10, 0);
  Write(dir.Path("shortpixels.tga"), shortPixels);
  ReadAll(dir.Path("shortpixels.tga"), 4, 4, &ok);
  EXPECT_FALSE(ok);
  // The caller's size must be the file's.
  std::vector<BYTE> fine = Header(2, 1, 1, 24, 0);
  fine.insert(fine.end(), {1, 2, 3});
  Write(dir.Path("fine.tga"), fine);
  ReadAll(dir.Path("fine.tga"), 1, 1, &ok);
  EXPECT_TRUE(ok);
  ReadAll(dir.Path("fine.tga"), 2, 2, &ok);
  EXPECT_FALSE(ok);
}

// 8-bit pixels need one byte: the pixels past the file's end are zero, and
// the origin places them like the rest.
TEST(OwnTga, ShortEightBitPixelsKeepWhatTheFileHolds) {
  TempFolder dir;
  struct Case {
    BYTE descriptor;
    std::vector<BYTE> data;
    std::vector<DWORD> expected;  // top-left pixel first
  } cases[] = {
      {0x20, {0x40}, {0xFF404040u, 0, 0, 0}},
      {0x00, {0x10, 0x20, 0x30}, {0xFF303030u, 0, 0xFF101010u, 0xFF202020u}},
  };
  bool ok;
  for (const Case& c : cases) {
    std::vector<BYTE> file = Header(3, 2, 2, 8, c.descriptor);
    file.insert(file.end(), c.data.begin(), c.data.end());
    Write(dir.Path("grey.tga"), file);
    std::vector<DWORD> pixels = ReadAll(dir.Path("grey.tga"), 2, 2, &ok);
    ASSERT_TRUE(ok) << c.data.size();
    EXPECT_EQ(pixels, c.expected) << c.data.size();
  }
  Write(dir.Path("none.tga"), Header(3, 2, 2, 8, 0x20));
  ReadAll(dir.Path("none.tga"), 2, 2, &ok);
  EXPECT_FALSE(ok);
}

TEST(OwnTga, SavedFilesReadBackHereAndInPil) {
  TempFolder dir;
  const DWORD pixels[8] = {0x80112233, 0x80112233, 0x80112233, 0x80112233,
                           0xFF0000FF, 0x00FF0000, 0x00FF0000, 0xFF00FF00};
  PictureDescription d;
  d.width = 4;
  d.height = 2;
  d.bitsPerPixel = 32;
  ASSERT_TRUE(CTgaFile().Save(Program(dir.Path("raw.tga")), d, reinterpret_cast<const BYTE*>(pixels)));
  d.compression = 1;
  ASSERT_TRUE(CTgaFile().Save(Program(dir.Path("rle.tga")), d, reinterpret_cast<const BYTE*>(pixels)));
  std::vector<BYTE> rle = Bytes(dir.Path("rle.tga"));
  EXPECT_EQ(rle[2], 10);
  EXPECT_EQ(rle[17], 40);
  EXPECT_EQ(rle[18], 131);  // four equal pixels: one packet
  bool ok;
  std::vector<DWORD> back = ReadAll(dir.Path("raw.tga"), 4, 2, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(0, std::memcmp(back.data(), pixels, sizeof pixels));
  d.bitsPerPixel = 24;
  EXPECT_FALSE(CTgaFile().Save(Program(dir.Path("24.tga")), d, reinterpret_cast<const BYTE*>(pixels)));
  if (PythonWithPil().empty()) return;
  for (const char* name : {"raw.tga", "rle.tga"}) {
    Rgba pil;
    ASSERT_TRUE(DecodeWithPil(dir.Path(name), &pil)) << name;
    ASSERT_EQ(pil.width, 4);
    for (int i = 0; i < 8; ++i) {
      const unsigned char* p = pil.At(i % 4, i / 4);
      EXPECT_EQ(static_cast<DWORD>(p[2] | (p[1] << 8) | (p[0] << 16) | (p[3] << 24)), pixels[i]) << name << " " << i;
    }
  }
}

}  // namespace
