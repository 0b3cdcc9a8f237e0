// The texture-stage and sampler states of a mesh effect that copies its
// source picture, colour and alpha, into the target without tinting it.
#pragma once

struct IDirect3DDevice9;

// Stage 0 selects the texture for colour and alpha, stage 1 is off, the
// sampler filters linearly and clamps at the texture's border, and solid
// triangles are drawn with no alpha test.
void SetPlainPictureStates(IDirect3DDevice9* device);
