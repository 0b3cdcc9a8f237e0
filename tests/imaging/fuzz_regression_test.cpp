// Inputs the fuzzers found that once crashed or ran for a long time; each
// must now decode or fail quickly and cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "imaging/pic_file.h"
#include "imaging/pic_image.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

std::string DataFile(const std::string& name) {
  const char* root = getenv("CALVETTA_TEST_DATA");
  for (std::string base : {std::string(root ? root : ""), std::string("tests/data"), std::string("../data")}) {
    if (base.empty()) continue;
    std::string path = base + "/imaging/" + name;
    if (!ReadBytes(path).empty()) return path;
  }
  return name;
}

// Decodes with the named format and with detection; returns the first result.
bool DecodeFile(const std::string& name, DWORD formatId, CPicImage* image) {
  std::vector<unsigned char> bytes = ReadBytes(DataFile(name));
  EXPECT_FALSE(bytes.empty()) << name << " is missing";
  auto start = std::chrono::steady_clock::now();
  CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
  bool decoded = image->Decode(&file, formatId);
  CPicMemFile again(bytes.data(), static_cast<DWORD>(bytes.size()));
  CPicImage detected;
  detected.Decode(&again, PIC_FORMAT_UNKNOWN);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << name;
  return decoded;
}

}  // namespace

TEST(FuzzRegression, PcxWithZeroBitsPerPixelIsRefused) {
  CPicImage image;
  EXPECT_FALSE(DecodeFile("pcx_zero_bits_per_pixel.pcx", PIC_FORMAT_PCX, &image));
  EXPECT_STREQ(image.GetLastError(), "Can't handle this PCX pixel depth");
}

// 3 x 266 million pixels declared in a 51-byte file: the first missing row
// ends the decode instead of every missing row being asked for.
TEST(FuzzRegression, WbmpFarLargerThanItsDataFailsAtTheEndOfTheData) {
  CPicImage image;
  EXPECT_FALSE(DecodeFile("wbmp_huge_short.wbmp", PIC_FORMAT_WBMP, &image));
  EXPECT_STREQ(image.GetLastError(), "Corrupted WBMP");
}

// A top-down bitmap 364 million rows tall and no pixel data: rows are placed
// as they are read, with no second copy of the picture to turn it.
TEST(FuzzRegression, TallTopDownBitmapNeedsNoFlip) {
  CPicImage image;
  ASSERT_TRUE(DecodeFile("bmp_tall_top_down.bmp", PIC_FORMAT_BMP, &image));
  EXPECT_EQ(image.GetHeight(), 364035579u);
}
