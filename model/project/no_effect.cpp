// Registration of "No Effect". The class's vtable lives here, so every
// pair that makes one links the registration in.
#include "model/project/no_effect.h"

#include "model/project/project_links.h"

CString CNoEffect::GetName() const { return CString(u"No Effect"); }

void CNoEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                       CTextureHolder* target, float) {
  if (CRendererLink* link = GetRendererLink()) link->RenderPassThrough(renderer, device, source, target);
}

namespace {
CEffectRegistration<CNoEffect> registration;
}  // namespace
