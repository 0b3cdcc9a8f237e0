// RenderFillStyle: paints a fill into every pixel of a picture buffer.
#pragma once

struct CFillStyle;
struct CPixelBuffer;

// Solid colours and colour variations; a picture fill leaves the buffer
// transparent (pictures are painted by the renderer, which reads files).
void RenderFillStyle(const CFillStyle& fill, CPixelBuffer& buffer);
