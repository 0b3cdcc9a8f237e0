// "Wave" and "Under Warer", and the parameter block of the three rippling
// effects.
#include "effects/wave_effect.h"

#include <cmath>

#include "compat/afx/archive.h"
#include "effects/wave_mesh.h"

namespace {

float ClampLoaded(float value, const CWaveParameterRange& range) {
  if (std::isnan(value)) return range.fallback;
  return value < range.low ? range.low : value > range.high ? range.high : value;
}

CEffectRegistration<CUnderWaterEffect> underWaterRegistration;
CEffectRegistration<CWaveEffect> waveRegistration;

}  // namespace

CWaveParameterEffect::CWaveParameterEffect(const CWaveParameterRanges& ranges)
    : m_strength(ranges.strength.fallback),
      m_frequency(ranges.frequency.fallback),
      m_velocity(ranges.velocity.fallback),
      m_ranges(&ranges) {}

void CWaveParameterEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_strength << m_frequency << m_velocity;
    return;
  }
  float strength = 0.0f, frequency = 0.0f, velocity = 0.0f;
  ar >> strength >> frequency >> velocity;
  m_strength = ClampLoaded(strength, m_ranges->strength);
  m_frequency = ClampLoaded(frequency, m_ranges->frequency);
  m_velocity = ClampLoaded(velocity, m_ranges->velocity);
}

double CWaveParameterEffect::Amplitude(double q) const { return (1.0 - 2.0 * std::fabs(0.5 - q)) * m_strength; }

// --- "Wave" ---

const CWaveParameterRanges CWaveEffect::kRanges = {{0.0f, 20.0f, 8.0f}, {2.0f, 100.0f, 20.0f}, {1.0f, 20.0f, 5.0f}};

CString CWaveEffect::GetName() const { return CString(u"Wave"); }

void CWaveEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                         CTextureHolder* target, float progress) {
  const double q = 1.0 - progress;
  // The field turns by 100 radians over the transition; Velocity plays no part.
  RenderWaveGrid(renderer, device, source, target,
                 [&](CWaveMesh& mesh) { mesh.ApplyWave(Amplitude(q), m_frequency, q * 100.0); });
}

// --- "Under Warer" ---

const CWaveParameterRanges CUnderWaterEffect::kRanges = {{0.0f, 20.0f, 6.0f}, {2.0f, 6.0f, 3.0f}, {1.0f, 20.0f, 15.0f}};

CString CUnderWaterEffect::GetName() const { return CString(u"Under Warer"); }

void CUnderWaterEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                               CTextureHolder* target, float progress) {
  const double q = 1.0 - progress;
  RenderWaveGrid(renderer, device, source, target, [&](CWaveMesh& mesh) {
    mesh.ApplyDiagonalWave(Amplitude(q), m_frequency, m_velocity, q * 100.0);
  });
}
