// Helpers shared by the tests of the codecs on the system libraries: our
// picture from the tools' layout, a tool's report, and a PSNR measure.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "imaging/pic_image.h"
#include "imaging_test_tools.h"

namespace imaging_test {

// Our 24-bit picture of `picture`; with `alpha` its alpha plane is kept.
inline CPicImage FromRgba(const Rgba& picture, bool alpha = false) {
  std::vector<BYTE> bgra(picture.pixels.size());
  for (size_t i = 0; i < bgra.size(); i += 4) {
    bgra[i] = picture.pixels[i + 2];
    bgra[i + 1] = picture.pixels[i + 1];
    bgra[i + 2] = picture.pixels[i];
    bgra[i + 3] = picture.pixels[i + 3];
  }
  CPicImage image;
  image.CreateFromBGRA(picture.width, picture.height, bgra.data());
  if (!alpha) image.AlphaDelete();
  return image;
}

// What a command prints, on either stream.
inline std::string Capture(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// Over the colours of the pixels at least half opaque in `a`: colour under
// little alpha is not worth keeping.
inline double Psnr(const Rgba& a, const Rgba& b) {
  double sum = 0;
  size_t count = 0;
  for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
    if (i % 4 == 3 || a.pixels[i | 3] < 128) continue;
    double d = double(a.pixels[i]) - double(b.pixels[i]);
    sum += d * d;
    ++count;
  }
  return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / (sum / count));
}

}  // namespace imaging_test
