// Device bitmaps made from 32-bit pixel memory: the image slots' pictures and
// the thumbnails and drag cursors drawn into pixel buffers.
#pragma once

#include <cstdint>

#include "compat/win32.h"

// A bitmap of the screen's format from top-down 32-bit pixels of `size`;
// the caller owns it. NULL for no pixels or a size out of range.
HBITMAP CreateBitmapFromBits(const void* bits, SIZE size);

// The pixel-memory form behind CreateBitmapFromPixels: `rows` holds width x
// height pixels, first row first; the rows are shown bottom-up unless
// `topDown`; `premultiply` multiplies the colour by alpha (in a copy) and makes
// the result opaque. Compatible with `dc`, or with the screen when it is NULL.
HBITMAP CreateBitmapFromPixelRows(const uint32_t* rows, int width, int height, HDC dc,
                                  BOOL topDown, BOOL premultiply);

// Any pixel buffer with a RECT `rect` and 32-bit `bits` (the model's CPixelBuffer).
template <class PixelBuffer>
HBITMAP CreateBitmapFromPixels(const PixelBuffer& buffer, HDC dc, BOOL topDown, BOOL premultiply) {
  return CreateBitmapFromPixelRows(reinterpret_cast<const uint32_t*>(buffer.bits),
                                   buffer.rect.right - buffer.rect.left,
                                   buffer.rect.bottom - buffer.rect.top, dc, topDown, premultiply);
}
