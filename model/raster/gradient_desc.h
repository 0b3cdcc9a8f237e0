// CGradientDesc, the description of a colour-variation fill (stops, midpoints,
// repeat, angle, style), and LerpArgb, the per-channel blend of two colours.
#pragma once

#include "compat/win32/types.h"
#include "model/geometry/vector2.h"

class CArchive;

// Stop colours, positions and midpoints live in fixed tables of this size.
constexpr int kMaxGradientStops = 256;
constexpr int kMaxGradientRepeat = 32;
// Linear, radial and angular.
constexpr int kGradientStyleCount = 3;

struct CGradientDesc {
  DWORD colors[kMaxGradientStops];      // 0xAARRGGBB
  float positions[kMaxGradientStops];   // 0..1
  float midpoints[kMaxGradientStops - 1];  // midpoint i lies between stops i and i + 1
  WORD stopCount;
  int repeatCount;
  float angle;      // degrees, counter-clockwise on the screen
  int repeatMode;   // 0: repeated copies alternate direction; else all forward
  int style;        // 0 linear, 1 radial, 2 angular
  DWORD extra;
  CVector2 controlPoints[4];

  CGradientDesc();
  // The gradient record of fills (gradient_record.cpp).
  void Serialize(CArchive& ar);
};

// out = c0 + (c1 - c0) x t per channel, truncated; out is left alone when t
// lies outside 0..1 (NaN included).
void LerpArgb(DWORD c0, DWORD c1, DWORD& out, float t);
