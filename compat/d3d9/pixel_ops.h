// Colour arithmetic over runs of A8R8G8B8 pixels: the texture-stage
// operations and the frame-buffer blend, in 8-bit unorm rounded to nearest.
#pragma once

#include <cstdint>

#include "compat/d3d9.h"

namespace compat::d3d9 {

// round(a * b / 255) for a, b in 0..255.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
  uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

// out = a * b per channel.
void ModulateRun(const uint32_t* a, const uint32_t* b, uint32_t* out, int n);
// out = colour channels of `colour` with the alpha of `alpha`.
void MergeAlphaRun(const uint32_t* colour, const uint32_t* alpha, uint32_t* out, int n);
// out = a * constant per channel.
void ModulateConstantRun(const uint32_t* a, uint32_t constant, uint32_t* out, int n);

// dst = src * srcFactor + dst * dstFactor per channel, saturated (D3DBLEND values).
void BlendRun(DWORD srcFactor, DWORD dstFactor, const uint32_t* src, uint32_t* dst, int n);

// Colour channels blended with src/dst, alpha with srcAlpha/dstAlpha (D3DBLEND values).
struct BlendFactors {
  DWORD src, dst, srcAlpha, dstAlpha;
};
void BlendRunSeparate(const BlendFactors& factors, const uint32_t* src, uint32_t* dst, int n);

// A factor of the form (alpha & use) ^ flip over 0..255: ZERO, ONE, SRCALPHA
// and INVSRCALPHA. False for the others.
bool LaneFactor(DWORD blend, uint16_t& use, uint16_t& flip);

// The same for a short run straight into the target: no gathering into a
// scratch run, whose wide reloads of narrow stores would stall.
using ShortBlend = void (*)(DWORD srcFactor, DWORD dstFactor, const uint32_t* src, uint32_t* dst, int n);
ShortBlend PickShortBlend(DWORD srcFactor, DWORD dstFactor);

}  // namespace compat::d3d9
