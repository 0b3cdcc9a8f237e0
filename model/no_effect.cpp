// Registration of "No Effect". The class's vtable lives here, so every
// pair that makes one links the registration in.
#include "model/no_effect.h"

CString CNoEffect::GetName() const { return CString(u"No Effect"); }

namespace {
CEffectRegistration<CNoEffect> registration;
}  // namespace
