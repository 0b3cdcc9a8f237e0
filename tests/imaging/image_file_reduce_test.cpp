// Pictures reduced while they are decoded: the reducer's row orders, every
// reading road against the whole picture reduced after, and what the cache
// keeps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "compat/host_path.h"
#include "imaging/box_reducer.h"
#include "imaging/image_cache.h"
#include "imaging/image_file.h"
#include "imaging_test_tools.h"
#include "large_picture_files.h"

using namespace imaging_test;

namespace {

CString Program(const std::string& hostPath) { return CString(compat::FromHostPath(hostPath).c_str()); }

std::vector<DWORD> Reduce(const std::vector<DWORD>& whole, int w, int h, int dw, int dh, bool bottomUp) {
  std::vector<DWORD> out(static_cast<size_t>(dw) * dh, 0x12345678u);
  CBoxReducer reducer(w, h, out.data(), dw, dh, bottomUp);
  for (int i = 0; i < h; ++i) reducer.TakeRow(whole.data() + static_cast<size_t>(bottomUp ? h - 1 - i : i) * w);
  EXPECT_EQ(reducer.RowsLeft(), 0);
  return out;
}

struct Read {
  bool ok = false;
  LONG width = 0, height = 0;
  std::vector<DWORD> pixels;
};

// Open and size, then the whole picture, or the picture reduced to w x h.
Read ReadPicture(const std::string& path, LONG w = 0, LONG h = 0) {
  Read r;
  CImageFile file;
  if (!file.Open(Program(path)) || !file.GetSize(&r.width, &r.height)) return r;
  const bool whole = w == 0;
  if (whole) w = r.width, h = r.height;
  r.pixels.assign(static_cast<size_t>(w) * h, 0);
  r.ok = whole ? file.ReadPixels(r.pixels.data(), w, h) : file.ReadPixelsReduced(r.pixels.data(), w, h);
  return r;
}

}  // namespace

TEST(BoxReducer, RowsInEitherOrderGiveTheSamePicture) {
  std::mt19937 random(5);
  struct Size {
    int w, h, dw, dh;
  } sizes[] = {{37, 23, 10, 7}, {100, 61, 33, 20}, {5, 4, 12, 9}, {16, 16, 16, 16}, {1000, 3, 7, 1}, {3, 50, 2, 49}};
  for (const Size& s : sizes) {
    std::vector<DWORD> whole(static_cast<size_t>(s.w) * s.h);
    for (DWORD& p : whole) p = random();
    const std::vector<DWORD> down = Reduce(whole, s.w, s.h, s.dw, s.dh, false);
    EXPECT_EQ(Reduce(whole, s.w, s.h, s.dw, s.dh, true), down) << s.w << "x" << s.h;
    if (s.w == s.dw && s.h == s.dh) {
      EXPECT_EQ(down, whole);
    }
  }
  DWORD pixel = 0;
  EXPECT_FALSE(CBoxReducer(0, 1, &pixel, 1, 1).Valid());
  EXPECT_FALSE(CBoxReducer(1, 1, &pixel, 1, 0).Valid());
}

// Rows reduced as the decoder hands them (plain PNG), from the own BMP and
// TGA readers, and from a decoded codec picture (16-bit PNG, GIF, TIFF):
// every road gives exactly the whole picture reduced after decoding.
TEST(ImageFileReduced, EveryRoadGivesTheWholePictureReduced) {
  REQUIRE_TOOL("convert");
  TempFolder dir;
  const LONG w = 1500, h = 1100, dw = 1024, dh = 750;
  ASSERT_TRUE(WriteLargePng(dir.Path("plain.png"), w, h));
  std::vector<DWORD> source(static_cast<size_t>(w) * h);
  for (LONG y = 0; y < h; ++y)
    for (LONG x = 0; x < w; ++x) source[static_cast<size_t>(y) * w + x] = LargePicturePixel(x, y);
  ASSERT_TRUE(CImageFile().Save(Program(dir.Path("own.bmp")), 0, 0, w, h, source.data(), 0));
  ASSERT_TRUE(CImageFile().Save(Program(dir.Path("own.tga")), 0, 0, w, h, source.data(), 0));
  ASSERT_TRUE(RunTool("convert " + Quote(dir.Path("plain.png")) + " -depth 16 " + Quote("png48:" + dir.Path("deep.png"))));
  ASSERT_TRUE(RunTool("convert " + Quote(dir.Path("plain.png")) + " " + Quote(dir.Path("picture.gif"))));
  ASSERT_TRUE(RunTool("convert " + Quote(dir.Path("plain.png")) + " " + Quote(dir.Path("picture.tif"))));
  ASSERT_TRUE(RunTool("convert " + Quote(dir.Path("plain.png")) + " -colors 200 -compress RLE " +
                      Quote("bmp3:" + dir.Path("rle.bmp"))));
  // The same rows stored top row first, with a negative height.
  std::vector<unsigned char> bmp = ReadBytes(dir.Path("own.bmp"));
  const size_t rowBytes = (3 * static_cast<size_t>(w) + 3) / 4 * 4;
  std::vector<unsigned char> topDown(bmp.begin(), bmp.begin() + 54);
  for (LONG y = h; y-- > 0;) topDown.insert(topDown.end(), bmp.begin() + 54 + y * rowBytes, bmp.begin() + 54 + (y + 1) * rowBytes);
  const LONG negative = -h;
  std::memcpy(&topDown[22], &negative, 4);
  WriteBytes(dir.Path("topdown.bmp"), topDown);
  // ImageMagick stores TGA rows bottom row first.
  ASSERT_TRUE(RunTool("convert " + Quote(dir.Path("plain.png")) + " " + Quote(dir.Path("tool.tga"))));
  for (const char* name : {"plain.png", "own.bmp", "topdown.bmp", "rle.bmp", "own.tga", "tool.tga", "deep.png",
                           "picture.gif", "picture.tif"}) {
    SCOPED_TRACE(name);
    const Read whole = ReadPicture(dir.Path(name));
    ASSERT_TRUE(whole.ok);
    ASSERT_EQ(whole.width, w);
    const Read reduced = ReadPicture(dir.Path(name), dw, dh);
    ASSERT_TRUE(reduced.ok);
    EXPECT_EQ(reduced.pixels, Reduce(whole.pixels, w, h, dw, dh, false));
    // The cache keeps the reduced picture beside the whole one.
    std::vector<DWORD> cached(static_cast<size_t>(dw) * dh);
    EXPECT_TRUE(GetImageCache().CopyPixels(Program(dir.Path(name)), cached.data(), dw, dh));
    EXPECT_EQ(cached, reduced.pixels);
  }
}

