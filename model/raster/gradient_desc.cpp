// Defaults of the gradient description and the colour blend.
#include "model/raster/gradient_desc.h"

#include <cstring>

CGradientDesc::CGradientDesc() {
  static const DWORD kColors[5] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFF00, 0xFF00FFFF};
  std::memset(colors, 0, sizeof(colors));
  std::memset(positions, 0, sizeof(positions));
  for (float& m : midpoints) m = 0.5f;
  for (int i = 0; i < 5; ++i) {
    colors[i] = kColors[i];
    positions[i] = 0.25f * static_cast<float>(i);
  }
  stopCount = 5;
  repeatCount = 1;
  angle = 45.0f;
  repeatMode = 0;
  style = 0;
  extra = 0;
  for (CVector2& p : controlPoints) p = CVector2(0.0f, 0.0f);
}

void LerpArgb(DWORD c0, DWORD c1, DWORD& out, float t) {
  if (!(t >= 0.0f && t <= 1.0f)) return;
  DWORD result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = static_cast<int>((c0 >> shift) & 0xFF);
    const int b = static_cast<int>((c1 >> shift) & 0xFF);
    const int v = a + static_cast<int>(static_cast<float>(b - a) * t);
    result |= static_cast<DWORD>(v & 0xFF) << shift;
  }
  out = result;
}
