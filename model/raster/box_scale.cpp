// Box-filter resampling, one pass across the rows and one down the columns.
#include "model/raster/box_scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The source pixels one destination pixel covers, with their weights
// (summing to 1).
struct Tap {
  int first;
  std::vector<float> weights;
};

std::vector<Tap> MakeTaps(int srcLength, int dstLength) {
  std::vector<Tap> taps(static_cast<size_t>(dstLength));
  const double step = static_cast<double>(srcLength) / dstLength;
  for (int d = 0; d < dstLength; ++d) {
    const double start = d * step;
    const double end = std::min<double>(srcLength, (d + 1) * step);
    Tap& tap = taps[static_cast<size_t>(d)];
    tap.first = static_cast<int>(std::floor(start));
    for (int s = tap.first; s < srcLength && s < end; ++s) {
      const double covered = std::min<double>(s + 1, end) - std::max<double>(s, start);
      tap.weights.push_back(static_cast<float>(covered / (end - start)));
    }
  }
  return taps;
}

// lround for the channel sums, which are never negative: the library call
// took more time than the filter itself. The fraction of a float below 2^23
// is exact, so this rounds half up exactly as lround does.
long RoundSum(float sum) {
  if (!(sum > 0.0f)) return 0;
  if (sum >= 255.0f) return 255;
  const long whole = static_cast<long>(sum);
  // Without a branch: on noise the halves come unpredictably.
  return whole + static_cast<long>(sum - static_cast<float>(whole) >= 0.5f);
}

// Every destination pixel takes one source pixel whole: an enlargement by
// a whole factor (a slot's picture laid out at the output size), where the
// filter comes down to a copy of that pixel.
bool TakesSinglePixels(const std::vector<Tap>& taps) {
  return std::all_of(taps.begin(), taps.end(),
                     [](const Tap& tap) { return tap.weights.size() == 1 && tap.weights[0] == 1.0f; });
}

}  // namespace

bool BoxScalePixels(const DWORD* src, int srcWidth, int srcHeight, DWORD* dst, int dstWidth, int dstHeight) {
  if (srcWidth < 1 || srcHeight < 1 || dstWidth < 1 || dstHeight < 1) return false;
  const std::vector<Tap> across = MakeTaps(srcWidth, dstWidth);
  const std::vector<Tap> down = MakeTaps(srcHeight, dstHeight);
  if (TakesSinglePixels(across) && TakesSinglePixels(down)) {
    for (int y = 0; y < dstHeight; ++y) {
      const DWORD* line = src + static_cast<size_t>(down[static_cast<size_t>(y)].first) * srcWidth;
      DWORD* out = dst + static_cast<size_t>(y) * dstWidth;
      for (int x = 0; x < dstWidth; ++x) out[x] = line[across[static_cast<size_t>(x)].first];
    }
    return true;
  }
  // Rows resampled across, four float channels a pixel.
  std::vector<float> rows(static_cast<size_t>(srcHeight) * dstWidth * 4);
  for (int y = 0; y < srcHeight; ++y) {
    const DWORD* line = src + static_cast<size_t>(y) * srcWidth;
    float* out = rows.data() + static_cast<size_t>(y) * dstWidth * 4;
    for (int x = 0; x < dstWidth; ++x, out += 4) {
      const Tap& tap = across[static_cast<size_t>(x)];
      for (size_t k = 0; k < tap.weights.size(); ++k) {
        const DWORD p = line[tap.first + static_cast<int>(k)];
        for (int c = 0; c < 4; ++c) out[c] += tap.weights[k] * static_cast<float>((p >> (8 * c)) & 0xFF);
      }
    }
  }
  for (int y = 0; y < dstHeight; ++y) {
    const Tap& tap = down[static_cast<size_t>(y)];
    DWORD* out = dst + static_cast<size_t>(y) * dstWidth;
    for (int x = 0; x < dstWidth; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (size_t k = 0; k < tap.weights.size(); ++k) {
        const float* p = rows.data() + (static_cast<size_t>(tap.first) + k) * dstWidth * 4 + static_cast<size_t>(x) * 4;
        for (int c = 0; c < 4; ++c) sum[c] += tap.weights[k] * p[c];
      }
      DWORD pixel = 0;
      for (int c = 0; c < 4; ++c)
        pixel |= static_cast<DWORD>(RoundSum(sum[c])) << (8 * c);
      out[x] = pixel;
    }
  }
  return true;
}
