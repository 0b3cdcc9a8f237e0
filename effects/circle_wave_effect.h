// "Circle Wave": a ripple spreading from the centre of the picture, strongest
// half-way through the transition.
#pragma once

#include "effects/wave_effect.h"

class CCircleWaveEffect : public CWaveParameterEffect {
 public:
  static constexpr int kId = 8;
  static const CWaveParameterRanges kRanges;

  CCircleWaveEffect() : CWaveParameterEffect(kRanges) {}
  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
};
