// "Wave" and "Under Warer": the picture ripples on the wave grid, strongest
// half-way through the transition; and the three-float parameter block they
// share with "Circle Wave".
#pragma once

#include "model/project/effect.h"

// One parameter's dialog range and its default; a stored value is clamped
// into the range, and one that is not a number takes the default.
struct CWaveParameterRange {
  float low, high, fallback;
};

struct CWaveParameterRanges {
  CWaveParameterRange strength, frequency, velocity;
};

// Strength, Frequency, Velocity, stored in that order as raw 32-bit floats.
class CWaveParameterEffect : public CEffect {
 public:
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive& ar) override;

  float m_strength;
  float m_frequency;
  float m_velocity;

 protected:
  explicit CWaveParameterEffect(const CWaveParameterRanges& ranges);
  // 0 at both ends of the transition, the full Strength at q = 0.5.
  double Amplitude(double q) const;

 private:
  const CWaveParameterRanges* m_ranges;
};

class CWaveEffect : public CWaveParameterEffect {
 public:
  static constexpr int kId = 4;
  static const CWaveParameterRanges kRanges;

  CWaveEffect() : CWaveParameterEffect(kRanges) {}
  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
};

class CUnderWaterEffect : public CWaveParameterEffect {
 public:
  static constexpr int kId = 7;
  static const CWaveParameterRanges kRanges;

  CUnderWaterEffect() : CWaveParameterEffect(kRanges) {}
  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
};
