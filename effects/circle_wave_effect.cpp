// "Circle Wave" and its registration.
#include "effects/circle_wave_effect.h"

#include "effects/wave_mesh.h"

namespace {
CEffectRegistration<CCircleWaveEffect> registration;
}  // namespace

const CWaveParameterRanges CCircleWaveEffect::kRanges = {{0.0f, 20.0f, 8.0f}, {1.0f, 5.0f, 3.0f}, {1.0f, 20.0f, 5.0f}};

CString CCircleWaveEffect::GetName() const { return CString(u"Circle Wave"); }

void CCircleWaveEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                               CTextureHolder* target, float progress) {
  const double q = 1.0 - progress;
  RenderWaveGrid(renderer, device, source, target,
                 [&](CWaveMesh& mesh) { mesh.ApplyCircleWave(Amplitude(q), m_frequency, m_velocity, q); });
}
