// Colour-variation fills: the ramp routines, and the linear, radial and
// angular styles with stops, midpoints, repeats and mirroring compared at
// sampled pixels with a continuous model of the gradient written here.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "model/raster/color_variation_fill.h"

namespace {

int Ch(DWORD c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

DWORD Mix(DWORD a, DWORD b, double t) {
  DWORD out = 0;
  for (int s = 0; s < 32; s += 8) out |= static_cast<DWORD>(std::lround(Ch(a, s) + (Ch(b, s) - Ch(a, s)) * t)) << s;
  return out;
}

// The gradient as a function of a fraction 0..1 of one run: piecewise linear
// between stops, reaching the stops' average at the midpoint (the angular
// style reaches the colour that far between them instead).
DWORD Model(const CGradientDesc& d, double p, bool angular = false) {
  if (p <= d.positions[0]) return d.colors[0];
  for (int i = 0; i + 1 < d.stopCount; ++i) {
    const double a = d.positions[i], b = d.positions[i + 1];
    if (p > b) continue;
    const double u = b > a ? (p - a) / (b - a) : 1.0;
    const double m = d.midpoints[i];
    const DWORD mid = Mix(d.colors[i], d.colors[i + 1], angular ? m : 0.5);
    return u < m ? Mix(d.colors[i], mid, u / m) : Mix(mid, d.colors[i + 1], (u - m) / (1 - m));
  }
  return d.colors[d.stopCount - 1];
}

// Position v along a ramp of `extent` entries split into repeat runs: the
// first run and the first copy forward, then copies alternating when
// mirrored.
DWORD RepeatedModel(const CGradientDesc& d, double v, double extent) {
  const double run = std::ceil(extent / d.repeatCount);
  const int index = static_cast<int>(v / run);
  double p = (v - index * run) / run;
  const bool backward = d.repeatMode == 0 && index >= 1 && (index - 1) % 2 == 1;
  if (backward) p = 1 - p;
  return Model(d, p);
}

// The ramp is discrete: a pixel may sit up to about one ramp entry away from
// where the continuous model puts it, so each channel must lie within the
// model's values over v - spread .. v + spread (plus rounding).
template <class F>
void ExpectNearModel(DWORD actual, F model, double v, double spread, const std::string& where) {
  for (int s = 0; s < 32; s += 8) {
    int lo = 255, hi = 0;
    for (double t = v - spread; t <= v + spread + 1e-9; t += spread / 8) {
      lo = std::min(lo, Ch(model(t), s));
      hi = std::max(hi, Ch(model(t), s));
    }
    EXPECT_GE(Ch(actual, s), lo - 2) << where << " channel " << s;
    EXPECT_LE(Ch(actual, s), hi + 2) << where << " channel " << s;
  }
}

void ExpectClose(DWORD actual, DWORD expected, int tolerance, const std::string& where) {
  for (int s = 0; s < 32; s += 8) {
    EXPECT_NEAR(Ch(actual, s), Ch(expected, s), tolerance) << where << " channel " << s;
  }
}

CGradientDesc ThreeStops() {
  CGradientDesc d;
  d.stopCount = 3;
  d.colors[0] = 0xFF000000;
  d.colors[1] = 0xFFFF8000;
  d.colors[2] = 0x80FFFFFF;
  d.positions[0] = 0.1f;
  d.positions[1] = 0.4f;
  d.positions[2] = 0.9f;
  d.midpoints[0] = 0.25f;
  d.midpoints[1] = 0.7f;
  d.angle = 0;
  return d;
}

std::unique_ptr<DWORD[]> Render(int w, int h, const CGradientDesc& d) {
  return std::unique_ptr<DWORD[]>(RenderVaryColorFill(SIZE{w, h}, d));
}

}  // namespace

TEST(GradientFill, RampRoutinesMatchHandValues) {
  DWORD one;
  FillColorRamp(&one, 0xFF000000, 0xFFFFFFFF, 1);
  EXPECT_EQ(one, 0xFF7F7F7Fu);
  DWORD three[3];
  FillColorRamp(three, 0xFF000000, 0xFFFFFFFF, 3);
  EXPECT_EQ(three[0], 0xFF000000u);
  EXPECT_EQ(three[1], 0xFF7F7F7Fu);
  EXPECT_EQ(three[2], 0xFFFFFFFFu);
  DWORD down[4] = {};
  FillColorRamp(down, 0x000000FF, 0x00000000, 4);
  EXPECT_EQ(down[1], 0xAAu);  // 255 + (-255 * 1) / 3 toward zero
  const DWORD src[3] = {1, 2, 3};
  DWORD dst[3];
  CopyRampRun(dst, src, 3, false);
  EXPECT_EQ(dst[0], 3u);
  EXPECT_EQ(dst[2], 1u);
}

TEST(GradientFill, LinearRampFollowsStopsAndMidpoints) {
  const CGradientDesc d = ThreeStops();
  const int w = 200;
  auto px = Render(w, 4, d);
  ASSERT_TRUE(px);
  for (int x = 0; x < w; x += 7) {
    ExpectNearModel(px[2 * w + x], [&](double v) { return Model(d, v / 200.0); }, x, 1.5, "x " + std::to_string(x));
    EXPECT_EQ(px[x], px[3 * w + x]);  // every row alike at angle 0
  }
  // 180 mirrors, 360 is 0, 90 runs from the bottom row up.
  CGradientDesc mirrored = d;
  mirrored.angle = 180;
  auto m = Render(w, 4, mirrored);
  EXPECT_EQ(m[w - 1 - 37], px[37]);
  CGradientDesc full = d;
  full.angle = 360;
  auto f = Render(w, 4, full);
  EXPECT_EQ(std::vector<DWORD>(f.get(), f.get() + 4 * w), std::vector<DWORD>(px.get(), px.get() + 4 * w));
  CGradientDesc up = d;
  up.angle = 90;
  auto u = Render(3, w, up);
  ExpectClose(u[(w - 1) * 3], Model(d, 0), 4, "bottom");
  ExpectNearModel(u[(w - 1 - 120) * 3 + 1], [&](double v) { return Model(d, v / 200.0); }, 120, 1.5, "row");
}

TEST(GradientFill, DiagonalLinearUsesProjectedDistance) {
  CGradientDesc d = ThreeStops();
  d.angle = 30;
  const int w = 120, h = 80;
  auto px = Render(w, h, d);
  const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  const double extent = std::trunc(c * w + s * h + 0.5);
  for (int y = 0; y < h; y += 9) {
    for (int x = 0; x < w; x += 11) {
      const double v = x * c + (h - 1 - y) * s;  // grows to the right and up
      ExpectNearModel(px[y * w + x], [&](double t) { return Model(d, t / extent); }, v, 1.5,
                      std::to_string(x) + "," + std::to_string(y));
    }
  }
}

TEST(GradientFill, RepeatsRunForwardOrMirrored) {
  for (int mode : {0, 1}) {
    CGradientDesc d = ThreeStops();
    d.repeatCount = 3;
    d.repeatMode = mode;
    const int w = 240;
    auto px = Render(w, 2, d);
    for (int x = 0; x < w; x += 5) {
      ExpectNearModel(px[w + x], [&](double v) { return RepeatedModel(d, std::max(v, 0.0), w); }, x, 1.5,
                      "mode " + std::to_string(mode) + " x " + std::to_string(x));
    }
  }
}

TEST(GradientFill, RadialRingsGrowFromTheCentre) {
  CGradientDesc d = ThreeStops();
  d.style = 1;
  auto small = Render(11, 11, d);
  for (int k = 1; k <= 5; ++k) {  // rings: the same colour at the same distance
    EXPECT_EQ(small[5 * 11 + 5 + k], small[5 * 11 + 5 - k]);
    EXPECT_EQ(small[(5 + k) * 11 + 5], small[5 * 11 + 5 + k]);
  }
  const int w = 90, h = 60;
  auto px = Render(w, h, d);
  const double extent = std::floor((std::ceil(std::hypot(w, h)) + 1) / 2);  // half the diagonal
  for (int y = 0; y < h; y += 7) {
    for (int x = 0; x < w; x += 6) {
      const double dist = std::hypot(x - w / 2, y - h / 2);
      // The far corners blend into the start of the repeated copy.
      if (dist > extent - 1) continue;
      ExpectNearModel(px[y * w + x], [&](double t) { return Model(d, t / extent); }, dist, 1.5,
                      std::to_string(x) + "," + std::to_string(y));
    }
  }
}

TEST(GradientFill, AngularSweepFollowsTheAngle) {
  CGradientDesc d;
  d.style = 2;
  d.stopCount = 2;
  d.colors[0] = 0xFF0000FF;
  d.colors[1] = 0xFFFF0000;
  d.positions[0] = 0;
  d.positions[1] = 1;
  d.midpoints[0] = 0.4f;
  const int size = 121;
  auto px = Render(size, size, d);
  for (int k = 1; k < 60; ++k) {
    const double a = 2 * M_PI * k / 60.0 - 0.01;
    const int x = 60 + static_cast<int>(std::lround(45 * std::cos(a)));
    const int y = 60 + static_cast<int>(std::lround(45 * std::sin(a)));
    double turn = std::atan2(y - 60.0, x - 60.0) / (2 * M_PI);
    if (turn < 0) turn += 1;
    ExpectClose(px[y * size + x], Model(d, turn, true), 6, "k " + std::to_string(k));
  }
  // The centre takes one defined colour.
  const DWORD centre = px[60 * size + 60];
  EXPECT_EQ(centre >> 24, 0xFFu);
}

TEST(GradientFill, AngularWrapFromALastStopAtOneStartsOnTheLastSample) {
  // 16 x 2: 10 rings, a top level of 64 samples. Black at 0.04 (sample 2),
  // white at 1 (sample 63, the last): the closing run white, 0x80, black
  // puts white on sample 63 and 0x80, black on samples 0 and 1.
  CGradientDesc d;
  d.style = 2;
  d.stopCount = 2;
  d.colors[0] = 0xFF000000;
  d.colors[1] = 0xFFFFFFFF;
  d.positions[0] = 0.04f;
  d.positions[1] = 1.0f;
  auto px = Render(16, 2, d);
  // (14, 1) lies at angle 0 on ring 6: 32 samples (0x80 and black averaged
  // to 0x40) blended 0.178 of the way to the top level's 0x80.
  ExpectClose(px[16 + 14], 0xFF4B4B4B, 2, "angle 0");
}

TEST(GradientFill, HostileDescriptionsStayInsideTheTables) {
  for (int style : {0, 1, 2, 7}) {
    CGradientDesc d;
    d.style = style;
    d.stopCount = 300;  // beyond the tables
    d.repeatCount = 0;
    d.positions[3] = -4;
    d.positions[4] = std::nanf("");
    d.positions[7] = 9;
    d.midpoints[2] = 40;
    d.midpoints[254] = -3;
    d.angle = 1e30f;
    auto px = Render(37, 23, d);
    ASSERT_TRUE(px);
    d.repeatCount = 1 << 30;
    d.angle = -725;
    d.stopCount = 0;
    px = Render(5, 300, d);
    ASSERT_TRUE(px);
  }
  EXPECT_EQ(RenderVaryColorFill(SIZE{0, 10}, CGradientDesc()), nullptr);
  EXPECT_EQ(RenderVaryColorFill(SIZE{1 << 20, 1 << 20}, CGradientDesc()), nullptr);
}

TEST(GradientFill, DefaultLinearExtentAndCoincidentStops) {
  CLinearColorStyle linear;
  EXPECT_EQ(linear.Extent(CGradientDesc(), 100, 100), 141);
  CGradientDesc d;
  d.stopCount = 4;
  d.angle = 0;
  d.colors[0] = 0xFF000000;
  d.colors[1] = 0xFF0000FE;
  d.colors[2] = 0xFFFE0000;
  d.colors[3] = 0xFFFE0000;
  d.positions[0] = 0;
  d.positions[1] = 0.5f;
  d.positions[2] = 0.5f;  // same index as stop 1: a hard step
  d.positions[3] = 1;
  auto px = Render(100, 1, d);
  EXPECT_EQ(px[49] & 0xFF0000u, 0u);
  EXPECT_EQ(px[50], 0xFFFE0000u);  // the next pair starts on the shared entry
  EXPECT_EQ(px[99], 0xFFFE0000u);
}
