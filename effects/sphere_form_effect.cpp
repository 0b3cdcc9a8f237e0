// "Sphere Form" and "Special Wave" and their registrations.
#include "effects/sphere_form_effect.h"

#include "effects/wave_mesh.h"

namespace {
CEffectRegistration<CSphereFormEffect> sphereRegistration;
CEffectRegistration<CSpecialWaveEffect> specialWaveRegistration;
}  // namespace

CString CSphereFormEffect::GetName() const { return CString(u"Sphere Form"); }

void CSphereFormEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                               CTextureHolder* target, float progress) {
  const double q = 1.0 - progress;
  RenderWaveGrid(renderer, device, source, target, [&](CWaveMesh& mesh) { mesh.ApplySphere(q); });
}

CString CSpecialWaveEffect::GetName() const { return CString(u"Special Wave"); }

void CSpecialWaveEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                                CTextureHolder* target, float progress) {
  const double q = 1.0 - progress;
  RenderWaveGrid(renderer, device, source, target, [&](CWaveMesh& mesh) { mesh.ApplyRadialPinch(q); });
}
