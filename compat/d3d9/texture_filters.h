// Texture filter loops over runs of texel coordinates in 24.8 fixed point,
// where texel i's centre is at i: POINT takes floor(s + 0.5), bilinear blends
// the 2 x 2 texels around s with 8-bit weights.
#pragma once

#include <cstdint>

namespace compat::d3d9 {

// Runs whose every footprint lies inside the texture: no addressing.
using InteriorKernel = void (*)(const uint32_t* texels, int width, const int32_t* s, const int32_t* t, int n,
                                uint32_t* out);
InteriorKernel PickInterior(bool linear);
// The same for runs along one texel row (t constant): bilinear runs blend
// each texel column vertically once, then each pixel horizontally.
InteriorKernel PickRowInterior(bool linear);

// One level's run for the blend of two levels: texels, width, 24.8 coordinates.
struct LevelRun {
  const uint32_t* texels;
  int width;
  const int32_t *s, *t;
};
// Runs whose every footprint lies inside both levels: bilinear texels of
// `lower` blended towards those of `upper` by weight / 256 (0 < weight < 256),
// the same as the interior loop on each then LerpTexels. Null where no
// faster loop than those exists.
using TrilinearKernel = void (*)(const LevelRun& lower, const LevelRun& upper, int weight, int n, uint32_t* out);
TrilinearKernel PickTrilinearInterior();

// Runs that may reach past the texture's edges: wrap or clamp per axis.
using AddressedKernel = void (*)(const uint32_t* texels, int width, int height, const int32_t* s, const int32_t* t,
                                 int n, uint32_t* out);
AddressedKernel PickAddressed(bool linear, bool wrapU, bool wrapV, int width, int height);

// out = out + (b - out) * weight / 256 per channel: the blend of two mip levels.
void LerpTexels(const uint32_t* b, int weight, int n, uint32_t* out);

}  // namespace compat::d3d9