// A JPEG is decoded at the smallest scale of eighths that covers the size
// asked for (here 3/8, 1125 x 750 for 1024 x 682), then box-reduced: close
// to the whole picture reduced, not equal.
TEST(ImageFileReduced, JpegScaledAtDecodeStaysCloseToTheWholePictureReduced) {
  TempFolder dir;
  const LONG w = 3000, h = 2000, dw = 1024, dh = 682;
  ASSERT_TRUE(WriteLargeJpeg(dir.Path("photo.jpg"), w, h));
  const Read whole = ReadPicture(dir.Path("photo.jpg"));
  ASSERT_TRUE(whole.ok);
  const std::vector<DWORD> expected = Reduce(whole.pixels, w, h, dw, dh, false);
  const Read reduced = ReadPicture(dir.Path("photo.jpg"), dw, dh);
  ASSERT_TRUE(reduced.ok);
  int worst = 0;
  double total = 0;
  for (size_t i = 0; i < expected.size(); ++i)
    for (int c = 0; c < 3; ++c) {
      const int d = std::abs(static_cast<int>((expected[i] >> (8 * c)) & 0xFF) - static_cast<int>((reduced.pixels[i] >> (8 * c)) & 0xFF));
      worst = std::max(worst, d);
      total += d;
    }
  const double mean = total / (3.0 * static_cast<double>(expected.size()));
  RecordProperty("largest_difference", worst);
  RecordProperty("mean_difference_thousandths", static_cast<int>(mean * 1000));
  EXPECT_LE(worst, 3);
  EXPECT_LT(mean, 0.1);
}

TEST(ImageFileReduced, LargePicturesAreNotKeptWholeInTheCache) {
  TempFolder dir;
  ASSERT_TRUE(WriteLargePng(dir.Path("large.png"), 2100, 2100));
  const Read whole = ReadPicture(dir.Path("large.png"));
  ASSERT_TRUE(whole.ok);
  EXPECT_EQ(GetImageCache().Find(Program(dir.Path("large.png"))), -1);
  ASSERT_TRUE(ReadPicture(dir.Path("large.png"), 1024, 1024).ok);
  EXPECT_GE(GetImageCache().Find(Program(dir.Path("large.png"))), 0);
}

// A path the cache holds only reduced still reads whole, through the reader
// its ending names.
TEST(ImageFileReduced, APictureCachedReducedStillReadsWhole) {
  TempFolder dir;
  std::vector<DWORD> source(1500 * 1100);
  for (size_t i = 0; i < source.size(); ++i) source[i] = LargePicturePixel(static_cast<DWORD>(i % 1500), static_cast<DWORD>(i / 1500));
  ASSERT_TRUE(CImageFile().Save(Program(dir.Path("only.bmp")), 0, 0, 1500, 1100, source.data(), 0));
  ASSERT_TRUE(ReadPicture(dir.Path("only.bmp"), 1024, 750).ok);
  const Read whole = ReadPicture(dir.Path("only.bmp"));
  ASSERT_TRUE(whole.ok);
  EXPECT_EQ(whole.pixels, source);
}
