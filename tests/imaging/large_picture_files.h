// Large picture files written row by row, so that neither the tests nor the
// benchmarks hold the whole picture: a PNG and a JPEG of any size whose
// pixels follow LargePicturePixel.
#pragma once

#include <string>

#include "compat/win32.h"

namespace imaging_test {

// Blue, green, red and 255: smooth ramps that change slowly across the
// picture, so that the files stay small and reductions have detail to keep.
DWORD LargePicturePixel(DWORD x, DWORD y);
// 8-bit RGB, not interlaced; false when the file cannot be written.
bool WriteLargePng(const std::string& path, DWORD width, DWORD height);
bool WriteLargeJpeg(const std::string& path, DWORD width, DWORD height, int quality = 90);

}  // namespace imaging_test
