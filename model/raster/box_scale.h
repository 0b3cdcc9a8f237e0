// Resampling of 32-bit pictures with a box filter: every destination pixel
// is the area-weighted mean of the source pixels it covers, each byte
// channel on its own.
#pragma once

#include "compat/win32/types.h"

// Both buffers top-down, packed; sizes above 0. False when a size is not.
bool BoxScalePixels(const DWORD* src, int srcWidth, int srcHeight, DWORD* dst, int dstWidth, int dstHeight);
