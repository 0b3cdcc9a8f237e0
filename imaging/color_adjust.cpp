// Colour adjustment of a pixel area in HSV space.
#include "imaging/color_adjust.h"

#include <algorithm>

namespace {

constexpr double kByteToUnit = 0.00392156862745098;
constexpr double kSixtieth = 0.016666666666666666;

BYTE Channel(DWORD pixel, int shift) { return static_cast<BYTE>(pixel >> shift); }

// V, P, Q and T leave the unit range when brightness pushes the value past 1;
// they are clamped before they become bytes.
BYTE ToByte(double v) { return static_cast<BYTE>(std::clamp(v + 0.5, 0.0, 255.0)); }

DWORD FromHsv(double h, double s, double v, DWORD alpha) {
  BYTE r, g, b;
  if (s == 0) {
    r = g = b = static_cast<BYTE>(std::clamp(v * 255.0, 0.0, 255.0));
  } else {
    const double h6 = (h == 360 ? 0 : h) * kSixtieth;
    const int i = static_cast<int>(h6);
    const double f = h6 - i, value = v * 255;
    const BYTE V = ToByte(value), P = ToByte((1 - s) * value), Q = ToByte((1 - s * f) * value),
               T = ToByte((1 - (1 - f) * s) * value);
    switch (i) {
      case 0: r = V, g = T, b = P; break;
      case 1: r = Q, g = V, b = P; break;
      case 2: r = P, g = V, b = T; break;
      case 3: r = P, g = Q, b = V; break;
      case 4: r = T, g = P, b = V; break;
      default: r = V, g = P, b = Q; break;
    }
  }
  return b | (g << 8) | (r << 16) | (alpha & 0xFF000000u);
}

}  // namespace

void PixelToHsv(DWORD pixel, double* hue, double* saturation, double* value) {
  const double r = Channel(pixel, 16) * kByteToUnit, g = Channel(pixel, 8) * kByteToUnit,
               b = Channel(pixel, 0) * kByteToUnit;
  const double v = std::max({r, g, b}), m = std::min({r, g, b});
  const double s = v > 0 ? (v - m) / v : 0;
  double h = -1;
  if (s != 0) {
    const double d = v - m;
    if (r == v)
      h = (g - b) / d;
    else if (g == v)
      h = (b - r) / d + 2;
    else
      h = (r - g) / d + 4;
    h *= 60;
    if (h < 0) h += 360;
  }
  *hue = h;
  *saturation = s;
  *value = v;
}

bool AdjustPixelColors(PixelView* source, ClippedPixelView* destination, float brightness, float hue,
                       float saturation, float contrast) {
  if (!source || !destination) return false;
  const RECT clip = destination->clip;
  if (source->pixels && destination->pixels) {
    for (LONG y = 0; y < source->height; ++y) {
      if (y < clip.top || y > clip.bottom || y >= destination->height) continue;
      for (LONG x = 0; x < source->width; ++x)
        if (x >= clip.left && x <= clip.right && x < destination->width)
          destination->pixels[static_cast<size_t>(y) * destination->rowPixels + x] =
              source->pixels[static_cast<size_t>(y) * source->rowPixels + x];
    }
  }
  // Both views shrink to the clip rectangle (exclusive of its right and bottom).
  auto narrow = [&](PixelView& view) {
    if (view.pixels) view.pixels += static_cast<size_t>(clip.top) * view.rowPixels + clip.left;
    view.width = std::max<LONG>(0, std::min<LONG>(clip.right - clip.left, view.width - clip.left));
    view.height = std::max<LONG>(0, std::min<LONG>(clip.bottom - clip.top, view.height - clip.top));
  };
  if (clip.left < 0 || clip.top < 0) return false;
  narrow(*source);
  narrow(*destination);
  if (brightness == 0 && hue == 0 && saturation == 0 && contrast == 0) return false;
  if (!source->pixels || !destination->pixels) return false;

  const double scale = 1 - std::abs(brightness);
  const double hueShift = hue * 180.0 + 360.0;
  const double contrastFactor = contrast + 1.0;
  const LONG width = std::min(source->width, destination->width);
  const LONG height = std::min(source->height, destination->height);
  double mean = 0.5;
  if (contrast != 0 && width > 0 && height > 0) {
    double sum = 0;
    for (LONG y = 0; y < height; ++y)
      for (LONG x = 0; x < width; ++x) {
        const DWORD p = source->pixels[static_cast<size_t>(y) * source->rowPixels + x];
        sum += std::max({Channel(p, 16), Channel(p, 8), Channel(p, 0)}) / 255.0;
      }
    mean = sum / (static_cast<double>(width) * height);
  }
  for (LONG y = 0; y < height; ++y)
    for (LONG x = 0; x < width; ++x) {
      const DWORD p = source->pixels[static_cast<size_t>(y) * source->rowPixels + x];
      DWORD& out = destination->pixels[static_cast<size_t>(y) * destination->rowPixels + x];
      double h, s, v;
      PixelToHsv(p, &h, &s, &v);
      if (brightness != 0) {
        s *= scale;
        v *= scale;
        if (brightness > 0) v += brightness;
      }
      if (contrast != 0) v = std::clamp((v - mean) * contrastFactor + mean, 0.0, 1.0);
      if (hue != 0 && h >= 0) {
        h += hueShift;
        while (h > 360) h -= 360;
      }
      // A pixel without hue (grey, white, black) stays grey: saturation would
      // otherwise give it a colour from a hue it does not have.
      if (saturation != 0 && h >= 0) {
        if (saturation <= 0)
          s *= saturation + 1;
        else
          s = (1 - s) * saturation + s;
      }
      out = FromHsv(h < 0 ? 0 : h, s, v, out);
    }
  return true;
}
