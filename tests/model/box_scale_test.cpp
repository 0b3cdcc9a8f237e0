// The box-filter scaler against ImageMagick's box filter on noise pictures.
#include "model/raster/box_scale.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <random>

#include "support/tool_runner.h"

namespace {

// Scales w x h noise with ImageMagick and with us; the largest difference of
// one channel.
int LargestDifference(int w, int h, int dw, int dh) {
  testsupport::TempDir dir;
  std::mt19937 random(w * 131 + h);
  std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
  std::vector<uint8_t> rgba;
  for (DWORD& p : pixels) {
    p = 0xFF000000 | (random() & 0xFFFFFF);
    rgba.insert(rgba.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p), 255});
  }
  std::ofstream(dir.File("in.raw"), std::ios::binary).write(reinterpret_cast<const char*>(rgba.data()), static_cast<std::streamsize>(rgba.size()));
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  const std::string target = std::to_string(dw) + "x" + std::to_string(dh) + "!";
  int status = 0;
  testsupport::RunTool("convert -size " + size + " -depth 8 rgba:" + dir.File("in.raw") + " -filter Box -resize " +
                           target + " -depth 8 rgba:" + dir.File("out.raw"),
                       &status);
  if (status != 0) return -1;
  std::ifstream in(dir.File("out.raw"), std::ios::binary);
  std::vector<uint8_t> theirs((std::istreambuf_iterator<char>(in)), {});
  if (theirs.size() != static_cast<size_t>(dw) * dh * 4) return -1;
  std::vector<DWORD> ours(static_cast<size_t>(dw) * dh);
  BoxScalePixels(pixels.data(), w, h, ours.data(), dw, dh);
  int worst = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    const int channel[3] = {static_cast<int>(ours[i] >> 16 & 0xFF), static_cast<int>(ours[i] >> 8 & 0xFF),
                            static_cast<int>(ours[i] & 0xFF)};
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(channel[c] - theirs[i * 4 + c]));
  }
  return worst;
}

}  // namespace

TEST(BoxScale, WholeFactorsMatchImageMagick) {
  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("convert"), "ImageMagick");
  // Reductions, and an enlargement (a picture laid out at a larger output).
  for (auto [w, h, dw, dh] : {std::array{64, 48, 32, 24}, std::array{90, 30, 30, 10}, std::array{16, 12, 64, 48}}) {
    const int worst = LargestDifference(w, h, dw, dh);
    EXPECT_GE(worst, 0) << "ImageMagick failed";
    EXPECT_LE(worst, 1) << w << "x" << h;
  }
}

TEST(BoxScale, RefusesEmptySizes) {
  DWORD pixel = 0;
  EXPECT_FALSE(BoxScalePixels(&pixel, 0, 1, &pixel, 1, 1));
  EXPECT_FALSE(BoxScalePixels(&pixel, 1, 1, &pixel, 1, 0));
  EXPECT_TRUE(BoxScalePixels(&pixel, 1, 1, &pixel, 1, 1));
}
