// The three pictures of a pair that shape its frames: the transition
// picture (a grey mask opened by the morph position), the total mask (a grey
// alpha mask) and the light picture (a colour factor scaled by a strength).
#pragma once

#include "compat/d3d9.h"

class CMorphPair;

// Mask values of BuildThresholdTable besides the ramp 0..255.
constexpr int kThresholdClear = 256;
constexpr int kThresholdOpaque = 512;

// Maps each grey value to kThresholdClear, kThresholdOpaque or a ramp value:
// grey values at or above the level's threshold are opaque, a soft border
// `edge` wide (a fraction of the grey range) ramps below it; reverse opens
// from the bright end.
void BuildThresholdTable(int table[256], double level, double edge, int reverse);
// The alpha bytes of level 0 of a texture from width x height grey levels
// opened at `level` (1 - the morph position): all clear at level 1, all
// opaque at level 0, else through the threshold table. Rows follow the
// lock's pitch and stop at the texture's own size.
void WriteThresholdAlpha(IDirect3DTexture9* texture, const BYTE* grey, int width, int height, double level,
                         double edge, int reverse);

// Reads the picture into its grey levels and a picture-size texture whose
// alpha UpdateTransitionPicture writes. Silent for an empty path or a
// missing file.
void LoadTransitionPicture(CMorphPair* pair, IDirect3DDevice9* device);
// The texture's alpha for the morph position t: all clear at t = 0, all
// opaque at t = 1.
void UpdateTransitionPicture(CMorphPair* pair, float t);
void LoadTotalMaskPicture(CMorphPair* pair, IDirect3DDevice9* device);
void LoadLightPicture(CMorphPair* pair, IDirect3DDevice9* device);
// The light texture := the light picture times the strength.
void RenderLightTarget(CMorphPair* pair, IDirect3DDevice9* device);
