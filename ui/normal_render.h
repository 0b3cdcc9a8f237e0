// Swatch thumbnails: a fill laid over a checkerboard, and the bitmap the
// swatch lists show.
#pragma once

#include "compat/afx.h"

struct CFillStyle;

// Renders `fill` into w x h pixels 0xAARRGGBB, all opaque. Pictures and
// colour variations land with their rows reversed, as the thumbnail bitmaps
// take their rows bottom-up.
void NormalRender(const CFillStyle& fill, DWORD* pixels, int w, int h);

// The pixels of NormalRender as a bitmap, rows bottom-up, for a swatch list.
BOOL CreateThumbnailBitmap(const DWORD* pixels, int w, int h, CBitmap& bitmap);
