// Box-filter resampling of a whole picture: its rows through the same
// reducer that decoders feed row by row.
#include "model/raster/box_scale.h"

#include "imaging/box_reducer.h"

bool BoxScalePixels(const DWORD* src, int srcWidth, int srcHeight, DWORD* dst, int dstWidth, int dstHeight) {
  CBoxReducer reducer(srcWidth, srcHeight, dst, dstWidth, dstHeight);
  if (!reducer.Valid()) return false;
  // A slot's picture laid out at the output size is often an enlargement by
  // a whole factor, where the filter comes down to a copy of each pixel.
  if (reducer.CopyWhole(src)) return true;
  for (int y = 0; y < srcHeight; ++y) reducer.TakeRow(src + static_cast<size_t>(y) * srcWidth);
  return true;
}
