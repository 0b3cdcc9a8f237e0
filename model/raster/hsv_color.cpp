// HSV <-> RGB on floats, in the program's own rounding: each intermediate is
// a float.
#include "model/raster/hsv_color.h"

#include <algorithm>

namespace {

constexpr float kOneSixtieth = 0.016666668f;
constexpr float kFullTurn = 360.0f;
constexpr int kSectors = 6;

}  // namespace

void HsvToRgb(float h, float s, float v, float* r, float* g, float* b) {
  if (s == 0.0f) {
    *r = *g = *b = v;
    return;
  }
  if (h == kFullTurn) h = 0.0f;
  float scaled = h * kOneSixtieth;
  // The largest hues below 360 round up to 6 here; they are the full turn,
  // not "no sector" (which would leave the outputs unwritten).
  if (h < kFullTurn && scaled >= static_cast<float>(kSectors)) scaled = 0.0f;
  // Checked before truncating: a hue that is NaN or out of int range has no
  // sector (and converting it to int would be undefined).
  if (!(scaled > -1.0f && scaled < static_cast<float>(kSectors))) return;
  int sector = static_cast<int>(scaled);
  float f = scaled - static_cast<float>(sector);
  float p = (1.0f - s) * v;
  float q = (1.0f - s * f) * v;
  float t = (1.0f - (1.0f - f) * s) * v;
  switch (sector) {
    case 0: *r = v; *g = t; *b = p; break;
    case 1: *r = q; *g = v; *b = p; break;
    case 2: *r = p; *g = v; *b = t; break;
    case 3: *r = p; *g = q; *b = v; break;
    case 4: *r = t; *g = p; *b = v; break;
    case 5: *r = v; *g = p; *b = q; break;
    default: break;
  }
}

void RgbToHsv(float r, float g, float b, float* h, float* s, float* v) {
  float maxChannel = std::max({r, g, b});
  float minChannel = std::min({r, g, b});
  float delta = maxChannel - minChannel;
  *v = maxChannel;
  if (maxChannel == 0.0f) {
    *s = 0.0f;
    *h = 0.0f;
    return;
  }
  *s = delta / maxChannel;
  if (*s == 0.0f) {
    *h = 0.0f;
    return;
  }
  float rc = (maxChannel - r) / delta;
  float gc = (maxChannel - g) / delta;
  float bc = (maxChannel - b) / delta;
  float hue;
  if (r == maxChannel) {
    hue = bc - gc;
  } else if (g == maxChannel) {
    hue = 2.0f + rc - bc;
  } else {
    hue = 4.0f + gc - rc;
  }
  hue *= 60.0f;
  if (hue < 0.0f) hue += kFullTurn;
  *h = hue;
}
