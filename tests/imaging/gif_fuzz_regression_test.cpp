// GIF inputs the fuzzer found that once ran for a long time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "imaging/pic_file.h"
#include "imaging/pic_image.h"

namespace {

std::vector<BYTE> DataBytes(const std::string& name) {
  const char* root = std::getenv("CALVETTA_TEST_DATA");
  std::ifstream in(std::string(root ? root : "tests/data") + "/imaging/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An 18249 x 24585 screen of frames far larger than the screen, in 84 bytes:
// only the part of each frame on the screen is copied.
TEST(GifFuzzRegression, HugeFramesOnAHugeScreenFinishQuickly) {
  std::vector<BYTE> bytes = DataBytes("gif_huge_frames.gif");
  ASSERT_FALSE(bytes.empty());
  auto start = std::chrono::steady_clock::now();
  CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
  CPicImage image;
  image.Decode(&file, PIC_FORMAT_GIF);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace

namespace {

// Many screen-wide frames with almost no data: rows the data never reached
// are not copied, so the work follows the data rather than the declared sizes.
TEST(GifFuzzRegression, WideFramesWithoutDataFinishQuickly) {
  std::vector<BYTE> bytes = DataBytes("gif_many_wide_frames.gif");
  ASSERT_FALSE(bytes.empty());
  auto start = std::chrono::steady_clock::now();
  for (LONG frame = 0; frame < 3; ++frame) {
    CPicMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
    CPicImage image;
    image.SetFrameIndex(frame);
    image.Decode(&file, PIC_FORMAT_GIF);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
