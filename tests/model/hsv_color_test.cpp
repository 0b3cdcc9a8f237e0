// HSV colour conversion: the primaries, greys, the sector edges, hues with no
// sector, and round trips over a grid of colours.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/raster/hsv_color.h"

namespace {

struct Hsv {
  float h, s, v;
};

Hsv ToHsv(float r, float g, float b) {
  Hsv out{-1, -1, -1};
  RgbToHsv(r, g, b, &out.h, &out.s, &out.v);
  return out;
}

TEST(RgbToHsv, PrimariesGreyAndMagenta) {
  Hsv red = ToHsv(1, 0, 0);
  EXPECT_EQ(red.h, 0.0f);
  EXPECT_EQ(red.s, 1.0f);
  EXPECT_EQ(red.v, 1.0f);
  EXPECT_EQ(ToHsv(0, 1, 0).h, 120.0f);
  EXPECT_EQ(ToHsv(0, 0, 1).h, 240.0f);
  Hsv grey = ToHsv(0.5f, 0.5f, 0.5f);
  EXPECT_EQ(grey.h, 0.0f);
  EXPECT_EQ(grey.s, 0.0f);
  EXPECT_EQ(grey.v, 0.5f);
  EXPECT_EQ(ToHsv(1, 0, 1).h, 300.0f);  // red wins the tie with blue
  Hsv black = ToHsv(0, 0, 0);
  EXPECT_EQ(black.h, 0.0f);
  EXPECT_EQ(black.s, 0.0f);
  EXPECT_EQ(ToHsv(255, 128, 0).v, 255.0f);  // value keeps the caller's scale
}

TEST(HsvToRgb, SectorsGreyAndFullTurn) {
  float r = -1, g = -1, b = -1;
  HsvToRgb(360, 1, 1, &r, &g, &b);
  EXPECT_EQ(r, 1.0f);
  EXPECT_EQ(g, 0.0f);
  EXPECT_EQ(b, 0.0f);
  HsvToRgb(120, 1, 1, &r, &g, &b);
  EXPECT_EQ(r, 0.0f);
  EXPECT_NEAR(g, 1.0f, 1e-6f);
  EXPECT_NEAR(b, 0.0f, 1e-6f);
  HsvToRgb(77, 0, 0.25f, &r, &g, &b);
  EXPECT_EQ(r, 0.25f);
  EXPECT_EQ(g, 0.25f);
  EXPECT_EQ(b, 0.25f);
  HsvToRgb(300, 1, 200, &r, &g, &b);
  EXPECT_NEAR(r, 200.0f, 1e-3f);
  EXPECT_NEAR(g, 0.0f, 1e-3f);
  EXPECT_NEAR(b, 200.0f, 1e-3f);
}

TEST(HsvToRgb, HuesWithoutASectorWriteNothing) {
  for (float h : {400.0f, 360.5f, -60.0f, -1000.0f, std::numeric_limits<float>::quiet_NaN(),
                  std::numeric_limits<float>::infinity(), 3e9f}) {
    float r = 0.1f, g = 0.2f, b = 0.3f;
    HsvToRgb(h, 1, 1, &r, &g, &b);
    EXPECT_EQ(r, 0.1f) << h;
    EXPECT_EQ(g, 0.2f) << h;
    EXPECT_EQ(b, 0.3f) << h;
  }
  float r = 0, g = 0, b = 0;
  HsvToRgb(-30, 1, 1, &r, &g, &b);  // just below 0 still falls in sector 0
  EXPECT_EQ(r, 1.0f);
}

TEST(HsvToRgb, HuesJustBelowAFullTurnAreRed) {
  // 359.99997 times the float one-sixtieth rounds to exactly 6.
  float h = std::nextafter(360.0f, 0.0f);
  ASSERT_EQ(h * 0.016666668f, 6.0f);
  float r = -1, g = -1, b = -1;
  HsvToRgb(h, 1, 1, &r, &g, &b);
  EXPECT_EQ(r, 1.0f);
  EXPECT_EQ(g, 0.0f);
  EXPECT_EQ(b, 0.0f);
}

TEST(HsvColor, RoundTripsOverAGridOfColours) {
  for (int ri = 0; ri <= 10; ++ri) {
    for (int gi = 0; gi <= 10; ++gi) {
      for (int bi = 0; bi <= 10; ++bi) {
        float r = ri / 10.0f, g = gi / 10.0f, b = bi / 10.0f;
        Hsv hsv = ToHsv(r, g, b);
        ASSERT_GE(hsv.h, 0.0f);
        ASSERT_LE(hsv.h, 360.0f);
        float r2 = -1, g2 = -1, b2 = -1;
        HsvToRgb(hsv.h, hsv.s, hsv.v, &r2, &g2, &b2);
        EXPECT_NEAR(r2, r, 2e-6f) << r << " " << g << " " << b;
        EXPECT_NEAR(g2, g, 2e-6f) << r << " " << g << " " << b;
        EXPECT_NEAR(b2, b, 2e-6f) << r << " " << g << " " << b;
      }
    }
  }
}

}  // namespace
