// Brightness, hue, saturation and contrast of a 32-bit pixel area, worked in
// HSV space, and the pixel-to-HSV conversion it uses.
#pragma once

#include "compat/win32/types.h"

struct PixelView {
  LONG width = 0;
  LONG height = 0;
  LONG rowPixels = 0;  // row length in pixels
  DWORD* pixels = nullptr;
};

struct ClippedPixelView : PixelView {
  RECT clip = {0, 0, 0, 0};  // inclusive for the copy
};

// Hue in degrees (0 to below 360, or -1 for a colour without hue),
// saturation and value 0..1.
void PixelToHsv(DWORD pixel, double* hue, double* saturation, double* value);

// Copies the source into the destination's clip rectangle, narrows both views
// to it and recolours the destination; parameters are -1..1, 0 = unchanged.
// False when nothing was adjusted (the copy stands).
bool AdjustPixelColors(PixelView* source, ClippedPixelView* destination, float brightness, float hue,
                       float saturation, float contrast);
