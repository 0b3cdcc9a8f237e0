// Colour adjustment in HSV space.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/color_adjust.h"

namespace {

struct Area {
  std::vector<DWORD> source, destination;
  PixelView in;
  ClippedPixelView out;
  Area(std::vector<DWORD> pixels, LONG width, LONG height) : source(pixels), destination(pixels.size(), 0) {
    in = PixelView{width, height, width, source.data()};
    out.width = width;
    out.height = height;
    out.rowPixels = width;
    out.pixels = destination.data();
    out.clip = RECT{0, 0, width, height};
  }
  bool Adjust(float b, float h, float s, float c) { return AdjustPixelColors(&in, &out, b, h, s, c); }
};

TEST(PixelToHsv, HueSaturationValueAndNoHueForGreys) {
  double h, s, v;
  PixelToHsv(0xFFFF0000, &h, &s, &v);
  EXPECT_DOUBLE_EQ(h, 0);
  EXPECT_DOUBLE_EQ(s, 1);
  PixelToHsv(0xFF0000FF, &h, &s, &v);
  EXPECT_DOUBLE_EQ(h, 240);
  PixelToHsv(0xFF808080, &h, &s, &v);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(s, 0);
  EXPECT_NEAR(v, 128 / 255.0, 1e-12);
}

TEST(AdjustPixelColors, NothingToDoLeavesThePlainCopy) {
  Area a({0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0}, 2, 2);
  EXPECT_FALSE(a.Adjust(0, 0, 0, 0));
  EXPECT_EQ(a.destination, a.source);
}

TEST(AdjustPixelColors, BrightnessExtremesGiveWhiteAndBlack) {
  Area up({0xFF123456, 0x80FF0000}, 2, 1);
  ASSERT_TRUE(up.Adjust(1, 0, 0, 0));
  // The clip is exclusive of its right edge for the adjustment: one pixel.
  EXPECT_EQ(up.destination[0], 0xFFFFFFFFu);
  Area down({0xFF123456, 0xFF654321, 0}, 3, 1);
  down.out.clip = RECT{0, 0, 2, 1};
  ASSERT_TRUE(down.Adjust(-1, 0, 0, 0));
  EXPECT_EQ(down.destination[0], 0xFF000000u);
  EXPECT_EQ(down.destination[1], 0xFF000000u);
}

TEST(AdjustPixelColors, SaturationAndHueTurnColoursButNeverGreys) {
  Area a({0xFFC04020, 0xFF808080, 0}, 3, 1);
  ASSERT_TRUE(a.Adjust(0, 0, -1, 0));
  EXPECT_EQ(a.destination[0], 0xFFC0C0C0u);  // grey at the maximum channel
  Area b({0xFFC04020, 0xFF808080, 0}, 3, 1);
  ASSERT_TRUE(b.Adjust(0, 1, 0.8f, 0));
  // Hue +100 % turns by 180 degrees: red-orange becomes blue-cyan.
  EXPECT_GT(b.destination[0] & 0xFF, (b.destination[0] >> 16) & 0xFF);
  // A grey has no hue to saturate: it stays exactly grey.
  EXPECT_EQ(b.destination[1], 0xFF808080u);
}

TEST(AdjustPixelColors, ContrastTowardsTheMeanAndClampedBytes) {
  Area flat({0xFFFF0000, 0xFF000000}, 2, 1);  // mean of maxima 0.5
  ASSERT_TRUE(flat.Adjust(0, 0, 0, -1));
  EXPECT_EQ(flat.destination[0], 0xFF800000u);  // V rounded
  EXPECT_EQ(flat.destination[1], 0xFF7F7F7Fu);  // a grey's value truncated
  // Brightness +0.5 on a saturated colour pushes V past the byte: clamped.
  Area bright({0xFF00FF00, 0}, 2, 1);
  ASSERT_TRUE(bright.Adjust(0.5f, 0, 0, 0));
  EXPECT_EQ((bright.destination[0] >> 8) & 0xFF, 0xFFu);
}

}  // namespace
