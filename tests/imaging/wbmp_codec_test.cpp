// WBMP codec: netpbm's files decode to what wbmptopbm makes of them, ours
// read back in wbmptopbm, sizes use the format's multi-byte integers.
#include <gtest/gtest.h>

#include <fstream>

#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

bool DecodeBytes(const std::vector<unsigned char>& bytes, CPicImage* image) {
  CPicMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return image->Decode(&file, PIC_FORMAT_WBMP);
}

std::vector<unsigned char> Encoded(CPicImage& image) {
  CPicMemFile file;
  file.Open();
  EXPECT_TRUE(image.Encode(&file, PIC_FORMAT_WBMP)) << image.GetLastError();
  return std::vector<unsigned char>(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
}

// A black-and-white picture with some structure in every row.
Rgba Pattern(int width, int height) {
  Rgba picture = TestPicture(width, height, 2);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = p[1] = p[2] = ((x * 7 + y * 3) % 5 < 2 || x == y) ? 0 : 255;
    }
  return picture;
}

bool WritePbm(const std::string& path, const Rgba& picture) {
  std::ofstream out(path, std::ios::binary);
  out << "P4\n" << picture.width << " " << picture.height << "\n";
  for (int y = 0; y < picture.height; ++y) {
    std::vector<unsigned char> row((picture.width + 7) / 8, 0);
    for (int x = 0; x < picture.width; ++x)
      if (picture.At(x, y)[0] == 0) row[x / 8] |= 0x80 >> (x % 8);
    out.write(reinterpret_cast<const char*>(row.data()), row.size());
  }
  return static_cast<bool>(out);
}

}  // namespace

TEST(WbmpCodec, ReadsNetpbmFilesOfEverySize) {
  REQUIRE_TOOL("pbmtowbmp");
  REQUIRE_TOOL("wbmptopbm");
  TempFolder folder;
  for (auto size : {std::pair{9, 2}, std::pair{8, 8}, std::pair{200, 3}, std::pair{5, 130}}) {
    SCOPED_TRACE(size.first);
    std::string pbm = folder.Path("source.pbm"), wbmp = folder.Path("tool.wbmp"), back = folder.Path("back.pbm");
    ASSERT_TRUE(WritePbm(pbm, Pattern(size.first, size.second)));
    ASSERT_TRUE(RunTool("pbmtowbmp " + Quote(pbm) + " > " + Quote(wbmp)));
    ASSERT_TRUE(RunTool("wbmptopbm " + Quote(wbmp) + " > " + Quote(back)));
    Rgba reference;
    ASSERT_TRUE(ReadNetpbm(back, &reference));
    CPicImage image;
    ASSERT_TRUE(LoadWithUs(wbmp, PIC_FORMAT_WBMP, &image)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 1);
    EXPECT_TRUE(SamePicture(reference, ToRgba(image), false));
  }
}

TEST(WbmpCodec, WritesFilesNetpbmReads) {
  REQUIRE_TOOL("wbmptopbm");
  TempFolder folder;
  for (auto size : {std::pair{9, 2}, std::pair{200, 3}, std::pair{3, 255}}) {
    SCOPED_TRACE(size.first);
    Rgba picture = Pattern(size.first, size.second);
    CPicImage image(size.first, size.second, 1);
    image.SetGrayPalette();
    for (int y = 0; y < size.second; ++y)
      for (int x = 0; x < size.first; ++x) image.SetPixelIndex(x, size.second - 1 - y, picture.At(x, y)[0] ? 1 : 0);
    std::vector<unsigned char> bytes = Encoded(image);
    if (size.first == 9) {
      EXPECT_EQ(bytes.size(), 8u);
    }
    if (size.first == 200) {
      EXPECT_EQ(bytes[2], 0x81);  // 200 takes two bytes
    }
    std::string wbmp = folder.Path("ours.wbmp"), back = folder.Path("back.pbm");
    ASSERT_TRUE(WriteBytes(wbmp, bytes));
    ASSERT_TRUE(RunTool("wbmptopbm " + Quote(wbmp) + " > " + Quote(back)));
    Rgba reference;
    ASSERT_TRUE(ReadNetpbm(back, &reference));
    EXPECT_TRUE(SamePicture(picture, reference, false));
  }
}

TEST(WbmpCodec, MultiByteSizesAndBadFiles) {
  CPicImage image;
  // Width 130 = 0x81 0x02, height 1; one row of 17 bytes.
  std::vector<unsigned char> wide = {0, 0, 0x81, 0x02, 1};
  wide.resize(wide.size() + 17, 0xFF);
  ASSERT_TRUE(DecodeBytes(wide, &image));
  EXPECT_EQ(image.GetWidth(), 130u);
  EXPECT_EQ(image.GetPixelIndex(129, 0), 1);
  EXPECT_FALSE(DecodeBytes({1, 0, 1, 1, 0}, &image));
  EXPECT_STREQ(image.GetLastError(), "Unsupported WBMP type");
  EXPECT_FALSE(DecodeBytes({0, 0, 0, 1, 0}, &image));
  EXPECT_STREQ(image.GetLastError(), "Corrupted WBMP");
  EXPECT_FALSE(DecodeBytes({0, 0}, &image));
  EXPECT_STREQ(image.GetLastError(), "Not a WBMP");
  EXPECT_FALSE(DecodeBytes({0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1}, &image));
  EXPECT_STREQ(image.GetLastError(), "Corrupted WBMP");
  // A file cut short shows the rows it holds, the rest black; the top row
  // comes first in the file.
  for (const auto& [bytes, topIndex] : {std::pair{std::vector<unsigned char>{0, 0, 8, 2, 0xFF}, 1},
                                        std::pair{std::vector<unsigned char>{0, 0, 8, 2}, 0}}) {
    ASSERT_TRUE(DecodeBytes(bytes, &image)) << bytes.size();
    EXPECT_EQ(image.GetHeight(), 2u);
    EXPECT_EQ(image.GetPixelIndex(7, 1), topIndex);
    EXPECT_EQ(image.GetPixelIndex(7, 0), 0);
  }

  CPicMemFile file;
  file.Open();
  CPicImage truecolor(4, 4, 24), wideMono(256, 1, 1);
  EXPECT_FALSE(truecolor.Encode(&file, PIC_FORMAT_WBMP));
  EXPECT_STREQ(truecolor.GetLastError(), "Can't save this image as WBMP");
  EXPECT_FALSE(wideMono.Encode(&file, PIC_FORMAT_WBMP));
  EXPECT_STREQ(wideMono.GetLastError(), "Can't save this image as WBMP");
}
