// Rendering one frame of a pair: the morph position from the timing curve,
// the warped cross-dissolve, fades and transition effects; and the two grabs
// that read an export frame back under the render lock.
#pragma once

class CMorphPair;
struct CPixelBuffer;

// The pair's current frame (the render lock is held by the caller).
void RenderFrame(CMorphPair* pair);
void RenderMorph(CMorphPair* pair, float t);
// 32-bit pixels (blue, green, red, alpha), rows top-down, of the buffer's
// rectangle of the frame.
void RenderFrameToPixels(CMorphPair* pair, CPixelBuffer* buffer);
// 24-bit pixels (blue, green, red), rows bottom-up without padding.
void RenderFrameToDib24(CMorphPair* pair, CPixelBuffer* buffer);
