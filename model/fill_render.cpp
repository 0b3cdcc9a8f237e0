// Painting a fill into a picture buffer for the layer stack.
#include "model/fill_render.h"

#include <cstring>

#include "model/color_variation_fill.h"
#include "model/fill_style.h"
#include "model/pixel_buffer.h"

void RenderFillStyle(const CFillStyle& fill, CPixelBuffer& buffer) {
  if (!buffer.bits) return;
  if (fill.type == kFillColor) {
    buffer.Fill(fill.color);
    return;
  }
  if (fill.type == kFillVaryColor) {
    CGradientDesc desc;
    if (!fill.GetGradient(desc)) return;
    const SIZE size{buffer.Width(), buffer.Height()};
    DWORD* pixels = RenderVaryColorFill(size, desc);
    if (!pixels) return;
    buffer.Free();
    buffer.bits = pixels;  // same size, so the buffer takes them over
    return;
  }
  buffer.Fill(0);
}
